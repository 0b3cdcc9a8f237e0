// CDrawnMenu: loading a menu template into owner-drawn items, converting an
// existing menu, the pictures of commands, and the system menu of a
// maximised child.
//
// Sections: item data · the menu object · items · loading · converting · pictures
#include "guitk/drawn_menu.h"

#include <algorithm>
#include <memory>

#include "guitk/menu_looks.h"
#include "guitk/toolbar_pictures.h"

IMPLEMENT_DYNAMIC(CDrawnMenuItemData, CObject)
IMPLEMENT_DYNAMIC(CDrawnMenu, CMenu)

namespace {

constexpr COLORREF kFaceStandIn = 0xFF000000;  // the bitmap background stands for COLOR_3DFACE
constexpr size_t kMaxMenuDepth = 64;
constexpr UINT kRestore = 0xF120, kClose = 0xF060, kMinimize = 0xF020;
constexpr UINT kConvertedPopupFlags = 0x510;  // MF_OWNERDRAW | MF_BYPOSITION | MF_POPUP

std::vector<HMENU>& AllSubmenus() {
  static std::vector<HMENU> list;
  return list;
}

WORD WordAt(const BYTE* data, size_t offset) { return static_cast<WORD>(data[offset] | (data[offset + 1] << 8)); }

}  // namespace

const std::vector<HMENU>& DrawnSubmenuHandles() { return AllSubmenus(); }

// --- item data ---

CDrawnMenuItemData::~CDrawnMenuItemData() { delete m_pImages; }

// --- the menu object ---

CDrawnMenu::CDrawnMenu() {
  if (!IsMenuHookInstalled()) StartMenuLooks();
}

CDrawnMenu::~CDrawnMenu() { DestroyMenu(); }

BOOL CDrawnMenu::DestroyMenu() {
  for (HMENU sub : m_submenus) std::erase(AllSubmenus(), sub);
  m_submenus.clear();
  for (CDrawnMenu* sub : m_submenuObjects) {
    sub->Detach();  // the handle dies with ours
    delete sub;
  }
  m_submenuObjects.clear();
  for (CDrawnMenuItemData* data : m_items) delete data;
  m_items.clear();
  if (!m_bSharedNotOwned) delete m_pSharedImages;
  m_pSharedImages = nullptr;
  return m_hMenu ? CMenu::DestroyMenu() : TRUE;
}

BOOL CDrawnMenu::CreatePopupMenu() {
  m_bPopupMenu = CMenu::CreatePopupMenu();
  return m_bPopupMenu;
}

void CDrawnMenu::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  const BOOL barLine = !m_hOwnerMenu && !m_bSystemMenu && !m_bPopupMenu;
  GetCurrentMenuLook()->m_pfnDraw(this, lpDrawItemStruct, barLine);
}

BOOL CDrawnMenu::IsSubmenuOfSubmenu() const { return m_pOwnerObject && m_pOwnerObject->m_hOwnerMenu; }

void CDrawnMenu::MeasureItem(LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
  auto* data = reinterpret_cast<CDrawnMenuItemData*>(lpMeasureItemStruct->itemData);
  const bool popup = data && (data->m_nFlags & MF_POPUP);
  const BOOL topLevel = popup && !m_hOwnerMenu;
  GetCurrentMenuLook()->m_pfnMeasure(this, lpMeasureItemStruct, topLevel);
}

void CDrawnMenu::DrawTitle(LPDRAWITEMSTRUCT lpDrawItemStruct) { GetCurrentMenuLook()->m_pfnTitle(this, lpDrawItemStruct); }

BOOL CDrawnMenu::EraseBackground(HWND hWnd, HDC hdc) {
  RECT client;
  GetClientRect(hWnd, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_MENU));
  return TRUE;
}

CDrawnMenuItemData* CDrawnMenu::ItemData(int position) const {
  return position >= 0 && position < ItemCount() ? m_items[static_cast<size_t>(position)] : nullptr;
}

