// The project file: what the model writes read field by field by the
// reference reader, files of the reference writer loaded and saved back
// byte for byte, and a corpus of malformed files refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <random>
#include <utility>

#include "compat/afx.h"
#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "model/project/undo_history.h"
#include "platform/program_folder.h"
#include "project_file_fixture.h"
#include "project_links_fake.h"
#include "pvk_reference.h"
#include "support/tool_runner.h"

namespace {

using pvktest::Bytes;
using pvktest::ReadHost;
using pvktest::WriteHost;

class ProjectFile : public pvktest::ProjectFileTest {
 protected:
  // Refused, and the project open before (three pairs, the second current)
  // is left as it was.
  void ExpectRefused(const Bytes& bytes, const std::string& what) {
    project().ResetProject();
    project().InsertPair();
    project().InsertPair();
    project().SelectPair(1);
    EXPECT_FALSE(Load(bytes)) << what;
    EXPECT_EQ(project().GetPairCount(), 3) << what;
    EXPECT_EQ(project().GetCurrentIndex(), 1) << what;
    EXPECT_EQ(project().CurrentPair()->GetSourceLines()->GetLineCount(), 0) << what;
  }
};

pvk::Slot RichSlot(float shift, int width, int height) {
  pvk::Slot s;
  for (int i = 0; i < 4; ++i) {
    float f = 10.0f * static_cast<float>(i + 1) + shift;
    std::memcpy(&s.adjust[i], &f, 4);
  }
  s.adjust[4] = 1;
  s.adjust[5] = 0;
  std::memcpy(s.adjustAgain, s.adjust, sizeof s.adjust);
  s.zoom = 0.75f;
  s.lines.scale = 0.75f;
  s.lines.originX = 3;
  s.lines.rect[2] = 400;
  s.lines.rect[3] = 300;
  s.lines.lines = {pvk::Line{1, 1, {{1 + shift, 2}, {3, 4}, {5, 6}}}, pvk::Line{0, 0, {{7, 8}, {9, 10 + shift}}}};
  s.layoutW = width;
  s.layoutH = height;
  s.clip[0] = 5;
  s.clip[2] = 50;
  s.outline.nodes = {pvk::Node{1, {1, 1}, {0, 1}, {2, 1}}, pvk::Node{0, {20, 5}, {20, 5}, {20, 5}}};
  return s;
}

pvk::Project RichProject(const std::u16string& existingPicture) {
  pvk::Project p;
  p.editMode = 0;
  p.reserved = 7;
  p.current = 1;
  p.width = 400;
  p.height = 300;
  p.foreground.type = 1;
  p.foreground.hasPattern = true;
  p.foreground.patternKind = 4;
  p.foreground.first.colors = {0xFF000000, 0xFFFFFFFF};
  p.foreground.first.positions = {0, 1};
  p.foreground.first.midpoints = {0.5f};
  p.foreground.second = p.foreground.first;
  p.background.type = 2;
  p.background.hasPattern = true;
  p.background.patternKind = 1;
  p.background.patternPath = u"\\nowhere\\sky.bmp";
  for (int i = 0; i < 2; ++i) {
    pvk::Pair pair;
    pair.frames = 40 + 10 * i;
    pair.current = 7;
    pair.warp = 2;
    pair.maskEdge = 4;
    pair.selected = {{0, 1}, {1, 0}};
    pair.inFrames = 5;
    pair.outFrames = 6;
    pair.in.id = 0;
    pair.out.id = i == 0 ? 0xFFFFFFFF : 0;
    pair.wipeEdge = 0.4f;
    pair.wipeReverse = 1;
    pair.lightStrength = 0.5f;
    pair.fadeIn = 1;
    pair.fadeOut = 2;
    pair.totalMask = u"\\kept\\as\\stored.bmp";
    if (i == 1) pair.source = pair.target = existingPicture;
    pair.source_slot = RichSlot(0.5f * static_cast<float>(i), 400, 300);
    // As earlier versions wrote it: the picture's size, not the output's.
    pair.target_slot = RichSlot(1.0f, 64, 32);
    pair.curve.keys = {{0, 0}, {10, 100}, {static_cast<float>(pair.frames - 1), 256}};
    pair.curve.x1 = static_cast<float>(pair.frames - 1);
    pair.curve.y1 = 256;
    p.pairs.push_back(pair);
  }
  return p;
}

}  // namespace

