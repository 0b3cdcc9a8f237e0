// The dialog-item calls: text, numbers, check marks and messages by control id.
#include <string>

#include "compat/win32.h"

namespace {

constexpr UINT kGetCheck = 0x00F0;  // BM_GETCHECK
constexpr UINT kSetCheck = 0x00F1;  // BM_SETCHECK

}  // namespace

UINT WINAPI GetDlgItemTextW(HWND dialog, int id, LPWSTR text, int maxCount) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    if (text && maxCount > 0) text[0] = 0;
    return 0;
  }
  return static_cast<UINT>(GetWindowTextW(control, text, maxCount));
}

BOOL WINAPI SetDlgItemTextW(HWND dialog, int id, LPCWSTR text) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SetWindowTextW(control, text) : FALSE;
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
  std::string digits = isSigned ? std::to_string(static_cast<int>(value)) : std::to_string(value);
  std::u16string text(digits.begin(), digits.end());
  return SetDlgItemTextW(dialog, id, text.c_str());
}

// Leading and trailing blanks are allowed; anything else but digits (and a sign
// when signed) fails, and so does a value out of range.
UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
  if (translated) *translated = FALSE;
  WCHAR text[64];
  const int length = static_cast<int>(GetDlgItemTextW(dialog, id, text, 64));
  int at = 0, end = length;
  while (at < end && text[at] == u' ') ++at;
  while (end > at && text[end - 1] == u' ') --end;
  bool negative = false;
  if (isSigned && at < end && (text[at] == u'-' || text[at] == u'+')) negative = text[at++] == u'-';
  if (at == end) return 0;
  unsigned long long value = 0;
  for (; at < end; ++at) {
    if (text[at] < u'0' || text[at] > u'9') return 0;
    value = value * 10 + static_cast<unsigned>(text[at] - u'0');
    if (value > 0xFFFFFFFFull) return 0;
  }
  if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
  if (translated) *translated = TRUE;
  return negative ? static_cast<UINT>(0u - static_cast<UINT>(value)) : static_cast<UINT>(value);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return FALSE;
  SendMessageW(control, kSetCheck, check, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  return control ? static_cast<UINT>(SendMessageW(control, kGetCheck, 0, 0)) : 0;
}

BOOL WINAPI CheckRadioButton(HWND dialog, int firstId, int lastId, int checkId) {
  if (firstId > lastId) return FALSE;
  for (int id = firstId; id <= lastId; ++id) {
    if (HWND control = GetDlgItem(dialog, id)) SendMessageW(control, kSetCheck, id == checkId ? 1 : 0, 0);
  }
  return TRUE;
}

LRESULT WINAPI SendDlgItemMessageW(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  return control ? SendMessageW(control, message, wParam, lParam) : 0;
}
