// The pair's mesh: the feature lines blended half-way plus the output's
// corners, triangulated once; both shapes share its topology.
#include <memory>

#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "model/mesh/triangle_mesh.h"

COwnedLines::~COwnedLines() {
  for (int i = 0; i < lines.GetSize(); ++i) delete lines[i];
}

void AppendOutputCorners(CFeatureLineArray& lines, SIZE output) {
  const float w = static_cast<float>(output.cx), h = static_cast<float>(output.cy);
  auto* corners = new CFeatureLine;
  for (CVector2 p : {CVector2(0, 0), CVector2(0, h), CVector2(w, h), CVector2(w, 0)}) corners->AddPoint(p);
  // Closed: the sweep needs the whole border to bound the mesh.
  corners->closed = 1;
  lines.Add(corners);
}

void CMorphPair::BuildMesh() {
  SIZE size;
  GetMorphProject()->GetOutputSize(size);
  COwnedLines source, target, mid;
  GetSourceLines()->GetTransformedLines(source.lines, 0, 0);
  GetTargetLines()->GetTransformedLines(target.lines, 0, 0);
  CLineSet midSet;
  midSet.Interpolate(*GetSourceLines(), *GetTargetLines(), 0.5f);
  midSet.GetTransformedLines(mid.lines, 0, 0);
  for (CFeatureLineArray* lines : {&source.lines, &target.lines, &mid.lines}) AppendOutputCorners(*lines, size);

  CTriangleMesh mesh;
  mesh.AddPoints(mid.lines);
  mesh.Triangulate();
  m_meshSources.RemoveAll();
  for (const CMeshVertexSource& s : mesh.Sources()) m_meshSources.Add(CLinePoint{s.line, s.point});

  CRendererLink* renderer = GetRendererLink();
  delete m_sourceShape;
  delete m_targetShape;
  m_sourceShape = m_targetShape = nullptr;
  if (renderer != nullptr) {
    const CRectF rect(0.0f, 0.0f, static_cast<float>(size.cx), static_cast<float>(size.cy));
    const struct {
      CMeshReceiver** shape;
      CTextureHolder* texture;
      const CFeatureLineArray* lines;
    } sides[2] = {{&m_sourceShape, m_source.m_texture, &source.lines}, {&m_targetShape, m_target.m_texture, &target.lines}};
    for (const auto& side : sides) {
      float u = 1.0f, v = 1.0f;
      if (side.texture != nullptr) renderer->GetTextureExtent(side.texture, &u, &v);
      *side.shape = renderer->CreateShape();
      mesh.BuildRenderMesh(mid.lines, *side.lines, *side.shape, rect, 0.0f, u, 0.0f, v);
    }
  }

  int crossing[4] = {-1, -1, -1, -1};
  const int folded = FindCrossingTriangles(mesh, source.lines, target.lines, crossing);
  CLinePoint ends[4] = {{-1, 0}, {-1, 0}, {-1, 0}, {-1, 0}};
  if (folded) {
    for (int k = 0; k < 4; ++k)
      if (crossing[k] >= 0 && crossing[k] < m_meshSources.GetSize()) ends[k] = m_meshSources[crossing[k]];
  }
  for (int k = 0; k < 4; ++k) GetSourceLines()->crossing[k] = GetTargetLines()->crossing[k] = ends[k];
  if (renderer != nullptr) renderer->SetCrossingEdges(crossing);
  if (!GetMorphProject()->IsBusy()) {
    if (CEditorLink* editor = GetEditorLink()) editor->ShowIntersect(folded);
  }
  m_meshDirty = FALSE;
}
