// SWF movies written through the SWF library calls: the tag sequence walked
// by hand, and the file read by ffprobe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include <zlib.h>

#include "compat/host_path.h"
#include "compat/swf.h"
#include "compat/vfw/mjpeg_encoder.h"
#include "support/tool_runner.h"

namespace {

constexpr int kWidth = 250, kHeight = 200;

SWFJpegBitmap MakeBitmap(int shade) {
  std::vector<BYTE> bgr(kWidth * kHeight * 3, static_cast<BYTE>(shade));
  std::vector<BYTE> jpeg;
  EXPECT_TRUE(compat::EncodeMjpegFrame(bgr.data(), kWidth, kHeight, 75, jpeg));
  auto* buffer = static_cast<unsigned char*>(std::malloc(jpeg.size()));
  std::memcpy(buffer, jpeg.data(), jpeg.size());
  return newSWFJpegBitmap_fromInput(newSWFInput_allocedBuffer(buffer, static_cast<int>(jpeg.size())));
}

// Writes a movie the way the export does: `declared` frames promised, `made` made.
int SaveMovie(const std::string& hostPath, int declared, int made, int level = -1) {
  Ming_init();
  SWFMovie movie = newSWFMovie();
  SWFMovie_setRate(movie, 25.0f);
  SWFMovie_setDimension(movie, kWidth, kHeight);
  SWFMovie_setNumberOfFrames(movie, declared);
  std::vector<SWFJpegBitmap> bitmaps;
  for (int i = 0; i < made; ++i) {
    bitmaps.push_back(MakeBitmap(i * 10));
    EXPECT_NE(SWFMovie_add(movie, bitmaps.back()), nullptr);
    SWFMovie_nextFrame(movie);
  }
  std::string ansi = compat::Utf16ToUtf8(compat::FromHostPath(hostPath));
  int written = SWFMovie_save(movie, ansi.c_str(), level);
  destroySWFMovie(movie);
  for (SWFJpegBitmap b : bitmaps) destroySWFJpegBitmap(b);
  return written;
}

struct Tag {
  int code;
  std::vector<unsigned char> body;
};

struct Movie {
  int frameCount = 0;
  unsigned rate = 0;
  std::vector<Tag> tags;
};

// Reads the header and the tag list of an FWS or CWS file.
bool ParseMovie(const std::string& path, Movie* out) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (file.size() < 8) return false;
  uLongf total = file[4] | file[5] << 8 | file[6] << 16 | static_cast<uLongf>(file[7]) << 24;
  std::vector<unsigned char> body;
  if (file[0] == 'C') {
    body.resize(total - 8);
    uLongf size = body.size();
    if (uncompress(body.data(), &size, file.data() + 8, file.size() - 8) != Z_OK || size != body.size()) return false;
  } else {
    body.assign(file.begin() + 8, file.end());
    if (file.size() != total) return false;
  }
  int nbits = body[0] >> 3;
  size_t at = (5 + 4 * nbits + 7) / 8;
  out->rate = body[at] | body[at + 1] << 8;
  out->frameCount = body[at + 2] | body[at + 3] << 8;
  at += 4;
  while (at + 2 <= body.size()) {
    unsigned head = body[at] | body[at + 1] << 8;
    at += 2;
    size_t len = head & 0x3F;
    if (len == 0x3F) {
      len = body[at] | body[at + 1] << 8 | body[at + 2] << 16 | static_cast<size_t>(body[at + 3]) << 24;
      at += 4;
    }
    if (at + len > body.size()) return false;
    out->tags.push_back({static_cast<int>(head >> 6), {body.begin() + at, body.begin() + at + len}});
    at += len;
    if ((head >> 6) == 0) return at == body.size();
  }
  return false;
}

TEST(SwfMovie, EachFrameDefinesABitmapAShapeAndReplacesTheOneShown) {
  testsupport::TempDir dir;
  std::string path = dir.File("movie.swf");
  ASSERT_GT(SaveMovie(path, 3, 3), 0);
  Movie movie;
  ASSERT_TRUE(ParseMovie(path, &movie));
  EXPECT_EQ(movie.frameCount, 3);
  EXPECT_EQ(movie.rate, 25u << 8);
  std::vector<int> codes;
  for (const Tag& t : movie.tags) codes.push_back(t.code);
  std::vector<int> expected = {9, 21, 2, 26, 1, 21, 2, 26, 1, 21, 2, 26, 1, 0};
  EXPECT_EQ(codes, expected);
  // The first placement puts a character at depth 1, later ones replace it.
  EXPECT_EQ(movie.tags[3].body[0], 0x02);
  EXPECT_EQ(movie.tags[7].body[0], 0x03);
  // Bitmap ids and shape ids alternate; the shape fills with its own bitmap.
  EXPECT_EQ(movie.tags[1].body[0], 1);
  EXPECT_EQ(movie.tags[2].body[0], 2);
  EXPECT_EQ(movie.tags[5].body[0], 3);
  EXPECT_EQ(movie.tags[7].body[3], 4);
  EXPECT_EQ(movie.tags[1].body[2], 0xFF);  // the JPEG stream starts right after the id
  EXPECT_EQ(movie.tags[1].body[3], 0xD8);
}

TEST(SwfMovie, AStoppedExportCountsOnlyTheFramesMade) {
  testsupport::TempDir dir;
  std::string path = dir.File("stopped.swf");
  ASSERT_GT(SaveMovie(path, 20, 5, 9), 0);
  Movie movie;
  ASSERT_TRUE(ParseMovie(path, &movie));
  EXPECT_EQ(movie.frameCount, 5);
}

TEST(SwfMovie, FfprobeReadsEveryFrameAtTheMovieRate) {
  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("ffprobe"), "ffprobe");
  testsupport::TempDir dir;
  std::string path = dir.File("movie.swf");
  ASSERT_GT(SaveMovie(path, 20, 20), 0);
  std::string info = testsupport::RunTool(
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=codec_name,r_frame_rate,nb_read_frames"
      " -of default=noprint_wrappers=1 '" + path + "'");
  EXPECT_NE(info.find("codec_name=mjpeg"), std::string::npos) << info;
  EXPECT_NE(info.find("r_frame_rate=25/1"), std::string::npos) << info;
  EXPECT_NE(info.find("nb_read_frames=20"), std::string::npos) << info;
}

TEST(SwfMovie, RejectsInputThatIsNotJpegAndUnwritablePaths) {
  auto* junk = static_cast<unsigned char*>(std::malloc(16));
  std::memset(junk, 0x42, 16);
  EXPECT_EQ(newSWFJpegBitmap_fromInput(newSWFInput_allocedBuffer(junk, 16)), nullptr);
  SWFMovie movie = newSWFMovie();
  EXPECT_EQ(SWFMovie_add(movie, nullptr), nullptr);
  EXPECT_EQ(SWFMovie_save(movie, "\\no\\such\\folder\\x.swf", -1), -1);
  destroySWFMovie(movie);
}

}  // namespace
