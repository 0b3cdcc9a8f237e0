// Dialog data exchange: UpdateData, the DDX_ and DDV_ routines with the
// framework's messages, and ExecuteDlgInit for list and combo strings.
//
// Sections: CDataExchange · text and numbers · buttons and lists · checks · initialisation data
#include "compat/afx/data_exchange.h"

#include <cstring>
#include <string>

#include "compat/afx/dialog.h"
#include "compat/afx/resource.h"
#include "compat/afx/resource_ids.h"
#include "compat/afx/wnd_state.h"

IMPLEMENT_DYNAMIC(CUserException, CException)

void AfxThrowUserException() { throw new CUserException; }

namespace {

// Control messages (the control classes' values).
constexpr UINT kEmSetSel = 0x00B1;
constexpr UINT kBmGetCheck = 0x00F0, kBmSetCheck = 0x00F1;
constexpr UINT kCbAddString = 0x0143, kCbGetCurSel = 0x0147, kCbSetCurSel = 0x014E;
constexpr UINT kLbAddString = 0x0180, kLbSetCurSel = 0x0186, kLbGetCurSel = 0x0188;
// The dialog-initialisation records name the strings' messages by their old numbers.
constexpr WORD kInitListString = 0x0401, kInitComboString = 0x0403;
constexpr DWORD kButtonTypeMask = 0x0F, kRadioButton = 0x04, kAutoRadioButton = 0x09;

CString ControlText(HWND control) {
  CString text;
  CWnd::FromHandle(control)->GetWindowText(text);
  return text;
}

void ShowAndFail(CDataExchange* pDX, const CString& message) {
  AfxMessageBox(message, MB_ICONEXCLAMATION);
  pDX->Fail();
}

}  // namespace

// --- CDataExchange ---

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
  HWND control = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
  m_hWndLastControl = control;
  m_bEditLastControl = FALSE;
  return control;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND control = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return control;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    ::SendMessageW(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
    if (m_bEditLastControl) ::SendMessageW(m_hWndLastControl, kEmSetSel, 0, -1);
  }
  AfxThrowUserException();
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  // A control set here tells its parent at once; a handler that exchanged data
  // again would read controls not yet set and overwrite the members with them.
  HWND& lockout = compat::afx::ThreadState().lockoutNotify;
  const HWND outer = lockout;
  lockout = m_hWnd;
  BOOL ok = TRUE;
  try {
    DoDataExchange(&dx);
  } catch (CUserException* e) {
    e->Delete();
    ok = FALSE;
  }
  lockout = outer;
  return ok;
}

// --- text and numbers ---

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND control = pDX->PrepareEditCtrl(nIDC);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) value = ControlText(control);
  else ::SetWindowTextW(control, value);
}

namespace {

// Digits with an optional sign and blanks around; false for anything else or overflow.
bool ParseInteger(const CString& text, bool allowSign, long long* out) {
  std::u16string s(text.GetString());
  size_t at = 0, end = s.size();
  while (at < end && (s[at] == u' ' || s[at] == u'\t')) ++at;
  while (end > at && (s[end - 1] == u' ' || s[end - 1] == u'\t')) --end;
  bool negative = false;
  if (at < end && (s[at] == u'-' || s[at] == u'+')) {
    if (!allowSign && s[at] == u'-') return false;
    negative = s[at++] == u'-';
  }
  if (at == end) return false;
  long long value = 0;
  for (; at < end; ++at) {
    if (s[at] < u'0' || s[at] > u'9') return false;
    value = value * 10 + (s[at] - u'0');
    if (value > 0xFFFFFFFFll) return false;
  }
  *out = negative ? -value : value;
  return true;
}

CString Number(long long value) {
  CString text;
  text.Format(u"%lld", value);
  return text;
}

// A number in an edit: written as digits, read back within the type's range
// or failed with the framework's message for the type.
template <typename T>
void ExchangeNumber(CDataExchange* pDX, int nIDC, T& value, bool allowSign, long long low, long long high,
                    UINT messageId) {
  HWND control = pDX->PrepareEditCtrl(nIDC);
  if (!control) return;
  if (!pDX->m_bSaveAndValidate) {
    ::SetWindowTextW(control, Number(value));
    return;
  }
  long long parsed = 0;
  if (!ParseInteger(ControlText(control), allowSign, &parsed) || parsed < low || parsed > high) {
    CString message;
    message.LoadString(messageId);
    ShowAndFail(pDX, message);
  }
  value = static_cast<T>(parsed);
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
  ExchangeNumber(pDX, nIDC, value, true, -2147483648ll, 2147483647ll, AFX_IDP_PARSE_INT);
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  ExchangeNumber(pDX, nIDC, value, false, 0, 0xFFFFFFFFll, AFX_IDP_PARSE_UINT);
}

// --- buttons and lists ---

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;  // subclassed on the first exchange only
  HWND control = pDX->PrepareCtrl(nIDC);
  if (!control || !rControl.SubclassWindow(control)) {
    std::fprintf(stderr, "dialog: DDX_Control found no control %d to attach\n", nIDC);
    AfxThrowUserException();
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND control = pDX->PrepareCtrl(nIDC);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) value = static_cast<int>(::SendMessageW(control, kBmGetCheck, 0, 0));
  else ::SendMessageW(control, kBmSetCheck, static_cast<WPARAM>(value), 0);
}

