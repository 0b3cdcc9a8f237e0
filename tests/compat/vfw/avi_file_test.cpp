// AVI files written through the Video for Windows calls, read back by ffprobe
// and ffmpeg and by a walk over their chunks.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "compat/vfw.h"
#include "compat/win32/dialog_test_support.h"
#include "support/tool_runner.h"

namespace {

using testsupport::RunTool;

constexpr int kWidth = 64, kHeight = 48, kFps = 12;

std::vector<BYTE> Frame(int n) {
  std::vector<BYTE> pixels(kWidth * kHeight * 3);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      BYTE* p = &pixels[(y * kWidth + x) * 3];
      p[0] = static_cast<BYTE>(x * 4);       // blue
      p[1] = static_cast<BYTE>(y * 5);       // green
      p[2] = static_cast<BYTE>(n * 10);      // red
    }
  return pixels;
}

// Writes `frames` frames the way the export's AVI writer does.
bool WriteMovie(const std::string& hostPath, DWORD handler, int frames) {
  compat::SetAviCompressorChoice(handler);
  std::u16string path = compat::FromHostPath(hostPath);
  AVIFileInit();
  PAVIFILE file = nullptr;
  if (AVIFileOpenW(&file, path.c_str(), OF_WRITE | OF_CREATE, nullptr) != AVIERR_OK) return false;
  AVISTREAMINFOW video{};
  video.fccType = streamtypeVIDEO;
  video.dwScale = 1;
  video.dwRate = kFps;
  video.dwSuggestedBufferSize = kWidth * kHeight * 3;
  video.rcFrame = {0, 0, kWidth, kHeight};
  PAVISTREAM videoStream = nullptr, compressed = nullptr, text = nullptr;
  EXPECT_EQ(AVIFileCreateStreamW(file, &videoStream, &video), AVIERR_OK);
  AVICOMPRESSOPTIONS options{};
  AVICOMPRESSOPTIONS* optionList[1] = {&options};
  EXPECT_TRUE(AVISaveOptions(nullptr, ICMF_CHOOSE_KEYFRAME, 1, &videoStream, optionList));
  EXPECT_EQ(AVIMakeCompressedStream(&compressed, videoStream, &options, nullptr), AVIERR_OK);
  BITMAPINFOHEADER format{};
  format.biSize = 40;
  format.biWidth = kWidth;
  format.biHeight = kHeight;
  format.biPlanes = 1;
  format.biBitCount = 24;
  format.biSizeImage = kWidth * kHeight * 3;
  EXPECT_EQ(AVIStreamSetFormat(compressed, 0, &format, 40), AVIERR_OK);
  AVISTREAMINFOW caption{};
  caption.fccType = streamtypeTEXT;
  caption.fccHandler = mmioFOURCC('D', 'R', 'A', 'W');
  caption.dwScale = 1;
  caption.dwRate = kFps;
  caption.dwSuggestedBufferSize = 260;
  caption.rcFrame = {0, kHeight, kWidth, kHeight + 16};
  EXPECT_EQ(AVIFileCreateStreamW(file, &text, &caption), AVIERR_OK);
  DWORD textFormat = 4;
  EXPECT_EQ(AVIStreamSetFormat(text, 0, &textFormat, 4), AVIERR_OK);
  bool ok = true;
  for (int i = 0; i < frames && ok; ++i) {
    std::vector<BYTE> pixels = Frame(i);
    ok = AVIStreamWrite(compressed, i, 1, pixels.data(), static_cast<LONG>(pixels.size()),
                        AVIIF_KEYFRAME, nullptr, nullptr) == AVIERR_OK;
    std::string label = "This is frame #" + std::to_string(i);
    ok = ok && AVIStreamWrite(text, i, 1, label.data(), static_cast<LONG>(label.size() + 1),
                              AVIIF_KEYFRAME, nullptr, nullptr) == AVIERR_OK;
  }
  AVISaveOptionsFree(1, optionList);
  AVIStreamRelease(videoStream);
  AVIStreamRelease(compressed);
  AVIStreamRelease(text);
  AVIFileRelease(file);
  AVIFileExit();
  return ok;
}

std::string Probe(const std::string& path, const std::string& entries) {
  return RunTool("ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=" + entries +
                 " -of default=noprint_wrappers=1 '" + path + "'");
}

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class AviFile : public ::testing::Test {
 protected:
  void SetUp() override {
    CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("ffprobe"), "ffprobe");
  }
  testsupport::TempDir dir_;
};

