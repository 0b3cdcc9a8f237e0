// CPicImageTIF: TIFF decoder (one page of a multi-page file) and encoder (one
// page, or pages appended to a handle kept open) on libtiff, whose client
// procedures read and write the codec library's byte streams.
//
// Sections: stream glue / decoding helpers / decoder / encoder.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"

namespace {

const char kOpenText[] = "Error encountered while opening TIFF file";
const char kNoPageText[] = "Error: page not present in TIFF file";
const char kRasterText[] = "No space for raster buffer";
const char kCorruptText[] = "Corrupted TIFF file!";
const char kCorruptTileText[] = "Corrupted tiled TIFF file!";
const char kTooLargeText[] = "TIFF image too large";
const char kLayoutText[] = "Unsupported TIFF sample layout";
const char kNoFileText[] = "invalid file pointer";
const char kInitText[] = "initialization fail";
const char kSaveText[] = "Error saving TIFF file";
const char kDirectoryText[] = "Error saving TIFF directory";

constexpr LONG kMaxStreamOffset = 0x7FFFFFFF;

[[noreturn]] void Fail(const char* text) { throw PicCodecError{text}; }

// --- stream glue ---

CPicFile* FileOf(thandle_t handle) { return static_cast<CPicFile*>(handle); }

tmsize_t TiffStreamRead(thandle_t handle, void* buffer, tmsize_t size) {
  if (size <= 0) return 0;
  return static_cast<tmsize_t>(FileOf(handle)->Read(buffer, 1, static_cast<size_t>(size)));
}

tmsize_t TiffStreamWrite(thandle_t handle, void* buffer, tmsize_t size) {
  if (size <= 0) return 0;
  return static_cast<tmsize_t>(FileOf(handle)->Write(buffer, 1, static_cast<size_t>(size)));
}

// Our streams have signed 32-bit positions; a failed seek answers -1, which
// libtiff takes for failure (0 would be a valid position).
toff_t TiffStreamSeek(thandle_t handle, toff_t offset, int origin) {
  const toff_t kFailed = static_cast<toff_t>(-1);
  int64_t signedOffset = static_cast<int64_t>(offset);
  if (signedOffset > kMaxStreamOffset || signedOffset < -kMaxStreamOffset) return kFailed;
  CPicFile* file = FileOf(handle);
  if (!file->Seek(static_cast<LONG>(signedOffset), origin)) return kFailed;
  if (origin == SEEK_SET) return offset;
  if (origin == SEEK_CUR || origin == SEEK_END) return static_cast<toff_t>(file->Tell());
  return 0;
}

toff_t TiffStreamSize(thandle_t handle) {
  LONG size = FileOf(handle)->Size();
  return size < 0 ? 0 : static_cast<toff_t>(size);
}

// The stream's owner closes it; nothing is mapped.
int TiffStreamNoop(thandle_t) { return 0; }
int TiffStreamMap(thandle_t, void**, toff_t*) { return 0; }
void TiffStreamUnmap(thandle_t, void*, toff_t) {}

// libtiff's complaints have no console to go to; failures are reported by
// results and our own texts.
int TiffIgnoreMessage(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* TiffOpenStream(CPicFile* file, const char* mode) {
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return nullptr;
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxImageBytes));
  TIFFOpenOptionsSetErrorHandlerExtR(options, TiffIgnoreMessage, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, TiffIgnoreMessage, nullptr);
  TIFF* handle = TIFFClientOpenExt("TIFF IMAGE", mode, file, TiffStreamRead, TiffStreamWrite, TiffStreamSeek,
                                   TiffStreamNoop, TiffStreamSize, TiffStreamMap, TiffStreamUnmap, options);
  TIFFOpenOptionsFree(options);
  return handle;
}

