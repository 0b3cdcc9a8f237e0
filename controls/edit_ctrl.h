// CEditCtrl, window class "EditCtrl": the numeric field every dialog uses,
// with spin buttons or a drop-down slider by style. Dialogs hear from it as
// WM_COMMAND codes 2184 (a change begins), 2185 (changing), 2186 (committed).
#pragma once

#include "controls/custom_class.h"
#include "controls/num_edit.h"
#include "controls/spin_button.h"

namespace controls {

// Style bits of an "EditCtrl" window.
#define ECS_BUTTONS 0x0100
#define ECS_SPIN 0x1000
#define ECS_SUNKEN 0x0400
#define ECS_THIN 0x0800

#define ECM_SETSTEP 0x7F3  // lParam: double* step
#define ECM_FOCUSFIELD 0x8B0

class CEditCtrl : public CAutoObject<CWnd> {
 public:
  CEditCtrl();
  ~CEditCtrl() override;

  static BOOL RegisterClass(HINSTANCE instance);

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;

  void SetValue(double value);
  double GetValue() const;
  void SetRange(double min, double max);
  void GetRange(double& min, double& max) const;
  void SetFormat(int width = 7, int decimals = 1);
  void SetStep(double step = 1.0);
  int GetFlags() const;

  CNumEdit m_edit;
  CSpinButton m_button1;  // up, or the drop-down button
  CSpinButton m_button2;  // down, in spin mode only
  CFont m_font;
  BOOL m_bRepeating = FALSE;
  BOOL m_bUpPressed = FALSE;
  BOOL m_bDownPressed = FALSE;

 protected:
  bool HasButtons() const { return (GetStyle() & ECS_BUTTONS) != 0; }
  bool IsSpin() const { return (GetStyle() & (ECS_BUTTONS | ECS_SPIN)) == (ECS_BUTTONS | ECS_SPIN); }
  void Layout();
  void Forward(WORD code);
  void OpenSlider();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  void FillAroundChildren(CDC& dc, const CRect& client);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  afx_msg LRESULT OnSetStep(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFlags(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFocusField(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnChangeBegins(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnChanging(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnCommitted(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnOpenSlider(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

BOOL RegisterEditCtrlClass(HINSTANCE instance);

// The EditCtrl object of a window, or null.
CEditCtrl* EditCtrlFromHandle(HWND hwnd);

}  // namespace controls

void DDX_EditFloat(CDataExchange* pDX, int nIDC, float& value);
void DDX_EditInt(CDataExchange* pDX, int nIDC, int& value);
void DDX_EditByte(CDataExchange* pDX, int nIDC, BYTE& value);
