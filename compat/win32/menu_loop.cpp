// Popup menu windows (class "#32768") and the modal menu loop that drives
// them, for TrackPopupMenuEx and for the menu bar. The owner hears the
// platform's messages in the platform's order; every message the loop takes
// passes the thread's WH_MSGFILTER hooks with MSGF_MENU first.
//
// Sections: popup windows · placement · the tracker · selection and opening ·
// mouse · keys · the loop · calls
#include <algorithm>
#include <memory>

#include "compat/win32/gdi.h"
#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

constexpr WCHAR kPopupClass[] = u"#32768";
constexpr UINT_PTR kHoverTimer = 0xF001;
constexpr UINT kHoverDelayMs = 400;  // the platform's default submenu delay
constexpr int kSubmenuOverlap = 3;   // a submenu overlaps its parent's border
constexpr int kSystemMenu = -1;      // the bar position that stands for the system menu

struct Popup {
  HMENU menu = nullptr;
  HWND hwnd = nullptr;
  int selected = -1;
  std::vector<MenuItem> items;  // laid out, client coordinates
};

struct Tracker {
  HWND owner = nullptr;
  UINT flags = 0;
  bool notify = true;
  bool fromBar = false;
  HMENU barMenu = nullptr;
  int barItem = -2;             // -2 none, kSystemMenu, or a title
  std::vector<MenuItem> bar;    // the titles, window coordinates
  std::vector<Popup> popups;
  bool hasExclude = false;
  RECT exclude{};
  bool ended = false;
  bool awaitingRelease = false;  // an outside click ended the menu; its release is eaten too
  bool altPending = false;
  HWND activeAtStart = nullptr;
  // Where the pointer was when the last popup appeared: the release of the
  // click that opened it, before any move, picks nothing; a press inside the
  // menu since then makes its release a click of its own.
  POINT pointerAtShow{};
  bool pointerMoved = false;
  bool pressedSinceShow = false;
  // The chosen command.
  bool chosen = false;
  UINT command = 0;
  bool systemCommand = false;
  POINT commandPoint{};
  bool byMouse = false;
};

thread_local Tracker* t_tracker = nullptr;

// Separators, owner-drawn ones too, are never selected; greyed items are.
bool Selectable(const MenuItem& item) { return !(item.type & MFT_SEPARATOR); }
bool Enabled(const MenuItem& item) { return !(item.state & (MF_GRAYED | MF_DISABLED)); }

Popup* PopupOf(HWND hwnd) {
  if (!t_tracker) return nullptr;
  for (Popup& p : t_tracker->popups) {
    if (p.hwnd == hwnd) return &p;
  }
  return nullptr;
}

// --- popup windows ---

LRESULT CALLBACK PopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC hdc = BeginPaint(hwnd, &ps);
      if (Popup* p = PopupOf(hwnd)) {
        for (size_t i = 0; i < p->items.size(); ++i) {
          RECT overlap;
          if (IntersectRect(&overlap, &p->items[i].rect, &ps.rcPaint))
            DrawPopupItem(hdc, t_tracker->owner, p->menu, p->items[i], static_cast<int>(i) == p->selected);
        }
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void RegisterPopupClass() {
  WNDCLASSW existing;
  if (GetClassInfoW(nullptr, kPopupClass, &existing)) return;
  WNDCLASSW wc{};
  // A system class: it outlives the desktop resets of tests and batch runs.
  wc.style = CS_GLOBALCLASS | CS_SAVEBITS | CS_DBLCLKS;
  wc.lpfnWndProc = PopupProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_MENU + 1));
  wc.lpszClassName = kPopupClass;
  RegisterClassW(&wc);
}

// --- placement ---

RECT DesktopRect() {
  RECT r;
  GetWindowRect(GetDesktopWindow(), &r);
  return r;
}

bool Overlaps(const RECT& a, const RECT& b) {
  RECT i;
  return IntersectRect(&i, &a, &b) != FALSE;
}

