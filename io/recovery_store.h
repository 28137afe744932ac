// The recovery folder of one program: copies of drawings with unsaved changes,
// kept while the program runs so that a crash, a power cut or a killed desktop
// loses little work. Each running program holds an exclusive lock on a file of its
// own; a copy whose lock nobody holds belongs to a program that died, and is
// offered at the next start. Folder 0700, copies 0600: they hold whole drawings.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "io/raw_document.h"
#include "io/result.h"
#include "model/file_identity.h"

namespace qm {

// What a copy holds: the drawing in the program's own layout, the user's file it
// came from (empty for a drawing never saved) and when it was written, and what
// that file was when the drawing was last read from it or written to it (unknown
// in copies of older versions, which did not record it).
struct RecoveryCopy {
    std::string documentPath;
    int64_t writtenAt = 0;  // seconds since 1970 (UTC)
    std::string document;
    FileIdentity file;
};

// A copy file: a short header of its own, the document's bytes and a checksum of
// everything, so that a damaged or foreign file is recognised.
std::string encodeRecoveryCopy(const RecoveryCopy& copy, Layout layout);
Result<RecoveryCopy> decodeRecoveryCopy(std::string_view bytes, Layout layout);
// The checksum on a copy's last line, over every byte before that line.
uint64_t recoveryChecksum(std::string_view bytes);

// `$XDG_STATE_HOME/<program>/recovery`, or `~/.local/state/<program>/recovery`
// when XDG_STATE_HOME is unset or not absolute; empty when neither can be known.
std::filesystem::path recoveryFolder(std::string_view program);

// A copy left by a program that no longer runs, locked by this one until it is
// taken, thrown away, set aside or let go (then the next start offers it again).
class OrphanCopy {
public:
    OrphanCopy(std::string id, int lockFd, RecoveryCopy copy)
        : id_(std::move(id)), lockFd_(lockFd), copy_(std::move(copy)) {}
    OrphanCopy(OrphanCopy&& o) noexcept;
    OrphanCopy& operator=(OrphanCopy&& o) noexcept;
    ~OrphanCopy();

    const RecoveryCopy& copy() const { return copy_; }
    const std::string& id() const { return id_; }

private:
    friend class RecoveryStore;
    std::string id_;
    int lockFd_ = -1;
    RecoveryCopy copy_;
};

class RecoveryStore {
public:
    // Creates the folder where missing and takes a lock of this program's own.
    static Result<RecoveryStore> open(const std::filesystem::path& folder, Layout layout);
    RecoveryStore(RecoveryStore&& o) noexcept;
    RecoveryStore& operator=(RecoveryStore&&) = delete;
    // Lets go of the lock; this program's copy stays unless discard() ran.
    ~RecoveryStore();

    const std::filesystem::path& folder() const { return folder_; }
    // This program's copy.
    std::filesystem::path copyPath() const;
    bool hasCopy() const { return hasCopy_; }

    // Replaces this program's copy atomically; the user's own file is never touched.
    Status write(const RecoveryCopy& copy);
    // Removes this program's copy (the drawing was saved, discarded or closed).
    void discard();

    struct Scan {
        std::vector<OrphanCopy> orphans;   // newest first
        std::vector<std::string> setAside;  // new names of damaged or foreign copies
    };
    // The copies of programs that no longer run. Damaged and foreign ones are
    // renamed out of the way (so they are reported once); locks left by programs
    // that died with nothing unsaved are removed.
    Scan scan();

    // The orphan's copy becomes this program's copy.
    Status adopt(OrphanCopy& orphan);
    // Removes the orphan's copy for good.
    void discard(OrphanCopy& orphan);
    // Renames the orphan's copy out of the way; its new name.
    std::string setAside(OrphanCopy& orphan);

    // Removes the partial copies of writes that were killed: each copy has a name
    // of its own, so no later write of the same name would, and the scan passes
    // over them. A copy being written by a running program stays.
    void removeAbandonedTemporaries() const;

private:
    RecoveryStore(std::filesystem::path folder, Layout layout, std::string id, int lockFd)
        : folder_(std::move(folder)), layout_(layout), id_(std::move(id)), lockFd_(lockFd) {}
    std::filesystem::path pathOf(const std::string& id, std::string_view ext) const;
    std::string setAsideFile(const std::string& id);
    void forget(OrphanCopy& orphan);

    std::filesystem::path folder_;
    Layout layout_;
    std::string id_;
    int lockFd_ = -1;
    bool hasCopy_ = false;
};

}  // namespace qm
