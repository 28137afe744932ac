// qmptool's command line: the subcommands check, dump, diff, render, print, convert
// and find, their arguments and the usage text.
#pragma once
#include "cli/tool_output.h"

namespace qm::cli {

int runTool(int argc, char** argv);

}  // namespace qm::cli
