// The "ComboBox" class: drop-down lists (CBS_DROPDOWNLIST) and drop-down
// combos with an edit (CBS_DROPDOWN). The list is a "ComboLBox" pop-up that
// holds the capture while dropped and never takes activation or the focus.
//
// Notification order: opening sends CBN_DROPDOWN. Choosing (a click on an
// item, or Enter) sends CBN_SELENDOK, CBN_CLOSEUP, then CBN_SELCHANGE when the
// choice differs; dismissing (Escape, a click elsewhere, F4 again) sends
// CBN_SELENDCANCEL and CBN_CLOSEUP and puts the old choice back. Arrows on the
// closed list choose at once with CBN_SELCHANGE.
//
// Sections: state · the field · dropping · keys and mouse · messages · procedure
#include <algorithm>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

// --- state ---
struct ComboState {
  HWND list = nullptr;
  HWND edit = nullptr;
  WNDPROC editProc = nullptr;
  bool dropped = false;
  int selectionBeforeDrop = -1;
  bool focus = false;
  bool settingEdit = false;  // the combo writes the edit: no CBN_EDIT* for it
  int dropHeight = 100;
  HFONT font = nullptr;
};

constexpr int kFieldPadding = 6;  // border and margins around the field's text
constexpr UINT kListStyle = WS_POPUP | WS_BORDER | WS_VSCROLL | LBS_COMBOBOX | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;

UINT KindOf(HWND hwnd) { return StyleOf(hwnd) & 0x3; }
bool HasEdit(HWND hwnd) { return KindOf(hwnd) == CBS_DROPDOWN || KindOf(hwnd) == CBS_SIMPLE; }

int Selected(const ComboState& s) { return static_cast<int>(SendMessageW(s.list, LB_GETCURSEL, 0, 0)); }

std::u16string ItemText(const ComboState& s, int index) {
  const LRESULT length = SendMessageW(s.list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == LB_ERR) return {};
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  SendMessageW(s.list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(length));
  return text;
}

// --- the field ---
int FieldHeight(HWND hwnd, const ComboState& s) { return LineHeight(hwnd, s.font) + kFieldPadding; }

RECT ButtonRect(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  InflateRect(&client, -2, -2);
  client.left = std::max(client.left, client.right - GetSystemMetrics(SM_CXVSCROLL));
  return client;
}

void SyncEdit(HWND hwnd, ComboState& s) {
  if (!s.edit) {
    InvalidateRect(hwnd, nullptr, FALSE);
    return;
  }
  const int selected = Selected(s);
  if (selected < 0) return;
  s.settingEdit = true;
  SetWindowTextW(s.edit, ItemText(s, selected).c_str());
  SendMessageW(s.edit, EM_SETSEL, 0, -1);
  s.settingEdit = false;
}

void LayoutEdit(HWND hwnd, const ComboState& s) {
  if (!s.edit) return;
  RECT client;
  GetClientRect(hwnd, &client);
  const RECT button = ButtonRect(hwnd);
  MoveWindow(s.edit, client.left + 3, client.top + 3, button.left - client.left - 4, client.bottom - client.top - 6, TRUE);
}

void PaintField(HWND hwnd, HDC hdc, const ComboState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(s.font));
  const bool enabled = IsWindowEnabled(hwnd);
  HBRUSH back = ControlColor(hwnd, hdc, HasEdit(hwnd) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC);
  RECT edge = client;
  DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
  FillRect(hdc, &edge, enabled ? GetSysColorBrush(COLOR_WINDOW) : back);
  RECT button = ButtonRect(hwnd);
  DrawFrameControl(hdc, &button, DFC_SCROLL,
                   DFCS_SCROLLCOMBOBOX | (s.dropped ? DFCS_PUSHED | DFCS_FLAT : 0) | (enabled ? 0 : DFCS_INACTIVE));
  if (!s.edit) {
    RECT field{edge.left + 1, edge.top + 1, button.left - 1, edge.bottom - 1};
    const bool highlight = s.focus && !s.dropped;
    if (highlight) FillRect(hdc, &field, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, !enabled ? GetSysColor(COLOR_GRAYTEXT)
                               : highlight ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT));
    const int selected = Selected(s);
    if (selected >= 0) {
      const std::u16string text = ItemText(s, selected);
      RECT place = field;
      place.left += 2;
      DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &place, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    if (highlight) DrawFocusRect(hdc, &field);
  }
  SelectObject(hdc, oldFont);
}

