// The fused output loop against the general stage and blend loops: the same
// random meshes and quads drawn once with states that take the fused loop and
// once with an equivalent stage program that does not, compared bit for bit.
#include <algorithm>
#include <random>

#include "device_fixture.h"

namespace {

struct Case {
  DWORD colourArg;  // D3DTA_DIFFUSE, D3DTA_TFACTOR or D3DTA_TEXTURE (texture alone)
  DWORD src, dst;
  BOOL blend;
  DWORD filter, mip;
  D3DFORMAT format;
  DWORD address;
};

class FusedOutput : public DeviceTest {
 protected:
  static constexpr UINT kW = 160, kH = 120;

  // A jittered grid of small triangles with texture coordinates reaching past
  // the texture's edges, and one large quad whose rows exceed eight pixels.
  static void Mesh(std::mt19937& rng, DWORD diffuse, bool gouraud, std::vector<QuadVertex>& v,
                   std::vector<WORD>& idx) {
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const int cols = 14, rows = 9;
    float su = 0.6f + 2.0f * unit(rng), sv = 0.6f + 2.0f * unit(rng), ou = unit(rng) - 0.5f, ov = unit(rng) - 0.5f;
    for (int r = 0; r <= rows; ++r)
      for (int c = 0; c <= cols; ++c) {
        float x = kW * c / float(cols) + (unit(rng) - 0.5f) * 7, y = kH * r / float(rows) + (unit(rng) - 0.5f) * 7;
        DWORD colour = gouraud ? static_cast<DWORD>(rng()) : diffuse;
        v.push_back({x - 0.5f, y - 0.5f, 0.9f, 1, colour, ou + su * x / kW, ov + sv * y / kH, 0, 0});
      }
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        WORD a = static_cast<WORD>(r * (cols + 1) + c), b = static_cast<WORD>(a + 1);
        WORD d = static_cast<WORD>(a + cols + 1), e = static_cast<WORD>(d + 1);
        idx.insert(idx.end(), {a, b, d, b, e, d});
      }
    WORD base = static_cast<WORD>(v.size());
    float x0 = 10 + 20 * unit(rng), y0 = 8 + 20 * unit(rng);
    v.push_back({x0, y0, 0.9f, 1, diffuse, 0.1f, 0.2f, 0, 0});
    v.push_back({x0 + 120, y0 + 5, 0.9f, 1, diffuse, 0.9f, 0.1f, 0, 0});
    v.push_back({x0 + 10, y0 + 80, 0.9f, 1, diffuse, 0.2f, 0.95f, 0, 0});
    idx.insert(idx.end(), {base, static_cast<WORD>(base + 1), static_cast<WORD>(base + 2)});
  }

  IDirect3DTexture9* Picture(std::mt19937& rng, D3DFORMAT format) {
    UINT w = 24 + rng() % 90, h = 20 + rng() % 70;
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(D3DXCreateTexture(device_, w, h, 0, 0, format, D3DPOOL_MANAGED, &t), D3D_OK);
    D3DSURFACE_DESC d;
    t->GetLevelDesc(0, &d);
    Upload(t, NoisePicture(d.Width, d.Height, static_cast<uint32_t>(rng())));
    D3DXFilterTexture(t, nullptr, 0, D3DX_FILTER_LINEAR);
    return t;
  }