// Root popups: aligned on the point, flipped at the desktop's edges, and kept
// off the exclusion rectangle in the direction TPM_VERTICAL names.
POINT PlaceRoot(const Tracker& t, POINT at, SIZE size) {
  const RECT desk = DesktopRect();
  POINT p = at;
  if (t.flags & TPM_CENTERALIGN) p.x -= size.cx / 2;
  else if (t.flags & TPM_RIGHTALIGN) p.x -= size.cx;
  if (t.flags & TPM_VCENTERALIGN) p.y -= size.cy / 2;
  else if (t.flags & TPM_BOTTOMALIGN) p.y -= size.cy;
  if (p.x + size.cx > desk.right) p.x = (t.flags & (TPM_CENTERALIGN | TPM_RIGHTALIGN)) ? desk.right - size.cx : at.x - size.cx;
  if (p.y + size.cy > desk.bottom) p.y = (t.flags & (TPM_VCENTERALIGN | TPM_BOTTOMALIGN)) ? desk.bottom - size.cy : at.y - size.cy;
  if (p.x < desk.left) p.x = (t.flags & TPM_RIGHTALIGN) ? at.x : desk.left;
  if (p.y < desk.top) p.y = (t.flags & TPM_BOTTOMALIGN) ? at.y : desk.top;
  p.x = std::clamp<LONG>(p.x, desk.left, std::max(desk.left, desk.right - size.cx));
  p.y = std::clamp<LONG>(p.y, desk.top, std::max(desk.top, desk.bottom - size.cy));
  if (!t.hasExclude) return p;
  const RECT& ex = t.exclude;
  RECT placed{p.x, p.y, p.x + size.cx, p.y + size.cy};
  if (!Overlaps(placed, ex)) return p;
  if (t.flags & TPM_VERTICAL) {
    const bool below = ex.bottom + size.cy <= desk.bottom;
    const bool above = ex.top - size.cy >= desk.top;
    if (below) p.y = ex.bottom;
    else if (above) p.y = ex.top - size.cy;
    // Room on neither side: the menu covers the rectangle rather than leave the screen.
    else p.y = std::clamp<LONG>(ex.bottom, desk.top, std::max(desk.top, desk.bottom - size.cy));
  } else {
    const bool right = ex.right + size.cx <= desk.right;
    const bool left = ex.left - size.cx >= desk.left;
    if (right) p.x = ex.right;
    else if (left) p.x = ex.left - size.cx;
    else p.x = std::clamp<LONG>(ex.right, desk.left, std::max(desk.left, desk.right - size.cx));
  }
  return p;
}

// A submenu opens to the right of its item, or to the left without room.
POINT PlaceSubmenu(const Popup& parent, const MenuItem& item, SIZE size) {
  const RECT desk = DesktopRect();
  RECT parentRect;
  GetWindowRect(parent.hwnd, &parentRect);
  POINT itemTop{item.rect.left, item.rect.top};
  ClientToScreen(parent.hwnd, &itemTop);
  POINT p{parentRect.right - kSubmenuOverlap, itemTop.y - kSubmenuOverlap};
  if (p.x + size.cx > desk.right) p.x = parentRect.left - size.cx + kSubmenuOverlap;
  if (p.y + size.cy > desk.bottom) p.y = desk.bottom - size.cy;
  p.x = std::max(p.x, desk.left);
  p.y = std::max(p.y, desk.top);
  return p;
}

// A bar title's popup opens below it, or above without room.
POINT PlaceUnderTitle(const RECT& title, SIZE size) {
  const RECT desk = DesktopRect();
  POINT p{title.left, title.bottom};
  if (p.y + size.cy > desk.bottom && title.top - size.cy >= desk.top) p.y = title.top - size.cy;
  if (p.x + size.cx > desk.right) p.x = desk.right - size.cx;
  p.x = std::max(p.x, desk.left);
  return p;
}

// --- the tracker ---

bool IsSystemMenuLevel(const Tracker& t) { return t.fromBar && t.barItem == kSystemMenu; }

void Send(Tracker& t, UINT message, WPARAM wParam, LPARAM lParam) {
  if (t.notify && IsWindow(t.owner)) SendMessageW(t.owner, message, wParam, lParam);
}

