// Windows, menus and modal dialogs as a GUI test meets them.
#pragma once
#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace qm::test {

// Shows `w` and waits until the window manager has made it active; false when it
// never became so.
inline bool shownActive(QWidget* w) {
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

struct MenuItem {
    QString caption, name, shortcut;
    bool operator==(const MenuItem&) const = default;
};

// The actions of a menu as (caption, object name, shortcut); a separator is "-".
inline QList<MenuItem> itemsOf(const QMenu* menu) {
    QList<MenuItem> items;
    for (const QAction* a : menu->actions())
        items.append({a->isSeparator() ? QStringLiteral("-") : a->text(), a->objectName(),
                      a->shortcut().toString(QKeySequence::PortableText)});
    return items;
}

// Runs `act` on the modal dialog once it is up. A modal window of another kind is
// closed, so that a failing test does not leave the next one blocked behind it.
template <class Dialog>
void whenModal(std::function<void(Dialog*)> act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!d) {
            if (QWidget* other = QApplication::activeModalWidget()) other->close();
            QFAIL("no modal dialog of the expected kind");
        }
        act(d);
    });
}

}  // namespace qm::test
