// Registration and auto-objects shared by the custom controls.
#include "controls/custom_class.h"

namespace controls {

void AttachAutoObject(CWnd* object, HWND hwnd) {
  object->Attach(hwnd);
  ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
}

BOOL RegisterCustomClass(WNDCLASS& wc) {
  if (!wc.hInstance) wc.hInstance = ::GetModuleHandleW(nullptr);
  WNDCLASS existing{};
  if (::GetClassInfoW(wc.hInstance, wc.lpszClassName, &existing)) return existing.lpfnWndProc == wc.lpfnWndProc;
  return AfxRegisterClass(&wc);
}

BOOL RegisterCopyOfClass(HINSTANCE instance, LPCTSTR baseClass, LPCTSTR name, WNDPROC proc, UINT addStyles,
                         UINT removeStyles) {
  WNDCLASS wc{};
  if (!::GetClassInfoW(nullptr, baseClass, &wc)) return FALSE;
  wc.style = (wc.style | addStyles) & ~removeStyles;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = name;
  if (!wc.hCursor) wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  return RegisterCustomClass(wc);
}

void FillTriangle(CDC& dc, const POINT (&corners)[3], COLORREF color) {
  CPen pen(PS_SOLID, 1, color);
  CBrush brush(color);
  CPen* oldPen = dc.SelectObject(&pen);
  CBrush* oldBrush = dc.SelectObject(&brush);
  dc.Polygon(corners, 3);
  dc.SelectObject(oldPen);
  dc.SelectObject(oldBrush);
}

void DrawPixels(CDC& dc, const DWORD* pixels, CSize size) {
  if (!pixels || size.cx <= 0 || size.cy <= 0) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  ::SetDIBitsToDevice(dc.GetSafeHdc(), 0, 0, size.cx, size.cy, 0, 0, 0, size.cy, pixels, &info, DIB_RGB_COLORS);
}

HWND NotifyTarget(HWND control) {
  HWND owner = ::GetWindow(control, GW_OWNER);
  return owner ? owner : ::GetParent(control);
}

LRESULT SendNotify(HWND control, UINT code, NMHDR& header, void* record) {
  header.hwndFrom = control;
  header.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(control));
  header.code = code;
  return ::SendMessageW(NotifyTarget(control), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(record));
}

}  // namespace controls
