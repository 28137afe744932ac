// check, render, print and convert over many charts at once from the command
// line: the batch's outcomes on the terminal (a progress line, one line per
// failure, a summary at the end), Ctrl+C, and the exit status.
#pragma once
#include <string>
#include <vector>

#include "batch/chart_export.h"
#include "cli/convert_targets.h"

namespace qm::cli {

inline constexpr int kExitInterrupted = 130;  // as a shell reports SIGINT

struct BatchCommand {
    std::vector<std::string> inputs;
    std::string outDir;  // for the commands that write
    std::string ext;     // of the outputs, without its dot
    int jobs = 0;        // 0: one per core
    bool force = false;  // replace existing outputs rather than keep them
    bool progress = false, quiet = false;
    bool summary = true;  // the last line; check leaves it out for a plain list of files, as it always did
    char* program = nullptr;
};

// The exit status: 0 every chart done, 1 one failed, 2 a wrong command line or an
// output folder that cannot be written, 130 stopped by SIGINT.
int checkBatch(const BatchCommand& c);
int drawBatch(const BatchCommand& c, const batch::DrawChart& draw, const char* what);
int convertBatch(const BatchCommand& c, const ConvertChart& convert);

}  // namespace qm::cli
