// The image file object's road from a codec file to the caller's buffer,
// checked against the road it took before it learned sizes from headers and
// decoded straight into the buffer: a whole decode with format detection,
// raised to 24 bits (8 for GIF) and copied pixel by pixel.
#include <cstdio>
#include <filesystem>

#include "compat/host_path.h"
#include "imaging/image_file.h"
#include "imaging_test_tools.h"

namespace imaging_test {

namespace {

// The codec format the image file object gives a file name; 0 for endings
// that go to the own readers or to nothing.
DWORD CodecFormat(const std::string& path) {
  std::string end = path.size() >= 4 ? path.substr(path.size() - 4) : path;
  for (char& c : end) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  if (end == "wbmp") return PIC_FORMAT_WBMP;
  end = end.substr(1);
  if (end == "jpg") return PIC_FORMAT_JPG;
  if (end == "gif") return PIC_FORMAT_GIF;
  if (end == "png") return PIC_FORMAT_PNG;
  if (end == "ico") return PIC_FORMAT_ICO;
  if (end == "tif") return PIC_FORMAT_TIF;
  if (end == "pcx") return PIC_FORMAT_PCX;
  return PIC_FORMAT_UNKNOWN;
}

bool DecodeTheFormerWay(const std::string& path, DWORD formatId, std::vector<DWORD>* pixels, LONG* width,
                        LONG* height) {
  CPicImage image(path.c_str(), formatId);
  if (!image.IsValid()) return false;
  const bool gif = formatId == PIC_FORMAT_GIF;
  const LONG trans = image.GetTransIndex();
  image.IncreaseBpp(gif ? 8 : 24);
  const bool byIndex = gif && trans >= 0 && image.GetBpp() <= 8;
  const bool byColour = gif && trans >= 0 && image.GetBpp() > 8;
  const RGBQUAD key = image.GetTransColor();
  *width = static_cast<LONG>(image.GetWidth());
  *height = static_cast<LONG>(image.GetHeight());
  pixels->assign(static_cast<size_t>(*width) * *height, 0);
  for (LONG y = 0; y < *height; ++y)
    for (LONG x = 0; x < *width; ++x) {
      const RGBQUAD c = image.GetPixelColor(x, y);
      const bool clear = (byIndex && image.GetPixelIndex(x, y) == static_cast<BYTE>(trans)) ||
                         (byColour && c.rgbRed == key.rgbRed && c.rgbGreen == key.rgbGreen && c.rgbBlue == key.rgbBlue);
      (*pixels)[static_cast<size_t>(*height - 1 - y) * *width + x] =
          clear ? 0 : c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16) | 0xFF000000u;
    }
  return true;
}

int g_compared = 0;

}  // namespace

int LoadRoadsCompared() { return g_compared; }

void CompareLoadRoads(const std::string& path) {
  const DWORD formatId = CodecFormat(path);
  if (formatId == PIC_FORMAT_UNKNOWN) return;
  std::vector<DWORD> former;
  LONG formerWidth = 0, formerHeight = 0;
  const bool formerRead = DecodeTheFormerWay(path, formatId, &former, &formerWidth, &formerHeight);
  CImageFile file;
  const CString program(compat::FromHostPath(path).c_str());
  LONG width = 0, height = 0;
  bool read = file.Open(program) && file.GetSize(&width, &height) && width > 0 && height > 0 &&
              static_cast<unsigned long long>(width) * height <= (1ull << 28);
  std::vector<DWORD> pixels;
  if (read) {
    pixels.assign(static_cast<size_t>(width) * height, 0);
    read = file.ReadPixels(pixels.data(), width, height);
  }
  ++g_compared;
  EXPECT_EQ(read, formerRead) << path;
  if (!read || !formerRead) return;
  ASSERT_EQ(width, formerWidth) << path;
  ASSERT_EQ(height, formerHeight) << path;
  for (size_t i = 0; i < pixels.size(); ++i)
    ASSERT_EQ(pixels[i], former[i]) << path << " at pixel " << i % width << "," << i / width;
}

void CompareLoadRoadsInFolder(const std::string& folder) {
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
    if (entry.is_regular_file(ignored)) CompareLoadRoads(entry.path().string());
}

}  // namespace imaging_test

namespace {

// Says at the end of the run how many files the two roads read.
class LoadRoadsReport : public ::testing::Environment {
public:
  void TearDown() override { printf("image file roads compared on %d files\n", imaging_test::LoadRoadsCompared()); }
};

const auto* const g_report = ::testing::AddGlobalTestEnvironment(new LoadRoadsReport);

}  // namespace
