// Separate alpha blending: worked pixels for a few factor pairs, and random
// meshes whose colour must equal a draw with the colour pair alone and whose
// alpha must equal a draw with the alpha pair alone, through the fused loop,
// the general loops and the per-channel fallback.
#include <algorithm>
#include <random>

#include "device_fixture.h"

namespace {

class SeparateAlpha : public DeviceTest {
 protected:
  static constexpr UINT kW = 160, kH = 120;

  void SeparateBlend(DWORD src, DWORD dst, DWORD srcAlpha, DWORD dstAlpha) {
    Blend(src, dst);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    device_->SetRenderState(D3DRS_SRCBLENDALPHA, srcAlpha);
    device_->SetRenderState(D3DRS_DESTBLENDALPHA, dstAlpha);
  }

  // Stage 0 reads the texture (times the texture factor when `modulate`);
  // `fused` picks the stage form the fused loop takes, else an equal one it
  // does not (alpha arguments swapped).
  void TextureStage(bool fused, bool modulate) {
    DWORD op = modulate ? D3DTOP_MODULATE : D3DTOP_SELECTARG1;
    DWORD other = modulate ? D3DTA_TFACTOR : D3DTA_DIFFUSE;
    if (fused) {
      Stage(0, op, D3DTA_TEXTURE, other, op, D3DTA_TEXTURE, other);
    } else {
      Stage(0, op, D3DTA_TEXTURE, other, modulate ? op : D3DTOP_SELECTARG2, other, D3DTA_TEXTURE);
    }
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  }

  // A solid source over a solid target, one pixel read back.
  uint32_t Over(uint32_t source, uint32_t target, bool fused) {
    IDirect3DTexture9* t = MakeTexture(4, 4, std::vector<uint32_t>(16, source));
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, target, 1.0f, 0);
    TextureStage(fused, false);
    Sampler(0, D3DTEXF_POINT);
    device_->SetTexture(0, t);
    DrawQuad(0, 0, kBackWidth, kBackHeight);
    device_->SetTexture(0, nullptr);
    t->Release();
    return ReadBackBuffer()[static_cast<size_t>(kBackWidth) * 5 + 7];
  }

  // A jittered grid of small triangles and one large one, texture coordinates
  // past the edges: runs of every length.
  static void Mesh(std::mt19937& rng, std::vector<QuadVertex>& v, std::vector<WORD>& idx, bool overlap) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const int cols = 13, rows = 8;
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= cols; ++c) {
        float x = kW * c / float(cols) + (unit(rng) - 0.5f) * 7, y = kH * r / float(rows) + (unit(rng) - 0.5f) * 7;
        v.push_back({x - 0.5f, y - 0.5f, 0.9f, 1, 0xFFFFFFFF, 1.3f * x / kW - 0.1f, 1.2f * y / kH - 0.1f, 0, 0});
      }
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        WORD a = static_cast<WORD>(r * (cols + 1) + c), b = static_cast<WORD>(a + 1);
        WORD d = static_cast<WORD>(a + cols + 1), e = static_cast<WORD>(d + 1);
        idx.insert(idx.end(), {a, b, d, b, e, d});
      }
    if (!overlap) return;
    WORD base = static_cast<WORD>(v.size());
    v.push_back({5, 4, 0.9f, 1, 0xFFFFFFFF, 0.1f, 0.2f, 0, 0});
    v.push_back({150, 9, 0.9f, 1, 0xFFFFFFFF, 0.9f, 0.1f, 0, 0});
    v.push_back({20, 110, 0.9f, 1, 0xFFFFFFFF, 0.2f, 0.95f, 0, 0});
    idx.insert(idx.end(), {base, static_cast<WORD>(base + 1), static_cast<WORD>(base + 2)});
  }

  // The mesh over a noisy background (alpha noisy too) with the current
  // blend, and with `overlap` a quad over it.
  std::vector<uint32_t> DrawOver(IDirect3DTexture9* picture, IDirect3DTexture9* background,
                                 const std::vector<QuadVertex>& v, const std::vector<WORD>& idx, bool fused,
                                 bool modulate, bool overlap) {
    DWORD blend = 0, separate = 0;
    device_->GetRenderState(D3DRS_ALPHABLENDENABLE, &blend);
    device_->GetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, &separate);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    TextureStage(true, false);
    Sampler(0, D3DTEXF_POINT);
    device_->SetTexture(0, background);
    DrawQuad(0, 0, kW, kH);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, separate);
    TextureStage(fused, modulate);
    Sampler(0, D3DTEXF_LINEAR);
    device_->SetTexture(0, picture);
    DrawTriangles(v, idx);
    // One to one, partly off the target: texels read in place.
    if (overlap) DrawQuad(-9, 70, 55, 134);
    device_->SetTexture(0, nullptr);
    IDirect3DSurface9* s = nullptr;
    device_->GetRenderTarget(0, &s);
    std::vector<uint32_t> out = Read(s);
    s->Release();
    return out;
  }
};

