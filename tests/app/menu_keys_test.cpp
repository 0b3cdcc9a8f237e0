// The editor's menu bar as a newcomer meets it: a click on a title near the
// screen's bottom, F10 and the accelerators, arrows and Alt with a menu open,
// the File menu after the default layout, and the titles while a floating
// panel is active.
#include <deque>
#include <functional>

#include "editor_test_support.h"
#include "guitk/menu_bar.h"
#include "guitk/subclass_wnd.h"
#include "res/resource.h"

namespace apptest {
namespace {

// On the frame: the commands that reach it (eaten, so that none opens a
// dialog), and steps taken each time a menu loop waits for input; with no
// step left the menu ends.
class FrameWatch : public CSubclassWnd {
 public:
  std::vector<UINT> commands;
  std::deque<std::function<void()>> steps;
  HMENU lastPopup = nullptr;
  bool eat = true;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_INITMENUPOPUP && !HIWORD(lParam)) lastPopup = reinterpret_cast<HMENU>(wParam);
    if (eat && message == WM_COMMAND && lParam == 0 && HIWORD(wParam) <= 1) {
      commands.push_back(LOWORD(wParam));
      return 0;
    }
    if (message != WM_ENTERIDLE || wParam != MSGF_MENU) return CSubclassWnd::WindowProc(message, wParam, lParam);
    if (steps.empty()) {
      ::EndMenu();
    } else {
      auto step = std::move(steps.front());
      steps.pop_front();
      step();
      ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    }
    return 0;
  }
};

HWND OpenPopup() {
  for (HWND w = ::FindWindowExW(nullptr, nullptr, u"#32768", nullptr); w; w = ::FindWindowExW(nullptr, w, u"#32768", nullptr))
    if (::IsWindowVisible(w)) return w;
  return nullptr;
}

class EditorMenus : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    Start();
    m_watch.HookWindow(Frame()->m_hWnd);
  }
  void TearDown() override {
    if (m_app && Frame()) m_watch.HookWindow(static_cast<HWND>(nullptr));
    EditorTest::TearDown();
  }
  CMenuBar& Bar() { return Frame()->m_wndMenuBar; }
  CRect Title(int index) {
    CRect r = Bar().GetItem(index)->m_rcItem;
    Bar().ClientToScreen(&r);
    return r;
  }
  // The menu of the popup open now, or null.
  HMENU Shown() { return OpenPopup() ? m_watch.lastPopup : nullptr; }
  void Key(UINT vk) {
    compat::host::InjectKeyPress(vk);
    Idle();
  }
  FrameWatch m_watch;
};

