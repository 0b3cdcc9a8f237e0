// CKitToolButton: the toolkit's flat owner-drawn push button with an icon and
// a caption, framed and tinted while the pointer is over it, with an optional
// tooltip and a size that follows its content. CKitRepeatButton repeats its
// command while held down; CKitHoverRepeatButton while the pointer rests on
// it, and CKitLinkButton shows the hand cursor over its link.
#pragma once

#include "compat/afx.h"

class CKitToolButton : public CButton {
  DECLARE_DYNAMIC(CKitToolButton)

 public:
  CKitToolButton();
  ~CKitToolButton() override;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  // The style word (0x8001, 0x8002 or 0x8021) and whether the background is filled.
  virtual void SetStyle(int style, BOOL fillBackground = TRUE);
  void PreSubclassWindow() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  void SetIcon(HICON hIcon);
  void SetCaption(LPCTSTR lpszCaption);
  void SetTooltip(LPCTSTR lpszText);
  CSize GetSize();
  void RecomputeSize();
  COLORREF SetFaceColor(COLORREF color);
  void SetCaptionColor(COLORREF color) { m_crCaption = color; }
  void SetIconCentred(BOOL centred) { m_bIconCentred = centred; }
  void SetFramed(BOOL framed) { m_bFramed = framed; }
  BOOL IsHot() const { return m_bHot; }
  CToolTipCtrl* GetToolTip() const { return m_pToolTip; }

 protected:
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnSysColorChange();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  // Repaints the parent under the button, then the button.
  void RepaintWithParent();
  DECLARE_MESSAGE_MAP()

  int m_nStyle = 0x8001;
  BOOL m_bFillBackground = TRUE;
  CToolTipCtrl* m_pToolTip = nullptr;
  HICON m_hIcon = nullptr;
  int m_nIconWidth = 0;
  int m_nIconHeight = 0;
  int m_nCaptionWidth = 0;
  int m_nCaptionHeight = 0;
  CString m_strCaption;
  COLORREF m_crFace;
  BOOL m_bHot = FALSE;
  BOOL m_bAutoSize = TRUE;
  CSize m_size{0, 0};
  BOOL m_bRaisedIcon = TRUE;
  BOOL m_bIconCentred = FALSE;
  COLORREF m_crCaption = 0;
  BOOL m_bFramed = FALSE;
};

class CKitRepeatButton : public CKitToolButton {
  DECLARE_DYNAMIC(CKitRepeatButton)

 public:
  CKitRepeatButton() = default;
  BOOL IsRepeating() const { return m_bRepeating; }

 protected:
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  void StopRepeating();
  DECLARE_MESSAGE_MAP()

  BOOL m_bRepeating = FALSE;
  int m_nRepeatInterval = 50;
};

// Repeats its command every 20 ms while the pointer is over it and its repeat
// flag is set.
class CKitHoverRepeatButton : public CKitToolButton {
  DECLARE_DYNAMIC(CKitHoverRepeatButton)

 public:
  CKitHoverRepeatButton() = default;
  void SetRepeat(BOOL repeat) { m_bRepeat = repeat; }
  BOOL IsRepeating() const { return m_bTicking; }

 protected:
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

  BOOL m_bRepeat = FALSE;
  BOOL m_bTicking = FALSE;
};

// A picture button whose link, from 4 pixels right of its left edge, shows
// the hand cursor; the rest of it shows the arrow.
class CKitLinkButton : public CKitToolButton {
  DECLARE_DYNAMIC(CKitLinkButton)

 public:
  CKitLinkButton() = default;
  CRect LinkRect() const;

 protected:
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  DECLARE_MESSAGE_MAP()
};