  // Draws the case on a noisy background, through `view` if given; `fused`
  // picks equal stage programs that do or do not allow the fused loop (alpha
  // arguments swapped), unless `program` gives stage 0's six states.
  std::vector<uint32_t> Draw(const Case& c, IDirect3DTexture9* picture, IDirect3DTexture9* background,
                             const std::vector<QuadVertex>& v, const std::vector<WORD>& idx, float quadX,
                             float quadY, bool fused, const D3DVIEWPORT9* view = nullptr,
                             const DWORD* program = nullptr) {
    Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    Sampler(0, D3DTEXF_POINT);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
    device_->SetTexture(0, background);
    DrawQuad(0, 0, kW, kH);
    const D3DVIEWPORT9 whole{0, 0, kW, kH, 0.0f, 1.0f};
    if (view) device_->SetViewport(view);

    if (program) {
      Stage(0, program[0], program[1], program[2], program[3], program[4], program[5]);
    } else if (c.colourArg == D3DTA_TEXTURE) {
      DWORD op2 = fused ? D3DTOP_SELECTARG1 : D3DTOP_SELECTARG2;
      DWORD a1 = fused ? D3DTA_TEXTURE : D3DTA_DIFFUSE, a2 = fused ? D3DTA_DIFFUSE : D3DTA_TEXTURE;
      Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, op2, a1, a2);
    } else {
      DWORD a1 = fused ? D3DTA_TEXTURE : c.colourArg, a2 = fused ? c.colourArg : D3DTA_TEXTURE;
      Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, c.colourArg, D3DTOP_MODULATE, a1, a2);
    }
    // A later stage that only passes the colour on, as the renderer's pair draws set it.
    Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, c.blend);
    device_->SetRenderState(D3DRS_SRCBLEND, c.src);
    device_->SetRenderState(D3DRS_DESTBLEND, c.dst);
    Sampler(0, c.filter);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, c.mip);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSU, c.address);
    device_->SetSamplerState(0, D3DSAMP_ADDRESSV, c.address);
    device_->SetTexture(0, picture);
    DrawTriangles(v, idx);
    // The picture one to one (texels read in place), partly off the target.
    D3DSURFACE_DESC d;
    picture->GetLevelDesc(0, &d);
    DrawQuad(quadX, quadY, quadX + static_cast<float>(d.Width), quadY + static_cast<float>(d.Height), v[0].diffuse);
    device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device_->SetViewport(&whole);
    return ReadTarget();
  }

  std::vector<uint32_t> ReadTarget() {
    IDirect3DSurface9* s = nullptr;
    device_->GetRenderTarget(0, &s);
    std::vector<uint32_t> px = Read(s);
    s->Release();
    return px;
  }
};

TEST_F(FusedOutput, RandomMeshesMatchTheGeneralPathBitForBit) {
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* background = MakeTexture(kW, kH, NoisePicture(kW, kH, 77));
  const DWORD args[] = {D3DTA_DIFFUSE, D3DTA_TFACTOR, D3DTA_TEXTURE};
  const DWORD pairs[][2] = {{D3DBLEND_ONE, D3DBLEND_ZERO},
                            {D3DBLEND_ONE, D3DBLEND_ONE},
                            {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA}};
  std::mt19937 rng(2024);
  int drawn = 0;
  for (DWORD arg : args)
    for (const auto& pair : pairs)
      for (BOOL blend : {TRUE, FALSE}) {
        if (!blend && pair[0] != D3DBLEND_ONE) continue;
        for (int variant = 0; variant < 4; ++variant) {
          Case c{arg, pair[0], pair[1], blend,
                 variant % 2 ? DWORD{D3DTEXF_LINEAR} : DWORD{D3DTEXF_POINT},
                 variant / 2 ? DWORD{D3DTEXF_LINEAR} : DWORD{D3DTEXF_NONE},
                 rng() % 3 == 0 ? D3DFMT_X8R8G8B8 : D3DFMT_A8R8G8B8,
                 rng() % 2 ? DWORD{D3DTADDRESS_WRAP} : DWORD{D3DTADDRESS_CLAMP}};
          DWORD diffuse = rng() % 4 == 0 ? 0xFFFFFFFFu : static_cast<DWORD>(rng());
          device_->SetRenderState(D3DRS_TEXTUREFACTOR, rng() % 4 == 0 ? 0xFFFFFFFFu : static_cast<DWORD>(rng()));
          std::vector<QuadVertex> v;
          std::vector<WORD> idx;
          Mesh(rng, diffuse, variant == 3 && arg == D3DTA_DIFFUSE, v, idx);
          IDirect3DTexture9* picture = Picture(rng, c.format);
          float quadX = static_cast<float>(rng() % 140) - 20, quadY = static_cast<float>(rng() % 100) - 20;
          // Half the draws through a viewport whose right edge falls inside
          // groups of eight: nothing beyond it may change.
          const DWORD x = 3 + rng() % 9, y = 2 + rng() % 7, w = 117 + rng() % 30, h = 90 + rng() % 20;
          const D3DVIEWPORT9 view{x, y, w, h, 0.0f, 1.0f};
          const D3DVIEWPORT9* through = rng() % 2 ? &view : nullptr;
          std::vector<uint32_t> general = Draw(c, picture, background, v, idx, quadX, quadY, false, through);
          std::vector<uint32_t> fused = Draw(c, picture, background, v, idx, quadX, quadY, true, through);
          device_->SetTexture(0, nullptr);
          picture->Release();
          ASSERT_TRUE(general == fused) << "argument " << arg << ", blend " << pair[0] << "/" << pair[1]
                                        << (blend ? "" : " (off)") << ", variant " << variant;
          ++drawn;
        }
      }
  EXPECT_EQ(drawn, 3 * 7 * 4);
  device_->SetTexture(0, nullptr);
  background->Release();
  target->Release();
  rt->Release();
}

