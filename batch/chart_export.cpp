#include "batch/chart_export.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "batch/chart_opening.h"
#include "io/atomic_file.h"
#include "render/fonts.h"
#include "render/qt_text_metrics.h"

namespace qm::batch {
namespace {

namespace fs = std::filesystem;

std::string parentOf(const std::string& path) {
    const fs::path p = pathFromUtf8(path).parent_path();
    if (p.empty()) return ".";
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

}  // namespace

TextExtent SharedTextMetrics::measure(std::string_view utf8, std::string_view fontName, float pointSize,
                                      float wrapWidth) const {
    static const QtTextMetrics qt;
    const std::lock_guard lock(fontLock());
    return qt.measure(utf8, fontName, pointSize, wrapWidth);
}

Status drawChartFile(const std::string& in, const std::string& out, const TextMetrics& metrics, const DrawChart& draw,
                     const char* what, std::chrono::steady_clock::time_point deadline) {
    const Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(in, metrics);
    if (!opened) return opened.error();
    const Result<std::string> bytes = draw((*opened)->ed);
    if (!bytes) return IoError{"cannot draw \"" + out + "\": " + bytes.error().message, std::nullopt};
    if (std::chrono::steady_clock::now() > deadline)
        return IoError{"\"" + in + "\" took more than " + std::to_string(kChartTimeLimit.count()) + " s; the " + what +
                           " is not written",
                       std::nullopt};
    return writeFileAtomically(out, *bytes);
}

std::string outputFolderProblem(const OutputTree& tree, const std::vector<std::string>& inputs) {
    std::error_code ec;
    const fs::path out = fs::weakly_canonical(pathFromUtf8(tree.dir), ec);
    for (const std::string& in : inputs) {
        if (!isFolder(in)) continue;
        const fs::path folder = fs::weakly_canonical(pathFromUtf8(in), ec);
        if (std::mismatch(folder.begin(), folder.end(), out.begin(), out.end()).first == folder.end())
            return "the output folder \"" + tree.dir + "\" is in the input folder \"" + in + "\"; choose another";
    }
    fs::create_directories(pathFromUtf8(tree.dir), ec);
    if (!isFolder(tree.dir))
        return "cannot make the output folder \"" + tree.dir + "\"" + (ec ? ": " + ec.message() : std::string());
    std::string probe = tree.dir + "/.quillmap-XXXXXX";
    const int fd = ::mkstemp(probe.data());
    if (fd < 0) return "cannot write in the output folder \"" + tree.dir + "\": " + std::strerror(errno);
    ::close(fd);
    ::unlink(probe.c_str());
    return {};
}

ChartOutcome writeMirrored(const ChartInput& chart, const OutputTree& tree,
                           const std::function<Status(const std::string&, const std::string&)>& make) {
    const std::string out = mirroredPath(tree.dir, chart.relative, tree.ext);
    ChartOutcome o;
    if (sameFile(chart.path, out) || sameFile(parentOf(chart.path), parentOf(out))) {
        o.result = ChartResult::Failed;
        o.error = "\"" + out + "\" would be written over or beside its input \"" + chart.path + "\"";
        return o;
    }
    std::error_code ec;
    if (fs::exists(pathFromUtf8(out), ec) && !tree.replace) {
        o.result = ChartResult::Kept;
        return o;
    }
    fs::create_directories(pathFromUtf8(out).parent_path(), ec);
    if (Status st = make(chart.path, out); !st) {
        o.result = ChartResult::Failed;
        o.error = st.error().describe();
        return o;
    }
    o.result = ChartResult::Written;
    return o;
}

}  // namespace qm::batch
