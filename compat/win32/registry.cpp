// The registry on one file: a tree of keys in memory, re-read when the file
// or its place changes, written whole and atomically after every change.
//
// File layout (little-endian): the 8-byte magic, a 32-bit key count, then per
// key its full path and its values (name, type, byte count, bytes), and at the
// end a 64-bit FNV-1a checksum of everything before it. Strings are a 32-bit
// count of UTF-16 units followed by the units. A file that fails any check is
// treated as empty, so a damaged store costs settings, never a crash.
//
// Sections: store file, key tree, handles, calls.
#include "compat/win32/registry.h"

#include <sys/stat.h>

#include <cstring>
#include <cstdlib>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/atomic_file.h"
#include "compat/win32/text.h"

namespace {

constexpr char kMagic[8] = {'C', 'V', 'R', 'E', 'G', '\x01', '\r', '\n'};
constexpr size_t kMaxStoreBytes = 256u << 20;
constexpr DWORD kMaxValueBytes = 64u << 20;
constexpr size_t kMaxKeyNameLength = 255;
constexpr size_t kMaxValueNameLength = 16383;
constexpr int kRootCount = 4;
const char16_t* const kRootNames[kRootCount] = {u"HKEY_CLASSES_ROOT", u"HKEY_CURRENT_USER",
                                                u"HKEY_LOCAL_MACHINE", u"HKEY_USERS"};

std::u16string Fold(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = towlower(c);
  return folded;
}

// --- key tree ---
struct Value {
  std::u16string name;
  DWORD type = REG_NONE;
  std::string bytes;
};

struct Key {
  std::u16string name;
  std::map<std::u16string, Key> children;  // by folded name: enumerated in order
  std::vector<Value> values;                // in the order they were created

