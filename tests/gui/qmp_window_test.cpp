// qmp's main window as the user meets it: its fixed layout with the canvas on the
// window, an empty start, its menus, toolbar and About date, and Delete, which
// belongs to the editor box while a label's text is edited.
#include <QFileDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <QtTest>
#include <functional>

#include "access_keys.h"
#include "app/canvas_scroll_area.h"
#include "app/canvas_widget.h"
#include "app/editor_boxes.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "pixels.h"
#include "windows.h"
#include "reduced/qmp_window.h"

namespace qm::reduced {
namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

using Item = test::MenuItem;
using test::itemsOf;
using test::whenModal;

QString describe(const QList<Item>& items) {
    QStringList out;
    for (const Item& i : items) out << i.caption + QLatin1Char('/') + i.name + QLatin1Char('/') + i.shortcut;
    return out.join(QStringLiteral(", "));
}

void answer(QMessageBox::StandardButton button, QString* text = nullptr) {
    whenModal<QMessageBox>([button, text](QMessageBox* box) {
        if (text) *text = box->text();
        box->button(button)->click();
    });
}

}  // namespace

class TestQmpWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<QmpWindow> w;

    Document& doc() { return w->editor().doc; }
    CanvasWidget* canvas() { return w->canvas(); }
    QAction* action(const char* name) {
        auto* a = w->findChild<QAction*>(QString::fromUtf8(name));
        if (!a) qFatal("no action %s", name);
        return a;
    }
    QPoint widgetPoint(float x, float y) { return canvas()->toWidget(x, y).toPoint(); }

    // A new label brought to (x, y) twips by Timer1; sets `placed` to its index.
    void labelToPointer(float x, float y, int& placed) {
        action("insLabel")->trigger();
        placed = doc().selIndex;
        QtHost& h = w->host();
        QVERIFY(h.timer(TimerId::Timer1).isActive());
        h.setCursorPos(h.canvasToScreen({qRound(x / kTwipsPerPixel), qRound(y / kTwipsPerPixel)}));
        QTRY_COMPARE(doc().Label.find(placed)->left, x);
        QCOMPARE(doc().Label.find(placed)->top, y);
    }
    QPoint centreOf(int i) {
        const LabelEl& l = *doc().Label.find(i);
        return widgetPoint(l.left + l.width / 2, l.top + l.height / 2);
    }

