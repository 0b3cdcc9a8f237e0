// The image file object: every format through one road, and the decoded
// picture cache with its replacement order and its lock.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "imaging/image_cache.h"
#include "imaging/image_file.h"
#include "imaging_test_tools.h"

using namespace imaging_test;

namespace {

CString Program(const std::string& hostPath) { return CString(compat::FromHostPath(hostPath).c_str()); }

Rgba Picture(int width, int height, int seed) {
  Rgba p;
  p.width = width;
  p.height = height;
  p.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* q = &p.pixels[(static_cast<size_t>(y) * width + x) * 4];
      q[0] = static_cast<unsigned char>(x * 40 + seed);
      q[1] = static_cast<unsigned char>(y * 60);
      q[2] = static_cast<unsigned char>(seed * 3);
      q[3] = 255;
    }
  return p;
}

// Open, size, read, as the slot loader does.
bool Load(const std::string& path, std::vector<DWORD>* pixels, LONG* width, LONG* height) {
  CImageFile file;
  if (!file.Open(Program(path)) || !file.GetSize(width, height)) return false;
  pixels->assign(static_cast<size_t>(*width) * *height, 0);
  return file.ReadPixels(pixels->data(), *width, *height);
}

void ExpectPicture(const std::vector<DWORD>& ours, const Rgba& reference, const std::string& what) {
  ASSERT_EQ(ours.size(), static_cast<size_t>(reference.width) * reference.height) << what;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const unsigned char* r = reference.At(x, y);
      ASSERT_EQ(ours[static_cast<size_t>(y) * reference.width + x],
                static_cast<DWORD>(r[2] | (r[1] << 8) | (r[0] << 16) | 0xFF000000u))
          << what << " at " << x << "," << y;
    }
}

class ImageFileFormats : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_TOOL("convert");
  }
  TempFolder dir_;
};

TEST_F(ImageFileFormats, EveryFormatDecodesTopRowFirstThroughOneRoad) {
  Rgba picture = Picture(6, 5, 1);
  ASSERT_TRUE(WritePpm(dir_.Path("in.ppm"), picture));
  struct Case { const char* name; const char* magick; } cases[] = {
      {"a.bmp", "BMP3:"}, {"b.BMP", "BMP3:"}, {"c.tga", ""}, {"d.pcx", "PCX:"}, {"e.gif", "GIF:"},
      {"f.ico", "ICO:"}, {"g.wbmp", "WBMP:"}, {"h.png", "PNG:"}, {"i.tif", "TIFF:"}, {"j.jpg", "JPG:"}};
  for (const Case& c : cases) {
    std::string path = dir_.Path(c.name);
    Rgba reference;
    if (*c.magick) {
      ASSERT_TRUE(RunTool("convert " + Quote(dir_.Path("in.ppm")) + " " + c.magick + Quote(path))) << c.name;
      ASSERT_TRUE(DecodeWithMagick(path, &reference)) << c.name;
    } else {
      // ImageMagick 6 stores TGA rows top row first under a bottom-left
      // origin; PIL writes them as the format says.
      if (PythonWithPil().empty()) continue;
      ASSERT_TRUE(SaveWithPil(picture, path, "RGB")) << c.name;
      reference = picture;
    }
    std::vector<DWORD> ours;
    LONG width = 0, height = 0;
    const bool loaded = Load(path, &ours, &width, &height);
    const std::string name = c.name;
    // Formats whose codecs this build may not hold yet are allowed to fail;
    // every one that loads must be right.
    if (!loaded && (name == "h.png" || name == "i.tif" || name == "j.jpg")) continue;
    ASSERT_TRUE(loaded) << c.name;
    EXPECT_EQ(width, 6) << c.name;
    EXPECT_EQ(height, 5) << c.name;
    if (name == "j.jpg" || name == "g.wbmp") continue;  // lossy, or one bit a pixel
    ExpectPicture(ours, reference, c.name);
  }
}

TEST_F(ImageFileFormats, ReadPixelsRefusesASizeThatIsNotThePicturesAnymore) {
  Rgba a = Picture(6, 5, 2);
  ASSERT_TRUE(WritePpm(dir_.Path("in.ppm"), a));
  for (const char* name : {"x.bmp", "x.tga", "x.pcx"}) {
    std::string path = dir_.Path(name);
    ASSERT_TRUE(RunTool("convert " + Quote(dir_.Path("in.ppm")) + " " + Quote(path)));
    CImageFile file;
    ASSERT_TRUE(file.Open(Program(path))) << name;
    std::vector<DWORD> pixels(100 * 100);
    EXPECT_FALSE(file.ReadPixels(pixels.data(), 10, 10)) << name;
  }
}

