// Fetches indexed vertices, transforms untransformed ones by world x view x
// projection, clips them (w > 0, then a guard band) and hands screen-space
// primitives to the rasteriser in submission order.
#pragma once

#include "compat/d3d9/pipeline.h"
#include "compat/d3d9/rasterizer.h"

namespace compat::d3d9 {

// Where each field of a flexible-vertex-format vertex lies.
struct VertexLayout {
  bool transformed = false;  // D3DFVF_XYZ: needs the transforms
  UINT size = 0;
  int diffuse = -1;
  int tex[kTexCoordSets] = {-1, -1};
};

// False for formats the device does not draw (no position, blend weights).
bool ParseFvf(DWORD fvf, VertexLayout& layout);

struct DrawInput {
  const uint8_t* vertices = nullptr;
  size_t vertexBytes = 0;  // from the stream offset to the buffer's end
  UINT stride = 0;
  VertexLayout layout;
  const uint8_t* indices = nullptr;
  size_t indexCount = 0;
  bool index32 = false;
  INT baseVertex = 0;
  UINT startIndex = 0;
  UINT primCount = 0;
  D3DPRIMITIVETYPE type = D3DPT_TRIANGLELIST;
  D3DMATRIX worldViewProjection{};
  D3DVIEWPORT9 viewport{};
  DWORD cullMode = D3DCULL_NONE;
};

// Primitives whose indices or vertices fall outside their buffers are skipped.
void ProcessPrimitives(const DrawInput& input, Rasterizer& rasterizer);

}  // namespace compat::d3d9
