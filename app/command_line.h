// The two editors' command lines, read before Qt opens the display so that
// --help, --version and a wrong command line are answered over a terminal without
// one. Qt's own options (-platform, -style, ...) are passed over and left for
// QApplication. A wrong command line is one line on standard error and exit
// status 2.
#pragma once
#include <optional>

#include <QString>

namespace qm {

struct EditorCommandLine {
    const char* program;      // as the user types it
    const char* summary;      // the line under the usage
    bool takesFile;           // [FILE]: a document opened at start
    const char* examples;     // lines of "  program ..."
};

extern const EditorCommandLine kQuillmapCommandLine;
extern const EditorCommandLine kQmpCommandLine;

struct EditorArguments {
    std::optional<int> exitStatus;  // set: the program ends with it at once
    QString file;                   // empty when none was named
};

// Reads main's arguments before QApplication exists: prints the help, the
// version or what is wrong when that is the answer.
EditorArguments parseEditorArguments(const EditorCommandLine& line, int argc, char** argv);

}  // namespace qm
