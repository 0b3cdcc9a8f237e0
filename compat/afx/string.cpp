// CString on a std::u16string: every position and count from the caller is
// clamped the way the framework clamps it, so no call reads outside the text.
#include "compat/afx/string.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>

#include "compat/afx/resource.h"
#include "compat/host_path.h"
#include "compat/wide_format.h"

namespace {

size_t TextLength(LPCTSTR text) {
  return text == nullptr ? 0 : std::char_traits<char16_t>::length(text);
}

bool IsResourceId(const void* text) {
  return text != nullptr && IS_INTRESOURCE(text);
}

// Case mapping for the whole Basic Multilingual Plane, not just ASCII: the
// plain "C" locale only maps ASCII letters.
locale_t UnicodeLocale() {
  static locale_t locale = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return l != static_cast<locale_t>(0) ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(0));
  }();
  return locale;
}

bool IsSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDFFF; }

char16_t ToUpper(char16_t ch) {
  if (ch < 0x80) return (ch >= u'a' && ch <= u'z') ? ch - 32 : ch;
  if (IsSurrogate(ch)) return ch;
  wint_t up = towupper_l(ch, UnicodeLocale());
  return up <= 0xFFFF ? static_cast<char16_t>(up) : ch;
}

char16_t ToLower(char16_t ch) {
  if (ch < 0x80) return (ch >= u'A' && ch <= u'Z') ? ch + 32 : ch;
  if (IsSurrogate(ch)) return ch;
  wint_t low = towlower_l(ch, UnicodeLocale());
  return low <= 0xFFFF ? static_cast<char16_t>(low) : ch;
}

bool IsSpace(char16_t ch) {
  return ch == u' ' || (ch >= 0x09 && ch <= 0x0D) || ch == 0xA0 || ch == 0x3000 ||
         (ch >= 0x2000 && ch <= 0x200A) || ch == 0x2028 || ch == 0x2029 || ch == 0x1680 ||
         ch == 0x202F || ch == 0x205F || ch == 0x85;
}

bool InSet(char16_t ch, LPCTSTR set) {
  if (set == nullptr) return false;
  for (; *set != 0; ++set) {
    if (*set == ch) return true;
  }
  return false;
}

int Sign(int value) { return (value > 0) - (value < 0); }

int CompareOrdinal(std::u16string_view a, std::u16string_view b) {
  return Sign(a.compare(b));
}

// Clamps a [first, first + count) range to the text as the framework does.
std::u16string_view Slice(const std::u16string& text, int first, int count) {
  int length = static_cast<int>(text.size());
  first = std::clamp(first, 0, length);
  count = std::clamp(count, 0, length - first);
  return std::u16string_view(text).substr(first, count);
}

}  // namespace

// --- construction ---

CString::CString(LPCTSTR text) {
  if (IsResourceId(text)) {
    LoadString(static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)));
  } else if (text != nullptr) {
    m_text.assign(text);
  }
}

CString::CString(LPCTSTR text, int length) {
  if (text != nullptr && length > 0) m_text.assign(text, length);
}

CString::CString(LPCSTR text) {
  if (text != nullptr) m_text = compat::Utf8ToUtf16(text);
}

CString::CString(TCHAR ch, int repeat) {
  if (repeat > 0) m_text.assign(repeat, ch);
}

CString& CString::operator=(LPCTSTR text) {
  if (text == nullptr) {
    m_text.clear();
  } else {
    m_text = std::u16string(text);  // a copy first: text may point into m_text
  }
  return *this;
}

CString& CString::operator=(LPCSTR text) {
  m_text = text != nullptr ? compat::Utf8ToUtf16(text) : std::u16string();
  return *this;
}

CString& CString::operator=(TCHAR ch) {
  m_text.assign(1, ch);
  return *this;
}

// --- elements ---

TCHAR CString::GetAt(int index) const {
  if (index < 0 || index >= GetLength()) return 0;
  return m_text[index];
}

void CString::SetAt(int index, TCHAR ch) {
  if (index >= 0 && index < GetLength()) m_text[index] = ch;
}

