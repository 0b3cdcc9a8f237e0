// System metrics, colours and parameters of the classic look at 96 dpi.
#include <algorithm>
#include <array>
#include <cstring>

#include "compat/host.h"
#include "compat/win32/gdi.h"
#include "compat/win32/user_state.h"

namespace compat::user {
namespace {

constexpr int kColorCount = COLOR_MENUBAR + 1;

constexpr std::array<COLORREF, kColorCount> kClassicColors = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25, unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

SIZE DesktopSize() {
  auto surface = host::DesktopSurface();
  return SIZE{surface->width, surface->height};
}

int ScreenMetric(int index) {
  const SIZE desk = DesktopSize();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXVIRTUALSCREEN: return desk.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return desk.cy;
    case SM_CYFULLSCREEN: return desk.cy - 19;
    case SM_CXMAXTRACK: return desk.cx + 12;
    case SM_CYMAXTRACK: return desk.cy + 12;
    case SM_CXMAXIMIZED: return desk.cx + 8;
    case SM_CYMAXIMIZED: return desk.cy + 8;
    default: return 0;
  }
}

template <typename T>
BOOL Put(PVOID data, UINT size, T value) {
  if (!data) return FALSE;
  if (size && size < sizeof(T)) return FALSE;
  std::memcpy(data, &value, sizeof(T));
  return TRUE;
}

// The classic look's fonts: 8-point Tahoma, bold in captions.
LOGFONTW UiFont(bool bold) {
  LOGFONTW font{};
  font.lfHeight = -11;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  const char16_t face[] = u"Tahoma";
  std::copy(std::begin(face), std::end(face), font.lfFaceName);
  return font;
}

// Both record sizes the platform accepts: with and without the padded border.
constexpr UINT kMetricsSize = sizeof(NONCLIENTMETRICSW);
constexpr UINT kOldMetricsSize = sizeof(NONCLIENTMETRICSW) - sizeof(int);

BOOL NonClientMetrics(PVOID data) {
  auto* out = static_cast<NONCLIENTMETRICSW*>(data);
  if (!out || (out->cbSize != kMetricsSize && out->cbSize != kOldMetricsSize)) return FALSE;
  NONCLIENTMETRICSW m{};
  m.cbSize = out->cbSize;
  m.iBorderWidth = 1;
  m.iScrollWidth = m.iScrollHeight = 16;
  m.iCaptionWidth = m.iCaptionHeight = 18;
  m.lfCaptionFont = UiFont(true);
  m.iSmCaptionWidth = 12;
  m.iSmCaptionHeight = 14;
  m.lfSmCaptionFont = UiFont(true);
  m.iMenuWidth = m.iMenuHeight = 18;
  m.lfMenuFont = m.lfStatusFont = m.lfMessageFont = UiFont(false);
  std::memcpy(out, &m, out->cbSize);
  return TRUE;
}

}  // namespace

// The colours in force: the classic scheme until SetSysColors changes them.
static std::array<COLORREF, kColorCount>& SysColors() {
  static std::array<COLORREF, kColorCount> colors = kClassicColors;
  return colors;
}

// Made on first use and kept for the process, as the platform's are.
static HBRUSH g_sysColorBrushes[kColorCount] = {};

COLORREF SysColor(int index) {
  if (index < 0 || index >= kColorCount) return 0;
  return SysColors()[static_cast<size_t>(index)];
}

uint32_t ToPixel(COLORREF color) {
  return 0xFF000000u | (static_cast<uint32_t>(GetRValue(color)) << 16) |
         (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

}  // namespace compat::user

using namespace compat::user;

int WINAPI GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: case SM_CYSCREEN: case SM_CXFULLSCREEN: case SM_CYFULLSCREEN:
    case SM_CXVIRTUALSCREEN: case SM_CYVIRTUALSCREEN: case SM_CXMAXTRACK: case SM_CYMAXTRACK:
    case SM_CXMAXIMIZED: case SM_CYMAXIMIZED:
      return ScreenMetric(index);
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB: case SM_CXSMICON: case SM_CYSMICON:
      return 16;
    case SM_CYCAPTION: case SM_CYMENU: return 19;
    case SM_CXBORDER: case SM_CYBORDER: case SM_CXFOCUSBORDER: case SM_CYFOCUSBORDER:
    case SM_MOUSEWHEELPRESENT: case SM_CMONITORS:
      return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: case SM_CXDOUBLECLK: case SM_CYDOUBLECLK:
    case SM_CXDRAG: case SM_CYDRAG:
      return 4;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CXMIN: case SM_CXMINTRACK: return 112;
    case SM_CYMIN: case SM_CYMINTRACK: return 27;
    case SM_CXSIZE: case SM_CYSIZE: case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 18;
    case SM_CYSMCAPTION: return 15;
    case SM_CXSMSIZE: return 12;
    case SM_CYSMSIZE: return 14;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 24;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 13;
    default: return 0;
  }
}

