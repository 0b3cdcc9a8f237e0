// Texture stages, the null-texture rule, sampling of 1:1 copies and the
// frame-buffer blend, checked against values worked out by hand.
#include <random>

#include "compat/d3d9/pixel_ops.h"
#include "device_fixture.h"

namespace {

// A stage whose alpha differs from its colour merges the two runs: colour
// bytes from one, alpha bytes from the other, at every length (whole groups
// of eight and the rest) and in place over the colour run.
TEST(PixelRuns, MergedAlphaTakesEachPixelsBytesFromTheirRuns) {
  std::mt19937 rng(77);
  for (int n = 0; n <= 41; ++n) {
    std::vector<uint32_t> colour(n), alpha(n), out(n, 0xDEADBEEF);
    for (int i = 0; i < n; ++i) colour[i] = rng(), alpha[i] = rng();
    compat::d3d9::MergeAlphaRun(colour.data(), alpha.data(), out.data(), n);
    for (int i = 0; i < n; ++i)
      ASSERT_EQ(out[i], (colour[i] & 0x00FFFFFFu) | (alpha[i] & 0xFF000000u)) << n << " pixels, at " << i;
    std::vector<uint32_t> inPlace = colour;
    compat::d3d9::MergeAlphaRun(inPlace.data(), alpha.data(), inPlace.data(), n);
    EXPECT_EQ(inPlace, out) << n;
  }
}

class PixelPipeline : public DeviceTest {
 protected:
  // Draws a quad over the whole back buffer with one stage-0 texture of one colour.
  uint32_t Shade(uint32_t texel, DWORD diffuse) {
    IDirect3DTexture9* t = MakeTexture(4, 4, std::vector<uint32_t>(16, texel));
    device_->SetTexture(0, t);
    DrawQuad(0, 0, kBackWidth, kBackHeight, diffuse);
    device_->SetTexture(0, nullptr);
    t->Release();
    std::vector<uint32_t> px = ReadBackBuffer();
    for (uint32_t v : px) EXPECT_EQ(v, px[0]);
    return px[0];
  }
};

TEST_F(PixelPipeline, OneToOneQuadCopiesTextureBitExactly) {
  const UINT w = 37, h = 23;  // odd sizes: no power-of-two luck
  std::vector<uint32_t> picture = NoisePicture(w, h, 7);
  IDirect3DTexture9* t = MakeTexture(w, h, picture);
  IDirect3DTexture9* rt = MakeRenderTexture(w, h);
  IDirect3DSurface9* s = Target(rt);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  device_->SetTexture(0, t);
  for (DWORD filter : {D3DTEXF_POINT, D3DTEXF_LINEAR, D3DTEXF_ANISOTROPIC}) {
    for (DWORD op : {D3DTOP_SELECTARG1, D3DTOP_MODULATE}) {
      SCOPED_TRACE(testing::Message() << "filter " << filter << " op " << op);
      device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
      Sampler(0, filter);
      Stage(0, op, D3DTA_TEXTURE, D3DTA_DIFFUSE, op, D3DTA_TEXTURE, D3DTA_DIFFUSE);
      DrawQuad(0, 0, w, h);
      EXPECT_EQ(Read(s), picture);
    }
  }
  device_->SetTexture(0, nullptr);
  s->Release();
  rt->Release();
  t->Release();
}

TEST_F(PixelPipeline, PictureInTopLeftOfLargerTextureMapsOneToOne) {
  // The renderer's holders: a 50 x 30 picture in a 64 x 32 texture, drawn with umax < 1.
  std::vector<uint32_t> texture = NoisePicture(64, 32, 3);
  IDirect3DTexture9* t = MakeTexture(64, 32, texture);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  Sampler(0, D3DTEXF_LINEAR);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTexture(0, t);
  DrawQuad(0, 0, 50, 30, 0xFFFFFFFF, 50.0f / 64, 30.0f / 32);
  std::vector<uint32_t> px = ReadBackBuffer();
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 50; ++x) ASSERT_EQ(px[y * kBackWidth + x], texture[y * 64 + x]) << x << "," << y;
  EXPECT_EQ(px[30 * kBackWidth + 10], 0u);  // the row below the quad is untouched
  EXPECT_EQ(px[5 * kBackWidth + 50], 0u);
  device_->SetTexture(0, nullptr);
  t->Release();
}

