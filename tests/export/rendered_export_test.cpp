// Exports whose frames the renderer draws: a red-to-blue pair followed by a
// blue-to-green pair, read back by independent tools in every format.
#include <filesystem>

#include "export_fixture.h"
#include "imaging/image_file.h"
#include "render/renderer_link.h"

namespace exporttest {
namespace {

using testsupport::HaveTool;
using testsupport::RunTool;

constexpr DWORD kRed = 0xFF0000, kBlue = 0x0000FF, kGreen = 0x00FF00;

class RenderedExport : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    GetMorphProject()->InitDirect3D(nullptr);
    ASSERT_TRUE(IsRendererCreated());
    source_ = nullptr;
    CMorphProject* project = GetMorphProject();
    Plain(project->PairAt(0), Solid("red.bmp", kRed), Solid("blue.bmp", kBlue));
    Plain(project->PairAt(1), Solid("blue.bmp", kBlue), Solid("green.bmp", kGreen));
  }
  void TearDown() override {
    ExportTest::TearDown();
    ShutdownDirect3D();
    DestroyMorphProject();
  }

  CString Solid(const std::string& name, DWORD rgb) {
    std::vector<DWORD> pixels(static_cast<size_t>(kWidth) * kHeight, 0xFF000000 | rgb);
    CString path(compat::FromHostPath(dir_.File(name)).c_str());
    EXPECT_TRUE(CImageFile().Save(path, 0, 0, kWidth, kHeight, pixels.data(), 0));
    return path;
  }
  static void Plain(CMorphPair* pair, const CString& source, const CString& target) {
    pair->m_fadeIn = pair->m_fadeOut = 0;
    pair->m_inFrames = pair->m_outFrames = 0;
    pair->SetFrameCount(kFrames / 2);
    pair->SetSourceImage(source);
    pair->SetTargetImage(target);
  }
  // The middle pixel of decoded frame `n` of a movie as 0xRRGGBB.
  static DWORD MovieFramePixel(const std::string& path, int n) {
    std::string raw = RunTool("ffmpeg -v error -i '" + path + "' -map 0:v:0 -vf 'select=eq(n\\," + std::to_string(n) +
                              ")' -vframes 1 -f rawvideo -pix_fmt rgb24 -");
    size_t at = (static_cast<size_t>(kHeight / 2) * kWidth + kWidth / 2) * 3;
    if (raw.size() < at + 3) return 0xFFFFFFFF;
    return static_cast<DWORD>(static_cast<BYTE>(raw[at])) << 16 | static_cast<DWORD>(static_cast<BYTE>(raw[at + 1])) << 8 |
           static_cast<BYTE>(raw[at + 2]);
  }
};

int Distance(DWORD a, DWORD b) {
  int worst = 0;
  for (int shift : {0, 8, 16}) worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return worst;
}

TEST_F(RenderedExport, StillsShowEachPairFromSourceToTarget) {
  RunExport("a.bmp");
  ASSERT_EQ(owner_->Frames().size(), size_t(kFrames));
  ASSERT_TRUE(std::filesystem::exists(dir_.File("a19.bmp")));
  CALVETTA_REQUIRE_TOOL(HaveTool("convert"), "ImageMagick");
  auto middle = [&](int n) {
    std::string rgb = RunTool("convert '" + dir_.File("a" + std::to_string(n) + ".bmp") + "' -crop 1x1+32+24 -depth 8 rgb:-");
    return rgb.size() != 3 ? 0xFFFFFFFFu
                           : DWORD(BYTE(rgb[0])) << 16 | DWORD(BYTE(rgb[1])) << 8 | DWORD(BYTE(rgb[2]));
  };
  EXPECT_LE(Distance(middle(0), kRed), 8);
  EXPECT_LE(Distance(middle(9), kBlue), 8);
  EXPECT_LE(Distance(middle(10), kBlue), 8);
  EXPECT_LE(Distance(middle(19), kGreen), 8);
}

TEST_F(RenderedExport, MoviesOfEveryKindHoldTheRenderedFrames) {
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe") && HaveTool("gifsicle"), "ffprobe or gifsicle");
  for (DWORD handler : {comptypeDIB, comptypeMJPG}) {
    compat::SetAviCompressorChoice(handler);
    std::string name = handler == comptypeDIB ? "movie.avi" : "mjpeg.avi";
    RunExport(name);
    SCOPED_TRACE(name);
    EXPECT_LE(Distance(MovieFramePixel(dir_.File(name), 0), kRed), 12);
    EXPECT_LE(Distance(MovieFramePixel(dir_.File(name), 19), kGreen), 12);
  }
  RunExport("movie.swf");
  EXPECT_LE(Distance(MovieFramePixel(dir_.File("movie.swf"), 0), kRed), 12);
  EXPECT_LE(Distance(MovieFramePixel(dir_.File("movie.swf"), 19), kGreen), 12);
  RunExport("anim.gif");
  std::string info = RunTool("gifsicle --info '" + dir_.File("anim.gif") + "'");
  EXPECT_NE(info.find("20 images"), std::string::npos) << info;
  EXPECT_LE(Distance(MovieFramePixel(dir_.File("anim.gif"), 9), kBlue), 12);
}

}  // namespace
}  // namespace exporttest
