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

// Registers `name` in `instance` as a copy of the system class `baseClass`
// with `proc`, its class styles changed by `addStyles` and `removeStyles`
// (and the arrow cursor when the copy has none).
BOOL RegisterCopyOfClass(HINSTANCE instance, LPCTSTR baseClass, LPCTSTR name, WNDPROC proc, UINT addStyles = 0,
                         UINT removeStyles = 0);

// Paints the client area of `wnd` through an off-screen bitmap, so a control
// that draws in layers does not flicker: `draw` gets the memory DC and the
// client rectangle.
template <class Draw>
void PaintBuffered(CWnd& wnd, Draw draw) {
  CPaintDC dc(&wnd);
  CRect client;
  wnd.GetClientRect(&client);
  CDC memory;
  memory.CreateCompatibleDC(&dc);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&dc, client.Width() > 0 ? client.Width() : 1, client.Height() > 0 ? client.Height() : 1);
  CBitmap* old = memory.SelectObject(&bitmap);
  draw(memory, client);
  dc.BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(old);
}

// Copies top-down 32-bit pixels of `size` to `dc` at (0, 0).
void DrawPixels(CDC& dc, const DWORD* pixels, CSize size);

// A triangle filled and outlined in one colour (thumbs and button glyphs).
void FillTriangle(CDC& dc, const POINT (&corners)[3], COLORREF color);

// Where a control's notifications go: its owner, else its parent.
HWND NotifyTarget(HWND control);

// Sends a notification record (one that starts with its NMHDR `hdr`) to the
// control's owner as coming from `control` with `code`.
LRESULT SendNotify(HWND control, UINT code, NMHDR& header, void* record);
template <class Record>
LRESULT SendNotify(HWND control, UINT code, Record& record) {
  return SendNotify(control, code, record.hdr, &record);
}
inline LRESULT SendNotify(HWND control, UINT code) {
  NMHDR header{};
  return SendNotify(control, code, header, &header);
}

}  // namespace controls
