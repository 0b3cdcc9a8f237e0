// The resource calls against a compiled script: FindResource and friends on a dialog
// template, string loading, accelerator tables, and the resource cursor and icon.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "compat/win32.h"

namespace {

HMODULE Program() { return GetModuleHandleW(nullptr); }

// An accelerator resource whose only record lacks the end flag: cut short.
const BYTE kUnendedAccelerators[8] = {0x01, 0, 'A', 0, 0x10, 0, 0, 0};
const compat::ResourceEntry kEntries[] = {{9, 701, kUnendedAccelerators, sizeof(kUnendedAccelerators)}};
compat::ResourceTable kTable{kEntries, 1, compat::ResourceModule::Program, "resource_calls_test", nullptr};
const bool kRegistered = compat::RegisterResourceTable(kTable);

TEST(ResourceCalls, DialogTemplateIsFoundLoadedAndSized) {
  ASSERT_NE(Program(), nullptr);
  EXPECT_EQ(GetModuleHandleW(u"other.dll"), nullptr);
  HRSRC found = FindResourceW(Program(), MAKEINTRESOURCEW(800), RT_DIALOG);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(FindResourceExW(Program(), RT_DIALOG, MAKEINTRESOURCEW(800), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)),
            found);
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(800), RT_DIALOG), found);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Program(), found)));
  ASSERT_NE(bytes, nullptr);
  const DWORD size = SizeofResource(Program(), found);
  ASSERT_GE(size, 18u);
  DWORD style;
  std::memcpy(&style, bytes, sizeof(style));
  EXPECT_EQ(style, DWORD(WS_POPUP | WS_CAPTION | 0x40));  // DS_SETFONT, as FONT implies
  EXPECT_EQ(bytes[8] | (bytes[9] << 8), 1);  // one control
  EXPECT_FALSE(FreeResource(LoadResource(Program(), found)));

  EXPECT_EQ(FindResourceW(Program(), MAKEINTRESOURCEW(801), RT_DIALOG), nullptr);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceW(Program(), u"NAMED", RT_DIALOG), nullptr);
  EXPECT_EQ(FindResourceW(Program(), MAKEINTRESOURCEW(800), u"CUSTOM"), nullptr);
  EXPECT_EQ(LoadResource(Program(), nullptr), nullptr);
  EXPECT_EQ(SizeofResource(Program(), nullptr), 0u);
}

TEST(ResourceCalls, LoadStringTruncatesPointsAndMisses) {
  WCHAR buffer[64];
  EXPECT_EQ(LoadStringW(Program(), 100, buffer, 64), 12);
  EXPECT_EQ(std::u16string(buffer), u"Hello, world");
  EXPECT_EQ(LoadStringW(Program(), 100, buffer, 6), 5);  // room for five and the terminator
  EXPECT_EQ(std::u16string(buffer), u"Hello");
  EXPECT_EQ(LoadStringW(Program(), 100, buffer, 1), 0);
  EXPECT_EQ(buffer[0], 0);

  // Size 0 hands back a pointer to the unterminated text inside the resource.
  const WCHAR* text = nullptr;
  EXPECT_EQ(LoadStringW(Program(), 100, reinterpret_cast<LPWSTR>(&text), 0), 12);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::u16string(text, 12), u"Hello, world");

  // Either side of a bundle boundary.
  EXPECT_EQ(LoadStringW(Program(), 15, buffer, 64), 23);
  EXPECT_EQ(std::u16string(buffer), u"end of the first bundle");
  EXPECT_EQ(LoadStringW(Program(), 16, buffer, 64), 19);
  EXPECT_EQ(std::u16string(buffer), u"start of the second");

  buffer[0] = u'x';
  EXPECT_EQ(LoadStringW(Program(), 101, buffer, 64), 0);  // a gap in a present bundle
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(LoadStringW(Program(), 5000, buffer, 64), 0);  // no such bundle
  EXPECT_EQ(LoadStringW(Program(), 5000, reinterpret_cast<LPWSTR>(&text), 0), 0);
  EXPECT_EQ(text, nullptr);
  EXPECT_EQ(LoadStringW(Program(), 100, nullptr, 64), 0);
}

