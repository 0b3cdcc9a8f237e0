// Disks that fill up, for the tests of writers: a small tmpfs mounted in a
// private mount namespace, so nothing outside the test sees it.
//
// A test that needs one starts with
//   if (!testsupport::InPrivateMounts()) return;
// In the test's own process that runs the same test again under
// `unshare --user --map-root-user --mount` and checks its result; in that
// child it returns true and the test goes on, free to mount.
#pragma once

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/tool_runner.h"

namespace testsupport {

constexpr const char* kPrivateMountsVariable = "CALVETTA_PRIVATE_MOUNTS";

inline bool InPrivateMounts() {
  if (std::getenv(kPrivateMountsVariable)) return true;
  if (!HaveTool("unshare")) {
    ADD_FAILURE() << "unshare is not installed: the full-disk cases cannot run";
    return false;
  }
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string filter = std::string(test->test_suite_name()) + "." + test->name();
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  int status = 0;
  const std::string output = RunTool(std::string(kPrivateMountsVariable) + "=1 unshare --user --map-root-user --mount '" +
                                         self + "' --gtest_brief=1 --gtest_filter='" + filter + "' 2>&1",
                                     &status);
  EXPECT_EQ(status, 0) << "in a private mount namespace:\n" << output;
  EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
  return false;
}

// While it lives, files of this process cannot grow past `bytes`: a full
// disk at a chosen point.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &m_old);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = m_old;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &m_old);
    std::signal(SIGXFSZ, m_handler);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  struct rlimit m_old;
  void (*m_handler)(int);
};

// A tmpfs of `bytes` mounted on a fresh folder, or on `mountPoint` (an
// existing folder, hidden while the disk is mounted); `Fill` leaves it with
// no room.
class SmallDisk {
 public:
  explicit SmallDisk(size_t bytes, const std::string& mountPoint = std::string())
      : path_(mountPoint.empty() ? dir_.path() : mountPoint) {
    const std::string options = "size=" + std::to_string(bytes);
    mounted_ = !path_.empty() && ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    if (!mounted_) ADD_FAILURE() << "cannot mount a tmpfs on " << path_ << ": " << std::strerror(errno);
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool Mounted() const { return mounted_; }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

  // Takes all but `leave` bytes of the free room with a filler file.
  void Fill(size_t leave = 0) {
    std::ofstream filler(File(".filler"), std::ios::binary);
    const std::string block(4096, 'x');
    std::error_code ec;
    for (;;) {
      const std::filesystem::space_info space = std::filesystem::space(path_, ec);
      if (ec || space.available <= leave) break;
      const size_t chunk = std::min<size_t>(block.size(), space.available - leave);
      if (!filler.write(block.data(), static_cast<std::streamsize>(chunk)).flush()) break;
    }
  }
  // Makes the disk read-only, as a write-protected medium is.
  bool MakeReadOnly() {
    return ::mount(nullptr, path_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
  }

 private:
  TempDir dir_;
  std::string path_;
  bool mounted_ = false;
};

}  // namespace testsupport
