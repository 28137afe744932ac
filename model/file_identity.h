// What the program last knew of the file that holds its drawing, so that a save
// can tell whether someone else changed the file in the meantime (io/file_identity.h
// takes and checks it).
#pragma once
#include <cstdint>
#include <string>

namespace qm {

struct FileIdentity {
    std::string path;      // absolute and normalised; empty: no file is known
    bool exists = false;   // false: there was no file at `path` when it was looked at
    uint64_t size = 0;
    int64_t modifiedNs = 0;  // nanoseconds since 1970
    uint64_t device = 0, inode = 0;
    uint64_t checksum = 0;  // of the bytes read or written

    bool known() const { return !path.empty(); }
    bool operator==(const FileIdentity&) const = default;
};

}  // namespace qm
