// The main window of qmp: the shared window with the canvas lying directly on the
// client area, qmp's rules and canvas geometry, its menus and nine-button toolbar.
#pragma once

#include "app/editor_window.h"

namespace qm::reduced {

class QmpWindow : public EditorWindow {
    Q_OBJECT
public:
    explicit QmpWindow(QWidget* parent = nullptr);
};

}  // namespace qm::reduced
