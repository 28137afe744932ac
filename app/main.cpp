// quillmap: the flowchart editor's main program. A document named on the command
// line (as the desktop does when one is opened with the program) is opened at start.
#include <QApplication>

#include "app/command_line.h"
#include "app/held_plugins.h"
#include "app/icons.h"
#include "app/main_window.h"
#include "app/translations.h"
#include "edit/file_commands.h"

int main(int argc, char** argv) {
    const qm::EditorArguments args = qm::parseEditorArguments(qm::kQuillmapCommandLine, argc, argv);
    if (args.exitStatus) return *args.exitStatus;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmap"));
    qm::installChineseTranslations(app);

    const auto releasePlugins = qm::holdPlugins();
    qm::MainWindow window;
    window.afterFirstFrame(releasePlugins);
    window.show();
    // The dialogs' icon, drawn when set: the first frame does not wait for it, and
    // a message shown before that frame gets it with the frame.
    window.afterFirstFrame([] { QApplication::setWindowIcon(qm::applicationIcon()); });
    qm::reportMissingCodePages(window.editor());
    if (!args.file.isEmpty()) window.openFile(args.file.toStdString());
    // The copies of programs that died are offered over the drawing on the screen.
    window.afterFirstFrame([&window] { window.startRecovery(); });
    return QApplication::exec();
}
