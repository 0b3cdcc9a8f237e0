// "Fly": the effect, its parameter block and the mesh of moving pieces.
#include "effects/fly_effect.h"

#include <algorithm>
#include <cmath>

#include "compat/afx.h"

namespace {

CEffectRegistration<CFlyEffect> registration;

enum FlyStyle {
  kLeftToRight = 0,
  kRightToLeft = 1,
  kTopToBottom = 2,
  kBottomToTop = 3,
  kRightTopToLeftBottom = 4,
  kLeftBottomToRightTop = 5,
  kLeftTopToRightBottom = 6,
  kRightBottomToLeftTop = 7,
  kCentreToLeftRight = 8,
  kLeftRightCurtain = 9,
  kCentreToTopBottom = 10,
  kTopBottomCurtain = 11,
  kCentreToAround = 12,
};

// A stored word read as a signed value and held to [low, high].
int ClampWord(DWORD word, int low, int high) {
  return std::clamp(static_cast<int>(static_cast<int32_t>(word)), low, high);
}

}  // namespace

CString CFlyEffect::GetName() const { return CString(u"Fly"); }

void CFlyEffect::Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                        CTextureHolder* target, float progress) {
  if (!renderer || !device || !source || !target) return;
  CEffectTargetScope scope(device, target);
  if (!scope.IsReady()) return;
  const CEffectExtent extent = GetHolderExtent(*target);
  const float f = std::isnan(progress) ? 0.0f : std::clamp(progress, 0.0f, 1.0f);
  CFlyMesh mesh(extent);
  mesh.SetParams(m_style, 1.0f - f, m_stripCount);
  if (!mesh.Create()) return;
  SetStraightPictureStates(device);
  DrawCentredMesh(renderer, device, source, &mesh, extent);
}

void CFlyEffect::Serialize(CArchive& ar) {
  if (ar.IsStoring()) {
    ar << static_cast<DWORD>(m_style) << static_cast<DWORD>(m_stripCount);
    return;
  }
  DWORD style = 0, strips = 0;
  ar >> style >> strips;
  m_style = ClampWord(style, 0, kStyleCount - 1);
  m_stripCount = ClampWord(strips, kMinStrips, kMaxStrips);
}

void CFlyMesh::SetParams(int style, float p, int stripCount) {
  m_style = style;
  m_p = p;
  // The strip count divides the picture: never below two bands.
  m_stripCount = std::clamp(stripCount, CFlyEffect::kMinStrips, CFlyEffect::kMaxStrips);
}

int CFlyMesh::QuadCount() const {
  switch (m_style) {
    case kCentreToLeftRight:
    case kCentreToTopBottom: return 2;
    case kLeftRightCurtain:
    case kTopBottomCurtain: return m_stripCount;
    case kCentreToAround: return 4;
    default: return 1;
  }
}

void CFlyMesh::PutQuad(int quad, const Span& x, const Span& y) {
  CRenderVertex* v = m_vertices + 4 * quad;
  const CEffectExtent& e = m_extent;
  const float u0 = ExtentU(e.umin, e.umax, x.fracFrom), u1 = ExtentU(e.umin, e.umax, x.fracTo);
  const float v0 = ExtentV(e.vmin, e.vmax, y.fracFrom), v1 = ExtentV(e.vmin, e.vmax, y.fracTo);
  v[0] = CRenderVertex{x.from, y.from, u0, v0, 0xFFFFFFFF};
  v[1] = CRenderVertex{x.from, y.to, u0, v1, 0xFFFFFFFF};
  v[2] = CRenderVertex{x.to, y.to, u1, v1, 0xFFFFFFFF};
  v[3] = CRenderVertex{x.to, y.from, u1, v0, 0xFFFFFFFF};
  WORD* t = m_indices + 6 * quad;
  const WORD base = static_cast<WORD>(4 * quad);
  const WORD order[6] = {0, 1, 2, 2, 3, 0};
  for (int i = 0; i < 6; ++i) t[i] = static_cast<WORD>(base + order[i]);
}

BOOL CFlyMesh::Create() {
  const int quads = QuadCount();
  if (!Reserve(4 * quads, 2 * quads)) return 0;
  const float W = m_extent.width, H = m_extent.height;
  const float w = W * 0.5f, h = H * 0.5f;
  const float f = 1.0f - m_p;
  const float t = (1.0f - f) * 0.5f;

  // Ranges shared by the styles: the whole side, and the piece that is still
  // inside the frame when it leaves towards either end.
  const Span fullX{-w, w, 0.0f, 1.0f}, fullY{-h, h, 1.0f, 0.0f};
  const Span toRight{(0.5f - f) * W, w, 0.0f, f}, toLeft{-w, (f - 0.5f) * W, 1.0f - f, 1.0f};
  const Span toBottom{(0.5f - f) * H, h, 1.0f, 1.0f - f}, toTop{-h, (f - 0.5f) * H, f, 0.0f};
  // Halves that part from the centre line.
  const Span leftHalf{-w, (f - 1.0f) * w, t, 0.5f}, rightHalf{(1.0f - f) * w, w, 0.5f, (1.0f + f) * 0.5f};
  const Span topHalf{-h, (f - 1.0f) * h, 1.0f - t, 0.5f}, bottomHalf{(1.0f - f) * h, h, 0.5f, 0.5f - f * 0.5f};

  switch (m_style) {
    case kRightToLeft: PutQuad(0, toLeft, fullY); break;
    case kTopToBottom: PutQuad(0, fullX, toBottom); break;
    case kBottomToTop: PutQuad(0, fullX, toTop); break;
    case kRightTopToLeftBottom: PutQuad(0, toLeft, toBottom); break;
    case kLeftBottomToRightTop: PutQuad(0, toRight, toTop); break;
    case kLeftTopToRightBottom: PutQuad(0, toRight, toBottom); break;
    case kRightBottomToLeftTop: PutQuad(0, toLeft, toTop); break;
    case kCentreToLeftRight:
      PutQuad(0, leftHalf, fullY);
      PutQuad(1, rightHalf, fullY);
      break;
    case kCentreToTopBottom:
      PutQuad(0, fullX, topHalf);
      PutQuad(1, fullX, bottomHalf);
      break;
    case kCentreToAround:
      PutQuad(0, leftHalf, topHalf);
      PutQuad(1, rightHalf, topHalf);
      PutQuad(2, leftHalf, bottomHalf);
      PutQuad(3, rightHalf, bottomHalf);
      break;
    case kLeftRightCurtain:
    case kTopBottomCurtain: {
      const int n = m_stripCount;
      const bool bands = m_style == kLeftRightCurtain;
      const float step = (bands ? H : W) / static_cast<float>(n);
      const float half = bands ? h : w;
      for (int k = 0; k < n; ++k) {
        const float from = static_cast<float>(k) * step - half, to = static_cast<float>(k + 1) * step - half;
        const float a = static_cast<float>(k) / static_cast<float>(n);
        const float b = static_cast<float>(k + 1) / static_cast<float>(n);
        if (bands)
          PutQuad(k, k % 2 == 0 ? toRight : toLeft, Span{from, to, 1.0f - a, 1.0f - b});
        else
          PutQuad(k, Span{from, to, a, b}, k % 2 == 0 ? toBottom : toTop);
      }
      break;
    }
    default: PutQuad(0, toRight, fullY); break;
  }
  return 1;
}