CDrawnMenu* CDrawnMenu::SubmenuOf(HMENU hMenu) const {
  for (CDrawnMenu* sub : m_submenuObjects) {
    if (sub->m_hMenu == hMenu) return sub;
  }
  return nullptr;
}

// --- items ---

void CDrawnMenu::AddItemData(CDrawnMenuItemData* data) { m_items.push_back(data); }

BOOL CDrawnMenu::AppendDrawnItem(LPCTSTR lpszText, UINT nFlags, UINT_PTR nID, int nImageResource) {
  if (!m_hMenu) return FALSE;
  auto* data = new CDrawnMenuItemData;
  data->m_strText = lpszText ? lpszText : u"";
  if (nID == 0) nFlags = MF_SEPARATOR | MF_OWNERDRAW | (nFlags & MF_BYPOSITION);
  else nFlags |= MF_OWNERDRAW;
  data->m_nFlags = nFlags;
  data->m_nID = nID;
  if (nFlags & MF_POPUP) {
    AllSubmenus().push_back(reinterpret_cast<HMENU>(nID));
    m_submenus.push_back(reinterpret_cast<HMENU>(nID));
  }
  if (nImageResource >= 0) {
    data->m_nImageResource = nImageResource;
    if (!LookUpPicture(data)) {
      delete data->m_pImages;
      data->m_pImages = nullptr;
      data->m_nImage = data->m_nImageResource = -1;
    }
  }
  if (!::AppendMenuW(m_hMenu, nFlags, nID, reinterpret_cast<LPCWSTR>(data))) {
    delete data;
    return FALSE;
  }
  AddItemData(data);
  return TRUE;
}

BOOL CDrawnMenu::ModifyToDrawn(UINT nPosition, UINT nFlags, UINT_PTR nID, LPCTSTR lpszText) {
  auto* data = new CDrawnMenuItemData;
  data->m_strText = lpszText ? lpszText : u"";
  data->m_nFlags = nFlags | MF_OWNERDRAW;
  data->m_nID = nID;
  if (!::ModifyMenuW(m_hMenu, nPosition, data->m_nFlags, nID, reinterpret_cast<LPCWSTR>(data))) {
    delete data;
    return FALSE;
  }
  const int position = (nFlags & MF_BYPOSITION) ? static_cast<int>(nPosition) : -1;
  if (position >= 0 && position < ItemCount()) {
    delete m_items[static_cast<size_t>(position)];
    m_items[static_cast<size_t>(position)] = data;
  } else {
    AddItemData(data);
  }
  return TRUE;
}

CDrawnMenu* CDrawnMenu::FindCommand(UINT nID, int* pPosition) {
  for (int i = 0; i < ItemCount(); ++i) {
    CDrawnMenuItemData* data = m_items[static_cast<size_t>(i)];
    if (CDrawnMenu* sub = (data->m_nFlags & MF_POPUP) ? SubmenuOf(reinterpret_cast<HMENU>(data->m_nID)) : nullptr) {
      if (CDrawnMenu* found = sub->FindCommand(nID, pPosition)) return found;
    }
    if (data->m_nID == nID) {
      *pPosition = i;
      return this;
    }
  }
  *pPosition = -1;
  return nullptr;
}

BOOL CDrawnMenu::SetItemCommand(UINT nOldID, UINT nNewID) {
  int position;
  CDrawnMenu* menu = FindCommand(nOldID, &position);
  if (!menu) return FALSE;
  CDrawnMenuItemData* data = menu->m_items[static_cast<size_t>(position)];
  data->m_nID = nNewID;
  return ::ModifyMenuW(menu->m_hMenu, static_cast<UINT>(position), MF_BYPOSITION | MF_OWNERDRAW | (data->m_nFlags & ~MF_BYPOSITION),
                       nNewID, reinterpret_cast<LPCWSTR>(data));
}

