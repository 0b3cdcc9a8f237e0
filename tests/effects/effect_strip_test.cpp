// Writes one picture of every registered effect at progress 0, 0.25, 0.5,
// 0.75 and 1 (a row per effect, in id order) into the build tree as
// effect_strip.png, with effect_strip.txt naming the rows, for a person to
// look over.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>

#include "compat/host_path.h"
#include "effects/screw_effect.h"
#include "imaging/image_file.h"
#include "imaging/pic_image.h"
#include "model/project/effect.h"
#include "model/project/no_effect.h"
#include "model/project/project_links.h"
#include "render/effect_frame.h"
#include "render/render_fixture.h"

namespace {

constexpr int kCellW = 96;
constexpr int kCellH = 72;
constexpr int kGap = 4;
constexpr float kProgress[] = {0.0f, 0.25f, 0.5f, 0.75f, 1.0f};
constexpr int kColumns = 5;

// A picture whose orientation shows: a colour ramp, a grid and a white disc
// in the top-left quarter.
DWORD Sample(int x, int y) {
  if (std::hypot(x - 24.0, y - 18.0) < 10.0) return 0xFFFFFFFFu;
  if (x % 12 == 0 || y % 12 == 0) return 0xFF202020u;
  const DWORD r = static_cast<DWORD>(x * 255 / (kCellW - 1)), g = static_cast<DWORD>(y * 255 / (kCellH - 1));
  return 0xFF000000u | r << 16 | g << 8 | 0x60u;
}

// Grey squares behind the cells, so that transparent parts stay visible.
DWORD Checker(int x, int y) { return ((x / 8 + y / 8) % 2) ? 0xFF9A9A9Au : 0xFF6A6A6Au; }

DWORD Over(DWORD top, DWORD under) {
  const DWORD a = top >> 24;
  DWORD out = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const DWORD t = top >> shift & 0xFF, u = under >> shift & 0xFF;
    out |= ((t * a + u * (255 - a) + 127) / 255) << shift;
  }
  return out;
}

std::filesystem::path BuildFolder() {
  char exe[PATH_MAX] = {};
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  // The test program lives in the build tree's tests folder.
  return n > 0 ? std::filesystem::path(std::string(exe, static_cast<size_t>(n))).parent_path().parent_path()
               : std::filesystem::temp_directory_path();
}

// "No Effect" draws through the renderer's link; where no renderer is set
// up, this one only passes pictures through.
class PassThroughLink : public CRendererLink {
 public:
  void RenderFrame(CMorphPair*) override {}
  void RecreateTextures(CMorphPair*) override {}
  void SetFills(const CFillStyle&, const CFillStyle&) override {}
  void ResizeSurfaces(int, int) override {}
  void SetBusy(int) override {}
  CTextureHolder* CreateTexture(const RECT&, int) override { return nullptr; }
  void DeleteTexture(CTextureHolder*) override {}
  void UploadTexture(CTextureHolder*, const DWORD*) override {}
  void GetTextureExtent(CTextureHolder*, float*, float*) override {}
  CMeshReceiver* CreateShape() override { return nullptr; }
  void SetCrossingEdges(const int[4]) override {}
  void RenderPassThrough(CD3DRenderer* renderer, IDirect3DDevice9* device, CTextureHolder* source,
                         CTextureHolder* target) override {
    ::RenderPassThrough(renderer, device, source, target);
  }
};

