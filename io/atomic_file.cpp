#include "io/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <random>
#include <utility>

namespace qm {
namespace fs = std::filesystem;

std::ptrdiff_t DiskCalls::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int DiskCalls::fsync(int fd) { return ::fsync(fd); }
int DiskCalls::rename(const char* from, const char* to) { return ::rename(from, to); }

namespace {

DiskCalls systemDiskCalls;
DiskCalls* diskCalls = &systemDiskCalls;

IoError fileError(const std::string& what, const std::string& path, int err) {
    return IoError{what + " \"" + path + "\": " + std::strerror(err), std::nullopt};
}

IoError saveRefused(const std::string& path, const std::string& reason) {
    return IoError{"cannot save \"" + path + "\": " + reason, std::nullopt};
}

class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

constexpr std::string_view kTemporaryMark = ".qm-", kTemporaryExt = ".tmp";
constexpr size_t kTemporaryNameSize = kTemporaryMark.size() + 16 + 1 + 8 + kTemporaryExt.size();

// Temporaries are named ".qm-" + 16 hex digits of a hash of the target's name +
// "-" + 8 random characters + ".tmp": short whatever the target's name, so every
// name the file system takes can be saved, and marked with the target they belong
// to, so that a later save of it can remove what a killed save left. A save holds
// an exclusive flock on its temporary until the rename: one that can be locked by
// someone else belongs to a save that no longer runs.
std::string temporaryPrefix(const fs::path& target) {
    uint64_t h = 14695981039346656037ull;  // FNV-1a
    const fs::path name = target.filename();
    for (const char c : name.native()) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ull;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "%016llx-", static_cast<unsigned long long>(h));
    return std::string(kTemporaryMark) + buf;
}

std::string randomSuffix() {
    thread_local std::mt19937_64 gen{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int k = 0; k < 8; ++k) s += digits[gen() % 36];
    return s + std::string(kTemporaryExt);
}

// Removes the temporaries in `dir` whose names begin with `prefix` and whose saves
// were killed.
void removeAbandoned(const fs::path& dir, std::string_view prefix) {
    DIR* d = ::opendir(dir.c_str());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() != kTemporaryNameSize || !name.starts_with(prefix) || !name.ends_with(kTemporaryExt)) continue;
        const fs::path p = dir / std::string(name);
        Descriptor fd(::open(p.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY));
        if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
        // The name may have been renamed over its target since it was listed.
        struct stat locked {}, named {};
        if (::fstat(fd.get(), &locked) == 0 && ::lstat(p.c_str(), &named) == 0 && sameFile(locked, named) &&
            S_ISREG(named.st_mode))
            ::unlink(p.c_str());
    }
    ::closedir(d);
}

// Closes the descriptor and removes the temporary file unless the save completed.
class TempFile {
public:
    ~TempFile() {
        fd.reset();
        if (!path.empty()) ::unlink(path.c_str());
    }
    // Creates and locks a new temporary in `dir`, with the permission bits `mode`
    // from the start (the umask may take some away, never add any).
    bool create(const fs::path& dir, const std::string& prefix, mode_t mode) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const fs::path candidate = dir / (prefix + randomSuffix());
            fd.reset(::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
            if (fd.get() < 0) {
                if (errno == EEXIST) continue;
                return false;
            }
            // Another save tidying up may have locked it first; then it is gone or
            // about to go, and a new name is needed. On a file system without locks
            // the temporary stays unlocked, and no other save can remove it.
            if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) continue;
            struct stat mine {}, named {};
            if (::fstat(fd.get(), &mine) == 0 && ::lstat(candidate.c_str(), &named) == 0 && sameFile(mine, named)) {
                path = candidate;
                return true;
            }
        }
        fd.reset();
        errno = EEXIST;
        return false;
    }

    Descriptor fd;
    fs::path path;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const std::ptrdiff_t n = diskCalls->write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable.
bool syncDirectory(const fs::path& dir) {
    Descriptor fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.get() >= 0 && diskCalls->fsync(fd.get()) == 0;
}