TEST_F(EditorMenus, ATitleNearTheScreensBottomOpensItsPopupAboveAndItsClickPicksNothing) {
  // The frame moved down until its menu bar stands 100 pixels above the bottom.
  CRect frame, bar;
  Frame()->GetWindowRect(&frame);
  Bar().GetWindowRect(&bar);
  Frame()->SetWindowPos(nullptr, frame.left, frame.top + (768 - 100 - bar.top), 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  Idle();
  for (int index = 0; index < Bar().GetItemCount(); ++index) {
    const CRect title = Title(index);
    RECT popup{};
    HWND underTitle = nullptr;
    m_watch.steps.push_back([&] {
      if (HWND open = OpenPopup()) ::GetWindowRect(open, &popup);
      underTitle = ::WindowFromPoint(title.CenterPoint());
    });
    compat::host::InjectMouseMove(title.CenterPoint().x, title.CenterPoint().y);
    compat::host::InjectClick(0, title.CenterPoint().x, title.CenterPoint().y);
    Idle();
    m_watch.steps.clear();
    EXPECT_TRUE(m_watch.commands.empty()) << "title " << index << " ran " << m_watch.commands[0];
    m_watch.commands.clear();
    ASSERT_GT(popup.bottom, popup.top) << "title " << index << ": no popup stayed open";
    // Below the title when it fits, else above it; never over it.
    const bool below = popup.top >= title.bottom - 3;
    const bool above = popup.bottom <= title.top + 1;
    EXPECT_TRUE(below || above) << "title " << index << " covered: " << popup.top << ".." << popup.bottom;
    if (index == 0) {
      EXPECT_TRUE(above) << "File has no room below";
    }
    EXPECT_EQ(OpenPopup(), nullptr);
    EXPECT_NE(underTitle, nullptr);
    EXPECT_NE(::GetAncestor(underTitle, GA_ROOT), ::FindWindowExW(nullptr, nullptr, u"#32768", nullptr));
    compat::host::InjectMouseMove(500, 300);
    Idle();
  }
}

TEST_F(EditorMenus, F10IsLineEditModeAsTheModeMenuShows) {
  // The focus where a user's click leaves it: on the source picture.
  const POINT pane = Center(View()->m_hWnd);
  compat::host::InjectMouseMove(pane.x, pane.y);
  Idle();
  ::SetFocus(View()->m_hWnd);
  Key(VK_F10);
  EXPECT_EQ(m_watch.commands, std::vector<UINT>{ID_LINE_EDIT});
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_EQ(Bar().GetHotItem(), -1);
}

// The keyboard menu from the Effect panel, whose dialog keeps the keys from
// the frame: Alt alone selects File, Down opens it, Right and Left walk to
// the neighbouring menus, Escape ends it and the field has the focus again.
TEST_F(EditorMenus, AltAloneInTheEffectPanelSelectsTheBarAndArrowsWalkItsMenus) {
  HWND field = nullptr;
  ::EnumChildWindows(
      m_app->m_transitionPanel.m_hWnd,
      [](HWND child, LPARAM found) {
        WCHAR name[32] = {};
        ::GetClassNameW(child, name, 32);
        if (std::u16string(name) != u"Edit") return TRUE;
        *reinterpret_cast<HWND*>(found) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&field));
  ASSERT_NE(field, nullptr);
  const POINT at = Center(field);
  compat::host::InjectMouseMove(at.x, at.y);
  compat::host::InjectClick(0, at.x, at.y);
  Idle();
  ASSERT_EQ(::GetFocus(), field);
  Key(VK_MENU);
  EXPECT_EQ(Bar().GetTrackingState(), 1);
  EXPECT_EQ(Bar().GetHotItem(), 0);
  std::vector<HMENU> shown;
  for (UINT vk : {VK_RIGHT, VK_LEFT}) {
    m_watch.steps.push_back([&, vk] {
      shown.push_back(Shown());
      compat::host::InjectKeyPress(vk);
    });
  }
  m_watch.steps.push_back([&] {
    shown.push_back(Shown());
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  Key(VK_DOWN);
  m_watch.steps.clear();
  const HMENU menu = Bar().GetMenu();
  EXPECT_EQ(shown, (std::vector<HMENU>{::GetSubMenu(menu, 0), ::GetSubMenu(menu, 1), ::GetSubMenu(menu, 0)}));
  EXPECT_EQ(OpenPopup(), nullptr);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_EQ(::GetFocus(), field);
  // Alt twice: selected, then let go.
  Key(VK_MENU);
  Key(VK_MENU);
  EXPECT_EQ(Bar().GetTrackingState(), 0);
  EXPECT_EQ(::GetFocus(), field);
  EXPECT_TRUE(m_watch.commands.empty());
}

TEST_F(EditorMenus, AfterTheDefaultLayoutTheFileMenuListsNoRecentFile) {
  m_app->AddToRecentFileList(u"C:\\work\\one.pvk");
  m_app->AddToRecentFileList(u"C:\\work\\two.pvk");
  const CRect title = Title(0);
  auto openFile = [&] {
    compat::host::InjectMouseMove(title.CenterPoint().x, title.CenterPoint().y);
    compat::host::InjectClick(0, title.CenterPoint().x, title.CenterPoint().y);
    Idle();
  };
  openFile();  // the menu lists both files
  m_watch.eat = false;
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  m_watch.eat = true;
  const HMENU file = ::GetSubMenu(Bar().GetMenu(), 0);
  std::vector<std::u16string> texts;
  m_watch.steps.push_back([&] {
    for (int i = 0; i < ::GetMenuItemCount(file); ++i) {
      WCHAR text[128] = {};
      ::GetMenuStringW(file, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
      texts.emplace_back(text);
    }
  });
  openFile();
  ASSERT_FALSE(texts.empty());
  for (const std::u16string& text : texts) EXPECT_EQ(text.find(u".pvk"), std::u16string::npos) << compat::Utf16ToUtf8(text);
  EXPECT_EQ(::GetMenuState(file, ID_FILE_MRU_FILE1, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(::GetMenuState(file, ID_FILE_MRU_FILE1 + 1, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_NE(std::find(texts.begin(), texts.end(), u"Recent File"), texts.end());
}

TEST_F(EditorMenus, TheTitlesStayBlackWhileAFloatingPanelIsActive) {
  CControlBar& panel = m_app->m_wndEffectBar;
  Frame()->FloatControlBar(&panel, CPoint(300, 200));
  Idle();
  CFrameWnd* floating = panel.GetParentFrame();
  ASSERT_NE(floating, Frame());
  // A click on the panel's empty background, as a user brings it forward.
  CRect client;
  floating->GetClientRect(&client);
  floating->ClientToScreen(&client);
  const POINT inside{client.right - 6, client.bottom - 6};
  compat::host::InjectMouseMove(inside.x, inside.y);
  compat::host::InjectClick(0, inside.x, inside.y);
  Idle();
  ASSERT_EQ(::GetActiveWindow(), floating->m_hWnd);
  for (int i = 0; i < Bar().GetItemCount(); ++i)
    EXPECT_FALSE(Bar().GetItem(i)->m_fsState & CMenuBarItem::kInactive) << "title " << i;
  // No grey text pixel in the File title.
  const CRect title = Title(0);
  auto surface = compat::host::DesktopSurface();
  const COLORREF grey = ::GetSysColor(COLOR_GRAYTEXT);
  int greyPixels = 0, textPixels = 0;
  for (int y = title.top; y < title.bottom; ++y)
    for (int x = title.left; x < title.right; ++x) {
      const uint32_t p = surface->Row(y)[x];
      const COLORREF c = RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      greyPixels += c == grey;
      textPixels += c == ::GetSysColor(COLOR_MENUTEXT);
    }
  EXPECT_EQ(greyPixels, 0);
  EXPECT_GT(textPixels, 0);
}

}  // namespace
}  // namespace apptest
