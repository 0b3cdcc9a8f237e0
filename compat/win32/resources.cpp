// The resource calls over the compiled tables: module handles, FindResource and friends,
// string tables and accelerator tables. Every length in resource data is checked before use.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "compat/win32.h"

namespace compat {

namespace {

// Distinct addresses stand for the two modules; nothing is ever read through them.
char g_programModule;
char g_frameworkModule;

constexpr WORD kStringType = 6;
constexpr WORD kAcceleratorType = 9;
constexpr size_t kAcceleratorRecordBytes = 8;  // flags, key, command, padding
constexpr WORD kLastAccelerator = 0x80;
constexpr int kMaxAccelerators = 32767;

bool NumericId(LPCWSTR name, WORD* id) {
  if (!name || !IS_INTRESOURCE(name)) return false;  // resources carry numeric ids only
  *id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  return true;
}

WORD ReadWord(const BYTE* p) {
  WORD w;
  std::memcpy(&w, p, sizeof(w));
  return w;
}

// The units and length of string `id` in its bundle, or false when it is absent or the
// bundle is cut short.
bool FindString(ResourceModule module, UINT id, const WCHAR** text, int* length) {
  if (id > 0xFFFF) return false;
  const ResourceEntry* bundle = FindResourceEntry(module, kStringType, static_cast<WORD>((id >> 4) + 1));
  if (!bundle) return false;
  size_t at = 0;
  for (UINT index = 0;; ++index) {
    if (at + 2 > bundle->size) return false;
    const size_t units = ReadWord(bundle->data + at);
    at += 2;
    if (units * 2 > bundle->size - at) return false;
    if (index == (id & 15)) {
      *text = reinterpret_cast<const WCHAR*>(bundle->data + at);
      *length = static_cast<int>(units);
      return units > 0;
    }
    at += units * 2;
  }
}

struct AcceleratorTable {
  std::vector<ACCEL> entries;
  bool shared = false;  // loaded from resources: kept for the process
};

std::mutex& AcceleratorMutex() {
  static auto* m = new std::mutex();
  return *m;
}

std::map<HACCEL, std::unique_ptr<AcceleratorTable>>& AcceleratorTables() {
  static auto* tables = new std::map<HACCEL, std::unique_ptr<AcceleratorTable>>();
  return *tables;
}

HACCEL RegisterAccelerators(std::unique_ptr<AcceleratorTable> table) {
  auto handle = reinterpret_cast<HACCEL>(table.get());
  AcceleratorTables()[handle] = std::move(table);
  return handle;
}

// The 8-byte records of an RT_ACCELERATOR resource, up to the one flagged last.
std::unique_ptr<AcceleratorTable> DecodeAccelerators(const ResourceEntry& entry) {
  auto table = std::make_unique<AcceleratorTable>();
  table->shared = true;
  for (size_t at = 0; at + kAcceleratorRecordBytes <= entry.size; at += kAcceleratorRecordBytes) {
    WORD flags = ReadWord(entry.data + at);
    table->entries.push_back(ACCEL{static_cast<BYTE>(flags & 0x7F), ReadWord(entry.data + at + 2),
                                   ReadWord(entry.data + at + 4)});
    if (flags & kLastAccelerator) return table;
  }
  return nullptr;  // no record carries the end flag: the data is cut short
}

}  // namespace

HMODULE ResourceModuleHandle(ResourceModule module) {
  return reinterpret_cast<HMODULE>(module == ResourceModule::Framework ? &g_frameworkModule : &g_programModule);
}

ResourceModule ResourceModuleOf(HMODULE handle) {
  return handle == reinterpret_cast<HMODULE>(&g_frameworkModule) ? ResourceModule::Framework
                                                                  : ResourceModule::Program;
}

}  // namespace compat

using compat::ResourceEntry;
using compat::ResourceModule;

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
  if (moduleName) {  // the program loads no other modules
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return compat::ResourceModuleHandle(ResourceModule::Program);
}

