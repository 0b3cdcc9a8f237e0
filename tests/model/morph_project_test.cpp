// The project: defaults, New, the pair list operations and the settings
// that reach every pair.
#include "model/morph_project.h"

#include <gtest/gtest.h>

#include "model/morph_pair.h"
#include "model/no_effect.h"
#include "model/undo_history.h"
#include "project_links_fake.h"

namespace {

CFeatureLine* AddLine(CLineSet& set, std::initializer_list<CVector2> points) {
  auto* line = new CFeatureLine;
  for (const CVector2& p : points) line->AddPoint(p);
  set.GetLines().Add(line);
  return line;
}

// A project of n pairs, the current one the last.
void MakePairs(CMorphProject& project, int n) {
  while (project.GetPairCount() < n) project.InsertPair();
}

}  // namespace

TEST(MorphProject, NewProjectHasOneDefaultPair) {
  CMorphProject project;
  SIZE size;
  project.GetOutputSize(size);
  EXPECT_EQ(project.GetPairCount(), 1);
  EXPECT_EQ(project.GetCurrentIndex(), 0);
  EXPECT_EQ(size.cx, 256);
  EXPECT_EQ(size.cy, 256);
  EXPECT_EQ(project.GetFps(), 30);
  EXPECT_EQ(project.GetLoop(), 1);
  EXPECT_EQ(project.GetEditMode(), kEditFeatureLine);
  CFillStyle fill;
  EXPECT_EQ(project.GetBackground(fill).color, 0xFFFF0000u);
  EXPECT_EQ(project.GetForeground(fill).color, 0x00000000u);
  CMorphPair* pair = project.CurrentPair();
  EXPECT_EQ(pair->GetFrameCount(), 100);
  EXPECT_EQ(pair->m_inEffect->GetID(), CNoEffect::kId);
  EXPECT_EQ(pair->m_outEffect->GetID(), CNoEffect::kId);
  EXPECT_TRUE(pair->IsMeshDirty());
}

TEST(MorphProject, NewKeepsTheSettingsAndLeavesOneFreshPair) {
  CMorphProject project;
  MakePairs(project, 3);
  project.SetOutputSize(640, 480);
  project.SetFps(12);
  AddLine(*project.CurrentPair()->GetSourceLines(), {{1, 1}});
  project.ResetProject();
  SIZE size;
  project.GetOutputSize(size);
  EXPECT_EQ(project.GetPairCount(), 1);
  EXPECT_EQ(project.GetCurrentIndex(), 0);
  EXPECT_EQ(size.cx, 640);
  EXPECT_EQ(size.cy, 480);
  EXPECT_EQ(project.GetFps(), 12);
  EXPECT_EQ(project.CurrentPair()->GetSourceLines()->GetLineCount(), 0);
}

TEST(MorphProject, InsertedPairContinuesFromTheCurrentTarget) {
  CMorphProject project;
  CMorphPair* first = project.CurrentPair();
  AddLine(*first->GetSourceLines(), {{9, 9}});
  AddLine(*first->GetTargetLines(), {{3, 4}, {5, 6}});
  first->GetTargetSlot()->m_clip = RECT{1, 2, 3, 4};
  first->GetTargetSlot()->m_adjust.hue = 30.0f;
  CountingEditorLink editor;
  EXPECT_TRUE(project.InsertPair());
  ASSERT_EQ(project.GetPairCount(), 2);
  EXPECT_EQ(project.GetCurrentIndex(), 1);
  EXPECT_EQ(project.PairAt(0), first);
  CMorphPair* added = project.CurrentPair();
  for (CImageSlot* slot : {added->GetSourceSlot(), added->GetTargetSlot()}) {
    ASSERT_EQ(slot->GetLines()->GetLineCount(), 1);
    EXPECT_FLOAT_EQ(slot->GetLines()->PointAt(0, 1)->y, 6.0f);
    EXPECT_EQ(slot->m_clip.bottom, 4);
    EXPECT_FLOAT_EQ(slot->m_adjust.hue, 30.0f);
  }
  EXPECT_EQ(editor.modified, 1);
}

TEST(MorphProject, DeletingTheLastOfThreeKeepsTheIndexInRange) {
  CMorphProject project;
  MakePairs(project, 3);
  ASSERT_EQ(project.GetCurrentIndex(), 2);
  project.DeleteCurrentPair();
  EXPECT_EQ(project.GetPairCount(), 2);
  EXPECT_EQ(project.GetCurrentIndex(), 1);
  project.DeleteCurrentPair();
  project.DeleteCurrentPair();  // the only pair stays
  EXPECT_EQ(project.GetPairCount(), 1);
  EXPECT_EQ(project.GetCurrentIndex(), 0);
}

