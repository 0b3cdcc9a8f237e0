// SendMessage within and across threads: the sender waits, and every wait of
// either thread keeps serving the messages sent to it, so two threads sending
// to each other do not deadlock.
#include <algorithm>

#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

LRESULT CallProcWithHooks(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool interThread) {
  if (HasHook(WH_CALLWNDPROC, CurrentThreadId())) {
    CWPSTRUCT cwp{lParam, wParam, message, hwnd};
    CallHooks(WH_CALLWNDPROC, HC_ACTION, interThread ? 1 : 0, reinterpret_cast<LPARAM>(&cwp));
  }
  WNDPROC proc;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !w->proc) return 0;
    proc = w->proc;
  }
  LRESULT result = proc(hwnd, message, wParam, lParam);
  if (HasHook(WH_CALLWNDPROCRET, CurrentThreadId())) {
    CWPRETSTRUCT ret{result, lParam, wParam, message, hwnd};
    CallHooks(WH_CALLWNDPROCRET, HC_ACTION, interThread ? 1 : 0, reinterpret_cast<LPARAM>(&ret));
  }
  return result;
}

void Finish(const std::shared_ptr<SentMessage>& sent, LRESULT result) {
  if (sent->done) return;
  sent->result = result;
  sent->done = true;
  if (!sent->notify) {
    if (auto sender = QueueOf(sent->senderThread, false)) WakeQueue(*sender);
  }
}

// Queues the message on the receiver and waits for its answer, serving our
// own incoming sent messages meanwhile. timeoutMs 0 means no limit.
bool SendAcross(DWORD thread, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                uint64_t timeoutMs, LRESULT* result) {
  auto self = CurrentQueue();
  auto sent = std::make_shared<SentMessage>();
  *sent = SentMessage{hwnd, message, wParam, lParam, 0, false, false, self->threadId};
  Guard guard = Lock();
  auto target = QueueOf(thread, false);
  if (!target || !target->alive) return false;
  target->sent.push_back(sent);
  WakeQueue(*target);
  const uint64_t deadline = timeoutMs ? NowMs() + timeoutMs : UINT64_MAX;
  while (!sent->done) {
    if (!self->sent.empty()) {
      guard.unlock();
      ProcessSentMessages();
      guard.lock();
      continue;
    }
    const uint64_t seen = self->wakeCount;
    auto ready = [&] { return sent->done || self->wakeCount != seen; };
    if (deadline == UINT64_MAX) {
      self->wake.wait(guard, ready);
    } else {
      const uint64_t now = NowMs();
      if (now >= deadline) {
        // Withdraw the message if it was not taken yet; an answer that comes later is dropped.
        std::erase(target->sent, sent);
        sent->notify = true;
        return false;
      }
      self->wake.wait_for(guard, std::chrono::milliseconds(deadline - now), ready);
    }
  }
  *result = sent->result;
  return true;
}

DWORD ThreadOf(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w ? w->threadId : 0;
}

std::vector<HWND> TopLevelWindows() {
  Guard guard = Lock();
  return Find(Desktop())->children;
}

}  // namespace

LRESULT DeliverSent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD thread = ThreadOf(hwnd);
  if (!thread) return 0;
  if (thread == CurrentThreadId()) return CallProcWithHooks(hwnd, message, wParam, lParam, false);
  LRESULT result = 0;
  SendAcross(thread, hwnd, message, wParam, lParam, 0, &result);
  return result;
}

bool ProcessSentMessages() {
  auto queue = CurrentQueue();
  bool any = false;
  for (;;) {
    std::shared_ptr<SentMessage> sent;
    {
      Guard guard = Lock();
      if (queue->sent.empty()) break;
      sent = queue->sent.front();
      queue->sent.pop_front();
      queue->inbound.push_back(sent);
    }
    LRESULT result = CallProcWithHooks(sent->hwnd, sent->message, sent->wParam, sent->lParam, true);
    Guard guard = Lock();
    std::erase(queue->inbound, sent);
    Finish(sent, result);
    any = true;
  }
  return any;
}

}  // namespace compat::user

using namespace compat::user;

LRESULT WINAPI SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (hwnd == HWND_BROADCAST) {
    for (HWND top : TopLevelWindows()) DeliverSent(top, message, wParam, lParam);
    return 0;
  }
  return DeliverSent(hwnd, message, wParam, lParam);
}

LRESULT WINAPI SendMessageTimeoutW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT,
                                   UINT timeout, PDWORD_PTR result) {
  const DWORD thread = ThreadOf(hwnd);
  if (!thread) return 0;
  LRESULT answer = 0;
  if (thread == CurrentThreadId()) {
    answer = DeliverSent(hwnd, message, wParam, lParam);
  } else if (!SendAcross(thread, hwnd, message, wParam, lParam, std::max<UINT>(timeout, 1), &answer)) {
    return 0;
  }
  if (result) *result = static_cast<DWORD_PTR>(answer);
  return 1;
}

BOOL WINAPI SendNotifyMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const DWORD thread = ThreadOf(hwnd);
  if (!thread) return FALSE;
  if (thread == CurrentThreadId()) {
    DeliverSent(hwnd, message, wParam, lParam);
    return TRUE;
  }
  auto sent = std::make_shared<SentMessage>();
  *sent = SentMessage{hwnd, message, wParam, lParam, 0, false, true, CurrentThreadId()};
  Guard guard = Lock();
  auto target = QueueOf(thread, false);
  if (!target || !target->alive) return FALSE;
  target->sent.push_back(sent);
  WakeQueue(*target);
  return TRUE;
}

BOOL WINAPI InSendMessage() {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  return queue->inbound.empty() ? FALSE : TRUE;
}

DWORD WINAPI InSendMessageEx(LPVOID) {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  if (queue->inbound.empty()) return ISMEX_NOSEND;
  const auto& sent = queue->inbound.back();
  DWORD flags = sent->notify ? ISMEX_NOTIFY : ISMEX_SEND;
  if (sent->done) flags |= ISMEX_REPLIED;
  return flags;
}

BOOL WINAPI ReplyMessage(LRESULT result) {
  auto queue = CurrentQueue();
  Guard guard = Lock();
  if (queue->inbound.empty() || queue->inbound.back()->done) return FALSE;
  Finish(queue->inbound.back(), result);
  return TRUE;
}