void CDrawnMenu::RenumberSystemCommands(bool forward) {
  const std::pair<UINT, UINT> pairs[] = {{kRestore, kRestore + 1}, {kClose, kClose + 1}, {kMinimize, kMinimize + 1}};
  for (const auto& [plain, drawn] : pairs) SetItemCommand(forward ? plain : drawn, forward ? drawn : plain);
}

void CDrawnMenu::StartSystemMenuUse() {
  m_bSystemMenu = TRUE;
  ++m_nSystemMenuUses;
  ConvertAllItems();
  RenumberSystemCommands(true);
}

BOOL CDrawnMenu::EndSystemMenuUse() {
  RenumberSystemCommands(false);
  CDrawnMenu* owner = m_pOwnerObject ? m_pOwnerObject : this;
  if (owner->m_nSystemMenuUses > 0) --owner->m_nSystemMenuUses;
  return owner->m_nSystemMenuUses == 0 && !owner->m_bSystemMenu;
}

// --- loading ---

BOOL CDrawnMenu::LoadMenu(UINT nIDResource) { return LoadMenu(MAKEINTRESOURCEW(nIDResource)); }

BOOL CDrawnMenu::LoadMenu(LPCTSTR lpszResourceName) {
  DestroyMenu();
  HINSTANCE module = AfxFindResourceHandle(lpszResourceName, RT_MENU);
  HRSRC found = FindResourceW(module, lpszResourceName, RT_MENU);
  if (!found) return FALSE;
  const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
  const DWORD size = SizeofResource(module, found);
  if (!data || !CreateMenu()) return FALSE;
  if (ParseTemplate(data, size)) return TRUE;
  DestroyMenu();
  return FALSE;
}

// The template: a version and header-offset word, then per item a flags word,
// an id word unless it opens a popup, and a zero-terminated caption.
// MF_POPUP opens a level, MF_END closes the current one.
BOOL CDrawnMenu::ParseTemplate(const BYTE* data, size_t size) {
  if (size < 4) return FALSE;
  size_t at = 4 + WordAt(data, 2);
  struct Level {
    CDrawnMenu* menu;
    bool closesParent;  // opened by the last item of its parent
  };
  std::vector<Level> stack{{this, false}};
  auto closeLevel = [&stack] {
    bool more = true;
    while (more && !stack.empty()) {
      more = stack.back().closesParent;
      stack.pop_back();
    }
  };
  while (!stack.empty()) {
    if (at + 2 > size) return FALSE;
    const WORD flags = WordAt(data, at);
    at += 2;
    WORD id = 0;
    if (!(flags & MF_POPUP)) {
      if (at + 2 > size) return FALSE;
      id = WordAt(data, at);
      at += 2;
    }
    CString caption;
    for (;;) {
      if (at + 2 > size) return FALSE;
      const WCHAR c = WordAt(data, at);
      at += 2;
      if (!c) break;
      caption += c;
    }
    CDrawnMenu* level = stack.back().menu;
    const UINT itemFlags = flags & ~(MF_END | MF_POPUP);
    if (!(flags & MF_POPUP)) {
      level->AppendDrawnItem(caption, itemFlags, id, -1);
      if (flags & MF_END) closeLevel();
      continue;
    }
    if (stack.size() >= kMaxMenuDepth) return FALSE;
    auto* sub = new CDrawnMenu;
    sub->CreatePopupMenu();
    sub->m_nCheckedImage = m_nCheckedImage;
    sub->m_nUncheckedImage = m_nUncheckedImage;
    sub->m_pSharedImages = m_pSharedImages;
    sub->m_bSharedNotOwned = TRUE;
    sub->m_hOwnerMenu = level->m_hMenu;
    sub->m_pOwnerObject = level;
    level->m_submenuObjects.push_back(sub);
    level->AppendDrawnItem(caption, itemFlags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub->m_hMenu), -1);
    stack.push_back(Level{sub, (flags & MF_END) != 0});
  }
  return TRUE;
}

// --- converting ---

