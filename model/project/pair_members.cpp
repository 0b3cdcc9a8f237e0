// CMorphPair: construction, frames and timing curve, pictures, and the
// render lock that RenderPair takes.
#include "model/project/morph_pair.h"

#include "compat/win32.h"
#include "model/project/morph_project.h"
#include "model/project/no_effect.h"
#include "model/project/project_links.h"
#include "model/mesh/render_mesh.h"

namespace {

constexpr float kBlendMax = 256.0f;

// Created before main and kept to the end: the export's render thread and
// the user-interface thread both take it.
struct RenderLock {
  CRITICAL_SECTION section;
  RenderLock() { InitializeCriticalSection(&section); }
  ~RenderLock() { DeleteCriticalSection(&section); }
};

RenderLock& GetRenderLock() {
  static RenderLock lock;
  return lock;
}

const RenderLock& g_renderLockAtStart = GetRenderLock();

}  // namespace

CMorphPair::CMorphPair() {
  for (CLineSet* set : {GetSourceLines(), GetTargetLines()}) {
    set->SetOwnerPair(this);
    set->SetSelectionList(&m_selection);
  }
  m_inEffect = new CNoEffect;
  m_outEffect = new CNoEffect;
  SetDefaultTimingCurve();
}

void CMorphPair::SetDefaultTimingCurve() {
  const CVector2 keys[2] = {CVector2(0.0f, 0.0f), CVector2(static_cast<float>(m_frameCount - 1), kBlendMax)};
  m_curve.SetRangeValues(0.0f, static_cast<float>(m_frameCount - 1), 0.0f, kBlendMax);
  m_curve.SetPoints(keys, 2);
}

CMorphPair::~CMorphPair() {
  delete m_inEffect;
  delete m_outEffect;
  delete m_sourceShape;
  delete m_targetShape;
  CRendererLink* renderer = GetRendererLink();
  for (CTextureHolder* texture : {m_pairTexture, m_totalMaskTexture, m_transition.texture, m_light.lightTexture,
                                  m_light.pictureTexture}) {
    if (texture != nullptr && renderer != nullptr) renderer->DeleteTexture(texture);
  }
  delete[] m_transition.grey;
}

// --- frames and timing ---

void CMorphPair::SetFrameCount(int n) {
  if (n < 1 || n > kMaxFrames) return;
  m_frameCount = n;
  m_curve.SetRange(0.0f, static_cast<float>(n - 1), 0.0f, kBlendMax);
  m_curve.RebuildTable();
}

void CMorphPair::SetCurrentFrame(int f) {
  // Compared as unsigned, so a negative frame lands on the last one too.
  m_currentFrame = static_cast<unsigned>(f) >= static_cast<unsigned>(m_frameCount) ? m_frameCount - 1 : f;
}

void CMorphPair::SetTimingCurve(const CCurveKeys& curve) { m_curve = curve; }

void CMorphPair::SetMaskEdge(int n) {
  m_maskEdge = n;
  m_source.SetFeather(n);
  m_target.SetFeather(n);
}

// --- pictures ---

// A picture that cannot be read changes nothing: the slot keeps its path
// and picture, so a save does not write a path to a file that is no picture.
BOOL CMorphPair::SetSourceImage(const CString& path) { return SetSlotImage(m_source, m_sourcePath, path); }
BOOL CMorphPair::SetTargetImage(const CString& path) { return SetSlotImage(m_target, m_targetPath, path); }

BOOL CMorphPair::SetSlotImage(CImageSlot& slot, CString& pairPath, const CString& path) {
  if (!ReadSlotImage(slot, pairPath, path)) return FALSE;
  RenderPair(this);
  return TRUE;
}

BOOL CMorphPair::ReadSlotImage(CImageSlot& slot, CString& pairPath, const CString& path) {
  const CString previous = slot.m_path;
  slot.m_path = path;
  if (!LoadImageSlot(&slot, this)) {
    slot.m_path = previous;
    return FALSE;
  }
  pairPath = path;
  m_meshDirty = TRUE;
  return TRUE;
}

// Draws nothing: every caller shows the current pair once all are read.
// Drawing here put each pair on the preview twice, and built its mesh
// twice, while a project opened.
BOOL CMorphPair::ReloadImages() {
  BOOL read = FALSE;
  if (!m_sourcePath.IsEmpty() && ReadSlotImage(m_source, m_sourcePath, CString(m_sourcePath))) read = TRUE;
  if (!m_targetPath.IsEmpty() && ReadSlotImage(m_target, m_targetPath, CString(m_targetPath))) read = TRUE;
  return read;
}

CMorphPair* CMorphPair::InitFromPair(CMorphPair* other) {
  m_source.Assign(other->m_target);
  m_target.Assign(other->m_target);
  m_targetPath = other->m_targetPath;
  m_sourcePath = m_targetPath;
  m_source.m_path = m_sourcePath;
  m_target.m_path = m_targetPath;
  LoadImageSlot(&m_source, this);
  LoadImageSlot(&m_target, this);
  return this;
}

void CMorphPair::RecreateTextures() {
  if (CRendererLink* renderer = GetRendererLink()) renderer->RecreateTextures(this);
}

void EnterRenderLock() { EnterCriticalSection(&GetRenderLock().section); }
void LeaveRenderLock() { LeaveCriticalSection(&GetRenderLock().section); }

BOOL RenderPair(CMorphPair* pair) {
  CRenderLockScope lock;
  CRendererLink* renderer = GetRendererLink();
  if (renderer != nullptr && !GetMorphProject()->IsBusy()) renderer->RenderFrame(pair);
  return TRUE;
}
