// The animated GIF writer: frame list growth, transparency and the file it
// leaves, checked with gifsicle.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "imaging/anim_gif_writer.h"
#include "imaging/pic_file.h"
#include "support/small_disk.h"
#include "support/tool_runner.h"

namespace {

std::vector<BYTE> Flat(DWORD width, DWORD height, BYTE blue, BYTE green, BYTE red) {
  std::vector<BYTE> pixels(4 * width * height);
  for (size_t i = 0; i < pixels.size(); i += 4) pixels[i] = blue, pixels[i + 1] = green, pixels[i + 2] = red;
  return pixels;
}

std::u16string ProgramPath(const testsupport::TempDir& dir, const char* name) {
  return compat::FromHostPath(dir.File(name));
}

TEST(AnimGifWriter, TheFrameListGrowsOnceForThreeHundredFrames) {
  testsupport::TempDir dir;
  CAnimGifWriter writer;
  ASSERT_TRUE(writer.Open(ProgramPath(dir, "many.gif").c_str(), 4, SIZE{2, 2}));
  for (int i = 0; i < 300; ++i) {
    std::vector<BYTE> pixels = Flat(2, 2, static_cast<BYTE>(i), 0, 0);
    ASSERT_TRUE(writer.AddFrame(pixels.data()));
    if (i == 254) {
      EXPECT_EQ(writer.GetCapacity(), 256);
    }
    if (i == 255) {
      EXPECT_EQ(writer.GetCapacity(), 512);
    }
  }
  EXPECT_EQ(writer.GetCapacity(), 512);
  writer.Close();
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("gifsicle"), "gifsicle");
  std::string info = testsupport::RunTool("gifsicle --info '" + dir.File("many.gif") + "'");
  EXPECT_NE(info.find("300 images"), std::string::npos);
}

TEST(AnimGifWriter, AFlatFrameInTheTransparentColourGetsIndexZero) {
  testsupport::TempDir dir;
  CAnimGifWriter writer;
  writer.SetTransparent(true);
  writer.SetTransparentColor(0xFF102030);
  ASSERT_TRUE(writer.Open(ProgramPath(dir, "t.gif").c_str(), 3, SIZE{4, 3}));
  std::vector<BYTE> pixels = Flat(4, 3, 0x30, 0x20, 0x10);
  ASSERT_TRUE(writer.AddFrame(pixels.data()));
  writer.Close();
  CPicImage image;
  ASSERT_TRUE(image.Load(compat::Utf16ToUtf8(ProgramPath(dir, "t.gif")).c_str(), PIC_FORMAT_GIF));
  EXPECT_EQ(image.GetTransIndex(), 0);
  EXPECT_EQ(image.GetPaletteColor(0).rgbRed, 0x10);
  EXPECT_EQ(image.GetFrameDelay(), 3u);
}

TEST(AnimGifWriter, NoFramesLeaveAnEmptyFileAndAFailedOpenWritesNothing) {
  testsupport::TempDir dir;
  {
    CAnimGifWriter writer;
    ASSERT_TRUE(writer.Open(ProgramPath(dir, "empty.gif").c_str(), 4, SIZE{8, 8}));
    EXPECT_FALSE(writer.Close()) << "an empty file is not a GIF";
    EXPECT_STREQ(writer.GetLastError(), "multipage GIF, no images!");
  }
  EXPECT_EQ(std::filesystem::file_size(dir.File("empty.gif")), 0u);
  CAnimGifWriter broken;
  EXPECT_FALSE(broken.Open(u"\\no\\such\\folder\\a.gif", 4, SIZE{8, 8}));
  EXPECT_FALSE(broken.Close());
}

