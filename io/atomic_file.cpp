#include "io/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace qm {
namespace fs = std::filesystem;

namespace {

IoError fileError(const std::string& what, const std::string& path, int err) {
    return IoError{what + " \"" + path + "\": " + std::strerror(err), std::nullopt};
}

// Closes the descriptor and removes the temporary file unless the save completed.
class TempFile {
public:
    ~TempFile() {
        if (fd >= 0) ::close(fd);
        if (!path.empty()) ::unlink(path.c_str());
    }
    int fd = -1;
    fs::path path;
};

std::string randomSuffix() {
    thread_local std::mt19937_64 gen{std::random_device{}() ^ static_cast<uint64_t>(::getpid())};
    static const char digits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    std::string s;
    for (int k = 0; k < 8; ++k) s += digits[gen() % 36];
    return s;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable; a failure here no longer endangers the file.
void syncDirectory(const fs::path& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

fs::path pathFromUtf8(std::string_view utf8) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

Result<std::string> readWholeFile(const std::string& utf8Path, uint64_t maxSize) {
    const fs::path path = pathFromUtf8(utf8Path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fileError("cannot open", utf8Path, errno);
    std::string out;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            return fileError("cannot read", utf8Path, err);
        }
        if (n == 0) break;
        if (out.size() + static_cast<uint64_t>(n) > maxSize) {
            ::close(fd);
            return IoError{"cannot open \"" + utf8Path + "\": the file is larger than " + std::to_string(maxSize) +
                               " bytes and cannot be a document",
                           std::nullopt};
        }
        out.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return out;
}

Status writeFileAtomically(const std::string& utf8Path, std::string_view bytes) {
    fs::path target = pathFromUtf8(utf8Path);
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        const fs::path resolved = fs::canonical(target, ec);
        if (!ec) target = resolved;
    }
    if (target.filename().empty()) return fileError("cannot save", utf8Path, EISDIR);
    const fs::path dir = target.has_parent_path() ? target.parent_path() : fs::path(".");

    TempFile tmp;
    for (int attempt = 0; tmp.fd < 0; ++attempt) {
        const fs::path candidate = dir / ("." + target.filename().native() + "." + randomSuffix() + ".tmp");
        tmp.fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (tmp.fd >= 0) tmp.path = candidate;
        else if (errno != EEXIST || attempt >= 100) return fileError("cannot save", utf8Path, errno);
    }
    // The document keeps the permissions it had; a new one gets the usual ones.
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::fchmod(tmp.fd, st.st_mode & 07777);

    if (!writeAll(tmp.fd, bytes) || ::fsync(tmp.fd) != 0) return fileError("cannot save", utf8Path, errno);
    const int fd = tmp.fd;
    tmp.fd = -1;
    if (::close(fd) != 0) return fileError("cannot save", utf8Path, errno);
    if (::rename(tmp.path.c_str(), target.c_str()) != 0) return fileError("cannot save", utf8Path, errno);
    tmp.path.clear();
    syncDirectory(dir);
    return {};
}

}  // namespace qm
