#include "app/translations.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace qm {

bool installChineseTranslations(QCoreApplication& app) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // qtbase holds every text of Core, Gui, Widgets and Print Support; the "qt"
    // catalogue would add the modules the programs do not use.
    auto* translator = new QTranslator(&app);
    if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        return true;
    delete translator;
    qWarning("Qt's Chinese translations (qtbase_zh_CN.qm) are not installed in %s; Qt's dialogs speak English",
             qPrintable(QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
    return false;
}

}  // namespace qm
