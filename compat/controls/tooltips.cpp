// Tooltips: tools (windows or rectangles of a window) whose text shows in a
// small topmost window after the pointer rests on them, asked of the tool's
// window when the program gives it late. The tip never activates and lets the
// mouse through.
#include <algorithm>
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "compat/controls/common_paint.h"
#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kPopTimer = 2;
constexpr UINT_PTR kLeaveTimer = 3;
constexpr UINT kLeaveCheckMs = 100;
constexpr int kMargin = 2;
constexpr int kBelowPointer = 20;

struct Tool {
  UINT flags = 0;
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  HINSTANCE hinst = nullptr;
  std::u16string text;
  bool callback = false;
  LPARAM lParam = 0;
};

struct Tooltip {
  std::vector<Tool> tools;
  bool active = true;
  int maxWidth = -1;
  int initial = -1;  // -1: the platform's default from the double-click time
  int autopop = -1;
  int reshow = -1;
  int current = -1;  // the tool under the pointer
  bool showing = false;
  bool retry = false;  // the tool had no text when its wait ended: the next move waits again
  std::u16string shown;
  HFONT font = nullptr;
};

Tooltip* Get(HWND hwnd) { return StateOf<Tooltip>(hwnd); }

UINT Delay(const Tooltip& tt, int which) {
  const UINT click = GetDoubleClickTime();
  switch (which) {
    case TTDT_AUTOPOP: return tt.autopop >= 0 ? static_cast<UINT>(tt.autopop) : click * 10;
    case TTDT_RESHOW: return tt.reshow >= 0 ? static_cast<UINT>(tt.reshow) : click / 5;
    default: return tt.initial >= 0 ? static_cast<UINT>(tt.initial) : click;
  }
}

HWND ToolWindow(const Tool& t) { return (t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd; }

int FindTool(const Tooltip& tt, const TOOLINFOW* info) {
  if (!info) return -1;
  for (size_t i = 0; i < tt.tools.size(); ++i)
    if (tt.tools[i].hwnd == info->hwnd && tt.tools[i].id == info->uId) return static_cast<int>(i);
  return -1;
}

// The tool under a screen point in the window that saw the mouse.
int ToolAt(const Tooltip& tt, HWND window, POINT screen) {
  for (size_t i = 0; i < tt.tools.size(); ++i) {
    const Tool& t = tt.tools[i];
    if (t.flags & TTF_IDISHWND) {
      if (reinterpret_cast<HWND>(t.id) == window) return static_cast<int>(i);
      continue;
    }
    if (t.hwnd != window) continue;
    POINT p = screen;
    ScreenToClient(t.hwnd, &p);
    if (PtInRect(&t.rect, p)) return static_cast<int>(i);
  }
  return -1;
}

// Text a tool gives: its own, a string resource, or what its window answers.
std::u16string TextOf(HWND hwnd, const Tool& t) {
  if (!t.callback) return t.text;
  NMTTDISPINFOW info{};
  info.hdr.hwndFrom = hwnd;
  info.hdr.idFrom = t.id;
  info.hdr.code = TTN_GETDISPINFOW;
  info.lpszText = info.szText;
  info.uFlags = t.flags;
  info.lParam = t.lParam;
  SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&info));
  if (info.hinst && info.lpszText && IS_INTRESOURCE(info.lpszText)) {
    WCHAR buffer[1024] = {};
    LoadStringW(info.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(info.lpszText)), buffer, 1024);
    return buffer;
  }
  if (!info.lpszText || info.lpszText == LPSTR_TEXTCALLBACKW || IS_INTRESOURCE(info.lpszText)) return {};
  return info.lpszText;
}

