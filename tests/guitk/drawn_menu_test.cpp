// CDrawnMenu: its own template reader against the system's, measuring,
// pictures from the toolbar, and a popup drawn by the styled look.
#include "guitk/drawn_menu.h"
#include "guitk/drawn_menu_draw.h"
#include "guitk/kit_colors.h"

#include <gtest/gtest.h>

#include "guitk_test_support.h"
#include "res/resource.h"

namespace {

using kittest::KitTest;
using kittest::MenuDriver;
using kittest::OpenPopups;

class DrawnMenu : public KitTest {};

struct Node {
  std::u16string text;
  UINT id;  // 0 for a popup
  UINT flags;
  std::vector<Node> children;
  bool operator==(const Node&) const = default;
};

constexpr UINT kCompared = MF_GRAYED | MF_SEPARATOR | MF_CHECKED;

std::vector<Node> SystemTree(HMENU menu) {
  std::vector<Node> nodes;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    WCHAR text[256] = {};
    GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
    HMENU sub = GetSubMenu(menu, i);
    const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
    nodes.push_back(Node{text, sub ? 0 : GetMenuItemID(menu, i), state & kCompared, sub ? SystemTree(sub) : std::vector<Node>{}});
  }
  return nodes;
}

std::vector<Node> DrawnTree(const CDrawnMenu& menu) {
  std::vector<Node> nodes;
  for (int i = 0; i < menu.ItemCount(); ++i) {
    const CDrawnMenuItemData* data = menu.ItemData(i);
    const bool popup = (data->m_nFlags & MF_POPUP) != 0;
    CDrawnMenu* sub = popup ? menu.SubmenuOf(reinterpret_cast<HMENU>(data->m_nID)) : nullptr;
    const UINT state = GetMenuState(menu.m_hMenu, static_cast<UINT>(i), MF_BYPOSITION);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(menu.m_hMenu, static_cast<UINT>(i), TRUE, &info);
    EXPECT_TRUE(info.fType & MFT_OWNERDRAW) << i;
    nodes.push_back(Node{std::u16string(static_cast<LPCTSTR>(data->m_strText)), popup ? 0 : static_cast<UINT>(data->m_nID),
                         state & kCompared, sub ? DrawnTree(*sub) : std::vector<Node>{}});
  }
  return nodes;
}

TEST_F(DrawnMenu, ItsTemplateReaderGivesTheSystemsTree) {
  CDrawnMenu drawn;
  ASSERT_TRUE(drawn.LoadMenu(IDR_MAINFRAME));
  HMENU system = LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(system, nullptr);
  const std::vector<Node> expected = SystemTree(system);
  ASSERT_EQ(expected.size(), 6u);
  EXPECT_EQ(DrawnTree(drawn), expected);
  EXPECT_EQ(drawn.m_submenus.size(), 6u);
  DestroyMenu(system);
  EXPECT_FALSE(drawn.LoadMenu(4242));  // no such menu
  EXPECT_EQ(drawn.m_hMenu, nullptr);
}

TEST_F(DrawnMenu, ConvertingAMenuKeepsItsItemsAndMakesThemOwnerDrawn) {
  HMENU system = LoadMenuW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  const std::vector<Node> expected = SystemTree(system);
  CDrawnMenu drawn;
  ASSERT_TRUE(drawn.AttachMenu(system));
  EXPECT_EQ(DrawnTree(drawn), expected);
  drawn.ConvertAllItems();  // again: the records are reused, nothing changes
  EXPECT_EQ(DrawnTree(drawn), expected);
}

