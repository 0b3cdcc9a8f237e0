// The "ListBox" class (and "ComboLBox", the dropped list of a combo box):
// single or extended selection (LBS_EXTENDEDSEL: Shift and Ctrl with the
// mouse and keys), strings with item data, its own vertical scroll bar,
// selection by mouse, keys, first letter and the wheel.
//
// Sections: state · items · scrolling · drawing · mouse and keys · messages ·
// procedure
#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

// --- state ---
struct Item {
  std::u16string text;
  ULONG_PTR data = 0;
  bool selected = false;  // extended selection only
};

struct ListState {
  std::vector<Item> items;
  int selected = -1;
  int caret = 0;  // the item with the focus rectangle
  int top = 0;
  int itemHeight = 16;
  bool focus = false;
  bool tracking = false;
  HFONT font = nullptr;
  HWND combo = nullptr;  // the owning combo box of a dropped list
  bool scrollBar = false;  // created with WS_VSCROLL: the bar comes and goes with the items
  bool pressedInside = false;
  int anchor = 0;          // extended selection: where a Shift range starts
  bool pressedWithCtrl = false;
};

constexpr int kTextIndent = 2;
constexpr int kWheelLines = 3;

bool Notifies(HWND hwnd) { return (StyleOf(hwnd) & LBS_NOTIFY) != 0; }
bool Extended(HWND hwnd) { return (StyleOf(hwnd) & LBS_EXTENDEDSEL) != 0; }
int Count(const ListState& s) { return static_cast<int>(s.items.size()); }
bool Valid(const ListState& s, WPARAM index) { return static_cast<int>(index) >= 0 && static_cast<int>(index) < Count(s); }

int ClientHeight(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return client.bottom - client.top;
}

int VisibleCount(HWND hwnd, const ListState& s) { return std::max(1, ClientHeight(hwnd) / s.itemHeight); }

// --- scrolling ---
void UpdateScrollBar(HWND hwnd, const ListState& s) {
  if (!s.scrollBar) return;
  SCROLLINFO info{sizeof(info), SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, Count(s) - 1),
                  static_cast<UINT>(VisibleCount(hwnd, s)), s.top, 0};
  if (StyleOf(hwnd) & LBS_DISABLENOSCROLL) info.fMask |= SIF_DISABLENOSCROLL;
  SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
}

