// CMenuBar: a dockable control bar that stands in for the frame's menu line.
// It shows the menu's titles as flat buttons, opens their popups itself and
// gives the keyboard behaviour of a menu line (Alt, F10, mnemonics, arrows).
#pragma once

#include <vector>

#include "compat/afx.h"
#include "guitk/subclass_wnd.h"
#include "guitk/tool_button.h"

class CMenuBar;

// A title's button: the normal look of a title. A press reaches the bar as
// WM_COMMAND with the button's id + 100.
class CMenuBarButton : public CKitToolButton {
  DECLARE_DYNAMIC(CMenuBarButton)

 public:
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// A button of a maximised document window: its icon, whose press reaches the
// bar as WM_COMMAND 1000 and opens the document's system menu, or one of its
// Minimize, Restore and Close buttons, whose clicks reach the bar with their
// system command as the control id.
class CMenuBarMdiButton : public CKitToolButton {
  DECLARE_DYNAMIC(CMenuBarMdiButton)

 public:
  static constexpr UINT kIconId = 2457;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

  HICON m_hDocIcon = nullptr;  // the icon button's picture
  int m_nGlyph = -1;           // a system button's image in the toolkit's glyph store

 protected:
  BOOL IsIconButton() const { return GetDlgCtrlID() == static_cast<int>(kIconId); }
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  DECLARE_MESSAGE_MAP()
};

// One entry of the bar.
class CMenuBarItem {
 public:
  virtual ~CMenuBarItem() = default;
  virtual void Draw(CDC* pDC, CMenuBar* pBar) = 0;
  virtual void Layout(CPoint at, BOOL bHorz);
  virtual void Track(CMenuBar* pBar, CWnd* pFrame) = 0;
  virtual void Repaint(CMenuBar* pBar);
  virtual void TakeFaceColor(COLORREF color) { (void)color; }
  virtual void Destroy() {}

  enum Flags : BYTE { kHitTest = 0x01 };
  enum State : BYTE { kHot = 0x01, kPressed = 0x02, kHorizontal = 0x04, kHidden = 0x08, kRowBreak = 0x10, kInactive = 0x20 };
  BYTE m_fFlags = kHitTest;
  BYTE m_fsState = kHorizontal;
  CRect m_rcItem{0, 0, 0, 0};
  CSize m_size{0, 0};
};

class CMenuBarTitleItem : public CMenuBarItem {
 public:
  CMenuBarTitleItem(CMenuBar* pBar, HMENU hMenu, int nPosition);
  ~CMenuBarTitleItem() override;
  void Draw(CDC* pDC, CMenuBar* pBar) override;
  void Layout(CPoint at, BOOL bHorz) override;
  void Track(CMenuBar* pBar, CWnd* pFrame) override;
  void Repaint(CMenuBar* pBar) override;
  void TakeFaceColor(COLORREF color) override;
  void Destroy() override;

  // The character after '&', upper-cased; 0 for none.
  char16_t Mnemonic() const;

  CString m_strCaption;
  HMENU m_hPopup = nullptr;
  UINT m_nCommand = 0;
  int m_nPosition;
  CMenuBarButton m_button;
};

// The maximised document window's icon, first in an MDI frame's bar; hidden
// while no document is maximised.
class CMenuBarIconItem : public CMenuBarItem {
 public:
  explicit CMenuBarIconItem(CMenuBar* pBar);
  ~CMenuBarIconItem() override;
  void Draw(CDC* pDC, CMenuBar* pBar) override;
  void Layout(CPoint at, BOOL bHorz) override;
  // Opens the document's system menu; the chosen command goes to the document.
  void Track(CMenuBar* pBar, CWnd* pFrame) override;
  void Repaint(CMenuBar* pBar) override;
  void TakeFaceColor(COLORREF color) override;
  void Destroy() override;

  // The document the icon stands for; its small icon, else the application's.
  void SetChild(HWND hWndChild);

  HWND m_hWndChild = nullptr;
  HICON m_hIcon = nullptr;
  CMenuBarMdiButton m_button;
};

// Minimize, Restore and Close for the maximised document, last in an MDI
// frame's bar and drawn at its trailing end; hidden while no document is
// maximised. Only its buttons take the mouse; the keyboard passes it by.
class CMenuBarControlItem : public CMenuBarItem {
 public:
  static constexpr UINT kCommands[3] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};

  explicit CMenuBarControlItem(CMenuBar* pBar);
  ~CMenuBarControlItem() override;
  void Draw(CDC* pDC, CMenuBar* pBar) override;
  void Layout(CPoint at, BOOL bHorz) override;
  void Track(CMenuBar*, CWnd*) override {}
  void Repaint(CMenuBar* pBar) override;
  void Destroy() override;
  void SetButtonStyle(int style);

  CMenuBarMdiButton m_buttons[3];
  CSize m_button{0, 0};  // one button's size
};

class CMenuBar : public CControlBar {
  DECLARE_DYNAMIC(CMenuBar)

 public:
  CMenuBar();
  ~CMenuBar() override;

