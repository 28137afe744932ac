// qmptool: checks, dumps, renders, prints and converts documents without a window.
#include "cli/tool.h"

int main(int argc, char** argv) { return qm::cli::runTool(argc, argv); }
