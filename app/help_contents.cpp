#include "app/help_contents.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include "model/host.h"

namespace qm {
namespace {

const QString kHelpFileName = QStringLiteral("ReadMe.txt");

}  // namespace

QString findHelpFile() {
    // The current folder comes first, as it always has; the program's own folder
    // and the installed data folder let a program started from a desktop menu,
    // whose current folder is the home folder, still find its help.
    QStringList folders{QDir::currentPath()};
    if (QCoreApplication::instance()) {
        const QString programDir = QCoreApplication::applicationDirPath();
        folders << programDir << programDir + QStringLiteral("/../share/quillmap");
    }
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder), kHelpFileName);
        if (file.isFile()) return QDir::cleanPath(file.absoluteFilePath());
    }
    return {};
}

void showHelpContents(Host& host) {
    const QString found = findHelpFile();
    const QString path = found.isEmpty() ? kHelpFileName : found;
    if (host.startHelpViewer(path.toStdString())) return;
    const std::string text =
        found.isEmpty()
            ? std::string("找不到帮助文件 ReadMe.txt，也无法启动文本查看器来显示帮助。")
            : "无法启动文本查看器来显示帮助。请用任意文本编辑器打开“" + found.toStdString() + "”阅读。";
    host.message("提示", text, Icon::Information);
}

}  // namespace qm
