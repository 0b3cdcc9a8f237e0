// The handle table and the shared wait machinery behind every wait call.
#include "compat/win32/kernel_objects.h"

#include <condition_variable>
#include <unordered_map>

namespace compat {
namespace {

std::condition_variable& WaitCondition() {
  static auto* condition = new std::condition_variable;  // signalled by threads still ending at exit
  return *condition;
}

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  // Handles count up in fours from here and are never reused.
  uintptr_t next = 0x1000;
};

HandleTable& Handles() {
  static HandleTable* table = new HandleTable;  // outlives threads still closing at exit
  return *table;
}

// Once the deadline lies this far ahead, wait without one: it cannot pass.
constexpr DWORD kLongestTimedWait = INFINITE;

int FirstSignalled(const std::vector<std::shared_ptr<Waitable>>& objects,
                   const std::vector<WaitTicket>& tickets) {
  for (size_t i = 0; i < objects.size(); ++i) {
    if (objects[i]->IsSignalled(tickets[i])) return static_cast<int>(i);
  }
  return -1;
}

bool AllSignalled(const std::vector<std::shared_ptr<Waitable>>& objects,
                  const std::vector<WaitTicket>& tickets) {
  for (size_t i = 0; i < objects.size(); ++i) {
    if (!objects[i]->IsSignalled(tickets[i])) return false;
  }
  return true;
}

// Consumes what satisfies the wait; WAIT_TIMEOUT when nothing does yet.
DWORD TrySatisfy(const std::vector<std::shared_ptr<Waitable>>& objects,
                 const std::vector<WaitTicket>& tickets, bool wait_all) {
  if (wait_all) {
    if (!AllSignalled(objects, tickets)) return WAIT_TIMEOUT;
    for (size_t i = 0; i < objects.size(); ++i) objects[i]->Consume(tickets[i]);
    return WAIT_OBJECT_0;
  }
  int index = FirstSignalled(objects, tickets);
  if (index < 0) return WAIT_TIMEOUT;
  objects[static_cast<size_t>(index)]->Consume(tickets[static_cast<size_t>(index)]);
  return WAIT_OBJECT_0 + static_cast<DWORD>(index);
}

}  // namespace

std::mutex& WaitLock() {
  static std::mutex* lock = new std::mutex;  // used by threads that outlive main
  return *lock;
}

void WakeWaiters() { WaitCondition().notify_all(); }

bool SleepUntilWoken(std::unique_lock<std::mutex>& lock,
                     std::chrono::steady_clock::time_point deadline) {
  if (deadline == std::chrono::steady_clock::time_point::max()) {
    WaitCondition().wait(lock);
    return true;
  }
  return WaitCondition().wait_until(lock, deadline) == std::cv_status::no_timeout ||
         std::chrono::steady_clock::now() < deadline;
}

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  uintptr_t value = table.next;
  table.next += 4;
  table.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle) {
  HandleTable& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == table.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> last_reference;  // released outside the table lock
  HandleTable& table = Handles();
  std::lock_guard<std::mutex> guard(table.lock);
  auto it = table.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == table.objects.end()) return false;
  last_reference = std::move(it->second);
  table.objects.erase(it);
  return true;
}

DWORD WaitFor(const std::vector<std::shared_ptr<Waitable>>& objects, bool wait_all,
              DWORD milliseconds) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = milliseconds == kLongestTimedWait
                                   ? Clock::time_point::max()
                                   : Clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock<std::mutex> lock(WaitLock());
  std::vector<WaitTicket> tickets;
  tickets.reserve(objects.size());
  for (const auto& object : objects) tickets.push_back(object->Ticket());
  for (;;) {
    DWORD result = TrySatisfy(objects, tickets, wait_all);
    if (result != WAIT_TIMEOUT || milliseconds == 0) return result;
    if (!SleepUntilWoken(lock, deadline)) return TrySatisfy(objects, tickets, wait_all);
  }
}

// --- events ---
Event::Event(bool manual_reset, bool initially_set)
    : manual_reset_(manual_reset), signalled_(initially_set) {}

void Event::Set() {
  std::lock_guard<std::mutex> guard(WaitLock());
  signalled_ = true;
  WakeWaiters();
}

void Event::Reset() {
  std::lock_guard<std::mutex> guard(WaitLock());
  signalled_ = false;
}

void Event::Pulse() {
  std::lock_guard<std::mutex> guard(WaitLock());
  ++pulses_;
  pulse_unclaimed_ = true;
  signalled_ = false;
  WakeWaiters();
}

WaitTicket Event::Ticket() const { return pulses_; }

bool Event::IsSignalled(WaitTicket ticket) const {
  if (signalled_) return true;
  bool pulsed_since = pulses_ > ticket;
  return manual_reset_ ? pulsed_since : pulsed_since && pulse_unclaimed_;
}

void Event::Consume(WaitTicket ticket) {
  if (manual_reset_) return;
  if (signalled_) {
    signalled_ = false;
  } else if (pulses_ > ticket) {
    pulse_unclaimed_ = false;
  }
}

}  // namespace compat
