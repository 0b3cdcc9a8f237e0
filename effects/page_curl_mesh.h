// CCurlMesh: the picture as a flat square page of 1000 x 1000 units that
// curls over a cylinder (or rolls up) beyond a line sweeping across it,
// whole, as two halves or as four quarters.
#pragma once

#include <vector>

#include "compat/d3d9.h"
#include "model/geometry/vector2.h"
#include "model/geometry/vector3.h"

struct CCurlVertex {
  CVector3 position;
  CVector3 normal;
  CVector2 texture;
};

struct CCurlTriangle {
  int index[3];
  int count;  // how many of the indices are set
};

class CCurlMesh {
 public:
  static constexpr int kModeCount = 5;  // whole, three ways of halves, quarters
  // Vertices a 16-bit index buffer reaches.
  static constexpr size_t kMaxVertices = 65536;

  CCurlMesh();
  ~CCurlMesh() { Release(); }
  CCurlMesh(const CCurlMesh&) = delete;
  CCurlMesh& operator=(const CCurlMesh&) = delete;

  // The page for one frame: curled beyond the line at `progress` (0 flat,
  // 1 wholly curled) seen at `angle` degrees, radius and tessellation band
  // in page units; a mode outside 0..4 leaves the mesh empty.
  void BuildPage(float radius, float progress, float angle, int mode, float band);
  // Sorts front first, then fills a new vertex buffer (FVF 0x112, texture
  // coordinates scaled by su, sv) and a 16-bit index buffer; the caller
  // releases both. 0 with both null when the mesh is empty, too large for
  // 16-bit indices, or a buffer cannot be created or locked.
  BOOL FillVertexBuffer(IDirect3DDevice9* device, IDirect3DVertexBuffer9** vertexBuffer,
                        IDirect3DIndexBuffer9** indexBuffer, float su, float sv);
  // Triangles whose normal points to +z first in their order, the others
  // after them in reverse order.
  void SortFrontBack();
  // Unit normal of (p1 - p0) x (p2 - p1); zero for a degenerate triangle.
  CVector3 TriangleNormal(const CCurlTriangle& triangle) const;
  void Release();

  std::vector<CCurlTriangle> m_triangles;
  std::vector<CCurlVertex> m_vertices;
  // Non-zero: a cylinder of constant radius with the part past half a turn
  // lying on its back; zero: the page rolls up in a tightening spiral.
  int m_cylinder = 0;
  CCurlVertex m_page[4];

 private:
  struct CurlParams;
  void CurlPolygon(const CCurlVertex* polygon, int count, const CurlParams& shape, float angle);
};
