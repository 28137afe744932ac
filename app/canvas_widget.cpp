#include "app/canvas_widget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include "model/editor.h"
#include "render/canvas_painter.h"

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
}

void CanvasWidget::setDocument(const Document* doc) {
    doc_ = doc;
    cache_.invalidate();
    update();
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
    update(cache_.catchUp(*doc_, moving_, contentsRect().size(), canvasPaintOptions(*doc_)).translated(clientOrigin()));
}

void CanvasWidget::refreshMoving() {
    if (!doc_ || movingChanged_) {
        refreshDrawing();
        return;
    }
    update(cache_.moved(*doc_, moving_).translated(clientOrigin()));
}

CanvasPointer CanvasWidget::toTwips(QPointF widgetPos) const {
    const QPointF client = widgetPos - QPointF(clientOrigin());
    CanvasPointer p;
    p.x = static_cast<float>(client.x()) * kTwipsPerPixel;
    p.y = static_cast<float>(client.y()) * kTwipsPerPixel;
    return p;
}

QPointF CanvasWidget::toWidget(float xTwips, float yTwips) const {
    return QPointF(clientOrigin()) + QPointF(xTwips / kTwipsPerPixel, yTwips / kTwipsPerPixel);
}

QImage CanvasWidget::renderImage() { return canvasPictureImage(doc_, size(), 1, CanvasLook::Editing); }

void CanvasWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    paintCanvas(painter, event->rect());
}

void CanvasWidget::paintCanvas(QPainter& painter, const QRect& area) {
    if (!doc_) {
        paintCanvasPicture(painter, doc_, size(), area);
        return;
    }
    paintCanvasFrame(painter, size());
    const QRect client = contentsRect();
    const QRect dirty = area & client;
    if (dirty.isEmpty()) return;
    painter.setClipRect(dirty);
    painter.translate(client.topLeft());
    cache_.paint(painter, *doc_, moving_, client.size(), devicePixelRatioF(), QRectF(dirty.translated(-client.topLeft())),
                 canvasPaintOptions(*doc_));
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
    if (hooks.key && hooks.key(*event)) return;
    QFrame::keyPressEvent(event);
}

}  // namespace qm
