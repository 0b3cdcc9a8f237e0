// CAviWriter on its own: captions, refused sizes, the cancelled compressor
// choice, and what stays open after each way out.
#include <gtest/gtest.h>

#include <dirent.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "export/avi_writer.h"
#include "export_fixture.h"
#include "support/tool_runner.h"

namespace {

constexpr int kWidth = 32, kHeight = 16, kFps = 25;

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The payloads of every chunk with the given id inside 'movi', in order.
std::vector<std::string> Chunks(const std::vector<BYTE>& file, const char* id) {
  std::vector<std::string> out;
  const BYTE* movi = static_cast<const BYTE*>(memmem(file.data(), file.size(), "movi", 4));
  if (!movi) return out;
  size_t at = static_cast<size_t>(movi - file.data()) + 4;
  while (at + 8 <= file.size() && std::memcmp(&file[at], "idx1", 4) != 0) {
    DWORD size;
    std::memcpy(&size, &file[at + 4], 4);
    if (at + 8 + size > file.size()) break;
    if (std::memcmp(&file[at], id, 4) == 0) out.emplace_back(reinterpret_cast<const char*>(&file[at + 8]), size);
    at += 8 + size + (size & 1);
  }
  return out;
}

class AviWriter : public ::testing::Test {
 protected:
  void SetUp() override { compat::SetAviCompressorChoice(comptypeDIB); }
  void TearDown() override { compat::SetAviCompressorChoice(comptypeDIB); }
  std::u16string Path(const std::string& name) { return compat::FromHostPath(dir_.File(name)); }
  testsupport::TempDir dir_;
  std::vector<BYTE> frame_ = std::vector<BYTE>(kWidth * kHeight * 3, 0x40);
};

TEST_F(AviWriter, EachFrameCarriesItsNumberedCaptionWithItsZero) {
  CAviWriter writer;
  ASSERT_EQ(writer.Open(Path("c.avi").c_str(), kFps, SIZE{kWidth, kHeight}, nullptr), 1);
  for (int i = 0; i < 12; ++i) ASSERT_EQ(writer.WriteFrame(frame_.data()), 1);
  writer.Close();
  std::vector<std::string> captions = Chunks(ReadAll(dir_.File("c.avi")), "01tx");
  ASSERT_EQ(captions.size(), 12u);
  EXPECT_EQ(captions[0], std::string("This is frame #0", 17));  // 17 bytes with the zero
  EXPECT_EQ(captions[11], std::string("This is frame #11", 18));
  EXPECT_EQ(Chunks(ReadAll(dir_.File("c.avi")), "00db").size(), 12u);
}

TEST_F(AviWriter, SizesAndRatesThatCannotBeWrittenAreRefusedBeforeAnyFile) {
  CAviWriter writer;
  EXPECT_EQ(writer.Open(Path("w.avi").c_str(), kFps, SIZE{30, kHeight}, nullptr), 0);  // rows would need padding
  EXPECT_EQ(writer.Open(Path("w.avi").c_str(), kFps, SIZE{0, kHeight}, nullptr), 0);
  EXPECT_EQ(writer.Open(Path("w.avi").c_str(), 0, SIZE{kWidth, kHeight}, nullptr), 0);
  EXPECT_EQ(writer.Open(Path("w.avi").c_str(), kFps, SIZE{40000, 40000}, nullptr), 0);  // frame over 2 GB
  EXPECT_FALSE(std::filesystem::exists(dir_.File("w.avi")));
  EXPECT_EQ(writer.WriteFrame(frame_.data()), 0);
}

TEST_F(AviWriter, CancelledChoiceFailsAndLeavesNothingOpen) {
  int before = OpenDescriptors();
  compat::SetAviCompressorChoice(comptypeDIB, 7500, /*cancel=*/true);
  CAviWriter writer;
  EXPECT_EQ(writer.Open(Path("x.avi").c_str(), kFps, SIZE{kWidth, kHeight}, nullptr), 0);
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(writer.WriteFrame(frame_.data()), 0);
  compat::SetAviCompressorChoice(comptypeDIB);
  EXPECT_EQ(writer.Open(compat::FromHostPath(dir_.File("none/x.avi")).c_str(), kFps, SIZE{kWidth, kHeight}, nullptr), 0);
}

TEST_F(AviWriter, FailedWriteClosesTheFileOnceAndLaterClosesChangeNothing) {
  int before = OpenDescriptors();
  CAviWriter writer;
  ASSERT_EQ(writer.Open(Path("f.avi").c_str(), kFps, SIZE{kWidth, kHeight}, nullptr), 1);
  {
    exporttest::FileSizeLimit limit(16 * 1024);
    int written = 0;
    while (writer.WriteFrame(frame_.data()) == 1) ASSERT_LT(++written, 100);
    ASSERT_EQ(written, 5);
  }
  EXPECT_EQ(OpenDescriptors(), before);
  writer.Close();
  writer.Close();
  // The frames before the failure stay readable.
  if (testsupport::HaveTool("ffprobe")) {
    std::string frames = testsupport::RunTool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                                              "stream=nb_read_frames -of csv=p=0 '" + dir_.File("f.avi") + "'");
    EXPECT_EQ(frames, "5\n");
  }
}

}  // namespace
