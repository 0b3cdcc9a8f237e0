// The menus family's own state: menu objects behind generation-counted
// handles, and the few entry points the non-client area and DefWindowProc
// call into. Nothing here reaches into the window manager's state.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "compat/win32/user.h"

namespace compat::menus {

struct MenuItem {
  UINT type = 0;   // MFT_* bits
  UINT state = 0;  // MFS_* bits
  UINT id = 0;
  HMENU submenu = nullptr;
  HBITMAP checked = nullptr;
  HBITMAP unchecked = nullptr;
  ULONG_PTR data = 0;
  std::u16string text;
  RECT rect{};     // laid out by the popup window or the bar, in their coordinates
};

struct Menu {
  std::vector<MenuItem> items;
  bool popup = false;  // made by CreatePopupMenu (or a template's submenu)
};

// The one lock of the menu objects; nothing calls out while holding it.
using MenuGuard = std::unique_lock<std::recursive_mutex>;
MenuGuard LockMenus();
Menu* FindMenu(HMENU menu);  // lock held; null for a stale handle
// The item named by position or (searching submenus depth-first) by command;
// *owner receives the menu that holds it. Lock held.
MenuItem* FindItem(HMENU menu, UINT item, bool byPosition, HMENU* owner = nullptr, int* index = nullptr);

// A copy of a menu's items, taken under the lock, for drawing and tracking.
std::vector<MenuItem> ItemsOf(HMENU menu);
// Stores the laid-out rectangles back (same item count, else nothing).
void StoreRects(HMENU menu, const std::vector<MenuItem>& items);
// Marks one item highlighted (MFS_HILITE) and clears the others; -1 clears all.
void SetHilite(HMENU menu, int position);

// Item captions: the part before the tab, the accelerator after it, the mnemonic.
std::u16string LabelOf(const std::u16string& text);
std::u16string AcceleratorOf(const std::u16string& text);
char16_t MnemonicOf(const std::u16string& text);  // upper case, 0 for none

// A menu from a template of the given size; null when it runs past the end.
HMENU MenuFromTemplate(const BYTE* data, size_t size);

// --- drawing (menu_draw.cpp) ---
HFONT MenuFont(bool bold = false);  // bold for a menu's default item
struct PopupMetrics {
  int width = 0;
  int height = 0;
};
// Measures and lays out a popup's items (sends WM_MEASUREITEM for owner-drawn ones).
PopupMetrics LayoutPopup(HMENU menu, HWND owner, std::vector<MenuItem>* items);
void DrawPopupItem(HDC hdc, HWND owner, HMENU menu, const MenuItem& item, bool selected);
// Bar titles, laid out inside the strip (window coordinates).
void LayoutBar(HMENU menu, const RECT& strip, std::vector<MenuItem>* items);
void DrawBarItem(HDC hdc, HWND owner, HMENU menu, const MenuItem& item, bool pressed);

// --- the bar, the system menu, the non-client area ---
void PaintMenuBar(HWND hwnd, HDC windowDc, const RECT& strip);
HMENU SystemMenuOf(HWND hwnd);  // the window's copy, or null when it has none yet
bool CloseDisabled(HWND hwnd);  // the system menu's Close is greyed
void SystemMenuChanged(HMENU menu);  // the caption's close button follows Close
void UpdateSystemMenu(HWND hwnd, HMENU menu);  // items enabled by the window's state
// DefWindowProc's SC_KEYMENU and SC_MOUSEMENU.
void KeyMenu(HWND hwnd, char16_t key);
void MouseMenu(HWND hwnd, LRESULT hit, POINT screen);

// --- the loop (menu_loop.cpp) ---
// Item rectangles of the bar in screen coordinates.
RECT BarItemScreenRect(HWND hwnd, int position);
int BarItemAt(HWND hwnd, POINT screen);  // -1 outside every title
bool InMenuLoop();
int TrackBar(HWND hwnd, int position, bool openPopup, bool system, bool keyboard);

}  // namespace compat::menus
