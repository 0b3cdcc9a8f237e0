// RenderFillStyle: paints a fill into every pixel of a picture buffer; and
// the picture reader the fills and the renderer's pair pictures share.
#pragma once

#include <memory>

#include "compat/afx/string.h"
#include "compat/win32/types.h"

struct CFillStyle;
struct CPixelBuffer;

// Solid colours, colour variations and picture fills (the picture scaled to
// the buffer with a box filter; a missing file paints transparent black).
void RenderFillStyle(const CFillStyle& fill, CPixelBuffer& buffer);
// The swatches' and thumbnails' name for the same painting.
void RenderFill(const CFillStyle& fill, CPixelBuffer& buffer);

// Largest side of a picture the fills and the renderer read.
constexpr LONG kMaxFillPictureSide = 16384;

// TRUE when the path is not empty and names a file, even one that cannot
// be resolved (PathNamesFile): the picture's reader then reports it.
BOOL PictureFileExists(const CString& path);
// The picture's pixels (blue, green, red, alpha; rows top-down) and size, or
// null when it cannot be read. The path followed by "cound not read!" (size
// unreadable) or " cound not load!" (pixels unreadable) is shown once per
// path, so a picture read on every frame does not repeat its message; a
// later successful read of that path lets its next failure show again.
std::unique_ptr<DWORD[]> ReadPicturePixels(const CString& path, SIZE& size);
