// The framework's drawing classes: GDI object wrappers, the device context
// classes and the image list, thin layers over the platform's GDI calls.
//
// Sections: GDI objects · CDC · window DCs · CImageList
#pragma once

#include "compat/afx/object.h"
#include "compat/afx/string.h"
#include "compat/afx/types.h"
#include "compat/win32.h"

class CWnd;
class CDC;

// --- GDI objects ---

class CGdiObject : public CObject {
  DECLARE_DYNCREATE(CGdiObject)

 public:
  CGdiObject() = default;
  ~CGdiObject() override;

  HGDIOBJ m_hObject = nullptr;

  operator HGDIOBJ() const { return m_hObject; }  // NOLINT
  HGDIOBJ GetSafeHandle() const;  // null for a null object, as callers rely on
  // A wrapper for a handle the caller does not own; it stays valid while the
  // handle is, and never deletes it.
  static CGdiObject* FromHandle(HGDIOBJ h);
  BOOL Attach(HGDIOBJ h);
  HGDIOBJ Detach();
  BOOL DeleteObject();
  int GetObject(int count, LPVOID buffer) const;
  UINT GetObjectType() const;
  BOOL CreateStockObject(int index);
  BOOL UnrealizeObject();
};

class CPen : public CGdiObject {
  DECLARE_DYNAMIC(CPen)

 public:
  CPen() = default;
  CPen(int style, int width, COLORREF color);
  CPen(int style, int width, const LOGBRUSH* brush, int styleCount = 0, const DWORD* styles = nullptr);
  static CPen* FromHandle(HPEN h);
  BOOL CreatePen(int style, int width, COLORREF color);
  BOOL CreatePen(int style, int width, const LOGBRUSH* brush, int styleCount = 0,
                 const DWORD* styles = nullptr);
  BOOL CreatePenIndirect(LPLOGPEN logPen);
  int GetLogPen(LOGPEN* logPen);
  int GetExtLogPen(EXTLOGPEN* logPen);
  operator HPEN() const { return static_cast<HPEN>(m_hObject); }  // NOLINT
};

class CBitmap;

class CBrush : public CGdiObject {
  DECLARE_DYNAMIC(CBrush)

 public:
  CBrush() = default;
  explicit CBrush(COLORREF color);
  CBrush(int hatch, COLORREF color);
  explicit CBrush(CBitmap* bitmap);
  static CBrush* FromHandle(HBRUSH h);
  BOOL CreateSolidBrush(COLORREF color);
  BOOL CreateHatchBrush(int hatch, COLORREF color);
  BOOL CreatePatternBrush(CBitmap* bitmap);
  BOOL CreateBrushIndirect(const LOGBRUSH* logBrush);
  BOOL CreateSysColorBrush(int index);
  int GetLogBrush(LOGBRUSH* logBrush);
  operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }  // NOLINT
};

class CFont : public CGdiObject {
  DECLARE_DYNAMIC(CFont)

 public:
  static CFont* FromHandle(HFONT h);
  BOOL CreateFontIndirect(const LOGFONT* logFont);
  BOOL CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                  BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outPrecision,
                  BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, LPCTSTR faceName);
  // Height in tenths of a point, converted for the DC (the screen when none).
  BOOL CreatePointFont(int pointSize, LPCTSTR faceName, CDC* dc = nullptr);
  BOOL CreatePointFontIndirect(const LOGFONT* logFont, CDC* dc = nullptr);
  int GetLogFont(LOGFONT* logFont);
  operator HFONT() const { return static_cast<HFONT>(m_hObject); }  // NOLINT
};

class CBitmap : public CGdiObject {
  DECLARE_DYNAMIC(CBitmap)

 public:
  static CBitmap* FromHandle(HBITMAP h);
  BOOL LoadBitmap(UINT id);
  BOOL LoadBitmap(LPCTSTR name);
  BOOL CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
  BOOL CreateBitmapIndirect(LPBITMAP bitmap);
  BOOL CreateCompatibleBitmap(CDC* dc, int width, int height);
  BOOL CreateDiscardableBitmap(CDC* dc, int width, int height);
  int GetBitmap(BITMAP* bitmap);
  DWORD GetBitmapBits(DWORD count, LPVOID bits) const;
  DWORD SetBitmapBits(DWORD count, const void* bits);
  CSize GetBitmapDimension() const;
  operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }  // NOLINT
};

class CRgn : public CGdiObject {
  DECLARE_DYNAMIC(CRgn)

