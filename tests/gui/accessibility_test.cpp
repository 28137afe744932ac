// The window to assistive technology, in process through Qt's accessibility: the
// toolbar's buttons and the menus' items by name, the editor boxes named, and the
// canvas with the drawing's elements as children, the selected one focused, kept
// in line as the drawing changes, and what changes announced once a screen reader
// listens. (Qt delivers the announcements only to a platform bridge with a client;
// tests/e2e/accessibility.sh has one. Here they are taken before the bridge.)
#include <map>

#include <QAccessible>
#include <QMenuBar>
#include <QToolBar>
#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

#include "app/canvas_widget.h"
#include "app/editor_boxes.h"
#include "app/main_window.h"
#include "windows.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "model/labels.h"

namespace qm {
namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

QStringList childNames(QAccessibleInterface* parent) {
    QStringList names;
    for (int k = 0; k < parent->childCount(); ++k) names << parent->child(k)->text(QAccessible::Name);
    return names;
}

// What a screen reader listening to the canvas hears, "event name" each.
QAccessibleInterface* heardCanvas = nullptr;
QStringList heard;

void hear(QAccessibleEvent* e) {
    QAccessibleInterface* from = e->accessibleInterface();
    if (!from || !heardCanvas || from->parent() != heardCanvas) return;
    const std::map<QAccessible::Event, const char*> names{
        {QAccessible::ObjectCreated, "created"},   {QAccessible::ObjectDestroyed, "destroyed"},
        {QAccessible::NameChanged, "renamed"},     {QAccessible::SelectionAdd, "selected"},
        {QAccessible::SelectionRemove, "unselected"}, {QAccessible::Focus, "focused"},
        {QAccessible::StateChanged, "state"}};
    const auto name = names.find(e->type());
    heard << QString::fromUtf8(name == names.end() ? "other" : name->second) + QLatin1Char(' ') +
                 from->text(QAccessible::Name);
}

// As a screen reader that starts listening: accessibility becomes active.
void listen(QAccessibleInterface* canvas, bool on) {
    heardCanvas = on ? canvas : nullptr;
    heard.clear();
    QAccessible::installUpdateHandler(on ? hear : nullptr);
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasAName() {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QStringList buttons = childNames(QAccessible::queryAccessibleInterface(w.toolbar()));
        for (const char* text : {"矩形", "菱形", "椭圆", "左箭头", "右箭头", "上箭头", "下箭头", "折线箭头", "标签",
                                 "竖向标签", "新建", "打开", "保存"})
            QVERIFY2(buttons.contains(u(text)), text);
        // Every menu, the Edit menu the canvas pops up too.
        for (QMenu* menu : w.findChildren<QMenu*>()) {
            QAccessibleInterface* m = QAccessible::queryAccessibleInterface(menu);
            for (int k = 0; k < m->childCount(); ++k) {
                if (m->child(k)->role() == QAccessible::Separator) continue;
                const QString name = m->child(k)->text(QAccessible::Name);
                QVERIFY2(!name.isEmpty(), qPrintable(menu->title()));
                // A key shown beside the caption is no part of the name.
                QVERIFY2(!name.contains(QStringLiteral("  ")) && !name.contains(QLatin1Char('\t')), qPrintable(name));
            }
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(w.view().text1())->text(QAccessible::Name), u("编辑文字"));
        QCOMPARE(QAccessible::queryAccessibleInterface(w.view().text2())->text(QAccessible::Name), u("编辑竖排文字"));
    }

    // A rectangle with two texts and an arrow on a new drawing: the canvas lists
    // them and the title block; Tab and Shift+Tab select and focus them in turn; a changed text, a deleted
    // element and a new one are read as they are.
    void theCanvasReadsTheChartAndFollowsTheSelection() {
        MainWindow w;
        QVERIFY(test::shownActive(&w));
        Editor& ed = w.editor();
        w.findChild<QAction*>(QStringLiteral("insJX"))->trigger();
        canvasMove(ed, 0, 0, 3000, 3000);
        canvasPress(ed, 1, 0, 3000, 3000);
        canvasRelease(ed, 1, 0, 3000, 3000);
        w.findChild<QAction*>(QStringLiteral("instUpJT"))->trigger();
        canvasMove(ed, 0, 0, 7500, 3000);
        canvasPress(ed, 1, 0, 7500, 3000);
        canvasRelease(ed, 1, 0, 7500, 3000);
        canvasPress(ed, 1, 0, 9000, 6000);  // nothing selected
        const ShapeRecord& rec = ed.doc.shapeRec[1];
        setCaption(*ed.doc.Label.find(rec.label1), "接收订单", w.view().metrics());
        setCaption(*ed.doc.Label.find(rec.label2), "录入系统", w.view().metrics());
        w.view().refresh();

        CanvasWidget* canvas = w.canvas();
        QAccessibleInterface* c = QAccessible::queryAccessibleInterface(canvas);
        QCOMPARE(c->role(), QAccessible::Canvas);
        QCOMPARE(childNames(c).mid(0, 3),
                 QStringList({u("矩形：接收订单 / 录入系统"), u("上箭头"),
                              u("标题栏：单击这里添加标题 / 编号: / 制作人：单击添加制作人 / 审核：单击添加审核 / "
                                "依据：单击添加依据")}));
        QAccessibleInterface* rectangle = c->child(0);
        QCOMPARE(rectangle->role(), QAccessible::Graphic);
        QVERIFY(rectangle->rect().contains(canvas->mapToGlobal(canvas->toWidget(3900, 3600).toPoint())));
        QVERIFY(!rectangle->state().selected);

        canvas->setFocus();
        QTest::keyClick(canvas, Qt::Key_Tab);  // the number field and the title come first
        QTest::keyClick(canvas, Qt::Key_Tab);
        QTest::keyClick(canvas, Qt::Key_Tab);
        QVERIFY(rectangle->state().selected && rectangle->state().focused);
        QCOMPARE(c->focusChild(), rectangle);
        QTest::keyClick(canvas, Qt::Key_Tab);
        QVERIFY(!rectangle->state().selected);
        QVERIFY(c->child(1)->state().focused);
        QTest::keyClick(canvas, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(c->focusChild(), rectangle);
        QTest::keyClick(canvas, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(c->focusChild(), c->child(2));  // the title, one of the title block's texts
        QTest::keyClick(canvas, Qt::Key_Tab);

        // A straight arrow has an extent both ways, its head included.
        const QRect arrow = c->child(1)->rect();
        QVERIFY2(arrow.width() > 0 && arrow.height() > 0,
                 qPrintable(QStringLiteral("%1x%2").arg(arrow.width()).arg(arrow.height())));
        // 全选: every element it selects reads as selected, not only the first.
        w.findChild<QAction*>(QStringLiteral("editSelectAll"))->trigger();
        QVERIFY(rectangle->state().selected && c->child(1)->state().selected);
        // A text of the rectangle selected alone: the rectangle reads as selected.
        w.view().perform([&](Editor& e) { selectElement(e, ElementKind::Label, rec.label1); });
        QVERIFY(rectangle->state().selected && !c->child(1)->state().selected);
        QTest::keyClick(canvas, Qt::Key_Escape);
        QVERIFY(!rectangle->state().selected);
        for (int k = 0; k < 3; ++k) QTest::keyClick(canvas, Qt::Key_Tab);  // the number field, the title, then it

        // A screen reader listens from here on: it hears what changes from now,
        // not that the rectangle was selected before.
        listen(c, true);
        setCaption(*ed.doc.Label.find(rec.label2), "核对", w.view().metrics());
        w.view().refresh();
        QCOMPARE(rectangle->text(QAccessible::Name), u("矩形：接收订单 / 核对"));
        const int before = c->childCount();
        QTest::keyClick(canvas, Qt::Key_Delete);
        QCOMPARE(c->childCount(), before - 1);
        QCOMPARE(c->child(0)->text(QAccessible::Name), u("上箭头"));
        w.findChild<QAction*>(QStringLiteral("insLX"))->trigger();
        QCOMPARE(c->child(1)->text(QAccessible::Name), u("菱形：添加文本 / 添加文本"));  // before the title block
        const QStringList told = heard;
        listen(c, false);
        QCOMPARE(told, QStringList({u("renamed 矩形：接收订单 / 核对"), u("destroyed 矩形：接收订单 / 核对"),
                                    u("created 菱形：添加文本 / 添加文本")}));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestAccessibility)
#include "accessibility_test.moc"