HFONT Font(const Tooltip& tt) { return tt.font ? tt.font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

UINT TextFormat(const Tooltip& tt) {
  return DT_LEFT | DT_NOPREFIX | DT_EXPANDTABS | (tt.maxWidth >= 0 ? DT_WORDBREAK : 0);
}

// "\r\n" breaks lines; with a maximum width long lines wrap as well.
SIZE MeasureText(HWND hwnd, const Tooltip& tt, const std::u16string& text) {
  HDC hdc = GetDC(hwnd);
  HGDIOBJ old = SelectObject(hdc, Font(tt));
  RECT r{0, 0, tt.maxWidth >= 0 ? tt.maxWidth : 10000, 0};
  DrawTextW(hdc, text.c_str(), static_cast<int>(text.size()), &r, TextFormat(tt) | DT_CALCRECT);
  SelectObject(hdc, old);
  ReleaseDC(hwnd, hdc);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

SIZE FrameSize(HWND hwnd, const Tooltip& tt, const std::u16string& text) {
  const SIZE size = MeasureText(hwnd, tt, text);
  return SIZE{size.cx + 2 * (kMargin + 1) + 2, size.cy + 2 * (kMargin + 1)};
}

void Notify(HWND hwnd, const Tooltip& tt, UINT code) {
  if (tt.current < 0) return;
  const Tool& t = tt.tools[tt.current];
  NMHDR hdr{hwnd, t.id, code};
  SendMessageW(t.hwnd, WM_NOTIFY, t.id, reinterpret_cast<LPARAM>(&hdr));
}

void Hide(HWND hwnd, Tooltip& tt) {
  KillTimer(hwnd, kPopTimer);
  if (!tt.showing) return;
  tt.showing = false;
  ShowWindow(hwnd, SW_HIDE);
  Notify(hwnd, tt, TTN_POP);
}

// Pops the tip and forgets the tool: the next rest starts the initial delay again.
void Cancel(HWND hwnd, Tooltip& tt) {
  KillTimer(hwnd, kShowTimer);
  KillTimer(hwnd, kLeaveTimer);
  Hide(hwnd, tt);
  tt.current = -1;
}

void Show(HWND hwnd, Tooltip& tt) {
  KillTimer(hwnd, kShowTimer);
  if (tt.current < 0 || !tt.active) return;
  const int current = tt.current;
  std::u16string text = TextOf(hwnd, tt.tools[current]);
  if (!IsWindow(hwnd) || Get(hwnd) != &tt || tt.current != current) return;  // the answer changed the tools
  tt.retry = text.empty();
  if (text.empty()) return;
  tt.shown = text;
  const SIZE frame = FrameSize(hwnd, tt, text);
  POINT p;
  GetCursorPos(&p);
  const int w = frame.cx;
  const int h = frame.cy;
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  int x = std::clamp(static_cast<int>(p.x), 0, std::max(0, screenW - w));
  int y = p.y + kBelowPointer;
  if (y + h > screenH) y = std::max(0, static_cast<int>(p.y) - h);
  Notify(hwnd, tt, TTN_SHOW);
  SetWindowPos(hwnd, HWND_TOPMOST, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(hwnd, nullptr, TRUE);
  tt.showing = true;
  SetTimer(hwnd, kPopTimer, Delay(tt, TTDT_AUTOPOP), nullptr);
}

// The pointer moved over `window`: a new tool starts the wait, leaving all tools pops.
void MouseMoved(HWND hwnd, Tooltip& tt, HWND window, POINT screen) {
  if (!tt.active) return;
  const int tool = ToolAt(tt, window, screen);
  if (tool == tt.current) {
    // A tool whose text was empty may have one now (programs set it as the pointer moves).
    if (tool >= 0 && tt.retry) {
      tt.retry = false;
      SetTimer(hwnd, kShowTimer, Delay(tt, TTDT_INITIAL), nullptr);
    }
    return;
  }
  tt.retry = false;
  const bool wasShowing = tt.showing;
  Hide(hwnd, tt);
  tt.current = tool;
  if (tool < 0) {
    Cancel(hwnd, tt);
    return;
  }
  SetTimer(hwnd, kShowTimer, wasShowing ? Delay(tt, TTDT_RESHOW) : Delay(tt, TTDT_INITIAL), nullptr);
  SetTimer(hwnd, kLeaveTimer, kLeaveCheckMs, nullptr);
}

void Relay(HWND hwnd, Tooltip& tt, const MSG* msg) {
  if (!msg) return;
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      POINT p{GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)};
      ClientToScreen(msg->hwnd, &p);
      MouseMoved(hwnd, tt, msg->hwnd, p);
      break;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      Cancel(hwnd, tt);
      break;
    default:
      break;
  }
}

// The pointer left the tool without a relayed move (tools do not hear the mouse leave).
void CheckLeave(HWND hwnd, Tooltip& tt) {
  if (tt.current < 0) {
    KillTimer(hwnd, kLeaveTimer);
    return;
  }
  POINT p;
  GetCursorPos(&p);
  HWND under = WindowFromPoint(p);
  const Tool& t = tt.tools[tt.current];
  if (under != ToolWindow(t) || ToolAt(tt, under, p) != tt.current) Cancel(hwnd, tt);
}

// --- TTF_SUBCLASS: the tool's window relays its own mouse messages ---

struct Subclass {
  WNDPROC previous = nullptr;
  std::vector<HWND> tips;
};

std::map<HWND, Subclass>& Subclasses() {
  static std::map<HWND, Subclass> subclasses;
  return subclasses;
}

LRESULT CALLBACK RelayingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = Subclasses().find(hwnd);
  if (it == Subclasses().end()) return DefWindowProcW(hwnd, message, wParam, lParam);
  WNDPROC previous = it->second.previous;
  if ((message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || message == WM_NCDESTROY) {
    std::vector<HWND> tips = it->second.tips;
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
      Subclasses().erase(it);
    } else {
      MSG msg{hwnd, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
      GetCursorPos(&msg.pt);
      for (HWND tip : tips)
        if (IsWindow(tip)) SendMessageW(tip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
    }
  }
  return CallWindowProcW(previous, hwnd, message, wParam, lParam);
}

void SubclassFor(HWND tip, HWND window) {
  if (!IsWindow(window)) return;
  auto [it, added] = Subclasses().try_emplace(window);
  if (added) {
    it->second.previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RelayingProc)));
  }
  if (std::find(it->second.tips.begin(), it->second.tips.end(), tip) == it->second.tips.end())
    it->second.tips.push_back(tip);
}

