// Menu objects: handles, items, and the calls that build, change and read
// them. Handles carry a generation count so that a destroyed menu's handle
// fails every call, however soon its slot is used again.
#include <algorithm>
#include <cstdint>
#include <memory>

#include "compat/win32/errors.h"
#include "compat/win32/kernel.h"
#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

constexpr size_t kMaxMenus = 0xFFF0;
constexpr size_t kMaxItems = 0x4000;  // per menu
constexpr UINT kTypeFlags = MF_SEPARATOR | MF_OWNERDRAW | MF_MENUBREAK | MF_MENUBARBREAK |
                            MF_RIGHTJUSTIFY | MF_BITMAP | MFT_RADIOCHECK;
constexpr UINT kStateFlags = MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT;
constexpr UINT kNotFound = 0xFFFFFFFFu;

struct Slot {
  std::unique_ptr<Menu> menu;
  uint16_t generation = 1;
};

struct Table {
  std::recursive_mutex lock;
  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
};

Table& Menus() {
  static Table* table = new Table;  // lives past static destructors: menus die with the process
  return *table;
}

HMENU HandleOf(uint32_t index, uint16_t generation) {
  return reinterpret_cast<HMENU>(static_cast<uintptr_t>(((index + 1) & 0xFFFF) | (uint32_t{generation} << 16)));
}

HMENU Allocate(bool popup) {
  MenuGuard guard = LockMenus();
  Table& t = Menus();
  uint32_t index;
  if (!t.freeSlots.empty()) {
    index = t.freeSlots.back();
    t.freeSlots.pop_back();
  } else {
    if (t.slots.size() >= kMaxMenus) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    index = static_cast<uint32_t>(t.slots.size());
    t.slots.emplace_back();
  }
  t.slots[index].menu = std::make_unique<Menu>();
  t.slots[index].menu->popup = popup;
  return HandleOf(index, t.slots[index].generation);
}

bool Free(HMENU handle) {
  std::vector<HMENU> submenus;
  {
    MenuGuard guard = LockMenus();
    Menu* menu = FindMenu(handle);
    if (!menu) return false;
    for (const MenuItem& item : menu->items) {
      if (item.submenu) submenus.push_back(item.submenu);
    }
    const uint32_t index = (reinterpret_cast<uintptr_t>(handle) & 0xFFFF) - 1;
    Slot& slot = Menus().slots[index];
    slot.menu.reset();
    slot.generation = static_cast<uint16_t>(slot.generation == 0xFFFF ? 1 : slot.generation + 1);
    Menus().freeSlots.push_back(index);
  }
  for (HMENU sub : submenus) Free(sub);
  return true;
}

// Fills an item from the flags and the id/text pair of the classic calls.
bool ItemFromFlags(UINT flags, UINT_PTR idNewItem, LPCWSTR newItem, MenuItem* item) {
  item->type = flags & kTypeFlags & ~MF_BITMAP;
  item->state = flags & kStateFlags & ~MF_HILITE;
  item->submenu = nullptr;
  item->id = 0;
  if (flags & MF_POPUP) {
    HMENU sub = reinterpret_cast<HMENU>(idNewItem);
    if (!FindMenu(sub)) return false;
    item->submenu = sub;
  } else {
    item->id = static_cast<UINT>(idNewItem);
  }
  item->text.clear();
  item->data = 0;
  if (flags & MF_OWNERDRAW) item->data = reinterpret_cast<ULONG_PTR>(newItem);
  else if (!(flags & (MF_SEPARATOR | MF_BITMAP)) && newItem) item->text = newItem;
  return true;
}

bool Insert(HMENU handle, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem, bool append) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  if (!menu) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return false;
  }
  MenuItem item;
  if (!ItemFromFlags(flags, idNewItem, newItem, &item)) return false;
  HMENU target = handle;
  int index = static_cast<int>(menu->items.size());
  if (!append && position != kNotFound) {
    if (!FindItem(handle, position, (flags & MF_BYPOSITION) != 0, &target, &index)) {
      // By position past the end appends; by a command not found fails.
      if (!(flags & MF_BYPOSITION)) return false;
      target = handle;
      index = static_cast<int>(menu->items.size());
    }
  }
  Menu* into = FindMenu(target);
  if (into->items.size() >= kMaxItems) return false;
  into->items.insert(into->items.begin() + index, std::move(item));
  return true;
}

