#include "io/recovery_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <random>
#include <utility>

#include "io/atomic_file.h"
#include "io/file_identity.h"

namespace qm {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMagic = "QUILLMAP RECOVERY COPY 1\n";
constexpr std::string_view kCopyExt = ".copy", kLockExt = ".lock";

const char* layoutName(Layout layout) { return layout == Layout::Qmp ? "qmp" : "quillmap"; }

std::string hex(uint64_t v) {
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

std::string randomId() {
    std::random_device rd;
    const uint64_t v = (uint64_t{rd()} << 32) ^ rd() ^ static_cast<uint64_t>(::getpid());
    return hex(v);
}

// Reads "NAME VALUE\n" at `at` and moves past it.
bool field(std::string_view bytes, size_t& at, std::string_view name, std::string_view& value) {
    const size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) return false;
    const std::string_view line = bytes.substr(at, end - at);
    if (!line.starts_with(name) || line.size() <= name.size() || line[name.size()] != ' ') return false;
    value = line.substr(name.size() + 1);
    at = end + 1;
    return true;
}

template <class T>
bool number(std::string_view s, T& out, int base = 10) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out, base);
    return !s.empty() && r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// Takes the exclusive lock of `lock` without waiting, creating the file when it is
// missing. A lock file appears under its name only once it is locked, so a program
// that finds one unlocked knows its owner is gone. -1 when someone else holds it.
int takeLock(const fs::path& lock) {
    int fd = ::open(lock.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW);
    if (fd >= 0) {
        struct stat locked {}, named {};
        // The name may have been removed or reused while we waited for the lock.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &locked) == 0 && ::lstat(lock.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino)
            return fd;
        ::close(fd);
        return -1;
    }
    if (errno != ENOENT) return -1;
    const fs::path fresh = lock.parent_path() / ("." + lock.filename().native() + "." + randomId());
    fd = ::open(fresh.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return -1;
    const bool named = ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::link(fresh.c_str(), lock.c_str()) == 0;
    ::unlink(fresh.c_str());
    if (named) return fd;
    ::close(fd);
    return -1;
}

// Creates the folder and any missing parent readable by the user alone, and
// takes the user-only permissions back for a folder that exists already.
Status makePrivateFolder(const fs::path& folder) {
    auto fail = [&](int err) {
        return IoError{"cannot use the recovery folder \"" + folder.string() + "\": " + std::strerror(err),
                       std::nullopt};
    };
    fs::path at;
    for (const fs::path& part : folder) {
        at /= part;
        if (::mkdir(at.c_str(), 0700) != 0 && errno != EEXIST) return fail(errno);
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return fail(errno);
    if (!S_ISDIR(st.st_mode)) return fail(ENOTDIR);
    if (st.st_uid != ::getuid()) return fail(EPERM);
    if ((st.st_mode & 07777) != 0700 && ::chmod(folder.c_str(), 0700) != 0) return fail(errno);
    return {};
}

}  // namespace

uint64_t recoveryChecksum(std::string_view bytes) { return contentChecksum(bytes); }

std::string encodeRecoveryCopy(const RecoveryCopy& copy, Layout layout) {
    std::string out(kMagic);
    out += "layout " + std::string(layoutName(layout)) + "\n";
    out += "written " + std::to_string(copy.writtenAt) + "\n";
    out += "path " + std::to_string(copy.documentPath.size()) + "\n" + copy.documentPath + "\n";
    if (const FileIdentity& f = copy.file; f.known())
        out += "file " + std::to_string(int{f.exists}) + " " + std::to_string(f.size) + " " +
               std::to_string(f.modifiedNs) + " " + std::to_string(f.device) + " " + std::to_string(f.inode) + " " +
               hex(f.checksum) + "\n";
    out += "document " + std::to_string(copy.document.size()) + "\n" + copy.document + "\n";
    out += "checksum " + hex(recoveryChecksum(out)) + "\n";
    return out;
}

Result<RecoveryCopy> decodeRecoveryCopy(std::string_view bytes, Layout layout) {
    auto bad = [](const std::string& why) { return IoError{"not a recovery copy of this program: " + why, std::nullopt}; };
    if (!bytes.starts_with(kMagic)) return bad("no header");
    size_t at = kMagic.size();
    std::string_view v;
    RecoveryCopy copy;
    if (!field(bytes, at, "layout", v) || v != layoutName(layout)) return bad("another layout");
    if (!field(bytes, at, "written", v) || !number(v, copy.writtenAt)) return bad("no time");
    // Lengths first, so that a path or drawing may hold any byte.
    auto block = [&](std::string_view name, std::string& out) {
        size_t n = 0;
        if (!field(bytes, at, name, v) || !number(v, n) || n > bytes.size() - at || bytes.size() - at - n < 1 ||
            bytes[at + n] != '\n')
            return false;
        out.assign(bytes.substr(at, n));
        at += n + 1;
        return true;
    };
    if (!block("path", copy.documentPath)) return bad("no file name");
    // Copies of older versions go straight on to the drawing.
    if (field(bytes, at, "file", v)) {
        FileIdentity& f = copy.file;
        int exists = 0;
        std::string_view parts[6];
        for (std::string_view& part : parts) {
            const size_t space = v.find(' ');
            part = v.substr(0, space);
            v = space == std::string_view::npos ? std::string_view() : v.substr(space + 1);
        }
        if (!v.empty() || !number(parts[0], exists) || exists < 0 || exists > 1 || !number(parts[1], f.size) ||
            !number(parts[2], f.modifiedNs) || !number(parts[3], f.device) || !number(parts[4], f.inode) ||
            !number(parts[5], f.checksum, 16) || copy.documentPath.empty())
            return bad("no file identity");
        f.exists = exists == 1;
        f.path = copy.documentPath;
    }
    if (!block("document", copy.document)) return bad("no complete drawing");
    const size_t summed = at;
    uint64_t sum = 0;
    if (!field(bytes, at, "checksum", v) || !number(v, sum, 16) || at != bytes.size()) return bad("no checksum");
    if (sum != recoveryChecksum(bytes.substr(0, summed))) return bad("damaged");
    return copy;
}

fs::path recoveryFolder(std::string_view program) {
    fs::path base;
    if (const char* state = std::getenv("XDG_STATE_HOME"); state && *state == '/') {
        base = state;
    } else if (const char* home = std::getenv("HOME"); home && *home == '/') {
        base = fs::path(home) / ".local" / "state";
    } else {
        return {};
    }
    return base / std::string(program) / "recovery";
}

OrphanCopy::OrphanCopy(OrphanCopy&& o) noexcept
    : id_(std::move(o.id_)), lockFd_(std::exchange(o.lockFd_, -1)), copy_(std::move(o.copy_)) {}

OrphanCopy& OrphanCopy::operator=(OrphanCopy&& o) noexcept {
    if (this != &o) {
        if (lockFd_ >= 0) ::close(lockFd_);
        id_ = std::move(o.id_);
        lockFd_ = std::exchange(o.lockFd_, -1);
        copy_ = std::move(o.copy_);
    }
    return *this;
}

OrphanCopy::~OrphanCopy() {
    if (lockFd_ >= 0) ::close(lockFd_);
}

Result<RecoveryStore> RecoveryStore::open(const fs::path& folder, Layout layout) {
    if (folder.empty() || !folder.is_absolute())
        return IoError{"no recovery folder: neither XDG_STATE_HOME nor HOME names a folder", std::nullopt};
    if (Status st = makePrivateFolder(folder); !st) return st.error();
    for (int attempt = 0; attempt < 10; ++attempt) {
        std::string id = randomId();
        const int fd = takeLock(folder / (id + std::string(kLockExt)));
        if (fd >= 0) return RecoveryStore(folder, layout, std::move(id), fd);
    }
    return IoError{"cannot lock a file in the recovery folder \"" + folder.string() + "\": " + std::strerror(errno),
                   std::nullopt};
}

RecoveryStore::RecoveryStore(RecoveryStore&& o) noexcept
    : folder_(std::move(o.folder_)),
      layout_(o.layout_),
      id_(std::move(o.id_)),
      lockFd_(std::exchange(o.lockFd_, -1)),
      hasCopy_(std::exchange(o.hasCopy_, false)) {}

RecoveryStore::~RecoveryStore() {
    if (lockFd_ < 0) return;
    // A copy left behind is offered by the next start, which finds the lock free.
    if (!hasCopy_) ::unlink(pathOf(id_, kLockExt).c_str());
    ::close(lockFd_);
}

fs::path RecoveryStore::pathOf(const std::string& id, std::string_view ext) const {
    return folder_ / (id + std::string(ext));
}

fs::path RecoveryStore::copyPath() const { return pathOf(id_, kCopyExt); }

Status RecoveryStore::write(const RecoveryCopy& copy) {
    const fs::path path = copyPath();
    // The writer keeps an existing file's permissions: created empty first, the
    // copy is the user's alone from its first byte on. An empty copy means nothing.
    if (const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600); fd >= 0)
        ::close(fd);
    hasCopy_ = true;
    return writeFileAtomically(path.native(), encodeRecoveryCopy(copy, layout_));
}

