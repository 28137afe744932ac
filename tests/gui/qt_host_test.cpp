// The Qt host: the boxes and dialogs the rules ask for, with their exact texts
// and presets, the cursor and its mapping onto the canvas, and the help viewer.
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include "app/canvas_widget.h"
#include "app/export_command.h"
#include "app/file_dialog.h"
#include "app/main_window.h"
#include "windows.h"

namespace qm {
namespace {

using test::whenModal;

}  // namespace

class TestQtHost : public QObject {
    Q_OBJECT
private slots:
    void questionShowsTheTextsAndReturnsTheAnswer() {
        QtHost h;
        QString title, text;
        QStringList captions;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            for (QAbstractButton* b : box->buttons()) captions << b->text();
            box->button(QMessageBox::Yes)->click();
        });
        QCOMPARE(h.ask("提示", "文件已改变，是否保存？", Buttons::YesNo, Icon::Question), Answer::Yes);
        QCOMPARE(title, QString::fromUtf8("提示"));
        QCOMPARE(text, QString::fromUtf8("文件已改变，是否保存？"));
        QCOMPARE(icon, QMessageBox::Question);
        captions.sort();
        QCOMPARE(captions, QStringList({QString::fromUtf8("否"), QString::fromUtf8("是")}));

        whenModal<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::No)->click(); });
        QCOMPARE(h.ask("提示", "?", Buttons::YesNoCancel, Icon::Question), Answer::No);
    }

    void escapeGivesTheAnswerThatChangesNothing() {
        QtHost h;
        whenModal<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(h.ask("提示", "?", Buttons::YesNoCancel, Icon::Question), Answer::Cancel);
        // A Yes/No question dismissed chooses neither: No would throw work away.
        QStringList captions;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* b : box->buttons()) captions << b->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        QCOMPARE(h.ask("提示", "?", Buttons::YesNo, Icon::Question), Answer::Cancel);
        QCOMPARE(captions.size(), 2);
        whenModal<QMessageBox>([](QMessageBox* box) { QVERIFY(box->close()); });
        QCOMPARE(h.ask("提示", "?", Buttons::YesNo, Icon::Question), Answer::Cancel);

        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString okCaption;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            icon = box->icon();
            okCaption = box->button(QMessageBox::Ok)->text();
            QTest::keyClick(box, Qt::Key_Escape);
        });
        h.message("错误", "文件格式错误或版本不兼容，文件无法打开", Icon::Critical);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(okCaption, QString::fromUtf8("确定"));
    }

    void filterAndDefaultExtension() {
        QCOMPARE(qtNameFilter("QMP文件|*.QMP"), QString::fromUtf8("QMP文件 (*.QMP *.qmp)"));
        QCOMPARE(qtNameFilter("BMP图片|*.BMP"), QString::fromUtf8("BMP图片 (*.BMP *.bmp)"));
        QCOMPARE(qtNameFilter("Pictures|*.bmp;*.DIB"), QStringLiteral("Pictures (*.bmp *.DIB *.dib)"));
        QCOMPARE(qtNameFilter("All|"), QStringLiteral("All (*)"));

        const QString ext = QStringLiteral("QMP");
        QCOMPARE(withDefaultExtension(QStringLiteral("/tmp/a"), ext), QStringLiteral("/tmp/a.QMP"));
        QCOMPARE(withDefaultExtension(QStringLiteral("/tmp/a.qmp"), ext), QStringLiteral("/tmp/a.qmp"));
        QCOMPARE(withDefaultExtension(QStringLiteral("/tmp/a.b/c"), ext), QStringLiteral("/tmp/a.b/c.QMP"));
        QCOMPARE(withDefaultExtension(QStringLiteral("/tmp/a."), ext), QStringLiteral("/tmp/a.QMP"));
        QCOMPARE(withDefaultExtension(QString::fromUtf8("/tmp/流程图"), ext), QString::fromUtf8("/tmp/流程图.QMP"));
        QCOMPARE(withDefaultExtension(QStringLiteral("/tmp/a"), QString()), QStringLiteral("/tmp/a"));

        // Several types: a name keeps an extension of any of them, else gets the chosen one's.
        const QStringList types = qtNameFilters("PDF文件|*.pdf|SVG图像|*.svg|PNG图像|*.png");
        QCOMPARE(types, QStringList({QString::fromUtf8("PDF文件 (*.pdf)"), QString::fromUtf8("SVG图像 (*.svg)"),
                                     QString::fromUtf8("PNG图像 (*.png)")}));
        QCOMPARE(qtNameFilters("QMP文件|*.QMP"), QStringList(qtNameFilter("QMP文件|*.QMP")));
        QCOMPARE(withTypeExtension(QStringLiteral("/tmp/a.PNG"), types, types[1]), QStringLiteral("/tmp/a.PNG"));
        QCOMPARE(withTypeExtension(QStringLiteral("/tmp/a"), types, types[1]), QStringLiteral("/tmp/a.svg"));
        QCOMPARE(withTypeExtension(QStringLiteral("/tmp/a.v2"), types, types[2]), QStringLiteral("/tmp/a.v2.png"));
        QCOMPARE(withTypeExtension(QStringLiteral("/tmp/a."), types, types[0]), QStringLiteral("/tmp/a.pdf"));
    }

    void saveDialogHasThePresetsAndAppendsTheExtension() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString before = QDir::currentPath();
        QDir::setCurrent(dir.path());  // the dialog starts in the current folder
        const auto restore = qScopeGuard([&] { QDir::setCurrent(before); });
        QtHost h;
        QStringList filters, preset;
        bool qtsOwn = false;
        whenModal<QFileDialog>([&](QFileDialog* d) {
            qtsOwn = d->testOption(QFileDialog::DontUseNativeDialog);  // in Chinese on any desktop
            filters = d->nameFilters();
            preset = d->selectedFiles();
            d->selectFile(QString::fromUtf8("流程图"));
            static_cast<QDialog*>(d)->accept();
        });
        const auto path = h.saveFileDialog({"未命名.QMP", "QMP文件|*.QMP", "QMP"});
        QCOMPARE(filters, QStringList(QString::fromUtf8("QMP文件 (*.QMP *.qmp)")));
        QVERIFY(qtsOwn);
        QCOMPARE(preset.size(), 1);
        QCOMPARE(QFileInfo(preset.first()).fileName(), QString::fromUtf8("未命名.QMP"));
        QVERIFY(path.has_value());
        QCOMPARE(QString::fromStdString(*path), dir.filePath(QString::fromUtf8("流程图.QMP")));

        whenModal<QFileDialog>([](QFileDialog* d) { d->reject(); });
        QVERIFY(!h.openFileDialog({"未命名.QMP", "QMP文件|*.QMP", "QMP"}).has_value());

        // The export's dialog: choosing the second type renames the preset, and a
        // name typed without an extension gets the chosen type's.
        QString renamed;
        whenModal<QFileDialog>([&](QFileDialog* d) {
            filters = d->nameFilters();
            QTest::keyClick(d->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")), Qt::Key_Down);
            renamed = QFileInfo(d->selectedFiles().value(0)).fileName();
            d->selectFile(QString::fromUtf8("流程图"));
            static_cast<QDialog*>(d)->accept();
        });
        const auto picture = h.saveFileDialog(exportDialogPresets(Document()));
        QCOMPARE(filters.size(), 6);
        QCOMPARE(renamed, QString::fromUtf8("未命名.svg"));
        QVERIFY(picture.has_value());
        QCOMPARE(QString::fromStdString(*picture), dir.filePath(QString::fromUtf8("流程图.svg")));
    }

    void cursorMapsOntoTheCanvasClientArea() {
        MainWindow w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QtHost& h = w.host();
        const QPoint origin = w.canvas()->mapToGlobal(QPoint(2, 2));
        const ScreenPoint s = h.canvasToScreen({10, 20});
        QCOMPARE(QPoint(s.x, s.y), origin + QPoint(10, 20));
        const ScreenPoint back = h.screenToCanvas(s);
        QCOMPARE(QPoint(back.x, back.y), QPoint(10, 20));

        h.setCursorPos(h.canvasToScreen({100, 50}));
        const ScreenPoint now = h.screenToCanvas(h.cursorPos());
        QCOMPARE(QPoint(now.x, now.y), QPoint(100, 50));
    }

    void snappingOnlyOverTheActiveCanvas() {
        MainWindow w;
        QVERIFY(test::shownActive(&w));
        QtHost& h = w.host();
        h.setCursorPos(h.canvasToScreen({200, 200}));
        QVERIFY(h.pointerSnapAllowed());
        h.setCursorPos(h.canvasToScreen({-1, 200}));  // on the canvas's frame
        QVERIFY(!h.pointerSnapAllowed());

        h.setCursorPos(h.canvasToScreen({200, 200}));
        bool duringQuestion = true;
        whenModal<QMessageBox>([&](QMessageBox* box) {
            duringQuestion = h.pointerSnapAllowed();
            box->button(QMessageBox::Ok)->click();
        });
        h.message("提示", "?", Icon::Information);
        QVERIFY(!duringQuestion);
    }

    void canvasCursorShapes() {
        MainWindow w;
        QtHost& h = w.host();
        QCOMPARE(h.canvasCursor(), CursorKind::Default);
        h.setCanvasCursor(CursorKind::Crosshair);
        QCOMPARE(h.canvasCursor(), CursorKind::Crosshair);
        QCOMPARE(w.canvas()->cursor().shape(), Qt::CrossCursor);
        h.setCanvasCursor(CursorKind::Insert);
        QCOMPARE(w.canvas()->cursor().shape(), Qt::BitmapCursor);
        const QImage img = w.canvas()->cursor().pixmap().toImage();
        QVERIFY(!img.isNull());
        QVERIFY(img.pixelColor(img.width() * 11 / 32, img.height() * 5 / 32).alpha() > 0);  // the cross
        QCOMPARE(img.pixelColor(0, img.height() - 1).alpha(), 0);  // transparent around it
        h.setCanvasCursor(CursorKind::Default);
        QCOMPARE(w.canvas()->cursor().shape(), Qt::ArrowCursor);
    }

    void helpViewerReportsWhetherSomethingStartedAndALaterFailure() {
        QtHost h;
        QCOMPARE(h.helpViewers().first(), QStringLiteral("xdg-open"));
        int failures = 0;
        const auto failed = [&failures] { ++failures; };
        h.setHelpViewers({QStringLiteral("/nonexistent/viewer"), QStringLiteral("no-such-viewer-here")});
        QVERIFY(!h.startHelpViewer("ReadMe.txt", failed));
        // The first program that exists is started; `false` takes any argument and
        // ends with status 1, as xdg-open does when nothing opens the file.
        h.setHelpViewers({QStringLiteral("no-such-viewer-here"), QStringLiteral("false")});
        QVERIFY(h.startHelpViewer("ReadMe.txt", failed));
        QTRY_COMPARE(failures, 1);
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestQtHost)
#include "qt_host_test.moc"