TEST(MorphProject, MovingPairsAtTheEndsChangesNothing) {
  CMorphProject project;
  MakePairs(project, 3);
  CMorphPair* last = project.CurrentPair();
  CountingEditorLink editor;
  project.MovePairDown();
  EXPECT_EQ(editor.modified, 0);
  project.MovePairUp();
  EXPECT_EQ(project.GetCurrentIndex(), 1);
  EXPECT_EQ(project.PairAt(1), last);
  project.MovePairTo(0);
  EXPECT_EQ(project.PairAt(0), last);
  EXPECT_EQ(project.GetCurrentIndex(), 0);
  project.MovePairUp();
  EXPECT_EQ(editor.modified, 2);
  // An index past the list would drop the pair out of the array.
  project.MovePairTo(3);
  project.MovePairTo(-1);
  EXPECT_EQ(project.GetPairCount(), 3);
  EXPECT_EQ(project.PairAt(0), last);
  EXPECT_EQ(editor.modified, 2);
}

TEST(MorphProject, SelectingAnotherPairClearsTheHistory) {
  CMorphProject& project = *GetMorphProject();
  project.ResetProject();
  project.InsertPair();
  CUndoScope before(nullptr, 0);
  CHistoryRing& undo = CComandmanger::Get()->GetUndoRing();
  project.SelectPair(1);
  EXPECT_FALSE(undo.IsEmpty());
  project.SelectPair(0);
  EXPECT_TRUE(undo.IsEmpty());
  project.ResetProject();
}

TEST(MorphProject, OutputSizeScalesEveryPairsLines) {
  CMorphProject project;
  MakePairs(project, 2);
  AddLine(*project.PairAt(0)->GetSourceLines(), {{10, 20}});
  AddLine(*project.PairAt(1)->GetTargetLines(), {{3, 5}});
  project.InvalidateAllPairs();
  project.PairAt(0)->SetMeshDirty(FALSE);
  project.SetOutputSize(512, 128);
  EXPECT_FLOAT_EQ(project.PairAt(0)->GetSourceLines()->PointAt(0, 0)->x, 20.0f);
  EXPECT_FLOAT_EQ(project.PairAt(0)->GetSourceLines()->PointAt(0, 0)->y, 10.0f);
  EXPECT_FLOAT_EQ(project.PairAt(1)->GetTargetLines()->PointAt(0, 0)->x, 6.0f);
  EXPECT_TRUE(project.PairAt(0)->IsMeshDirty());
  // A size the renderer could not make is refused.
  project.SetOutputSize(0, 100);
  SIZE size;
  EXPECT_EQ(project.GetOutputSize(size).cx, 512);
}

TEST(MorphProject, TotalFramesSumsThePairs) {
  CMorphProject project;
  MakePairs(project, 3);
  project.PairAt(1)->SetFrameCount(50);
  project.PairAt(2)->SetFrameCount(1);
  EXPECT_EQ(project.GetTotalFrames(), 151);
}

TEST(MorphPair, FramesAndTimingCurve) {
  CMorphPair pair;
  pair.SetCurrentFrame(100);
  EXPECT_EQ(pair.GetCurrentFrame(), 99);
  pair.SetCurrentFrame(-1);
  EXPECT_EQ(pair.GetCurrentFrame(), 99);
  pair.SetCurrentFrame(42);
  EXPECT_EQ(pair.GetCurrentFrame(), 42);
  pair.SetFrameCount(50);
  const CBezierCurve* curve = pair.GetTimingCurve();
  ASSERT_EQ(curve->GetSize(), 2);
  EXPECT_FLOAT_EQ(curve->ElementAt(1).x, 49.0f);
  EXPECT_FLOAT_EQ(curve->ElementAt(1).y, 256.0f);
  EXPECT_FLOAT_EQ(pair.GetTimingCurve()->Evaluate(49.0f), 256.0f);
  pair.SetFrameCount(0);  // refused: the curve would have no range
  EXPECT_EQ(pair.GetFrameCount(), 50);
}

TEST(ImageSlot, MidPointAndAlphaTransfer) {
  CImageSlot slot;
  CEditablePath* path = slot.GetShape();
  path->AppendPoint(CVector2(0, 0), nullptr);
  path->AppendPoint(CVector2(10, 0), nullptr);
  path->AppendPoint(CVector2(10, 10), nullptr);
  slot.InsertMidPoint(2);
  ASSERT_EQ(path->GetPointCount(), 4);
  EXPECT_FLOAT_EQ(path->NodeAt(0).point.x, 5.0f);
  EXPECT_FLOAT_EQ(path->NodeAt(0).point.y, 5.0f);
  slot.InsertMidPoint(7);  // no such node
  EXPECT_EQ(path->GetPointCount(), 4);
  EXPECT_EQ(AlphaTransferByte(255, 3), 255);
  EXPECT_EQ(AlphaTransferByte(0, 4), 255);
  EXPECT_EQ(AlphaTransferByte(128, 4), 63);
  EXPECT_EQ(AlphaTransferByte(77, 9), 77);
}
