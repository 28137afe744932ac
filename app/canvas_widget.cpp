#include "app/canvas_widget.h"

#include <cmath>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "model/editor.h"
#include "render/canvas_painter.h"
#include "render/device_pixels.h"

namespace qm {

int buttonFlags(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftFlags(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

CanvasWidget::CanvasWidget(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("Picture1"));
    // Two pixels, as a 3D picture box. The style only sets the contents margins:
    // the frame itself is painted with the rest of the canvas picture.
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setLineWidth(kCanvasFrame);
    setMouseTracking(true);  // placing follows the pointer with no button down
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QString::fromUtf8("画布"));
    idle_.setSingleShot(true);
    connect(&idle_, &QTimer::timeout, this, &CanvasWidget::prepareStep);
}

void CanvasWidget::restartIdle() {
    // Long enough that typing, nudging or clicking through the drawing does not
    // wake it between one step and the next.
    constexpr int kRestMs = 400;
    allLook_.reset();
    idle_.start(kRestMs);
}

void CanvasWidget::prepareStep() {
    const qreal dpr = devicePixelRatioF();
    if (!doc_ || !hooks.selectedByAll || !moving_.empty() || !cache_.hasLayer() || !isVisible() ||
        dpr * zoom_ > PaintCache::kDensestPrepared)
        return;
    // Each step, then the events that came meanwhile, then the next.
    if (!allLook_) {
        allLook_ = view().paintOptions(canvasPaintOptions(*doc_, hooks.selectedByAll()), dpr);
        idle_.start(0);
    } else if (cache_.prepareRaised(*doc_, clientSize(), dpr * zoom_, *allLook_)) {
        idle_.start(0);
    }
}

void CanvasWidget::setDocument(const Document* doc) {
    doc_ = doc;
    look_.reset();
    cache_.invalidate();
    restartIdle();
    update();
}

void CanvasWidget::setZoom(qreal zoom) {
    if (zoom == zoom_) return;
    pictureSize_ = pictureSize();
    zoom_ = zoom;
    cache_.invalidate();
    const QSize client = pictureSize_ - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
    const QSize shown(static_cast<int>(std::ceil(client.width() * zoom)), static_cast<int>(std::ceil(client.height() * zoom)));
    setFixedSize(shown + QSize(2 * kCanvasFrame, 2 * kCanvasFrame));
    restartIdle();
    update();
}

QSize CanvasWidget::clientSize() const {
    return pictureSize() - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
}

QRegion CanvasWidget::onWidget(const QRegion& clientArea) const {
    const ZoomedView v = view();
    QRegion out;
    for (const QRect& r : clientArea) out += v.toScreen(r);
    return out;
}

void CanvasWidget::setMoving(std::vector<PartRef> parts) {
    if (parts == moving_) return;
    moving_ = std::move(parts);
    movingChanged_ = true;
}

void CanvasWidget::refreshDrawing() {
    if (!doc_) {
        update();
        return;
    }
    movingChanged_ = false;
    look_ = canvasPaintOptions(*doc_, look_ ? std::move(*look_) : PaintOptions{});
    const QRegion dirty =
        onWidget(cache_.catchUp(*doc_, moving_, clientSize(), view().paintOptions(*look_, devicePixelRatioF())));
    unpainted_ += dirty;
    update(dirty);
    restartIdle();
}

PaintOptions& CanvasWidget::look() {
    if (!look_) look_ = canvasPaintOptions(*doc_);
    return *look_;
}

void CanvasWidget::refreshMoving() {
    if (!doc_ || movingChanged_) {
        refreshDrawing();
        return;
    }
    const QRegion dirty = onWidget(cache_.moved(*doc_, moving_));
    unpainted_ += dirty;
    update(dirty);
    restartIdle();
}

void CanvasWidget::setOverlay(CanvasOverlay overlay) {
    if (overlay == overlay_) return;
    QRegion dirty;
    if (overlay.grid != overlay_.grid) dirty = contentsRect();
    const ZoomedView v = view();
    for (const GuideLine& g : overlay_.guides) dirty += guideArea(v, g);
    for (const GuideLine& g : overlay.guides) dirty += guideArea(v, g);
    overlay_ = std::move(overlay);
    dirty &= contentsRect();
    unpainted_ += dirty;
    update(dirty);
}

CanvasPointer CanvasWidget::toTwips(QPointF widgetPos) const {
    const QPointF client = widgetPos - QPointF(clientOrigin());
    const auto perPixel = static_cast<float>(kTwipsPerPixel / zoom_);
    CanvasPointer p;
    p.x = static_cast<float>(client.x()) * perPixel;
    p.y = static_cast<float>(client.y()) * perPixel;
    return p;
}

QPointF CanvasWidget::toWidget(float xTwips, float yTwips) const {
    return QPointF(clientOrigin()) + QPointF(xTwips / kTwipsPerPixel, yTwips / kTwipsPerPixel) * zoom_;
}

QImage CanvasWidget::renderImage() { return canvasPictureImage(doc_, pictureSize(), 1, CanvasLook::Editing); }

void CanvasWidget::paintNow() {
    if (!unpainted_.isEmpty()) repaint(unpainted_);
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    unpainted_ = QRegion();  // Qt paints all that is due at once
    QPainter painter(this);
    // A guide line that moved or went leaves long thin strips, far apart: each is
    // painted on its own, not the box round them all, which zoomed in is most of
    // the window.
    const QRegion& due = event->region();
    if (due.rectCount() > kFewStrips) {
        paintCanvas(painter, event->rect());
        return;
    }
    for (const QRect& r : due) paintCanvas(painter, r);
}

void CanvasWidget::paintCanvas(QPainter& painter, const QRect& area) {
    paintCanvasFrame(painter, size());
    const QRect client = contentsRect();
    const QRect dirty = area & client;
    if (dirty.isEmpty()) return;
    if (!doc_) {
        painter.fillRect(dirty, kCanvasBackground);
        return;
    }
    // What must be painted, and what is in view, which is all the cached layer
    // need hold.
    const ZoomedView v = view();
    const qreal dpr = devicePixelRatioF();
    const QRect inView = visibleRegion().boundingRect() & client;
    const auto paintDrawing = [&](QPainter& p) {
        p.setClipRect(dirty);
        p.translate(client.topLeft());
        if (zoom_ != 1) p.scale(zoom_, zoom_);
        cache_.paint(p, *doc_, moving_, clientSize(), dpr * zoom_, v.toClient(dirty), v.paintOptions(look(), dpr),
                     inView.isEmpty() ? QRectF() : v.toClient(inView));
    };
    if (zoom_ == 1) {
        painter.save();
        paintDrawing(painter);
        painter.restore();
        paintOverlay(painter, v, client, dirty, overlay_);
        return;
    }
    // Zoomed, what moves is composed on an image first: there lines of text are
    // stamped at the zoomed density, as the layer holds them, instead of drawn
    // glyph by glyph, large, in every frame.
    QImage composed(QSize(static_cast<int>(std::ceil(dirty.width() * dpr)), static_cast<int>(std::ceil(dirty.height() * dpr))),
                    QImage::Format_RGB32);
    composed.setDevicePixelRatio(dpr);
    QPainter onImage(&composed);
    onImage.translate(-dirty.topLeft());
    paintDrawing(onImage);
    onImage.end();
    drawOnDevicePixels(painter, dirty.topLeft(), composed);
    paintOverlay(painter, v, client, dirty, overlay_);
}

CanvasPointer CanvasWidget::pointerFor(const QMouseEvent* event, int button) const {
    CanvasPointer p = toTwips(event->position());
    p.button = button;
    p.shift = shiftFlags(event->modifiers());
    return p;
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    // The frame is not part of the canvas: a press there is no press on it.
    if (!contentsRect().contains(event->position().toPoint())) {
        event->ignore();
        return;
    }
    pressedHere_ = true;
    if (hooks.press) hooks.press(pointerFor(event, buttonFlags(event->button())));
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    // While a button is held the canvas keeps the pointer, so moves outside it
    // still arrive; that is how a drag reaches the canvas's edge.
    if (hooks.move) hooks.move(pointerFor(event, buttonFlags(event->buttons())));
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedHere_) {
        event->ignore();
        return;
    }
    const CanvasPointer p = pointerFor(event, buttonFlags(event->button()));
    if (event->buttons() == Qt::NoButton) pressedHere_ = false;
    if (hooks.release) hooks.release(p);
}

void CanvasWidget::keyPressEvent(QKeyEvent* event) {
    const bool menuKey = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey && hooks.menuKey) {
        hooks.menuKey();
        return;
    }
    if (hooks.key && hooks.key(*event)) return;
    QFrame::keyPressEvent(event);
}

void CanvasWidget::contextMenuEvent(QContextMenuEvent* event) {
    // A right press opens the menu through the rules, at the pointer.
    if (event->reason() == QContextMenuEvent::Mouse || !hooks.menuKey) {
        event->ignore();
        return;
    }
    hooks.menuKey();
}

}  // namespace qm
