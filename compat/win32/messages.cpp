// Per-thread message queues: posting, retrieval in the platform's order
// (sent, posted, quit, input, paint, timer), dispatch and waiting.
#include <algorithm>

#include "compat/win32/kernel.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

// Sleeps until something wakes the queue or its next timer falls due.
void WaitForWakeOrTimer(ThreadQueue& queue, Guard& guard) {
  const uint64_t seen = queue.wakeCount;
  const uint64_t due = NextTimerDue(queue);
  auto ready = [&] { return queue.wakeCount != seen; };
  if (due == UINT64_MAX) {
    queue.wake.wait(guard, ready);
  } else {
    const uint64_t now = NowMs();
    // A stopped clock moves only when a test advances it, from any thread:
    // look again soon rather than sleeping the timer's whole span.
    constexpr uint64_t kStoppedClockPollMs = 10;
    uint64_t wait = due > now ? due - now : 0;
    if (compat::IsClockStopped()) wait = std::min(wait, kStoppedClockPollMs);
    if (wait) queue.wake.wait_for(guard, std::chrono::milliseconds(wait), ready);
  }
}

constexpr UINT kFirstRegisteredMessage = 0xC000;
constexpr size_t kMaxRegisteredMessages = 0x3FFF;

bool InRange(UINT message, UINT low, UINT high) {
  if (low == 0 && high == 0) return true;
  return message >= low && message <= high;
}

bool RangeTouches(UINT low, UINT high, UINT first, UINT last) {
  if (low == 0 && high == 0) return true;
  return low <= last && high >= first;
}

// hwnd filter: NULL any, (HWND)-1 thread messages only, else the window or its children.
bool WindowMatches(HWND target, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return target == nullptr;
  if (target == filter) return true;
  Window* w = Find(target);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == filter) return true;
    w = Find(w->parent);
  }
  return false;
}

MSG Stamped(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{hwnd, message, wParam, lParam, static_cast<DWORD>(NowMs()), State().cursor};
  return msg;
}

enum class Fetch { Got, None, Retry };

// One pass over the queue, lock held on entry; may unlock to translate input.
Fetch TryFetch(ThreadQueue& queue, Guard& guard, MSG* msg, HWND filter, UINT low, UINT high,
               UINT flags) {
  const bool remove = (flags & PM_REMOVE) != 0;
  for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
    if (!WindowMatches(it->hwnd, filter) || !InRange(it->message, low, high)) continue;
    *msg = *it;
    if (remove) queue.posted.erase(it);
    return Fetch::Got;
  }
  if (queue.quitPosted) {
    *msg = Stamped(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
    if (remove) queue.quitPosted = false;
    return Fetch::Got;
  }
  const bool wantsInput = RangeTouches(low, high, WM_KEYFIRST, WM_KEYLAST) ||
                          RangeTouches(low, high, WM_MOUSEFIRST, WM_MOUSELAST) ||
                          RangeTouches(low, high, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK);
  for (auto it = queue.input.begin(); wantsInput && it != queue.input.end(); ++it) {
    if (!WindowMatches(it->target, filter)) continue;
    RawInput raw = *it;
    if (!remove) {
      *msg = Stamped(raw.target, raw.message, raw.wParam, raw.lParam);
      msg->pt = raw.pt;
      msg->time = raw.time;
      return Fetch::Got;
    }
    queue.input.erase(it);
    guard.unlock();
    bool keep = false;
    TranslateAndDeliverInput(raw, msg, &keep);
    guard.lock();
    return keep ? Fetch::Got : Fetch::Retry;
  }
  HWND target = nullptr;
  if (InRange(WM_PAINT, low, high) && HasPendingPaint(queue, filter, &target)) {
    *msg = Stamped(target, WM_PAINT, 0, 0);
    return Fetch::Got;
  }
  if (InRange(WM_TIMER, low, high) && TakeDueTimer(queue, filter, msg)) return Fetch::Got;
  return Fetch::None;
}

// The heart of GetMessage, PeekMessage and the modal loops.
bool FetchMessage(MSG* msg, HWND filter, UINT low, UINT high, UINT flags, bool wait) {
  auto queue = CurrentQueue();
  for (;;) {
    ProcessSentMessages();
    Guard guard = Lock();
    if (!queue->sent.empty()) continue;
    Fetch result = TryFetch(*queue, guard, msg, filter, low, high, flags);
    if (result == Fetch::Got) {
      if (flags & PM_REMOVE) queue->last = *msg;
      guard.unlock();
      if (HasHook(WH_GETMESSAGE, queue->threadId))
        CallHooks(WH_GETMESSAGE, HC_ACTION, flags & PM_REMOVE, reinterpret_cast<LPARAM>(msg));
      return true;
    }
    if (result == Fetch::Retry) continue;
    if (!wait) return false;
    WaitForWakeOrTimer(*queue, guard);
  }
}

}  // namespace

void PostToQueue(ThreadQueue& queue, const MSG& msg) {
  queue.posted.push_back(msg);
  WakeQueue(queue);
}

