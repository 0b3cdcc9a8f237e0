// CShapeBase: a mesh the renderer draws — 20-byte vertices (x, y, u, v,
// diffuse) and 16-bit index triples — with the quad mesh of a whole picture.
#pragma once

#include "compat/win32/types.h"
#include "model/mesh/render_mesh.h"

struct CMatrix3;

class CShapeBase : public CMeshReceiver {
 public:
  CShapeBase() = default;
  ~CShapeBase() override;
  CShapeBase(const CShapeBase&) = delete;
  CShapeBase& operator=(const CShapeBase&) = delete;

  // x, y of every vertex through the matrix; u, v and colour are kept.
  virtual void Transform(const CMatrix3& matrix);
  // Builds a mesh that takes no parameters; returns 1.
  virtual BOOL Create() { return 1; }

  // Takes over arrays allocated with new[].
  void SetMesh(CRenderVertex* vertices, int vertexCount, WORD* triangles, int triangleCount) override;
  // Room for at least that many vertices and triangles; the arrays only grow
  // and the counts are set to the request. FALSE when memory runs out or the
  // vertex count exceeds what 16-bit indices reach.
  BOOL Reserve(int vertexCount, int triangleCount);

  CRenderVertex* m_vertices = nullptr;
  int m_vertexCount = 0;
  WORD* m_indices = nullptr;  // three per triangle
  int m_triangleCount = 0;
  int m_reserved = 0;

 private:
  int m_vertexCapacity = 0;
  int m_triangleCapacity = 0;
};

// One quad over the picture, centred on the origin, texture fractions
// running the picture's extent with v reversed.
class CColorMesh : public CShapeBase {
 public:
  CColorMesh(float width, float height, float umin, float umax, float vmin, float vmax)
      : m_width(width), m_height(height), m_umin(umin), m_umax(umax), m_vmin(vmin), m_vmax(vmax) {}
  BOOL Create() override;

 private:
  float m_width, m_height;
  float m_umin, m_umax, m_vmin, m_vmax;
};

// Texture coordinate of fraction f (v reversed) within an extent.
inline float ExtentU(float umin, float umax, float fu) { return umin + fu * (umax - umin); }
inline float ExtentV(float vmin, float vmax, float fv) { return vmin + (1.0f - fv) * (vmax - vmin); }