struct TiffCloser {
  void operator()(TIFF* handle) const { TIFFClose(handle); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct FreeDeleter {
  void operator()(void* block) const { free(block); }
};
using Block = std::unique_ptr<BYTE, FreeDeleter>;

// A buffer the file's sizes ask for; none of them may be zero.
Block AllocateChecked(unsigned long long bytes) {
  if (bytes == 0) Fail(kCorruptText);
  if (bytes > kMaxImageBytes) Fail(kTooLargeText);
  Block block(static_cast<BYTE*>(calloc(1, static_cast<size_t>(bytes))));
  if (!block) Fail(kTooLargeText);
  return block;
}

// --- decoding helpers ---

struct TiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint32_t rowsPerStrip = 0xFFFFFFFFu;
  uint16_t samples = 1;
  uint16_t bitsPerSample = 1;
  uint16_t photometric = PHOTOMETRIC_MINISWHITE;
  uint16_t orientation = ORIENTATION_TOPLEFT;
  uint16_t planar = PLANARCONFIG_CONTIG;
  unsigned long long line = 0;  // bytes of one file row, all samples
};

// A resolution or position from a float tag, as a whole number we can hold.
bool FloatToLong(float value, LONG* result) {
  if (!(value > -2147483648.0f && value < 2147483648.0f)) return false;
  *result = static_cast<LONG>(value);
  return true;
}

TiffLayout ReadLayout(TIFF* tif, CPicImage& image) {
  TiffLayout layout;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
  TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samples);
  TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
  TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &layout.rowsPerStrip);
  TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric);
  TIFFGetField(tif, TIFFTAG_ORIENTATION, &layout.orientation);
  TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &layout.planar);
  float x = 0, y = 0;
  LONG whole = 0;
  if (TIFFGetField(tif, TIFFTAG_XRESOLUTION, &x) && FloatToLong(x, &whole)) image.SetXDPI(whole);
  if (TIFFGetField(tif, TIFFTAG_YRESOLUTION, &y) && FloatToLong(y, &whole)) image.SetYDPI(whole);
  LONG offsetX = image.GetFrameOffsetX(), offsetY = image.GetFrameOffsetY();
  if (TIFFGetField(tif, TIFFTAG_XPOSITION, &x)) FloatToLong(x, &offsetX);
  if (TIFFGetField(tif, TIFFTAG_YPOSITION, &y)) FloatToLong(y, &offsetY);
  image.SetFrameOffset(offsetX, offsetY);
  if (layout.rowsPerStrip > layout.height || layout.rowsPerStrip == 0) {
    layout.rowsPerStrip = layout.height;
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, layout.rowsPerStrip);
  }
  layout.line = (static_cast<unsigned long long>(layout.samples) * layout.bitsPerSample * layout.width + 7) / 8;
  return layout;
}

bool UsesRgbaReader(const TiffLayout& layout) {
  switch (layout.photometric) {
    case PHOTOMETRIC_RGB: return layout.bitsPerSample >= 8;
    case PHOTOMETRIC_YCBCR:
    case PHOTOMETRIC_SEPARATED:
    case PHOTOMETRIC_LOGL:
    case PHOTOMETRIC_LOGLUV: return true;
    default: return false;
  }
}

DWORD PaletteDepth(const TiffLayout& layout) {
  bool grey = layout.photometric == PHOTOMETRIC_MINISWHITE || layout.photometric == PHOTOMETRIC_MINISBLACK;
  if (grey && layout.bitsPerSample == 1) return 1;
  if (layout.bitsPerSample == 4) return 4;
  return 8;
}

// libtiff's reader delivers alpha premultiplied, also from files that store
// it unassociated; the picture keeps colours apart from their alpha.
bool HasAlphaSample(TIFF* tif) {
  uint16_t count = 0;
  uint16_t* kinds = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &kinds) || count == 0 || !kinds) return false;
  return kinds[0] == EXTRASAMPLE_ASSOCALPHA || kinds[0] == EXTRASAMPLE_UNASSALPHA;
}

BYTE Unpremultiply(uint32_t value, uint32_t alpha) {
  if (alpha == 0) return 0;
  return static_cast<BYTE>(std::min<uint32_t>(255, (value * 255 + alpha / 2) / alpha));
}

uint32_t PackAbgr(uint32_t r, uint32_t g, uint32_t b, uint32_t a) { return r | (g << 8) | (b << 16) | (a << 24); }