TEST(ImageFileSave, WritesByEndingAndReportsWhatReallyHappened) {
  TempFolder dir;
  std::vector<DWORD> pixels(8 * 4, 0xFF336699);
  CImageFile file;
  EXPECT_TRUE(file.Save(Program(dir.Path("s.bmp")), 0, 0, 8, 4, pixels.data(), 0));
  EXPECT_TRUE(file.Save(Program(dir.Path("s.TGA")), 0, 0, 8, 4, pixels.data(), 1));
  EXPECT_FALSE(file.Save(Program(dir.Path("s.gif")), 0, 0, 8, 4, pixels.data(), 0));
  EXPECT_FALSE(file.Save(Program(dir.Path("s.png")), 0, 0, 8, 4, pixels.data(), 0));
  EXPECT_FALSE(std::filesystem::exists(dir.Path("s.gif")));
  // A JPG save succeeds exactly when a file was written.
  file.SetQuality(90);
  BOOL saved = file.Save(Program(dir.Path("s.jpg")), 0, 0, 8, 4, pixels.data(), 0);
  EXPECT_EQ(saved != FALSE, std::filesystem::exists(dir.Path("s.jpg")) && std::filesystem::file_size(dir.Path("s.jpg")) > 0);
  EXPECT_FALSE(file.Save(Program("/no/such/folder/s.jpg"), 0, 0, 8, 4, pixels.data(), 0));
  EXPECT_FALSE(file.Save(Program("/no/such/folder/s.bmp"), 0, 0, 8, 4, pixels.data(), 0));
}

// --- the cache ---

class ImageCacheTest : public ::testing::Test {
 protected:
  std::string Make(const std::string& name, int seed, int width = 4) {
    std::string path = dir_.Path(name);
    std::vector<DWORD> pixels(static_cast<size_t>(width) * 3, 0xFF000000u | static_cast<DWORD>(seed));
    CImageFile().Save(Program(path), 0, 0, width, 3, pixels.data(), 0);
    return path;
  }
  TempFolder dir_;
};

TEST_F(ImageCacheTest, AnUnchangedFileComesFromTheCacheAndATouchedOneIsReadAgain) {
  std::string path = Make("cached.tga", 7);
  std::vector<DWORD> pixels;
  LONG w, h;
  ASSERT_TRUE(Load(path, &pixels, &w, &h));
  int entry = GetImageCache().Find(Program(path));
  ASSERT_GE(entry, 0);
  // The same unchanged file opens from the cache (origin 0, 0).
  CImageFile again;
  ASSERT_TRUE(again.Open(Program(path)));
  EXPECT_EQ(again.GetType(), CImageFile::TYPE_NONE);
  // A new last-write time makes the entry stale.
  std::filesystem::last_write_time(path, std::filesystem::last_write_time(path) + std::chrono::seconds(5));
  EXPECT_EQ(GetImageCache().Find(Program(path)), -1);
  ASSERT_TRUE(Load(path, &pixels, &w, &h));
  EXPECT_GE(GetImageCache().Find(Program(path)), 0);
}

TEST_F(ImageCacheTest, OnceFullEveryNewPictureReplacesTheFirstEntry) {
  std::vector<std::string> paths;
  for (int i = 0; i < 7; ++i) paths.push_back(Make("p" + std::to_string(i) + ".tga", i));
  std::vector<DWORD> pixels;
  LONG w, h;
  for (const std::string& p : paths) ASSERT_TRUE(Load(p, &pixels, &w, &h));
  // Entries 1..4 keep whatever filled them first; the latest sits in entry 0.
  EXPECT_EQ(GetImageCache().Find(Program(paths[6])), 0);
  EXPECT_EQ(GetImageCache().Find(Program(paths[5])), -1);
}

TEST_F(ImageCacheTest, TwoThreadsLoadingAndStoringStayConsistent) {
  std::vector<std::string> paths;
  for (int i = 0; i < 8; ++i) paths.push_back(Make("t" + std::to_string(i) + ".tga", 10 + i, 4 + i));
  auto work = [&](int offset) {
    for (int round = 0; round < 60; ++round) {
      const std::string& p = paths[(round + offset) % paths.size()];
      std::vector<DWORD> pixels;
      LONG w = 0, h = 0;
      if (!Load(p, &pixels, &w, &h)) continue;
      for (DWORD v : pixels) ASSERT_EQ(v & 0xFF, static_cast<DWORD>(10 + (w - 4))) << p;
    }
  };
  std::thread a(work, 0), b(work, 3);
  a.join();
  b.join();
}

// A picture saved again within the same second (a paint program, a script
// writing frames) is a new picture: the full last-write time and the size
// tell it apart.
TEST_F(ImageCacheTest, ARewriteWithinTheSameSecondIsReadAgain) {
  namespace fs = std::filesystem;
  std::string path = Make("rewritten.tga", 21);
  const fs::file_time_type first = fs::last_write_time(path);
  std::vector<DWORD> pixels;
  LONG w, h;
  ASSERT_TRUE(Load(path, &pixels, &w, &h));
  EXPECT_EQ(pixels[0] & 0xFF, 21u);
  // Same size, a few microseconds later.
  Make("rewritten.tga", 22);
  fs::last_write_time(path, first + std::chrono::microseconds(3));
  ASSERT_TRUE(Load(path, &pixels, &w, &h));
  EXPECT_EQ(pixels[0] & 0xFF, 22u);
  // Same time to the nanosecond, another size.
  Make("rewritten.tga", 23, 5);
  fs::last_write_time(path, first + std::chrono::microseconds(3));
  ASSERT_TRUE(Load(path, &pixels, &w, &h));
  EXPECT_EQ(w, 5);
  EXPECT_EQ(pixels[0] & 0xFF, 23u);
}

}  // namespace