private slots:
    void init() {
        w = std::make_unique<QmpWindow>();
        QVERIFY(test::shownActive(w.get()));
    }
    void cleanup() {
        doc().modified = 0;  // closing must not ask
        w.reset();
    }

    void layoutAndAnEmptyStart() {
        QCOMPARE(w->windowHandle()->title(), u("未命名 - Quillmap [Beta]"));
        QCOMPARE(w->objectName(), QStringLiteral("Form1"));
        QTRY_VERIFY(!w->windowIcon().isNull());  // drawn once the first frame is on the screen
        QCOMPARE(w->client()->size(), QSize(974, 646));  // 14610 x 9690 twips
        QCOMPARE(w->client()->mapTo(w.get(), QPoint(0, 0)), QPoint(0, w->menuBar()->height()));
        // Picture1 at (75, 525) of the client area, 14415 x 9015 twips, with no
        // frame of a container round it.
        QCOMPARE(canvas()->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(QRect(canvas()->mapTo(w->client(), QPoint(0, 0)), canvas()->size()), QRect(5, 35, 961, 601));
        QCOMPARE(w->scrollArea()->frameShape(), QFrame::NoFrame);
        QCOMPARE(canvas()->clientOrigin(), QPoint(2, 2));
        QCOMPARE(w->toolbar()->objectName(), QStringLiteral("Toolbar1"));
        QCOMPARE(w->toolbar()->geometry().top(), 0);
        QVERIFY(w->toolbar()->geometry().bottom() < canvas()->mapTo(w->client(), QPoint(0, 0)).y());
        QVERIFY(!w->findChild<QWidget*>(QStringLiteral("Picture2")));

        // No title block, nothing changed, and no pointer snapping running.
        QCOMPARE(doc().shapeCount + doc().labelCount + doc().arrowCount + doc().segCount + doc().diamondCount, 0);
        QCOMPARE(doc().modified, int16_t(0));
        QVERIFY(doc().fileName.empty());
        QVERIFY(!w->host().timer(TimerId::Timer2).isActive());
        const QImage img = canvas()->renderImage();
        QCOMPARE(img.size(), QSize(961, 601));
        QVERIFY(!test::isWhite(test::at(img, 0, 300)));  // the frame
        QCOMPARE(test::inkBox(img, img.rect().adjusted(2, 2, -2, -2)), QRect());
    }

    void menusInOrder() {
        const QList<QAction*> bar = w->menuBar()->actions();
        QCOMPARE(bar.size(), 4);
        const char* titles[][2] = {{"文件(&F)", "menuFile"}, {"编辑(&E)", "edit"}, {"视图(&V)", "view"}, {"帮助(&H)", "help"}};
        for (int m = 0; m < 4; ++m) {
            QCOMPARE(bar[m]->text(), u(titles[m][0]));
            QCOMPARE(bar[m]->menu()->objectName(), QString::fromLatin1(titles[m][1]));
        }
        const QList<Item> file{{u("新建(&N)"), u("fileNew"), u("Ctrl+N")},
                               {u("打开(&O)"), u("fileOpen"), u("Ctrl+O")},
                               {u("保存(&S)"), u("fileSave"), u("Ctrl+S")},
                               {u("另存为(&E)"), u("fileSaveAs"), {}},
                               {u("保存为BMP图像(&B)"), u("fileSaveAsBMP"), u("Ctrl+B")},
                               {u("退出(&Q)"), u("fileExit"), u("Ctrl+Q")}};
        const QList<Item> edit{{u("撤销(&U)"), u("editUndo"), u("Ctrl+Z")}, {u("重做(&Y)"), u("editRedo"), u("Ctrl+Y")},
                               {u("-"), u("noname"), {}},
                               {u("剪切(&T)"), u("editCut"), u("Ctrl+X")},   {u("复制(&C)"), u("editCopy"), u("Ctrl+C")},
                               {u("粘贴(&P)"), u("editPaste"), u("Ctrl+V")},
                               {u("创建副本(&I)"), u("editDuplicate"), u("Ctrl+D")},
                               {u("全选(&S)"), u("editSelectAll"), u("Ctrl+A")},
                               {u("复制图表为图片(&G)"), u("editCopyChart"), {}},
                               {u("-"), u("noname"), {}},
                               {u("插入矩形(&R)"), u("insJX"), {}},   {u("插入椭圆(&O)"), u("insTY"), {}},
                               {u("插入菱形(&D)"), u("insLX"), {}},   {u("插入标签(&L)"), u("insLabel"), {}},
                               {u("插入箭头(&A)"), u("insJT"), {}},   {u("-"), u("noname"), {}},
                               {u("删除(&E)"), u("editDelete"), u("Del")}};
        const QList<Item> help{{u("内容(&C)"), u("helpReadMe"), {}}, {u("关于(&A)"), u("helpAbout"), {}}};
        QVERIFY2(itemsOf(bar[0]->menu()) == file, qPrintable(describe(itemsOf(bar[0]->menu()))));
        QVERIFY2(itemsOf(bar[1]->menu()) == edit, qPrintable(describe(itemsOf(bar[1]->menu()))));
        QVERIFY2(itemsOf(bar[3]->menu()) == help, qPrintable(describe(itemsOf(bar[3]->menu()))));
        // The arrow item is plain: no submenu of directions, no vertical label.
        QVERIFY(!action("insJT")->menu());
        QVERIFY(!w->findChild<QAction*>(QStringLiteral("instHLabel")));
        QVERIFY(!w->findChild<QAction*>(QStringLiteral("instJT")));
        QCOMPARE(w->editMenu(), bar[1]->menu());  // also the context menu
        const QStringList problems = test::accessKeyProblems(w->menuBar());
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u("\n"))));
    }

    void toolbarButtonsRunTheirCommands() {
        const QList<QAction*> acts = w->toolbar()->actions();
        const char* texts[] = {"矩形", "菱形", "椭圆", "箭头", "标签", "", "新建", "打开", "保存"};
        QCOMPARE(acts.size(), 9);
        for (int i = 0; i < 9; ++i) {
            QCOMPARE(acts[i]->isSeparator(), i == 5);
            if (i == 5) continue;
            QCOMPARE(acts[i]->text(), u(texts[i]));
            QCOMPARE(acts[i]->toolTip(), u(texts[i]));
            QVERIFY(!acts[i]->icon().isNull());
            QCOMPARE(w->toolbar()->widgetForAction(acts[i])->accessibleName(), u(texts[i]));
        }
        auto click = [&](int number) {
            QTest::mouseClick(w->toolbar()->widgetForAction(acts[number - 1]), Qt::LeftButton);
        };
        click(1);
        QCOMPARE(doc().selKind, SelKind::PlacingShape);
        QCOMPARE(doc().Shape1.find(doc().shapeCount)->style, int16_t(ShapeStyle::Rectangle));
        click(3);
        QCOMPARE(doc().Shape1.find(doc().shapeCount)->style, int16_t(ShapeStyle::Oval));
        click(2);
        QCOMPARE(doc().selKind, SelKind::PlacingDiamond);
        QCOMPARE(doc().diamondCount, int16_t(1));
        click(5);
        QCOMPARE(doc().selKind, SelKind::PlacingLabel);
        click(4);
        QCOMPARE(doc().selKind, SelKind::DrawingArrow);
        QCOMPARE(doc().arrowCount, int16_t(1));

        // Open and Save ask for a file; cancelling changes nothing.
        for (int number : {8, 9}) {
            bool asked = false;
            whenModal<QFileDialog>([&asked](QFileDialog* d) {
                asked = true;
                d->reject();
            });
            click(number);
            QVERIFY2(asked, qPrintable(QString::number(number)));
        }
        QVERIFY(doc().fileName.empty());
        // New asks qmp's own question and leaves an empty canvas.
        QString question;
        answer(QMessageBox::No, &question);
        click(7);
        QCOMPARE(question, u("文件“未命名”已改变，是否保存？"));
        QCOMPARE(doc().shapeCount + doc().labelCount + doc().arrowCount + doc().diamondCount, 0);
    }

    void aRightClickOnARectangleSelectsItAndOpensTheEditMenu() {
        action("insJX")->trigger();
        const QPoint drop = widgetPoint(1500, 1500);
        QMouseEvent move(QEvent::MouseMove, QPointF(drop), canvas()->mapToGlobal(QPointF(drop)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas(), &move);  // the new rectangle follows the pointer
        QCOMPARE(doc().Shape1.find(1)->left, 1500.0f);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, drop);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint(9000, 6000));  // let go
        QCOMPARE(doc().selKind, SelKind::None);
        QPointer<QWidget> popup;
        QTimer::singleShot(0, [&popup] {
            popup = QApplication::activePopupWidget();
            if (popup) popup->close();
        });
        QTest::mouseClick(canvas(), Qt::RightButton, Qt::NoModifier, widgetPoint(2000, 2000));
        QCOMPARE(doc().selKind, SelKind::Shape);
        QCOMPARE(selectionLook(doc()), (std::vector<PartRef>{{Part::Shape1, 1}, {Part::LineRect, 1}}));
        QCOMPARE(popup.data(), static_cast<QWidget*>(w->editMenu()));
    }

    void theArrowItemStartsAPolyline() {
        action("insJT")->trigger();
        QCOMPARE(doc().selKind, SelKind::DrawingArrow);
        QCOMPARE(doc().selIndex, doc().arrowCount);
        QCOMPARE(doc().arrowCount, int16_t(1));
        QCOMPARE(doc().arrowRec[1].count(), int16_t(0));
        QCOMPARE(w->host().canvasCursor(), CursorKind::Crosshair);
    }

    void aNewLabelSitsOnThePointer() {
        // Timer1 maps the cursor onto the canvas exactly, not by an estimate.
        int i = 0;
        labelToPointer(4500, 3000, i);
        QCOMPARE(doc().selKind, SelKind::PlacingLabel);
    }

    void deleteInTheBoxNeverHidesTheLabel() {
        int i = 0;
        labelToPointer(4500, 3000, i);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, centreOf(i));  // drops and selects it
        QCOMPARE(doc().selKind, SelKind::Label);
        QVERIFY(!w->host().timer(TimerId::Timer1).isActive());
        LineBox* box = w->view().text1();
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, centreOf(i));
        QVERIFY(box->isVisible());
        QTRY_VERIFY(box->hasFocus());

        box->setText(u("流程ab"));
        box->setCursorPosition(2);
        QTest::keyClick(box, Qt::Key_Delete);  // the window's Del shortcut must not take it
        QCOMPARE(box->text(), u("流程b"));
        QVERIFY(doc().Label.find(i)->visible);
        // Should the menu item be reached while the box is open, it edits the box too.
        action("editDelete")->trigger();
        QCOMPARE(box->text(), u("流程"));
        QVERIFY(doc().Label.find(i)->visible);
        QCOMPARE(doc().selKind, SelKind::Label);
        QVERIFY(box->isVisible());

        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(doc().Label.find(i)->caption, std::string("流程"));
        QVERIFY(!box->isVisible());
        // With the box closed, Del deletes the selected label, as on the canvas.
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, widgetPoint(9000, 6000));
        QCOMPARE(doc().selKind, SelKind::None);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, centreOf(i));
        QCOMPARE(doc().selKind, SelKind::Label);
        QVERIFY(!box->isVisible());
        QTest::keyClick(canvas(), Qt::Key_Delete);
        QVERIFY(!doc().Label.find(i)->visible);
    }

    void helpContentsDoesNothing() {
        const int windows = int(QApplication::topLevelWidgets().size());
        action("helpReadMe")->trigger();
        QTest::qWait(50);  // anything it started would have shown by now
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(int(QApplication::topLevelWidgets().size()), windows);
        QCOMPARE(doc().modified, int16_t(0));
        QCOMPARE(doc().labelCount, int16_t(0));
    }

    void aboutShowsItsDate() {
        QString date, caption;
        whenModal<QDialog>([&](QDialog* d) {
            caption = d->windowTitle();
            if (auto* l = d->findChild<QLabel*>(QStringLiteral("Label3"))) date = l->text();
            d->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
        });
        action("helpAbout")->trigger();
        QCOMPARE(date, QStringLiteral("2010-6-18"));
        QCOMPARE(caption, QString::fromUtf8("关于 Quillmap"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void bmpExportWritesTheCanvas() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("图.bmp"));
        whenModal<QFileDialog>([path](QFileDialog* d) {
            d->selectFile(path);
            static_cast<QDialog*>(d)->accept();
        });
        QTest::keySequence(w.get(), QKeySequence(Qt::CTRL | Qt::Key_B));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray header = file.read(30);
        QVERIFY(header.startsWith("BM"));
        QCOMPARE(int(header[28]), 24);  // bits per pixel
        const QImage img(path);
        QCOMPARE(img.size(), QSize(961, 601));
        QVERIFY(test::isWhite(test::at(img, 480, 300)));
        QCOMPARE(doc().modified, int16_t(0));  // exporting changes nothing
    }

    void closingAChangedDrawingAsksFirst() {
        action("insJX")->trigger();
        QCOMPARE(doc().modified, int16_t(-1));
        QString question;
        answer(QMessageBox::Cancel, &question);
        action("fileExit")->trigger();
        QCOMPARE(question, u("文件“未命名”已改变，是否保存？"));
        QVERIFY(w->isVisible());
        QCOMPARE(doc().shapeCount, int16_t(1));

        answer(QMessageBox::No);
        w->close();
        QVERIFY(!w->isVisible());
    }
};

}  // namespace qm::reduced

QTEST_MAIN(qm::reduced::TestQmpWindow)
#include "qmp_window_test.moc"
