// CMenu and the routing of owner-drawn menu items to the CMenu that owns them.
#include "compat/afx/menu.h"

#include <mutex>
#include <unordered_map>

#include "compat/afx/gdi.h"
#include "compat/afx/resource.h"
#include "compat/afx/string.h"
#include "compat/afx/wnd.h"
#include "compat/afx/temporary_map.h"

IMPLEMENT_DYNCREATE(CMenu, CObject)

namespace {

// Menus the program owns, by handle.
struct PermanentMenus {
  std::mutex lock;
  std::unordered_map<HMENU, CMenu*> map;
};

PermanentMenus& Permanent() {
  static PermanentMenus* menus = new PermanentMenus;
  return *menus;
}

void Remember(CMenu* menu) {
  std::lock_guard guard(Permanent().lock);
  Permanent().map[menu->m_hMenu] = menu;
}

void Forget(HMENU handle, const CMenu* menu) {
  std::lock_guard guard(Permanent().lock);
  auto it = Permanent().map.find(handle);
  if (it != Permanent().map.end() && it->second == menu) Permanent().map.erase(it);
}

// The permanent menu that holds the command directly (not through a submenu).
CMenu* HolderOf(UINT id) {
  std::lock_guard guard(Permanent().lock);
  for (auto& [handle, menu] : Permanent().map) {
    const int count = ::GetMenuItemCount(handle);
    for (int i = 0; i < count; ++i) {
      if (::GetMenuItemID(handle, i) == id) return menu;
    }
  }
  return nullptr;
}

}  // namespace

CMenu::~CMenu() { DestroyMenu(); }

CMenu* PASCAL CMenu::FromHandlePermanent(HMENU hMenu) {
  std::lock_guard guard(Permanent().lock);
  auto it = Permanent().map.find(hMenu);
  return it == Permanent().map.end() ? nullptr : it->second;
}

CMenu* PASCAL CMenu::FromHandle(HMENU hMenu) {
  if (CMenu* permanent = FromHandlePermanent(hMenu)) return permanent;
  return compat::afx::TemporaryFor<CMenu>(
      hMenu, [](CMenu* m, HMENU h) { m->m_hMenu = h; }, [](CMenu* m) { m->m_hMenu = nullptr; });
}

BOOL CMenu::Attach(HMENU hMenu) {
  if (m_hMenu || !hMenu) return FALSE;
  m_hMenu = hMenu;
  Remember(this);
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU handle = m_hMenu;
  if (handle) Forget(handle, this);
  m_hMenu = nullptr;
  return handle;
}

BOOL CMenu::CreateMenu() { return Attach(::CreateMenu()); }
BOOL CMenu::CreatePopupMenu() { return Attach(::CreatePopupMenu()); }

BOOL CMenu::LoadMenu(LPCTSTR lpszResourceName) {
  return Attach(::LoadMenuW(AfxFindResourceHandle(lpszResourceName, RT_MENU), lpszResourceName));
}

BOOL CMenu::LoadMenu(UINT nIDResource) { return LoadMenu(MAKEINTRESOURCEW(nIDResource)); }

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  return ::DestroyMenu(Detach());
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::AppendMenuW(m_hMenu, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::InsertMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::InsertMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::ModifyMenu(UINT nPosition, UINT nFlags, UINT_PTR nIDNewItem, LPCTSTR lpszNewItem) {
  return ::ModifyMenuW(m_hMenu, nPosition, nFlags, nIDNewItem, lpszNewItem);
}
BOOL CMenu::DeleteMenu(UINT nPosition, UINT nFlags) { return ::DeleteMenu(m_hMenu, nPosition, nFlags); }
BOOL CMenu::RemoveMenu(UINT nPosition, UINT nFlags) { return ::RemoveMenu(m_hMenu, nPosition, nFlags); }
UINT CMenu::GetMenuItemCount() const { return static_cast<UINT>(::GetMenuItemCount(m_hMenu)); }
UINT CMenu::GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }

int CMenu::GetMenuString(UINT nIDItem, LPTSTR lpString, int nMaxCount, UINT nFlags) const {
  return ::GetMenuStringW(m_hMenu, nIDItem, lpString, nMaxCount, nFlags);
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  const int length = ::GetMenuStringW(m_hMenu, nIDItem, nullptr, 0, nFlags);
  if (length <= 0) {
    rString.Empty();
    return 0;
  }
  const int copied = ::GetMenuStringW(m_hMenu, nIDItem, rString.GetBuffer(length + 1), length + 1, nFlags);
  rString.ReleaseBuffer(copied);
  return copied;
}

CMenu* CMenu::GetSubMenu(int nPos) const { return FromHandle(::GetSubMenu(m_hMenu, nPos)); }
UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
  return static_cast<UINT>(::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable));
}

BOOL CMenu::SetMenuItemBitmaps(UINT nPosition, UINT nFlags, const CBitmap* pBmpUnchecked, const CBitmap* pBmpChecked) {
  auto handle = [](const CBitmap* b) { return b ? static_cast<HBITMAP>(b->m_hObject) : nullptr; };
  return ::SetMenuItemBitmaps(m_hMenu, nPosition, nFlags, handle(pBmpUnchecked), handle(pBmpChecked));
}

BOOL CMenu::GetMenuItemInfo(UINT uItem, LPMENUITEMINFO lpMenuItemInfo, BOOL fByPos) {
  return ::GetMenuItemInfoW(m_hMenu, uItem, fByPos, lpMenuItemInfo);
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT lpRect) {
  return ::TrackPopupMenu(m_hMenu, nFlags, x, y, 0, pWnd ? pWnd->m_hWnd : nullptr, lpRect);
}

void CMenu::DrawItem(LPDRAWITEMSTRUCT) {}
void CMenu::MeasureItem(LPMEASUREITEMSTRUCT) {}

namespace compat::afx {

bool RouteMenuItemMessage(HWND, UINT message, LPARAM lParam) {
  if (message == WM_DRAWITEM) {
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (!dis || dis->CtlType != ODT_MENU) return false;
    // The draw message names the menu itself.
    CMenu* menu = CMenu::FromHandlePermanent(reinterpret_cast<HMENU>(dis->hwndItem));
    if (!menu) return false;
    menu->DrawItem(dis);
    return true;
  }
  if (message == WM_MEASUREITEM) {
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (!mis || mis->CtlType != ODT_MENU) return false;
    CMenu* menu = HolderOf(mis->itemID);
    if (!menu) return false;
    menu->MeasureItem(mis);
    return true;
  }
  return false;
}

}  // namespace compat::afx
