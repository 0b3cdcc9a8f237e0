// Frames of a pair through the export's grab: the cross-dissolve along the
// timing curve, fades, warp modes, the transition, light and total-mask
// pictures, and what the grabs write.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "compat/d3d9_present.h"
#include "frame_fixture.h"
#include "render/pair_pictures.h"

namespace {

constexpr DWORD kSourceRgb = 0xC82800;  // (200, 40, 0)
constexpr DWORD kTargetRgb = 0x0064F0;  // (0, 100, 240)
constexpr DWORD kBackgroundRgb = 0xFF0000;

// a + (b - a) * k / 255 per colour channel.
DWORD Mix(DWORD a, DWORD b, double k) {
  DWORD out = 0;
  for (int shift : {0, 8, 16}) {
    const double v = Channel(a, shift) + (Channel(b, shift) - Channel(a, shift)) * k / 255.0;
    out |= static_cast<DWORD>(std::lround(v)) << shift;
  }
  return out;
}

// Every pixel within `tolerance` of the expected colour.
int CountOff(const std::vector<DWORD>& frame, DWORD expected, int tolerance) {
  int off = 0;
  for (DWORD p : frame) off += ColourDistance(p, expected) > tolerance;
  return off;
}

using FrameRender = FrameTest;

TEST_F(FrameRender, MiddleOfTheTimingCurveIsAnEvenBlend) {
  PlainPair(Solid("s.bmp", kSourceRgb), Solid("t.bmp", kTargetRgb));
  EXPECT_EQ(CountOff(Grab(0), kSourceRgb, 1), 0);
  EXPECT_EQ(CountOff(Grab(1), Mix(kSourceRgb, kTargetRgb, 127.5), 2), 0);
  EXPECT_EQ(CountOff(Grab(2), kTargetRgb, 1), 0);
  // A frame past the end renders the last one.
  Pair()->SetFrameCount(3);
  EXPECT_EQ(CountOff(Grab(7), kTargetRgb, 1), 0);
}

TEST_F(FrameRender, FadeInStartsOnTheBackgroundAndRisesByThirds) {
  PlainPair(Solid("s.bmp", kSourceRgb), Solid("t.bmp", kSourceRgb));
  Pair()->SetFrameCount(10);
  Pair()->m_fadeIn = 3;
  Pair()->m_fadeOut = 3;
  EXPECT_EQ(CountOff(Grab(0), kBackgroundRgb, 0), 0);
  EXPECT_EQ(CountOff(Grab(1), Mix(kBackgroundRgb, kSourceRgb, 85), 2), 0);
  EXPECT_EQ(CountOff(Grab(2), Mix(kBackgroundRgb, kSourceRgb, 170), 2), 0);
  EXPECT_EQ(CountOff(Grab(5), kSourceRgb, 1), 0);
  // The fade-out of 3 leaves the third frame from the end whole, then a
  // third and the background.
  EXPECT_EQ(CountOff(Grab(6), kSourceRgb, 1), 0);
  EXPECT_EQ(CountOff(Grab(7), kSourceRgb, 1), 0);
  EXPECT_EQ(CountOff(Grab(8), Mix(kBackgroundRgb, kSourceRgb, 85), 2), 0);
  EXPECT_EQ(CountOff(Grab(9), kBackgroundRgb, 0), 0);
  // A fade-out of 1 has no frame to fade: the last frame is not blank.
  Pair()->m_fadeOut = 1;
  EXPECT_EQ(CountOff(Grab(9), kSourceRgb, 1), 0);
}

TEST_F(FrameRender, WarpModesChooseTheDissolve) {
  PlainPair(Solid("s.bmp", kSourceRgb), Solid("t.bmp", kTargetRgb));
  struct Case {
    int mode, frame;
    DWORD expected;
  } cases[] = {
      {1, 2, kSourceRgb},                                 // source alone, even at the end
      {2, 0, kTargetRgb},                                 // target alone, even at the start
      {3, 1, Mix(kSourceRgb, kTargetRgb, 127 * 127 / 255)},  // the source holds longer
      {4, 0, kTargetRgb},                                 // reversed: starts at the target
      {4, 1, Mix(kSourceRgb, kTargetRgb, 128 * 128 / 255)},
      {4, 2, kSourceRgb},
  };
  for (const Case& c : cases) {
    Pair()->SetWarpMode(c.mode);
    EXPECT_EQ(CountOff(Grab(c.frame), c.expected, 2), 0) << "mode " << c.mode << " frame " << c.frame;
  }
}

TEST_F(FrameRender, TransitionPictureHidesThenShowsTheTarget) {
  // A checkered target shows every half-pixel misplacement of its warp.
  const CString target = Picture("t.bmp", 256, 256, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFu : 0x000000u; });
  PlainPair(Solid("s.bmp", kSourceRgb), target);
  Pair()->GetTransitionPicture()->path = Picture("wipe.bmp", 40, 30, [](int x, int) { return 0x010101u * (x * 6); });
  EXPECT_EQ(CountOff(Grab(0), kSourceRgb, 1), 0);
  const std::vector<DWORD> shown = Grab(2);
  int off = 0;
  for (int y = 0; y < 256; ++y)
    for (int x = 0; x < 256; ++x) off += ColourDistance(At(shown, x, y), (x + y) % 2 ? 0xFFFFFFu : 0u) > 1;
  EXPECT_EQ(off, 0);
  // Half-way the bright end of the mask shows the target, the dark end
  // still the source; reversed, the other way round.
  std::vector<DWORD> half = Grab(1);
  EXPECT_LE(ColourDistance(At(half, 2, 128), kSourceRgb), 1);
  EXPECT_LE(ColourDistance(At(half, 250, 128), (250 + 128) % 2 ? 0xFFFFFFu : 0u), 1);
  Pair()->GetTransitionPicture()->reverse = 1;
  half = Grab(1);
  EXPECT_LE(ColourDistance(At(half, 250, 128), kSourceRgb), 1);
  EXPECT_LE(ColourDistance(At(half, 2, 128), (2 + 128) % 2 ? 0xFFFFFFu : 0u), 1);
}

