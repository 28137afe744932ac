// Tells whether the drawing's file is still the one the program read or wrote:
// one stat when nothing changed, and a read of the file only when its size, time
// or inode differ from what was recorded (a file touched or copied back with the
// same bytes is still the same file). A file that cannot be looked at counts as
// changed, so that it is never written over unasked.
#pragma once
#include <string>
#include <string_view>

#include "io/result.h"
#include "model/file_identity.h"

namespace qm {

// The absolute, lexically normal form of a UTF-8 path, relative to the folder the
// program runs in; symbolic links stay as they are.
std::string absolutePath(const std::string& utf8Path);

// FNV-1a over the bytes.
uint64_t contentChecksum(std::string_view bytes);

// The file as it is now, with its whole content, taking its identity before the
// read: a file replaced during the read then shows as changed at the next check
// rather than as the one read.
struct IdentifiedFile {
    std::string bytes;
    FileIdentity identity;
};
Result<IdentifiedFile> readIdentifiedFile(const std::string& utf8Path);

// The identity of the file just written with `bytes`.
FileIdentity writtenIdentity(const std::string& utf8Path, std::string_view bytes);
// The identity of the file at `utf8Path` as it is now (missing, unreadable or
// not a file: `exists` false and a checksum of nothing that no file matches).
FileIdentity currentIdentity(const std::string& utf8Path);

enum class FileChange { None, Changed, Removed, Unreadable };
struct FileCheck {
    FileChange change = FileChange::None;
    int64_t changedAt = 0;  // the file's modification time now, seconds since 1970; 0 when unknown
};
// Compares the file at `known.path` with `known`.
FileCheck checkFile(const FileIdentity& known);

}  // namespace qm