bool Remove(HMENU handle, UINT position, UINT flags, bool destroy) {
  HMENU sub = nullptr;
  {
    MenuGuard guard = LockMenus();
    HMENU owner = nullptr;
    int index = -1;
    MenuItem* item = FindItem(handle, position, (flags & MF_BYPOSITION) != 0, &owner, &index);
    if (!item) return false;
    sub = item->submenu;
    Menu* menu = FindMenu(owner);
    menu->items.erase(menu->items.begin() + index);
  }
  if (destroy && sub) Free(sub);
  return true;
}

// The item a MENUITEMINFOW call names, with the platform's errors; lock held.
// The record may be the older one without hbmpItem.
MenuItem* ItemForInfo(HMENU menu, UINT position, BOOL byPosition, const MENUITEMINFOW* info) {
  if (!info || info->cbSize < sizeof(MENUITEMINFOW) - sizeof(HBITMAP)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  MenuItem* item = FindItem(menu, position, byPosition != FALSE);
  if (!item) SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
  return item;
}

}  // namespace

MenuGuard LockMenus() { return MenuGuard(Menus().lock); }

Menu* FindMenu(HMENU handle) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  const uint32_t index = static_cast<uint32_t>(value & 0xFFFF);
  const uint32_t generation = static_cast<uint32_t>((value >> 16) & 0xFFFF);
  if (index == 0 || (value >> 32) != 0) return nullptr;
  Table& t = Menus();
  if (index - 1 >= t.slots.size()) return nullptr;
  Slot& slot = t.slots[index - 1];
  return slot.menu && slot.generation == generation ? slot.menu.get() : nullptr;
}

MenuItem* FindItem(HMENU handle, UINT item, bool byPosition, HMENU* owner, int* index) {
  Menu* menu = FindMenu(handle);
  if (!menu) return nullptr;
  if (byPosition) {
    if (item >= menu->items.size()) return nullptr;
    if (owner) *owner = handle;
    if (index) *index = static_cast<int>(item);
    return &menu->items[item];
  }
  for (size_t i = 0; i < menu->items.size(); ++i) {
    MenuItem& candidate = menu->items[i];
    if (candidate.submenu) {
      if (MenuItem* found = FindItem(candidate.submenu, item, false, owner, index)) return found;
      // A popup item answers to its submenu handle as its command.
      if (reinterpret_cast<UINT_PTR>(candidate.submenu) != item) continue;
    } else if (candidate.id != item) {
      continue;
    }
    if (owner) *owner = handle;
    if (index) *index = static_cast<int>(i);
    return &candidate;
  }
  return nullptr;
}

std::vector<MenuItem> ItemsOf(HMENU handle) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  return menu ? menu->items : std::vector<MenuItem>();
}

void StoreRects(HMENU handle, const std::vector<MenuItem>& items) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  if (!menu || menu->items.size() != items.size()) return;
  for (size_t i = 0; i < items.size(); ++i) menu->items[i].rect = items[i].rect;
}

void SetHilite(HMENU handle, int position) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  if (!menu) return;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    UINT& state = menu->items[i].state;
    state = static_cast<int>(i) == position ? (state | MFS_HILITE) : (state & ~MFS_HILITE);
  }
}

std::u16string LabelOf(const std::u16string& text) { return text.substr(0, text.find(u'\t')); }

std::u16string AcceleratorOf(const std::u16string& text) {
  const size_t tab = text.find(u'\t');
  return tab == std::u16string::npos ? std::u16string() : text.substr(tab + 1);
}

char16_t MnemonicOf(const std::u16string& text) {
  const std::u16string label = LabelOf(text);
  for (size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != u'&') continue;
    if (label[i + 1] == u'&') {
      ++i;  // "&&" is a plain ampersand
      continue;
    }
    char16_t c = label[i + 1];
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  }
  return 0;
}

}  // namespace compat::menus

using namespace compat::menus;

HMENU WINAPI CreateMenu() { return Allocate(false); }
HMENU WINAPI CreatePopupMenu() { return Allocate(true); }

BOOL WINAPI DestroyMenu(HMENU menu) {
  if (Free(menu)) return TRUE;
  SetLastError(ERROR_INVALID_MENU_HANDLE);
  return FALSE;
}

BOOL WINAPI IsMenu(HMENU menu) {
  MenuGuard guard = LockMenus();
  return FindMenu(menu) ? TRUE : FALSE;
}

BOOL WINAPI AppendMenuW(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  return Insert(menu, kNotFound, flags, idNewItem, newItem, true) ? TRUE : FALSE;
}

BOOL WINAPI InsertMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  return Insert(menu, position, flags, idNewItem, newItem, false) ? TRUE : FALSE;
}

