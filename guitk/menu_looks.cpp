// The menu looks and the popup-menu hook: which windows are subclassed, the
// popup procedure, and the border, background and shadow the looks paint.
//
// Sections: process-wide state · the hook · the popup procedure · looks
#include "guitk/menu_looks.h"

#include <array>
#include <memory>
#include <unordered_map>

#include "guitk/drawn_menu.h"
#include "guitk/drawn_menu_draw.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_errors.h"

namespace {

constexpr WCHAR kPopupClass[] = u"#32768";
constexpr WCHAR kOldMenuProc[] = u"OldMenuProc";
constexpr UINT kMenuSizeMessage = 0x1E2;  // the system's menu-size message
constexpr DWORD kRemovedExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
constexpr int kLookCount = 6;
constexpr int kStartLook = 2;
constexpr LPARAM kPrintClient = 0x04;  // PRF_CLIENT

// --- process-wide state ---

struct MenuLooks {
  std::array<std::unique_ptr<CDrawnMenuPlainLook>, kLookCount> looks;
  int current = kStartLook;
  HHOOK hook = nullptr;
  int colorIndex = COLOR_MENU;
  std::unordered_map<HWND, std::unique_ptr<KitPopupRecord>> popups;
  RECT pressed{};
  int orientation = -1;
};

MenuLooks& Looks() {
  static MenuLooks state;
  return state;
}

void MakeLooks(MenuLooks& s) {
  if (s.looks[0]) return;
  for (int id = 0; id < kLookCount; ++id) {
    const BOOL border = (id % 2) == 0;
    if (id == 2 || id == 3) {
      s.looks[id] = std::make_unique<CDrawnMenuStyledLook>(id, border, &StyledMeasure, &StyledDraw, &DrawMenuTitle);
    } else {
      s.looks[id] = std::make_unique<CDrawnMenuPlainLook>(id, border, &PlainMeasure, id >= 4 ? &ClassicDrawBarLine : &ClassicDraw,
                                                         &DrawMenuTitle);
    }
  }
  BOOL flat = FALSE;
  SystemParametersInfoW(SPI_GETFLATMENU, 0, &flat, 0);
  s.colorIndex = (GetWindowsVersionCode() == 7 && flat) ? COLOR_MENUBAR : COLOR_MENU;
}

LRESULT CALLBACK PopupMenuProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// --- the hook ---

void Unhook(HWND hWnd) {
  auto& popups = Looks().popups;
  auto it = popups.find(hWnd);
  const auto old = reinterpret_cast<LONG_PTR>(GetPropW(hWnd, kOldMenuProc));
  if (old && !SetWindowLongPtrW(hWnd, GWLP_WNDPROC, old)) ShowLastError();
  RemovePropW(hWnd, kOldMenuProc);
  if (ATOM atom = GlobalFindAtomW(kOldMenuProc)) GlobalDeleteAtom(atom);
  if (it == popups.end()) return;
  GetCurrentMenuLook()->Detach(hWnd, it->second.get());
  popups.erase(it);
}

void SubclassPopup(HWND hWnd, UINT message) {
  WCHAR name[16] = {};
  if (GetClassNameW(hWnd, name, 16) != 6 || wcscmp(name, kPopupClass) != 0) return;
  auto& s = Looks();
  if (s.popups.count(hWnd) || GetPropW(hWnd, kOldMenuProc)) return;
  const LONG_PTR proc = GetWindowLongPtrW(hWnd, GWLP_WNDPROC);
  if (!proc) return;
  if (!SetPropW(hWnd, kOldMenuProc, reinterpret_cast<HANDLE>(proc))) ShowLastError();
  if (reinterpret_cast<LONG_PTR>(GetPropW(hWnd, kOldMenuProc)) != proc) return;
  GlobalAddAtomW(kOldMenuProc);
  auto record = std::make_unique<KitPopupRecord>();
  record->style = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_STYLE));
  record->exStyle = static_cast<DWORD>(GetWindowLongW(hWnd, GWL_EXSTYLE));
  record->flags = message == kMenuSizeMessage ? kPopupHookedVisible : 0;
  KitPopupRecord* raw = record.get();
  s.popups[hWnd] = std::move(record);
  if (!SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PopupMenuProc))) ShowLastError();
  GetCurrentMenuLook()->Attach(hWnd, raw);
}

