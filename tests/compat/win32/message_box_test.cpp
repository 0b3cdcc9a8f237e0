// The message box seam answers as told and records what it was asked.
#include <gtest/gtest.h>

#include "compat/win32.h"

TEST(MessageBox, RecordsTheMessageAndGivesThePresetAnswer) {
  compat::ResetMessageBoxLog();
  EXPECT_EQ(MessageBoxW(nullptr, u"Save changes?", u"Calvetta", MB_YESNOCANCEL | MB_ICONQUESTION), IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, u"Replace?", u"Calvetta", MB_YESNO | MB_DEFBUTTON2), IDNO);
  EXPECT_EQ(MessageBoxW(nullptr, u"Retry?", nullptr, MB_RETRYCANCEL), IDRETRY);
  EXPECT_EQ(compat::LastMessageBoxCaption(), u"Error");
  compat::SetMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBox(nullptr, u"File \u00e9t\u00e9.cmf is damaged", u"Open", MB_OKCANCEL), IDCANCEL);
  EXPECT_EQ(compat::MessageBoxCount(), 4);
  EXPECT_EQ(compat::LastMessageBoxText(), u"File \u00e9t\u00e9.cmf is damaged");
  EXPECT_EQ(compat::LastMessageBoxType(), static_cast<UINT>(MB_OKCANCEL));
  compat::ResetMessageBoxLog();
  EXPECT_EQ(compat::MessageBoxCount(), 0);
  EXPECT_EQ(MessageBoxW(nullptr, u"x", u"y", MB_OK), IDOK);
}