DWORD WINAPI GetSysColor(int index) { return SysColor(index); }

HBRUSH WINAPI GetSysColorBrush(int index) {
  if (index < 0 || index >= kColorCount) return nullptr;
  Guard guard = Lock();
  HBRUSH& brush = g_sysColorBrushes[index];
  if (!brush) brush = CreateSolidBrush(SysColor(index));
  return brush;
}

BOOL WINAPI SetSysColors(int count, const INT* elements, const COLORREF* values) {
  if (count < 0 || (count > 0 && (!elements || !values))) return FALSE;
  {
    Guard guard = Lock();
    for (int i = 0; i < count; ++i) {
      if (elements[i] < 0 || elements[i] >= kColorCount) continue;
      SysColors()[static_cast<size_t>(elements[i])] = values[i];
      // A brush handed out earlier may still be selected somewhere: leave it, make a new one.
      g_sysColorBrushes[elements[i]] = nullptr;
    }
  }
  // Every top-level window learns of the change (outside the lock: they read the colours back).
  ::EnumWindows([](HWND hwnd, LPARAM) -> BOOL {
    ::SendMessageW(hwnd, WM_SYSCOLORCHANGE, 0, 0);
    return TRUE;
  }, 0);
  return TRUE;
}

BOOL WINAPI SystemParametersInfoW(UINT action, UINT param, PVOID data, UINT) {
  switch (action) {
    case SPI_GETWORKAREA: return Put(data, 0, compat::host::WorkArea());
    case SPI_GETNONCLIENTMETRICS: return NonClientMetrics(data);
    case SPI_GETICONTITLELOGFONT: return Put<LOGFONTW>(data, 0, UiFont(false));
    case SPI_GETWHEELSCROLLLINES: return Put<UINT>(data, 0, 3);
    case SPI_GETKEYBOARDCUES:
    case SPI_GETDRAGFULLWINDOWS:
    case SPI_GETFONTSMOOTHING:
    case SPI_GETBEEP:
    case SPI_GETDROPSHADOW:  // the toolkit then leaves popup shadows to the system, which draws none
      return Put<BOOL>(data, 0, TRUE);
    case SPI_GETFLATMENU:
    case SPI_GETMENUANIMATION:
    case SPI_GETMENUFADE:
    case SPI_GETCOMBOBOXANIMATION:
    case SPI_GETTOOLTIPANIMATION:
    case SPI_GETTOOLTIPFADE:
    case SPI_GETSELECTIONFADE:
    case SPI_GETCURSORSHADOW:
    case SPI_GETGRADIENTCAPTIONS:
    case SPI_GETSCREENSAVEACTIVE:
    case SPI_GETSHOWSOUNDS:
    case SPI_GETMENUDROPALIGNMENT:
      return Put<BOOL>(data, 0, FALSE);
    case SPI_GETFOCUSBORDERWIDTH:
    case SPI_GETFOCUSBORDERHEIGHT:
      return Put<UINT>(data, 0, 1);
    case SPI_GETMOUSEHOVERTIME: return Put<UINT>(data, 0, 400);
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
      return Put<UINT>(data, 0, 4);
    case SPI_GETKEYBOARDDELAY: return Put<int>(data, 0, 1);
    case SPI_GETKEYBOARDSPEED: return Put<DWORD>(data, 0, 31);
    case SPI_GETBORDER: return Put<int>(data, 0, 1);
    default:
      (void)param;
      return FALSE;
  }
}
