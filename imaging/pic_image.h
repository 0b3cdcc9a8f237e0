// CPicImage: the codec library's picture, a packed device-independent bitmap
// (header, palette, bottom-up rows) with its codec state, alpha and selection
// planes. Every format class derives from it.
#pragma once

#include <cstdio>

#include "compat/win32/types.h"
#include "imaging/color_index_cache.h"

class CPicFile;

// The codec library's format ids; 0 asks the decoder to try every format.
enum ImageFormatId : DWORD {
  PIC_FORMAT_UNKNOWN = 0,
  PIC_FORMAT_BMP = 1,
  PIC_FORMAT_GIF = 2,
  PIC_FORMAT_JPG = 3,
  PIC_FORMAT_PNG = 4,
  PIC_FORMAT_ICO = 5,
  PIC_FORMAT_TIF = 6,
  PIC_FORMAT_TGA = 7,
  PIC_FORMAT_PCX = 8,
  PIC_FORMAT_WBMP = 9,
  PIC_FORMAT_WMF = 10,
};
constexpr DWORD kPicFormatLast = PIC_FORMAT_WMF;

// Largest pixel block an image may hold; sizes from files are checked
// against it before anything is allocated.
constexpr unsigned long long kMaxImageBytes = 1ull << 31;

// One palette colour as some formats store it: red, green, blue.
struct PicRgbTriple {
  BYTE red, green, blue;
};

// A caller's buffer that a decoder may fill directly: width x height 32-bit
// words, top row first, bytes blue, green, red, alpha (always 255).
// Rows a decoder hands over one at a time, top row first, as blue, green,
// red and alpha words, instead of writing them into a whole picture. Begin
// says the size they come in; false stops the decoding.
class PicRowSink {
public:
  virtual bool Begin(DWORD width, DWORD height) = 0;
  virtual void TakeRow(const DWORD* row) = 0;

protected:
  ~PicRowSink() = default;
};

struct PicBgraTarget {
  DWORD* pixels;
  DWORD width;
  DWORD height;
  // When set, the rows go here and `pixels` is not used. A decoder that can
  // scale while it decodes (JPEG) may deliver a smaller picture, down to
  // leastWidth x leastHeight.
  PicRowSink* rows = nullptr;
  DWORD leastWidth = 0, leastHeight = 0;
};

// The text a codec fails with; thrown inside a codec and caught at its entry,
// never past it.
struct PicCodecError {
  const char* text;
};

class CPicImage {
public:
  // State the codecs exchange with the image and its callers.
  struct Info {
    DWORD rowWidthBytes;
    BYTE* pixels;
    CPicImage* ghost;
    DWORD formatId;
    char lastError[256];
    LONG transIndex;
    RGBQUAD transColor;
    BYTE jpegQuality;
    LONG frameIndex;
    LONG frameCount;
    DWORD frameDelay;
    LONG xDpi;
    LONG yDpi;
    RECT selectionBox;
    BYTE alphaMax;
    bool alphaPalette;
    LONG frameOffsetX;
    LONG frameOffsetY;
    DWORD codecOption;
  };

  CPicImage();
  explicit CPicImage(DWORD formatId);
  CPicImage(DWORD width, DWORD height, DWORD bpp, DWORD formatId = PIC_FORMAT_UNKNOWN);
  CPicImage(const char* fileName, DWORD formatId, LONG frameIndex = 0);
  CPicImage(const CPicImage& source, bool copyPixels = true, bool copySelection = true,
            bool copyAlpha = true);
  CPicImage& operator=(const CPicImage&) = delete;
  virtual ~CPicImage();

  // --- object ---
  void* Create(DWORD width, DWORD height, DWORD bpp, DWORD formatId = PIC_FORMAT_UNKNOWN,
               DWORD colorCount = 0);
  void Destroy();
  void Clear(BYTE value = 0);
  void Copy(const CPicImage& source, bool copyPixels = true, bool copySelection = true,
            bool copyAlpha = true);
  void CopyInfo(const CPicImage& source);
  void Transfer(CPicImage& source);
  void Ghost(const CPicImage* source);
  bool CreateFromBGRA(DWORD width, DWORD height, const BYTE* pixels);
  void Bitfield2RGB(BYTE* source, DWORD redMask, DWORD greenMask, DWORD blueMask, BYTE bits);

