// The end of a frame: the wire frame on screen but never in a grab, the
// in and out effects with their progress, the wipe pass, and background
// pictures from fills.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "compat/d3d9_present.h"
#include "effects/wipe_effect.h"
#include "frame_fixture.h"
#include "model/project/effect.h"
#include "model/raster/fill_render.h"
#include "model/raster/fill_style.h"
#include "render/effect_frame.h"
#include "render/shape_base.h"

namespace {

constexpr DWORD kPictureRgb = 0x30A050;
constexpr DWORD kBackgroundRgb = 0xFF0000;

// What the last Present showed.
std::vector<DWORD> g_presented;
int g_presentedWidth = 0;
void CapturePresent(HWND, const RECT&, const uint32_t* bgra, int pitchPixels, const RECT& source) {
  g_presentedWidth = source.right - source.left;
  g_presented.clear();
  for (LONG y = source.top; y < source.bottom; ++y)
    g_presented.insert(g_presented.end(), bgra + y * pitchPixels + source.left, bgra + y * pitchPixels + source.right);
}

int CountColour(const std::vector<DWORD>& pixels, DWORD argb) {
  int n = 0;
  for (DWORD p : pixels) n += p == argb;
  return n;
}

// An effect that passes the picture on and notes its progress.
class RecordingEffect : public CEffect {
 public:
  explicit RecordingEffect(std::vector<float>* log) : m_log(log) {}
  int GetID() const override { return 99; }
  CString GetName() const override { return CString(u"Recording"); }
  void Render(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source, CTextureHolder* target,
              float progress) override {
    m_log->push_back(progress);
    RenderPassThrough(renderer, device, source, target);
  }
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}

 private:
  std::vector<float>* m_log;
};

// An effect that cannot draw, as one whose buffers were refused.
class IdleEffect : public CEffect {
 public:
  int GetID() const override { return 98; }
  CString GetName() const override { return CString(u"Idle"); }
  void Prepare(IDirect3DDevice9*) override {}
  void Serialize(CArchive&) override {}
};

// A wipe whose mask is clear on the left half and opaque on the right.
class HalfWipe : public CEffect {
 public:
  ~HalfWipe() override {
    if (m_mask) m_mask->Release();
  }
  int GetID() const override { return 1; }
  CString GetName() const override { return CString(u"Wipe"); }
  void Render(CD3DRenderer*, IDirect3DDevice9*, CTextureHolder* source, CTextureHolder* target, float) override {
    ++renders;
    holdersGiven |= source != nullptr || target != nullptr;
  }
  void Prepare(IDirect3DDevice9* device) override {
    ++prepares;
    if (m_mask) m_mask->Release();
    device->CreateTexture(256, 256, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &m_mask, nullptr);
    D3DLOCKED_RECT locked;
    m_mask->LockRect(0, &locked, nullptr, 0);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x)
        static_cast<DWORD*>(locked.pBits)[y * locked.Pitch / 4 + x] = x < 128 ? 0x00FFFFFF : 0xFFFFFFFF;
    m_mask->UnlockRect(0);
  }
  void Serialize(CArchive&) override {}
  IDirect3DTexture9* GetWipeTexture() override { return m_mask; }

  int renders = 0, prepares = 0;
  bool holdersGiven = false;

 private:
  IDirect3DTexture9* m_mask = nullptr;
};

class FrameCompose : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    const CString picture = Solid("p.bmp", kPictureRgb);
    PlainPair(picture, picture);
  }
  void TearDown() override {
    compat::SetD3DPresentTarget(nullptr);
    FrameTest::TearDown();
  }
};