  Value* FindValue(std::u16string_view value_name) {
    std::u16string folded = Fold(value_name);
    for (Value& value : values) {
      if (Fold(value.name) == folded) return &value;
    }
    return nullptr;
  }
};

std::vector<std::u16string> SplitPath(LPCWSTR path) {
  std::vector<std::u16string> parts;
  std::u16string part;
  for (const char16_t* p = path; p && *p; ++p) {
    if (*p == u'\\') {
      if (!part.empty()) parts.push_back(std::move(part));
      part.clear();
    } else {
      part += *p;
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

// --- store file ---
class Writer {
 public:
  void U32(uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes_ += static_cast<char>(value >> (8 * i));
  }
  void String(const std::u16string& text) {
    U32(static_cast<uint32_t>(text.size()));
    for (char16_t c : text) {
      bytes_ += static_cast<char>(c & 0xFF);
      bytes_ += static_cast<char>(c >> 8);
    }
  }
  void Raw(const std::string& data) { bytes_ += data; }
  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

class Reader {
 public:
  explicit Reader(std::string_view bytes) : bytes_(bytes) {}
  bool U32(uint32_t& value) {
    if (bytes_.size() - offset_ < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes_[offset_ + i])) << (8 * i);
    offset_ += 4;
    return true;
  }
  bool String(std::u16string& text, size_t max_length) {
    uint32_t length;
    if (!U32(length) || length > max_length || (bytes_.size() - offset_) / 2 < length) return false;
    text.resize(length);
    for (uint32_t i = 0; i < length; ++i) {
      text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes_[offset_]) |
                                      (static_cast<unsigned char>(bytes_[offset_ + 1]) << 8));
      offset_ += 2;
    }
    return true;
  }
  bool Raw(std::string& data, size_t count) {
    if (bytes_.size() - offset_ < count) return false;
    data.assign(bytes_.substr(offset_, count));
    offset_ += count;
    return true;
  }
  bool AtEnd() const { return offset_ == bytes_.size(); }

 private:
  std::string_view bytes_;
  size_t offset_ = 0;
};

uint64_t Checksum(std::string_view bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ull;
  }
  return hash;
}

void WriteKey(Writer& out, const Key& key, const std::u16string& path) {
  out.String(path);
  out.U32(static_cast<uint32_t>(key.values.size()));
  for (const Value& value : key.values) {
    out.String(value.name);
    out.U32(value.type);
    out.U32(static_cast<uint32_t>(value.bytes.size()));
    out.Raw(value.bytes);
  }
  for (const auto& [folded, child] : key.children) WriteKey(out, child, path + u"\\" + child.name);
}

uint32_t CountKeys(const Key& key) {
  uint32_t count = 1;
  for (const auto& [folded, child] : key.children) count += CountKeys(child);
  return count;
}

struct Store {
  Key roots[kRootCount];
  std::string loaded_path;
  struct stat loaded_info = {};
  bool loaded = false;
};

std::string Serialize(const Store& store) {
  Writer out;
  out.Raw(std::string(kMagic, sizeof kMagic));
  uint32_t count = 0;
  for (const Key& root : store.roots) count += CountKeys(root);
  out.U32(count);
  for (int i = 0; i < kRootCount; ++i) WriteKey(out, store.roots[i], kRootNames[i]);
  uint64_t sum = Checksum(out.bytes());
  out.U32(static_cast<uint32_t>(sum));
  out.U32(static_cast<uint32_t>(sum >> 32));
  return std::move(out.bytes());
}

Key* CreatePath(Key& root, const std::vector<std::u16string>& parts, size_t first, bool* created) {
  Key* key = &root;
  for (size_t i = first; i < parts.size(); ++i) {
    auto [it, inserted] = key->children.try_emplace(Fold(parts[i]));
    if (inserted) {
      it->second.name = parts[i];
      if (created) *created = true;
    }
    key = &it->second;
  }
  return key;
}

bool ReadKeyRecord(Reader& in, Store& store) {
  std::u16string path;
  uint32_t value_count;
  if (!in.String(path, 1 << 16) || !in.U32(value_count)) return false;
  std::vector<std::u16string> parts = SplitPath(path.c_str());
  if (parts.empty()) return false;
  int root = -1;
  for (int i = 0; i < kRootCount; ++i) {
    if (Fold(parts[0]) == Fold(kRootNames[i])) root = i;
  }
  if (root < 0) return false;
  Key* key = CreatePath(store.roots[root], parts, 1, nullptr);
  for (uint32_t i = 0; i < value_count; ++i) {
    Value value;
    uint32_t size;
    if (!in.String(value.name, kMaxValueNameLength) || !in.U32(value.type) || !in.U32(size) ||
        size > kMaxValueBytes || !in.Raw(value.bytes, size)) {
      return false;
    }
    if (Value* existing = key->FindValue(value.name)) *existing = std::move(value);
    else key->values.push_back(std::move(value));
  }
  return true;
}

bool Parse(const std::string& bytes, Store& store) {
  if (bytes.size() < sizeof kMagic + 12 || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) return false;
  std::string_view body(bytes.data(), bytes.size() - 8);
  Reader tail(std::string_view(bytes).substr(bytes.size() - 8));
  uint32_t low, high;
  tail.U32(low);
  tail.U32(high);
  if (Checksum(body) != ((static_cast<uint64_t>(high) << 32) | low)) return false;
  Reader in(body.substr(sizeof kMagic));
  uint32_t count;
  if (!in.U32(count)) return false;
  for (uint32_t i = 0; i < count; ++i) {
    if (!ReadKeyRecord(in, store)) return false;
  }
  return in.AtEnd();
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_ino == b.st_ino && a.st_dev == b.st_dev && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

void Load(Store& store, const std::string& path) {
  for (Key& root : store.roots) root = Key{};
  for (int i = 0; i < kRootCount; ++i) store.roots[i].name = kRootNames[i];
  store.loaded = true;
  store.loaded_path = path;
  store.loaded_info = {};
  std::string bytes;
  if (stat(path.c_str(), &store.loaded_info) != 0) return;
  if (!compat::ReadWholeFile(path, kMaxStoreBytes, bytes)) return;
  Store parsed;
  if (!Parse(bytes, parsed)) return;  // damaged: start empty, the next write replaces it
  for (int i = 0; i < kRootCount; ++i) store.roots[i].children = std::move(parsed.roots[i].children);
  for (int i = 0; i < kRootCount; ++i) store.roots[i].values = std::move(parsed.roots[i].values);
}

// Re-reads the store when its place or its file changed since we last saw it
// (another instance of the program, or a test pointing elsewhere).
void Refresh(Store& store) {
  std::string path = compat::RegistryStorePath();
  struct stat info = {};
  bool exists = stat(path.c_str(), &info) == 0;
  bool known = store.loaded && path == store.loaded_path &&
               (exists ? SameFile(info, store.loaded_info) : store.loaded_info.st_ino == 0);
  if (!known) Load(store, path);
}

LONG Save(Store& store) {
  if (!compat::WriteFileAtomically(store.loaded_path, Serialize(store))) {
    Load(store, store.loaded_path);  // drop the change: memory matches the file again
    return ERROR_CANTWRITE;
  }
  stat(store.loaded_path.c_str(), &store.loaded_info);
  return ERROR_SUCCESS;
}

// --- handles ---
struct OpenKey {
  int root;
  std::vector<std::u16string> parts;
};

struct Registry {
  std::mutex lock;
  Store store;
  std::unordered_map<uintptr_t, OpenKey> open_keys;
  uintptr_t next_handle = 0x3000;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

int PredefinedRoot(HKEY key) {
  for (int i = 0; i < kRootCount; ++i) {
    if (key == reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(0x80000000u + i)))) return i;
  }
  return -1;
}

bool Describe(Registry& registry, HKEY key, OpenKey& out) {
  int root = PredefinedRoot(key);
  if (root >= 0) {
    out = OpenKey{root, {}};
    return true;
  }
  auto it = registry.open_keys.find(reinterpret_cast<uintptr_t>(key));
  if (it == registry.open_keys.end()) return false;
  out = it->second;
  return true;
}

Key* Walk(Store& store, const OpenKey& where) {
  Key* key = &store.roots[where.root];
  for (const auto& part : where.parts) {
    auto it = key->children.find(Fold(part));
    if (it == key->children.end()) return nullptr;
    key = &it->second;
  }
  return key;
}

HKEY AddOpenKey(Registry& registry, OpenKey key) {
  uintptr_t value = registry.next_handle;
  registry.next_handle += 4;
  registry.open_keys.emplace(value, std::move(key));
  return reinterpret_cast<HKEY>(value);
}

// Resolves `hKey` for a call: the key it names, or an error code.
LONG Resolve(Registry& registry, HKEY hKey, OpenKey& where, Key*& key) {
  if (!Describe(registry, hKey, where)) return ERROR_INVALID_HANDLE;
  Refresh(registry.store);
  key = Walk(registry.store, where);
  return key ? ERROR_SUCCESS : ERROR_KEY_DELETED;
}

bool ValidSubKey(const std::vector<std::u16string>& parts) {
  for (const auto& part : parts) {
    if (part.size() > kMaxKeyNameLength) return false;
  }
  return true;
}

LONG Open(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult, bool create, LPDWORD disposition) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  std::vector<std::u16string> parts = SplitPath(lpSubKey);
  if (!ValidSubKey(parts)) return ERROR_INVALID_PARAMETER;
  bool created = false;
  if (create) {
    CreatePath(*key, parts, 0, &created);
    if (created) {
      if (LONG error = Save(registry.store)) return error;
    }
  }
  for (auto& part : parts) where.parts.push_back(std::move(part));
  if (!Walk(registry.store, where)) return ERROR_FILE_NOT_FOUND;
  if (disposition) *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = AddOpenKey(registry, std::move(where));
  return ERROR_SUCCESS;
}

