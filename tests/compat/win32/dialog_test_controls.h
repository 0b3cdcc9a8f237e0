// Stand-ins for the standard controls the dialog tests put in dialogs, for a
// build whose window manager does not yet register the real ones: a push, check
// and radio button, an edit with selection, a label, a list box and a combo
// box, each with the dialog codes and messages the dialog manager relies on.
// Where the real classes are registered, they are used instead.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "compat/win32.h"

namespace dlgtest {

// Control messages (the values the platform gives them).
constexpr UINT kBmGetCheck = 0x00F0, kBmSetCheck = 0x00F1, kBmSetStyle = 0x00F4, kBmClick = 0x00F5;
constexpr UINT kEmGetSel = 0x00B0, kEmSetSel = 0x00B1;
constexpr UINT kLbAddString = 0x0180, kLbSetCurSel = 0x0186, kLbGetCurSel = 0x0188, kLbGetCount = 0x018B;
constexpr UINT kCbAddString = 0x0143, kCbGetCount = 0x0146, kCbGetCurSel = 0x0147, kCbSetCurSel = 0x014E;
constexpr UINT kCbGetLbText = 0x0148;
constexpr DWORD kBsTypeMask = 0x0F;

struct ControlState {
  int check = 0;
  bool pressed = false;
  int selStart = 0, selEnd = 0;
  std::vector<std::u16string> items;
  int current = -1;
};

inline std::mutex& StatesLock() {
  static std::mutex lock;
  return lock;
}
inline std::map<HWND, ControlState>& States() {
  static std::map<HWND, ControlState> states;
  return states;
}
template <typename F>
auto WithState(HWND hwnd, F f) {
  std::lock_guard<std::mutex> guard(StatesLock());
  return f(States()[hwnd]);
}

inline LRESULT Forget(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard<std::mutex> guard(StatesLock());
    States().erase(hwnd);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

inline std::u16string Text(HWND hwnd) {
  WCHAR buffer[512];
  GetWindowTextW(hwnd, buffer, 512);
  return buffer;
}

inline void Notify(HWND control, WORD code) {
  SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), code),
               reinterpret_cast<LPARAM>(control));
}

inline void PaintFace(HWND hwnd, HDC dc, COLORREF face) {
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH brush = CreateSolidBrush(face);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
}

inline void SelectDialogFont(HWND hwnd, HDC dc) {
  if (auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0))) SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
}

// --- Button ---
inline DWORD ButtonType(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)) & kBsTypeMask; }
inline bool IsRadio(HWND hwnd) { return ButtonType(hwnd) == 4 || ButtonType(hwnd) == 9; }

inline void ButtonClick(HWND hwnd) {
  const DWORD type = ButtonType(hwnd);
  if (type == 3) WithState(hwnd, [](ControlState& s) { s.check = !s.check; return 0; });
  if (type == 9) {
    // An automatic radio button checks itself and clears the others of its group.
    HWND dialog = GetParent(hwnd);
    for (HWND other = GetNextDlgGroupItem(dialog, hwnd, FALSE); other && other != hwnd;
         other = GetNextDlgGroupItem(dialog, other, FALSE))
      if (IsRadio(other)) SendMessageW(other, kBmSetCheck, 0, 0);
    WithState(hwnd, [](ControlState& s) { s.check = 1; return 0; });
  }
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, 0);  // BN_CLICKED
}

