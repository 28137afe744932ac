// The canvas Picture1: a white drawing surface in a sunken two-pixel frame that
// paints the current document and hands pointer and key input to the editor as
// canvas client twips. It holds no editor rules of its own.
#pragma once
#include <functional>

#include <QFrame>
#include <QImage>

#include "app/document_painter.h"
#include "model/document.h"

namespace qm {

// A pointer event as the editor's rules take it: the button flags (1 left,
// 2 right, 4 middle), the modifier flags (1 Shift, 2 Ctrl, 4 Alt) and the position
// in twips relative to the canvas's client area.
struct CanvasPointer {
    int button = 0;
    int shift = 0;
    float x = 0, y = 0;
};

struct CanvasHooks {
    std::function<void(const CanvasPointer&)> press, move, release;
    // After a press and a release on the canvas, following the release.
    std::function<void(const CanvasPointer&)> click;
    std::function<void()> deleteKey;
};

class CanvasWidget : public QFrame {
    Q_OBJECT
public:
    explicit CanvasWidget(QWidget* parent = nullptr);

    // The document shown; must outlive the widget or be replaced. Null shows an
    // empty canvas.
    void setDocument(const Document* doc);
    const Document* document() const { return doc_; }

    CanvasHooks hooks;

    // Where the client area (element coordinates 0,0) lies inside the widget.
    QPoint clientOrigin() const { return contentsRect().topLeft(); }

    // Twips of the client area for a widget position, and back.
    CanvasPointer toTwips(QPointF widgetPos) const;
    QPointF toWidget(float xTwips, float yTwips) const;

    // The canvas as it would appear on screen, frame included, at one image pixel
    // per logical pixel; works for a hidden widget too.
    QImage renderImage();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CanvasPointer pointerFor(const QMouseEvent* event, int button) const;

    const Document* doc_ = nullptr;
    bool pressedHere_ = false;  // a press began in the client area
};

// The flags of a set of Qt buttons and modifiers.
int buttonFlags(Qt::MouseButtons buttons);
int shiftFlags(Qt::KeyboardModifiers modifiers);

}  // namespace qm
