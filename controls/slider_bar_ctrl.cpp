// "CSliderBarCtrl": registration, the channel's track, and taking a colour.
#include "controls/slider_bar_ctrl.h"

#include "res/resource.h"

namespace controls {

BOOL CSliderBarCtrl::RegisterClass(HINSTANCE instance) {
  return RegisterSliderClass(instance, u"CSliderBarCtrl", AutoObjectProc<CSliderBarCtrl>);
}

int CSliderBarCtrl::ChannelCode() const {
  const DWORD style = GetStyle();
  if (style & SBS_RED) return 1;
  if (style & SBS_GREEN) return 2;
  if (style & SBS_BLUE) return 3;
  return 0;
}

// Code 30 carries a colour as 0xAARRGGBB; the slider takes its channel's byte.
BOOL CSliderBarCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* record = reinterpret_cast<const NMSETCOLOR*>(lParam);
  if (!record || record->hdr.code != kNotifySetColor) return CSliderBase::OnNotify(wParam, lParam, pResult);
  static const int kShift[] = {24, 16, 8, 0};
  SetPosition(static_cast<int>((record->color >> kShift[ChannelCode()]) & 0xFF));
  Invalidate(FALSE);
  return TRUE;
}

void CSliderBarCtrl::PaintInto(CDC& dc, const RECT& client) {
  dc.FillSolidRect(&client, RGB(0xC0, 0xC0, 0xC0));
  const CRect thumb = ThumbRect();
  FillTriangle(dc, {{thumb.left, thumb.top}, {thumb.right, thumb.top}, {m_nThumbX, thumb.bottom}}, m_crThumb);
  const CRect track(m_nLeftLimit, client.top + m_nThumbHeight + 1, m_nRightLimit, client.bottom);
  if (track.Width() <= 0 || track.Height() <= 0) return;
  static const COLORREF kChannelColor[] = {0, RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)};
  const int channel = ChannelCode();
  if (channel != 0) {
    dc.FillSolidRect(&track, kChannelColor[channel]);
    return;
  }
  HBITMAP alpha = ::LoadBitmapW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ALPHA_TRACK));
  if (!alpha) return;
  BITMAP info{};
  ::GetObjectW(alpha, sizeof(info), &info);
  HDC source = ::CreateCompatibleDC(dc.m_hDC);
  HGDIOBJ old = ::SelectObject(source, alpha);
  ::StretchBlt(dc.m_hDC, track.left, track.top, track.Width(), track.Height(), source, 0, 0, info.bmWidth,
               info.bmHeight, SRCCOPY);
  ::SelectObject(source, old);
  ::DeleteDC(source);
  ::DeleteObject(alpha);
}

}  // namespace controls
