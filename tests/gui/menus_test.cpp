// The menu bar, the Edit menu and the toolbar as the user meets them: every
// caption, object name, access key, shortcut and order, and what each command
// does to the drawing when it is chosen.
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QMessageBox>
#include <QScreen>
#include <QScopeGuard>
#include <QSettings>
#include <QPushButton>
#include <QTemporaryDir>
#include <QWindow>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "app/canvas_widget.h"
#include "app/compare_window.h"
#include "access_keys.h"
#include "windows.h"
#include "app/main_window.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/document_io.h"
#include "model/sel_kind.h"
#include "unit/support/fakes.h"
#include "model/selection_look.h"
#include "render/canvas_painter.h"
#include "render/change_painter.h"

namespace qm {
namespace {

using Item = test::MenuItem;
using test::itemsOf;
using test::whenModal;

QString u(const char* s) { return QString::fromUtf8(s); }

void compareItems(const QList<Item>& got, const QList<Item>& want) {
    QCOMPARE(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i) {
        QCOMPARE(got[i].caption, want[i].caption);
        QCOMPARE(got[i].name, want[i].name);
        QCOMPARE(got[i].shortcut, want[i].shortcut);
    }
}

void answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    whenModal<QMessageBox>([button, text](QMessageBox* box) {
        if (text) *text = box->text();
        box->button(button)->click();
    });
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

void chooseFile(const QString& path) {
    whenModal<QFileDialog>([path](QFileDialog* d) {
        d->selectFile(path);
        static_cast<QDialog*>(d)->accept();
    });
}

}  // namespace

class TestMenus : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> w;

    QAction* action(const char* name) {
        auto* a = w->findChild<QAction*>(QString::fromUtf8(name));
        if (!a) qFatal("no action %s", name);
        return a;
    }
    Document& doc() { return w->editor().doc; }

