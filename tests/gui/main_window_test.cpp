// The main window as the user gets it: the layout of Form1, Picture2 and the
// canvas at the opening size and as the window grows and shrinks, the title block
// on a fresh start, and canvas input handed on as canvas twips.
#include <QFrame>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolBar>
#include <QWindow>
#include <QtTest>

#include "app/canvas_scroll_area.h"
#include "app/canvas_widget.h"
#include "app/main_window.h"
#include "io/document_io.h"
#include "model/editor.h"
#include "pixels.h"

namespace qm {

using test::at;
using test::isBlack;
using test::isWhite;

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void layoutOpensInTwipsAndFollowsTheWindow() {
        MainWindow w;
        QCOMPARE(w.objectName(), QStringLiteral("Form1"));
        QCOMPARE(w.client()->size(), QSize(984, 688));  // 14760 x 10320 twips
        QCOMPARE(w.container()->objectName(), QStringLiteral("Picture2"));
        QCOMPARE(w.container()->geometry(), QRect(5, 30, 971, 651));
        QCOMPARE(w.canvas()->objectName(), QStringLiteral("Picture1"));
        QCOMPARE(w.canvas()->size(), QSize(961, 641));  // outer size, frame included
        QCOMPARE(w.canvas()->clientOrigin(), QPoint(2, 2));
        QVERIFY(w.toolbar()->geometry().bottom() < w.container()->geometry().top());

        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // (75, 75) twips inside Picture2's two-pixel frame.
        QCOMPARE(w.canvas()->mapTo(w.client(), QPoint(0, 0)), QPoint(12, 37));
        // The client area sits right below the menu bar.
        QCOMPARE(w.client()->mapTo(&w, QPoint(0, 0)), QPoint(0, w.menuBar()->height()));
        // Below it the status bar, of a height the end-to-end tests count on.
        QCOMPARE(w.statusBar()->height(), kStatusBarHeight);
        QCOMPARE(w.height(), w.menuBar()->height() + 688 + kStatusBarHeight);
        auto* zoom = w.findChild<QWidget*>(QStringLiteral("zoomField"));
        QVERIFY(zoom && w.statusBar()->rect().contains(zoom->geometry()));
        QVERIFY(!w.scrollArea()->horizontalScrollBar()->isVisible());
        // Zoomed in, it scrolls; back at 100% all of it is in view again.
        w.view().setZoom(2);
        QTRY_VERIFY(w.scrollArea()->horizontalScrollBar()->isVisible());
        w.view().setZoom(1);
        QTRY_VERIFY(!w.scrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(!w.scrollArea()->verticalScrollBar()->isVisible());
        QCOMPARE(w.canvas()->mapTo(w.client(), QPoint(0, 0)), QPoint(12, 37));

        // Larger, Picture2 takes what the window gained and the canvas stays in
        // its middle; smaller, the canvas keeps its size and scrolls.
        w.resize(1500, 1100);
        QTRY_COMPARE(w.container()->width(), 1500 - 13);
        QCOMPARE(w.canvas()->size(), QSize(961, 641));
        const QRect around = w.container()->contentsRect();
        const QPoint middle = w.canvas()->mapTo(w.container(), w.canvas()->rect().center());
        QVERIFY(qAbs(middle.x() - around.center().x()) <= 3 && qAbs(middle.y() - around.center().y()) <= 3);
        w.resize(500, 400);
        QTRY_VERIFY(w.scrollArea()->horizontalScrollBar()->isVisible());
        QVERIFY(w.scrollArea()->verticalScrollBar()->isVisible());
        QCOMPARE(w.canvas()->size(), QSize(961, 641));
    }

    void startShowsTheTitleBlock() {
        MainWindow w;
        const Document& d = w.editor().doc;
        QCOMPARE(d.labelCount, 8);
        const QImage img = w.canvas()->renderImage();
        QCOMPARE(img.size(), QSize(961, 641));

        // The sunken frame, then the white canvas inside it.
        QVERIFY(!isWhite(at(img, 0, 0)));
        QVERIFY(!isWhite(at(img, 1, 320)));
        QVERIFY(isWhite(at(img, 2, 320)));
        QVERIFY(isWhite(at(img, 480, 320)));

        // Table frame at (11500, 8000) twips = (767, 533) client pixels.
        const QPoint c = w.canvas()->clientOrigin();
        QVERIFY(isBlack(at(img, c.x() + 767, c.y() + 578)));
        QVERIFY(isBlack(at(img, c.x() + 800, c.y() + 533)));
        QVERIFY(isBlack(at(img, c.x() + 829, c.y() + 545)));  // column divider
        QVERIFY(isWhite(at(img, c.x() + 766, c.y() + 578)));

        // "编号:" starts at (400, 400) twips; the title is centred on the canvas
        // (Picture1's width / 2 + its left, in twips).
        const QRect number = test::inkBox(img, QRect(c.x(), c.y() + 20, 150, 40));
        QVERIFY(!number.isNull());
        QVERIFY(qAbs(number.left() - (c.x() + 27)) <= 2);
        QVERIFY(number.top() >= c.y() + 27);
        const QRect title = test::inkBox(img, QRect(c.x() + 150, c.y() + 20, 700, 40));
        QVERIFY(!title.isNull());
        const double centre = (title.left() + title.right() + 1) / 2.0 - c.x();
        QVERIFY2(qAbs(centre - (14415.0 / 2 + 75) / 15) <= 3, qPrintable(QString::number(centre)));
        QVERIFY(title.width() > 8 * 15);  // eight characters at 19 px, not boxes of nothing
        QVERIFY(test::countIf(img, title, test::isDark) > 200);
    }

    void theTitleNamesTheDrawingAndMarksItsChanges() {
        QTemporaryDir dir;
        const std::string path = dir.filePath(QString::fromUtf8("流程图.QMP")).toStdString();
        MainWindow w;
        w.show();
        QCOMPARE(w.windowHandle()->title(), QString::fromUtf8("未命名 - Quillmap"));
        QVERIFY(writeDocument(path, w.editor().doc));
        QVERIFY(w.openFile(path));
        QCOMPARE(w.windowHandle()->title(), QString::fromUtf8("流程图.QMP - Quillmap"));
        w.view().perform([](Editor& ed) {
            ed.doc.Label.find(1)->left = 5000;
            ed.markModified();
        });
        QCOMPARE(w.windowHandle()->title(), QString::fromUtf8("流程图.QMP* - Quillmap"));
        w.view().perform([](Editor& ed) { ed.doc.Label.find(1)->left = 400; });
        QCOMPARE(w.windowHandle()->title(), QString::fromUtf8("流程图.QMP - Quillmap"));
        w.editor().doc.setModified(false);
    }

    void canvasInputArrivesAsClientTwips() {
        MainWindow w;
        CanvasWidget* canvas = w.canvas();
        QStringList log;
        auto record = [&](const char* what) {
            return [&log, what](const CanvasPointer& p) {
                log << QStringLiteral("%1 %2 %3 %4,%5").arg(QLatin1String(what)).arg(p.button).arg(p.shift).arg(p.x).arg(p.y);
            };
        };
        canvas->hooks.press = record("press");
        canvas->hooks.move = record("move");
        canvas->hooks.release = record("release");
        int deletes = 0;
        canvas->hooks.key = [&](const QKeyEvent& e) { return e.key() == Qt::Key_Delete && ++deletes; };
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));

