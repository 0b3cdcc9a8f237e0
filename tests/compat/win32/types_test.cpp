// The platform's colour and message-parameter macros.
#include <gtest/gtest.h>

#include "compat/win32.h"

TEST(Win32Types, ColourMacrosPackRedLowest) {
  COLORREF c = RGB(0x12, 0x34, 0x56);
  EXPECT_EQ(c, 0x00563412u);
  EXPECT_EQ(GetRValue(c), 0x12);
  EXPECT_EQ(GetGValue(c), 0x34);
  EXPECT_EQ(GetBValue(c), 0x56);
}

TEST(Win32Types, MouseCoordinatesInLparamAreSigned) {
  LPARAM lp = MAKELPARAM(-5, 300);
  EXPECT_EQ(GET_X_LPARAM(lp), -5);
  EXPECT_EQ(GET_Y_LPARAM(lp), 300);
  EXPECT_EQ(LOWORD(lp), 0xFFFB);
  EXPECT_EQ(HIWORD(MAKELONG(1, 2)), 2);
}