TEST_F(DrawnMenu, SeparatorsTabsAndPictures) {
  CDrawnMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  ASSERT_TRUE(menu.AppendDrawnItem(u"Whatever", MF_GRAYED | MF_BYPOSITION, 0));
  EXPECT_EQ(menu.ItemData(0)->m_nFlags, static_cast<UINT>(MF_SEPARATOR | MF_OWNERDRAW | MF_BYPOSITION));
  ASSERT_TRUE(menu.AppendDrawnItem(u"Open\tCtrl+O", 0, 101));
  ASSERT_TRUE(menu.AppendDrawnItem(u"OpenCtrl+O", 0, 102));
  auto measure = [&](int position) {
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(menu.ItemData(position))};
    menu.MeasureItem(&mis);
    return mis;
  };
  EXPECT_EQ(measure(0).itemHeight, 3u);
  EXPECT_EQ(measure(1).itemWidth, measure(2).itemWidth + 15);
  EXPECT_EQ(measure(1).itemHeight, static_cast<UINT>(std::max(GetSystemMetrics(SM_CYMENU), 15 + 8)));
  // Pictures come from the command's button; a command without one has none.
  ASSERT_TRUE(menu.AppendDrawnItem(u"Undo", 0, ID_EDIT_UNDO, IDR_MAINFRAME));
  EXPECT_EQ(menu.ItemData(3)->m_nImage, 12);  // the 13th button; separators take no image
  ASSERT_NE(menu.ItemData(3)->m_pImages, nullptr);
  ASSERT_TRUE(menu.AppendDrawnItem(u"Exit", 0, ID_APP_EXIT, IDR_MAINFRAME));
  EXPECT_EQ(menu.ItemData(4)->m_nImage, -1);
  EXPECT_EQ(menu.ItemData(4)->m_nImageResource, -1);
  EXPECT_EQ(menu.ItemData(4)->m_pImages, nullptr);
}

TEST_F(DrawnMenu, AChildsSystemMenuTakesItsOwnCommandsWhileInUse) {
  HMENU system = CreatePopupMenu();
  AppendMenuW(system, MF_STRING, SC_RESTORE, u"&Restore");
  AppendMenuW(system, MF_STRING, SC_MINIMIZE, u"Mi&nimize");
  AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(system, MF_STRING, SC_CLOSE, u"&Close\tCtrl+F4");
  CDrawnMenu menu;
  ASSERT_TRUE(menu.AttachMenu(system));
  menu.StartSystemMenuUse();
  EXPECT_EQ(GetMenuItemID(system, 0), static_cast<UINT>(SC_RESTORE + 1));
  EXPECT_EQ(GetMenuItemID(system, 1), static_cast<UINT>(SC_MINIMIZE + 1));
  EXPECT_EQ(GetMenuItemID(system, 3), static_cast<UINT>(SC_CLOSE + 1));
  EXPECT_EQ(std::u16string(static_cast<LPCTSTR>(menu.ItemData(3)->m_strText)), u"&Close\tCtrl+F4");
  menu.EndSystemMenuUse();
  EXPECT_EQ(GetMenuItemID(system, 0), static_cast<UINT>(SC_RESTORE));
  EXPECT_EQ(GetMenuItemID(system, 3), static_cast<UINT>(SC_CLOSE));
}

// A framework window owns the popup so that its items reach the menu object.
TEST_F(DrawnMenu, APopupDrawnByTheStyledLook) {
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                             nullptr, nullptr));
  CDrawnMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendDrawnItem(u"&New\tCtrl+N", 0, ID_FILE_NEW, IDR_MAINFRAME);
  menu.AppendDrawnItem(u"&Undo\tCtrl+Z", 0, ID_EDIT_UNDO, IDR_MAINFRAME);
  menu.AppendDrawnItem(u"", 0, 0);
  menu.AppendDrawnItem(u"&Checked", MF_CHECKED, 201);
  menu.AppendDrawnItem(u"&Grayed", MF_GRAYED, 202);
  MenuDriver driver;
  driver.HookWindow(owner.m_hWnd);
  HWND shown = nullptr;
  COLORREF column = 0, back = 0;
  driver.steps.push_back([&] { compat::host::InjectKeyPress(VK_DOWN); });
  driver.steps.push_back([&] {
    shown = OpenPopups().at(0);
    WritePng(shown, "guitk_drawn_menu_popup");
    RECT r;
    GetClientRect(shown, &r);
    POINT p{3, r.bottom - 3};
    ClientToScreen(shown, &p);
    column = kittest::ScreenPixel(p.x, p.y);
    back = kittest::ScreenPixel(p.x + 60, p.y);
  });
  menu.TrackPopupMenu(TPM_RETURNCMD, 60, 60, &owner);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(column, KitMenuColumnColor());
  EXPECT_EQ(back, KitMenuBackColor());
  owner.DestroyWindow();
}

}  // namespace

