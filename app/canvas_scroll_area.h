// The scrolling area the canvas lies in. The canvas sits on a sheet at the margins
// the program's window gives it at 100%; the sheet scrolls where it is larger than
// the area and is centred where it is smaller, so a window of the size it opens
// with shows the canvas exactly where it always was. Ctrl with the wheel anywhere
// over the area asks for zoom steps about the point under the pointer.
#pragma once
#include <functional>

#include <QMargins>
#include <QScrollArea>

namespace qm {

class CanvasScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit CanvasScrollArea(QWidget* parent = nullptr);

    // The canvas on the sheet, `margins` in from its edges; the sheet keeps the
    // canvas's size plus the margins whenever the canvas changes size.
    void setCanvas(QWidget* canvas, QMargins margins);

    // Scrolls, as far as the scrollbars reach, so that the canvas position
    // `onCanvas` lies under `inViewport`.
    void keepUnder(QPointF onCanvas, QPoint inViewport);

    // The room the canvas has in the area without scrollbars, margins left out.
    QSize room() const;

    // Ctrl+wheel over the area: whole steps (positive: in) and where the pointer is
    // in the viewport.
    std::function<void(int steps, QPoint inViewport)> zoomWheel;

protected:
    void wheelEvent(QWheelEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitSheet();
    void placeCanvas();

    QWidget* canvas_ = nullptr;
    QMargins margins_;
    int wheelAngle_ = 0;  // what fine-grained wheels turned short of a whole step
};

}  // namespace qm
