// CImageFile: probing, decoding and saving by file name ending, with the
// decoded-picture cache in front of every decode.
#include "imaging/image_file.h"

#include <vector>

#include "imaging/bmp_file.h"
#include "imaging/box_reducer.h"
#include "imaging/image_cache.h"
#include "imaging/pic_image.h"
#include "imaging/tga_file.h"
#include "platform/helpers.h"

namespace {

// The program path in the 8-bit code page, as the codec library takes it.
std::vector<char> AnsiPath(const CString& path) {
  std::vector<char> ansi(static_cast<size_t>(kAnsiBytesPerWideChar) * path.GetLength() + 1);
  WideToAnsi(ansi.data(), path);
  return ansi;
}

CString Ending(const CString& path, int count, bool upper) {
  CString end = path.Right(count);
  if (upper)
    end.MakeUpper();
  else
    end.MakeLower();
  return end;
}

// The codec format of a path that goes neither to the own readers nor to the
// JPG and GIF roads; 0 for an ending no codec reads.
DWORD CodecFormatOf(const CString& path) {
  if (Ending(path, 4, true) == u"WBMP") return PIC_FORMAT_WBMP;
  CString end = Ending(path, 3, false);
  if (end == u"pcx") return PIC_FORMAT_PCX;
  if (end == u"png") return PIC_FORMAT_PNG;
  if (end == u"ico") return PIC_FORMAT_ICO;
  if (end == u"tif") return PIC_FORMAT_TIF;
  if (end == u"wmf" || end == u"emf") return PIC_FORMAT_WMF;
  if (end == u"bmp") return PIC_FORMAT_WBMP;
  return PIC_FORMAT_UNKNOWN;
}

// The reader a path's ending names; four characters first, so that ".wbmp"
// is not taken for a BMP.
CImageFile::Type ReaderOf(const CString& path) {
  if (Ending(path, 4, true) == u"WBMP") return CImageFile::TYPE_CODEC;
  const CString end = Ending(path, 3, true);
  if (end == u"TGA") return CImageFile::TYPE_TGA;
  if (end == u"BMP") return CImageFile::TYPE_BMP;
  if (end == u"JPG") return CImageFile::TYPE_JPG;
  if (end == u"GIF") return CImageFile::TYPE_GIF;
  return CImageFile::TYPE_CODEC;
}

DWORD Bgra(const RGBQUAD& c, BYTE alpha) {
  return c.rgbBlue | (c.rgbGreen << 8) | (c.rgbRed << 16) | (static_cast<DWORD>(alpha) << 24);
}

// Where copied rows go: straight into a whole buffer of the picture's size,
// or one at a time through a row buffer into a reducer.
class RowOut {
public:
  RowOut(DWORD* pixels, DWORD width) : m_pixels(pixels), m_width(width) {}
  explicit RowOut(CBoxReducer& reducer)
      : m_reducer(&reducer), m_width(static_cast<DWORD>(reducer.SourceWidth())), m_row(m_width) {}
  // Row y of the picture, top row 0; rows are asked for in turn from the top.
  DWORD* Row(DWORD y) { return m_reducer ? m_row.data() : m_pixels + static_cast<size_t>(y) * m_width; }
  void Done() {
    if (m_reducer) m_reducer->TakeRow(m_row.data());
  }

private:
  CBoxReducer* m_reducer = nullptr;
  DWORD* m_pixels = nullptr;
  DWORD m_width;
  std::vector<DWORD> m_row;
};

// Palette pictures through a table of finished words: entries past the
// palette are black, and a GIF's transparent index is the word 0.
void CopyIndexedRows(const CPicImage& image, RowOut& rows, bool gif) {
  DWORD table[256];
  const RGBQUAD* palette = image.GetPalette();
  const DWORD colors = image.GetColorCount();
  for (DWORD i = 0; i < 256; ++i) table[i] = Bgra(i < colors && palette ? palette[i] : RGBQUAD{0, 0, 0, 0}, 255);
  if (gif && image.GetTransIndex() >= 0) table[static_cast<BYTE>(image.GetTransIndex())] = 0;
  const DWORD width = image.GetWidth(), height = image.GetHeight();
  const BYTE* bits = image.GetBits();
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* row = bits + static_cast<size_t>(height - 1 - y) * image.GetRowBytes();
    DWORD* out = rows.Row(y);
    switch (image.GetBpp()) {
      case 8:
        for (DWORD x = 0; x < width; ++x) out[x] = table[row[x]];
        break;
      case 4:
        for (DWORD x = 0; x < width; ++x) out[x] = table[(x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4];
        break;
      default:
        for (DWORD x = 0; x < width; ++x) out[x] = table[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    }
    rows.Done();
  }
}

// 24-bit pictures: blue, green, red and 255; a GIF's transparent colour (the
// composed frames of a true-colour GIF) is the word 0.
void CopyTrueColorRows(const CPicImage& image, RowOut& rows, bool gif) {
  const bool keyed = gif && image.GetTransIndex() >= 0;
  const RGBQUAD key = image.GetTransColor();
  const DWORD keyWord = Bgra(key, 255);
  const DWORD width = image.GetWidth(), height = image.GetHeight();
  for (DWORD y = 0; y < height; ++y) {
    const BYTE* row = image.GetBits() + static_cast<size_t>(height - 1 - y) * image.GetRowBytes();
    DWORD* out = rows.Row(y);
    for (DWORD x = 0; x < width; ++x, row += 3) out[x] = row[0] | (row[1] << 8) | (row[2] << 16) | 0xFF000000u;
    if (keyed)
      for (DWORD x = 0; x < width; ++x)
        if (out[x] == keyWord) out[x] = 0;
    rows.Done();
  }
}

// A decoded codec picture, top row first, with row loops chosen once for its
// depth. Depths with no loop of their own go pixel by pixel at 24 bits.
void CopyCodecPicture(CPicImage& image, RowOut& rows, bool gif) {
  const WORD bpp = image.GetBpp();
  if ((bpp == 1 || bpp == 4 || bpp == 8) && image.GetPalette()) return CopyIndexedRows(image, rows, gif);
  if (bpp == 24) return CopyTrueColorRows(image, rows, gif);
  image.IncreaseBpp(24);
  const LONG width = static_cast<LONG>(image.GetWidth()), height = static_cast<LONG>(image.GetHeight());
  for (LONG top = 0; top < height; ++top) {
    DWORD* out = rows.Row(static_cast<DWORD>(top));
    const LONG y = height - 1 - top;  // the codec picture keeps rows bottom-up
    for (LONG x = 0; x < width; ++x) out[x] = Bgra(image.GetPixelColor(x, y), 255);
    rows.Done();
  }
}

// Rows a decoder delivers, into a reducer made for the size they come in.
class ReducingSink : public PicRowSink {
public:
  ReducingSink(DWORD* pixels, LONG width, LONG height) : m_pixels(pixels), m_width(width), m_height(height) {}
  bool Begin(DWORD width, DWORD height) override {
    m_reducer = std::make_unique<CBoxReducer>(static_cast<int>(width), static_cast<int>(height), m_pixels, m_width,
                                              m_height);
    return m_reducer->Valid();
  }
  void TakeRow(const DWORD* row) override { m_reducer->TakeRow(row); }
  // Every row arrived and every reduced row is written.
  bool Complete() const { return m_reducer && m_reducer->Valid() && m_reducer->RowsLeft() == 0; }

private:
  DWORD* m_pixels;
  LONG m_width, m_height;
  std::unique_ptr<CBoxReducer> m_reducer;
};

}  // namespace

// --- loader ---

CImageLoader::CImageLoader() = default;
CImageLoader::~CImageLoader() = default;

CPicImage* CImageLoader::Decode(const char* path, DWORD formatId, const PicBgraTarget& target) {
  m_image = std::make_unique<CPicImage>();
  if (m_image->DecodeToBgra(path, formatId, target)) return m_image.get();
  m_image.reset();
  return nullptr;
}

CPicImage* CImageLoader::Load(const char* path, DWORD formatId, LONG frameIndex) {
  m_image.reset();
  auto image = std::make_unique<CPicImage>(path, formatId, frameIndex);
  if (!image->IsValid()) return nullptr;
  m_image = std::move(image);
  return m_image.get();
}

// --- image file ---

CImageFile::CImageFile() = default;
CImageFile::~CImageFile() = default;

bool CImageFile::ProbeCodec(DWORD formatId) {
  if (formatId == PIC_FORMAT_UNKNOWN) return false;
  std::vector<char> ansi = AnsiPath(m_path);
  // The headers give the size the decode would. A file they do not describe
  // may still be another format that the full decode detects.
  DWORD width = 0, height = 0;
  if (CPicImage().ProbeSize(ansi.data(), formatId, &width, &height)) {
    m_info = PictureInfo{0, 0, static_cast<LONG>(width), static_cast<LONG>(height), 32, 0, 0};
    return true;
  }
  CImageLoader loader;
  CPicImage* image = loader.Load(ansi.data(), formatId);
  if (!image) return false;
  m_info = PictureInfo{0, 0, static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight()), 32, 0, 0};
  return true;
}