void RecoveryStore::discard() {
    ::unlink(copyPath().c_str());
    hasCopy_ = false;
}

RecoveryStore::Scan RecoveryStore::scan() {
    std::vector<std::string> ids;
    if (DIR* d = ::opendir(folder_.c_str())) {
        while (const dirent* e = ::readdir(d)) {
            const std::string_view name = e->d_name;
            if (name.starts_with('.')) continue;
            for (const std::string_view ext : {kCopyExt, kLockExt})
                if (name.size() > ext.size() && name.ends_with(ext)) ids.emplace_back(name.substr(0, name.size() - ext.size()));
        }
        ::closedir(d);
    }
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());

    Scan found;
    for (const std::string& id : ids) {
        if (id == id_) continue;
        const int fd = takeLock(pathOf(id, kLockExt));
        if (fd < 0) continue;  // its program is running
        OrphanCopy orphan(id, fd, {});
        const fs::path copy = pathOf(id, kCopyExt);
        struct stat st {};
        if (::lstat(copy.c_str(), &st) != 0 || (S_ISREG(st.st_mode) && st.st_size == 0)) {
            discard(orphan);  // the program died with nothing unsaved
            continue;
        }
        Result<std::string> bytes = readWholeFile(copy.native());
        Result<RecoveryCopy> decoded =
            bytes ? decodeRecoveryCopy(*bytes, layout_) : Result<RecoveryCopy>(bytes.error());
        if (!decoded) {
            found.setAside.push_back(setAside(orphan));
            continue;
        }
        orphan.copy_ = std::move(decoded).value();
        found.orphans.push_back(std::move(orphan));
    }
    std::stable_sort(found.orphans.begin(), found.orphans.end(), [](const OrphanCopy& a, const OrphanCopy& b) {
        return a.copy().writtenAt > b.copy().writtenAt;
    });
    return found;
}

