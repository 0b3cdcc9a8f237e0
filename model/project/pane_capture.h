// The pane's side of a model capture loop: captures the mouse on the pane
// and pumps the thread's queue itself, handing each message to the model
// object until the object ends the loop, the pane loses the capture or the
// queue ends; what the object does not consume is dispatched as usual.
#pragma once

#include "compat/win32.h"
#include "model/project/capture_loop.h"

template <class Model>
void RunCaptureLoop(HWND pane, Model& model, BOOL invalidateOnMove) {
  SetCapture(pane);
  MSG msg;
  while (model.GetActiveLoop() != 0) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      model.EndLoop();
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    const int result = model.LoopMessage(CLoopMessage{msg.message, msg.wParam, msg.lParam});
    if (result == kLoopDispatch) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    } else if (invalidateOnMove && msg.message == WM_MOUSEMOVE) {
      InvalidateRect(pane, nullptr, TRUE);
    }
    if (model.GetActiveLoop() != 0 && GetCapture() != pane) model.EndLoop();
  }
  if (GetCapture() == pane) ReleaseCapture();
}
