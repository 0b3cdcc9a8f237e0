// "Fly": the picture slides out of its frame (or in) whole, in halves, in
// quarters or in curtain strips, never scaled.
#pragma once

#include "model/project/effect.h"
#include "render/effect_frame.h"
#include "render/shape_base.h"

class CFlyEffect : public CEffect {
 public:
  static constexpr int kId = 2;
  static constexpr int kStyleCount = 13;
  static constexpr int kMinStrips = 2;
  static constexpr int kMaxStrips = 2048;

  int GetID() const override { return kId; }
  CString GetName() const override;
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override;
  void Prepare(IDirect3DDevice9*) override {}
  // Style, then strip count, as two words; loaded values are held to the
  // ranges the settings offer.
  void Serialize(CArchive& ar) override;

  int m_style = 1;
  int m_stripCount = 120;
};

// The pieces of one "Fly" frame, centred on the picture.
class CFlyMesh : public CShapeBase {
 public:
  explicit CFlyMesh(const CEffectExtent& extent) : m_extent(extent) {}
  // p is the share of the way still to go: 1 - progress.
  void SetParams(int style, float p, int stripCount);
  BOOL Create() override;

 private:
  struct Span {
    float from, to;          // position, centred
    float fracFrom, fracTo;  // texture fraction at each end
  };
  void PutQuad(int quad, const Span& x, const Span& y);
  int QuadCount() const;

  int m_style = 8;
  int m_stripCount = CFlyEffect::kMinStrips;
  float m_p = 0.0f;
  CEffectExtent m_extent;
};