void ForgetTip(HWND tip) {
  for (auto& [window, sub] : Subclasses()) std::erase(sub.tips, tip);
}

void SetText(Tool& t, const TOOLINFOW& info) {
  t.hinst = info.hinst;
  t.callback = info.lpszText == LPSTR_TEXTCALLBACKW;
  t.text.clear();
  if (t.callback || !info.lpszText) return;
  if (IS_INTRESOURCE(info.lpszText)) {
    WCHAR buffer[1024] = {};
    LoadStringW(info.hinst, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(info.lpszText)), buffer, 1024);
    t.text = buffer;
  } else {
    t.text = info.lpszText;
  }
}

BOOL AddTool(HWND hwnd, Tooltip& tt, const TOOLINFOW* info) {
  if (!info) return FALSE;
  Tool t;
  t.flags = info->uFlags;
  t.hwnd = info->hwnd;
  t.id = info->uId;
  t.rect = info->rect;
  // Records of the first layout end before lParam.
  t.lParam = info->cbSize >= offsetof(TOOLINFOW, lpReserved) ? info->lParam : 0;
  SetText(t, *info);
  const int existing = FindTool(tt, info);
  if (existing >= 0) {
    tt.tools[existing] = t;
  } else {
    tt.tools.push_back(t);
  }
  if (t.flags & TTF_SUBCLASS) SubclassFor(hwnd, ToolWindow(t));
  return TRUE;
}

void Paint(HWND hwnd, const Tooltip& tt, HDC hdc) {
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(hdc, &r, GetSysColorBrush(COLOR_INFOBK));
  HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_WINDOWFRAME));
  FrameRect(hdc, &r, frame);
  DeleteObject(frame);
  InflateRect(&r, -(kMargin + 1), -(kMargin + 1));
  r.left += 1;
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_INFOTEXT));
  HGDIOBJ old = SelectObject(hdc, Font(tt));
  DrawTextW(hdc, tt.shown.c_str(), static_cast<int>(tt.shown.size()), &r, TextFormat(tt));
  SelectObject(hdc, old);
}

}  // namespace