// A file no one may write stays as it is, also for root, who may write anything;
// otherwise the file is read-only when this user may not write it.
bool isReadOnly(const fs::path& file, const struct stat& st) {
    if ((st.st_mode & 0222) == 0) return true;
    return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

struct SaveTarget {
    fs::path file, dir;
    std::optional<struct stat> existing;
};

// The regular file a save replaces: a link's target (so that the link survives),
// or a file not there yet. Links that lead nowhere and anything that is not a
// regular file are refused, as is a file this user may not write.
Result<SaveTarget> resolveTarget(const std::string& utf8Path) {
    SaveTarget t;
    t.file = pathFromUtf8(utf8Path);
    struct stat st {};
    if (::lstat(t.file.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        fs::path resolved = fs::canonical(t.file, ec);
        if (ec == std::errc::no_such_file_or_directory) {
            const fs::path to = fs::read_symlink(t.file, ec);
            const std::u8string shown = to.u8string();
            return saveRefused(utf8Path, "it is a symbolic link to \"" + std::string(shown.begin(), shown.end()) +
                                             "\", which does not exist");
        }
        if (ec) return fileError("cannot save", utf8Path, ec.value());
        t.file = std::move(resolved);
    }
    if (t.file.filename().empty()) return fileError("cannot save", utf8Path, EISDIR);
    t.dir = t.file.has_parent_path() ? t.file.parent_path() : fs::path(".");
    if (::stat(t.file.c_str(), &st) != 0) {
        if (errno != ENOENT) return fileError("cannot save", utf8Path, errno);
        return t;
    }
    if (S_ISDIR(st.st_mode)) return fileError("cannot save", utf8Path, EISDIR);
    if (!S_ISREG(st.st_mode))
        return saveRefused(utf8Path, "it is not a regular file (a device, a pipe or a socket), so no document can "
                                     "be saved there");
    if (isReadOnly(t.file, st)) {
        if (errno == EROFS) return fileError("cannot save", utf8Path, EROFS);
        return saveRefused(utf8Path, "the file is read-only");
    }
    t.existing = st;
    return t;
}

}  // namespace

fs::path pathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

Result<std::string> readWholeFile(const std::string& utf8Path, uint64_t maxSize) {
    const fs::path path = pathFromUtf8(utf8Path);
    // Not blocking on the open: a FIFO would wait for a writer forever.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) return fileError("cannot open", utf8Path, errno);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return fileError("cannot open", utf8Path, errno);
    if (S_ISDIR(st.st_mode)) return fileError("cannot open", utf8Path, EISDIR);
    if (!S_ISREG(st.st_mode))
        return IoError{"cannot open \"" + utf8Path + "\": it is not a regular file and cannot be a document",
                       std::nullopt};
    auto tooLarge = [&](uint64_t size) {
        return IoError{"cannot open \"" + utf8Path + "\": the file is " + std::to_string(size) + " bytes, larger than " +
                           std::to_string(maxSize) + " bytes, and cannot be a document",
                       std::nullopt};
    };
    const auto size = static_cast<uint64_t>(st.st_size);
    if (size > maxSize) return tooLarge(size);
    if (const int flags = ::fcntl(fd.get(), F_GETFL); flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);

    // Read into a buffer of the file's size; a file that grows meanwhile is read on
    // to its end, within the limit.
    std::string out(static_cast<size_t>(size), '\0');
    size_t have = 0;
    char more[4096];
    for (;;) {
        const bool inSize = have < out.size();
        char* to = inSize ? out.data() + have : more;
        const size_t room = inSize ? out.size() - have : sizeof more;
        const ssize_t n = ::read(fd.get(), to, room);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fileError("cannot read", utf8Path, errno);
        }
        if (n == 0) break;
        if (inSize) {
            have += static_cast<size_t>(n);
            continue;
        }
        if (have + static_cast<uint64_t>(n) > maxSize) return tooLarge(have + static_cast<uint64_t>(n));
        out.append(more, static_cast<size_t>(n));
        have = out.size();
    }
    out.resize(have);
    return out;
}

Status writeFileAtomically(const std::string& utf8Path, std::string_view bytes) {
    Result<SaveTarget> target = resolveTarget(utf8Path);
    if (!target) return target.error();
    const SaveTarget& t = *target;
    const std::string prefix = temporaryPrefix(t.file);

    TempFile tmp;
    // The document keeps its permission bits, owner and group (as far as this user
    // may give them); a new one gets the usual bits.
    const mode_t mode = t.existing ? (t.existing->st_mode & 07777) : 0666;
    if (!tmp.create(t.dir, prefix, mode)) return fileError("cannot save", utf8Path, errno);
    if (t.existing) {
        const int fd = tmp.fd.get();
        if (::fchown(fd, t.existing->st_uid, t.existing->st_gid) != 0)
            (void)::fchown(fd, static_cast<uid_t>(-1), t.existing->st_gid);
        // After the owner: changing it clears the set-user and set-group bits.
        if (::fchmod(fd, mode) != 0) return fileError("cannot save", utf8Path, errno);
    }
    if (!writeAll(tmp.fd.get(), bytes) || diskCalls->fsync(tmp.fd.get()) != 0)
        return fileError("cannot save", utf8Path, errno);
    // The lock is held until the temporary has its final name.
    if (diskCalls->rename(tmp.path.c_str(), t.file.c_str()) != 0) return fileError("cannot save", utf8Path, errno);
    tmp.path.clear();
    if (::close(tmp.fd.release()) != 0) {
        IoError e = fileError("cannot save", utf8Path, errno);
        e.replaced = true;
        return e;
    }
    if (!syncDirectory(t.dir))
        return IoError{"the document was written to \"" + utf8Path +
                           "\", but the folder could not be flushed to the disk, so it may not survive a power "
                           "failure: " + std::strerror(errno),
                       std::nullopt, true};
    removeAbandoned(t.dir, prefix);
    return {};
}

void removeAbandonedTemporaries(const fs::path& dir) { removeAbandoned(dir, kTemporaryMark); }

void setDiskCalls(DiskCalls* calls) { diskCalls = calls ? calls : &systemDiskCalls; }

}  // namespace qm
