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
    // Undone through its inverse, a scale such as 1.25 leaves a translation of
    // 1e-13 or so, which Qt takes for a fraction of a pixel: it resamples, and an
    // image a pixel high comes out empty.
    const QTransform world = painter.worldTransform();
    const QTransform back = device.inverted() * world;
    const auto exact = [](qreal v) {
        const qreal whole = std::round(v);
        return std::abs(v - whole) < 1e-9 ? whole : v;
    };
    painter.setWorldTransform(QTransform(exact(back.m11()), back.m12(), back.m13(), back.m21(), exact(back.m22()),
                                         back.m23(), exact(back.dx()), exact(back.dy()), back.m33()));
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