// --- dropping ---
void Drop(HWND hwnd, ComboState& s) {
  if (s.dropped || !IsWindowEnabled(hwnd)) return;
  NotifyParent(hwnd, CBN_DROPDOWN);
  if (!StillAlive(hwnd, s)) return;
  s.dropped = true;
  s.selectionBeforeDrop = Selected(s);
  RECT window;
  GetWindowRect(hwnd, &window);
  const int count = static_cast<int>(SendMessageW(s.list, LB_GETCOUNT, 0, 0));
  const int itemHeight = static_cast<int>(SendMessageW(s.list, LB_GETITEMHEIGHT, 0, 0));
  // As tall as the template asked, or shorter when fewer items fill it.
  const int height = std::max(itemHeight + 2, std::min(s.dropHeight, count * itemHeight + 2));
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  // Below the field, else above it, else moved up as far as the screen needs.
  int top = window.bottom;
  if (top + height > desk.bottom) top = window.top - height >= desk.top ? window.top - height : std::max(desk.top, desk.bottom - height);
  const int width = window.right - window.left;
  const int left = std::max(desk.left, std::min(window.left, desk.right - width));
  SetWindowPos(s.list, HWND_TOPMOST, left, top, width, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  SendMessageW(s.list, LB_SETTOPINDEX, static_cast<WPARAM>(std::max(0, Selected(s))), 0);
  SetCapture(s.list);
  InvalidateRect(hwnd, nullptr, FALSE);
}

void CloseUp(HWND hwnd, ComboState& s, bool accept) {
  if (!s.dropped) return;
  s.dropped = false;
  if (GetCapture() == s.list) ReleaseCapture();
  ShowWindow(s.list, SW_HIDE);
  // A handler may close the dialog, and the combo with it, at any notification.
  NotifyParent(hwnd, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
  if (!StillAlive(hwnd, s)) return;
  if (!accept) SendMessageW(s.list, LB_SETCURSEL, static_cast<WPARAM>(s.selectionBeforeDrop), 0);
  NotifyParent(hwnd, CBN_CLOSEUP);
  if (!StillAlive(hwnd, s)) return;
  InvalidateRect(hwnd, nullptr, FALSE);
  if (accept && Selected(s) != s.selectionBeforeDrop) {
    SyncEdit(hwnd, s);
    NotifyParent(hwnd, CBN_SELCHANGE);
  }
}

// --- keys and mouse ---
void ChooseClosed(HWND hwnd, ComboState& s, int index) {
  if (index < 0 || index == Selected(s)) return;
  SendMessageW(s.list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  SyncEdit(hwnd, s);
  InvalidateRect(hwnd, nullptr, FALSE);
  NotifyParent(hwnd, CBN_SELCHANGE);
}

// True when the key was the combo's to handle.
bool OnKey(HWND hwnd, ComboState& s, WPARAM key, bool alt) {
  if (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP))) {
    if (s.dropped) CloseUp(hwnd, s, true);
    else Drop(hwnd, s);
    return true;
  }
  if (s.dropped && (key == VK_RETURN || key == VK_ESCAPE)) {
    CloseUp(hwnd, s, key == VK_RETURN);
    return true;
  }
  if (alt) return false;
  // An edit keeps Home, End and the side arrows for its own caret.
  if (s.edit && (key == VK_HOME || key == VK_END || key == VK_LEFT || key == VK_RIGHT)) return false;
  const int to = NavigateIndex(s.list, Selected(s), key);
  if (to < 0) return false;
  if (s.dropped) SendMessageW(s.list, LB_SETCURSEL, static_cast<WPARAM>(to), 0);
  else ChooseClosed(hwnd, s, to);
  return true;
}

void OnChar(HWND hwnd, ComboState& s, WPARAM c) {
  if (c <= 0x20 || s.edit) return;
  const int count = static_cast<int>(SendMessageW(s.list, LB_GETCOUNT, 0, 0));
  const int current = Selected(s);
  const WCHAR wanted[2] = {static_cast<WCHAR>(c), 0};
  for (int i = 1; i <= count; ++i) {
    const int index = (std::max(current, 0) + i) % count;
    const std::u16string text = ItemText(s, index);
    if (!text.empty() && _wcsnicmp(text.c_str(), wanted, 1) == 0) {
      if (s.dropped) SendMessageW(s.list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
      else ChooseClosed(hwnd, s, index);
      return;
    }
  }
}

void OnButtonDown(HWND hwnd, ComboState& s, LPARAM lParam) {
  if (s.dropped) {
    CloseUp(hwnd, s, false);
    return;
  }
  const RECT button = ButtonRect(hwnd);
  const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (s.edit && !PtInRect(&button, p)) return;
  SetFocus(s.edit ? s.edit : hwnd);
  Drop(hwnd, s);
}

void OnWheel(HWND hwnd, ComboState& s, WPARAM wParam) {
  if (s.dropped) {
    SendMessageW(s.list, WM_MOUSEWHEEL, wParam, 0);
    return;
  }
  if (!s.focus) return;
  const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
  const int count = static_cast<int>(SendMessageW(s.list, LB_GETCOUNT, 0, 0));
  if (count == 0 || notches == 0) return;
  ChooseClosed(hwnd, s, std::clamp(Selected(s) - notches, 0, count - 1));
}

// The edit of a drop-down combo passes the combo's keys to it.
LRESULT CALLBACK ComboEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND combo = GetParent(edit);
  ComboState* s = combo ? StateOf<ComboState>(combo) : nullptr;
  if (!s || !s->editProc) return DefWindowProcW(edit, message, wParam, lParam);
  const WNDPROC original = s->editProc;
  if ((message == WM_KEYDOWN || message == WM_SYSKEYDOWN) &&
      OnKey(combo, *s, wParam, message == WM_SYSKEYDOWN && (lParam & (1 << 29))))
    return 0;
  if (message == WM_CHAR && s->dropped && (wParam == VK_RETURN || wParam == VK_ESCAPE)) return 0;
  if (message == WM_GETDLGCODE && s->dropped)
    return CallWindowProcW(original, edit, message, wParam, lParam) | DLGC_WANTALLKEYS;
  return CallWindowProcW(original, edit, message, wParam, lParam);
}

void CreateParts(HWND hwnd, ComboState& s, const CREATESTRUCTW& create) {
  s.dropHeight = std::max(0, create.cy - FieldHeight(hwnd, s));
  s.list = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kComboListClass, u"", kListStyle, 0, 0, 10, 10, hwnd,
                           nullptr, create.hInstance, hwnd);
  if (HasEdit(hwnd)) {
    DWORD editStyle = WS_CHILD | WS_VISIBLE | ES_LEFT;
    if (create.style & CBS_AUTOHSCROLL) editStyle |= ES_AUTOHSCROLL;
    s.edit = CreateWindowExW(0, u"Edit", create.lpszName && !IS_INTRESOURCE(create.lpszName) ? create.lpszName : u"",
                             editStyle, 0, 0, 10, 10, hwnd, reinterpret_cast<HMENU>(static_cast<intptr_t>(1001)),
                             create.hInstance, nullptr);
    s.editProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(s.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProc)));
  }
  // A template's WS_VSCROLL and WS_HSCROLL are meant for the dropped list,
  // which has its own bar; the field itself shows none.
  const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
  SetWindowLongW(hwnd, GWL_STYLE, style & ~(WS_VSCROLL | WS_HSCROLL));
  // The field keeps one line; the height given at creation is the drop height.
  SetWindowPos(hwnd, nullptr, 0, 0, create.cx, FieldHeight(hwnd, s),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  LayoutEdit(hwnd, s);
}

