// The state and behaviour both slider bars share: a thumb dragged along a
// track, mapped linearly to an integer position.
#pragma once

#include "compat/afx.h"
#include "controls/custom_class.h"
#include "controls/custom_notify.h"

namespace controls {

class CSliderBase : public CAutoObject<CWnd> {
 public:
  void SetPosition(int position);
  int GetPosition() const { return m_nPosition; }
  // A range of one value is kept as two, so the mapping stays defined.
  void SetRange(int minimum, int maximum);
  void SetThumbColor(COLORREF color) { m_crThumb = color; }

  // The slider classes are registered afresh, not copied from a system class.
  static BOOL RegisterSliderClass(HINSTANCE instance, LPCTSTR name, WNDPROC proc);

 protected:
  CSliderBase(int thumbWidth, int thumbHeight) : m_nThumbWidth(thumbWidth), m_nThumbHeight(thumbHeight) {}

  int m_bDragging = 0;
  int m_nThumbWidth;
  int m_nThumbHeight;
  int m_nThumbX = 0;
  int m_nPosition = 0;
  int m_nLeftLimit = 0;
  int m_nRightLimit = 0;
  int m_nMin = 0;
  int m_nMax = 255;
  COLORREF m_crThumb = 0;

  // The row of the thumb's centre in client coordinates.
  virtual int ThumbCenterY(const RECT& client) const = 0;
  virtual void PaintInto(CDC& dc, const RECT& client) = 0;
  // Fills what the record carries after the position byte.
  virtual void FillRecord(NMSLIDER& record) const { (void)record; }
  // The drop-down form drags by the pointer's movement and starts in a drag.
  virtual bool IsDropDown() const { return false; }

  CRect ThumbRect() const;
  void PositionFromThumb();
  void Notify(UINT code);
  void EndDrag();
  void MoveThumbTo(int x);

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg LRESULT OnSliderPos(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  int m_nLastX = -1;  // drop-down form: the pointer at the last move
};

}  // namespace controls
