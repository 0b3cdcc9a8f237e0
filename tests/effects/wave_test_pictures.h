// Pictures whose pixels name their own place, and a renderer fixture that
// runs one effect over them, for the tests of the mesh effects.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "compat/afx.h"
#include "model/project/effect.h"
#include "render/render_fixture.h"

namespace wave_test {

constexpr int kSide = 124;  // 31 grid steps of 4 pixels

// Red is the column, green the row; alpha varies too, so that a pass which
// lost the texture's alpha shows.
inline DWORD Coded(int x, int y) {
  return (static_cast<DWORD>(0x80 + (x + y) % 0x7F) << 24) | (static_cast<DWORD>(x & 0xFF) << 16) |
         (static_cast<DWORD>(y & 0xFF) << 8) | 0x40;
}
inline float CodedX(DWORD pixel) { return static_cast<float>((pixel >> 16) & 0xFF); }
inline float CodedY(DWORD pixel) { return static_cast<float>((pixel >> 8) & 0xFF); }

inline int ChannelDistance(DWORD a, DWORD b) {
  int most = 0;
  for (int shift = 0; shift < 32; shift += 8)
    most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
  return most;
}

// A stored block, as bytes.
inline std::vector<BYTE> StoreBlock(CEffect& effect) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    effect.Serialize(ar);
  }
  std::vector<BYTE> bytes(file.GetLength());
  file.SeekToBegin();
  if (!bytes.empty()) file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

// Loads a block followed by a marker; true when the effect read exactly
// the block, leaving the marker next.
inline bool LoadBlock(CEffect& effect, std::vector<BYTE> bytes) {
  constexpr DWORD kMarker = 0xA5C3E1F0;
  for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(kMarker >> shift));
  CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
  CArchive ar(&file, CArchive::load);
  effect.Serialize(ar);
  DWORD next = 0;
  ar >> next;
  return next == kMarker;
}

// Raw little-endian words of floats.
inline std::vector<BYTE> FloatBlock(std::initializer_list<float> values) {
  std::vector<BYTE> bytes;
  for (float value : values) {
    DWORD bits;
    std::memcpy(&bits, &value, 4);
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<BYTE>(bits >> shift));
  }
  return bytes;
}

class EffectPictureTest : public RendererTest {
 protected:
  // The effect drawn from the coded picture at one progress, as pixels.
  std::vector<DWORD> RenderCoded(CEffect& effect, float progress, int width = kSide, int height = kSide) {
    CTextureHolder source, target;
    MakePicture(source, width, height, TRUE, Coded);
    target.Create(Device(), 0, 0, width, height, TRUE);
    effect.Render(&renderer_, Device(), &source, &target, progress);
    return ReadPicture(target);
  }

  // Pixels that differ from the coded picture by more than the filtering
  // can explain.
  static int CountChanged(const std::vector<DWORD>& got, int width, int height, int tolerance = 2) {
    int changed = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        changed += ChannelDistance(got[static_cast<size_t>(y) * width + x], Coded(x, y)) > tolerance;
    return changed;
  }

  // Leaves states behind as another pass might: tinted, mip-mapped,
  // wrapping, culling one winding.
  void DirtyDeviceStates() {
    Device()->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    Device()->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    Device()->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF204080);
    Device()->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    Device()->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    Device()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    Device()->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    Device()->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  }
};

}  // namespace wave_test
