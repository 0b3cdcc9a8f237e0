// Windows hooks: per-thread or global chains, newest first, called at the
// platform's points by the queue, the send path and input.
#include <algorithm>

#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

constexpr int kFirstHookId = WH_MSGFILTER;
constexpr int kLastHookId = WH_CALLWNDPROCRET;

bool Applies(const Hook& hook, int id, DWORD thread) {
  return !hook.removed && hook.id == id && (hook.threadId == 0 || hook.threadId == thread);
}

// A thread inside a hook chain does not re-enter the same chain.
thread_local int t_running[kLastHookId - kFirstHookId + 1] = {};
// The hook procedure running now on this thread, innermost last: CallNextHookEx
// goes on from it whatever handle it is given, as the platform ignores that.
// Plain arrays: windows destroyed while the thread ends may still run hooks.
constexpr int kMaxHookDepth = 64;
thread_local HHOOK t_current[kMaxHookDepth];
thread_local int t_depth = 0;

LRESULT CallHook(const std::shared_ptr<Hook>& hook, int code, WPARAM wParam, LPARAM lParam) {
  if (t_depth >= kMaxHookDepth) return 0;
  t_current[t_depth++] = hook->handle;
  LRESULT result = hook->proc(code, wParam, lParam);
  --t_depth;
  return result;
}

std::shared_ptr<Hook> NextAfter(HHOOK after, int id, DWORD thread) {
  Guard guard = Lock();
  auto& hooks = State().hooks;
  bool passed = after == nullptr;
  for (auto& hook : hooks) {
    if (!passed) {
      passed = hook->handle == after;
      continue;
    }
    if (Applies(*hook, id, thread)) return hook;
  }
  return nullptr;
}

}  // namespace

bool HasHook(int id, DWORD threadId) {
  Guard guard = Lock();
  for (auto& hook : State().hooks) {
    if (Applies(*hook, id, threadId)) return true;
  }
  return false;
}

LRESULT CallHooks(int id, int code, WPARAM wParam, LPARAM lParam) {
  if (id < kFirstHookId || id > kLastHookId) return 0;
  int& running = t_running[id - kFirstHookId];
  if (running) return 0;
  auto first = NextAfter(nullptr, id, CurrentThreadId());
  if (!first) return 0;
  ++running;
  LRESULT result = CallHook(first, code, wParam, lParam);
  --running;
  return result;
}

}  // namespace compat::user

using namespace compat::user;

HHOOK WINAPI SetWindowsHookExW(int hookId, HOOKPROC proc, HINSTANCE, DWORD threadId) {
  if (!proc || hookId < kFirstHookId || hookId > kLastHookId) return nullptr;
  Guard guard = Lock();
  UserState& s = State();
  if (threadId && !QueueOf(threadId, threadId == CurrentThreadId())) return nullptr;
  auto hook = std::make_shared<Hook>();
  hook->handle = reinterpret_cast<HHOOK>(s.nextHook);
  s.nextHook += 4;
  hook->id = hookId;
  hook->proc = proc;
  hook->threadId = threadId;
  s.hooks.insert(s.hooks.begin(), hook);
  return hook->handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK handle) {
  Guard guard = Lock();
  auto& hooks = State().hooks;
  auto it = std::find_if(hooks.begin(), hooks.end(), [&](auto& h) { return h->handle == handle; });
  if (it == hooks.end()) return FALSE;
  (*it)->removed = true;
  hooks.erase(it);
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
  if (t_depth > 0) hook = t_current[t_depth - 1];
  int id = 0;
  {
    Guard guard = Lock();
    auto& hooks = State().hooks;
    auto it = std::find_if(hooks.begin(), hooks.end(), [&](auto& h) { return h->handle == hook; });
    if (it == hooks.end()) return 0;
    id = (*it)->id;
  }
  auto next = NextAfter(hook, id, CurrentThreadId());
  return next ? CallHook(next, code, wParam, lParam) : 0;
}

BOOL WINAPI CallMsgFilterW(LPMSG msg, int code) {
  if (!msg) return FALSE;
  return CallHooks(WH_MSGFILTER, code, 0, reinterpret_cast<LPARAM>(msg)) ? TRUE : FALSE;
}
