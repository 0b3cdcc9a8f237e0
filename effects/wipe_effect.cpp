// "Wipe": mask loading, the threshold table, the per-frame mask alpha and the
// parameter block.
#include "effects/wipe_effect.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "compat/afx.h"
#include "compat/d3dx9.h"
#include "compat/win32.h"
#include "imaging/image_file_types.h"
#include "model/project/record_checks.h"
#include "model/raster/fill_render.h"
#include "platform/program_folder.h"
#include "render/pair_pictures.h"

namespace {

CEffectRegistration<CWipeEffect> registration;

}  // namespace

CWipeEffect::CWipeEffect() : m_maskPath(GetProgramFolder() + u"\\Wipe\\Wipe5.png") {}

CWipeEffect::~CWipeEffect() { ReleaseMask(); }

CString CWipeEffect::GetName() const { return CString(u"Wipe"); }

void CWipeEffect::ReleaseMask() {
  if (m_maskTexture) m_maskTexture->Release();
  m_maskTexture = nullptr;
}

BOOL CWipeEffect::ReadMask() {
  SIZE size{0, 0};
  std::unique_ptr<DWORD[]> pixels = ReadPicturePixels(m_maskPath, size);
  if (!pixels) return FALSE;
  const size_t count = static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy);
  std::vector<BYTE> levels(count);
  for (size_t i = 0; i < count; ++i) levels[i] = static_cast<BYTE>((pixels[i] >> 16) & 0xFF);
  m_maskLevels.swap(levels);
  m_maskWidth = size.cx;
  m_maskHeight = size.cy;
  return TRUE;
}

void CWipeEffect::Prepare(IDirect3DDevice9* device) {
  ReleaseMask();
  if (!PictureFileExists(m_maskPath)) return;
  if (GetImageFileType(m_maskPath) == IMAGE_FILE_UNKNOWN) return;
  if (!ReadMask() || !device) return;
  if (FAILED(D3DXCreateTexture(device, static_cast<UINT>(m_maskWidth), static_cast<UINT>(m_maskHeight), 1, 0,
                               D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_maskTexture)))
    m_maskTexture = nullptr;
}

void CWipeEffect::Render(CD3DRenderer*, IDirect3DDevice9*, CTextureHolder*, CTextureHolder*, float progress) {
  if (!m_maskTexture) return;
  const size_t count = static_cast<size_t>(m_maskWidth) * static_cast<size_t>(m_maskHeight);
  if (m_maskWidth <= 0 || m_maskHeight <= 0 || m_maskLevels.size() < count) return;
  const double q = 1.0 - (std::isnan(progress) ? 0.0 : std::clamp(static_cast<double>(progress), 0.0, 1.0));
  WriteThresholdAlpha(m_maskTexture, m_maskLevels.data(), m_maskWidth, m_maskHeight, q, m_edge, m_reverse);
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
