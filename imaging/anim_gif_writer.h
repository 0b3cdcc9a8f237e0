// CAnimGifWriter: collects rendered 32-bit frames, each reduced to its own
// 256-colour palette as it arrives, and writes them as one animated GIF.
#pragma once

#include <cstdio>

#include "compat/win32/types.h"
#include "imaging/gif_codec.h"

class CAnimGifWriter {
public:
  static constexpr int kListStep = 256;

  CAnimGifWriter(DWORD delay = 25, int colors = 256);
  ~CAnimGifWriter();
  CAnimGifWriter(const CAnimGifWriter&) = delete;
  CAnimGifWriter& operator=(const CAnimGifWriter&) = delete;

  bool Open(const WCHAR* path, DWORD delay, SIZE size);
  // Width x height pixels of 4 bytes (blue, green, red, fourth byte), top
  // line first; the quantiser's error diffusion changes them.
  bool AddFrame(BYTE* pixels);
  void Close();

  // The colour made transparent (0xAARRGGBB; alpha is ignored) and whether
  // frames get a transparent index at all.
  void SetTransparentColor(DWORD argb);
  void SetTransparent(bool enabled) { m_transparent = enabled; }
  // Play count handed to the encoder; 0 (the default) loops for ever.
  void SetLoops(LONG loops) { m_loops = loops; }

  int GetFrameCount() const { return m_frameCount; }
  int GetCapacity() const { return m_capacity; }
  const char* GetLastError() const { return m_codec.GetLastError(); }

private:
  BYTE m_transColor[3] = {255, 255, 255};  // blue, green, red
  bool m_transparent = false;
  CPicImageGIF m_codec;
  int m_frameCount = 0;
  int m_capacity = kListStep;
  DWORD m_width = 0, m_height = 0;
  FILE* m_stream = nullptr;
  DWORD m_delay;
  int m_colors;
  LONG m_loops = 0;
  CPicImage** m_frames;
};