// The edit's notifications become the combo's own.
void OnEditCommand(HWND hwnd, ComboState& s, WORD code) {
  switch (code) {
    case EN_UPDATE: if (!s.settingEdit) NotifyParent(hwnd, CBN_EDITUPDATE); break;
    case EN_CHANGE: if (!s.settingEdit) NotifyParent(hwnd, CBN_EDITCHANGE); break;
    case EN_SETFOCUS:
      s.focus = true;
      NotifyParent(hwnd, CBN_SETFOCUS);
      break;
    case EN_KILLFOCUS:
      s.focus = false;
      CloseUp(hwnd, s, false);
      NotifyParent(hwnd, CBN_KILLFOCUS);
      break;
    default: break;
  }
}

void OnFocus(HWND hwnd, ComboState& s, bool focus) {
  if (s.edit) {
    if (focus) {
      SetFocus(s.edit);
      SendMessageW(s.edit, EM_SETSEL, 0, -1);
    }
    return;
  }
  s.focus = focus;
  if (!focus) CloseUp(hwnd, s, false);
  InvalidateRect(hwnd, nullptr, FALSE);
  NotifyParent(hwnd, focus ? CBN_SETFOCUS : CBN_KILLFOCUS);
}

// --- messages ---
LRESULT ToList(ComboState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendMessageW(s.list, message, wParam, lParam);
}

