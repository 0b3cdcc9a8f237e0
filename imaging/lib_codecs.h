// The format classes of the codec library that drive the system's JPEG, PNG
// and TIFF libraries. Each adds only its decoder and encoder to CPicImage;
// the TIFF class also keeps an output handle open across appended pages.
#pragma once

#include "imaging/pic_image.h"

class CPicImageJPG : public CPicImage {
public:
  explicit CPicImageJPG(DWORD formatId = PIC_FORMAT_JPG) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);
};

class CPicImagePNG : public CPicImage {
public:
  explicit CPicImagePNG(DWORD formatId = PIC_FORMAT_PNG) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

  // Widens `width` 2-bit pixels to 4-bit ones in place.
  static void Expand2to4bpp(BYTE* row, DWORD width);
};

struct tiff;

class CPicImageTIF : public CPicImage {
public:
  explicit CPicImageTIF(DWORD formatId = PIC_FORMAT_TIF) : CPicImage(formatId) {}
  ~CPicImageTIF() override;

  bool Decode(CPicFile* file);
  // Writes the picture as one page; with append the file stays open for the
  // next page until a call without append closes it.
  bool Encode(CPicFile* file, bool append = false);

private:
  void DecodeStream(CPicFile* file);
  void EncodeStream(CPicFile* file, bool append);
  bool EncodeBody(tiff* handle, bool multiPage, int page, int pageCount);
  void CloseOutput();

  tiff* m_tif = nullptr;
  bool m_multiPage = false;
  int m_pages = 0;
};
