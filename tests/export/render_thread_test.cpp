// Whole exports of a two-pair project through the render thread, read back
// by independent tools: stills, animated GIF, AVI with both compressors, SWF
// movie and page; stops, failures and the order of the end report.
#include <filesystem>
#include <fstream>
#include <thread>
#include <tuple>

#include "export/swf_movie_writer.h"
#include "export_fixture.h"

namespace exporttest {
namespace {

using testsupport::HaveTool;
using testsupport::RunTool;

std::string Quote(const std::string& path) { return "'" + path + "'"; }

// One entry of a stream as ffprobe counts it, e.g. ("v:0", "nb_read_frames").
std::string ProbeEntry(const std::string& path, const std::string& stream, const std::string& entry) {
  std::string out = RunTool("ffprobe -v error -count_frames -select_streams " + stream + " -show_entries stream=" +
                            entry + " -of default=noprint_wrappers=1:nokey=1 " + Quote(path));
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

int GifImageCount(const std::string& info) {
  int count = 0;
  for (size_t at = info.find("+ image #"); at != std::string::npos; at = info.find("+ image #", at + 1)) ++count;
  return count;
}

std::vector<int> Range(int count) {
  std::vector<int> out;
  for (int i = 0; i < count; ++i) out.push_back(i);
  return out;
}

uintmax_t FileSize(const std::string& path) {
  std::error_code ec;
  uintmax_t size = std::filesystem::file_size(path, ec);
  return ec ? 0 : size;
}

using RenderThread = ExportTest;

TEST_F(RenderThread, StillsAreNumberedOverBothPairsAndEachIsReported) {
  RunExport("a.bmp");
  EXPECT_EQ(owner_->Frames(), Range(kFrames));
  std::vector<Progress> received = owner_->Received();
  ASSERT_EQ(received.size(), size_t(kFrames));
  for (int n = 0; n < kFrames; ++n) {
    std::string name = "a" + std::to_string(n) + ".bmp";
    EXPECT_TRUE(std::filesystem::exists(dir_.File(name))) << name;
    EXPECT_EQ(received[n].fileName, ProgramPath(name)) << n;
  }
  EXPECT_FALSE(std::filesystem::exists(dir_.File("a20.bmp")));
  CALVETTA_REQUIRE_TOOL(HaveTool("convert"), "ImageMagick");
  // Frame 13 (pair 2, frame 3), pixel (5, 7): its own colours, right way up.
  std::string rgb = RunTool("convert " + Quote(dir_.File("a13.bmp")) + " -crop 1x1+5+7 -depth 8 rgb:-");
  ASSERT_EQ(rgb.size(), 3u);
  DWORD expected = FramePixel(5, 7, 13);
  EXPECT_EQ(static_cast<BYTE>(rgb[0]), static_cast<BYTE>(expected >> 16));
  EXPECT_EQ(static_cast<BYTE>(rgb[1]), static_cast<BYTE>(expected >> 8));
  EXPECT_EQ(static_cast<BYTE>(rgb[2]), static_cast<BYTE>(expected));
}

TEST_F(RenderThread, StillsThatCannotBeWrittenAreSkippedAndTheFirstIsNamedOnceAtTheEnd) {
  // Folders in the place of a5.bmp and a12.bmp: no file can replace them.
  for (const char* taken : {"a5.bmp", "a12.bmp"}) std::filesystem::create_directory(dir_.File(taken));
  RunExport("a.bmp");
  EXPECT_EQ(frames_.grabs, kFrames);
  EXPECT_EQ(owner_->Frames(), Range(kFrames));
  for (int n = 0; n < kFrames; ++n) {
    const std::string name = dir_.File("a" + std::to_string(n) + ".bmp");
    EXPECT_EQ(std::filesystem::is_regular_file(name), n != 5 && n != 12) << name;
  }
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Create BMP File Error!\n" + compat::Utf8ToUtf16(dir_.File("a5.bmp")));
}

TEST_F(RenderThread, FramesOfAnOddWidthAreWrittenAtTheNextMultipleOfFour) {
  CALVETTA_REQUIRE_TOOL(HaveTool("identify"), "ImageMagick");
  GetMorphProject()->SetOutputSize(62, kHeight);
  RunExport("b.tga");
  EXPECT_EQ(RunTool("identify -format '%w x %h' " + Quote(dir_.File("b0.tga"))), "64 x 48");
  EXPECT_EQ(RunTool("identify -format '%w x %h' " + Quote(dir_.File("b19.tga"))), "64 x 48");
}

TEST_F(RenderThread, AnimatedGifHoldsEveryFrameAtTheProjectsRate) {
  CALVETTA_REQUIRE_TOOL(HaveTool("gifsicle"), "gifsicle");
  RunExport("anim.gif");
  EXPECT_EQ(owner_->Frames(), Range(kFrames));
  std::string info = RunTool("gifsicle --info " + Quote(dir_.File("anim.gif")));
  EXPECT_EQ(GifImageCount(info), kFrames) << info;
  EXPECT_NE(info.find("delay 0.08s"), std::string::npos) << info;  // 100 / 12 hundredths
  // Delays are whole hundredths: 3 frames per second give 33, 100 give 1.
  for (int fps : {3, 100}) {
    GetMorphProject()->SetFps(fps);
    RunExport("slow.gif");
    std::string slow = RunTool("gifsicle --info " + Quote(dir_.File("slow.gif")));
    EXPECT_NE(slow.find(fps == 3 ? "delay 0.33s" : "delay 0.01s"), std::string::npos) << fps << slow;
  }
}

TEST_F(RenderThread, AviWithEitherCompressorHasEveryFrameAndACaptionPerFrame) {
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe"), "ffprobe");
  for (DWORD handler : {comptypeDIB, comptypeMJPG}) {
    SCOPED_TRACE(handler == comptypeDIB ? "uncompressed" : "motion jpeg");
    compat::SetAviCompressorChoice(handler);
    std::string path = dir_.File(handler == comptypeDIB ? "movie.avi" : "mjpeg.avi");
    RunExport(std::filesystem::path(path).filename().string());
    EXPECT_EQ(compat::MessageBoxCount(), 0);
    EXPECT_EQ(ProbeEntry(path, "v:0", "codec_name"), handler == comptypeDIB ? "rawvideo" : "mjpeg");
    EXPECT_EQ(ProbeEntry(path, "v:0", "nb_read_frames"), "20");
    EXPECT_EQ(ProbeEntry(path, "v:0", "r_frame_rate"), "12/1");
    EXPECT_EQ(ProbeEntry(path, "v:0", "width"), "64");
    // The caption stream runs beside the video at the same rate.
    // ffprobe takes it for a subtitle stream; its time base is the caption rate.
    std::string captions = RunTool("ffprobe -v error -select_streams 1 -show_entries "
                                   "stream=codec_type,time_base,nb_frames -of default=noprint_wrappers=1 " + Quote(path));
    EXPECT_NE(captions.find("codec_type=subtitle"), std::string::npos) << captions;
    EXPECT_NE(captions.find("time_base=1/12"), std::string::npos) << captions;
    EXPECT_NE(captions.find("nb_frames=20"), std::string::npos) << captions;
  }
}

TEST_F(RenderThread, SwfMovieHasEveryFrameAndItsPageLiesBeside) {
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe"), "ffprobe");
  RunExport("movie.swf");
  EXPECT_EQ(owner_->Frames(), Range(kFrames));
  std::string path = dir_.File("movie.swf");
  EXPECT_EQ(ProbeEntry(path, "v:0", "nb_read_frames"), "20");
  EXPECT_EQ(ProbeEntry(path, "v:0", "r_frame_rate"), "12/1");
  std::ifstream page(dir_.File("movie.htm"), std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("WIDTH=\"64\" HEIGHT=\"48\" id=\"movie.swf\""), std::string::npos) << text;
}

TEST_F(RenderThread, TheEndIsReportedOnlyOnceTheFilesAreComplete) {
  for (const std::string name : {"anim.gif", "movie.avi", "movie.swf"}) {
    SCOPED_TRACE(name);
    uintmax_t sizeAtEnd = 0;
    bool pageAtEnd = false;
    owner_->onProgress = [&](const Progress& p) {
      if (p.frame != kFrames - 1) return;
      sizeAtEnd = FileSize(dir_.File(name));
      pageAtEnd = std::filesystem::exists(dir_.File("movie.htm"));
    };
    RunExport(name);
    EXPECT_GT(sizeAtEnd, 0u);
    EXPECT_EQ(sizeAtEnd, FileSize(dir_.File(name)));
    if (name == "movie.swf") {
      EXPECT_TRUE(pageAtEnd);
    }
  }
}

// --- stops ---

TEST_F(RenderThread, StopAfterFiveFramesLeavesFilesOfFiveFrames) {
  for (const std::string name : {"movie.avi", "anim.gif", "movie.swf", "s.bmp"}) {
    SCOPED_TRACE(name);
    frames_.grabs = 0;
    // The owner stops while handling frame 4's report, as the Stop button does.
    owner_->onProgress = [&](const Progress& p) {
      if (p.frame != 4) return;
      thread_->RequestStop();
      thread_->m_pMainWnd = nullptr;
    };
    RunExport(name);
    owner_ = std::make_unique<OwnerWindow>();
    EXPECT_EQ(frames_.grabs, 5);
    std::string path = dir_.File(name);
    if (name == "s.bmp") {
      EXPECT_TRUE(std::filesystem::exists(dir_.File("s4.bmp")));
      EXPECT_FALSE(std::filesystem::exists(dir_.File("s5.bmp")));
    } else if (name == "anim.gif") {
      if (HaveTool("gifsicle")) {
        EXPECT_EQ(GifImageCount(RunTool("gifsicle --info " + Quote(path))), 5);
      }
    } else if (HaveTool("ffprobe")) {
      EXPECT_EQ(ProbeEntry(path, "v:0", "nb_read_frames"), "5");
    }
  }
}

TEST_F(RenderThread, StopPressedWhileTheThreadReportsDoesNotHang) {
  // The owner runs its own message loop; the Stop "click" is posted to it
  // from the render thread, so it arrives while progress is being sent.
  constexpr UINT kStopClick = WM_USER + 50;
  HWND hwnd = owner_->Wnd()->GetSafeHwnd();
  frames_.onGrab = [&](int frame) {
    if (frame == 7) PostMessageW(hwnd, kStopClick, 0, 0);
  };
  thread_ = std::make_unique<CRenerThread>();
  thread_->m_pMainWnd = owner_->Wnd();
  thread_->SetOutputPath(CString(ProgramPath("stop.gif").c_str()));
  thread_->SetFps(kFps);
  thread_->SetFrameSource(&frames_);
  ASSERT_TRUE(thread_->CreateThread(0, 0, nullptr));
  MSG msg;
  bool stopped = false;
  while (!stopped && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == kStopClick) {
      thread_->RequestStop();
      thread_->m_pMainWnd = nullptr;
      ASSERT_TRUE(thread_->WaitForEnd());
      stopped = true;
    }
    DispatchMessageW(&msg);
  }
  EXPECT_TRUE(stopped);
  EXPECT_LT(frames_.grabs, kFrames);
  EXPECT_LT(owner_->Frames().size(), size_t(kFrames));
}

// --- failures ---

TEST_F(RenderThread, AnOutputTypeWithoutAWriterIsReportedAndEndsTheExport) {
  RunExport("still.jpg");
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(frames_.grabs, 0);
  EXPECT_EQ(owner_->Frames(), std::vector<int>{-1});  // the owner returns to idle, no number
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
}

TEST_F(RenderThread, MovieLongerThanAFlashMovieHoldsIsRefusedWithAMessage) {
  GetMorphProject()->PairAt(1)->SetFrameCount(CSwfMovieWriter::kMaxFrames + 1 - kFrames / 2);
  RunExport("long.swf");
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(frames_.grabs, 0);
  EXPECT_EQ(owner_->Frames(), std::vector<int>{-1});  // ended unfinished
  EXPECT_FALSE(std::filesystem::exists(dir_.File("long.swf")));
}

TEST_F(RenderThread, CancelledCompressorChoiceIsReportedAndLeavesNoFile) {
  compat::SetAviCompressorChoice(comptypeDIB, 7500, /*cancel=*/true);
  RunExport("movie.avi");
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Create AVI File Error!");
  EXPECT_EQ(frames_.grabs, 0);
  // An AVI that cannot be opened ends the export at the last number.
  EXPECT_EQ(owner_->Frames(), std::vector<int>{kFrames - 1});
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path())) << "no file without frames is left";
}

