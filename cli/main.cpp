// qmptool: checks, dumps, renders and converts documents without a window.
#include "cli/tool.h"

int main(int argc, char** argv) { return qm::cli::runTool(argc, argv); }
