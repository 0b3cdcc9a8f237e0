// CEditSliderWnd: the drop-down slider of a numeric field, a modal popup
// (template 11184) holding one drop-down "CSliderCtrlBar" over the field's range.
#pragma once

#include "compat/afx.h"

namespace controls {

class CEditCtrl;

class CEditSliderWnd : public CPropertyPage {
  DECLARE_DYNAMIC(CEditSliderWnd)

 public:
  CEditSliderWnd(CEditCtrl* pEdit, int x, int y);

  CEditCtrl* m_pEdit;
  int m_nX;
  int m_nY;

  BOOL OnInitDialog() override;

 protected:
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};

// Where the popup goes: left of (x, y) by the value's share of its width,
// then kept on a screen of the given size (above its bottom 30 pixels).
POINT PlaceEditSlider(int x, int y, int width, int height, double value, double min, double max, int screenWidth,
                      int screenHeight);

}  // namespace controls