  bool IsValid() const { return m_dib != nullptr; }
  bool IsGhost() const { return m_info.ghost != nullptr; }
  BYTE* GetBits() const;
  DWORD GetSize() const;
  bool IsInside(LONG x, LONG y) const;
  DWORD GetWidth() const { return static_cast<DWORD>(m_header.biWidth); }
  DWORD GetHeight() const { return static_cast<DWORD>(m_header.biHeight); }
  WORD GetBpp() const { return m_header.biBitCount; }
  DWORD GetRowBytes() const { return m_info.rowWidthBytes; }
  DWORD GetColorCount() const { return m_dib ? m_header.biClrUsed : 0; }
  const BITMAPINFOHEADER& GetHeader() const { return m_header; }
  void* GetDib() const { return m_dib; }
  BYTE GetColorType() const;

  DWORD GetFormatId() const { return m_info.formatId; }
  void SetFormatId(DWORD formatId) { m_info.formatId = formatId; }
  const char* GetLastError() const { return m_info.lastError; }
  void SetLastError(const char* text);
  LONG GetTransIndex() const { return m_info.transIndex; }
  void SetTransIndex(LONG index) { m_info.transIndex = index; }
  RGBQUAD GetTransColor() const;
  void SetTransColor(RGBQUAD color) { m_info.transColor = color; }
  BYTE GetJpegQuality() const { return m_info.jpegQuality; }
  void SetJpegQuality(BYTE quality);
  LONG GetFrameIndex() const { return m_info.frameIndex; }
  void SetFrameIndex(LONG index) { m_info.frameIndex = index; }
  LONG GetFrameCount() const { return m_info.frameCount; }
  void SetFrameCount(LONG count) { m_info.frameCount = count; }
  DWORD GetFrameDelay() const { return m_info.frameDelay; }
  void SetFrameDelay(DWORD delay) { m_info.frameDelay = delay; }
  LONG GetFrameOffsetX() const { return m_info.frameOffsetX; }
  LONG GetFrameOffsetY() const { return m_info.frameOffsetY; }
  void SetFrameOffset(LONG x, LONG y);
  DWORD GetCodecOption() const { return m_info.codecOption; }
  void SetCodecOption(DWORD option) { m_info.codecOption = option; }
  LONG GetXDPI() const { return m_info.xDpi; }
  LONG GetYDPI() const { return m_info.yDpi; }
  void SetXDPI(LONG dpi);
  void SetYDPI(LONG dpi);
  const Info& GetInfo() const { return m_info; }
  static int CompareColorsByLuminance(const BYTE* a, const BYTE* b);

  // --- palette ---
  RGBQUAD* GetPalette() const;
  DWORD GetPaletteSize() const;
  RGBQUAD GetPaletteColor(BYTE index) const;
  bool GetPaletteColor(BYTE index, BYTE* red, BYTE* green, BYTE* blue) const;
  void SetPaletteColor(BYTE index, BYTE red, BYTE green, BYTE blue, BYTE alpha = 0);
  void SetPaletteColor(BYTE index, RGBQUAD color);
  void SetPalette(const RGBQUAD* palette, DWORD count = 256);
  void SetPalette(const PicRgbTriple* triples, DWORD count);
  void SetPalette(DWORD count, const BYTE* red, const BYTE* green = nullptr,
                  const BYTE* blue = nullptr);
  void SetGrayPalette();
  bool IsGrayScale() const;
  bool AlphaPaletteIsValid() const;
  bool IsAlphaPalette() const { return m_info.alphaPalette; }
  void SetAlphaPalette(bool enabled) { m_info.alphaPalette = enabled; }
  void SwapIndex(BYTE a, BYTE b);

  // --- pixels ---
  BYTE GetPixelIndex(LONG x, LONG y) const;
  void SetPixelIndex(LONG x, LONG y, BYTE index);
  RGBQUAD GetPixelColor(LONG x, LONG y) const;
  void SetPixelColor(LONG x, LONG y, RGBQUAD color, bool setAlpha = false);
  void SetPixelColor(LONG x, LONG y, COLORREF color);
  RGBQUAD SetPixelIndexGetColor(LONG x, LONG y, BYTE index);
  BYTE GetNearestIndex(RGBQUAD color) const;
  BYTE GetNearestIndexCached(RGBQUAD color);
  void ResetNearestIndexCache(DWORD buckets);
  void RGBtoBGR(BYTE* buffer, DWORD length) const;
  static RGBQUAD RGBtoRGBQUAD(COLORREF color);