// --- concatenation ---

CString& CString::operator+=(const CString& text) {
  m_text += text.m_text;
  return *this;
}

CString& CString::operator+=(LPCTSTR text) {
  if (text != nullptr) m_text += std::u16string(text);
  return *this;
}

CString& CString::operator+=(TCHAR ch) {
  m_text += ch;
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, LPCTSTR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(LPCTSTR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(const CString& a, TCHAR b) {
  CString result(a);
  result += b;
  return result;
}

CString operator+(TCHAR a, const CString& b) {
  CString result(a);
  result += b;
  return result;
}

// --- comparison ---

int CString::Compare(LPCTSTR text) const {
  return CompareOrdinal(m_text, std::u16string_view(text != nullptr ? text : u""));
}

int CString::CompareNoCase(LPCTSTR text) const {
  size_t other = TextLength(text);
  size_t common = std::min(m_text.size(), other);
  for (size_t i = 0; i < common; ++i) {
    char16_t a = ToLower(m_text[i]);
    char16_t b = ToLower(text[i]);
    if (a != b) return a < b ? -1 : 1;
  }
  return Sign(static_cast<int>(m_text.size() > other) - static_cast<int>(m_text.size() < other));
}

bool operator==(const CString& a, const CString& b) { return a.Native() == b.Native(); }
bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
bool operator!=(const CString& a, const CString& b) { return !(a == b); }
bool operator!=(const CString& a, LPCTSTR b) { return !(a == b); }
bool operator!=(LPCTSTR a, const CString& b) { return !(a == b); }
bool operator<(const CString& a, const CString& b) { return a.Native() < b.Native(); }
bool operator<(const CString& a, LPCTSTR b) { return a.Compare(b) < 0; }
bool operator>(const CString& a, const CString& b) { return b < a; }
bool operator<=(const CString& a, const CString& b) { return !(b < a); }
bool operator>=(const CString& a, const CString& b) { return !(a < b); }

// --- extraction ---

CString CString::Mid(int first) const { return Mid(first, GetLength()); }

CString CString::Mid(int first, int count) const {
  // A negative start counts as 0 and shortens nothing, as on the platform.
  return CString(std::u16string(Slice(m_text, first, count)));
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Right(int count) const {
  count = std::clamp(count, 0, GetLength());
  return Mid(GetLength() - count, count);
}

CString CString::SpanIncluding(LPCTSTR charSet) const {
  int n = 0;
  while (n < GetLength() && InSet(m_text[n], charSet)) ++n;
  return Left(n);
}

CString CString::SpanExcluding(LPCTSTR charSet) const {
  int n = 0;
  while (n < GetLength() && !InSet(m_text[n], charSet)) ++n;
  return Left(n);
}

// --- searching ---

int CString::Find(TCHAR ch, int start) const {
  if (start < 0) start = 0;
  if (start >= GetLength()) return -1;
  size_t at = m_text.find(ch, start);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::Find(LPCTSTR sub, int start) const {
  if (sub == nullptr) return -1;
  if (start < 0) start = 0;
  if (start > GetLength()) return -1;
  size_t at = m_text.find(sub, start);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(TCHAR ch) const {
  size_t at = m_text.rfind(ch);
  return at == std::u16string::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(LPCTSTR charSet) const {
  for (int i = 0; i < GetLength(); ++i) {
    if (InSet(m_text[i], charSet)) return i;
  }
  return -1;
}

// --- changing in place ---

void CString::MakeUpper() {
  for (char16_t& ch : m_text) ch = ToUpper(ch);
}

void CString::MakeLower() {
  for (char16_t& ch : m_text) ch = ToLower(ch);
}

void CString::MakeReverse() { std::reverse(m_text.begin(), m_text.end()); }

int CString::Replace(TCHAR oldCh, TCHAR newCh) {
  int count = 0;
  for (char16_t& ch : m_text) {
    if (ch == oldCh) {
      ch = newCh;
      ++count;
    }
  }
  return count;
}

int CString::Replace(LPCTSTR oldText, LPCTSTR newText) {
  size_t oldLength = TextLength(oldText);
  if (oldLength == 0) return 0;
  std::u16string from(oldText, oldLength);
  std::u16string to(newText != nullptr ? newText : u"");
  std::u16string result;
  int count = 0;
  size_t pos = 0;
  for (size_t at; (at = m_text.find(from, pos)) != std::u16string::npos; pos = at + oldLength) {
    result.append(m_text, pos, at - pos);
    result += to;
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, pos, std::u16string::npos);
  m_text = std::move(result);
  return count;
}

int CString::Remove(TCHAR ch) {
  size_t before = m_text.size();
  m_text.erase(std::remove(m_text.begin(), m_text.end(), ch), m_text.end());
  return static_cast<int>(before - m_text.size());
}

int CString::Insert(int index, TCHAR ch) {
  index = std::clamp(index, 0, GetLength());
  m_text.insert(m_text.begin() + index, ch);
  return GetLength();
}

int CString::Insert(int index, LPCTSTR text) {
  index = std::clamp(index, 0, GetLength());
  if (text != nullptr) m_text.insert(index, std::u16string(text));
  return GetLength();
}

int CString::Delete(int index, int count) {
  if (index < 0) index = 0;
  if (index < GetLength() && count > 0) {
    m_text.erase(index, std::min(count, GetLength() - index));
  }
  return GetLength();
}

void CString::TrimLeft() {
  size_t n = 0;
  while (n < m_text.size() && IsSpace(m_text[n])) ++n;
  m_text.erase(0, n);
}

void CString::TrimLeft(TCHAR ch) {
  size_t n = 0;
  while (n < m_text.size() && m_text[n] == ch) ++n;
  m_text.erase(0, n);
}

void CString::TrimLeft(LPCTSTR charSet) {
  size_t n = 0;
  while (n < m_text.size() && InSet(m_text[n], charSet)) ++n;
  m_text.erase(0, n);
}

void CString::TrimRight() {
  size_t n = m_text.size();
  while (n > 0 && IsSpace(m_text[n - 1])) --n;
  m_text.resize(n);
}

void CString::TrimRight(TCHAR ch) {
  size_t n = m_text.size();
  while (n > 0 && m_text[n - 1] == ch) --n;
  m_text.resize(n);
}

void CString::TrimRight(LPCTSTR charSet) {
  size_t n = m_text.size();
  while (n > 0 && InSet(m_text[n - 1], charSet)) --n;
  m_text.resize(n);
}

// --- formatting ---

void CString::FormatArgs(LPCTSTR format, ...) {
  va_list args;
  va_start(args, format);
  FormatV(format, args);
  va_end(args);
}

void CString::FormatV(LPCTSTR format, va_list args) {
  if (format == nullptr) {
    Empty();
    return;
  }
  m_text = compat::FormatWide(format, args);
}

// The program's string table first, then the framework's own texts. Each string is looked
// up in both: a program bundle that shares a number with the framework's need not hold it.
BOOL CString::LoadString(UINT id) {
  Empty();
  if (id > 0xFFFF) return FALSE;
  for (auto module : {compat::ResourceModule::Program, compat::ResourceModule::Framework}) {
    const WCHAR* text = nullptr;
    const int length = LoadStringW(compat::ResourceModuleHandle(module), id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length > 0 && text) {
      m_text.assign(text, static_cast<size_t>(length));
      return TRUE;
    }
  }
  return FALSE;
}

// --- buffer access ---

LPTSTR CString::GetBuffer(int minLength) {
  if (minLength > GetLength()) m_text.resize(minLength);
  return m_text.data();
}

LPTSTR CString::GetBufferSetLength(int length) {
  m_text.resize(std::max(length, 0));
  return m_text.data();
}

void CString::ReleaseBuffer(int newLength) {
  if (newLength < 0) {
    // The caller may have written a shorter text; its end is the first zero.
    size_t end = m_text.find(u'\0');
    if (end != std::u16string::npos) m_text.resize(end);
  } else {
    m_text.resize(std::min<size_t>(newLength, m_text.size()));
  }
}