TEST(ResourceCalls, AcceleratorTablesCopyInOrderSixBytesEach) {
  static_assert(sizeof(ACCEL) == 6 && offsetof(ACCEL, key) == 2 && offsetof(ACCEL, cmd) == 4);
  HACCEL loaded = LoadAcceleratorsW(Program(), MAKEINTRESOURCEW(700));
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(LoadAcceleratorsW(Program(), MAKEINTRESOURCEW(700)), loaded);
  ASSERT_EQ(CopyAcceleratorTableW(loaded, nullptr, 0), 3);
  ACCEL entries[4] = {};
  entries[2].cmd = 0xBEEF;
  EXPECT_EQ(CopyAcceleratorTableW(loaded, entries, 2), 2);
  EXPECT_EQ(entries[2].cmd, 0xBEEF);  // no more than asked for
  ASSERT_EQ(CopyAcceleratorTableW(loaded, entries, 4), 3);
  EXPECT_EQ(entries[0].fVirt, 0);
  EXPECT_EQ(entries[0].key, 1);  // "^A" is the control character
  EXPECT_EQ(entries[0].cmd, 1001);
  EXPECT_EQ(entries[1].fVirt, FVIRTKEY | FCONTROL | FSHIFT);
  EXPECT_EQ(entries[1].key, 'N');
  EXPECT_EQ(entries[1].cmd, 1003);
  EXPECT_EQ(entries[2].fVirt, FVIRTKEY);  // the end flag stays in the resource
  EXPECT_EQ(entries[2].key, 0x70);       // VK_F1
  EXPECT_EQ(entries[2].cmd, 1002);

  HACCEL made = CreateAcceleratorTableW(entries, 3);
  ASSERT_NE(made, nullptr);
  ACCEL copy[3] = {};
  ASSERT_EQ(CopyAcceleratorTableW(made, copy, 3), 3);
  EXPECT_EQ(std::memcmp(copy, entries, sizeof(copy)), 0);
  EXPECT_TRUE(DestroyAcceleratorTable(made));
  EXPECT_EQ(CopyAcceleratorTableW(made, nullptr, 0), 0);
  EXPECT_FALSE(DestroyAcceleratorTable(made));
  // A loaded table is shared: destroying it leaves it usable.
  EXPECT_TRUE(DestroyAcceleratorTable(loaded));
  EXPECT_EQ(CopyAcceleratorTableW(loaded, nullptr, 0), 3);

  EXPECT_EQ(CreateAcceleratorTableW(entries, 0), nullptr);
  EXPECT_EQ(CreateAcceleratorTableW(nullptr, 3), nullptr);
  ASSERT_TRUE(kRegistered);
  EXPECT_EQ(LoadAcceleratorsW(Program(), MAKEINTRESOURCEW(701)), nullptr);  // no end flag
  EXPECT_EQ(LoadAcceleratorsW(Program(), MAKEINTRESOURCEW(702)), nullptr);
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  GetObjectW(bitmap, sizeof(info), &info);
  return SIZE{info.bmWidth, info.bmHeight};
}

TEST(ResourceCalls, ResourceCursorAnswersWithItsHotSpotAndRoundTrips) {
  HCURSOR cursor = LoadCursorW(Program(), MAKEINTRESOURCEW(33));
  ASSERT_NE(cursor, nullptr);
  EXPECT_EQ(LoadCursorW(Program(), MAKEINTRESOURCEW(33)), cursor);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  EXPECT_FALSE(info.fIcon);
  EXPECT_EQ(info.xHotspot, 31u);
  EXPECT_EQ(info.yHotspot, 31u);
  ASSERT_NE(info.hbmColor, nullptr);
  EXPECT_EQ(BitmapSize(info.hbmColor).cx, 64);
  EXPECT_EQ(BitmapSize(info.hbmColor).cy, 64);
  EXPECT_EQ(BitmapSize(info.hbmMask).cy, 64);

  // The description makes an equal cursor.
  HICON copy = CreateIconIndirect(&info);
  ASSERT_NE(copy, nullptr);
  ICONINFO again{};
  ASSERT_TRUE(GetIconInfo(copy, &again));
  EXPECT_EQ(again.xHotspot, 31u);
  EXPECT_EQ(again.yHotspot, 31u);
  HDC a = CreateCompatibleDC(nullptr), b = CreateCompatibleDC(nullptr);
  for (auto [first, second] : {std::pair(info.hbmColor, again.hbmColor), std::pair(info.hbmMask, again.hbmMask)}) {
    HGDIOBJ oldA = SelectObject(a, first), oldB = SelectObject(b, second);
    for (int y = 0; y < 64; y += 7)
      for (int x = 0; x < 64; x += 7) EXPECT_EQ(GetPixel(a, x, y), GetPixel(b, x, y)) << x << "," << y;
    SelectObject(a, oldA);
    SelectObject(b, oldB);
  }
  DeleteDC(a);
  DeleteDC(b);
  for (HBITMAP h : {info.hbmColor, info.hbmMask, again.hbmColor, again.hbmMask}) DeleteObject(h);
  EXPECT_TRUE(DestroyIcon(copy));

  // The loaded cursor is shared: destroying it leaves it working.
  EXPECT_TRUE(DestroyCursor(cursor));
  ASSERT_TRUE(GetIconInfo(cursor, &info));
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_EQ(LoadCursorW(Program(), MAKEINTRESOURCEW(34)), nullptr);
}

TEST(ResourceCalls, ResourceIconIsAnIcon) {
  HICON icon = LoadIconW(Program(), MAKEINTRESOURCEW(128));
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(LoadIconW(Program(), MAKEINTRESOURCEW(128)), icon);
  ICONINFO info{};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  EXPECT_GT(BitmapSize(info.hbmMask).cx, 0);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  EXPECT_NE(LoadIconW(nullptr, IDI_APPLICATION), nullptr);
  EXPECT_EQ(LoadIconW(Program(), MAKEINTRESOURCEW(129)), nullptr);
}

}  // namespace
