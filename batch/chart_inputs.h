// The charts a command line names: files as given, and folders searched through
// for documents (*.QMP in any letter case), each with the path it has below the
// folder it was found in, so that outputs can mirror the archive's tree.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qm::batch {

struct ChartInput {
    std::string path;      // as it is read (UTF-8)
    std::string relative;  // below its input folder; a file named itself: its own name
};

struct ChartInputs {
    std::vector<ChartInput> charts;
    std::vector<std::string> problems;  // folders that could not be read, one message each
    bool anyFolder = false;
};

// Files are taken whatever their name; folders are walked in name order, every
// folder once however many links lead to it, so a link loop ends.
ChartInputs findCharts(const std::vector<std::string>& inputs);

bool isFolder(const std::string& path);

// DIR/relative with the extension replaced by `ext` (without its dot).
std::string mirroredPath(const std::string& dir, const std::string& relative, std::string_view ext);

}  // namespace qm::batch
