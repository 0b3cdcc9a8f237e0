// Mouse capture and DragDetect.
#include <cstdlib>

#include "compat/win32/user_state.h"

using namespace compat::user;

HWND WINAPI SetCapture(HWND hwnd) {
  HWND old;
  {
    Guard guard = Lock();
    if (!Find(hwnd)) return nullptr;
    old = Find(State().capture) ? State().capture : nullptr;
    State().capture = hwnd;
  }
  if (old && old != hwnd) SendMessageW(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
  return old;
}

BOOL WINAPI ReleaseCapture() {
  HWND old;
  {
    Guard guard = Lock();
    old = Find(State().capture) ? State().capture : nullptr;
    State().capture = nullptr;
  }
  if (old) SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND WINAPI GetCapture() {
  Guard guard = Lock();
  return Find(State().capture) ? State().capture : nullptr;
}

// Captures the mouse until the pointer leaves the drag rectangle around
// `point` (a drag) or the button comes up or Escape is pressed (no drag).
BOOL WINAPI DragDetect(HWND hwnd, POINT point) {
  if (!IsWindow(hwnd)) return FALSE;
  const int dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
  SetCapture(hwnd);
  BOOL dragged = FALSE;
  MSG msg;
  while (GetCapture() == hwnd && GetNextMessage(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_LBUTTONUP) break;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) break;
    if (msg.message == WM_MOUSEMOVE) {
      if (std::abs(msg.pt.x - point.x) > dx || std::abs(msg.pt.y - point.y) > dy) {
        dragged = TRUE;
        break;
      }
      continue;
    }
    if ((msg.message < WM_MOUSEFIRST || msg.message > WM_MOUSELAST) &&
        (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (GetCapture() == hwnd) ReleaseCapture();
  return dragged;
}
