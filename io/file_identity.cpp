#include "io/file_identity.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "io/atomic_file.h"

namespace qm {
namespace fs = std::filesystem;

namespace {

int64_t modifiedNs(const struct stat& st) {
    return int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
}

FileIdentity fromStat(const std::string& path, const struct stat& st, uint64_t checksum) {
    return {path,
            true,
            static_cast<uint64_t>(st.st_size),
            modifiedNs(st),
            static_cast<uint64_t>(st.st_dev),
            static_cast<uint64_t>(st.st_ino),
            checksum};
}

// A file there, but nothing of it known: no stat matches it, so the next check reads.
FileIdentity unreadable(const std::string& path) { return {path, true, 0, -1, 0, 0, 0}; }

}  // namespace

std::string absolutePath(const std::string& utf8Path) {
    if (utf8Path.empty()) return {};
    std::error_code ec;
    fs::path p = fs::absolute(pathFromUtf8(utf8Path), ec);
    if (ec) p = pathFromUtf8(utf8Path);
    return p.lexically_normal().string();
}

uint64_t contentChecksum(std::string_view bytes) {
    uint64_t h = 14695981039346656037ull;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    return h;
}

Result<IdentifiedFile> readIdentifiedFile(const std::string& utf8Path) {
    const std::string path = absolutePath(utf8Path);
    struct stat before {};
    const bool statted = ::stat(path.c_str(), &before) == 0;
    Result<std::string> bytes = readWholeFile(utf8Path);
    if (!bytes) return bytes.error();
    const uint64_t sum = contentChecksum(*bytes);
    return IdentifiedFile{std::move(bytes).value(), statted ? fromStat(path, before, sum) : unreadable(path)};
}

FileIdentity writtenIdentity(const std::string& utf8Path, std::string_view bytes) {
    const std::string path = absolutePath(utf8Path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return unreadable(path);
    return fromStat(path, st, contentChecksum(bytes));
}

FileIdentity currentIdentity(const std::string& utf8Path) {
    const std::string path = absolutePath(utf8Path);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR)) return {path};
    Result<IdentifiedFile> read = readIdentifiedFile(path);
    return read ? read->identity : unreadable(path);
}

FileCheck checkFile(const FileIdentity& known) {
    struct stat st {};
    if (::stat(known.path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {known.exists ? FileChange::Removed : FileChange::None, 0};
        return {FileChange::Unreadable, 0};
    }
    const int64_t changedAt = st.st_mtim.tv_sec;
    if (!known.exists) return {FileChange::Changed, changedAt};
    if (!S_ISREG(st.st_mode)) return {FileChange::Unreadable, changedAt};
    if (fromStat(known.path, st, known.checksum) == known) return {};
    Result<std::string> bytes = readWholeFile(known.path);
    if (!bytes) return {FileChange::Unreadable, changedAt};
    if (bytes->size() == known.size && contentChecksum(*bytes) == known.checksum) return {};
    return {FileChange::Changed, changedAt};
}

}  // namespace qm
