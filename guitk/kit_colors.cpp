// The toolkit's colour rules and the system version grade the menus read.
#include "guitk/kit_colors.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "guitk/kit_errors.h"

int g_kitDrawStyle = kKitStyleFlat;
BOOL g_kitTheme = FALSE;
int g_kitMenuStyle = kKitStyleFlat;

namespace {

BYTE Saturate(int value) { return static_cast<BYTE>(std::clamp(value, 0, 255)); }

COLORREF PerChannel(COLORREF color, auto&& op) {
  return RGB(op(GetRValue(color)), op(GetGValue(color)), op(GetBValue(color)));
}

COLORREF NearestOnScreen(COLORREF color) {
  HDC screen = GetDC(nullptr);
  const COLORREF nearest = GetNearestColor(screen, color);
  ReleaseDC(nullptr, screen);
  return nearest;
}

}  // namespace

COLORREF KitAddChannels(COLORREF color, int amount) {
  return PerChannel(color, [amount](int c) { return Saturate(c + amount); });
}

COLORREF KitDivideChannels(COLORREF color, int divisor) {
  return PerChannel(color, [divisor](int c) { return static_cast<BYTE>(c / divisor); });
}

COLORREF KitLighten(COLORREF base, double factor) {
  const int m = 255 - std::max({GetRValue(base), GetGValue(base), GetBValue(base)});
  const int d = m + static_cast<int>(std::trunc(m * factor));
  return KitAddChannels(base, d);
}

KitScheme KitSchemeOf(COLORREF nearestBase) {
  switch (nearestBase) {
    case 0xCF743B: return KitScheme::Blue;
    case 0x7AAA9D: return KitScheme::Olive;
    case 0xC9BEBC: return KitScheme::Silver;
    default: return KitScheme::None;
  }
}

KitScheme GetKitScheme() { return KitSchemeOf(NearestOnScreen(GetThemeBaseColor())); }

COLORREF GetThemeBaseColor() { return KitAddChannels(GetSysColor(COLOR_HIGHLIGHT), 10); }

COLORREF GetFaceColor(int style) {
  if (g_kitTheme && style != kKitStyleFlat) {
    switch (GetKitScheme()) {
      case KitScheme::Blue: return 0xF3C9AD;
      case KitScheme::Olive: return 0xB9DEDC;
      case KitScheme::Silver: return 0xF1E3E7;
      case KitScheme::None: break;
    }
  }
  return GetSysColor(COLOR_BTNFACE);
}

COLORREF GetShadowColor(int style) {
  if (style != kKitStyleGradient) return GetSysColor(COLOR_BTNSHADOW);
  if (GetKitScheme() == KitScheme::Silver) return 0x8D787C;
  return g_kitTheme ? GetThemeBaseColor() : GetSysColor(COLOR_BTNSHADOW);
}

COLORREF GetLightFaceColor() {
  return PerChannel(GetSysColor(COLOR_BTNFACE), [](int c) { return Saturate((c + 80) * 3 / 4 + 1); });
}

COLORREF GetHighlightWhiteColor() { return GetSysColor(COLOR_BTNHIGHLIGHT); }
COLORREF GetTextGreyColor() { return 0x666666; }

COLORREF GetLightenedFaceColor() { return KitLighten(GetLightFaceColor(), -0.51); }
COLORREF GetFaintFaceColor() { return KitLighten(KitDivideChannels(GetFaceColor(kKitStyleFlat), 4), -0.018); }
COLORREF GetPressedColor() { return KitLighten(KitDivideChannels(GetSysColor(COLOR_HIGHLIGHT), 4), -0.21); }
COLORREF GetDeepHighlightColor() { return KitLighten(KitDivideChannels(GetSysColor(COLOR_HIGHLIGHT), 8), -0.47); }
COLORREF GetDarkShadowColor() { return KitLighten(KitDivideChannels(GetSysColor(COLOR_BTNSHADOW), 4), -0.8); }
COLORREF GetHotColor() { return KitLighten(KitDivideChannels(GetSysColor(COLOR_HIGHLIGHT), 4), -0.14); }

// --- the menus' blends ---

COLORREF KitDarken(COLORREF color, int k) {
  return PerChannel(color, [k](int c) { return static_cast<BYTE>(c * (255 - k) / 255); });
}

namespace {
COLORREF Blend(COLORREF a, COLORREF b, int percentA) {
  auto mix = [percentA](int x, int y) { return Saturate(MulDiv(x, percentA, 100) + MulDiv(y, 100 - percentA, 100)); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}
}  // namespace

COLORREF KitBlend86(COLORREF a, COLORREF b) { return Blend(a, b, 86); }
COLORREF KitBlend70(COLORREF a, COLORREF b) { return Blend(a, b, 70); }

COLORREF KitLightShadow(COLORREF color) {
  const COLORREF bluer = RGB(GetRValue(color), GetGValue(color), Saturate(GetBValue(color) + 55));
  return PerChannel(bluer, [](int c) { return static_cast<BYTE>(c * 7 / 10); });
}

COLORREF KitMenuBackColor() { return KitBlend86(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_MENU)); }
COLORREF KitMenuColumnColor() { return KitBlend86(GetSysColor(COLOR_MENU), GetSysColor(COLOR_WINDOW)); }
COLORREF KitMenuSelectColor() { return KitBlend70(GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_HIGHLIGHT)); }

// --- the version grade ---

int GetWindowsVersionCode() {
  const DWORD version = GetVersion();
  const bool family9x = (version & 0x80000000u) != 0;
  auto info = std::unique_ptr<OSVERSIONINFOW>(new (std::nothrow) OSVERSIONINFOW{});
  if (!info) return family9x ? 2 : 1;
  info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  if (!GetVersionExW(info.get()) && !family9x) ShowLastError();
  if (family9x) {
    const int major = LOBYTE(LOWORD(version)), minor = HIBYTE(LOWORD(version));
    if (major < 4) return 0;
    if (minor == 90) return 4;
    if (minor == 10) return 3;
    return 2;
  }
  if (info->dwMajorVersion == 4) return 5;
  if (info->dwMajorVersion == 5 && info->dwMinorVersion == 0) return 6;
  if (info->dwMajorVersion == 5 && info->dwMinorVersion == 1) return 7;
  return 1;
}