    // Drops what follows the pointer at (x, y) twips and leaves it selected.
    void dropAt(float x, float y) {
        test::drop(w->editor(), x, y);
        w->view().refresh();
    }

private slots:
    void init() {
        QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")).remove(QStringLiteral("view"));
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() {
        doc().modified = 0;
        w.reset();
    }

    void theMenuBarHasTheFourMenusInOrder() {
        const QList<QAction*> menus = w->menuBar()->actions();
        QCOMPARE(menus.size(), 4);
        const QStringList titles{u("文件(&F)"), u("编辑(&E)"), u("视图(&V)"), u("帮助(&H)")};
        const QStringList names{QStringLiteral("menuFile"), QStringLiteral("edit"), QStringLiteral("view"),
                                QStringLiteral("help")};
        for (int i = 0; i < 4; ++i) {
            QVERIFY(menus[i]->menu());
            QCOMPARE(menus[i]->text(), titles[i]);
            QCOMPARE(menus[i]->menu()->objectName(), names[i]);
        }
        compareItems(itemsOf(menus[0]->menu()), {
            {u("新建(&N)"), QStringLiteral("fileNew"), QStringLiteral("Ctrl+N")},
            {u("打开(&O)"), QStringLiteral("fileOpen"), QStringLiteral("Ctrl+O")},
            {u("保存(&S)"), QStringLiteral("fileSave"), QStringLiteral("Ctrl+S")},
            {u("另存为(&E)"), QStringLiteral("fileSaveAs"), QString()},
            {u("保存为BMP图像(&B)"), QStringLiteral("fileSaveAsBMP"), QStringLiteral("Ctrl+B")},
            {u("打印(&P)..."), QStringLiteral("filePrint"), QStringLiteral("Ctrl+P")},
            {u("打印预览(&V)..."), QStringLiteral("filePrintPreview"), QString()},
            {u("导出(&X)..."), QStringLiteral("fileExport"), QString()},
            {u("批量导出(&T)..."), QStringLiteral("fileBatchExport"), QString()},
            {u("比较(&M)..."), QStringLiteral("fileCompare"), QString()},
            {QStringLiteral("-"), QStringLiteral("fileSeparator"), QString()},
            {u("退出(&Q)"), QStringLiteral("fileExit"), QStringLiteral("Ctrl+Q")},
        });
        compareItems(itemsOf(menus[1]->menu()), {
            {u("撤销(&U)"), QStringLiteral("editUndo"), QStringLiteral("Ctrl+Z")},
            {u("重做(&Y)"), QStringLiteral("editRedo"), QStringLiteral("Ctrl+Y")},
            {QStringLiteral("-"), QStringLiteral("noname"), QString()},
            {u("剪切(&T)"), QStringLiteral("editCut"), QStringLiteral("Ctrl+X")},
            {u("复制(&C)"), QStringLiteral("editCopy"), QStringLiteral("Ctrl+C")},
            {u("粘贴(&P)"), QStringLiteral("editPaste"), QStringLiteral("Ctrl+V")},
            {u("创建副本(&I)"), QStringLiteral("editDuplicate"), QStringLiteral("Ctrl+D")},
            {u("全选(&S)"), QStringLiteral("editSelectAll"), QStringLiteral("Ctrl+A")},
            {u("复制图表为图片(&G)"), QStringLiteral("editCopyChart"), QString()},
            {QStringLiteral("-"), QStringLiteral("noname"), QString()},
            {u("插入矩形(&R)"), QStringLiteral("insJX"), QString()},
            {u("插入椭圆(&O)"), QStringLiteral("insTY"), QString()},
            {u("插入菱形(&D)"), QStringLiteral("insLX"), QString()},
            {u("插入标签(&L)"), QStringLiteral("insLabel"), QString()},
            {u("插入竖向标签(&H)"), QStringLiteral("instHLabel"), QString()},
            {u("插入箭头(&A)"), QStringLiteral("insJT"), QString()},
            {QStringLiteral("-"), QStringLiteral("noname"), QString()},
            {u("查找(&F)..."), QStringLiteral("editFind"), QStringLiteral("Ctrl+F")},
            {u("替换(&W)..."), QStringLiteral("editReplace"), QStringLiteral("Ctrl+H")},
            {u("对齐(&J)"), QStringLiteral("editAlign"), QString()},
            {u("删除(&E)"), QStringLiteral("editDelete"), QStringLiteral("Del")},
        });
        QCOMPARE(action("editRedo")->shortcuts(),
                 QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
        const QMenu* arrows = menus[1]->menu()->actions()[15]->menu();
        QVERIFY(arrows);
        compareItems(itemsOf(arrows), {
            {u("上箭头(&U)"), QStringLiteral("instUpJT"), QString()},
            {u("下箭头(&D)"), QStringLiteral("instDownJT"), QString()},
            {u("左箭头(&L)"), QStringLiteral("instLeftJT"), QString()},
            {u("右箭头(&R)"), QStringLiteral("instRightJT"), QString()},
            {u("折线箭头(&P)"), QStringLiteral("instJT"), QString()},
        });
        QVERIFY(action("editAlign")->menu());
        compareItems(itemsOf(action("editAlign")->menu()), {
            {u("左对齐(&L)"), QStringLiteral("alignLeft"), QString()},
            {u("水平居中(&C)"), QStringLiteral("alignCentre"), QString()},
            {u("右对齐(&R)"), QStringLiteral("alignRight"), QString()},
            {u("顶端对齐(&T)"), QStringLiteral("alignTop"), QString()},
            {u("垂直居中(&M)"), QStringLiteral("alignMiddle"), QString()},
            {u("底端对齐(&B)"), QStringLiteral("alignBottom"), QString()},
            {QStringLiteral("-"), QStringLiteral("alignSeparator"), QString()},
            {u("横向均匀分布(&H)"), QStringLiteral("distributeAcross"), QString()},
            {u("纵向均匀分布(&V)"), QStringLiteral("distributeDown"), QString()},
        });
        compareItems(itemsOf(menus[2]->menu()), {
            {u("放大(&I)"), QStringLiteral("viewZoomIn"), QStringLiteral("Ctrl+=")},
            {u("缩小(&O)"), QStringLiteral("viewZoomOut"), QStringLiteral("Ctrl+-")},
            {u("实际大小(&A)"), QStringLiteral("viewActualSize"), QStringLiteral("Ctrl+0")},
            {u("适合窗口(&F)"), QStringLiteral("viewFitWindow"), QString()},
            {QStringLiteral("-"), QStringLiteral("viewSeparator"), QString()},
            {u("显示网格(&G)"), QStringLiteral("viewShowGrid"), QString()},
            {u("对齐网格(&S)"), QStringLiteral("viewSnapToGrid"), QString()},
            {u("参考线(&L)"), QStringLiteral("viewGuides"), QString()},
        });
        QCOMPARE(action("viewZoomIn")->shortcuts(),
                 QList<QKeySequence>({QKeySequence(Qt::CTRL | Qt::Key_Equal), QKeySequence(Qt::CTRL | Qt::Key_Plus)}));
        compareItems(itemsOf(menus[3]->menu()), {
            {u("内容(&C)"), QStringLiteral("helpReadMe"), QString()},
            {u("关于(&A)"), QStringLiteral("helpAbout"), QString()},
        });
        // The canvas's context menu is this same Edit menu.
        QCOMPARE(w->editMenu(), menus[1]->menu());
        // Every item has an access key, and one key chooses one item of its menu.
        const QStringList problems = test::accessKeyProblems(w->menuBar());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u("\n"))));
    }

    // The grid's two switches start off and the guides on; each reaches the editor
    // at once and is kept for the next window.
    void theGridAndGuideSwitchesAreKeptBetweenRuns() {
        const auto reset = qScopeGuard([] { QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")).remove(QStringLiteral("view")); });
        const char* names[] = {"viewShowGrid", "viewSnapToGrid", "viewGuides"};
        for (const char* n : names) QVERIFY2(action(n)->isCheckable(), n);
        QVERIFY(!action("viewShowGrid")->isChecked());
        QVERIFY(!w->canvas()->overlay().grid);
        QVERIFY(!w->editor().snapToGrid);
        QVERIFY(w->editor().alignmentGuides);
        for (const char* n : names) action(n)->trigger();
        QVERIFY(w->canvas()->overlay().grid);
        QVERIFY(w->editor().snapToGrid);
        QVERIFY(!w->editor().alignmentGuides);
        cleanup();  // the next run, as init() starts it but for the settings
        w = std::make_unique<MainWindow>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(action("viewShowGrid")->isChecked());
        QVERIFY(w->editor().snapToGrid);
        QVERIFY(!w->editor().alignmentGuides);
    }

    void noCommandTakesTheDeleteKey() {
        // Delete belongs to the canvas and, while one is open, to an editor box; an
        // item may show it as its key only where it works in its open menu alone.
        for (const QAction* a : w->findChildren<QAction*>()) {
            const QList<QObject*> shownIn = a->associatedObjects();
            const bool inItsMenuOnly = a->shortcutContext() == Qt::WidgetShortcut &&
                                       std::all_of(shownIn.begin(), shownIn.end(),
                                                   [](const QObject* o) { return qobject_cast<const QMenu*>(o); });
            for (const QKeySequence& k : a->shortcuts())
                QVERIFY2(k != QKeySequence(Qt::Key_Delete) || inItsMenuOnly, qPrintable(a->objectName()));
        }
    }

    void theToolbarHasFourteenButtonsInItsOwnOrder() {
        const QList<QAction*> buttons = w->toolbar()->actions();
        QCOMPARE(buttons.size(), 14);
        const QStringList texts{u("矩形"), u("菱形"), u("椭圆"), u("左箭头"), u("右箭头"), u("上箭头"), u("下箭头"),
                                u("折线箭头"), u("标签"), u("竖向标签"), QString(), u("新建"), u("打开"), u("保存")};
        for (int i = 0; i < 14; ++i) {
            QAction* b = buttons[i];
            if (i == 10) {
                QVERIFY(b->isSeparator());
                continue;
            }
            QCOMPARE(b->text(), texts[i]);
            QCOMPARE(b->toolTip(), texts[i]);
            QWidget* button = w->toolbar()->widgetForAction(b);
            QVERIFY(button);
            QCOMPARE(button->accessibleName(), texts[i]);
            QVERIFY2(!b->icon().isNull(), qPrintable(texts[i]));
            QVERIFY(!b->icon().pixmap(QSize(16, 16), 2.0).isNull());
        }
    }

    // Each insert command, from the Edit menu or from the toolbar, starts placing
    // its element: (menu item, toolbar button, selKind, what it made).
    void insertCommandsStartPlacing_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("selKind");
        QTest::addColumn<int>("detail");  // shape style, word wrap, arrow direction
        QTest::newRow("rectangle") << "insJX" << 1 << int(SelKind::PlacingShape) << 0;
        QTest::newRow("diamond") << "insLX" << 2 << int(SelKind::PlacingDiamond) << 0;
        QTest::newRow("ellipse") << "insTY" << 3 << int(SelKind::PlacingShape) << 2;
        QTest::newRow("left arrow") << "instLeftJT" << 4 << int(SelKind::PlacingLeftArrow) << int(Dir::Left);
        QTest::newRow("right arrow") << "instRightJT" << 5 << int(SelKind::PlacingRightArrow) << int(Dir::Right);
        QTest::newRow("up arrow") << "instUpJT" << 6 << int(SelKind::PlacingUpArrow) << int(Dir::Up);
        QTest::newRow("down arrow") << "instDownJT" << 7 << int(SelKind::PlacingDownArrow) << int(Dir::Down);
        QTest::newRow("polyline arrow") << "instJT" << 8 << int(SelKind::DrawingArrow) << 0;
        QTest::newRow("label") << "insLabel" << 9 << int(SelKind::PlacingLabel) << 0;
        QTest::newRow("vertical label") << "instHLabel" << 10 << int(SelKind::PlacingLabel) << 1;
    }

    void insertCommandsStartPlacing() {
        QFETCH(QString, item);
        QFETCH(int, button);
        QFETCH(int, selKind);
        QFETCH(int, detail);
        for (QAction* trigger : {action(item.toUtf8().constData()), w->toolbar()->actions()[button - 1]}) {
            trigger->trigger();
            const Document& d = doc();
            QCOMPARE(int(d.selKind), selKind);
            const int i = d.selIndex;
            switch (d.selKind) {
                case SelKind::PlacingShape: QCOMPARE(int(d.Shape1.find(i)->style), detail); break;
                case SelKind::PlacingLabel:
                    QCOMPARE(int(d.Label.find(i)->wordWrap), detail);
                    QVERIFY(w->host().timer(TimerId::Timer1).isActive());
                    break;
                case SelKind::PlacingDiamond: QVERIFY(d.lx1.visible(i)); break;
                case SelKind::DrawingArrow: QCOMPARE(d.arrowRec[static_cast<size_t>(i)].count(), int16_t(0)); break;
                default: QCOMPARE(int(d.arrowRec[static_cast<size_t>(i)].direction()), detail); break;
            }
            QVERIFY(!w->canvas()->moving().empty());  // it follows the pointer
        }
    }

    void theSeparatorButtonDoesNothing() {
        QAction* eleven = w->toolbar()->actions()[10];
        const int16_t labels = doc().labelCount, modified = doc().modified;
        eleven->trigger();
        QCOMPARE(doc().labelCount, labels);
        QCOMPARE(doc().modified, modified);
        QCOMPARE(doc().selKind, SelKind::None);
    }

    void deleteHidesTheSelectedElementWithItsTexts() {
        QVERIFY(!action("editDelete")->isEnabled());  // nothing selected
        action("insJX")->trigger();
        QVERIFY(!action("editDelete")->isEnabled());  // still being placed
        dropAt(3000, 3000);
        QCOMPARE(doc().selKind, SelKind::Shape);
        QVERIFY(action("editDelete")->isEnabled());
        const ShapeRecord rec = doc().shapeRec[1];
        action("editDelete")->trigger();
        QVERIFY(!action("editDelete")->isEnabled());  // what was selected is gone

        // A right press selects before the view has caught up and opens the menu
        // at once: the menu looks at the editor as it opens.
        selectElement(w->editor(), ElementKind::Label, 5);
        bool enabledInMenu = false;
        QTimer::singleShot(0, [&] {
            enabledInMenu = action("editDelete")->isEnabled();
            if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
        });
        w->host().popupEditMenu();
        QVERIFY(enabledInMenu);
        QVERIFY(!doc().Shape1.visible(1));
        QVERIFY(!doc().LineRect.visible(1));
        QVERIFY(!doc().Label.visible(rec.label1));
        QVERIFY(!doc().Label.visible(rec.label2));
        QVERIFY(doc().Shape2.visible);  // nothing else
        QVERIFY(w->canvas()->renderImage().pixelColor(w->canvas()->toWidget(3300, 3000).toPoint()) == Qt::white);
    }

    // Cut, Copy and Duplicate need a selection and Paste something to paste. Copy
    // puts our elements, their pictures and their texts on the clipboard; Paste
    // brings them back 10 pixels on, and plain text as a label; 复制图表为图片 is
    // the chart at twice its pixels, without the frame and the selection's look.
    void clipboardItems() {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        for (const char* name : {"editCut", "editCopy", "editDuplicate", "editPaste", "editSelectAll"})
            QTRY_VERIFY2(!action(name)->isEnabled(), name);
        action("insJX")->trigger();
        dropAt(3000, 3000);
        for (const char* name : {"editCut", "editCopy", "editDuplicate"}) QVERIFY2(action(name)->isEnabled(), name);
        action("editCopy")->trigger();
        const QMimeData* data = clipboard->mimeData();
        QVERIFY(data->hasFormat(QStringLiteral("application/x-quillmap-elements")));
        QCOMPARE(data->text(), u("单击这里添加文本\n单击这里添加文本"));
        QVERIFY(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));
        const QImage elements = QImage::fromData(data->data(QStringLiteral("image/png")), "PNG");
        QCOMPARE(elements.size(), QSize(2 * 134, 2 * 81));  // the rectangle, its divider reaching one pixel past
        QCOMPARE(elements.pixelColor(2, 0), QColor(Qt::black));
        QTRY_VERIFY(action("editPaste")->isEnabled());
        action("editPaste")->trigger();
        QCOMPARE(doc().shapeCount, int16_t(2));
        QCOMPARE(doc().Shape1.find(2)->left, 3150.0f);
        QCOMPARE(doc().selIndex, int16_t(2));
        // 全选, then 创建副本 of both: the copies arrive selected together.
        QVERIFY(action("editSelectAll")->isEnabled());
        action("editSelectAll")->trigger();
        QCOMPARE(doc().selKind, SelKind::Several);
        // 对齐 needs two selected elements, distributing three.
        QVERIFY(action("alignLeft")->isEnabled());
        QVERIFY(!action("distributeAcross")->isEnabled());
        action("editDuplicate")->trigger();
        QCOMPARE(selectedElements(doc()),
                 (std::vector<ElementRef>{{ElementKind::Shape, 3}, {ElementKind::Shape, 4}}));

        clipboard->setText(u("你好"));
        action("editPaste")->trigger();
        QCOMPARE(doc().Label.find(doc().labelCount)->caption, std::string("你好"));
        QCOMPARE(doc().selKind, SelKind::Label);

        action("editCopyChart")->trigger();
        const QImage chart = QImage::fromData(clipboard->mimeData()->data(QStringLiteral("image/png")), "PNG");
        QCOMPARE(chart.size(), QSize(2 * 957, 2 * 637));
        QCOMPARE(chart.pixelColor(0, 0), QColor(Qt::white));
        QCOMPARE(chart.pixelColor(2 * 200, 2 * 200), QColor(Qt::black));  // the first rectangle's corner
        const auto greens = [](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    const QColor c = image.pixelColor(x, y);
                    n += c.green() > 200 && c.red() < 100 && c.blue() < 100;
                }
            return n;
        };
        QVERIFY(greens(w->canvas()->renderImage()) > 0);  // the new label is selected
        QCOMPARE(greens(chart), 0);
        QTRY_VERIFY(!action("editPaste")->isEnabled());  // a picture is nothing to paste
    }

    void newOpenSaveAndSaveAs() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString first = dir.filePath(u("流程 一.QMP")), second = dir.filePath(QStringLiteral("two.QMP"));

        // New on an unchanged drawing asks nothing and gives a new title block.
        doc().Label.find(2)->foreColor = kGreen;  // no part of the file
        action("fileNew")->trigger();
        QCOMPARE(doc().Label.find(2)->foreColor, kBlack);
        QCOMPARE(doc().modified, int16_t(0));

        action("insJX")->trigger();
        dropAt(3000, 3000);
        QCOMPARE(doc().modified, int16_t(-1));
        chooseFile(first);
        action("fileSave")->trigger();
        QVERIFY(QFileInfo::exists(first));
        QCOMPARE(doc().modified, int16_t(0));
        QCOMPARE(QString::fromStdString(doc().fileName), first);

        // Save As writes the new file, which holds the drawing as it is: nothing changed.
        action("insTY")->trigger();
        dropAt(6000, 3000);
        QCOMPARE(doc().modified, int16_t(-1));
        chooseFile(second);
        action("fileSaveAs")->trigger();
        QVERIFY(QFileInfo::exists(second));
        QCOMPARE(QString::fromStdString(doc().fileName), second);
        QCOMPARE(doc().modified, int16_t(0));

        // New on a changed drawing asks first, naming the file; No discards.
        action("insJX")->trigger();
        dropAt(9000, 3000);
        QString question;
        answer(QMessageBox::No, &question);
        w->toolbar()->actions()[11]->trigger();  // 新建
        QCOMPARE(question, u("文件“") + QFileInfo(second).fileName() + u("”已改变，是否保存？"));
        QCOMPARE(doc().shapeCount, int16_t(0));
        QVERIFY(doc().fileName.empty());

        // No leaves an untouched new drawing, so Open asks nothing.
        QCOMPARE(doc().modified, int16_t(0));
        chooseFile(first);
        w->toolbar()->actions()[12]->trigger();  // 打开
        QCOMPARE(doc().shapeCount, int16_t(1));
        QVERIFY(doc().Shape1.visible(1));
        QCOMPARE(doc().Shape1.find(1)->left, 3000.0f);
        QCOMPARE(QString::fromStdString(doc().fileName), first);
        // The canvas shows the drawing that was read, not the one before.
        QVERIFY(w->canvas()->renderImage().pixelColor(w->canvas()->toWidget(3300, 3000).toPoint()) == Qt::black);

        doc().modified = -1;
        w->toolbar()->actions()[13]->trigger();  // 保存: no dialog, same file
        QCOMPARE(doc().modified, int16_t(0));
    }

    // 比较: the open drawing as it is now against a file, in a window of its own;
    // a row selects its element; nothing is written; a bad file is named and why.
    void compareShowsTheChangesInAWindowOfItsOwnAndWritesNothing() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")).remove(QStringLiteral("compareWindow"));
        const QString older = dir.filePath(u("旧 版.QMP"));
        chooseFile(older);
        action("fileSaveAs")->trigger();
        action("insJX")->trigger();
        dropAt(3000, 3000);  // unsaved, and selected in the editor's green with its handles
        QCOMPARE(doc().selKind, SelKind::Shape);

        chooseFile(older);
        action("fileCompare")->trigger();
        auto* window = w->findChild<CompareWindow*>();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(window->isWindow() && !window->isModal());
        QCOMPARE(window->list()->count(), 1);
        QVERIFY(window->list()->item(0)->text().startsWith(u("矩形 1：新增 位置 (200, 200) 大小 131×81")));
        // The picture shows the rectangle as added, not as the editor's selection.
        const QImage picture = window->picture()->pixmap().toImage();
        const qreal dpr = picture.devicePixelRatio();
        for (const QPointF at : {QPointF(230, 200), QPointF(200, 200)})  // an edge; a corner, without its handle
            QCOMPARE(picture.pixelColor(((at + QPointF(kCanvasFrame, kCanvasFrame)) * dpr).toPoint()), kAddedColour);

        // It fits the screen, and Esc closes it; the next one has the size it had.
        const QSize room = window->screen()->availableGeometry().size() * 0.9;
        QVERIFY(window->width() <= room.width() && window->height() <= room.height());
        window->resize(500, 420);
        QPointer<CompareWindow> first = window;
        QTest::keyClick(window->list(), Qt::Key_Escape);
        QTRY_VERIFY(!first);  // closed, it is gone

        // Opening the window and giving its list the focus choose nothing.
        canvasPress(w->editor(), 1, 0, 13000, 500);  // nothing there
        QCOMPARE(doc().selKind, SelKind::None);
        chooseFile(older);
        action("fileCompare")->trigger();
        window = w->findChild<CompareWindow*>();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QCOMPARE(window->size(), QSize(500, 420));
        QVERIFY(window->list()->hasFocus());
        QCOMPARE(doc().selKind, SelKind::None);
        window->list()->setCurrentRow(0);
        QCOMPARE(doc().selKind, SelKind::Shape);
        QCOMPARE(doc().selIndex, int16_t(1));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u("旧 版.QMP")});
        QCOMPARE(doc().modified, int16_t(-1));

        const QString bad = dir.filePath(QStringLiteral("bad.QMP"));
        QVERIFY(writeFile(bad, "QMP but nothing more"));
        QString message;
        whenModal<QFileDialog>([&](QFileDialog* d) {
            d->selectFile(bad);
            answer(QMessageBox::Ok, &message);
            static_cast<QDialog*>(d)->accept();
        });
        action("fileCompare")->trigger();
        QVERIFY2(message.contains(bad), qPrintable(message));
        QCOMPARE(w->findChildren<CompareWindow*>().size(), 1);
        QCOMPARE(doc().shapeCount, int16_t(1));
    }

    void aDocumentNamedAtStartIsOpened() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u("打开 测试.QMP"));
        action("insJX")->trigger();
        dropAt(4500, 3000);
        chooseFile(path);
        action("fileSave")->trigger();
        QVERIFY(QFileInfo::exists(path));

        MainWindow fresh;
        QVERIFY(fresh.openFile(path.toStdString()));
        QCOMPARE(fresh.editor().doc.shapeCount, int16_t(1));
        QCOMPARE(fresh.editor().doc.Shape1.find(1)->left, 4500.0f);
        QCOMPARE(QString::fromStdString(fresh.editor().doc.fileName), path);
        QCOMPARE(fresh.editor().doc.modified, int16_t(0));

        // A damaged file is refused with the format message, the file's name and
        // the reader's reason; the drawing stays.
        const QString junk = dir.filePath(QStringLiteral("junk.QMP"));
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(writeFile(junk, saved.readAll().chopped(20)));
        QString message;
        answer(QMessageBox::Ok, &message);
        QVERIFY(!fresh.openFile(junk.toStdString()));
        QVERIFY2(message.startsWith(u("文件格式错误或版本不兼容，文件无法打开：“") + junk + u("”。\n")), qPrintable(message));
        QVERIFY2(message.endsWith(u("\n文件不完整，数据提前结束了（第2314字节）。")), qPrintable(message));
        QCOMPARE(fresh.editor().doc.shapeCount, int16_t(1));
        QCOMPARE(QString::fromStdString(fresh.editor().doc.fileName), path);

        // A qmp drawing is offered as a converted copy: No keeps the drawing, Yes
        // opens a new untitled drawing with a title block, the file left as it was.
        const QString old = dir.filePath(QStringLiteral("old.QMP"));
        QVERIFY(writeQmpDocument(old.toStdString(), fresh.editor().doc));
        answer(QMessageBox::No, &message);
        QVERIFY(!fresh.openFile(old.toStdString()));
        QVERIFY2(message.contains(u("是 qmp 的文档")), qPrintable(message));
        QCOMPARE(QString::fromStdString(fresh.editor().doc.fileName), path);
        answer(QMessageBox::Yes);
        QVERIFY(fresh.openFile(old.toStdString()));
        const Document& converted = fresh.editor().doc;
        QVERIFY(converted.fileName.empty());
        QVERIFY(converted.isModified());
        QCOMPARE(converted.shapeCount, int16_t(1));
        QCOMPARE(converted.Label.find(2)->caption, std::string("单击这里添加标题"));
        QCOMPARE(fresh.windowHandle()->title(), u("未命名* - Quillmap"));
        fresh.editor().doc.setModified(false);
    }

    void exitAsksAboutAChangedDrawing() {
        action("insJX")->trigger();
        dropAt(3000, 3000);
        QString question;
        answer(QMessageBox::Cancel, &question);
        action("fileExit")->trigger();
        QCOMPARE(question, u("文件“未命名”已改变，是否保存？"));
        QVERIFY(w->isVisible());

        // Yes, then the save dialog cancelled: nothing was saved, so it stays open.
        whenModal<QMessageBox>([](QMessageBox* box) {
            whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
            box->button(QMessageBox::Yes)->click();
        });
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(doc().modified, int16_t(-1));

        answer(QMessageBox::No);
        action("fileExit")->trigger();
        QVERIFY(!w->isVisible());
    }

    void bmpExportWritesTheCanvasAndLeavesTheDocumentAlone() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        action("insJX")->trigger();
        dropAt(3000, 3000);
        const int16_t modified = doc().modified;
        w->view().setZoom(2);  // a picture of the drawing, not of the screen
        chooseFile(dir.filePath(u("图 1")));  // the default extension is added
        QTest::keyClick(w.get(), Qt::Key_B, Qt::ControlModifier);
        QFile file(dir.filePath(u("图 1.BMP")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bmp = file.readAll();
        QVERIFY(bmp.startsWith("BM"));
        auto le = [&bmp](int at, int size) {
            qint64 v = 0;
            for (int i = size - 1; i >= 0; --i) v = (v << 8) | static_cast<uchar>(bmp[at + i]);
            return v;
        };
        QCOMPARE(le(18, 4), 961);
        QCOMPARE(le(22, 4), 641);
        QCOMPARE(le(28, 2), 24);
        QCOMPARE(doc().modified, modified);
        QVERIFY(doc().fileName.empty());
        QCOMPARE(doc().selKind, SelKind::None);  // the picture shows no selection
    }

    void helpShowsReadMeAndAbout() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        // A viewer that notes what it was asked to show.
        const QString viewer = dir.filePath(QStringLiteral("viewer")), seen = dir.filePath(QStringLiteral("seen"));
        QFile script(viewer);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\necho \"$1\" > '%1'\n").arg(seen).toUtf8());
        script.close();
        script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
        w->host().setHelpViewers({viewer});
        // The help text in the current folder, where it is looked for first.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        QVERIFY(QFile(dir.filePath(QStringLiteral("ReadMe.txt"))).open(QIODevice::WriteOnly));
        action("helpReadMe")->trigger();
        QDir::setCurrent(cwd);
        QTRY_VERIFY(QFileInfo(seen).size() > 0);
        QFile shown(seen);
        QVERIFY(shown.open(QIODevice::ReadOnly));
        QCOMPARE(shown.readAll().trimmed(), dir.filePath(QStringLiteral("ReadMe.txt")).toUtf8());

        QString title;
        bool modal = false;
        whenModal<QDialog>([&](QDialog* about) {
            title = about->windowTitle();
            modal = about->isModal();
            about->close();
        });
        action("helpAbout")->trigger();
        QCOMPARE(title, QString::fromUtf8("关于 Quillmap"));
        QVERIFY(modal);
        QVERIFY(!w->windowIcon().isNull());
    }

    void exitOnAnUnchangedDrawingClosesAtOnce() {
        QVERIFY(w->isVisible());
        QTest::keyClick(w.get(), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w->isVisible());
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestMenus)
#include "menus_test.moc"
