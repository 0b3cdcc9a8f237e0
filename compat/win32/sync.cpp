// Events, waits on handles, closing handles, critical sections and the
// interlocked operations.
#include <pthread.h>

#include <algorithm>
#include <new>
#include <string>
#include <unordered_map>

#include "compat/win32/kernel.h"
#include "compat/win32/kernel_objects.h"

namespace {

BOOL Fail(DWORD error) {
  SetLastError(error);
  return FALSE;
}

// Named events are shared within the process: creating a name that exists
// opens the existing event and says so through the last error.
struct NamedEvents {
  std::mutex lock;
  std::unordered_map<std::u16string, std::weak_ptr<compat::Event>> events;
};

NamedEvents& Names() {
  static NamedEvents* names = new NamedEvents;
  return *names;
}

std::shared_ptr<compat::Event> OpenOrCreateEvent(bool manual_reset, bool initially_set,
                                                 LPCWSTR name) {
  SetLastError(ERROR_SUCCESS);
  if (!name || !*name) return std::make_shared<compat::Event>(manual_reset, initially_set);
  NamedEvents& names = Names();
  std::lock_guard<std::mutex> guard(names.lock);
  std::weak_ptr<compat::Event>& slot = names.events[name];
  if (auto existing = slot.lock()) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return existing;
  }
  auto event = std::make_shared<compat::Event>(manual_reset, initially_set);
  slot = event;
  return event;
}

std::shared_ptr<compat::Event> EventFromHandle(HANDLE handle) {
  auto event = compat::LookUpHandleAs<compat::Event>(handle);
  if (!event) SetLastError(ERROR_INVALID_HANDLE);
  return event;
}

}  // namespace

BOOL CloseHandle(HANDLE hObject) {
  if (hObject == GetCurrentThread() || hObject == GetCurrentProcess()) return TRUE;
  return compat::RemoveHandle(hObject) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

// --- events ---
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName) {
  auto event = OpenOrCreateEvent(bManualReset != FALSE, bInitialState != FALSE, lpName);
  DWORD error = GetLastError();
  HANDLE handle = compat::AddHandle(std::move(event));
  SetLastError(error);
  return handle;
}

BOOL SetEvent(HANDLE hEvent) {
  auto event = EventFromHandle(hEvent);
  if (!event) return FALSE;
  event->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
  auto event = EventFromHandle(hEvent);
  if (!event) return FALSE;
  event->Reset();
  return TRUE;
}

BOOL PulseEvent(HANDLE hEvent) {
  auto event = EventFromHandle(hEvent);
  if (!event) return FALSE;
  event->Pulse();
  return TRUE;
}

// --- waits ---
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll,
                             DWORD dwMilliseconds) {
  if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  std::vector<std::shared_ptr<compat::Waitable>> objects;
  for (DWORD i = 0; i < nCount; ++i) {
    auto object = compat::LookUpHandleAs<compat::Waitable>(lpHandles[i]);
    if (!object) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
    // The same object twice in one wait-all cannot be consumed atomically.
    if (bWaitAll && std::find(objects.begin(), objects.end(), object) != objects.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return WAIT_FAILED;
    }
    objects.push_back(std::move(object));
  }
  return compat::WaitFor(objects, bWaitAll != FALSE, dwMilliseconds);
}

// --- critical sections ---
namespace {

static_assert(sizeof(pthread_mutex_t) <= sizeof(CRITICAL_SECTION::Opaque));
static_assert(alignof(pthread_mutex_t) <= alignof(CRITICAL_SECTION));

pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) {
  return std::launder(reinterpret_cast<pthread_mutex_t*>(section->Opaque));
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  auto* mutex = new (lpCriticalSection->Opaque) pthread_mutex_t;
  pthread_mutex_init(mutex, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD) {
  InitializeCriticalSection(lpCriticalSection);
  return TRUE;
}

void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  pthread_mutex_lock(MutexOf(lpCriticalSection));
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  return pthread_mutex_trylock(MutexOf(lpCriticalSection)) == 0;
}

void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  pthread_mutex_unlock(MutexOf(lpCriticalSection));
}

void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection) {
  pthread_mutex_destroy(MutexOf(lpCriticalSection));
}

// --- interlocked operations ---
LONG InterlockedIncrement(LONG volatile* Addend) {
  return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedDecrement(LONG volatile* Addend) {
  return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

LONG InterlockedExchange(LONG volatile* Target, LONG Value) {
  return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

LONG InterlockedExchangeAdd(LONG volatile* Addend, LONG Value) {
  return __atomic_fetch_add(Addend, Value, __ATOMIC_SEQ_CST);
}

LONG InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comparand) {
  __atomic_compare_exchange_n(Destination, &Comparand, Exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return Comparand;  // the value found, whether or not it was replaced
}

PVOID InterlockedExchangePointer(PVOID volatile* Target, PVOID Value) {
  return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

PVOID InterlockedCompareExchangePointer(PVOID volatile* Destination, PVOID Exchange, PVOID Comparand) {
  __atomic_compare_exchange_n(Destination, &Comparand, Exchange, false, __ATOMIC_SEQ_CST,
                              __ATOMIC_SEQ_CST);
  return Comparand;
}
