#include "render/guides_painter.h"

#include <cmath>

#include <QColor>
#include <QPainter>
#include <QPen>

#include "model/editor.h"

namespace qm {
namespace {

const QColor kGridColor(185, 195, 210);
const QColor kGuideColor(230, 0, 140);

// A guide line's ends on the widget, on the middle of its pixels.
QLineF onWidget(const ZoomedView& view, const GuideLine& g) {
    const auto px = [&](float twips) { return twips / static_cast<qreal>(kTwipsPerPixel) * view.zoom; };
    const qreal at = std::floor(px(g.at)) + 0.5;
    const QPointF o = view.origin;
    if (g.vertical) return {o + QPointF(at, px(g.from)), o + QPointF(at, px(g.to))};
    return {o + QPointF(px(g.from), at), o + QPointF(px(g.to), at)};
}

void paintGrid(QPainter& painter, const ZoomedView& view, const QRect& area) {
    const int step = gridStep(view.zoom);
    const QRectF shown = view.toClient(area);
    const auto first = [&](qreal v) { return static_cast<int>(std::ceil(v / step)) * step; };
    const QPoint origin = view.origin.toPoint();
    QVector<QPoint> points;
    for (int y = first(shown.top()); y <= shown.bottom(); y += step)
        for (int x = first(shown.left()); x <= shown.right(); x += step)
            points.push_back(origin + QPoint(static_cast<int>(std::floor(x * view.zoom)), static_cast<int>(std::floor(y * view.zoom))));
    painter.setPen(QPen(kGridColor, 0));
    painter.drawPoints(points.constData(), static_cast<int>(points.size()));
}

}  // namespace

int gridStep(qreal zoom) {
    int step = 10;
    while (step * zoom < 8) step *= 2;
    return step;
}

void paintOverlay(QPainter& painter, const ZoomedView& view, const QRect& client, const QRect& dirty,
                  const CanvasOverlay& overlay) {
    const QRect area = dirty & client;
    if (area.isEmpty() || (!overlay.grid && overlay.guides.empty())) return;
    painter.save();
    painter.setClipRect(area);
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (overlay.grid) paintGrid(painter, view, area);
    painter.setPen(QPen(kGuideColor, 0));
    for (const GuideLine& g : overlay.guides) painter.drawLine(onWidget(view, g));
    painter.restore();
}

QRect guideArea(const ZoomedView& view, const GuideLine& line) {
    const QLineF l = onWidget(view, line);
    return QRectF(l.p1(), l.p2()).normalized().toAlignedRect().adjusted(-2, -2, 2, 2);
}

}  // namespace qm
