// "Tile" (id 20): the turning tile grid, its frame and its block.
#include "effects/tile_effect.h"

#include <algorithm>
#include <cmath>

#include "compat/afx.h"
#include "effects/page_camera.h"
#include "render/effect_frame.h"
#include "render/texture_holder.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
constexpr int kVerticesPerTile = 4;
constexpr int kIndicesPerTile = 6;

template <class T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

// The tile's own time: rows, columns or diagonals start one after the
// other so that the last one still lies flat at P = 1.
float LocalTime(int type, float progress, int i, int j, int n) {
  const float nf = static_cast<float>(n);
  switch (type) {
    case 0:
    case 2: return (nf * 0.5f + 1.0f) * progress - static_cast<float>(j) * 0.5f;
    case 1:
    case 3: return (nf * 0.5f + 1.0f) * progress - static_cast<float>(i) * 0.5f;
    default: {
      const float twoC = 2.0f * static_cast<float>(n + 1);
      return ((twoC - 1.0f) / twoC + 1.0f) * progress - static_cast<float>(i + j) / twoC;
    }
  }
}

struct TileCell {
  float left, right, bottom, top;  // grid positions, shared with the neighbours
};

// Corners in the order (i, j), (i, j+1), (i+1, j+1), (i+1, j), turned by
// angle a; positions move, normals stay on the flat page's. Moving corners
// are measured from the grid lines so that a flat tile meets its
// neighbours exactly.
void TurnTile(int type, float a, const TileCell& cell, CPageVertex corner[4]) {
  const float s = std::sin(a), c = std::cos(a);
  const float cellW = cell.right - cell.left, cellH = cell.top - cell.bottom;
  if (type == 0 || type == 1) {
    // About the vertical centre line.
    const float in = (1.0f - s) * cellW * 0.5f, dz = c * cellW * 0.5f;
    corner[0].x = corner[1].x = cell.left + in;
    corner[0].z = corner[1].z = dz;
    corner[2].x = corner[3].x = cell.right - in;
    corner[2].z = corner[3].z = -dz;
  } else if (type == 2 || type == 3) {
    // About the horizontal centre line.
    const float in = (1.0f - s) * cellH * 0.5f, dz = c * cellH * 0.5f;
    corner[0].y = corner[3].y = cell.bottom + in;
    corner[0].z = corner[3].z = -dz;
    corner[1].y = corner[2].y = cell.top - in;
    corner[1].z = corner[2].z = dz;
  } else {
    // About the diagonal through (i, j+1) and (i+1, j), which stay put.
    const float in = (1.0f - s) * cellW * 0.5f, dz = c * cellW / std::sqrt(2.0f);
    corner[0].x = cell.left + in;
    corner[0].y = cell.bottom + in;
    corner[0].z = dz;
    corner[2].x = cell.right - in;
    corner[2].y = cell.top - in;
    corner[2].z = -dz;
  }
}

}  // namespace

