// Whole-file reading and atomic writing for documents. A save goes to a temporary
// file beside the target, is flushed to the disk and only then renamed over the
// target, so a failed or killed save never leaves a damaged or half-written
// document behind; the next save of the file removes what a killed one left.
#pragma once
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "io/result.h"

namespace qm {

// Paths are UTF-8 throughout the program.
std::filesystem::path pathFromUtf8(std::string_view utf8);

// Files larger than this are not documents; refusing them keeps a wrong choice in
// the open dialog from filling the memory.
inline constexpr uint64_t kMaxReadSize = uint64_t{1} << 30;

// The whole content of the file. Anything but a regular file, and a file larger
// than maxSize, is refused before reading, without waiting (a FIFO) and without
// filling the memory (a device). Errors name the file and the system's reason.
Result<std::string> readWholeFile(const std::string& utf8Path, uint64_t maxSize = kMaxReadSize);

// Replaces the file's content with `bytes`, or leaves the file as it was and
// reports why. A symbolic link is followed so that the link survives; one that
// leads nowhere is refused, as are devices, pipes, sockets and read-only files. An
// existing file keeps its permission bits and, where the system lets this user
// give them, its owner and group.
Status writeFileAtomically(const std::string& utf8Path, std::string_view bytes);

// Removes from `dir` the temporaries of saves that were killed, whatever file they
// were for; a temporary whose save is still running, in this program or another,
// stays. Best effort: whatever cannot be checked is left alone.
void removeAbandonedTemporaries(const std::filesystem::path& dir);

// The calls that decide whether a save outlives a power cut: the data and then the
// folder must reach the disk, each at its moment. A killed process cannot tell
// whether they ran, so tests watch them through this seam instead.
class DiskCalls {
public:
    virtual ~DiskCalls() = default;
    virtual std::ptrdiff_t write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int rename(const char* from, const char* to);
};
// The calls the writer makes from now on; nullptr restores the system's.
void setDiskCalls(DiskCalls* calls);

}  // namespace qm
