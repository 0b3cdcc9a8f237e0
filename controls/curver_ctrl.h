// CCurverCtrl, window class "CurverCtrl": a small editor of a key-point curve.
// A press on a key selects it, a press on the curve adds a key there, a
// vertical drag moves the selected key, Delete removes it (never an end key);
// each change of the points is told to the owner with WM_NOTIFY code 300.
#pragma once

#include "controls/custom_class.h"
#include "model/outline/curve_keys.h"

namespace controls {

constexpr UINT kNotifyCurveChanged = 300;

class CCurverCtrl : public CAutoObject<CWnd> {
 public:
  CCurverCtrl() = default;

  static BOOL RegisterClass(HINSTANCE instance);

  // The caller's curve (y up) shown in the curve area (y down).
  void SetCurve(const CCurveKeys& keys);
  // The shown curve with y up again, in the display range; the caller
  // rescales it to its own range.
  void GetCurve(CCurveKeys& keys) const;

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  virtual void OnDraw(CDC* pDC);
  virtual void GetCurveRect(RECT* rect) const;

  CEditCurve m_curve;
  CToolTipCtrl m_tooltip;
  BOOL m_bDragPoint = FALSE;
  CPoint m_ptLast;

 protected:
  // Selects the key under the point (inserting one on the curve) and starts
  // its drag; false when the press met neither a key nor the curve.
  bool PressOnCurve(CPoint point);
  // The selected key takes the previous mouse message's y.
  void DragPointTo(CPoint point);
  void DeleteSelected();
  void Notify(UINT code);
  void DrawGrid(CDC& dc, const CRect& area, int rows, int columns) const;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg UINT OnGetDlgCode();
  DECLARE_MESSAGE_MAP()
};

// Registers "CurverCtrl" from a copy of the BUTTON class.
BOOL RegisterCurverCtrlClass(HINSTANCE instance);

}  // namespace controls
