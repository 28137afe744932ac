#include "batch/chart_inputs.h"

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <system_error>
#include <utility>

#include "io/atomic_file.h"

namespace qm::batch {
namespace {

namespace fs = std::filesystem;

bool chartName(std::string_view name) {
    if (name.size() < 4) return false;
    const std::string_view ext = name.substr(name.size() - 4);
    static constexpr std::string_view wanted = ".qmp";
    for (size_t k = 0; k < 4; ++k) {
        const char c = ext[k] >= 'A' && ext[k] <= 'Z' ? static_cast<char>(ext[k] - 'A' + 'a') : ext[k];
        if (c != wanted[k]) return false;
    }
    return true;
}

std::string utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

class Walk {
public:
    explicit Walk(ChartInputs& found) : found_(found) {}

    // Folders are known by device and inode: a link to a folder already walked,
    // an ancestor in particular, leads nowhere new.
    void folder(const std::string& path, const std::string& relative) {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !visited_.insert({st.st_dev, st.st_ino}).second) return;
        std::error_code ec;
        std::vector<std::pair<std::string, bool>> entries;  // name, is a folder
        for (fs::directory_iterator it(pathFromUtf8(path), ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code kindError;
            const bool dir = it->is_directory(kindError);  // through links
            const bool file = !dir && it->is_regular_file(kindError);
            const std::string name = utf8(it->path().filename());
            if (dir || (file && chartName(name))) entries.emplace_back(name, dir);
        }
        if (ec) {
            found_.problems.push_back("cannot read the folder \"" + path + "\": " + ec.message());
            return;
        }
        std::sort(entries.begin(), entries.end());
        for (const auto& [name, dir] : entries) {
            const std::string child = path.ends_with('/') ? path + name : path + "/" + name;
            const std::string below = relative.empty() ? name : relative + "/" + name;
            if (dir) folder(child, below);
            else found_.charts.push_back({child, below});
        }
    }

private:
    ChartInputs& found_;
    std::set<std::pair<dev_t, ino_t>> visited_;
};

}  // namespace

bool isFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(pathFromUtf8(path), ec);
}

ChartInputs findCharts(const std::vector<std::string>& inputs) {
    ChartInputs found;
    Walk walk(found);
    for (const std::string& in : inputs) {
        if (isFolder(in)) {
            found.anyFolder = true;
            walk.folder(in, "");
        } else {
            found.charts.push_back({in, utf8(pathFromUtf8(in).filename())});
        }
    }
    return found;
}

std::string mirroredPath(const std::string& dir, const std::string& relative, std::string_view ext) {
    std::string out = dir.ends_with('/') ? dir + relative : dir + "/" + relative;
    const size_t dot = out.rfind('.'), slash = out.rfind('/');
    if (dot != std::string::npos && dot > slash + 1) out.erase(dot);
    return out + "." + std::string(ext);
}

}  // namespace qm::batch
