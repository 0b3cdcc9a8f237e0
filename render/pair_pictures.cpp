// Loading and updating a pair's transition, total-mask and light pictures.
#include "render/pair_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "compat/d3dx9.h"
#include "model/raster/fill_render.h"
#include "model/project/morph_pair.h"
#include "render/d3d_renderer.h"
#include "render/render_states.h"

namespace {

constexpr double kGreyMax = 255.0;
constexpr double kEndTolerance = 1e-5;
constexpr int kGreyLevels = 256;

void DeleteHolder(CTextureHolder*& holder) {
  delete holder;
  holder = nullptr;
}

// A one-level texture of exactly the picture's size (the passes stretch it
// whole, so it needs no power-of-two padding).
CTextureHolder* MakePictureHolder(IDirect3DDevice9* device, SIZE size, BOOL renderTarget) {
  IDirect3DTexture9* texture = nullptr;
  const HRESULT hr =
      renderTarget ? device->CreateTexture(size.cx, size.cy, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                           D3DPOOL_DEFAULT, &texture, nullptr)
                   : D3DXCreateTexture(device, size.cx, size.cy, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  if (FAILED(hr) || !texture) return nullptr;
  auto* holder = new CTextureHolder;
  holder->m_picture = RECT{0, 0, size.cx, size.cy};
  holder->m_textureWidth = size.cx;
  holder->m_textureHeight = size.cy;
  holder->m_texture = texture;
  return holder;
}

// Pixels of a picture the pair names, or null (silently for an empty path
// or a missing file; with the reader's message otherwise).
std::unique_ptr<DWORD[]> ReadPairPicture(const CString& path, SIZE& size) {
  if (!PictureFileExists(path)) return nullptr;
  return ReadPicturePixels(path, size);
}

// A managed picture texture filled from the pixels.
CTextureHolder* MakeLoadedHolder(IDirect3DDevice9* device, const DWORD* pixels, SIZE size) {
  CTextureHolder* holder = MakePictureHolder(device, size, FALSE);
  if (!holder) return nullptr;
  IDirect3DSurface9* level = nullptr;
  if (SUCCEEDED(holder->m_texture->GetSurfaceLevel(0, &level))) {
    const RECT whole{0, 0, size.cx, size.cy};
    D3DXLoadSurfaceFromMemory(level, nullptr, nullptr, pixels, D3DFMT_A8R8G8B8, static_cast<UINT>(size.cx) * 4,
                              nullptr, &whole, D3DX_FILTER_LINEAR, 0);
    level->Release();
  }
  return holder;
}

// Calls write(row, y) for each locked row of level 0 (width pixels each).
template <class F>
void ForEachRow(IDirect3DTexture9* texture, int height, F write) {
  D3DLOCKED_RECT locked;
  if (FAILED(texture->LockRect(0, &locked, nullptr, 0))) return;
  for (int y = 0; y < height; ++y)
    write(reinterpret_cast<DWORD*>(static_cast<BYTE*>(locked.pBits) + static_cast<size_t>(y) * locked.Pitch), y);
  texture->UnlockRect(0);
}

DWORD WithAlpha(DWORD pixel, DWORD alpha) { return (pixel & 0x00FFFFFF) | (alpha << 24); }

}  // namespace

void BuildThresholdTable(int table[256], double level, double edge, int reverse) {
  // Values outside 0..1, or not numbers, would make the integer casts below
  // undefined.
  edge = std::isnan(edge) ? 0.0 : std::clamp(edge, 0.0, 1.0);
  level = std::isnan(level) ? 1.0 : std::clamp(level, 0.0, 1.0);
  const int e = static_cast<int>(std::min(edge * kGreyMax + 0.5, kGreyMax));
  const int h = static_cast<int>((e + kGreyMax) * level);
  const int high = std::min(h, 255);
  const int low = std::max(h - e, 0);
  const int range = high - low == 0 ? 1 : high - low;
  for (int i = 0; i < kGreyLevels; ++i) {
    const int x = reverse ? 255 - i : i;
    if (x >= high)
      table[i] = kThresholdOpaque;
    else if (x >= low)
      table[i] = static_cast<int>((x - low) * kGreyMax / range + 0.5);
    else
      table[i] = kThresholdClear;
  }
}

void WriteThresholdAlpha(IDirect3DTexture9* texture, const BYTE* grey, int width, int height, double level,
                         double edge, int reverse) {
  if (!texture || !grey || width < 1 || height < 1) return;
  int table[kGreyLevels];
  BuildThresholdTable(table, level, edge, reverse);
  DWORD alphaOf[kGreyLevels];
  for (int g = 0; g < kGreyLevels; ++g) {
    if (std::fabs(level - 1.0) < kEndTolerance)
      alphaOf[g] = 0;
    else if (std::fabs(level) < kEndTolerance)
      alphaOf[g] = 255;
    else
      alphaOf[g] = table[g] == kThresholdClear ? 0 : table[g] == kThresholdOpaque ? 255 : (table[g] * 255) >> 8;
  }
  D3DSURFACE_DESC desc;
  if (FAILED(texture->GetLevelDesc(0, &desc))) return;
  const int columns = std::min(width, static_cast<int>(desc.Width));
  const int rows = std::min(height, static_cast<int>(desc.Height));
  // Only the alpha bytes carry the mask.
  ForEachRow(texture, rows, [&](DWORD* row, int y) {
    const BYTE* levels = grey + static_cast<size_t>(y) * width;
    for (int x = 0; x < columns; ++x) row[x] = WithAlpha(row[x], alphaOf[levels[x]]);
  });
}

void LoadTransitionPicture(CMorphPair* pair, IDirect3DDevice9* device) {
  CPairTransitionPicture* picture = pair->GetTransitionPicture();
  DeleteHolder(picture->texture);
  delete[] picture->grey;
  picture->grey = nullptr;
  picture->width = picture->height = 0;
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPairPicture(picture->path, size);
  if (!pixels || !device) return;
  const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
  picture->grey = new BYTE[count];
  for (size_t i = 0; i < count; ++i) picture->grey[i] = static_cast<BYTE>(pixels[i] >> 16);
  picture->width = size.cx;
  picture->height = size.cy;
  picture->texture = MakePictureHolder(device, size, FALSE);
}

void UpdateTransitionPicture(CMorphPair* pair, float t) {
  CPairTransitionPicture* picture = pair->GetTransitionPicture();
  if (!picture->texture) return;
  WriteThresholdAlpha(picture->texture->m_texture, picture->grey, picture->width, picture->height, 1.0 - t,
                      picture->edge, picture->reverse);
}

void LoadTotalMaskPicture(CMorphPair* pair, IDirect3DDevice9* device) {
  DeleteHolder(pair->m_totalMaskTexture);
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPairPicture(pair->m_totalMaskPath, size);
  if (!pixels || !device) return;
  pair->m_totalMaskTexture = MakeLoadedHolder(device, pixels.get(), size);
  if (!pair->m_totalMaskTexture) return;
  // A grey picture becomes an alpha mask: alpha := red.
  ForEachRow(pair->m_totalMaskTexture->m_texture, size.cy, [&](DWORD* row, int) {
    for (int x = 0; x < size.cx; ++x) row[x] = WithAlpha(row[x], (row[x] >> 16) & 0xFF);
  });
}

void LoadLightPicture(CMorphPair* pair, IDirect3DDevice9* device) {
  CPairLight* light = pair->GetLight();
  DeleteHolder(light->lightTexture);
  DeleteHolder(light->pictureTexture);
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPairPicture(light->path, size);
  if (!pixels || !device) return;
  light->pictureTexture = MakeLoadedHolder(device, pixels.get(), size);
  if (!light->pictureTexture) return;
  light->lightTexture = MakePictureHolder(device, size, TRUE);
}

void RenderLightTarget(CMorphPair* pair, IDirect3DDevice9* device) {
  CPairLight* light = pair->GetLight();
  CD3DMeshRenderer* renderer = GetRenderer();
  if (!device || !renderer || !light->lightTexture || !light->pictureTexture) return;
  CRenderTargetScope scope(device, light->lightTexture->m_texture, TRUE);
  if (!scope.IsReady()) return;
  const float strength = std::clamp(light->strength, 0.0f, 1.0f);
  const DWORD factor = static_cast<DWORD>(strength * 255.0f);
  const CStageSetup scaled = {D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_TFACTOR,
                              D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TFACTOR, 0};
  device->BeginScene();
  SetPassBasics(device);
  SetBlend(device, D3DBLEND_ONE, D3DBLEND_ZERO);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, factor * 0x01010101u);
  SetStage(device, 0, scaled);
  DisableSecondStage(device);
  SetPointSampler(device, 0);
  const CTextureHolder& picture = *light->pictureTexture;
  renderer->DrawTextureQuad(picture.m_texture, picture.m_picture, SIZE{picture.m_textureWidth, picture.m_textureHeight},
                            light->lightTexture->m_picture, 1.0f, 0xFFFFFFFF);
  device->EndScene();
  device->SetTexture(0, nullptr);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0);
}
