#include "app/cursors.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>

namespace qm {

QCursor insertCursor() {
    constexpr int size = 32;
    const qreal dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QPixmap pm(static_cast<int>(size * dpr), static_cast<int>(size * dpr));
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        // Black strokes with a white halo read on white canvas and dark shapes alike.
        auto cross = [&](const QPen& pen) {
            p.setPen(pen);
            p.drawLine(QPointF(11.5, 1), QPointF(11.5, 22));
            p.drawLine(QPointF(1, 11.5), QPointF(22, 11.5));
            p.drawRect(QRectF(16.5, 16.5, 13, 9));
        };
        cross(QPen(Qt::white, 3));
        cross(QPen(Qt::black, 1));
        p.fillRect(QRectF(17, 17, 12, 8), QColor(255, 255, 255));
        p.setPen(QPen(Qt::black, 1));
        p.drawLine(QPointF(19, 21.5), QPointF(27, 21.5));  // the divider of a new shape
    }
    return QCursor(pm, 11, 11);
}

QCursor cursorFor(CursorKind kind) {
    switch (kind) {
        case CursorKind::Crosshair: return QCursor(Qt::CrossCursor);
        case CursorKind::Insert: return insertCursor();
        case CursorKind::Default: break;
    }
    return QCursor(Qt::ArrowCursor);
}

}  // namespace qm