TEST_F(FrameCompose, WireFrameShowsOnScreenButNeverInAGrab) {
  AddLine(Pair()->GetSourceLines(), {{80, 80}, {170, 120}});
  AddLine(Pair()->GetTargetLines(), {{90, 70}, {160, 140}});
  const std::vector<DWORD> plain = Grab(1);
  Project()->SetShowMesh(1);
  EXPECT_EQ(Grab(1), plain);

  compat::SetD3DPresentTarget(CapturePresent);
  RenderPair(Pair());
  ASSERT_FALSE(g_presented.empty());
  EXPECT_GT(CountColour(g_presented, 0xFF0000FF), 200);
  Project()->SetShowMesh(0);
  RenderPair(Pair());
  EXPECT_EQ(CountColour(g_presented, 0xFF0000FF), 0);
  // The screen frame is fitted into the view, keeping the output's aspect.
  EXPECT_EQ(g_presentedWidth, 576);
}

TEST_F(FrameCompose, GrabsBetweenShownFramesKeepToThemselves) {
  // Grabs are composed apart from the shown frames: neither shows in the other.
  AddLine(Pair()->GetSourceLines(), {{80, 80}, {170, 120}});
  AddLine(Pair()->GetTargetLines(), {{90, 70}, {160, 140}});
  compat::SetD3DPresentTarget(CapturePresent);
  Pair()->SetCurrentFrame(1);
  RenderPair(Pair());
  ASSERT_FALSE(g_presented.empty());
  EXPECT_EQ(CountColour(g_presented, 0xFF0000FF), 0);
  Project()->SetShowMesh(1);
  const std::vector<DWORD> grabbed = Grab(1);
  EXPECT_EQ(CountColour(grabbed, 0xFF0000FF), 0);
  EXPECT_GT(CountColour(grabbed, 0xFF000000 | kPictureRgb), 1000);
  RenderPair(Pair());
  EXPECT_GT(CountColour(g_presented, 0xFF0000FF), 200);
  EXPECT_EQ(Grab(1), grabbed);
}

TEST_F(FrameCompose, WireFrameOfAHugeMeshGrowsTheIndexBuffer) {
  // 2,400 triangles: their edges need 14,400 indices, past the first
  // capacity of 10,800.
  CShapeBase mesh;
  ASSERT_TRUE(mesh.Reserve(41 * 31, 40 * 30 * 2));
  for (int y = 0; y <= 30; ++y)
    for (int x = 0; x <= 40; ++x) mesh.m_vertices[y * 41 + x] = CRenderVertex{x * 6.0f, y * 8.0f, 0, 0, 0};
  WORD* out = mesh.m_indices;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const WORD a = WORD(y * 41 + x), b = WORD(a + 1), c = WORD(a + 41), d = WORD(a + 42);
      *out++ = a, *out++ = b, *out++ = c, *out++ = b, *out++ = d, *out++ = c;
    }
  Renderer()->DrawMeshWireframe(&mesh, 0xFF0000FF);
  EXPECT_GE(Renderer()->m_indexCapacity, 2400 * 6);
  const int crossing[4] = {0, 1000, 40, 1200};
  Renderer()->DrawCrossingEdges(&mesh, 0xFFFF0000, crossing);
  // Out-of-range crossing indices draw nothing rather than reading past the mesh.
  const int wild[4] = {0, 5000, 1, 2};
  Renderer()->DrawCrossingEdges(&mesh, 0xFFFF0000, wild);
}

TEST_F(FrameCompose, EffectsRunAtBothEndsWithFallingCoverage) {
  Pair()->SetFrameCount(100);
  Pair()->m_inFrames = Pair()->m_outFrames = 20;
  std::vector<float> in, out;
  delete Pair()->m_inEffect;
  delete Pair()->m_outEffect;
  Pair()->m_inEffect = new RecordingEffect(&in);
  Pair()->m_outEffect = new RecordingEffect(&out);
  for (int frame : {0, 1, 19, 20, 79, 80, 81, 98, 99}) {
    const std::vector<DWORD> got = Grab(frame);
    EXPECT_LE(ColourDistance(got[1000], kPictureRgb), 1) << frame;
  }
  EXPECT_EQ(in, (std::vector<float>{0.0f, 0.05f, 0.95f}));
  // The last 20 frames run the out effect, 0.95 at frame 80 down to 0 at the
  // last one; frames 20 and 79 run none.
  EXPECT_EQ(out, (std::vector<float>{0.95f, 0.9f, 0.05f, 0.0f}));

  // Overlapping ranges: the in effect wins.
  in.clear(), out.clear();
  Pair()->SetFrameCount(30);
  Grab(15);
  EXPECT_EQ(in.size(), 1u);
  EXPECT_TRUE(out.empty());
}

