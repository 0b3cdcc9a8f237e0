// A small SWF writer: per frame one DefineBitsJPEG2 bitmap, one rectangle
// shape filled with it, a PlaceObject2 at depth 1 and a ShowFrame.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "compat/host_path.h"
#include "compat/swf.h"

namespace {

constexpr int kTwipsPerPixel = 20;
constexpr int kMaxCharacterId = 65535;
constexpr int kMaxFrames = 65535;
constexpr int kSwfVersion = 6;
constexpr int kMaxInputBytes = 64 << 20;
constexpr size_t kMaxFileBytes = 0xFFFFFFFFu;

enum TagCode {
  kTagEnd = 0,
  kTagShowFrame = 1,
  kTagDefineShape = 2,
  kTagSetBackgroundColor = 9,
  kTagDefineBitsJpeg2 = 21,
  kTagPlaceObject2 = 26,
};

// Writes SWF's bit fields, most significant bit first.
class BitWriter {
 public:
  explicit BitWriter(std::vector<unsigned char>& out) : out_(out) {}
  ~BitWriter() { Align(); }
  void Unsigned(unsigned value, int bits) {
    for (int i = bits - 1; i >= 0; --i) Bit((value >> i) & 1);
  }
  void Signed(int value, int bits) { Unsigned(static_cast<unsigned>(value), bits); }
  void Align() {
    if (used_) out_.push_back(current_);
    current_ = 0;
    used_ = 0;
  }

