// CImageSlot: members, edits of zoom, origin and outline, copying, and the
// slot's archive records.
#include "model/project/image_slot.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "compat/afx/archive.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "model/project/record_checks.h"

namespace {

constexpr int kFigureToolMovePoint = 2;

bool IsUsableZoom(float z) { return std::isfinite(z) && z > 0.0f && z <= CImageSlot::kMaxZoom; }

void CheckSize(const SIZE& s) {
  if (s.cx < 0 || s.cy < 0 || s.cx > CImageSlot::kMaxLayoutSide || s.cy > CImageSlot::kMaxLayoutSide)
    AfxThrowArchiveException(CArchiveException::badIndex);
}

// Percentages as the colour dialog enters them.
constexpr float kAdjustLimit = 100.0f;

void ExchangeAdjust(CArchive& ar, CColorAdjust& a) {
  if (ar.IsStoring()) {
    ar << a.brightness << a.hue << a.saturation << a.contrast << a.flip << a.mirror;
    return;
  }
  ar >> a.brightness >> a.hue >> a.saturation >> a.contrast >> a.flip >> a.mirror;
  for (float* v : {&a.brightness, &a.hue, &a.saturation, &a.contrast})
    *v = std::clamp(CheckFinite(*v), -kAdjustLimit, kAdjustLimit);
  a.flip = NormalFlag(a.flip);
  a.mirror = NormalFlag(a.mirror);
}

POINT Negated(POINT p) { return POINT{-p.x, -p.y}; }

}  // namespace

CImageSlot::CImageSlot() {
  m_lines.SetScale(m_zoom);
  m_outline.SetState(kPathDrawing);
  m_outline.SetClosed(1);
}

CImageSlot::~CImageSlot() { ReleasePicture(); }

void CImageSlot::ReleasePicture() {
  if (m_texture != nullptr) {
    if (CRendererLink* renderer = GetRendererLink()) renderer->DeleteTexture(m_texture);
    m_texture = nullptr;
  }
  delete[] m_pixels;
  m_pixels = nullptr;
  m_pixelSize = SIZE{0, 0};
  delete[] m_display;
  m_display = nullptr;
  m_displaySize = SIZE{0, 0};
}

// --- edits ---

void CImageSlot::SetZoom(float zoom) {
  if (!IsUsableZoom(zoom)) return;
  const float ratio = zoom / m_zoom;
  m_zoom = zoom;
  m_lines.SetScale(zoom);
  m_outline.Translate(m_origin);
  m_outline.Scale(ratio);
  m_outline.Translate(Negated(m_origin));
  if (CEditorLink* editor = GetEditorLink()) editor->ShowZoom();
}

void CImageSlot::SetShape(const CEditablePath& outline) {
  m_outline = outline;
  UpdateMask();
}

void CImageSlot::SetFeather(int maskEdge) {
  m_maskEdge = maskEdge;
  UpdateMask();
}

void CImageSlot::SetOrigin(POINT p) {
  m_outline.Translate(POINT{m_origin.x - p.x, m_origin.y - p.y});
  m_origin = p;
}

void CImageSlot::GetDisplaySize(SIZE& out) const {
  out = SIZE{0, 0};
  if (!HasPicture()) return;
  const SIZE base = GetMorphProject()->GetEditMode() == kEditImageProcess ? m_pictureSize : m_layout;
  out.cx = static_cast<LONG>(std::lround(static_cast<float>(base.cx) * m_zoom));
  out.cy = static_cast<LONG>(std::lround(static_cast<float>(base.cy) * m_zoom));
}

void CImageSlot::InsertMidPoint(int i) {
  const int n = m_outline.GetPointCount();
  if (n < 1 || i < 0 || i >= n) return;
  const int j = (i + 1) % n;
  CVector2 mid = m_outline.NodeAt(i).point;
  mid += m_outline.NodeAt(j).point;
  mid *= 0.5f;
  m_outline.InsertPoint(j, mid, nullptr);
  UpdateMask();
}

void CImageSlot::Assign(const CImageSlot& other) {
  m_zoom = other.m_zoom;
  m_origin = other.m_origin;
  m_lines = other.m_lines;
  m_clip = other.m_clip;
  m_adjust = other.m_adjust;
}