// Put routines for 8-bit unassociated alpha that store the samples as they
// are: multiplying by alpha and dividing again would lose the colour under
// nearly transparent pixels.
void PutStraightContig8(TIFFRGBAImage* image, uint32_t* target, uint32_t, uint32_t, uint32_t width, uint32_t height,
                        int32_t fromSkew, int32_t toSkew, unsigned char* source) {
  const int samples = image->samplesperpixel;
  for (; height > 0; --height) {
    for (uint32_t x = width; x > 0; --x, source += samples) *target++ = PackAbgr(source[0], source[1], source[2], source[3]);
    target += toSkew;
    source += static_cast<ptrdiff_t>(fromSkew) * samples;
  }
}

void PutStraightSeparate8(TIFFRGBAImage*, uint32_t* target, uint32_t, uint32_t, uint32_t width, uint32_t height,
                          int32_t fromSkew, int32_t toSkew, unsigned char* red, unsigned char* green,
                          unsigned char* blue, unsigned char* alpha) {
  for (; height > 0; --height) {
    for (uint32_t x = width; x > 0; --x) *target++ = PackAbgr(*red++, *green++, *blue++, *alpha++);
    red += fromSkew, green += fromSkew, blue += fromSkew, alpha += fromSkew;
    target += toSkew;
  }
}

// The library's RGBA reading, bottom line first, with unassociated 8-bit
// alpha kept straight. True when the colours came out straight.
bool ReadRgbaRaster(TIFF* tif, const TiffLayout& layout, uint32_t* raster) {
  char message[1024];
  TIFFRGBAImage reader;
  if (!TIFFRGBAImageOK(tif, message) || !TIFFRGBAImageBegin(&reader, tif, 1, message)) Fail(kCorruptText);
  const bool straight = reader.alpha == EXTRASAMPLE_UNASSALPHA && reader.bitspersample == 8 &&
                        reader.photometric == PHOTOMETRIC_RGB && reader.samplesperpixel >= 4;
  if (straight && reader.isContig) reader.put.contig = PutStraightContig8;
  if (straight && !reader.isContig) reader.put.separate = PutStraightSeparate8;
  reader.req_orientation = ORIENTATION_BOTLEFT;
  const int ok = TIFFRGBAImageGet(&reader, raster, layout.width, layout.height);
  TIFFRGBAImageEnd(&reader);
  if (!ok) Fail(kCorruptText);
  return straight;
}

// TIFFRGBAImageGet delivers the bottom line first, as our rows are stored.
void ReadRgbaImage(TIFF* tif, const TiffLayout& layout, CPicImage& image) {
  unsigned long long bytes = static_cast<unsigned long long>(layout.width) * layout.height * 4;
  if (bytes > kMaxImageBytes) Fail(kTooLargeText);
  std::unique_ptr<uint32_t, FreeDeleter> raster(static_cast<uint32_t*>(malloc(static_cast<size_t>(bytes))));
  if (!raster) Fail(kRasterText);
  const bool straight = ReadRgbaRaster(tif, layout, raster.get());
  bool alpha = layout.samples == 4;
  bool premultiplied = alpha && !straight && HasAlphaSample(tif);
  for (uint32_t y = 0; y < layout.height; ++y) {
    const uint32_t* source = raster.get() + static_cast<size_t>(y) * layout.width;
    BYTE* target = image.GetBits() + static_cast<size_t>(y) * image.GetRowBytes();
    for (uint32_t x = 0; x < layout.width; ++x) {
      uint32_t word = source[x], a = TIFFGetA(word);
      target[3 * x] = premultiplied ? Unpremultiply(TIFFGetB(word), a) : static_cast<BYTE>(TIFFGetB(word));
      target[3 * x + 1] = premultiplied ? Unpremultiply(TIFFGetG(word), a) : static_cast<BYTE>(TIFFGetG(word));
      target[3 * x + 2] = premultiplied ? Unpremultiply(TIFFGetR(word), a) : static_cast<BYTE>(TIFFGetR(word));
      if (alpha) image.AlphaSet(static_cast<LONG>(x), static_cast<LONG>(y), static_cast<BYTE>(a));
    }
  }
}