TEST_F(ProjectFile, FreshProjectHasTheExactBytes) {
  const Bytes bytes = Save();
  EXPECT_EQ(bytes, pvk::WriteProject(pvk::DefaultProject()));
  // Empty strings are FF FE FF 00 and "No Effect" adds nothing after its id.
  pvk::Project read;
  ASSERT_TRUE(pvk::ReadProject(bytes, read));
  EXPECT_EQ(read.pairs[0].in.id, 0u);
  EXPECT_TRUE(read.pairs[0].in.block.empty());
}

TEST_F(ProjectFile, WhatTheModelWritesReadsFieldByField) {
  CMorphPair* pair = project().CurrentPair();
  pair->SetFrameCount(30);
  pair->SetCurrentFrame(12);
  pair->SetWarpMode(1);
  pair->m_fadeIn = 9;
  pair->GetTransitionPicture()->edge = 0.3f;
  pair->m_totalMaskPath = u"\\m.bmp";
  delete pair->m_outEffect;
  pair->m_outEffect = nullptr;
  CImageSlot* source = pair->GetSourceSlot();
  source->m_clip = RECT{1, 2, 3, 4};
  source->m_adjust.mirror = 1;
  source->m_adjust.contrast = -20.0f;
  source->SetOrigin(POINT{5, 7});
  source->GetShape()->AppendPoint(CVector2(10, 10), nullptr);
  auto* line = new CFeatureLine;
  line->AddPoint(CVector2(1, 2));
  line->mask = 1;
  source->GetLines()->GetLines().Add(line);
  auto* twin = new CFeatureLine;
  twin->AddPoint(CVector2(3, 4));
  pair->GetTargetLines()->GetLines().Add(twin);
  pair->GetSelection().Add(CLinePoint{0, 0});
  CFillStyle fill;
  fill.SetPatternImage(u"p.bmp");
  project().SetForeground(fill);

  pvk::Project read;
  ASSERT_TRUE(pvk::ReadProject(Save(), read));
  EXPECT_EQ(read.editMode, 2u);
  EXPECT_EQ(read.reserved, 1u);
  EXPECT_EQ(read.foreground.patternPath, u"p.bmp");
  EXPECT_EQ(read.background.color, 0xFFFF0000u);
  const pvk::Pair& p = read.pairs.at(0);
  EXPECT_EQ(p.frames, 30u);
  EXPECT_EQ(p.current, 12u);
  EXPECT_EQ(p.warp, 1u);
  EXPECT_EQ(p.fadeIn, 9u);
  EXPECT_FLOAT_EQ(p.wipeEdge, 0.3f);
  EXPECT_EQ(p.totalMask, u"\\m.bmp");
  EXPECT_EQ(p.out.id, 0xFFFFFFFFu);
  EXPECT_EQ(p.selected, (std::vector<std::pair<uint32_t, uint32_t>>{{0, 0}}));
  EXPECT_EQ(p.source_slot.clip[3], 4);
  EXPECT_EQ(p.source_slot.adjust[5], 1u);
  EXPECT_EQ(p.source_slot.adjustAgain[5], 1u);
  EXPECT_EQ(p.source_slot.lines.lines.at(0).mask, 1);
  // The outline is stored without the pane's scroll offset.
  ASSERT_EQ(p.source_slot.outline.nodes.size(), 1u);
  EXPECT_EQ(p.source_slot.outline.nodes[0].point, (pvk::Point{15, 17}));
  EXPECT_EQ(p.curve.keys.back(), (pvk::Point{29, 256}));
  // Saving does not move the outline on screen.
  EXPECT_FLOAT_EQ(source->GetShape()->NodeAt(0).point.x, 10.0f);
}

