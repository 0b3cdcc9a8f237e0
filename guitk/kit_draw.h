// The toolkit's drawing helpers: the gradient drawer, plain vertical
// gradients, the menus' check mark, the docking bars' caption buttons and the
// glyph store of the menu bar, tabs and history combo.
#pragma once

#include "compat/afx.h"

// Draws 256 bands between two colours into a memory DC of its own size, to be
// copied onto a target; the colour sets follow the style word, the theme flag
// and the scheme.
class CKitGradient {
 public:
  CKitGradient(int width, int height) : m_width(width), m_height(height) {}
  virtual ~CKitGradient();
  CKitGradient(const CKitGradient&) = delete;
  CKitGradient& operator=(const CKitGradient&) = delete;

  virtual void DrawVertical(CDC* pDC, int r1, int g1, int b1, int r2, int g2, int b2);
  virtual void DrawCaptionGradient(CDC* pDC, int style, COLORREF color);
  virtual void DrawReverseHorizontal(CDC* pDC, int style, COLORREF color);
  virtual void DrawHorizontal(CDC* pDC, int style, COLORREF color);
  // The same bands across the width, left to right.
  void DrawAcross(CDC* pDC, int r1, int g1, int b1, int r2, int g2, int b2);
  // The active caption (warm yellows under a theme) and the light band.
  void DrawActiveCaption(CDC* pDC, int style, bool vertical);
  void DrawLightBand(CDC* pDC, int style, COLORREF color);
  // Copies the drawn bands onto a target.
  void CopyTo(CDC* pDC, int x, int y, int width, int height, int xSrc, int ySrc, DWORD rop = SRCCOPY);

  CDC* GetMemoryDC() { return m_memory; }

 private:
  void Draw(CDC* pDC, COLORREF from, COLORREF to, bool vertical);
  void Discard();

  CDC* m_memory = nullptr;
  HBITMAP m_bitmap = nullptr;
  HGDIOBJ m_oldBitmap = nullptr;
  int m_width;
  int m_height;
};

// A vertical gradient of 256 bands straight onto a target rectangle.
void KitFillVerticalGradient(CDC* pDC, const RECT& rect, COLORREF top, COLORREF bottom);
void KitFillHorizontalGradient(CDC* pDC, const RECT& rect, COLORREF left, COLORREF right);

// The check mark of the owner-drawn menus, in the theme base colour.
void KitDrawCheckMark(CDC* pDC, const RECT& rect);

// A small button drawn in a docking bar's caption ("Close", "Auto Hide").
class CKitCaptionButton {
 public:
  CKitCaptionButton() = default;
  CKitCaptionButton(const CKitCaptionButton&) = delete;
  CKitCaptionButton& operator=(const CKitCaptionButton&) = delete;

  enum { Normal = 0, Hot = 1, Pressed = 2 };
  static constexpr int kNoFill = 5;

  void SetData(int imageIndex, LPCTSTR tipText);
  BOOL SetImageList(UINT bitmapId, int cx, int grow, COLORREF maskColor);
  void Paint(CDC* pDC, int state, const RECT& rect, int fillMode, BOOL white, COLORREF fill);

  int m_nImage = 0;
  CString m_strTip;
  CImageList m_images;
  BOOL m_bFlat = FALSE;
  BOOL m_bEnabled = TRUE;
  CToolTipCtrl* m_pToolTip = nullptr;
};

// The menu bar's, tabs' and history combo's glyphs: bitmap 2004 cut into
// 9-pixel images on magenta, the thumb width and the caption glyphs' size.
struct KitGlyphStore {
  CImageList images;
  int thumbWidth = 0;
  int captionGlyphWidth = 0;
  int captionGlyphHeight = 0;
};
KitGlyphStore& GetKitGlyphStore();
