// The toolkit's colour rules under scripted system colour tables, and the
// gradient bands.
#include "guitk/kit_colors.h"

#include <gtest/gtest.h>

#include "guitk/kit_draw.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

class KitColors : public KitTest {};

TEST_F(KitColors, BlueSchemeUnderTheGradientStyle) {
  SetColor(COLOR_HIGHLIGHT, 0xC56A31);  // R 49, G 106, B 197
  g_kitTheme = TRUE;
  EXPECT_EQ(GetThemeBaseColor(), 0xCF743Bu);
  EXPECT_EQ(GetKitScheme(), KitScheme::Blue);
  EXPECT_EQ(GetFaceColor(kKitStyleGradient), 0xF3C9ADu);
  EXPECT_EQ(GetFaceColor(kKitStyleFlat), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetShadowColor(kKitStyleGradient), 0xCF743Bu);
  EXPECT_EQ(GetShadowColor(kKitStyleFlat), GetSysColor(COLOR_BTNSHADOW));
  // Highlight / 4 = (12, 26, 49): m = 206.
  EXPECT_EQ(GetHotColor(), RGB(12 + 178, 26 + 178, 49 + 178));      // 206 - trunc(28.84)
  EXPECT_EQ(GetPressedColor(), RGB(12 + 163, 26 + 163, 49 + 163));  // 206 - trunc(43.26)
  // Highlight / 8 = (6, 13, 24): m = 231, 231 - trunc(108.57).
  EXPECT_EQ(GetDeepHighlightColor(), RGB(6 + 123, 13 + 123, 24 + 123));
  g_kitTheme = FALSE;
  EXPECT_EQ(GetFaceColor(kKitStyleGradient), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(GetShadowColor(kKitStyleGradient), GetSysColor(COLOR_BTNSHADOW));
}

TEST_F(KitColors, FaceDerivedColorsOfTheClassicTable) {
  // Face (212, 208, 200): ((c + 80) * 3) / 4 + 1.
  EXPECT_EQ(GetLightFaceColor(), RGB(220, 217, 211));
  // m = 35, 35 - trunc(17.85).
  EXPECT_EQ(GetLightenedFaceColor(), RGB(238, 235, 229));
  // Face / 4 = (53, 52, 50): m = 202, 202 - trunc(3.636).
  EXPECT_EQ(GetFaintFaceColor(), RGB(53 + 199, 52 + 199, 50 + 199));
  // Shadow / 4 = (32, 32, 32): m = 223, 223 - trunc(178.4).
  EXPECT_EQ(GetDarkShadowColor(), RGB(77, 77, 77));
  EXPECT_EQ(GetKitScheme(), KitScheme::None);  // the classic highlight matches no scheme
}

TEST_F(KitColors, OtherSchemesAndTheSilverShadow) {
  SetColor(COLOR_HIGHLIGHT, RGB(0xB2, 0xB4, 0xBF));  // base 0xC9BEBC
  g_kitTheme = TRUE;
  EXPECT_EQ(GetKitScheme(), KitScheme::Silver);
  EXPECT_EQ(GetFaceColor(kKitStyleGradient), 0xF1E3E7u);
  EXPECT_EQ(GetShadowColor(kKitStyleGradient), 0x8D787Cu);
  SetColor(COLOR_HIGHLIGHT, RGB(0x93, 0xA0, 0x70));  // base 0x7AAA9D
  EXPECT_EQ(GetKitScheme(), KitScheme::Olive);
  EXPECT_EQ(GetFaceColor(kKitStyleMdiButtons), 0xB9DEDCu);
}

TEST_F(KitColors, ChannelSumsSaturate) {
  SetColor(COLOR_HIGHLIGHT, RGB(250, 3, 128));
  EXPECT_EQ(GetThemeBaseColor(), RGB(255, 13, 138));
  EXPECT_EQ(KitAddChannels(RGB(20, 200, 5), -30), RGB(0, 170, 0));
  EXPECT_EQ(KitLighten(RGB(255, 255, 255), -0.51), RGB(255, 255, 255));
  EXPECT_EQ(KitLightShadow(RGB(100, 50, 250)), RGB(70, 35, 178));  // blue 250 + 55 stays 255
}

TEST_F(KitColors, MenuBlends) {
  // Window white 86 %, menu (212, 208, 200) 14 %, each part rounded by MulDiv.
  EXPECT_EQ(KitMenuBackColor(), RGB(219 + 30, 219 + 29, 219 + 28));
  EXPECT_EQ(KitDarken(RGB(255, 100, 0), 60), RGB(195, 76, 0));
}

TEST_F(KitColors, TheVersionGradeOfTheReportedSystem) { EXPECT_EQ(GetWindowsVersionCode(), 7); }

// The bands: first band the first colour, band 255 the first plus 255/256 of the step.
TEST_F(KitColors, GradientBandsEndWhereTheyShould) {
  HDC screen = GetDC(nullptr);
  CDC* target = CDC::FromHandle(screen);
  CKitGradient gradient(4, 512);
  gradient.DrawVertical(target, 0, 0, 255, 255, 0, 0);
  CDC* memory = gradient.GetMemoryDC();
  ASSERT_NE(memory, nullptr);
  EXPECT_EQ(memory->GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(memory->GetPixel(3, 1), RGB(0, 0, 255));     // bands are 2 rows high
  EXPECT_EQ(memory->GetPixel(0, 2), RGB(0, 0, 255));     // steps of 0.996 truncate toward zero
  EXPECT_EQ(memory->GetPixel(0, 4), RGB(1, 0, 254));
  EXPECT_EQ(memory->GetPixel(0, 511), RGB(254, 0, 1));   // band 255: trunc(255 * 255 / 256)
  // The flat caption: (250, 250, 249) down to the colour less 30.
  gradient.DrawCaptionGradient(target, kKitStyleFlat, RGB(20, 100, 200));
  memory = gradient.GetMemoryDC();
  EXPECT_EQ(memory->GetPixel(0, 0), RGB(250, 250, 249));
  EXPECT_EQ(memory->GetPixel(0, 511), RGB(0 + 250 - 249, 70 + 180 - 179, 170 + 79 - 78));
  ReleaseDC(nullptr, screen);
}

TEST_F(KitColors, ThemedCaptionWithoutASchemeDrawsNothing) {
  g_kitTheme = TRUE;
  HDC screen = GetDC(nullptr);
  CKitGradient gradient(8, 8);
  gradient.DrawCaptionGradient(CDC::FromHandle(screen), kKitStyleGradient, RGB(1, 2, 3));
  EXPECT_EQ(gradient.GetMemoryDC(), nullptr);
  ReleaseDC(nullptr, screen);
}

}  // namespace

namespace {

using kittest::KitTest;

class KitDrawing : public KitTest {};

TEST_F(KitDrawing, HorizontalGradientsAndTheirReverse) {
  HDC screen = GetDC(nullptr);
  CDC* target = CDC::FromHandle(screen);
  CKitGradient gradient(256, 2);
  gradient.DrawHorizontal(target, kKitStyleFlat, RGB(100, 100, 100));
  EXPECT_EQ(gradient.GetMemoryDC()->GetPixel(0, 0), RGB(110, 110, 110));   // colour + 10
  EXPECT_EQ(gradient.GetMemoryDC()->GetPixel(255, 1), RGB(81, 81, 81));   // towards (colour + 10) less 30
  gradient.DrawReverseHorizontal(target, kKitStyleFlat, RGB(100, 100, 100));
  EXPECT_EQ(gradient.GetMemoryDC()->GetPixel(0, 0), RGB(80, 80, 80));
  SetColor(COLOR_HIGHLIGHT, 0xC56A31);  // the blue scheme
  g_kitTheme = TRUE;
  gradient.DrawReverseHorizontal(target, kKitStyleGradient, 0);
  EXPECT_EQ(gradient.GetMemoryDC()->GetPixel(0, 0), RGB(141, 178, 223));
  CKitGradient band(2, 256);  // vertical: one row a band
  band.DrawLightBand(target, kKitStyleGradient, 0);
  EXPECT_EQ(band.GetMemoryDC()->GetPixel(0, 0), RGB(216, 228, 243));
  ReleaseDC(nullptr, screen);
}

// A flat caption button: the hot fill and the theme base frame.
TEST_F(KitDrawing, AFlatCaptionButtonWhenHot) {
  HDC screen = GetDC(nullptr);
  CDC memory;
  memory.CreateCompatibleDC(CDC::FromHandle(screen));
  CBitmap bits;
  bits.CreateCompatibleBitmap(CDC::FromHandle(screen), 20, 20);
  CBitmap* old = memory.SelectObject(&bits);
  CKitCaptionButton button;
  button.m_bFlat = TRUE;
  button.Paint(&memory, CKitCaptionButton::Hot, CRect(0, 0, 16, 14), 0, FALSE, RGB(1, 2, 3));
  EXPECT_EQ(memory.GetPixel(0, 0), GetThemeBaseColor());
  EXPECT_EQ(memory.GetPixel(15, 13), GetThemeBaseColor());
  EXPECT_EQ(memory.GetPixel(5, 5), GetHotColor());
  button.m_bFlat = FALSE;
  button.Paint(&memory, CKitCaptionButton::Pressed, CRect(0, 0, 16, 14), 0, FALSE, RGB(1, 2, 3));
  EXPECT_EQ(memory.GetPixel(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(memory.GetPixel(15, 13), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(memory.GetPixel(5, 5), RGB(1, 2, 3));
  memory.SelectObject(old);
  ReleaseDC(nullptr, screen);
}

}  // namespace
