// Fuzz entry point: a named setting's file (a 32-bit byte count, then the
// value) read through the settings store, then written back; the value must
// come back the same. Then the same file as a stored text (a folder, a file
// name), written back as text and read again to the same text.
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "fuzz/fuzz_files.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "ui/stored_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  // A name of this process's own, so that parallel runs do not meet.
  static const CString name = [] {
    CString n;
    n.Format(u"Fuzz%d", static_cast<int>(getpid()));
    return n;
  }();
  static const std::string host = compat::ToHostPath(std::u16string(GetDataFolder() + name + u".dat"));
  CreateDirectoryW(GetDataFolder(), nullptr);
  FILE* out = std::fopen(host.c_str(), "wb");
  if (!out) std::abort();
  if (size > 0) std::fwrite(data, 1, size, out);
  std::fclose(out);

  BYTE* bytes = nullptr;
  int count = -1;
  if (LoadSetting(name, &bytes, &count)) {
    if (count < 0 || count > kMaxSettingBytes || (count > 0 && bytes == nullptr)) std::abort();
    if (!SaveSetting(name, bytes, count)) std::abort();
    BYTE* again = nullptr;
    int againCount = -1;
    if (!LoadSetting(name, &again, &againCount) || againCount != count ||
        (count > 0 && std::memcmp(bytes, again, count) != 0))
      std::abort();
    delete[] again;
    const CString text = ReadSettingText(name);
    if (text.GetLength() > count / 2) std::abort();
    if (!WriteSettingText(name, text) || ReadSettingText(name) != text) std::abort();
  }
  delete[] bytes;
  std::remove(host.c_str());
  return 0;
}
