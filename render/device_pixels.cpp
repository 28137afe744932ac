#include "render/device_pixels.h"

#include <cmath>
#include <optional>

#include <QPainter>
#include <QTransform>

namespace qm {
namespace {

// A point within rounding of whole pixels, as a corner worked out at a ratio such
// as 1.5 comes, taken as lying on them.
std::optional<QPointF> onWholePixels(const QPointF& p) {
    const QPointF whole(std::round(p.x()), std::round(p.y()));
    constexpr qreal kRounding = 1e-6;
    if (std::abs(p.x() - whole.x()) > kRounding || std::abs(p.y() - whole.y()) > kRounding) return std::nullopt;
    return whole;
}

}  // namespace

void drawOnDevicePixels(QPainter& painter, const QPointF& at, const QImage& image, const QRectF& source) {
    if (image.isNull()) return;
    const QRectF from = source.isNull() ? QRectF(image.rect()) : source;
    const QTransform device = painter.deviceTransform();
    const bool scaled = device.type() <= QTransform::TxScale && device.m11() == device.m22() && device.m11() > 0;
    const std::optional<QPointF> corner = onWholePixels(device.map(at));
    if (!scaled || !corner || QRectF(from.toRect()) != from) {
        const qreal density = scaled ? device.m11() : image.devicePixelRatio();
        painter.drawImage(QRectF(at, from.size() / density), image, from);
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
    painter.drawImage(*corner, pixels, from);
    painter.setWorldTransform(world);
}

QRect onWholeDevicePixels(QRect box, qreal dpr) {
    int step = 1;
    while (step < 64 && std::fmod(step * dpr, 1.0) != 0) step *= 2;
    if (step == 1 || box.isEmpty()) return box;
    const auto down = [step](int v) { return v >= 0 ? v / step * step : -((-v + step - 1) / step * step); };
    const int left = down(box.left()), top = down(box.top());
    const int right = down(box.right() + step) - 1, bottom = down(box.bottom() + step) - 1;
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

void followDensity(QPainter& painter, const QImage& image) {
    const qreal dpr = image.devicePixelRatio();
    if (dpr < 1) painter.scale(dpr, dpr);
}

QSize devicePixels(QSize size, qreal dpr) {
    return {static_cast<int>(std::ceil(size.width() * dpr)), static_cast<int>(std::ceil(size.height() * dpr))};
}

}  // namespace qm
