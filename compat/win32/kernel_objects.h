// Kernel objects behind HANDLE values and the one wait machinery that every
// waitable object (events, threads, and whatever another area adds) shares.
//
// How waits work: all waitable state is guarded by one process-wide lock,
// WaitLock(). A waiter takes the lock, asks each object whether it can be
// satisfied, and if not sleeps on one process-wide condition variable. Any
// object that becomes signalled calls WakeWaiters() with the lock held, and
// every sleeping waiter re-checks its own objects. Because the check of all
// objects and their consumption happen under the same lock, wait-all is
// atomic: either every object is consumed or none is.
//
// Adding a waitable object: derive from Waitable, keep its state in members
// that are only touched with WaitLock() held, implement IsSignalled and
// Consume, and call WakeWaiters() whenever IsSignalled may have become true.
// Give it a handle with AddHandle(), or wait on it directly with WaitFor()
// (as a message queue's "input arrived" event does, next to the program's
// own handles).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "compat/win32/kernel.h"

namespace compat {

// Anything a HANDLE can name. The handle table keeps one reference per open
// handle; running threads and pending waits keep their own.
class KernelObject : public std::enable_shared_from_this<KernelObject> {
 public:
  virtual ~KernelObject() = default;
};

// A ticket is taken when a wait starts; it lets an object tell waiters that
// were present at an event (a pulse) from those that came later.
using WaitTicket = uint64_t;

class Waitable : public KernelObject {
 public:
  // All three are called with WaitLock() held.
  virtual WaitTicket Ticket() const { return 0; }
  virtual bool IsSignalled(WaitTicket ticket) const = 0;
  // What a satisfied wait does to the object (an auto-reset event resets).
  virtual void Consume(WaitTicket ticket) { (void)ticket; }
};

std::mutex& WaitLock();
// Call with WaitLock() held after a state change that may satisfy waiters.
void WakeWaiters();
// Sleeps (releasing the lock) until the next WakeWaiters() or `deadline`;
// false once the deadline has passed. Spurious returns happen: re-check.
bool SleepUntilWoken(std::unique_lock<std::mutex>& lock,
                     std::chrono::steady_clock::time_point deadline);

// The handle table. Handles are never reused, so a closed handle stays invalid.
HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> LookUpHandle(HANDLE handle);  // null if invalid
bool RemoveHandle(HANDLE handle);

template <typename T>
std::shared_ptr<T> LookUpHandleAs(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(LookUpHandle(handle));
}

// Waits the way WaitForMultipleObjects does (WAIT_OBJECT_0 + i, WAIT_TIMEOUT)
// on objects that need not have handles. `objects` must not be empty.
DWORD WaitFor(const std::vector<std::shared_ptr<Waitable>>& objects, bool wait_all,
              DWORD milliseconds);

// An event object; the windows layer uses it without a handle too.
class Event : public Waitable {
 public:
  Event(bool manual_reset, bool initially_set);
  void Set();
  void Reset();
  void Pulse();
  WaitTicket Ticket() const override;
  bool IsSignalled(WaitTicket ticket) const override;
  void Consume(WaitTicket ticket) override;

 private:
  const bool manual_reset_;
  bool signalled_;
  // Pulses so far; a waiter whose ticket is older saw the last pulse.
  uint64_t pulses_ = 0;
  // An auto-reset pulse releases one waiter only.
  bool pulse_unclaimed_ = false;
};

}  // namespace compat