  BOOL Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID);
  // Loads the menu resource and builds the titles; 0 when it does not load.
  BOOL LoadMenu(UINT nIDResource);
  // Shows a menu; the old one is returned.
  HMENU SetMenu(HMENU hMenu, HMENU hWindowMenu = nullptr);
  HMENU GetMenu() const { return m_hMenu; }
  HMENU GetWindowMenu() const { return m_hWindowMenu; }
  // The frame's messages pass here first; TRUE eats the message.
  BOOL TranslateFrameMessage(MSG* pMsg);
  // The frame's keyboard menu (SC_KEYMENU: Alt alone, or Alt and a letter,
  // pressed where the frame's pre-translation does not see the keys); TRUE
  // when the bar took it.
  BOOL KeyMenu(char16_t key);
  void Refresh();
  virtual void SetStyle(int style);

  // Tracking states: 0 none, 1 selected for the keyboard, 2 popup open, 3 hot under the mouse.
  int GetTrackingState() const { return m_nTrackingState; }
  int GetHotItem() const { return m_nHotItem; }
  int GetItemCount() const { return static_cast<int>(m_items.size()); }
  CMenuBarItem* GetItem(int nIndex) const;
  // An MDI frame's document items (null elsewhere).
  CMenuBarIconItem* GetIconItem() const { return m_pIconItem; }
  CMenuBarControlItem* GetControlItem() const { return m_pControlItem; }
  // Shows or hides the document items as the MDI client's active document
  // is maximised or not; the frame's messages and the idle update call it.
  void UpdateMdiItems();

  CSize CalcFixedLayout(BOOL bStretch, BOOL bHorz) override;
  CSize CalcDynamicLayout(int nLength, DWORD dwMode) override;
  void CalcInsideRect(CRect& rect, BOOL bHorz) const override;
  void OnUpdateCmdUI(CFrameWnd* pTarget, BOOL bDisableIfNoHndler) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  CDockContext* CreateDockContext() override;

  BOOL IsHorizontal() const;
  CFont* MenuFont(BOOL bHorz) const;
  int TextOffset() const;

  int m_nRightMenuId = 0;  // the right-click menu resource, 0 none
  int m_nStyle = 0x8001;
  COLORREF m_crFace;
  BOOL m_bFrameActive = TRUE;

 protected:
  friend class CMenuBarTitleItem;
  friend class CMenuBarIconItem;
  friend class CMenuBarFrameHook;
  friend class CMenuBarClientHook;

  // The document windows appended to the window menu, the active one checked.
  void BuildWindowList();

  void SetTrackingState(int nState, int nItem);
  void TrackPopup(int nItem);
  // Opens a popup under (or beside) an item's rectangle, owned by the frame.
  UINT TrackItemPopup(HMENU hPopup, const CRect& rcItem, CWnd* pFrame, UINT flags);
  // The popup an item opens: a title's, or the document's system menu.
  HMENU ItemPopup(int nItem) const;
  // The maximised document's system command, from a control item button.
  BOOL OnMdiButton(UINT nCommand, HWND hWndButton);
  // The document items show this document, or hide for none.
  void ShowMdiItems(HWND hWndChild);
  void DeleteItems();
  void BuildItems();
  // The next hit-testable, shown item from nItem in a direction, wrapping.
  int NextItem(int nItem, int step) const;
  bool IsFrameAccelerator(UINT vk) const;
  int ItemFromPoint(CPoint point) const;
  void OpenItem(int nItem);
  // Wraps the items at a width; the block's size.
  CSize WrapItems(int nWidth);
  CSize BlockSize() const;
  void PlaceItems();
  void PlaceControlItem();
  BOOL ControlItemShown() const {
    return m_pControlItem && !(m_pControlItem->m_fsState & CMenuBarItem::kHidden) && !IsFloating();
  }
  int LengthAvailable() const;
  CSize NonClientSize() const;
  void InvalidateItem(int nItem);
  static LRESULT CALLBACK MenuFilter(int code, WPARAM wParam, LPARAM lParam);
  BOOL OnMenuFilter(MSG* pMsg);

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg void OnNcPaint();
  afx_msg LRESULT OnNcHitTest(CPoint point);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSysColorChange();
  DECLARE_MESSAGE_MAP()

  BOOL m_bContinue = FALSE;
  int m_nHotItem = -1;
  BOOL m_bAltUsed = FALSE;
  int m_nTrackingState = 0;
  HWND m_hWndFocusBefore = nullptr;  // given back when the keyboard menu ends
  std::vector<CMenuBarItem*> m_items;
  HMENU m_hMenu = nullptr;
  BOOL m_bOwnMenu = FALSE;  // loaded here, destroyed here
  CPoint m_ptMouse{-1, -1};
  BOOL m_bNoSubmenu = FALSE;
  BOOL m_bOwnPopup = FALSE;
  UINT_PTR m_nHoverTimer = 0;
  CSubclassWnd* m_pFrameHook = nullptr;
  HMENU m_hWindowMenu = nullptr;
  BOOL m_bMdi = FALSE;          // the frame is an MDI frame
  HWND m_hWndClient = nullptr;  // its client
  CSubclassWnd* m_pClientHook = nullptr;
  CMenuBarControlItem* m_pControlItem = nullptr;  // in m_items, MDI only
  CMenuBarIconItem* m_pIconItem = nullptr;        // in m_items, MDI only
  BOOL m_bChildMaximized = FALSE;
  HWND m_hWndLastChild = nullptr;  // the active document last seen
  int m_nWrapWidth = 32767;  // the floating bar's last wrap width
};

// The two messages the bar registers.
UINT MenuBarGetMenuMessage();     // "CMenuBar::WM_GETMENU"
UINT MenuBarSetMenuNullMessage();  // "CMenuBar::MB_SET_MENU_NULL"
