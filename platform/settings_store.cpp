// Named settings files through the framework's archive, and registry values.
#include "platform/settings_store.h"

#include <cstring>
#include <vector>

#include "platform/program_folder.h"
#include "platform/replacing_file.h"

namespace {

constexpr DWORD kValueNameChars = 1024;
constexpr DWORD kValueDataBytes = 1024;
constexpr DWORD kLengthWordBytes = 4;

CString SettingPath(LPCTSTR name) { return GetDataFolder() + name + u".dat"; }

// Reads the length word and the value from an open setting file; the length
// is checked against the file before anything is allocated.
BOOL ReadSettingFile(CFile& file, BYTE** bytes, int* count) {
  DWORD fileLength = file.GetLength();
  if (fileLength < kLengthWordBytes) return FALSE;
  CArchive ar(&file, CArchive::load);
  int n = 0;
  ar >> n;
  // A negative length word loads as an empty value, as a zero one does.
  if (n < 0) n = 0;
  if (n > kMaxSettingBytes || static_cast<DWORD>(n) > fileLength - kLengthWordBytes) return FALSE;
  BYTE* block = new BYTE[n];
  try {
    ar.Read(block, static_cast<UINT>(n));
  } catch (...) {
    delete[] block;
    throw;
  }
  ar.Close();
  *bytes = block;
  *count = n;
  return TRUE;
}

}  // namespace

BOOL LoadSetting(LPCTSTR name, BYTE** bytes, int* count) {
  if (name == nullptr || bytes == nullptr || count == nullptr) return FALSE;
  CString path = SettingPath(name);
  if (_waccess(path, 0) != 0) return FALSE;
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary)) return FALSE;
  try {
    return ReadSettingFile(file, bytes, count);
  } catch (CException* e) {
    e->Delete();
    return FALSE;
  }
}

BOOL SaveSetting(LPCTSTR name, const BYTE* bytes, int count) {
  if (name == nullptr || count < 0 || count > kMaxSettingBytes || (bytes == nullptr && count > 0)) {
    return FALSE;
  }
  CreateDirectoryW(GetDataFolder(), nullptr);  // an existing folder is fine
  // The length word as the archive writes an int, then the bytes.
  std::vector<BYTE> file(kLengthWordBytes + static_cast<size_t>(count));
  const DWORD length = static_cast<DWORD>(count);
  for (DWORD i = 0; i < kLengthWordBytes; ++i) file[i] = static_cast<BYTE>(length >> (8 * i));
  if (count > 0) std::memcpy(file.data() + kLengthWordBytes, bytes, static_cast<size_t>(count));
  const CString path = SettingPath(name);
  // A full disk keeps the earlier value; the program goes on with the new
  // one in memory, and the user hears of it once.
  if (!WriteFileReplacing(path, file.data(), static_cast<UINT>(file.size()))) {
    ReportWriteFailureOnce(path);
    return FALSE;
  }
  return TRUE;
}

BOOL RegReadValue(LPCTSTR keyPath, LPCTSTR name, BYTE** bytes, int* count) {
  if (name == nullptr || bytes == nullptr || count == nullptr) return FALSE;
  HKEY key = nullptr;
  if (RegOpenKeyW(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) return FALSE;
  DWORD valueCount = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &valueCount,
                       nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    RegCloseKey(key);
    return FALSE;
  }
  BOOL found = FALSE;
  TCHAR valueName[kValueNameChars];
  BYTE data[kValueDataBytes];
  for (DWORD index = 0; index < valueCount && !found; ++index) {
    std::memset(valueName, 0, sizeof valueName);
    std::memset(data, 0, sizeof data);
    DWORD nameChars = kValueNameChars;
    DWORD dataBytes = kValueDataBytes;
    DWORD type = 0;
    LONG result = RegEnumValueW(key, index, valueName, &nameChars, nullptr, &type, data, &dataBytes);
    if (result != ERROR_SUCCESS) continue;  // too long for the buffers: not this one
    if (std::u16string_view(valueName) != std::u16string_view(name)) continue;
    *bytes = new BYTE[dataBytes];
    std::memcpy(*bytes, data, dataBytes);
    *count = static_cast<int>(dataBytes);
    found = TRUE;
  }
  RegCloseKey(key);
  return found;
}

BOOL RegWriteValue(LPCTSTR keyPath, LPCTSTR name, const BYTE* bytes, int count) {
  if (count < 0 || (bytes == nullptr && count > 0)) return FALSE;
  HKEY key = nullptr;
  if (RegCreateKeyW(HKEY_LOCAL_MACHINE, keyPath, &key) != ERROR_SUCCESS) {
    ReportWriteFailureOnce(CString(u"HKEY_LOCAL_MACHINE\\") + keyPath);
    return FALSE;
  }
  LONG result = RegSetValueExW(key, name, 0, REG_DWORD_BIG_ENDIAN, bytes, static_cast<DWORD>(count));
  RegCloseKey(key);
  if (result == ERROR_SUCCESS) return TRUE;
  ReportWriteFailureOnce(CString(u"HKEY_LOCAL_MACHINE\\") + keyPath);
  return FALSE;
}