 private:
  void Bit(unsigned b) {
    current_ = static_cast<unsigned char>(current_ | (b << (7 - used_)));
    if (++used_ == 8) Align();
  }
  std::vector<unsigned char>& out_;
  unsigned char current_ = 0;
  int used_ = 0;
};

// Bits of a two's-complement field that holds every value given.
int SignedBits(std::initializer_list<int> values) {
  int bits = 0;
  for (int v : values) {
    int n = 1;
    while (v < -(1 << (n - 1)) || v >= (1 << (n - 1))) ++n;
    if (v != 0 && n > bits) bits = n;
  }
  return bits;
}

void PutU16(std::vector<unsigned char>& out, unsigned v) {
  out.push_back(static_cast<unsigned char>(v));
  out.push_back(static_cast<unsigned char>(v >> 8));
}
void PutU32(std::vector<unsigned char>& out, unsigned long v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutTag(std::vector<unsigned char>& out, int code, const std::vector<unsigned char>& body) {
  // Bitmaps always take the long form, as players expect of them.
  if (body.size() >= 63 || code == kTagDefineBitsJpeg2) {
    PutU16(out, static_cast<unsigned>(code << 6) | 0x3F);
    PutU32(out, static_cast<unsigned long>(body.size()));
  } else {
    PutU16(out, static_cast<unsigned>(code << 6) | static_cast<unsigned>(body.size()));
  }
  out.insert(out.end(), body.begin(), body.end());
}

void PutRect(std::vector<unsigned char>& out, int xmax, int ymax) {
  int bits = SignedBits({xmax, ymax});
  if (bits == 0) bits = 1;
  BitWriter w(out);
  w.Unsigned(static_cast<unsigned>(bits), 5);
  w.Signed(0, bits);
  w.Signed(xmax, bits);
  w.Signed(0, bits);
  w.Signed(ymax, bits);
}

// A bitmap fill scaled so that one bitmap pixel covers one pixel (20 twips).
void PutBitmapMatrix(std::vector<unsigned char>& out) {
  const int scale = kTwipsPerPixel << 16;  // 16.16 fixed point
  int bits = SignedBits({scale});
  BitWriter w(out);
  w.Unsigned(1, 1);  // has scale
  w.Unsigned(static_cast<unsigned>(bits), 5);
  w.Signed(scale, bits);
  w.Signed(scale, bits);
  w.Unsigned(0, 1);  // no rotation
  w.Unsigned(0, 5);  // no translation
}

void PutEdge(BitWriter& w, int dx, int dy) {
  int bits = SignedBits({dx, dy});
  if (bits < 2) bits = 2;
  w.Unsigned(1, 1);  // edge record
  w.Unsigned(1, 1);  // straight
  w.Unsigned(static_cast<unsigned>(bits - 2), 4);
  w.Unsigned(0, 1);                 // not a general line
  w.Unsigned(dx == 0 ? 1 : 0, 1);   // vertical?
  w.Signed(dx == 0 ? dy : dx, bits);
}

std::vector<unsigned char> ShapeBody(int shapeId, int bitmapId, int w, int h) {
  std::vector<unsigned char> body;
  PutU16(body, static_cast<unsigned>(shapeId));
  PutRect(body, w, h);
  body.push_back(1);     // one fill style
  body.push_back(0x41);  // clipped bitmap
  PutU16(body, static_cast<unsigned>(bitmapId));
  PutBitmapMatrix(body);
  body.push_back(0);     // no line styles
  BitWriter bits(body);
  bits.Unsigned(1, 4);   // fill index bits
  bits.Unsigned(0, 4);   // line index bits
  // Move to the origin with fill style 1 on the right of the edges.
  bits.Unsigned(0, 1);
  bits.Unsigned(0, 1);   // new styles
  bits.Unsigned(0, 1);   // line style
  bits.Unsigned(1, 1);   // fill style 1
  bits.Unsigned(0, 1);   // fill style 0
  bits.Unsigned(1, 1);   // move to
  bits.Unsigned(1, 5);
  bits.Signed(0, 1);
  bits.Signed(0, 1);
  bits.Unsigned(1, 1);
  PutEdge(bits, w, 0);
  PutEdge(bits, 0, h);
  PutEdge(bits, -w, 0);
  PutEdge(bits, 0, -h);
  bits.Unsigned(0, 6);  // end of shape
  return body;
}

bool IsJpeg(const unsigned char* data, int size) {
  return size >= 4 && data[0] == 0xFF && data[1] == 0xD8;
}

}  // namespace

struct SWFInput_s {
  unsigned char* data = nullptr;
  int size = 0;
};

struct SWFJpegBitmap_s {
  SWFInput input = nullptr;
};

struct SWFDisplayItem_s {
  int depth = 1;
};

struct SWFMovie_s {
  float rate = 12.0f;
  int width = 550 * kTwipsPerPixel;
  int height = 400 * kTwipsPerPixel;
  int declaredFrames = 0;
  int frames = 0;
  int nextId = 1;
  bool placed = false;
  SWFDisplayItem_s item;
  std::vector<unsigned char> tags;
};

int Ming_init() { return 0; }

SWFMovie newSWFMovie() {
  auto* movie = new SWFMovie_s;
  // White background, as the page around the movie.
  PutTag(movie->tags, kTagSetBackgroundColor, {0xFF, 0xFF, 0xFF});
  return movie;
}

void destroySWFMovie(SWFMovie movie) { delete movie; }

void SWFMovie_setRate(SWFMovie movie, float rate) {
  if (movie && rate > 0 && rate < 256) movie->rate = rate;
}

void SWFMovie_setDimension(SWFMovie movie, float width, float height) {
  if (!movie || !(width > 0) || !(height > 0) || width > 100000 || height > 100000) return;
  movie->width = static_cast<int>(width * kTwipsPerPixel + 0.5f);
  movie->height = static_cast<int>(height * kTwipsPerPixel + 0.5f);
}

void SWFMovie_setNumberOfFrames(SWFMovie movie, int frames) {
  if (movie && frames >= 0) movie->declaredFrames = frames;
}

SWFInput newSWFInput_allocedBuffer(unsigned char* buffer, int length) {
  if (!buffer || length <= 0 || length > kMaxInputBytes) {
    std::free(buffer);
    return nullptr;
  }
  auto* input = new SWFInput_s;
  input->data = buffer;
  input->size = length;
  return input;
}

void destroySWFInput(SWFInput input) {
  if (!input) return;
  std::free(input->data);
  delete input;
}

SWFJpegBitmap newSWFJpegBitmap_fromInput(SWFInput input) {
  if (!input || !IsJpeg(input->data, input->size)) {
    destroySWFInput(input);
    return nullptr;
  }
  auto* bitmap = new SWFJpegBitmap_s;
  bitmap->input = input;
  return bitmap;
}

void destroySWFJpegBitmap(SWFJpegBitmap bitmap) {
  if (!bitmap) return;
  destroySWFInput(bitmap->input);
  delete bitmap;
}

SWFDisplayItem SWFMovie_add(SWFMovie movie, SWFJpegBitmap bitmap) {
  if (!movie || !bitmap || !bitmap->input) return nullptr;
  if (movie->nextId + 1 > kMaxCharacterId || movie->frames >= kMaxFrames) return nullptr;
  int bitmapId = movie->nextId++;
  int shapeId = movie->nextId++;

  std::vector<unsigned char> body;
  PutU16(body, static_cast<unsigned>(bitmapId));
  body.insert(body.end(), bitmap->input->data, bitmap->input->data + bitmap->input->size);
  PutTag(movie->tags, kTagDefineBitsJpeg2, body);
  PutTag(movie->tags, kTagDefineShape, ShapeBody(shapeId, bitmapId, movie->width, movie->height));

  // The new shape replaces the previous frame's at depth 1.
  std::vector<unsigned char> place;
  place.push_back(movie->placed ? 0x03 : 0x02);  // (move |) has character
  PutU16(place, 1);
  PutU16(place, static_cast<unsigned>(shapeId));
  PutTag(movie->tags, kTagPlaceObject2, place);
  movie->placed = true;
  return &movie->item;
}

void SWFMovie_nextFrame(SWFMovie movie) {
  if (!movie || movie->frames >= kMaxFrames) return;
  PutTag(movie->tags, kTagShowFrame, {});
  ++movie->frames;
}

int SWFMovie_save(SWFMovie movie, const char* filename, int level) {
  if (!movie || !filename) return -1;
  // The header counts the frames really in the movie, so a movie cut short
  // by a stop does not promise frames it lacks.
  std::vector<unsigned char> body;
  PutRect(body, movie->width, movie->height);
  unsigned rate = static_cast<unsigned>(movie->rate * 256.0f + 0.5f);
  PutU16(body, rate > 0xFFFF ? 0xFFFF : rate);
  PutU16(body, static_cast<unsigned>(movie->frames));
  body.insert(body.end(), movie->tags.begin(), movie->tags.end());
  PutTag(body, kTagEnd, {});

  // JPEG frames gain nothing from zlib, so the default writes the body as
  // it is; levels 1..9 ask for a compressed movie.
  bool compressed = level >= 1 && level <= 9;
  // The header's file length is 32-bit; a longer movie cannot be written.
  if (body.size() > kMaxFileBytes - 8) return -1;
  unsigned long total = 8 + body.size();
  std::vector<unsigned char> file = {static_cast<unsigned char>(compressed ? 'C' : 'F'), 'W', 'S',
                                     static_cast<unsigned char>(kSwfVersion)};
  PutU32(file, total);
  if (!compressed) {
    file.insert(file.end(), body.begin(), body.end());
  } else {
    uLongf packedSize = compressBound(body.size());
    std::vector<unsigned char> packed(packedSize);
    if (compress2(packed.data(), &packedSize, body.data(), body.size(), level) != Z_OK) return -1;
    file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packedSize));
  }

  std::string path = compat::ToHostPath(compat::Utf8ToUtf16(filename).c_str());
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return -1;
  bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
  ok = (std::fclose(f) == 0) && ok;
  if (!ok) return -1;
  // Sizes past the result's range are reported as its largest value.
  return file.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(file.size());
}