LRESULT SetText(HWND hwnd, ComboState& s, LPCWSTR text) {
  if (s.edit) return SendMessageW(s.edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  // A drop-down list shows only its items: the text must name one.
  const LRESULT found = text ? ToList(s, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text)) : LB_ERR;
  if (found == LB_ERR) return CB_ERR;
  ToList(s, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
  InvalidateRect(hwnd, nullptr, FALSE);
  return TRUE;
}

LRESULT GetText(const ComboState& s, WPARAM size, LPARAM buffer) {
  if (s.edit) return SendMessageW(s.edit, WM_GETTEXT, size, buffer);
  const int selected = Selected(s);
  return CopyText(selected >= 0 ? ItemText(s, selected) : std::u16string(), reinterpret_cast<LPWSTR>(buffer), size);
}

LRESULT ComboMessage(HWND hwnd, ComboState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case CB_ADDSTRING: return ToList(s, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING: return ToList(s, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
      const LRESULT result = ToList(s, LB_DELETESTRING, wParam, lParam);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case CB_RESETCONTENT:
      ToList(s, LB_RESETCONTENT, 0, 0);
      if (s.edit) {
        s.settingEdit = true;
        SetWindowTextW(s.edit, u"");
        s.settingEdit = false;
      }
      InvalidateRect(hwnd, nullptr, FALSE);
      return CB_OKAY;
    case CB_GETCOUNT: return ToList(s, LB_GETCOUNT, 0, 0);
    case CB_GETCURSEL: return Selected(s);
    case CB_SETCURSEL: {
      const LRESULT result = ToList(s, LB_SETCURSEL, wParam, 0);
      if (result == LB_ERR && s.edit) {
        s.settingEdit = true;
        SetWindowTextW(s.edit, u"");
        s.settingEdit = false;
      }
      SyncEdit(hwnd, s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return result;
    }
    case CB_GETLBTEXT: return ToList(s, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN: return ToList(s, LB_GETTEXTLEN, wParam, 0);
    case CB_SETITEMDATA: return ToList(s, LB_SETITEMDATA, wParam, lParam);
    case CB_GETITEMDATA: return ToList(s, LB_GETITEMDATA, wParam, 0);
    case CB_FINDSTRING: return ToList(s, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT: return ToList(s, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
      const LRESULT found = ToList(s, LB_SELECTSTRING, wParam, lParam);
      SyncEdit(hwnd, s);
      InvalidateRect(hwnd, nullptr, FALSE);
      return found;
    }
    case CB_GETITEMHEIGHT: return ToList(s, LB_GETITEMHEIGHT, 0, 0);
    case CB_SHOWDROPDOWN:
      if (wParam) Drop(hwnd, s);
      else CloseUp(hwnd, s, false);
      return TRUE;
    case CB_GETDROPPEDSTATE: return s.dropped;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* rect = reinterpret_cast<RECT*>(lParam);
      if (!rect) return CB_ERR;
      GetWindowRect(hwnd, rect);
      rect->bottom += s.dropHeight;
      return CB_OKAY;
    }
    case CB_LIMITTEXT:
      if (s.edit) SendMessageW(s.edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_SETEDITSEL:
      if (!s.edit) return CB_ERR;
      SendMessageW(s.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lParam))),
                   static_cast<LPARAM>(static_cast<SHORT>(HIWORD(lParam))));
      return TRUE;
    case CB_GETEDITSEL: return s.edit ? SendMessageW(s.edit, EM_GETSEL, wParam, lParam) : CB_ERR;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void SetFont(HWND hwnd, ComboState& s, HFONT font, bool redraw) {
  s.font = font;
  SendMessageW(s.list, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  if (s.edit) SendMessageW(s.edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
  RECT window;
  GetWindowRect(hwnd, &window);
  SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, FieldHeight(hwnd, s),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (redraw) InvalidateRect(hwnd, nullptr, FALSE);
}


}  // namespace

void ComboListClosed(HWND combo, bool accept) {
  if (ComboState* s = StateOf<ComboState>(combo)) CloseUp(combo, *s, accept);
}

// --- procedure ---
LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ComboState* state = StateForMessage<ComboState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  ComboState& s = *state;
  switch (message) {
    case WM_CREATE: CreateParts(hwnd, s, *reinterpret_cast<const CREATESTRUCTW*>(lParam)); return 0;
    case WM_DESTROY:
      if (s.list) DestroyWindow(s.list);
      s.list = nullptr;
      return 0;
    case WM_NCDESTROY:
      DetachState<ComboState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (s.dropped ? DLGC_WANTALLKEYS : 0);
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { PaintField(hwnd, hdc, s); });
    case WM_SIZE: LayoutEdit(hwnd, s); return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: OnButtonDown(hwnd, s, lParam); return 0;
    case WM_MOUSEWHEEL: OnWheel(hwnd, s, wParam); return 0;
    case WM_KEYDOWN: OnKey(hwnd, s, wParam, false); return 0;
    case WM_SYSKEYDOWN:
      if (OnKey(hwnd, s, wParam, (lParam & (1 << 29)) != 0)) return 0;
      break;
    case WM_CHAR: OnChar(hwnd, s, wParam); return 0;
    case WM_SETFOCUS: OnFocus(hwnd, s, true); return 0;
    case WM_KILLFOCUS: OnFocus(hwnd, s, false); return 0;
    case WM_COMMAND:
      if (s.edit && reinterpret_cast<HWND>(lParam) == s.edit) OnEditCommand(hwnd, s, HIWORD(wParam));
      return 0;
    case WM_ENABLE:
      if (s.edit) EnableWindow(s.edit, static_cast<BOOL>(wParam));
      InvalidateRect(hwnd, nullptr, FALSE);
      return 0;
    case WM_SETTEXT: return SetText(hwnd, s, reinterpret_cast<LPCWSTR>(lParam));
    case WM_GETTEXT: return GetText(s, wParam, lParam);
    case WM_GETTEXTLENGTH:
      if (s.edit) return GetWindowTextLengthW(s.edit);
      return Selected(s) >= 0 ? static_cast<LRESULT>(ItemText(s, Selected(s)).size()) : 0;
    case WM_SETFONT: SetFont(hwnd, s, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s.font);
    case WM_NOTIFY: return 0;
    default: return ComboMessage(hwnd, s, message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace compat::controls
