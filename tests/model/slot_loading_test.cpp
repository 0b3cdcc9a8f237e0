// Pictures into image slots: the 1024-pixel limit and its box filter, flip
// and mirror, clips, the mask from mask lines, the outline following the
// output size, and pictures that cannot be read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "project_links_fake.h"
#include "support/tool_runner.h"

namespace {

class SlotLoading : public ::testing::Test {
 protected:
  void SetUp() override { GetMorphProject()->ResetProject(); }
  void TearDown() override {
    GetMorphProject()->SetEditMode(kEditFeatureLine);
    GetMorphProject()->SetOutputSize(256, 256);
    GetMorphProject()->ResetProject();
  }

  // A BMP of w x h pixels coloured by f(x, y) (0x00RRGGBB).
  template <class F>
  CString Picture(const std::string& name, int w, int h, F f) {
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | f(x, y);
    CString path(compat::FromHostPath(dir.File(name)));
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
    return path;
  }

  static CImageSlot* Load(const CString& path) {
    CMorphPair* pair = GetMorphProject()->CurrentPair();
    pair->SetSourceImage(path);
    return pair->GetSourceSlot();
  }

  static DWORD At(const CImageSlot* slot, int x, int y) {
    return slot->GetPixels()[static_cast<size_t>(y) * slot->GetPixelSize().cx + x];
  }

  testsupport::TempDir dir;
};

}  // namespace

