// What a built mesh hands to the renderer: 20-byte render vertices and 16-bit
// index triples, received by the renderer's shapes.
#pragma once

#include "compat/win32/types.h"

struct CRenderVertex {
  float x, y;  // position
  float u, v;  // texture coordinates
  DWORD diffuse;
};
static_assert(sizeof(CRenderVertex) == 20);

// The renderer's shapes take the arrays of a built mesh (allocated with
// new[]; the receiver owns them from then on).
class CMeshReceiver {
public:
  virtual ~CMeshReceiver() = default;
  virtual void SetMesh(CRenderVertex* vertices, int vertexCount, WORD* triangles, int triangleCount) = 0;
};
