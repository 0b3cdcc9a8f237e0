// Profile (INI) files read and edited line by line, so that comments and the
// order of untouched lines survive a write; every write replaces the file
// atomically, and the writes reach the disk together (see Flush::kDeferred).
#include "compat/win32/profile.h"

#include <unistd.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/atomic_file.h"
#include "compat/win32/errors.h"
#include "compat/win32/text.h"

namespace {

constexpr size_t kMaxProfileBytes = 16u << 20;

enum class Encoding { kUtf8, kUtf8WithMark, kUtf16 };

struct IniFile {
  std::vector<std::u16string> lines;
  Encoding encoding = Encoding::kUtf8;
  std::u16string newline = u"\r\n";  // the platform's line end for new files
};

std::mutex& ProfileLock() {
  static std::mutex* lock = new std::mutex;
  return *lock;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string Trim(std::u16string_view text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return std::u16string(text.substr(first, last - first));
}

bool SameName(const std::u16string& a, const char16_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

std::u16string Decode(const std::string& bytes, IniFile& file) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    file.encoding = Encoding::kUtf16;
    std::u16string text;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                    (static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    file.encoding = Encoding::kUtf8WithMark;
    return compat::Utf8ToUtf16(std::string_view(bytes).substr(3));
  }
  return compat::Utf8ToUtf16(bytes);
}

// A missing file reads as empty; false only when it exists but cannot be read.
bool ReadIni(const std::string& host, IniFile& file) {
  std::string bytes;
  if (!compat::ReadWholeFile(host, kMaxProfileBytes, bytes)) return access(host.c_str(), F_OK) != 0;
  std::u16string text = Decode(bytes, file);
  if (text.find(u"\r\n") == std::u16string::npos && text.find(u'\n') != std::u16string::npos) file.newline = u"\n";
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == u'\r') line.pop_back();
    file.lines.push_back(std::move(line));
    start = end + 1;
  }
  return true;
}

std::string Encode(const IniFile& file) {
  std::u16string text;
  for (const auto& line : file.lines) text += line + file.newline;
  if (file.encoding != Encoding::kUtf16) {
    std::string bytes = file.encoding == Encoding::kUtf8WithMark ? "\xEF\xBB\xBF" : "";
    return bytes + compat::Utf16ToUtf8(text);
  }
  std::string bytes = "\xFF\xFE";
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

bool SectionOf(const std::u16string& line, std::u16string& name) {
  std::u16string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != u'[') return false;
  size_t close = trimmed.find(u']');
  name = Trim(std::u16string_view(trimmed).substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1));
  return true;
}

// A key line outside comments; a line without '=' is a key with no value.
bool KeyOf(const std::u16string& line, std::u16string& key, std::u16string& value) {
  std::u16string trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] == u';' || trimmed[0] == u'[') return false;
  size_t equals = trimmed.find(u'=');
  key = Trim(std::u16string_view(trimmed).substr(0, equals));
  value = equals == std::u16string::npos ? u"" : Trim(std::u16string_view(trimmed).substr(equals + 1));
  return true;
}

// The lines of the first section of that name: [header, end).
bool FindSection(const IniFile& file, const char16_t* section, size_t& header, size_t& end) {
  std::u16string name;
  for (size_t i = 0; i < file.lines.size(); ++i) {
    if (!SectionOf(file.lines[i], name) || !SameName(name, section)) continue;
    header = i;
    for (end = i + 1; end < file.lines.size() && !SectionOf(file.lines[end], name); ++end) {
    }
    return true;
  }
  return false;
}

bool FindKey(const IniFile& file, size_t header, size_t end, const char16_t* key, size_t& line,
             std::u16string* value) {
  std::u16string name, text;
  for (size_t i = header + 1; i < end; ++i) {
    if (KeyOf(file.lines[i], name, text) && SameName(name, key)) {
      line = i;
      if (value) *value = text;
      return true;
    }
  }
  return false;
}

std::u16string Unquote(const std::u16string& value) {
  if (value.size() >= 2 && (value[0] == u'"' || value[0] == u'\'') && value.back() == value[0]) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Copies one string, cut to fit: the count copied, without the terminator.
DWORD CopyCut(const std::u16string& text, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  size_t n = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n * sizeof(char16_t));
  buffer[n] = 0;
  return static_cast<DWORD>(n);
}

