// The canvas Picture1: a white drawing surface in a sunken two-pixel frame that
// paints the current document and hands pointer and key input to the editor as
// canvas client twips. It holds no editor rules of its own. Zoomed, the drawing
// inside the frame is shown larger or smaller; the frame stays two pixels.
#pragma once
#include <functional>
#include <optional>
#include <vector>

#include <QFrame>
#include <QImage>

class QKeyEvent;
class QPainter;

#include "model/document.h"
#include "render/canvas_frames.h"
#include "render/guides_painter.h"
#include "render/zoomed_view.h"

namespace qm {

// A pointer event as the editor's rules take it: the button flags (1 left,
// 2 right, 4 middle), the modifier flags (1 Shift, 2 Ctrl, 4 Alt) and the position
// in twips relative to the canvas's client area.
struct CanvasPointer {
    int button = 0;
    int shift = 0;
    float x = 0, y = 0;
};

// A release follows only a press that began in the client area; whether it was a
// click is for the receiver to decide. Every key pressed on the canvas, Tab and
// Shift+Tab included, goes to `key`, which says whether it used it; the context
// menu key (or Shift+F10) asks for the Edit menu at the selection. Alt pressed or
// let go on its own goes to `modifiers` with the flags held afterwards.
struct CanvasHooks {
    std::function<void(const CanvasPointer&)> press, move, release;
    std::function<bool(const QKeyEvent&)> key;
    std::function<void(int shift)> modifiers;
    std::function<void()> menuKey;
};

class CanvasWidget : public QFrame {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr);

    // The document shown; must outlive the widget or be replaced. Null shows an
    // empty canvas.
    void setDocument(const Document* doc);
    const Document* document() const { return frames_.document(); }

    // The host asked to prepare, while the user rests, the layer 全选 would
    // raise, and what 全选 would select now (null host: nothing is prepared).
    void setIdleHost(Host* host, std::function<std::vector<ElementRef>()> selectedByAll);

    CanvasHooks hooks;

    // The canvas's outer size at 100%, frame included (logical pixels): the size
    // the widget is given while at 100%. Zoomed, the widget is the client area
    // times the zoom with two pixels of frame round it.
    QSize pictureSize() const { return zoom_ == 1 ? size() : pictureSize_; }
    // Screen pixels to a pixel of the drawing: 1 is 100%.
    void setZoom(qreal zoom);
    qreal zoom() const { return zoom_; }

    // Where the client area (element coordinates 0,0) lies inside the widget.
    QPoint clientOrigin() const { return contentsRect().topLeft(); }

    // Twips of the client area for a widget position, and back.
    CanvasPointer toTwips(QPointF widgetPos) const;
    QPointF toWidget(float xTwips, float yTwips) const;

    // The canvas as it would appear on screen at 100%, frame included, at one image
    // pixel per logical pixel, whatever the zoom; works for a hidden widget too.
    // Always painted in full from the document, never from the cached layer.
    QImage renderImage();

    // The elements that move with the pointer now (sorted, as movingParts gives
    // them). The rest of the drawing is painted from a cached layer, and these
    // over it.
    void setMoving(std::vector<PartRef> parts) { frames_.setMoving(std::move(parts)); }
    const std::vector<PartRef>& moving() const { return frames_.moving(); }
    // Anything in the document may have changed: the layer catches up with it and
    // what looks different is repainted, however the change was made.
    void refreshDrawing();
    // Only the moving parts changed: their old and new places are repainted.
    void refreshMoving();
    // What the two above left to repaint, painted and sent to the screen now
    // rather than when the event loop comes round to it.
    void paintNow();
    bool hasCachedLayer() const { return frames_.cache().hasLayer(); }

    // The grid and guide lines shown over the drawing; what they covered and now
    // cover is repainted.
    void setOverlay(CanvasOverlay overlay);
    const CanvasOverlay& overlay() const { return overlay_; }

    // Forget a press whose release will not come (a popup menu took it).
    void forgetPress() { pressedHere_ = false; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Tab steps through the drawing, not to the next control.
    bool focusNextPrevChild(bool) override { return false; }

private:
    CanvasPointer pointerFor(const QMouseEvent* event, int button) const;
    void tellAlt(const QKeyEvent& event);
    QSize clientSize() const;  // at 100%
    // The canvas client pixels as the widget shows them.
    ZoomedView view() const { return {zoom_, QPointF(clientOrigin())}; }
    // Tells the drawing where it is shown now: the screen's ratio may change.
    void place();
    // Asked to be repainted and not painted since.
    QRegion unpainted_;

    QSize pictureSize_;  // while zoomed
    qreal zoom_ = 1;
    bool pressedHere_ = false;  // a press began in the client area
    CanvasFrames frames_;
    CanvasOverlay overlay_;
    // The frame, then the drawing inside the area (widget coordinates).
    void paintCanvas(QPainter& painter, const QRect& area);
};

// The flags of a set of Qt buttons and modifiers.
int buttonFlags(Qt::MouseButtons buttons);
int shiftFlags(Qt::KeyboardModifiers modifiers);

}  // namespace qm
