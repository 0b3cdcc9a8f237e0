// Keyboard navigation in dialogs: IsDialogMessageW with Tab, arrows within a
// group, Enter and Escape, mnemonics; the tab and group orders, which run
// through nested DS_CONTROL dialogs as if their controls were the parent's.
//
// Sections: orders · focus and default button · mnemonics · IsDialogMessageW
#include <cwctype>
#include <vector>

#include "compat/win32/dialog_state.h"

namespace compat::dialogs {
namespace {

// Control messages the dialog manager sends; the control classes define them.
constexpr UINT kSetStyle = 0x00F4;   // BM_SETSTYLE
constexpr UINT kClick = 0x00F5;      // BM_CLICK
constexpr UINT kSetSel = 0x00B1;     // EM_SETSEL
constexpr DWORD kPushButton = 0x00, kDefPushButton = 0x01;
constexpr DWORD kStaticNoPrefix = 0x0080;  // SS_NOPREFIX

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
DWORD ExStyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)); }

bool Usable(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

UINT DialogCode(HWND control, const MSG* msg = nullptr) {
  return static_cast<UINT>(SendMessageW(control, WM_GETDLGCODE, msg ? msg->wParam : 0,
                                        reinterpret_cast<LPARAM>(msg)));
}

// --- orders ---

// The dialog's controls in z-order, nested control parents opened in place.
void CollectControls(HWND parent, std::vector<HWND>* out) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if ((ExStyleOf(child) & WS_EX_CONTROLPARENT) && (StyleOf(child) & WS_CHILD)) {
      if (Usable(child)) CollectControls(child, out);
      continue;
    }
    out->push_back(child);
  }
}

std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> all;
  CollectControls(dialog, &all);
  return all;
}

// The control itself or the nearest ancestor that is one of the dialog's controls.
HWND ControlOf(HWND dialog, HWND hwnd, const std::vector<HWND>& all) {
  for (HWND h = hwnd; h && h != dialog; h = GetParent(h)) {
    for (HWND c : all)
      if (c == h) return h;
  }
  return nullptr;
}

HWND NextInOrder(const std::vector<HWND>& all, HWND from, bool previous, bool (*accept)(HWND)) {
  const int count = static_cast<int>(all.size());
  if (count == 0) return nullptr;
  int start = -1;
  for (int i = 0; i < count; ++i)
    if (all[i] == from) start = i;
  const int step = previous ? -1 : 1;
  int at = start < 0 ? (previous ? count : -1) : start;
  for (int n = 0; n < count; ++n) {
    at = (at + step + count) % count;
    if (accept(all[at])) return all[at];
  }
  return nullptr;
}

bool IsTabStop(HWND hwnd) { return (StyleOf(hwnd) & WS_TABSTOP) && Usable(hwnd); }

// The siblings of a control's group: from the WS_GROUP control at or before it
// to the one before the next WS_GROUP control.
std::vector<HWND> GroupOf(HWND control) {
  HWND parent = GetParent(control);
  std::vector<HWND> siblings;
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) siblings.push_back(c);
  int at = 0;
  for (int i = 0; i < static_cast<int>(siblings.size()); ++i)
    if (siblings[i] == control) at = i;
  int first = at;
  while (first > 0 && !(StyleOf(siblings[first]) & WS_GROUP)) --first;
  int last = at + 1;
  while (last < static_cast<int>(siblings.size()) && !(StyleOf(siblings[last]) & WS_GROUP)) ++last;
  return std::vector<HWND>(siblings.begin() + first, siblings.begin() + last);
}

// --- mnemonics ---

// The character after a single '&' in the text, 0 for none.
char16_t MnemonicOf(const std::u16string& text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != u'&') continue;
    if (text[i + 1] == u'&') {
      ++i;
      continue;
    }
    return text[i + 1];
  }
  return 0;
}

std::u16string TextOf(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<size_t>(length) + 1, u'\0');
  GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<size_t>(length));
  return text;
}

bool SameLetter(char16_t a, char16_t b) {
  return std::towupper(static_cast<wint_t>(a)) == std::towupper(static_cast<wint_t>(b));
}

// Acts on the control whose label carries the character; false when none does.
bool DoMnemonic(HWND root, char16_t character) {
  const std::vector<HWND> all = Controls(root);
  HWND from = ControlOf(root, GetFocus(), all);
  HWND current = from;
  for (size_t n = 0; n < all.size(); ++n) {
    current = NextInOrder(all, current, false, [](HWND) { return true; });
    if (!current || !Usable(current)) continue;
    const UINT code = DialogCode(current);
    if ((code & DLGC_STATIC) && (StyleOf(current) & kStaticNoPrefix)) continue;
    const char16_t letter = MnemonicOf(TextOf(current));
    if (!letter || !SameLetter(letter, character)) continue;
    if (code & DLGC_STATIC) {
      // A label hands the focus to the control it labels: the next tab stop.
      HWND labelled = NextInOrder(all, current, false, [](HWND h) { return !(DialogCode(h) & DLGC_STATIC) && Usable(h); });
      if (labelled) DialogSetFocus(root, labelled);
      return true;
    }
    DialogSetFocus(root, current);
    if (code & (DLGC_BUTTON | DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON | DLGC_RADIOBUTTON))
      SendMessageW(current, kClick, 0, 0);
    return true;
  }
  return false;
}

