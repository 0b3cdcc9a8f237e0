// Shared body of the codec library's fuzz entry points: decode the input from
// a memory stream, then push a decoded picture through the operations that
// callers run on it and encode it back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "imaging/pic_file.h"
#include "imaging/pic_image.h"

inline int FuzzDecode(const uint8_t* data, size_t size, DWORD formatId) {
  if (size > 1 << 20) return 0;
  CPicMemFile file(const_cast<BYTE*>(data), static_cast<DWORD>(size));
  CPicImage image;
  // The first byte picks the frame of a multi-image file.
  if (size > 0) image.SetFrameIndex(data[0] % 4);
  if (!image.Decode(&file, formatId)) return 0;
  // Huge pictures from tiny headers are legal; only small ones go on, so that
  // the run keeps its pace.
  if (image.GetWidth() * static_cast<unsigned long long>(image.GetHeight()) <= 1 << 16) {
    DWORD encodeAs = formatId ? formatId : image.GetFormatId();
    // Encoded through a stdio stream, as the program's writers do: a memory
    // file grows in fixed steps, which a large mosaic GIF turns into seconds
    // of copying under the sanitizers.
    static FILE* const sink = std::tmpfile();
    if (sink) std::rewind(sink);
    CPicIOFile out(sink);
    image.Encode(&out, encodeAs);
    CPicImage turned(image);
    turned.RotateLeft();
    turned.Mirror();
    turned.IncreaseBpp(24);
    turned.Encode(&out, encodeAs);
  }
  return 0;
}
