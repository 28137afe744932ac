// The main window Form1: menu bar, toolbar strip and the framed canvas in a fixed
// layout. It owns the editor (document, host, metrics), starts the document up and
// turns the widgets' events into calls the rules take.
#pragma once
#include <functional>

#include <QMainWindow>

#include "app/qt_host.h"
#include "app/qt_text_metrics.h"
#include "model/editor.h"

class QFrame;
class QMenu;
class QToolBar;

namespace qm {

class CanvasWidget;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Positions of the fixed layout, in twips of the window's client area (the area
    // below the menu bar).
    static constexpr int kClientWidth = 14760, kClientHeight = 10320;
    static constexpr int kPicture2Left = 75, kPicture2Top = 450;
    static constexpr int kPicture2Width = 14565, kPicture2Height = 9765;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    Editor& editor() { return ed_; }
    QtHost& host() { return host_; }
    const QtTextMetrics& metrics() const { return metrics_; }
    CanvasWidget* canvas() const { return canvas_; }
    QWidget* client() const { return client_; }
    QFrame* container() const { return picture2_; }
    QToolBar* toolbar() const { return toolbar_; }
    QMenu* editMenu() const { return editMenu_; }

    // Asked when the window is about to close; returning false keeps it open.
    // Unset, the window closes.
    std::function<bool()> closeRequest;
    // Called on every tick of Timer1 and Timer2.
    std::function<void()> timer1Tick, timer2Tick;

    // Shows the document's current state.
    void refresh();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();

    QtTextMetrics metrics_;
    QtHost host_;
    Editor ed_;

    QWidget* client_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QFrame* picture2_ = nullptr;
    CanvasWidget* canvas_ = nullptr;
    QMenu* editMenu_ = nullptr;
};

}  // namespace qm