BOOL CImageFile::Open(LPCTSTR path) {
  m_path = path;
  // Only a regular file can be a picture: reading a named pipe waits for a
  // writer for ever, and a device or a folder holds no picture.
  const DWORD attributes = GetFileAttributesW(m_path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0)
    return FALSE;
  if (GetImageCache().Find(m_path) >= 0) {
    // The cache may hold the picture at another size than a read asks for.
    m_openedFromCache = true;
    return TRUE;
  }
  bool ok;
  m_type = ReaderOf(m_path);
  switch (m_type) {
    case TYPE_TGA:
      ok = CTgaFile().ReadInfo(m_path, m_info);
      break;
    case TYPE_BMP:
      ok = CBmpFile().ReadInfo(m_path, m_info);
      break;
    case TYPE_JPG:
      ok = ProbeCodec(PIC_FORMAT_JPG);
      break;
    case TYPE_GIF:
      ok = ProbeCodec(PIC_FORMAT_GIF);
      break;
    default:
      ok = ProbeCodec(CodecFormatOf(m_path));
      break;
  }
  return ok ? TRUE : FALSE;
}

BOOL CImageFile::GetSize(LONG* originX, LONG* originY, LONG* width, LONG* height) {
  if (GetImageCache().GetInfo(m_path, originX, originY, width, height)) return TRUE;
  if (m_type == TYPE_NONE) return FALSE;
  if (originX) *originX = m_info.originX;
  if (originY) *originY = m_info.originY;
  if (width) *width = m_info.width;
  if (height) *height = m_info.height;
  return TRUE;
}

