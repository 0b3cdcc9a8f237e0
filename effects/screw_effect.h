// "Screw": the picture twisted into a spiral that shrinks into its centre,
// drawn on a polar grid clipped to the picture and built once per Prepare.
#pragma once

#include <memory>
#include <vector>

#include "model/project/effect.h"
#include "model/mesh/render_mesh.h"
#include "render/shape_base.h"

class CScrewMesh : public CShapeBase {
 public:
  // Pictures wider or taller than ten times this get a coarser grid, so that
  // what lies inside the picture stays within 16-bit indices.
  static constexpr int kMaxDirections = 256;

  CScrewMesh(float width, float height, float u0, float u1, float v0, float v1)
      : m_width(width), m_height(height), m_u0(u0), m_u1(u1), m_v0(v0), m_v1(v1) {}

  // The polar grid (about one direction per ten pixels, three times as many
  // rings reaching twice the diagonal) clipped to the picture: only what lies
  // inside it is kept. 0 when the picture is empty or memory runs out.
  BOOL Create() override;
  // Poses the mesh for q = 1 - progress: at q = 0 the picture as built, at
  // q = 1 a point turned by four whole turns; the centre turns twice as far
  // as the corners.
  void Animate(float q);

  float m_width, m_height;
  float m_u0, m_u1, m_v0, m_v1;
  int m_directions = 0;
  int m_rings = 0;
  std::vector<int> m_indexMap;  // per vertex before compaction: its kept index, or -1
  int m_gridVertexCount = 0;    // vertices before compaction, clipped ones included
  std::vector<float> m_radiusFactors;
  std::vector<CRenderVertex> m_restVertices;
  float m_largestDistance = 0.0f;

 private:
  struct Workspace;
  void BuildGrid(Workspace& build) const;
  void ClipTriangle(Workspace& build, int a, int b, int c) const;
  BOOL Compact(const Workspace& build);
  void FinishVertices();
};

class CScrewEffect : public CEffect {
 public:
  static constexpr int kId = 5;

  int GetID() const override { return kId; }
  CString GetName() const override;
  // Draws nothing until a mesh has been prepared.
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  // Builds the mesh for the renderer's first working picture.
  void Prepare(IDirect3DDevice9* device) override;
  void Serialize(CArchive&) override {}

  // Builds the mesh for that holder's picture; none when it is null or empty.
  void PrepareFor(const CTextureHolder* holder);
  const CScrewMesh* GetMesh() const { return m_mesh.get(); }

 private:
  std::unique_ptr<CScrewMesh> m_mesh;
};
