// The generator's pictures checked by independent readers (icotool, PIL), their resources'
// layouts, the framework's registered table, and the compiler run as the build runs it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "compat/resource_table.h"
#include "rc_test_support.h"
#include "res_decoder.h"
#include "support/tool_runner.h"

namespace rctest {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

const char* const kCursors[] = {"arrow", "ibeam", "wait", "cross", "uparrow", "size_nwse", "size_nesw", "size_we",
                                "size_ns", "size_all", "no", "hand", "app_starting", "hsplitbar", "vsplitbar",
                                "test_cursor_64"};

bool HaveTool(const std::string& name) {
  int status = 0;
  RunCommand("command -v " + name + " >/dev/null 2>&1", status);
  return status == 0;
}

std::string Python() {
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    int status = 0;
    RunCommand(std::string(candidate) + " -c 'import PIL' 2>/dev/null", status);
    if (status == 0) return candidate;
  }
  return "";
}

class Pictures : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    int status = 0;
    std::string output = RunCommand(std::string(CALVETTA_RESGEN_PATH) + " '" + dir_->Path().string() + "' 2>&1", status);
    ASSERT_EQ(status, 0) << output;
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static fs::path File(const std::string& name) { return dir_->Path() / name; }
  static ScratchDir* dir_;
};
ScratchDir* Pictures::dir_ = nullptr;

TEST_F(Pictures, IcotoolListsEachCursorWithItsSizeAndHotSpot) {
  CALVETTA_REQUIRE_TOOL(HaveTool("icotool"), "icotool");
  for (const char* name : kCursors) {
    int status = 0;
    std::string listing = RunCommand("icotool -l '" + File(std::string(name) + ".cur").string() + "' 2>&1", status);
    SCOPED_TRACE(name);
    EXPECT_EQ(status, 0) << listing;
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 1);
    EXPECT_THAT(listing, HasSubstr("--cursor --index=1"));
    EXPECT_THAT(listing, HasSubstr("--bit-depth=1"));
  }
  int status = 0;
  EXPECT_THAT(RunCommand("icotool -l '" + File("test_cursor_64.cur").string() + "'", status),
              HasSubstr("--width=64 --height=64 --bit-depth=1 --palette-size=2 --hotspot-x=31 --hotspot-y=31"));
  for (const char* split : {"hsplitbar.cur", "vsplitbar.cur"})
    EXPECT_THAT(RunCommand("icotool -l '" + File(split).string() + "'", status),
                HasSubstr("--width=32 --height=32 --bit-depth=1 --palette-size=2 --hotspot-x=15 --hotspot-y=15"));
  EXPECT_EQ(RunCommand("icotool -l '" + File("application.ico").string() + "'", status),
            "--icon --index=1 --width=32 --height=32 --bit-depth=4 --palette-size=16\n"
            "--icon --index=2 --width=16 --height=16 --bit-depth=4 --palette-size=16\n");
}

TEST_F(Pictures, PilOpensEveryBitmapWithTheDrawnColours) {
  std::string python = Python();
  CALVETTA_REQUIRE_TOOL(!python.empty(), "python3 with PIL");
  std::string script = "import sys\nfrom PIL import Image\n"
                       "for path in sys.argv[1:]:\n"
                       "    im = Image.open(path); im.load(); rgb = im.convert('RGB')\n"
                       "    print(im.size[0], im.size[1], im.mode, rgb.getpixel((0, 0)), rgb.getpixel((8, 8)),"
                       " rgb.getpixel((24, 8)) if im.size[0] > 24 else '', rgb.getpixel((5, im.size[1] - 1)))\n";
  dir_->Write("check.py", script);
  int status = 0;
  std::string output = RunCommand(python + " '" + File("check.py").string() + "' '" + File("test_toolbar16.bmp").string() +
                               "' '" + File("menu_radio_dot.bmp").string() + "' 2>&1",
                           status);
  ASSERT_EQ(status, 0) << output;
  EXPECT_EQ(output,
            "32 16 P (255, 255, 255) (0, 0, 0) (255, 0, 0) (128, 128, 128)\n"
            "13 13 1 (255, 255, 255) (255, 255, 255)  (255, 255, 255)\n");
}

TEST_F(Pictures, BitmapResourceRewrappedWithAFileHeaderIsTheFile) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, "1 BITMAP \"test_toolbar16.bmp\"\n2 BITMAP \"menu_radio_dot.bmp\"\n", result, error,
                      {dir_->Path()}))
      << error;
  for (auto [id, name] : {std::pair(1, "test_toolbar16.bmp"), std::pair(2, "menu_radio_dot.bmp")}) {
    const std::vector<uint8_t>& dib = Find(result, 2, static_cast<uint16_t>(id))->data;
    uint32_t headerSize = dib[0] | dib[1] << 8;
    uint32_t bitCount = dib[14] | dib[15] << 8;
    uint32_t offBits = 14 + headerSize + (4u << bitCount);
    Image file;
    file.A("BM").D(static_cast<uint32_t>(14 + dib.size())).W(0).W(0).D(offBits);
    file.bytes.insert(file.bytes.end(), dib.begin(), dib.end());
    std::string original = ReadFile(File(name));
    EXPECT_EQ(std::string(file.bytes.begin(), file.bytes.end()), original) << name;
  }
}

