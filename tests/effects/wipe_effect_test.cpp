// "Wipe": the threshold table, the mask alpha written per progress, loading
// the mask picture (broken ones reported once) and the parameter block.
#include "effects/wipe_effect.h"
#include "render/pair_pictures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>

#include "coded_picture_fixture.h"
#include "compat/host_path.h"
#include "compat/win32.h"
#include "imaging/image_file.h"
#include "platform/program_folder.h"

namespace {

std::vector<int> Table(double level, double edge, int reverse) {
  std::vector<int> table(256);
  BuildThresholdTable(table.data(), level, edge, reverse);
  return table;
}

constexpr int kClear = kThresholdClear;
constexpr int kOpaque = kThresholdOpaque;

TEST(WipeThresholdTable, EdgeZeroIsAHardThresholdFromEitherEnd) {
  // Half way: level 127 is the threshold, from the bright end without
  // reverse and from the dark end with it.
  std::vector<int> plain = Table(0.5, 0.0, 0), reversed = Table(0.5, 0.0, 1);
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(plain[k], k >= 127 ? kOpaque : kClear) << k;
    EXPECT_EQ(reversed[k], k <= 128 ? kOpaque : kClear) << k;
  }
  // Covered: only the extreme level passes; uncovered: everything does.
  plain = Table(1.0, 0.0, 0);
  EXPECT_EQ(plain[254], kClear);
  EXPECT_EQ(plain[255], kOpaque);
  EXPECT_EQ(Table(1.0, 0.0, 1)[0], kOpaque);
  EXPECT_EQ(Table(1.0, 0.0, 1)[1], kClear);
  for (int entry : Table(0.0, 0.0, 0)) EXPECT_EQ(entry, kOpaque);
  for (int entry : Table(0.0, 0.0, 1)) EXPECT_EQ(entry, kOpaque);
}

TEST(WipeThresholdTable, AnEdgeMakesARampBelowTheThreshold) {
  // Edge 0.2 is 51 levels: at half way the ramp runs from 102 to 153.
  const std::vector<int> table = Table(0.5, 0.2, 0);
  EXPECT_EQ(table[101], kClear);
  EXPECT_EQ(table[102], 0);
  EXPECT_EQ(table[127], 125);
  EXPECT_EQ(table[152], 250);
  EXPECT_EQ(table[153], kOpaque);
  // With reverse the same ramp is read from the other end.
  const std::vector<int> reversed = Table(0.5, 0.2, 1);
  for (int k = 0; k < 256; ++k) EXPECT_EQ(reversed[k], table[255 - k]) << k;
  // The widest edge ramps over every level.
  const std::vector<int> wide = Table(0.5, 1.0, 0);
  for (int k = 0; k < 255; ++k) EXPECT_EQ(wide[k], k) << k;
  EXPECT_EQ(wide[255], kOpaque);
  // Values no dialog gives still make a table.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Table(nan, nan, 0), Table(1.0, 0.0, 0));
  EXPECT_EQ(Table(-3.0, 9.0, 0), Table(0.0, 1.0, 0));
}