void CImageSlot::SwapSettings(CImageSlot& other) {
  std::swap(m_zoom, other.m_zoom);
  std::swap(m_origin, other.m_origin);
  m_lines.SwapContents(other.m_lines);
  std::swap(m_clip, other.m_clip);
  std::swap(m_adjust, other.m_adjust);
}

// --- records ---

void CImageSlot::StoreOutline(CArchive& ar) {
  // The file holds the outline without the pane's scroll offset.
  m_outline.Translate(m_origin);
  try {
    m_outline.Serialize(ar);
  } catch (...) {
    m_outline.Translate(Negated(m_origin));
    throw;
  }
  m_outline.Translate(Negated(m_origin));
}

void CImageSlot::AfterLoad() {
  m_outline.SetState(kPathFinished);
  if (CEditorLink* editor = GetEditorLink()) editor->CheckFigureTool(kFigureToolMovePoint);
  m_origin = POINT{0, 0};
  ReleasePicture();
}

void CImageSlot::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ExchangeAdjust(ar, m_adjust);
    ar << m_zoom;
    m_lines.Serialize(ar);
    ar << m_recordedLayout << m_clip;
    ExchangeAdjust(ar, m_adjust);
    StoreOutline(ar);
    return;
  }
  ExchangeAdjust(ar, m_adjust);
  float zoom = 0.0f;
  ar >> zoom;
  if (!IsUsableZoom(zoom)) AfxThrowArchiveException(CArchiveException::badIndex);
  m_zoom = zoom;
  m_lines.Serialize(ar);
  SIZE layout;
  ar >> layout >> m_clip;
  CheckSize(layout);
  m_recordedLayout = layout;
  // The second copy is the one that stays.
  ExchangeAdjust(ar, m_adjust);
  m_outline.Serialize(ar);
  AfterLoad();
}

void CImageSlot::SerializeSnapshot(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_zoom;
    m_lines.Serialize(ar);
    ar << m_layout;
    StoreOutline(ar);
    return;
  }
  float zoom = 0.0f;
  ar >> zoom;
  if (!IsUsableZoom(zoom)) AfxThrowArchiveException(CArchiveException::badIndex);
  m_zoom = zoom;
  m_lines.Serialize(ar);
  // The outline comes back in the layout it was drawn for; the next load
  // lays it out for the output size in force then.
  SIZE layout;
  ar >> layout;
  CheckSize(layout);
  if (layout.cx > 0 && layout.cy > 0) m_layout = layout;
  m_outline.Serialize(ar);
  // As after a project load, the outline comes back unshifted.
  m_origin = POINT{0, 0};
}

void CImageSlot::KeepRestoredState(RestoredState& kept) {
  kept.zoom = m_zoom;
  kept.layout = m_layout;
  kept.origin = m_origin;
  kept.lines.SwapContents(m_lines);
  kept.outline = m_outline;
  kept.path = m_path;
  kept.clip = m_clip;
  kept.adjust = m_adjust;
}

void CImageSlot::PutBackRestoredState(RestoredState& kept) {
  m_zoom = kept.zoom;
  m_layout = kept.layout;
  m_origin = kept.origin;
  m_lines.SwapContents(kept.lines);
  m_outline = kept.outline;
  m_path = kept.path;
  m_clip = kept.clip;
  m_adjust = kept.adjust;
}

BOOL CImageSlot::SerializePicture(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << m_path << m_clip;
    ExchangeAdjust(ar, m_adjust);
    return FALSE;
  }
  CString path;
  RECT clip;
  CColorAdjust adjust;
  ar >> path >> clip;
  CheckPathText(path);
  ExchangeAdjust(ar, adjust);
  const BOOL changed = path != m_path || std::memcmp(&clip, &m_clip, sizeof clip) != 0 ||
                       std::memcmp(&adjust, &m_adjust, sizeof adjust) != 0;
  m_path = path;
  m_clip = clip;
  m_adjust = adjust;
  return changed;
}

BYTE AlphaTransferByte(BYTE value, int mode) {
  constexpr float kInverse255 = 0.003921569f;
  switch (mode) {
    case 1: return 0;
    case 2: return 255;
    case 3: return static_cast<BYTE>(static_cast<float>(value * value) * kInverse255);
    case 4: return static_cast<BYTE>(static_cast<float>((255 - value) * (255 - value)) * kInverse255);
    default: return value;
  }
}
