// CTime and CTimeSpan: seconds since 1970 (UTC), broken down in local time.
#pragma once

#include <ctime>

#include "compat/afx/string.h"
#include "compat/win32.h"

class CTimeSpan {
 public:
  CTimeSpan() = default;
  CTimeSpan(time_t seconds) : m_span(seconds) {}  // NOLINT
  CTimeSpan(LONG days, int hours, int minutes, int seconds)
      : m_span(((static_cast<time_t>(days) * 24 + hours) * 60 + minutes) * 60 + seconds) {}

  LONG GetDays() const { return static_cast<LONG>(m_span / 86400); }
  LONG GetTotalHours() const { return static_cast<LONG>(m_span / 3600); }
  int GetHours() const { return static_cast<int>(GetTotalHours() - GetDays() * 24); }
  LONG GetTotalMinutes() const { return static_cast<LONG>(m_span / 60); }
  int GetMinutes() const { return static_cast<int>(GetTotalMinutes() - GetTotalHours() * 60); }
  time_t GetTotalSeconds() const { return m_span; }
  int GetSeconds() const { return static_cast<int>(m_span - GetTotalMinutes() * 60); }

  CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(m_span + other.m_span); }
  CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(m_span - other.m_span); }
  CTimeSpan& operator+=(CTimeSpan other) { m_span += other.m_span; return *this; }
  CTimeSpan& operator-=(CTimeSpan other) { m_span -= other.m_span; return *this; }
  auto operator<=>(const CTimeSpan&) const = default;

 private:
  time_t m_span = 0;
};

class CTime {
 public:
  CTime() = default;
  CTime(time_t time) : m_time(time) {}  // NOLINT
  // Local time; dst < 0 lets the C library decide whether daylight saving applies.
  CTime(int year, int month, int day, int hour, int minute, int second, int dst = -1);
  CTime(const SYSTEMTIME& time, int dst = -1);  // NOLINT
  CTime(const FILETIME& time);  // NOLINT: UTC file time

  static CTime GetCurrentTime();

  time_t GetTime() const { return m_time; }
  int GetYear() const { return Local().tm_year + 1900; }
  int GetMonth() const { return Local().tm_mon + 1; }
  int GetDay() const { return Local().tm_mday; }
  int GetHour() const { return Local().tm_hour; }
  int GetMinute() const { return Local().tm_min; }
  int GetSecond() const { return Local().tm_sec; }
  int GetDayOfWeek() const { return Local().tm_wday + 1; }  // 1 = Sunday
  BOOL GetAsSystemTime(SYSTEMTIME& time) const;

  // strftime conversions (%Y, %m, %d, %H, %M, %S, %A, %B, %c ...).
  CString Format(LPCTSTR format) const;
  CString FormatGmt(LPCTSTR format) const;

  CTimeSpan operator-(CTime other) const { return CTimeSpan(m_time - other.m_time); }
  CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTotalSeconds()); }
  CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTotalSeconds()); }
  CTime& operator+=(CTimeSpan span) { m_time += span.GetTotalSeconds(); return *this; }
  CTime& operator-=(CTimeSpan span) { m_time -= span.GetTotalSeconds(); return *this; }
  auto operator<=>(const CTime&) const = default;

 private:
  struct tm Local() const;
  time_t m_time = 0;
};