// Masks written into a folder of the test's own; message boxes counted.
class WipeMask : public RendererTest {
 protected:
  void SetUp() override {
    RendererTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("calvetta-wipe-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    compat::ResetMessageBoxLog();
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  CString Path(const std::string& name) {
    return CString(compat::FromHostPath((folder_ / name).string()).c_str());
  }
  // A picture whose red bytes are the given grey levels.
  CString WriteMask(const std::string& name, int width, int height, const std::vector<int>& levels) {
    std::vector<DWORD> pixels;
    for (int g : levels) pixels.push_back(0xFF000000u | static_cast<DWORD>(g) << 16 | 0x3300u | 0x11u);
    const CString path = Path(name);
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, width, height, pixels.data(), 0));
    return path;
  }
  void WriteBytes(const std::string& name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::vector<int> MaskAlpha(CWipeEffect& effect, float progress) {
    effect.Render(nullptr, nullptr, nullptr, nullptr, progress);
    std::vector<int> alpha;
    IDirect3DTexture9* texture = effect.GetWipeTexture();
    D3DLOCKED_RECT locked;
    if (!texture || FAILED(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) return alpha;
    for (int y = 0; y < effect.m_maskHeight; ++y)
      for (int x = 0; x < effect.m_maskWidth; ++x)
        alpha.push_back(static_cast<const BYTE*>(locked.pBits)[y * locked.Pitch + 4 * x + 3]);
    texture->UnlockRect(0);
    return alpha;
  }

  std::filesystem::path folder_;
};

TEST_F(WipeMask, ThePicturesRedLevelsGiveTheAlphaOfEachTexelInOrder) {
  CWipeEffect effect;
  effect.m_maskPath = WriteMask("levels.bmp", 8, 2, {0, 50, 100, 126, 127, 128, 200, 255,
                                                     255, 200, 128, 127, 126, 100, 50, 0});
  effect.Prepare(Device());
  ASSERT_NE(effect.GetWipeTexture(), nullptr);
  ASSERT_EQ(effect.m_maskWidth, 8);
  ASSERT_EQ(effect.m_maskHeight, 2);

  effect.m_edge = 0.0f;
  effect.m_reverse = 0;
  EXPECT_EQ(MaskAlpha(effect, 0.5f),
            (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0}));
  effect.m_reverse = 1;
  EXPECT_EQ(MaskAlpha(effect, 0.5f),
            (std::vector<int>{255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}));
  // A ramp value v becomes (v x 255) >> 8.
  effect.m_edge = 0.2f;
  effect.m_reverse = 0;
  EXPECT_EQ(MaskAlpha(effect, 0.5f),
            (std::vector<int>{0, 0, 0, 119, 124, 129, 255, 255, 255, 255, 129, 124, 119, 0, 0, 0}));
  // The ends of the transition ignore the table.
  for (int reverse : {0, 1}) {
    effect.m_reverse = reverse;
    EXPECT_EQ(MaskAlpha(effect, 0.0f), std::vector<int>(16, 0));
    EXPECT_EQ(MaskAlpha(effect, 1.0f), std::vector<int>(16, 255));
  }
}

// Ten thousand pairs wiping through one picture hold one mask, not ten
// thousand; each still draws its own progress, and a picture written again
// is read again.
TEST_F(WipeMask, EffectsNamingOnePictureShareItsMaskUntilThePictureChanges) {
  const std::vector<int> ramp{0, 50, 100, 126, 127, 128, 200, 255, 255, 200, 128, 127, 126, 100, 50, 0};
  CWipeEffect a, b;
  a.m_maskPath = b.m_maskPath = WriteMask("shared.bmp", 8, 2, ramp);
  a.Prepare(Device());
  b.Prepare(Device());
  ASSERT_NE(a.GetWipeTexture(), nullptr);
  EXPECT_EQ(a.GetWipeTexture(), b.GetWipeTexture());
  a.m_edge = b.m_edge = 0.0f;
  a.m_reverse = 0;
  b.m_reverse = 1;
  EXPECT_EQ(MaskAlpha(a, 0.5f), (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0}));
  EXPECT_EQ(MaskAlpha(b, 0.5f), (std::vector<int>{255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255}));

  WriteMask("shared.bmp", 8, 2, std::vector<int>(16, 255));
  b.Prepare(Device());
  EXPECT_NE(b.GetWipeTexture(), a.GetWipeTexture());
  b.m_reverse = 0;
  EXPECT_EQ(MaskAlpha(b, 0.5f), std::vector<int>(16, 255));
  EXPECT_EQ(MaskAlpha(a, 0.5f)[0], 0) << "the other keeps the picture it read";
}

TEST_F(WipeMask, TheDefaultMaskLiesBesideTheProgramAndOpensFromTheCentre) {
  CWipeEffect effect;
  EXPECT_EQ(effect.m_maskPath, GetProgramFolder() + u"\\Wipe\\Wipe5.png");
  effect.Prepare(Device());
  ASSERT_NE(effect.GetWipeTexture(), nullptr) << "the build writes the masks beside the program";
  const int w = effect.m_maskWidth, h = effect.m_maskHeight;
  const std::vector<int> alpha = MaskAlpha(effect, 0.5f);
  ASSERT_EQ(alpha.size(), static_cast<size_t>(w) * h);
  const int centre = alpha[static_cast<size_t>(h / 2) * w + w / 2];
  const int corner = alpha[0];
  EXPECT_EQ(centre, 255);
  EXPECT_EQ(corner, 0);
  effect.m_reverse = 0;
  EXPECT_EQ(MaskAlpha(effect, 0.5f)[static_cast<size_t>(h / 2) * w + w / 2], 0);
  EXPECT_EQ(MaskAlpha(effect, 0.5f)[0], 255);
  EXPECT_EQ(compat::MessageBoxCount(), 0);
}

TEST_F(WipeMask, ABrokenPictureIsReportedOncePerPathAndLeavesNoMask) {
  WriteBytes("broken.png", "not a picture at all");
  CWipeEffect first, second;
  first.m_maskPath = second.m_maskPath = Path("broken.png");
  // The frame rendering asks again on every frame while there is no mask.
  for (int frame = 0; frame < 3; ++frame) {
    first.Prepare(Device());
    second.Prepare(Device());
  }
  EXPECT_EQ(first.GetWipeTexture(), nullptr);
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), compat::Utf8ToUtf16((folder_ / "broken.png").string()) + u"cound not read!");
  first.Render(nullptr, nullptr, nullptr, nullptr, 0.5f);  // nothing to draw

  // Another broken path has its own report.
  WriteBytes("other.png", "\x89PNG\r\n\x1a\n broken too");
  first.m_maskPath = Path("other.png");
  first.Prepare(Device());
  EXPECT_EQ(compat::MessageBoxCount(), 2);

  // Missing, empty and unknown kinds of file stay silent.
  WriteBytes("mask.xyz", "x");
  for (const CString& path : {Path("missing.png"), CString(), Path("mask.xyz")}) {
    first.m_maskPath = path;
    first.Prepare(Device());
    EXPECT_EQ(first.GetWipeTexture(), nullptr);
  }
  EXPECT_EQ(compat::MessageBoxCount(), 2);
}

