// CColorPalCtrl: registration, the field by mode, its ring and the mode menu.
#include "controls/color_pal_ctrl.h"

#include <algorithm>

#include "res/resource.h"

namespace controls {

BEGIN_MESSAGE_MAP(CColorPalCtrl, CHsvField)
ON_WM_LBUTTONDOWN()
ON_WM_RBUTTONDOWN()
END_MESSAGE_MAP()

namespace {

const char16_t kClassName[] = u"ColorPalCtrl";
// The menu's commands by mode.
const UINT kModeCommands[] = {ID_CURVE_HUE_SATURATION, ID_CURVE_SATURATION_VALUE, ID_CURVE_HUE_VALUE};
constexpr int kRingBefore = 7;
constexpr int kRingAfter = 5;

}  // namespace

CColorPalCtrl::CColorPalCtrl() = default;

BOOL CColorPalCtrl::RegisterClass(HINSTANCE instance) {
  WNDCLASS wc{};
  wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = AutoObjectProc<CColorPalCtrl>;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_CROSS);
  wc.lpszClassName = kClassName;
  return RegisterCustomClass(wc);
}

BOOL CColorPalCtrl::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_VREDRAW | CS_HREDRAW);
  return CHsvField::PreCreateWindow(cs);
}

DWORD CColorPalCtrl::ColorAt(float across, float down) const {
  switch (m_nMode) {
    case 1: return HsvPixel(m_fFixed, across, 1.0f - down);
    case 2: return HsvPixel(360.0f * across, m_fFixed, 1.0f - down);
    default: return HsvPixel(360.0f * across, 1.0f - down, m_fFixed);
  }
}

void CColorPalCtrl::BuildPixels(DWORD* pixels, int width, int height) const {
  for (int y = 0; y < height; ++y) {
    const float down = static_cast<float>(y) / static_cast<float>(height);
    for (int x = 0; x < width; ++x) *pixels++ = ColorAt(static_cast<float>(x) / static_cast<float>(width), down);
  }
}

void CColorPalCtrl::TakeColor(DWORD rgb, BOOL keepMarker) {
  float hue = 0, saturation = 0, value = 0;
  HsvOfColor(rgb, &hue, &saturation, &value);
  float across = hue / 360.0f;
  float down = saturation;
  switch (m_nMode) {
    case 1:
      m_fFixed = hue;
      across = saturation;
      down = value;
      break;
    case 2:
      m_fFixed = saturation;
      down = value;
      break;
    default:
      m_fFixed = value;
      break;
  }
  if (keepMarker) return;
  const CSize size = ClientSize();
  m_ptMarker = CPoint(static_cast<int>(static_cast<float>(size.cx) * across),
                      static_cast<int>(static_cast<float>(size.cy) * (1.0f - down)));
}

DWORD CColorPalCtrl::DragMarkerTo(CPoint point) {
  const CSize size = ClientSize();
  m_ptMarker = CPoint(std::clamp(static_cast<int>(point.x), 0, static_cast<int>(size.cx)),
                      std::clamp(static_cast<int>(point.y), 0, static_cast<int>(size.cy)));
  return ColorAt(static_cast<float>(m_ptMarker.x) / static_cast<float>(size.cx),
                 static_cast<float>(m_ptMarker.y) / static_cast<float>(size.cy));
}

void CColorPalCtrl::DrawMarker(CDC& dc, const CRect&) const {
  CPen pen(PS_SOLID, 1, RGB(255, 255, 255));
  CPen* oldPen = dc.SelectObject(&pen);
  CGdiObject* oldBrush = dc.SelectStockObject(NULL_BRUSH);
  dc.Ellipse(m_ptMarker.x - kRingBefore, m_ptMarker.y - kRingBefore, m_ptMarker.x + kRingAfter,
             m_ptMarker.y + kRingAfter);
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

void CColorPalCtrl::OnLButtonDown(UINT nFlags, CPoint point) {
  m_ptPress = point;
  CHsvField::OnLButtonDown(nFlags, point);
}

void CColorPalCtrl::OnRButtonDown(UINT nFlags, CPoint point) {
  CMenu menu;
  if (menu.LoadMenu(IDR_CURVE_KIND_MENU)) {
    CMenu* popup = menu.GetSubMenu(0);
    if (popup) {
      if (m_nMode >= 0 && m_nMode < 3) popup->CheckMenuItem(kModeCommands[m_nMode], MF_BYCOMMAND | MF_CHECKED);
      CPoint screen = point;
      ClientToScreen(&screen);
      popup->TrackPopupMenu(TPM_RIGHTBUTTON, screen.x, screen.y, this);
    }
  }
  CHsvField::OnRButtonDown(nFlags, point);
}

// A mode from the menu goes to the owner; the field keeps its own until the
// owner sends code 10 back.
BOOL CColorPalCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT command = LOWORD(wParam);
  for (int mode = 0; mode < 3; ++mode) {
    if (command != kModeCommands[mode]) continue;
    NMCOLORMODE record{};
    record.mode = mode;
    SendNotify(m_hWnd, kNotifyColorMode, record);
    return TRUE;
  }
  return CHsvField::OnCommand(wParam, lParam);
}

}  // namespace controls
