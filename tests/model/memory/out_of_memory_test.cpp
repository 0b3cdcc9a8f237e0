// Out of memory while a project opens, met for real: a child process opens
// a project under an address-space limit. The open fails, the earlier
// project stays, and the program goes on.
//
// This program allocates through malloc, which gives null at the limit; the
// address sanitizer's own operator new would end the process there instead
// of throwing, so it is replaced here (and only in this program).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/morph_project.h"
#include "model/pvk_reference.h"
#include "support/tool_runner.h"

extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

void* operator new(std::size_t n) {
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n) { return operator new(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new(std::size_t n, std::align_val_t a) {
  const std::size_t align = static_cast<std::size_t>(a);
  if (void* p = std::aligned_alloc(align, (n + align - 1) / align * align)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t n, std::align_val_t a) { return operator new(n, a); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

namespace {

constexpr int kSide = 1024;
constexpr int kPairs = 12;
// What the open may map beyond what the process holds: far less than the
// pairs' pictures take.
constexpr rlim_t kHeadroom = rlim_t{48} << 20;

rlim_t AddressSpaceInUse() {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == "VmSize:") {
      rlim_t kb = 0;
      status >> kb;
      return kb << 10;
    }
  return 0;
}

}  // namespace

TEST(OutOfMemory, AnOpenThatMeetsTheAddressSpaceLimitFailsAndKeepsTheProject) {
  testsupport::TempDir dir;
  pvk::Project file = pvk::DefaultProject();
  file.pairs.clear();
  std::vector<DWORD> pixels(static_cast<size_t>(kSide) * kSide);
  for (int i = 0; i < kPairs; ++i) {
    for (size_t k = 0; k < pixels.size(); ++k) pixels[k] = 0xFF000000 | static_cast<DWORD>(k * 31 + i);
    const std::u16string picture = compat::FromHostPath(dir.File("p" + std::to_string(i) + ".bmp"));
    ASSERT_TRUE(CImageFile().Save(CString(picture), 0, 0, kSide, kSide, pixels.data(), 0));
    pvk::Pair pair = pvk::DefaultProject().pairs[0];
    pair.source = pair.target = picture;
    file.pairs.push_back(pair);
  }
  const std::vector<uint8_t> bytes = pvk::WriteProject(file);
  std::ofstream(dir.File("big.pvk"), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                            static_cast<std::streamsize>(bytes.size()));
  CMorphProject& project = *GetMorphProject();
  project.ResetProject();
  project.InsertPair();
  project.SetOutputSize(320, 240);

  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{AddressSpaceInUse() + kHeadroom, RLIM_INFINITY};
    if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(3);
    const BOOL opened = project.LoadProjectFile(compat::FromHostPath(dir.File("big.pvk")).c_str());
    SIZE size;
    project.GetOutputSize(size);
    _exit(opened ? 1 : project.GetPairCount() == 2 && size.cx == 320 ? 0 : 2);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1: opened regardless; 2: the earlier project was lost";
  // Without the limit the same file opens.
  EXPECT_TRUE(project.LoadProjectFile(compat::FromHostPath(dir.File("big.pvk")).c_str()));
  EXPECT_EQ(project.GetPairCount(), kPairs);
  project.ResetProject();
}