TEST_F(ProjectFile, ReferenceFileLoadsAndSavesBackByteForByte) {
  const std::string picture = dir.File("picture.txt");
  WriteHost(picture, Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'});
  const pvk::Project reference = RichProject(compat::FromHostPath(picture));
  const Bytes bytes = pvk::WriteProject(reference);
  ASSERT_TRUE(Load(bytes));
  EXPECT_EQ(project().GetPairCount(), 2);
  EXPECT_EQ(project().GetCurrentIndex(), 1);
  EXPECT_EQ(project().GetEditMode(), kEditFeatureLine);  // the stored mode is not taken
  CMorphPair* first = project().PairAt(0);
  EXPECT_EQ(first->m_outEffect, nullptr);
  EXPECT_EQ(first->GetSourceSlot()->GetShape()->GetState(), kPathFinished);
  EXPECT_EQ(first->GetSourceSlot()->GetOrigin().x, 0);

  pvk::Project expected = reference;
  expected.editMode = 2;  // written from the editor's own mode
  // None of the pictures loads; each slot keeps the size the file gave it.
  EXPECT_EQ(Save(), pvk::WriteProject(expected));
  ASSERT_TRUE(project().LoadProjectFile(Program("out.pvk").c_str()));
  EXPECT_EQ(Save("again.pvk"), pvk::WriteProject(expected));
}

TEST_F(ProjectFile, OnlyPvkNamesAreOpened) {
  project().InsertPair();
  const Bytes bytes = pvk::WriteProject(pvk::DefaultProject());
  EXPECT_FALSE(Load(bytes, "a.pvk2"));
  EXPECT_FALSE(Load(bytes, "a.bmp"));
  EXPECT_EQ(project().GetPairCount(), 2);  // untouched
  EXPECT_TRUE(Load(bytes, "A.PVK"));
  EXPECT_EQ(project().GetPairCount(), 1);
  project().InsertPair();
  EXPECT_FALSE(project().LoadProjectFile(Program("missing.pvk").c_str()));
  EXPECT_EQ(project().GetPairCount(), 2);  // a missing file changes nothing
}

TEST_F(ProjectFile, OutOfRangeCurrentIndexIsHeldToThePairs) {
  pvk::Project p = pvk::DefaultProject();
  p.current = 5;
  ASSERT_TRUE(Load(pvk::WriteProject(p)));
  EXPECT_EQ(project().GetCurrentIndex(), 0);
}

TEST_F(ProjectFile, TruncationAtEveryRecordBoundaryIsRefused) {
  const pvk::Project p = RichProject(u"");
  const Bytes whole = pvk::WriteProject(p);
  std::vector<size_t> cuts = pvk::RecordBoundaries(p);
  cuts.pop_back();  // the last boundary is the end of the file
  cuts.push_back(0);
  for (size_t n = 1; n < whole.size(); n += 37) cuts.push_back(n);
  for (size_t cut : cuts) ExpectRefused(Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)), "cut at " + std::to_string(cut));
}

TEST_F(ProjectFile, MalformedFilesAreRefused) {
  const pvk::Project good = RichProject(u"");
  auto refuse = [&](auto change, const std::string& what) {
    pvk::Project p = good;
    change(p);
    ExpectRefused(pvk::WriteProject(p), what);
  };
  refuse([](pvk::Project& p) { p.pairs.clear(); }, "no pairs");
  refuse([](pvk::Project& p) { p.width = 0; }, "zero width");
  refuse([](pvk::Project& p) { p.height = 100000; }, "huge height");
  refuse([](pvk::Project& p) { p.pairs[1].frames = 0; }, "no frames");
  refuse([](pvk::Project& p) { p.pairs[0].maskEdge = 0xFFFFFFFF; }, "negative mask edge");
  refuse([](pvk::Project& p) { p.pairs[0].fadeOut = 0x80000000; }, "negative fade");
  refuse([](pvk::Project& p) { p.pairs[0].in.id = 6; }, "unknown in effect");
  refuse([](pvk::Project& p) { p.pairs[1].out.id = 9; }, "unknown out effect");
  refuse([](pvk::Project& p) { p.pairs[0].source_slot.zoom = 0; }, "zero zoom");
  refuse([](pvk::Project& p) { p.pairs[0].source_slot.zoom = std::nanf(""); }, "NaN zoom");
  refuse([](pvk::Project& p) { p.pairs[0].target_slot.layoutW = -4; }, "negative layout size");
  refuse([](pvk::Project& p) { p.pairs[0].target_slot.lines.lines.pop_back(); }, "line counts differ");
  refuse([](pvk::Project& p) { p.pairs[1].target_slot.lines.lines[0].points.pop_back(); }, "point counts differ");
  refuse([](pvk::Project& p) {
    pvk::Gradient& g = p.foreground.first;
    g.colors.resize(300, 1);
    g.positions.resize(300, 1.0f);
    g.midpoints.resize(299, 0.5f);
  }, "too many stops");
}