LRESULT CALLBACK CallWndHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* cwp = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (cwp->message == WM_CREATE || cwp->message == kMenuSizeMessage) SubclassPopup(cwp->hwnd, cwp->message);
  }
  return CallNextHookEx(Looks().hook, code, wParam, lParam);
}

// --- the popup procedure ---

LRESULT PaintNonClient(HWND hWnd, KitPopupRecord* record, WNDPROC old, WPARAM wParam, LPARAM lParam) {
  BOOL painted = FALSE;
  if (record->paintBorder) {
    HDC hdc = wParam == 1 ? GetWindowDC(hWnd)
                          : GetDCEx(hWnd, reinterpret_cast<HRGN>(wParam), DCX_WINDOW | DCX_INTERSECTRGN);
    painted = GetCurrentMenuLook()->PaintBorder(hWnd, hdc, record);
    ReleaseDC(hWnd, hdc);
  }
  record->paintBorder = TRUE;
  return painted ? 0 : CallWindowProcW(old, hWnd, WM_NCPAINT, wParam, lParam);
}

// The menu animation asks for the whole window in one picture.
LRESULT Print(HWND hWnd, KitPopupRecord* record, HDC target) {
  CDrawnMenuPlainLook* look = GetCurrentMenuLook();
  if (!look->PaintBorder(hWnd, target, record)) return 1;
  record->paintBorder = FALSE;
  RECT client;
  GetClientRect(hWnd, &client);
  HDC memory = CreateCompatibleDC(target);
  HBITMAP bitmap = CreateCompatibleBitmap(target, client.right, client.bottom);
  HGDIOBJ old = SelectObject(memory, bitmap);
  SendMessageW(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), 0);
  SendMessageW(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), kPrintClient);
  BitBlt(target, look->m_nLeft, look->m_nTop, client.right, client.bottom, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return 0;
}

void RememberPosition(KitPopupRecord* record, const WINDOWPOS* pos) {
  if (pos->x) record->x = pos->x;
  if (pos->y) record->y = pos->y;
}

LRESULT CALLBACK PopupMenuProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto old = reinterpret_cast<WNDPROC>(GetPropW(hWnd, kOldMenuProc));
  KitPopupRecord* record = FindPopupRecord(hWnd);
  if (!old) return DefWindowProcW(hWnd, message, wParam, lParam);
  if (!record) return CallWindowProcW(old, hWnd, message, wParam, lParam);
  CDrawnMenuPlainLook* look = GetCurrentMenuLook();
  switch (message) {
    case WM_NCCALCSIZE:
      if (look->HasBorder()) look->AdjustClientRect(reinterpret_cast<RECT*>(lParam));
      break;
    case WM_NCPAINT:
      return PaintNonClient(hWnd, record, old, wParam, lParam);
    case WM_PRINT:
      return Print(hWnd, record, reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
      look->EraseBackground(hWnd, reinterpret_cast<HDC>(wParam));
      return 1;
    case WM_WINDOWPOSCHANGING:
      if (look->HasBorder()) look->AdjustWindowPos(reinterpret_cast<WINDOWPOS*>(lParam));
      RememberPosition(record, reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_WINDOWPOSCHANGED:
      RememberPosition(record, reinterpret_cast<WINDOWPOS*>(lParam));
      break;
    case WM_SHOWWINDOW:
      if (!wParam) Unhook(hWnd);
      break;
    case WM_NCDESTROY:
      Unhook(hWnd);
      break;
    default:
      break;
  }
  return CallWindowProcW(old, hWnd, message, wParam, lParam);
}

}  // namespace

BOOL SystemDrawsMenuShadows() {
  BOOL shadows = FALSE;
  SystemParametersInfoW(SPI_GETDROPSHADOW, 0, &shadows, 0);
  return shadows;
}

BOOL StartMenuLooks(DWORD threadId) {
  MenuLooks& s = Looks();
  MakeLooks(s);
  if (s.hook) UnhookWindowsHookEx(s.hook);
  s.hook = SetWindowsHookExW(WH_CALLWNDPROC, &CallWndHook, nullptr, threadId ? threadId : GetCurrentThreadId());
  if (!s.hook) KitTrace("the popup-menu hook could not be installed; menus keep the system's borders");
  return s.hook != nullptr;
}

