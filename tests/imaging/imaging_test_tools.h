// Helpers for the codec tests: a per-test temporary folder, the independent
// image tools, and a reader of the plain netpbm and PAM files they write.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "imaging/pic_image.h"
#include "support/tool_runner.h"

namespace imaging_test {

// A picture as the tools see it: top row first, 4 bytes red, green, blue,
// alpha per pixel.
struct Rgba {
  int width = 0;
  int height = 0;
  bool hasAlpha = false;
  std::vector<unsigned char> pixels;
  const unsigned char* At(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Made when a test starts and removed with everything in it when it ends.
class TempFolder {
public:
  TempFolder();
  ~TempFolder();
  std::string Path(const std::string& name) const { return m_path + "/" + name; }

private:
  std::string m_path;
};

// Reads a picture file whose ending goes to the codec library through the
// image file object and through its former road (whole decode, 24-bit copy
// pixel by pixel) and expects the same outcome and bytes.
void CompareLoadRoads(const std::string& path);
void CompareLoadRoadsInFolder(const std::string& folder);
// How many files were compared so far.
int LoadRoadsCompared();

bool HaveTool(const std::string& name);
// A Python interpreter that can import PIL, or an empty string.
const std::string& PythonWithPil();
// Runs a shell command line; true when it exited with 0.
bool RunTool(const std::string& command);
std::string Quote(const std::string& text);

// Reads a P4, P5, P6 or P7 file (8-bit samples).
bool ReadNetpbm(const std::string& path, Rgba* picture);
bool WritePpm(const std::string& path, const Rgba& picture);
bool WritePam(const std::string& path, const Rgba& picture);
// ImageMagick's decode of any file it knows, through PAM.
bool DecodeWithMagick(const std::string& path, Rgba* picture, const std::string& options = "");
// PIL's decode, converted to RGBA; `frame` picks an image of a multi-image file.
bool DecodeWithPil(const std::string& path, Rgba* picture, int frame = -1);
// The same for many files in one run of the interpreter.
bool DecodeAllWithPil(const std::vector<std::string>& paths, std::vector<Rgba>* pictures, int frame = -1);

// PIL writes the picture converted to `mode` ("RGB", "RGBA", "P", "L", "1")
// with the given Python keyword arguments to save().
bool SaveWithPil(const Rgba& picture, const std::string& path, const std::string& mode,
                 const std::string& saveArguments = "");

// Our decode, raised to 24 bits, as the same top-down RGBA layout.
Rgba ToRgba(CPicImage& image);
bool LoadWithUs(const std::string& path, DWORD formatId, CPicImage* image);
std::vector<unsigned char> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);

// A test picture of varied colours; `colors` limits it to that many.
Rgba TestPicture(int width, int height, int colors = 0, bool alpha = false);

// Compares colours and, when both have it, alpha; reports the first mismatch.
::testing::AssertionResult SamePicture(const Rgba& expected, const Rgba& actual, bool compareAlpha = true,
                                       int tolerance = 0);

}  // namespace imaging_test

#define REQUIRE_TOOL(name) CALVETTA_REQUIRE_TOOL(imaging_test::HaveTool(name), name)
#define REQUIRE_PIL() CALVETTA_REQUIRE_TOOL(!imaging_test::PythonWithPil().empty(), "PIL")