void MaxLengths(const Key& key, DWORD& subkey, DWORD& value_name, DWORD& value_bytes) {
  subkey = value_name = value_bytes = 0;
  for (const auto& [folded, child] : key.children) subkey = std::max<DWORD>(subkey, static_cast<DWORD>(child.name.size()));
  for (const Value& value : key.values) {
    value_name = std::max<DWORD>(value_name, static_cast<DWORD>(value.name.size()));
    value_bytes = std::max<DWORD>(value_bytes, static_cast<DWORD>(value.bytes.size()));
  }
}

// Copies a name for the enumeration calls: the count is in characters with
// the terminator going in, without it coming out.
LONG CopyName(const std::u16string& name, LPWSTR buffer, LPDWORD count) {
  if (!buffer || !count) return ERROR_INVALID_PARAMETER;
  if (name.size() + 1 > *count) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), (name.size() + 1) * sizeof(char16_t));
  *count = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

// Delivers value bytes: a size query without a buffer, ERROR_MORE_DATA with
// the size needed when the buffer is short.
LONG CopyData(const Value& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type) *type = value.type;
  if (data && !size) return ERROR_INVALID_PARAMETER;
  if (!size) return ERROR_SUCCESS;
  DWORD needed = static_cast<DWORD>(value.bytes.size());
  if (data && *size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (data) std::memcpy(data, value.bytes.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

}  // namespace

namespace compat {

std::string RegistryStorePath() {
  const char* folder = getenv("CALVETTA_REGISTRY");
  if (folder && *folder) return std::string(folder) + "/registry";
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return std::string(config) + "/calvetta/registry";
  const char* home = getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/calvetta/registry";
}

}  // namespace compat

// --- calls ---
LONG RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM, PHKEY phkResult) {
  return Open(hKey, lpSubKey, phkResult, false, nullptr);
}

