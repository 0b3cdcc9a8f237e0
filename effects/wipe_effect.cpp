// "Wipe": mask loading, the threshold table, the per-frame mask alpha and the
// parameter block.
#include "effects/wipe_effect.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <new>
#include <set>
#include <string>

#include "compat/afx.h"
#include "compat/d3dx9.h"
#include "compat/win32.h"
#include "imaging/image_file.h"
#include "imaging/image_file_types.h"
#include "platform/program_folder.h"

namespace {

CEffectRegistration<CWipeEffect> registration;

constexpr double kEndTolerance = 0.00001;

// The frame rendering asks for the mask again every frame while it has none,
// so a broken picture would otherwise bring its message up each frame.
void ReportOnce(const CString& path, const char16_t* what) {
  static std::mutex lock;
  static std::set<std::u16string> reported;
  {
    std::lock_guard<std::mutex> guard(lock);
    if (!reported.insert(std::u16string(static_cast<LPCTSTR>(path))).second) return;
  }
  MessageBoxW(nullptr, path + what, nullptr, MB_OK);
}

BYTE AlphaOfEntry(int entry) {
  if (entry == CWipeEffect::kClearEntry) return 0;
  if (entry == CWipeEffect::kOpaqueEntry) return 255;
  return static_cast<BYTE>((entry * 255) >> 8);
}

}  // namespace

CWipeEffect::CWipeEffect() : m_maskPath(GetProgramFolder() + u"\\Wipe\\Wipe5.png") {}

CWipeEffect::~CWipeEffect() { ReleaseMask(); }

CString CWipeEffect::GetName() const { return CString(u"Wipe"); }

void CWipeEffect::ReleaseMask() {
  if (m_maskTexture) m_maskTexture->Release();
  m_maskTexture = nullptr;
}

void CWipeEffect::BuildThresholdTable(int table[256], double level, double edge, int reverse) {
  // Values from outside 0..1 (or not numbers) would make the integer casts
  // below undefined.
  edge = std::isnan(edge) ? 0.0 : std::clamp(edge, 0.0, 1.0);
  level = std::isnan(level) ? 1.0 : std::clamp(level, 0.0, 1.0);
  const int e = std::min(static_cast<int>(edge * 255.0 + 0.5), 255);
  const int h = static_cast<int>((e + 255) * level);
  const int high = std::min(h, 255);
  const int low = std::max(h - e, 0);
  const int range = high - low == 0 ? 1 : high - low;
  for (int k = 0; k < 256; ++k) {
    const int x = reverse ? 255 - k : k;
    if (x >= high)
      table[k] = kOpaqueEntry;
    else if (x < low)
      table[k] = kClearEntry;
    else
      table[k] = static_cast<int>((x - low) * 255.0 / range + 0.5);
  }
}

BOOL CWipeEffect::ReadMask() {
  CImageFile file;
  LONG width = 0, height = 0;
  if (!file.Open(m_maskPath) || !file.GetSize(&width, &height) || width <= 0 || height <= 0 ||
      width > kMaxMaskSide || height > kMaxMaskSide) {
    ReportOnce(m_maskPath, u"cound not read!");
    return FALSE;
  }
  const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<DWORD> pixels;
  std::vector<BYTE> levels;
  try {
    pixels.resize(count);
    levels.resize(count);
  } catch (const std::bad_alloc&) {
    ReportOnce(m_maskPath, u" cound not load!");
    return FALSE;
  }
  if (!file.ReadPixels(pixels.data(), width, height)) {
    ReportOnce(m_maskPath, u" cound not load!");
    return FALSE;
  }
  for (size_t i = 0; i < count; ++i) levels[i] = static_cast<BYTE>((pixels[i] >> 16) & 0xFF);
  m_maskLevels.swap(levels);
  m_maskWidth = width;
  m_maskHeight = height;
  file.Close();
  return TRUE;
}

void CWipeEffect::Prepare(IDirect3DDevice9* device) {
  ReleaseMask();
  if (m_maskPath.IsEmpty() || _waccess(m_maskPath, 0) != 0) return;
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
  int table[256];
  BuildThresholdTable(table, q, m_edge, m_reverse);
  BYTE alphaOf[256];
  for (int g = 0; g < 256; ++g) {
    if (std::fabs(q - 1.0) < kEndTolerance)
      alphaOf[g] = 0;
    else if (std::fabs(q) < kEndTolerance)
      alphaOf[g] = 255;
    else
      alphaOf[g] = AlphaOfEntry(table[g]);
  }

  D3DSURFACE_DESC desc;
  if (FAILED(m_maskTexture->GetLevelDesc(0, &desc))) return;
  D3DLOCKED_RECT locked;
  if (FAILED(m_maskTexture->LockRect(0, &locked, nullptr, 0))) return;
  // Rows by the lock's pitch, and never past the texture a driver may have
  // made larger or smaller than asked.
  const int columns = std::min(m_maskWidth, static_cast<int>(desc.Width));
  const int rows = std::min(m_maskHeight, static_cast<int>(desc.Height));
  for (int y = 0; y < rows; ++y) {
    BYTE* texel = static_cast<BYTE*>(locked.pBits) + static_cast<ptrdiff_t>(y) * locked.Pitch;
    const BYTE* level = m_maskLevels.data() + static_cast<size_t>(y) * m_maskWidth;
    for (int x = 0; x < columns; ++x) texel[4 * x + 3] = alphaOf[level[x]];
  }
  m_maskTexture->UnlockRect(0);
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
  ar >> edge >> reverse;
  const CString relocated = AppSubfolderPath(path, SUBFOLDER_WIPE);
  // A mask made from the old path must not outlive it.
  if (relocated != m_maskPath) ReleaseMask();
  m_maskPath = relocated;
  m_edge = std::isnan(edge) ? 0.2f : std::clamp(edge, 0.0f, 1.0f);
  m_reverse = reverse != 0 ? 1 : 0;
}
