// The "Edit" class, single line: caret, selection by mouse and keys,
// horizontal scrolling, the clipboard's text and one level of undo. Notifications EN_UPDATE then EN_CHANGE follow every change,
// including every WM_SETTEXT, even when the text stays the same.
//
// Sections: state · measuring · changing the text · caret and scrolling ·
// drawing · keys and mouse · procedure
#include <algorithm>
#include <cwctype>
#include <string>

#include "compat/controls/control_classes.h"
#include "compat/controls/control_common.h"

namespace compat::controls {
namespace {

// --- state ---
constexpr size_t kDefaultLimit = 30000;     // a new single-line edit's limit
constexpr size_t kMaxLimit = 0x7FFFFFFE;    // what EM_LIMITTEXT 0 means
constexpr UINT kCaretBlinkMs = 530;
constexpr UINT_PTR kBlinkTimer = 1;
constexpr int kMargin = 1;

struct EditState {
  std::u16string text;
  size_t anchor = 0;  // the fixed end of the selection
  size_t caret = 0;   // the moving end, where the caret shows
  int scroll = 0;     // pixels of text scrolled off to the left
  bool modified = false;
  size_t limit = kDefaultLimit;
  bool focus = false;
  bool caretOn = false;
  bool dragging = false;
  std::u16string undoText;
  size_t undoAnchor = 0, undoCaret = 0;
  bool canUndo = false;
  HFONT font = nullptr;
};

size_t SelStart(const EditState& s) { return std::min(s.anchor, s.caret); }
size_t SelEnd(const EditState& s) { return std::max(s.anchor, s.caret); }
bool HasSelection(const EditState& s) { return s.anchor != s.caret; }

// --- measuring ---
std::u16string Shown(HWND hwnd, const EditState& s) {
  if (StyleOf(hwnd) & ES_PASSWORD) return std::u16string(s.text.size(), u'*');
  return s.text;
}

// Pixel offset of each character boundary, from the start of the text.
std::vector<int> Boundaries(HWND hwnd, const EditState& s) {
  const std::u16string shown = Shown(hwnd, s);
  ControlDc dc(hwnd, s.font);
  std::vector<int> x(shown.size() + 1, 0);
  for (size_t i = 1; i <= shown.size(); ++i) {
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), shown.c_str(), static_cast<int>(i), &size);
    x[i] = size.cx;
  }
  return x;
}

int ClientWidth(HWND hwnd) {
  RECT client;
  GetClientRect(hwnd, &client);
  return std::max<LONG>(0, client.right - client.left - 2 * kMargin);
}

// Where the text starts in the client area: alignment applies while it fits.
int TextOrigin(HWND hwnd, const EditState& s, int textWidth) {
  const DWORD style = StyleOf(hwnd);
  const int width = ClientWidth(hwnd);
  if (textWidth < width && (style & ES_RIGHT)) return kMargin + width - textWidth;
  if (textWidth < width && (style & ES_CENTER)) return kMargin + (width - textWidth) / 2;
  return kMargin - s.scroll;
}

size_t CharFromX(HWND hwnd, const EditState& s, int x) {
  const std::vector<int> bounds = Boundaries(hwnd, s);
  const int origin = TextOrigin(hwnd, s, bounds.back());
  for (size_t i = 0; i + 1 < bounds.size(); ++i) {
    if (x < origin + (bounds[i] + bounds[i + 1]) / 2) return i;
  }
  return s.text.size();
}

// --- caret and scrolling ---
void Redraw(HWND hwnd) { InvalidateRect(hwnd, nullptr, FALSE); }