 public:
  static CRgn* FromHandle(HRGN h);
  BOOL CreateRectRgn(int x1, int y1, int x2, int y2);
  BOOL CreateRectRgnIndirect(LPCRECT rect);
  BOOL CreateEllipticRgn(int x1, int y1, int x2, int y2);
  BOOL CreateEllipticRgnIndirect(LPCRECT rect);
  BOOL CreatePolygonRgn(LPPOINT points, int count, int mode);
  BOOL CreatePolyPolygonRgn(LPPOINT points, LPINT counts, int polygons, int mode);
  BOOL CreateRoundRectRgn(int x1, int y1, int x2, int y2, int x3, int y3);
  int CombineRgn(const CRgn* a, const CRgn* b, int mode);
  int CopyRgn(const CRgn* source);
  BOOL EqualRgn(const CRgn* other) const;
  int OffsetRgn(int x, int y);
  int OffsetRgn(POINT point);
  int GetRgnBox(LPRECT rect) const;
  BOOL PtInRegion(int x, int y) const;
  BOOL PtInRegion(POINT point) const;
  BOOL RectInRegion(LPCRECT rect) const;
  void SetRectRgn(int x1, int y1, int x2, int y2);
  void SetRectRgn(LPCRECT rect);
  operator HRGN() const { return static_cast<HRGN>(m_hObject); }  // NOLINT
};

class CPalette : public CGdiObject {
  DECLARE_DYNAMIC(CPalette)

 public:
  static CPalette* FromHandle(HPALETTE h);
  BOOL CreatePalette(LPLOGPALETTE logPalette);
  BOOL CreateHalftonePalette(CDC* dc);
  int GetEntryCount();
  UINT GetPaletteEntries(UINT start, UINT count, LPPALETTEENTRY entries) const;
  operator HPALETTE() const { return static_cast<HPALETTE>(m_hObject); }  // NOLINT
};

// --- CDC ---

class CDC : public CObject {
  DECLARE_DYNCREATE(CDC)

 public:
  CDC() = default;
  ~CDC() override;

  HDC m_hDC = nullptr;
  HDC m_hAttribDC = nullptr;

  operator HDC() const { return m_hDC; }  // NOLINT
  HDC GetSafeHdc() const;  // null for a null object, as callers rely on
  static CDC* FromHandle(HDC h);
  BOOL Attach(HDC h);
  HDC Detach();
  BOOL CreateCompatibleDC(CDC* dc);
  BOOL CreateDC(LPCTSTR driver, LPCTSTR device, LPCTSTR output, const void* init);
  BOOL DeleteDC();
  CWnd* GetWindow() const;

  // State
  int SaveDC();
  BOOL RestoreDC(int savedDC);
  int GetDeviceCaps(int index) const;
  CGdiObject* SelectStockObject(int index);
  CPen* SelectObject(CPen* pen);
  CBrush* SelectObject(CBrush* brush);
  CFont* SelectObject(CFont* font);
  CBitmap* SelectObject(CBitmap* bitmap);
  CGdiObject* SelectObject(CGdiObject* object);
  HGDIOBJ SelectObject(HGDIOBJ object);
  int SelectObject(CRgn* region);
  CPalette* SelectPalette(CPalette* palette, BOOL forceBackground);
  UINT RealizePalette();
  CPen* GetCurrentPen() const;
  CBrush* GetCurrentBrush() const;
  CFont* GetCurrentFont() const;
  CBitmap* GetCurrentBitmap() const;
  COLORREF GetNearestColor(COLORREF color) const;
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  int SetBkMode(int mode);
  int GetBkMode() const;
  COLORREF SetTextColor(COLORREF color);
  COLORREF GetTextColor() const;
  int SetROP2(int mode);
  int GetROP2() const;
  int SetPolyFillMode(int mode);
  int SetStretchBltMode(int mode);
  UINT SetTextAlign(UINT flags);
  int SetTextCharacterExtra(int extra);
  COLORREF SetDCBrushColor(COLORREF color);
  COLORREF SetDCPenColor(COLORREF color);
  CPoint SetBrushOrg(int x, int y);
  CPoint SetBrushOrg(POINT point);