  // --- alpha and selection ---
  bool HasAlpha() const { return m_alpha != nullptr; }
  BYTE* GetAlphaPlane() const { return m_alpha; }
  BYTE GetAlphaMax() const { return m_info.alphaMax; }
  void SetAlphaMax(BYTE value) { m_info.alphaMax = value; }
  bool AlphaCreate();
  void AlphaDelete();
  void AlphaSet(BYTE level);
  void AlphaSet(LONG x, LONG y, BYTE level);
  BYTE AlphaGet(LONG x, LONG y) const;
  bool AlphaCopy(const CPicImage& source);
  bool AlphaFlip();
  bool AlphaMirror();
  bool HasSelection() const { return m_selection != nullptr; }
  BYTE* GetSelectionPlane() const { return m_selection; }
  const RECT& GetSelectionBox() const { return m_info.selectionBox; }
  bool SelectionDelete();
  bool SelectionCopy(const CPicImage& source);

  // --- transforms ---
  bool Flip();
  bool Mirror();
  bool RotateLeft(CPicImage* target = nullptr);
  bool RotateRight(CPicImage* target = nullptr);
  bool IncreaseBpp(DWORD bits);

  // --- size probes and direct decoding ---
  // Reads the named format only as far as its headers give the size a full
  // decode would give; false when the headers are not that format's or
  // declare a picture the decoder would refuse. Nothing is allocated.
  bool ProbeSize(const char* fileName, DWORD formatId, DWORD* width, DWORD* height);
  // Decodes the named format, straight into the target where its decoder can
  // (a picture of the target's size; alpha 255). When the image holds a
  // picture afterwards, the decoder could not and decoded the usual way.
  // False when the file fails as the named format.
  bool DecodeToBgra(const char* fileName, DWORD formatId, const PicBgraTarget& target);
  // What a decoder is asked for besides a whole picture; format classes take
  // it over from the image that dispatches to them.
  void TakeRequests(const CPicImage& from) {
    m_sizeOnly = from.m_sizeOnly;
    m_bgraTarget = from.m_bgraTarget;
  }
  // Size-probe mode: a decoder calls StopAtSize where it would create the
  // picture and stops there, with the size in the header and no pixels;
  // false for a size Create would refuse.
  bool SizeOnly() const { return m_sizeOnly; }
  bool StopAtSize(DWORD width, DWORD height, DWORD bpp);
  // The caller's buffer to decode into, or null.
  const PicBgraTarget* BgraTarget() const { return m_bgraTarget; }

  // --- load and save ---
  bool Load(const char* fileName, DWORD formatId = PIC_FORMAT_UNKNOWN);
  bool Decode(CPicFile* file, DWORD formatId);
  bool Decode(FILE* stream, DWORD formatId);
  bool Save(const WCHAR* fileName, DWORD formatId);
  bool Save(const char* fileName, DWORD formatId);
  bool Save(FILE* stream, DWORD formatId);
  bool Encode(CPicFile* file, DWORD formatId);
  bool Encode(FILE* stream, DWORD formatId);

protected:
  void Startup(DWORD formatId);
  // Size of the plane of one byte a pixel (alpha, selection).
  size_t PlaneBytes() const;
  BYTE* RowPointer(DWORD y) const { return m_info.pixels + static_cast<size_t>(y) * m_info.rowWidthBytes; }
  // Runs one codec step; a text the step raises becomes the last-error text.
  template <class Step>
  bool RunCodecStep(Step step) {
    try {
      return step();
    } catch (const PicCodecError& error) {
      SetLastError(error.text);
      return false;
    }
  }
  bool DecodeWith(DWORD formatId, CPicFile* file);
  // Widens one row of 16-bit pixels to 24 bits; `row` may hold the source
  // at its start, as the conversion runs from the last pixel back.
  static void Bitfield16Row(BYTE* row, const BYTE* source, DWORD width, DWORD redMask, DWORD greenMask,
                            DWORD blueMask);
  bool TryAutoDetect(CPicFile* file);
  bool SaveAndClose(FILE* stream, DWORD formatId);

  bool DecodeFileWithRequests(const char* fileName, DWORD formatId);

  bool m_sizeOnly = false;
  const PicBgraTarget* m_bgraTarget = nullptr;
  void* m_dib;
  BITMAPINFOHEADER m_header;
  Info m_info;
  BYTE* m_selection;
  BYTE* m_alpha;
  CColorIndexCache m_colorCache;
};

// Opens a file for the codec library; null when it cannot be opened.
FILE* PicOpenFile(const char* fileName, const char* mode);
FILE* PicOpenFile(const WCHAR* fileName, const char* mode);
