// BuildGlyph: a character's outline and placement metrics from a font,
// through the platform's native glyph outline.
#include <vector>

#include "compat/afx.h"
#include "compat/win32.h"
#include "model/outline/glyph_outline.h"

namespace {

FIXED ToFixed(double v) {
  const int32_t raw = static_cast<int32_t>(v * 65536.0);
  FIXED f;
  f.fract = static_cast<WORD>(raw & 0xFFFF);
  f.value = static_cast<short>(raw >> 16);
  return f;
}

MAT2 GlyphMatrix(BOOL vertical) {
  MAT2 m;
  m.eM11 = ToFixed(vertical ? 0 : 1);
  m.eM12 = ToFixed(vertical ? -1 : 0);
  m.eM21 = ToFixed(vertical ? 1 : 0);
  m.eM22 = ToFixed(vertical ? 0 : 1);
  return m;
}

// The native outline, or nothing when the character has none.
std::vector<BYTE> NativeOutline(HDC dc, UINT character, const MAT2& m, GLYPHMETRICS& gm) {
  const DWORD size = GetGlyphOutlineW(dc, character, GGO_NATIVE, &gm, 0, nullptr, &m);
  if (size == 0 || size == GDI_ERROR || size > kMaxNativeOutlineBytes) return {};
  std::vector<BYTE> native(size);
  const DWORD got = GetGlyphOutlineW(dc, character, GGO_NATIVE, &gm, size, native.data(), &m);
  if (got == 0 || got == GDI_ERROR) return {};
  return native;
}

}  // namespace

int BuildGlyph(CShapeOutline& outline, UINT character, CFont* font, int metrics[4], BOOL vertical) {
  const HWND desktop = GetDesktopWindow();
  const HDC screen = GetDC(desktop);
  const HDC dc = CreateCompatibleDC(screen);
  const HGDIOBJ previous = font ? SelectObject(dc, static_cast<HFONT>(*font)) : nullptr;
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  metrics[1] = -tm.tmAscent;
  metrics[3] = tm.tmDescent;
  GLYPHMETRICS gm{};
  const std::vector<BYTE> native = NativeOutline(dc, character, GlyphMatrix(vertical), gm);
  int result = 0;
  if (!native.empty() && BuildGlyphContours(outline, native.data(), static_cast<DWORD>(native.size())) >= 0) {
    RECT bounds;
    outline.GetBounds(&bounds);
    GlyphOutlineMetrics(bounds, gm.gmCellIncX, gm.gmCellIncY, metrics);
    result = 1;
  } else {
    // No outline (a space): its advance still moves the pen.
    ABCFLOAT abc{};
    GetCharABCWidthsFloatW(dc, character, character, &abc);
    GlyphSpaceMetrics(abc.abcfA, abc.abcfB, abc.abcfC, metrics);
    outline.SetBounds(0, 0, 0, 0);
  }
  if (previous) SelectObject(dc, previous);
  DeleteDC(dc);  // the memory context is ours to delete
  ReleaseDC(desktop, screen);
  return result;
}