void MenuSelect(Tracker& t, HMENU menu, int position, const MenuItem* item, bool mouse) {
  if (!item) return;
  UINT flags = MF_HILITE | (item->type & (MFT_OWNERDRAW | MFT_SEPARATOR)) | (item->state & (MF_GRAYED | MF_DISABLED | MF_CHECKED));
  if (item->submenu) flags |= MF_POPUP;
  if (mouse) flags |= MF_MOUSESELECT;
  if (IsSystemMenuLevel(t)) flags |= MF_SYSMENU;
  const UINT id = item->submenu ? static_cast<UINT>(position) : item->id;
  Send(t, WM_MENUSELECT, MAKEWPARAM(id, flags), reinterpret_cast<LPARAM>(menu));
}

void RedrawItem(const Popup& p, int index) {
  if (index < 0 || index >= static_cast<int>(p.items.size())) return;
  InvalidateRect(p.hwnd, &p.items[static_cast<size_t>(index)].rect, FALSE);
}

void SelectInPopup(Tracker& t, size_t level, int index, bool mouse) {
  Popup& p = t.popups[level];
  if (p.selected == index) return;
  KillTimer(p.hwnd, kHoverTimer);
  RedrawItem(p, p.selected);
  p.selected = index;
  SetHilite(p.menu, index);
  RedrawItem(p, index);
  UpdateWindow(p.hwnd);
  if (index >= 0) MenuSelect(t, p.menu, index, &p.items[static_cast<size_t>(index)], mouse);
}

void CloseAbove(Tracker& t, size_t keep) {
  while (t.popups.size() > keep) {
    Popup p = std::move(t.popups.back());
    t.popups.pop_back();
    SetHilite(p.menu, -1);
    if (IsWindow(p.hwnd)) {
      KillTimer(p.hwnd, kHoverTimer);
      ShowWindow(p.hwnd, SW_HIDE);
      DestroyWindow(p.hwnd);
    }
  }
}

// Makes the popup window: created hidden so that hooks see its WM_CREATE,
// then sized from its items plus the frame of its own styles. The frame is
// the popup class's, whatever a hook later makes of it: a hook that draws its
// own border shrinks the window in WM_WINDOWPOSCHANGING from that size, as
// it must on the platform.
bool OpenPopup(Tracker& t, HMENU menu, int position, bool system, const POINT* rootAt, const RECT* title, bool selectFirst) {
  Send(t, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(position, system ? TRUE : FALSE));
  if (t.ended || !IsMenu(menu)) return false;
  Popup p;
  p.menu = menu;
  p.items = ItemsOf(menu);
  if (p.items.empty()) return false;
  const PopupMetrics content = LayoutPopup(menu, t.owner, &p.items);
  RegisterPopupClass();
  constexpr DWORD kStyle = WS_POPUP | WS_BORDER | WS_CLIPSIBLINGS;
  constexpr DWORD kExStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
  RECT frame{0, 0, content.width, content.height};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  const SIZE size{frame.right - frame.left, frame.bottom - frame.top};
  p.hwnd = CreateWindowExW(kExStyle, kPopupClass, nullptr, kStyle, 0, 0, 0, 0, t.owner, nullptr, nullptr, nullptr);
  if (!p.hwnd) return false;
  POINT at;
  if (rootAt) at = PlaceRoot(t, *rootAt, size);
  else if (title) at = PlaceUnderTitle(*title, size);
  else at = PlaceSubmenu(t.popups.back(), t.popups.back().items[static_cast<size_t>(position)], size);
  SetWindowPos(p.hwnd, HWND_TOPMOST, at.x, at.y, size.cx, size.cy, SWP_NOACTIVATE | SWP_FRAMECHANGED);
  t.popups.push_back(std::move(p));
  HWND hwnd = t.popups.back().hwnd;
  ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  UpdateWindow(hwnd);
  GetCursorPos(&t.pointerAtShow);
  t.pointerMoved = false;
  t.pressedSinceShow = false;
  if (selectFirst) {
    const auto& items = t.popups.back().items;
    for (size_t i = 0; i < items.size(); ++i) {
      if (Selectable(items[i])) {
        SelectInPopup(t, t.popups.size() - 1, static_cast<int>(i), false);
        break;
      }
    }
  }
  return true;
}

// Opens the submenu of the selected item of the given level.
void OpenSelectedSubmenu(Tracker& t, size_t level, bool selectFirst) {
  Popup& p = t.popups[level];
  if (p.selected < 0) return;
  const MenuItem& item = p.items[static_cast<size_t>(p.selected)];
  if (!item.submenu || !Enabled(item)) return;
  if (t.popups.size() > level + 1 && t.popups[level + 1].menu == item.submenu) return;
  CloseAbove(t, level + 1);
  OpenPopup(t, item.submenu, p.selected, false, nullptr, nullptr, selectFirst);
}