// Decodes through the codec library and writes the picture top row first:
// straight into the caller's buffer where the decoder can, else from the
// decoded picture.
bool CImageFile::ReadFromCodec(DWORD formatId, DWORD* pixels, LONG width, LONG height, bool gif) {
  if (formatId == PIC_FORMAT_UNKNOWN) return false;
  std::vector<char> ansi = AnsiPath(m_path);
  CImageLoader loader;
  CPicImage* image = nullptr;
  const PicBgraTarget target = {pixels, static_cast<DWORD>(width), static_cast<DWORD>(height)};
  if (!gif) {
    image = loader.Decode(ansi.data(), formatId, target);
    if (image && !image->IsValid()) return true;
  }
  if (!image || !image->IsValid()) image = loader.Load(ansi.data(), formatId);
  if (!image) return false;
  // The file may have changed since Open: its size must still be the caller's.
  if (static_cast<LONG>(image->GetWidth()) != width || static_cast<LONG>(image->GetHeight()) != height) return false;
  RowOut rows(pixels, static_cast<DWORD>(width));
  CopyCodecPicture(*image, rows, gif);
  return true;
}

// As ReadFromCodec, with the rows reduced as they come: those the decoder
// hands over where it can (JPEG scaled at decode, plain PNG), else those of
// the decoded picture.
bool CImageFile::ReduceFromCodec(DWORD formatId, CBoxReducer& reducer, DWORD* pixels, LONG width, LONG height,
                                 bool gif) {
  if (formatId == PIC_FORMAT_UNKNOWN) return false;
  std::vector<char> ansi = AnsiPath(m_path);
  CImageLoader loader;
  CPicImage* image = nullptr;
  if (!gif) {
    ReducingSink sink(pixels, width, height);
    PicBgraTarget target = {nullptr, static_cast<DWORD>(reducer.SourceWidth()),
                            static_cast<DWORD>(reducer.SourceHeight())};
    target.rows = &sink;
    target.leastWidth = static_cast<DWORD>(width);
    target.leastHeight = static_cast<DWORD>(height);
    image = loader.Decode(ansi.data(), formatId, target);
    if (image && !image->IsValid()) return sink.Complete();
  }
  if (!image || !image->IsValid()) image = loader.Load(ansi.data(), formatId);
  if (!image || static_cast<LONG>(image->GetWidth()) != reducer.SourceWidth() ||
      static_cast<LONG>(image->GetHeight()) != reducer.SourceHeight())
    return false;
  RowOut rows(reducer);
  CopyCodecPicture(*image, rows, gif);
  return true;
}

