// kitdemo's toolkit MDI frame as a user works it: two documents with a tab
// each, a closed document losing its tab, and the frame's place and docking
// layout kept across a restart in the "<base>Main" section.
#include "guitk/kit_mdi_frame.h"

#include <gtest/gtest.h>

#include "kit_frame_fixture.h"
#include "kitdemo/kit_periphery.h"

namespace {

using kittest::KitTest;
using kittest::ProfileApp;

class KitMdiFrame : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    app_ = std::make_unique<ProfileApp>(folder_.Path(u"cM.ini"), u"Kit Demo");
  }
  void TearDown() override {
    if (frame_) Close();
    app_.reset();
    KitTest::TearDown();
  }
  void Open() {
    frame_ = new kitdemo::CMdiDemoFrame;
    ASSERT_TRUE(frame_->Build());
    frame_->SetActiveWindow();
    Advance(100);
  }
  void Close() {
    frame_->DestroyWindow();
    frame_ = nullptr;
    Pump();
  }
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
  HWND Active() const {
    return reinterpret_cast<HWND>(::SendMessageW(frame_->m_hWndMDIClient, WM_MDIGETACTIVE, 0, 0));
  }
  UINT ToolBarDock() const { return static_cast<UINT>(frame_->m_wndToolBar.GetParent()->GetDlgCtrlID()); }
  std::string ProfileText() const {
    std::ifstream file(folder_.Host() + "/cM.ini");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  // The lines of one section, without its header.
  std::vector<std::string> Section(const std::string& name) const {
    std::vector<std::string> out;
    std::istringstream in(ProfileText());
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      if (line.front() == '[') {
        inside = line == "[" + name + "]";
        continue;
      }
      if (inside) out.push_back(line);
    }
    return out;
  }

  TempFolder folder_;
  std::unique_ptr<ProfileApp> app_;
  kitdemo::CMdiDemoFrame* frame_ = nullptr;
};

TEST_F(KitMdiFrame, EachDocumentHasATabThatActivatesItAndClosingOneRemovesIt) {
  Open();
  ASSERT_EQ(frame_->m_wndTabs.GetTabCount(), 2);
  EXPECT_EQ(frame_->m_wndTabs.GetTab(0)->caption, u"Morph A");
  EXPECT_TRUE(frame_->m_wndTabs.IsWindowVisible());
  HWND second = Active();
  CRect r = frame_->m_wndTabs.GetTab(0)->rect;
  POINT p{r.left + 6, r.CenterPoint().y};
  frame_->m_wndTabs.ClientToScreen(&p);
  Click(p);
  HWND first = Active();
  EXPECT_NE(first, second);
  EXPECT_EQ(frame_->m_wndTabs.GetCurrentTab(), 0);
  ::SendMessageW(frame_->m_hWndMDIClient, WM_MDIDESTROY, reinterpret_cast<WPARAM>(first), 0);
  Advance(200);
  ASSERT_EQ(frame_->m_wndTabs.GetTabCount(), 1);
  EXPECT_EQ(frame_->m_wndTabs.GetTab(0)->caption, u"Morph B");
}

TEST_F(KitMdiFrame, PlaceAndDockingLayoutComeBackFromTheMainSectionWithTheBlankAsUnderscore) {
  Open();
  EXPECT_EQ(frame_->MainSection(), CString(u"Kit_DemoMain"));
  frame_->DockControlBar(&frame_->m_wndToolBar, kKitOuterLeft);
  frame_->MoveWindow(30, 40, 520, 330);
  Pump();
  ASSERT_EQ(ToolBarDock(), kKitOuterLeft);
  Close();
  const std::vector<std::string> expected = {"left=30", "right=550", "bottom=370", "top=40",
                                             "status=1", "Style=32769", "Theme=0"};
  EXPECT_EQ(Section("Kit_DemoMain"), expected);
  EXPECT_FALSE(Section("Kit_Demo-Summary").empty());
  Open();
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  CRect placed;
  frame_->GetWindowRect(&placed);
  EXPECT_EQ(placed, CRect(30 + work.left, 40 + work.top, 550 + work.left, 370 + work.top));
  EXPECT_EQ(ToolBarDock(), kKitOuterLeft);
  EXPECT_EQ(frame_->m_wndTabs.GetTabCount(), 2);
}

}  // namespace