// Over blends of pictures whose alpha comes in runs: opaque, clear and mixed
// stretches of every length, so groups of eight pixels are wholly opaque,
// wholly clear or mixed, at every offset within a row run.
TEST_F(FusedOutput, OpaqueAndClearRunsMatchTheGeneralPath) {
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* background = MakeTexture(kW, kH, NoisePicture(kW, kH, 91));
  std::mt19937 rng(4711);
  for (int round = 0; round < 6; ++round) {
    const UINT w = 40 + rng() % 100, h = 30 + rng() % 80;
    std::vector<uint32_t> pixels = NoisePicture(w, h, static_cast<uint32_t>(rng()));
    for (size_t i = 0; i < pixels.size();) {
      const size_t run = std::min<size_t>(1 + rng() % 40, pixels.size() - i);
      const int kind = static_cast<int>(rng() % 3);  // opaque, clear, left as noise
      for (size_t k = i; k < i + run && kind < 2; ++k) pixels[k] = (pixels[k] & 0x00FFFFFF) | (kind == 0 ? 0xFF000000u : 0u);
      i += run;
    }
    IDirect3DTexture9* picture = MakeTexture(w, h, pixels);
    for (const DWORD src : {DWORD{D3DBLEND_SRCALPHA}, DWORD{D3DBLEND_ONE}})
      for (const DWORD filter : {DWORD{D3DTEXF_POINT}, DWORD{D3DTEXF_LINEAR}}) {
        const Case c{D3DTA_TEXTURE, src, D3DBLEND_INVSRCALPHA, TRUE, filter, D3DTEXF_NONE, D3DFMT_A8R8G8B8,
                     DWORD{D3DTADDRESS_CLAMP}};
        std::vector<QuadVertex> v;
        std::vector<WORD> idx;
        Mesh(rng, 0xFFFFFFFF, false, v, idx);
        const float quadX = static_cast<float>(rng() % 140) - 20, quadY = static_cast<float>(rng() % 100) - 20;
        std::vector<uint32_t> general = Draw(c, picture, background, v, idx, quadX, quadY, false);
        std::vector<uint32_t> fused = Draw(c, picture, background, v, idx, quadX, quadY, true);
        ASSERT_TRUE(general == fused) << "round " << round << ", source factor " << src << ", filter " << filter;
      }
    device_->SetTexture(0, nullptr);
    picture->Release();
  }
  background->Release();
  target->Release();
  rt->Release();
}

