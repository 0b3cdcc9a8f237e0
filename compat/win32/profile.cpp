// Profile (INI) files read and edited line by line, so that comments and the
// order of untouched lines survive a write. A file is kept in memory from its
// first use: reads and writes through these calls see each other at once,
// and the file is replaced whole, once, at a flush (the platform's
// WritePrivateProfileString(NULL, NULL, NULL, file)) or at the end of the
// process. A frame saving its layout writes hundreds of keys in a row; one
// replacement of the file serves them all.
#include "compat/win32/profile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <map>
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

// What the file on disk was when it was read or written: a change by another
// program (or a file put in place by a test) is seen at the next read.
struct Stamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};
  bool operator==(const Stamp& o) const {
    return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

Stamp StampOf(const std::string& host) {
  Stamp stamp;
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modified = info.st_mtim;
  return stamp;
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

// --- the files kept in memory ---

struct CachedIni {
  IniFile file;
  bool loaded = false;
  bool dirty = false;  // written here and not yet on disk
  Stamp stamp;
};

std::map<std::string, CachedIni>& Cache() {
  static auto* cache = new std::map<std::string, CachedIni>;  // flushed by the last exit handler
  return *cache;
}

// The file as these calls see it; false when it exists but cannot be read.
bool Load(const std::string& host, CachedIni*& entry) {
  entry = &Cache()[host];
  if (entry->dirty) return true;
  const Stamp now = StampOf(host);
  if (entry->loaded && now == entry->stamp) return true;
  entry->file = IniFile{};
  entry->loaded = ReadIni(host, entry->file);
  entry->stamp = now;
  return entry->loaded;
}

// Whether a replacement could be put there: the nearest existing folder on
// the way is a folder we may write in. Checked when a clean file is first
// written, so that an unreachable profile fails at the write, as it does on
// the platform, not silently at the flush.
bool CanReplace(const std::string& host) {
  std::string folder = host;
  for (;;) {
    const size_t slash = folder.find_last_of('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
    struct stat info;
    if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode) && access(folder.c_str(), W_OK) == 0;
    if (folder == "/" || folder == ".") return false;
  }
}

bool FlushEntry(const std::string& host, CachedIni& entry) {
  if (!entry.dirty) return true;
  if (!compat::WriteFileAtomically(host, Encode(entry.file))) return false;
  entry.dirty = false;
  entry.stamp = StampOf(host);
  return true;
}

bool FolderExists(const std::string& host) {
  const size_t slash = host.find_last_of('/');
  struct stat info;
  return slash == std::string::npos || slash == 0 ||
         (stat(host.substr(0, slash).c_str(), &info) == 0 && S_ISDIR(info.st_mode));
}

// At the end of the process; a file whose folder has gone since is not brought back.
void FlushAll() {
  std::lock_guard<std::mutex> guard(ProfileLock());
  for (auto& [host, entry] : Cache())
    if (entry.dirty && FolderExists(host)) FlushEntry(host, entry);
}

void FlushAtExit() {
  static const bool registered = std::atexit(FlushAll) == 0;
  (void)registered;
}

}  // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault, LPWSTR lpReturnedString,
                               DWORD nSize, LPCWSTR lpFileName) {
  if (!lpFileName) return 0;
  std::lock_guard<std::mutex> guard(ProfileLock());
  CachedIni* entry = nullptr;
  Load(compat::ToHostPath(lpFileName), entry);
  const IniFile& file = entry->file;
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
  const std::string host = compat::ToHostPath(lpFileName);
  std::lock_guard<std::mutex> guard(ProfileLock());
  if (!lpAppName) {
    if (lpKeyName || lpString) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    // "Flush the cache": the file goes to the disk whole.
    auto found = Cache().find(host);
    if (found == Cache().end() || FlushEntry(host, found->second)) return TRUE;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  CachedIni* entry = nullptr;
  if (!Load(host, entry)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  const std::vector<std::u16string> before = entry->file.lines;
  if (!lpKeyName) RemoveSection(entry->file, lpAppName);
  else SetKey(entry->file, lpAppName, lpKeyName, lpString);
  if (entry->file.lines == before) return TRUE;  // a deletion of nothing writes nothing
  if (!entry->dirty && !CanReplace(host)) {
    entry->file.lines = before;
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  entry->dirty = true;
  FlushAtExit();
  return TRUE;
}

DWORD GetPrivateProfileSectionNamesW(LPWSTR lpszReturnBuffer, DWORD nSize, LPCWSTR lpFileName) {
  return GetPrivateProfileStringW(nullptr, nullptr, nullptr, lpszReturnBuffer, nSize, lpFileName);
}
