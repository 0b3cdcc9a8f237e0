// CPicImagePNG: PNG decoder and encoder on libpng over the codec library's
// byte streams.
//
// libpng reports errors by a long jump. The functions that hold the jump
// buffer keep only trivially destructible locals; whatever must be freed after
// a jump sits in a session record of their caller, which frees it either way.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "imaging/lib_codecs.h"
#include "imaging/pic_file.h"

namespace {

const char kCreateStructText[] = "Failed to create PNG structure";
const char kCreateInfoText[] = "Failed to initialize PNG info structure";
const char kSaveText[] = "Error saving PNG file";
const char kTooLargeText[] = "PNG image too large";

constexpr BYTE kDefaultBackground = 192;
// Ancillary chunks no picture of ours uses. The library allocates a buffer of
// a chunk's stated length before reading it, so that a few bytes claiming a
// gigabyte of text would cost that much; skipped chunks are read past in
// small pieces.
const png_byte kIgnoredChunks[] = "tEXt\0zTXt\0iTXt\0iCCP\0sPLT\0eXIf\0pCAL\0sCAL\0";
constexpr int kIgnoredChunkCount = 8;

// What one call allocates, freed by the caller of the jumping function.
struct PngSession {
  png_structp png;
  png_infop info;
  BYTE* row;
  DWORD* sinkRow;  // one row of words for a row sink
  png_colorp palette;
  bool temporaryAlpha;
};

// --- library callbacks ---

void PngReadData(png_structp png, png_bytep data, png_size_t length) {
  CPicFile* file = static_cast<CPicFile*>(png_get_io_ptr(png));
  if (file->Read(data, 1, length) != length) png_error(png, "Read Error");
}

void PngWriteData(png_structp png, png_bytep data, png_size_t length) {
  CPicFile* file = static_cast<CPicFile*>(png_get_io_ptr(png));
  if (file->Write(data, 1, length) != length) png_error(png, "Write Error");
}

void PngFlushData(png_structp png) {
  CPicFile* file = static_cast<CPicFile*>(png_get_io_ptr(png));
  if (!file->Flush()) png_error(png, "Flush Error");
}

void PngErrorExit(png_structp png, png_const_charp message) {
  char* text = static_cast<char*>(png_get_error_ptr(png));
  if (text) snprintf(text, 256, "%s", message);
  png_longjmp(png, 1);
}

// A desktop program has no console for the library's warnings.
void PngIgnoreWarning(png_structp, png_const_charp) {}

// --- decoding helpers ---

// Pixel depth of the file: bits of all channels of one pixel.
int FileDepth(png_structp png, png_infop info) {
  return png_get_bit_depth(png, info) * png_get_channels(png, info);
}

void SetBackground(png_structp png, png_infop info, CPicImage& image, int depth) {
  png_color_16p fileBackground = nullptr;
  bool hasBackground = png_get_bKGD(png, info, &fileBackground) && fileBackground;
  if (depth != 32) {
    if (hasBackground) {
      png_set_background(png, fileBackground, PNG_BACKGROUND_GAMMA_FILE, 1, 1.0);
    } else {
      png_color_16 grey = {0, kDefaultBackground, kDefaultBackground, kDefaultBackground, 0};
      png_set_background(png, &grey, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
    }
  } else if (hasBackground) {
    RGBQUAD color = {static_cast<BYTE>(fileBackground->blue), static_cast<BYTE>(fileBackground->green),
                     static_cast<BYTE>(fileBackground->red), 0};
    image.SetTransColor(color);
  }
}

void SetFilePalette(png_structp png, png_infop info, CPicImage& image) {
  png_colorp palette = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &palette, &count) && count > 0) {
    // png_color is red, green, blue bytes, as the triple record.
    image.SetPalette(reinterpret_cast<const PicRgbTriple*>(palette), static_cast<DWORD>(count));
  } else if (png_get_bit_depth(png, info) == 2) {
    for (BYTE i = 0; i < 4; ++i) image.SetPaletteColor(i, i * 85, i * 85, i * 85, 0);
  } else {
    image.SetGrayPalette();
  }
}