namespace {

// JPEG and PNG files of every kind the direct decoders take or pass on, read
// through the image file object and through its former road.
TEST_F(ImageFileFormats, DirectDecodingDeliversTheFormerBytes) {
  REQUIRE_PIL();
  Rgba picture = TestPicture(37, 23, 0, true);
  for (size_t i = 3; i < picture.pixels.size(); i += 4) picture.pixels[i] = static_cast<unsigned char>(i % 3 ? 255 : i % 256);
  ASSERT_TRUE(WritePam(dir_.Path("in.pam"), picture));
  const std::string in = Quote(dir_.Path("in.pam"));
  const struct {
    const char* name;
    const char* options;
  } magick[] = {{"q90_420.jpg", "-quality 90 -sampling-factor 2x2"}, {"q75_444.jpg", "-sampling-factor 1x1"},
                {"q80_422.jpg", "-sampling-factor 2x1"},            {"progressive.jpg", "-interlace JPEG"},
                {"grey.jpg", "-colorspace Gray"},                    {"cmyk.jpg", "-colorspace CMYK"},
                {"rgb.png", "-alpha off PNG24:"},                    {"rgba.png", "PNG32:"},
                {"palette8.png", "-alpha off -colors 200 PNG8:"},   {"palette4.png", "-alpha off -colors 12 -depth 4"},
                {"bilevel.png", "-alpha off -monochrome"},           {"grey16.png", "-alpha off -colorspace Gray -depth 16"},
                {"rgb16.png", "-alpha off -depth 16 PNG48:"},        {"interlaced.png", "-alpha off -interlace PNG PNG24:"},
                {"greyalpha.png", "-colorspace Gray PNG:"},          {"background.png", "-alpha off -background '#336699' PNG24:"}};
  for (const auto& c : magick) {
    std::string options = c.options, prefix;
    if (!options.empty() && options.back() == ':') {
      const size_t space = options.rfind(' ');
      prefix = space == std::string::npos ? options : options.substr(space + 1);
      options = space == std::string::npos ? "" : options.substr(0, space);
    }
    ASSERT_TRUE(RunTool("convert " + in + " " + options + " " + prefix + Quote(dir_.Path(c.name)))) << c.name;
  }
  ASSERT_TRUE(SaveWithPil(picture, dir_.Path("pil_trns.png"), "P", "transparency=3"));
  ASSERT_TRUE(SaveWithPil(picture, dir_.Path("pil_rgb_trns.png"), "RGB", "transparency=(0, 0, 0)"));
  ASSERT_TRUE(SaveWithPil(picture, dir_.Path("pil_optimised.jpg"), "RGB", "optimize=True, progressive=True"));
  const int before = LoadRoadsCompared();
  CompareLoadRoadsInFolder(dir_.Path(""));
  EXPECT_EQ(LoadRoadsCompared() - before, 19);
}

}  // namespace

namespace {

// Open learns the size from the headers alone: a file cut short in its
// pixel data opens with its size and fails when its pixels are read; a file
// whose header is wrong still fails to open.
TEST(ImageFileProbe, SizesComeFromHeadersAndDamageShowsWhenReading) {
  REQUIRE_PIL();
  TempFolder dir;
  Rgba picture = TestPicture(300, 200);
  for (const char* name : {"cut.png", "cut.tif", "cut.gif"}) {
    SCOPED_TRACE(name);
    const std::string path = dir.Path(name);
    ASSERT_TRUE(SaveWithPil(picture, path, "RGB"));
    std::vector<unsigned char> bytes = ReadBytes(path);
    bytes.resize(bytes.size() / 2);  // PIL writes the TIFF directory first
    ASSERT_TRUE(WriteBytes(path, bytes));
    CImageFile file;
    ASSERT_TRUE(file.Open(Program(path)));
    LONG width = 0, height = 0;
    ASSERT_TRUE(file.GetSize(&width, &height));
    EXPECT_EQ(width, 300);
    EXPECT_EQ(height, 200);
  }
  ASSERT_TRUE(WriteBytes(dir.Path("bad.png"), std::vector<unsigned char>(64, 'x')));
  EXPECT_FALSE(CImageFile().Open(Program(dir.Path("bad.png"))));
  std::vector<DWORD> pixels(300 * 200);
  CImageFile cut;
  ASSERT_TRUE(cut.Open(Program(dir.Path("cut.png"))));
  EXPECT_FALSE(cut.ReadPixels(pixels.data(), 300, 200));
}

}  // namespace
