// CColorBarCtrl: registration, the strip by mode, and its marker.
#include "controls/color_bar_ctrl.h"

#include <algorithm>

namespace controls {

namespace {

// Half away from zero, as the marker has always been placed.
int RoundHalfAway(float value) { return static_cast<int>(value >= 0 ? value + 0.5f : value - 0.5f); }

}  // namespace

BOOL CColorBarCtrl::RegisterClass(HINSTANCE instance) {
  WNDCLASS wc{};
  if (!::GetClassInfoW(nullptr, u"Static", &wc)) return FALSE;
  wc.style |= CS_DBLCLKS;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
  wc.lpfnWndProc = AutoObjectProc<CColorBarCtrl>;
  wc.hInstance = instance;
  wc.lpszClassName = u"ColorBarCtrl";
  return RegisterCustomClass(wc);
}

DWORD CColorBarCtrl::ColorAt(float t) const {
  switch (m_nMode) {
    case 1: return HsvPixel(360.0f * (1.0f - t), m_fFirst, m_fSecond);
    case 2: return HsvPixel(m_fFirst, 1.0f - t, m_fSecond);
    default: return HsvPixel(m_fFirst, m_fSecond, 1.0f - t);
  }
}

// The long side runs through the component: rows of a tall strip, columns
// of a wide one.
void CColorBarCtrl::BuildPixels(DWORD* pixels, int width, int height) const {
  const bool tall = height > width;
  const int length = tall ? height : width;
  for (int i = 0; i < length; ++i) {
    const DWORD color = ColorAt(static_cast<float>(i) / static_cast<float>(length));
    if (tall) std::fill_n(pixels + static_cast<size_t>(i) * width, width, color);
    else for (int y = 0; y < height; ++y) pixels[static_cast<size_t>(y) * width + i] = color;
  }
}

void CColorBarCtrl::TakeColor(DWORD rgb, BOOL keepMarker) {
  float hue = 0, saturation = 0, value = 0;
  HsvOfColor(rgb, &hue, &saturation, &value);
  const int h = ClientSize().cy;
  int marker = m_nMarker;
  switch (m_nMode) {
    case 1:
      m_fFirst = saturation;
      m_fSecond = value;
      marker = h - static_cast<int>(static_cast<float>(h) * hue / 360.0f);
      break;
    case 2:
      m_fFirst = hue;
      m_fSecond = value;
      marker = RoundHalfAway(static_cast<float>(h) * (1.0f - saturation));
      break;
    default:
      m_fFirst = hue;
      m_fSecond = saturation;
      marker = RoundHalfAway(static_cast<float>(h) * (1.0f - value));
      break;
  }
  if (!keepMarker) m_nMarker = marker;
}

DWORD CColorBarCtrl::DragMarkerTo(CPoint point) {
  const int h = ClientSize().cy;
  m_nMarker = std::clamp(static_cast<int>(point.y), 0, h);
  return ColorAt(static_cast<float>(m_nMarker) / static_cast<float>(h));
}

void CColorBarCtrl::DrawMarker(CDC& dc, const CRect& client) const {
  CPen pen(PS_SOLID, 1, RGB(255, 255, 255));
  CPen* old = dc.SelectObject(&pen);
  const int tick = client.Width() / 3;
  dc.MoveTo(0, m_nMarker);
  dc.LineTo(tick, m_nMarker);
  dc.MoveTo(client.Width(), m_nMarker);
  dc.LineTo(client.Width() - tick, m_nMarker);
  dc.SelectObject(old);
}

}  // namespace controls