// Keeps the caret in view; an edit without ES_AUTOHSCROLL never scrolls.
void ScrollToCaret(HWND hwnd, EditState& s) {
  if (!(StyleOf(hwnd) & ES_AUTOHSCROLL)) {
    s.scroll = 0;
    return;
  }
  const std::vector<int> bounds = Boundaries(hwnd, s);
  const int width = ClientWidth(hwnd);
  const int caretX = bounds[s.caret];
  if (bounds.back() <= width) {
    s.scroll = 0;
  } else if (caretX < s.scroll) {
    s.scroll = std::max(0, caretX - width / 4);  // a quarter of the width comes back into view
  } else if (caretX > s.scroll + width - 1) {
    s.scroll = caretX - width + width / 4;
  }
  s.scroll = std::clamp(s.scroll, 0, std::max(0, bounds.back() - width + 1));
}

void RestartBlink(HWND hwnd, EditState& s) {
  if (!s.focus) return;
  s.caretOn = true;
  SetTimer(hwnd, kBlinkTimer, kCaretBlinkMs, nullptr);
}

void SetSelection(HWND hwnd, EditState& s, size_t anchor, size_t caret) {
  s.anchor = std::min(anchor, s.text.size());
  s.caret = std::min(caret, s.text.size());
  ScrollToCaret(hwnd, s);
  RestartBlink(hwnd, s);
  Redraw(hwnd);
}

// --- changing the text ---
void Notify(HWND hwnd, WORD code) { NotifyParent(hwnd, code); }

void RememberUndo(EditState& s) {
  s.undoText = s.text;
  s.undoAnchor = s.anchor;
  s.undoCaret = s.caret;
  s.canUndo = true;
}

void AfterChange(HWND hwnd, EditState& s) {
  ScrollToCaret(hwnd, s);
  RestartBlink(hwnd, s);
  Notify(hwnd, EN_UPDATE);
  Redraw(hwnd);
  Notify(hwnd, EN_CHANGE);
}

// Text the control would take: filtered for ES_NUMBER, cased, one line.
std::u16string Filtered(HWND hwnd, std::u16string_view input) {
  const DWORD style = StyleOf(hwnd);
  std::u16string out;
  for (char16_t c : input) {
    if (c == u'\r' || c == u'\n') break;
    if ((style & ES_NUMBER) && (c < u'0' || c > u'9')) continue;
    if (style & ES_UPPERCASE) c = static_cast<char16_t>(std::towupper(c));
    if (style & ES_LOWERCASE) c = static_cast<char16_t>(std::towlower(c));
    out.push_back(c);
  }
  return out;
}

bool FitsWithoutScrolling(HWND hwnd, const EditState& s, const std::u16string& candidate) {
  if (StyleOf(hwnd) & ES_AUTOHSCROLL) return true;
  EditState probe;
  probe.text = candidate;
  probe.font = s.font;
  return Boundaries(hwnd, probe).back() <= ClientWidth(hwnd);
}

// Replaces the selection; false when nothing could be inserted or removed.
bool ReplaceSelection(HWND hwnd, EditState& s, std::u16string_view input, bool undoable) {
  std::u16string insert = Filtered(hwnd, input);
  const size_t start = SelStart(s), end = SelEnd(s);
  const size_t room = s.limit > s.text.size() - (end - start) ? s.limit - (s.text.size() - (end - start)) : 0;
  bool cut = false;
  if (insert.size() > room) {
    insert.resize(room);
    cut = true;
  }
  std::u16string candidate = s.text.substr(0, start) + insert + s.text.substr(end);
  while (!insert.empty() && !FitsWithoutScrolling(hwnd, s, candidate)) {
    insert.pop_back();
    candidate = s.text.substr(0, start) + insert + s.text.substr(end);
    cut = true;
  }
  if (cut) Notify(hwnd, EN_MAXTEXT);
  if (insert.empty() && start == end) return false;
  if (undoable) RememberUndo(s);
  s.text = std::move(candidate);
  s.anchor = s.caret = start + insert.size();
  s.modified = true;
  AfterChange(hwnd, s);
  return true;
}