TEST_F(FrameRender, LightStrengthScalesTheColours) {
  PlainPair(Solid("s.bmp", 0xC86440), Solid("t.bmp", 0xC86440));
  Pair()->GetLight()->path = Solid("light.bmp", 0xFFFFFF, 16, 16);
  Pair()->GetLight()->strength = 0.5f;
  EXPECT_EQ(CountOff(Grab(1), 0x643220, 2), 0);
}

TEST_F(FrameRender, TotalMaskLetsTheBackgroundThrough) {
  PlainPair(Solid("s.bmp", kSourceRgb), Solid("t.bmp", kSourceRgb));
  // Left half black (masked out), right half white.
  Pair()->m_totalMaskPath = Picture("mask.bmp", 32, 32, [](int x, int) { return x < 16 ? 0u : 0xFFFFFFu; });
  const std::vector<DWORD> frame = Grab(1);
  EXPECT_LE(ColourDistance(At(frame, 20, 100), kBackgroundRgb), 1);
  EXPECT_LE(ColourDistance(At(frame, 230, 100), kSourceRgb), 1);
}

TEST_F(FrameRender, ExportWidthRoundedUpRepeatsTheLastColumn) {
  Project()->SetOutputSize(250, 40);
  PlainPair(Picture("s.bmp", 250, 40, [](int x, int) { return static_cast<DWORD>(x); }),
            Picture("t.bmp", 250, 40, [](int x, int) { return static_cast<DWORD>(x); }));
  const std::vector<DWORD> frame = Grab(0, 252);
  for (int y : {0, 17, 39}) {
    EXPECT_LE(ColourDistance(frame[y * 252 + 249], 249), 1);
    EXPECT_EQ(frame[y * 252 + 250], frame[y * 252 + 249]);
    EXPECT_EQ(frame[y * 252 + 251], frame[y * 252 + 249]);
    EXPECT_LE(ColourDistance(frame[y * 252 + 100], 100), 1);
  }
  // The 24-bit grab the same way: rows of 756 bytes, no padding.
  CPixelBuffer dib(RECT{0, 0, 252, 40});
  RenderFrameToDib24(Pair(), &dib);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(dib.bits);
  for (int k : {0, 39}) {
    const BYTE* row = bytes + k * 756;
    EXPECT_EQ(row[3 * 251], row[3 * 249]);
    EXPECT_EQ(row[3 * 250], row[3 * 249]);
    EXPECT_NEAR(row[3 * 249], 249, 1);
  }
  dib.Free();
}

