// The canvas, the editor boxes and the timers wired to the core, driven through
// real Qt events on the main window: boxes open over a label on the second click,
// commit on Enter or when they lose the focus, keep Delete to themselves, take
// text from input methods and paste; a drag paints from the cached layer, and
// after a drag, a delete, Undo and Redo the window shows exactly the drawing; a
// chart drawn at any zoom is the same file.
#include <QSettings>
#include <QClipboard>
#include <QComboBox>
#include <QTemporaryDir>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/canvas_scroll_area.h"
#include "app/canvas_widget.h"
#include "app/editor_boxes.h"
#include "app/main_window.h"
#include "edit/undo.h"
#include "io/document_io.h"
#include "render/canvas_painter.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"
#include "model/title_block.h"
#include "pixels.h"
#include "windows.h"

namespace qm {
namespace {

QPoint centreOf(const CanvasWidget* canvas, const LabelEl& l) {
    return canvas->toWidget(l.left + l.width / 2, l.top + l.height / 2).toPoint();
}

void moveOver(CanvasWidget* canvas, QPoint p, Qt::MouseButtons held = Qt::NoButton,
              Qt::KeyboardModifiers keys = Qt::NoModifier) {
    QMouseEvent e(QEvent::MouseMove, QPointF(p), canvas->mapToGlobal(QPointF(p)), Qt::NoButton, held, keys);
    QCoreApplication::sendEvent(canvas, &e);
}

// Types text that has no key of its own, one key event per character.
void typeText(QWidget* box, const QString& text) {
    for (const QChar c : text) QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Closes the Edit menu as soon as it pops up.
void dismissEditMenu() {
    QTimer::singleShot(0, [] {
        if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
}

}  // namespace

class TestEditorView : public QObject {
    Q_OBJECT

    std::unique_ptr<MainWindow> w;

    CanvasWidget* canvas() { return w->canvas(); }
    Document& doc() { return w->editor().doc; }
    LabelEl& label(int i) { return *doc().Label.find(i); }

    void clickLabel(int i) { QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, centreOf(canvas(), label(i))); }

    // What the window shows of the canvas, read back from the screen, is the whole
    // document painted afresh.
    QImage shownCanvas() {
        const QPoint at = canvas()->mapTo(w.get(), QPoint(0, 0));
        return w->screen()->grabWindow(w->winId(), at.x(), at.y(), canvas()->width(), canvas()->height()).toImage();
    }
    bool showsTheDrawing() {
        return shownCanvas().convertToFormat(QImage::Format_RGB32) == canvas()->renderImage().convertToFormat(QImage::Format_RGB32);
    }

    // Two clicks without movement: select, then edit.
    void openEditorOn(int i) {
        clickLabel(i);
        clickLabel(i);
    }

private slots:
    void init() {
        QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")).remove(QStringLiteral("view"));
        w = std::make_unique<MainWindow>();
        QVERIFY(test::shownActive(w.get()));
    }
    void cleanup() {
        doc().modified = 0;  // closing must not ask
        w.reset();
    }

    void theSecondClickOpensTheBoxOverTheLabel() {
        LineBox* box = w->view().text1();
        clickLabel(2);
        QCOMPARE(doc().selKind, SelKind::Label);
        QCOMPARE(selectionLook(doc()), (std::vector<PartRef>{{Part::Label, 2}}));
        QVERIFY(!box->isVisible());

        clickLabel(2);
        QVERIFY(box->isVisible());
        QCOMPARE(box->pos(), canvas()->toWidget(label(2).left, label(2).top).toPoint());
        QCOMPARE(box->width(), 101);  // 1515 twips
        QVERIFY(box->height() >= qRound(label(2).height / kTwipsPerPixel));
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(box->text(), QString::fromUtf8("单击这里添加标题"));
        QCOMPARE(box->selectedText(), box->text());  // typing replaces the placeholder

        QTest::keyClicks(box, QStringLiteral("abc"));
        QCOMPARE(w->editor().text1.text, std::string("abc"));
        QCOMPARE(label(2).caption, std::string("单击这里添加标题"));  // not before the commit
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label(2).caption, std::string("abc"));
        QVERIFY(!box->isVisible());
        QVERIFY(canvas()->hasFocus());
        QCOMPARE(doc().modified, int16_t(-1));
    }

    void leavingTheBoxCommitsIt() {
        LineBox* box = w->view().text1();
        openEditorOn(6);
        QTRY_VERIFY(box->hasFocus());
        typeText(box, QString::fromUtf8("张三"));
        // A press on empty canvas takes the focus, which commits, then clears the selection.
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, canvas()->toWidget(5000, 3000).toPoint());
        QCOMPARE(label(6).caption, std::string("张三"));
        QVERIFY(!box->isVisible());
        QCOMPARE(doc().selKind, SelKind::None);

        // A menu over the box, or another window in front, is no reason to commit.
        openEditorOn(7);
        QTRY_VERIFY(box->hasFocus());
        QFocusEvent popup(QEvent::FocusOut, Qt::PopupFocusReason);
        QCoreApplication::sendEvent(box, &popup);
        QVERIFY(box->isVisible());
        QVERIFY(w->editor().text1.visible);
    }