namespace {

std::u16string MenuText(HMENU menu, int position) {
  WCHAR text[64] = {};
  ::GetMenuStringW(menu, static_cast<UINT>(position), text, 64, MF_BYPOSITION);
  return text;
}

TEST_F(KitMdiFrame, TheMenuBarShowsTheFramesMenuAndListsTheDocumentsInItsWindowMenu) {
  Open();
  EXPECT_EQ(::GetMenu(frame_->m_hWnd), nullptr);  // the bar is the only menu line
  EXPECT_EQ(frame_->m_wndMenuBar.GetMenu(), frame_->m_menu);
  ASSERT_EQ(frame_->m_wndMenuBar.GetWindowMenu(), frame_->m_windowMenu);
  HMENU window = frame_->m_windowMenu;
  // The popup opening, as the menu loop tells the frame.
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 1);
  ASSERT_EQ(::GetMenuItemCount(window), 4);
  EXPECT_EQ(::GetMenuState(window, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(MenuText(window, 2), u"&1 Morph A");
  EXPECT_EQ(MenuText(window, 3), u"&2 Morph B");
  EXPECT_EQ(::GetMenuState(window, 3, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  // Eight more documents: the tenth entry stands for the rest.
  for (int i = 0; i < 9; ++i) {
    auto* child = new CMDIChildWnd;
    ASSERT_TRUE(child->Create(nullptr, u"More", WS_CHILD | WS_VISIBLE | WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault,
                              frame_));
  }
  Pump();
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), 1);
  ASSERT_EQ(::GetMenuItemCount(window), 12);  // Cascade, separator, nine documents, "More windows"
  EXPECT_EQ(MenuText(window, 11), u"&More windows...");
  // A system menu of the same handle is left alone.
  frame_->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(window), MAKELPARAM(1, 1));
  EXPECT_EQ(::GetMenuItemCount(window), 12);
  // Choosing an entry activates that document.
  frame_->SendMessage(WM_COMMAND, AFX_IDM_FIRST_MDICHILD);
  Pump();
  EXPECT_EQ(Active(), ::GetDlgItem(frame_->m_hWndMDIClient, AFX_IDM_FIRST_MDICHILD));
}

}  // namespace

namespace {

TEST_F(KitMdiFrame, TheTabsLieBetweenTheBarsAndTheDocuments) {
  Open();
  CRect tabs, menuBar, toolBar, client;
  frame_->m_wndTabs.GetWindowRect(&tabs);
  frame_->m_wndMenuBar.GetWindowRect(&menuBar);
  frame_->m_wndToolBar.GetWindowRect(&toolBar);
  ::GetWindowRect(frame_->m_hWndMDIClient, &client);
  EXPECT_GE(tabs.top, menuBar.bottom);
  EXPECT_GE(tabs.top, toolBar.bottom);
  EXPECT_EQ(client.top, tabs.bottom);
}

}  // namespace

