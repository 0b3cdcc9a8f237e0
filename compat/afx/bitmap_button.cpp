// CBitmapButton: an owner-drawn button that shows its normal, pressed,
// focused or disabled bitmap.
#include "compat/afx/controls.h"

namespace {

BOOL LoadOptional(CBitmap& bitmap, LPCTSTR name) {
  bitmap.DeleteObject();
  return name ? bitmap.LoadBitmap(name) : TRUE;
}

}  // namespace

BOOL CBitmapButton::LoadBitmaps(LPCTSTR lpszBitmapResource, LPCTSTR lpszBitmapResourceSel,
                                LPCTSTR lpszBitmapResourceFocus, LPCTSTR lpszBitmapResourceDisabled) {
  m_bitmap.DeleteObject();
  if (!lpszBitmapResource || !m_bitmap.LoadBitmap(lpszBitmapResource)) return FALSE;
  BOOL all = LoadOptional(m_bitmapSel, lpszBitmapResourceSel);
  all &= LoadOptional(m_bitmapFocus, lpszBitmapResourceFocus);
  all &= LoadOptional(m_bitmapDisabled, lpszBitmapResourceDisabled);
  return all;
}

BOOL CBitmapButton::LoadBitmaps(UINT nIDBitmapResource, UINT nIDBitmapResourceSel, UINT nIDBitmapResourceFocus,
                                UINT nIDBitmapResourceDisabled) {
  auto name = [](UINT id) { return id ? MAKEINTRESOURCEW(id) : nullptr; };
  return LoadBitmaps(name(nIDBitmapResource), name(nIDBitmapResourceSel), name(nIDBitmapResourceFocus),
                     name(nIDBitmapResourceDisabled));
}

void CBitmapButton::SizeToContent() {
  BITMAP info{};
  if (!m_bitmap.m_hObject || !m_bitmap.GetBitmap(&info)) return;
  ::SetWindowPos(m_hWnd, nullptr, 0, 0, info.bmWidth, info.bmHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The pressed bitmap wins over the focused one, and the disabled one over all;
// a missing bitmap falls back to the normal one.
void CBitmapButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  if (!lpDrawItemStruct) return;
  const UINT state = lpDrawItemStruct->itemState;
  CBitmap* bitmap = &m_bitmap;
  if ((state & ODS_SELECTED) && m_bitmapSel.m_hObject) bitmap = &m_bitmapSel;
  else if ((state & ODS_FOCUS) && m_bitmapFocus.m_hObject) bitmap = &m_bitmapFocus;
  if ((state & ODS_DISABLED) && m_bitmapDisabled.m_hObject) bitmap = &m_bitmapDisabled;
  if (!bitmap->m_hObject) return;
  HDC source = ::CreateCompatibleDC(lpDrawItemStruct->hDC);
  HGDIOBJ old = ::SelectObject(source, bitmap->m_hObject);
  const RECT& r = lpDrawItemStruct->rcItem;
  ::BitBlt(lpDrawItemStruct->hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
}
