// The main window of quillmap: the shared window with the framed canvas, quillmap's
// rules, menus and fourteen-button toolbar.
#pragma once
#include <string>

#include "app/editor_window.h"

namespace qm {

// The status bar's height, in pixels: the window is the client area, the menu bar
// above it and this below.
inline constexpr int kStatusBarHeight = 26;

class MainWindow : public EditorWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);

    // Opens the document at a path (UTF-8) as Open would after its dialog: a file
    // the desktop hands the program. False when it was not read; the user has been
    // told why and the drawing is as it was.
    bool openFile(const std::string& path);

private:
    // 视图's grid and guide switches, kept between runs.
    void addSnappingItems();
};

}  // namespace qm
