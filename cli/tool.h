// qmptool's command line: the subcommands check, dump, diff, render, print and convert,
// their arguments, the usage text, and how results and errors reach the terminal
// (results on standard output, one "qmptool: ..." line per error on standard error).
#pragma once

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

}  // namespace qm::cli