namespace {

// The menu bar of the MDI frame with a document maximised: the document's
// icon first, its Minimize, Restore and Close buttons last, and the titles'
// keyboard and button indexes counted past the icon.
class KitMdiMenuBar : public KitMdiFrame {
 protected:
  void SetUp() override {
    KitMdiFrame::SetUp();
    Open();
    FramePump();
    recorder_.HookWindow(frame_->m_hWnd);
  }
  void TearDown() override {
    recorder_.HookWindow(static_cast<HWND>(nullptr));
    KitMdiFrame::TearDown();
  }
  CMenuBar& Bar() { return frame_->m_wndMenuBar; }
  HMENU ShownMenu() const { return recorder_.Shown(); }
  // The application's loop: the frame's pre-translation, then the idle update.
  void FramePump() { kittest::PumpFrame(frame_, true); }
  void PressKey(unsigned vk) {
    compat::host::InjectKeyPress(vk);
    FramePump();
  }
  void Alt() {
    compat::host::InjectKey(VK_MENU, true);
    FramePump();
    compat::host::InjectKey(VK_MENU, false);
    FramePump();
  }
  void ClickAt(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
    FramePump();
  }
  static POINT CentreOf(HWND hwnd) {
    CRect r;
    ::GetWindowRect(hwnd, &r);
    return r.CenterPoint();
  }
  // The document's Maximize box, found along its caption as the pointer would.
  static POINT MaximizeBox(HWND child) {
    CRect r;
    ::GetWindowRect(child, &r);
    const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = r.right - 1; x > r.left; --x) {
      if (::SendMessageW(child, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTMAXBUTTON) return POINT{x - 3, y};
    }
    ADD_FAILURE() << "no Maximize box";
    return POINT{};
  }
  void MaximizeActive() {
    HWND child = Active();
    ClickAt(MaximizeBox(child));
    ASSERT_TRUE(::IsZoomed(child));
  }
  std::u16string FrameTitle() const {
    WCHAR text[128] = {};
    ::GetWindowTextW(frame_->m_hWnd, text, 128);
    return text;
  }
  bool ItemsShown() {
    return !(Bar().GetIconItem()->m_fsState & CMenuBarItem::kHidden) &&
           !(Bar().GetControlItem()->m_fsState & CMenuBarItem::kHidden);
  }
  HWND ButtonOf(UINT command) { return ::GetDlgItem(Bar().m_hWnd, static_cast<int>(command)); }

  kittest::PopupRecorder recorder_;
};

TEST_F(KitMdiMenuBar, AMaximisedDocumentShowsItsIconAndButtonsInTheBarAndItsCaptionInTheTitle) {
  // The MDI tabs bring each new document forward maximised: here Morph B.
  HWND morphB = Active();
  ASSERT_TRUE(::IsZoomed(morphB));
  // Icon, File, Window, buttons.
  ASSERT_EQ(Bar().GetItemCount(), 4);
  EXPECT_EQ(Bar().GetItem(0), Bar().GetIconItem());
  EXPECT_EQ(Bar().GetItem(3), Bar().GetControlItem());
  EXPECT_TRUE(ItemsShown());
  EXPECT_EQ(FrameTitle(), u"Kit MDI - [Morph B]");
  EXPECT_EQ(Bar().GetIconItem()->m_hWndChild, morphB);
  // The icon at the left, a small icon's size, its button over it.
  const CRect icon = Bar().GetIconItem()->m_rcItem;
  EXPECT_EQ(icon, CRect(0, 0, GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON)));
  EXPECT_EQ(Bar().GetItem(1)->m_rcItem.left, icon.right);
  HWND iconButton = ::GetDlgItem(Bar().m_hWnd, 2457);
  ASSERT_NE(iconButton, nullptr);
  EXPECT_TRUE(::IsWindowVisible(iconButton));
  // The three buttons at the right end of a bar that spans the line.
  CRect bar, client;
  Bar().GetWindowRect(&bar);
  Bar().GetClientRect(&client);
  const CRect buttons = Bar().GetControlItem()->m_rcItem;
  EXPECT_EQ(buttons.right, client.right);
  EXPECT_EQ(buttons.Width(), 3 * 16 + 3);  // menu height 18 less two borders, three times, a pixel apart
  for (UINT command : {SC_MINIMIZE, SC_RESTORE, SC_CLOSE}) {
    HWND button = ButtonOf(command);
    ASSERT_NE(button, nullptr) << command;
    EXPECT_TRUE(::IsWindowVisible(button)) << command;
  }
  EXPECT_LT(CentreOf(ButtonOf(SC_MINIMIZE)).x, CentreOf(ButtonOf(SC_RESTORE)).x);
  EXPECT_LT(CentreOf(ButtonOf(SC_RESTORE)).x, CentreOf(ButtonOf(SC_CLOSE)).x);
  // The glyphs are drawn: black ink in the Close button's middle.
  EXPECT_EQ(PixelAt(CentreOf(ButtonOf(SC_CLOSE))), RGB(0, 0, 0));
  WritePng(Bar().m_hWnd, "guitk_kit_mdi_menu_bar");
  WritePng(frame_->m_hWnd, "guitk_kit_mdi_maximized");

