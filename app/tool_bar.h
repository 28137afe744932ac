// Filling a program's toolbar from its button table: each button shows its icon
// and carries its text as tooltip and accessible name; an entry without text is a
// separator that does nothing.
#pragma once
#include <functional>
#include <vector>

#include <QIcon>
#include <QString>

class QToolBar;

namespace qm {

struct ToolButton {
    QString text;  // empty: a separator
    QIcon icon;
    std::function<void()> run;
};

// Adds the buttons in table order. Their actions are named toolButton1 and on,
// after their numbers in the table.
void fillToolbar(QToolBar* bar, const std::vector<ToolButton>& buttons);

}  // namespace qm