TEST_F(FrameRender, FramesLargerThanTheBackBufferAreWhole) {
  PlainPair(Picture("s.bmp", 100, 100, [](int x, int y) { return static_cast<DWORD>(x << 16 | y); }),
            Picture("t.bmp", 100, 100, [](int x, int y) { return static_cast<DWORD>(x << 16 | y); }));
  Pair()->GetLight()->path = Solid("light.bmp", 0xFFFFFF, 4, 4);
  Grab(0);
  // Wider than the 1024-pixel back buffer, as a project file may ask.
  Project()->SetOutputSize(1200, 90);
  ASSERT_NE(Renderer()->m_device, nullptr);
  const std::vector<DWORD> frame = Grab(0);
  for (int x : {0, 500, 1100, 1199}) EXPECT_LE(ColourDistance(frame[45 * 1200 + x], (x * 100 / 1200) << 16 | 50), 2) << x;
}

TEST_F(FrameRender, FramesOfTheBackBuffersOwnSizeAreReadBackWhole) {
  PlainPair(Picture("s.bmp", 100, 100, [](int x, int y) { return static_cast<DWORD>(x << 16 | y); }),
            Picture("t.bmp", 100, 100, [](int x, int y) { return static_cast<DWORD>(x << 16 | y); }));
  Project()->SetOutputSize(1024, 768);  // the back buffer's own size
  ASSERT_NE(Renderer()->m_device, nullptr);
  const std::vector<DWORD> frame = Grab(0);
  ASSERT_EQ(frame.size(), size_t{1024} * 768);
  for (int y : {0, 300, 767})
    for (int x : {0, 500, 1023})
      EXPECT_LE(ColourDistance(frame[static_cast<size_t>(y) * 1024 + x], (x * 100 / 1024) << 16 | (y * 100 / 768)), 2)
          << x << "," << y;
}

TEST_F(FrameRender, Dib24RowsArePackedLastRowFirst) {
  PlainPair(Picture("s.bmp", 256, 256, [](int, int y) { return static_cast<DWORD>(y) << 8; }),
            Picture("t.bmp", 256, 256, [](int, int y) { return static_cast<DWORD>(y) << 8; }));
  CPixelBuffer buffer(RECT{0, 0, 256, 256});
  Pair()->SetCurrentFrame(0);
  RenderFrameToDib24(Pair(), &buffer);
  const BYTE* bytes = reinterpret_cast<const BYTE*>(buffer.bits);
  // Row k of the DIB is frame row 255 - k, 768 bytes apart.
  for (int k : {0, 1, 128, 255}) {
    const BYTE* row = bytes + k * 768;
    EXPECT_NEAR(row[1], 255 - k, 1) << k;
    EXPECT_NEAR(row[3 * 255 + 1], 255 - k, 1) << k;
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[2], 0);
  }
  buffer.Free();
}

TEST_F(FrameRender, FirstFrameAfterStartUpMatchesLaterOnes) {
  const CString source = Picture("s.bmp", 200, 150, [](int x, int y) { return static_cast<DWORD>(x << 16 | y << 8 | 77); });
  const CString target = Picture("t.bmp", 90, 300, [](int x, int y) { return static_cast<DWORD>(y << 16 | 99 << 8 | x); });
  PlainPair(source, target);
  AddLine(Pair()->GetSourceLines(), {{60, 60}, {120, 90}});
  AddLine(Pair()->GetTargetLines(), {{80, 50}, {150, 120}});
  Pair()->GetLight()->path = Picture("light.bmp", 8, 8, [](int x, int) { return 0x202020u * x; });
  const std::vector<DWORD> first = Grab(1);
  const std::vector<DWORD> second = Grab(1);
  EXPECT_EQ(first, second);

  // Whatever an effect or another pass leaves on the device.
  IDirect3DDevice9* device = Renderer()->m_device;
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
  EXPECT_EQ(Grab(1), first);
}

TEST_F(FrameRender, UnreadablePictureIsReportedOncePerPath) {
  PlainPair(Solid("s.bmp", kSourceRgb), Solid("t.bmp", kTargetRgb));
  const std::string broken = dir_.File("broken.bmp");
  FILE* file = std::fopen(broken.c_str(), "wb");
  std::fputs("not a picture at all", file);
  std::fclose(file);
  Pair()->GetLight()->path = CString(compat::FromHostPath(broken));
  for (int frame = 0; frame < 3; ++frame) EXPECT_EQ(CountOff(Grab(frame), Grab(frame)[0], 0), 0);
  ASSERT_EQ(editor_.messages.size(), 1u);
  EXPECT_EQ(editor_.messages[0], compat::Utf8ToUtf16(broken) + u"cound not read!");
}

