// CTLCurverCtrl, window class "TLCurverCtrl": the timeline's curve editor.
// Beside the key editing of CCurverCtrl it shows a frame cursor that the user
// drags or moves with the arrow keys (WM_NOTIFY code 301 with the frame),
// a time ruler and captions, and answers the commands of its menu.
#pragma once

#include "controls/curver_ctrl.h"
#include "controls/time_ruler.h"

namespace controls {

#define ID_CURVE_REMOVE_POINT 32831
#define ID_CURVE_RESET_POINTS 32832

class CTLCurverCtrl : public CCurverCtrl {
 public:
  CTLCurverCtrl() = default;

  static BOOL RegisterClass(HINSTANCE instance);

  void SetCurrentFrame(int frame);
  int GetCurrentFrame() const { return m_nCurrentFrame; }
  // A current frame past the new count moves to the last frame.
  void SetFrameCount(int count);
  int GetFrameCount() const { return m_nFrameCount; }
  void SetBar(CWnd* pBar);
  // The brush the background is painted with (the hosting dialog's); null
  // keeps the plain colours. The caller keeps the brush alive.
  void SetBackgroundBrush(HBRUSH brush);
  int GetCursorX() const { return m_nCursorX; }

  void OnDraw(CDC* pDC) override;
  void GetCurveRect(RECT* rect) const override;

  int m_nCurrentFrame = 0;
  int m_nFrameCount = 100;
  CWnd* m_pBar = nullptr;
  HBRUSH m_hBackBrush = nullptr;
  BOOL m_bDragCursor = FALSE;
  int m_nCursorX = 10;
  CTimeRuler m_ruler;
  CFont m_font;

 protected:
  int CursorXFromFrame(int frame) const;
  // The frame at cursor x `x`, with x kept in the curve area (and moved back
  // onto the last frame when past it).
  int FrameFromCursorX(int& x) const;
  void NotifyFrame();
  void ResetPoints();

  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnRemovePoint();
  afx_msg void OnResetPoints();
  DECLARE_MESSAGE_MAP()
};

BOOL RegisterTLCurverCtrlClass(HINSTANCE instance);

}  // namespace controls