void StopMenuLooks() {
  MenuLooks& s = Looks();
  if (s.hook && !UnhookWindowsHookEx(s.hook)) KitTrace("the popup-menu hook was already gone");
  s.hook = nullptr;
}

BOOL IsMenuHookInstalled() { return Looks().hook != nullptr; }

CDrawnMenuPlainLook* GetMenuLook(int id) {
  MakeLooks(Looks());
  return id >= 0 && id < kLookCount ? Looks().looks[static_cast<size_t>(id)].get() : nullptr;
}

CDrawnMenuPlainLook* GetCurrentMenuLook() { return GetMenuLook(Looks().current); }

void SetCurrentMenuLook(int id) {
  if (id >= 0 && id < kLookCount) Looks().current = id;
}

int GetMenuColorIndex() {
  MakeLooks(Looks());
  return Looks().colorIndex;
}

void RegisterPressedButton(const RECT& button, int orientation) {
  Looks().pressed = button;
  Looks().orientation = orientation;
}

void GetPressedButton(RECT* button, int* orientation) {
  *button = Looks().pressed;
  *orientation = Looks().orientation;
}

KitPopupRecord* FindPopupRecord(HWND hWnd) {
  auto& popups = Looks().popups;
  auto it = popups.find(hWnd);
  return it == popups.end() ? nullptr : it->second.get();
}

// --- looks ---

CDrawnMenuPlainLook::CDrawnMenuPlainLook(int id, BOOL border, KitMeasureRoutine measure, KitDrawRoutine draw,
                                         KitTitleRoutine title)
    : m_nId(id), m_bBorder(border), m_pfnMeasure(measure), m_pfnDraw(draw), m_pfnTitle(title) {
  const bool shadows = SystemDrawsMenuShadows();
  m_nRight = shadows ? 2 : 5;
  m_nBottom = shadows ? 2 : 6;
}

void CDrawnMenuPlainLook::Attach(HWND hWnd, KitPopupRecord* record) {
  if (!m_bBorder) return;
  record->flags |= kPopupStyleChanged;
  SetWindowLongW(hWnd, GWL_STYLE, static_cast<LONG>(record->style & ~WS_BORDER));
  SetWindowLongW(hWnd, GWL_EXSTYLE, static_cast<LONG>(record->exStyle & ~kRemovedExStyle));
}

void CDrawnMenuPlainLook::Detach(HWND hWnd, KitPopupRecord* record) {
  if (!(record->flags & kPopupStyleChanged) || !IsWindow(hWnd)) return;
  // Visibility is not the look's to give back: the popup detaches as it is
  // being hidden, and a style without WS_VISIBLE now would make that hide a
  // no-op that leaves the popup's picture on the screen.
  DWORD style = record->style;
  if ((record->flags & kPopupHookedVisible) || (GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE)) style |= WS_VISIBLE;
  SetWindowLongW(hWnd, GWL_STYLE, static_cast<LONG>(style));
  SetWindowLongW(hWnd, GWL_EXSTYLE, static_cast<LONG>(record->exStyle));
}

void CDrawnMenuPlainLook::AdjustClientRect(RECT* rect) {
  rect->left += m_nLeft;
  rect->top += m_nTop;
  rect->right -= m_nRight;
  rect->bottom -= m_nBottom;
}

void CDrawnMenuPlainLook::AdjustWindowPos(WINDOWPOS* pos) {
  if (pos->flags & SWP_NOSIZE) return;
  const int change = SystemDrawsMenuShadows() ? -2 : 2;
  pos->cx += change;
  pos->cy += change;
  if (!(pos->flags & SWP_NOMOVE)) pos->y -= 1;
}

