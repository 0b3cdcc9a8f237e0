// CGdiObject and its kinds: pens, brushes, fonts, bitmaps, regions, palettes.
#include <cstdlib>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "compat/afx/gdi.h"
#include "compat/afx/temporary_map.h"

IMPLEMENT_DYNCREATE(CGdiObject, CObject)
IMPLEMENT_DYNAMIC(CPen, CGdiObject)
IMPLEMENT_DYNAMIC(CBrush, CGdiObject)
IMPLEMENT_DYNAMIC(CFont, CGdiObject)
IMPLEMENT_DYNAMIC(CBitmap, CGdiObject)
IMPLEMENT_DYNAMIC(CRgn, CGdiObject)
IMPLEMENT_DYNAMIC(CPalette, CGdiObject)

namespace {

__attribute__((noinline)) HGDIOBJ HandleOf(const CGdiObject* object) {
  return object ? object->m_hObject : nullptr;
}

// Temporary wrappers never own their handle.
template <class T>
T* Wrap(HGDIOBJ h) {
  return compat::afx::TemporaryFor<T>(h, [](T* t, HGDIOBJ handle) { t->m_hObject = handle; },
                                      [](T* t) { t->m_hObject = nullptr; });
}

}  // namespace

// --- CGdiObject ---

CGdiObject::~CGdiObject() { DeleteObject(); }

HGDIOBJ CGdiObject::GetSafeHandle() const { return HandleOf(this); }

CGdiObject* CGdiObject::FromHandle(HGDIOBJ h) { return Wrap<CGdiObject>(h); }

BOOL CGdiObject::Attach(HGDIOBJ h) {
  if (!h || m_hObject) return FALSE;
  m_hObject = h;
  return TRUE;
}

HGDIOBJ CGdiObject::Detach() {
  HGDIOBJ h = m_hObject;
  m_hObject = nullptr;
  return h;
}

BOOL CGdiObject::DeleteObject() {
  if (!m_hObject) return FALSE;
  return ::DeleteObject(Detach());
}

int CGdiObject::GetObject(int count, LPVOID buffer) const { return ::GetObjectW(m_hObject, count, buffer); }

UINT CGdiObject::GetObjectType() const { return ::GetObjectType(m_hObject); }

BOOL CGdiObject::CreateStockObject(int index) { return Attach(::GetStockObject(index)); }

BOOL CGdiObject::UnrealizeObject() { return ::UnrealizeObject(m_hObject); }

// --- CPen ---

CPen::CPen(int style, int width, COLORREF color) { CreatePen(style, width, color); }

CPen::CPen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) {
  CreatePen(style, width, brush, styleCount, styles);
}

CPen* CPen::FromHandle(HPEN h) { return Wrap<CPen>(h); }

BOOL CPen::CreatePen(int style, int width, COLORREF color) { return Attach(::CreatePen(style, width, color)); }

BOOL CPen::CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount, const DWORD* styles) {
  if (width < 0 || styleCount < 0) return FALSE;
  return Attach(::ExtCreatePen(static_cast<DWORD>(style), static_cast<DWORD>(width), brush,
                               static_cast<DWORD>(styleCount), styles));
}

BOOL CPen::CreatePenIndirect(LPLOGPEN logPen) { return Attach(::CreatePenIndirect(logPen)); }

int CPen::GetLogPen(LOGPEN* logPen) { return ::GetObjectW(m_hObject, sizeof(LOGPEN), logPen); }

int CPen::GetExtLogPen(EXTLOGPEN* logPen) { return ::GetObjectW(m_hObject, sizeof(EXTLOGPEN), logPen); }

// --- CBrush ---

CBrush::CBrush(COLORREF color) { CreateSolidBrush(color); }

CBrush::CBrush(int hatch, COLORREF color) { CreateHatchBrush(hatch, color); }

CBrush::CBrush(CBitmap* bitmap) { CreatePatternBrush(bitmap); }

CBrush* CBrush::FromHandle(HBRUSH h) { return Wrap<CBrush>(h); }

