#include "app/canvas_scroll_area.h"

#include <algorithm>

#include <QCoreApplication>
#include <QEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace qm {

// The sheet is as large as the viewport, and never smaller than the canvas and
// its margins: the scroll area then shows scrollbars exactly when they are needed,
// also when the canvas shrinks back to a size that fits.
CanvasScrollArea::CanvasScrollArea(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);  // the keys are the canvas's
    auto* sheet = new QWidget;
    sheet->setObjectName(QStringLiteral("canvasSheet"));
    sheet->installEventFilter(this);
    setWidget(sheet);
}

void CanvasScrollArea::setCanvas(QWidget* canvas, QMargins margins) {
    canvas_ = canvas;
    margins_ = margins;
    canvas->setParent(widget());
    canvas->installEventFilter(this);
    fitSheet();
    canvas->show();
}

void CanvasScrollArea::fitSheet() {
    widget()->setMinimumSize(canvas_->size().grownBy(margins_));
    // Now rather than when the posted layout request arrives: the caller may
    // scroll next.
    QEvent relayout(QEvent::LayoutRequest);
    QCoreApplication::sendEvent(this, &relayout);
    placeCanvas();
}

void CanvasScrollArea::placeCanvas() {
    // At its margins when the sheet is no larger than it needs to be, else in the
    // middle of what the sheet has to spare.
    const QSize spare = widget()->size() - widget()->minimumSize();
    canvas_->move(margins_.left() + std::max(0, spare.width() / 2), margins_.top() + std::max(0, spare.height() / 2));
}

bool CanvasScrollArea::eventFilter(QObject* watched, QEvent* event) {
    if (canvas_ && event->type() == QEvent::Resize) {
        if (watched == canvas_) fitSheet();
        if (watched == widget()) placeCanvas();
    }
    return QScrollArea::eventFilter(watched, event);
}

void CanvasScrollArea::keepUnder(QPointF onCanvas, QPoint inViewport) {
    if (!canvas_) return;
    const QPoint now = canvas_->mapTo(viewport(), onCanvas.toPoint());
    horizontalScrollBar()->setValue(horizontalScrollBar()->value() + now.x() - inViewport.x());
    verticalScrollBar()->setValue(verticalScrollBar()->value() + now.y() - inViewport.y());
}

QSize CanvasScrollArea::room() const { return maximumViewportSize().shrunkBy(margins_); }

void CanvasScrollArea::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier) || !zoomWheel) {
        QScrollArea::wheelEvent(event);
        return;
    }
    event->accept();
    wheelAngle_ += event->angleDelta().y();
    const int steps = wheelAngle_ / QWheelEvent::DefaultDeltasPerStep;
    if (steps == 0) return;
    wheelAngle_ -= steps * QWheelEvent::DefaultDeltasPerStep;
    // Arriving through the viewport or over the frame, the event's own position
    // is relative to either; the global one is not.
    zoomWheel(steps, viewport()->mapFromGlobal(event->globalPosition().toPoint()));
}

}  // namespace qm
