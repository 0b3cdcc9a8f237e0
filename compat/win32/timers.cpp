// Window timers: WM_TIMER is made when the queue is read and a timer is due;
// a late timer fires once, not once per missed period.
#include <algorithm>

#include "compat/win32/user_state.h"

namespace compat::user {

bool TakeDueTimer(ThreadQueue& queue, HWND filter, MSG* out) {
  const uint64_t now = NowMs();
  Timer* best = nullptr;
  for (Timer& timer : queue.timers) {
    if (timer.due > now) continue;
    if (filter && timer.hwnd != filter && !(timer.hwnd && IsChild(filter, timer.hwnd))) continue;
    if (timer.hwnd && !Find(timer.hwnd)) continue;
    if (!best || timer.due < best->due) best = &timer;
  }
  if (!best) return false;
  *out = MSG{best->hwnd, WM_TIMER, best->id, reinterpret_cast<LPARAM>(best->proc),
             static_cast<DWORD>(now), State().cursor};
  best->due = now + best->elapse;
  return true;
}

uint64_t NextTimerDue(const ThreadQueue& queue) {
  uint64_t due = UINT64_MAX;
  for (const Timer& timer : queue.timers) due = std::min(due, timer.due);
  return due;
}

void KillWindowTimers(ThreadQueue& queue, HWND hwnd) {
  std::erase_if(queue.timers, [&](const Timer& t) { return t.hwnd == hwnd; });
}

}  // namespace compat::user

using namespace compat::user;

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
  elapse = std::clamp<UINT>(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
  std::shared_ptr<ThreadQueue> queue;
  if (!hwnd) queue = CurrentQueue();
  Guard guard = Lock();
  UserState& s = State();
  if (hwnd) {
    Window* w = Find(hwnd);
    // A window's timers belong to its own thread.
    if (!w || w->threadId != CurrentThreadId()) return 0;
    queue = QueueOf(w->threadId, true);
  } else {
    bool known = std::any_of(queue->timers.begin(), queue->timers.end(),
                             [&](const Timer& t) { return !t.hwnd && t.id == id; });
    if (!known || id == 0) id = s.nextTimerId++;
  }
  for (Timer& timer : queue->timers) {
    if (timer.hwnd == hwnd && timer.id == id) {
      timer.elapse = elapse;
      timer.proc = proc;
      timer.due = NowMs() + elapse;
      return hwnd ? (id ? id : 1) : id;
    }
  }
  queue->timers.push_back(Timer{hwnd, id, elapse, proc, NowMs() + elapse});
  WakeQueue(*queue);
  return hwnd ? (id ? id : 1) : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  std::shared_ptr<ThreadQueue> queue;
  if (!hwnd) queue = CurrentQueue();
  Guard guard = Lock();
  if (hwnd) {
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    queue = QueueOf(w->threadId, false);
    if (!queue) return FALSE;
  }
  auto before = queue->timers.size();
  std::erase_if(queue->timers, [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
  return queue->timers.size() != before ? TRUE : FALSE;
}