    // A text the file could not hold keeps its box open with the focus in it; the
    // press that tried to leave the box asks once and does nothing else, nor does
    // the release of the Enter that closed the message.
    void aRefusedTextStaysInItsBox() {
        LineBox* box = w->view().text1();
        openEditorOn(6);
        QTRY_VERIFY(box->hasFocus());
        const QString tooWide(200, QChar(0x6D41));  // a line wider than the file holds
        box->setText(tooWide);
        QStringList titles;
        QTimer answer;
        connect(&answer, &QTimer::timeout, [&titles] {
            if (auto* m = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                titles << m->windowTitle();
                QTest::keyPress(m, Qt::Key_Return);
            }
        });
        answer.start(10);
        const std::string before = label(6).caption;
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, centreOf(canvas(), label(7)));
        QCOMPARE(titles, QStringList{QString::fromUtf8("提示")});
        QVERIFY(box->isVisible());
        QCOMPARE(box->text(), tooWide);
        QTRY_VERIFY(box->hasFocus());
        QTest::keyRelease(box, Qt::Key_Return);
        QCOMPARE(titles.size(), 1);
        QCOMPARE(label(6).caption, before);
        QCOMPARE(doc().selIndex, int16_t(6));

        box->setText(QString::fromUtf8("张三"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label(6).caption, std::string("张三"));
        QVERIFY(!box->isVisible());
        QCOMPARE(titles.size(), 1);
    }

    void deleteInTheBoxEditsOnlyTheText() {
        LineBox* box = w->view().text1();
        openEditorOn(8);
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClick(box, Qt::Key_Delete);  // the whole text was selected
        QCOMPARE(box->text(), QString());
        QTest::keyClick(box, Qt::Key_Delete);  // at the end of an empty line: nothing to pass on
        QVERIFY(label(8).visible);
        QCOMPARE(doc().selKind, SelKind::Label);
        QTest::keyClicks(box, QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Enter);
        QCOMPARE(label(8).caption, std::string("x"));
        QVERIFY(label(8).visible);

        // On the canvas the same key deletes the selected label.
        clickLabel(8);
        QCOMPARE(doc().selKind, SelKind::Label);
        QTest::keyClick(canvas(), Qt::Key_Delete);
        QVERIFY(!label(8).visible);
    }

