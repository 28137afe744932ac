// How qmptool's results and errors reach the terminal, its exit statuses, and Qt
// for the commands that draw or measure text.
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

}  // namespace qm::cli
