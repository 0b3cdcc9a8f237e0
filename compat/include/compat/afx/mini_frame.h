// Small floating frames: CMiniFrameWnd (tool-window caption, sizing rules
// chosen by its MFS_ styles) and CMiniDockFrameWnd, the frame a floating
// control bar lives in, with its own floating dock bar.
#pragma once

#include "compat/afx/doc_view.h"
#include "compat/afx/dock_bar.h"

// Mini-frame styles, carried in the window style's class-specific bits.
#define MFS_SYNCACTIVE 0x00000100L    // the caption shows active while the owner frame is active
#define MFS_4THICKFRAME 0x00000200L   // sizing by the four edges only, not the corners
#define MFS_THICKFRAME 0x00000400L    // sizable
#define MFS_MOVEFRAME 0x00000800L     // moved by any edge, not only the caption
#define MFS_BLOCKSYSMENU 0x00010000L  // no system menu on the caption

class CMiniFrameWnd : public CFrameWnd {
  DECLARE_DYNCREATE(CMiniFrameWnd)

 public:
  CMiniFrameWnd() = default;
  ~CMiniFrameWnd() override = default;

  using CFrameWnd::Create;
  BOOL Create(LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
              CWnd* pParentWnd = nullptr, UINT nID = 0);
  // The window's form by coordinates stays callable here. Its form by a
  // rectangle is replaced below: brought in with a using-declaration, it
  // would take the same seven arguments (its eighth has a default) and make
  // every such call ambiguous.
  BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr) override {
    return CWnd::CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                          nIDorHMenu, lpParam);
  }
  // Always a tool window; MFS_THICKFRAME makes it sizable.
  BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpClassName, LPCTSTR lpWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd = nullptr, UINT nID = 0);

  // The window rectangle of a mini frame around this client rectangle.
  static void PASCAL CalcBorders(LPRECT lpClientRect, DWORD dwStyle = WS_THICKFRAME | WS_CAPTION, DWORD dwExStyle = 0);

  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
  afx_msg LRESULT OnFloatStatus(WPARAM wParam, LPARAM lParam);
  afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);

 protected:
  BOOL m_bSyncActive = FALSE;  // the active look last given by the owner frame
  DECLARE_MESSAGE_MAP()
};

// The frame a floating control bar lives in: one floating dock bar holds
// the bar (or, with CBRS_FLOAT_MULTI, several), and the frame fits round it.
class CMiniDockFrameWnd : public CMiniFrameWnd {
  DECLARE_DYNCREATE(CMiniDockFrameWnd)

 public:
  CMiniDockFrameWnd();
  ~CMiniDockFrameWnd() override = default;

  using CMiniFrameWnd::Create;
  // dwBarStyle: the bar's orientation (CBRS_ALIGN_TOP or CBRS_ALIGN_LEFT),
  // CBRS_SIZE_DYNAMIC and CBRS_FLOAT_MULTI.
  virtual BOOL Create(CWnd* pParent, DWORD dwBarStyle);
  void RecalcLayout(BOOL bNotify = TRUE) override;

  CDockBar m_wndDockBar;

  afx_msg void OnClose();
  afx_msg void OnNcLButtonDown(UINT nHitTest, CPoint point);
  afx_msg void OnNcLButtonDblClk(UINT nHitTest, CPoint point);
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);

 protected:
  // The first bar of the dock bar, when it holds one kind (no CBRS_FLOAT_MULTI).
  CControlBar* SoleBar();
  DECLARE_MESSAGE_MAP()
};

// WM_FLOATSTATUS: the owner frame tells its floating frames that it became
// active (FS_ACTIVATE) or inactive (FS_DEACTIVATE).
#define WM_FLOATSTATUS 0x036D
#define FS_ACTIVATE 0x0004
#define FS_DEACTIVATE 0x0008
