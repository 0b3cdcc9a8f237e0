// Hook chains on windows: one map from window to the head of its chain.
#include "guitk/subclass_wnd.h"

#include <unordered_map>

IMPLEMENT_DYNAMIC(CSubclassWnd, CWnd)

namespace {

// The one process-wide map; the toolkit runs in the user-interface thread only.
std::unordered_map<HWND, CSubclassWnd*>& HookMap() {
  static std::unordered_map<HWND, CSubclassWnd*> map;
  return map;
}

CSubclassWnd* HeadOf(HWND hWnd) {
  auto it = HookMap().find(hWnd);
  return it == HookMap().end() ? nullptr : it->second;
}

// The framework's record of the message being routed on this thread.
MSG& CurrentMessage() { return AfxGetThreadState()->m_lastSentMsg; }

}  // namespace

CSubclassWnd::~CSubclassWnd() {
  if (m_hWnd) HookWindow(static_cast<HWND>(nullptr));
}

BOOL CSubclassWnd::HookWindow(HWND hWnd) {
  if (hWnd) {
    if (m_hWnd) HookWindow(static_cast<HWND>(nullptr));
    CSubclassWnd* head = HeadOf(hWnd);
    if (head) {
      m_pOldWndProc = head->m_pOldWndProc;
    } else {
      m_pOldWndProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
      SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassHookProc));
    }
    m_pNext = head;
    m_hWnd = hWnd;
    HookMap()[hWnd] = this;
    return TRUE;
  }
  if (!m_hWnd) return TRUE;
  CSubclassWnd* head = HeadOf(m_hWnd);
  if (head == this) {
    if (m_pNext) {
      HookMap()[m_hWnd] = m_pNext;
    } else {
      if (IsWindow(m_hWnd)) SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pOldWndProc));
      HookMap().erase(m_hWnd);
    }
  } else {
    for (CSubclassWnd* hook = head; hook; hook = hook->m_pNext) {
      if (hook->m_pNext == this) {
        hook->m_pNext = m_pNext;
        break;
      }
    }
  }
  m_hWnd = nullptr;
  m_pNext = nullptr;
  return TRUE;
}

LRESULT CSubclassWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pNext) return m_pNext->WindowProc(message, wParam, lParam);
  return CallWindowProcW(m_pOldWndProc, m_hWnd, message, wParam, lParam);
}

LRESULT CSubclassWnd::Default() {
  const MSG& current = CurrentMessage();
  return CSubclassWnd::WindowProc(current.message, current.wParam, current.lParam);
}

LRESULT CALLBACK SubclassHookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CSubclassWnd* head = HeadOf(hWnd);
  if (!head) return DefWindowProcW(hWnd, message, wParam, lParam);
  // Framework code running inside a hook must see this message as current.
  MSG& current = CurrentMessage();
  const MSG saved = current;
  current.hwnd = hWnd;
  current.message = message;
  current.wParam = wParam;
  current.lParam = lParam;
  LRESULT result;
  if (message == WM_NCDESTROY) {
    const WNDPROC original = head->m_pOldWndProc;
    while (CSubclassWnd* hook = HeadOf(hWnd)) hook->HookWindow(static_cast<HWND>(nullptr));
    result = CallWindowProcW(original, hWnd, message, wParam, lParam);
  } else {
    result = head->WindowProc(message, wParam, lParam);
  }
  current = saved;
  return result;
}
