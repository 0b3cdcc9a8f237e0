// Bitmaps from resources and .bmp files: palettes, row order, sections,
// image lists made from a strip, and data too short for its header.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "compat/resource_table.h"
#include "support/tool_runner.h"
#include "compat/win32/gdi_canvas.h"

namespace {

// A 4x2 bottom-up 8-bit bitmap: bottom row red, top row blue and magenta.
struct alignas(4) PackedDib {
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER), 4, 2, 1, 8, BI_RGB, 8, 0, 0, 3, 0};
  RGBQUAD colors[3] = {{0, 0, 255, 0}, {255, 0, 0, 0}, {255, 0, 255, 0}};
  BYTE rows[8] = {0, 0, 0, 0, 1, 1, 2, 2};
};
const PackedDib kStrip;

const compat::ResourceEntry kEntries[] = {
    {2, 500, reinterpret_cast<const BYTE*>(&kStrip), sizeof(PackedDib)},
    {2, 501, reinterpret_cast<const BYTE*>(&kStrip), sizeof(BITMAPINFOHEADER) + 4},  // cut short
};
compat::ResourceTable kTable{kEntries, 2, compat::ResourceModule::Program, "gdi_bitmap_load_test", nullptr};
const bool kRegistered = compat::RegisterResourceTable(kTable);

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

TEST(GdiBitmapLoad, ResourceBitmapsKeepTheirRowsAndColours) {
  ASSERT_TRUE(kRegistered);
  HBITMAP b = LoadBitmapW(nullptr, MAKEINTRESOURCEW(500));
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(b, 0, 1), RGB(255, 0, 0));
  EXPECT_EQ(PixelOf(b, 0, 0), RGB(0, 0, 255));
  EXPECT_EQ(PixelOf(b, 3, 0), RGB(255, 0, 255));
  DeleteObject(b);
  HANDLE section = LoadImageW(nullptr, MAKEINTRESOURCEW(500), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
  DIBSECTION ds;
  ASSERT_EQ(GetObjectW(section, sizeof(ds), &ds), static_cast<int>(sizeof(ds)));
  EXPECT_EQ(PixelOf(static_cast<HBITMAP>(section), 3, 1), RGB(255, 0, 0));
  DeleteObject(section);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(501)), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, MAKEINTRESOURCEW(502)), nullptr);
  EXPECT_EQ(LoadBitmapW(nullptr, u"NAMED"), nullptr);
}

TEST(GdiBitmapLoad, ImageListFromAStripWithAMaskColour) {
  HIMAGELIST list = ImageList_LoadImageW(nullptr, MAKEINTRESOURCEW(500), 2, 1, RGB(255, 0, 255),
                                         IMAGE_BITMAP, 0);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(list), 2);
  GdiCanvas c(2, 2, RGB(0, 128, 0));
  ImageList_Draw(list, 1, c.dc(), 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(c.At(0, 0), RGB(0, 128, 0));  // magenta is the mask colour
  EXPECT_EQ(c.At(0, 1), RGB(255, 0, 0));
  ImageList_Destroy(list);
}

TEST(GdiBitmapLoad, BmpFilesWrittenByAnIndependentTool) {
  std::string path = ::testing::TempDir() + "gdi_load_test.bmp";
  std::string command = "convert -size 3x2 xc:'rgb(10,200,30)' -fill 'rgb(250,0,5)' -draw 'point 2,1' "
                        "-type TrueColor BMP3:" + path + " 2>/dev/null";
  CALVETTA_REQUIRE_TOOL(std::system(command.c_str()) == 0, "ImageMagick");
  std::u16string wide(path.begin(), path.end());
  HANDLE b = LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(PixelOf(static_cast<HBITMAP>(b), 0, 0), RGB(10, 200, 30));
  EXPECT_EQ(PixelOf(static_cast<HBITMAP>(b), 2, 1), RGB(250, 0, 5));
  DeleteObject(b);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << "BM not really";
  EXPECT_EQ(LoadImageW(nullptr, wide.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE), nullptr);
  std::remove(path.c_str());
}

}  // namespace
