// CNumEdit: the numeric text field inside an "EditCtrl". It keeps a clamped
// double that is always the number its text shows, steps it by keys and by a
// vertical mouse drag, and reports changes to its owner (or parent) with
// messages 0x888 (begins), 0x889 (changing) and 0x88A (committed).
#pragma once

#include "compat/afx.h"

namespace controls {

// The field's messages.
#define NEM_SETRANGE 0x7E9   // lParam: double[2] {max, min}
#define NEM_GETRANGE 0x7EB   // lParam: double[2] filled {max, min}
#define NEM_STEPUP 0x7EE     // lParam: number of steps
#define NEM_STEPDOWN 0x7EF   // lParam: number of steps
#define NEM_SETFORMAT 0x7F0  // lParam: NUMEDITFORMAT*
#define NEM_GETFORMAT 0x7F1  // lParam: NUMEDITFORMAT*
#define NEM_FLAGS 0x88D      // wParam 0 set (lParam the flags), 1 get (lParam int*)
#define NEM_CHANGEBEGINS 0x888
#define NEM_CHANGING 0x889
#define NEM_COMMITTED 0x88A

// When the field reports a commit (flags of NEM_FLAGS).
#define NEF_COMMIT_ON_FOCUS 0x1
#define NEF_COMMIT_ON_KEYUP 0x2
#define NEF_COMMIT_ON_DRAG 0x4

// The 32-byte block of NEM_SETFORMAT and NEM_GETFORMAT.
struct NUMEDITFORMAT {
  double max;
  double min;
  double step;
  int width;
  int decimals;
};
static_assert(sizeof(NUMEDITFORMAT) == 32);

class CNumEdit : public CEdit {
 public:
  CNumEdit() = default;

  double m_dValue = 0.0;
  double m_dMax = 1000.0;
  double m_dMin = -1000.0;
  double m_dStep = 1.0;
  int m_nWidth = 10;
  int m_nDecimals = 0;
  int m_nFlags = NEF_COMMIT_ON_FOCUS | NEF_COMMIT_ON_KEYUP | NEF_COMMIT_ON_DRAG;
  int m_bSkipFirstChange = 1;
  int m_bSetByProgram = 0;
  int m_bKeySequence = 0;

  // Writes a value (clamped) without reporting a change.
  void SetValue(double value);
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  void WriteText();
  // Parses the text into the value, clamped; the text stays as it is.
  void ReadText();
  void Step(double delta);
  void Report(UINT message);
  void Commit();
  void EndMouseDrag();

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnChange();
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKillFocus(CWnd* pNewWnd);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg LRESULT OnSetRange(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnGetRange(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnStepUp(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnStepDown(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnSetFormat(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnGetFormat(WPARAM wParam, LPARAM lParam);
  afx_msg LRESULT OnFlags(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// The number as the field shows it: fixed, `decimals` places, '.' as the
// decimal point whatever the locale.
CString FormatNumber(double value, int decimals);
// The number at the start of `text` as wcstod reads it in the C locale: text
// that is not a number reads as 0.
double ParseNumber(const CString& text);

}  // namespace controls