// --- the bar ---

HMENU BarPopupMenu(const Tracker& t, int position) {
  if (position == kSystemMenu) return GetSystemMenu(t.owner, FALSE);
  if (position < 0 || position >= static_cast<int>(t.bar.size())) return nullptr;
  return t.bar[static_cast<size_t>(position)].submenu;
}

RECT BarTitleScreen(const Tracker& t, int position) {
  RECT window;
  GetWindowRect(t.owner, &window);
  if (position == kSystemMenu) {
    RECT client;
    GetClientRect(t.owner, &client);
    POINT origin{0, 0};
    ClientToScreen(t.owner, &origin);
    const int border = origin.x - window.left;
    const int captionBottom = window.top + border + GetSystemMetrics(SM_CYCAPTION) - 1;
    return RECT{window.left + border, captionBottom - GetSystemMetrics(SM_CYCAPTION), window.left + border + 18, captionBottom};
  }
  RECT r = t.bar[static_cast<size_t>(position)].rect;
  OffsetRect(&r, window.left, window.top);
  return r;
}

bool HasSystemMenu(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_SYSMENU) != 0; }

void PaintBar(const Tracker& t) {
  if (t.bar.empty()) return;
  HDC hdc = GetWindowDC(t.owner);
  for (size_t i = 0; i < t.bar.size(); ++i)
    DrawBarItem(hdc, t.owner, t.barMenu, t.bar[i], static_cast<int>(i) == t.barItem);
  ReleaseDC(t.owner, hdc);
}

// Selects a title (or the system menu) and, when asked, opens its popup.
void SelectBarItem(Tracker& t, int position, bool open, bool selectFirst, bool mouse) {
  CloseAbove(t, 0);
  t.barItem = position;
  SetHilite(t.barMenu, position);
  PaintBar(t);
  HMENU popup = BarPopupMenu(t, position);
  const bool system = position == kSystemMenu;
  if (!system && position >= 0) {
    const MenuItem& title = t.bar[static_cast<size_t>(position)];
    MenuSelect(t, t.barMenu, position, &title, mouse);
  } else if (system && popup) {
    UINT flags = MF_POPUP | MF_HILITE | MF_SYSMENU | (mouse ? MF_MOUSESELECT : 0);
    Send(t, WM_MENUSELECT, MAKEWPARAM(0, flags), reinterpret_cast<LPARAM>(popup));
  }
  if (!open || !popup) return;
  if (system) UpdateSystemMenu(t.owner, popup);
  const RECT title = BarTitleScreen(t, position);
  OpenPopup(t, popup, system ? 0 : position, system, nullptr, &title, selectFirst);
}

int NextBarItem(const Tracker& t, int from, int step) {
  const int count = static_cast<int>(t.bar.size());
  const int first = HasSystemMenu(t.owner) ? kSystemMenu : 0;
  const int span = count - first;
  if (span <= 0) return from;
  for (int tries = 0; tries < span; ++tries) {
    from += step;
    if (from >= count) from = first;
    if (from < first) from = count - 1;
    if (from == kSystemMenu || (t.bar[static_cast<size_t>(from)].rect.right > t.bar[static_cast<size_t>(from)].rect.left))
      return from;
  }
  return from;
}

// --- choosing ---

void Choose(Tracker& t, size_t level, int index, bool mouse, POINT pt) {
  const MenuItem& item = t.popups[level].items[static_cast<size_t>(index)];
  if (!Selectable(item) || !Enabled(item)) return;
  if (item.submenu) {
    SelectInPopup(t, level, index, mouse);
    OpenSelectedSubmenu(t, level, !mouse);
    return;
  }
  t.chosen = true;
  t.command = item.id;
  t.systemCommand = IsSystemMenuLevel(t) && level == 0;
  t.commandPoint = pt;
  t.byMouse = mouse;
  t.ended = true;
}

