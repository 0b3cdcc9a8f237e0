// Auto-hide strips and tabs: while a sizable bar is auto-hidden it is a tab
// on the strip along the frame edge it came from. Resting on the tab slides
// the bar out; once the mouse has left tab and bar, it slides back in.
#pragma once

#include "compat/afx.h"

class CKitControlBar;

class CKitAutoHideTab : public CWnd {
 public:
  BOOL Create(LPCTSTR text, DWORD style, const RECT& rect, CWnd* parent, UINT edge, HWND bar);
  void SetIcon(HICON icon);

  CString m_strTitle;
  UINT m_nEdge = 0;  // the bar's dock id: AFX_IDW_DOCKBAR_TOP ... _BOTTOM
  HWND m_hBar = nullptr;
  BOOL m_bSlidOut = FALSE;
  HICON m_hIcon = nullptr;
  int m_cxIcon = 0, m_cyIcon = 0;
  CRect m_rectTab;

  static constexpr UINT_PTR kSlideTimer = 1;
  static constexpr int kSlideTimerMs = 500;

 protected:
  CKitControlBar* Bar() const;
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnPaint();
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()
};

class CKitAutoHideStrip : public CControlBar {
  DECLARE_DYNAMIC(CKitAutoHideStrip)

 public:
  ~CKitAutoHideStrip() override;
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
  virtual BOOL Create(CFrameWnd* frame, UINT edge);
  virtual int GetTabCount() const { return m_nTabs; }

  void AddBar(CKitControlBar* bar);
  void RemoveBar(CKitControlBar* bar);
  CKitAutoHideTab* TabOf(HWND bar) const;
  CKitAutoHideTab* GetTab(int index) const { return static_cast<CKitAutoHideTab*>(m_tabs[index]); }
  void LayOutTabs();

  static constexpr int kThickness = 24;

  int m_nTabs = 0;
  CPtrArray m_tabs;
  COLORREF m_clrBack = 0;

 protected:
  void ShowOrHide();
  void DeleteTabs();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnPaint();
  afx_msg void OnDestroy();
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()
};

// Another auto-hidden bar of the frame that is slid out now, other than `except`.
CKitControlBar* KitVisibleAutoHiddenBar(CFrameWnd* frame, CKitControlBar* except);
