// The capture loop and the notices of a press in an image pane.
#include "ui/image_pane_link.h"

#include "compat/win32.h"
#include "model/outline/editable_path.h"
#include "model/project/line_set.h"
#include "ui/rubber_band.h"

namespace {

class CImagePaneLink : public CPaneLink {
 public:
  void RunCaptureLoop(HWND pane, CCaptureTarget& target) override {
    SetCapture(pane);
    MSG msg;
    while (target.GetActiveLoop() != 0) {
      const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got <= 0) {
        target.EndLoop();
        if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        break;
      }
      const int result = target.LoopMessage(CLoopMessage{msg.message, msg.wParam, msg.lParam});
      if (result == kLoopDispatch) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      } else if (msg.message == WM_MOUSEMOVE) {
        InvalidateRect(pane, nullptr, TRUE);
      }
      if (target.GetActiveLoop() != 0 && GetCapture() != pane) target.EndLoop();
    }
    if (GetCapture() == pane) ReleaseCapture();
  }

  RECT TrackRubberBand(HWND pane, POINT start, COLORREF colour) override {
    return TrackRubberBandRect(CWnd::FromHandle(pane), start, colour);
  }

  void ReleaseOtherCapture(HWND pane) override {
    const HWND holder = GetCapture();
    if (holder != nullptr && holder != pane) ReleaseCapture();
  }

  void SendEditModeChanged(HWND pane, CEditModeRecord* record) override {
    SendMessageW(pane, WM_EDITMODECHANGED, 0, reinterpret_cast<LPARAM>(record));
  }

  void SendPathSelectionCleared(HWND pane) override {
    if (const HWND parent = GetParent(pane))
      SendMessageW(parent, WM_PATHSELECTIONCLEARED, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(pane));
  }
};

}  // namespace

CPaneLink& GetImagePaneLink() {
  static CImagePaneLink link;
  return link;
}