void SetGreyPalette(RGBQUAD* palette, DWORD entries, bool minIsWhite, bool oneBit) {
  if (oneBit) {
    BYTE first = minIsWhite ? 255 : 0;
    palette[0] = {first, first, first, 0};
    palette[1] = {BYTE(255 - first), BYTE(255 - first), BYTE(255 - first), 0};
    return;
  }
  DWORD step = 255 / (entries - 1);
  for (DWORD i = 0; i < entries; ++i) {
    BYTE value = static_cast<BYTE>(step * i);
    if (minIsWhite) value = static_cast<BYTE>(255 - value);
    palette[i] = {value, value, value, 0};
  }
}

// The colour map holds 2^bits entries, all of which decide whether it is
// 16-bit (any value of 256 or more); our palette takes only the first 256.
void SetMapPalette(TIFF* tif, const TiffLayout& layout, RGBQUAD* palette) {
  uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
  if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue) || !red || !green || !blue) return;
  DWORD mapEntries = layout.bitsPerSample <= 16 ? 1u << layout.bitsPerSample : 256;
  DWORD entries = std::min<DWORD>(mapEntries, 256);
  bool wide = false;
  for (DWORD i = mapEntries; i-- > 0 && !wide;) wide = red[i] >= 256 || green[i] >= 256 || blue[i] >= 256;
  auto component = [wide](uint16_t value) {
    return static_cast<BYTE>(wide ? static_cast<DWORD>(value) * 255 / 65535 : value & 0xFF);
  };
  for (DWORD i = 0; i < entries; ++i) palette[i] = {component(blue[i]), component(green[i]), component(red[i]), 0};
}

void SetFilePalette(TIFF* tif, const TiffLayout& layout, CPicImage& image) {
  RGBQUAD palette[256] = {};
  DWORD entries = image.GetColorCount();
  bool minIsWhite = layout.photometric == PHOTOMETRIC_MINISWHITE;
  if (minIsWhite || layout.photometric == PHOTOMETRIC_MINISBLACK)
    SetGreyPalette(palette, entries, minIsWhite, layout.bitsPerSample == 1);
  else if (layout.photometric == PHOTOMETRIC_PALETTE)
    SetMapPalette(tif, layout, palette);
  image.SetPalette(palette, entries);
}

RGBQUAD LabToColor(BYTE lightness, signed char a, signed char b) {
  double fy = (lightness * 0.3921568627450981 + 16.0) * 0.008620689655172414;
  double y = fy * fy * fy;
  double fx = fy + a * 0.002, fz = fy - b * 0.005;
  double x = fx * fx * fx * 0.95047;
  double z = fz * fz * fz * 1.0883;
  double rgb[3] = {3.240479 * x - 1.53715 * y - 0.498535 * z, 1.875992 * y - 0.969256 * x + 0.041556 * z,
                   0.055648 * x - 0.204043 * y + 1.057311 * z};
  BYTE out[3];
  for (int i = 0; i < 3; ++i) {
    double v = rgb[i] > 0.00304 ? 1.055 * pow(rgb[i], 0.41667) - 0.055 : 12.92 * rgb[i];
    int whole = static_cast<int>(v * 255.0);
    out[i] = static_cast<BYTE>(std::clamp(whole, 0, 255));
  }
  return {out[2], out[1], out[0], 0};
}

// Copies `rows` runs of `columns` bytes, stepping past the skews between runs.
void TileToStrip(BYTE* out, const BYTE* in, uint32_t rows, uint32_t columns, int64_t outSkew, int64_t inSkew) {
  while (rows-- > 0) {
    memcpy(out, in, columns);
    out += columns + outSkew;
    in += columns + inSkew;
  }
}