// Every pair of texel value and alpha blended over the target, against the
// blend's own formula: round(s * a / 255) + round(d * (255 - a) / 255).
TEST_F(FusedOutput, OverBlendsEveryValueAndAlphaExactly) {
  constexpr UINT kSide = 256;
  IDirect3DTexture9* rt = MakeRenderTexture(kSide, kSide);
  IDirect3DSurface9* target = Target(rt);
  std::vector<uint32_t> pixels(size_t{kSide} * kSide);
  for (UINT y = 0; y < kSide; ++y)
    for (UINT x = 0; x < kSide; ++x)
      pixels[size_t{y} * kSide + x] = x << 24 | (255 - y) << 16 | (y ^ 0x5A) << 8 | y;  // alpha x, colours from y
  IDirect3DTexture9* picture = MakeTexture(kSide, kSide, pixels);
  const std::vector<uint32_t> under = NoisePicture(kSide, kSide, 12);
  IDirect3DTexture9* background = MakeTexture(kSide, kSide, under);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  Sampler(0, D3DTEXF_POINT);
  device_->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device_->SetTexture(0, background);
  DrawQuad(0, 0, kSide, kSide);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
  device_->SetTexture(0, picture);
  DrawQuad(0, 0, kSide, kSide);
  const std::vector<uint32_t> px = Read(target);
  int wrong = 0;
  for (size_t i = 0; i < px.size(); ++i) {
    const uint32_t a = pixels[i] >> 24;
    uint32_t want = 0;
    for (int shift = 0; shift < 32; shift += 8)
      want |= (Mul((pixels[i] >> shift) & 255, a) + Mul((under[i] >> shift) & 255, 255 - a)) << shift;
    wrong += px[i] != want;
  }
  EXPECT_EQ(wrong, 0);
  device_->SetTexture(0, nullptr);
  picture->Release();
  background->Release();
  target->Release();
  rt->Release();
}

// A picture drawn one to one through a second texture (the compose and the
// mask and light passes): every pair of colour and alpha mixes of stage 1,
// with and without a diffuse constant on stage 0, against the stage formulas.
TEST_F(FusedOutput, SecondTextureMixesFollowTheStageFormulas) {
  constexpr UINT kSide = 40;
  IDirect3DTexture9* rt = MakeRenderTexture(kSide, kSide);
  IDirect3DSurface9* target = Target(rt);
  std::vector<uint32_t> first = NoisePicture(kSide, kSide, 5), second = NoisePicture(kSide, kSide, 6);
  IDirect3DTexture9* picture = MakeTexture(kSide, kSide, first);
  IDirect3DTexture9* mask = MakeTexture(kSide, kSide, second);
  struct Mix {
    DWORD op, arg1, arg2;
  };
  const Mix mixes[] = {{D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT},
                       {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT},
                       {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT},
                       {D3DTOP_MODULATE, D3DTA_CURRENT, D3DTA_TEXTURE}};
  auto mixed = [](int mix, uint32_t current, uint32_t texture, int shift) {
    uint32_t c = (current >> shift) & 255, t = (texture >> shift) & 255;
    return mix == 0 ? c : mix == 1 ? t : Mul(c, t);
  };
  device_->SetTexture(0, picture);
  device_->SetTexture(1, mask);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  for (DWORD diffuse : {0xFFFFFFFFu, 0x80C0407Fu})
    for (BOOL blend : {TRUE, FALSE})
      for (int colourMix = 0; colourMix < 4; ++colourMix)
        for (int alphaMix = 0; alphaMix < 4; ++alphaMix) {
          device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0x12345678, 1.0f, 0);
          Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
          const Mix& c = mixes[colourMix];
          const Mix& a = mixes[alphaMix];
          Stage(1, c.op, c.arg1, c.arg2, a.op, a.arg1, a.arg2);
          Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
          device_->SetRenderState(D3DRS_ALPHABLENDENABLE, blend);
          DrawQuad(0, 0, kSide, kSide, diffuse);
          std::vector<uint32_t> px = Read(target);
          for (size_t i = 0; i < px.size(); ++i) {
            uint32_t current = 0;
            for (int shift = 0; shift < 32; shift += 8)
              current |= Mul((first[i] >> shift) & 255, (diffuse >> shift) & 255) << shift;
            uint32_t want = 0;
            for (int shift = 0; shift < 24; shift += 8)
              want |= mixed(std::min(colourMix, 2), current, second[i], shift) << shift;
            want |= mixed(std::min(alphaMix, 2), current, second[i], 24) << 24;
            ASSERT_EQ(px[i], want) << "pixel " << i << ", colour mix " << colourMix << ", alpha mix " << alphaMix
                                   << ", diffuse " << std::hex << diffuse;
          }
        }
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetTexture(0, nullptr);
  device_->SetTexture(1, nullptr);
  picture->Release();
  mask->Release();
  target->Release();
  rt->Release();
}

