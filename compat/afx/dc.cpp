// CDC: the framework's device context, each member one GDI call on m_hDC.
#include <cstdlib>

#include "compat/afx/gdi.h"
#include "compat/afx/temporary_map.h"

IMPLEMENT_DYNCREATE(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)
IMPLEMENT_DYNAMIC(CClientDC, CDC)
IMPLEMENT_DYNAMIC(CWindowDC, CDC)

namespace {

__attribute__((noinline)) HDC HandleOf(const CDC* dc) { return dc ? dc->m_hDC : nullptr; }

HDC SourceOf(CDC* dc) { return dc ? dc->m_hDC : nullptr; }

template <class T>
HGDIOBJ HandleOfObject(T* object) {
  return object ? object->m_hObject : nullptr;
}

}  // namespace

// The window DCs give their DC back to the window manager; their
// constructors live with the window classes.
CPaintDC::~CPaintDC() {
  if (m_hDC) {
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
  }
}

CClientDC::~CClientDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
}

CWindowDC::~CWindowDC() {
  if (m_hDC) ::ReleaseDC(m_hWnd, Detach());
}

CDC::~CDC() {
  if (m_hDC) ::DeleteDC(Detach());
}

HDC CDC::GetSafeHdc() const { return HandleOf(this); }

CDC* CDC::FromHandle(HDC h) {
  return compat::afx::TemporaryFor<CDC>(h, [](CDC* dc, HDC hdc) { dc->m_hDC = dc->m_hAttribDC = hdc; },
                                        [](CDC* dc) { dc->m_hDC = dc->m_hAttribDC = nullptr; });
}

BOOL CDC::Attach(HDC h) {
  if (!h || m_hDC) return FALSE;
  m_hDC = m_hAttribDC = h;
  return TRUE;
}

HDC CDC::Detach() {
  HDC h = m_hDC;
  m_hDC = m_hAttribDC = nullptr;
  return h;
}

BOOL CDC::CreateCompatibleDC(CDC* dc) { return Attach(::CreateCompatibleDC(dc ? dc->m_hDC : nullptr)); }

BOOL CDC::CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* init) {
  return Attach(::CreateDCW(driver, device, output, init));
}

BOOL CDC::DeleteDC() {
  if (!m_hDC) return FALSE;
  return ::DeleteDC(Detach());
}

// --- state ---

int CDC::SaveDC() { return ::SaveDC(m_hDC); }
BOOL CDC::RestoreDC(int savedDC) { return ::RestoreDC(m_hDC, savedDC); }
int CDC::GetDeviceCaps(int index) const { return ::GetDeviceCaps(m_hDC, index); }

CGdiObject* CDC::SelectStockObject(int index) {
  return CGdiObject::FromHandle(::SelectObject(m_hDC, ::GetStockObject(index)));
}

CPen* CDC::SelectObject(CPen* pen) {
  return CPen::FromHandle(static_cast<HPEN>(::SelectObject(m_hDC, HandleOfObject(pen))));
}

CBrush* CDC::SelectObject(CBrush* brush) {
  return CBrush::FromHandle(static_cast<HBRUSH>(::SelectObject(m_hDC, HandleOfObject(brush))));
}

CFont* CDC::SelectObject(CFont* font) {
  return CFont::FromHandle(static_cast<HFONT>(::SelectObject(m_hDC, HandleOfObject(font))));
}

CBitmap* CDC::SelectObject(CBitmap* bitmap) {
  return CBitmap::FromHandle(static_cast<HBITMAP>(::SelectObject(m_hDC, HandleOfObject(bitmap))));
}

CGdiObject* CDC::SelectObject(CGdiObject* object) {
  return CGdiObject::FromHandle(::SelectObject(m_hDC, HandleOfObject(object)));
}

HGDIOBJ CDC::SelectObject(HGDIOBJ object) { return ::SelectObject(m_hDC, object); }

int CDC::SelectObject(CRgn* region) {
  return static_cast<int>(reinterpret_cast<intptr_t>(::SelectObject(m_hDC, HandleOfObject(region))));
}