// Reads nrow picture rows from row ys into `buffer`, one file row a line.
class RowSource {
public:
  RowSource(TIFF* tif, const TiffLayout& layout) : m_tif(tif), m_layout(layout), m_tiled(TIFFIsTiled(tif)) {
    if (m_tiled) PrepareTiles();
    else m_buffer = AllocateChecked(static_cast<unsigned long long>(layout.rowsPerStrip) * layout.line);
  }
  uint32_t RowsPerBand() const { return m_layout.rowsPerStrip; }
  BYTE* Read(uint32_t ys, uint32_t rows) {
    if (m_tiled) ReadTiles(ys, rows);
    else if (TIFFReadEncodedStrip(m_tif, TIFFComputeStrip(m_tif, ys, 0), m_buffer.get(),
                                  static_cast<tmsize_t>(rows * m_layout.line)) == -1)
      Fail(kCorruptText);
    return m_buffer.get();
  }

private:
  void PrepareTiles() {
    uint32_t tileWidth = 0, tileLength = 0;
    TIFFGetField(m_tif, TIFFTAG_TILEWIDTH, &tileWidth);
    TIFFGetField(m_tif, TIFFTAG_TILELENGTH, &tileLength);
    if (tileWidth == 0 || tileLength == 0) Fail(kCorruptTileText);
    m_tileWidth = tileWidth;
    m_layout.rowsPerStrip = tileLength;
    m_imageRow = static_cast<unsigned long long>(TIFFScanlineSize64(m_tif));
    m_tileRow = static_cast<unsigned long long>(TIFFTileRowSize64(m_tif));
    unsigned long long tileBytes = static_cast<unsigned long long>(TIFFTileSize64(m_tif));
    if (m_imageRow != m_layout.line || m_tileRow == 0 || tileBytes < m_tileRow * tileLength) Fail(kCorruptTileText);
    m_tile = AllocateChecked(tileBytes);
    m_buffer = AllocateChecked(std::max(tileBytes * (m_layout.width / tileWidth + 1),
                                        m_imageRow * tileLength));
  }
  void ReadTiles(uint32_t ys, uint32_t rows) {
    unsigned long long colb = 0;
    for (uint32_t col = 0; col < m_layout.width; col += m_tileWidth, colb += m_tileRow) {
      // Tiles narrower than a byte of pixels (allowed on reading) run out of
      // picture row before they run out of columns.
      if (colb >= m_imageRow) break;
      if (TIFFReadTile(m_tif, m_tile.get(), col, ys, 0, 0) < 0) Fail(kCorruptTileText);
      // The last tile of a row may reach past the picture; only its part
      // inside is kept.
      if (colb + m_tileRow > m_imageRow) {
        uint32_t inside = static_cast<uint32_t>(m_imageRow - colb);
        TileToStrip(m_buffer.get() + colb, m_tile.get(), rows, inside, static_cast<int64_t>(colb),
                    static_cast<int64_t>(m_tileRow - inside));
      } else {
        TileToStrip(m_buffer.get() + colb, m_tile.get(), rows, static_cast<uint32_t>(m_tileRow),
                    static_cast<int64_t>(m_imageRow - m_tileRow), 0);
      }
      if (col > 0xFFFFFFFFu - m_tileWidth) break;
    }
  }

  TIFF* m_tif;
  TiffLayout m_layout;
  bool m_tiled;
  uint32_t m_tileWidth = 0;
  unsigned long long m_imageRow = 0;
  unsigned long long m_tileRow = 0;
  Block m_tile;
  Block m_buffer;
};

// 16-bit samples keep their high byte, every sample of the row.
void NarrowRow(BYTE* row, unsigned long long samples) {
  for (unsigned long long i = 0; i < samples; ++i) row[i] = row[2 * i + 1];
}

