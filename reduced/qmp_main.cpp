// qmp: the reduced flowchart editor, a program of its own on the shared core and
// shell.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "app/icons.h"
#include "reduced/qmp_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qmp"));
    QApplication::setWindowIcon(qm::applicationIcon());

    // The interface is Chinese; Qt's own dialogs (file dialogs) follow when the
    // translations are installed.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    qm::reduced::QmpWindow window;
    window.show();
    return QApplication::exec();
}
