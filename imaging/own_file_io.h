// Shared pieces of the system's own BMP and TGA files: the picture
// description their writers take, and whole-file reads and writes on the
// framework's file class that report failure as a result.
#pragma once

#include <vector>

#include "compat/afx.h"
#include "imaging/little_endian.h"

// What a writer is asked to store.
struct PictureDescription {
  LONG originX = 0;
  LONG originY = 0;
  LONG width = 0;
  LONG height = 0;
  DWORD bitsPerPixel = 32;
  DWORD compression = 0;
  DWORD greySource = 0;
  DWORD jpegQuality = 75;
};

namespace ownfile {

// Largest decoded picture, in bytes of 32-bit pixels.
constexpr unsigned long long kMaxPixelBytes = 1ull << 31;

// Width x height 32-bit pixels fit the limit, both sides positive.
bool PixelCountFits(LONG width, LONG height);

// The whole file, or false when it cannot be opened.
bool ReadWholeFile(LPCTSTR path, std::vector<BYTE>& bytes);

// Up to `count` bytes from the start of the file; false when it cannot be opened.
bool ReadFilePrefix(LPCTSTR path, UINT count, std::vector<BYTE>& bytes);

// Writes the bytes as the whole file, through a temporary file beside it;
// false on any failure, which leaves the earlier file and no partial one.
bool WriteWholeFile(LPCTSTR path, const std::vector<BYTE>& bytes);

using le::Dword;
using le::PutDword;
using le::PutWord;
using le::Word;

}  // namespace ownfile