BOOL CBrush::CreateSolidBrush(COLORREF color) { return Attach(::CreateSolidBrush(color)); }

BOOL CBrush::CreateHatchBrush(int hatch, COLORREF color) { return Attach(::CreateHatchBrush(hatch, color)); }

BOOL CBrush::CreatePatternBrush(CBitmap* bitmap) {
  return bitmap && Attach(::CreatePatternBrush(static_cast<HBITMAP>(bitmap->GetSafeHandle())));
}

BOOL CBrush::CreateBrushIndirect(const LOGBRUSH* logBrush) { return Attach(::CreateBrushIndirect(logBrush)); }

BOOL CBrush::CreateSysColorBrush(int index) { return Attach(::CreateSolidBrush(::GetSysColor(index))); }

int CBrush::GetLogBrush(LOGBRUSH* logBrush) { return ::GetObjectW(m_hObject, sizeof(LOGBRUSH), logBrush); }

// --- CFont ---

CFont* CFont::FromHandle(HFONT h) { return Wrap<CFont>(h); }

BOOL CFont::CreateFontIndirect(const LOGFONT* logFont) { return Attach(::CreateFontIndirectW(logFont)); }

BOOL CFont::CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                       BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                       BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName) {
  return Attach(::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                              strikeOut, charSet, outPrecision, clipPrecision, quality,
                              pitchAndFamily, faceName));
}