  // Coordinates
  int SetMapMode(int mode);
  int GetMapMode() const;
  CPoint SetWindowOrg(int x, int y);
  CPoint SetWindowOrg(POINT point);
  CPoint GetWindowOrg() const;
  CPoint SetViewportOrg(int x, int y);
  CPoint SetViewportOrg(POINT point);
  CPoint GetViewportOrg() const;
  CPoint OffsetViewportOrg(int x, int y);
  CPoint OffsetWindowOrg(int x, int y);
  CSize SetWindowExt(int x, int y);
  CSize SetWindowExt(SIZE size);
  CSize GetWindowExt() const;
  CSize SetViewportExt(int x, int y);
  CSize SetViewportExt(SIZE size);
  CSize GetViewportExt() const;
  void LPtoDP(LPPOINT points, int count = 1) const;
  void LPtoDP(LPRECT rect) const;
  void LPtoDP(LPSIZE size) const;
  void DPtoLP(LPPOINT points, int count = 1) const;
  void DPtoLP(LPRECT rect) const;
  void DPtoLP(LPSIZE size) const;

  // Clipping
  int SelectClipRgn(CRgn* region);
  int SelectClipRgn(CRgn* region, int mode);
  int IntersectClipRect(int x1, int y1, int x2, int y2);
  int IntersectClipRect(LPCRECT rect);
  int ExcludeClipRect(int x1, int y1, int x2, int y2);
  int ExcludeClipRect(LPCRECT rect);
  int OffsetClipRgn(int x, int y);
  int GetClipBox(LPRECT rect) const;
  BOOL PtVisible(int x, int y) const;
  BOOL PtVisible(POINT point) const;
  BOOL RectVisible(LPCRECT rect) const;

  // Lines and shapes
  CPoint MoveTo(int x, int y);
  CPoint MoveTo(POINT point);
  BOOL LineTo(int x, int y);
  BOOL LineTo(POINT point);
  CPoint GetCurrentPosition() const;
  BOOL Polyline(const POINT* points, int count);
  BOOL PolyPolyline(const POINT* points, const DWORD* counts, int polylines);
  BOOL PolyBezier(const POINT* points, int count);
  BOOL PolyBezierTo(const POINT* points, int count);
  BOOL Polygon(const POINT* points, int count);
  BOOL PolyPolygon(const POINT* points, const INT* counts, int polygons);
  BOOL Rectangle(int x1, int y1, int x2, int y2);
  BOOL Rectangle(LPCRECT rect);
  BOOL RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
  BOOL RoundRect(LPCRECT rect, POINT corner);
  BOOL Ellipse(int x1, int y1, int x2, int y2);
  BOOL Ellipse(LPCRECT rect);
  BOOL Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  BOOL Arc(LPCRECT rect, POINT start, POINT end);
  BOOL Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  BOOL Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  COLORREF SetPixel(int x, int y, COLORREF color);
  COLORREF SetPixel(POINT point, COLORREF color);
  BOOL SetPixelV(int x, int y, COLORREF color);
  COLORREF GetPixel(int x, int y) const;
  COLORREF GetPixel(POINT point) const;

  // Fills and frames
  void FillRect(LPCRECT rect, CBrush* brush);
  void FillSolidRect(LPCRECT rect, COLORREF color);
  void FillSolidRect(int x, int y, int cx, int cy, COLORREF color);
  void FrameRect(LPCRECT rect, CBrush* brush);
  void InvertRect(LPCRECT rect);
  void Draw3dRect(LPCRECT rect, COLORREF topLeft, COLORREF bottomRight);
  void Draw3dRect(int x, int y, int cx, int cy, COLORREF topLeft, COLORREF bottomRight);
  BOOL DrawEdge(LPRECT rect, UINT edge, UINT flags);
  void DrawFocusRect(LPCRECT rect);
  BOOL DrawFrameControl(LPRECT rect, UINT type, UINT state);
  // The 50% grey pattern brush of tracking frames, made once for the process.
  static CBrush* PASCAL GetHalftoneBrush();
  // Inverts a frame `size` thick inside `rect` with the brush, taking away the
  // previous frame (`last`, `sizeLast`) in the same call, so that frames move
  // without flicker and drawing the last one again erases it.
  void DrawDragRect(LPCRECT rect, SIZE size, LPCRECT last, SIZE sizeLast, CBrush* brush = nullptr,
                    CBrush* brushLast = nullptr);
  BOOL FillRgn(CRgn* region, CBrush* brush);
  BOOL FrameRgn(CRgn* region, CBrush* brush, int width, int height);
  BOOL InvertRgn(CRgn* region);
  BOOL PaintRgn(CRgn* region);

