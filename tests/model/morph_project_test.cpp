// The project: defaults, New, the pair list operations and the settings
// that reach every pair.
#include "model/project/morph_project.h"

#include <gtest/gtest.h>

#include "model/project/morph_pair.h"
#include "model/project/no_effect.h"
#include "model/mesh/render_mesh.h"
#include "model/project/undo_history.h"
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

namespace {

class CountingShape : public CMeshReceiver {
 public:
  ~CountingShape() override {
    delete[] vertices;
    delete[] triangles;
  }
  void SetMesh(CRenderVertex* v, int vc, WORD* t, int tc) override {
    vertices = v;
    vertexCount = vc;
    triangles = t;
    triangleCount = tc;
  }
  CRenderVertex* vertices = nullptr;
  WORD* triangles = nullptr;
  int vertexCount = 0;
  int triangleCount = 0;
};

// A renderer that hands out counting shapes and remembers the crossings.
class ShapeRenderer : public NullRendererLink {
 public:
  void RenderFrame(CMorphPair* pair) override {
    ++frames;
    if (pair->IsMeshDirty()) pair->BuildMesh();
  }
  CMeshReceiver* CreateShape() override { return new CountingShape; }
  void SetCrossingEdges(const int vertices[4]) override { std::copy(vertices, vertices + 4, crossing); }
  int frames = 0;
  int crossing[4] = {0, 0, 0, 0};
};

void AddTwin(CMorphPair& pair, std::initializer_list<CVector2> source, std::initializer_list<CVector2> target) {
  AddLine(*pair.GetSourceLines(), source);
  AddLine(*pair.GetTargetLines(), target);
}

}  // namespace

TEST(PairMesh, MidLinesAndCornersMakeBothShapes) {
  ShapeRenderer renderer;
  CountingEditorLink editor;
  CMorphPair pair;
  // Pane points at zoom 0.5: (50, 50) and (150, 50) in the output.
  AddTwin(pair, {{25, 25}, {75, 25}}, {{25, 35}, {75, 35}});
  RenderPair(&pair);
  EXPECT_EQ(renderer.frames, 1);
  EXPECT_FALSE(pair.IsMeshDirty());
  auto* source = static_cast<CountingShape*>(pair.m_sourceShape);
  auto* target = static_cast<CountingShape*>(pair.m_targetShape);
  ASSERT_NE(source, nullptr);
  ASSERT_EQ(source->vertexCount, 6);
  EXPECT_EQ(target->vertexCount, 6);
  EXPECT_EQ(source->triangleCount, target->triangleCount);
  EXPECT_GE(source->triangleCount, 4);
  ASSERT_EQ(pair.m_meshSources.GetSize(), 6);
  for (int v = 0; v < 6; ++v) {
    const CLinePoint s = pair.m_meshSources[v];
    if (s.line != 0) continue;
    // The geometry is the blend, the texture each side's own point.
    EXPECT_FLOAT_EQ(source->vertices[v].y, 60.0f);
    EXPECT_FLOAT_EQ(source->vertices[v].v, 50.0f / 256.0f);
    EXPECT_FLOAT_EQ(target->vertices[v].v, 70.0f / 256.0f);
  }
  EXPECT_EQ(editor.intersect, 0);
  EXPECT_EQ(renderer.crossing[0], -1);
}

TEST(PairMesh, PointsPassingThroughEachOtherAreReported) {
  ShapeRenderer renderer;
  CountingEditorLink editor;
  CMorphPair pair;
  AddTwin(pair, {{20, 20}, {100, 100}}, {{100, 100}, {20, 20}});
  AddTwin(pair, {{100, 20}}, {{100, 20}});
  AddTwin(pair, {{20, 100}}, {{20, 100}});
  pair.BuildMesh();
  EXPECT_EQ(editor.intersect, 1);
  EXPECT_NE(renderer.crossing[0], -1);
  EXPECT_GE(pair.GetSourceLines()->crossing[0].line, 0);
}

TEST(Direct3DFailure, EndsTheProgramWithAFailureCode) {
  EXPECT_EXIT(EndAfterDirect3DFailure(), ::testing::ExitedWithCode(kDirect3DFailureExitCode), "");
}

TEST(ImageSlot, ZoomScalesLinesAndTheScrolledOutline) {
  CImageSlot slot;
  slot.GetShape()->AppendPoint(CVector2(10, 0), nullptr);
  slot.SetOrigin(POINT{10, 0});  // scrolled: the node shows at 0
  AddLine(*slot.GetLines(), {{5, 5}});
  slot.SetZoom(1.0f);
  EXPECT_FLOAT_EQ(slot.GetShape()->NodeAt(0).point.x, 10.0f);
  EXPECT_FLOAT_EQ(slot.GetLines()->PointAt(0, 0)->x, 10.0f);
  EXPECT_FLOAT_EQ(slot.GetLines()->GetScale(), 1.0f);
  slot.SetZoom(0.0f);  // would lose every point for good
  EXPECT_FLOAT_EQ(slot.GetZoom(), 1.0f);
  SIZE shown;
  slot.GetDisplaySize(shown);
  EXPECT_EQ(shown.cx, 0);  // no picture
}