  // Restored, the items go, the bar shrinks to its titles and the title is the frame's own again.
  ClickAt(CentreOf(ButtonOf(SC_RESTORE)));
  EXPECT_FALSE(::IsZoomed(morphB));
  EXPECT_FALSE(ItemsShown());
  EXPECT_FALSE(::IsWindowVisible(iconButton));
  EXPECT_FALSE(::IsWindowVisible(ButtonOf(SC_CLOSE)));
  EXPECT_EQ(FrameTitle(), u"Kit MDI");
  EXPECT_EQ(Bar().GetItem(1)->m_rcItem.left, 0);
  CRect restored;
  Bar().GetWindowRect(&restored);
  EXPECT_LT(restored.Width(), bar.Width());

  // Maximised again from its own caption, the items come back.
  MaximizeActive();
  EXPECT_TRUE(ItemsShown());
  EXPECT_EQ(FrameTitle(), u"Kit MDI - [Morph B]");
  EXPECT_TRUE(::IsWindowVisible(iconButton));
}

TEST_F(KitMdiMenuBar, TheButtonsMinimiseAndCloseTheMaximisedDocument) {
  HWND morphB = Active();
  ClickAt(CentreOf(ButtonOf(SC_CLOSE)));
  EXPECT_FALSE(::IsWindow(morphB));
  Advance(200);  // the tabs look for gone documents on their timer
  EXPECT_EQ(frame_->m_wndTabs.GetTabCount(), 1);
  // The next document comes forward maximised, and the bar follows it.
  HWND morphA = Active();
  ASSERT_NE(morphA, nullptr);
  EXPECT_TRUE(::IsZoomed(morphA));
  EXPECT_TRUE(ItemsShown());
  EXPECT_EQ(Bar().GetIconItem()->m_hWndChild, morphA);
  EXPECT_EQ(FrameTitle(), u"Kit MDI - [Morph A]");
  ClickAt(CentreOf(ButtonOf(SC_MINIMIZE)));
  EXPECT_TRUE(::IsIconic(morphA));
  EXPECT_FALSE(ItemsShown());
  EXPECT_EQ(FrameTitle(), u"Kit MDI");
}

TEST_F(KitMdiMenuBar, TheIconOpensTheDocumentsSystemMenuWhoseChoiceGoesToTheDocument) {
  HWND morphB = Active();
  HMENU system = ::GetSystemMenu(morphB, FALSE);
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  HMENU shown = nullptr;
  int state = -1, hot = -1;
  UINT restore = 0, maximize = 0;
  RECT popup{};
  driver.steps.push_back([&] {
    shown = ShownMenu();
    state = Bar().GetTrackingState();
    hot = Bar().GetHotItem();
    restore = ::GetMenuState(shown, SC_RESTORE, MF_BYCOMMAND);
    maximize = ::GetMenuState(shown, SC_MAXIMIZE, MF_BYCOMMAND);
    if (!kittest::OpenPopups().empty()) ::GetWindowRect(kittest::OpenPopups().back(), &popup);
    const std::string png = std::string(CALVETTA_GUITK_PNG_DIR) + "/guitk_kit_mdi_system_menu.png";
    EXPECT_TRUE(compat::WriteWindowPng(frame_->m_hWnd, png.c_str()));
    compat::host::InjectKeyPress('C');  // "&Close"
  });
  // Under the pointer the icon is hot: the bar draws it framed in place of its button.
  HWND iconButton = ::GetDlgItem(Bar().m_hWnd, 2457);
  const POINT centre = CentreOf(iconButton);
  MoveTo(centre);
  FramePump();
  EXPECT_EQ(Bar().GetTrackingState(), 3);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  EXPECT_FALSE(::IsWindowVisible(iconButton));
  CRect hotIcon = Bar().GetIconItem()->m_rcItem;
  Bar().ClientToScreen(&hotIcon);
  EXPECT_EQ(PixelAt(POINT{hotIcon.left, hotIcon.top + hotIcon.Height() / 2}), GetThemeBaseColor());
  ClickAt(centre);
  driver.HookWindow(static_cast<HWND>(nullptr));
  FramePump();
  EXPECT_EQ(shown, system);
  EXPECT_EQ(state, 2);
  EXPECT_EQ(hot, 0);
  EXPECT_FALSE(restore & MF_GRAYED);
  EXPECT_TRUE(maximize & MF_GRAYED);
  CRect icon = Bar().GetIconItem()->m_rcItem;
  Bar().ClientToScreen(&icon);
  EXPECT_EQ(popup.left, icon.left);
  EXPECT_NEAR(popup.top, icon.bottom - 2, 1);
  // Close reached the document, not the frame.
  EXPECT_FALSE(::IsWindow(morphB));
  EXPECT_TRUE(::IsWindow(frame_->m_hWnd));
  EXPECT_EQ(Bar().GetTrackingState(), 0);
}