// A palette file's transparency table: one fully transparent first entry is
// a transparent index, anything else alpha in the palette.
void SetTransparency(png_structp png, png_infop info, CPicImage& image) {
  png_bytep table = nullptr;
  int count = 0;
  png_color_16p values = nullptr;
  RGBQUAD* palette = image.GetPalette();
  // Only palette files have a table; grey and colour files name one colour,
  // which the background composition has already settled.
  if (!palette || png_get_color_type(png, info) != PNG_COLOR_TYPE_PALETTE) return;
  if (!png_get_tRNS(png, info, &table, &count, &values) || !table || count <= 0) return;
  DWORD entries = image.GetColorCount();
  DWORD limit = std::min(entries, static_cast<DWORD>(count));
  for (DWORD i = 0; i < limit; ++i) palette[i].rgbReserved = table[i];
  if (count == 1 && palette[0].rgbReserved == 0) {
    image.SetTransIndex(0);
    return;
  }
  image.SetAlphaPalette(true);
  for (DWORD i = limit; i < entries; ++i) palette[i].rgbReserved = 255;
}

}  // namespace

void CPicImagePNG::Expand2to4bpp(BYTE* row, DWORD width) {
  for (DWORD x = width; x-- > 0;) {
    BYTE pixel = (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
    BYTE& target = row[x / 2];
    target = x % 2 == 0 ? static_cast<BYTE>((target & 0x0F) | (pixel << 4)) : static_cast<BYTE>((target & 0xF0) | pixel);
  }
}

// --- decoder ---

namespace {

// Rows of a picture with an alpha plane travel as blue, green, red, alpha.
void LoadAlphaRow(const CPicImage& image, DWORD storedRow, BYTE* buffer) {
  const BYTE* pixels = image.GetBits() + static_cast<size_t>(storedRow) * image.GetRowBytes();
  const BYTE* alpha = image.GetAlphaPlane() + static_cast<size_t>(storedRow) * image.GetWidth();
  for (DWORD x = 0; x < image.GetWidth(); ++x) {
    memcpy(buffer + 4 * x, pixels + 3 * x, 3);
    buffer[4 * x + 3] = alpha[x];
  }
}

BYTE* StoredRow(const CPicImage& image, DWORD storedRow) {
  return image.GetBits() + static_cast<size_t>(storedRow) * image.GetRowBytes();
}

void StoreAlphaRow(CPicImage& image, DWORD storedRow, const BYTE* buffer) {
  BYTE* pixels = image.GetBits() + static_cast<size_t>(storedRow) * image.GetRowBytes();
  BYTE* alpha = image.GetAlphaPlane() + static_cast<size_t>(storedRow) * image.GetWidth();
  for (DWORD x = 0; x < image.GetWidth(); ++x) {
    memcpy(pixels + 3 * x, buffer + 4 * x, 3);
    alpha[x] = buffer[4 * x + 3];
  }
}

// Files whose rows the library can deliver as blue, green, red, alpha (or as
// palette indices) with the same colours as the ordinary road: 8-bit colour
// without transparency or background to compose, 8-bit colour with alpha
// (whose alpha the caller's buffer does not keep), 8-bit palette without
// either chunk.
bool CanDecodeIntoTarget(png_structp png, png_infop info, const PicBgraTarget* target) {
  if (!target || png_get_image_width(png, info) != target->width || png_get_image_height(png, info) != target->height)
    return false;
  if (png_get_bit_depth(png, info) != 8 || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE) return false;
  const int colorType = png_get_color_type(png, info);
  if (colorType == PNG_COLOR_TYPE_RGB_ALPHA) return true;
  const bool plain = !png_get_valid(png, info, PNG_INFO_tRNS) && !png_get_valid(png, info, PNG_INFO_bKGD);
  return plain && (colorType == PNG_COLOR_TYPE_RGB || colorType == PNG_COLOR_TYPE_PALETTE);
}

void ReadRowsIntoTarget(png_structp png, png_infop info, PngSession* session, const PicBgraTarget& target) {
  const int colorType = png_get_color_type(png, info);
  DWORD palette[256];
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    png_colorp entries = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &entries, &count);
    for (int i = 0; i < 256; ++i)
      palette[i] = i < count ? 0xFF000000u | (entries[i].red << 16) | (entries[i].green << 8) | entries[i].blue
                             : 0xFF000000u;
  }
  png_read_update_info(png, info);
  const size_t channels = colorType == PNG_COLOR_TYPE_PALETTE ? 1 : colorType == PNG_COLOR_TYPE_RGB ? 3 : 4;
  if (png_get_rowbytes(png, info) != channels * target.width) png_error(png, "Unexpected PNG row size");
  session->row = static_cast<BYTE*>(malloc(channels * target.width));
  if (!session->row) png_error(png, kTooLargeText);
  const BYTE* row = session->row;
  // Rows for a row sink pass through one row of words.
  DWORD* sinkRow = nullptr;
  if (target.rows) {
    if (!target.rows->Begin(target.width, target.height)) png_error(png, kTooLargeText);
    session->sinkRow = static_cast<DWORD*>(malloc(sizeof(DWORD) * target.width));
    if (!session->sinkRow) png_error(png, kTooLargeText);
    sinkRow = session->sinkRow;
  }
  // One pass a row from the library's own layout: cheaper than its swap and
  // filler steps. The caller's pictures are opaque; alpha is not kept.
  for (DWORD y = 0; y < target.height; ++y) {
    DWORD* out = sinkRow ? sinkRow : target.pixels + static_cast<size_t>(y) * target.width;
    png_read_row(png, session->row, nullptr);
    if (channels == 1) {
      for (DWORD x = 0; x < target.width; ++x) out[x] = palette[row[x]];
    } else if (channels == 3) {
      for (DWORD x = 0; x < target.width; ++x)
        out[x] = 0xFF000000u | (row[3 * x] << 16) | (row[3 * x + 1] << 8) | row[3 * x + 2];
    } else {
      for (DWORD x = 0; x < target.width; ++x)
        out[x] = 0xFF000000u | (row[4 * x] << 16) | (row[4 * x + 1] << 8) | row[4 * x + 2];
    }
    if (sinkRow) target.rows->TakeRow(sinkRow);
  }
  png_read_end(png, info);
}

