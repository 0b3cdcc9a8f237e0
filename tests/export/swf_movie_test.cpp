// The SWF movie writer and the page beside it: frame limits, the header of a
// movie cut short, JPEG quality and kind, and the page read by an HTML parser.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "export/swf_html_page.h"
#include "export/swf_movie_writer.h"
#include "model/raster/pixel_buffer.h"
#include "support/tool_runner.h"

namespace {

using testsupport::HaveTool;
using testsupport::RunTool;

constexpr int kWidth = 250, kHeight = 200;  // not a multiple of 4: used as it is

std::vector<BYTE> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The frame count in an uncompressed SWF header, after the frame rectangle.
int HeaderFrameCount(const std::vector<BYTE>& file) {
  if (file.size() < 9 || std::memcmp(file.data(), "FWS", 3) != 0) return -1;
  int bits = file[8] >> 3;
  size_t rectBytes = (5 + 4 * static_cast<size_t>(bits) + 7) / 8;
  size_t at = 8 + rectBytes + 2;
  return at + 2 <= file.size() ? file[at] | file[at + 1] << 8 : -1;
}

class SwfMovie : public ::testing::Test {
 protected:
  SwfMovie() : frame_(RECT{0, 0, kWidth, kHeight}) {
    // Noise-like detail, so that the JPEG quality shows in the sizes.
    for (int i = 0; i < kWidth * kHeight; ++i) frame_.bits[i] = 0xFF000000u | (i * 2654435761u >> 8);
  }
  ~SwfMovie() override { frame_.Free(); }
  CString Path(const std::string& name) { return CString(compat::FromHostPath(dir_.File(name)).c_str()); }
  // A movie that announces `announced` frames and gets `made`.
  BOOL Make(const std::string& name, int announced, int made, int quality = 75) {
    CSwfMovieWriter movie;
    if (!movie.Open(SIZE{kWidth, kHeight}, 25, announced)) return FALSE;
    for (int i = 0; i < made; ++i) EXPECT_TRUE(movie.AddFrame(frame_, quality));
    return movie.Save(Path(name));
  }
  testsupport::TempDir dir_;
  CPixelBuffer frame_;
};

TEST_F(SwfMovie, FramesAreCountedAsMadeAtTheExactSize) {
  ASSERT_TRUE(Make("full.swf", 6, 6));
  ASSERT_TRUE(Make("cut.swf", 20, 5));  // a stop after five frames
  EXPECT_EQ(HeaderFrameCount(ReadAll(dir_.File("full.swf"))), 6);
  EXPECT_EQ(HeaderFrameCount(ReadAll(dir_.File("cut.swf"))), 5);
  CALVETTA_REQUIRE_TOOL(HaveTool("ffprobe"), "ffprobe");
  std::string info = RunTool("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                             "stream=width,height,r_frame_rate,nb_read_frames -of default=noprint_wrappers=1 '" +
                             dir_.File("cut.swf") + "'");
  EXPECT_NE(info.find("width=250"), std::string::npos) << info;
  EXPECT_NE(info.find("height=200"), std::string::npos) << info;
  EXPECT_NE(info.find("r_frame_rate=25/1"), std::string::npos) << info;
  EXPECT_NE(info.find("nb_read_frames=5"), std::string::npos) << info;
}

TEST_F(SwfMovie, MoreFramesThanItsCharacterIdsAllowAreRefused) {
  CSwfMovieWriter movie;
  EXPECT_FALSE(movie.Open(SIZE{kWidth, kHeight}, 25, CSwfMovieWriter::kMaxFrames + 1));
  EXPECT_TRUE(movie.Open(SIZE{kWidth, kHeight}, 25, CSwfMovieWriter::kMaxFrames));
  // Nor does it take frames beyond those it announced.
  CSwfMovieWriter small;
  ASSERT_TRUE(small.Open(SIZE{kWidth, kHeight}, 25, 1));
  EXPECT_TRUE(small.AddFrame(frame_, 75));
  EXPECT_FALSE(small.AddFrame(frame_, 75));
}

TEST_F(SwfMovie, QualityChangesTheBaselineJpegFrames) {
  ASSERT_TRUE(Make("q1.swf", 1, 1, 1));
  ASSERT_TRUE(Make("q100.swf", 1, 1, 100));
  std::vector<BYTE> low = ReadAll(dir_.File("q1.swf")), high = ReadAll(dir_.File("q100.swf"));
  EXPECT_LT(low.size() * 3, high.size());
  // Baseline (SOF0), never progressive (SOF2), which older players refuse.
  const BYTE sof0[2] = {0xFF, 0xC0}, sof2[2] = {0xFF, 0xC2};
  EXPECT_NE(memmem(high.data(), high.size(), sof0, 2), nullptr);
  EXPECT_EQ(memmem(high.data(), high.size(), sof2, 2), nullptr);
}

TEST_F(SwfMovie, FrameOfAnotherSizeIsRefused) {
  CSwfMovieWriter movie;
  ASSERT_TRUE(movie.Open(SIZE{kWidth + 2, kHeight}, 25, 3));
  EXPECT_FALSE(movie.AddFrame(frame_, 75));
  EXPECT_EQ(movie.GetFrameCount(), 0);
}

// --- the page ---

// Tags and attributes as Python's HTML parser reads them: "tag k=v k=v".
std::string ParsedTags(const std::string& pagePath) {
  const char* script =
      "import sys, html.parser\n"
      "class P(html.parser.HTMLParser):\n"
      "  def handle_starttag(self, tag, attrs):\n"
      "    print(tag, ' '.join('%s=%s' % (k, v) for k, v in attrs))\n"
      "p = P(); p.feed(open(sys.argv[1], encoding='latin-1').read()); p.close()\n";
  std::string scriptPath = pagePath + ".py";
  std::ofstream(scriptPath) << script;
  return RunTool("python3 '" + scriptPath + "' '" + pagePath + "'");
}

TEST(SwfHtmlPage, LiesBesideTheMovieWithTheMoviesName) {
  EXPECT_EQ(SwfHtmlPagePath(CString(u"C:\\films\\movie.swf")), CString(u"C:\\films\\movie.htm"));
  EXPECT_EQ(SwfHtmlPagePath(CString(u"C:\\films\\MOVIE.SWF")), CString(u"C:\\films\\MOVIE.htm"));
}

TEST(SwfHtmlPage, EveryTagParsesIntoWholeAttributes) {
  CALVETTA_REQUIRE_TOOL(HaveTool("python3"), "python3");
  testsupport::TempDir dir;
  // A name with characters that end attribute values or start markup.
  std::string name = "a&b\"c.swf";
  CString moviePath(compat::FromHostPath(dir.File(name)).c_str());
  ASSERT_TRUE(WriteSwfHtmlPage(moviePath, 250, 200));
  std::string tags = ParsedTags(dir.File("a&b\"c.htm"));
  EXPECT_NE(tags.find("object classid=clsid:D27CDB6E-AE6D-11cf-96B8-444553540000 codebase="), std::string::npos)
      << tags;
  EXPECT_NE(tags.find(" width=250 height=200 id=a&b\"c.swf\n"), std::string::npos) << tags;
  EXPECT_NE(tags.find("param name=movie value=a&b\"c.swf\n"), std::string::npos) << tags;
  // The EMBED tag: each attribute whole, the movie named as in the OBJECT.
  EXPECT_NE(tags.find("embed src=a&b\"c.swf quality=best bgcolor=#FFFFFF width=250 height=200 name=a&b\"c.swf "
                      "align=  type=application/x-shockwave-flash pluginspage=http"),
            std::string::npos)
      << tags;
}

TEST(SwfHtmlPage, LinesEndInCarriageReturnAndLineFeed) {
  std::string page = SwfHtmlPageText("movie.swf", 64, 48);
  EXPECT_EQ(page.rfind("<html>\r\n<body>\r\n<p align=\"center\"><OBJECT", 0), 0u);
  EXPECT_TRUE(page.ends_with("</EMBED>\r\n</OBJECT>\r\n</p>\r\n</body>\r\n</html>\r\n")) << page;
  for (size_t at = page.find('\n'); at != std::string::npos; at = page.find('\n', at + 1)) ASSERT_EQ(page[at - 1], '\r');
}

}  // namespace
