// CDockContext: drags a control bar to a new dock place or into a floating
// frame, and sizes a floating bar by its frame's border, in a modal loop
// that draws a tracking frame over every window of the program.
#pragma once

#include "compat/afx/control_bars.h"

class CDockBar;

class CDockContext {
 public:
  explicit CDockContext(CControlBar* pBar);
  virtual ~CDockContext();

  // --- the bar and where it may go ---
  CControlBar* m_pBar;
  CFrameWnd* m_pDockSite;
  DWORD m_dwDockStyle = 0;      // where the bar may dock (its CBRS_ALIGN_* dock style)
  DWORD m_dwOverDockStyle = 0;  // the alignment of the dock bar under the drag, 0 over none
  DWORD m_dwStyle = 0;          // the bar's alignment when the drag began
  BOOL m_bFlip = FALSE;         // Shift: the other orientation
  BOOL m_bForceFrame = FALSE;   // Ctrl: float whatever lies below
  BOOL m_bDragging = FALSE;     // a drag, not a resize

  // --- drag rectangles (screen) ---
  CRect m_rectDragHorz;
  CRect m_rectDragVert;
  CRect m_rectFrameDragHorz;
  CRect m_rectFrameDragVert;
  CPoint m_ptLast;

  // --- the tracking frame last drawn ---
  CRect m_rectLast;
  CSize m_sizeLast;
  BOOL m_bDitherLast = FALSE;
  CDC* m_pDC = nullptr;  // the desktop's, during the loop

  // --- resizing a floating bar ---
  int m_nHitTest = 0;
  CRect m_rectRequestedSize;
  CRect m_rectActualSize;
  CRect m_rectActualFrameSize;
  CRect m_rectFrameBorders;

  // --- where the bar was last docked and floated (kept in the dock state) ---
  UINT m_uMRUDockID = 0;
  CRect m_rectMRUDockPos;  // in the client area of that dock bar
  DWORD m_dwMRUFloatStyle = 0;
  CPoint m_ptMRUFloatPos{-1, -1};

  // --- what a user starts ---
  virtual void StartDrag(CPoint pt);
  virtual void StartResize(int nHitTest, CPoint pt);
  virtual void ToggleDocking();

  // --- the loop's steps ---
  // A drag's set-up before its loop: the docked and floating shapes placed
  // round the point.
  void InitDrag(CPoint pt);
  void Move(CPoint pt);
  void Stretch(CPoint pt);
  void OnKey(int nChar, BOOL bDown);
  void EndDrag();
  void EndResize();
  void InitLoop();
  void CancelLoop();
  void UpdateState(BOOL* pFlag, BOOL bNewValue);
  DWORD CanDock();
  CDockBar* GetDockBar(DWORD dwOverDockStyle);
  // The dock bar of the site under `rect` that takes the bar and its
  // matching style bits, 0 when none does (the frame's CanDock). Virtual,
  // as the tracking frame is, so that a toolkit's context can refuse places.
  virtual DWORD FindDockBar(const CRect& rect, DWORD dwDockStyle, CDockBar** ppDockBar);
  virtual void DrawFocusRect(BOOL bRemoveRect = FALSE);
  void AdjustWindowForFloat(CRect& rect);
  // Runs the modal loop; TRUE when it ended with the button's release.
  BOOL Track();
};