TEST_F(SeparateAlpha, DefaultsAreOffWithOneAndZero) {
  DWORD value = 0;
  device_->GetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, &value);
  EXPECT_EQ(value, DWORD{FALSE});
  device_->GetRenderState(D3DRS_SRCBLENDALPHA, &value);
  EXPECT_EQ(value, DWORD{D3DBLEND_ONE});
  device_->GetRenderState(D3DRS_DESTBLENDALPHA, &value);
  EXPECT_EQ(value, DWORD{D3DBLEND_ZERO});
  device_->GetRenderState(D3DRS_BLENDOPALPHA, &value);
  EXPECT_EQ(value, DWORD{D3DBLENDOP_ADD});
}

// Source a=128 r=255 g=64 b=0 over target a=64 r=0 g=128 b=255, worked by hand
// with round(x * f / 255).
TEST_F(SeparateAlpha, WorkedPixelsForFactorPairs) {
  const uint32_t source = 0x80FF4000, target = 0x400080FF;
  struct Case {
    DWORD src, dst, srcAlpha, dstAlpha;
    uint32_t expected;
  };
  const Case cases[] = {
      // Colour over by alpha; alpha accumulates coverage (128 + 64 * 127 / 255).
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 0xA080607F},
      // Colour replaced, target alpha kept.
      {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ZERO, D3DBLEND_ONE, 0x40FF4000},
      // Target colour kept, alphas summed.
      {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_ONE, 0xC00080FF},
      // Saturating colour sum; alpha scaled by the target's (128 * 64 / 255).
      {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLEND_DESTALPHA, D3DBLEND_ZERO, 0x20FFC0FF},
      // The alpha factor of SRCALPHASAT is one: 128 + 64 * (255 - 128) / 255.
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHASAT, D3DBLEND_INVSRCALPHA, 0xA080607F},
  };
  for (bool fused : {true, false})
    for (const Case& c : cases) {
      SeparateBlend(c.src, c.dst, c.srcAlpha, c.dstAlpha);
      EXPECT_EQ(Over(source, target, fused), c.expected)
          << std::hex << c.src << "/" << c.dst << " alpha " << c.srcAlpha << "/" << c.dstAlpha << " fused " << fused;
    }
  // Switched off, the alpha factors are ignored: alpha 128 * 128 / 255 + 64 * 127 / 255.
  SeparateBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ZERO);
  device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  EXPECT_EQ(Over(source, target, true), 0x6080607Fu);
  EXPECT_EQ(Over(source, target, false), 0x6080607Fu);
  // Without blending the source is written as it is.
  SeparateBlend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ZERO, D3DBLEND_ONE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  EXPECT_EQ(Over(source, target, true), source);
  EXPECT_EQ(Over(source, target, false), source);
}

