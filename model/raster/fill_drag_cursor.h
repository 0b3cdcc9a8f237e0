// The cursor a swatch drag shows: the shape and hot spot of the program's
// fill-drag cursor with the dragged fill as its colour image.
#pragma once

#include "compat/win32.h"

struct CFillStyle;

// The process-wide record the drag cursors are made from. The thumbnail list
// control fills it from cursor resource 33 when its first instance is made;
// each MakeFillDragCursor overwrites its colour bitmap and keeps the rest.
ICONINFO& FillDragIconInfo();

// A new cursor the caller destroys with DestroyIcon; NULL while the record
// has no colour bitmap.
HICON MakeFillDragCursor(const CFillStyle& fill);