// One file row into stored row `stored`: indices, index and alpha pairs, or
// L*a*b* colours with an optional alpha.
void StoreFileRow(CPicImage& image, const TiffLayout& layout, BYTE* row, LONG stored) {
  if (layout.bitsPerSample == 16) NarrowRow(row, static_cast<unsigned long long>(layout.width) * layout.samples);
  if (layout.samples == 1) {
    BYTE* target = image.GetBits() + static_cast<size_t>(stored) * image.GetRowBytes();
    memcpy(target, row, std::min<unsigned long long>(layout.line, image.GetRowBytes()));
    return;
  }
  for (uint32_t x = 0; x < layout.width; ++x) {
    const BYTE* s = row + static_cast<size_t>(x) * layout.samples;
    if (layout.samples == 2) {
      image.SetPixelIndex(static_cast<LONG>(x), stored, s[0]);
      image.AlphaSet(static_cast<LONG>(x), stored, s[1]);
      continue;
    }
    RGBQUAD color = LabToColor(s[0], static_cast<signed char>(s[1]), static_cast<signed char>(s[2]));
    image.SetPixelColor(static_cast<LONG>(x), stored, color, false);
    if (layout.samples >= 4) image.AlphaSet(static_cast<LONG>(x), stored, s[3]);
  }
}

// Several samples a pixel are read a byte a sample, from one plane.
bool ReadableSamples(const TiffLayout& layout) {
  return layout.samples <= 1 ||
         ((layout.bitsPerSample == 8 || layout.bitsPerSample == 16) && layout.planar == PLANARCONFIG_CONTIG);
}

void TurnByOrientation(CPicImage& image, uint16_t orientation) {
  switch (orientation) {
    case ORIENTATION_TOPRIGHT: image.Mirror(); break;
    case ORIENTATION_BOTRIGHT: image.Flip(); image.Mirror(); break;
    case ORIENTATION_BOTLEFT: image.Flip(); break;
    case ORIENTATION_LEFTTOP: image.RotateRight(); image.Mirror(); break;
    case ORIENTATION_RIGHTTOP: image.RotateRight(); break;
    case ORIENTATION_RIGHTBOT: image.RotateLeft(); image.Mirror(); break;
    case ORIENTATION_LEFTBOT: image.RotateLeft(); break;
    default: break;
  }
}

}  // namespace

// --- decoder ---

bool CPicImageTIF::Decode(CPicFile* file) {
  return RunCodecStep([&] {
    DecodeStream(file);
    return true;
  });
}

void CPicImageTIF::DecodeStream(CPicFile* file) {
  TiffHandle tif(TiffOpenStream(file, "rb"));
  if (!tif) Fail(kOpenText);
  SetFrameCount(static_cast<WORD>(TIFFNumberOfDirectories(tif.get())));
  if (GetFrameIndex() < 0 || !TIFFSetDirectory(tif.get(), static_cast<tdir_t>(GetFrameIndex()))) Fail(kNoPageText);
  TiffLayout layout = ReadLayout(tif.get(), *this);
  SetTransIndex(-1);
  bool rgba = UsesRgbaReader(layout);
  if (SizeOnly()) {
    // The size a full decode gives, with the refusals its layout alone
    // decides; orientations 5 to 8 turn the picture a quarter.
    const DWORD bpp = rgba || layout.samples >= 3 ? 24 : PaletteDepth(layout);
    if (!StopAtSize(layout.width, layout.height, bpp)) Fail(kTooLargeText);
    if (!rgba && !ReadableSamples(layout)) Fail(kLayoutText);
    const bool turned = layout.orientation >= ORIENTATION_LEFTTOP && layout.orientation <= ORIENTATION_LEFTBOT;
    if (turned && !StopAtSize(layout.height, layout.width, bpp)) Fail(kTooLargeText);
    return;
  }
  if (!Create(layout.width, layout.height, rgba ? 24 : PaletteDepth(layout), PIC_FORMAT_TIF)) Fail(kTooLargeText);
  bool alpha = layout.samples == 4 || (layout.samples == 2 && layout.bitsPerSample == 8);
  if (alpha && !AlphaCreate()) Fail(kTooLargeText);
  if (rgba) {
    ReadRgbaImage(tif.get(), layout, *this);
    // libtiff's reader turns orientations 5 to 8 as 1 to 4, without the
    // quarter turn: its flip is undone and the whole turn made here.
    if (layout.orientation >= ORIENTATION_LEFTTOP && layout.orientation <= ORIENTATION_LEFTBOT) {
      TurnByOrientation(*this, static_cast<uint16_t>(layout.orientation - 4));
      TurnByOrientation(*this, layout.orientation);
    }
    return;
  }
  SetFilePalette(tif.get(), layout, *this);
  if (!ReadableSamples(layout)) Fail(kLayoutText);

  // Three or more samples are colours: the picture becomes 24-bit.
  if (layout.samples >= 3) {
    if (!Create(layout.width, layout.height, 24, PIC_FORMAT_TIF)) Fail(kTooLargeText);
    if (layout.samples == 4 && !AlphaCreate()) Fail(kTooLargeText);
  }
  RowSource source(tif.get(), layout);
  uint32_t band = source.RowsPerBand();
  for (unsigned long long ys = 0; ys < layout.height; ys += band) {
    uint32_t rows = static_cast<uint32_t>(std::min<unsigned long long>(band, layout.height - ys));
    BYTE* buffer = source.Read(static_cast<uint32_t>(ys), rows);
    for (uint32_t k = 0; k < rows; ++k)
      StoreFileRow(*this, layout, buffer + k * layout.line, static_cast<LONG>(layout.height - 1 - ys - k));
  }
  TurnByOrientation(*this, layout.orientation);
}

