// The toolkit's own bitmap ids are the ones the program's resources carry,
// and the strips have the glyph grid the toolkit cuts them by.
#include <gtest/gtest.h>

#include "compat/win32.h"
#include "guitk/kit_resources.h"
#include "res/resource.h"

namespace {

TEST(KitResources, TheProgramSuppliesTheToolkitsGlyphsUnderItsIds) {
  EXPECT_EQ(kKitCaptionGlyphs, static_cast<UINT>(IDB_CAPTION_GLYPHS));
  EXPECT_EQ(kKitFrameGlyphs, static_cast<UINT>(IDB_FRAME_GLYPHS));
  for (UINT id : {kKitCaptionGlyphs, kKitFrameGlyphs}) {
    HBITMAP bitmap = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id));
    ASSERT_NE(bitmap, nullptr) << id;
    BITMAP info{};
    ASSERT_EQ(GetObjectW(bitmap, sizeof(info), &info), static_cast<int>(sizeof(info)));
    // Nine-pixel cells side by side.
    EXPECT_GT(info.bmWidth, 0) << id;
    EXPECT_EQ(info.bmWidth % 9, 0) << id;
    DeleteObject(bitmap);
  }
}

}  // namespace
