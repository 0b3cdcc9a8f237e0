// Plays a metafile the tests' writer made onto a canvas of the test's size.
#pragma once

#include <cstdint>
#include <vector>

#include "compat/win32.h"
#include "compat/win32/gdi_canvas.h"

// An enhanced metafile stretched over the whole canvas.
inline bool PlayEmf(const std::vector<uint8_t>& bytes, GdiCanvas& canvas) {
  HENHMETAFILE mf = SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data());
  if (!mf) return false;
  RECT r{0, 0, canvas.width(), canvas.height()};
  BOOL ok = PlayEnhMetaFile(canvas.dc(), mf, &r);
  DeleteEnhMetaFile(mf);
  return ok != FALSE;
}

// A placeable metafile whose window is the canvas, one unit a pixel.
inline bool PlayWmf(const std::vector<uint8_t>& bytes, GdiCanvas& canvas) {
  METAFILEPICT pict{MM_ANISOTROPIC, canvas.width() * 26, canvas.height() * 26, nullptr};
  HENHMETAFILE mf = SetWinMetaFileBits(static_cast<UINT>(bytes.size() - 22), bytes.data() + 22, nullptr, &pict);
  if (!mf) return false;
  RECT r{0, 0, canvas.width(), canvas.height()};
  BOOL ok = PlayEnhMetaFile(canvas.dc(), mf, &r);
  DeleteEnhMetaFile(mf);
  return ok != FALSE;
}
