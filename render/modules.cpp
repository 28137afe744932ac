#include "render/modules.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

namespace qm {

Result<const void*> loadModule(const char* fileName) {
    const QString programDir = QCoreApplication::applicationDirPath();
    const QStringList folders{programDir, programDir + QStringLiteral("/" QM_MODULE_DIR_FROM_PROGRAM)};
    const QString name = QString::fromUtf8(fileName);
    for (const QString& folder : folders) {
        const QString path = folder + QLatin1Char('/') + name;
        if (!QFileInfo::exists(path)) continue;
        QLibrary library(QFileInfo(path).canonicalFilePath());
        // Its code stays in use after the library object is gone (a printer it made).
        library.setLoadHints(QLibrary::PreventUnloadHint);
        using Entry = const void* (*)();
        const auto entry = reinterpret_cast<Entry>(library.resolve("quillmap_module"));
        const void* table = entry ? entry() : nullptr;
        if (!table)
            return IoError{"cannot load the module \"" + path.toStdString() + "\": " + library.errorString().toStdString(),
                           std::nullopt};
        return table;
    }
    return IoError{"cannot load the module \"" + name.toStdString() + "\": it is in none of the folders " +
                       folders.join(QStringLiteral(", ")).toStdString(),
                   std::nullopt};
}

}  // namespace qm