class EffectStrip : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    if (!GetRendererLink()) {
      SetRendererLink(&link_);
      installed_ = true;
    }
  }
  void TearDown() override {
    if (installed_) SetRendererLink(nullptr);
  }
  PassThroughLink link_;
  bool installed_ = false;

  // One frame of an effect: what the target holds, or for the wipe the
  // picture seen through its mask stretched over the frame.
  std::vector<DWORD> Frame(CEffect& effect, CTextureHolder& source, const std::vector<DWORD>& picture,
                           float progress) {
    CTextureHolder target;
    MakePicture(target, kCellW, kCellH, TRUE, [](int, int) { return 0u; });
    if (effect.GetName() != u"Wipe") {
      effect.Render(&renderer_, Device(), &source, &target, progress);
      return ReadPicture(target);
    }
    effect.Render(&renderer_, Device(), nullptr, nullptr, progress);
    std::vector<DWORD> out(picture.size(), 0);
    IDirect3DTexture9* mask = effect.GetWipeTexture();
    D3DSURFACE_DESC desc;
    D3DLOCKED_RECT locked;
    if (!mask || FAILED(mask->GetLevelDesc(0, &desc)) ||
        FAILED(mask->LockRect(0, &locked, nullptr, D3DLOCK_READONLY)))
      return out;
    for (int y = 0; y < kCellH; ++y)
      for (int x = 0; x < kCellW; ++x) {
        const int mx = static_cast<int>(x * static_cast<int64_t>(desc.Width) / kCellW);
        const int my = static_cast<int>(y * static_cast<int64_t>(desc.Height) / kCellH);
        const DWORD alpha = static_cast<const BYTE*>(locked.pBits)[my * locked.Pitch + 4 * mx + 3];
        const size_t at = static_cast<size_t>(y) * kCellW + x;
        out[at] = (picture[at] & 0xFFFFFFu) | alpha << 24;
      }
    mask->UnlockRect(0);
    return out;
  }
};

TEST_F(EffectStrip, EveryEffectAtFiveStagesInOnePicture) {
  CNoEffect linked;  // keeps its registration in this program
  const std::vector<int> ids = GetEffectRegistry().GetIds();
  ASSERT_FALSE(ids.empty());
  std::vector<DWORD> picture(static_cast<size_t>(kCellW) * kCellH);
  for (int y = 0; y < kCellH; ++y)
    for (int x = 0; x < kCellW; ++x) picture[static_cast<size_t>(y) * kCellW + x] = Sample(x, y);
  CTextureHolder source;
  MakePicture(source, kCellW, kCellH, FALSE, Sample);

  const int width = kGap + kColumns * (kCellW + kGap);
  const int height = kGap + static_cast<int>(ids.size()) * (kCellH + kGap);
  std::vector<DWORD> strip(static_cast<size_t>(width) * height, 0xFF303030u);
  const std::filesystem::path folder = BuildFolder();
  std::ofstream names(folder / "effect_strip.txt");
  names << "Rows top to bottom; columns at progress 0, 0.25, 0.5, 0.75, 1.\n";
  for (size_t row = 0; row < ids.size(); ++row) {
    std::unique_ptr<CEffect> effect(GetEffectRegistry().Create(ids[row]));
    ASSERT_NE(effect, nullptr) << ids[row];
    names << ids[row] << ' ' << compat::Utf16ToUtf8(std::u16string(effect->GetName())) << '\n';
    effect->Prepare(Device());
    // The screw sizes its mesh by the renderer's working picture, which this
    // bare device does not have: the cell stands in for it.
    if (auto* screw = dynamic_cast<CScrewEffect*>(effect.get())) screw->PrepareFor(&source);
    for (int column = 0; column < kColumns; ++column) {
      const std::vector<DWORD> frame = Frame(*effect, source, picture, kProgress[column]);
      ASSERT_EQ(frame.size(), picture.size()) << ids[row];
      const int left = kGap + column * (kCellW + kGap), top = kGap + static_cast<int>(row) * (kCellH + kGap);
      for (int y = 0; y < kCellH; ++y)
        for (int x = 0; x < kCellW; ++x)
          strip[static_cast<size_t>(top + y) * width + left + x] =
              Over(frame[static_cast<size_t>(y) * kCellW + x], Checker(x, y));
    }
  }

  const std::string path = (folder / "effect_strip.png").string();
  CPicImage image;
  ASSERT_TRUE(image.CreateFromBGRA(width, height, reinterpret_cast<const BYTE*>(strip.data())));
  ASSERT_TRUE(image.Save(path.c_str(), PIC_FORMAT_PNG)) << path;
  // What a person opens must be the strip: read it back through the loader.
  CImageFile file;
  const CString program(compat::FromHostPath(path).c_str());
  LONG w = 0, h = 0;
  ASSERT_TRUE(file.Open(program) && file.GetSize(&w, &h));
  EXPECT_EQ(w, width);
  EXPECT_EQ(h, height);
}

}  // namespace