bool CImageFile::ReadBmp(DWORD* pixels, LONG width, LONG height) {
  std::vector<DWORD> decoded;
  PictureInfo info;
  if (!CBmpFile().Read(m_path, decoded, &info) || width <= 0 || height <= 0) return false;
  if (info.width != width || info.height != height) return false;
  // The reader hands rows bottom row first.
  for (LONG y = 0; y < height; ++y)
    std::copy(decoded.begin() + static_cast<long>(height - 1 - y) * width,
              decoded.begin() + static_cast<long>(height - y) * width, pixels + static_cast<size_t>(y) * width);
  return true;
}

// The reader a path opened from the cache takes when the cache does not
// hold the picture at the size asked for.
int CImageFile::ReaderType() const {
  return m_type != TYPE_NONE || !m_openedFromCache ? m_type : ReaderOf(m_path);
}

BOOL CImageFile::ReadPixelsReduced(DWORD* pixels, LONG width, LONG height) {
  LONG pictureWidth = 0, pictureHeight = 0;
  if (!pixels || width <= 0 || height <= 0 || !GetSize(&pictureWidth, &pictureHeight)) return FALSE;
  if (width == pictureWidth && height == pictureHeight) return ReadPixels(pixels, width, height);
  if (GetImageCache().CopyPixels(m_path, pixels, width, height)) return TRUE;
  CBoxReducer reducer(pictureWidth, pictureHeight, pixels, width, height);
  if (!reducer.Valid()) return FALSE;
  bool ok = false;
  switch (ReaderType()) {
    case TYPE_TGA:
      ok = ReduceTga(pixels, width, height, pictureWidth, pictureHeight) ||
           ReduceFromCodec(PIC_FORMAT_TGA, reducer, pixels, width, height, false);
      break;
    case TYPE_BMP: ok = ReduceBmp(pixels, width, height, pictureWidth, pictureHeight); break;
    case TYPE_JPG: ok = ReduceFromCodec(PIC_FORMAT_JPG, reducer, pixels, width, height, false); break;
    case TYPE_GIF: ok = ReduceFromCodec(PIC_FORMAT_GIF, reducer, pixels, width, height, true); break;
    default: ok = ReduceFromCodec(CodecFormatOf(m_path), reducer, pixels, width, height, false); break;
  }
  if (!ok) return FALSE;
  GetImageCache().Store(m_path, pixels, width, height, pictureWidth, pictureHeight);
  return TRUE;
}

