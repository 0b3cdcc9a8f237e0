// CTime on the C library's calendar functions.
#include "compat/afx/time.h"

#include <string>

#include "compat/host_path.h"

namespace {

// Seconds between 1601-01-01 (file times) and 1970-01-01.
constexpr LONGLONG kFileTimeEpochSeconds = 11644473600LL;
constexpr LONGLONG kFileTimeTicksPerSecond = 10000000LL;
constexpr size_t kMaxFormattedBytes = 4096;

time_t FromLocalFields(int year, int month, int day, int hour, int minute, int second, int dst) {
  struct tm fields = {};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = dst < 0 ? -1 : (dst > 0 ? 1 : 0);
  time_t t = mktime(&fields);
  return t == static_cast<time_t>(-1) ? 0 : t;
}

CString FormatFields(const struct tm& fields, LPCTSTR format) {
  if (format == nullptr) return CString();
  std::string narrow = compat::Utf16ToUtf8(format);
  char buffer[kMaxFormattedBytes];
  size_t n = narrow.empty() ? 0 : strftime(buffer, sizeof buffer, narrow.c_str(), &fields);
  return CString(compat::Utf8ToUtf16(std::string_view(buffer, n)));
}

}  // namespace

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int dst)
    : m_time(FromLocalFields(year, month, day, hour, minute, second, dst)) {}

CTime::CTime(const SYSTEMTIME& time, int dst)
    : m_time(FromLocalFields(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                             time.wSecond, dst)) {}

CTime::CTime(const FILETIME& time) {
  ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  m_time = static_cast<time_t>(static_cast<LONGLONG>(ticks / kFileTimeTicksPerSecond) -
                               kFileTimeEpochSeconds);
}

CTime CTime::GetCurrentTime() { return CTime(time(nullptr)); }

struct tm CTime::Local() const {
  struct tm fields = {};
  localtime_r(&m_time, &fields);
  return fields;
}

BOOL CTime::GetAsSystemTime(SYSTEMTIME& time) const {
  struct tm fields = Local();
  time.wYear = static_cast<WORD>(fields.tm_year + 1900);
  time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
  time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
  time.wDay = static_cast<WORD>(fields.tm_mday);
  time.wHour = static_cast<WORD>(fields.tm_hour);
  time.wMinute = static_cast<WORD>(fields.tm_min);
  time.wSecond = static_cast<WORD>(fields.tm_sec);
  time.wMilliseconds = 0;
  return TRUE;
}

CString CTime::Format(LPCTSTR format) const { return FormatFields(Local(), format); }

CString CTime::FormatGmt(LPCTSTR format) const {
  struct tm fields = {};
  gmtime_r(&m_time, &fields);
  return FormatFields(fields, format);
}
