// "Wipe": mask loading, the threshold table, the per-frame mask alpha and the
// parameter block.
#include "effects/wipe_effect.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <new>
#include <string>

#include "compat/afx.h"
#include "compat/d3dx9.h"
#include "compat/win32.h"
#include "imaging/image_file_types.h"
#include "model/project/record_checks.h"
#include "model/raster/fill_render.h"
#include "platform/program_folder.h"
#include "render/pair_pictures.h"

struct CWipeMaskShare {
  CWipeMaskShare() = default;
  CWipeMaskShare(const CWipeMaskShare&) = delete;
  CWipeMaskShare& operator=(const CWipeMaskShare&) = delete;
  ~CWipeMaskShare() {
    if (texture) texture->Release();
  }
  std::vector<BYTE> levels;  // red byte of each mask pixel, rows top-down
  int width = 0;
  int height = 0;
  IDirect3DDevice9* device = nullptr;
  IDirect3DTexture9* texture = nullptr;
};

namespace {

CEffectRegistration<CWipeEffect> registration;

// The masks in use by path. Every Prepare reads its picture again, so a
// picture changed on disk is seen as before; only equal levels are shared.
// Prepare runs on the user-interface thread and in the export's frames.
struct MaskShares {
  std::mutex lock;
  std::map<std::u16string, std::weak_ptr<CWipeMaskShare>> byPath;
};

MaskShares& Shares() {
  static MaskShares shares;
  return shares;
}

std::shared_ptr<CWipeMaskShare> MakeMask(std::vector<BYTE>&& levels, SIZE size, IDirect3DDevice9* device) {
  auto mask = std::make_shared<CWipeMaskShare>();
  mask->levels = std::move(levels);
  mask->width = size.cx;
  mask->height = size.cy;
  mask->device = device;
  if (device && FAILED(D3DXCreateTexture(device, static_cast<UINT>(size.cx), static_cast<UINT>(size.cy), 1, 0,
                                         D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &mask->texture)))
    mask->texture = nullptr;
  return mask;
}

// The mask of the picture at `path`, shared when one in use has the same
// levels on the same device; null when the picture cannot be read.
std::shared_ptr<CWipeMaskShare> ShareMask(const CString& path, IDirect3DDevice9* device) {
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPicturePixels(path, size);
  if (!pixels) return nullptr;
  const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
  std::vector<BYTE> levels(count);
  for (size_t i = 0; i < count; ++i) levels[i] = static_cast<BYTE>((pixels[i] >> 16) & 0xFF);
  pixels.reset();
  MaskShares& shares = Shares();
  std::lock_guard<std::mutex> hold(shares.lock);
  std::weak_ptr<CWipeMaskShare>& entry = shares.byPath[path.Native()];
  std::shared_ptr<CWipeMaskShare> mask = entry.lock();
  if (mask && mask->device == device && mask->width == size.cx && mask->height == size.cy && mask->levels == levels)
    return mask;
  mask = MakeMask(std::move(levels), size, device);
  entry = mask;
  return mask;
}

}  // namespace

CWipeEffect::CWipeEffect() : m_maskPath(GetProgramFolder() + u"\\Wipe\\Wipe5.png") {}

CWipeEffect::~CWipeEffect() { ReleaseMask(); }

CString CWipeEffect::GetName() const { return CString(u"Wipe"); }

void CWipeEffect::ReleaseMask() {
  m_mask.reset();
  m_maskTexture = nullptr;
}

void CWipeEffect::Prepare(IDirect3DDevice9* device) {
  ReleaseMask();
  if (!PictureFileExists(m_maskPath)) return;
  if (GetImageFileType(m_maskPath) == IMAGE_FILE_UNKNOWN) return;
  std::shared_ptr<CWipeMaskShare> mask = ShareMask(m_maskPath, device);
  if (!mask) return;
  m_maskWidth = mask->width;
  m_maskHeight = mask->height;
  m_maskTexture = mask->texture;
  m_mask = std::move(mask);
}

void CWipeEffect::Render(CD3DRenderer*, IDirect3DDevice9*, CTextureHolder*, CTextureHolder*, float progress) {
  if (!m_maskTexture) return;
  const size_t count = static_cast<size_t>(m_maskWidth) * static_cast<size_t>(m_maskHeight);
  if (!m_mask || m_maskWidth <= 0 || m_maskHeight <= 0 || m_mask->levels.size() < count) return;
  const double q = 1.0 - (std::isnan(progress) ? 0.0 : std::clamp(static_cast<double>(progress), 0.0, 1.0));
  WriteThresholdAlpha(m_maskTexture, m_mask->levels.data(), m_maskWidth, m_maskHeight, q, m_edge, m_reverse);
}

void CWipeEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_maskPath;
    ar << m_edge << static_cast<int32_t>(m_reverse);
    return;
  }
  CString path;
  float edge = 0.0f;
  int32_t reverse = 0;
  ar >> path;
  CheckPathText(path);
  ar >> edge >> reverse;
  const CString relocated = AppSubfolderPath(path, SUBFOLDER_WIPE);
  // A mask made from the old path must not outlive it.
  if (relocated != m_maskPath) ReleaseMask();
  m_maskPath = relocated;
  m_edge = std::isnan(edge) ? 0.2f : std::clamp(edge, 0.0f, 1.0f);
  m_reverse = reverse != 0 ? 1 : 0;
}
