// Stored texts: a block of bytes read as UTF-16 up to its first zero.
#include "ui/stored_text.h"

#include <string>

#include "platform/settings_store.h"

namespace {

CString TextOfBlock(const BYTE* bytes, int count) {
  std::u16string text;
  for (int i = 0; i + 1 < count; i += 2) {
    const auto c = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (c == 0) break;
    text.push_back(c);
  }
  return CString(text);
}

// The text's units, little-endian, with the terminating zero.
std::basic_string<BYTE> BlockOfText(const CString& text) {
  std::basic_string<BYTE> block;
  const int length = text.GetLength();
  for (int i = 0; i <= length; ++i) {
    const char16_t c = i < length ? text[i] : u'\0';
    block.push_back(static_cast<BYTE>(c & 0xFF));
    block.push_back(static_cast<BYTE>(c >> 8));
  }
  return block;
}

}  // namespace

CString ReadRegistryText(LPCTSTR name) {
  BYTE* bytes = nullptr;
  int count = 0;
  if (!RegReadValue(kSettingsRegistryKey, name, &bytes, &count)) return CString();
  CString text = TextOfBlock(bytes, count);
  delete[] bytes;
  return text;
}

BOOL WriteRegistryText(LPCTSTR name, const CString& text) {
  const auto block = BlockOfText(text);
  return RegWriteValue(kSettingsRegistryKey, name, block.data(), static_cast<int>(block.size()));
}

CString ReadSettingText(LPCTSTR name) {
  BYTE* bytes = nullptr;
  int count = 0;
  if (!LoadSetting(name, &bytes, &count)) return CString();
  CString text = TextOfBlock(bytes, count);
  delete[] bytes;
  return text;
}

BOOL WriteSettingText(LPCTSTR name, const CString& text) {
  const auto block = BlockOfText(text);
  return SaveSetting(name, block.data(), static_cast<int>(block.size()));
}

CString FolderOfPath(const CString& path) {
  const int cut = path.ReverseFind(u'\\');
  return cut >= 0 ? path.Left(cut + 1) : CString();
}