TEST_F(SeparateAlpha, ColourFollowsTheColourPairAndAlphaTheAlphaPair) {
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* background = MakeTexture(kW, kH, NoisePicture(kW, kH, 31));
  IDirect3DTexture9* picture = MakeTexture(64, 64, NoisePicture(64, 64, 5));
  // Mostly opaque, as pictures are, with clear and mixed stretches: groups of
  // eight texels wholly opaque and not.
  std::vector<uint32_t> solid = NoisePicture(64, 64, 6);
  for (size_t i = 0; i < solid.size(); ++i)
    if (i % 97 > 20) solid[i] |= 0xFF000000u;
  IDirect3DTexture9* opaque = MakeTexture(64, 64, solid);
  // The lane-mask factors first (SIMD loops), then some that go per channel.
  const DWORD simple[] = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA};
  const DWORD other[] = {D3DBLEND_DESTALPHA, D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHASAT, D3DBLEND_SRCCOLOR};
  std::mt19937 rng(99);
  int checked = 0;
  for (int round = 0; round < 40; ++round) {
    const auto pick = [&] { return round < 28 ? simple[rng() % 4] : (rng() % 2 ? other[rng() % 4] : simple[rng() % 4]); };
    DWORD src = pick(), dst = pick(), srcAlpha = pick(), dstAlpha = pick();
    if (round == 0) src = D3DBLEND_SRCALPHA, dst = D3DBLEND_INVSRCALPHA, srcAlpha = D3DBLEND_ONE,
                    dstAlpha = D3DBLEND_INVSRCALPHA;  // the morph's pair
    const bool fused = rng() % 2, modulate = rng() % 3 == 0;
    // A pixel blended twice reads the target alpha of the first blend, which
    // differs between the three draws: only factors that ignore it may overlap.
    bool overlap = true;
    for (DWORD f : {src, dst, srcAlpha, dstAlpha})
      overlap &= f != D3DBLEND_DESTALPHA && f != D3DBLEND_INVDESTALPHA && f != D3DBLEND_SRCALPHASAT;
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, static_cast<DWORD>(rng()));
    std::vector<QuadVertex> v;
    std::vector<WORD> idx;
    Mesh(rng, v, idx, overlap);

    IDirect3DTexture9* texels = round % 2 ? opaque : picture;
    SeparateBlend(src, dst, srcAlpha, dstAlpha);
    const std::vector<uint32_t> both = DrawOver(texels, background, v, idx, fused, modulate, overlap);
    device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
    const std::vector<uint32_t> colour = DrawOver(texels, background, v, idx, fused, modulate, overlap);
    Blend(srcAlpha, dstAlpha);
    const std::vector<uint32_t> alpha = DrawOver(texels, background, v, idx, fused, modulate, overlap);
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < both.size(); ++i)
      if (both[i] != ((colour[i] & 0x00FFFFFF) | (alpha[i] & 0xFF000000)) && wrong++ == 0) first = i;
    ASSERT_EQ(wrong, 0u) << "round " << round << ": " << src << "/" << dst << " alpha " << srcAlpha << "/"
                         << dstAlpha << (fused ? " fused" : " general") << (modulate ? " modulated" : "")
                         << ", first at " << first << std::hex << ": " << both[first] << " colour "
                         << colour[first] << " alpha " << alpha[first];
    ++checked;
  }
  EXPECT_EQ(checked, 40);
  device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  opaque->Release();
  picture->Release();
  background->Release();
  target->Release();
  rt->Release();
}

// Opaque texels under a constant, where the fused loop folds the constant
// into the source factor: constants with white colour (the morph's blend
// byte), colour factors of one and zero with any constant, and ones it cannot
// fold. Texels come in opaque runs of every length, so short runs and the
// groups at a run's end are wholly opaque, partly so, or not at all.
TEST_F(SeparateAlpha, OpaqueTexelsUnderAConstantMatchTheGeneralPath) {
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* background = MakeTexture(kW, kH, NoisePicture(kW, kH, 41));
  std::mt19937 rng(1234);
  std::vector<uint32_t> texels = NoisePicture(64, 64, 8);
  for (size_t i = 0; i < texels.size();) {
    const size_t run = std::min<size_t>(1 + rng() % 12, texels.size() - i);
    const bool opaque = rng() % 4 != 0;
    for (size_t k = i; k < i + run; ++k)
      if (opaque) texels[k] |= 0xFF000000u;
    i += run;
  }
  IDirect3DTexture9* picture = MakeTexture(64, 64, texels);
  const DWORD factors[] = {D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA};
  const DWORD alphas[] = {0, 1, 127, 128, 254, 255};
  for (int round = 0; round < 24; ++round) {
    DWORD src = D3DBLEND_SRCALPHA, dst = D3DBLEND_INVSRCALPHA, srcAlpha = D3DBLEND_ONE, dstAlpha = D3DBLEND_INVSRCALPHA;
    if (round >= 8) src = factors[rng() % 4], dst = factors[rng() % 4], srcAlpha = factors[rng() % 4],
                    dstAlpha = factors[rng() % 4];
    DWORD colour = 0x00FFFFFF;
    if (round % 3 == 1) colour = static_cast<DWORD>(rng()) & 0x00FFFFFF;
    if (round % 3 == 2) colour = 0x00FF00FF | (static_cast<DWORD>(rng()) & 0x0000FF00);  // one channel not white
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, alphas[round % 6] << 24 | colour);
    std::vector<QuadVertex> v;
    std::vector<WORD> idx;
    Mesh(rng, v, idx, true);
    SeparateBlend(src, dst, srcAlpha, dstAlpha);
    const std::vector<uint32_t> fused = DrawOver(picture, background, v, idx, true, true, true);
    const std::vector<uint32_t> general = DrawOver(picture, background, v, idx, false, true, true);
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < fused.size(); ++i)
      if (fused[i] != general[i] && wrong++ == 0) first = i;
    ASSERT_EQ(wrong, 0u) << "round " << round << ": " << src << "/" << dst << " alpha " << srcAlpha << "/"
                         << dstAlpha << ", first at " << first << std::hex << ": " << fused[first] << " against "
                         << general[first];
  }
  device_->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, FALSE);
  picture->Release();
  background->Release();
  target->Release();
  rt->Release();
}

}  // namespace
