// Events, critical sections, threads and waits across threads.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "compat/win32.h"

namespace {

struct ThreadCall {
  HANDLE go = nullptr;
  HANDLE done = nullptr;
  HANDLE ready = nullptr;  // set just before the thread starts waiting
  std::atomic<int> runs{0};
};

DWORD WINAPI WaitThenSignal(LPVOID parameter) {
  auto* call = static_cast<ThreadCall*>(parameter);
  if (call->ready) SetEvent(call->ready);
  if (WaitForSingleObject(call->go, 5000) != WAIT_OBJECT_0) return 99;
  ++call->runs;
  if (call->done) SetEvent(call->done);
  return 7;
}

DWORD WINAPI ReturnParameter(LPVOID parameter) {
  return static_cast<DWORD>(reinterpret_cast<uintptr_t>(parameter));
}

DWORD WINAPI ExitEarly(LPVOID) {
  ExitThread(42);
}

HANDLE StartThread(LPTHREAD_START_ROUTINE routine, void* parameter, DWORD flags = 0) {
  HANDLE thread = CreateThread(nullptr, 0, routine, parameter, flags, nullptr);
  EXPECT_NE(thread, nullptr);
  return thread;
}

}  // namespace

TEST(Events, ManualResetStaysSetAutoResetReleasesOne) {
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  ResetEvent(manual);
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForSingleObject(automatic, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(manual);
  CloseHandle(automatic);
}

TEST(Events, PulseReleasesWaitersPresentAndLeavesEventClear) {
  HANDLE pulse = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ThreadCall calls[3];
  HANDLE threads[3];
  for (int i = 0; i < 3; ++i) {
    calls[i].go = pulse;
    threads[i] = StartThread(WaitThenSignal, &calls[i]);
  }
  // Pulse until every waiter went through: a thread may not be waiting yet.
  for (int tries = 0; tries < 500 && WaitForMultipleObjects(3, threads, TRUE, 0) != WAIT_OBJECT_0; ++tries) {
    PulseEvent(pulse);
    Sleep(2);
  }
  EXPECT_EQ(WaitForMultipleObjects(3, threads, TRUE, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  for (auto& call : calls) EXPECT_EQ(call.runs, 1);
  EXPECT_EQ(WaitForSingleObject(pulse, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  PulseEvent(pulse);  // nobody waits: nothing is kept
  EXPECT_EQ(WaitForSingleObject(pulse, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  for (HANDLE t : threads) CloseHandle(t);
  CloseHandle(pulse);
}

TEST(Events, AutoResetPulseReleasesExactlyOneOfTwoWaiters) {
  HANDLE pulse = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  ThreadCall calls[2];
  HANDLE threads[2];
  HANDLE ready[2];
  for (int i = 0; i < 2; ++i) {
    calls[i].go = pulse;
    calls[i].ready = ready[i] = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    threads[i] = StartThread(WaitThenSignal, &calls[i]);
  }
  ASSERT_EQ(WaitForMultipleObjects(2, ready, TRUE, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  Sleep(100);  // from "ready" into the wait is a few instructions
  PulseEvent(pulse);
  DWORD first = WaitForMultipleObjects(2, threads, FALSE, 5000);
  ASSERT_LT(first, 2u);
  EXPECT_EQ(WaitForSingleObject(threads[1 - first], 50), static_cast<DWORD>(WAIT_TIMEOUT));
  SetEvent(pulse);
  EXPECT_EQ(WaitForSingleObject(threads[1 - first], 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  for (HANDLE t : threads) CloseHandle(t);
  for (HANDLE r : ready) CloseHandle(r);
  CloseHandle(pulse);
}

TEST(Events, NamedEventIsSharedWithinTheProcess) {
  HANDLE a = CreateEventW(nullptr, TRUE, FALSE, u"Calvetta.Test.Event");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  HANDLE b = CreateEventW(nullptr, TRUE, FALSE, u"Calvetta.Test.Event");
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  SetEvent(a);
  EXPECT_EQ(WaitForSingleObject(b, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(a);
  CloseHandle(b);
}

TEST(Waits, AnyReturnsLowestSignalledAllNeedsEvery) {
  HANDLE events[3];
  for (HANDLE& e : events) e = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  SetEvent(events[2]);
  SetEvent(events[1]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 2));
  SetEvent(events[0]);
  SetEvent(events[1]);
  // Wait-all consumes nothing until all are set.
  EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(events[0], 0), static_cast<DWORD>(WAIT_OBJECT_0));
  SetEvent(events[0]);
  SetEvent(events[2]);
  EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  for (HANDLE e : events) CloseHandle(e);
}

TEST(Waits, TimeoutIsHonoured) {
  HANDLE e = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD start = GetTickCount();
  EXPECT_EQ(WaitForSingleObject(e, 60), static_cast<DWORD>(WAIT_TIMEOUT));
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 55u);
  EXPECT_LT(elapsed, 2000u);
  CloseHandle(e);
}

TEST(Waits, BadHandlesFail) {
  HANDLE e = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE twice[2] = {e, e};
  EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_FALSE(CloseHandle(e));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
  EXPECT_FALSE(SetEvent(e));
  EXPECT_EQ(WaitForSingleObject(INVALID_HANDLE_VALUE, 0), WAIT_FAILED);
}

TEST(Threads, HandleIsSignalledWhenTheThreadEnds) {
  ThreadCall call;
  call.go = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, WaitThenSignal, &call, 0, &id);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  SetEvent(call.go);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 7u);
  CloseHandle(thread);
  CloseHandle(call.go);
}

TEST(Threads, SuspendedThreadStartsOnResumeAndExitThreadSetsCode) {
  HANDLE thread = StartThread(ReturnParameter, reinterpret_cast<void*>(uintptr_t{5}), CREATE_SUSPENDED);
  EXPECT_EQ(WaitForSingleObject(thread, 30), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(SuspendThread(thread), 1u);
  EXPECT_EQ(ResumeThread(thread), 2u);
  EXPECT_EQ(WaitForSingleObject(thread, 20), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 0;
  GetExitCodeThread(thread, &code);
  EXPECT_EQ(code, 5u);
  HANDLE early = StartThread(ExitEarly, nullptr);
  EXPECT_EQ(WaitForSingleObject(early, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  GetExitCodeThread(early, &code);
  EXPECT_EQ(code, 42u);
  CloseHandle(thread);
  CloseHandle(early);
}

TEST(Threads, WaitAnyMixesThreadsAndEvents) {
  ThreadCall call;
  call.go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  call.done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  HANDLE thread = StartThread(WaitThenSignal, &call);
  HANDLE both[2] = {thread, call.done};
  SetEvent(call.go);
  DWORD first = WaitForMultipleObjects(2, both, FALSE, 5000);
  EXPECT_TRUE(first == WAIT_OBJECT_0 || first == WAIT_OBJECT_0 + 1);
  EXPECT_EQ(WaitForSingleObject(thread, 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  CloseHandle(thread);
  CloseHandle(call.go);
  CloseHandle(call.done);
}

namespace {

struct Counter {
  CRITICAL_SECTION section;
  long value = 0;  // guarded by section, updated non-atomically on purpose
  LONG atomic_value = 0;
};

DWORD WINAPI CountMany(LPVOID parameter) {
  auto* counter = static_cast<Counter*>(parameter);
  for (int i = 0; i < 20000; ++i) {
    EnterCriticalSection(&counter->section);
    EnterCriticalSection(&counter->section);  // recursive entry
    counter->value = counter->value + 1;
    LeaveCriticalSection(&counter->section);
    LeaveCriticalSection(&counter->section);
    InterlockedIncrement(&counter->atomic_value);
  }
  return 0;
}

DWORD WINAPI TryFromOtherThread(LPVOID parameter) {
  auto* counter = static_cast<Counter*>(parameter);
  if (!TryEnterCriticalSection(&counter->section)) return 1;
  LeaveCriticalSection(&counter->section);
  return 0;
}

}  // namespace

TEST(CriticalSections, ExcludeOtherThreadsAndNestInOne) {
  Counter counter;
  InitializeCriticalSection(&counter.section);
  HANDLE threads[4];
  for (HANDLE& t : threads) t = StartThread(CountMany, &counter);
  EXPECT_EQ(WaitForMultipleObjects(4, threads, TRUE, 20000), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(counter.value, 80000);
  EXPECT_EQ(counter.atomic_value, 80000);
  for (HANDLE t : threads) CloseHandle(t);

  EnterCriticalSection(&counter.section);
  EXPECT_TRUE(TryEnterCriticalSection(&counter.section));
  HANDLE other = StartThread(TryFromOtherThread, &counter);
  WaitForSingleObject(other, 5000);
  DWORD code = 0;
  GetExitCodeThread(other, &code);
  EXPECT_EQ(code, 1u);  // held here, so the other thread could not enter
  LeaveCriticalSection(&counter.section);
  LeaveCriticalSection(&counter.section);
  CloseHandle(other);
  DeleteCriticalSection(&counter.section);
}

TEST(Interlocked, ReturnsThePlatformsValues) {
  LONG value = 5;
  EXPECT_EQ(InterlockedIncrement(&value), 6);
  EXPECT_EQ(InterlockedDecrement(&value), 5);
  EXPECT_EQ(InterlockedExchange(&value, 9), 5);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 8), 9);  // no match: unchanged
  EXPECT_EQ(value, 9);
  EXPECT_EQ(InterlockedCompareExchange(&value, 1, 9), 9);
  EXPECT_EQ(value, 1);
  EXPECT_EQ(InterlockedExchangeAdd(&value, 10), 1);
  EXPECT_EQ(value, 11);
}

TEST(Time, CalendarRoundTripsThroughFileTime) {
  SYSTEMTIME st = {2024, 2, 0, 29, 23, 59, 58, 999};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  SYSTEMTIME back;
  ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
  EXPECT_EQ(back.wYear, 2024);
  EXPECT_EQ(back.wMonth, 2);
  EXPECT_EQ(back.wDay, 29);
  EXPECT_EQ(back.wDayOfWeek, 4);  // a Thursday
  EXPECT_EQ(back.wHour, 23);
  EXPECT_EQ(back.wMilliseconds, 999);
  SYSTEMTIME epoch = {1970, 1, 0, 1, 0, 0, 0, 0};
  ASSERT_TRUE(SystemTimeToFileTime(&epoch, &ft));
  EXPECT_EQ((ULONGLONG(ft.dwHighDateTime) << 32) | ft.dwLowDateTime, 116444736000000000ull);
  SYSTEMTIME bad = {2023, 2, 0, 29, 0, 0, 0, 0};
  EXPECT_FALSE(SystemTimeToFileTime(&bad, &ft));
}

TEST(Time, ClocksAdvance) {
  LARGE_INTEGER frequency, before, after;
  ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
  QueryPerformanceCounter(&before);
  DWORD ticks = GetTickCount();
  Sleep(20);
  QueryPerformanceCounter(&after);
  EXPECT_GE((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 19);
  EXPECT_GE(timeGetTime() - ticks, 19u);
  SYSTEMTIME now;
  GetSystemTime(&now);
  EXPECT_GE(now.wYear, 2024);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_GE(info.dwNumberOfProcessors, 1u);
}

TEST(SystemInfo, VersionAndMulDiv) {
  DWORD version = GetVersion();
  EXPECT_EQ(version & 0x80000000u, 0u);  // the NT family
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExW(&info));
  EXPECT_EQ(info.dwMajorVersion, LOBYTE(LOWORD(version)));
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT));
  info.dwOSVersionInfoSize = 20;
  EXPECT_FALSE(GetVersionExW(&info));
  EXPECT_EQ(MulDiv(255, 86, 100), 219);   // 219.3
  EXPECT_EQ(MulDiv(5, 1, 2), 3);          // halves round away from zero
  EXPECT_EQ(MulDiv(-5, 1, 2), -3);
  EXPECT_EQ(MulDiv(5, 1, -2), -3);
  EXPECT_EQ(MulDiv(1 << 30, 1 << 30, 1 << 30), 1 << 30);  // the product needs 64 bits
  EXPECT_EQ(MulDiv(1, 1, 0), -1);
  EXPECT_EQ(MulDiv(1 << 30, 8, 1), -1);
}