LONG RegOpenKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  return Open(hKey, lpSubKey, phkResult, false, nullptr);
}

LONG RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM, LPSECURITY_ATTRIBUTES,
                     PHKEY phkResult, LPDWORD lpdwDisposition) {
  return Open(hKey, lpSubKey, phkResult, true, lpdwDisposition);
}

LONG RegCreateKeyW(HKEY hKey, LPCWSTR lpSubKey, PHKEY phkResult) {
  return Open(hKey, lpSubKey, phkResult, true, nullptr);
}

LONG RegCloseKey(HKEY hKey) {
  if (PredefinedRoot(hKey) >= 0) return ERROR_SUCCESS;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  return registry.open_keys.erase(reinterpret_cast<uintptr_t>(hKey)) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegFlushKey(HKEY hKey) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  return Describe(registry, hKey, where) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;  // every change is on disk
}

LONG RegQueryInfoKeyW(HKEY hKey, LPWSTR lpClass, LPDWORD lpcchClass, LPDWORD, LPDWORD lpcSubKeys,
                      LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                      LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                      LPFILETIME lpftLastWriteTime) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  DWORD subkey_length, value_name_length, value_bytes;
  MaxLengths(*key, subkey_length, value_name_length, value_bytes);
  if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->children.size());
  if (lpcbMaxSubKeyLen) *lpcbMaxSubKeyLen = subkey_length;
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = value_name_length;
  if (lpcbMaxValueLen) *lpcbMaxValueLen = value_bytes;
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) GetSystemTimeAsFileTime(lpftLastWriteTime);
  return ERROR_SUCCESS;
}

LONG RegEnumKeyExW(HKEY hKey, DWORD dwIndex, LPWSTR lpName, LPDWORD lpcchName, LPDWORD, LPWSTR lpClass,
                   LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  if (dwIndex >= key->children.size()) return ERROR_NO_MORE_ITEMS;
  auto it = std::next(key->children.begin(), dwIndex);
  if (lpClass && lpcchClass && *lpcchClass) lpClass[0] = 0;
  if (lpcchClass) *lpcchClass = 0;
  if (lpftLastWriteTime) GetSystemTimeAsFileTime(lpftLastWriteTime);
  return CopyName(it->second.name, lpName, lpcchName);
}

LONG RegEnumValueW(HKEY hKey, DWORD dwIndex, LPWSTR lpValueName, LPDWORD lpcchValueName, LPDWORD,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = key->values[dwIndex];
  if (LONG error = CopyName(value.name, lpValueName, lpcchValueName)) return error;
  return CopyData(value, lpType, lpData, lpcbData);
}

LONG RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  const Value* value = key->FindValue(lpValueName ? lpValueName : u"");
  if (!value) return ERROR_FILE_NOT_FOUND;
  return CopyData(*value, lpType, lpData, lpcbData);
}

LONG RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if ((cbData && !lpData) || cbData > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
  std::u16string name = lpValueName ? lpValueName : u"";
  if (name.size() > kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  Value* value = key->FindValue(name);
  if (!value) {
    key->values.push_back(Value{name, REG_NONE, {}});
    value = &key->values.back();
  }
  value->type = dwType;
  value->bytes.assign(reinterpret_cast<const char*>(lpData), cbData);
  return Save(registry.store);
}

LONG RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* key;
  if (LONG error = Resolve(registry, hKey, where, key)) return error;
  const Value* value = key->FindValue(lpValueName ? lpValueName : u"");
  if (!value) return ERROR_FILE_NOT_FOUND;
  key->values.erase(key->values.begin() + (value - key->values.data()));
  return Save(registry.store);
}

LONG RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> guard(registry.lock);
  OpenKey where;
  Key* parent;
  if (LONG error = Resolve(registry, hKey, where, parent)) return error;
  std::vector<std::u16string> parts = SplitPath(lpSubKey);
  if (parts.empty()) return ERROR_INVALID_PARAMETER;  // a key does not delete itself here
  for (size_t i = 0; i + 1 < parts.size(); ++i) where.parts.push_back(parts[i]);
  parent = Walk(registry.store, where);
  if (!parent) return ERROR_FILE_NOT_FOUND;
  auto it = parent->children.find(Fold(parts.back()));
  if (it == parent->children.end()) return ERROR_FILE_NOT_FOUND;
  if (!it->second.children.empty()) return ERROR_ACCESS_DENIED;
  parent->children.erase(it);
  return Save(registry.store);
}
