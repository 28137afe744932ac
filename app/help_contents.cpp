#include "app/help_contents.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

#include "model/host.h"

namespace qm {
namespace {

const QString kHelpFileName = QStringLiteral("ReadMe.txt");
// The copy built into the program, for a program run from a folder without one.
const QString kBuiltInHelp = QStringLiteral(":/help/ReadMe.txt");
const QString kHelpWindowName = QStringLiteral("helpWindow");

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

QDialog* showHelpWindow(const QString& path, QWidget* parent) {
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) file.setFileName(kBuiltInHelp);
    if (!file.isOpen() && !file.open(QIODevice::ReadOnly)) return nullptr;
    auto* window = parent ? parent->findChild<QDialog*>(kHelpWindowName, Qt::FindDirectChildrenOnly) : nullptr;
    if (!window) {
        window = new QDialog(parent);
        window->setObjectName(kHelpWindowName);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->setWindowTitle(QStringLiteral("帮助 - ") + kHelpFileName);
        auto* text = new QPlainTextEdit(window);
        text->setReadOnly(true);
        // The help text lines up its underlines and lists in fixed columns.
        text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, window);
        buttons->button(QDialogButtonBox::Close)->setText(QStringLiteral("关闭"));
        QObject::connect(buttons, &QDialogButtonBox::rejected, window, &QDialog::close);
        auto* layout = new QVBoxLayout(window);
        layout->addWidget(text);
        layout->addWidget(buttons);
        const QFontMetrics metrics(text->font());
        window->resize(metrics.horizontalAdvance(QLatin1Char('M')) * 86, metrics.lineSpacing() * 32);
    }
    window->findChild<QPlainTextEdit*>()->setPlainText(QString::fromUtf8(file.readAll()));
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void showHelpContents(Host& host, QWidget* parent) {
    const QString found = findHelpFile();
    // The window may be gone by the time a viewer fails.
    const QPointer<QWidget> window = parent;
    const auto ownWindow = [window, found] {
        if (window) showHelpWindow(found, window);
    };
    if (!found.isEmpty() && host.startHelpViewer(found.toStdString(), ownWindow)) return;
    ownWindow();
}

}  // namespace qm
