// The format classes of the codec library that are built into it. Each adds
// only its decoder and encoder to CPicImage.
#pragma once

#include "imaging/pic_image.h"

class CPicImageBMP : public CPicImage {
public:
  explicit CPicImageBMP(DWORD formatId = PIC_FORMAT_BMP) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

private:
  bool DecodeStream(CPicFile* file);
  static void Widen16(BYTE* row, DWORD width, const DWORD* masks);
  size_t RowPixelBytes() const { return (static_cast<size_t>(GetWidth()) * GetBpp() + 7) / 8; }
};

class CPicImageTGA : public CPicImage {
public:
  explicit CPicImageTGA(DWORD formatId = PIC_FORMAT_TGA) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

private:
  bool DecodeStream(CPicFile* file);
};

class CPicImageICO : public CPicImage {
public:
  explicit CPicImageICO(DWORD formatId = PIC_FORMAT_ICO) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

private:
  bool DecodePngEntry(CPicFile* file, LONG start);
};

class CPicImagePCX : public CPicImage {
public:
  explicit CPicImagePCX(DWORD formatId = PIC_FORMAT_PCX) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

private:
  bool DecodeStream(CPicFile* file);
  bool EncodeStream(CPicFile* file);
};

class CPicImageWBMP : public CPicImage {
public:
  explicit CPicImageWBMP(DWORD formatId = PIC_FORMAT_WBMP) : CPicImage(formatId) {}
  bool Decode(CPicFile* file);
  bool Encode(CPicFile* file);

private:
  bool DecodeStream(CPicFile* file);
};