// --- encoder ---

CPicImageTIF::~CPicImageTIF() { CloseOutput(); }

void CPicImageTIF::CloseOutput() {
  if (m_tif) TIFFClose(m_tif);
  m_tif = nullptr;
  m_multiPage = false;
  m_pages = 0;
}

bool CPicImageTIF::Encode(CPicFile* file, bool append) {
  bool encoded = RunCodecStep([&] {
    EncodeStream(file, append);
    return true;
  });
  if (!encoded) CloseOutput();
  return encoded;
}

void CPicImageTIF::EncodeStream(CPicFile* file, bool append) {
  if (!file) Fail(kNoFileText);
  if (!IsValid()) Fail(kSaveText);
  // Append mode: an empty stream gets a new file.
  if (!m_tif) m_tif = TiffOpenStream(file, "a");
  if (!m_tif) Fail(kInitText);
  m_multiPage = append || m_pages > 0;
  ++m_pages;
  if (!EncodeBody(m_tif, m_multiPage, m_pages, m_pages)) Fail(kSaveText);
  if (append) {
    if (!TIFFWriteDirectory(m_tif)) Fail(kDirectoryText);
    return;
  }
  // TIFFClose cannot report a failed write of the directory; flushing first
  // can, so a full disk is not reported as a saved file.
  if (!TIFFFlush(m_tif)) Fail(kSaveText);
  CloseOutput();
}