BOOL CTileMesh::Build(int type, float progress, IDirect3DDevice9* device, IDirect3DVertexBuffer9** vertexBuffer,
                      IDirect3DIndexBuffer9** indexBuffer) {
  *vertexBuffer = nullptr;
  *indexBuffer = nullptr;
  m_builtVertices = m_builtTriangles = 0;
  const int n = m_columns - 1;
  // Four corners per tile must stay within 16-bit indices.
  if (!device || n < 1 || m_rows != m_columns || int64_t{n} * n * kVerticesPerTile > 65536) return 0;
  type = std::clamp(type, 0, kTypeCount - 1);
  const UINT tiles = static_cast<UINT>(n * n);

  CPageVertex* vertices = nullptr;
  WORD* indices = nullptr;
  if (FAILED(device->CreateVertexBuffer(tiles * kVerticesPerTile * sizeof(CPageVertex),
                                        D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, kPageVertexFvf, D3DPOOL_DEFAULT,
                                        vertexBuffer, nullptr)) ||
      FAILED(device->CreateIndexBuffer(tiles * kIndicesPerTile * sizeof(WORD), D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                       D3DFMT_INDEX16, D3DPOOL_DEFAULT, indexBuffer, nullptr)) ||
      FAILED((*vertexBuffer)->Lock(0, 0, reinterpret_cast<void**>(&vertices), 0))) {
    ReleaseAndClear(*vertexBuffer);
    ReleaseAndClear(*indexBuffer);
    return 0;
  }
  if (FAILED((*indexBuffer)->Lock(0, 0, reinterpret_cast<void**>(&indices), 0))) {
    (*vertexBuffer)->Unlock();
    ReleaseAndClear(*vertexBuffer);
    ReleaseAndClear(*indexBuffer);
    return 0;
  }

  for (int j = 0; j < n; ++j) {
    for (int i = 0; i < n; ++i) {
      // A tile still edge-on is left out as well: seen off the axis in
      // perspective it would show as a sliver while the frame must be empty.
      float t = LocalTime(type, progress, i, j, n);
      if (!(t > 0.0f)) continue;
      t = std::min(t, 1.0f);
      CPageVertex corner[4];
      const int grid[4][2] = {{i, j}, {i, j + 1}, {i + 1, j + 1}, {i + 1, j}};
      for (int k = 0; k < 4; ++k) {
        const float fi = static_cast<float>(grid[k][0]) / static_cast<float>(n);
        const float fj = static_cast<float>(grid[k][1]) / static_cast<float>(n);
        corner[k] = CPageVertex{-m_width * 0.5f + fi * m_width,
                                -m_height * 0.5f + fj * m_height,
                                0.0f, 0.0f, 0.0f, -1.0f,
                                m_umin + fi * (m_umax - m_umin),
                                m_vmin + (1.0f - fj) * (m_vmax - m_vmin)};
      }
      const TileCell cell{corner[0].x, corner[2].x, corner[0].y, corner[2].y};
      if (t < 1.0f) TurnTile(type, t * kQuarterTurn, cell, corner);
      const WORD first = static_cast<WORD>(m_builtVertices);
      std::copy(corner, corner + 4, vertices + m_builtVertices);
      const WORD tile[6] = {first, WORD(first + 1), WORD(first + 2), first, WORD(first + 2), WORD(first + 3)};
      std::copy(tile, tile + 6, indices + m_builtTriangles * 3);
      m_builtVertices += kVerticesPerTile;
      m_builtTriangles += 2;
    }
  }
  (*vertexBuffer)->Unlock();
  (*indexBuffer)->Unlock();
  return 1;
}

CString CTileEffect::GetName() const { return CString(u"Tile"); }

void CTileEffect::Render(CD3DRenderer*, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
                         float progress) {
  if (!device || !source || !target || !target->m_texture) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  SetPageCamera(device, 0.0005f * extent.width, -0.001f * extent.height);
  {
    CPageViewport view(device, *target);
    CTileMesh mesh(m_blockCount + 1, extent.umin, extent.umax, extent.vmin, extent.vmax);
    IDirect3DVertexBuffer9* vertices = nullptr;
    IDirect3DIndexBuffer9* indices = nullptr;
    // Without the mesh the back buffer holds nothing of this frame: neither
    // draw nor copy it over the target.
    if (!mesh.Build(m_tileType, progress, device, &vertices, &indices)) return;
    D3DMATERIAL9 material{};
    material.Diffuse = D3DCOLORVALUE{1.0f, 1.0f, 1.0f, 1.0f};
    material.Ambient = D3DCOLORVALUE{0.1f, 0.1f, 0.1f, 0.0f};
    material.Power = 3.5f;
    SetPageMeshStates(device, FALSE, material);
    DrawPageMesh(device, source->m_texture, vertices, indices, mesh.BuiltVertexCount(), mesh.BuiltTriangleCount());
    vertices->Release();
    indices->Release();
  }
  CopyBackBufferToHolder(device, target);
}

void CTileEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(m_tileType) << static_cast<DWORD>(m_blockCount);
    return;
  }
  DWORD type = 0, blocks = 0;
  ar >> type >> blocks;
  m_tileType = static_cast<int>(std::min(type, kMaxType));
  m_blockCount = static_cast<int>(std::clamp(blocks, kMinBlocks, kMaxBlocks));
}

namespace {
CEffectRegistration<CTileEffect> registration;
}  // namespace
