// The message box as a window: a modal dialog with the box's buttons, its
// icon drawn in GDI and its text wrapped to a readable width, run on the
// calling thread's own modal loop.
//
// Sections: buttons and icons · layout · the box's procedure · running it
#include <algorithm>
#include <vector>

#include "compat/win32/dialog_state.h"
#include "compat/win32/message_box_window.h"

namespace compat::dialogs {
namespace {

// --- buttons and icons ---

struct ButtonSpec {
  int id;
  const char16_t* text;
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{IDOK, u"OK"}, {IDCANCEL, u"Cancel"}};
    case MB_ABORTRETRYIGNORE: return {{IDABORT, u"&Abort"}, {IDRETRY, u"&Retry"}, {IDIGNORE, u"&Ignore"}};
    case MB_YESNOCANCEL: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}, {IDCANCEL, u"Cancel"}};
    case MB_YESNO: return {{IDYES, u"&Yes"}, {IDNO, u"&No"}};
    case MB_RETRYCANCEL: return {{IDRETRY, u"&Retry"}, {IDCANCEL, u"Cancel"}};
    default: return {{IDOK, u"OK"}};
  }
}

constexpr int kIconSize = 32;

HFONT GlyphFont() {
  return CreateFontW(-24, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, u"Arial");
}

void DrawGlyph(HDC dc, const RECT& box, const char16_t* glyph, COLORREF color) {
  HFONT font = GlyphFont();
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, color);
  RECT r = box;
  DrawTextW(dc, glyph, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
}

void DrawShape(HDC dc, COLORREF edge, COLORREF fill, const std::function<void()>& shape) {
  HPEN pen = CreatePen(PS_SOLID, 1, edge);
  HBRUSH brush = CreateSolidBrush(fill);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, brush);
  shape();
  SelectObject(dc, oldPen);
  SelectObject(dc, oldBrush);
  DeleteObject(pen);
  DeleteObject(brush);
}

void DrawErrorIcon(HDC dc, int x, int y) {
  DrawShape(dc, RGB(128, 0, 0), RGB(220, 0, 0), [&] { Ellipse(dc, x, y, x + kIconSize, y + kIconSize); });
  HPEN pen = CreatePen(PS_SOLID, 4, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, x + 10, y + 10, nullptr);
  LineTo(dc, x + 22, y + 22);
  MoveToEx(dc, x + 22, y + 10, nullptr);
  LineTo(dc, x + 10, y + 22);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void DrawWarningIcon(HDC dc, int x, int y) {
  const POINT corners[] = {{x + kIconSize / 2, y + 1}, {x + kIconSize - 1, y + kIconSize - 2}, {x, y + kIconSize - 2}};
  DrawShape(dc, RGB(0, 0, 0), RGB(255, 220, 0), [&] { Polygon(dc, corners, 3); });
  DrawGlyph(dc, RECT{x, y + 6, x + kIconSize, y + kIconSize}, u"!", RGB(0, 0, 0));
}

void DrawRoundIcon(HDC dc, int x, int y, const char16_t* glyph) {
  DrawShape(dc, RGB(0, 0, 160), RGB(255, 255, 255), [&] { Ellipse(dc, x, y, x + kIconSize, y + kIconSize); });
  DrawGlyph(dc, RECT{x, y, x + kIconSize, y + kIconSize}, glyph, RGB(0, 0, 200));
}

void DrawIconOf(HDC dc, UINT type, int x, int y) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: DrawErrorIcon(dc, x, y); break;
    case MB_ICONQUESTION: DrawRoundIcon(dc, x, y, u"?"); break;
    case MB_ICONEXCLAMATION: DrawWarningIcon(dc, x, y); break;
    case MB_ICONASTERISK: DrawRoundIcon(dc, x, y, u"i"); break;
    default: break;
  }
}

// --- layout ---

constexpr int kMargin = 11;
constexpr int kIconGap = 12;
constexpr int kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;
constexpr int kTextToButtons = 16;
constexpr int kMinTextWidth = 120, kMaxTextWidth = 480;

struct Box {
  std::u16string text;
  UINT type = 0;
  std::vector<ButtonSpec> buttons;
  RECT textRect{};
  int defaultId = IDOK;
};

bool HasIcon(UINT type) { return (type & MB_ICONMASK) != 0; }

bool HasButton(const Box& box, int id) {
  return std::any_of(box.buttons.begin(), box.buttons.end(), [&](const ButtonSpec& b) { return b.id == id; });
}