BOOL CFont::CreatePointFont(int pointSize, LPCTSTR faceName, CDC* dc) {
  LOGFONT lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfHeight = pointSize;
  for (int i = 0; faceName && faceName[i] && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = faceName[i];
  return CreatePointFontIndirect(&lf, dc);
}

BOOL CFont::CreatePointFontIndirect(const LOGFONT* logFont, CDC* dc) {
  if (!logFont) return FALSE;
  HDC hdc = dc ? dc->m_hAttribDC ? dc->m_hAttribDC : dc->m_hDC : ::CreateCompatibleDC(nullptr);
  // Tenths of a point to device pixels, then to the DC's logical units.
  LOGFONT lf = *logFont;
  POINT pt{0, ::GetDeviceCaps(hdc, LOGPIXELSY) * lf.lfHeight / 720};
  POINT origin{0, 0};
  ::DPtoLP(hdc, &pt, 1);
  ::DPtoLP(hdc, &origin, 1);
  lf.lfHeight = -std::abs(static_cast<int>(pt.y - origin.y));
  if (!dc) ::DeleteDC(hdc);
  return CreateFontIndirect(&lf);
}

int CFont::GetLogFont(LOGFONT* logFont) { return ::GetObjectW(m_hObject, sizeof(LOGFONT), logFont); }

// --- CBitmap ---

CBitmap* CBitmap::FromHandle(HBITMAP h) { return Wrap<CBitmap>(h); }

BOOL CBitmap::LoadBitmap(UINT id) { return Attach(::LoadBitmapW(nullptr, MAKEINTRESOURCEW(id))); }

BOOL CBitmap::LoadBitmap(LPCTSTR name) { return Attach(::LoadBitmapW(nullptr, name)); }

BOOL CBitmap::CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits) {
  return Attach(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

BOOL CBitmap::CreateBitmapIndirect(LPBITMAP bitmap) { return Attach(::CreateBitmapIndirect(bitmap)); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* dc, int width, int height) {
  return dc && Attach(::CreateCompatibleBitmap(dc->m_hDC, width, height));
}

BOOL CBitmap::CreateDiscardableBitmap(CDC* dc, int width, int height) {
  return CreateCompatibleBitmap(dc, width, height);
}

int CBitmap::GetBitmap(BITMAP* bitmap) { return ::GetObjectW(m_hObject, sizeof(BITMAP), bitmap); }

DWORD CBitmap::GetBitmapBits(DWORD count, LPVOID bits) const {
  if (count > 0x7FFFFFFF) return 0;
  return static_cast<DWORD>(::GetBitmapBits(static_cast<HBITMAP>(m_hObject), static_cast<LONG>(count), bits));
}

DWORD CBitmap::SetBitmapBits(DWORD count, const void* bits) {
  return static_cast<DWORD>(::SetBitmapBits(static_cast<HBITMAP>(m_hObject), count, bits));
}

CSize CBitmap::GetBitmapDimension() const {
  SIZE s{0, 0};
  ::GetBitmapDimensionEx(static_cast<HBITMAP>(m_hObject), &s);
  return CSize(s);
}

// --- CRgn ---

CRgn* CRgn::FromHandle(HRGN h) { return Wrap<CRgn>(h); }

BOOL CRgn::CreateRectRgn(int x1, int y1, int x2, int y2) { return Attach(::CreateRectRgn(x1, y1, x2, y2)); }

BOOL CRgn::CreateRectRgnIndirect(LPCRECT rect) { return Attach(::CreateRectRgnIndirect(rect)); }

BOOL CRgn::CreateEllipticRgn(int x1, int y1, int x2, int y2) {
  return Attach(::CreateEllipticRgn(x1, y1, x2, y2));
}

BOOL CRgn::CreateEllipticRgnIndirect(LPCRECT rect) { return Attach(::CreateEllipticRgnIndirect(rect)); }

BOOL CRgn::CreatePolygonRgn(LPPOINT points, int count, int mode) {
  return Attach(::CreatePolygonRgn(points, count, mode));
}

BOOL CRgn::CreatePolyPolygonRgn(LPPOINT points, LPINT counts, int polygons, int mode) {
  return Attach(::CreatePolyPolygonRgn(points, counts, polygons, mode));
}

BOOL CRgn::CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3) {
  return Attach(::CreateRoundRectRgn(x1, y1, x2, y2, x3, y3));
}

int CRgn::CombineRgn(const CRgn* a, const CRgn* b, int mode) {
  return ::CombineRgn(*this, a ? static_cast<HRGN>(a->m_hObject) : nullptr,
                      b ? static_cast<HRGN>(b->m_hObject) : nullptr, mode);
}

int CRgn::CopyRgn(const CRgn* source) {
  return ::CombineRgn(*this, source ? static_cast<HRGN>(source->m_hObject) : nullptr, nullptr, RGN_COPY);
}

BOOL CRgn::EqualRgn(const CRgn* other) const {
  return other && ::EqualRgn(*this, static_cast<HRGN>(other->m_hObject));
}

int CRgn::OffsetRgn(int x, int y) { return ::OffsetRgn(*this, x, y); }
int CRgn::OffsetRgn(POINT point) { return ::OffsetRgn(*this, point.x, point.y); }
int CRgn::GetRgnBox(LPRECT rect) const { return ::GetRgnBox(*this, rect); }
BOOL CRgn::PtInRegion(int x, int y) const { return ::PtInRegion(*this, x, y); }
BOOL CRgn::PtInRegion(POINT point) const { return ::PtInRegion(*this, point.x, point.y); }
BOOL CRgn::RectInRegion(LPCRECT rect) const { return ::RectInRegion(*this, rect); }
void CRgn::SetRectRgn(int x1, int y1, int x2, int y2) { ::SetRectRgn(*this, x1, y1, x2, y2); }
void CRgn::SetRectRgn(LPCRECT rect) {
  if (rect) ::SetRectRgn(*this, rect->left, rect->top, rect->right, rect->bottom);
}

// --- CPalette ---

CPalette* CPalette::FromHandle(HPALETTE h) { return Wrap<CPalette>(h); }

BOOL CPalette::CreatePalette(LPLOGPALETTE logPalette) { return Attach(::CreatePalette(logPalette)); }

BOOL CPalette::CreateHalftonePalette(CDC* dc) {
  return Attach(::CreateHalftonePalette(dc ? dc->m_hDC : nullptr));
}

int CPalette::GetEntryCount() {
  WORD count = 0;
  ::GetObjectW(m_hObject, sizeof(count), &count);
  return count;
}

UINT CPalette::GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const {
  return ::GetPaletteEntries(*this, start, count, entries);
}