inline void PaintButton(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  PaintFace(hwnd, dc, GetSysColor(COLOR_3DFACE));
  SelectDialogFont(hwnd, dc);
  const DWORD type = ButtonType(hwnd);
  const int check = WithState(hwnd, [](ControlState& s) { return s.check; });
  if (type <= 1) {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    if (type == 1) FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    DrawTextW(dc, Text(hwnd).c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  } else if (type == 7) {
    RECT frame{r.left, r.top + 6, r.right, r.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    RECT text{r.left + 8, r.top, r.right, r.top + 13};
    DrawTextW(dc, Text(hwnd).c_str(), -1, &text, DT_LEFT | DT_SINGLELINE);
  } else {
    const int mid = (r.top + r.bottom) / 2;
    RECT box{r.left, mid - 6, r.left + 13, mid + 7};
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawEdge(dc, &box, EDGE_SUNKEN, BF_RECT);
    if (check) {
      RECT mark{box.left + 4, box.top + 4, box.right - 4, box.bottom - 4};
      FillRect(dc, &mark, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    RECT text{r.left + 17, r.top, r.right, r.bottom};
    DrawTextW(dc, Text(hwnd).c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
  }
  if (GetFocus() == hwnd) {
    RECT focus = r;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
  EndPaint(hwnd, &ps);
}

inline LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: {
      const DWORD type = ButtonType(hwnd);
      if (type == 0) return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
      if (type == 1) return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
      if (type == 7) return DLGC_STATIC;
      return DLGC_BUTTON | (IsRadio(hwnd) ? DLGC_RADIOBUTTON : 0);
    }
    case kBmGetCheck: return WithState(hwnd, [](ControlState& s) { return s.check; });
    case kBmSetCheck:
      WithState(hwnd, [&](ControlState& s) { s.check = static_cast<int>(wParam); return 0; });
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case kBmSetStyle: {
      const auto style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
      SetWindowLongPtrW(hwnd, GWL_STYLE, (style & ~kBsTypeMask) | (static_cast<DWORD>(wParam) & kBsTypeMask));
      if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case kBmClick: ButtonClick(hwnd); return 0;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      SetCapture(hwnd);
      WithState(hwnd, [](ControlState& s) { s.pressed = true; return 0; });
      return 0;
    case WM_LBUTTONUP: {
      const bool pressed = WithState(hwnd, [](ControlState& s) { bool p = s.pressed; s.pressed = false; return p; });
      if (GetCapture() == hwnd) ReleaseCapture();
      if (pressed) ButtonClick(hwnd);
      return 0;
    }
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      WithState(hwnd, [](ControlState& s) { s.pressed = false; return 0; });
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_CHAR:
      if (wParam == u' ') ButtonClick(hwnd);
      return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT: PaintButton(hwnd); return 0;
    case WM_NCDESTROY: return Forget(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// --- Edit ---
inline void PaintEdit(HWND hwnd) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  PaintFace(hwnd, dc, GetSysColor(COLOR_WINDOW));
  SelectDialogFont(hwnd, dc);
  const std::u16string text = Text(hwnd);
  auto [start, end] = WithState(hwnd, [](ControlState& s) { return std::pair<int, int>(s.selStart, s.selEnd); });
  RECT t{r.left + 2, r.top, r.right, r.bottom};
  if (GetFocus() == hwnd && end > start) {
    SIZE before{}, sel{};
    GetTextExtentPoint32W(dc, text.c_str(), start, &before);
    GetTextExtentPoint32W(dc, text.c_str() + start, end - start, &sel);
    RECT h{t.left + before.cx, r.top + 1, t.left + before.cx + sel.cx, r.bottom - 1};
    FillRect(dc, &h, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  DrawTextW(dc, text.c_str(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  EndPaint(hwnd, &ps);
}

inline void ReplaceSelection(HWND hwnd, const std::u16string& with) {
  std::u16string text = Text(hwnd);
  auto [start, end] = WithState(hwnd, [](ControlState& s) { return std::pair<int, int>(s.selStart, s.selEnd); });
  start = std::min<int>(start, static_cast<int>(text.size()));
  end = std::min<int>(std::max(end, start), static_cast<int>(text.size()));
  text = text.substr(0, static_cast<size_t>(start)) + with + text.substr(static_cast<size_t>(end));
  SetWindowTextW(hwnd, text.c_str());
  const int caret = start + static_cast<int>(with.size());
  WithState(hwnd, [&](ControlState& s) { s.selStart = s.selEnd = caret; return 0; });
  InvalidateRect(hwnd, nullptr, TRUE);
}

inline LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case kEmSetSel: {
      const int length = GetWindowTextLengthW(hwnd);
      int start = static_cast<int>(wParam), end = static_cast<int>(lParam);
      if (start < 0) start = length;
      if (end < 0 || end > length) end = length;
      WithState(hwnd, [&](ControlState& s) { s.selStart = std::min(start, end); s.selEnd = std::max(start, end); return 0; });
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    }
    case kEmGetSel: {
      auto [start, end] = WithState(hwnd, [](ControlState& s) { return std::pair<int, int>(s.selStart, s.selEnd); });
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(start);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(end);
      return MAKELONG(start, end);
    }
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
      WithState(hwnd, [](ControlState& s) { s.selStart = s.selEnd = 0; return 0; });
      InvalidateRect(hwnd, nullptr, TRUE);
      return result;
    }
    case WM_CHAR:
      if (wParam == 8) {
        auto [start, end] = WithState(hwnd, [](ControlState& s) { return std::pair<int, int>(s.selStart, s.selEnd); });
        if (start == end && start > 0) WithState(hwnd, [](ControlState& s) { --s.selStart; return 0; });
        ReplaceSelection(hwnd, u"");
      } else if (wParam >= 32) {
        ReplaceSelection(hwnd, std::u16string(1, static_cast<char16_t>(wParam)));
      }
      return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_SETFOCUS: case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_PAINT: PaintEdit(hwnd); return 0;
    case WM_NCDESTROY: return Forget(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// --- Static ---
inline LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      RECT r;
      GetClientRect(hwnd, &r);
      auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(hwnd), WM_CTLCOLORSTATIC,
                                                         reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)));
      FillRect(dc, &r, brush ? brush : GetSysColorBrush(COLOR_3DFACE));
      SelectDialogFont(hwnd, dc);
      DrawTextW(dc, Text(hwnd).c_str(), -1, &r, DT_LEFT | DT_WORDBREAK);
      EndPaint(hwnd, &ps);
      return 0;
    }
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

// --- ListBox and ComboBox: a list of strings with one selected ---
inline void PaintList(HWND hwnd, bool combo) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT r;
  GetClientRect(hwnd, &r);
  PaintFace(hwnd, dc, GetSysColor(COLOR_WINDOW));
  DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
  SelectDialogFont(hwnd, dc);
  auto state = WithState(hwnd, [](ControlState& s) { return s; });
  if (combo) {
    RECT t{r.left + 3, r.top, r.right - 16, r.top + 21};
    if (state.current >= 0) DrawTextW(dc, state.items[static_cast<size_t>(state.current)].c_str(), -1, &t, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    RECT arrow{r.right - 17, r.top + 2, r.right - 2, r.top + 19};
    FillRect(dc, &arrow, GetSysColorBrush(COLOR_3DFACE));
    DrawEdge(dc, &arrow, EDGE_RAISED, BF_RECT);
  } else {
    for (size_t i = 0; i < state.items.size(); ++i) {
      RECT t{r.left + 2, r.top + 2 + static_cast<int>(i) * 13, r.right - 2, r.top + 15 + static_cast<int>(i) * 13};
      if (static_cast<int>(i) == state.current) FillRect(dc, &t, GetSysColorBrush(COLOR_HIGHLIGHT));
      DrawTextW(dc, state.items[i].c_str(), -1, &t, DT_LEFT | DT_SINGLELINE);
    }
  }
  EndPaint(hwnd, &ps);
}

inline LRESULT ListMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool combo) {
  const UINT add = combo ? kCbAddString : kLbAddString, setSel = combo ? kCbSetCurSel : kLbSetCurSel;
  const UINT getSel = combo ? kCbGetCurSel : kLbGetCurSel, count = combo ? kCbGetCount : kLbGetCount;
  if (message == add) {
    return WithState(hwnd, [&](ControlState& s) {
      s.items.emplace_back(reinterpret_cast<LPCWSTR>(lParam));
      return static_cast<LRESULT>(s.items.size() - 1);
    });
  }
  if (message == setSel) {
    WithState(hwnd, [&](ControlState& s) {
      const int i = static_cast<int>(wParam);
      s.current = i >= 0 && i < static_cast<int>(s.items.size()) ? i : -1;
      return 0;
    });
    InvalidateRect(hwnd, nullptr, TRUE);
    return 0;
  }
  if (message == getSel) return WithState(hwnd, [](ControlState& s) { return static_cast<LRESULT>(s.current); });
  if (message == count) return WithState(hwnd, [](ControlState& s) { return static_cast<LRESULT>(s.items.size()); });
  if (combo && message == kCbGetLbText) {
    return WithState(hwnd, [&](ControlState& s) {
      if (wParam >= s.items.size()) return static_cast<LRESULT>(-1);
      const std::u16string& item = s.items[wParam];
      std::copy(item.begin(), item.end(), reinterpret_cast<LPWSTR>(lParam));
      reinterpret_cast<LPWSTR>(lParam)[item.size()] = 0;
      return static_cast<LRESULT>(item.size());
    });
  }
  switch (message) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
      if (wParam == VK_DOWN || wParam == VK_UP) {
        WithState(hwnd, [&](ControlState& s) {
          const int last = static_cast<int>(s.items.size()) - 1;
          s.current = std::clamp(s.current + (wParam == VK_DOWN ? 1 : -1), 0, std::max(last, 0));
          if (last < 0) s.current = -1;
          return 0;
        });
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    case WM_LBUTTONDOWN: SetFocus(hwnd); return 0;
    case WM_PAINT: PaintList(hwnd, combo); return 0;
    case WM_NCDESTROY: return Forget(hwnd, message, wParam, lParam);
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

inline LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return ListMessage(hwnd, message, wParam, lParam, false);
}
inline LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // A drop-down list is as tall as its closed field; the template's height is the open list's.
  if (message == WM_CREATE) {
    RECT r;
    GetWindowRect(hwnd, &r);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, 21, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
  }
  return ListMessage(hwnd, message, wParam, lParam, true);
}

// Registers each stand-in whose real class is missing (after every desktop reset).
inline void RegisterStandInControls() {
  struct Entry {
    const char16_t* name;
    WNDPROC proc;
  };
  const Entry entries[] = {{u"Button", ButtonProc}, {u"Edit", EditProc}, {u"Static", StaticProc},
                           {u"ListBox", ListBoxProc}, {u"ComboBox", ComboBoxProc}};
  for (const Entry& e : entries) {
    WNDCLASSW existing{};
    if (GetClassInfoW(nullptr, e.name, &existing)) continue;
    WNDCLASSW wc{};
    wc.lpfnWndProc = e.proc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = e.name;
    RegisterClassW(&wc);
  }
}

}  // namespace dlgtest
