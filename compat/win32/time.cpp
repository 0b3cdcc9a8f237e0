// Clocks, the platform's calendar records and file times (100 ns units
// since 1601-01-01 UTC).
#include <time.h>

#include <atomic>
#include <mutex>

#include "compat/win32/kernel.h"

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;  // FILETIME units
constexpr int64_t kTicksPerDay = kTicksPerSecond * 86400;
constexpr int64_t kUnixEpochTicks = 116'444'736'000'000'000;  // 1970 in FILETIME
constexpr int64_t kPerformanceFrequency = 10'000'000;
constexpr int kLastYear = 30827;

int64_t MonotonicNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

int64_t NowTicks() {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return kUnixEpochTicks + static_cast<int64_t>(now.tv_sec) * kTicksPerSecond + now.tv_nsec / 100;
}

// Days from 1601-01-01 for a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  int64_t era = (year >= 0 ? year : year - 399) / 400;
  unsigned year_of_era = static_cast<unsigned>(year - era * 400);
  unsigned day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  int64_t days_since_1970 = era * 146097 + static_cast<int64_t>(day_of_era) - 719468;
  return days_since_1970 + 134774;  // 1601-01-01 .. 1970-01-01
}

void CivilFromDays(int64_t days_since_1601, int& year, unsigned& month, unsigned& day) {
  int64_t z = days_since_1601 - 134774 + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  unsigned day_of_era = static_cast<unsigned>(z - era * 146097);
  unsigned year_of_era = (day_of_era - day_of_era / 1460 + day_of_era / 36524 - day_of_era / 146096) / 365;
  unsigned day_of_year = day_of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  unsigned mp = (5 * day_of_year + 2) / 153;
  day = day_of_year - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int>(year_of_era + era * 400 + (month <= 2));
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(int year, unsigned month) {
  static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

void TicksToSystemTime(int64_t ticks, SYSTEMTIME& st) {
  int64_t days = ticks / kTicksPerDay;
  int64_t in_day = ticks % kTicksPerDay;
  int year;
  unsigned month, day;
  CivilFromDays(days, year, month, day);
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  st.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<WORD>(in_day / (3600 * kTicksPerSecond));
  st.wMinute = static_cast<WORD>(in_day / (60 * kTicksPerSecond) % 60);
  st.wSecond = static_cast<WORD>(in_day / kTicksPerSecond % 60);
  st.wMilliseconds = static_cast<WORD>(in_day / 10'000 % 1000);
}

int64_t FileTimeTicks(const FILETIME& ft) {
  return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

void StoreTicks(int64_t ticks, FILETIME& ft) {
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks));
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
}

// The platform converts with the current offset from UTC, not the one in
// force at the given time.
int64_t LocalOffsetTicks() {
  time_t now = time(nullptr);
  tm local;
  localtime_r(&now, &local);
  return static_cast<int64_t>(local.tm_gmtoff) * kTicksPerSecond;
}

}  // namespace

// --- the controllable clock ---
namespace {

// The tick clock is real time plus an offset; a stopped clock holds a value
// that only AdvanceClock moves. The offset keeps the ticks continuous when
// the clock runs again.
struct TickClock {
  std::mutex lock;
  bool stopped = false;
  int64_t stoppedMs = 0;
  int64_t offsetMs = 0;
};

TickClock& Clock() {
  static TickClock* clock = new TickClock;  // outlives threads ending after main
  return *clock;
}

std::atomic<bool> g_clockStopped{false};

int64_t RealMs() { return MonotonicNanoseconds() / 1'000'000; }

int64_t TickMs() {
  TickClock& clock = Clock();
  std::lock_guard<std::mutex> guard(clock.lock);
  return clock.stopped ? clock.stoppedMs : RealMs() + clock.offsetMs;
}

}  // namespace

namespace compat {

void StopClock() {
  TickClock& clock = Clock();
  std::lock_guard<std::mutex> guard(clock.lock);
  if (clock.stopped) return;
  clock.stoppedMs = RealMs() + clock.offsetMs;
  clock.stopped = true;
  g_clockStopped = true;
}

void AdvanceClock(DWORD milliseconds) {
  TickClock& clock = Clock();
  std::lock_guard<std::mutex> guard(clock.lock);
  if (clock.stopped) clock.stoppedMs += milliseconds;
}

void RunClock() {
  TickClock& clock = Clock();
  std::lock_guard<std::mutex> guard(clock.lock);
  if (!clock.stopped) return;
  clock.offsetMs = clock.stoppedMs - RealMs();
  clock.stopped = false;
  g_clockStopped = false;
}

bool IsClockStopped() { return g_clockStopped; }

}  // namespace compat

DWORD GetTickCount() { return static_cast<DWORD>(TickMs()); }
ULONGLONG GetTickCount64() { return static_cast<ULONGLONG>(TickMs()); }
DWORD timeGetTime() { return GetTickCount(); }

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (!lpPerformanceCount) return FALSE;
  lpPerformanceCount->QuadPart = MonotonicNanoseconds() / (1'000'000'000 / kPerformanceFrequency);
  return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (!lpFrequency) return FALSE;
  lpFrequency->QuadPart = kPerformanceFrequency;
  return TRUE;
}

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
  StoreTicks(NowTicks(), *lpSystemTimeAsFileTime);
}

void GetSystemTime(SYSTEMTIME* lpSystemTime) { TicksToSystemTime(NowTicks(), *lpSystemTime); }

void GetLocalTime(SYSTEMTIME* lpSystemTime) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  tm local;
  localtime_r(&now.tv_sec, &local);
  int64_t ticks = kUnixEpochTicks + (static_cast<int64_t>(now.tv_sec) + local.tm_gmtoff) * kTicksPerSecond +
                  now.tv_nsec / 100;
  TicksToSystemTime(ticks, *lpSystemTime);
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime) {
  if (!lpFileTime || !lpSystemTime || (lpFileTime->dwHighDateTime & 0x80000000u)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  TicksToSystemTime(FileTimeTicks(*lpFileTime), *lpSystemTime);
  return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
  if (!lpSystemTime || !lpFileTime) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const SYSTEMTIME& st = *lpSystemTime;
  bool valid = st.wYear >= 1601 && st.wYear <= kLastYear && st.wMonth >= 1 && st.wMonth <= 12 &&
               st.wDay >= 1 && st.wDay <= DaysInMonth(st.wYear, st.wMonth) && st.wHour < 24 &&
               st.wMinute < 60 && st.wSecond < 60 && st.wMilliseconds < 1000;
  if (!valid) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  int64_t ticks = DaysFromCivil(st.wYear, st.wMonth, st.wDay) * kTicksPerDay +
                  ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * kTicksPerSecond +
                  st.wMilliseconds * int64_t{10'000};
  StoreTicks(ticks, *lpFileTime);
  return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
  if (!lpFileTime || !lpLocalFileTime) return FALSE;
  StoreTicks(FileTimeTicks(*lpFileTime) + LocalOffsetTicks(), *lpLocalFileTime);
  return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
  if (!lpLocalFileTime || !lpFileTime) return FALSE;
  StoreTicks(FileTimeTicks(*lpLocalFileTime) - LocalOffsetTicks(), *lpFileTime);
  return TRUE;
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
  uint64_t a = static_cast<uint64_t>(FileTimeTicks(*lpFileTime1));
  uint64_t b = static_cast<uint64_t>(FileTimeTicks(*lpFileTime2));
  return a < b ? -1 : a > b ? 1 : 0;
}