// --- IsDialogMessageW ---

void PressCommand(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (control && !IsWindowEnabled(control)) {
    MessageBeep(0);
    return;
  }
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(control));
}

// Enter: the focused push button, else the default button, else IDOK.
void PressDefault(HWND root, HWND focus) {
  if (focus && (DialogCode(focus) & DLGC_DEFPUSHBUTTON)) {
    const int id = GetDlgCtrlID(focus);
    SendMessageW(GetParent(focus), WM_COMMAND, MAKEWPARAM(id, 0), reinterpret_cast<LPARAM>(focus));
    return;
  }
  const LRESULT answer = SendMessageW(root, DM_GETDEFID, 0, 0);
  const int id = HIWORD(answer) == DC_HASDEFID ? LOWORD(answer) : IDOK;
  PressCommand(root, id);
}

void MoveInGroup(HWND root, HWND focus, bool previous) {
  if (!focus) return;
  HWND next = GetNextDlgGroupItem(root, focus, previous);
  if (!next || next == focus) return;
  DialogSetFocus(root, next);
  // Radio buttons are checked as the arrows reach them.
  if (DialogCode(next) & DLGC_RADIOBUTTON) SendMessageW(next, kClick, 0, 0);
}

// Keys the dialog takes; false passes the key on to the control.
bool HandleKeyDown(HWND root, MSG* msg) {
  const UINT code = DialogCode(msg->hwnd, msg);
  if (code & DLGC_WANTALLKEYS) return false;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  HWND focus = GetFocus();
  switch (msg->wParam) {
    case VK_TAB:
      if (code & DLGC_WANTTAB) return false;
      if (HWND next = GetNextDlgTabItem(root, focus, shift)) DialogSetFocus(root, next);
      return true;
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      if (code & DLGC_WANTARROWS) return false;
      MoveInGroup(root, focus, msg->wParam == VK_LEFT || msg->wParam == VK_UP);
      return true;
    case VK_RETURN:
      PressDefault(root, focus);
      return true;
    case VK_ESCAPE:
      PressCommand(root, IDCANCEL);
      return true;
    default:
      return false;
  }
}

bool HandleChar(HWND root, MSG* msg) {
  const UINT code = DialogCode(msg->hwnd, msg);
  if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS)) return false;
  const auto c = static_cast<char16_t>(msg->wParam);
  // The keys handled on their key-down leave characters that are not wanted.
  if (c == u'\t' || c == u'\r' || c == 27) return true;
  if (DoMnemonic(root, c)) return true;
  return false;
}

}  // namespace

void DialogSetFocus(HWND dialog, HWND control) {
  HWND root = NavigationRoot(dialog);
  HWND old = GetFocus();
  const UINT code = DialogCode(control);
  if (code & DLGC_HASSETSEL) SendMessageW(control, kSetSel, 0, -1);
  // A focused push button is the default; the dialog's own default returns when it leaves.
  const LRESULT defAnswer = SendMessageW(root, DM_GETDEFID, 0, 0);
  HWND defButton = HIWORD(defAnswer) == DC_HASDEFID ? GetDlgItem(root, LOWORD(defAnswer)) : nullptr;
  if (old && old != control && old != defButton && (DialogCode(old) & DLGC_DEFPUSHBUTTON))
    SendMessageW(old, kSetStyle, kPushButton, TRUE);
  const bool toPush = (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
  if (defButton && defButton != control) {
    SendMessageW(defButton, kSetStyle, toPush ? kPushButton : kDefPushButton, TRUE);
  }
  if (toPush) SendMessageW(control, kSetStyle, kDefPushButton, TRUE);
  SetFocus(control);
}

}  // namespace compat::dialogs

using namespace compat::dialogs;

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return nullptr;
  const std::vector<HWND> all = Controls(dialog);
  HWND from = control ? ControlOf(dialog, control, all) : nullptr;
  HWND next = NextInOrder(all, from, previous != FALSE, IsTabStop);
  return next ? next : from;
}

HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog) || !control || !IsChild(dialog, control)) return nullptr;
  const std::vector<HWND> group = GroupOf(control);
  HWND next = NextInOrder(group, control, previous != FALSE, Usable);
  return next ? next : control;
}

BOOL WINAPI IsDialogMessageW(HWND dialog, LPMSG msg) {
  if (!msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  HWND root = NavigationRoot(dialog);
  bool taken = false;
  switch (msg->message) {
    case WM_KEYDOWN:
      taken = HandleKeyDown(root, msg);
      break;
    case WM_CHAR:
      taken = HandleChar(root, msg);
      break;
    case WM_SYSCHAR:
      taken = DoMnemonic(root, static_cast<char16_t>(msg->wParam));
      break;
    default:
      break;
  }
  if (!taken) {
    TranslateMessage(msg);
    DispatchMessageW(msg);
  }
  return TRUE;
}