void RecoveryStore::forget(OrphanCopy& orphan) {
    ::unlink(pathOf(orphan.id_, kLockExt).c_str());
    if (orphan.lockFd_ >= 0) ::close(std::exchange(orphan.lockFd_, -1));
}

Status RecoveryStore::adopt(OrphanCopy& orphan) {
    if (::rename(pathOf(orphan.id_, kCopyExt).c_str(), copyPath().c_str()) != 0)
        return IoError{"cannot take over the recovery copy \"" + pathOf(orphan.id_, kCopyExt).string() +
                           "\": " + std::strerror(errno),
                       std::nullopt};
    hasCopy_ = true;
    forget(orphan);
    return {};
}

void RecoveryStore::discard(OrphanCopy& orphan) {
    ::unlink(pathOf(orphan.id_, kCopyExt).c_str());
    forget(orphan);
}

std::string RecoveryStore::setAside(OrphanCopy& orphan) {
    const std::string name = setAsideFile(orphan.id_);
    forget(orphan);
    return name;
}

void RecoveryStore::removeAbandonedTemporaries() const { qm::removeAbandonedTemporaries(folder_); }

std::string RecoveryStore::setAsideFile(const std::string& id) {
    // Under a name the scan passes over, so it is reported once. Ids are never
    // reused, so the name is free.
    const fs::path from = pathOf(id, kCopyExt), to = pathOf(id, ".damaged");
    return ::rename(from.c_str(), to.c_str()) == 0 ? to.string() : from.string();
}

}  // namespace qm
