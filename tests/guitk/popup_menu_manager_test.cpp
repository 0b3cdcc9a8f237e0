// The popup menu manager on a frame made from resource 128: conversion and
// restoring, accelerator texts, mnemonics, and items of other owners.
#include "guitk/popup_menu_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "guitk_test_support.h"
#include "res/resource.h"

namespace {

using kittest::KitTest;
using kittest::MenuDriver;
using kittest::OpenPopups;

struct ItemState {
  UINT type;
  std::u16string text;
  ULONG_PTR data;
  bool operator==(const ItemState&) const = default;
};

std::vector<ItemState> StatesOf(HMENU menu) {
  std::vector<ItemState> states;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_DATA;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    WCHAR text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    states.push_back(ItemState{info.fType, text, info.dwItemData});
  }
  return states;
}

class PopupManager : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | WS_VISIBLE));
    frame_->SetWindowPos(nullptr, 20, 20, 560, 400, SWP_NOZORDER);
    ASSERT_NE(frame_->m_hAccelTable, nullptr);
    manager_.Install(frame_);
    ASSERT_TRUE(manager_.LoadToolbar(IDR_MAINFRAME));
    driver_.HookWindow(frame_->m_hWnd);
  }
  void TearDown() override {
    driver_.HookWindow(static_cast<HWND>(nullptr));
    manager_.Install(nullptr);
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  HMENU FileMenu() { return GetSubMenu(::GetMenu(frame_->m_hWnd), 0); }
  void Track(HMENU popup) { TrackPopupMenuEx(popup, TPM_RETURNCMD, 60, 60, frame_->m_hWnd, nullptr); }

  CFrameWnd* frame_ = nullptr;
  CPopupMenuManager manager_;
  MenuDriver driver_;
};

TEST_F(PopupManager, AcceleratorTextsFromTheFramesTable) {
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_FILE_NEW)), u"\tCtrl+N");
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_SHOW_EFFECT)), u"\tF3");
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_DELETE_CURRENT_POINT)), u"\tDel");  // the system says "Num Del"
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_APP_EXIT)), u"");
  // Two keys for one command, newest first; the table is read again when it changes.
  ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW}, {FVIRTKEY | FALT | FSHIFT, VK_INSERT, ID_FILE_NEW},
                  {0, 'q', ID_APP_EXIT}};
  HACCEL table = CreateAcceleratorTableW(keys, 3);
  frame_->m_hAccelTable = table;
  HMENU file = FileMenu();
  driver_.steps.push_back([] {});
  Track(file);
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_FILE_NEW)), u"\tAlt+Shift+Ins, Ctrl+N");
  EXPECT_EQ(std::u16string(manager_.AcceleratorText(ID_APP_EXIT)), u"\tq");
  frame_->m_hAccelTable = nullptr;
  DestroyAcceleratorTable(table);
}

TEST_F(PopupManager, ItemsAreOwnerDrawnWhileOpenAndBackAsTheyWereAfter) {
  HMENU file = FileMenu();
  const std::vector<ItemState> before = StatesOf(file);
  std::vector<ItemState> during;
  std::vector<bool> own;
  driver_.steps.push_back([&] {
    during = StatesOf(file);
    for (const ItemState& item : during) own.push_back(manager_.IsOwnRecord(item.data));
  });
  Track(file);
  ASSERT_EQ(during.size(), before.size());
  for (size_t i = 0; i < during.size(); ++i) {
    EXPECT_TRUE(during[i].type & MFT_OWNERDRAW) << i;
    EXPECT_TRUE(own[i]) << i;
  }
  EXPECT_EQ(StatesOf(file), before);
}

TEST_F(PopupManager, ItemDataOfAnotherOwnerIsLeftAlone) {
  HMENU popup = CreatePopupMenu();
  AppendMenuW(popup, MF_STRING, ID_FILE_NEW, u"&New");
  AppendMenuW(popup, MF_STRING, ID_FILE_OPEN, u"&Open");
  // Someone else's record that happens to start with the manager's signature.
  static char foreign[16] = "mid0-not-ours";
  MENUITEMINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_DATA;
  info.dwItemData = reinterpret_cast<ULONG_PTR>(foreign);
  SetMenuItemInfoW(popup, 1, TRUE, &info);
  std::vector<ItemState> during;
  driver_.steps.push_back([&] { during = StatesOf(popup); });
  Track(popup);
  ASSERT_EQ(during.size(), 2u);
  EXPECT_TRUE(during[0].type & MFT_OWNERDRAW);
  EXPECT_EQ(during[1], (ItemState{MFT_STRING, u"&Open", reinterpret_cast<ULONG_PTR>(foreign)}));
  EXPECT_EQ(std::strcmp(foreign, "mid0-not-ours"), 0);
  EXPECT_EQ(StatesOf(popup)[1], during[1]);
  DestroyMenu(popup);
}