TEST_F(PixelPipeline, StageOperationsAndArguments) {
  const uint32_t texel = 0x80FF4020, diffuse = 0xC0808080;
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x40204060);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  // MODULATE(TEXTURE, DIFFUSE) on both channels: a 0x80*0xC0, r 0xFF*0x80, g 0x40*0x80, b 0x20*0x80.
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_EQ(Shade(texel, diffuse), 0x60802010u);
  // The defaults of stage 0: colour MODULATE(TEXTURE, CURRENT = DIFFUSE), alpha SELECTARG1(TEXTURE).
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  EXPECT_EQ(Shade(texel, diffuse), 0x80802010u);
  // MODULATE(TEXTURE, TFACTOR): the light pass. r 0xFF*0x20, g 0x40*0x40 = 16.06, b 0x20*0x60 = 12.05.
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  EXPECT_EQ(Shade(texel, diffuse), 0xC020100Cu);
  // SELECTARG2 of TFACTOR for colour, SELECTARG1 of DIFFUSE for alpha.
  Stage(0, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  EXPECT_EQ(Shade(texel, diffuse), 0xC0204060u);
  // Stage 1 on the texture coordinates of stage 0: colour = CURRENT, alpha = TEXTURE x CURRENT.
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  device_->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  IDirect3DTexture9* t1 = MakeTexture(2, 2, std::vector<uint32_t>(4, 0x40FFFFFF));
  device_->SetTexture(1, t1);
  EXPECT_EQ(Shade(0x12345678, diffuse), 0x30808080u);  // 0xC0 * 0x40 = 48.2
  device_->SetTexture(1, nullptr);
  t1->Release();
}

TEST_F(PixelPipeline, StageReadingAMissingTexturePassesItsInputOn) {
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  // Stage 0 MODULATE(TEXTURE, DIFFUSE) with no texture: the diffuse colour (the wireframe's case).
  Stage(0, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0x7F0000FF);
  EXPECT_EQ(ReadBackBuffer()[100], 0x7F0000FFu);
  // The compose state left on stage 1 (alpha SELECTARG1(TEXTURE), no texture) keeps stage 0's alpha:
  // a faded picture stays faded rather than turning opaque.
  Stage(1, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_CURRENT);
  std::vector<uint32_t> picture(16, 0xFF336699);
  IDirect3DTexture9* t = MakeTexture(4, 4, picture);
  device_->SetTexture(0, t);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0x80FFFFFF);
  EXPECT_EQ(ReadBackBuffer()[100], 0x80336699u);
  // A stage 1 colour MODULATE(TEXTURE, CURRENT) without texture leaves the colour alone too.
  Stage(1, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_CURRENT);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0x80FFFFFF);
  EXPECT_EQ(ReadBackBuffer()[100], 0x80336699u);
  // DISABLE on stage 1 ends the cascade whatever its arguments.
  Stage(1, D3DTOP_DISABLE, D3DTA_TFACTOR, D3DTA_CURRENT, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_CURRENT);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0);
  DrawQuad(0, 0, kBackWidth, kBackHeight, 0x80FFFFFF);
  EXPECT_EQ(ReadBackBuffer()[100], 0x80336699u);
  device_->SetTexture(0, nullptr);
  t->Release();
}

struct BlendCase {
  DWORD src, dst;
  uint32_t source, dest, expected;
};

TEST_F(PixelPipeline, BlendFactorPairsOnColourAndAlphaSaturate) {
  const BlendCase cases[] = {
      // ONE, ONE: sums saturate per channel, alpha included.
      {D3DBLEND_ONE, D3DBLEND_ONE, 0xC0F01000, 0x80201020, 0xFFFF2020},
      // ONE, ZERO: plain copy.
      {D3DBLEND_ONE, D3DBLEND_ZERO, 0x12345678, 0xFFFFFFFF, 0x12345678},
      // SRCALPHA, INVSRCALPHA with a = 0x40: c = s*64/255 + d*191/255; alpha a*a + da*(1-a).
      {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x40FF8000, 0xFF0080FF,
       (Mul(0x40, 0x40) + Mul(0xFF, 0xBF)) << 24 | (Mul(0xFF, 0x40) + Mul(0x00, 0xBF)) << 16 |
           (Mul(0x80, 0x40) + Mul(0x80, 0xBF)) << 8 | (Mul(0x00, 0x40) + Mul(0xFF, 0xBF))},
      // ONE, INVSRCALPHA (premultiplied over): saturates when the source is not premultiplied.
      {D3DBLEND_ONE, D3DBLEND_INVSRCALPHA, 0x40FF8000, 0xFF0080FF,
       (0x40 + Mul(0xFF, 0xBF)) << 24 | 0xFF0000 | (0x80 + Mul(0x80, 0xBF)) << 8 | Mul(0xFF, 0xBF)},
      // Pairs outside the renderer's set go through the general path.
      {D3DBLEND_DESTCOLOR, D3DBLEND_ZERO, 0x80808080, 0x40FF2000, 0x20801000},
      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, 0xFF800000, 0xFFFFFFFF, 0xFF800000},
  };
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE);
  for (const BlendCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "blend " << c.src << "/" << c.dst);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
    device_->Clear(0, nullptr, D3DCLEAR_TARGET, c.dest, 1.0f, 0);
    Blend(c.src, c.dst);
    device_->SetRenderState(D3DRS_TEXTUREFACTOR, c.source);
    DrawQuad(0, 0, kBackWidth, kBackHeight);
    std::vector<uint32_t> px = ReadBackBuffer();
    EXPECT_EQ(px[0], c.expected) << std::hex << px[0] << " vs " << c.expected;
    EXPECT_EQ(px.back(), c.expected);
  }
}

