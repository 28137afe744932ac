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
}

void CanvasWidget::setIdleHost(Host* host, std::function<std::vector<ElementRef>()> selectedByAll) {
    frames_.setIdleHost(host, std::move(selectedByAll));
}

void CanvasWidget::setDocument(const Document* doc) {
    frames_.setDocument(doc);
    update();
}

void CanvasWidget::setZoom(qreal zoom) {
    if (zoom == zoom_) return;
    pictureSize_ = pictureSize();
    zoom_ = zoom;
    const QSize client = pictureSize_ - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
    const QSize shown(static_cast<int>(std::ceil(client.width() * zoom)), static_cast<int>(std::ceil(client.height() * zoom)));
    setFixedSize(shown + QSize(2 * kCanvasFrame, 2 * kCanvasFrame));
    place();
    update();
}

void CanvasWidget::place() { frames_.place(clientSize(), zoom_, devicePixelRatioF(), clientOrigin()); }

QSize CanvasWidget::clientSize() const {
    return pictureSize() - QSize(2 * kCanvasFrame, 2 * kCanvasFrame);
}

void CanvasWidget::refreshDrawing() {
    place();
    const QRegion dirty = frames_.refreshDrawing();
    if (!document()) {
        update();
        return;
    }
    unpainted_ += dirty;
    update(dirty);
}

void CanvasWidget::refreshMoving() {
    place();
    const QRegion dirty = frames_.refreshMoving();
    unpainted_ += dirty;
    update(dirty);
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

QImage CanvasWidget::renderImage() { return canvasPictureImage(document(), pictureSize(), 1, CanvasLook::Editing); }

void CanvasWidget::paintNow() {
    if (!unpainted_.isEmpty()) repaint(unpainted_);
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    unpainted_ = QRegion();  // Qt paints all that is due at once
    QPainter painter(this);
    for (const QRect& r : dueAreas(event->region())) paintCanvas(painter, r);
    frames_.framePainted();
}

void CanvasWidget::paintCanvas(QPainter& painter, const QRect& area) {
    paintCanvasFrame(painter, size());
    const QRect client = contentsRect();
    const QRect dirty = area & client;
    if (dirty.isEmpty()) return;
    if (!document()) {
        painter.fillRect(dirty, kCanvasBackground);
        return;
    }
    // What must be painted, and what is in view, which is all the cached layer
    // need hold.
    place();
    painter.save();
    frames_.paint(painter, dirty, visibleRegion().boundingRect() & client);
    painter.restore();
    paintOverlay(painter, view(), client, dirty, overlay_);
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

// Alt by itself: its flag as it is after the key, which the event's modifiers do
// not yet say on every window system. The key goes on as it did.
void CanvasWidget::tellAlt(const QKeyEvent& event) {
    if (event.key() != Qt::Key_Alt || event.isAutoRepeat() || !hooks.modifiers) return;
    const int others = shiftFlags(event.modifiers()) & ~4;
    hooks.modifiers(event.type() == QEvent::KeyPress ? others | 4 : others);
}

void CanvasWidget::keyPressEvent(QKeyEvent* event) {
    tellAlt(*event);
    const bool menuKey = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey && hooks.menuKey) {
        hooks.menuKey();
        return;
    }
    if (hooks.key && hooks.key(*event)) return;
    QFrame::keyPressEvent(event);
}

void CanvasWidget::keyReleaseEvent(QKeyEvent* event) {
    tellAlt(*event);
    QFrame::keyReleaseEvent(event);
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
