// MsgWaitForMultipleObjects: waits for kernel objects or queue input, and
// delivers messages sent from other threads while it waits.
#include <algorithm>

#include "compat/win32/kernel.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

// What the queue holds now, as QS_* bits; lock held.
DWORD QueueBits(const ThreadQueue& queue) {
  DWORD bits = 0;
  if (!queue.posted.empty() || queue.quitPosted) bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  for (const RawInput& raw : queue.input)
    bits |= (raw.message >= WM_KEYFIRST && raw.message <= WM_KEYLAST) ? QS_KEY
            : raw.message == WM_MOUSEMOVE                             ? QS_MOUSEMOVE
                                                                      : QS_MOUSEBUTTON;
  HWND target;
  if (HasPendingPaint(queue, nullptr, &target)) bits |= QS_PAINT;
  if (NextTimerDue(queue) <= NowMs()) bits |= QS_TIMER;
  return bits;
}

}  // namespace
}  // namespace compat::user

using namespace compat::user;

DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD milliseconds,
                                         DWORD wakeMask, DWORD flags) {
  if (count >= MAXIMUM_WAIT_OBJECTS || (count && !handles)) return WAIT_FAILED;
  auto queue = CurrentQueue();
  const uint64_t deadline = milliseconds == INFINITE ? UINT64_MAX : NowMs() + milliseconds;
  std::vector<HANDLE> all(handles, handles + count);
  for (;;) {
    ProcessSentMessages();
    PumpHostForWait();
    HANDLE wake;
    uint64_t timerDue;
    {
      Guard guard = Lock();
      if (QueueBits(*queue) & wakeMask) return WAIT_OBJECT_0 + count;
      ArmHostWake();
      wake = queue->wakeEvent;
      timerDue = (wakeMask & QS_TIMER) ? NextTimerDue(*queue) : UINT64_MAX;
    }
    if (!wake) return WAIT_FAILED;
    all.resize(count);
    all.push_back(wake);
    const uint64_t now = NowMs();
    const uint64_t until = std::min(deadline, timerDue);
    const DWORD slice = until == UINT64_MAX ? INFINITE
                                            : static_cast<DWORD>(std::min<uint64_t>(until > now ? until - now : 0, 0x7FFFFFFF));
    // Waiting for all objects and input together is served as: all objects, or input.
    const BOOL waitAll = (flags & MWMO_WAITALL) && count > 0;
    DWORD result = waitAll ? WaitForMultipleObjects(count, all.data(), TRUE, std::min<DWORD>(slice, 10))
                           : WaitForMultipleObjects(count + 1, all.data(), FALSE, slice);
    if (result == WAIT_FAILED) return WAIT_FAILED;
    if (waitAll && result == WAIT_OBJECT_0) return WAIT_OBJECT_0;
    if (!waitAll && result < WAIT_OBJECT_0 + count) return result;
    if (result >= WAIT_ABANDONED_0 && result < WAIT_ABANDONED_0 + count) return result;
    if (NowMs() >= deadline) {
      Guard guard = Lock();
      return (QueueBits(*queue) & wakeMask) ? WAIT_OBJECT_0 + count : WAIT_TIMEOUT;
    }
  }
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD milliseconds, DWORD wakeMask) {
  return MsgWaitForMultipleObjectsEx(count, handles, milliseconds, wakeMask, waitAll ? MWMO_WAITALL : 0);
}