CPalette* CDC::SelectPalette(CPalette* palette, BOOL forceBackground) {
  return CPalette::FromHandle(::SelectPalette(m_hDC, static_cast<HPALETTE>(HandleOfObject(palette)), forceBackground));
}

UINT CDC::RealizePalette() { return ::RealizePalette(m_hDC); }
CPen* CDC::GetCurrentPen() const { return CPen::FromHandle(static_cast<HPEN>(::GetCurrentObject(m_hDC, OBJ_PEN))); }
CBrush* CDC::GetCurrentBrush() const {
  return CBrush::FromHandle(static_cast<HBRUSH>(::GetCurrentObject(m_hDC, OBJ_BRUSH)));
}
CFont* CDC::GetCurrentFont() const { return CFont::FromHandle(static_cast<HFONT>(::GetCurrentObject(m_hDC, OBJ_FONT))); }
CBitmap* CDC::GetCurrentBitmap() const {
  return CBitmap::FromHandle(static_cast<HBITMAP>(::GetCurrentObject(m_hDC, OBJ_BITMAP)));
}
COLORREF CDC::GetNearestColor(COLORREF color) const { return ::GetNearestColor(m_hDC, color); }
COLORREF CDC::SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }
COLORREF CDC::GetBkColor() const { return ::GetBkColor(m_hDC); }
int CDC::SetBkMode(int mode) { return ::SetBkMode(m_hDC, mode); }
int CDC::GetBkMode() const { return ::GetBkMode(m_hDC); }
COLORREF CDC::SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
COLORREF CDC::GetTextColor() const { return ::GetTextColor(m_hDC); }
int CDC::SetROP2(int mode) { return ::SetROP2(m_hDC, mode); }
int CDC::GetROP2() const { return ::GetROP2(m_hDC); }
int CDC::SetPolyFillMode(int mode) { return ::SetPolyFillMode(m_hDC, mode); }
int CDC::SetStretchBltMode(int mode) { return ::SetStretchBltMode(m_hDC, mode); }
UINT CDC::SetTextAlign(UINT flags) { return ::SetTextAlign(m_hDC, flags); }
int CDC::SetTextCharacterExtra(int extra) { return ::SetTextCharacterExtra(m_hDC, extra); }
COLORREF CDC::SetDCBrushColor(COLORREF color) { return ::SetDCBrushColor(m_hDC, color); }
COLORREF CDC::SetDCPenColor(COLORREF color) { return ::SetDCPenColor(m_hDC, color); }

