// Finding the help text (current folder, then beside the program, then the
// installed data folder) and what the user hears when no viewer starts.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "app/help_contents.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

void touch(const QString& path) {
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("help\n");
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

    void theViewerGetsTheFoundFileOrTheBareName() {
        HelpFiles files;
        test::FakeHost host;
        showHelpContents(host);
        QCOMPARE(host.helpPaths, std::vector<std::string>{"ReadMe.txt"});
        touch(files.inCwd());
        showHelpContents(host);
        QCOMPARE(host.helpPaths.size(), size_t(2));
        QCOMPARE(QString::fromStdString(host.helpPaths[1]), files.inCwd());
        QVERIFY(host.asked.empty());
    }

    void noViewerIsToldAboutOnce() {
        HelpFiles files;
        test::FakeHost host;
        host.helpStarts = false;
        showHelpContents(host);
        QCOMPARE(host.asked.size(), size_t(1));
        QCOMPARE(host.asked[0].title, std::string("提示"));
        QCOMPARE(host.asked[0].icon, Icon::Information);
        QCOMPARE(host.asked[0].buttons, Buttons::Ok);
        QVERIFY(host.asked[0].text.find("ReadMe.txt") != std::string::npos);

        // With the file found the message says where it is, to open it by hand.
        touch(files.inCwd());
        showHelpContents(host);
        QCOMPARE(host.asked.size(), size_t(2));
        QVERIFY2(host.asked[1].text.find(files.inCwd().toStdString()) != std::string::npos,
                 host.asked[1].text.c_str());
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestHelpContents)
#include "help_contents_test.moc"