// The own reader's rows go to the reducer as they are decoded, in the file's
// order; a run-length file it refuses goes to the codec library.
bool CImageFile::ReduceTga(DWORD* pixels, LONG width, LONG height, LONG pictureWidth, LONG pictureHeight) {
  CTgaFile tga;
  std::unique_ptr<CBoxReducer> reducer;
  const bool read = tga.ReadRows(m_path, [&](const DWORD* row) {
    // The file may have changed since Open: its size must still be the one asked for.
    if (tga.Width() != pictureWidth || tga.Height() != pictureHeight) return;
    if (!reducer)
      reducer = std::make_unique<CBoxReducer>(pictureWidth, pictureHeight, pixels, width, height, tga.RowsBottomUp());
    reducer->TakeRow(row);
  });
  return read && reducer && reducer->RowsLeft() == 0;
}

// The own reader's rows go to the reducer as they are decoded, in the file's
// order (bottom row first unless the file is top-down).
bool CImageFile::ReduceBmp(DWORD* pixels, LONG width, LONG height, LONG pictureWidth, LONG pictureHeight) {
  CBmpFile bmp;
  std::unique_ptr<CBoxReducer> reducer;
  PictureInfo info;
  const bool read = bmp.ReadRows(
      m_path,
      [&](const DWORD* row) {
        // The file may have changed since Open: its size must still be the one asked for.
        if (bmp.Width() != pictureWidth || bmp.Height() != pictureHeight) return;
        if (!reducer)
          reducer = std::make_unique<CBoxReducer>(pictureWidth, pictureHeight, pixels, width, height, !bmp.TopDown());
        reducer->TakeRow(row);
      },
      &info);
  return read && info.width == pictureWidth && info.height == pictureHeight && reducer && reducer->RowsLeft() == 0;
}

BOOL CImageFile::ReadPixels(DWORD* pixels, LONG width, LONG height) {
  if (!pixels || width <= 0 || height <= 0) return FALSE;
  if (GetImageCache().CopyPixels(m_path, pixels, width, height)) return TRUE;
  bool ok;
  switch (ReaderType()) {
    case TYPE_TGA:
      ok = CTgaFile().Read(m_path, pixels, width, height) ||
           ReadFromCodec(PIC_FORMAT_TGA, pixels, width, height, false);
      break;
    case TYPE_BMP: ok = ReadBmp(pixels, width, height); break;
    case TYPE_JPG: ok = ReadFromCodec(PIC_FORMAT_JPG, pixels, width, height, false); break;
    case TYPE_GIF: ok = ReadFromCodec(PIC_FORMAT_GIF, pixels, width, height, true); break;
    default: ok = ReadFromCodec(CodecFormatOf(m_path), pixels, width, height, false); break;
  }
  if (!ok) return FALSE;
  GetImageCache().Store(m_path, pixels, width, height);
  return TRUE;
}

BOOL CImageFile::Save(LPCTSTR path, LONG originX, LONG originY, LONG width, LONG height, const DWORD* pixels,
                      DWORD compression) {
  const CString target(path);
  const CString end = Ending(target, 3, true);
  PictureDescription d;
  d.originX = originX;
  d.originY = originY;
  d.width = width;
  d.height = height;
  d.compression = compression;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(pixels);
  if (end == u"TGA") {
    d.bitsPerPixel = 32;
    return CTgaFile().Save(target, d, bytes) ? TRUE : FALSE;
  }
  if (end == u"BMP") {
    d.bitsPerPixel = 24;
    return CBmpFile().Save(target, d, bytes) ? TRUE : FALSE;
  }
  if (end != u"JPG" || !pixels || width <= 0 || height <= 0) return FALSE;
  m_path = target;
  CPicImage image(static_cast<DWORD>(width), static_cast<DWORD>(height), 32);
  if (!image.CreateFromBGRA(static_cast<DWORD>(width), static_cast<DWORD>(height), bytes)) return FALSE;
  image.SetJpegQuality(static_cast<BYTE>(m_quality));
  std::vector<char> ansi = AnsiPath(target);
  // A save that did not happen is reported, not taken for success.
  return image.Save(ansi.data(), PIC_FORMAT_JPG) ? TRUE : FALSE;
}
