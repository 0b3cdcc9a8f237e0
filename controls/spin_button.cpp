// CSpinButton: glyphs, the classic frame, and the pressed/released reports.
#include "controls/spin_button.h"

#include "controls/custom_class.h"
#include "controls/dialog_color.h"
#include "controls/custom_notify.h"

namespace controls {

namespace {

const COLORREF kGlyphColor = RGB(0x60, 0x60, 0x60);

void Glyph(CDC& dc, POINT a, POINT b, POINT c) { FillTriangle(dc, {a, b, c}, kGlyphColor); }

}  // namespace

void CSpinButton::DropDownGlyph(CDC& dc, const CRect& r) {
  const int w = r.Width();
  const int mid = r.top + r.Height() / 2;
  Glyph(dc, POINT{r.left + 3 * w / 4 - 1, mid}, POINT{r.left + w / 4, mid - (w / 2 - 1)},
               POINT{r.left + w / 4, mid + (w / 2 - 1)});
}

void CSpinButton::UpGlyph(CDC& dc, const CRect& r) {
  const int w = r.Width();
  const int h = r.Height();
  Glyph(dc, POINT{r.left + w / 2, r.top + h / 4}, POINT{r.left + w / 2 - h / 2, r.top + 3 * h / 4},
               POINT{r.left + w / 2 + h / 2, r.top + 3 * h / 4});
}

void CSpinButton::DownGlyph(CDC& dc, const CRect& r) {
  const int w = r.Width();
  const int h = r.Height();
  Glyph(dc, POINT{r.left + w / 2, r.bottom - h / 4}, POINT{r.left + w / 2 - h / 2, r.bottom - 3 * h / 4},
               POINT{r.left + w / 2 + h / 2, r.bottom - 3 * h / 4});
}

void CSpinButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  const bool pressed = (lpDrawItemStruct->itemState & ODS_SELECTED) != 0;
  CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
  CRect r(lpDrawItemStruct->rcItem);
  dc->FillSolidRect(&r, GetDialogColor());
  const COLORREF white = RGB(255, 255, 255);
  const COLORREF black = RGB(0, 0, 0);
  dc->Draw3dRect(&r, pressed ? black : white, pressed ? white : black);
  if (!pressed) {
    CRect inner = r;
    inner.DeflateRect(1, 1);
    const bool sunken = m_bLatched && !m_bNoLatch;
    dc->DrawEdge(&inner, sunken ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    if (m_pfnGlyph) m_pfnGlyph(*dc, r);
  }
  if (lpDrawItemStruct->itemAction & ODA_FOCUS) {
    CRect focus = r;
    focus.DeflateRect(10, 10);
    if (focus.Width() > 0 && focus.Height() > 0) dc->DrawFocusRect(&focus);
  }
  if (pressed == m_bDrawnPressed) return;
  m_bDrawnPressed = pressed;
  NMHDR header{};
  header.hwndFrom = m_hWnd;
  header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
  header.code = pressed ? kNotifySpinPressed : kNotifySpinReleased;
  ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

}  // namespace controls