TEST_F(RenderThread, MoviesThatCannotBeCreatedAreReportedAndEndTheExport) {
  // The owner returns to idle: an AVI that cannot be opened ends at the last
  // number, the others unfinished.
  const std::tuple<std::string, std::u16string, int> cases[] = {
      {"movie.avi", u"Create AVI File Error!", kFrames - 1},
      {"anim.gif", u"Create GIF File Error!\n" + compat::Utf8ToUtf16(dir_.File("no/such/folder/anim.gif")), -1},
      {"movie.swf", u"Create SWF File Error!", -1}};
  for (const auto& [name, text, last] : cases) {
    SCOPED_TRACE(name);
    compat::ResetMessageBoxLog();
    owner_ = std::make_unique<OwnerWindow>();
    RunExport("no/such/folder/" + name);
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    EXPECT_EQ(compat::LastMessageBoxText(), text);
    ASSERT_FALSE(owner_->Frames().empty());
    EXPECT_EQ(owner_->Frames().back(), last);
  }
}

// A write that fails part-way, at the largest file the writer makes (here
// made small) or at a disk that is full, closes the movie whole with the
// frames before it; the user is told once and the export ends unfinished.
TEST_F(RenderThread, AviWriteFailureMidwayKeepsTheFramesWrittenAndIsReportedOnce) {
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe"), "ffprobe");
  // Headers, then five frames and their captions (9250 bytes each) with
  // their index entries, and not a sixth.
  constexpr ULONGLONG kFiveFrames = 8204 + 5 * 9250 + 8 + 10 * 16 + 100;
  for (bool sizeLimit : {true, false}) {
    SCOPED_TRACE(sizeLimit ? "the writer's size limit" : "a full disk");
    compat::ResetMessageBoxLog();
    owner_ = std::make_unique<OwnerWindow>();
    frames_.grabs = 0;
    std::filesystem::remove(dir_.File("movie.avi"));
    if (sizeLimit) {
      compat::SetAviFileSizeLimit(kFiveFrames);
      RunExport("movie.avi");
      compat::SetAviFileSizeLimit(0);
    } else {
      FileSizeLimit limit(64 * 1024);
      RunExport("movie.avi");
    }
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    EXPECT_EQ(compat::LastMessageBoxText(), u"Create AVI File Error!");
    std::vector<int> frames = owner_->Frames();
    ASSERT_GE(frames.size(), 2u);
    EXPECT_EQ(frames.back(), -1);  // the owner returns to idle
    const int written = static_cast<int>(frames.size()) - 1;
    if (sizeLimit) EXPECT_EQ(written, 5);
    EXPECT_EQ(frames_.grabs, written + 1) << "the export stops at the failure";
    const std::string path = dir_.File("movie.avi");
    EXPECT_EQ(ProbeEntry(path, "v:0", "nb_read_frames"), std::to_string(written));
    EXPECT_EQ(ProbeEntry(path, "s:0", "nb_frames"), std::to_string(written));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 1) << "no temporary file is left";
  }
}

}  // namespace
}  // namespace exporttest
