// qmp: the reduced flowchart editor, a program of its own on the shared core and
// shell.
#include <QApplication>

#include "app/command_line.h"
#include "app/held_plugins.h"
#include "app/icons.h"
#include "app/translations.h"
#include "edit/file_commands.h"
#include "reduced/qmp_window.h"

int main(int argc, char** argv) {
    if (const auto answered = qm::parseEditorArguments(qm::kQmpCommandLine, argc, argv).exitStatus) return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qmp"));
    qm::installChineseTranslations(app);

    const auto releasePlugins = qm::holdPlugins();
    qm::reduced::QmpWindow window;
    window.afterFirstFrame(releasePlugins);
    window.show();
    // The dialogs' icon, drawn when set: the first frame does not wait for it, and
    // a message shown before that frame gets it with the frame.
    window.afterFirstFrame([] { QApplication::setWindowIcon(qm::applicationIcon()); });
    qm::reportMissingCodePages(window.editor());
    // The copies of programs that died are offered over the drawing on the screen.
    window.afterFirstFrame([&window] { window.startRecovery(); });
    return QApplication::exec();
}