namespace {

// The plain look draws the classic items: menu colour, a highlighted selection
// right of the picture column, and its own popup border.
TEST_F(DrawnMenu, APopupDrawnByThePlainLook) {
  SetCurrentMenuLook(0);
  CWnd owner;
  ASSERT_TRUE(owner.CreateEx(0, AfxRegisterWndClass(0), u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 400, 300,
                             nullptr, nullptr));
  CDrawnMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendDrawnItem(u"&New\tCtrl+N", 0, ID_FILE_NEW, IDR_MAINFRAME);
  menu.AppendDrawnItem(u"&Undo\tCtrl+Z", 0, ID_EDIT_UNDO, IDR_MAINFRAME);
  menu.AppendDrawnItem(u"", 0, 0);
  menu.AppendDrawnItem(u"&Checked", MF_CHECKED, 201);
  menu.AppendDrawnItem(u"&Grayed", MF_GRAYED, 202);
  kittest::MenuDriver driver;
  driver.HookWindow(owner.m_hWnd);
  COLORREF selection = 0, back = 0, border = 0;
  driver.steps.push_back([&] { compat::host::InjectKeyPress(VK_DOWN); });
  driver.steps.push_back([&] {
    HWND shown = kittest::OpenPopups().at(0);
    WritePng(shown, "guitk_drawn_menu_plain_popup");
    RECT item{}, window{};
    GetMenuItemRect(owner.m_hWnd, menu.m_hMenu, 0, &item);
    GetWindowRect(shown, &window);
    selection = kittest::ScreenPixel(item.right - 3, item.bottom - 2);
    GetMenuItemRect(owner.m_hWnd, menu.m_hMenu, 4, &item);
    back = kittest::ScreenPixel(item.right - 3, item.bottom - 2);
    border = kittest::ScreenPixel(window.left, window.top + 8);
  });
  menu.TrackPopupMenu(TPM_RETURNCMD, 60, 60, &owner);
  SetCurrentMenuLook(2);
  EXPECT_EQ(selection, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(back, GetSysColor(COLOR_MENU));
  EXPECT_EQ(border, GetSysColor(COLOR_HIGHLIGHT));
  owner.DestroyWindow();
}

}  // namespace

namespace {

// An open bar-line item of the styled look casts a 4-pixel shadow on the bar
// to its right: 60, 45, 30 and 15 of 255 darker, fading in over its first rows.
TEST_F(DrawnMenu, AnOpenBarItemOfTheStyledLookCastsAShadowBesideIt) {
  CDrawnMenu menu;
  ASSERT_TRUE(menu.CreateMenu());
  menu.AppendDrawnItem(u"&File", 0, 301);
  CClientDC screen(nullptr);
  CDC dc;
  dc.CreateCompatibleDC(&screen);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, 80, 30);
  CBitmap* old = dc.SelectObject(&bitmap);
  const COLORREF bar = RGB(200, 180, 160);
  auto draw = [&](UINT state) {
    dc.FillSolidRect(0, 0, 80, 30, bar);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = 301;
    dis.itemState = state;
    dis.hDC = dc.m_hDC;
    dis.rcItem = RECT{10, 2, 50, 24};
    dis.itemData = reinterpret_cast<ULONG_PTR>(menu.ItemData(0));
    StyledDraw(&menu, &dis, TRUE);
  };
  draw(ODS_SELECTED);
  for (int j = 0; j < 4; ++j) {
    const int k = 60 - 15 * j;
    EXPECT_EQ(dc.GetPixel(50 + j, 20), KitDarken(bar, k)) << j;
    EXPECT_EQ(dc.GetPixel(50 + j, 9), KitDarken(bar, 3 * (7 - 3) * (4 - j))) << j;
    EXPECT_EQ(dc.GetPixel(50 + j, 3), bar) << "the first rows stay";
  }
  EXPECT_EQ(dc.GetPixel(54, 20), bar);
  EXPECT_EQ(dc.GetPixel(50, 25), bar) << "no lower than the item";
  // Hot (the mouse over it, no popup) casts none.
  draw(ODS_HOTLIGHT);
  EXPECT_EQ(dc.GetPixel(50, 20), bar);
  dc.SelectObject(old);
}

}  // namespace
