// The program's pictures: read by independent tools with their stated sizes,
// depths and hot spots, drawn the same at every build, and used where the
// program asks for them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "compat/afx.h"
#include "compat/win32.h"
#include "model/outline/transform_tracker.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace {

const std::filesystem::path kPictures = CALVETTA_PROGRAM_PICTURES_DIR;

std::string Listing(const std::string& file) {
  return testsupport::RunTool("icotool -l '" + (kPictures / file).string() + "'");
}

std::string Slurp(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, bitmap);
  const COLORREF c = GetPixel(dc, x, y);
  SelectObject(dc, old);
  DeleteDC(dc);
  return c;
}

}  // namespace

TEST(ProgramPictures, CursorsAndIconReadByIcotoolWithTheirSizesDepthsAndHotSpots) {
  ASSERT_TRUE(testsupport::HaveTool("icotool"));
  EXPECT_EQ(Listing("fill_drag33.cur"),
            "--cursor --index=1 --width=64 --height=64 --bit-depth=8 --palette-size=256 --hotspot-x=31 --hotspot-y=31\n");
  for (const char* name : {"drop_accepted106.cur", "drop_refused107.cur", "point_delete108.cur", "segment133.cur"})
    EXPECT_NE(Listing(name).find("--width=32 --height=32 --bit-depth=1 --palette-size=2 --hotspot-x=0 --hotspot-y=0"),
              std::string::npos)
        << name;
  for (const char* name : {"line_move30989.cur", "rotate14.cur"})
    EXPECT_NE(Listing(name).find("--hotspot-x=15 --hotspot-y=15"), std::string::npos) << name;
  const std::string icon = Listing("calvetta.ico");
  for (const char* size : {"--width=48 --height=48", "--width=32 --height=32", "--width=16 --height=16"})
    EXPECT_NE(icon.find(size), std::string::npos) << size;
}

TEST(ProgramPictures, BitmapsReadByPilWithTheirSizesAndDepths) {
  const std::string script =
      "import sys\nfrom PIL import Image\n"
      "for f in sys.argv[1:]:\n"
      "    im = Image.open(f)\n"
      "    print(f.split('/')[-1], im.size[0], im.size[1], im.mode)\n";
  std::string command = "/usr/bin/python3 -c \"" + script + "\"";
  for (const char* name : {"toolbar128.bmp", "glyphs18041.bmp", "glyphs2004.bmp", "alpha1002.bmp", "timeline3119.bmp",
                           "list158.bmp"})
    command += " '" + (kPictures / name).string() + "'";
  int status = 0;
  const std::string out = testsupport::RunTool(command, &status);
  ASSERT_EQ(status, 0) << out;
  EXPECT_EQ(out,
            "toolbar128.bmp 320 15 P\n"   // twenty 16 x 15 buttons
            "glyphs18041.bmp 144 9 P\n"   // sixteen 9-pixel glyphs
            "glyphs2004.bmp 63 9 P\n"
            "alpha1002.bmp 256 12 P\n"
            "timeline3119.bmp 14 14 P\n"
            "list158.bmp 16 16 P\n");
}

TEST(ProgramPictures, TheGeneratorDrawsTheSameBytesEveryTime) {
  testsupport::TempDir dir;
  int status = 0;
  testsupport::RunTool(std::string(CALVETTA_PROGRAM_PICTURES_TOOL) + " '" + dir.path() + "'", &status);
  ASSERT_EQ(status, 0);
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(kPictures)) {
    if (entry.path().filename().string()[0] == '.') continue;
    ++files;
    EXPECT_EQ(Slurp(entry.path()), Slurp(std::filesystem::path(dir.path()) / entry.path().filename()))
        << entry.path().filename();
  }
  EXPECT_EQ(files, 32);
}

TEST(ProgramPictures, ToolbarBitmapTakesTheButtonFaceInForce) {
  const INT elements[] = {COLOR_BTNFACE};
  const COLORREF saved[] = {GetSysColor(COLOR_BTNFACE)};
  const COLORREF scripted[] = {RGB(0xE0, 0xD0, 0xC0)};
  ASSERT_TRUE(SetSysColors(1, elements, scripted));
  HINSTANCE module = GetModuleHandleW(nullptr);
  HBITMAP bitmap = AfxLoadSysColorBitmap(module, FindResourceW(module, MAKEINTRESOURCEW(IDR_MAINFRAME), RT_BITMAP));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info;
  GetObjectW(bitmap, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 320);
  EXPECT_EQ(info.bmHeight, 15);
  EXPECT_EQ(PixelOf(bitmap, 0, 0), RGB(0xE0, 0xD0, 0xC0));  // the light grey around the new page
  DeleteObject(bitmap);
  SetSysColors(1, elements, saved);
}

TEST(ProgramPictures, TheTrackerShowsTheProgramsRotationCursor) {
  CTransformTracker tracker;
  tracker.SetRect(CRectF(0.0f, 0.0f, 100.0f, 50.0f));
  ASSERT_TRUE(tracker.SetTrackerCursor(POINT{115, 25}));  // the rotation handle
  HCURSOR rotation = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_ROTATE));
  ASSERT_NE(rotation, nullptr);
  EXPECT_EQ(GetCursor(), rotation);
  EXPECT_NE(rotation, LoadCursorW(nullptr, IDC_ARROW));
  ICONINFO info;
  ASSERT_TRUE(GetIconInfo(rotation, &info));
  EXPECT_EQ(info.xHotspot, 15u);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}