TEST_F(FrameCompose, AnEffectThatCannotDrawShowsNoStalePicture) {
  Pair()->SetFrameCount(100);
  Pair()->m_inFrames = 20;
  Pair()->m_fadeIn = 0;
  // A pass-through effect leaves the picture in the effect's target.
  std::vector<float> log;
  delete Pair()->m_inEffect;
  Pair()->m_inEffect = new RecordingEffect(&log);
  EXPECT_LE(ColourDistance(Grab(5)[1000], kPictureRgb), 1);
  delete Pair()->m_inEffect;
  Pair()->m_inEffect = new IdleEffect;
  EXPECT_LE(ColourDistance(Grab(6)[1000], kBackgroundRgb), 1);
}

TEST_F(FrameCompose, WipeMaskBecomesTheWipePass) {
  Pair()->SetFrameCount(100);
  Pair()->m_inFrames = 20;
  auto* wipe = new HalfWipe;
  delete Pair()->m_inEffect;
  Pair()->m_inEffect = wipe;
  const std::vector<DWORD> got = Grab(5);
  EXPECT_EQ(wipe->prepares, 1);
  EXPECT_EQ(wipe->renders, 1);
  EXPECT_FALSE(wipe->holdersGiven);
  EXPECT_LE(ColourDistance(At(got, 10, 100), kBackgroundRgb), 1);
  EXPECT_LE(ColourDistance(At(got, 240, 100), kPictureRgb), 1);
  Grab(6);
  EXPECT_EQ(wipe->prepares, 1);  // the mask is kept
}

TEST_F(FrameCompose, WipeEffectOpensThroughItsMaskPicture) {
  Pair()->SetFrameCount(100);
  Pair()->m_inFrames = 20;
  auto* wipe = new CWipeEffect;
  wipe->m_maskPath = Picture("wipe.bmp", 64, 64, [](int x, int) { return x < 32 ? 0x202020u : 0xE0E0E0u; });
  wipe->m_edge = 0.0f;
  wipe->m_reverse = 0;
  delete Pair()->m_inEffect;
  Pair()->m_inEffect = wipe;
  // Half-way through the in effect the bright half of the mask is open.
  const std::vector<DWORD> half = Grab(10);
  EXPECT_LE(ColourDistance(At(half, 30, 128), kBackgroundRgb), 1);
  EXPECT_LE(ColourDistance(At(half, 220, 128), kPictureRgb), 1);
  EXPECT_NE(wipe->GetWipeTexture(), nullptr);
  // Past the effect the whole picture shows.
  EXPECT_LE(ColourDistance(At(Grab(30), 30, 128), kPictureRgb), 1);
}

TEST_F(FrameCompose, RecreatingTexturesReloadsPicturesAndPreparesEffects) {
  Pair()->SetFrameCount(100);
  Pair()->m_inFrames = 20;
  auto* wipe = new HalfWipe;
  delete Pair()->m_inEffect;
  Pair()->m_inEffect = wipe;
  Pair()->GetLight()->path = Solid("light.bmp", 0x808080, 4, 4);
  Pair()->RecreateTextures();
  EXPECT_EQ(wipe->prepares, 1);
  ASSERT_NE(Pair()->GetLight()->lightTexture, nullptr);
  ASSERT_NE(Pair()->GetSourceSlot()->m_texture, nullptr);
  // The light is already in place for the first frame, the wipe's mask too.
  const std::vector<DWORD> frame = Grab(40);
  EXPECT_LE(ColourDistance(At(frame, 128, 128), 0x185028), 2);
  EXPECT_EQ(wipe->prepares, 1);
}