namespace {

bool IsRadio(HWND hwnd) {
  const DWORD type = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, GWL_STYLE)) & kButtonTypeMask;
  return (type == kRadioButton || type == kAutoRadioButton) &&
         (::SendMessageW(hwnd, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON);
}

}  // namespace

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  HWND first = pDX->PrepareCtrl(nIDC);
  if (!first) return;
  if (pDX->m_bSaveAndValidate) value = -1;
  // The group runs from nIDC to the next control with WS_GROUP.
  int index = 0;
  for (HWND button = first; button; button = ::GetWindow(button, GW_HWNDNEXT)) {
    if (button != first && (::GetWindowLongPtrW(button, GWL_STYLE) & WS_GROUP)) break;
    if (!IsRadio(button)) continue;
    if (pDX->m_bSaveAndValidate) {
      if (::SendMessageW(button, kBmGetCheck, 0, 0)) value = index;
    } else {
      ::SendMessageW(button, kBmSetCheck, index == value ? 1 : 0, 0);
    }
    ++index;
  }
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND control = pDX->PrepareCtrl(nIDC);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) index = static_cast<int>(::SendMessageW(control, kCbGetCurSel, 0, 0));
  else ::SendMessageW(control, kCbSetCurSel, static_cast<WPARAM>(index), 0);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  HWND control = pDX->PrepareCtrl(nIDC);
  if (!control) return;
  if (pDX->m_bSaveAndValidate) index = static_cast<int>(::SendMessageW(control, kLbGetCurSel, 0, 0));
  else ::SendMessageW(control, kLbSetCurSel, static_cast<WPARAM>(index), 0);
}

// --- checks ---

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString message;
  AfxFormatString2(message, AFX_IDP_PARSE_INT_RANGE, Number(minVal), Number(maxVal));
  ShowAndFail(pDX, message);
}

// --- initialisation data ---

BOOL CWnd::ExecuteDlgInit(LPCTSTR lpszResourceName) {
  if (!lpszResourceName) return TRUE;
  HINSTANCE instance = AfxFindResourceHandle(lpszResourceName, RT_DLGINIT);
  HRSRC resource = ::FindResourceW(instance, lpszResourceName, RT_DLGINIT);
  if (!resource) return TRUE;  // a dialog without initialisation data
  HGLOBAL data = ::LoadResource(instance, resource);
  return data ? ExecuteDlgInit(::LockResource(data), ::SizeofResource(instance, resource)) : FALSE;
}

// Records of {control id, message, 32-bit length, string with its NUL} up to a 0 id;
// every length is checked against what is left.
BOOL CWnd::ExecuteDlgInit(LPVOID lpResource, DWORD dwSize) {
  const auto* bytes = static_cast<const BYTE*>(lpResource);
  if (!bytes) return FALSE;
  size_t at = 0;
  auto word = [&](size_t offset) { return static_cast<WORD>(bytes[offset] | bytes[offset + 1] << 8); };
  while (dwSize - at >= 2) {
    const WORD id = word(at);
    if (id == 0) return TRUE;
    if (dwSize - at < 8) return FALSE;
    const WORD message = word(at + 2);
    const DWORD length = word(at + 4) | static_cast<DWORD>(word(at + 6)) << 16;
    at += 8;
    if (length > dwSize - at) return FALSE;
    // The strings are stored in single bytes; each byte is one character.
    std::u16string text;
    for (DWORD i = 0; i < length && bytes[at + i]; ++i) text.push_back(static_cast<char16_t>(bytes[at + i]));
    at += length;
    UINT send = 0;
    if (message == kInitListString || message == kLbAddString) send = kLbAddString;
    if (message == kInitComboString || message == kCbAddString) send = kCbAddString;
    if (!send) continue;
    HWND control = ::GetDlgItem(m_hWnd, id);
    if (control && ::SendMessageW(control, send, 0, reinterpret_cast<LPARAM>(text.c_str())) < 0) return FALSE;
  }
  return FALSE;  // no closing 0
}
