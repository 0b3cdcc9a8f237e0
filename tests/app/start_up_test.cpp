// Start-up and shutdown: what the first start shows, the bars and their
// commands, the wheel routing, the stored layout and the program without a display.
#include <chrono>
#include <cstdio>

#include "editor_test_support.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

using EditorStart = EditorTest;

TEST_F(EditorStart, FirstStartShowsTheFrameItsBarsAndTheStatusTexts) {
  Start();
  ASSERT_TRUE(Frame());
  EXPECT_EQ(Title().Native(), u"Untitled - Calvetta");
  EXPECT_TRUE(Frame()->m_wndMenuBar.m_hWnd);
  EXPECT_TRUE(ButtonChecked(ID_MODE_FEATURE_LINE));
  EXPECT_TRUE(ButtonChecked(ID_LINE_CREATE));
  EXPECT_FALSE(ButtonChecked(ID_MODE_IMAGE_PROCESS));
  EXPECT_EQ(Pane(0), u"Ready");
  EXPECT_EQ(Pane(1), u"100 %");
  EXPECT_EQ(Pane(2), u"Trangels have not intersects");
  EXPECT_EQ(Pane(3), u"CAP");
  EXPECT_EQ(Pane(4), u"NUM");
  EXPECT_EQ(Pane(5), u"SCRL");
  // "Effect" at the bottom, "Preview and Play" on the right.
  ASSERT_TRUE(m_app->m_wndEffectBar.m_hWnd);
  EXPECT_EQ(::GetDlgCtrlID(::GetParent(m_app->m_wndEffectBar.m_hWnd)), AFX_IDW_DOCKBAR_BOTTOM);
  ASSERT_TRUE(View()->PreviewBar().m_hWnd);
  EXPECT_EQ(::GetDlgCtrlID(::GetParent(View()->PreviewBar().m_hWnd)), AFX_IDW_DOCKBAR_RIGHT);
  EXPECT_TRUE(View()->SourcePane()->IsWindowVisible());
  EXPECT_TRUE(View()->TargetPane()->IsWindowVisible());
  EXPECT_TRUE(IsRendererCreated());
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("calvetta_first_start").c_str()));
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(EditorStart, F3TogglesTheEffectBarAndItsMenuCheck) {
  Start();
  CDockPanelBar& bar = m_app->m_wndEffectBar;
  ASSERT_TRUE(bar.IsWindowVisible());
  Frame()->SetForegroundWindow();
  Frame()->SetFocus();
  compat::host::InjectKeyPress(VK_F3);
  Idle();
  EXPECT_FALSE(bar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(MenuCheck(ID_SHOW_EFFECT), 0);
  compat::host::InjectKeyPress(VK_F3);
  Idle();
  EXPECT_TRUE(bar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(MenuCheck(ID_SHOW_EFFECT), 1);
}

TEST_F(EditorStart, TheWheelZoomsThePanesExceptOverScrollBarsAndComboBoxes) {
  Start();
  CImageSlot* source = Project()->CurrentPair()->GetSourceSlot();
  const float before = source->GetZoom();
  const POINT inPane = Center(View()->SourcePane()->m_hWnd);
  Wheel(120, inPane);
  const float zoomed = source->GetZoom();
  EXPECT_GT(zoomed, before);
  CString percent;
  percent.Format(u"%d%%", static_cast<int>(zoomed * 100.0f + 0.5f));
  EXPECT_EQ(Pane(1), percent.Native()) << "the status bar follows the zoom";
  // Over a scroll bar or a combo box the wheel keeps its own meaning.
  for (const char16_t* className : {u"ScrollBar", u"ComboBox"}) {
    HWND control = ::CreateWindowExW(0, className, u"", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, View()->m_hWnd, nullptr,
                                     nullptr, nullptr);
    ASSERT_TRUE(control);
    ::SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const POINT over = Center(control);
    Wheel(120, over);
    EXPECT_EQ(source->GetZoom(), zoomed) << std::string(className, className + 3);
    ::DestroyWindow(control);
  }
  Wheel(-120, inPane);
  EXPECT_LT(source->GetZoom(), zoomed);
}

TEST_F(EditorStart, EditModeMessagesCheckTheirToolbarButtons) {
  Start();
  Frame()->SendMessage(WM_CHECK_EDIT_MODE, 0, 0);
  Frame()->SendMessage(WM_CHECK_EDIT_MODE, 0, 3);
  EXPECT_TRUE(ButtonChecked(ID_MODE_FEATURE_LINE)) << "codes 0 and 3 change nothing";
  Frame()->SendMessage(WM_CHECK_EDIT_MODE, 0, 2);
  EXPECT_TRUE(ButtonChecked(ID_MODE_FEATURE_LINE));
  // Figure tools are not on the main toolbar: the messages are harmless.
  for (int tool : {0, 1, 2, 5}) Frame()->SendMessage(WM_CHECK_FIGURE_TOOL, 0, tool);
  EXPECT_TRUE(ButtonChecked(ID_LINE_CREATE));
}

}  // namespace
}  // namespace apptest
