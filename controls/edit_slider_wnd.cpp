// CEditSliderWnd: placing the popup, mapping the slider to the field's range,
// and closing when it loses the user's attention.
#include "controls/edit_slider_wnd.h"

#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "controls/slider_base.h"
#include "res/resource.h"

namespace controls {

IMPLEMENT_DYNAMIC(CEditSliderWnd, CPropertyPage)

BEGIN_MESSAGE_MAP(CEditSliderWnd, CPropertyPage)
ON_WM_ACTIVATE()
ON_WM_MOUSEACTIVATE()
ON_WM_NCACTIVATE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

constexpr int kSliderId = 1007;
constexpr int kSliderSteps = 1000;
// The popup stays this far above the screen's bottom (the task bar's place).
constexpr int kBottomMargin = 30;

}  // namespace

CEditSliderWnd::CEditSliderWnd(CEditCtrl* pEdit, int x, int y)
    : CPropertyPage(IDD_EDIT_SLIDER), m_pEdit(pEdit), m_nX(x), m_nY(y) {
  m_pParentWnd = pEdit;
}

POINT PlaceEditSlider(int x, int y, int width, int height, double value, double min, double max, int screenWidth,
                      int screenHeight) {
  if (max > min) x -= static_cast<int>((value - min) * width / (max - min));
  if (x + width > screenWidth) x = screenWidth - width;
  if (y + height > screenHeight - kBottomMargin) y = screenHeight - kBottomMargin - height;
  return POINT{x, y};
}

BOOL CEditSliderWnd::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  double min = 0;
  double max = 0;
  m_pEdit->GetRange(min, max);
  const double value = m_pEdit->GetValue();
  CRect window;
  GetWindowRect(&window);
  const double span = max - min;
  const POINT at = PlaceEditSlider(m_nX, m_nY, window.Width(), window.Height(), value, min, max,
                                   ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
  SetWindowPos(nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  if (CWnd* slider = GetDlgItem(kSliderId)) {
    auto* bar = dynamic_cast<CSliderBase*>(CWnd::FromHandlePermanent(slider->m_hWnd));
    if (bar) bar->SetRange(0, kSliderSteps);
    const int position = span > 0 ? static_cast<int>((value - min) / span * kSliderSteps) : 0;
    slider->SendMessage(WM_SLIDERPOS, 0, position);
  }
  return TRUE;
}

BOOL CEditSliderWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header || header->idFrom != kSliderId) return CPropertyPage::OnNotify(wParam, lParam, pResult);
  // The record's byte wraps above 255: the full position comes from the slider.
  int position = 0;
  ::SendMessageW(header->hwndFrom, WM_SLIDERPOS, 1, reinterpret_cast<LPARAM>(&position));
  double min = 0;
  double max = 0;
  m_pEdit->GetRange(min, max);
  m_pEdit->SetValue(min + (max - min) * position * 0.001);
  m_pEdit->SendMessage(header->code == kNotifySliderReleased ? NEM_COMMITTED : NEM_CHANGING);
  return TRUE;
}

void CEditSliderWnd::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  CPropertyPage::OnActivate(nState, pWndOther, bMinimized);
  if (nState == WA_INACTIVE) PostMessage(WM_COMMAND, IDCANCEL);
}

int CEditSliderWnd::OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message) {
  const int result = CPropertyPage::OnMouseActivate(pDesktopWnd, nHitTest, message);
  if (pDesktopWnd && pDesktopWnd->m_hWnd != m_hWnd) PostMessage(WM_COMMAND, IDCANCEL);
  return result;
}

BOOL CEditSliderWnd::OnNcActivate(BOOL bActive) {
  if (!bActive) PostMessage(WM_COMMAND, IDCANCEL);
  return CPropertyPage::OnNcActivate(bActive);
}

void CEditSliderWnd::OnDestroy() {
  ShowWindow(SW_HIDE);
  CPropertyPage::OnDestroy();
}

}  // namespace controls
