// Scripted mouse input for the model's capture loops: messages with the
// platform's numbers, key flags and packed positions.
#pragma once

#include <vector>

#include "model/project/capture_loop.h"

namespace session {

using namespace loop_msg;

constexpr UINT kPaint = 0x000F;
constexpr UINT kLButton = 0x0001;
constexpr UINT kShift = 0x0004;
constexpr UINT kControl = 0x0008;

inline LPARAM Pack(int x, int y) {
  return static_cast<LPARAM>((static_cast<DWORD>(static_cast<WORD>(y)) << 16) | static_cast<WORD>(x));
}

inline CLoopMessage Msg(UINT message, int x, int y, UINT flags = 0) { return CLoopMessage{message, flags, Pack(x, y)}; }

// Feeds messages to a running loop as the pane's loop would: stops at the
// message that ends it; counts what it was told to dispatch.
template <class Target>
int Feed(Target& target, const std::vector<CLoopMessage>& messages, int* dispatched = nullptr) {
  int handled = 0;
  for (const CLoopMessage& m : messages) {
    ++handled;
    const int r = target.LoopMessage(m);
    if (r == kLoopDispatch && dispatched != nullptr) ++*dispatched;
    if (r == kLoopEnded) break;
  }
  return handled;
}

}  // namespace session
