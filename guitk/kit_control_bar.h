// CKitControlBar: the toolkit's sizable docking bar. It shares a row (or
// column) of an inner dock bar with other such bars, is resized by dragging
// its inner edges, draws its own caption with Close and Auto Hide buttons,
// can hide itself as a tab on the frame's edge strip, and keeps its sizes and
// auto-hide state in the profile.
#pragma once

#include "compat/afx.h"
#include "guitk/kit_draw.h"

class CKitControlBar : public CControlBar {
  DECLARE_DYNAMIC(CKitControlBar)

 public:
  CKitControlBar();
  ~CKitControlBar() override;

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  virtual void DrawCaption(CDC* pDC, CRect& windowRect);
  // Toolkit bar ids start at 1000: the framework's dock state names its
  // sections "<base>-Bar<n>" with n counting records from 0, and so does the
  // bar's own size section with its id, so a smaller id could clear a
  // framework record. Create refuses such an id.
  virtual BOOL Create(LPCTSTR title, DWORD style, CWnd* parent, UINT id);
  virtual int OnCreate(LPCREATESTRUCT lpcs);

  // "<base>-Bar<id>": sizes and the auto-hide state.
  void LoadBarSizeState(LPCTSTR profileBase);
  void SaveBarSizeState(LPCTSTR profileBase);

  void EnterAutoHide();
  void LeaveAutoHide();
  // Slides the bar's floating frame out of (or back into) its strip in five steps.
  void Slide(BOOL out);
  void Activate();

  BOOL IsHorzDocked() const { return m_nDockPos == AFX_IDW_DOCKBAR_TOP || m_nDockPos == AFX_IDW_DOCKBAR_BOTTOM; }
  BOOL IsVertDocked() const { return m_nDockPos == AFX_IDW_DOCKBAR_LEFT || m_nDockPos == AFX_IDW_DOCKBAR_RIGHT; }
  BOOL IsAutoHidden() const { return m_bAutoHidden; }
  BOOL IsDragging() const { return m_bDragging; }

  static constexpr UINT kMinBarId = 1000;
  static constexpr UINT kActivateCommand = 18500;
  static constexpr int kSplitterBand = 4;
  static constexpr int kMinRowLength = 26;  // a bar shortened to fit its row
  static constexpr int kMinFloating = 32;

  int m_nCaptionHeight = 20;
  UINT m_nDockPos = 0;
  CSize m_sizeFloat{200, 100};
  CSize m_sizeAutoHide{200, 100};
  CSize m_sizeSaved{0, 0};
  CSize m_sizeHorz{200, 100};
  CSize m_sizeVert{200, 100};
  CSize m_sizeHorzStart{200, 100};
  CSize m_sizeVertStart{600, 100};
  int m_nMinSize[4] = {28, 28, 28, 28};
  int m_nIndex = 0, m_nRowLast = -1, m_nRowFirst = -1;
  CRect m_rectSplitter;
  CRect m_rectSecond;
  BOOL m_bDragging = FALSE;
  int m_nHitCode = 0;
  CPoint m_ptDragStart;
  CPoint m_ptDragLast;
  BOOL m_bRefreshingCaptions = FALSE;
  CKitCaptionButton m_btnClose;
  CKitCaptionButton m_btnAutoHide;
  CRect m_rectClose;
  CRect m_rectAutoHide;
  int m_nCloseState = CKitCaptionButton::Normal;
  int m_nAutoHideState = CKitCaptionButton::Normal;
  COLORREF m_clrFace = 0;
  BOOL m_bAutoHidden = FALSE;
  BOOL m_bSlideDone = TRUE;
  DWORD m_dwAutoHideSide = 0;  // "Aling": the strip's alignment flag, 0 when docked or floating
  UINT m_nLastDockPos = 0;
  BOOL m_bFirstPlacement = TRUE;
  int m_nSlideStep = 0;
  CWnd* m_pParentFrame = nullptr;
  HICON m_hIcon = nullptr;
  BOOL m_bSingleChild = TRUE;
  BOOL m_bCaptionActive = FALSE;
  BOOL m_bHasFocus = FALSE;
  UINT m_nMenuId = 0;
  int m_nDrawStyle = 0x8001;

 protected:
  CDockContext* CreateDockContext() override;
  CFrameWnd* Site() const;
  // The bars of this bar's row in its dock bar, and its place there.
  void FindRow();
  int RowLength() const;
  CSize& AlongSize() { return IsHorzDocked() ? m_sizeHorz : m_sizeVert; }
  void MoveRow();
  void RefreshCaptions(BOOL activeHere);
  void TrackerAt(const CRect& band);
  void EndSplitterDrag(CPoint releaseClient);
  void MoveBoundary(int delta);
  BOOL EdgeAllowed(int hit) const;
  DWORD Side() const;
  void SizeChild(int cx, int cy);

  afx_msg LRESULT OnCreateMessage(WPARAM, LPARAM lParam);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcRButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonUp(UINT nHitTest, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnNcPaint();
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);
  afx_msg void OnPaint();
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnNcMouseMove(UINT nHitTest, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnActivateCommand();
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()

 private:
  BOOL m_bFrameChanging = FALSE;  // one frame-changed notice per move
  CRect m_rectTracker;            // the band last inverted, dock-site client coordinates
};
