// CDrawnMenu: a menu whose every item is owner-drawn with a picture column
// (toolbar images, check marks, radio bullets), drawn by the current look.
#pragma once

#include <vector>

#include "compat/afx.h"

class CDrawnMenuItemData : public CObject {
  DECLARE_DYNAMIC(CDrawnMenuItemData)

 public:
  CDrawnMenuItemData() = default;
  ~CDrawnMenuItemData() override;

  CString m_strText;
  DWORD m_dwTitleFlags = 0;  // kTitle* bits (a title line only on a separator)
  UINT m_nFlags = 0;         // the menu flags the item was added with
  UINT_PTR m_nID = 0;        // for a popup item its submenu handle
  UINT m_nInUse = 0;         // marks reused records while a menu is rebuilt
  int m_nImage = -1;
  int m_nImageResource = -1;
  CImageList* m_pImages = nullptr;  // the item's own pictures, owned
  DWORD m_dwReserved = 0;
};

constexpr DWORD kTitleLine = 0x01;
constexpr DWORD kTitleVertical = 0x02;
constexpr DWORD kTitleOtherFill = 0x04;
constexpr DWORD kTitleRaised = 0x08;
constexpr DWORD kTitleLarger = 0x10;
constexpr DWORD kTitleRounded = 0x20;
constexpr DWORD kTitleCentred = 0x40;

class CDrawnMenu : public CMenu {
  DECLARE_DYNAMIC(CDrawnMenu)

 public:
  CDrawnMenu();
  ~CDrawnMenu() override;

  // A menu made here as a popup draws its items as popup items even without an owner menu.
  BOOL CreatePopupMenu();
  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
  void MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) override;
  virtual BOOL LoadMenu(UINT nIDResource);
  virtual BOOL LoadMenu(LPCTSTR lpszResourceName);
  // Takes an existing menu and makes its items owner-drawn, with a
  // CDrawnMenu for every submenu.
  virtual BOOL AttachMenu(HMENU hMenu);
  virtual BOOL DestroyMenu();
  virtual void DrawTitle(LPDRAWITEMSTRUCT lpDrawItemStruct);
  virtual BOOL EraseBackground(HWND hWnd, HDC hdc);
  virtual void ConvertAllItems();
  virtual BOOL EndSystemMenuUse();

  // An owner-drawn item; id 0 makes a separator. A picture is looked up in
  // the toolbar of `nImageResource` when it is 0 or more.
  BOOL AppendDrawnItem(LPCTSTR lpszText, UINT nFlags, UINT_PTR nID, int nImageResource = -1);
  BOOL ModifyToDrawn(UINT nPosition, UINT nFlags, UINT_PTR nID, LPCTSTR lpszText);
  // The menu (and position) holding a command, submenus first; null and -1.
  CDrawnMenu* FindCommand(UINT nID, int* pPosition);
  BOOL SetItemCommand(UINT nOldID, UINT nNewID);
  void StartSystemMenuUse();

  CDrawnMenuItemData* ItemData(int position) const;
  int ItemCount() const { return static_cast<int>(m_items.size()); }
  CDrawnMenu* SubmenuOf(HMENU hMenu) const;
  BOOL IsSubmenuOfSubmenu() const;

  std::vector<CDrawnMenuItemData*> m_items;  // owned, in item order
  std::vector<HMENU> m_submenus;             // made by this menu
  std::vector<CDrawnMenu*> m_submenuObjects; // owned
  int m_nIconWidth = 16;
  int m_nIconHeight = 15;
  COLORREF m_crBitmapBack = 0xFF000000;  // stands for COLOR_3DFACE
  CImageList* m_pSharedImages = nullptr;
  BOOL m_bSharedNotOwned = FALSE;
  int m_nCheckedImage = -1;
  int m_nUncheckedImage = -1;
  BOOL m_bIcons = FALSE;
  HMENU m_hOwnerMenu = nullptr;
  BOOL m_bSystemMenu = FALSE;
  int m_nSystemMenuUses = 0;
  CDrawnMenu* m_pOwnerObject = nullptr;
  BOOL m_bPopupMenu = FALSE;

 private:
  void AddItemData(CDrawnMenuItemData* data);
  BOOL LookUpPicture(CDrawnMenuItemData* data);
  void RenumberSystemCommands(bool forward);
  BOOL ParseTemplate(const BYTE* data, size_t size);
};

// Every submenu handle any CDrawnMenu made.
const std::vector<HMENU>& DrawnSubmenuHandles();
