// Menus a keyboard reaches: every item of every menu, and every menu of the bar,
// has an access key, and no two in one menu share one.
#pragma once
#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>

namespace qm::test {

// What is wrong, one line each; empty when nothing is.
inline QStringList accessKeyProblems(const QList<QAction*>& actions, const QString& where) {
    QStringList problems;
    QList<QKeySequence> seen;
    for (const QAction* a : actions) {
        if (a->isSeparator()) continue;
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        if (key.isEmpty()) problems << where + QStringLiteral(": no access key in ") + a->text();
        else if (seen.contains(key)) problems << where + QStringLiteral(": access key taken twice by ") + a->text();
        seen << key;
        if (a->menu()) problems << accessKeyProblems(a->menu()->actions(), where + QStringLiteral(" > ") + a->text());
    }
    return problems;
}

inline QStringList accessKeyProblems(const QMenuBar* bar) {
    return accessKeyProblems(bar->actions(), QStringLiteral("menu bar"));
}

}  // namespace qm::test