TEST_F(WipeMask, TheBlockRoundTripsRelocatesItsPathAndClampsItsValues) {
  CWipeEffect effect;
  const std::vector<BYTE> defaults = StoreBlock(effect);
  const std::vector<BYTE> tail = BlockBytes().Float(0.2f).Word(1).bytes();
  ASSERT_GT(defaults.size(), tail.size());
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), defaults.end() - 8));
  CWipeEffect loaded;
  loaded.m_maskPath = CString();
  ASSERT_TRUE(LoadBlock(defaults, loaded));
  EXPECT_EQ(loaded.m_maskPath, effect.m_maskPath);
  EXPECT_EQ(StoreBlock(loaded), defaults);

  // A stored mask that is gone is found by name in the program's folder, or
  // dropped.
  CWipeEffect moved;
  moved.m_maskPath = CString(u"C:\\gone\\away\\Wipe3.png");
  ASSERT_TRUE(LoadBlock(StoreBlock(moved), loaded));
  EXPECT_EQ(loaded.m_maskPath, GetProgramFolder() + u"\\Wipe\\Wipe3.png");
  moved.m_maskPath = CString(u"C:\\gone\\away\\NoSuchMask.png");
  ASSERT_TRUE(LoadBlock(StoreBlock(moved), loaded));
  EXPECT_TRUE(loaded.m_maskPath.IsEmpty());

  struct Case { float edge; int reverse; float wantEdge; int wantReverse; } cases[] = {
      {1.5f, 7, 1.0f, 1}, {-0.25f, -1, 0.0f, 1}, {std::numeric_limits<float>::quiet_NaN(), 0, 0.2f, 0},
      {0.75f, 0, 0.75f, 0}};
  for (const Case& c : cases) {
    CWipeEffect stored;
    stored.m_edge = c.edge;
    stored.m_reverse = c.reverse;
    ASSERT_TRUE(LoadBlock(StoreBlock(stored), loaded));
    EXPECT_EQ(loaded.m_edge, c.wantEdge) << c.edge;
    EXPECT_EQ(loaded.m_reverse, c.wantReverse) << c.reverse;
  }
  EXPECT_FALSE(LoadBlock(std::vector<BYTE>(defaults.begin(), defaults.end() - 2), loaded));
}

// As every picture path of a project: a mask path no file can have (a NUL,
// a lone surrogate) refuses the block; one that is a loop of symbolic links
// names a picture that cannot be read, is kept, and says so.
TEST_F(WipeMask, APathNoFileCanHaveIsRefusedAndALinkLoopIsReported) {
  CWipeEffect stored, loaded;
  stored.m_maskPath = Path("#mask.png");
  const std::vector<BYTE> block = StoreBlock(stored);
  const BYTE hash[] = {'#', 0};  // the character to damage, in UTF-16
  const auto mark = std::search(block.begin(), block.end(), std::begin(hash), std::end(hash));
  ASSERT_NE(mark, block.end());
  for (BYTE high : {0x00, 0xD8, 0xDC}) {
    std::vector<BYTE> damaged = block;
    damaged[static_cast<size_t>(mark - block.begin())] = 0x00;
    damaged[static_cast<size_t>(mark - block.begin()) + 1] = high;
    EXPECT_FALSE(LoadBlock(damaged, loaded)) << int{high};
  }
  ASSERT_EQ(::symlink("loop.png", (folder_ / "loop.png").c_str()), 0);
  stored.m_maskPath = Path("loop.png");
  ASSERT_TRUE(LoadBlock(StoreBlock(stored), loaded));
  EXPECT_EQ(loaded.m_maskPath, Path("loop.png"));
  loaded.Prepare(Device());
  EXPECT_EQ(loaded.GetWipeTexture(), nullptr);
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), compat::Utf8ToUtf16((folder_ / "loop.png").string()) + u"cound not read!");
}

TEST_F(WipeMask, LoadingAnotherPathDropsTheOldMask) {
  CWipeEffect effect;
  effect.Prepare(Device());
  ASSERT_NE(effect.GetWipeTexture(), nullptr);
  CWipeEffect other;
  other.m_maskPath = GetProgramFolder() + u"\\Wipe\\Wipe1.png";
  ASSERT_TRUE(LoadBlock(StoreBlock(other), effect));
  EXPECT_EQ(effect.GetWipeTexture(), nullptr);
  effect.Prepare(Device());
  EXPECT_NE(effect.GetWipeTexture(), nullptr);
}

}  // namespace
