// quillmap: the flowchart editor's main program.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
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
    return QApplication::exec();
}