BOOL WINAPI ModifyMenuW(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCWSTR newItem) {
  HMENU oldSub = nullptr;
  {
    MenuGuard guard = LockMenus();
    MenuItem* item = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
    if (!item) return FALSE;
    MenuItem changed = *item;
    if (!ItemFromFlags(flags, idNewItem, newItem, &changed)) return FALSE;
    // The replaced item's submenu goes with it, unless the new item opens it again.
    if (item->submenu && item->submenu != changed.submenu) oldSub = item->submenu;
    *item = std::move(changed);
  }
  if (oldSub) DestroyMenu(oldSub);
  return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, true) ? TRUE : FALSE; }
BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags) { return Remove(menu, position, flags, false) ? TRUE : FALSE; }

int WINAPI GetMenuItemCount(HMENU handle) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  return menu ? static_cast<int>(menu->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
  MenuGuard guard = LockMenus();
  MenuItem* item = position < 0 ? nullptr : FindItem(menu, static_cast<UINT>(position), true);
  if (!item || item->submenu) return kNotFound;
  return item->id;
}

UINT WINAPI GetMenuState(HMENU menu, UINT id, UINT flags) {
  MenuGuard guard = LockMenus();
  MenuItem* item = FindItem(menu, id, (flags & MF_BYPOSITION) != 0);
  if (!item) return kNotFound;
  const UINT bits = item->type | item->state;
  if (item->submenu) {
    Menu* sub = FindMenu(item->submenu);
    const UINT count = sub ? static_cast<UINT>(sub->items.size()) : 0;
    return ((count & 0xFF) << 8) | (bits & 0xFF) | MF_POPUP;
  }
  return bits;
}

int WINAPI GetMenuStringW(HMENU menu, UINT id, LPWSTR text, int maxCount, UINT flags) {
  MenuGuard guard = LockMenus();
  MenuItem* item = FindItem(menu, id, (flags & MF_BYPOSITION) != 0);
  if (!item) return 0;
  const int length = static_cast<int>(item->text.size());
  if (!text || maxCount <= 0) return length;
  const int count = std::min(length, maxCount - 1);
  std::copy(item->text.begin(), item->text.begin() + count, text);
  text[count] = 0;
  return count;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
  MenuGuard guard = LockMenus();
  MenuItem* item = position < 0 ? nullptr : FindItem(menu, static_cast<UINT>(position), true);
  return item ? item->submenu : nullptr;
}

DWORD WINAPI CheckMenuItem(HMENU menu, UINT id, UINT check) {
  MenuGuard guard = LockMenus();
  MenuItem* item = FindItem(menu, id, (check & MF_BYPOSITION) != 0);
  if (!item) return kNotFound;
  const DWORD before = item->state & MF_CHECKED;
  item->state = (item->state & ~MF_CHECKED) | (check & MF_CHECKED);
  return before;
}

BOOL WINAPI CheckMenuRadioItem(HMENU menu, UINT first, UINT last, UINT check, UINT flags) {
  MenuGuard guard = LockMenus();
  const bool byPosition = (flags & MF_BYPOSITION) != 0;
  HMENU owner = nullptr;
  int firstIndex = -1, lastIndex = -1;
  if (!FindItem(menu, first, byPosition, &owner, &firstIndex) || !FindItem(owner, last, byPosition, nullptr, &lastIndex))
    return FALSE;
  Menu* m = FindMenu(owner);
  for (int i = std::min(firstIndex, lastIndex); i <= std::max(firstIndex, lastIndex); ++i) {
    MenuItem& item = m->items[static_cast<size_t>(i)];
    const UINT key = byPosition ? static_cast<UINT>(i) : item.id;
    if (key == check) item.state |= MF_CHECKED, item.type |= MFT_RADIOCHECK;
    else item.state &= ~MF_CHECKED;
  }
  return TRUE;
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT id, UINT enable) {
  UINT before = 0, command = 0;
  {
    MenuGuard guard = LockMenus();
    MenuItem* item = FindItem(menu, id, (enable & MF_BYPOSITION) != 0);
    if (!item) return static_cast<BOOL>(kNotFound);
    before = item->state & (MF_GRAYED | MF_DISABLED);
    item->state = (item->state & ~(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
    command = item->id;
  }
  if (command == SC_CLOSE && before != (enable & (MF_GRAYED | MF_DISABLED))) SystemMenuChanged(menu);
  return static_cast<BOOL>(before);
}

BOOL WINAPI SetMenuItemBitmaps(HMENU menu, UINT position, UINT flags, HBITMAP unchecked, HBITMAP checked) {
  MenuGuard guard = LockMenus();
  MenuItem* item = FindItem(menu, position, (flags & MF_BYPOSITION) != 0);
  if (!item) return FALSE;
  item->unchecked = unchecked;
  item->checked = checked;
  return TRUE;
}

BOOL WINAPI GetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, LPMENUITEMINFOW info) {
  MenuGuard guard = LockMenus();
  MenuItem* item = ItemForInfo(menu, position, byPosition, info);
  if (!item) return FALSE;
  const UINT mask = info->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = item->type;
  if (mask & MIIM_STATE) info->fState = item->state;
  if (mask & MIIM_ID) info->wID = item->submenu ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(item->submenu)) : item->id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = item->submenu;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = item->checked;
    info->hbmpUnchecked = item->unchecked;
  }
  if (mask & MIIM_DATA) info->dwItemData = item->data;
  const bool textual = !(item->type & (MFT_SEPARATOR | MFT_OWNERDRAW));
  if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && textual)) {
    const UINT length = static_cast<UINT>(item->text.size());
    if (info->dwTypeData && info->cch > 0) {
      const UINT count = std::min(length, info->cch - 1);
      std::copy(item->text.begin(), item->text.begin() + count, info->dwTypeData);
      info->dwTypeData[count] = 0;
      info->cch = count;
    } else {
      info->cch = length;
    }
  } else if (mask & MIIM_TYPE) {
    info->dwTypeData = reinterpret_cast<LPWSTR>(item->data);
    info->cch = 0;
  }
  return TRUE;
}