        const QPoint at(2 + 10, 2 + 20);  // client pixel (10, 20)
        QTest::mousePress(canvas, Qt::LeftButton, Qt::ShiftModifier, at);
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::ShiftModifier, at);
        QCOMPARE(log, QStringList({QStringLiteral("press 1 1 150,300"), QStringLiteral("release 1 1 150,300")}));

        log.clear();
        QTest::mousePress(canvas, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, at);
        QMouseEvent drag(QEvent::MouseMove, QPointF(2 + 20, 2 + 30), canvas->mapToGlobal(QPointF(22, 32)),
                         Qt::NoButton, Qt::RightButton, Qt::NoModifier);
        QCoreApplication::sendEvent(canvas, &drag);
        // Released outside the canvas: still the canvas's release.
        QTest::mouseRelease(canvas, Qt::RightButton, Qt::NoModifier, QPoint(-30, 40));
        QCOMPARE(log, QStringList({QStringLiteral("press 2 3 150,300"), QStringLiteral("move 2 0 300,450"),
                                   QStringLiteral("release 2 0 -480,570")}));

        // A press on the frame is not a press on the canvas.
        log.clear();
        QTest::mousePress(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        QTest::mouseRelease(canvas, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        QVERIFY(log.isEmpty());

        QTest::keyClick(canvas, Qt::Key_Delete);
        QTest::keyClick(canvas, Qt::Key_A);
        QCOMPARE(deletes, 1);
    }

    void newCommandRebuildsTheDocument() {
        MainWindow w;
        Document& d = w.editor().doc;
        d.Label.find(1)->left = 5000;
        d.Shape2.left = 100;
        auto* fileNew = w.findChild<QAction*>(QStringLiteral("fileNew"));
        QVERIFY(fileNew);
        QCOMPARE(fileNew->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        // Moving them changed the drawing, so New asks first, naming the drawing:
        // 取消 and Esc keep it, No discards the change.
        QString question;
        QStringList captions;
        const auto answerWith = [&](const std::function<void(QMessageBox*)>& choose) {
            QTimer::singleShot(0, [&, choose] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box) QFAIL("no question");
                question = box->text();
                captions.clear();
                for (QAbstractButton* b : box->buttons()) captions << b->text();
                choose(box);
            });
            fileNew->trigger();
        };
        answerWith([](QMessageBox* box) { box->button(QMessageBox::Cancel)->click(); });
        QCOMPARE(question, QString::fromUtf8("文件“未命名”已改变，是否保存？"));
        captions.sort();
        QCOMPARE(captions, QString::fromUtf8("取消 否 是").split(QLatin1Char(' ')));
        QCOMPARE(d.Label.find(1)->left, 5000.0f);
        answerWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(d.Label.find(1)->left, 5000.0f);
        answerWith([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_N); });
        QCOMPARE(d.Label.find(1)->left, 400.0f);
        QCOMPARE(d.Shape2.left, 11500.0f);
    }

    void timersRunAtTheirIntervals() {
        MainWindow w;
        QtHost& h = w.host();
        QCOMPARE(h.timer(TimerId::Timer1).interval(), 10);
        QCOMPARE(h.timer(TimerId::Timer2).interval(), 300);
        QVERIFY(!h.timer(TimerId::Timer1).isActive());
        QVERIFY(h.timer(TimerId::Timer2).isActive());
    }

    void editMenuPopsUpAtThePointer() {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.editMenu()->objectName(), QStringLiteral("edit"));
        QWidget* shown = nullptr;
        QTimer::singleShot(0, [&] {
            shown = QApplication::activePopupWidget();
            if (shown) shown->close();
        });
        w.host().popupEditMenu();  // returns once the menu has closed
        QCOMPARE(shown, static_cast<QWidget*>(w.editMenu()));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestMainWindow)
#include "main_window_test.moc"
