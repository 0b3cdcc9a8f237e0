// The model's side of a capture loop: while the mouse is captured the pane
// pumps its queue and hands each message to the model object, which moves
// points, ends the loop, or leaves the message to be dispatched. The pane
// runs the loop (CPaneLink, model/project/pane_link.h).
#pragma once

#include "compat/win32/types.h"
#include "compat/win32/user.h"

// A message of the loop, with the platform's numbers.
struct CLoopMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the model did with a message.
enum LoopResult { kLoopConsumed = 0, kLoopDispatch = 1, kLoopEnded = 2 };

// The messages and key flags the loops look at.
namespace loop_msg {
constexpr UINT kMouseMove = WM_MOUSEMOVE;
constexpr UINT kLButtonDown = WM_LBUTTONDOWN;
constexpr UINT kLButtonUp = WM_LBUTTONUP;
constexpr UINT kLButtonDblClk = WM_LBUTTONDBLCLK;
constexpr UINT kRButtonDown = WM_RBUTTONDOWN;
constexpr UINT kRButtonUp = WM_RBUTTONUP;
constexpr UINT kCaptureChanged = WM_CAPTURECHANGED;
constexpr WPARAM kFlagLButton = MK_LBUTTON;
constexpr WPARAM kFlagShift = MK_SHIFT;
constexpr WPARAM kFlagControl = MK_CONTROL;

// The client position packed in a mouse message, signed 16 bits each.
inline POINT MessagePoint(LPARAM lParam) {
  return POINT{static_cast<SHORT>(lParam & 0xFFFF), static_cast<SHORT>((lParam >> 16) & 0xFFFF)};
}
}  // namespace loop_msg
