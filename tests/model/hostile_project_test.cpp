// Hostile project files: each is opened or refused within a second of CPU
// and 200 MB, never hangs, and a refusal leaves the open project as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "model/project/undo_history.h"
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
  ASSERT_EQ(symlink("loop.bmp", dir.File("loop.bmp").c_str()), 0);

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
    const std::map<std::string, std::string> unreadable = {
        {"picture_pipe", "pipe.bmp"}, {"picture_read_error", "unreadable.bmp"}, {"picture_link_loop", "loop.bmp"}};
    if (unreadable.count(kind.name)) {
      ASSERT_EQ(editor.messages.size(), 1u) << kind.name;
      EXPECT_EQ(editor.messages[0], compat::Utf8ToUtf16(dir.File(unreadable.at(kind.name))) + u"cound not read!");
      EXPECT_FALSE(project().CurrentPair()->GetSourceSlot()->HasPicture());
      EXPECT_TRUE(project().CurrentPair()->GetTargetSlot()->HasPicture());
      // Kept as named, so that the next save does not lose it.
      EXPECT_EQ(project().CurrentPair()->m_sourcePath.Native(),
                compat::FromHostPath(dir.File(unreadable.at(kind.name))));
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

namespace {

// What an undo record restores of the pair, as the history stores it.
pvktest::Bytes SnapshotOf(CMorphPair* pair) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    pair->SerializeSnapshot(ar);
    pair->SerializePictures(ar);
    ar.Close();
  }
  pvktest::Bytes bytes(file.GetLength());
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

bool LinesInStep(CMorphPair* pair) {
  CLineSet *s = pair->GetSourceLines(), *t = pair->GetTargetLines();
  if (s->GetLineCount() != t->GetLineCount()) return false;
  for (int i = 0; i < s->GetLineCount(); ++i)
    if (s->LineAt(i)->GetPointCount() != t->LineAt(i)->GetPointCount()) return false;
  return true;
}

}  // namespace

// Every word of an edit's before-record (a snapshot, or a snapshot and the
// pictures around a swap) damaged in its history file in turn: Undo restores
// the record whole or, saying so, not at all, in bounded time, and what it
// leaves saves as a file that opens.
TEST_F(HostileProjectFiles, DamagedHistoryRecordsRestoreWholeOrNotAtAll) {
  CountingEditorLink editor;
  CComandmanger* history = CComandmanger::Get();
  CHistoryRing& ring = history->GetUndoRing();
  // The one edit, recorded anew; returns the history file that holds it.
  auto edit = [&](DWORD tag) {
    project().ResetProject();
    for (CLineSet* set : {project().CurrentPair()->GetSourceLines(), project().CurrentPair()->GetTargetLines()}) {
      auto* line = new CFeatureLine;
      line->AddPoint(CVector2(10, 10));
      line->AddPoint(CVector2(30, 40));
      set->GetLines().Add(line);
    }
    CUndoScope before(nullptr, 0, tag);
    project().CurrentPair()->GetSourceLines()->PointAt(0, 1)->x = 60;
    CUndoScope after(nullptr, 1, tag);
    return compat::ToHostPath(std::u16string_view(ring.FileAt(ring.GetCurrentFile()).GetPath()));
  };
  int refused = 0;
  for (DWORD tag : {CUndoScope::kSnapshotRecord, CUndoScope::kPicturesRecord}) {
    const pvktest::Bytes clean = pvktest::ReadHost(edit(tag));
    ASSERT_EQ(clean.size() % 8, 0u);
    const size_t beforeRecord = clean.size() / 2;  // both records have the same size
    for (size_t at = 0; at + 4 <= beforeRecord; at += 4) {
      for (uint8_t change : {uint8_t{1}, uint8_t{0xFF}}) {
        const std::string file = edit(tag);
        pvktest::Bytes damaged = clean;
        damaged[at] = static_cast<uint8_t>(damaged[at] + change);
        pvktest::WriteHost(file, damaged);
        const pvktest::Bytes edited = SnapshotOf(project().CurrentPair());
        editor.messages.clear();
        const double cpu = CpuSeconds();
        history->Undo();
        EXPECT_LT(CpuSeconds() - cpu, 1.0) << "word at " << at;
        EXPECT_TRUE(LinesInStep(project().CurrentPair())) << "word at " << at;
        if (!editor.messages.empty()) {
          ++refused;
          EXPECT_EQ(editor.messages[0], u"This step of the history is damaged and was not restored.");
          EXPECT_EQ(SnapshotOf(project().CurrentPair()), edited) << "word at " << at;
        }
        EXPECT_TRUE(Load(Save())) << "word at " << at;
      }
    }
  }
  EXPECT_GT(refused, 0);
}
