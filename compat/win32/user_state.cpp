// The window manager's state: handle table with generations, the desktop
// window, per-thread queues and small shared helpers.
#include "compat/win32/user_state.h"

#include "compat/win32/kernel.h"


#include "compat/host.h"

namespace compat::user {
namespace {

constexpr uintptr_t kIndexBias = 2;  // keeps handles clear of HWND_BOTTOM and friends

uintptr_t HandleValue(uint32_t index, uint16_t generation) {
  return (static_cast<uintptr_t>(generation) << 16) | (index + kIndexBias);
}

// Releases senders blocked on a thread that is ending, so no SendMessage to
// a finished thread hangs.
struct ThreadExit {
  ~ThreadExit() {
    if (!queue) return;
    // A thread's windows end with it, as on the platform; it can no longer
    // run their procedures, so they get no messages.
    FreeThreadWindows(queue->threadId);
    Guard guard = Lock();
    queue->alive = false;
    for (auto& sent : queue->sent) {
      sent->done = true;
      if (auto sender = QueueOf(sent->senderThread, false)) WakeQueue(*sender);
    }
    queue->sent.clear();
    if (queue->wakeEvent) CloseHandle(queue->wakeEvent);
    queue->wakeEvent = nullptr;
    State().queues.erase(queue->threadId);
  }
  std::shared_ptr<ThreadQueue> queue;
};

thread_local ThreadExit t_exit;

}  // namespace

UserState& State() {
  static UserState* state = new UserState;  // outlives threads ending after main
  return *state;
}

Window* Find(HWND hwnd) {
  const uintptr_t value = reinterpret_cast<uintptr_t>(hwnd);
  if (value < kIndexBias) return nullptr;
  const uintptr_t index = (value & 0xFFFF) - kIndexBias;
  const uintptr_t generation = value >> 16;
  UserState& s = State();
  if (index >= s.slots.size() || generation != s.slots[index].generation) return nullptr;
  return s.slots[index].window.get();
}

Window* FindLive(HWND hwnd) {
  Window* w = Find(hwnd);
  return w && !w->destroying ? w : nullptr;
}

HWND AllocateHandle(std::unique_ptr<Window> window) {
  UserState& s = State();
  uint32_t index;
  if (!s.freeSlots.empty()) {
    index = s.freeSlots.back();
    s.freeSlots.pop_back();
  } else {
    if (s.slots.size() >= kMaxWindows) return nullptr;
    index = static_cast<uint32_t>(s.slots.size());
    s.slots.emplace_back();
  }
  auto& slot = s.slots[index];
  HWND hwnd = reinterpret_cast<HWND>(HandleValue(index, slot.generation));
  window->hwnd = hwnd;
  slot.window = std::move(window);
  return hwnd;
}

void FreeHandle(HWND hwnd) {
  UserState& s = State();
  if (!Find(hwnd)) return;
  const uint32_t index = static_cast<uint32_t>((reinterpret_cast<uintptr_t>(hwnd) & 0xFFFF) - kIndexBias);
  auto& slot = s.slots[index];
  slot.window.reset();
  // A stale handle must never name a later window; generation 0 is unused.
  slot.generation = static_cast<uint16_t>(slot.generation == 0x7FFF ? 1 : slot.generation + 1);
  s.freeSlots.push_back(index);
}

HWND Desktop() {
  UserState& s = State();
  if (Find(s.desktop)) return s.desktop;
  auto surface = host::DesktopSurface();
  auto window = std::make_unique<Window>();
  window->style = WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  window->rect = RECT{0, 0, surface->width, surface->height};
  window->client = window->rect;
  window->created = true;
  window->text = u"";
  s.desktop = AllocateHandle(std::move(window));
  // The host's surface starts black: without this only the places that
  // windows leave would show the desktop's colour.
  PaintDesktopArea(Find(s.desktop)->rect);
  InstallInputSink();
  return s.desktop;
}

DWORD CurrentThreadId() { return GetCurrentThreadId(); }

std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId, bool create) {
  UserState& s = State();
  auto it = s.queues.find(threadId);
  if (it != s.queues.end()) return it->second;
  if (!create) return nullptr;
  auto queue = std::make_shared<ThreadQueue>();
  queue->threadId = threadId;
  // Set on every arrival, so MsgWaitForMultipleObjects can wait on it with other objects.
  queue->wakeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  s.queues[threadId] = queue;
  return queue;
}

std::shared_ptr<ThreadQueue> CurrentQueue() {
  Guard guard = Lock();
  if (t_exit.queue && t_exit.queue->alive && State().queues.count(t_exit.queue->threadId))
    return t_exit.queue;
  t_exit.queue = QueueOf(CurrentThreadId(), true);
  return t_exit.queue;
}

void WakeQueue(ThreadQueue& queue) {
  ++queue.wakeCount;
  queue.wake.notify_all();
  if (queue.wakeEvent) SetEvent(queue.wakeEvent);
}

uint64_t NowMs() { return GetTickCount64(); }

std::u16string ToLower(std::u16string_view text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return lower;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && ToLower(a) == ToLower(b);
}

}  // namespace compat::user