namespace {

void Frame(HDC hdc, const RECT& r, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  FrameRect(hdc, &r, brush);
  DeleteObject(brush);
}

// Darkened screen pixels under the window's right and bottom 4 pixels.
void PaintShadow(HDC hdc, int w, int h, const KitPopupRecord* record) {
  HDC screen = GetDC(nullptr);
  auto copy = [&](int x, int y, int k) {
    const COLORREF under = GetPixel(screen, record->x + x, record->y + y);
    SetPixelV(hdc, x, y, k ? KitDarken(under, k) : under);
  };
  for (int i = 1; i <= 4; ++i) {
    const int x = w - i;
    for (int y = 0; y < h; ++y) {
      int k = 15 * i;
      if (y < 4) k = 0;
      else if (y < 8) k = 3 * (y - 3) * i;
      else if (y >= h - 4) k = 3 * (h - y) * i;
      copy(x, y, k);
    }
    const int y = h - i;
    for (int x2 = 0; x2 < w - 4; ++x2) {
      int k = 15 * i;
      if (x2 < 4) k = 0;
      else if (x2 < 8) k = 3 * (x2 - 3) * i;
      copy(x2, y, k);
    }
  }
  ReleaseDC(nullptr, screen);
}

}  // namespace

void CDrawnMenuPlainLook::PaintFrames(HDC hdc, const RECT& window, COLORREF inner, COLORREF outer,
                                      const KitPopupRecord* record) {
  const int w = window.right - window.left, h = window.bottom - window.top;
  if (SystemDrawsMenuShadows()) {
    Frame(hdc, RECT{1, 1, w - 1, h - 1}, inner);
    Frame(hdc, RECT{0, 0, w, h}, outer);
  } else {
    Frame(hdc, RECT{1, 1, w - 5, h - 5}, inner);
    Frame(hdc, RECT{0, 0, w - 4, h - 4}, outer);
    PaintShadow(hdc, w, h, record);
  }
}

BOOL CDrawnMenuPlainLook::PaintBorder(HWND hWnd, HDC hdc, KitPopupRecord* record) {
  if (!m_bBorder || !hdc) return FALSE;
  RECT window;
  GetWindowRect(hWnd, &window);
  PaintFrames(hdc, window, GetSysColor(GetMenuColorIndex()), GetSysColor(COLOR_HIGHLIGHT), record);
  return TRUE;
}

BOOL CDrawnMenuPlainLook::EraseBackground(HWND hWnd, HDC hdc) {
  RECT client;
  GetClientRect(hWnd, &client);
  FillRect(hdc, &client, GetSysColorBrush(COLOR_MENU));
  return TRUE;
}

BOOL CDrawnMenuStyledLook::PaintBorder(HWND hWnd, HDC hdc, KitPopupRecord* record) {
  if (!m_bBorder || !hdc) return FALSE;
  RECT window;
  GetWindowRect(hWnd, &window);
  const int w = window.right - window.left, h = window.bottom - window.top;
  PaintFrames(hdc, window, GetSysColor(COLOR_WINDOW), GetThemeBaseColor(), record);
  HBRUSH face = CreateSolidBrush(GetFaceColor(kKitStyleFlat));
  const RECT column{1, 1, 2, h - 3};
  FillRect(hdc, &column, face);
  DeleteObject(face);
  if (g_kitDrawStyle == kKitStyleGradient && g_kitTheme && GetKitScheme() != KitScheme::Silver)
    Frame(hdc, RECT{0, 0, w, h}, GetThemeBaseColor());
  RECT button;
  int orientation;
  GetPressedButton(&button, &orientation);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  // No joint where the popup does not meet the button: cut off by the
  // screen's far edge, or standing above a title near the screen's bottom.
  const bool cutOff = (orientation == 0 && (window.bottom >= desk.bottom || window.top < button.top)) ||
                      (orientation == 1 && window.right >= desk.right);
  if (orientation >= 0 && !cutOff) {
    // The border opens where the popup meets the button that opened it.
    HBRUSH menu = CreateSolidBrush(GetSysColor(GetMenuColorIndex()));
    const RECT gap = orientation == 0 ? RECT{1, 0, button.right - button.left, 1}
                                      : RECT{0, 1, 1, button.bottom - button.top};
    FillRect(hdc, &gap, menu);
    DeleteObject(menu);
    RegisterPressedButton(RECT{}, -1);
  }
  return TRUE;
}

BOOL CDrawnMenuStyledLook::EraseBackground(HWND hWnd, HDC hdc) {
  RECT client;
  GetClientRect(hWnd, &client);
  HBRUSH back = CreateSolidBrush(KitMenuBackColor());
  FillRect(hdc, &client, back);
  DeleteObject(back);
  return TRUE;
}
