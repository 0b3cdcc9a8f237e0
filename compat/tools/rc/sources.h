// The files a compile reads: the search path, the names tokens point at, and the dependency list.
#pragma once

#include <cstdint>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/tools/rc/source.h"

namespace rc {

class Sources {
 public:
  explicit Sources(std::vector<std::filesystem::path> includeDirs)
      : includeDirs_(std::move(includeDirs)) {}

  // Looks next to the file that names it, then along the include directories.
  std::filesystem::path Find(const std::string& name, const SourceLocation& from) const;
  // Reads a whole file (at most `limit` bytes) and records it as a dependency.
  std::string Read(const std::filesystem::path& path, const SourceLocation& from, uint64_t limit);
  // A stable name for tokens to point at.
  const std::string* Name(const std::filesystem::path& path);

  const std::vector<std::filesystem::path>& Dependencies() const { return dependencies_; }

 private:
  std::vector<std::filesystem::path> includeDirs_;
  std::deque<std::string> names_;
  std::vector<std::filesystem::path> dependencies_;
};

}  // namespace rc
