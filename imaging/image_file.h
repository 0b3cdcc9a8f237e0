// CImageFile: the road from a picture file to a 32-bit pixel buffer and from
// a rendered frame back to a file, chosen by the file name's ending.
#pragma once

#include <memory>
#include <vector>

#include "compat/afx.h"
#include "imaging/image_file_types.h"

class CBoxReducer;
class CPicImage;
struct PicBgraTarget;

// Holds at most one codec image during one load or save.
class CImageLoader {
public:
  CImageLoader();
  ~CImageLoader();
  // Decodes the file (8-bit program path); null when nothing could be read.
  CPicImage* Load(const char* path, DWORD formatId, LONG frameIndex = 0);
  // Decodes the named format into the target where its decoder can; the
  // image holds no picture then. Null when the file fails as that format.
  CPicImage* Decode(const char* path, DWORD formatId, const PicBgraTarget& target);
  CPicImage* Image() const { return m_image.get(); }

private:
  std::unique_ptr<CPicImage> m_image;
};

class CImageFile {
public:
  // Type codes of the reader in use.
  enum Type { TYPE_TGA = 0, TYPE_BMP = 1, TYPE_CODEC = 2, TYPE_JPG = 3, TYPE_GIF = 4, TYPE_NONE = 11 };

  CImageFile();
  ~CImageFile();

  void SetQuality(int quality) { m_quality = quality < 1 ? 1 : quality > 100 ? 100 : quality; }
  BOOL Open(LPCTSTR path);
  BOOL GetSize(LONG* originX, LONG* originY, LONG* width, LONG* height);
  BOOL GetSize(LONG* width, LONG* height) { return GetSize(nullptr, nullptr, width, height); }
  // Fills width x height pixels (blue, green, red, alpha; top row first). The
  // size must be the picture's, as GetSize gave it.
  BOOL ReadPixels(DWORD* pixels, LONG width, LONG height);
  // Fills width x height pixels with the picture (of the size GetSize gives)
  // resampled to that size by the box filter. Rows are reduced as they are
  // decoded, and a JPEG is decoded at the smallest scale that still covers
  // the size, so a large picture wanted small is never held whole where the
  // decoder can help it. The cache keeps the result at this size.
  BOOL ReadPixelsReduced(DWORD* pixels, LONG width, LONG height);
  BOOL Close() { return TRUE; }
  // Writes a top-down 32-bit buffer by the path's ending: BMP and TGA through
  // the own writers, JPG through the codec library.
  BOOL Save(LPCTSTR path, LONG originX, LONG originY, LONG width, LONG height, const DWORD* pixels,
            DWORD compression);

  int GetType() const { return m_type; }
  const PictureInfo& GetInfo() const { return m_info; }

private:
  bool ProbeCodec(DWORD formatId);
  bool ReadFromCodec(DWORD formatId, DWORD* pixels, LONG width, LONG height, bool gif);
  bool ReadBmp(DWORD* pixels, LONG width, LONG height);
  bool ReduceFromCodec(DWORD formatId, CBoxReducer& reducer, DWORD* pixels, LONG width, LONG height, bool gif);
  bool ReduceTga(DWORD* pixels, LONG width, LONG height, LONG pictureWidth, LONG pictureHeight);
  bool ReduceBmp(DWORD* pixels, LONG width, LONG height, LONG pictureWidth, LONG pictureHeight);

  int ReaderType() const;

  int m_type = TYPE_NONE;
  bool m_openedFromCache = false;
  CString m_path;
  PictureInfo m_info;
  int m_quality = 75;
};