// Several items with the mnemonic: the next after the selection; one: chosen.
void Mnemonic(Tracker& t, char16_t ch) {
  if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
  const bool onBar = t.popups.empty();
  const std::vector<MenuItem>& items = onBar ? t.bar : t.popups.back().items;
  const int current = onBar ? t.barItem : t.popups.back().selected;
  std::vector<int> matches;
  for (size_t i = 0; i < items.size(); ++i) {
    if (MnemonicOf(items[i].text) == ch && Selectable(items[i])) matches.push_back(static_cast<int>(i));
  }
  int position = -1;
  bool execute = false;
  if (matches.size() == 1) {
    position = matches[0];
    execute = true;
  } else if (matches.size() > 1) {
    auto next = std::find_if(matches.begin(), matches.end(), [&](int m) { return m > current; });
    position = next == matches.end() ? matches[0] : *next;
  } else {
    HMENU menu = onBar ? t.barMenu : t.popups.back().menu;
    const UINT kind = IsSystemMenuLevel(t) && !onBar ? MF_SYSMENU : MF_POPUP;
    const LRESULT answer = t.notify ? SendMessageW(t.owner, WM_MENUCHAR, MAKEWPARAM(ch, kind), reinterpret_cast<LPARAM>(menu)) : 0;
    const int asked = LOWORD(answer);
    switch (HIWORD(answer)) {
      case MNC_CLOSE: t.ended = true; return;
      case MNC_EXECUTE: position = asked; execute = true; break;
      case MNC_SELECT: position = asked; break;
      default: MessageBeep(0); return;
    }
    if (position < 0 || position >= static_cast<int>(items.size())) return;
  }
  if (onBar) {
    SelectBarItem(t, position, execute, true, false);
    return;
  }
  const size_t level = t.popups.size() - 1;
  SelectInPopup(t, level, position, false);
  if (execute) Choose(t, level, position, false, POINT{0, 0});
}

// --- mouse ---

struct Hit {
  int level = -1;   // popup level, or -1
  int item = -1;    // item in that popup
  int title = -2;   // bar title (kSystemMenu for the caption icon) when level is -1
};

Hit HitAt(const Tracker& t, POINT pt) {
  Hit hit;
  for (int level = static_cast<int>(t.popups.size()) - 1; level >= 0; --level) {
    const Popup& p = t.popups[static_cast<size_t>(level)];
    RECT window;
    GetWindowRect(p.hwnd, &window);
    if (!PtInRect(&window, pt)) continue;
    hit.level = level;
    POINT local = pt;
    ScreenToClient(p.hwnd, &local);
    for (size_t i = 0; i < p.items.size(); ++i) {
      if (PtInRect(&p.items[i].rect, local)) hit.item = static_cast<int>(i);
    }
    return hit;
  }
  if (!t.fromBar) return hit;
  for (size_t i = 0; i < t.bar.size(); ++i) {
    RECT r = BarTitleScreen(t, static_cast<int>(i));
    if (PtInRect(&r, pt)) hit.title = static_cast<int>(i);
  }
  if (hit.title == -2 && HasSystemMenu(t.owner)) {
    RECT icon = BarTitleScreen(t, kSystemMenu);
    if (PtInRect(&icon, pt)) hit.title = kSystemMenu;
  }
  return hit;
}

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

void MouseMove(Tracker& t, POINT pt) {
  if (!SamePoint(pt, t.pointerAtShow)) t.pointerMoved = true;
  const Hit hit = HitAt(t, pt);
  if (hit.level >= 0) {
    if (hit.item < 0) return;
    const size_t level = static_cast<size_t>(hit.level);
    const MenuItem& item = t.popups[level].items[static_cast<size_t>(hit.item)];
    if (!Selectable(item)) return;
    if (t.popups[level].selected != hit.item) {
      SelectInPopup(t, level, hit.item, true);
      CloseAbove(t, level + 1);
      if (item.submenu) SetTimer(t.popups[level].hwnd, kHoverTimer, kHoverDelayMs, nullptr);
    }
    return;
  }
  // Moving along the bar while a popup is open switches popups.
  if (hit.title != -2 && hit.title != t.barItem && !t.popups.empty()) SelectBarItem(t, hit.title, true, false, true);
}

