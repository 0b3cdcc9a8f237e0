// The bitmaps the toolkit loads from the program's module. The toolkit owns
// these ids: whatever links it supplies each bitmap under its id in its own
// resources (the layout of each strip is the toolkit's drawing's).
#pragma once

#include "compat/win32/types.h"

// Nine-pixel glyphs of the caption buttons and the tool bar's arrows.
constexpr UINT kKitCaptionGlyphs = 18041;
// Glyphs of the floating frames' caption.
constexpr UINT kKitFrameGlyphs = 2004;
