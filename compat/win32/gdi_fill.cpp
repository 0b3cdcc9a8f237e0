// Rectangle fills and frames: FillRect, FrameRect, InvertRect, DrawFocusRect,
// the classic three-dimensional edges and the frame controls.
#include <algorithm>

#include "compat/win32/gdi_internal.h"

using namespace compat::gdi;

namespace {

RECT DeviceRect(DcObj& dc, const RECT& r) {
  POINT a = dc.ToDevice(r.left, r.top), b = dc.ToDevice(r.right, r.bottom);
  return RECT{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

void FillDevice(DcObj& dc, const RECT& r, uint32_t pixel) {
  Painter painter(dc);
  painter.FillRect(r, SolidPaint(pixel), R2_COPYPEN);
}

// One border ring of an edge: top and left in one colour, then bottom and
// right over them in the other (the bottom-right lines own the far corners).
void EdgeRing(DcObj& dc, const RECT& r, UINT flags, COLORREF topLeft, COLORREF bottomRight) {
  Painter painter(dc);
  Paint tl = SolidPaint(dc.DeviceColor(topLeft)), br = SolidPaint(dc.DeviceColor(bottomRight));
  if (flags & BF_TOP) painter.FillRect(RECT{r.left, r.top, r.right, r.top + 1}, tl, R2_COPYPEN);
  if (flags & BF_LEFT) painter.FillRect(RECT{r.left, r.top, r.left + 1, r.bottom}, tl, R2_COPYPEN);
  if (flags & BF_BOTTOM) painter.FillRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, br, R2_COPYPEN);
  if (flags & BF_RIGHT) painter.FillRect(RECT{r.right - 1, r.top, r.right, r.bottom}, br, R2_COPYPEN);
}

void Inset(RECT& r, UINT flags) {
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_RIGHT) --r.right;
  if (flags & BF_BOTTOM) --r.bottom;
}

// Draws a Marlett glyph centred in a box, as the frame controls do.
void Glyph(DcObj& dc, const RECT& box, WCHAR ch, COLORREF color, int offset = 0) {
  int size = std::min(box.right - box.left, box.bottom - box.top);
  if (size <= 0) return;
  int left = box.left + (box.right - box.left - size) / 2 + offset;
  int top = box.top + (box.bottom - box.top - size) / 2 + offset;
  Painter painter(dc);
  DrawMarlettSymbol(painter, ch, left, top, size, dc.DeviceColor(color));
}

void GlyphWithState(DcObj& dc, const RECT& box, WCHAR ch, UINT state) {
  int shift = (state & DFCS_PUSHED) ? 1 : 0;
  if (state & DFCS_INACTIVE) {
    Glyph(dc, box, ch, SystemColor(kColor3DHighlight), shift + 1);
    Glyph(dc, box, ch, SystemColor(kColor3DShadow), shift);
    return;
  }
  Glyph(dc, box, ch, SystemColor(kColorBtnText), shift);
}

void ButtonFace(HDC hdc, DcObj& dc, RECT r, UINT state, UINT extraFlags = 0) {
  UINT edge = (state & (DFCS_PUSHED | DFCS_CHECKED)) ? EDGE_SUNKEN : EDGE_RAISED;
  UINT flags = BF_RECT | BF_MIDDLE | BF_ADJUST | extraFlags | ((state & DFCS_FLAT) ? BF_FLAT : 0) |
               ((state & DFCS_MONO) ? BF_MONO : 0);
  RECT logical = r;
  POINT a = dc.ToLogical(r.left, r.top), b = dc.ToLogical(r.right, r.bottom);
  logical = RECT{a.x, a.y, b.x, b.y};
  DrawEdge(hdc, &logical, edge, flags);
}

RECT Square(const RECT& r, int side) {
  int left = r.left + (r.right - r.left - side) / 2, top = r.top + (r.bottom - r.top - side) / 2;
  return RECT{left, top, left + side, top + side};
}

void CheckBox(HDC hdc, DcObj& dc, const RECT& r, UINT state) {
  RECT box = Square(r, std::min<LONG>({13, r.right - r.left, r.bottom - r.top}));
  POINT a = dc.ToLogical(box.left, box.top), b = dc.ToLogical(box.right, box.bottom);
  RECT logical{a.x, a.y, b.x, b.y};
  DrawEdge(hdc, &logical, EDGE_SUNKEN, BF_RECT | ((state & DFCS_FLAT) ? BF_FLAT : 0));
  RECT inner{box.left + 2, box.top + 2, box.right - 2, box.bottom - 2};
  // A three-state box in its third state shows a grey check on the face colour.
  bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED | DFCS_BUTTON3STATE)) != 0;
  FillDevice(dc, inner, dc.DeviceColor(SystemColor(grey ? kColor3DFace : kColorWindow)));
  if (state & DFCS_CHECKED)
    Glyph(dc, inner, u'a',
          SystemColor((state & (DFCS_INACTIVE | DFCS_BUTTON3STATE)) ? kColorGrayText : kColorWindowText));
}