TEST_F(AviFile, UncompressedFramesReadBackExactlyByFfmpeg) {
  std::string path = dir_.File("movie.avi");
  ASSERT_TRUE(WriteMovie(path, comptypeDIB, 20));
  std::string info = Probe(path, "codec_name,width,height,r_frame_rate,nb_read_frames");
  EXPECT_NE(info.find("codec_name=rawvideo"), std::string::npos) << info;
  EXPECT_NE(info.find("width=64"), std::string::npos);
  EXPECT_NE(info.find("height=48"), std::string::npos);
  EXPECT_NE(info.find("r_frame_rate=12/1"), std::string::npos) << info;
  EXPECT_NE(info.find("nb_read_frames=20"), std::string::npos) << info;

  // Frame 3, decoded to top-down BGR by ffmpeg, equals what we handed in bottom-up.
  std::string raw = RunTool("ffmpeg -v error -i '" + path +
                            "' -map 0:v:0 -vf 'select=eq(n\\,3)' -vframes 1 -f rawvideo -pix_fmt bgr24 -");
  ASSERT_EQ(raw.size(), size_t(kWidth * kHeight * 3));
  std::vector<BYTE> expected = Frame(3);
  for (int y = 0; y < kHeight; ++y)
    ASSERT_EQ(0, std::memcmp(raw.data() + y * kWidth * 3, &expected[(kHeight - 1 - y) * kWidth * 3], kWidth * 3))
        << "row " << y;
}

TEST_F(AviFile, MotionJpegFramesAreReadAsMjpeg) {
  std::string path = dir_.File("movie.avi");
  ASSERT_TRUE(WriteMovie(path, comptypeMJPG, 20));
  std::string info = Probe(path, "codec_name,r_frame_rate,nb_read_frames");
  EXPECT_NE(info.find("codec_name=mjpeg"), std::string::npos) << info;
  EXPECT_NE(info.find("nb_read_frames=20"), std::string::npos) << info;
  // The picture survives compression: frame 0's red is 0, the top-left blue is 0.
  std::string raw = RunTool("ffmpeg -v error -i '" + path + "' -map 0:v:0 -vframes 1 -f rawvideo -pix_fmt bgr24 -");
  ASSERT_EQ(raw.size(), size_t(kWidth * kHeight * 3));
  EXPECT_LT(static_cast<BYTE>(raw[(kHeight - 1) * kWidth * 3 + 1]), 12);  // bottom-left green is small
  EXPECT_GT(static_cast<BYTE>(raw[(kWidth - 1) * 3]), 230);               // top-right blue is large
}

TEST_F(AviFile, LayoutHasBothStreamsAndAnIndexEntryPerChunk) {
  std::string path = dir_.File("movie.avi");
  ASSERT_TRUE(WriteMovie(path, comptypeDIB, 3));
  std::vector<BYTE> bytes = ReadAll(path);
  ASSERT_GT(bytes.size(), 12u);
  auto u32 = [&](size_t at) { DWORD v; std::memcpy(&v, &bytes[at], 4); return v; };
  EXPECT_EQ(0, std::memcmp(bytes.data(), "RIFF", 4));
  EXPECT_EQ(u32(4), bytes.size() - 8);
  EXPECT_EQ(0, std::memcmp(&bytes[8], "AVI ", 4));
  // avih: total frames 3, two streams, 64 x 48.
  EXPECT_EQ(0, std::memcmp(&bytes[24], "avih", 4));
  EXPECT_EQ(u32(32), 1000000u / kFps + 0);
  EXPECT_EQ(u32(32 + 16), 3u);
  EXPECT_EQ(u32(32 + 24), 2u);
  EXPECT_EQ(u32(32 + 32), 64u);
  EXPECT_EQ(u32(32 + 36), 48u);
  // idx1 closes the file with 6 entries: 00db, 01tx, 00db, 01tx …
  size_t idx = bytes.size() - (8 + 6 * 16);
  ASSERT_EQ(0, std::memcmp(&bytes[idx], "idx1", 4));
  EXPECT_EQ(0, std::memcmp(&bytes[idx + 8], "00db", 4));
  EXPECT_EQ(0, std::memcmp(&bytes[idx + 24], "01tx", 4));
  EXPECT_EQ(u32(idx + 24 + 12), 17u);  // "This is frame #0" and its zero
  // Each entry points at its chunk, counted from the 'movi' fourcc.
  size_t movi = 0;
  for (size_t at = 12; at + 12 < bytes.size(); ++at)
    if (std::memcmp(&bytes[at], "movi", 4) == 0) { movi = at; break; }
  ASSERT_NE(movi, 0u);
  for (int e = 0; e < 6; ++e) {
    size_t entry = idx + 8 + 16 * e;
    EXPECT_EQ(0, std::memcmp(&bytes[movi + u32(entry + 8)], &bytes[entry], 4)) << "entry " << e;
  }
}

