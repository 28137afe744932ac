// quillmap: the flowchart editor's main program. A document named on the command
// line (as the desktop does when one is opened with the program) is opened at start.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

#include "app/icons.h"
#include "app/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmap"));
    QApplication::setWindowIcon(qm::applicationIcon());  // the dialogs' too

    // The interface is Chinese; Qt's own dialogs (file dialogs) follow when the
    // translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    qm::MainWindow window;
    window.show();
    const QStringList args = QApplication::arguments();  // Qt's own options already taken out
    if (args.size() > 1) window.openFile(args.at(1).toStdString());
    return QApplication::exec();
}