// The limit holds what the user enters; a program's WM_SETTEXT is not cut.
void SetText(HWND hwnd, EditState& s, LPCWSTR text) {
  s.text = Filtered(hwnd, text ? std::u16string_view(text) : std::u16string_view());
  s.anchor = s.caret = 0;
  s.scroll = 0;
  s.modified = false;
  s.canUndo = false;
  AfterChange(hwnd, s);
}

void Undo(HWND hwnd, EditState& s) {
  if (!s.canUndo) return;
  // Undo swaps, so a second undo brings the change back.
  std::swap(s.text, s.undoText);
  std::swap(s.anchor, s.undoAnchor);
  std::swap(s.caret, s.undoCaret);
  s.modified = true;
  AfterChange(hwnd, s);
}

bool ReadOnly(HWND hwnd) { return (StyleOf(hwnd) & ES_READONLY) != 0; }

// The clipboard keeps text as one block of UTF-16 with its terminator.
void PutOnClipboard(HWND hwnd, const std::u16string& text) {
  if (!OpenClipboard(hwnd)) return;
  EmptyClipboard();
  if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t))) {
    if (void* chars = GlobalLock(block)) {
      std::copy(text.begin(), text.end(), static_cast<char16_t*>(chars));
      GlobalUnlock(block);
    }
    if (!SetClipboardData(CF_UNICODETEXT, block)) GlobalFree(block);
  }
  CloseClipboard();
}

std::u16string TextOnClipboard(HWND hwnd) {
  std::u16string text;
  if (!OpenClipboard(hwnd)) return text;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const char16_t*>(GlobalLock(block))) {
      const size_t most = GlobalSize(block) / sizeof(char16_t);
      text.assign(chars, std::find(chars, chars + most, u'\0'));
      GlobalUnlock(block);
    }
  }
  CloseClipboard();
  return text;
}

void Copy(HWND hwnd, const EditState& s) {
  if (!HasSelection(s) || (StyleOf(hwnd) & ES_PASSWORD)) return;
  PutOnClipboard(hwnd, s.text.substr(SelStart(s), SelEnd(s) - SelStart(s)));
}

void Cut(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd) || !HasSelection(s)) return;
  Copy(hwnd, s);
  ReplaceSelection(hwnd, s, u"", true);
}

void Paste(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd)) return;
  const std::u16string text = TextOnClipboard(hwnd);
  if (!text.empty()) ReplaceSelection(hwnd, s, text, true);
}