void SetTop(HWND hwnd, ListState& s, int top) {
  top = std::clamp(top, 0, std::max(0, Count(s) - VisibleCount(hwnd, s)));
  if (top == s.top) return;
  s.top = top;
  UpdateScrollBar(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
}

void ShowItem(HWND hwnd, ListState& s, int index) {
  if (index < 0) return;
  if (index < s.top) SetTop(hwnd, s, index);
  else if (index >= s.top + VisibleCount(hwnd, s)) SetTop(hwnd, s, index - VisibleCount(hwnd, s) + 1);
}

void OnScroll(HWND hwnd, ListState& s, WORD code) {
  const int page = VisibleCount(hwnd, s);
  switch (code) {
    case SB_LINEUP: SetTop(hwnd, s, s.top - 1); break;
    case SB_LINEDOWN: SetTop(hwnd, s, s.top + 1); break;
    case SB_PAGEUP: SetTop(hwnd, s, s.top - page); break;
    case SB_PAGEDOWN: SetTop(hwnd, s, s.top + page); break;
    case SB_TOP: SetTop(hwnd, s, 0); break;
    case SB_BOTTOM: SetTop(hwnd, s, Count(s)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO info{sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd, SB_VERT, &info);
      SetTop(hwnd, s, info.nTrackPos);
      break;
    }
    default: break;
  }
}

// --- items ---
void Changed(HWND hwnd, ListState& s) {
  UpdateScrollBar(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
}

int Insert(HWND hwnd, ListState& s, int index, LPCWSTR text) {
  Item item;
  if (text) item.text = text;
  if (index < 0 || index > Count(s)) index = Count(s);
  s.items.insert(s.items.begin() + index, std::move(item));
  if (s.selected >= index) ++s.selected;
  Changed(hwnd, s);
  return index;
}

int InsertSorted(HWND hwnd, ListState& s, LPCWSTR text) {
  const std::u16string key = text ? std::u16string(text) : std::u16string();
  int index = 0;
  while (index < Count(s) && _wcsicmp(s.items[index].text.c_str(), key.c_str()) <= 0) ++index;
  return Insert(hwnd, s, index, text);
}

LRESULT Delete(HWND hwnd, ListState& s, WPARAM index) {
  if (!Valid(s, index)) return LB_ERR;
  const int at = static_cast<int>(index);
  s.items.erase(s.items.begin() + at);
  if (s.selected == at) s.selected = -1;
  else if (s.selected > at) --s.selected;
  s.caret = std::min(s.caret, std::max(0, Count(s) - 1));
  s.top = std::clamp(s.top, 0, std::max(0, Count(s) - VisibleCount(hwnd, s)));
  Changed(hwnd, s);
  return Count(s);
}

void Reset(HWND hwnd, ListState& s) {
  s.items.clear();
  s.selected = -1;
  s.caret = s.top = 0;
  Changed(hwnd, s);
}

bool Matches(const std::u16string& text, LPCWSTR wanted, bool exact) {
  const size_t length = wcslen(wanted);
  if (exact && text.size() != length) return false;
  if (text.size() < length) return false;
  return _wcsnicmp(text.c_str(), wanted, length) == 0;
}

// Searches after `start` and wraps around, as the platform does.
LRESULT Find(const ListState& s, WPARAM start, LPARAM text, bool exact) {
  if (!text || s.items.empty()) return LB_ERR;
  const auto* wanted = reinterpret_cast<LPCWSTR>(text);
  const int n = Count(s);
  const int first = Valid(s, start) ? static_cast<int>(start) + 1 : 0;
  for (int i = 0; i < n; ++i) {
    const int index = (first + i) % n;
    if (Matches(s.items[index].text, wanted, exact)) return index;
  }
  return LB_ERR;
}

void Select(HWND hwnd, ListState& s, int index) {
  if (index >= Count(s)) index = -1;
  bool changed = index != s.selected;
  if (Extended(hwnd)) {
    for (int i = 0; i < Count(s); ++i) {
      changed = changed || s.items[i].selected != (i == index);
      s.items[i].selected = i == index;
    }
    if (index >= 0) s.anchor = index;
  }
  s.selected = index;
  if (index >= 0) s.caret = index;
  ShowItem(hwnd, s, index);
  if (changed) InvalidateRect(hwnd, nullptr, TRUE);
}

// A user's change: shown at once and told to the parent with LBS_NOTIFY.
void UserSelect(HWND hwnd, ListState& s, int index) {
  if (index < 0 || index >= Count(s) || index == s.selected) {
    if (index >= 0 && index < Count(s)) ShowItem(hwnd, s, index);
    return;
  }
  Select(hwnd, s, index);
  if (Notifies(hwnd) && !s.combo) NotifyParent(hwnd, LBN_SELCHANGE);
}

// Extended selection by the user: with Ctrl the item toggles, with Shift the
// items from the anchor to it are selected (added to the others with Ctrl
// too), otherwise it alone. The parent hears of every change.
void ExtendedSelect(HWND hwnd, ListState& s, int index, bool shift, bool ctrl) {
  if (index < 0 || index >= Count(s)) return;
  std::vector<bool> before;
  for (const Item& item : s.items) before.push_back(item.selected);
  if (!ctrl)
    for (Item& item : s.items) item.selected = false;
  if (shift) {
    const int anchor = std::clamp(s.anchor, 0, Count(s) - 1);
    for (int i = std::min(anchor, index); i <= std::max(anchor, index); ++i) s.items[i].selected = true;
  } else {
    s.items[index].selected = ctrl ? !s.items[index].selected : true;
    s.anchor = index;
  }
  s.selected = index;
  s.caret = index;
  ShowItem(hwnd, s, index);
  InvalidateRect(hwnd, nullptr, TRUE);
  bool changed = false;
  for (int i = 0; i < Count(s); ++i) changed = changed || before[i] != s.items[i].selected;
  if (changed && Notifies(hwnd)) NotifyParent(hwnd, LBN_SELCHANGE);
}

bool IsSelected(HWND hwnd, const ListState& s, int index) {
  return Extended(hwnd) ? s.items[index].selected : index == s.selected;
}

LRESULT SetSel(HWND hwnd, ListState& s, WPARAM select, LPARAM index) {
  if (!Extended(hwnd)) return LB_ERR;
  if (index == -1) {
    for (Item& item : s.items) item.selected = select != 0;
  } else if (Valid(s, static_cast<WPARAM>(index))) {
    s.items[index].selected = select != 0;
  } else {
    return LB_ERR;
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  return LB_OKAY;
}

LRESULT SelectedItems(HWND hwnd, const ListState& s, WPARAM room, LPARAM out) {
  if (!Extended(hwnd)) return LB_ERR;
  int n = 0;
  for (int i = 0; i < Count(s); ++i) {
    if (!s.items[i].selected) continue;
    if (out) {
      if (n >= static_cast<int>(room)) break;
      reinterpret_cast<int*>(out)[n] = i;
    }
    ++n;
  }
  return n;
}

RECT ItemRect(HWND hwnd, const ListState& s, int index) {
  RECT client;
  GetClientRect(hwnd, &client);
  const int y = (index - s.top) * s.itemHeight;
  return RECT{client.left, y, client.right, y + s.itemHeight};
}

int ItemAt(HWND hwnd, const ListState& s, int y) {
  if (y < 0) return s.top > 0 ? s.top - 1 : 0;
  const int index = s.top + y / s.itemHeight;
  if (y >= ClientHeight(hwnd)) return std::min(index, Count(s) - 1);
  return index < Count(s) ? index : -1;
}

// --- drawing ---
void Paint(HWND hwnd, HDC hdc, const ListState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(s.font));
  HBRUSH back = s.combo ? GetSysColorBrush(COLOR_WINDOW) : ControlColor(hwnd, hdc, WM_CTLCOLORLISTBOX);
  FillRect(hdc, &client, back);
  const bool enabled = IsWindowEnabled(hwnd);
  const COLORREF normalText = enabled ? GetTextColor(hdc) : GetSysColor(COLOR_GRAYTEXT);
  SetBkMode(hdc, TRANSPARENT);
  const int last = std::min(Count(s), s.top + VisibleCount(hwnd, s) + 1);
  for (int i = s.top; i < last; ++i) {
    RECT r = ItemRect(hwnd, s, i);
    const bool selected = IsSelected(hwnd, s, i);
    if (selected) FillRect(hdc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(hdc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : normalText);
    RECT text = r;
    text.left += kTextIndent;
    DrawTextW(hdc, s.items[i].text.c_str(), static_cast<int>(s.items[i].text.size()), &text,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_EXPANDTABS);
    if (s.focus && i == s.caret) DrawFocusRect(hdc, &r);
  }
  if (s.focus && s.items.empty()) {
    RECT r = ItemRect(hwnd, s, 0);
    DrawFocusRect(hdc, &r);
  }
  SelectObject(hdc, oldFont);
}

// --- mouse and keys ---
void OnButtonDown(HWND hwnd, ListState& s, WPARAM wParam, LPARAM lParam, bool doubleClick) {
  if (s.combo) {
    // A press outside the dropped list dismisses it.
    if (!InClient(hwnd, lParam)) {
      ComboListClosed(s.combo, false);
      return;
    }
    s.pressedInside = true;
    Select(hwnd, s, ItemAt(hwnd, s, GET_Y_LPARAM(lParam)));
    return;
  }
  if (GetFocus() != hwnd) SetFocus(hwnd);
  if (Extended(hwnd)) {
    s.pressedWithCtrl = (wParam & MK_CONTROL) != 0;
    ExtendedSelect(hwnd, s, ItemAt(hwnd, s, GET_Y_LPARAM(lParam)), (wParam & MK_SHIFT) != 0, s.pressedWithCtrl);
  } else {
    UserSelect(hwnd, s, ItemAt(hwnd, s, GET_Y_LPARAM(lParam)));
  }
  if (!StillAlive(hwnd, s)) return;
  if (doubleClick && Notifies(hwnd) && s.selected >= 0) {
    NotifyParent(hwnd, LBN_DBLCLK);
    if (!StillAlive(hwnd, s)) return;
  }
  s.tracking = true;
  SetCapture(hwnd);
}

void OnMouseMove(HWND hwnd, ListState& s, LPARAM lParam) {
  if (s.combo) {
    // The dropped list follows the pointer while it is over the items.
    if (InClient(hwnd, lParam) || s.pressedInside) Select(hwnd, s, ItemAt(hwnd, s, GET_Y_LPARAM(lParam)));
    return;
  }
  if (!s.tracking) return;
  const int index = ItemAt(hwnd, s, GET_Y_LPARAM(lParam));
  // Dragging with the button held stretches a range from the anchor.
  if (Extended(hwnd)) {
    if (index != s.caret) ExtendedSelect(hwnd, s, index, true, s.pressedWithCtrl);
  } else {
    UserSelect(hwnd, s, index);
  }
}

void OnButtonUp(HWND hwnd, ListState& s, LPARAM lParam) {
  if (s.combo) {
    const bool inside = InClient(hwnd, lParam);
    s.pressedInside = false;
    if (inside && ItemAt(hwnd, s, GET_Y_LPARAM(lParam)) >= 0) ComboListClosed(s.combo, true);
    return;
  }
  if (!s.tracking) return;
  s.tracking = false;
  ReleaseCapture();
}

int FirstLetterMatch(const ListState& s, WPARAM c) {
  const int n = Count(s);
  const auto wanted = std::towlower(static_cast<wint_t>(c));
  for (int i = 1; i <= n; ++i) {
    const int index = (std::max(s.selected, 0) + i) % n;
    const std::u16string& text = s.items[index].text;
    if (!text.empty() && std::towlower(text[0]) == wanted) return index;
  }
  return -1;
}

void OnFocus(HWND hwnd, ListState& s, bool focus) {
  s.focus = focus;
  if (!focus && s.tracking) {
    s.tracking = false;
    ReleaseCapture();
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  NotifyParent(hwnd, focus ? LBN_SETFOCUS : LBN_KILLFOCUS);
}

void OnWheel(HWND hwnd, ListState& s, WPARAM wParam) {
  const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  SetTop(hwnd, s, s.top - notches * kWheelLines);
}

void FitIntegralHeight(HWND hwnd, ListState& s) {
  if (StyleOf(hwnd) & LBS_NOINTEGRALHEIGHT) return;
  const int height = ClientHeight(hwnd);
  const int extra = height % s.itemHeight;
  if (extra == 0 || height < s.itemHeight) return;
  RECT window;
  GetWindowRect(hwnd, &window);
  SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, window.bottom - window.top - extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFont(HWND hwnd, ListState& s, HFONT font, bool redraw) {
  s.font = font;
  s.itemHeight = LineHeight(hwnd, font);
  FitIntegralHeight(hwnd, s);
  UpdateScrollBar(hwnd, s);
  if (redraw) InvalidateRect(hwnd, nullptr, TRUE);
}


// --- messages ---
LRESULT ListMessage(HWND hwnd, ListState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto* text = reinterpret_cast<LPCWSTR>(lParam);
  switch (message) {
    case LB_ADDSTRING: return (StyleOf(hwnd) & LBS_SORT) ? InsertSorted(hwnd, s, text) : Insert(hwnd, s, -1, text);
    case LB_INSERTSTRING:
      if (static_cast<int>(wParam) > Count(s) || static_cast<int>(wParam) < -1) return LB_ERR;
      return Insert(hwnd, s, static_cast<int>(wParam), text);
    case LB_DELETESTRING: return Delete(hwnd, s, wParam);
    case LB_RESETCONTENT: Reset(hwnd, s); return 0;
    case LB_GETCOUNT: return Count(s);
    case LB_GETCURSEL: return s.selected;
    case LB_SETCURSEL:
      // -1 clears the selection and still answers LB_ERR, as the platform does.
      Select(hwnd, s, Valid(s, wParam) ? static_cast<int>(wParam) : -1);
      return Valid(s, wParam) ? static_cast<LRESULT>(wParam) : LB_ERR;
    case LB_GETSEL: return Valid(s, wParam) ? IsSelected(hwnd, s, static_cast<int>(wParam)) : LB_ERR;
    case LB_SETSEL: return SetSel(hwnd, s, wParam, lParam);
    case LB_GETSELCOUNT: return SelectedItems(hwnd, s, 0, 0);
    case LB_GETSELITEMS: return SelectedItems(hwnd, s, wParam, lParam);
    case LB_GETANCHORINDEX: return s.anchor;
    case LB_SETANCHORINDEX:
      if (!Valid(s, wParam)) return LB_ERR;
      s.anchor = static_cast<int>(wParam);
      return LB_OKAY;
    case LB_GETTEXT: {
      if (!Valid(s, wParam)) return LB_ERR;
      const std::u16string& item = s.items[wParam].text;
      if (lParam) std::copy(item.c_str(), item.c_str() + item.size() + 1, reinterpret_cast<LPWSTR>(lParam));
      return static_cast<LRESULT>(item.size());
    }
    case LB_GETTEXTLEN: return Valid(s, wParam) ? static_cast<LRESULT>(s.items[wParam].text.size()) : LB_ERR;
    case LB_GETITEMDATA: return Valid(s, wParam) ? static_cast<LRESULT>(s.items[wParam].data) : LB_ERR;
    case LB_SETITEMDATA:
      if (static_cast<int>(wParam) == -1) {
        for (Item& item : s.items) item.data = static_cast<ULONG_PTR>(lParam);
        return LB_OKAY;
      }
      if (!Valid(s, wParam)) return LB_ERR;
      s.items[wParam].data = static_cast<ULONG_PTR>(lParam);
      return LB_OKAY;
    case LB_FINDSTRING: return Find(s, wParam, lParam, false);
    case LB_FINDSTRINGEXACT: return Find(s, wParam, lParam, true);
    case LB_SELECTSTRING: {
      const LRESULT found = Find(s, wParam, lParam, false);
      if (found != LB_ERR) Select(hwnd, s, static_cast<int>(found));
      return found;
    }
    case LB_GETTOPINDEX: return s.top;
    case LB_SETTOPINDEX:
      if (!Valid(s, wParam) && !(wParam == 0 && s.items.empty())) return LB_ERR;
      SetTop(hwnd, s, static_cast<int>(wParam));
      return LB_OKAY;
    case LB_GETITEMRECT:
      if (!lParam || (!Valid(s, wParam) && wParam != 0)) return LB_ERR;
      *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, s, static_cast<int>(wParam));
      return LB_OKAY;
    case LB_GETITEMHEIGHT: return s.itemHeight;
    case LB_SETITEMHEIGHT:
      if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
      s.itemHeight = LOWORD(lParam);
      Changed(hwnd, s);
      return LB_OKAY;
    case LB_GETCARETINDEX: return s.caret;
    case LB_SETCARETINDEX:
      if (!Valid(s, wParam)) return LB_ERR;
      s.caret = static_cast<int>(wParam);
      ShowItem(hwnd, s, s.caret);
      InvalidateRect(hwnd, nullptr, TRUE);
      return LB_OKAY;
    case LB_ITEMFROMPOINT: {
      const int index = ItemAt(hwnd, s, GET_Y_LPARAM(lParam));
      const bool outside = !InClient(hwnd, lParam) || index < 0;
      return MAKELONG(static_cast<WORD>(std::max(index, 0)), outside ? 1 : 0);
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

int NavigateIndex(HWND list, int current, WPARAM key) {
  ListState* s = StateOf<ListState>(list);
  if (!s || s->items.empty()) return -1;
  const int last = Count(*s) - 1, page = std::max(1, VisibleCount(list, *s) - 1);
  switch (key) {
    case VK_UP: case VK_LEFT: return current < 0 ? 0 : std::max(0, current - 1);
    case VK_DOWN: case VK_RIGHT: return current < 0 ? 0 : std::min(last, current + 1);
    case VK_HOME: return 0;
    case VK_END: return last;
    case VK_PRIOR: return std::max(0, current - page);
    case VK_NEXT: return std::min(last, std::max(current, 0) + page);
    default: return -1;
  }
}

// --- procedure ---
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ListState* state = StateForMessage<ListState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  ListState& s = *state;
  switch (message) {
    case WM_CREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create->style & LBS_COMBOBOX) s.combo = static_cast<HWND>(create->lpCreateParams);
      s.scrollBar = (create->style & WS_VSCROLL) != 0;
      SetFont(hwnd, s, nullptr, false);
      return 0;
    }
    case WM_NCDESTROY:
      DetachState<ListState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, hdc, s); });
    case WM_SIZE: UpdateScrollBar(hwnd, s); SetTop(hwnd, s, s.top); return 0;
    case WM_VSCROLL: OnScroll(hwnd, s, LOWORD(wParam)); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(hwnd, s, wParam, lParam, false); return 0;
    case WM_LBUTTONDBLCLK: OnButtonDown(hwnd, s, wParam, lParam, true); return 0;
    case WM_MOUSEMOVE: OnMouseMove(hwnd, s, lParam); return 0;
    case WM_LBUTTONUP: OnButtonUp(hwnd, s, lParam); return 0;
    case WM_CAPTURECHANGED:
      s.tracking = false;
      if (s.combo && reinterpret_cast<HWND>(lParam) != hwnd) ComboListClosed(s.combo, false);
      return 0;
    case WM_MOUSEWHEEL: OnWheel(hwnd, s, wParam); return 0;
    case WM_KEYDOWN: {
      const int to = NavigateIndex(hwnd, Extended(hwnd) ? s.caret : s.selected, wParam);
      if (to >= 0 && Extended(hwnd))
        ExtendedSelect(hwnd, s, to, GetKeyState(VK_SHIFT) < 0, false);
      else if (to >= 0)
        UserSelect(hwnd, s, to);
      return 0;
    }
    case WM_CHAR:
      if (wParam > 0x20) UserSelect(hwnd, s, FirstLetterMatch(s, wParam));
      return 0;
    case WM_SETFOCUS: OnFocus(hwnd, s, true); return 0;
    case WM_KILLFOCUS: OnFocus(hwnd, s, false); return 0;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_SETFONT: SetFont(hwnd, s, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s.font);
    case WM_NOTIFY: return 0;
    default: return ListMessage(hwnd, s, message, wParam, lParam);
  }
}

}  // namespace compat::controls
