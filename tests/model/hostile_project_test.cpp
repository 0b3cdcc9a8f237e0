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
#include "imaging/large_picture_files.h"
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

// A renderer that counts the frames drawn and the meshes built, per pair.
class CountingRenderer : public NullRendererLink {
 public:
  void RenderFrame(CMorphPair* pair) override {
    ++frames[pair];
    if (pair->IsMeshDirty()) ++meshes;
    pair->SetMeshDirty(FALSE);
  }
  std::map<CMorphPair*, int> frames;
  int meshes = 0;
};

}  // namespace

// The pairs' pictures are read at open, but only the pair shown is drawn,
// once, and only its mesh is built.
TEST_F(HostileProjectFiles, OpeningDrawsTheCurrentPairOnly) {
  const std::u16string picture = compat::FromHostPath(dir.File("small.bmp"));
  std::vector<DWORD> pixels(16 * 16, 0xFF336699);
  ASSERT_TRUE(CImageFile().Save(CString(picture), 0, 0, 16, 16, pixels.data(), 0));
  CountingRenderer renderer;
  ASSERT_TRUE(Load(pvk::ManyPairs(picture, 20, 16).bytes));
  ASSERT_EQ(project().GetPairCount(), 20);
  EXPECT_TRUE(project().PairAt(7)->GetTargetSlot()->HasPicture());
  EXPECT_EQ(renderer.frames, (std::map<CMorphPair*, int>{{project().CurrentPair(), 1}}));
  EXPECT_EQ(renderer.meshes, 1);
}

// Large files of what an editor writes (or nearly) cost time and memory
// in step with their size; lines without points are refused at once.
TEST_F(HostileProjectFiles, LargeProjectsStayWithinBoundsOfTheirSize) {
  const struct {
    pvk::HostileProject kind;
    double seconds;
    double megabytes;
  } cases[] = {
      // (The memory counts the sanitizer's own: about twice the program's.)
      {pvk::ManyPairs(u"", 10000), 3.0, 200.0},
      {pvk::ManyKeys(8, 65536), 2.0, 180.0},
      {pvk::EmptyLines(4, 65536), 0.5, 10.0},
  };
  for (const auto& c : cases) {
    project().ResetProject();
    std::ofstream("/proc/self/clear_refs") << "5";
    const double memoryBefore = StatusMegabytes("VmRSS"), cpuBefore = CpuSeconds();
    const BOOL opened = Load(c.kind.bytes);
    const double cpu = CpuSeconds() - cpuBefore, peak = StatusMegabytes("VmHWM") - memoryBefore;
    EXPECT_EQ(opened != FALSE, c.kind.opens) << c.kind.name;
    EXPECT_LT(cpu, c.seconds) << c.kind.name;
    EXPECT_LT(peak, c.megabytes) << c.kind.name << ", a file of " << c.kind.bytes.size() / (1 << 20) << " MB";
  }
}

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

// A 16384 x 16384 RLE8 BMP of about 1 KB: a few runs on the bottom rows, then
// the end of the picture; every other pixel is palette entry 0.
std::vector<uint8_t> RunLengthBmp() {
  constexpr uint32_t kSide = 16384;
  std::vector<uint8_t> b(54 + 1024, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(10, 54 + 1024);
  put32(14, 40);
  put32(18, kSide);
  put32(22, kSide);
  b[26] = 1, b[28] = 8, b[30] = 1;  // one plane, 8 bits, RLE8
  for (int i = 0; i < 256; ++i) b[54 + 4 * i] = b[55 + 4 * i] = b[56 + 4 * i] = static_cast<uint8_t>(i);
  for (int row = 0; row < 40; ++row) b.insert(b.end(), {255, static_cast<uint8_t>(6 * row), 0, 0});
  b.insert(b.end(), {0, 1});
  return b;
}

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

// A project naming one 16384 x 16384 picture (a PNG of a few megabytes, a
// run-length BMP of 1 KB, a TGA of 19 bytes) opens with the picture reduced while it is decoded:
// never held whole, neither while decoding nor in the picture cache.
TEST_F(HostileProjectFiles, OneLargePictureOpensWithinItsBound) {
  ASSERT_TRUE(imaging_test::WriteLargePng(dir.File("huge.png"), 16384, 16384));
  const std::vector<uint8_t> bmp = RunLengthBmp();
  std::ofstream(dir.File("huge.bmp"), std::ios::binary).write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
  // A grey TGA whose one pixel byte leaves the rest of the picture black.
  const std::vector<uint8_t> tga = {0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0x40, 8, 0x20, 0x80};
  std::ofstream(dir.File("huge.tga"), std::ios::binary).write(reinterpret_cast<const char*>(tga.data()), static_cast<std::streamsize>(tga.size()));
  ASSERT_EQ(mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
  CountingEditorLink editor;
  for (const char* name : {"huge.png", "huge.bmp", "huge.tga"}) {
    const std::u16string picture = compat::FromHostPath(dir.File(name));
    for (const pvk::HostileProject& kind : pvk::HostileProjects(picture, compat::FromHostPath(dir.File("pipe.bmp")))) {
      if (kind.name != "picture_pipe") continue;
      std::ofstream("/proc/self/clear_refs") << "5";
      const double memoryBefore = StatusMegabytes("VmRSS"), cpuBefore = CpuSeconds();
      ASSERT_TRUE(Load(kind.bytes)) << name;
      EXPECT_LT(CpuSeconds() - cpuBefore, 15.0) << name;
      EXPECT_LT(StatusMegabytes("VmHWM") - memoryBefore, 200.0) << name;
      const CImageSlot* target = project().CurrentPair()->GetTargetSlot();
      ASSERT_TRUE(target->HasPicture()) << name;
      EXPECT_EQ(target->m_pictureSize.cx, 1024) << name;
      EXPECT_EQ(target->m_pictureSize.cy, 1024) << name;
    }
  }
}

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
