// The toolkit's floating frames: CKitMiniFrame, in which bars float once the
// frame's docking is set up (and which carries an auto-hidden bar, without
// caption), and CKitMiniFrameWnd, a pop-up that lends a window a caption for
// a while (a window torn off a toolbar button) and gives it back on closing.
#pragma once

#include <functional>

#include "compat/afx.h"
#include "guitk/kit_draw.h"

class CKitControlBar;

class CKitMiniFrame : public CMiniDockFrameWnd {
  DECLARE_DYNCREATE(CKitMiniFrame)

 public:
  CKitMiniFrame();
  ~CKitMiniFrame() override;

  BOOL Create(CWnd* pParent, DWORD dwBarStyle) override;
  void RecalcLayout(BOOL bNotify = TRUE) override;

  CKitControlBar* HostedKitBar();
  BOOL HoldsAutoHiddenBar();
  // The line along the edge of a bar slid out of an auto-hide strip.
  void PaintSlideEdge();

  int m_nMode = -1;  // 1 while it holds a sizable bar, 0 for other bars, -1 until known
  BOOL m_bToolBarFrame = FALSE;
  CKitCaptionButton m_btnClose;
  CRect m_rectClose;
  int m_nCloseState = CKitCaptionButton::Normal;
  BOOL m_bNoClose = FALSE;

  static constexpr UINT_PTR kHoverTimer = 1;
  static constexpr UINT_PTR kCaptionTimer = 1010;

 protected:
  void DecideKind();
  afx_msg void OnClose();
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonUp(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg void OnNcPaint();
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg void OnNcMouseMove(UINT nHitTest, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// Paints a window's non-client area off screen (`paint` gets a memory DC of
// the window's size) and copies it to the window, leaving the client alone.
void KitPaintNonClient(CWnd* wnd, const std::function<void(CDC*, const CRect&)>& paint);

// The caption both floating frames draw: band, bold title cut to fit, Close button.
void KitPaintMiniCaption(CDC* pDC, CWnd* frame, const CRect& caption, CKitCaptionButton& close, int closeState,
                         BOOL showClose, CRect* closeRect);

class CKitMiniFrameWnd : public CMiniFrameWnd {
 public:
  CKitMiniFrameWnd();
  ~CKitMiniFrameWnd() override;

  // Fails, deleting the object, when the hosted window is already shown.
  BOOL Create(CWnd* owner, CWnd* hosted, RECT* place, LPCTSTR title, UINT value);
  BOOL PreTranslateMessage(MSG* pMsg) override;
  void PostNcDestroy() override;
  // Gives the hosted window back, focuses the owner and destroys the frame.
  void CloseFrame();

  BOOL m_bDone = FALSE;
  CWnd* m_pHosted = nullptr;
  HWND m_hHostedParent = nullptr;
  CKitCaptionButton m_btnClose;
  CRect m_rectClose;
  int m_nCloseState = CKitCaptionButton::Normal;
  CWnd* m_pOwner = nullptr;
  DWORD m_dwFrameStyle = 0x80000B00;
  BOOL m_bMoving = FALSE;  // set by the first non-client press
  UINT m_nValue = 0;

  static constexpr UINT_PTR kCaptionTimer = 1010;
  static constexpr UINT_PTR kCloseTimer = 8889;

 protected:
  void FitRoundHosted();
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg void OnClose();
  afx_msg void OnNcPaint();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnNcCalcSize(BOOL bCalcValidRects, NCCALCSIZE_PARAMS* lpncsp);
  DECLARE_MESSAGE_MAP()
};