namespace {

struct PageFormat {
  uint16_t samples;
  uint16_t bitsPerSample;
  uint16_t photometric;
  DWORD bitCount;  // of the file's pixel
};

// A 1-bit picture is written min-is-white: when entry 0 is the darker one the
// entries are exchanged and the pixels inverted, in the picture itself.
void MakeMinIsWhite(CPicImage& image) {
  RGBQUAD first = image.GetPaletteColor(0), second = image.GetPaletteColor(1);
  if (CPicImage::CompareColorsByLuminance(&first.rgbBlue, &second.rgbBlue) >= 0) return;
  image.SetPaletteColor(0, second);
  image.SetPaletteColor(1, first);
  BYTE* pixels = image.GetBits();
  for (size_t i = 0, n = static_cast<size_t>(image.GetRowBytes()) * image.GetHeight(); i < n; ++i)
    pixels[i] = static_cast<BYTE>(~pixels[i]);
}

PageFormat ChoosePageFormat(CPicImage& image) {
  PageFormat format = {1, 8, PHOTOMETRIC_RGB, image.GetBpp()};
  if (format.bitCount == 24) {
    format.samples = image.HasAlpha() ? 4 : 3;
    format.bitCount = image.HasAlpha() ? 32 : 24;
  }
  format.bitsPerSample = static_cast<uint16_t>(format.bitCount / format.samples);
  if (format.bitCount == 1) {
    MakeMinIsWhite(image);
    format.photometric = PHOTOMETRIC_MINISWHITE;
  } else if (format.bitCount == 4 || format.bitCount == 8) {
    format.photometric = image.IsGrayScale() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_PALETTE;
  }
  if (format.bitCount == 8 && image.HasAlpha()) format.samples = 2;
  return format;
}

uint16_t DefaultCompression(DWORD bitCount) {
  switch (bitCount) {
    case 1: return COMPRESSION_CCITTFAX4;
    case 8: return COMPRESSION_PACKBITS;
    case 24:
    case 32: return COMPRESSION_JPEG;
    default: return COMPRESSION_NONE;
  }
}

void SetColorMap(TIFF* tif, const CPicImage& image) {
  uint16_t red[256] = {}, green[256] = {}, blue[256] = {};
  const RGBQUAD* palette = image.GetPalette();
  for (DWORD i = 0; i < image.GetColorCount(); ++i) {
    red[i] = static_cast<uint16_t>(palette[i].rgbRed * 65535u / 255);
    green[i] = static_cast<uint16_t>(palette[i].rgbGreen * 65535u / 255);
    blue[i] = static_cast<uint16_t>(palette[i].rgbBlue * 65535u / 255);
  }
  TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
}

// One file row, top of the picture first, in the file's sample order.
void PackRow(const CPicImage& image, const PageFormat& format, LONG stored, BYTE* row) {
  const BYTE* pixels = image.GetBits() + static_cast<size_t>(stored) * image.GetRowBytes();
  DWORD width = image.GetWidth();
  if (format.samples == 1) {
    memcpy(row, pixels, image.GetRowBytes());
  } else if (format.samples == 2) {
    for (DWORD x = 0; x < width; ++x) {
      row[2 * x] = pixels[x];
      row[2 * x + 1] = image.AlphaGet(static_cast<LONG>(x), stored);
    }
  } else {
    for (DWORD x = 0; x < width; ++x) {
      BYTE* out = row + static_cast<size_t>(x) * format.samples;
      out[0] = pixels[3 * x + 2];
      out[1] = pixels[3 * x + 1];
      out[2] = pixels[3 * x];
      if (format.samples == 4) out[3] = image.AlphaGet(static_cast<LONG>(x), stored);
    }
  }
}

}  // namespace

bool CPicImageTIF::EncodeBody(tiff* tif, bool multiPage, int page, int pageCount) {
  PageFormat format = ChoosePageFormat(*this);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, GetWidth());
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, GetHeight());
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, format.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, format.bitsPerSample);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, format.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0xFFFFFFFFu));
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(GetXDPI()));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(GetYDPI()));
  // The alpha sample must be named, or readers take it for a colour.
  if (format.samples == 2 || format.samples == 4) {
    uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (multiPage) {
    char name[32];
    snprintf(name, sizeof(name), "Page %d", page);
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tif, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page), static_cast<uint16_t>(pageCount));
    TIFFSetField(tif, TIFFTAG_PAGENAME, name);
  } else {
    TIFFSetField(tif, TIFFTAG_SUBFILETYPE, 0);
  }
  if (format.photometric == PHOTOMETRIC_PALETTE) SetColorMap(tif, *this);
  uint16_t compression = GetCodecOption() ? static_cast<uint16_t>(GetCodecOption()) : DefaultCompression(format.bitCount);
  if (!TIFFSetField(tif, TIFFTAG_COMPRESSION, compression)) return false;
  if (format.bitCount >= 24) {
    if (compression == COMPRESSION_JPEG) TIFFSetField(tif, TIFFTAG_JPEGQUALITY, static_cast<int>(GetJpegQuality()));
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8u);
  }
  std::vector<BYTE> row(std::max<size_t>(GetRowBytes(), static_cast<size_t>(GetWidth()) * format.samples) + 8);
  for (DWORD y = 0; y < GetHeight(); ++y) {
    LONG stored = static_cast<LONG>(GetHeight() - 1 - y);
    PackRow(*this, format, stored, row.data());
    if (TIFFWriteScanline(tif, row.data(), y, 0) < 0) return false;
  }
  return true;
}
