// The multimedia timer: each event runs on its own thread, firing a callback
// or setting or pulsing an event, once or periodically without drift.
#include <algorithm>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "compat/win32/kernel.h"
#include "compat/win32/user.h"

namespace {

constexpr UINT kMinPeriod = 1;
constexpr UINT kMaxPeriod = 1000000;

struct MmTimer {
  UINT id = 0;
  UINT delay = 0;
  LPTIMECALLBACK callback = nullptr;
  DWORD_PTR user = 0;
  UINT flags = 0;
  std::mutex lock;
  std::condition_variable stop;
  bool stopping = false;
  std::thread thread;
};

struct MmTimers {
  std::mutex lock;
  std::map<UINT, std::shared_ptr<MmTimer>> timers;
  UINT nextId = 1;
};

MmTimers& Timers() {
  static MmTimers* timers = new MmTimers;  // timer threads may outlive main's statics
  return *timers;
}

void Fire(const MmTimer& timer) {
  const UINT kind = timer.flags & (TIME_CALLBACK_EVENT_SET | TIME_CALLBACK_EVENT_PULSE);
  auto event = reinterpret_cast<HANDLE>(timer.callback);
  if (kind == TIME_CALLBACK_EVENT_SET) SetEvent(event);
  else if (kind == TIME_CALLBACK_EVENT_PULSE) PulseEvent(event);
  else if (timer.callback) timer.callback(timer.id, 0, timer.user, 0, 0);
}

void Run(std::shared_ptr<MmTimer> timer) {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::milliseconds(timer->delay);
  auto next = Clock::now() + period;
  for (;;) {
    {
      std::unique_lock<std::mutex> guard(timer->lock);
      if (timer->stop.wait_until(guard, next, [&] { return timer->stopping; })) return;
    }
    Fire(*timer);
    if (!(timer->flags & TIME_PERIODIC)) break;
    next += period;
    // A late timer skips the periods it missed instead of firing in a burst.
    const auto now = Clock::now();
    if (next < now) next = now + period;
  }
  std::lock_guard<std::mutex> guard(Timers().lock);
  auto& timers = Timers().timers;
  auto it = timers.find(timer->id);
  if (it != timers.end() && it->second == timer) {
    timer->thread.detach();
    timers.erase(it);
  }
}

}  // namespace

UINT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
  if (!caps || size < sizeof(TIMECAPS)) return MMSYSERR_INVALPARAM;
  caps->wPeriodMin = kMinPeriod;
  caps->wPeriodMax = kMaxPeriod;
  return MMSYSERR_NOERROR;
}

UINT WINAPI timeBeginPeriod(UINT period) {
  return period < kMinPeriod || period > kMaxPeriod ? TIMERR_NOCANDO : TIMERR_NOERROR;
}

UINT WINAPI timeEndPeriod(UINT period) {
  return period < kMinPeriod || period > kMaxPeriod ? TIMERR_NOCANDO : TIMERR_NOERROR;
}

UINT WINAPI timeSetEvent(UINT delay, UINT, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
  if (delay < kMinPeriod || delay > kMaxPeriod || !callback) return 0;
  auto timer = std::make_shared<MmTimer>();
  timer->delay = delay;
  timer->callback = callback;
  timer->user = user;
  timer->flags = flags;
  std::lock_guard<std::mutex> guard(Timers().lock);
  timer->id = Timers().nextId++;
  Timers().timers[timer->id] = timer;
  timer->thread = std::thread(Run, timer);
  return timer->id;
}

UINT WINAPI timeKillEvent(UINT id) {
  std::shared_ptr<MmTimer> timer;
  {
    std::lock_guard<std::mutex> guard(Timers().lock);
    auto it = Timers().timers.find(id);
    if (it == Timers().timers.end()) return MMSYSERR_INVALPARAM;
    timer = it->second;
    Timers().timers.erase(it);
  }
  {
    std::lock_guard<std::mutex> guard(timer->lock);
    timer->stopping = true;
  }
  timer->stop.notify_all();
  // Killed from its own callback: the thread ends by itself.
  if (timer->thread.get_id() == std::this_thread::get_id()) timer->thread.detach();
  else if (timer->thread.joinable()) timer->thread.join();
  return TIMERR_NOERROR;
}
