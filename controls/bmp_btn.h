// CBmpBtn, window class "BmpBtnClass": a push button that shows one of four
// bitmaps, can stay down as a toggle, tells its parent of a click with
// WM_NOTIFY code 81, and shows its window text as a tooltip.
#pragma once

#include "controls/custom_class.h"

namespace controls {

class CBmpBtn : public CAutoObject<CBitmapButton> {
 public:
  CBmpBtn() = default;

  static BOOL RegisterClass(HINSTANCE instance);

  // 0: an edge that follows the mouse; non-zero: sunken only while toggled.
  void SetRaisedEdge(int raised) { m_nRaisedEdge = raised; }
  void SetToggle(int toggled);
  int GetToggle() const { return m_nToggled; }
  BOOL SubclassDlgItem(UINT nID, CWnd* pParent);

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  // Makes the object of a window created by class name.
  static void AttachToNewWindow(HWND hwnd);

  int m_nRaisedEdge = 1;
  int m_nToggled = 1;
  int m_bPressed = 0;
  CToolTipCtrl m_tooltip;

 protected:
  void Redraw();
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

}  // namespace controls
