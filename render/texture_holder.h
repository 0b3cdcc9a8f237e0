// CTextureHolder: a picture in the top-left part of a power-of-two texture,
// as a render target or as a managed texture with mip levels.
#pragma once

#include "compat/d3d9.h"

// A render target (one level, default pool) or a managed texture of six
// levels; null when the device refuses.
IDirect3DTexture9* CreateD3DTexture(IDirect3DDevice9* device, SIZE size, BOOL renderTarget);

class CTextureHolder {
 public:
  CTextureHolder() = default;
  ~CTextureHolder() { Release(); }
  CTextureHolder(const CTextureHolder&) = delete;
  CTextureHolder& operator=(const CTextureHolder&) = delete;

  IDirect3DTexture9* Create(IDirect3DDevice9* device, int left, int top, int right, int bottom, BOOL renderTarget);
  // picture-width x picture-height pixels 0xAARRGGBB, rows top-down; the
  // last column and row are repeated to the texture's edges, then the mip
  // levels are rebuilt.
  void Upload(const DWORD* pixels);
  void Release();

  int PictureWidth() const { return m_picture.right - m_picture.left; }
  int PictureHeight() const { return m_picture.bottom - m_picture.top; }
  // Picture size over texture size: the texture coordinates the picture fills.
  float ExtentU() const { return static_cast<float>(PictureWidth()) / static_cast<float>(m_textureWidth); }
  float ExtentV() const { return static_cast<float>(PictureHeight()) / static_cast<float>(m_textureHeight); }

  RECT m_picture = {0, 0, 0, 0};
  int m_textureWidth = 2;
  int m_textureHeight = 2;
  IDirect3DTexture9* m_texture = nullptr;
};

// Smallest power of two at least `extent`, and at least 2.
int TextureSide(int extent);