TEST_F(ProjectFile, HugeCountsAreRefusedWithoutHugeAllocations) {
  const pvk::Project good = RichProject(u"");
  const Bytes whole = pvk::WriteProject(good);
  auto patch = [&](size_t at, uint32_t value, const std::string& what) {
    Bytes bytes = whole;
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
    ExpectRefused(bytes, what);
  };
  patch(0, 0x7FFFFFFF, "pair count");
  patch(0, 3, "one pair more than stored");
  const std::vector<size_t> marks = pvk::RecordBoundaries(good);
  // marks: count, settings, foreground, background, then per pair 11 marks.
  const size_t pairStart = marks[3];
  const size_t selectedCount = marks[6] - 4;
  patch(selectedCount, 0x10000000, "selected points");
  patch(selectedCount, 0xFFFFFFFF, "negative selected points");
  const size_t lineCount = marks[10] + 24 + 4 + 4 + 8 + 16;
  patch(lineCount, 0x40000000, "lines");
  patch(lineCount + 4 + 4 + 4, 0x7FFFFFF0, "points of a line");
  const size_t curveCount = marks[12];
  patch(curveCount, 0x7FFFFFFF, "curve keys");
  EXPECT_GT(selectedCount, pairStart);
}

namespace {

// An effect whose parameter block cannot be written.
class CFailingEffect : public CEffect {
 public:
  int GetID() const override { return 0; }
  CString GetName() const override { return CString(u"failing"); }
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override { AfxThrowArchiveException(CArchiveException::genericException); }
};

}  // namespace

TEST_F(ProjectFile, FailedSaveKeepsThePreviousFile) {
  const Bytes before = Save("keep.pvk");
  project().CurrentPair()->SetFrameCount(10);
  delete project().CurrentPair()->m_inEffect;
  project().CurrentPair()->m_inEffect = new CFailingEffect;
  EXPECT_FALSE(project().SaveProjectFile(Program("keep.pvk").c_str()));
  EXPECT_EQ(ReadHost(dir.File("keep.pvk")), before);
  // No temporary file is left beside it.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 1u);
  EXPECT_FALSE(project().SaveProjectFile(Program("no/such/folder/x.pvk").c_str()));
}

// The slot record holds the output size the slot was laid out for (0 x 0
// before the first layout), not the picture's size.
TEST_F(ProjectFile, SlotRecordCarriesTheLayoutSize) {
  std::vector<DWORD> pixels(64 * 32, 0xFF336699);
  const CString path(Program("p.bmp").c_str());
  CImageFile file;
  ASSERT_TRUE(file.Save(path, 0, 0, 64, 32, pixels.data(), 0));
  project().CurrentPair()->SetTargetImage(path);
  pvk::Project read;
  ASSERT_TRUE(pvk::ReadProject(Save(), read));
  EXPECT_EQ(read.pairs[0].target_slot.layoutW, 256);
  EXPECT_EQ(read.pairs[0].target_slot.layoutH, 256);
  EXPECT_EQ(read.pairs[0].source_slot.layoutW, 0);
  EXPECT_EQ(read.pairs[0].target, std::u16string(path));
  project().SetOutputSize(300, 200);
  ASSERT_TRUE(pvk::ReadProject(Save(), read));
  EXPECT_EQ(read.pairs[0].source_slot.layoutW, 300);
  EXPECT_EQ(read.pairs[0].target_slot.layoutH, 200);
}

