// Undo and redo: snapshots of the current pair around an edit, the rings of
// temporary files and how they wrap, and the files left behind.
#include "model/project/undo_history.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "compat/host_path.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "project_links_fake.h"

namespace {

class UndoHistory : public ::testing::Test {
 protected:
  void SetUp() override { GetMorphProject()->ResetProject(); }
  void TearDown() override { GetMorphProject()->ResetProject(); }

  static CMorphPair* Pair() { return GetMorphProject()->CurrentPair(); }
  static CComandmanger* History() { return CComandmanger::Get(); }

  // One edit as the panes make it: a snapshot before and one after.
  static void Edit(float x) {
    CUndoScope before(nullptr, 0);
    Pair()->GetSourceLines()->PointAt(0, 0)->x = x;
    Pair()->GetTargetLines()->PointAt(0, 0)->x = x + 1;
    CUndoScope after(nullptr, 1);
  }

  static float SourceX() { return Pair()->GetSourceLines()->PointAt(0, 0)->x; }

  void AddLinePair() {
    for (CLineSet* set : {Pair()->GetSourceLines(), Pair()->GetTargetLines()}) {
      auto* line = new CFeatureLine;
      line->AddPoint(CVector2(1, 1));
      set->GetLines().Add(line);
    }
  }
};

std::vector<BYTE> Record(size_t n, BYTE fill) { return std::vector<BYTE>(n, fill); }

}  // namespace

TEST_F(UndoHistory, UndoRestoresTheBeforeStateAndRedoTheAfterState) {
  AddLinePair();
  CountingEditorLink editor;
  Edit(50);
  EXPECT_EQ(History()->Undo(), 1);
  EXPECT_FLOAT_EQ(SourceX(), 1.0f);
  EXPECT_TRUE(History()->GetUndoRing().IsEmpty());
  EXPECT_FALSE(History()->GetRedoRing().IsEmpty());
  EXPECT_EQ(editor.pairChanges, 3);  // each restore, then the notification
  EXPECT_EQ(History()->Redo(), 1);
  EXPECT_FLOAT_EQ(SourceX(), 50.0f);
  EXPECT_FLOAT_EQ(Pair()->GetTargetLines()->PointAt(0, 0)->x, 51.0f);
  EXPECT_TRUE(History()->GetRedoRing().IsEmpty());
  EXPECT_EQ(History()->Redo(), 0);
}

TEST_F(UndoHistory, ANewEditEndsTheRedoHistory) {
  AddLinePair();
  Edit(10);
  Edit(20);
  ASSERT_EQ(History()->Undo(), 1);
  EXPECT_FLOAT_EQ(SourceX(), 10.0f);
  Edit(30);
  EXPECT_EQ(History()->Redo(), 0);
  EXPECT_EQ(History()->Undo(), 1);
  EXPECT_EQ(History()->Undo(), 1);
  EXPECT_FLOAT_EQ(SourceX(), 1.0f);
  EXPECT_EQ(History()->Undo(), 0);
}

TEST_F(UndoHistory, TheTimingCurveLookupFollowsTheRestoredKeys) {
  AddLinePair();
  const float before = Pair()->GetTimingCurve()->Evaluate(50.0f);
  {
    CUndoScope scope(nullptr, 0);
    CCurveKeys flat = *Pair()->GetTimingCurve();
    flat.ElementAt(1).y = 0.0f;
    Pair()->SetTimingCurve(flat);
    CUndoScope after(nullptr, 1);
  }
  EXPECT_FLOAT_EQ(Pair()->GetTimingCurve()->Evaluate(50.0f), 0.0f);
  ASSERT_EQ(History()->Undo(), 1);
  EXPECT_FLOAT_EQ(Pair()->GetTimingCurve()->Evaluate(50.0f), before);
}