void PostInput(const RawInput& input) {
  Guard guard = Lock();
  Window* w = Find(input.target);
  if (!w) return;
  auto queue = QueueOf(w->threadId, false);
  if (!queue || !queue->alive) return;
  // Consecutive moves to one window merge, as the platform coalesces them.
  if (input.message == WM_MOUSEMOVE && !queue->input.empty()) {
    RawInput& last = queue->input.back();
    if (last.message == WM_MOUSEMOVE && last.target == input.target) {
      last = input;
      WakeQueue(*queue);
      return;
    }
  }
  queue->input.push_back(input);
  WakeQueue(*queue);
}

bool HasQueuedWork(const ThreadQueue& queue) {
  return !queue.sent.empty() || !queue.posted.empty() || queue.quitPosted || !queue.input.empty();
}

bool GetNextMessage(MSG* msg, HWND filter, UINT low, UINT high) {
  return FetchMessage(msg, filter, low, high, PM_REMOVE, true);
}

}  // namespace compat::user

using namespace compat::user;

BOOL WINAPI GetMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  if (!msg) return -1;
  if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !IsWindow(hwnd)) return -1;
  FetchMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE, true);
  return msg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL WINAPI PeekMessageW(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove) {
  if (!msg) return FALSE;
  return FetchMessage(msg, hwnd, filterMin, filterMax, remove, false) ? TRUE : FALSE;
}

BOOL WINAPI PostMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!hwnd) return PostThreadMessageW(CurrentThreadId(), message, wParam, lParam);
  Guard guard = Lock();
  if (hwnd == HWND_BROADCAST) {
    for (HWND top : Find(Desktop())->children) {
      Window* t = Find(top);
      auto queue = t ? QueueOf(t->threadId, false) : nullptr;
      if (queue && queue->posted.size() < kMaxPostedMessages)
        PostToQueue(*queue, Stamped(top, message, wParam, lParam));
    }
    return TRUE;
  }
  Window* w = Find(hwnd);
  if (!w) return FALSE;
  auto queue = QueueOf(w->threadId, false);
  if (!queue || !queue->alive || queue->posted.size() >= kMaxPostedMessages) return FALSE;
  PostToQueue(*queue, Stamped(hwnd, message, wParam, lParam));
  return TRUE;
}

BOOL WINAPI PostThreadMessageW(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  if (threadId == CurrentThreadId()) CurrentQueue();
  Guard guard = Lock();
  auto queue = QueueOf(threadId, false);
  if (!queue || !queue->alive || queue->posted.size() >= kMaxPostedMessages) return FALSE;
  PostToQueue(*queue, Stamped(nullptr, message, wParam, lParam));
  return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  queue->quitPosted = true;
  queue->quitCode = exitCode;
  WakeQueue(*queue);
}

LRESULT WINAPI DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, static_cast<DWORD>(NowMs()));
    return 0;
  }
  if (!msg->hwnd) return 0;
  WNDPROC proc;
  {
    Guard guard = Lock();
    Window* w = Find(msg->hwnd);
    if (!w || !w->proc) return 0;
    proc = w->proc;
  }
  return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI WaitMessage() {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  HWND target;
  if (HasQueuedWork(*queue) || HasPendingPaint(*queue, nullptr, &target)) return TRUE;
  WaitForWakeOrTimer(*queue, guard);
  return TRUE;
}

DWORD WINAPI GetQueueStatus(UINT flags) {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  DWORD status = 0;
  if (!queue->sent.empty()) status |= QS_SENDMESSAGE;
  if (!queue->posted.empty() || queue->quitPosted) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  for (const RawInput& raw : queue->input)
    status |= (raw.message >= WM_KEYFIRST && raw.message <= WM_KEYLAST) ? QS_KEY
              : raw.message == WM_MOUSEMOVE                             ? QS_MOUSEMOVE
                                                                        : QS_MOUSEBUTTON;
  HWND target;
  if (HasPendingPaint(*queue, nullptr, &target)) status |= QS_PAINT;
  if (NextTimerDue(*queue) <= NowMs()) status |= QS_TIMER;
  status &= flags;
  return (status << 16) | status;
}

UINT WINAPI RegisterWindowMessageW(LPCWSTR name) {
  if (!name || !*name) return 0;
  Guard guard = Lock();
  auto& names = State().registeredMessages;
  for (size_t i = 0; i < names.size(); ++i) {
    if (EqualNoCase(names[i], name)) return kFirstRegisteredMessage + static_cast<UINT>(i);
  }
  if (names.size() >= kMaxRegisteredMessages) return 0;
  names.emplace_back(name);
  return kFirstRegisteredMessage + static_cast<UINT>(names.size() - 1);
}

DWORD WINAPI GetMessagePos() {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  return static_cast<DWORD>(MAKELONG(static_cast<WORD>(queue->last.pt.x), static_cast<WORD>(queue->last.pt.y)));
}

LONG WINAPI GetMessageTime() {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  return static_cast<LONG>(queue->last.time);
}
