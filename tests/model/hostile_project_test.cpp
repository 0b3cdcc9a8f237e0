// Hostile project files: each is opened or refused within a second of CPU
// and 200 MB, never hangs, and a refusal leaves the open project as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <time.h>

#include <fstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "hostile_projects.h"
#include "project_file_fixture.h"
#include "project_links_fake.h"
#include "pvk_reference.h"

namespace {

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A line of /proc/self/status in megabytes.
double StatusMegabytes(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string word;
  while (status >> word)
    if (word == key + ":") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
  return 0.0;
}

class HostileProjectFiles : public pvktest::ProjectFileTest {};

}  // namespace

TEST_F(HostileProjectFiles, OpenOrAreRefusedInBoundedTimeAndMemory) {
  CountingEditorLink editor;
  const std::u16string picture = compat::FromHostPath(dir.File("shared.bmp"));
  std::vector<DWORD> pixels(64 * 64, 0xFF336699);
  ASSERT_TRUE(CImageFile().Save(CString(picture), 0, 0, 64, 64, pixels.data(), 0));
  ASSERT_EQ(mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
  const std::u16string pipe = compat::FromHostPath(dir.File("pipe.bmp"));
  // Reads of this process's memory at address 0 fail with an I/O error.
  ASSERT_EQ(symlink("/proc/self/mem", dir.File("unreadable.bmp").c_str()), 0);

  for (const pvk::HostileProject& kind : pvk::HostileProjects(picture, pipe)) {
    // Every slot still keeps its own display picture at the output size:
    // the memory of many pairs sharing one picture grows with the pairs
    // (the open benchmark measures it).
    if (kind.name == "shared_picture") continue;
    // An earlier project the refusal must keep.
    project().ResetProject();
    project().InsertPair();
    project().SetOutputSize(320, 240);
    editor.messages.clear();
    // The peak since here (the kernel's high-water mark, reset).
    std::ofstream("/proc/self/clear_refs") << "5";
    const double memoryBefore = StatusMegabytes("VmRSS"), cpuBefore = CpuSeconds();
    const BOOL opened = Load(kind.bytes);
    const double cpu = CpuSeconds() - cpuBefore, peak = StatusMegabytes("VmHWM") - memoryBefore;
    EXPECT_EQ(opened != FALSE, kind.opens) << kind.name;
    EXPECT_LT(cpu, 1.0) << kind.name;
    EXPECT_LT(peak, 200.0) << kind.name;
    SIZE size;
    project().GetOutputSize(size);
    if (!opened) {
      EXPECT_EQ(project().GetPairCount(), 2) << kind.name;
      EXPECT_EQ(size.cx, 320) << kind.name;
      continue;
    }
    const std::string unreadable = kind.name == "picture_pipe" ? "pipe.bmp" : "unreadable.bmp";
    if (kind.name == "picture_pipe" || kind.name == "picture_read_error") {
      ASSERT_EQ(editor.messages.size(), 1u) << kind.name;
      EXPECT_EQ(editor.messages[0], compat::Utf8ToUtf16(dir.File(unreadable)) + u"cound not read!");
      EXPECT_FALSE(project().CurrentPair()->GetSourceSlot()->HasPicture());
      EXPECT_TRUE(project().CurrentPair()->GetTargetSlot()->HasPicture());
    }
  }
}

TEST_F(HostileProjectFiles, KeysTheCurveControlCanReachStillOpen) {
  // A key inserted where the spline overshoots lies a little outside the
  // range; the file the editor saved with it opens and saves unchanged.
  pvk::Project p = pvk::DefaultProject();
  p.pairs[0].curve.keys = {{0, 0}, {30, -40}, {60, 300}, {99, 256}};
  const pvktest::Bytes bytes = pvk::WriteProject(p);
  ASSERT_TRUE(Load(bytes));
  EXPECT_EQ(Save(), bytes);
  p.pairs[0].curve.keys[1].y = -300;
  EXPECT_FALSE(Load(pvk::WriteProject(p)));
}
