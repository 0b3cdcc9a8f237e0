// The framework's string: UTF-16 text with value semantics, the members the
// program calls, and Format with the platform's wide printf (%s is wide).
#pragma once

#include <cstdarg>
#include <string>

#include "compat/win32.h"

class CString;

namespace afx_detail {
// Format arguments pass through C varargs; a CString goes as its text
// pointer, as the platform's callers expect, instead of as an object.
template <class T>
inline const T& FormatArg(const T& value) { return value; }
inline const char16_t* FormatArg(const CString& text);
}  // namespace afx_detail

class CString {
 public:
  CString() = default;
  CString(const CString& other) = default;
  CString(CString&& other) noexcept = default;
  CString(LPCTSTR text);  // NOLINT: implicit as on the platform
  CString(LPCTSTR text, int length);
  CString(LPCSTR text);  // NOLINT: converted from the ANSI code page
  CString(TCHAR ch, int repeat = 1);
  CString(const std::u16string& text) : m_text(text) {}  // NOLINT
  ~CString() = default;

  CString& operator=(const CString& other) = default;
  CString& operator=(CString&& other) noexcept = default;
  CString& operator=(LPCTSTR text);
  CString& operator=(LPCSTR text);
  CString& operator=(TCHAR ch);

  // --- size and elements ---
  int GetLength() const { return static_cast<int>(m_text.size()); }
  BOOL IsEmpty() const { return m_text.empty(); }
  void Empty() { m_text.clear(); }
  TCHAR GetAt(int index) const;
  void SetAt(int index, TCHAR ch);
  TCHAR operator[](int index) const { return GetAt(index); }
  operator LPCTSTR() const { return m_text.c_str(); }  // NOLINT
  LPCTSTR GetString() const { return m_text.c_str(); }

  // --- concatenation ---
  CString& operator+=(const CString& text);
  CString& operator+=(LPCTSTR text);
  CString& operator+=(TCHAR ch);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, LPCTSTR b);
  friend CString operator+(LPCTSTR a, const CString& b);
  friend CString operator+(const CString& a, TCHAR b);
  friend CString operator+(TCHAR a, const CString& b);

  // --- comparison ---
  int Compare(LPCTSTR text) const;
  int CompareNoCase(LPCTSTR text) const;
  int Collate(LPCTSTR text) const { return Compare(text); }
  int CollateNoCase(LPCTSTR text) const { return CompareNoCase(text); }

  // --- extraction ---
  CString Mid(int first) const;
  CString Mid(int first, int count) const;
  CString Left(int count) const;
  CString Right(int count) const;
  CString SpanIncluding(LPCTSTR charSet) const;
  CString SpanExcluding(LPCTSTR charSet) const;

  // --- searching: -1 when not found ---
  int Find(TCHAR ch, int start = 0) const;
  int Find(LPCTSTR sub, int start = 0) const;
  int ReverseFind(TCHAR ch) const;
  int FindOneOf(LPCTSTR charSet) const;

  // --- changing in place ---
  void MakeUpper();
  void MakeLower();
  void MakeReverse();
  int Replace(TCHAR oldCh, TCHAR newCh);
  int Replace(LPCTSTR oldText, LPCTSTR newText);
  int Remove(TCHAR ch);
  int Insert(int index, TCHAR ch);
  int Insert(int index, LPCTSTR text);
  int Delete(int index, int count = 1);
  void TrimLeft();
  void TrimLeft(TCHAR ch);
  void TrimLeft(LPCTSTR charSet);
  void TrimRight();
  void TrimRight(TCHAR ch);
  void TrimRight(LPCTSTR charSet);
  CString& Trim() { TrimRight(); TrimLeft(); return *this; }

  // --- formatting ---
  template <class... Args>
  void Format(LPCTSTR format, const Args&... args) {
    FormatArgs(format, afx_detail::FormatArg(args)...);
  }
  template <class... Args>
  void Format(UINT formatId, const Args&... args) {
    CString format;
    if (format.LoadString(formatId)) {
      FormatArgs(format.GetString(), afx_detail::FormatArg(args)...);
    } else {
      Empty();
    }
  }
  void FormatV(LPCTSTR format, va_list args);
  BOOL LoadString(UINT id);

  // --- direct buffer access ---
  // The buffer holds at least minLength characters plus a terminator and stays
  // valid until the next change; ReleaseBuffer(-1) takes the length from the
  // first zero.
  LPTSTR GetBuffer(int minLength = 0);
  LPTSTR GetBufferSetLength(int length);
  void ReleaseBuffer(int newLength = -1);
  LPTSTR LockBuffer() { return GetBuffer(0); }
  void UnlockBuffer() {}
  void FreeExtra() { m_text.shrink_to_fit(); }

  const std::u16string& Native() const { return m_text; }

 private:
  void FormatArgs(LPCTSTR format, ...);

  std::u16string m_text;
};

inline const char16_t* afx_detail::FormatArg(const CString& text) { return text.GetString(); }

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCTSTR b);
bool operator==(LPCTSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCTSTR b);
bool operator!=(LPCTSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
bool operator<(const CString& a, LPCTSTR b);
bool operator>(const CString& a, const CString& b);
bool operator<=(const CString& a, const CString& b);
bool operator>=(const CString& a, const CString& b);