CPoint CDC::SetBrushOrg(int x, int y) {
  POINT old{0, 0};
  ::SetBrushOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CPoint CDC::SetBrushOrg(POINT point) { return SetBrushOrg(point.x, point.y); }

// --- coordinates ---

int CDC::SetMapMode(int mode) { return ::SetMapMode(m_hDC, mode); }
int CDC::GetMapMode() const { return ::GetMapMode(m_hDC); }

CPoint CDC::SetWindowOrg(int x, int y) {
  POINT old{0, 0};
  ::SetWindowOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CPoint CDC::SetWindowOrg(POINT point) { return SetWindowOrg(point.x, point.y); }
CPoint CDC::GetWindowOrg() const {
  POINT p{0, 0};
  ::GetWindowOrgEx(m_hDC, &p);
  return CPoint(p);
}
CPoint CDC::SetViewportOrg(int x, int y) {
  POINT old{0, 0};
  ::SetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CPoint CDC::SetViewportOrg(POINT point) { return SetViewportOrg(point.x, point.y); }
CPoint CDC::GetViewportOrg() const {
  POINT p{0, 0};
  ::GetViewportOrgEx(m_hDC, &p);
  return CPoint(p);
}
CPoint CDC::OffsetViewportOrg(int x, int y) {
  POINT old{0, 0};
  ::OffsetViewportOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CPoint CDC::OffsetWindowOrg(int x, int y) {
  POINT old{0, 0};
  ::OffsetWindowOrgEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CSize CDC::SetWindowExt(int x, int y) {
  SIZE old{0, 0};
  ::SetWindowExtEx(m_hDC, x, y, &old);
  return CSize(old);
}
CSize CDC::SetWindowExt(SIZE size) { return SetWindowExt(size.cx, size.cy); }
CSize CDC::GetWindowExt() const {
  SIZE s{0, 0};
  ::GetWindowExtEx(m_hDC, &s);
  return CSize(s);
}
CSize CDC::SetViewportExt(int x, int y) {
  SIZE old{0, 0};
  ::SetViewportExtEx(m_hDC, x, y, &old);
  return CSize(old);
}
CSize CDC::SetViewportExt(SIZE size) { return SetViewportExt(size.cx, size.cy); }
CSize CDC::GetViewportExt() const {
  SIZE s{0, 0};
  ::GetViewportExtEx(m_hDC, &s);
  return CSize(s);
}
void CDC::LPtoDP(LPPOINT points, int count) const { ::LPtoDP(m_hDC, points, count); }
void CDC::LPtoDP(LPRECT rect) const { ::LPtoDP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }
void CDC::DPtoLP(LPPOINT points, int count) const { ::DPtoLP(m_hDC, points, count); }
void CDC::DPtoLP(LPRECT rect) const { ::DPtoLP(m_hDC, reinterpret_cast<LPPOINT>(rect), 2); }

// Sizes convert as the distance between two converted points.
void CDC::LPtoDP(LPSIZE size) const {
  POINT pts[2] = {{0, 0}, {size->cx, size->cy}};
  ::LPtoDP(m_hDC, pts, 2);
  size->cx = std::abs(static_cast<int>(pts[1].x - pts[0].x));
  size->cy = std::abs(static_cast<int>(pts[1].y - pts[0].y));
}
void CDC::DPtoLP(LPSIZE size) const {
  POINT pts[2] = {{0, 0}, {size->cx, size->cy}};
  ::DPtoLP(m_hDC, pts, 2);
  size->cx = std::abs(static_cast<int>(pts[1].x - pts[0].x));
  size->cy = std::abs(static_cast<int>(pts[1].y - pts[0].y));
}

// --- clipping ---

int CDC::SelectClipRgn(CRgn* region) { return ::SelectClipRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region))); }
int CDC::SelectClipRgn(CRgn* region, int mode) {
  return ::ExtSelectClipRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region)), mode);
}
int CDC::IntersectClipRect(int x1, int y1, int x2, int y2) { return ::IntersectClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::IntersectClipRect(LPCRECT r) { return ::IntersectClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
int CDC::ExcludeClipRect(int x1, int y1, int x2, int y2) { return ::ExcludeClipRect(m_hDC, x1, y1, x2, y2); }
int CDC::ExcludeClipRect(LPCRECT r) { return ::ExcludeClipRect(m_hDC, r->left, r->top, r->right, r->bottom); }
int CDC::OffsetClipRgn(int x, int y) { return ::OffsetClipRgn(m_hDC, x, y); }
int CDC::GetClipBox(LPRECT rect) const { return ::GetClipBox(m_hDC, rect); }
BOOL CDC::PtVisible(int x, int y) const { return ::PtVisible(m_hDC, x, y); }
BOOL CDC::PtVisible(POINT point) const { return ::PtVisible(m_hDC, point.x, point.y); }
BOOL CDC::RectVisible(LPCRECT rect) const { return ::RectVisible(m_hDC, rect); }

// --- lines and shapes ---

CPoint CDC::MoveTo(int x, int y) {
  POINT old{0, 0};
  ::MoveToEx(m_hDC, x, y, &old);
  return CPoint(old);
}
CPoint CDC::MoveTo(POINT point) { return MoveTo(point.x, point.y); }
BOOL CDC::LineTo(int x, int y) { return ::LineTo(m_hDC, x, y); }
BOOL CDC::LineTo(POINT point) { return ::LineTo(m_hDC, point.x, point.y); }
CPoint CDC::GetCurrentPosition() const {
  POINT p{0, 0};
  ::GetCurrentPositionEx(m_hDC, &p);
  return CPoint(p);
}
BOOL CDC::Polyline(const POINT* points, int count) { return ::Polyline(m_hDC, points, count); }
BOOL CDC::PolyPolyline(const POINT* points, const DWORD* counts, int polylines) {
  return polylines > 0 && ::PolyPolyline(m_hDC, points, counts, static_cast<DWORD>(polylines));
}
BOOL CDC::PolyBezier(const POINT* points, int count) {
  return count > 0 && ::PolyBezier(m_hDC, points, static_cast<DWORD>(count));
}
BOOL CDC::PolyBezierTo(const POINT* points, int count) {
  return count > 0 && ::PolyBezierTo(m_hDC, points, static_cast<DWORD>(count));
}
BOOL CDC::Polygon(const POINT* points, int count) { return ::Polygon(m_hDC, points, count); }
BOOL CDC::PolyPolygon(const POINT* points, const INT* counts, int polygons) {
  return ::PolyPolygon(m_hDC, points, counts, polygons);
}
BOOL CDC::Rectangle(int x1, int y1, int x2, int y2) { return ::Rectangle(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Rectangle(LPCRECT r) { return ::Rectangle(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  return ::RoundRect(m_hDC, x1, y1, x2, y2, x3, y3);
}
BOOL CDC::RoundRect(LPCRECT r, POINT corner) {
  return ::RoundRect(m_hDC, r->left, r->top, r->right, r->bottom, corner.x, corner.y);
}
BOOL CDC::Ellipse(int x1, int y1, int x2, int y2) { return ::Ellipse(m_hDC, x1, y1, x2, y2); }
BOOL CDC::Ellipse(LPCRECT r) { return ::Ellipse(m_hDC, r->left, r->top, r->right, r->bottom); }
BOOL CDC::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  return ::Arc(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
BOOL CDC::Arc(LPCRECT r, POINT start, POINT end) {
  return ::Arc(m_hDC, r->left, r->top, r->right, r->bottom, start.x, start.y, end.x, end.y);
}
BOOL CDC::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  return ::Pie(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
BOOL CDC::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  return ::Chord(m_hDC, x1, y1, x2, y2, x3, y3, x4, y4);
}
COLORREF CDC::SetPixel(int x, int y, COLORREF color) { return ::SetPixel(m_hDC, x, y, color); }
COLORREF CDC::SetPixel(POINT point, COLORREF color) { return ::SetPixel(m_hDC, point.x, point.y, color); }
BOOL CDC::SetPixelV(int x, int y, COLORREF color) { return ::SetPixelV(m_hDC, x, y, color); }
COLORREF CDC::GetPixel(int x, int y) const { return ::GetPixel(m_hDC, x, y); }
COLORREF CDC::GetPixel(POINT point) const { return ::GetPixel(m_hDC, point.x, point.y); }

// --- fills and frames ---

void CDC::FillRect(LPCRECT rect, CBrush* brush) {
  ::FillRect(m_hDC, rect, static_cast<HBRUSH>(HandleOfObject(brush)));
}

// Fills through an opaque empty text output, leaving the background colour
// set to `color` afterwards as callers of this member find it.
void CDC::FillSolidRect(LPCRECT rect, COLORREF color) {
  ::SetBkColor(m_hDC, color);
  ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, rect, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF color) {
  RECT r{x, y, x + cx, y + cy};
  FillSolidRect(&r, color);
}

void CDC::FrameRect(LPCRECT rect, CBrush* brush) {
  ::FrameRect(m_hDC, rect, static_cast<HBRUSH>(HandleOfObject(brush)));
}

void CDC::InvertRect(LPCRECT rect) { ::InvertRect(m_hDC, rect); }

void CDC::Draw3dRect(LPCRECT r, COLORREF topLeft, COLORREF bottomRight) {
  Draw3dRect(r->left, r->top, r->right - r->left, r->bottom - r->top, topLeft, bottomRight);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight) {
  FillSolidRect(x, y, cx - 1, 1, topLeft);
  FillSolidRect(x, y, 1, cy - 1, topLeft);
  FillSolidRect(x + cx, y, -1, cy, bottomRight);
  FillSolidRect(x, y + cy, cx, -1, bottomRight);
}

BOOL CDC::DrawEdge(LPRECT rect, UINT edge, UINT flags) { return ::DrawEdge(m_hDC, rect, edge, flags); }
void CDC::DrawFocusRect(LPCRECT rect) { ::DrawFocusRect(m_hDC, rect); }
BOOL CDC::DrawFrameControl(LPRECT rect, UINT type, UINT state) {
  return ::DrawFrameControl(m_hDC, rect, type, state);
}
CBrush* PASCAL CDC::GetHalftoneBrush() {
  static CBrush* brush = [] {
    WORD rows[8];
    for (int i = 0; i < 8; ++i) rows[i] = static_cast<WORD>(0x5555 << (i & 1));
    CBitmap pattern;
    pattern.CreateBitmap(8, 8, 1, 1, rows);
    auto* b = new CBrush();
    b->CreatePatternBrush(&pattern);
    return b;
  }();
  return brush;
}

namespace {

// The frame of `rect` `size` thick, as a region (empty for a null rectangle).
void FrameRegion(CRgn& out, LPCRECT rect, SIZE size) {
  out.CreateRectRgn(0, 0, 0, 0);
  if (!rect) return;
  CRect inner(rect);
  inner.InflateRect(-size.cx, -size.cy);
  inner.IntersectRect(inner, rect);
  CRgn outside, inside;
  outside.CreateRectRgnIndirect(rect);
  inside.CreateRectRgnIndirect(inner);
  out.CombineRgn(&outside, &inside, RGN_XOR);
}

}  // namespace

void CDC::DrawDragRect(LPCRECT rect, SIZE size, LPCRECT last, SIZE sizeLast, CBrush* brush,
                       CBrush* brushLast) {
  if (!brush) brush = GetHalftoneBrush();
  if (!brushLast) brushLast = brush;
  CRgn rgnNew, rgnLast;
  FrameRegion(rgnNew, rect, size);
  FrameRegion(rgnLast, last, sizeLast);
  CRgn* draw = &rgnNew;
  CRgn update;
  if (brush->m_hObject == brushLast->m_hObject) {
    // One pass over what changed: the old frame goes, the new one comes.
    update.CreateRectRgn(0, 0, 0, 0);
    update.CombineRgn(&rgnLast, &rgnNew, RGN_XOR);
    draw = &update;
  } else if (last) {
    SelectClipRgn(&rgnLast);
    CRect box;
    GetClipBox(&box);
    CBrush* old = SelectObject(brushLast);
    PatBlt(box.left, box.top, box.Width(), box.Height(), PATINVERT);
    SelectObject(old);
  }
  SelectClipRgn(draw);
  CRect box;
  GetClipBox(&box);
  CBrush* old = SelectObject(brush);
  PatBlt(box.left, box.top, box.Width(), box.Height(), PATINVERT);
  SelectObject(old);
  SelectClipRgn(nullptr);
}

BOOL CDC::FillRgn(CRgn* region, CBrush* brush) {
  return ::FillRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region)), static_cast<HBRUSH>(HandleOfObject(brush)));
}
BOOL CDC::FrameRgn(CRgn* region, CBrush* brush, int width, int height) {
  return ::FrameRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region)), static_cast<HBRUSH>(HandleOfObject(brush)),
                    width, height);
}
BOOL CDC::InvertRgn(CRgn* region) { return ::InvertRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region))); }
BOOL CDC::PaintRgn(CRgn* region) { return ::PaintRgn(m_hDC, static_cast<HRGN>(HandleOfObject(region))); }

