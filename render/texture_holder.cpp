// Texture creation and picture upload.
#include "render/texture_holder.h"

#include <algorithm>
#include <cstring>

#include "compat/d3dx9.h"

namespace {
constexpr UINT kManagedLevels = 6;
constexpr int kMaxTextureSide = 1 << 14;
}  // namespace

IDirect3DTexture9* CreateD3DTexture(IDirect3DDevice9* device, SIZE size, BOOL renderTarget) {
  if (!device || size.cx < 1 || size.cy < 1) return nullptr;
  IDirect3DTexture9* texture = nullptr;
  HRESULT hr;
  if (renderTarget) {
    hr = device->CreateTexture(size.cx, size.cy, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &texture,
                               nullptr);
  } else {
    hr = D3DXCreateTexture(device, size.cx, size.cy, kManagedLevels, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  }
  return FAILED(hr) ? nullptr : texture;
}

int TextureSide(int extent) {
  int side = 2;
  while (side < extent && side < kMaxTextureSide) side *= 2;
  return side;
}

IDirect3DTexture9* CTextureHolder::Create(IDirect3DDevice9* device, int left, int top, int right, int bottom,
                                          BOOL renderTarget) {
  Release();
  m_picture = RECT{left, top, right, bottom};
  m_textureWidth = TextureSide(right - left);
  m_textureHeight = TextureSide(bottom - top);
  m_texture = CreateD3DTexture(device, SIZE{m_textureWidth, m_textureHeight}, renderTarget);
  return m_texture;
}

void CTextureHolder::Upload(const DWORD* pixels) {
  if (!m_texture || !pixels) return;
  const int width = std::min(PictureWidth(), m_textureWidth);
  const int height = std::min(PictureHeight(), m_textureHeight);
  if (width < 1 || height < 1) return;
  D3DLOCKED_RECT locked;
  if (FAILED(m_texture->LockRect(0, &locked, nullptr, 0))) return;
  const int rowPixels = locked.Pitch / 4;
  BYTE* base = static_cast<BYTE*>(locked.pBits);
  // The source rows are picture-width pixels apart even when the texture
  // could not hold the whole picture.
  const int sourcePitch = PictureWidth();
  for (int y = 0; y < height; ++y) {
    DWORD* row = reinterpret_cast<DWORD*>(base + static_cast<size_t>(y) * locked.Pitch);
    std::memcpy(row, pixels + static_cast<size_t>(y) * sourcePitch, static_cast<size_t>(width) * 4);
    std::fill(row + width, row + rowPixels, row[width - 1]);
  }
  const BYTE* lastRow = base + static_cast<size_t>(height - 1) * locked.Pitch;
  for (int y = height; y < m_textureHeight; ++y)
    std::memcpy(base + static_cast<size_t>(y) * locked.Pitch, lastRow, static_cast<size_t>(rowPixels) * 4);
  m_texture->UnlockRect(0);
  D3DXFilterTexture(m_texture, nullptr, 0, D3DX_FILTER_LINEAR);
}

void CTextureHolder::Release() {
  if (m_texture) m_texture->Release();
  m_texture = nullptr;
}