TEST_F(SlotLoading, LargePicturesAreLimitedTo1024Pixels) {
  // Left half red, right half blue, one column of each in every box.
  CImageSlot* slot = Load(Picture("wide.bmp", 2048, 1024, [](int x, int) { return x < 1024 ? 0xFF0000u : 0x0000FFu; }));
  ASSERT_TRUE(slot->HasPicture());
  EXPECT_EQ(slot->m_pictureSize.cx, 1024);
  EXPECT_EQ(slot->m_pictureSize.cy, 512);
  EXPECT_EQ(At(slot, 511, 100) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(At(slot, 512, 100) & 0xFFFFFF, 0x0000FFu);

  slot = Load(Picture("thin.bmp", 1025, 10, [](int, int) { return 0x102030u; }));
  EXPECT_EQ(slot->m_pictureSize.cx, 1024);
  EXPECT_EQ(slot->m_pictureSize.cy, 9);
  EXPECT_EQ(At(slot, 1023, 8) & 0xFFFFFF, 0x102030u);
}

TEST_F(SlotLoading, BoxFilterAveragesTheCoveredPixels) {
  // Black and white columns: every reduced pixel covers two of them.
  CImageSlot* slot = Load(Picture("stripes.bmp", 2048, 4, [](int x, int) { return x % 2 ? 0xFFFFFFu : 0u; }));
  ASSERT_EQ(slot->GetPixelSize().cx, 1024);
  ASSERT_EQ(slot->GetPixelSize().cy, 2);
  for (int x : {0, 100, 511, 1023}) {
    const int green = (At(slot, x, 1) >> 8) & 0xFF;
    EXPECT_NEAR(green, 128, 1) << x;
  }
}

TEST_F(SlotLoading, FlipAndMirrorTurnThePictureHalfRound) {
  CImageSlot* slot = GetMorphProject()->CurrentPair()->GetSourceSlot();
  slot->m_adjust.flip = 1;
  slot->m_adjust.mirror = 1;
  slot = Load(Picture("four.bmp", 3, 2, [](int x, int y) { return static_cast<DWORD>(0x10 * (y * 3 + x + 1)); }));
  ASSERT_TRUE(slot->HasPicture());
  EXPECT_EQ(At(slot, 0, 0) & 0xFFFFFF, 0x60u);
  EXPECT_EQ(At(slot, 2, 1) & 0xFFFFFF, 0x10u);
  EXPECT_EQ(At(slot, 1, 0) & 0xFFFFFF, 0x50u);
  slot->m_adjust.flip = 0;
  LoadImageSlot(slot, GetMorphProject()->CurrentPair());
  EXPECT_EQ(At(slot, 0, 0) & 0xFFFFFF, 0x30u);  // mirror only
}

TEST_F(SlotLoading, ColourAdjustmentReachesTheLastRowAndColumn) {
  CImageSlot* slot = GetMorphProject()->CurrentPair()->GetSourceSlot();
  slot->m_adjust.brightness = 100.0f;
  slot = Load(Picture("dark.bmp", 5, 4, [](int x, int y) { return static_cast<DWORD>(0x102030 + x + y); }));
  ASSERT_TRUE(slot->HasPicture());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(At(slot, x, y) & 0xFFFFFF, 0xFFFFFFu) << x << "," << y;
  slot->m_adjust = CColorAdjust{};
  LoadImageSlot(slot, GetMorphProject()->CurrentPair());
  EXPECT_EQ(At(slot, 4, 3) & 0xFFFFFF, 0x102037u) << "no adjustment: the plain copy";
}

TEST_F(SlotLoading, ClipIsHeldToThePicture) {
  CImageSlot* slot = GetMorphProject()->CurrentPair()->GetSourceSlot();
  slot->m_clip = RECT{10, 10, 5000, 20};
  slot = Load(Picture("square.bmp", 100, 100, [](int x, int y) { return static_cast<DWORD>(x | y << 8); }));
  EXPECT_EQ(slot->m_clip.right, 100);
  EXPECT_EQ(slot->m_clip.bottom, 20);
  EXPECT_EQ(slot->GetPixelSize().cx, 90);
  EXPECT_EQ(slot->GetPixelSize().cy, 10);
  EXPECT_EQ(At(slot, 0, 0) & 0xFFFF, 0x0A0Au);
  // A clip outside the picture (one set on a larger picture) does not
  // apply: the picture shows whole and the clip waits for a picture it fits.
  slot->m_clip = RECT{200, 200, 300, 300};
  LoadImageSlot(slot, GetMorphProject()->CurrentPair());
  ASSERT_TRUE(slot->HasPicture());
  EXPECT_EQ(slot->GetPixelSize().cx, 100);
  EXPECT_EQ(slot->GetPixelSize().cy, 100);
  EXPECT_EQ(At(slot, 50, 40) & 0xFFFF, 0x2832u);
  EXPECT_EQ(CRect(slot->m_clip), CRect(200, 200, 300, 300));
}

TEST_F(SlotLoading, MaskComesFromTheMaskLines) {
  CImageSlot* slot = Load(Picture("plain.bmp", 256, 256, [](int, int) { return 0x808080u; }));
  EXPECT_EQ(At(slot, 5, 5) >> 24, 255u);
  auto* line = new CFeatureLine;
  for (CVector2 p : {CVector2(25, 25), CVector2(75, 25), CVector2(75, 75), CVector2(25, 75)}) line->AddPoint(p);
  line->closed = 1;
  line->mask = 1;
  slot->GetLines()->GetLines().Add(line);
  slot->SetFeather(0);
  // Pane points at zoom 0.5: the square covers pixels 50..150.
  EXPECT_EQ(At(slot, 100, 100) >> 24, 255u);
  EXPECT_EQ(At(slot, 10, 10) >> 24, 0u);
  EXPECT_EQ(At(slot, 200, 100) >> 24, 0u);
  // A soft edge lets the alpha fall off across the border.
  slot->SetFeather(8);
  const DWORD edge = At(slot, 150, 100) >> 24;
  EXPECT_GT(edge, 0u);
  EXPECT_LT(edge, 255u);
  EXPECT_EQ(At(slot, 100, 100) >> 24, 255u);
  // "Set/Remvoe As Mask Figure" on it ends the mask at once.
  slot->GetLines()->ToggleMaskFigure(75, 25);
  EXPECT_EQ(At(slot, 10, 10) >> 24, 255u);
}

TEST_F(SlotLoading, TogglingAMaskLineReloadsItsSlotWithTheMask) {
  CImageSlot* slot = Load(Picture("plain.bmp", 256, 256, [](int, int) { return 0x808080u; }));
  slot->SetFeather(0);
  auto* line = new CFeatureLine;
  for (CVector2 p : {CVector2(25, 25), CVector2(75, 25), CVector2(75, 75), CVector2(25, 75)}) line->AddPoint(p);
  line->closed = 1;
  slot->GetLines()->GetLines().Add(line);
  slot->GetLines()->ToggleMaskFigure(50, 25);
  ASSERT_EQ(line->mask, 1);
  EXPECT_EQ(At(slot, 100, 100) >> 24, 255u);
  EXPECT_EQ(At(slot, 10, 10) >> 24, 0u);
}

TEST_F(SlotLoading, DisplayPictureFollowsTheEditMode) {
  CImageSlot* slot = Load(Picture("small.bmp", 64, 32, [](int, int) { return 0x00FF00u; }));
  EXPECT_EQ(slot->GetDisplayPictureSize().cx, 256);  // laid out at the output size
  SIZE shown;
  slot->GetDisplaySize(shown);
  EXPECT_EQ(shown.cx, 128);
  GetMorphProject()->SetEditMode(kEditImageProcess);
  EXPECT_EQ(slot->GetDisplayPictureSize().cx, 64);
  slot->GetDisplaySize(shown);
  EXPECT_EQ(shown.cy, 16);
}

TEST_F(SlotLoading, OutlineAndLinesFollowTheOutputSize) {
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  CImageSlot* slot = pair->GetSourceSlot();
  LoadImageSlot(slot, pair);  // laid out at 256 x 256, no picture
  slot->GetShape()->AppendPoint(CVector2(10, 10), nullptr);
  auto* line = new CFeatureLine;
  line->AddPoint(CVector2(4, 6));
  slot->GetLines()->GetLines().Add(line);
  GetMorphProject()->SetOutputSize(512, 512);
  EXPECT_FLOAT_EQ(slot->GetShape()->NodeAt(0).point.x, 20.0f);
  EXPECT_FLOAT_EQ(slot->GetLines()->PointAt(0, 0)->y, 12.0f);
}

TEST_F(SlotLoading, UnreadablePicturesAreReported) {
  CountingEditorLink editor;
  CImageSlot* slot = Load(CString(compat::FromHostPath(dir.File("missing.bmp"))));
  EXPECT_FALSE(slot->HasPicture());
  EXPECT_TRUE(editor.messages.empty());  // no file: no message
  std::ofstream(dir.File("junk.bmp")) << "not a bitmap";
  const CString junk(compat::FromHostPath(dir.File("junk.bmp")));
  slot = Load(junk);
  EXPECT_FALSE(slot->HasPicture());
  ASSERT_EQ(editor.messages.size(), 1u);
  // The message names the file as the user writes paths.
  EXPECT_EQ(editor.messages[0], compat::Utf8ToUtf16(dir.File("junk.bmp")) + u"cound not read!");
  // Only a regular file is read: a named pipe would wait for a writer for ever.
  ASSERT_EQ(mkfifo(dir.File("pipe.bmp").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.File("folder.bmp"));
  for (const char* name : {"pipe.bmp", "folder.bmp"}) {
    editor.messages.clear();
    EXPECT_FALSE(Load(CString(compat::FromHostPath(dir.File(name))))->HasPicture());
    ASSERT_EQ(editor.messages.size(), 1u);
    EXPECT_EQ(editor.messages[0], compat::Utf8ToUtf16(dir.File(name)) + u"cound not read!");
  }
}

TEST_F(SlotLoading, AnUnreadablePictureLeavesThePairAsItWas) {
  CountingEditorLink editor;
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  const CString good = Picture("good.bmp", 40, 30, [](int, int) { return 0x336699u; });
  ASSERT_TRUE(pair->SetSourceImage(good));
  std::ofstream(dir.File("notpic.jpg")) << "plain text, not a picture";
  const CString junk(compat::FromHostPath(dir.File("notpic.jpg")));
  EXPECT_FALSE(pair->SetSourceImage(junk));
  ASSERT_EQ(editor.messages.size(), 1u);
  CImageSlot* slot = pair->GetSourceSlot();
  EXPECT_TRUE(slot->HasPicture());
  EXPECT_EQ(slot->m_path.Native(), good.Native());
  EXPECT_EQ(pair->m_sourcePath.Native(), good.Native()) << "a save would name the file that is no picture";
  EXPECT_EQ(slot->m_pictureSize.cx, 40);
  EXPECT_EQ(slot->GetPixels()[0] & 0xFFFFFF, 0x336699u);

  // The picture overwritten by something that no longer reads: a reload keeps what was shown.
  std::ofstream(dir.File("good.bmp"), std::ios::trunc) << "half written";
  EXPECT_FALSE(pair->ReloadImages());
  EXPECT_TRUE(slot->HasPicture());
  EXPECT_EQ(slot->GetPixels()[0] & 0xFFFFFF, 0x336699u);

  // A new output size lays the slot out afresh: an old picture would no longer fit it.
  GetMorphProject()->SetOutputSize(128, 128);
  EXPECT_FALSE(slot->HasPicture());
}