void ButtonDown(Tracker& t, POINT pt) {
  const Hit hit = HitAt(t, pt);
  if (hit.level >= 0) {
    if (hit.item >= 0 && t.popups[static_cast<size_t>(hit.level)].items[static_cast<size_t>(hit.item)].submenu) {
      SelectInPopup(t, static_cast<size_t>(hit.level), hit.item, true);
      OpenSelectedSubmenu(t, static_cast<size_t>(hit.level), false);
    }
    return;
  }
  if (hit.title != -2) {
    // A click on the open title closes the menu; on another title it opens that one.
    if (hit.title == t.barItem && !t.popups.empty()) t.ended = true;
    else SelectBarItem(t, hit.title, true, false, true);
    return;
  }
  // Outside every menu: the click ends the menu and goes no further, nor does its release.
  CloseAbove(t, 0);
  t.awaitingRelease = true;
}

void ButtonUp(Tracker& t, POINT pt) {
  if (!t.pointerMoved && !t.pressedSinceShow && SamePoint(pt, t.pointerAtShow)) return;
  const Hit hit = HitAt(t, pt);
  if (hit.level < 0 || hit.item < 0) return;
  const MenuItem& item = t.popups[static_cast<size_t>(hit.level)].items[static_cast<size_t>(hit.item)];
  if (item.submenu) return;
  Choose(t, static_cast<size_t>(hit.level), hit.item, true, pt);
}

// --- keys ---

int Step(const std::vector<MenuItem>& items, int from, int step) {
  const int count = static_cast<int>(items.size());
  if (count == 0) return -1;
  int i = from;
  for (int tries = 0; tries < count; ++tries) {
    i = (i + step + count) % count;
    if (i < 0) i = count - 1;
    if (Selectable(items[static_cast<size_t>(i)])) return i;
  }
  return from;
}

void KeyDown(Tracker& t, WPARAM vk) {
  const bool altAlone = vk == VK_MENU;
  t.altPending = altAlone;
  if (altAlone) return;
  if (vk == VK_F10) {
    t.ended = true;
    return;
  }
  if (t.popups.empty()) {
    // Only the bar is selected.
    switch (vk) {
      case VK_ESCAPE: t.ended = true; break;
      case VK_LEFT: SelectBarItem(t, NextBarItem(t, t.barItem, -1), false, false, false); break;
      case VK_RIGHT: SelectBarItem(t, NextBarItem(t, t.barItem, 1), false, false, false); break;
      case VK_DOWN: case VK_UP: case VK_RETURN: SelectBarItem(t, t.barItem, true, true, false); break;
      default: break;
    }
    return;
  }
  const size_t level = t.popups.size() - 1;
  Popup& top = t.popups[level];
  switch (vk) {
    case VK_UP:
    case VK_DOWN: {
      const int from = top.selected < 0 ? (vk == VK_DOWN ? -1 : 0) : top.selected;
      SelectInPopup(t, level, Step(top.items, from, vk == VK_DOWN ? 1 : -1), false);
      break;
    }
    case VK_HOME: SelectInPopup(t, level, Step(top.items, -1, 1), false); break;
    case VK_END: SelectInPopup(t, level, Step(top.items, 0, -1), false); break;
    case VK_RETURN:
      if (top.selected >= 0) Choose(t, level, top.selected, false, POINT{0, 0});
      else if (level == 0 && !t.fromBar) t.ended = true;
      break;
    case VK_RIGHT:
      if (top.selected >= 0 && top.items[static_cast<size_t>(top.selected)].submenu) OpenSelectedSubmenu(t, level, true);
      else if (t.fromBar) SelectBarItem(t, NextBarItem(t, t.barItem, 1), true, true, false);
      break;
    case VK_LEFT:
      if (level > 0) CloseAbove(t, level);
      else if (t.fromBar) SelectBarItem(t, NextBarItem(t, t.barItem, -1), true, true, false);
      break;
    case VK_ESCAPE:
      if (level > 0) CloseAbove(t, level);
      else if (t.fromBar) SelectBarItem(t, t.barItem, false, false, false);
      else t.ended = true;
      break;
    default:
      break;
  }
}

// --- the loop ---

bool IsMouse(UINT m) { return m >= WM_MOUSEFIRST && m <= WM_MOUSELAST; }