TEST_F(PixelPipeline, BlendingOffWritesTheSourceWhateverTheFactors) {
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_DIFFUSE);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, 0x01020304);
  DrawQuad(0, 0, kBackWidth, kBackHeight);
  EXPECT_EQ(ReadBackBuffer()[7], 0x01020304u);
}

TEST_F(PixelPipeline, BilinearBlendsNeighboursAndWrapOrClampAtTheBorder) {
  // A 2 x 1 texture (black, white) stretched over 4 x 1 pixels: texel coordinates -0.25, 0.25, 0.75, 1.25.
  IDirect3DTexture9* t = MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF});
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  Sampler(0, D3DTEXF_LINEAR);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  device_->SetTexture(0, t);
  DrawQuad(0, 0, 4, 1);
  std::vector<uint32_t> px = ReadBackBuffer();
  // WRAP (the default): each border blends a quarter of the texel on the other side.
  EXPECT_EQ(px[0] & 0xFF, 0x40u);
  EXPECT_EQ(px[1] & 0xFF, 0x40u);
  EXPECT_EQ(px[2] & 0xFF, 0xBFu);
  EXPECT_EQ(px[3] & 0xFF, 0xBFu);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  device_->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
  DrawQuad(0, 0, 4, 1);
  px = ReadBackBuffer();
  EXPECT_EQ(px[0] & 0xFF, 0x00u);
  EXPECT_EQ(px[3] & 0xFF, 0xFFu);
  device_->SetTexture(0, nullptr);
  t->Release();
}

}  // namespace

namespace {

class PixelPipelineMore : public DeviceTest {};

TEST_F(PixelPipelineMore, DiffuseIsInterpolatedAcrossTheTriangle) {
  // Colour 0 at x = 0 and 0xFF at x = 40 along a horizontal ramp: pixel x carries round(x * 255 / 40).
  Stage(0, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE, D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_TEXTURE);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  std::vector<QuadVertex> v = {{0, 0, 0.9f, 1, 0xFF000000, 0, 0, 0, 0},
                               {40, 0, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0},
                               {40, 40, 0.9f, 1, 0xFF0000FF, 0, 0, 0, 0},
                               {0, 40, 0.9f, 1, 0xFF000000, 0, 0, 0, 0}};
  DrawTriangles(v, {0, 1, 2, 2, 3, 0});
  std::vector<uint32_t> px = ReadBackBuffer();
  for (int x : {0, 10, 20, 39})
    EXPECT_EQ(px[20 * kBackWidth + x], 0xFF000000u | static_cast<uint32_t>(x * 255.0 / 40 + 0.5)) << x;
}

TEST_F(PixelPipelineMore, OpaqueFormatsReadAsFullAlpha) {
  IDirect3DTexture9* t = nullptr;
  ASSERT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &t, nullptr), D3D_OK);
  Upload(t, std::vector<uint32_t>(4, 0x00123456));
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  Blend(D3DBLEND_ONE, D3DBLEND_ZERO);
  device_->SetTexture(0, t);
  DrawQuad(0, 0, 4, 4);
  EXPECT_EQ(ReadBackBuffer()[kBackWidth + 1], 0xFF123456u);
  device_->SetTexture(0, nullptr);
  t->Release();
  // Formats the device does not keep are refused.
  EXPECT_EQ(device_->CreateTexture(2, 2, 1, 0, D3DFMT_D24S8, D3DPOOL_MANAGED, &t, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(t, nullptr);
}

TEST_F(PixelPipelineMore, ClearRectanglesAreCutToTheViewport) {
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  D3DVIEWPORT9 vp{0, 0, 10, 10, 0.0f, 1.0f};
  device_->SetViewport(&vp);
  D3DRECT rects[2] = {{8, 8, 20, 20}, {-5, -5, 2, 1}};
  device_->Clear(2, rects, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  std::vector<uint32_t> px = ReadBackBuffer();
  int lit = 0;
  for (uint32_t c : px) lit += c != 0;
  EXPECT_EQ(lit, 4 + 2);
  EXPECT_EQ(px[9 * kBackWidth + 9], 0xFFFFFFFFu);
  EXPECT_EQ(px[0], 0xFFFFFFFFu);
}

TEST_F(PixelPipelineMore, DrawingIntoTheTextureBeingSampledDoesNotFail) {
  IDirect3DTexture9* rt = MakeRenderTexture(32, 32);
  IDirect3DSurface9* s = Target(rt);
  device_->SetTexture(0, rt);
  Stage(0, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  DrawQuad(0, 0, 32, 32);
  device_->SetTexture(0, nullptr);
  IDirect3DSurface9* bb = nullptr;
  device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
  device_->SetRenderTarget(0, bb);
  bb->Release();
  s->Release();
  rt->Release();
}

}  // namespace
