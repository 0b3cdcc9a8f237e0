// The clipboard calls on the headless host: text put in one format read in
// the other, the host's text (what another program put there) read by the
// program, emptying, who may open it, and the blocks the text travels in.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "compat/host.h"
#include "compat/win32.h"

namespace {

namespace host = compat::host;

HGLOBAL WideBlock(const std::u16string& text) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
  std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(char16_t));
  GlobalUnlock(block);
  return block;
}

// What the clipboard holds in the format, read as a program does; nullopt
// when GetClipboardData gives nothing.
std::optional<std::u16string> ReadWide() {
  EXPECT_TRUE(OpenClipboard(nullptr));
  std::optional<std::u16string> text;
  if (HANDLE block = GetClipboardData(CF_UNICODETEXT)) {
    text = static_cast<const char16_t*>(GlobalLock(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

std::optional<std::string> ReadNarrow() {
  EXPECT_TRUE(OpenClipboard(nullptr));
  std::optional<std::string> text;
  if (HANDLE block = GetClipboardData(CF_TEXT)) {
    text = static_cast<const char*>(GlobalLock(block));
    GlobalUnlock(block);
  }
  CloseClipboard();
  return text;
}

void Put(UINT format, HGLOBAL block) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  ASSERT_EQ(SetClipboardData(format, block), block);
  ASSERT_TRUE(CloseClipboard());
}

class ClipboardTest : public ::testing::Test {
 protected:
  void SetUp() override { host::SetClipboardText(std::nullopt); }
};

TEST_F(ClipboardTest, WideTextReadsBackInBothFormatsAndReachesTheHostAsUtf8) {
  Put(CF_UNICODETEXT, WideBlock(u"Gr\u00FC\u00DFe 640\u20AC"));
  EXPECT_EQ(ReadWide(), u"Gr\u00FC\u00DFe 640\u20AC");
  EXPECT_EQ(ReadNarrow(), "Gr\xC3\xBC\xC3\x9F" "e 640\xE2\x82\xAC");
  std::string shared;
  ASSERT_TRUE(host::GetClipboardText(&shared));
  EXPECT_EQ(shared, "Gr\xC3\xBC\xC3\x9F" "e 640\xE2\x82\xAC");
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(2));  // a bitmap
}

TEST_F(ClipboardTest, NarrowTextReadsBackWideAndStopsAtItsTerminator) {
  HGLOBAL block = GlobalAlloc(GHND, 16);  // room beyond the text stays zero
  std::memcpy(GlobalLock(block), "1024", 4);
  GlobalUnlock(block);
  Put(CF_TEXT, block);
  EXPECT_EQ(ReadWide(), u"1024");
  EXPECT_EQ(ReadNarrow(), "1024");
}

TEST_F(ClipboardTest, TextAnotherProgramPutThereIsReadAndAWiderOneReplacesIt) {
  host::SetClipboardText(std::string("from xclip \xCE\xBB"));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(ReadWide(), u"from xclip \u03BB");
  // A block handed out stays the same while the clipboard stays open.
  ASSERT_TRUE(OpenClipboard(nullptr));
  HANDLE first = GetClipboardData(CF_UNICODETEXT);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), first);
  CloseClipboard();
  host::SetClipboardText(std::string("second"));
  EXPECT_EQ(ReadNarrow(), "second");
}

TEST_F(ClipboardTest, EmptiedClipboardHoldsNoTextForAnyone) {
  Put(CF_UNICODETEXT, WideBlock(u"gone soon"));
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  // Emptied but still open: nothing of the old text is offered.
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(ReadWide(), std::nullopt);
  EXPECT_EQ(ReadNarrow(), std::nullopt);
  std::string shared;
  EXPECT_FALSE(host::GetClipboardText(&shared));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

TEST_F(ClipboardTest, CallsNeedTheClipboardOpenOnTheCallingThread) {
  EXPECT_FALSE(EmptyClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  HGLOBAL block = WideBlock(u"x");
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
  EXPECT_FALSE(CloseClipboard());

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(OpenClipboard(nullptr));  // again on the same thread
  // Setting data needs the clipboard emptied first; other formats are refused.
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, block), nullptr);
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(SetClipboardData(2, block), nullptr);
  EXPECT_EQ(SetClipboardData(CF_UNICODETEXT, nullptr), nullptr);
  bool otherOpened = true;
  std::thread other([&] { otherOpened = OpenClipboard(nullptr) != FALSE; });
  other.join();
  EXPECT_FALSE(otherOpened);
  EXPECT_TRUE(CloseClipboard());
  std::thread later([&] {
    otherOpened = OpenClipboard(nullptr) != FALSE;
    CloseClipboard();
  });
  later.join();
  EXPECT_TRUE(otherOpened);
  GlobalFree(block);
}

TEST_F(ClipboardTest, SettingTheSameFormatTwiceKeepsTheLastAndTheClipboardFreesTheFirst) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HGLOBAL first = WideBlock(u"first");
  ASSERT_EQ(SetClipboardData(CF_UNICODETEXT, first), first);
  ASSERT_NE(SetClipboardData(CF_UNICODETEXT, WideBlock(u"last")), nullptr);
  ASSERT_TRUE(CloseClipboard());
  EXPECT_EQ(GlobalSize(first), 0u);  // freed: no longer a block
  EXPECT_EQ(ReadWide(), u"last");
}

TEST(GlobalMemory, BlocksAreZeroedCountTheirLocksAndRefuseStaleHandles) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 10);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GlobalSize(block), 10u);
  auto* bytes = static_cast<unsigned char*>(GlobalLock(block));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(bytes[i], 0);
  EXPECT_EQ(GlobalLock(block), bytes);
  EXPECT_TRUE(GlobalUnlock(block));   // locked once more
  EXPECT_FALSE(GlobalUnlock(block));  // now unlocked
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(GlobalFree(block), nullptr);
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalFree(block), block);
  int notABlock = 0;
  EXPECT_EQ(GlobalLock(&notABlock), nullptr);
}

}  // namespace
