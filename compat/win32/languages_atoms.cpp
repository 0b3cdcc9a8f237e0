// The system's language from the host's locale variables, and the global atom
// table (process-wide here: the program is the only one that reads it).
//
// Sections: languages · atoms
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"

namespace {

// --- languages ---

struct LanguageName {
  const char* prefix;
  WORD primary;
};

// The languages whose primary ids the program may ask about; others read as
// neutral with the default sub-language.
constexpr LanguageName kLanguages[] = {
    {"zh", LANG_CHINESE}, {"en", LANG_ENGLISH}, {"de", 0x07}, {"es", 0x0A}, {"fr", 0x0C},
    {"it", 0x10},         {"ja", 0x11},         {"ko", 0x12}, {"nl", 0x13}, {"pt", 0x16}, {"ru", 0x19},
};

std::string LocaleName() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return value;
  }
  return "";
}

LANGID LanguageOf(const std::string& locale) {
  const std::string language = locale.substr(0, locale.find_first_of("_.@"));
  if (language.empty() || language == "C" || language == "POSIX") return MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  for (const LanguageName& l : kLanguages) {
    if (language != l.prefix) continue;
    if (l.primary == LANG_CHINESE) {
      const bool traditional = locale.find("_TW") != std::string::npos || locale.find("_HK") != std::string::npos;
      return MAKELANGID(LANG_CHINESE, traditional ? SUBLANG_CHINESE_TRADITIONAL : SUBLANG_CHINESE_SIMPLIFIED);
    }
    return MAKELANGID(l.primary, SUBLANG_DEFAULT);
  }
  return MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
}

// --- atoms ---

struct AtomEntry {
  std::u16string name;
  int count = 0;
};

struct AtomTable {
  std::mutex lock;
  std::map<ATOM, AtomEntry> atoms;
  std::map<std::u16string, ATOM> byName;  // folded names
  ATOM next = MAXINTATOM;
};

AtomTable& Atoms() {
  static AtomTable table;
  return table;
}

std::u16string Folded(const char16_t* name) {
  std::u16string out = name;
  for (char16_t& c : out)
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  return out;
}

// "#123" and MAKEINTATOM(123) name integer atoms, which need no table entry.
bool IntegerAtom(LPCWSTR name, ATOM* atom) {
  if (IS_INTRESOURCE(name)) {
    *atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
    return true;
  }
  if (name[0] != u'#') return false;
  unsigned value = 0;
  for (const char16_t* p = name + 1; *p; ++p) {
    if (*p < u'0' || *p > u'9' || value >= MAXINTATOM) return false;
    value = value * 10 + static_cast<unsigned>(*p - u'0');
  }
  *atom = static_cast<ATOM>(value);
  return name[1] != 0;
}

}  // namespace

LANGID GetSystemDefaultLangID() { return LanguageOf(LocaleName()); }
LANGID GetUserDefaultLangID() { return LanguageOf(LocaleName()); }

ATOM GlobalAddAtomW(LPCWSTR lpString) {
  if (!lpString) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  ATOM atom = 0;
  if (IntegerAtom(lpString, &atom)) {
    if (atom == 0 || atom >= MAXINTATOM) SetLastError(ERROR_INVALID_PARAMETER);
    return atom < MAXINTATOM ? atom : 0;
  }
  const size_t length = std::char_traits<char16_t>::length(lpString);
  if (length == 0 || length > 255) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  AtomTable& t = Atoms();
  std::lock_guard<std::mutex> guard(t.lock);
  const std::u16string key = Folded(lpString);
  if (auto found = t.byName.find(key); found != t.byName.end()) {
    ++t.atoms[found->second].count;
    return found->second;
  }
  if (t.atoms.size() >= 0xFFFF - MAXINTATOM) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  while (t.atoms.count(t.next)) t.next = t.next == 0xFFFF ? MAXINTATOM : static_cast<ATOM>(t.next + 1);
  const ATOM made = t.next;
  t.atoms[made] = AtomEntry{lpString, 1};
  t.byName[key] = made;
  return made;
}

ATOM GlobalFindAtomW(LPCWSTR lpString) {
  if (!lpString) return 0;
  ATOM atom = 0;
  if (IntegerAtom(lpString, &atom)) return atom < MAXINTATOM ? atom : 0;
  AtomTable& t = Atoms();
  std::lock_guard<std::mutex> guard(t.lock);
  const auto found = t.byName.find(Folded(lpString));
  if (found == t.byName.end()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return 0;
  }
  return found->second;
}

// 0 when done; the atom itself when there is no such atom.
ATOM GlobalDeleteAtom(ATOM nAtom) {
  if (nAtom < MAXINTATOM) return 0;
  AtomTable& t = Atoms();
  std::lock_guard<std::mutex> guard(t.lock);
  const auto found = t.atoms.find(nAtom);
  if (found == t.atoms.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nAtom;
  }
  if (--found->second.count == 0) {
    t.byName.erase(Folded(found->second.name.c_str()));
    t.atoms.erase(found);
  }
  return 0;
}

UINT GlobalGetAtomNameW(ATOM nAtom, LPWSTR lpBuffer, int nSize) {
  if (!lpBuffer || nSize <= 0) return 0;
  std::u16string name;
  if (nAtom < MAXINTATOM) {
    name = u"#" + compat::Utf8ToUtf16(std::to_string(nAtom));
  } else {
    AtomTable& t = Atoms();
    std::lock_guard<std::mutex> guard(t.lock);
    const auto found = t.atoms.find(nAtom);
    if (found == t.atoms.end()) {
      SetLastError(ERROR_INVALID_HANDLE);
      return 0;
    }
    name = found->second.name;
  }
  const size_t n = std::min<size_t>(name.size(), static_cast<size_t>(nSize - 1));
  std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), lpBuffer);
  lpBuffer[n] = 0;
  return static_cast<UINT>(n);
}