void RadioButton(DcObj& dc, const RECT& r, UINT state) {
  RECT box = Square(r, std::min<LONG>({12, r.right - r.left, r.bottom - r.top}));
  if (state & DFCS_BUTTONRADIOMASK) {
    Glyph(dc, box, u'n', 0x000000);
    return;
  }
  Glyph(dc, box, u'j', SystemColor(kColor3DShadow));
  Glyph(dc, box, u'k', SystemColor(kColor3DHighlight));
  bool grey = (state & (DFCS_INACTIVE | DFCS_PUSHED)) != 0;
  Glyph(dc, box, u'l', SystemColor(grey ? kColor3DFace : kColorWindow));
  if (state & DFCS_CHECKED)
    Glyph(dc, box, u'i', SystemColor((state & DFCS_INACTIVE) ? kColorGrayText : kColorWindowText));
}

WCHAR CaptionGlyph(UINT part) {
  switch (part) {
    case DFCS_CAPTIONMIN: return u'0';
    case DFCS_CAPTIONMAX: return u'1';
    case DFCS_CAPTIONRESTORE: return u'2';
    case DFCS_CAPTIONHELP: return u's';
    default: return u'r';
  }
}

WCHAR ScrollGlyph(UINT part) {
  switch (part) {
    case DFCS_SCROLLUP: return u'5';
    case DFCS_SCROLLLEFT: return u'3';
    case DFCS_SCROLLRIGHT: return u'4';
    case DFCS_SCROLLSIZEGRIP: return u'o';
    case DFCS_SCROLLSIZEGRIPRIGHT: return u'x';
    default: return u'6';
  }
}

WCHAR MenuGlyph(UINT part) {
  switch (part) {
    case DFCS_MENUCHECK: return u'a';
    case DFCS_MENUBULLET: return u'h';
    case DFCS_MENUARROWRIGHT: return u'w';
    default: return u'8';
  }
}

RECT GlyphBox(const RECT& r) {
  // Glyphs keep a margin inside their button, as the classic look has.
  int w = r.right - r.left, h = r.bottom - r.top;
  int m = std::max(2, std::min(w, h) / 5);
  return RECT{r.left + m, r.top + m, r.right - m, r.bottom - m};
}

}  // namespace

int FillRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
  DcObj* dc = GetDc(hdc);
  BrushObj scratch;
  BrushObj* brush = ResolveBrush(hbr, &scratch);
  if (!dc || !rc || !brush) return 0;
  Painter painter(*dc);
  painter.FillRect(DeviceRect(*dc, *rc), BrushPaint(*dc, brush), R2_COPYPEN);
  return 1;
}

int FrameRect(HDC hdc, const RECT* rc, HBRUSH hbr) {
  DcObj* dc = GetDc(hdc);
  BrushObj scratch;
  BrushObj* brush = ResolveBrush(hbr, &scratch);
  if (!dc || !rc || !brush) return 0;
  RECT r = DeviceRect(*dc, *rc);
  if (r.left >= r.right || r.top >= r.bottom) return 1;
  Painter painter(*dc);
  Paint paint = BrushPaint(*dc, brush);
  painter.FillRect(RECT{r.left, r.top, r.right, r.top + 1}, paint, R2_COPYPEN);
  if (r.bottom - r.top > 1) painter.FillRect(RECT{r.left, r.bottom - 1, r.right, r.bottom}, paint, R2_COPYPEN);
  painter.FillRect(RECT{r.left, r.top + 1, r.left + 1, r.bottom - 1}, paint, R2_COPYPEN);
  if (r.right - r.left > 1) painter.FillRect(RECT{r.right - 1, r.top + 1, r.right, r.bottom - 1}, paint, R2_COPYPEN);
  return 1;
}

BOOL InvertRect(HDC hdc, const RECT* rc) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  Painter painter(*dc);
  painter.FillRect(DeviceRect(*dc, *rc), SolidPaint(0), R2_NOT);
  return TRUE;
}

