// Whole-file replacement that a crash cannot leave half written.
#pragma once

#include <string>

namespace compat {

// When the new bytes reach the disk: before the file is replaced, or (for
// files rewritten many times in a row, such as profiles) at SyncDeferredFiles
// or the end of the process, so that a run of writes costs one flush.
enum class Flush { kNow, kDeferred };

// Replaces `path` with `bytes` through a temporary file in the same folder,
// renamed over it, so a crash of the program leaves the old or the new file;
// with Flush::kNow the bytes are on the disk before the rename, so a crash
// of the system does too. Creates missing folders. Sets no last error;
// returns false on failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes, Flush flush = Flush::kNow);

// Puts every file written with Flush::kDeferred since the last call on the disk.
void SyncDeferredFiles();

// Reads a whole file; false if it cannot be opened or exceeds `max_bytes`.
bool ReadWholeFile(const std::string& path, size_t max_bytes, std::string& bytes);

}  // namespace compat