// --- drawing ---
void Paint(HWND hwnd, HDC hdc, EditState& s) {
  RECT client;
  GetClientRect(hwnd, &client);
  const bool enabled = IsWindowEnabled(hwnd);
  const UINT colorMessage = (!enabled || ReadOnly(hwnd)) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  HGDIOBJ oldFont = SelectObject(hdc, FontOrDefault(s.font));
  HBRUSH back = ControlColor(hwnd, hdc, colorMessage);
  FillRect(hdc, &client, back);
  if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  const COLORREF textColor = GetTextColor(hdc);
  const std::u16string shown = Shown(hwnd, s);
  const std::vector<int> bounds = Boundaries(hwnd, s);
  const int origin = TextOrigin(hwnd, s, bounds.back());
  TEXTMETRICW metrics{};
  GetTextMetricsW(hdc, &metrics);
  const int top = client.top + kMargin;
  RECT clip{client.left + kMargin, client.top, client.right - kMargin, client.bottom};
  SetBkMode(hdc, TRANSPARENT);
  ExtTextOutW(hdc, origin, top, ETO_CLIPPED, &clip, shown.c_str(), static_cast<UINT>(shown.size()), nullptr);
  const bool showSelection = HasSelection(s) && (s.focus || (StyleOf(hwnd) & ES_NOHIDESEL));
  if (showSelection) {
    const size_t a = SelStart(s), b = SelEnd(s);
    RECT sel{origin + bounds[a], top, origin + bounds[b], top + metrics.tmHeight};
    IntersectRect(&sel, &sel, &clip);
    FillRect(hdc, &sel, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetTextColor(hdc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    ExtTextOutW(hdc, origin + bounds[a], top, ETO_CLIPPED, &sel, shown.c_str() + a,
                static_cast<UINT>(b - a), nullptr);
    SetTextColor(hdc, textColor);
  }
  if (s.focus && s.caretOn) {
    RECT caret{origin + bounds[s.caret], top, origin + bounds[s.caret] + 1, top + metrics.tmHeight};
    if (caret.left >= clip.left - 1 && caret.left < clip.right + 1) InvertRect(hdc, &caret);
  }
  SelectObject(hdc, oldFont);
}

// --- keys and mouse ---
bool IsWordChar(char16_t c) { return !(c == u' ' || c == u'\t'); }

size_t WordLeft(const EditState& s, size_t from) {
  while (from > 0 && !IsWordChar(s.text[from - 1])) --from;
  while (from > 0 && IsWordChar(s.text[from - 1])) --from;
  return from;
}

size_t WordRight(const EditState& s, size_t from) {
  while (from < s.text.size() && IsWordChar(s.text[from])) ++from;
  while (from < s.text.size() && !IsWordChar(s.text[from])) ++from;
  return from;
}

// Moves the caret; with Shift the anchor stays and the selection grows.
void MoveCaret(HWND hwnd, EditState& s, size_t to) {
  const bool extend = KeyDown(VK_SHIFT);
  SetSelection(hwnd, s, extend ? s.anchor : to, to);
}

void DeleteAt(HWND hwnd, EditState& s, bool forward) {
  if (ReadOnly(hwnd)) return;
  if (!HasSelection(s)) {
    if (forward && s.caret >= s.text.size()) return;
    if (!forward && s.caret == 0) return;
    s.anchor = forward ? s.caret + 1 : s.caret - 1;
  }
  ReplaceSelection(hwnd, s, u"", true);
}

void OnKeyDown(HWND hwnd, EditState& s, WPARAM key) {
  const bool control = KeyDown(VK_CONTROL), shift = KeyDown(VK_SHIFT);
  switch (key) {
    case VK_LEFT:
      if (!shift && HasSelection(s) && !control) MoveCaret(hwnd, s, SelStart(s));
      else MoveCaret(hwnd, s, control ? WordLeft(s, s.caret) : (s.caret ? s.caret - 1 : 0));
      break;
    case VK_RIGHT:
      if (!shift && HasSelection(s) && !control) MoveCaret(hwnd, s, SelEnd(s));
      else MoveCaret(hwnd, s, control ? WordRight(s, s.caret) : std::min(s.caret + 1, s.text.size()));
      break;
    case VK_HOME: MoveCaret(hwnd, s, 0); break;
    case VK_END: MoveCaret(hwnd, s, s.text.size()); break;
    case VK_DELETE:
      if (shift) Cut(hwnd, s);
      else DeleteAt(hwnd, s, true);
      break;
    case VK_INSERT:
      if (control) Copy(hwnd, s);
      else if (shift) Paste(hwnd, s);
      break;
    default: break;
  }
}

// Characters arrive as WM_CHAR, so a subclass can drop or change them.
void OnChar(HWND hwnd, EditState& s, WPARAM c) {
  switch (c) {
    case 0x03: Copy(hwnd, s); return;  // Ctrl+C
    case 0x16: Paste(hwnd, s); return;  // Ctrl+V
    case 0x18: Cut(hwnd, s); return;  // Ctrl+X
    case 0x1A: Undo(hwnd, s); return;  // Ctrl+Z
    case 0x08: DeleteAt(hwnd, s, false); return;  // Backspace
    default: break;
  }
  if (c < 0x20 || c == 0x7F || ReadOnly(hwnd)) return;
  if ((StyleOf(hwnd) & ES_NUMBER) && (c < u'0' || c > u'9')) {
    MessageBeep(0);
    return;
  }
  const char16_t text[2] = {static_cast<char16_t>(c), 0};
  if (!ReplaceSelection(hwnd, s, text, true)) MessageBeep(0);
}

void OnButtonDown(HWND hwnd, EditState& s, LPARAM lParam, bool doubleClick) {
  if (GetFocus() != hwnd) SetFocus(hwnd);
  const size_t at = CharFromX(hwnd, s, GET_X_LPARAM(lParam));
  if (doubleClick) {
    size_t start = at, end = at;
    while (start > 0 && IsWordChar(s.text[start - 1])) --start;
    while (end < s.text.size() && IsWordChar(s.text[end])) ++end;
    SetSelection(hwnd, s, start, end);
    return;
  }
  SetSelection(hwnd, s, KeyDown(VK_SHIFT) ? s.anchor : at, at);
  s.dragging = true;
  SetCapture(hwnd);
}

void OnMouseMove(HWND hwnd, EditState& s, LPARAM lParam) {
  if (!s.dragging) return;
  SetSelection(hwnd, s, s.anchor, CharFromX(hwnd, s, GET_X_LPARAM(lParam)));
}

void OnFocus(HWND hwnd, EditState& s, bool focus) {
  s.focus = focus;
  if (focus) {
    RestartBlink(hwnd, s);
  } else {
    KillTimer(hwnd, kBlinkTimer);
    s.caretOn = false;
    s.dragging = false;
  }
  Redraw(hwnd);
  Notify(hwnd, focus ? EN_SETFOCUS : EN_KILLFOCUS);
}

LRESULT GetSel(const EditState& s, WPARAM wParam, LPARAM lParam) {
  const DWORD start = static_cast<DWORD>(SelStart(s)), end = static_cast<DWORD>(SelEnd(s));
  if (wParam) *reinterpret_cast<DWORD*>(wParam) = start;
  if (lParam) *reinterpret_cast<DWORD*>(lParam) = end;
  return MAKELONG(std::min<DWORD>(start, 0xFFFF), std::min<DWORD>(end, 0xFFFF));
}

// EM_SETSEL: (0, -1) selects everything; a start of -1 removes the selection.
void SetSel(HWND hwnd, EditState& s, WPARAM wParam, LPARAM lParam) {
  const int start = static_cast<int>(wParam), end = static_cast<int>(lParam);
  if (start == -1) {
    SetSelection(hwnd, s, s.caret, s.caret);
    return;
  }
  const size_t size = s.text.size();
  const size_t from = start < 0 ? size : std::min<size_t>(static_cast<size_t>(start), size);
  const size_t to = end < 0 ? size : std::min<size_t>(static_cast<size_t>(end), size);
  SetSelection(hwnd, s, from, to);
}


LRESULT PositionFromChar(HWND hwnd, const EditState& s, WPARAM index) {
  if (index > s.text.size()) return -1;
  const std::vector<int> bounds = Boundaries(hwnd, s);
  return MAKELONG(static_cast<WORD>(TextOrigin(hwnd, s, bounds.back()) + bounds[index]), kMargin);
}

LRESULT EditMessage(HWND hwnd, EditState& s, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case EM_GETSEL: return GetSel(s, wParam, lParam);
    case EM_SETSEL: SetSel(hwnd, s, wParam, lParam); return 0;
    case EM_REPLACESEL:
      ReplaceSelection(hwnd, s, lParam ? reinterpret_cast<LPCWSTR>(lParam) : u"", wParam != 0);
      return 0;
    case EM_SCROLLCARET: ScrollToCaret(hwnd, s); Redraw(hwnd); return TRUE;
    case EM_GETMODIFY: return s.modified;
    case EM_SETMODIFY: s.modified = wParam != 0; return 0;
    case EM_LIMITTEXT: s.limit = wParam ? std::min<size_t>(wParam, kMaxLimit) : kMaxLimit; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(s.limit);
    case EM_SETREADONLY: {
      const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
      SetWindowLongW(hwnd, GWL_STYLE, wParam ? (style | ES_READONLY) : (style & ~ES_READONLY));
      Redraw(hwnd);
      return TRUE;
    }
    case EM_CANUNDO: return s.canUndo;
    case EM_UNDO: case WM_UNDO: Undo(hwnd, s); return s.canUndo;
    case EM_EMPTYUNDOBUFFER: s.canUndo = false; return 0;
    case EM_GETLINECOUNT: return 1;
    case EM_LINELENGTH: return static_cast<LRESULT>(s.text.size());
    case EM_GETLINE: {
      // The first WORD of the buffer gives its size in characters.
      auto* buffer = reinterpret_cast<LPWSTR>(lParam);
      if (!buffer) return 0;
      const size_t size = static_cast<WORD>(buffer[0]);
      const size_t count = std::min(size, s.text.size());
      std::copy_n(s.text.begin(), count, buffer);
      return static_cast<LRESULT>(count);
    }
    case EM_GETFIRSTVISIBLELINE: return CharFromX(hwnd, s, kMargin);
    case EM_POSFROMCHAR: return PositionFromChar(hwnd, s, wParam);
    case EM_CHARFROMPOS: return static_cast<LRESULT>(CharFromX(hwnd, s, GET_X_LPARAM(lParam)));
    case WM_CUT: Cut(hwnd, s); return 0;
    case WM_COPY: Copy(hwnd, s); return 0;
    case WM_PASTE: Paste(hwnd, s); return 0;
    case WM_CLEAR:
      if (!ReadOnly(hwnd) && HasSelection(s)) ReplaceSelection(hwnd, s, u"", true);
      return 0;
    default: return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace

// --- procedure ---
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  EditState* state = StateForMessage<EditState>(hwnd, message);
  if (!state) return DefWindowProcW(hwnd, message, wParam, lParam);
  EditState& s = *state;
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      if (create->lpszName && !IS_INTRESOURCE(create->lpszName)) {
        s.text = Filtered(hwnd, create->lpszName);
      }
      return TRUE;
    }
    case WM_NCDESTROY:
      DetachState<EditState>(hwnd);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE: return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
    case WM_SETTEXT: SetText(hwnd, s, reinterpret_cast<LPCWSTR>(lParam)); return TRUE;
    case WM_GETTEXT: return CopyText(s.text, reinterpret_cast<LPWSTR>(lParam), wParam);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(s.text.size());
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintMessage(hwnd, message, wParam, [&](HDC hdc) { Paint(hwnd, hdc, s); });
    case WM_TIMER:
      if (wParam == kBlinkTimer) {
        s.caretOn = !s.caretOn;
        Redraw(hwnd);
      }
      return 0;
    case WM_KEYDOWN: OnKeyDown(hwnd, s, wParam); return 0;
    case WM_CHAR: OnChar(hwnd, s, wParam); return 0;
    case WM_LBUTTONDOWN: OnButtonDown(hwnd, s, lParam, false); return 0;
    case WM_LBUTTONDBLCLK: OnButtonDown(hwnd, s, lParam, true); return 0;
    case WM_MOUSEMOVE: OnMouseMove(hwnd, s, lParam); return 0;
    case WM_LBUTTONUP:
      if (s.dragging) {
        s.dragging = false;
        ReleaseCapture();
      }
      return 0;
    case WM_CAPTURECHANGED: s.dragging = false; return 0;
    case WM_SETFOCUS: OnFocus(hwnd, s, true); return 0;
    case WM_KILLFOCUS: OnFocus(hwnd, s, false); return 0;
    case WM_ENABLE: Redraw(hwnd); return 0;
    case WM_SIZE: ScrollToCaret(hwnd, s); Redraw(hwnd); return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wParam);
      ScrollToCaret(hwnd, s);
      if (LOWORD(lParam)) Redraw(hwnd);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s.font);
    case WM_CONTEXTMENU: return 0;  // no context menu
    case WM_NOTIFY: return 0;
    default: return EditMessage(hwnd, s, message, wParam, lParam);
  }
}

}  // namespace compat::controls