TEST_F(UndoHistory, SnapshotKeepsTheOutlineOnTheSamePixels) {
  CImageSlot* slot = Pair()->GetSourceSlot();
  slot->GetShape()->AppendPoint(CVector2(10, 10), nullptr);
  slot->SetOrigin(POINT{5, 7});
  CUndoScope before(nullptr, 0);
  slot->GetShape()->MovePoint(0, 0, 0);
  CUndoScope after(nullptr, 1);
  ASSERT_EQ(History()->Undo(), 1);
  // Restored unshifted: the node stands where the unscrolled pane had it.
  EXPECT_EQ(slot->GetOrigin().x, 0);
  EXPECT_FLOAT_EQ(slot->GetShape()->NodeAt(0).point.x, 10.0f);
}

// An outline restored from before a change of the output size comes back
// with the layout it was drawn for, so the next load lays it out anew.
TEST_F(UndoHistory, SnapshotOutlineFollowsALaterOutputSize) {
  CImageSlot* slot = Pair()->GetSourceSlot();
  LoadImageSlot(slot, Pair());
  slot->GetShape()->AppendPoint(CVector2(10, 10), nullptr);
  CUndoScope before(nullptr, 0);
  slot->GetShape()->MovePoint(0, 0, 0);
  CUndoScope after(nullptr, 1);
  GetMorphProject()->SetOutputSize(512, 512);
  EXPECT_EQ(History()->Undo(), 1);
  LoadImageSlot(slot, Pair());
  EXPECT_FLOAT_EQ(slot->GetShape()->NodeAt(0).point.x, 20.0f);
  GetMorphProject()->SetOutputSize(256, 256);
}

TEST(HistoryRing, FilesFillUpToTheirLimitAndWrap) {
  CHistoryRing ring(8);
  const size_t fourMiB = 4u << 20;
  ring.Push(Record(fourMiB, 1));
  EXPECT_EQ(ring.GetCurrentFile(), 0);
  ring.Push(Record(fourMiB, 2));
  EXPECT_EQ(ring.GetCurrentFile(), 1);
  for (BYTE k = 3; k <= 9; ++k) ring.Push(Record(fourMiB, k));
  EXPECT_EQ(ring.GetCurrentFile(), 0);
  EXPECT_EQ(ring.FileAt(0).GetRecordCount(), 1);
  // Small records share the file while it stays under its limit.
  ring.Push(Record(16, 10));
  ring.Push(Record(16, 11));
  EXPECT_EQ(ring.GetCurrentFile(), 0);
  EXPECT_EQ(ring.FileAt(0).GetRecordCount(), 3);

  std::vector<BYTE> out;
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, Record(16, 11));
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, Record(16, 10));
  ASSERT_TRUE(ring.Pop(out));
  EXPECT_EQ(out, Record(fourMiB, 9));  // the first file's newest record
  // Record 1 was lost to the wrap; the others come back newest first.
  for (BYTE k = 8; k >= 2; --k) {
    ASSERT_TRUE(ring.Pop(out));
    EXPECT_EQ(out[0], k);
  }
  EXPECT_FALSE(ring.Pop(out));
  EXPECT_TRUE(ring.IsEmpty());
}

TEST(HistoryRing, PoppingTheOnlyRecordLeavesTheRingEmpty) {
  CHistoryRing ring(8);
  ring.Push(Record(3, 7));
  std::vector<BYTE> out;
  EXPECT_TRUE(ring.Pop(out));
  EXPECT_TRUE(ring.IsEmpty());
  EXPECT_FALSE(ring.Pop(out));
  ring.Push(Record(0, 0));  // an empty record is still a record
  EXPECT_TRUE(ring.Pop(out));
  EXPECT_TRUE(out.empty());
}

TEST(HistoryRing, TemporaryFilesAreRemoved) {
  std::vector<std::string> paths;
  {
    CHistoryRing ring(3);
    ring.Push(Record(100, 1));
    for (int i = 0; i < ring.GetFileCount(); ++i) {
      paths.push_back(compat::ToHostPath(std::u16string_view(ring.FileAt(i).GetPath())));
      EXPECT_TRUE(std::filesystem::exists(paths.back()));
      EXPECT_EQ(std::filesystem::path(paths.back()).filename().string().rfind("LD", 0), 0u);
    }
    ring.Clear();
    EXPECT_EQ(std::filesystem::file_size(paths[0]), 0u);
  }
  for (const std::string& p : paths) EXPECT_FALSE(std::filesystem::exists(p));
}
