// "Tile": the picture cut into a square grid of tiles that turn in 3-D,
// row, column or diagonal one after the other, from edge-on to flat.
#pragma once

#include "compat/d3d9.h"
#include "model/project/effect.h"
#include "render/shape_base.h"

// The grid of tiles as a 3-D page mesh, 1000 x 1000 scene units, written
// straight into device buffers of FVF 0x112.
class CTileMesh : public CShapeBase {
 public:
  static constexpr int kTypeCount = 5;

  CTileMesh(int gridPoints, float umin, float umax, float vmin, float vmax)
      : m_columns(gridPoints), m_rows(gridPoints), m_umin(umin), m_umax(umax), m_vmin(vmin), m_vmax(vmax) {}

  // The tiles turned for `type` at progress P. Creates and fills the two
  // buffers (the caller releases them) and returns 1; returns 0 with both
  // null when one cannot be created or locked.
  BOOL Build(int type, float progress, IDirect3DDevice9* device, IDirect3DVertexBuffer9** vertexBuffer,
             IDirect3DIndexBuffer9** indexBuffer);

  // What the last Build wrote: tiles still edge-on or not yet started are
  // left out.
  int BuiltVertexCount() const { return m_builtVertices; }
  int BuiltTriangleCount() const { return m_builtTriangles; }

 private:
  int m_columns = 8;
  int m_rows = 8;
  float m_width = 1000.0f;
  float m_height = 1000.0f;
  float m_umin, m_umax, m_vmin, m_vmax;
  int m_builtVertices = 0;
  int m_builtTriangles = 0;
};

class CTileEffect : public CEffect {
 public:
  static constexpr int kId = 20;
  static constexpr DWORD kMinBlocks = 1, kMaxBlocks = 100;
  static constexpr DWORD kMaxType = 4;

  int GetID() const override { return kId; }
  CString GetName() const override;
  // Draws into the back buffer with its own camera, then copies the
  // picture's rectangle into the target.
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  // Tile type, then block count, two DWORDs; values out of range load clamped.
  void Serialize(CArchive& ar) override;

  int m_blockCount = 3;
  int m_tileType = 0;
};
