// The resource compiler's entry points: a script in, the platform's binary resources out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "compat/tools/rc/source.h"

namespace rc {

// Resource types, with the platform's numbers.
enum ResourceType : uint16_t {
  kRtCursor = 1,
  kRtBitmap = 2,
  kRtIcon = 3,
  kRtMenu = 4,
  kRtDialog = 5,
  kRtString = 6,
  kRtAccelerator = 9,
  kRtGroupCursor = 12,
  kRtGroupIcon = 14,
  kRtDlgInit = 240,
  kRtToolbar = 241,
};

struct Resource {
  uint16_t type = 0;
  uint16_t id = 0;
  std::vector<uint8_t> data;
};

struct CompileOptions {
  std::vector<std::filesystem::path> includeDirs;
  std::vector<std::pair<std::string, std::string>> defines;
};

struct CompileResult {
  std::vector<Resource> resources;  // ordered by (type, id)
  std::vector<std::filesystem::path> dependencies;  // the script, its headers and pictures
};

// Throws CompileError, whose text names the file, line and column.
CompileResult CompileScript(const std::filesystem::path& script, const CompileOptions& options);

enum class Module { Program, Framework };

// A C++ source holding the bytes and a table that registers itself for the module.
std::string TableSource(const CompileResult& result, Module module, const std::string& scriptName);
// A make-style dependency file naming everything the output was made from.
std::string DepfileText(const std::filesystem::path& output, const CompileResult& result);

}  // namespace rc
