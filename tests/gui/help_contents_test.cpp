// Finding the help text (current folder, then beside the program, then the
// installed data folder) and what the user gets when no viewer starts or the
// viewer fails.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/help_contents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

void touch(const QString& path, const QByteArray& text = "help\n") {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

// Runs in an empty folder of its own and removes the help files it puts beside
// the test program.
class HelpFiles {
public:
    HelpFiles() : old_(QDir::currentPath()) { QDir::setCurrent(cwd_.path()); }
    ~HelpFiles() {
        QDir::setCurrent(old_);
        QFile::remove(besideProgram());
        QDir(QCoreApplication::applicationDirPath() + QStringLiteral("/../share")).removeRecursively();
    }
    QString inCwd() const { return QDir::cleanPath(cwd_.filePath(QStringLiteral("ReadMe.txt"))); }
    static QString besideProgram() {
        return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/ReadMe.txt"));
    }
    static QString installed() {
        return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quillmap/ReadMe.txt"));
    }

private:
    QString old_;
    QTemporaryDir cwd_;
};

}  // namespace

class TestHelpContents : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        // The build folder must not hold a help file of its own.
        QVERIFY(!QFileInfo::exists(HelpFiles::besideProgram()));
        QVERIFY(!QFileInfo::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/../share")));
    }

    void lookedUpInTheCurrentFolderFirst() {
        HelpFiles files;
        QCOMPARE(findHelpFile(), QString());
        touch(HelpFiles::installed());
        QCOMPARE(findHelpFile(), HelpFiles::installed());
        touch(HelpFiles::besideProgram());
        QCOMPARE(findHelpFile(), HelpFiles::besideProgram());
        touch(files.inCwd());
        QCOMPARE(findHelpFile(), files.inCwd());
        QVERIFY(QFileInfo(findHelpFile()).isAbsolute());
        // A folder of that name is not the help text.
        QFile::remove(files.inCwd());
        QVERIFY(QDir().mkdir(files.inCwd()));
        QCOMPARE(findHelpFile(), HelpFiles::besideProgram());
    }

    // Help always opens: the viewer on the file found, the program's own window
    // when the viewer fails later, and the text built into the program when there
    // is no file at all.
    void theViewerGetsTheFileAndAFailureShowsTheHelpWindow() {
        HelpFiles files;
        test::FakeHost host;
        QWidget parent;
        touch(files.inCwd(), "帮助的文字\n");
        showHelpContents(host, &parent);
        QCOMPARE(host.helpPaths, std::vector<std::string>{files.inCwd().toStdString()});
        QVERIFY(parent.findChildren<QDialog*>().isEmpty());
        host.helpFailed();  // as xdg-open ends when no program opens the file
        const QList<QDialog*> windows = parent.findChildren<QDialog*>();
        QCOMPARE(windows.size(), 1);
        QCOMPARE(windows[0]->findChild<QPlainTextEdit*>()->toPlainText(), QString::fromUtf8("帮助的文字\n"));
        QVERIFY(host.asked.empty());
    }

    void withoutAFileTheBuiltInTextIsShown() {
        HelpFiles files;
        test::FakeHost host;
        QWidget parent;
        showHelpContents(host, &parent);
        QVERIFY(host.helpPaths.empty());
        QVERIFY(host.asked.empty());
        const QList<QDialog*> windows = parent.findChildren<QDialog*>();
        QCOMPARE(windows.size(), 1);
        QFile readMe(QStringLiteral(QM_SOURCE_DIR "/ReadMe.txt"));
        QVERIFY(readMe.open(QIODevice::ReadOnly));
        QCOMPARE(windows[0]->findChild<QPlainTextEdit*>()->toPlainText(), QString::fromUtf8(readMe.readAll()));
    }

    // Without a viewer the program shows the help itself.
    void noViewerShowsTheHelpInAWindowOfTheProgram() {
        HelpFiles files;
        test::FakeHost host;
        host.helpStarts = false;
        QWidget parent;
        touch(files.inCwd(), "帮助的文字\n第二行\n");
        showHelpContents(host, &parent);
        QVERIFY(host.asked.empty());
        const QList<QDialog*> windows = parent.findChildren<QDialog*>();
        QCOMPARE(windows.size(), 1);
        const QPointer<QDialog> window = windows[0];
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QVERIFY2(window->windowTitle().startsWith(QStringLiteral("帮助")), qPrintable(window->windowTitle()));
        const auto* text = window->findChild<QPlainTextEdit*>();
        QVERIFY(text && text->isReadOnly());
        QCOMPARE(text->toPlainText(), QStringLiteral("帮助的文字\n第二行\n"));

        // Asking again brings the same window forward.
        showHelpContents(host, &parent);
        QCOMPARE(parent.findChildren<QDialog*>().size(), 1);

        QPushButton* close = window->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close);
        QCOMPARE(close->text(), QStringLiteral("关闭"));
        close->click();
        QTRY_VERIFY(window.isNull());
        QVERIFY(host.asked.empty());
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestHelpContents)
#include "help_contents_test.moc"