// Wraps the text to at most the widest line a reader takes in (five eighths of
// the desktop, within bounds) and sizes the box around it and its buttons.
SIZE Layout(HWND dialog, Box* box) {
  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  const int maxWidth = std::clamp(static_cast<int>(desktop.right * 5 / 8), kMinTextWidth, kMaxTextWidth);
  HDC dc = GetDC(dialog);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  RECT text{0, 0, maxWidth, 0};
  DrawTextW(dc, box->text.c_str(), -1, &text, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(dialog, dc);
  const int iconArea = HasIcon(box->type) ? kIconSize + kIconGap : 0;
  const int contentHeight = std::max<int>(HasIcon(box->type) ? kIconSize : 0, text.bottom);
  const int count = static_cast<int>(box->buttons.size());
  const int buttonsWidth = count * kButtonWidth + (count - 1) * kButtonGap;
  const int width = std::max<int>(iconArea + text.right, buttonsWidth) + 2 * kMargin;
  const int textTop = kMargin + (contentHeight - text.bottom) / 2;
  box->textRect = RECT{kMargin + iconArea, textTop, kMargin + iconArea + text.right, textTop + text.bottom};
  return SIZE{width, kMargin + contentHeight + kTextToButtons + kButtonHeight + kMargin};
}

void MakeButtons(HWND dialog, Box* box, SIZE client) {
  const int count = static_cast<int>(box->buttons.size());
  int x = (client.cx - (count * kButtonWidth + (count - 1) * kButtonGap)) / 2;
  const int y = client.cy - kMargin - kButtonHeight;
  auto font = static_cast<WPARAM>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  const int defaultIndex = std::min<int>((box->type & MB_DEFMASK) >> 8, count - 1);
  for (int i = 0; i < count; ++i) {
    const ButtonSpec& entry = box->buttons[static_cast<size_t>(i)];
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | (i == defaultIndex ? 1 : 0);
    HWND button = CreateWindowExW(0, u"Button", entry.text, style, x, y, kButtonWidth, kButtonHeight, dialog,
                                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(entry.id)), nullptr, nullptr);
    SendMessageW(button, WM_SETFONT, font, FALSE);
    x += kButtonWidth + kButtonGap;
    if (i == defaultIndex) {
      box->defaultId = entry.id;
      UpdateRecord(dialog, [&](DialogRecord& r) {
        r.defaultId = entry.id;
        r.savedFocus = button;
      });
    }
  }
}

// Centred over the owner, or the desktop when there is none; kept on the desktop.
void Place(HWND dialog, HWND owner, SIZE client) {
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
  RECT frame{0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, style, FALSE, exStyle);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT area, around;
  GetClientRect(GetDesktopWindow(), &area);
  if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &around)) around = area;
  const int x = std::clamp(static_cast<int>((around.left + around.right - width) / 2), 0, std::max(0, static_cast<int>(area.right) - width));
  const int y = std::clamp(static_cast<int>((around.top + around.bottom - height) / 2), 0, std::max(0, static_cast<int>(area.bottom) - height));
  SetWindowPos(dialog, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- the box's procedure ---

void Paint(HWND dialog, const Box& box) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(dialog, &ps);
  DrawIconOf(dc, box.type, kMargin, kMargin);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  RECT r = box.textRect;
  DrawTextW(dc, box.text.c_str(), -1, &r, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(dialog, &ps);
}

// Closing the box answers Cancel where there is one, OK for a box with only OK.
void Close(HWND dialog, const Box& box) {
  if (HasButton(box, IDCANCEL)) EndDialog(dialog, IDCANCEL);
  else if ((box.type & MB_TYPEMASK) == MB_OK) EndDialog(dialog, IDOK);
}

INT_PTR CALLBACK MessageBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* box = reinterpret_cast<Box*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<Box*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const SIZE client = Layout(dialog, box);
      MakeButtons(dialog, box, client);
      Place(dialog, GetWindow(dialog, GW_OWNER), client);
      return FALSE;  // the default button has the focus already
    }
    case WM_PAINT:
      if (!box) return FALSE;
      Paint(dialog, *box);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      // Escape only where the box has a Cancel button.
      if (box && HasButton(*box, id)) EndDialog(dialog, id);
      return TRUE;
    }
    case WM_CLOSE:
      if (box) Close(dialog, *box);
      return TRUE;
    default:
      return FALSE;
  }
}

// --- running it ---

DialogTemplate BoxTemplate(const std::u16string& caption, UINT type) {
  DialogTemplate t;
  t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_VISIBLE;
  if (type & MB_TOPMOST) t.exStyle |= WS_EX_TOPMOST;
  t.caption = caption;
  t.pointSize = 8;
  t.face = u"MS Sans Serif";
  t.cx = 100;
  t.cy = 40;
  return t;
}

struct DisabledWindows {
  std::vector<HWND> windows;
};

BOOL CALLBACK DisableEnabled(HWND hwnd, LPARAM param) {
  if (IsWindowEnabled(hwnd) && IsWindowVisible(hwnd)) {
    EnableWindow(hwnd, FALSE);
    reinterpret_cast<DisabledWindows*>(param)->windows.push_back(hwnd);
  }
  return TRUE;
}

}  // namespace

int ShowMessageBoxWindow(HWND owner, const std::u16string& text, const std::u16string& caption, UINT type) {
  WNDCLASSW button{};
  if (!GetClassInfoW(nullptr, u"Button", &button)) {
    LogDialogFailure("a message box needs the \"Button\" class, which is not registered");
    return 0;
  }
  Box box;
  box.text = text;
  box.type = type;
  box.buttons = ButtonsOf(type);
  owner = ModalOwner(owner);
  // A task-modal box without an owner holds every window of the thread.
  DisabledWindows held;
  if (!owner && (type & MB_TASKMODAL)) EnumThreadWindows(GetCurrentThreadId(), DisableEnabled, reinterpret_cast<LPARAM>(&held));
  if (type & MB_ICONMASK) MessageBeep(type & MB_ICONMASK);
  HWND dialog = CreateFromTemplate(nullptr, BoxTemplate(caption, type), 0, owner, MessageBoxProc,
                                   reinterpret_cast<LPARAM>(&box), true);
  int answer = 0;
  if (dialog) {
    if (type & MB_SETFOREGROUND) SetForegroundWindow(dialog);
    answer = static_cast<int>(RunModal(dialog, owner));
  }
  for (HWND hwnd : held.windows) EnableWindow(hwnd, TRUE);
  return answer;
}

}  // namespace compat::dialogs