TEST(AviCompressorChoice, CancelFailsAndLeavesNothingOpen) {
  compat::SetAviCompressorChoice(comptypeDIB, 7500, /*cancel=*/true);
  AVICOMPRESSOPTIONS options{};
  AVICOMPRESSOPTIONS* list[1] = {&options};
  PAVISTREAM dummy = nullptr;
  EXPECT_FALSE(AVISaveOptions(nullptr, ICMF_CHOOSE_KEYFRAME, 1, &dummy, list));
  compat::SetAviCompressorChoice(comptypeDIB);
  EXPECT_TRUE(AVISaveOptions(nullptr, ICMF_CHOOSE_KEYFRAME, 1, &dummy, list));
  EXPECT_EQ(options.fccHandler, comptypeDIB);
}

TEST(AviStreams, RefuseBadArgumentsAndShortFrames) {
  testsupport::TempDir dir;
  std::u16string path = compat::FromHostPath(dir.File("bad.avi"));
  PAVIFILE file = nullptr;
  ASSERT_EQ(AVIFileOpenW(&file, path.c_str(), OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOW info{};
  info.fccType = streamtypeVIDEO;
  EXPECT_NE(AVIFileCreateStreamW(file, &stream, &info), AVIERR_OK);  // rate 0
  info.dwScale = info.dwRate = 1;
  ASSERT_EQ(AVIFileCreateStreamW(file, &stream, &info), AVIERR_OK);
  AVICOMPRESSOPTIONS options{};
  PAVISTREAM compressed = nullptr;
  ASSERT_EQ(AVIMakeCompressedStream(&compressed, stream, &options, nullptr), AVIERR_OK);
  BITMAPINFOHEADER format{40, 8, 8, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  ASSERT_EQ(AVIStreamSetFormat(compressed, 0, &format, 40), AVIERR_OK);
  BYTE shortFrame[10] = {};
  EXPECT_EQ(AVIStreamWrite(compressed, 0, 1, shortFrame, sizeof shortFrame, 0, nullptr, nullptr), AVIERR_BADSIZE);
  format.biBitCount = 8;
  EXPECT_NE(AVIStreamSetFormat(compressed, 0, &format, 40), AVIERR_OK);
  AVIStreamRelease(compressed);
  AVIStreamRelease(stream);
  AVIFileRelease(file);
  EXPECT_NE(AVIFileOpenW(&file, u"\\no\\such\\folder\\x.avi", OF_WRITE | OF_CREATE, nullptr), AVIERR_OK);
  EXPECT_EQ(file, nullptr);
}

}  // namespace

namespace {

// A full disk part-way through: the frames before it stay playable.
TEST_F(AviFile, FramesBeforeAFailedWriteStayReadable) {
  std::string path = dir_.File("full.avi");
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit = old;
  limit.rlim_cur = 8192 + 5 * (kWidth * kHeight * 3 + 8 + 26) + 100;  // room for five frames and captions
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  bool ok = WriteMovie(path, comptypeDIB, 20);
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_FALSE(ok);
  std::string info = Probe(path, "nb_read_frames");
  EXPECT_NE(info.find("nb_read_frames=5"), std::string::npos) << info;
}

}  // namespace

// The export's render thread asks; the user picks Motion JPEG in the dialog.
TEST_F(AviFile, TheCompressorDialogOnTheRenderThreadChoosesMotionJpeg) {
  compat::ResetDesktop(800, 600);
  compat::ClearModalSteps();
  compat::SetRealCompressorDialog(true);
  compat::AddModalStepOnCaption(u"Video Compression", [](HWND dialog) {
    EXPECT_EQ(GetDlgCtrlID(GetFocus()), 1000) << "the compressor combo has the focus";
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, 1001))) << "no quality for full frames";
    EXPECT_TRUE(GetDlgItem(dialog, 1003)) << "key frames asked for";
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("video_compression").c_str()));
  });
  dlgtest::QueueKey(VK_DOWN);
  dlgtest::QueueCheck([] { EXPECT_TRUE(IsWindowEnabled(GetDlgItem(GetActiveWindow(), 1001))); });
  dlgtest::QueueKey(VK_RETURN);
  const std::string path = dir_.File("chosen.avi");
  bool written = false;
  std::thread render([&] { written = WriteMovie(path, comptypeDIB, 5); });
  render.join();
  compat::SetRealCompressorDialog(false);
  EXPECT_EQ(compat::PendingModalSteps(), 0);
  ASSERT_TRUE(written);
  const std::string info = Probe(path, "codec_name");
  EXPECT_NE(info.find("codec_name=mjpeg"), std::string::npos) << info;
}
