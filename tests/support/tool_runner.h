// Runs the independent tools the tests check our files with, and makes
// per-test temporary folders.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace testsupport {

// Output of a shell command, and its exit status in *status.
inline std::string RunTool(const std::string& command, int* status = nullptr) {
  std::string output;
  std::FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) {
    if (status) *status = -1;
    return output;
  }
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int rc = ::pclose(pipe);
  if (status) *status = rc;
  return output;
}

inline bool HaveTool(const std::string& name) {
  int status = 0;
  RunTool("command -v " + name, &status);
  return status == 0;
}

// scripts/setup installs every tool the tests compare with, so a missing one
// is a set-up fault and fails the test; a developer without the tools asks
// for a skip instead with CALVETTA_ALLOW_MISSING_TOOLS=1.
inline bool MissingToolsAllowed() {
  const char* allowed = std::getenv("CALVETTA_ALLOW_MISSING_TOOLS");
  return allowed && *allowed && std::strcmp(allowed, "0") != 0;
}

}  // namespace testsupport

// In a test body or SetUp: fails (or, when asked, skips) unless `available`.
#define CALVETTA_REQUIRE_TOOL(available, what)                                              \
  if (!(available)) {                                                                       \
    if (testsupport::MissingToolsAllowed()) GTEST_SKIP() << (what) << " is not installed"; \
    FAIL() << (what) << " is not installed; CALVETTA_ALLOW_MISSING_TOOLS=1 skips instead";  \
  }

namespace testsupport {

// A fresh folder under the system's temporary folder, removed on destruction.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calvetta-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testsupport
