// A renderer started on no window, with helpers to fill holders with
// pictures and read them back.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render/d3d_renderer.h"
#include "render/texture_holder.h"

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(renderer_.Init(nullptr), 0); }

  IDirect3DDevice9* Device() { return renderer_.m_device; }

  // A holder of w x h pixels made by pixel(x, y).
  template <class F>
  void MakePicture(CTextureHolder& holder, int w, int h, BOOL renderTarget, F pixel) {
    ASSERT_NE(holder.Create(Device(), 0, 0, w, h, renderTarget), nullptr);
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = pixel(x, y);
    if (!renderTarget) {
      holder.Upload(pixels.data());
      return;
    }
    // Render targets cannot be locked: fill a managed twin and copy it over.
    CTextureHolder twin;
    ASSERT_NE(twin.Create(Device(), 0, 0, w, h, FALSE), nullptr);
    twin.Upload(pixels.data());
    IDirect3DSurface9 *from = nullptr, *to = nullptr;
    twin.m_texture->GetSurfaceLevel(0, &from);
    holder.m_texture->GetSurfaceLevel(0, &to);
    ASSERT_EQ(Device()->StretchRect(from, nullptr, to, nullptr, D3DTEXF_NONE), D3D_OK);
    from->Release();
    to->Release();
  }

  // The picture rectangle of a holder's level 0, rows top-down.
  std::vector<DWORD> ReadPicture(CTextureHolder& holder) {
    std::vector<DWORD> out;
    IDirect3DSurface9* level = nullptr;
    if (FAILED(holder.m_texture->GetSurfaceLevel(0, &level))) return out;
    D3DSURFACE_DESC desc;
    level->GetDesc(&desc);
    IDirect3DSurface9* copy = nullptr;
    Device()->CreateOffscreenPlainSurface(desc.Width, desc.Height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy,
                                          nullptr);
    if (desc.Pool == D3DPOOL_DEFAULT) {
      Device()->GetRenderTargetData(level, copy);
    } else {
      D3DLOCKED_RECT from, to;
      level->LockRect(&from, nullptr, D3DLOCK_READONLY);
      copy->LockRect(&to, nullptr, 0);
      for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(static_cast<BYTE*>(to.pBits) + y * to.Pitch, static_cast<BYTE*>(from.pBits) + y * from.Pitch,
                    desc.Width * 4);
      copy->UnlockRect();
      level->UnlockRect();
    }
    D3DLOCKED_RECT locked;
    copy->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    for (int y = 0; y < holder.PictureHeight(); ++y) {
      const DWORD* row = reinterpret_cast<const DWORD*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
      out.insert(out.end(), row, row + holder.PictureWidth());
    }
    copy->UnlockRect();
    copy->Release();
    level->Release();
    return out;
  }

  CD3DRenderer renderer_;
};
