// Glyph outlines: a character's native outline (the platform's polygon
// headers and quadratic curve records in 16.16 fixed point) turned into the
// contours of a CShapeOutline, and the character's placement metrics.
#pragma once

#include "compat/win32/types.h"
#include "model/outline/shape_outline.h"

class CFont;

// Layout of the native outline: a polygon header of byte size, type and start
// point, then curve records of type, point count and points.
constexpr DWORD kNativePolygonHeaderBytes = 16;
constexpr DWORD kNativeCurveHeaderBytes = 4;
constexpr WORD kNativeLine = 1;
constexpr WORD kNativeQSpline = 2;
// Largest native outline taken; glyphs of real fonts are far smaller.
constexpr DWORD kMaxNativeOutlineBytes = 1u << 22;

// Fills the outline with a character of the font (device units of the font,
// so a font made eight times the wanted size gives eight units a pixel) and
// writes left shift, top, advance and descent. Returns 1 when the character
// has an outline; 0 for a space or a character the font cannot outline,
// whose advance is still given and whose contours stay as they were.
int BuildGlyph(CShapeOutline& outline, UINT character, CFont* font, int metrics[4], BOOL vertical);

// Replaces the outline's contours and bounds with the polygons of a native
// outline: y turned to point down, each contour closed back to its start and
// line-only crossings of neighbouring edges repaired. Returns the number of
// contours, or -1 for a malformed buffer (the outline is then left empty).
int BuildGlyphContours(CShapeOutline& outline, const BYTE* native, DWORD bytes);

// Metrics of a glyph that has an outline, from the outline's bounds; metrics
// come in with [1] = -ascent and [3] = descent of the font and leave as left
// shift, top, advance and descent (for vertical glyphs the vertical forms).
void GlyphOutlineMetrics(const RECT& bounds, int cellIncX, int cellIncY, int metrics[4]);

// Metrics of a character without an outline from its ABC widths.
void GlyphSpaceMetrics(float a, float b, float c, int metrics[4]);