TEST_F(KitMdiMenuBar, TheKeyboardCountsTheIconAndPassesTheButtonsBy) {
  // Nothing maximised: Alt selects File, and the arrows keep to the titles.
  ClickAt(CentreOf(ButtonOf(SC_RESTORE)));
  ASSERT_FALSE(ItemsShown());
  Alt();
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_LEFT);
  EXPECT_EQ(Bar().GetHotItem(), 2);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_ESCAPE);
  MaximizeActive();
  // Maximised: Alt still selects File; Left reaches the icon and wraps past the buttons.
  Alt();
  EXPECT_EQ(Bar().GetTrackingState(), 1);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_LEFT);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  PressKey(VK_LEFT);
  EXPECT_EQ(Bar().GetHotItem(), 2);
  PressKey(VK_RIGHT);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  // Inside the popups: Left from File's reaches the system menu, Left again the Window menu.
  PressKey(VK_ESCAPE);
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  std::vector<HMENU> shown;
  std::vector<int> hot;
  auto step = [&](unsigned key) {
    driver.steps.push_back([&, key] {
      shown.push_back(ShownMenu());
      hot.push_back(Bar().GetHotItem());
      if (key == VK_LEFT) compat::host::InjectKey(VK_MENU, false);
      compat::host::InjectKeyPress(key);
    });
  };
  step(VK_LEFT);
  step(VK_LEFT);
  step(VK_ESCAPE);
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('F');  // Alt+F: the mnemonic finds File past the icon
  FramePump();
  driver.HookWindow(static_cast<HWND>(nullptr));
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0], ::GetSubMenu(frame_->m_menu, 0));
  EXPECT_EQ(hot[0], 1);
  EXPECT_EQ(shown[1], ::GetSystemMenu(Active(), FALSE));
  EXPECT_EQ(hot[1], 0);
  EXPECT_EQ(shown[2], frame_->m_windowMenu);
  EXPECT_EQ(hot[2], 2);
}