HRSRC WINAPI FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
  WORD id = 0, typeId = 0;
  if (!compat::NumericId(type, &typeId)) {
    SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
    return nullptr;
  }
  if (!compat::NumericId(name, &id)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const ResourceEntry* entry = compat::FindResourceEntry(compat::ResourceModuleOf(module), typeId, id);
  if (!entry) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(entry));
}

// Every resource is compiled language-neutral, so any language finds it.
HRSRC WINAPI FindResourceExW(HMODULE module, LPCWSTR type, LPCWSTR name, WORD) {
  return FindResourceW(module, name, type);
}

HGLOBAL WINAPI LoadResource(HMODULE, HRSRC resource) {
  if (!resource) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return const_cast<BYTE*>(reinterpret_cast<const ResourceEntry*>(resource)->data);
}

// The data stays in the executable's image: nothing to lock or free.
LPVOID WINAPI LockResource(HGLOBAL data) { return data; }

BOOL WINAPI FreeResource(HGLOBAL) { return FALSE; }

DWORD WINAPI SizeofResource(HMODULE, HRSRC resource) {
  if (!resource) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return reinterpret_cast<const ResourceEntry*>(resource)->size;
}

int WINAPI LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax) {
  if (!buffer || bufferMax < 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const WCHAR* text = nullptr;
  int length = 0;
  bool found = compat::FindString(compat::ResourceModuleOf(instance), id, &text, &length);
  if (bufferMax == 0) {
    // The caller receives a pointer to the read-only, unterminated text.
    const WCHAR* result = found ? text : nullptr;
    std::memcpy(buffer, &result, sizeof(result));
    return found ? length : 0;
  }
  if (!found) {
    buffer[0] = 0;
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
  }
  const int copied = std::min(length, bufferMax - 1);
  std::memcpy(buffer, text, static_cast<size_t>(copied) * sizeof(WCHAR));
  buffer[copied] = 0;
  return copied;
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name) {
  WORD id = 0;
  if (!compat::NumericId(name, &id)) return nullptr;
  const ResourceModule module = compat::ResourceModuleOf(instance);
  const ResourceEntry* entry = compat::FindResourceEntry(module, compat::kAcceleratorType, id);
  if (!entry) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  // One table per resource, as the platform hands out the same handle each time.
  static std::map<std::pair<int, WORD>, HACCEL> loaded;
  std::lock_guard lock(compat::AcceleratorMutex());
  HACCEL& slot = loaded[{static_cast<int>(module), id}];
  if (!slot) {
    auto table = compat::DecodeAccelerators(*entry);
    if (!table) {
      SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
      return nullptr;
    }
    slot = compat::RegisterAccelerators(std::move(table));
  }
  return slot;
}

HACCEL WINAPI CreateAcceleratorTableW(LPACCEL accels, int count) {
  if (!accels || count <= 0 || count > compat::kMaxAccelerators) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto table = std::make_unique<compat::AcceleratorTable>();
  table->entries.assign(accels, accels + count);
  for (ACCEL& a : table->entries) a.fVirt &= 0x7F;
  std::lock_guard lock(compat::AcceleratorMutex());
  return compat::RegisterAccelerators(std::move(table));
}

int WINAPI CopyAcceleratorTableW(HACCEL handle, LPACCEL accels, int count) {
  std::lock_guard lock(compat::AcceleratorMutex());
  auto it = compat::AcceleratorTables().find(handle);
  if (it == compat::AcceleratorTables().end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  const std::vector<ACCEL>& entries = it->second->entries;
  if (!accels) return static_cast<int>(entries.size());  // the count the caller must make room for
  const int copied = std::min(std::max(count, 0), static_cast<int>(entries.size()));
  std::copy(entries.begin(), entries.begin() + copied, accels);
  return copied;
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL handle) {
  std::lock_guard lock(compat::AcceleratorMutex());
  auto it = compat::AcceleratorTables().find(handle);
  if (it == compat::AcceleratorTables().end()) return FALSE;
  if (!it->second->shared) compat::AcceleratorTables().erase(it);
  return TRUE;
}
