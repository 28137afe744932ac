#include "render/change_painter.h"

#include <QPainter>
#include <QPolygonF>

#include "render/canvas_painter.h"
#include "render/document_painter.h"
#include "render/fonts.h"
#include "render/twips.h"

namespace qm {
namespace {

Color documentColour(const QColor& c) { return c.red() + 256 * c.green() + 65536 * c.blue(); }

QRect pixelBox(const TwipBox& b) {
    return pixelRect(static_cast<float>(b.left), static_cast<float>(b.top), static_cast<float>(b.width),
                     static_cast<float>(b.height));
}

QPointF pixelPoint(const TwipPoint& p) { return {pixelValue(p.x), pixelValue(p.y)}; }

void colour(Document& d, const ChartElement& e, Color c) {
    for (int l : e.labels)
        if (LabelEl* label = d.Label.find(l)) label->foreColor = c;
    for (int s : e.segments)
        if (LineEl* line = d.Line1.find(s)) line->borderColor = c;
    switch (e.kind) {
        case ChartKind::Rectangle:
        case ChartKind::Ellipse:
            if (ShapeEl* s = d.Shape1.find(e.index)) s->borderColor = c;
            if (LineEl* l = d.LineRect.find(e.index)) l->borderColor = c;
            break;
        case ChartKind::Diamond:
            for (Collection<LineEl>* lines : d.diamondLines())
                if (LineEl* l = lines->find(e.index)) l->borderColor = c;
            break;
        case ChartKind::TitleBlock:
            d.Shape2.borderColor = c;
            for (LineEl* l : {&d.Line2, &d.Line3, &d.Line4}) l->borderColor = c;
            break;
        default: break;
    }
}

constexpr Part kHeadParts[] = {Part::picUp, Part::picDown, Part::picLeft, Part::picRight};

// What the painter draws of an element, in its stacking order.
std::vector<PartRef> partsOf(const ChartElement& e) {
    std::vector<PartRef> parts;
    switch (e.kind) {
        case ChartKind::Rectangle:
        case ChartKind::Ellipse:
            parts = {{Part::Shape1, e.index}, {Part::LineRect, e.index}};
            break;
        case ChartKind::Diamond:
            for (Part p : {Part::lx1, Part::lx2, Part::lx3, Part::lx4, Part::lx5}) parts.push_back({p, e.index});
            break;
        default: break;
    }
    for (int s : e.segments) parts.push_back({Part::Line1, s});
    for (int l : e.labels)
        if (l != 0) parts.push_back({Part::Label, l});
    if (e.headDir >= 0) parts.push_back({kHeadParts[e.headDir], e.index});
    return parts;
}

// The painter draws every arrowhead black; a coloured arrow gets a head of its colour.
void colourHead(QPainter& p, const Document& d, const ChartElement& e, const QColor& c) {
    if (e.headDir < 0) return;
    const PictureEl* head = d.heads(e.headDir)->find(d.arrowRec[e.index].head());
    if (!head) return;
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(arrowheadTriangle(kHeadParts[e.headDir], paintedBounds(*head)));
}

// Where a changed element stood before, dotted.
void oldOutline(QPainter& p, const ChartElement& e) {
    p.setPen(QPen(kChangedColour, 1, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    const QRect r = pixelBox(e.box);
    switch (e.kind) {
        case ChartKind::Ellipse: p.drawEllipse(r.adjusted(0, 0, -1, -1)); break;
        case ChartKind::Diamond: {
            const QPointF c = QRectF(r).center();
            p.drawPolygon(QPolygonF{{QPointF(r.left(), c.y()), QPointF(c.x(), r.top()), QPointF(r.right(), c.y()),
                                     QPointF(c.x(), r.bottom())}});
            break;
        }
        case ChartKind::Arrow: {
            QPolygonF line;
            for (const TwipPoint& pt : e.points) line << pixelPoint(pt);
            p.drawPolyline(line);
            break;
        }
        default: p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void legend(QPainter& p, QSize client) {
    const QFont& font = labelFont(kDefaultFontName, 9);
    const QFontMetrics fm(font);
    const struct {
        const char* text;
        QColor colour;
        Qt::PenStyle style;
    } rows[] = {{"新增", kAddedColour, Qt::SolidLine},
                {"删除", kDeletedColour, Qt::SolidLine},
                {"修改", kChangedColour, Qt::SolidLine},
                {"原位置", kChangedColour, Qt::DotLine}};
    const int line = fm.height() + 4, swatch = 20, pad = 6;
    int textWidth = 0;
    for (const auto& r : rows) textWidth = std::max(textWidth, fm.horizontalAdvance(QString::fromUtf8(r.text)));
    const int height = 2 * pad + line * 4;
    const QRect box(pad, client.height() - pad - height, 3 * pad + swatch + textWidth, height);
    p.setPen(QPen(Qt::gray, 1));
    p.setBrush(Qt::white);
    p.drawRect(box.adjusted(0, 0, -1, -1));
    p.setFont(font);
    for (int k = 0; k < 4; ++k) {
        const int y = box.top() + pad + k * line + line / 2;
        p.setPen(QPen(rows[k].colour, 2, rows[k].style));
        p.drawLine(box.left() + pad, y, box.left() + pad + swatch, y);
        p.setPen(Qt::black);
        p.drawText(QPoint(box.left() + 2 * pad + swatch, y + fm.ascent() / 2 - 1), QString::fromUtf8(rows[k].text));
    }
}

}  // namespace

void paintChangePicture(QPainter& painter, const Document& older, const Document& newer, const Comparison& c,
                        QSize size) {
    Document shown = newer, gone = older;
    shown.lneTemp.visible = false;  // the rubber band of an arrow being drawn is no part of the chart
    std::vector<PartRef> goneParts;
    for (const Change& ch : c.changes) {
        if (ch.kind == ChangeKind::Deleted) {
            const ChartElement& e = c.older[static_cast<size_t>(ch.before)];
            colour(gone, e, documentColour(kDeletedColour));
            for (const PartRef& r : partsOf(e)) goneParts.push_back(r);
        } else {
            const QColor& col = ch.kind == ChangeKind::Added ? kAddedColour : kChangedColour;
            colour(shown, c.newer[static_cast<size_t>(ch.after)], documentColour(col));
        }
    }
    paintCanvasPicture(painter, &shown, size);

    const QRect client = QRect(QPoint(0, 0), size).adjusted(kCanvasFrame, kCanvasFrame, -kCanvasFrame, -kCanvasFrame);
    painter.save();
    painter.setClipRect(client, Qt::IntersectClip);
    painter.translate(client.topLeft());
    PaintOptions options = chartPaintOptions();
    options.antialias = painter.testRenderHint(QPainter::Antialiasing);
    paintParts(painter, gone, goneParts, options);
    for (const Change& ch : c.changes) {
        if (ch.kind == ChangeKind::Deleted) {
            colourHead(painter, gone, c.older[static_cast<size_t>(ch.before)], kDeletedColour);
            continue;
        }
        const ChartElement& now = c.newer[static_cast<size_t>(ch.after)];
        colourHead(painter, shown, now, ch.kind == ChangeKind::Added ? kAddedColour : kChangedColour);
        if (ch.kind == ChangeKind::Moved || ch.kind == ChangeKind::Resized || ch.kind == ChangeKind::Points)
            oldOutline(painter, c.older[static_cast<size_t>(ch.before)]);
    }
    legend(painter, client.size());
    painter.restore();
}

Result<std::string> encodeChangePicture(const Document& older, const Document& newer, const Comparison& c,
                                        QSize size, PictureFormat format, const std::string& title) {
    return encodePainted([&](QPainter& p) { paintChangePicture(p, older, newer, c, size); }, size, format, 1,
                         title);
}

}  // namespace qm