TEST_F(PopupManager, MnemonicsExecuteOneMatchAndSelectAmongSeveral) {
  HMENU file = FileMenu();
  LRESULT one = 0, several = 0, none = 0;
  driver_.steps.push_back([&] {
    auto ask = [&](WCHAR c) {
      return SendMessageW(frame_->m_hWnd, WM_MENUCHAR, MAKEWPARAM(c, MF_POPUP), reinterpret_cast<LPARAM>(file));
    };
    one = ask(u'n');
    several = ask(u'S');  // "&Save" and "Import Source Image &Source..."
    none = ask(u'Q');
  });
  Track(file);
  EXPECT_EQ(one, MAKELRESULT(0, MNC_EXECUTE));
  EXPECT_EQ(several, MAKELRESULT(2, MNC_SELECT));
  EXPECT_EQ(none, 0);
}

TEST_F(PopupManager, ToolbarsOfAnotherSizeOrMissingAreRefused) {
  EXPECT_EQ(manager_.ImageOf(ID_FILE_NEW), 0);
  EXPECT_EQ(manager_.ImageOf(ID_EDIT_UNDO), 12);
  EXPECT_EQ(manager_.ImageOf(ID_APP_EXIT), -1);
  EXPECT_FALSE(manager_.LoadToolbar(4242));
  EXPECT_EQ(manager_.m_toolbarIds.size(), 1u);
}

// The File popup with pictures, accelerators, the embossed disabled look and
// a radio item, for a person to look at.
TEST_F(PopupManager, ThePopupAsAUserSeesIt) {
  HMENU mode = GetSubMenu(::GetMenu(frame_->m_hWnd), 2);
  CheckMenuRadioItem(mode, 0, 1, 0, MF_BYPOSITION);
  SetMenuItemBitmaps(mode, 0, MF_BYPOSITION, nullptr, compat::afx::MenuRadioDot());
  frame_->m_bAutoMenuEnable = FALSE;
  EnableMenuItem(mode, 4, MF_BYPOSITION | MF_GRAYED);
  HWND shown = nullptr;
  driver_.steps.push_back([&] { compat::host::InjectKeyPress(VK_DOWN); });
  driver_.steps.push_back([&] {
    shown = OpenPopups().at(0);
    WritePng(shown, "guitk_popup_manager_mode");
  });
  Track(mode);
  ASSERT_NE(shown, nullptr);
}

// A separator is the menu's background with an etched line along its top,
// across the whole item.
TEST_F(PopupManager, ASeparatorIsEtchedAlongItsTop) {
  HMENU file = FileMenu();
  int separator = -1;
  for (int i = 0; i < GetMenuItemCount(file) && separator < 0; ++i)
    if (GetMenuState(file, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR) separator = i;
  ASSERT_GE(separator, 0);
  RECT item{};
  std::vector<uint32_t> left, middle;
  driver_.steps.push_back([&] {
    ASSERT_TRUE(GetMenuItemRect(frame_->m_hWnd, file, static_cast<UINT>(separator), &item));
    auto surface = compat::host::DesktopSurface();
    for (int y = item.top; y < item.bottom; ++y) {
      left.push_back(surface->Row(y)[item.left + 2] & 0xFFFFFF);
      middle.push_back(surface->Row(y)[(item.left + item.right) / 2] & 0xFFFFFF);
    }
  });
  Track(file);
  ASSERT_GE(left.size(), 4u);
  const uint32_t shadow = 0x808080, highlight = 0xFFFFFF;
  for (const auto* column : {&left, &middle}) {
    EXPECT_EQ((*column)[0], shadow);
    EXPECT_EQ((*column)[1], highlight);
    EXPECT_EQ(std::count((*column).begin() + 2, (*column).end(), shadow), 0) << "no line below the top";
  }
}

}  // namespace