// Copies names as a list of terminated strings ending in an empty one; when
// it does not fit, the platform's answer is size - 2.
DWORD CopyList(const std::vector<std::u16string>& names, LPWSTR buffer, DWORD size) {
  if (!buffer || size == 0) return 0;
  if (size == 1) {
    buffer[0] = 0;
    return 0;
  }
  std::u16string list;
  for (const auto& name : names) list += name + u'\0';
  if (list.size() + 1 <= size) {
    std::memcpy(buffer, list.data(), list.size() * sizeof(char16_t));
    buffer[list.size()] = 0;
    if (list.empty()) buffer[1 < size ? 1 : 0] = 0;
    return static_cast<DWORD>(list.size());
  }
  std::memcpy(buffer, list.data(), (size - 2) * sizeof(char16_t));
  buffer[size - 2] = 0;
  buffer[size - 1] = 0;
  return size - 2;
}

std::vector<std::u16string> SectionNames(const IniFile& file) {
  std::vector<std::u16string> names;
  std::u16string name;
  for (const auto& line : file.lines) {
    if (SectionOf(line, name)) names.push_back(name);
  }
  return names;
}

std::vector<std::u16string> KeyNames(const IniFile& file, const char16_t* section) {
  std::vector<std::u16string> names;
  size_t header, end;
  if (!FindSection(file, section, header, end)) return names;
  std::u16string key, value;
  for (size_t i = header + 1; i < end; ++i) {
    if (KeyOf(file.lines[i], key, value)) names.push_back(key);
  }
  return names;
}

void RemoveSection(IniFile& file, const char16_t* section) {
  size_t header, end;
  while (FindSection(file, section, header, end)) {
    file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(header), file.lines.begin() + static_cast<ptrdiff_t>(end));
  }
}

void SetKey(IniFile& file, const char16_t* section, const char16_t* key, const char16_t* value) {
  size_t header, end, line;
  if (!FindSection(file, section, header, end)) {
    if (!value) return;
    if (!file.lines.empty() && !Trim(file.lines.back()).empty()) file.lines.push_back(u"");
    file.lines.push_back(u"[" + std::u16string(section) + u"]");
    file.lines.push_back(std::u16string(key) + u"=" + value);
    return;
  }
  if (FindKey(file, header, end, key, line, nullptr)) {
    std::u16string spelled, old_value;
    KeyOf(file.lines[line], spelled, old_value);  // the file's own spelling of the key stays
    if (value) file.lines[line] = spelled + u"=" + value;
    else file.lines.erase(file.lines.begin() + static_cast<ptrdiff_t>(line));
    return;
  }
  if (!value) return;
  size_t insert = end;
  while (insert > header + 1 && Trim(file.lines[insert - 1]).empty()) --insert;
  file.lines.insert(file.lines.begin() + static_cast<ptrdiff_t>(insert), std::u16string(key) + u"=" + value);
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName) {
  if (!lpFileName) return 0;
  std::lock_guard<std::mutex> guard(ProfileLock());
  IniFile file;
  ReadIni(compat::ToHostPath(lpFileName), file);
  if (!lpAppName) return CopyList(SectionNames(file), lpReturnedString, nSize);
  if (!lpKeyName) return CopyList(KeyNames(file, lpAppName), lpReturnedString, nSize);
  size_t header, end, line;
  std::u16string value;
  if (FindSection(file, lpAppName, header, end) && FindKey(file, header, end, lpKeyName, line, &value)) {
    SetLastError(ERROR_SUCCESS);
    return CopyCut(Unquote(value), lpReturnedString, nSize);
  }
  // The platform drops trailing blanks from the default.
  std::u16string fallback = lpDefault ? lpDefault : u"";
  while (!fallback.empty() && fallback.back() == u' ') fallback.pop_back();
  SetLastError(ERROR_FILE_NOT_FOUND);
  return CopyCut(fallback, lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName) {
  if (!lpAppName || !lpKeyName) return static_cast<UINT>(nDefault);
  constexpr DWORD kNumberLength = 64;
  char16_t text[kNumberLength];
  GetPrivateProfileStringW(lpAppName, lpKeyName, u"\x01", text, kNumberLength, lpFileName);
  if (text[0] == u'\x01' && text[1] == 0) return static_cast<UINT>(nDefault);
  return static_cast<UINT>(wcstol(text, nullptr, 10));
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName) {
  if (!lpFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!lpAppName) {
    if (!lpKeyName && !lpString) {
      // "Flush the cache": the writes so far go to the disk.
      compat::SyncDeferredFiles();
      return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> guard(ProfileLock());
  std::string host = compat::ToHostPath(lpFileName);
  IniFile file;
  if (!ReadIni(host, file)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  std::string before = Encode(file);
  if (!lpKeyName) RemoveSection(file, lpAppName);
  else SetKey(file, lpAppName, lpKeyName, lpString);
  std::string after = Encode(file);
  if (after == before) return TRUE;  // a deletion of nothing writes nothing
  // A frame saving its layout writes hundreds of keys in a row: one flush for all.
  if (!compat::WriteFileAtomically(host, after, compat::Flush::kDeferred)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return TRUE;
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}