TEST_F(ProjectFile, RandomlyDamagedFilesNeverCrash) {
  const Bytes good = pvk::WriteProject(RichProject(u""));
  std::mt19937 random(1234);
  int loaded = 0;
  for (int round = 0; round < 400; ++round) {
    Bytes bytes = good;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int k = 0; k < changes; ++k) {
      const size_t at = random() % bytes.size();
      // Mostly bytes of counts and sizes: 0, 0xFF, or anything.
      const uint32_t pick = random() % 3;
      bytes[at] = pick == 0 ? 0 : pick == 1 ? 0xFF : static_cast<uint8_t>(random());
    }
    if (random() % 4 == 0) bytes.resize(random() % bytes.size());
    loaded += Load(bytes);
    // Whatever the file held, the project stays usable.
    ASSERT_GE(project().GetPairCount(), 1);
    ASSERT_LT(project().GetCurrentIndex(), project().GetPairCount());
    CMorphPair* pair = project().CurrentPair();
    ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), pair->GetTargetLines()->GetLineCount());
    pair->BuildMesh();
  }
  EXPECT_GT(loaded, 0);  // some damage lands in values that are still valid
}

TEST_F(ProjectFile, MovedPicturesAreFoundInTheImageFolder) {
  const CString folder = GetProgramFolder() + u"\\Image\\";
  const CString name(u"calvetta_relocation_test.bmp");
  std::vector<DWORD> pixels(8 * 8, 0xFF00FF00);
  CreateDirectoryW(folder, nullptr);
  CImageFile file;
  ASSERT_TRUE(file.Save(folder + name, 0, 0, 8, 8, pixels.data(), 0));
  pvk::Project p = pvk::DefaultProject();
  p.pairs[0].source = u"\\gone\\elsewhere\\" + std::u16string(name);
  p.pairs[0].target = u"\\gone\\elsewhere\\nowhere_at_all.bmp";
  ASSERT_TRUE(Load(pvk::WriteProject(p)));
  CMorphPair* pair = project().CurrentPair();
  EXPECT_TRUE(pair->m_sourcePath == folder + name);
  EXPECT_TRUE(pair->GetSourceSlot()->HasPicture());
  EXPECT_TRUE(pair->m_targetPath.IsEmpty());
  EXPECT_FALSE(pair->GetTargetSlot()->HasPicture());
  DeleteFileW(folder + name);
}

namespace {

// A renderer whose next surface resize fails as `fail` does: a failure met
// after the file was read, while the project it brings is being set up.
class FailingRenderer : public NullRendererLink {
 public:
  explicit FailingRenderer(void (*f)()) : fail(f) {}
  void ResizeSurfaces(int w, int h) override {
    if (void (*f)() = std::exchange(fail, nullptr)) f();
    width = w;
    height = h;
  }
  void (*fail)();
  int width = 0, height = 0;
};

}  // namespace

TEST_F(ProjectFile, AFailureAfterTheFileWasReadBringsTheEarlierProjectBackWhole) {
  const Bytes file = pvk::WriteProject(RichProject(u""));
  void (*const failures[])() = {
      [] { AfxThrowFileException(CFileException::hardIO); },
      [] { AfxThrowMemoryException(); },
      [] { throw std::bad_alloc(); },
  };
  for (void (*fail)() : failures) {
    project().ResetProject();
    project().InsertPair();
    project().SetOutputSize(320, 240);
    CMorphPair* const current = project().CurrentPair();
    // One edit, which the undo history keeps through the failed open.
    CUndoScope edit(nullptr, 0);
    current->GetSourceSlot()->SetZoom(2.0f);
    CUndoScope edited(nullptr, 1);
    const Bytes before = Save("before.pvk");
    FailingRenderer renderer(fail);
    EXPECT_FALSE(Load(file));
    EXPECT_EQ(project().CurrentPair(), current);
    EXPECT_EQ(Save("after.pvk"), before);
    EXPECT_EQ(renderer.width, 320);
    EXPECT_EQ(renderer.height, 240);
    EXPECT_EQ(CComandmanger::Get()->Undo(), 1);
    EXPECT_EQ(current->GetSourceSlot()->GetZoom(), 0.5f);
  }
  // A project that is taken starts a history of its own.
  { CUndoScope edit(nullptr, 0); }
  ASSERT_TRUE(Load(file));
  EXPECT_TRUE(CComandmanger::Get()->GetUndoRing().IsEmpty());
}