// Colour and alpha that each select the texel, naming different arguments
// they ignore (the effects' straight picture pass), draw as the texel does:
// against the general path over meshes and a one-to-one quad under each
// blend. A selection of another argument in one group is not the texel.
TEST_F(FusedOutput, SelectionsNamingDifferentUnusedArgumentsDrawTheTexel) {
  IDirect3DTexture9* rt = MakeRenderTexture(kW, kH);
  IDirect3DSurface9* target = Target(rt);
  IDirect3DTexture9* background = MakeTexture(kW, kH, NoisePicture(kW, kH, 23));
  const DWORD pairs[][2] = {{D3DBLEND_ONE, D3DBLEND_ZERO},
                            {D3DBLEND_ONE, D3DBLEND_ONE},
                            {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA}};
  std::mt19937 rng(77);
  for (const auto& pair : pairs)
    for (DWORD filter : {DWORD{D3DTEXF_POINT}, DWORD{D3DTEXF_LINEAR}}) {
      const Case c{D3DTA_TEXTURE, pair[0], pair[1], TRUE, filter, D3DTEXF_NONE, D3DFMT_A8R8G8B8,
                   DWORD{D3DTADDRESS_CLAMP}};
      std::vector<QuadVertex> v;
      std::vector<WORD> idx;
      Mesh(rng, 0x80C0407F, false, v, idx);
      IDirect3DTexture9* picture = Picture(rng, c.format);
      const float quadX = static_cast<float>(rng() % 140) - 20, quadY = static_cast<float>(rng() % 100) - 20;
      const std::vector<uint32_t> general = Draw(c, picture, background, v, idx, quadX, quadY, false);
      device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x11223344);
      const DWORD program[] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TFACTOR,
                               D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT};
      std::vector<uint32_t> straight = Draw(c, picture, background, v, idx, quadX, quadY, true, nullptr, program);
      device_->SetTexture(0, nullptr);
      picture->Release();
      ASSERT_TRUE(general == straight) << "blend " << pair[0] << "/" << pair[1] << ", filter " << filter;
    }
  // Alpha selecting the diffuse colour, colour the texel.
  const std::vector<uint32_t> texels = NoisePicture(kW, kH, 24);
  IDirect3DTexture9* picture = MakeTexture(kW, kH, texels);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  device_->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  Sampler(0, D3DTEXF_POINT);
  device_->SetTexture(0, picture);
  DrawQuad(0, 0, kW, kH, 0x5A000000);
  const std::vector<uint32_t> px = ReadTarget();
  for (size_t i = 0; i < px.size(); ++i)
    ASSERT_EQ(px[i], (texels[i] & 0x00FFFFFF) | 0x5A000000u) << "pixel " << i;
  device_->SetTexture(0, nullptr);
  picture->Release();
  background->Release();
  target->Release();
  rt->Release();
}

}  // namespace
