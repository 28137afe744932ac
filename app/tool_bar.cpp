#include "app/tool_bar.h"

#include <QAction>
#include <QToolBar>

namespace qm {

void fillToolbar(QToolBar* bar, const std::vector<ToolButton>& buttons) {
    int number = 0;
    for (const ToolButton& b : buttons) {
        ++number;
        const QString name = QStringLiteral("toolButton%1").arg(number);
        if (b.text.isEmpty()) {
            bar->addSeparator()->setObjectName(name);
            continue;
        }
        QAction* action = bar->addAction(b.icon, b.text);
        action->setObjectName(name);
        action->setToolTip(b.text);
        if (QWidget* w = bar->widgetForAction(action)) {
            w->setAccessibleName(b.text);
            w->setObjectName(name);
        }
        if (b.run) QObject::connect(action, &QAction::triggered, bar, b.run);
    }
}

}  // namespace qm