void Handle(Tracker& t, MSG& msg) {
  const UINT m = msg.message;
  if (m == WM_TIMER && msg.wParam == kHoverTimer) {
    KillTimer(msg.hwnd, kHoverTimer);
    for (size_t level = 0; level < t.popups.size(); ++level) {
      if (t.popups[level].hwnd == msg.hwnd) {
        OpenSelectedSubmenu(t, level, false);
        break;
      }
    }
    return;
  }
  if (IsMouse(m)) {
    if (t.awaitingRelease) {
      if (m == WM_LBUTTONUP || m == WM_RBUTTONUP || m == WM_MBUTTONUP) t.ended = true;
      return;
    }
    if (m == WM_MOUSEMOVE) MouseMove(t, msg.pt);
    else if (m == WM_LBUTTONDOWN || m == WM_RBUTTONDOWN || m == WM_MBUTTONDOWN ||
             m == WM_LBUTTONDBLCLK || m == WM_RBUTTONDBLCLK) {
      t.pressedSinceShow = true;  // before ButtonDown: a popup it opens starts afresh
      ButtonDown(t, msg.pt);
    }
    else if (m == WM_LBUTTONUP || (m == WM_RBUTTONUP && (t.flags & TPM_RIGHTBUTTON))) ButtonUp(t, msg.pt);
    return;
  }
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
    TranslateMessage(&msg);
    KeyDown(t, msg.wParam);
    return;
  }
  if (m == WM_KEYUP || m == WM_SYSKEYUP) {
    // Alt pressed and released alone leaves the menu.
    if (msg.wParam == VK_MENU && t.altPending) t.ended = true;
    t.altPending = false;
    return;
  }
  if (m == WM_CHAR || m == WM_SYSCHAR) {
    if (msg.wParam >= 32) Mnemonic(t, static_cast<char16_t>(msg.wParam));
    return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

bool StillTracking(const Tracker& t) {
  if (t.awaitingRelease && !t.ended && GetAsyncKeyState(VK_LBUTTON) >= 0 && GetAsyncKeyState(VK_RBUTTON) >= 0 &&
      GetAsyncKeyState(VK_MBUTTON) >= 0 && !GetQueueStatus(QS_MOUSEBUTTON))
    return false;  // the release came and went before the loop saw it
  if (t.ended || !IsWindow(t.owner) || GetCapture() != t.owner) return false;
  // Another window becoming active ends the menu.
  return !t.activeAtStart || GetActiveWindow() == t.activeAtStart;
}

void Run(Tracker& t) {
  SetCapture(t.owner);
  while (StillTracking(t)) {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      HWND top = t.popups.empty() ? t.owner : t.popups.back().hwnd;
      Send(t, WM_ENTERIDLE, MSGF_MENU, reinterpret_cast<LPARAM>(top));
      if (!StillTracking(t)) break;
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        WaitMessage();
        continue;
      }
    }
    if (msg.message == WM_QUIT) {
      // The loop ends and the quit goes on to the program's own loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (CallMsgFilterW(&msg, MSGF_MENU)) continue;
    Handle(t, msg);
  }
  CloseAbove(t, 0);
  if (t.fromBar) {
    SetHilite(t.barMenu, -1);
    t.barItem = -2;
    PaintBar(t);
  }
  if (GetCapture() == t.owner) ReleaseCapture();
}

// Runs a loop with this tracker as the thread's; ends with the closing messages.
void Finish(Tracker& t) {
  Send(t, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Send(t, WM_EXITMENULOOP, t.fromBar ? FALSE : TRUE, 0);
  if (!t.chosen || (t.flags & TPM_RETURNCMD) || !IsWindow(t.owner)) return;
  if (t.systemCommand) {
    const LPARAM where = t.byMouse ? MAKELPARAM(t.commandPoint.x, t.commandPoint.y) : 0;
    PostMessageW(t.owner, WM_SYSCOMMAND, t.command, where);
  } else {
    PostMessageW(t.owner, WM_COMMAND, MAKEWPARAM(t.command, 0), 0);
  }
}

struct TrackerScope {
  explicit TrackerScope(Tracker* t) { t_tracker = t; }
  ~TrackerScope() { t_tracker = nullptr; }
};

}  // namespace

bool InMenuLoop() { return t_tracker != nullptr; }