  // Blits
  BOOL PatBlt(int x, int y, int width, int height, DWORD rop);
  BOOL BitBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc, DWORD rop);
  BOOL StretchBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, DWORD rop);
  BOOL MaskBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
               CBitmap& mask, int xMask, int yMask, DWORD rop);
  BOOL TransparentBlt(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                      int srcWidth, int srcHeight, UINT transparent);
  BOOL AlphaBlend(int x, int y, int width, int height, CDC* source, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, BLENDFUNCTION blend);

  // Text
  BOOL TextOut(int x, int y, LPCTSTR text, int count);
  BOOL TextOut(int x, int y, const CString& text);
  BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, LPCTSTR text, UINT count, LPINT dx);
  BOOL ExtTextOut(int x, int y, UINT options, LPCRECT rect, const CString& text, LPINT dx);
  int DrawText(LPCTSTR text, int count, LPRECT rect, UINT format);
  int DrawText(const CString& text, LPRECT rect, UINT format);
  CSize GetTextExtent(LPCTSTR text, int count) const;
  CSize GetTextExtent(const CString& text) const;
  CSize GetOutputTextExtent(LPCTSTR text, int count) const;
  CSize GetOutputTextExtent(const CString& text) const;
  BOOL GetTextMetrics(LPTEXTMETRIC metrics) const;
  BOOL GetOutputTextMetrics(LPTEXTMETRIC metrics) const;
  int GetTextFace(CString& face) const;
  int GetTextFace(int count, LPTSTR face) const;
  BOOL GetCharWidth(UINT first, UINT last, LPINT widths) const;
  BOOL GetCharABCWidths(UINT first, UINT last, LPABCFLOAT widths) const;
  DWORD GetGlyphOutline(UINT ch, UINT format, LPGLYPHMETRICS metrics, DWORD size, LPVOID buffer,
                        const MAT2* matrix) const;
};

// --- window DCs: defined with the window classes ---

class CPaintDC : public CDC {
  DECLARE_DYNAMIC(CPaintDC)

 public:
  explicit CPaintDC(CWnd* wnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps{};

 protected:
  HWND m_hWnd = nullptr;
};

class CClientDC : public CDC {
  DECLARE_DYNAMIC(CClientDC)

 public:
  explicit CClientDC(CWnd* wnd);
  ~CClientDC() override;

 protected:
  HWND m_hWnd = nullptr;
};

class CWindowDC : public CDC {
  DECLARE_DYNAMIC(CWindowDC)

 public:
  explicit CWindowDC(CWnd* wnd);
  ~CWindowDC() override;

 protected:
  HWND m_hWnd = nullptr;
};

// --- CImageList ---

class CImageList : public CObject {
  DECLARE_DYNCREATE(CImageList)

 public:
  CImageList() = default;
  ~CImageList() override;

  HIMAGELIST m_hImageList = nullptr;

  operator HIMAGELIST() const { return m_hImageList; }  // NOLINT
  HIMAGELIST GetSafeHandle() const;  // null for a null object, as callers rely on
  static CImageList* FromHandle(HIMAGELIST h);
  BOOL Create(int cx, int cy, UINT flags, int initial, int grow);
  BOOL Create(CImageList* source);
  BOOL Create(UINT bitmapId, int cx, int grow, COLORREF mask);
  BOOL Create(LPCTSTR bitmapName, int cx, int grow, COLORREF mask);
  BOOL Attach(HIMAGELIST h);
  HIMAGELIST Detach();
  BOOL DeleteImageList();

  int GetImageCount() const;
  BOOL SetImageCount(UINT count);
  int Add(CBitmap* image, CBitmap* mask);
  int Add(CBitmap* image, COLORREF maskColor);
  BOOL Remove(int index);
  BOOL Replace(int index, CBitmap* image, CBitmap* mask);
  COLORREF SetBkColor(COLORREF color);
  COLORREF GetBkColor() const;
  BOOL GetImageInfo(int index, IMAGEINFO* info) const;
  BOOL Draw(CDC* dc, int index, POINT point, UINT style);
  BOOL DrawIndirect(IMAGELISTDRAWPARAMS* params);
  BOOL DrawIndirect(CDC* dc, int index, POINT point, SIZE size, POINT origin,
                    UINT style = ILD_NORMAL, DWORD rop = SRCCOPY, COLORREF background = CLR_DEFAULT,
                    COLORREF foreground = CLR_DEFAULT, DWORD state = ILS_NORMAL);
  BOOL Copy(int destination, int source, UINT flags = 0);

  BOOL BeginDrag(int image, CPoint hotSpot);
  static void PASCAL EndDrag();
  static BOOL PASCAL DragMove(CPoint point);
  static BOOL PASCAL DragEnter(CWnd* lock, CPoint point);
  static BOOL PASCAL DragLeave(CWnd* lock);
  static BOOL PASCAL DragShowNolock(BOOL show);
};
