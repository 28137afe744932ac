#include "app/held_plugins.h"

#include <QCoreApplication>
#include <QStringList>

namespace qm {

std::function<void()> holdPlugins() {
    const QStringList folders = QCoreApplication::libraryPaths();
    QCoreApplication::setLibraryPaths({});
    // Setting the folders again has Qt look in them anew for the kinds of plugins
    // it asked for in the meantime.
    return [folders] { QCoreApplication::setLibraryPaths(folders); };
}

}  // namespace qm
