// Start-up and shutdown: what the first start shows, the bars and their
// commands, the wheel routing, the stored layout and the program without a display.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "editor_test_support.h"
#include "controls/tl_curver_ctrl.h"
#include "imaging/image_file.h"
#include "render/d3d_renderer.h"
#include "model/outline/editable_path.h"
#include "platform/file_watch.h"
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
  EXPECT_EQ(Pane(1), u"50%");  // the zoom the empty pair shows, not the indicator's placeholder
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

// The view fills its panes and renders before it places them, and the
// renderer takes the preview's size when it is made: the view hears of the
// preview's size only when it changes.
struct SeenMessage {
  HWND hwnd;
  UINT message;
  LPARAM lParam;
  bool sized;        // a WM_WINDOWPOSCHANGED that changed the size
  CSize renderView;  // where the renderer drew at that moment
  CSize preview;     // and the client size of the window it draws on
};
std::vector<SeenMessage> g_seen;
LRESULT CALLBACK RecordViewMessages(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && (sent->message == WM_PANE_RESIZED || sent->message == WM_WINDOWPOSCHANGED)) {
    SeenMessage seen{sent->hwnd, sent->message, sent->lParam, false, CSize(0, 0), CSize(0, 0)};
    if (sent->message == WM_WINDOWPOSCHANGED)
      seen.sized = (reinterpret_cast<const WINDOWPOS*>(sent->lParam)->flags & SWP_NOSIZE) == 0;
    if (CD3DMeshRenderer* renderer = GetRenderer()) {
      seen.renderView = CRect(renderer->m_viewRect).Size();
      CRect client;
      if (renderer->m_window) renderer->m_window->GetClientRect(&client);
      seen.preview = client.Size();
    }
    g_seen.push_back(seen);
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(EditorStart, ThePanesArePlacedAfterTheRendererTookThePreviewsSize) {
  g_seen.clear();
  HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, RecordViewMessages, nullptr, ::GetCurrentThreadId());
  Start();
  ::UnhookWindowsHookEx(hook);
  const HWND view = View()->m_hWnd, source = View()->SourcePane()->m_hWnd;
  const auto preview = reinterpret_cast<LPARAM>(View()->PreviewWindow()->m_preview.m_hWnd);
  const auto placed = std::find_if(g_seen.begin(), g_seen.end(), [&](const SeenMessage& m) {
    return m.hwnd == source && m.message == WM_WINDOWPOSCHANGED && m.sized && m.preview.cx > 0;
  });
  ASSERT_NE(placed, g_seen.end());
  for (auto m = g_seen.begin(); m != placed; ++m)
    EXPECT_FALSE(m->hwnd == view && m->message == WM_PANE_RESIZED && m->lParam == preview)
        << "a preview size report before the panes were placed";
  EXPECT_EQ(placed->renderView, placed->preview);
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

namespace apptest {
namespace {

TEST_F(EditorStart, APaneWithoutSizeTakesNoWheelZoom) {
  Start();
  CImageSlot* source = Project()->CurrentPair()->GetSourceSlot();
  const float before = source->GetZoom();
  // The view lays its panes out again when one reports a new size; keep this
  // one quiet so that it stays without size, as before the first layout.
  View()->SourcePane()->m_bNotifyOnSize = 0;
  View()->SourcePane()->MoveWindow(0, 0, 0, 0);
  View()->OnMouseWheelRouted(120);
  View()->SourcePane()->m_bNotifyOnSize = 1;
  EXPECT_EQ(source->GetZoom(), before);
}

TEST_F(EditorStart, ClosingWithAPaneHiddenKeepsTheRememberedSplit) {
  const int32_t record[3] = {7, 9, 200};
  SaveSetting(u"Spliter", reinterpret_cast<const BYTE*>(record), sizeof record);
  Start();
  CRect source;
  View()->SourcePane()->GetWindowRect(&source);
  EXPECT_EQ(source.Width(), 200);
  View()->TargetPane()->ShowWindow(SW_HIDE);
  View()->RecalcPaneLayout(nullptr);
  Exit();
  BYTE* bytes = nullptr;
  int count = 0;
  ASSERT_TRUE(LoadSetting(u"Spliter", &bytes, &count));
  ASSERT_EQ(count, 12);
  int32_t saved[3] = {};
  std::memcpy(saved, bytes, sizeof saved);
  delete[] bytes;
  EXPECT_EQ(saved[0], 7) << "the first two words are carried unchanged";
  EXPECT_EQ(saved[1], 9);
  EXPECT_EQ(saved[2], 200) << "not the full width the source pane had alone";
}

TEST_F(EditorStart, AChangedPictureOnDiskReachesTheViewAndMarksTheDocument) {
  Start();
  // The pair's picture, written again by another program as a new picture.
  const fs::path picture = fs::path(m_temp) / "watched.bmp";
  const DWORD grey[4] = {0xFF808080, 0xFF808080, 0xFF808080, 0xFF808080}, white[4] = {~0u, ~0u, ~0u, ~0u};
  ASSERT_TRUE(CImageFile().Save(Program(picture).c_str(), 0, 0, 2, 2, grey, 0));
  ASSERT_TRUE(CImageFile().Save(Program(fs::path(m_temp) / "part.bmp").c_str(), 0, 0, 2, 2, white, 0));
  Project()->CurrentPair()->SetSourceImage(Program(picture).c_str());
  SetDocumentModified(FALSE);
  ASSERT_NE(AddFileWatch(Program(picture).c_str(), View()->m_hWnd, 0), 0u);
  ASSERT_FALSE(GetMainDocument()->IsModified());
  // The watcher compares last-write times, which the file system keeps in
  // coarse ticks: two writes this close may share one. An editor saving the
  // picture later would give it a later time.
  fs::last_write_time(fs::path(m_temp) / "part.bmp", fs::last_write_time(picture) + std::chrono::seconds(2));
  fs::rename(fs::path(m_temp) / "part.bmp", picture);
  // Generous: the watcher's thread may wait long for a core on a loaded machine.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (!GetMainDocument()->IsModified() && std::chrono::steady_clock::now() < end) Idle();
  EXPECT_TRUE(GetMainDocument()->IsModified());
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

TEST_F(EditorStart, OutlineEditsInOnePaneAreMirroredOnTheOtherSide) {
  Start();
  CMorphPair* pair = Project()->CurrentPair();
  CEditablePath* source = pair->GetSourceSlot()->GetShape();
  CEditablePath* target = pair->GetTargetSlot()->GetShape();
  for (float x : {10.0f, 50.0f, 30.0f}) source->AppendPoint(CVector2(x, x / 2), nullptr);
  const LPARAM sourcePane = reinterpret_cast<LPARAM>(View()->SourcePane()->m_hWnd);
  View()->SendMessage(WM_MIRROR_SHAPE, 0, sourcePane);
  ASSERT_EQ(target->GetPointCount(), 3);
  EXPECT_EQ(target->GetState(), 2);
  View()->SendMessage(WM_MIRROR_REMOVE_POINT, 0, sourcePane);
  EXPECT_EQ(target->GetPointCount(), 2);
  View()->SendMessage(WM_MIRROR_INSERT_POINT, 0, sourcePane);
  EXPECT_EQ(target->GetPointCount(), 3);
  View()->SendMessage(WM_MIRROR_SELECT_POINT, 1, sourcePane);
  EXPECT_EQ(target->GetSelected(), 1);
  // A click on nothing clears the path's selection: the mirrored point goes too.
  View()->SendMessage(WM_MIRROR_SELECT_POINT, static_cast<WPARAM>(-1), sourcePane);
  EXPECT_EQ(target->GetSelected(), -1);
  // Indices from outside the outline change nothing.
  View()->SendMessage(WM_MIRROR_REMOVE_POINT, 99, sourcePane);
  View()->SendMessage(WM_MIRROR_INSERT_POINT, static_cast<WPARAM>(-1), sourcePane);
  EXPECT_EQ(target->GetPointCount(), 3);
  // From the target pane the source is the other side.
  View()->SendMessage(WM_MIRROR_REMOVE_POINT, 0, reinterpret_cast<LPARAM>(View()->TargetPane()->m_hWnd));
  EXPECT_EQ(source->GetPointCount(), 2);
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

// What the panes' notify-on-size flags were while the target pane was sized.
std::vector<int> g_flagsDuringSize;
WNDPROC g_targetProc = nullptr;
CPentavoView* g_view = nullptr;
LRESULT CALLBACK TargetSizeSpy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    g_flagsDuringSize.push_back(g_view->SourcePane()->m_bNotifyOnSize);
    g_flagsDuringSize.push_back(g_view->TargetPane()->m_bNotifyOnSize);
  }
  return CallWindowProcW(g_targetProc, hwnd, message, wParam, lParam);
}

TEST_F(EditorStart, APaneResizeRelaysTheOtherPaneWithoutSizeReports) {
  Start();
  g_view = View();
  CImageViewDlg* target = View()->TargetPane();
  // Put the target pane out of place without telling the view.
  target->m_bNotifyOnSize = 0;
  CRect rect;
  target->GetWindowRect(&rect);
  View()->ScreenToClient(&rect);
  target->MoveWindow(rect.left + 5, rect.top, rect.Width() - 10, rect.Height() - 10);
  target->m_bNotifyOnSize = 1;
  g_flagsDuringSize.clear();
  g_targetProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(target->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(TargetSizeSpy)));
  View()->SendMessage(WM_PANE_RESIZED, 0, reinterpret_cast<LPARAM>(View()->SourcePane()->m_hWnd));
  SetWindowLongPtrW(target->m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_targetProc));
  ASSERT_GE(g_flagsDuringSize.size(), 2u) << "the layout put the target pane back";
  EXPECT_EQ(g_flagsDuringSize[0], 0);
  EXPECT_EQ(g_flagsDuringSize[1], 0);
  EXPECT_EQ(View()->SourcePane()->m_bNotifyOnSize, 1);
  EXPECT_EQ(target->m_bNotifyOnSize, 1);
}

TEST_F(EditorStart, RenderingTheCurrentPairMovesTheTimelineCursor) {
  Start();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_GT(pair->GetFrameCount(), 3);
  pair->SetCurrentFrame(3);
  auto* curve = dynamic_cast<controls::CTLCurverCtrl*>(
      CWnd::FromHandlePermanent(::GetDlgItem(View()->PreviewWindow()->m_timeLineBar.m_hWnd, 1009)));
  ASSERT_NE(curve, nullptr);
  curve->SetCurrentFrame(0);
  View()->SendMessage(WM_RENDER_CURRENT);
  EXPECT_EQ(curve->GetCurrentFrame(), 3);
}

}  // namespace
}  // namespace apptest