int TrackBar(HWND hwnd, int position, bool openPopup, bool system, bool keyboard) {
  if (t_tracker || !IsWindow(hwnd)) return 0;
  Tracker t;
  t.owner = hwnd;
  t.fromBar = true;
  t.barMenu = GetMenu(hwnd);
  t.bar = ItemsOf(t.barMenu);
  t.activeAtStart = GetActiveWindow();
  if (system) position = kSystemMenu;
  if (position == kSystemMenu && !HasSystemMenu(hwnd)) return 0;
  if (position != kSystemMenu && (position < 0 || position >= static_cast<int>(t.bar.size()))) return 0;
  TrackerScope scope(&t);
  Send(t, WM_ENTERMENULOOP, FALSE, 0);
  HMENU initial = position == kSystemMenu ? GetSystemMenu(hwnd, FALSE) : t.barMenu;
  Send(t, WM_INITMENU, reinterpret_cast<WPARAM>(initial), 0);
  t.bar = ItemsOf(t.barMenu);  // the owner may have changed the titles
  SelectBarItem(t, position, openPopup, keyboard, !keyboard);
  Run(t);
  Finish(t);
  return t.chosen ? static_cast<int>(t.command) : 0;
}

RECT BarItemScreenRect(HWND hwnd, int position) {
  std::vector<MenuItem> items = ItemsOf(GetMenu(hwnd));
  if (position < 0 || position >= static_cast<int>(items.size())) return RECT{};
  RECT window;
  GetWindowRect(hwnd, &window);
  RECT r = items[static_cast<size_t>(position)].rect;
  OffsetRect(&r, window.left, window.top);
  return r;
}

int BarItemAt(HWND hwnd, POINT screen) {
  std::vector<MenuItem> items = ItemsOf(GetMenu(hwnd));
  RECT window;
  GetWindowRect(hwnd, &window);
  POINT local{screen.x - window.left, screen.y - window.top};
  for (size_t i = 0; i < items.size(); ++i) {
    if (PtInRect(&items[i].rect, local)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace compat::menus

using namespace compat::menus;

BOOL WINAPI TrackPopupMenuEx(HMENU menu, UINT flags, int x, int y, HWND owner, LPTPMPARAMS params) {
  if (!IsMenu(menu) || !IsWindow(owner) || t_tracker) return FALSE;
  Tracker t;
  t.owner = owner;
  t.flags = flags;
  t.notify = !(flags & TPM_NONOTIFY);
  t.activeAtStart = GetActiveWindow();
  if (params && params->cbSize >= sizeof(TPMPARAMS)) {
    t.hasExclude = !IsRectEmpty(&params->rcExclude);
    t.exclude = params->rcExclude;
  }
  TrackerScope scope(&t);
  Send(t, WM_ENTERMENULOOP, TRUE, 0);
  Send(t, WM_INITMENU, reinterpret_cast<WPARAM>(menu), 0);
  POINT at{x, y};
  if (!OpenPopup(t, menu, 0, false, &at, nullptr, false)) {
    Send(t, WM_EXITMENULOOP, TRUE, 0);
    return FALSE;
  }
  Run(t);
  Finish(t);
  if (flags & TPM_RETURNCMD) return t.chosen ? static_cast<BOOL>(t.command) : 0;
  return TRUE;
}

BOOL WINAPI TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(menu, flags, x, y, owner, nullptr);
}

BOOL WINAPI GetMenuItemRect(HWND hwnd, HMENU menu, UINT position, LPRECT rect) {
  if (!rect || !IsMenu(menu)) return FALSE;
  if (hwnd && menu == GetMenu(hwnd)) {
    *rect = BarItemScreenRect(hwnd, static_cast<int>(position));
    return !IsRectEmpty(rect);
  }
  if (!t_tracker) return FALSE;
  for (const Popup& p : t_tracker->popups) {
    if (p.menu != menu || position >= p.items.size()) continue;
    *rect = p.items[position].rect;
    MapWindowPoints(p.hwnd, nullptr, reinterpret_cast<POINT*>(rect), 2);
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI EndMenu() {
  if (!t_tracker) return FALSE;
  t_tracker->ended = true;
  PostMessageW(t_tracker->owner, WM_NULL, 0, 0);  // wakes the loop if it waits
  return TRUE;
}