bool DecodeSession(CPicImage& image, CPicFile* file, PngSession* session, const PicBgraTarget* target,
                   bool sizeOnly) {
  png_structp png = session->png;
  png_infop info = session->info;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, file, PngReadData);
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, kIgnoredChunks, kIgnoredChunkCount);
  png_read_info(png, info);
  DWORD width = png_get_image_width(png, info);
  DWORD height = png_get_image_height(png, info);
  int bitDepth = png_get_bit_depth(png, info);
  int colorType = png_get_color_type(png, info);
  int depth = FileDepth(png, info);

  SetBackground(png, info, image, depth);
  if (bitDepth == 16) png_set_strip_16(png);
  int pictureDepth = depth > 16 ? 24 : depth == 16 ? 8 : depth;
  if (sizeOnly) {
    if (image.StopAtSize(width, height, pictureDepth)) return true;
    image.SetLastError(kTooLargeText);
    return false;
  }
  if (CanDecodeIntoTarget(png, info, target)) {
    ReadRowsIntoTarget(png, info, session, *target);
    return true;
  }
  if (!image.Create(width, height, pictureDepth, PIC_FORMAT_PNG)) {
    image.SetLastError(kTooLargeText);
    return false;
  }
  SetFilePalette(png, info, image);
  SetTransparency(png, info, image);
  bool alpha = colorType == PNG_COLOR_TYPE_RGB_ALPHA || (colorType == PNG_COLOR_TYPE_GRAY_ALPHA && depth == 32);
  if (alpha) {
    if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
      png_set_gray_to_rgb(png);
      png_set_expand(png);
    }
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    if (!image.AlphaCreate()) {
      image.SetLastError(kTooLargeText);
      return false;
    }
  }
  if (colorType & PNG_COLOR_MASK_COLOR) png_set_bgr(png);
  bool interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  int passes = interlaced ? png_set_interlace_handling(png) : 1;
  png_read_update_info(png, info);

  size_t bufferBytes = std::max<size_t>(static_cast<size_t>((depth + 7) / 8) * width + 10, png_get_rowbytes(png, info));
  session->row = static_cast<BYTE*>(calloc(1, bufferBytes));
  if (!session->row) {
    image.SetLastError(kTooLargeText);
    return false;
  }
  BYTE* row = session->row;
  size_t copyBytes = std::min<size_t>(image.GetRowBytes(), bufferBytes);
  for (int pass = 0; pass < passes; ++pass) {
    bool last = pass == passes - 1;
    for (DWORD y = 0; y < height; ++y) {
      DWORD stored = height - 1 - y;
      if (alpha) {
        // Later passes of an interlaced file add to the pixels of the earlier.
        if (interlaced && pass > 0) LoadAlphaRow(image, stored, row);
        png_read_row(png, row, nullptr);
        if (interlaced || last) StoreAlphaRow(image, stored, row);
        continue;
      }
      if (interlaced && pass > 0) memcpy(row, StoredRow(image, stored), copyBytes);
      png_read_row(png, row, nullptr);
      if (bitDepth == 2 && last) CPicImagePNG::Expand2to4bpp(row, width);
      memcpy(StoredRow(image, stored), row, copyBytes);
    }
  }
  png_read_end(png, info);
  return true;
}

}  // namespace

