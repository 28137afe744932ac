// qmptool's command line: the subcommands check, dump, diff, render, print and convert,
// their arguments, the usage text, and how results and errors reach the terminal
// (results on standard output, one "qmptool: ..." line per error on standard error).
#pragma once
#include <memory>
#include <string>

class QGuiApplication;

namespace qm::cli {

// Exit statuses.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // an invalid document, a read or write that failed
inline constexpr int kExitUsage = 2;    // the command line itself is wrong
// diff's, as diff(1) has them.
inline constexpr int kDiffSame = 0;
inline constexpr int kDiffDifferent = 1;
inline constexpr int kDiffTrouble = 2;

int runTool(int argc, char** argv);

// A file name may hold line breaks and terminal escapes; a report line must stay
// one line that no file name can forge or hide.
std::string oneLine(std::string text);
// One "qmptool: ..." line on standard error.
void printError(const std::string& message);

// Qt for the commands that draw or measure text; offscreen unless the caller
// chose a platform, so that no display is needed.
class Gui {
public:
    explicit Gui(char* program);
    ~Gui();
    Gui(const Gui&) = delete;
    Gui& operator=(const Gui&) = delete;

private:
    int argc_ = 1;
    char* argv_[2];
    std::unique_ptr<QGuiApplication> app_;
};

// What check says of a file: its layout and counts, or what is wrong at which byte.
struct CheckLine {
    std::string text;
    bool valid = false;
};
CheckLine checkLine(const std::string& path);

}  // namespace qm::cli
