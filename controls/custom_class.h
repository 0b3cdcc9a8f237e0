// What every custom control shares: registration of its window class, and a
// class procedure that gives a window made by class name (from a dialog
// template) its object on the window's first message.
#pragma once

#include "compat/afx.h"

namespace controls {

// Adds the auto-delete flag to a control class: an object made by the class
// procedure deletes itself after its window's last message; one its owner
// made with Create belongs to the owner.
template <class Base>
class CAutoObject : public Base {
 public:
  BOOL m_bAutoDelete = FALSE;

 protected:
  void PostNcDestroy() override {
    Base::PostNcDestroy();
    if (m_bAutoDelete) delete this;
  }
};

// Attaches `object` to `hwnd` and routes the window's messages to it.
void AttachAutoObject(CWnd* object, HWND hwnd);

// The class procedure of a custom control. A window that reaches it with an
// object attached came through the object's default processing, which ends
// in DefWindowProc.
template <class T>
LRESULT CALLBACK AutoObjectProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (CWnd::FromHandlePermanent(hwnd)) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  T* object = new T;
  object->m_bAutoDelete = TRUE;
  AttachAutoObject(object, hwnd);
  return AfxWndProc(hwnd, message, wParam, lParam);
}

// Registers `wc` (instance 0 meaning the application's) unless its name is
// registered there already; then the answer is whether that class has this
// procedure.
BOOL RegisterCustomClass(WNDCLASS& wc);

// Where a control's notifications go: its owner, else its parent.
HWND NotifyTarget(HWND control);

}  // namespace controls