BOOL WINAPI SetMenuItemInfoW(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
  MenuGuard guard = LockMenus();
  MenuItem* item = ItemForInfo(menu, position, byPosition, info);
  if (!item) return FALSE;
  const UINT mask = info->fMask;
  if ((mask & MIIM_SUBMENU) && info->hSubMenu && !FindMenu(info->hSubMenu)) return FALSE;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) item->type = info->fType & kTypeFlags;
  if (mask & MIIM_STATE) item->state = info->fState & kStateFlags;
  if (mask & MIIM_ID) item->id = info->wID;
  if (mask & MIIM_SUBMENU) item->submenu = info->hSubMenu;
  if (mask & MIIM_CHECKMARKS) {
    item->checked = info->hbmpChecked;
    item->unchecked = info->hbmpUnchecked;
  }
  if (mask & MIIM_DATA) item->data = info->dwItemData;
  const bool textual = !(item->type & (MFT_SEPARATOR | MFT_OWNERDRAW | MFT_BITMAP));
  if ((mask & MIIM_STRING) || ((mask & MIIM_TYPE) && textual)) {
    item->text = info->dwTypeData ? std::u16string(info->dwTypeData) : std::u16string();
  }
  return TRUE;
}

BOOL WINAPI InsertMenuItemW(HMENU menu, UINT position, BOOL byPosition, LPCMENUITEMINFOW info) {
  if (!info) return FALSE;
  const UINT flags = byPosition ? MF_BYPOSITION : MF_BYCOMMAND;
  if (!InsertMenuW(menu, position, flags | MF_SEPARATOR, 0, nullptr)) return FALSE;
  MenuGuard guard = LockMenus();
  HMENU owner = nullptr;
  int index = -1;
  // The placeholder sits where the item goes: before `position`, or last.
  Menu* m = FindMenu(menu);
  if (byPosition) {
    owner = menu;
    index = std::min(static_cast<int>(position), static_cast<int>(m->items.size()) - 1);
  } else {
    FindItem(menu, position, false, &owner, &index);
    --index;
  }
  Menu* target = FindMenu(owner);
  MenuItem& item = target->items[static_cast<size_t>(index)];
  item = MenuItem{};
  return SetMenuItemInfoW(owner, static_cast<UINT>(index), TRUE, info);
}

UINT WINAPI GetMenuDefaultItem(HMENU handle, UINT byPosition, UINT) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  if (!menu) return kNotFound;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (menu->items[i].state & MFS_DEFAULT) return byPosition ? static_cast<UINT>(i) : menu->items[i].id;
  }
  return kNotFound;
}

BOOL WINAPI SetMenuDefaultItem(HMENU handle, UINT item, UINT byPosition) {
  MenuGuard guard = LockMenus();
  Menu* menu = FindMenu(handle);
  if (!menu) return FALSE;
  MenuItem* chosen = item == kNotFound ? nullptr : FindItem(handle, item, byPosition != 0);
  for (MenuItem& each : menu->items) each.state &= ~MFS_DEFAULT;
  if (chosen) chosen->state |= MFS_DEFAULT;
  return item == kNotFound || chosen ? TRUE : FALSE;
}

LONG WINAPI GetMenuCheckMarkDimensions() {
  return MAKELONG(GetSystemMetrics(SM_CXMENUCHECK), GetSystemMetrics(SM_CYMENUCHECK));
}
