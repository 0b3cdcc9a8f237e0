// CKitFolder: the toolkit's folder bar, a stack of header buttons, each
// folder owning a child window; the headers up to the open folder sit at
// the top, the rest at the bottom, and the open folder's window fills the
// space between. CKitShelfFolder shows the hand cursor over it.
#pragma once

#include <vector>

#include "compat/afx.h"

class CKitFolder : public CWnd {
  DECLARE_DYNCREATE(CKitFolder)

 public:
  enum HeaderState { Hot = 0, Pressed = 1, Normal = 2 };
  static constexpr int kTopHeaderHeight = 23;
  static constexpr int kBottomHeaderHeight = 21;

  struct Folder {
    CWnd* window = nullptr;
    CRect header;
    int atTop = 0;  // 1: its header is stacked at the top
    CString caption;
  };

  CKitFolder();
  ~CKitFolder() override;

  BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
  // The window becomes the folder's; the first folder added is open.
  int AddFolder(CWnd* pWnd, LPCTSTR lpszCaption);
  // What a click on the header does: opens the folder when the stack allows.
  void OpenFolder(int index);
  void RecalcLayout();

  int GetFolderCount() const { return m_nFolders; }
  int GetOpenFolder() const { return m_nOpen; }
  int GetHotFolder() const { return m_nHot; }
  const Folder& GetFolder(int index) const { return *m_folders[static_cast<size_t>(index)]; }
  int GetFreeTop() const { return m_nFreeTop; }
  int GetFreeBottom() const { return m_nFreeBottom; }
  // The header under a client point, or -1.
  int HitTest(CPoint point) const;

  virtual void DrawHeader(Folder* folder, int state);

 protected:
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()

  std::vector<Folder*> m_folders;
  int m_nFolders = 0;
  int m_nOpen = 0;
  int m_nPreviousOpen = 0;
  int m_nHot = -1;
  int m_nShown = 0;
  int m_nFreeTop = 0;
  int m_nFreeBottom = 0;
  CFont m_font;
};

// The hot header shared by every folder bar of the process.
extern int g_kitHotFolder;

class CKitShelfFolder : public CKitFolder {
  DECLARE_DYNCREATE(CKitShelfFolder)

 protected:
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  DECLARE_MESSAGE_MAP()
};