// --- blits ---

BOOL CDC::PatBlt(int x, int y, int width, int height, DWORD rop) { return ::PatBlt(m_hDC, x, y, width, height, rop); }
BOOL CDC::BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop) {
  return ::BitBlt(m_hDC, x, y, width, height, SourceOf(source), xSrc, ySrc, rop);
}
BOOL CDC::StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, DWORD rop) {
  return ::StretchBlt(m_hDC, x, y, width, height, SourceOf(source), xSrc, ySrc, srcWidth, srcHeight, rop);
}
BOOL CDC::MaskBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, CBitmap& mask,
                  int xMask, int yMask, DWORD rop) {
  return ::MaskBlt(m_hDC, x, y, width, height, SourceOf(source), xSrc, ySrc, mask, xMask, yMask, rop);
}
BOOL CDC::TransparentBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                         int srcHeight, UINT transparent) {
  return ::TransparentBlt(m_hDC, x, y, width, height, SourceOf(source), xSrc, ySrc, srcWidth, srcHeight,
                          transparent);
}
BOOL CDC::AlphaBlend(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, int srcWidth,
                     int srcHeight, BLENDFUNCTION blend) {
  return ::AlphaBlend(m_hDC, x, y, width, height, SourceOf(source), xSrc, ySrc, srcWidth, srcHeight, blend);
}