TEST_F(Pictures, CursorAndIconResourcesFollowTheGroupLayouts) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, "33 CURSOR \"test_cursor_64.cur\"\n128 ICON \"application.ico\"\n", result, error,
                      {dir_->Path()}))
      << error;
  std::string cur = ReadFile(File("test_cursor_64.cur"));
  uint32_t imageBytes = static_cast<uint8_t>(cur[14]) | static_cast<uint8_t>(cur[15]) << 8;
  Image group;
  group.W(0).W(2).W(1).W(64).W(128).W(1).W(1).D(imageBytes + 4).W(1);
  EXPECT_EQ(Find(result, 12, 33)->data, group.bytes);
  Image cursor;
  cursor.W(31).W(31).A(cur.substr(22));
  EXPECT_EQ(Find(result, 1, 1)->data, cursor.bytes);

  const std::vector<uint8_t>& icons = Find(result, 14, 128)->data;
  ASSERT_EQ(icons.size(), 6u + 2 * 14);
  EXPECT_EQ(icons[6], 32);
  EXPECT_EQ(icons[6 + 14], 16);
  EXPECT_EQ(icons[6 + 6], 4);                    // bits per pixel of the first image
  EXPECT_EQ(icons[6 + 12] | icons[6 + 13] << 8, 2);  // images numbered after the cursor's
  EXPECT_NE(Find(result, 3, 2), nullptr);
  EXPECT_NE(Find(result, 3, 3), nullptr);
}

TEST(FrameworkTable, IsRegisteredWithItsCursorsBitmapIconAndTexts) {
  using compat::FindResourceEntry;
  using compat::ResourceModule;
  for (WORD id : {30980, 30981, 32512, 32513, 32514, 32515, 32516, 32642, 32643, 32644, 32645, 32646, 32648, 32649, 32650})
    EXPECT_NE(FindResourceEntry(ResourceModule::Framework, 12, id), nullptr) << id;
  EXPECT_NE(FindResourceEntry(ResourceModule::Framework, 14, 32512), nullptr);
  EXPECT_NE(FindResourceEntry(ResourceModule::Framework, 2, 30999), nullptr);
  EXPECT_EQ(FindResourceEntry(ResourceModule::Program, 12, 30980), nullptr);

  // The splitter cursor's image resource starts with its hot spot.
  const compat::ResourceEntry* group = FindResourceEntry(ResourceModule::Framework, 12, 30980);
  WORD imageId = static_cast<WORD>(group->data[18] | group->data[19] << 8);
  const compat::ResourceEntry* image = FindResourceEntry(ResourceModule::Framework, 1, imageId);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->data[0], 15);
  EXPECT_EQ(image->data[2], 15);

  const compat::ResourceEntry* bundle = FindResourceEntry(ResourceModule::Framework, 6, (0xF003 >> 4) + 1);
  ASSERT_NE(bundle, nullptr);
  std::optional<std::vector<std::u16string>> strings =
      DecodeStringBundle(std::vector<uint8_t>(bundle->data, bundle->data + bundle->size));
  ASSERT_TRUE(strings);
  EXPECT_EQ((*strings)[0], u"Open");
  EXPECT_EQ((*strings)[1], u"Save As");
  EXPECT_EQ((*strings)[2], u"All Files (*.*)");
  EXPECT_EQ((*strings)[3], u"Untitled");
  EXPECT_EQ(reinterpret_cast<uintptr_t>(bundle->data) % 4, 0u);  // readers take words and DWORDs in place
}

TEST(CompilerTool, FailsTheBuildNamingFileAndLine) {
  ScratchDir dir;
  fs::path script = dir.Write("bad.rc", "1 TOOLBAR 16, 15\nBEGIN\n  BUTTON ,\nEND\n");
  int status = 0;
  std::string output = RunCommand(std::string(CALVETTA_RC_PATH) + " -o '" + (dir.Path() / "out.cpp").string() + "' '" +
                               script.string() + "' 2>&1",
                           status);
  EXPECT_NE(status, 0);
  EXPECT_THAT(output, HasSubstr("bad.rc:3:10: error: expected a number"));
  EXPECT_FALSE(fs::exists(dir.Path() / "out.cpp"));
}

TEST(CompilerTool, WritesTheTableSourceAndTheDependencyList) {
  ScratchDir dir;
  dir.Write("ids.h", "#define IDB_DOT 5\n");
  fs::path script = dir.Write("app.rc", "#include \"ids.h\"\nIDB_DOT BITMAP \"menu_radio_dot.bmp\"\n");
  fs::path out = dir.Path() / "app_res.cpp";
  int status = 0;
  std::string output = RunCommand(std::string(CALVETTA_RC_PATH) + " -I '" + CALVETTA_PICTURES_DIR + "' --depfile '" +
                               out.string() + ".d' -o '" + out.string() + "' '" + script.string() + "' 2>&1",
                           status);
  ASSERT_EQ(status, 0) << output;
  std::string source = ReadFile(out);
  EXPECT_THAT(source, HasSubstr("{2, 5, kData0, "));
  EXPECT_THAT(source, HasSubstr("compat::ResourceModule::Program"));
  std::string depfile = ReadFile(out.string() + ".d");
  EXPECT_THAT(depfile, HasSubstr(out.string() + ":"));
  EXPECT_THAT(depfile, HasSubstr("ids.h"));
  EXPECT_THAT(depfile, HasSubstr("/menu_radio_dot.bmp"));
}

}  // namespace
}  // namespace rctest
