// CDockBar: the strip along a frame edge (or inside a floating frame) that
// holds docked control bars in rows.
#pragma once

#include "compat/afx/control_bars.h"
#include "compat/afx/dock_state.h"

class CDockBar : public CControlBar {
  DECLARE_DYNAMIC(CDockBar)

 public:
  explicit CDockBar(BOOL bFloating = FALSE);
  ~CDockBar() override;

  // The bar style (CBRS_ALIGN_*) travels in the style's CBRS_ALL bits.
  BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);

  BOOL m_bFloating;  // the dock bar of a floating frame
  // Slot 0 is NULL; a NULL ends a row (or column). A slot holding a value up
  // to 0xFFFF is a placeholder: the control id of a bar that was docked
  // there and now floats or is hidden elsewhere, so it can come back.
  CPtrArray m_arrBars;
  BOOL m_bLayoutQuery = FALSE;  // the current layout only measures
  CRect m_rectLayout;           // the room WM_SIZEPARENT offered last

  // --- the bars ---
  int GetDockedCount() const;
  int GetDockedVisibleCount() const;
  CControlBar* GetDockedControlBar(int nPos) const;  // NULL for separators and placeholders
  // The slot holding `pBar` (or the placeholder with that value), skipping nPosExclude; -1 when absent.
  int FindBar(CControlBar* pBar, int nPosExclude = -1);
  // Puts the bar into the row under ptMid (client coordinates), after the
  // bars that start before rect; a point off the rows opens a new row.
  int Insert(CControlBar* pBar, CRect rect, CPoint ptMid);
  // Docks the bar here: at lpRect (screen) when given, else at the end in a row of its own.
  void DockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
  // Docks the bar where its placeholder is (or at lpRect, or at the end).
  void ReDockControlBar(CControlBar* pBar, LPCRECT lpRect = nullptr);
  // Takes the bar out; nAddPlaceHolder 1 leaves its id in its slot, -1
  // keeps other placeholders of it. TRUE when that destroyed a floating frame.
  BOOL RemoveControlBar(CControlBar* pBar, int nPosExclude = -1, int nAddPlaceHolder = 0);
  void RemovePlaceHolder(CControlBar* pBar);
  // Drops a bar whose window is going, with no layout and no placeholder.
  void ForgetControlBar(CControlBar* pBar);
  void ShowAll(BOOL bShow);

  // --- layout and state ---
  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  void DoPaint(CDC* pDC) override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  void GetBarInfo(CControlBarInfo* pInfo);
  void SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd);

  afx_msg LRESULT OnSizeParent(WPARAM wParam, LPARAM lParam);

 protected:
  // How much the bar overlaps its neighbour along the row (bHorz for a
  // horizontal row); a row's first bar also sets the overlap between rows.
  virtual int GetBarGap(CControlBar* pBar, BOOL bHorz) const;
  // The gap the wrap test keeps before the row's end: the bar's own by default.
  virtual int GetWrapGap(CControlBar* pBar, BOOL bHorz) const { return GetBarGap(pBar, bHorz); }

  DECLARE_MESSAGE_MAP()
};
