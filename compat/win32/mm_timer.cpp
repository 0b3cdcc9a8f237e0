// The multimedia timer: each event runs on its own thread, firing a callback
// or setting or pulsing an event, once or periodically without drift.
#include <algorithm>
#include <condition_variable>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
  // Threads of timers that have ended, joined by the next timeSetEvent and at exit.
  std::vector<std::thread> ended;
  UINT nextId = 1;
  bool stopAtExit = false;
};

MmTimers& Timers() {
  static MmTimers* timers = new MmTimers;  // timers may be killed after static destruction
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
    Timers().ended.push_back(std::move(timer->thread));
    timers.erase(it);
  }
}

// Joins the threads of ended timers, all but the caller's own.
void JoinEnded() {
  std::vector<std::thread> ended;
  {
    std::lock_guard<std::mutex> guard(Timers().lock);
    auto& kept = Timers().ended;
    for (auto it = kept.begin(); it != kept.end();) {
      if (it->get_id() == std::this_thread::get_id()) {
        ++it;
      } else {
        ended.push_back(std::move(*it));
        it = kept.erase(it);
      }
    }
  }
  for (std::thread& thread : ended) thread.join();
}

// At exit every timer still set is killed: none fires while static objects are destroyed.
void StopAllTimers() {
  std::vector<UINT> ids;
  {
    std::lock_guard<std::mutex> guard(Timers().lock);
    for (const auto& [id, timer] : Timers().timers) ids.push_back(id);
  }
  for (UINT id : ids) timeKillEvent(id);
  JoinEnded();
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
  JoinEnded();
  std::lock_guard<std::mutex> guard(Timers().lock);
  timer->id = Timers().nextId++;
  Timers().timers[timer->id] = timer;
  timer->thread = std::thread(Run, timer);
  if (!Timers().stopAtExit) Timers().stopAtExit = std::atexit(StopAllTimers) == 0;
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
  // Killed from its own callback: the thread ends by itself and is joined later.
  if (timer->thread.get_id() == std::this_thread::get_id()) {
    std::lock_guard<std::mutex> guard(Timers().lock);
    Timers().ended.push_back(std::move(timer->thread));
  } else if (timer->thread.joinable()) {
    timer->thread.join();
  }
  return TIMERR_NOERROR;
}
