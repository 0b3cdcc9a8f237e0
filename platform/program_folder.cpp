// The program folder comes from the executable's own path.
#include "platform/program_folder.h"

namespace {

constexpr DWORD kModulePathChars = 2048;

}  // namespace

CString GetProgramFolder() {
  TCHAR path[kModulePathChars] = {};
  GetModuleFileNameW(nullptr, path, kModulePathChars);
  CString folder(path);
  int cut = folder.ReverseFind(u'\\');
  return cut >= 0 ? folder.Left(cut) : CString();
}

CString GetDataFolder() { return GetProgramFolder() + u"\\Data\\"; }