TEST_F(KitMdiMenuBar, ATitlePressCountsPastTheIcon) {
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  HMENU shown = nullptr;
  int hot = -1;
  driver.steps.push_back([&] {
    shown = ShownMenu();
    hot = Bar().GetHotItem();
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  // The Window title is menu position 1, item 2.
  auto* title = static_cast<CMenuBarTitleItem*>(Bar().GetItem(2));
  ASSERT_EQ(title->m_nPosition, 1);
  ClickAt(CentreOf(title->m_button.m_hWnd));
  driver.HookWindow(static_cast<HWND>(nullptr));
  EXPECT_EQ(shown, frame_->m_windowMenu);
  EXPECT_EQ(hot, 2);
}

}  // namespace

namespace {

TEST_F(KitMdiMenuBar, DockedLeftTheIconLeadsAndTheButtonsStandAtTheFoot) {
  frame_->DockControlBar(&Bar(), kKitOuterLeft);
  frame_->RecalcLayout();
  FramePump();
  ASSERT_FALSE(Bar().IsHorizontal());
  ASSERT_TRUE(ItemsShown());
  const CRect icon = Bar().GetIconItem()->m_rcItem, file = Bar().GetItem(1)->m_rcItem;
  EXPECT_EQ(file.top, icon.bottom);
  CRect client;
  Bar().GetClientRect(&client);
  const CRect buttons = Bar().GetControlItem()->m_rcItem;
  EXPECT_EQ(buttons.bottom, client.bottom);
  EXPECT_GT(buttons.Height(), buttons.Width());
  EXPECT_LT(CentreOf(ButtonOf(SC_MINIMIZE)).y, CentreOf(ButtonOf(SC_CLOSE)).y);
  EXPECT_EQ(CentreOf(ButtonOf(SC_MINIMIZE)).x, CentreOf(ButtonOf(SC_CLOSE)).x);
  // All inside the dock bar, where they can be seen.
  CRect dock, close;
  Bar().GetParent()->GetWindowRect(&dock);
  ::GetWindowRect(ButtonOf(SC_CLOSE), &close);
  EXPECT_TRUE(::IsWindowVisible(ButtonOf(SC_CLOSE)));
  EXPECT_LE(close.bottom, dock.bottom);
  // Up from File reaches the icon; Down comes back.
  Alt();
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_UP);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  PressKey(VK_DOWN);
  EXPECT_EQ(Bar().GetHotItem(), 1);
  PressKey(VK_ESCAPE);
  WritePng(frame_->m_hWnd, "guitk_kit_mdi_menu_bar_left");
}

}  // namespace

namespace {

TEST_F(KitMdiMenuBar, TheDocumentButtonsKeepTheirOwnStyleUnderTheFramesStyle) {
  SetColor(COLOR_HIGHLIGHT, 0xC56A31);  // the blue scheme
  g_kitTheme = TRUE;
  frame_->SetDrawStyle(kKitStyleGradient);
  FramePump();
  ASSERT_NE(GetFaceColor(kKitStyleMdiButtons), GetFaceColor(kKitStyleFlat));  // the theme tints it
  CRect close;
  ::GetWindowRect(ButtonOf(SC_CLOSE), &close);
  EXPECT_EQ(PixelAt(POINT{close.left + 1, close.top + 1}), GetFaceColor(kKitStyleMdiButtons));
  WritePng(Bar().m_hWnd, "guitk_kit_mdi_menu_bar_themed");
}

}  // namespace

namespace {

TEST_F(KitMdiMenuBar, AMouseSweepWithAPopupOpenPassesBetweenTheSystemMenuAndTheTitles) {
  HMENU system = ::GetSystemMenu(Active(), FALSE);
  const POINT icon = CentreOf(::GetDlgItem(Bar().m_hWnd, 2457));
  CRect fileRect = Bar().GetItem(1)->m_rcItem;
  Bar().ClientToScreen(&fileRect);
  const POINT file = fileRect.CenterPoint();
  kittest::MenuDriver driver;
  driver.HookWindow(frame_->m_hWnd);
  std::vector<HMENU> shown;
  auto moveTo = [&](POINT p) {
    driver.steps.push_back([&, p] {
      shown.push_back(ShownMenu());
      compat::host::InjectMouseMove(p.x, p.y);
    });
  };
  moveTo(file);
  moveTo(icon);
  driver.steps.push_back([&] {
    shown.push_back(ShownMenu());
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  ClickAt(icon);
  driver.HookWindow(static_cast<HWND>(nullptr));
  FramePump();
  const std::vector<HMENU> expected = {system, ::GetSubMenu(frame_->m_menu, 0), system};
  EXPECT_EQ(shown, expected);
  EXPECT_TRUE(kittest::OpenPopups().empty());
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_TRUE(::IsWindow(frame_->m_hWnd));
}

}  // namespace