    void inputMethodsAndPasteReachTheBox() {
        LineBox* box = w->view().text1();
        openEditorOn(2);
        QTRY_VERIFY(box->hasFocus());
        QInputMethodEvent compose(QString::fromUtf8("liu"), {});
        QCoreApplication::sendEvent(box, &compose);
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("流程图"));
        QCoreApplication::sendEvent(box, &commit);
        QCOMPARE(w->editor().text1.text, std::string("流程图"));
        // The Enter that commits a syllable as typed goes to the input method, which
        // passes on only its release; the box stays open. So does an auto-repeat.
        QKeyEvent lone(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &lone);
        QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(box, &repeat);
        QVERIFY(box->isVisible());
        // The Edit menu's Paste and Select All work on the box, as its own keys do.
        QGuiApplication::clipboard()->setText(QString::fromUtf8("：总览"));
        QAction* paste = w->findChild<QAction*>(QStringLiteral("editPaste"));
        QTRY_VERIFY(paste->isEnabled());
        paste->trigger();
        QCOMPARE(w->editor().text1.text, std::string("流程图：总览"));
        QCOMPARE(doc().labelCount, int16_t(8));
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(box->selectedText(), box->text());
        box->deselect();
        w->findChild<QAction*>(QStringLiteral("editSelectAll"))->trigger();
        QCOMPARE(box->selectedText(), box->text());
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label(2).caption, std::string("流程图：总览"));
    }

    // Ctrl+Z and Ctrl+Y undo and redo steps of the drawing, but in an editor box
    // they are the box's own; Esc backs out; none of them reaches the drawing while
    // a question is open.
    void undoRedoAndEscapeFromTheKeyboard() {
        QAction* undo = w->findChild<QAction*>(QStringLiteral("editUndo"));
        QVERIFY(undo && !undo->isEnabled());
        w->findChild<QAction*>(QStringLiteral("insJX"))->trigger();
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(doc().shapeCount, int16_t(0));
        QCOMPARE(doc().selKind, SelKind::None);
        QVERIFY(!undo->isEnabled());

        w->findChild<QAction*>(QStringLiteral("insJX"))->trigger();
        const QPoint drop = canvas()->toWidget(3000, 3000).toPoint();
        moveOver(canvas(), drop);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, drop);
        QVERIFY(undo->isEnabled());
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc().shapeCount, int16_t(0));
        QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc().shapeCount, int16_t(1));
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(doc().shapeCount, int16_t(1));
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);

        LineBox* box = w->view().text1();
        openEditorOn(2);
        QTRY_VERIFY(box->hasFocus());
        QTest::keyClicks(box, QStringLiteral("abc"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->text(), QString::fromUtf8("单击这里添加标题"));
        QTest::keyClick(box, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc().shapeCount, int16_t(0));
        QVERIFY(box->isVisible());
        QTest::keyClicks(box, QStringLiteral("xyz"));
        QTest::keyClick(box, Qt::Key_Escape);
        QVERIFY(!box->isVisible());
        QCOMPARE(label(2).caption, std::string("单击这里添加标题"));
        QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(doc().shapeCount, int16_t(1));

        QTimer::singleShot(0, [this] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!question) QFAIL("no question");
            for (auto key : {Qt::Key_Z, Qt::Key_Y}) QTest::keyClick(question, key, Qt::ControlModifier);
            QCOMPARE(doc().shapeCount, int16_t(1));
            question->button(QMessageBox::Cancel)->click();
        });
        QVERIFY(!w->close());
        QCOMPARE(doc().shapeCount, int16_t(1));
    }

    void aVerticalLabelIsEditedInTheTallBox() {
        TallBox* box = w->view().text2();
        QtHost& h = w->host();
        w->findChild<QAction*>(QStringLiteral("instHLabel"))->trigger();
        const int i = doc().selIndex;
        QCOMPARE(doc().selKind, SelKind::PlacingLabel);
        QVERIFY(h.timer(TimerId::Timer1).isActive());
        // Timer1 carries the new label's corner to the pointer.
        h.setCursorPos(h.canvasToScreen({200, 150}));
        QTRY_COMPARE(label(i).left, 3000.0f);
        QCOMPARE(label(i).top, 2250.0f);

        openEditorOn(i);  // the first click drops and selects it
        QVERIFY(!h.timer(TimerId::Timer1).isActive());
        QVERIFY(box->isVisible());
        QVERIFY(!w->view().text1()->isVisible());
        // 315 twips wide, and tall enough for the placeholder's eight lines,
        // more than its 1515 twips at least.
        QCOMPARE(box->width(), 21);
        QVERIFY(box->height() > 101 && box->height() * kTwipsPerPixel >= label(i).height);
        QTRY_VERIFY(box->hasFocus());
        // Ctrl+Z here is the box's own: it takes back the typing, not the insert.
        typeText(box, QStringLiteral("x"));
        QTest::keyClick(box, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(box->toPlainText(), QString::fromUtf8("单击这里添加文本"));
        QCOMPARE(doc().labelCount, int16_t(i));
        QVERIFY(box->isVisible());
        box->selectAll();
        typeText(box, QString::fromUtf8("竖排"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label(i).caption, std::string("竖排"));  // Enter typed no line break
        QCOMPARE(label(i).width, 165.0f);
        QVERIFY(label(i).height > 165);  // one character under the other
        QVERIFY(!box->isVisible());
    }

    // After any text is committed the canvas shows the drawing exactly as it is
    // when its file is opened again: every text where the layout of its owner (the
    // title block, a rectangle, a diamond) puts it, at the size it has.
    void committedTextsSitWhereTheyWillBeWhenReopened() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QStringLiteral("chart.QMP")).toStdString();
        QtHost& h = w->host();
        auto place = [&](const char* command, int x, int y) {
            w->findChild<QAction*>(QString::fromLatin1(command))->trigger();
            h.setCursorPos(h.canvasToScreen({x, y}));
            if (doc().selKind == SelKind::PlacingLabel) QTRY_COMPARE(label(doc().selIndex).left, x * kTwipsPerPixel);
            moveOver(canvas(), canvas()->toWidget(x * kTwipsPerPixel, y * kTwipsPerPixel).toPoint());
            QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier,
                              canvas()->toWidget(x * kTwipsPerPixel + 10, y * kTwipsPerPixel + 10).toPoint());
        };
        place("insJX", 100, 150);
        const ShapeRecord shape = doc().shapeRec[1];
        place("insLX", 400, 150);
        const DiamondRecord diamond = doc().diamondRec[1];
        place("insLabel", 100, 400);
        const int free = doc().labelCount;
        place("instHLabel", 300, 400);
        const int vertical = doc().labelCount;

        const struct {
            const char* kind;
            int label;
            const char* text;
        } texts[] = {
            {"title", 2, "审核流程图"},          {"number", 1, "A-12"},
            {"caption cell", 4, "审定"},         {"value cell", 7, "王五"},
            {"rectangle text", shape.label1, "开始"}, {"rectangle text", shape.label2, "Step 1"},
            {"diamond text", diamond.label1, "是否通过?"}, {"diamond text", diamond.label2, "否"},
            {"label", free, "说明 note"},        {"vertical label", vertical, "竖排文字较长的一段说明"},
        };
        for (const auto& t : texts) {
            openEditorOn(t.label);
            QWidget* box = w->view().text2()->isVisible() ? static_cast<QWidget*>(w->view().text2())
                                                           : static_cast<QWidget*>(w->view().text1());
            QTRY_VERIFY2(box->hasFocus(), t.kind);
            typeText(box, QString::fromUtf8(t.text));
            const int boxHeight = box->height();
            QTest::keyClick(box, Qt::Key_Return);
            // What is typed replaces the text, but never the number field's caption.
            const std::string expected = std::string(t.label == kNumberLabel ? kNumberPrefix : "") + t.text;
            QCOMPARE(label(t.label).caption, expected);
            // The tall box of a vertical label grew to hold its text.
            if (box == w->view().text2()) QVERIFY(boxHeight * kTwipsPerPixel >= label(t.label).height);
            QVERIFY(writeDocument(path, doc()));
            MainWindow reopened;
            QVERIFY(reopened.openFile(path));
            const QImage now = canvasPictureImage(&doc(), canvas()->size());
            const QImage then = canvasPictureImage(&reopened.editor().doc, canvas()->size());
            int differing = 0;
            for (int y = 0; y < now.height(); ++y)
                for (int x = 0; x < now.width(); ++x) differing += now.pixel(x, y) != then.pixel(x, y);
            QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1 (label %2): %3 pixels differ")
                                                    .arg(QLatin1String(t.kind)).arg(t.label).arg(differing)));
        }
    }

    // A key typed on a selected rectangle, diamond or label is the first of its new
    // first text; F2 and Enter open that text as it is. Nothing else takes keys.
    void typingOnASelectedElementEditsItsFirstText() {
        LineBox* box = w->view().text1();
        QTest::keyClick(canvas(), Qt::Key_X);
        QVERIFY(!box->isVisible());

        for (const char* command : {"insJX", "insLX", "insLabel"}) {
            w->findChild<QAction*>(QString::fromLatin1(command))->trigger();
            const QPoint drop = canvas()->toWidget(3000, 3000).toPoint();
            moveOver(canvas(), drop);
            QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, drop);
            const int text = doc().selKind == SelKind::Shape     ? doc().shapeRec[doc().selIndex].label1
                             : doc().selKind == SelKind::Diamond ? doc().diamondRec[doc().selIndex].label1
                                                                 : doc().selIndex;
            const std::string before = label(text).caption;
            QTest::keyClick(canvas(), Qt::Key_F2);
            QTRY_VERIFY2(box->hasFocus(), command);
            QCOMPARE(box->selectedText().toStdString(), before);
            QTest::keyClick(box, Qt::Key_Return);
            QTRY_VERIFY(canvas()->hasFocus());

            QTest::sendKeyEvent(QTest::Click, canvas(), Qt::Key_unknown, QString::fromUtf8("流"), Qt::NoModifier);
            QTRY_VERIFY2(box->hasFocus(), command);
            typeText(box, QString::fromUtf8("程"));
            QTest::keyClick(box, Qt::Key_Return);
            QCOMPARE(label(text).caption, std::string("流程"));
            QTest::keyClick(canvas(), Qt::Key_Enter);
            QTRY_VERIFY2(box->hasFocus(), command);
            QCOMPARE(box->text(), QString::fromUtf8("流程"));
            QTest::keyClick(box, Qt::Key_Return);
            // Shortcuts are no text.
            QTest::keyClick(canvas(), Qt::Key_C, Qt::ControlModifier);
            QVERIFY(!box->isVisible());
        }
    }

    void theEditMenuOfALabelTakesTheRelease() {
        // The menu opened by a right press keeps the release; the next press must
        // be the canvas's, not the label's.
        dismissEditMenu();
        QTest::mousePress(canvas(), Qt::RightButton, Qt::NoModifier, centreOf(canvas(), label(6)));
        QCOMPARE(doc().selKind, SelKind::Label);
        QCOMPARE(doc().selIndex, int16_t(6));
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, canvas()->toWidget(5000, 3000).toPoint());
        QCOMPARE(doc().selKind, SelKind::None);
        QVERIFY(selectionLook(doc()).empty());
        QCOMPARE(w->editor().capture.kind, PointerTarget::None);
    }

    void aDragPaintsFromTheCachedLayer() {
        w->findChild<QAction*>(QStringLiteral("insJX"))->trigger();
        QCOMPARE(doc().selKind, SelKind::PlacingShape);
        const QPoint drop = canvas()->toWidget(3000, 3000).toPoint();
        moveOver(canvas(), drop);
        QVERIFY(!canvas()->moving().empty());  // a new shape follows the pointer
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, drop);
        QCOMPARE(doc().selKind, SelKind::Shape);

        const QPoint to = drop + QPoint(100, 60);
        moveOver(canvas(), drop + QPoint(50, 30), Qt::LeftButton);
        moveOver(canvas(), to, Qt::LeftButton);
        QVERIFY(!canvas()->moving().empty());
        canvas()->repaint();
        QVERIFY(canvas()->hasCachedLayer());
        QCOMPARE(doc().Shape1.find(1)->left, 4500.0f);
        // On the grid, with Alt held as far as three pixels on; Alt let go, the
        // pointer still, it is back on the grid.
        w->editor().snapToGrid = true;
        QTest::keyPress(canvas(), Qt::Key_Alt);
        moveOver(canvas(), to + QPoint(3, 0), Qt::LeftButton, Qt::AltModifier);
        QCOMPARE(doc().Shape1.find(1)->left, 4545.0f);
        QTest::keyRelease(canvas(), Qt::Key_Alt, Qt::AltModifier);
        QCOMPARE(doc().Shape1.find(1)->left, 4500.0f);
        w->editor().snapToGrid = false;

        // The drop's frame is painted, and sent to the screen, while the release is
        // handled and before the history records the step.
        const size_t steps = w->editor().history->steps.steps();
        std::optional<size_t> stepsWhenPainted;
        struct PaintWatch : QObject {
            std::function<void()> seen;
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) seen();
                return false;
            }
        } watch;
        watch.seen = [&] { stepsWhenPainted = w->editor().history->steps.steps(); };
        canvas()->installEventFilter(&watch);
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, to);
        canvas()->removeEventFilter(&watch);
        QCOMPARE(stepsWhenPainted, std::optional(steps));
        QCOMPARE(w->editor().history->steps.steps(), steps + 1);
        QVERIFY(canvas()->moving().empty());
        // The window shows the rectangle where it was dropped: green, with handles.
        const QImage img = canvas()->grab().toImage();
        const QPoint corner = canvas()->toWidget(4500 + 600, 3900).toPoint();
        QCOMPARE(test::at(img, corner.x(), corner.y()).rgb(), QColor(0, 255, 0).rgb());
        QVERIFY(test::isWhite(test::at(img, drop.x() + 20, drop.y())));  // nothing left behind
        QTRY_VERIFY(showsTheDrawing());

        // Undo and Redo put a whole drawing back; the canvas repaints only what
        // differs from what it shows, and must still show exactly the drawing.
        const QPoint inside = canvas()->toWidget(4500 + 90, 3900 + 90).toPoint();
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, inside);
        moveOver(canvas(), inside + QPoint(200, 100), Qt::LeftButton);
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, inside + QPoint(200, 100));
        QCOMPARE(doc().Shape1.find(1)->left, 7500.0f);
        QTRY_VERIFY(showsTheDrawing());
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc().Shape1.find(1)->left, 4500.0f);
        QTRY_VERIFY(showsTheDrawing());
        QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
        QTRY_VERIFY(showsTheDrawing());
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, inside + QPoint(200, 100));
        QTest::keyClick(canvas(), Qt::Key_Delete);
        QVERIFY(!doc().Shape1.find(1)->visible);
        QTRY_VERIFY(showsTheDrawing());
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(doc().Shape1.find(1)->visible);
        QTRY_VERIFY(showsTheDrawing());
        QTest::keyClick(w.get(), Qt::Key_Y, Qt::ControlModifier);
        QTRY_VERIFY(showsTheDrawing());
    }

    // While a drag lines a rectangle up with another, a guide is drawn over the
    // frame; let go, the canvas shows exactly the drawing again. The grid is shown
    // on the screen only, never in the canvas's picture.
    void guidesAndTheGridLieOverTheDrawingOnly() {
        for (const QPoint drop : {canvas()->toWidget(3000, 3000).toPoint(), canvas()->toWidget(3030, 6000).toPoint()}) {
            w->findChild<QAction*>(QStringLiteral("insJX"))->trigger();
            moveOver(canvas(), drop);
            QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, drop);
        }
        QCOMPARE(doc().Shape1.find(2)->left, 3030.0f);
        const QPoint inside = canvas()->toWidget(3030 + 90, 6000 + 90).toPoint();
        QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, inside);
        moveOver(canvas(), inside + QPoint(0, 1), Qt::LeftButton);
        moveOver(canvas(), inside + QPoint(0, 2), Qt::LeftButton);
        QCOMPARE(doc().Shape1.find(2)->left, 3000.0f);
        QVERIFY(!canvas()->overlay().guides.empty());
        const QPoint between = canvas()->toWidget(3000, 5000).toPoint();
        QTRY_COMPARE(test::at(shownCanvas(), between.x(), between.y()).rgb(), QColor(230, 0, 140).rgb());
        // Dragged on out of reach, the guide is gone from the screen at once.
        moveOver(canvas(), inside + QPoint(20, 2), Qt::LeftButton);
        QVERIFY(canvas()->overlay().guides.empty());
        QTRY_VERIFY(showsTheDrawing());
        moveOver(canvas(), inside + QPoint(0, 2), Qt::LeftButton);
        QVERIFY(!canvas()->overlay().guides.empty());
        QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, inside + QPoint(0, 2));
        QVERIFY(canvas()->overlay().guides.empty());
        QTRY_VERIFY(showsTheDrawing());

        w->findChild<QAction*>(QStringLiteral("viewShowGrid"))->trigger();
        const QPoint blank = canvas()->toWidget(150, 150).toPoint();
        QTRY_VERIFY(!test::isWhite(test::at(shownCanvas(), blank.x(), blank.y())));
        QVERIFY(test::isWhite(test::at(canvas()->renderImage(), blank.x(), blank.y())));
        w->findChild<QAction*>(QStringLiteral("viewShowGrid"))->trigger();
        QTRY_VERIFY(showsTheDrawing());
    }

    // Zoomed in, a hit in the title shows the title, not the middle of its element,
    // the title block, whose outline is the table at the canvas's foot.
    void findShowsTheTextItFinds() {
        w->view().setZoom(4);
        w->findChild<QAction*>(QStringLiteral("editFind"))->trigger();
        auto* pattern = w->findChild<QLineEdit*>(QStringLiteral("findPattern"));
        QTRY_VERIFY(pattern->hasFocus());
        typeText(pattern, QString::fromUtf8("添加标题"));
        QTest::keyClick(pattern, Qt::Key_Return);
        QCOMPARE(doc().selKind, SelKind::TitleBlock);
        const LabelEl& title = label(kTitleLabel);
        const QRect box = QRectF(canvas()->toWidget(title.left, title.top),
                                 canvas()->toWidget(title.left + title.width, title.top + title.height)).toRect();
        QTRY_VERIFY(canvas()->visibleRegion().boundingRect().contains(box));
    }

    void hoveringRepaintsNothing() {
        int paints = 0;
        struct Counter : QObject {
            int* n;
            explicit Counter(int* n) : n(n) {}
            bool eventFilter(QObject*, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++*n;
                return false;
            }
        } counter(&paints);
        QCoreApplication::processEvents();
        canvas()->installEventFilter(&counter);
        for (int x = 100; x < 400; x += 10) moveOver(canvas(), QPoint(x, 300));
        QCoreApplication::processEvents();
        QCOMPARE(paints, 0);
        // The same moves with a new rectangle following the pointer do repaint.
        w->findChild<QAction*>(QStringLiteral("insJX"))->trigger();
        for (int x = 100; x < 400; x += 10) moveOver(canvas(), QPoint(x, 300));
        QTRY_VERIFY(paints > 0);
        canvas()->removeEventFilter(&counter);
    }

    // The same chart drawn with the pointer at each zoom, through every kind of
    // gesture: placing, dragging, a corner handle, arrows, a label carried by its
    // timer and edited in its box, the title block. Positions are multiples of 30
    // twips, whole screen pixels at every zoom tested, so each lands on the same
    // twips. The file is the same at every zoom; the zoom itself changes nothing.
    void aChartDrawnAtAnyZoomIsTheSameFile_data() {
        QTest::addColumn<qreal>("zoom");
        QTest::newRow("100%") << 1.0;  // first: the file the others must match
        QTest::newRow("50%") << 0.5;
        QTest::newRow("200%") << 2.0;
        QTest::newRow("400%") << 4.0;
    }

    void aChartDrawnAtAnyZoomIsTheSameFile() {
        QFETCH(qreal, zoom);
        static QByteArray atActualSize;
        QtHost& h = w->host();
        w->view().setZoom(zoom);
        QCOMPARE(doc().modified, int16_t(0));
        QVERIFY(!w->findChild<QAction*>(QStringLiteral("editUndo"))->isEnabled());
        const auto at = [this](float x, float y) { return canvas()->toWidget(x, y).toPoint(); };
        const auto click = [&](float x, float y, Qt::MouseButton b = Qt::LeftButton) {
            moveOver(canvas(), at(x, y));
            QTest::mouseClick(canvas(), b, Qt::NoModifier, at(x, y));
        };
        const auto drag = [&](float x1, float y1, float x2, float y2) {
            QTest::mousePress(canvas(), Qt::LeftButton, Qt::NoModifier, at(x1, y1));
            moveOver(canvas(), at((x1 + x2) / 2, (y1 + y2) / 2), Qt::LeftButton);
            moveOver(canvas(), at(x2, y2), Qt::LeftButton);
            QTest::mouseRelease(canvas(), Qt::LeftButton, Qt::NoModifier, at(x2, y2));
        };
        const auto pointerTo = [&](float x, float y) {
            const QPointF p = (canvas()->toWidget(x, y) - QPointF(canvas()->clientOrigin()));
            h.setCursorPos(h.canvasToScreen({qRound(p.x()), qRound(p.y())}));
        };
        const auto trigger = [this](const char* name) { w->findChild<QAction*>(QString::fromLatin1(name))->trigger(); };

        // Guides pull within five pixels of the screen: as many twips at no two zooms.
        trigger("viewGuides");
        trigger("insJX");
        click(3000, 3000);
        drag(3150, 3150, 4650, 3750);  // clear of the corner handle at any zoom
        drag(4500, 3600, 4200, 3300);  // by the top-left handle
        QCOMPARE(doc().Shape1.find(1)->width, 2265.0f);
        // The handles keep their five screen pixels at every zoom.
        const QImage corner = canvas()->grab(QRect(at(6465, 3300) - QPoint(8, 8), QSize(17, 17))).toImage();
        QCOMPARE(test::countIf(corner, corner.rect(), [](const QColor& c) { return c == defaultPaintOptions().highlight; }), 25);

        trigger("insLX");
        click(9000, 1500);
        pointerTo(14000, 9000);  // far from any connection point: nothing to snap to
        trigger("instJT");
        click(3000, 6000);
        click(6000, 6000);
        click(6000, 7500);
        click(7500, 7500, Qt::RightButton);
        trigger("instRightJT");
        click(3000, 8400);

        trigger("insLabel");
        const int i = doc().selIndex;
        pointerTo(9000, 6000);
        QTRY_COMPARE(label(i).left, 9000.0f);
        click(9000, 6000);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, at(9000, 6000));
        LineBox* box = w->view().text1();
        QTRY_VERIFY(box->hasFocus());
        QCOMPARE(box->font().pixelSize(), qRound(12 * zoom));  // the text as large as the label's
        typeText(box, QString::fromUtf8("审批"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(label(i).caption, std::string("审批"));

        drag(11520, 8010, 10920, 7410);  // the title block
        QCOMPARE(doc().Shape2.left, 10900.0f);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        doc().fileName = dir.filePath(QStringLiteral("chart.QMP")).toStdString();
        trigger("fileSave");
        QFile file(dir.filePath(QStringLiteral("chart.QMP")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        if (zoom == 1) atActualSize = bytes;
        QVERIFY(!atActualSize.isEmpty());
        QVERIFY(bytes == atActualSize);

        // Back at 100% the canvas is the picture the whole drawing paints.
        w->view().setZoom(1);
        QTRY_VERIFY(showsTheDrawing());
    }

    // With the keyboard alone: a new element follows the pointer, which the arrow
    // keys bring into view and move, a pixel or with Shift ten; Enter drops it as
    // a click would; a polyline arrow takes its vertices with Enter and ends with
    // Shift+Enter; the context menu key opens the Edit menu over the selection.
    void theKeyboardCarriesNewElementsAndOpensTheMenu() {
        QtHost& h = w->host();
        const auto key = [this](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) { QTest::keyClick(canvas(), k, m); };
        const auto trigger = [this](const char* name) { w->findChild<QAction*>(QString::fromLatin1(name))->trigger(); };
        canvas()->setFocus();
        h.setCursorPos({0, 0});  // not over the canvas
        trigger("insJX");
        const QRect inView = canvas()->visibleRegion().boundingRect() & canvas()->contentsRect();
        const CanvasPointer middle = canvas()->toTwips(QPointF(inView.center()));
        QCOMPARE(doc().Shape1.find(1)->left, middle.x);  // from the first frame, before any key
        QCOMPARE(doc().Shape1.find(1)->top, middle.y);
        key(Qt::Key_Right);
        QCOMPARE(doc().Shape1.find(1)->left, middle.x);
        key(Qt::Key_Right, Qt::ShiftModifier);
        key(Qt::Key_Down);
        key(Qt::Key_Return);
        QCOMPARE(doc().selKind, SelKind::Shape);
        QCOMPARE(doc().Shape1.find(1)->left, middle.x + 150);
        QCOMPARE(doc().Shape1.find(1)->top, middle.y + 15);

        trigger("instJT");
        key(Qt::Key_Down, Qt::ShiftModifier);
        for (int k = 0; k < 10; ++k) key(Qt::Key_Down, Qt::ShiftModifier);
        key(Qt::Key_Return);
        for (int k = 0; k < 10; ++k) key(Qt::Key_Right, Qt::ShiftModifier);
        key(Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(doc().arrowCount, int16_t(1));
        QCOMPARE(doc().selKind, SelKind::None);
        QVERIFY(doc().Line1.visible(doc().arrowRec[1].slot[1]));

        trigger("insLabel");
        for (int k = 0; k < 5; ++k) key(Qt::Key_Up, Qt::ShiftModifier);  // clear of the arrow's head
        const int i = doc().selIndex;
        const CanvasPointer at = canvas()->toTwips(QPointF(canvas()->mapFromGlobal(QCursor::pos())));
        QCOMPARE(label(i).left, at.x);
        key(Qt::Key_Return);
        QCOMPARE(doc().selKind, SelKind::Label);
        QVERIFY(!h.timer(TimerId::Timer1).isActive());

        key(Qt::Key_Backtab, Qt::ShiftModifier);  // shapes come before labels
        QCOMPARE(doc().selKind, SelKind::Shape);
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&shown] {
            shown = QApplication::activePopupWidget();
            if (shown) shown->close();
        });
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), canvas()->mapToGlobal(QPoint()));
        QCoreApplication::sendEvent(canvas(), &menuKey);
        QCOMPARE(shown, static_cast<QWidget*>(w->editMenu()));
    }

    // Ctrl with the wheel zooms one level per notch about the point under the pointer.
    void theWheelZoomsAboutThePointer() {
        QWidget* viewport = w->scrollArea()->viewport();
        const QPoint inViewport = canvas()->mapTo(viewport, canvas()->toWidget(6000, 4500).toPoint());
        // As the canvas passes it on: it leaves the wheel to the area.
        QWheelEvent notch(QPointF(inViewport), viewport->mapToGlobal(QPointF(inViewport)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(viewport, &notch);
        QCOMPARE(w->view().zoom(), 1.25);
        const QPoint now = canvas()->mapFrom(w->scrollArea()->viewport(), inViewport);
        QVERIFY(qAbs(canvas()->toTwips(QPointF(now)).x - 6000) <= 15);
        QVERIFY(qAbs(canvas()->toTwips(QPointF(now)).y - 4500) <= 15);
        QCOMPARE(doc().modified, int16_t(0));

        // The status bar shows the zoom in use and takes one typed.
        auto* field = w->findChild<QComboBox*>(QStringLiteral("zoomField"));
        QVERIFY(field && field->isVisible());
        QCOMPARE(field->currentText(), QStringLiteral("125%"));
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), QStringLiteral("130"));
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        QCOMPARE(w->view().zoom(), 1.3);
        QCOMPARE(field->currentText(), QStringLiteral("130%"));
        QVERIFY(canvas()->hasFocus());
        field->lineEdit()->selectAll();
        QTest::keyClicks(field->lineEdit(), QStringLiteral("900%"));
        QTest::keyClick(field->lineEdit(), Qt::Key_Return);
        QCOMPARE(field->currentText(), QStringLiteral("400%"));  // as far as the view goes
        w->view().setZoom(0.5);
        QCOMPARE(field->currentText(), QStringLiteral("50%"));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestEditorView)
#include "editor_view_test.moc"
