#include "render/device_pixels.h"

#include <QPainter>
#include <QTransform>

namespace qm {
namespace {

bool whole(const QPointF& p) { return QPointF(p.toPoint()) == p; }

}  // namespace

void drawOnDevicePixels(QPainter& painter, const QPointF& at, const QImage& image, const QRectF& source) {
    if (image.isNull()) return;
    const QRectF from = source.isNull() ? QRectF(image.rect()) : source;
    const QTransform device = painter.deviceTransform();
    const QPointF corner = device.map(at);
    if (device.type() > QTransform::TxScale || device.m11() != device.m22() || !whole(corner) ||
        !whole(from.topLeft()) || !whole(from.bottomRight())) {
        painter.drawImage(QRectF(at, from.size() / image.devicePixelRatio()), image, from);
        return;
    }
    // The same memory seen as an image of ratio 1: setting the ratio of a shared
    // image would copy all of it.
    const QImage pixels = image.devicePixelRatio() == 1
                              ? image
                              : QImage(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                                       image.format());
    if (device.type() <= QTransform::TxTranslate) {
        painter.drawImage(at, pixels, from);
        return;
    }
    const QTransform world = painter.worldTransform();
    painter.setWorldTransform(device.inverted() * world);
    painter.drawImage(corner, pixels, from);
    painter.setWorldTransform(world);
}

}  // namespace qm