TEST_F(FrameRender, TransitionMaskHolderIsLaidOutLikeTheOutput) {
  Project()->SetOutputSize(320, 240);
  PlainPair(Solid("s.bmp", kSourceRgb, 300, 200), Solid("t.bmp", kTargetRgb, 77, 500));
  ASSERT_NE(Pair()->m_pairTexture, nullptr);
  EXPECT_EQ(Pair()->m_pairTexture->m_picture.right, 320);
  EXPECT_EQ(Pair()->m_pairTexture->m_picture.bottom, 240);
  EXPECT_EQ(Pair()->m_pairTexture->m_picture.right, Renderer()->m_imageA.m_picture.right);
  EXPECT_EQ(Pair()->m_pairTexture->m_textureWidth, Renderer()->m_imageA.m_textureWidth);
}

}  // namespace

namespace {

TEST_F(FrameRender, ScreenRendersBetweenExportFramesLeaveTheGrabsAlone) {
  PlainPair(Picture("s.bmp", 256, 256, [](int x, int y) { return static_cast<DWORD>(x << 16 | y); }),
            Solid("t.bmp", kTargetRgb, 256, 256));
  Project()->SetShowMesh(1);
  const std::vector<DWORD> expected = Grab(1);
  std::atomic<bool> done{false};
  // The editor keeps drawing the pair on screen while the export grabs.
  std::thread screen([&] {
    while (!done) {
      RenderPair(Pair());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  int differing = 0;
  for (int i = 0; i < 8; ++i) {
    CPixelBuffer buffer(RECT{0, 0, 256, 256});
    RenderFrameToPixels(Pair(), &buffer);
    differing += !std::equal(expected.begin(), expected.end(), buffer.bits);
    buffer.Free();
  }
  done = true;
  screen.join();
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(Project()->IsBusy(), 0);
}

}  // namespace

// Large grabs are copied by every rasterising thread. The 32-bit and the
// 24-bit grab must give the same pixels, past the frame's right and bottom
// edges included, and the same bytes on many threads as on one.
TEST_F(FrameRender, LargeGrabsAgreeWithEachOtherOnAnyThreadCount) {
  Project()->SetOutputSize(500, 300);
  PlainPair(Picture("s.bmp", 500, 300, [](int x, int y) { return static_cast<DWORD>(x << 16 | y << 8 | (x ^ y)); }),
            Picture("t.bmp", 500, 300, [](int x, int y) { return static_cast<DWORD>(y << 16 | x << 8 | (x + y)); }));
  const RECT rects[] = {{0, 0, 500, 300}, {0, 0, 504, 300}, {3, 5, 507, 305}, {490, 0, 510, 300}};
  std::vector<std::vector<DWORD>> oneThread32;
  std::vector<std::vector<BYTE>> oneThread24;
  for (int workers : {1, 4}) {
    compat::SetD3DWorkerCount(workers);
    for (size_t r = 0; r < std::size(rects); ++r) {
      const RECT& rect = rects[r];
      const int w = rect.right - rect.left, h = rect.bottom - rect.top;
      CPixelBuffer whole(rect), dib(rect);
      RenderFrameToPixels(Pair(), &whole);
      RenderFrameToDib24(Pair(), &dib);
      const BYTE* bytes = reinterpret_cast<const BYTE*>(dib.bits);
      std::vector<DWORD> pixels(whole.bits, whole.bits + static_cast<size_t>(w) * h);
      std::vector<BYTE> packed(bytes, bytes + static_cast<size_t>(w) * h * 3);
      int off = 0;
      for (int y = 0; y < h; ++y) {
        const BYTE* row = bytes + static_cast<size_t>(h - 1 - y) * w * 3;
        for (int x = 0; x < w; ++x) {
          const DWORD p = pixels[static_cast<size_t>(y) * w + x];
          off += (p & 0xFFFFFF) != static_cast<DWORD>(row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16);
        }
      }
      EXPECT_EQ(off, 0) << workers << " threads, rect from " << rect.left << "," << rect.top;
      if (workers == 1) {
        oneThread32.push_back(std::move(pixels));
        oneThread24.push_back(std::move(packed));
      } else {
        EXPECT_TRUE(pixels == oneThread32[r]) << "32-bit, rect from " << rect.left << "," << rect.top;
        EXPECT_TRUE(packed == oneThread24[r]) << "24-bit, rect from " << rect.left << "," << rect.top;
      }
      whole.Free();
      dib.Free();
    }
  }
  compat::SetD3DWorkerCount(0);
}