bool CPicImagePNG::Decode(CPicFile* file) {
  PngSession session = {};
  session.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, m_info.lastError, PngErrorExit, PngIgnoreWarning);
  if (!session.png) {
    SetLastError(kCreateStructText);
    return false;
  }
  session.info = png_create_info_struct(session.png);
  if (!session.info) {
    png_destroy_read_struct(&session.png, nullptr, nullptr);
    SetLastError(kCreateInfoText);
    return false;
  }
  bool decoded = DecodeSession(*this, file, &session, BgraTarget(), SizeOnly());
  free(session.row);
  free(session.sinkRow);
  png_destroy_read_struct(&session.png, &session.info, nullptr);
  return decoded;
}


// --- encoder ---

namespace {

// The palette chunk, and for colour type 3 the transparency chunk: one fully
// transparent entry moved to the front, or the palette's own alpha.
void WritePalette(CPicImage& image, PngSession* session, int colorType) {
  png_structp png = session->png;
  DWORD entries = image.GetColorCount();
  LONG transIndex = image.GetTransIndex();
  png_byte table[256];
  int tableCount = 0;
  // A transparent index beyond the palette names no colour; it is ignored
  // rather than swapped into entries the palette does not have.
  if (colorType == PNG_COLOR_TYPE_PALETTE && transIndex >= 0 && static_cast<DWORD>(transIndex) < entries) {
    table[0] = 0;
    tableCount = 1;
    if (transIndex != 0) {
      image.SwapIndex(0, static_cast<BYTE>(transIndex));
      image.SetTransIndex(0);
      if (image.GetInfo().ghost) image.GetInfo().ghost->SetTransIndex(0);
    }
  }
  const RGBQUAD* palette = image.GetPalette();
  if (colorType == PNG_COLOR_TYPE_PALETTE && image.IsAlphaPalette()) {
    for (DWORD i = 0; i < entries; ++i) table[i] = palette[i].rgbReserved;
    tableCount = static_cast<int>(entries);
  }
  session->palette = static_cast<png_colorp>(malloc(sizeof(png_color) * entries));
  if (!session->palette) png_error(png, "Out of memory");
  for (DWORD i = 0; i < entries; ++i) {
    session->palette[i].red = palette[i].rgbRed;
    session->palette[i].green = palette[i].rgbGreen;
    session->palette[i].blue = palette[i].rgbBlue;
  }
  png_set_PLTE(png, session->info, session->palette, static_cast<int>(entries));
  // tRNS belongs to palette files only; an alpha picture carries its own.
  if (tableCount > 0) png_set_tRNS(png, session->info, table, tableCount, nullptr);
}

// A 24-bit picture with a transparent colour is written with alpha: a plane
// made for the call when it has none, zero wherever the colour shows.
void MarkTransparentColor(CPicImage& image, PngSession* session) {
  if (!image.HasAlpha()) {
    if (!image.AlphaCreate()) png_error(session->png, "Out of memory");
    session->temporaryAlpha = true;
    image.AlphaSet(255);
  }
  RGBQUAD key = image.GetTransColor();
  for (DWORD y = 0; y < image.GetHeight(); ++y) {
    const BYTE* pixel = StoredRow(image, y);
    for (DWORD x = 0; x < image.GetWidth(); ++x, pixel += 3) {
      if (pixel[0] == key.rgbBlue && pixel[1] == key.rgbGreen && pixel[2] == key.rgbRed)
        image.AlphaSet(static_cast<LONG>(x), static_cast<LONG>(y), 0);
    }
  }
}

void WriteAlphaRows(CPicImage& image, PngSession* session) {
  DWORD width = image.GetWidth();
  session->row = static_cast<BYTE*>(malloc(4 * static_cast<size_t>(width) + 10));
  if (!session->row) png_error(session->png, "Out of memory");
  BYTE* row = session->row;
  unsigned alphaMax = image.GetAlphaMax();
  bool paletted = image.GetPalette() != nullptr;
  for (DWORD y = image.GetHeight(); y-- > 0;) {
    const BYTE* pixels = StoredRow(image, y);
    const BYTE* alpha = image.GetAlphaPlane() + static_cast<size_t>(y) * width;
    for (DWORD x = 0; x < width; ++x) {
      RGBQUAD color = paletted ? image.GetPixelColor(static_cast<LONG>(x), static_cast<LONG>(y))
                               : RGBQUAD{pixels[3 * x], pixels[3 * x + 1], pixels[3 * x + 2], 0};
      row[4 * x] = color.rgbRed;
      row[4 * x + 1] = color.rgbGreen;
      row[4 * x + 2] = color.rgbBlue;
      row[4 * x + 3] = static_cast<BYTE>(alpha[x] * alphaMax / 255);
    }
    png_write_row(session->png, row);
  }
}

void WriteStoredRows(CPicImage& image, PngSession* session, bool swapRedBlue) {
  session->row = static_cast<BYTE*>(malloc(static_cast<size_t>(image.GetRowBytes()) + 10));
  if (!session->row) png_error(session->png, "Out of memory");
  BYTE* row = session->row;
  for (DWORD y = image.GetHeight(); y-- > 0;) {
    memcpy(row, StoredRow(image, y), image.GetRowBytes());
    if (swapRedBlue) image.RGBtoBGR(row, image.GetRowBytes());
    png_write_row(session->png, row);
  }
}

bool EncodeSession(CPicImage& image, CPicFile* file, PngSession* session) {
  png_structp png = session->png;
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, file, PngWriteData, PngFlushData);
  bool paletted = image.GetPalette() != nullptr;
  if (!paletted && image.GetTransIndex() >= 0) MarkTransparentColor(image, session);
  int colorType = image.HasAlpha() ? PNG_COLOR_TYPE_RGB_ALPHA
                  : paletted       ? PNG_COLOR_TYPE_PALETTE
                                   : PNG_COLOR_TYPE_RGB;
  int bitDepth = colorType == PNG_COLOR_TYPE_PALETTE ? image.GetBpp() : 8;
  png_set_IHDR(png, session->info, image.GetWidth(), image.GetHeight(), bitDepth, colorType, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (paletted) WritePalette(image, session, colorType);
  png_write_info(png, session->info);
  if (colorType == PNG_COLOR_TYPE_RGB_ALPHA) WriteAlphaRows(image, session);
  else WriteStoredRows(image, session, colorType == PNG_COLOR_TYPE_RGB);
  png_write_end(png, session->info);
  // libpng does not flush at the end; a stream that cannot take the last
  // bytes must not pass for a saved file.
  PngFlushData(png);
  return true;
}

}  // namespace

bool CPicImagePNG::Encode(CPicFile* file) {
  if (!file) return false;
  if (!IsValid()) {
    SetLastError(kSaveText);
    return false;
  }
  PngSession session = {};
  session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngErrorExit, PngIgnoreWarning);
  if (!session.png) {
    SetLastError(kCreateStructText);
    return false;
  }
  session.info = png_create_info_struct(session.png);
  if (!session.info) {
    png_destroy_write_struct(&session.png, nullptr);
    SetLastError(kCreateInfoText);
    return false;
  }
  bool encoded = EncodeSession(*this, file, &session);
  free(session.row);
  free(session.palette);
  // The plane made for the call is ours even on a ghost, which frees none.
  if (session.temporaryAlpha) {
    free(m_alpha);
    m_alpha = nullptr;
  }
  png_destroy_write_struct(&session.png, &session.info);
  if (!encoded) SetLastError(kSaveText);
  return encoded;
}
