#include "app/edit_menu.h"

#include <QAction>
#include <QMenu>

#include "app/editor_view.h"
#include "edit/insert.h"
#include "interact/rules.h"

namespace qm {

QAction* addCommand(QMenu* menu, const char* caption, const char* objectName, EditorView& view,
                    std::function<void(Editor&)> command) {
    QAction* action = menu->addAction(QString::fromUtf8(caption));
    action->setObjectName(QString::fromUtf8(objectName));
    return view.bind(action, std::move(command));
}

QMenu* buildEditMenu(QWidget* parent, EditorView& view) {
    auto* edit = new QMenu(QString::fromUtf8("编辑(&E)"), parent);
    edit->setObjectName(QStringLiteral("edit"));
    addCommand(edit, "插入矩形(&R)", "insJX", view, [](Editor& ed) { insertShape(ed, ShapeStyle::Rectangle); });
    addCommand(edit, "插入椭圆(&O)", "insTY", view, [](Editor& ed) { insertShape(ed, ShapeStyle::Oval); });
    addCommand(edit, "插入菱形(&D)", "insLX", view, insertDiamond);
    addCommand(edit, "插入标签(&L)", "insLabel", view, [](Editor& ed) { insertLabel(ed, false); });
    addCommand(edit, "插入竖向标签(&H)", "instHLabel", view, [](Editor& ed) { insertLabel(ed, true); });

    QMenu* arrows = edit->addMenu(QString::fromUtf8("插入箭头(&A)"));
    arrows->setObjectName(QStringLiteral("insJT"));
    arrows->menuAction()->setObjectName(QStringLiteral("insJT"));
    addCommand(arrows, "上箭头", "instUpJT", view, [](Editor& ed) { insertStraightArrow(ed, Dir::Up); });
    addCommand(arrows, "下箭头", "instDownJT", view, [](Editor& ed) { insertStraightArrow(ed, Dir::Down); });
    addCommand(arrows, "左箭头", "instLeftJT", view, [](Editor& ed) { insertStraightArrow(ed, Dir::Left); });
    addCommand(arrows, "右箭头", "instRightJT", view, [](Editor& ed) { insertStraightArrow(ed, Dir::Right); });
    addCommand(arrows, "折线箭头", "instJT", view, insertPolylineArrow);

    edit->addSeparator()->setObjectName(QStringLiteral("noname"));
    // "Del" is part of the caption only: the Delete key belongs to the canvas, and
    // a shortcut here would also take it from the editor boxes.
    addCommand(edit, "删除        Del", "editDelete", view, deleteCommand);

    view.setEditMenu(edit);
    return edit;
}

}  // namespace qm