TEST_F(FrameCompose, RestartingTheRendererKeepsFramesAlike) {
  const std::vector<DWORD> before = Grab(1);
  Project()->InitDirect3D(nullptr);
  ASSERT_TRUE(IsRendererCreated());
  // The pairs' textures went with the old renderer; they are made again.
  EXPECT_EQ(Pair()->GetSourceSlot()->m_texture, nullptr);
  Pair()->RecreateTextures();
  EXPECT_EQ(Grab(1), before);
}

TEST_F(FrameCompose, ForegroundLiesOverThePicture) {
  CFillStyle fill;
  fill.color = 0x800000FF;  // half-transparent blue
  Project()->SetForeground(fill);
  EXPECT_LE(ColourDistance(Grab(1)[5000], 0x1850A8), 2);
  fill.color = 0x000000FF;  // transparent: the picture alone
  Project()->SetForeground(fill);
  EXPECT_LE(ColourDistance(Grab(1)[5000], kPictureRgb), 1);
}

TEST_F(FrameCompose, PictureFillsPaintTheBackground) {
  // The fill picture's halves are told apart after scaling to the output.
  CFillStyle fill;
  fill.type = 2;
  fill.SetPatternImage(Picture("fill.bmp", 32, 16, [](int x, int) { return x < 16 ? 0x0000FFu : 0xFFFF00u; }));
  Project()->SetBackground(fill);
  Pair()->m_fadeIn = 3;
  const std::vector<DWORD> frame = Grab(0);
  EXPECT_EQ(At(frame, 5, 5), 0xFF0000FFu);
  EXPECT_EQ(At(frame, 250, 250), 0xFFFFFF00u);

  // A missing picture paints transparent black.
  fill.SetPatternImage(CString(compat::FromHostPath(dir_.File("gone.bmp"))));
  CPixelBuffer buffer(RECT{0, 0, 8, 8});
  buffer.Fill(0x12345678);
  RenderFill(fill, buffer);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(buffer.bits[i], 0u);
  buffer.Free();
  EXPECT_TRUE(editor_.messages.empty());
}

// A background of one opaque colour is not drawn as a layer: the frame is
// cleared to its colour instead. Grabbed and shown frames, with the picture
// faded in over it or not, must match the frames with the layer drawn.
TEST_F(FrameCompose, SolidBackgroundsGiveTheFramesTheirLayerGives) {
  AddLine(Pair()->GetSourceLines(), {{80, 80}, {170, 120}});
  AddLine(Pair()->GetTargetLines(), {{90, 70}, {160, 140}});
  Pair()->m_fadeIn = 4;
  compat::SetD3DPresentTarget(CapturePresent);
  const DWORD colours[] = {0xFF808080, 0xFF000000, 0xFFFFFFFF, 0xFF13579B, 0x80FF0000, 0x00FFFFFF};
  for (DWORD colour : colours) {
    CFillStyle fill;
    fill.color = colour;
    Project()->SetBackground(fill);
    const bool opaque = (colour >> 24) == 0xFF;
    EXPECT_EQ(Renderer()->m_solidBackgroundA, opaque ? colour : 0u) << std::hex << colour;
    std::vector<std::vector<DWORD>> frames[2];
    for (int layer = 0; layer < 2; ++layer) {
      // The second time round the background is drawn as a layer.
      if (layer) Renderer()->m_solidBackgroundTexture = nullptr;
      for (int frame : {0, 2, 5}) {
        frames[layer].push_back(Grab(frame));
        Pair()->SetCurrentFrame(frame);
        RenderPair(Pair());
        frames[layer].push_back(g_presented);
      }
    }
    EXPECT_TRUE(frames[0] == frames[1]) << std::hex << colour;
    // The fade's first frame shows the background alone.
    if (opaque) {
      EXPECT_EQ(At(frames[0][0], 5, 5), colour);
    }
  }
}

}  // namespace