LRESULT CALLBACK TooltipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Tooltip* tt = StateForMessage<Tooltip>(hwnd, message);
  if (!tt) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_CREATE:
      // The tip is a pop-up whatever its creator asked, above every other window.
      SetWindowLongW(hwnd, GWL_STYLE, static_cast<LONG>((StyleOf(hwnd) & ~WS_CHILD & ~WS_CAPTION & ~WS_BORDER) | WS_POPUP));
      SetWindowLongW(hwnd, GWL_EXSTYLE, GetWindowLongW(hwnd, GWL_EXSTYLE) | WS_EX_TOPMOST | WS_EX_TOOLWINDOW);
      return 0;
    case WM_NCDESTROY:
      ForgetTip(hwnd);
      DetachState<Tooltip>(hwnd);
      return 0;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, *tt, hdc); });
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_SETFONT:
      StoreFont(hwnd, &tt->font, wParam, lParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(tt->font);
    case WM_TIMER:
      if (wParam == kShowTimer) Show(hwnd, *tt);
      if (wParam == kPopTimer) Hide(hwnd, *tt);
      if (wParam == kLeaveTimer) CheckLeave(hwnd, *tt);
      return 0;
    case TTM_ACTIVATE:
      tt->active = wParam != 0;
      if (!tt->active) Cancel(hwnd, *tt);
      return 0;
    case TTM_SETDELAYTIME: {
      const int value = static_cast<short>(LOWORD(lParam));
      switch (wParam) {
        case TTDT_AUTOMATIC:
          tt->initial = value;
          tt->autopop = value < 0 ? -1 : value * 10;
          tt->reshow = value < 0 ? -1 : value / 5;
          break;
        case TTDT_INITIAL: tt->initial = value; break;
        case TTDT_AUTOPOP: tt->autopop = value; break;
        case TTDT_RESHOW: tt->reshow = value; break;
        default: break;
      }
      return 0;
    }
    case TTM_GETDELAYTIME:
      return Delay(*tt, static_cast<int>(wParam));
    case TTM_RELAYEVENT:
      Relay(hwnd, *tt, reinterpret_cast<const MSG*>(lParam));
      return 0;
    case TTM_POP:
      Cancel(hwnd, *tt);
      return 0;
    case TTM_SETMAXTIPWIDTH: {
      const int before = tt->maxWidth;
      tt->maxWidth = static_cast<int>(lParam);
      return before;
    }
    case TTM_GETMAXTIPWIDTH:
      return tt->maxWidth;
    case TTM_GETTOOLCOUNT:
      return static_cast<LRESULT>(tt->tools.size());
    case TTM_ADDTOOLW:
      return AddTool(hwnd, *tt, reinterpret_cast<const TOOLINFOW*>(lParam));
    case TTM_DELTOOLW: {
      const int index = FindTool(*tt, reinterpret_cast<const TOOLINFOW*>(lParam));
      if (index < 0) return 0;
      if (index == tt->current) Cancel(hwnd, *tt);
      tt->tools.erase(tt->tools.begin() + index);
      if (tt->current > index) --tt->current;
      return 0;
    }
    case TTM_NEWTOOLRECTW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      const int index = FindTool(*tt, info);
      if (index >= 0) tt->tools[index].rect = info->rect;
      return 0;
    }
    case TTM_UPDATETIPTEXTW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      const int index = FindTool(*tt, info);
      if (index < 0) return 0;
      SetText(tt->tools[index], *info);
      if (index == tt->current && tt->showing) {
        // The shown tip takes the new text at once, resized where it stands; no text hides it.
        tt->shown = TextOf(hwnd, tt->tools[index]);
        if (tt->shown.empty()) {
          Hide(hwnd, *tt);
          tt->retry = true;
          return 0;
        }
        const SIZE frame = FrameSize(hwnd, *tt, tt->shown);
        SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, frame.cx, frame.cy, SWP_NOACTIVATE | SWP_NOMOVE);
        InvalidateRect(hwnd, nullptr, TRUE);
      }
      return 0;
    }
    case TTM_GETTOOLINFOW: {
      auto* info = reinterpret_cast<TOOLINFOW*>(lParam);
      const int index = FindTool(*tt, info);
      if (index < 0) return FALSE;
      const Tool& t = tt->tools[index];
      info->uFlags = t.flags;
      info->rect = t.rect;
      info->hinst = t.hinst;
      info->lParam = t.lParam;
      return TRUE;
    }
    case TTM_GETTEXTW: {
      const auto* info = reinterpret_cast<const TOOLINFOW*>(lParam);
      const int index = FindTool(*tt, info);
      if (index < 0 || !info->lpszText) return 0;
      const std::u16string text = TextOf(hwnd, tt->tools[index]);
      // The caller's buffer holds 80 characters unless wParam says more.
      return CopyText(text, info->lpszText, wParam ? wParam : 80);
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace compat::controls
