// The model's side of a capture loop: while the mouse is captured the pane
// pumps its queue and hands each message to the model object, which moves
// points, ends the loop, or leaves the message to be dispatched.
#pragma once

#include "compat/win32/types.h"

// A message of the loop, with the platform's numbers.
struct CLoopMessage {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

// What the model did with a message.
enum LoopResult { kLoopConsumed = 0, kLoopDispatch = 1, kLoopEnded = 2 };

// The platform's numbers of the messages and key flags the loops look at;
// the model stays below the window layer and does not include its headers.
namespace loop_msg {
constexpr UINT kMouseMove = 0x0200;
constexpr UINT kLButtonDown = 0x0201;
constexpr UINT kLButtonUp = 0x0202;
constexpr UINT kLButtonDblClk = 0x0203;
constexpr UINT kRButtonDown = 0x0204;
constexpr UINT kRButtonUp = 0x0205;
constexpr UINT kCaptureChanged = 0x0215;
constexpr WPARAM kFlagLButton = 0x0001;
constexpr WPARAM kFlagShift = 0x0004;
constexpr WPARAM kFlagControl = 0x0008;

// The client position packed in a mouse message, signed 16 bits each.
inline POINT MessagePoint(LPARAM lParam) {
  return POINT{static_cast<SHORT>(lParam & 0xFFFF), static_cast<SHORT>((lParam >> 16) & 0xFFFF)};
}
}  // namespace loop_msg
