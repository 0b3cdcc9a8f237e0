// Whole-file replacement that a crash cannot leave half written.
#pragma once

#include <string>

namespace compat {

// Replaces `path` with `bytes` through a temporary file in the same folder,
// flushed and renamed over it, so a crash leaves the old or the new file.
// Creates missing folders. Sets no last error; returns false on failure.
bool WriteFileAtomically(const std::string& path, const std::string& bytes);

// Reads a whole file; false if it cannot be opened or exceeds `max_bytes`.
bool ReadWholeFile(const std::string& path, size_t max_bytes, std::string& bytes);

}  // namespace compat