BOOL DrawFocusRect(HDC hdc, const RECT* rc) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  RECT r = DeviceRect(*dc, *rc);
  if (r.left >= r.right || r.top >= r.bottom) return TRUE;
  // Every other pixel of the one-pixel frame is inverted, so drawing it twice restores.
  Painter painter(*dc);
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) painter.Pixel(x, y, 0xFFFFFF, R2_XORPEN);
  };
  for (int x = r.left; x < r.right; ++x) {
    dot(x, r.top);
    if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
  }
  for (int y = r.top + 1; y < r.bottom - 1; ++y) {
    dot(r.left, y);
    if (r.right - 1 > r.left) dot(r.right - 1, y);
  }
  return TRUE;
}

BOOL DrawEdge(HDC hdc, LPRECT rc, UINT edge, UINT flags) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  RECT r = DeviceRect(*dc, *rc);
  COLORREF outerTL = 0, outerBR = 0, innerTL = 0, innerBR = 0;
  if (flags & BF_MONO) {
    outerTL = outerBR = innerTL = innerBR = SystemColor(kColorWindowFrame);
  } else if (flags & BF_FLAT) {
    outerTL = outerBR = SystemColor(kColor3DShadow);
    innerTL = innerBR = SystemColor(kColor3DFace);
  } else {
    if (edge & BDR_RAISEDOUTER) { outerTL = SystemColor(kColor3DLight); outerBR = SystemColor(kColor3DDkShadow); }
    if (edge & BDR_SUNKENOUTER) { outerTL = SystemColor(kColor3DShadow); outerBR = SystemColor(kColor3DHighlight); }
    if (edge & BDR_RAISEDINNER) { innerTL = SystemColor(kColor3DHighlight); innerBR = SystemColor(kColor3DShadow); }
    if (edge & BDR_SUNKENINNER) { innerTL = SystemColor(kColor3DDkShadow); innerBR = SystemColor(kColor3DLight); }
    if (flags & BF_SOFT) std::swap(outerTL, innerTL);
  }
  if (edge & BDR_OUTER) {
    EdgeRing(*dc, r, flags, outerTL, outerBR);
    Inset(r, flags);
  }
  if (edge & BDR_INNER) {
    EdgeRing(*dc, r, flags, innerTL, innerBR);
    Inset(r, flags);
  }
  if (flags & BF_MIDDLE) FillDevice(*dc, r, dc->DeviceColor(SystemColor(kColor3DFace)));
  if (flags & BF_ADJUST) {
    POINT a = dc->ToLogical(r.left, r.top), b = dc->ToLogical(r.right, r.bottom);
    *rc = RECT{a.x, a.y, b.x, b.y};
  }
  return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT rc, UINT type, UINT state) {
  DcObj* dc = GetDc(hdc);
  if (!dc || !rc) return FALSE;
  RECT r = DeviceRect(*dc, *rc);
  UINT part = state & 0xFF;
  switch (type) {
    case DFC_BUTTON:
      if (part & DFCS_BUTTONPUSH) {
        // A push button's outer line is the highlight, its inner one the light colour.
        ButtonFace(hdc, *dc, r, state, BF_SOFT);
      } else if (part & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
        RadioButton(*dc, r, state | (part & DFCS_BUTTONRADIOMASK));
      } else {
        CheckBox(hdc, *dc, r, state);
      }
      return TRUE;
    case DFC_CAPTION:
      ButtonFace(hdc, *dc, r, state);
      GlyphWithState(*dc, GlyphBox(r), CaptionGlyph(part), state);
      return TRUE;
    case DFC_SCROLL:
      if (part == DFCS_SCROLLSIZEGRIP || part == DFCS_SCROLLSIZEGRIPRIGHT) {
        FillDevice(*dc, r, dc->DeviceColor(SystemColor(kColor3DFace)));
        Glyph(*dc, r, part == DFCS_SCROLLSIZEGRIP ? u'o' : u'x', SystemColor(kColor3DHighlight));
        Glyph(*dc, r, part == DFCS_SCROLLSIZEGRIP ? u'p' : u'y', SystemColor(kColor3DShadow));
        return TRUE;
      }
      ButtonFace(hdc, *dc, r, state);
      GlyphWithState(*dc, GlyphBox(r), ScrollGlyph(part), state);
      return TRUE;
    case DFC_MENU:
    case DFC_POPUPMENU:
      // Menu glyphs are black on white, for use as masks.
      FillDevice(*dc, r, dc->DeviceColor(0xFFFFFF));
      Glyph(*dc, r, MenuGlyph(part), 0x000000);
      return TRUE;
    default:
      return FALSE;
  }
}