TEST(AnimGifWriter, GifsicleSeesTheLoopTheDelaysAndLocalTables) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("gifsicle"), "gifsicle");
  testsupport::TempDir dir;
  CAnimGifWriter writer;
  writer.SetTransparent(true);
  writer.SetTransparentColor(0xFF000000);
  ASSERT_TRUE(writer.Open(ProgramPath(dir, "anim.gif").c_str(), 100 / 30, SIZE{40, 30}));
  for (int i = 0; i < 5; ++i) {
    std::vector<BYTE> pixels(4 * 40 * 30);
    for (int p = 0; p < 40 * 30; ++p) {
      pixels[4 * p] = static_cast<BYTE>(p % 40 * 6);
      pixels[4 * p + 1] = static_cast<BYTE>(p / 40 * 8 + i * 20);
      pixels[4 * p + 2] = static_cast<BYTE>(i * 50);
    }
    ASSERT_TRUE(writer.AddFrame(pixels.data()));
  }
  EXPECT_TRUE(writer.Close());
  std::string info = testsupport::RunTool("gifsicle --info '" + dir.File("anim.gif") + "'");
  EXPECT_NE(info.find("5 images"), std::string::npos) << info;
  EXPECT_NE(info.find("loop forever"), std::string::npos) << info;
  EXPECT_NE(info.find("delay 0.03s"), std::string::npos) << info;
  EXPECT_NE(info.find("transparent"), std::string::npos) << info;
  EXPECT_NE(info.find("local color table"), std::string::npos) << info;
}

// With workers the writer copies each frame: the caller's buffer, reused for
// the next frame at once, is neither changed nor read later. Three hundred
// frames grow the list while workers fill it, and the file is the one a
// single worker writes.
TEST(AnimGifWriter, WorkersLeaveTheCallersFramesAndWriteTheSameFile) {
  testsupport::TempDir dir;
  std::vector<std::vector<char>> files;
  for (int workers : {1, 4}) {
    const std::string name = "w" + std::to_string(workers) + ".gif";
    CAnimGifWriter writer;
    writer.SetWorkers(workers);
    ASSERT_TRUE(writer.Open(ProgramPath(dir, name.c_str()).c_str(), 4, SIZE{6, 5}));
    std::vector<BYTE> buffer(4 * 6 * 5);
    for (int i = 0; i < 300; ++i) {
      for (size_t p = 0; p < buffer.size(); ++p) buffer[p] = static_cast<BYTE>(p * 37 + i * 11);
      const std::vector<BYTE> before = buffer;
      ASSERT_TRUE(writer.AddFrame(buffer.data()));
      if (workers > 1) {
        ASSERT_EQ(buffer, before) << i;
      }
    }
    EXPECT_EQ(writer.GetCapacity(), 512);
    writer.Close();
    std::ifstream in(dir.File(name), std::ios::binary);
    files.emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  }
  EXPECT_GT(files[0].size(), 300u * 20);
  EXPECT_TRUE(files[0] == files[1]);
}

// A full disk: the frame that cannot be written fails, every later call
// fails too, and Close says the file is not whole, with one worker or many.
TEST(AnimGifWriter, AWriteFailureSticksAndCloseSaysTheFileIsNotWhole) {
  testsupport::TempDir dir;
  for (int workers : {1, 4}) {
    SCOPED_TRACE(workers);
    const std::string name = "full" + std::to_string(workers) + ".gif";
    testsupport::FileSizeLimit limit(2048);
    CAnimGifWriter writer;
    writer.SetWorkers(workers);
    ASSERT_TRUE(writer.Open(ProgramPath(dir, name.c_str()).c_str(), 4, SIZE{32, 32}));
    std::vector<BYTE> noise(4 * 32 * 32);
    int added = 0;
    for (; added < 200; ++added) {
      for (size_t p = 0; p < noise.size(); ++p) noise[p] = static_cast<BYTE>((p * 7919 + added * 104729) >> 3);
      if (!writer.AddFrame(noise.data())) break;
    }
    EXPECT_LT(added, 200) << "the limit was never met";
    EXPECT_FALSE(writer.AddFrame(noise.data())) << "the failure sticks";
    EXPECT_FALSE(writer.Close());
  }
}

}  // namespace