// --- text ---

BOOL CDC::TextOut(int x, int y, LPCTSTR text, int count) { return ::TextOutW(m_hDC, x, y, text, count); }
BOOL CDC::TextOut(int x, int y, const CString& text) {
  return ::TextOutW(m_hDC, x, y, text, text.GetLength());
}
BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCTSTR text, UINT count, LPINT dx) {
  return ::ExtTextOutW(m_hDC, x, y, options, rect, text, count, dx);
}
BOOL CDC::ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, LPINT dx) {
  return ::ExtTextOutW(m_hDC, x, y, options, rect, text, static_cast<UINT>(text.GetLength()), dx);
}
int CDC::DrawText(LPCTSTR text, int count, LPRECT rect, UINT format) {
  return ::DrawTextW(m_hDC, text, count, rect, format);
}
int CDC::DrawText(const CString& text, LPRECT rect, UINT format) {
  return ::DrawTextW(m_hDC, text, text.GetLength(), rect, format);
}
CSize CDC::GetTextExtent(LPCTSTR text, int count) const {
  SIZE s{0, 0};
  ::GetTextExtentPoint32W(m_hAttribDC, text, count, &s);
  return CSize(s);
}
CSize CDC::GetTextExtent(const CString& text) const { return GetTextExtent(text, text.GetLength()); }
CSize CDC::GetOutputTextExtent(LPCTSTR text, int count) const {
  SIZE s{0, 0};
  ::GetTextExtentPoint32W(m_hDC, text, count, &s);
  return CSize(s);
}
CSize CDC::GetOutputTextExtent(const CString& text) const { return GetOutputTextExtent(text, text.GetLength()); }
BOOL CDC::GetTextMetrics(LPTEXTMETRIC metrics) const { return ::GetTextMetricsW(m_hAttribDC, metrics); }
BOOL CDC::GetOutputTextMetrics(LPTEXTMETRIC metrics) const { return ::GetTextMetricsW(m_hDC, metrics); }
int CDC::GetTextFace(CString& face) const {
  WCHAR buffer[LF_FACESIZE + 1] = {};
  int n = ::GetTextFaceW(m_hAttribDC, LF_FACESIZE + 1, buffer);
  face = buffer;
  return n;
}
int CDC::GetTextFace(int count, LPTSTR face) const { return ::GetTextFaceW(m_hAttribDC, count, face); }
BOOL CDC::GetCharWidth(UINT first, UINT last, LPINT widths) const {
  return ::GetCharWidth32W(m_hAttribDC, first, last, widths);
}
BOOL CDC::GetCharABCWidths(UINT first, UINT last, LPABCFLOAT widths) const {
  return ::GetCharABCWidthsFloatW(m_hAttribDC, first, last, widths);
}
DWORD CDC::GetGlyphOutline(UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD size, LPVOID buffer,
                           const MAT2* matrix) const {
  return ::GetGlyphOutlineW(m_hAttribDC, ch, format, metrics, size, buffer, matrix);
}
