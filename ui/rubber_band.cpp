// A pane's rubber band: its own capture loop around the model's XOR outline.
#include "ui/rubber_band.h"

#include "model/outline/transform_tracker.h"

// The last outline stays drawn: every caller repaints its pane after the
// band. The band ends at the position of the last mouse message, the ending
// click included.
CRect TrackRubberBandRect(CWnd* pane, const POINT& start, COLORREF colour) {
  CClientDC dc(pane);
  CRect band(start.x, start.y, start.x, start.y);
  DrawXorRect(&dc, band, colour);
  pane->SetCapture();
  for (;;) {
    MSG msg;
    if (!::GetMessageW(&msg, NULL, 0, 0)) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));  // keep the quit for the main loop
      break;
    }
    if (::GetCapture() != pane->GetSafeHwnd()) break;
    const bool ends = msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONDOWN;
    if (!ends && msg.message != WM_MOUSEMOVE) {
      ::DispatchMessageW(&msg);
      if (::GetCapture() != pane->GetSafeHwnd()) break;  // e.g. WM_CANCELMODE took it
      continue;
    }
    if (ends) {
      band.right = GET_X_LPARAM(msg.lParam);
      band.bottom = GET_Y_LPARAM(msg.lParam);
      ::ReleaseCapture();
      return band;
    }
    DrawXorRect(&dc, band, colour);
    band.right = GET_X_LPARAM(msg.lParam);
    band.bottom = GET_Y_LPARAM(msg.lParam);
    DrawXorRect(&dc, band, colour);
  }
  if (::GetCapture() == pane->GetSafeHwnd()) ::ReleaseCapture();
  return band;
}