BOOL CDrawnMenu::AttachMenu(HMENU hMenu) {
  if (!::IsMenu(hMenu)) return FALSE;
  DestroyMenu();
  if (!Attach(hMenu)) return FALSE;
  ConvertAllItems();
  return TRUE;
}

void CDrawnMenu::ConvertAllItems() {
  std::vector<CDrawnMenuItemData*> fresh;
  for (CDrawnMenuItemData* data : m_items) data->m_nInUse = 0;
  const int count = ::GetMenuItemCount(m_hMenu);
  for (int i = 0; i < count; ++i) {
    const UINT position = static_cast<UINT>(i);
    UINT state = ::GetMenuState(m_hMenu, position, MF_BYPOSITION);
    HMENU sub = ::GetSubMenu(m_hMenu, i);
    const UINT_PTR id = sub ? reinterpret_cast<UINT_PTR>(sub) : ::GetMenuItemID(m_hMenu, i);
    WCHAR text[256] = {};
    ::GetMenuStringW(m_hMenu, position, text, 256, MF_BYPOSITION);
    CDrawnMenuItemData* data = nullptr;
    for (CDrawnMenuItemData* old : m_items) {
      if (old->m_nID == id && !old->m_nInUse) {
        data = old;
        break;
      }
    }
    if (!data) {
      data = new CDrawnMenuItemData;
      m_items.push_back(data);
    }
    data->m_nInUse = 1;
    data->m_nID = id;
    if (text[0]) data->m_strText = text;
    UINT flags;
    if (sub) {
      // The high byte of a popup's state is its item count, not a flag.
      flags = (state & 0xFF & ~MF_POPUP & ~MF_HILITE) | kConvertedPopupFlags;
      if (!SubmenuOf(sub)) {
        auto* object = new CDrawnMenu;
        object->Attach(sub);
        object->m_hOwnerMenu = m_hMenu;
        object->m_pOwnerObject = this;
        object->ConvertAllItems();
        m_submenuObjects.push_back(object);
      }
    } else if (state & MF_SEPARATOR) {
      flags = MF_SEPARATOR | MF_OWNERDRAW | MF_BYPOSITION;
    } else {
      flags = (state & ~MF_HILITE) | MF_OWNERDRAW | MF_BYPOSITION;
    }
    data->m_nFlags = flags;
    ::ModifyMenuW(m_hMenu, position, flags, id, reinterpret_cast<LPCWSTR>(data));
    fresh.push_back(data);
  }
  for (CDrawnMenuItemData* data : m_items) {
    if (!data->m_nInUse) delete data;
  }
  for (CDrawnMenuItemData* data : fresh) data->m_nInUse = 0;
  m_items = std::move(fresh);
}

// --- pictures ---

// The command's button in the toolbar of the item's resource id gives the
// index into that toolbar's strip; a command without a button gets none.
BOOL CDrawnMenu::LookUpPicture(CDrawnMenuItemData* data) {
  const UINT toolbar = static_cast<UINT>(data->m_nImageResource);
  data->m_nImage = KitToolbarImageOf(toolbar, static_cast<UINT>(data->m_nID));
  if (data->m_nImage < 0) return FALSE;
  auto images = std::make_unique<CImageList>();
  if (!images->Create(m_nIconWidth, m_nIconHeight, ILC_COLOR32 | ILC_MASK, 0, 4)) return FALSE;
  const COLORREF mask = m_crBitmapBack == kFaceStandIn ? GetSysColor(COLOR_3DFACE) : m_crBitmapBack;
  if (m_bIcons) {
    HICON icon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(toolbar));
    if (!icon || ImageList_ReplaceIcon(images->m_hImageList, -1, icon) < 0) return FALSE;
    data->m_nImage = 0;
  } else {
    CBitmap strip;
    if (!strip.Attach(KitLoadToolbarBitmap(toolbar)) || images->Add(&strip, mask) < 0) return FALSE;
    if (data->m_nImage >= images->GetImageCount()) return FALSE;
  }
  data->m_pImages = images.release();
  return TRUE;
}
