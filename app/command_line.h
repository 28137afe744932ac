// The two editors' command lines. --help and --version are answered before Qt
// opens the display, so that they work over a terminal without one; the rest is
// checked once Qt has taken out its own options (-platform, -style, ...). A wrong
// command line is one line on standard error and exit status 2.
#pragma once
#include <optional>

#include <QString>
#include <QStringList>

namespace qm {

struct EditorCommandLine {
    const char* program;      // as the user types it
    const char* summary;      // the line under the usage
    bool takesFile;           // [FILE]: a document opened at start
    const char* examples;     // lines of "  program ..."
};

extern const EditorCommandLine kQuillmapCommandLine;
extern const EditorCommandLine kQmpCommandLine;

// When the raw arguments ask for help or the version: prints it and returns the
// exit status. Anything else, wrong or not, waits for checkEditorArguments.
std::optional<int> answerHelpOrVersion(const EditorCommandLine& line, int argc, char** argv);

struct EditorArguments {
    std::optional<int> exitStatus;  // set: the program ends with it at once
    QString file;                   // empty when none was named
};

// Checks the arguments Qt left (QCoreApplication::arguments()); tells the user
// what is wrong.
EditorArguments checkEditorArguments(const EditorCommandLine& line, const QStringList& arguments);

}  // namespace qm
