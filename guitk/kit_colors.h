// The toolkit's colours: every toolkit window derives its colours at each
// paint from the system colours, the process-wide drawing style word and the
// theme flag, so a change of any of them shows at the next paint.
#pragma once

#include "compat/win32.h"

// The process-wide drawing state the styled frame keeps and its profile stores.
constexpr int kKitStyleFlat = 0x8001;      // the default flat look
constexpr int kKitStyleGradient = 0x8002;  // gradients
constexpr int kKitStyleMdiButtons = 0x8021;  // the menu bar's buttons of an MDI child
extern int g_kitDrawStyle;  // 0x8001 at start
extern BOOL g_kitTheme;     // FALSE at start
extern int g_kitMenuStyle;  // the style last given to the frame, read by the menus

// The colour scheme a theme base colour stands for.
enum class KitScheme { None, Blue, Olive, Silver };
KitScheme GetKitScheme();                      // on the screen's nearest colours
KitScheme KitSchemeOf(COLORREF nearestBase);   // 0xCF743B blue, 0x7AAA9D olive, 0xC9BEBC silver

COLORREF GetFaceColor(int style);
COLORREF GetShadowColor(int style);
COLORREF GetThemeBaseColor();
COLORREF GetLightFaceColor();
COLORREF GetHighlightWhiteColor();
COLORREF GetTextGreyColor();
COLORREF GetLightenedFaceColor();
COLORREF GetFaintFaceColor();
COLORREF GetPressedColor();
COLORREF GetDeepHighlightColor();
COLORREF GetDarkShadowColor();
COLORREF GetHotColor();

// Channel arithmetic. Sums and differences saturate at 0 and 255: a channel
// of 250 plus 10 stays white instead of wrapping to near black.
COLORREF KitAddChannels(COLORREF color, int amount);
COLORREF KitDivideChannels(COLORREF color, int divisor);
// m = 255 - max channel; each channel grows by m + trunc(m * factor).
COLORREF KitLighten(COLORREF base, double factor);

// The menus' colour functions.
COLORREF KitDarken(COLORREF color, int k);       // each channel * (255 - k) / 255
COLORREF KitBlend86(COLORREF a, COLORREF b);     // 86 % a + 14 % b
COLORREF KitBlend70(COLORREF a, COLORREF b);     // 70 % a + 30 % b
COLORREF KitLightShadow(COLORREF color);         // blue + 55, then each channel * 7 / 10
COLORREF KitMenuBackColor();    // COLOR_WINDOW 86 %, the menu colour 14 %
COLORREF KitMenuColumnColor();  // the menu colour 86 %, COLOR_WINDOW 14 %
COLORREF KitMenuSelectColor();  // COLOR_WINDOW 70 %, COLOR_HIGHLIGHT 30 %

// The system version as the menus grade it: 7 for 5.1, 6 for 5.0, 5 for NT 4,
// 1 for other NT; 0, 2, 3 or 4 for the 9x family.
int GetWindowsVersionCode();
