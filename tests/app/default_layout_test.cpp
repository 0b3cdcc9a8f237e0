// The factory layout "cMDefault.ini" that ships beside the program. It is the
// profile of a scripted editor run that arranges the default layout and
// exits; with CALVETTA_REGENERATE_LAYOUT=1 that run rewrites data/cMDefault.ini
// in the source tree. The program itself only ever reads the file.
#include <cstdlib>

#include "editor_test_support.h"
#include "guitk/kit_dock_bar.h"
#include "res/resource.h"

namespace apptest {
namespace {

const fs::path kCommitted = fs::path(CALVETTA_SOURCE_DIR) / "data" / "cMDefault.ini";

class DefaultLayout : public EditorTest {
 protected:
  static UINT DockOf(CControlBar& bar) { return static_cast<UINT>(::GetDlgCtrlID(::GetParent(bar.m_hWnd))); }
  static bool Visible(CControlBar& bar) { return (bar.GetStyle() & WS_VISIBLE) != 0; }

  // How far down the transition panel its "Warp mode" combo reaches.
  int WarpModeRowBottom() {
    constexpr int kWarpMode = 1030;
    CRect panel, combo;
    m_app->m_transitionPanel.GetWindowRect(&panel);
    ::GetWindowRect(::GetDlgItem(m_app->m_transitionPanel.m_hWnd, kWarpMode), &combo);
    return combo.bottom - panel.top;
  }
  // The transition panel's template width in pixels.
  int PanelWidth() {
    CRect place(0, 0, kPanelWidthUnits, 1);
    m_app->m_transitionPanel.MapDialogRect(&place);
    return place.Width();
  }
  // The panel's template is 206 dialog units wide; the Preview and Play bar
  // needs room for the timeline's 220-pixel toolbar and its labels.
  static constexpr int kPanelWidthUnits = 206;
  static constexpr int kPreviewWidth = 250;
  static constexpr int kScreenWidth = 1280, kScreenHeight = 1024;

  // The transition panel's controls down to both effects' settings, and the
  // timeline's toolbar, whole on the screen.
  void ExpectEveryPanelControlShown(int screenWidth = kScreenWidth, int screenHeight = kScreenHeight) {
    CRect shown;
    m_app->m_wndEffectBar.GetClientRect(&shown);
    m_app->m_wndEffectBar.ClientToScreen(&shown);
    shown.IntersectRect(&shown, CRect(0, 0, screenWidth, screenHeight));
    const HWND panel = m_app->m_transitionPanel.m_hWnd;
    std::vector<HWND> controls;
    for (int id : {1014, 1030, 1031, 1035, 1036, 1025, 1044, 1040, 1023, 1049, 1024, 1060, 1061, 1037, 1062, 1063, 1038})
      controls.push_back(::GetDlgItem(panel, id));
    // And the settings of both effects' dialogs.
    for (int side = 0; side < 2; ++side)
      if (CDialog* hosted = m_app->m_transitionPanel.GetHostedDialog(side))
        for (HWND child = ::GetWindow(hosted->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
          if (::IsWindowVisible(child)) controls.push_back(child);
    for (HWND control : controls) {
      ASSERT_NE(control, nullptr);
      const int id = ::GetDlgCtrlID(control);
      CRect rect, inside;
      ::GetWindowRect(control, &rect);
      inside.IntersectRect(&rect, &shown);
      EXPECT_EQ(inside, rect) << "control " << id << " is not shown whole: " << rect.top << ".." << rect.bottom << " in " << shown.top << ".." << shown.bottom;
    }
    CRect preview;
    View()->PreviewBar().GetClientRect(&preview);
    EXPECT_GE(preview.Width(), 220) << "the timeline's toolbar fits its bar";
  }

  // Every bar where the default layout has it.
  void ExpectDefaultLayout() {
    CMainFrame* frame = Frame();
    EXPECT_EQ(frame->m_wndMenuBar.GetParent(), frame) << "the menu bar is never docked";
    EXPECT_EQ(DockOf(frame->m_wndToolBar), kKitOuterTop);
    EXPECT_EQ(DockOf(m_app->m_wndEffectBar), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));
    EXPECT_EQ(DockOf(View()->PreviewBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
    for (CControlBar* bar : {static_cast<CControlBar*>(&frame->m_wndMenuBar),
                             static_cast<CControlBar*>(&frame->m_wndToolBar),
                             static_cast<CControlBar*>(&m_app->m_wndEffectBar),
                             static_cast<CControlBar*>(&View()->PreviewBar())})
      EXPECT_TRUE(Visible(*bar)) << bar->GetDlgCtrlID();
  }

  // The scripted run: a first start, every bar put in its default place
  // explicitly (so the file does not depend on the creation order), then the
  // exit that writes the profile.
  Bytes ArrangeAndSave() {
    ClearProgramFiles();
    StoreShowNextTime(1);
    compat::ResetDesktop(kScreenWidth, kScreenHeight);
    Start();
    CMainFrame* frame = Frame();
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    frame->MoveWindow(work.left, work.top, work.right - work.left, work.bottom - work.top);
    frame->DockControlBar(&frame->m_wndToolBar, kKitOuterTop);
    frame->DockControlBar(&m_app->m_wndEffectBar, AFX_IDW_DOCKBAR_LEFT);
    frame->DockControlBar(&View()->PreviewBar(), AFX_IDW_DOCKBAR_RIGHT);
    for (CControlBar* bar : {static_cast<CControlBar*>(&m_app->m_wndEffectBar),
                             static_cast<CControlBar*>(&View()->PreviewBar())})
      frame->ShowControlBar(bar, TRUE, FALSE);
    frame->RecalcLayout();
    Idle();
    // On the left, as high as the frame, the Effect bar shows the whole width
    // of the transition panel: the pair's fields, the pictures and both
    // effects with their settings.
    CRect bar, client;
    m_app->m_wndEffectBar.GetWindowRect(&bar);
    m_app->m_wndEffectBar.GetClientRect(&client);
    m_app->m_wndEffectBar.m_sizeVert.cx = PanelWidth() + bar.Width() - client.Width();
    View()->PreviewBar().m_sizeVert.cx = kPreviewWidth;
    frame->RecalcLayout();
    Idle();
    ExpectDefaultLayout();
    Exit();
    return ReadBytes(ProgramFolder() / "cM.ini");
  }
};

TEST_F(DefaultLayout, RegeneratedOnRequestTheSameEachTime) {
  const char* wanted = std::getenv("CALVETTA_REGENERATE_LAYOUT");
  if (!wanted || std::string(wanted) != "1") GTEST_SKIP() << "CALVETTA_REGENERATE_LAYOUT=1 rewrites " << kCommitted;
  const Bytes first = ArrangeAndSave();
  const Bytes second = ArrangeAndSave();
  ASSERT_FALSE(first.empty());
  ASSERT_EQ(first, second) << "the scripted run must give the same bytes every time";
  WriteBytes(kCommitted, first);
}

TEST_F(DefaultLayout, LoadingTheShippedFileGivesTheDefaultLayoutAndLeavesItAsItWas) {
  const Bytes shipped = ReadBytes(kCommitted);
  ASSERT_FALSE(shipped.empty()) << kCommitted;
  // The build puts the file beside the program.
  EXPECT_EQ(ReadBytes(ProgramFolder().parent_path() / "bin" / "cMDefault.ini"), shipped);
  WriteBytes(ProgramFolder() / "cMDefault.ini", shipped);

  Start();
  CMainFrame* frame = Frame();
  // A user's own arrangement: the Effect bar hidden, the preview on the left.
  frame->DockControlBar(&View()->PreviewBar(), AFX_IDW_DOCKBAR_LEFT);
  frame->ShowControlBar(&m_app->m_wndEffectBar, FALSE, FALSE);
  Idle();
  ASSERT_EQ(DockOf(View()->PreviewBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT));

  // Every bar the file names is one of the frame's.
  CString profile = m_app->m_pszProfileName;
  std::free(const_cast<TCHAR*>(m_app->m_pszProfileName));
  m_app->m_pszProfileName = _wcsdup(Program(ProgramFolder() / "cMDefault.ini").c_str());
  CDockState state;
  state.LoadState(u"Calvetta");
  std::free(const_cast<TCHAR*>(m_app->m_pszProfileName));
  m_app->m_pszProfileName = _wcsdup(profile);
  ASSERT_GT(state.m_arrBarInfo.GetSize(), 0) << "the file holds a dock state";
  int named = 0;
  for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); ++i) {
    auto* info = static_cast<CControlBarInfo*>(state.m_arrBarInfo[i]);
    EXPECT_NE(frame->GetControlBar(info->m_nBarID), nullptr) << info->m_nBarID;
    for (INT_PTR slot = 0; slot < info->m_arrBarID.GetSize(); ++slot) {
      const UINT id = static_cast<UINT>(reinterpret_cast<UINT_PTR>(info->m_arrBarID[slot])) & 0xFFFF;
      if (id == 0) continue;
      EXPECT_NE(frame->GetControlBar(id), nullptr) << id;
      ++named;
    }
  }
  EXPECT_GE(named, 3) << "toolbar, Effect and Preview and Play";

  frame->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  ExpectDefaultLayout();
  CRect client;
  m_app->m_wndEffectBar.GetClientRect(&client);
  EXPECT_GE(client.Height(), WarpModeRowBottom()) << "the Effect bar shows the panel down to the warp mode";
  Frame()->UpdateWindow();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("default_layout").c_str()));
  Exit();
  EXPECT_EQ(ReadBytes(ProgramFolder() / "cMDefault.ini"), shipped);
}

// On the screen the factory layout is made for, the Effect bar shows all the
// pair's controls of the transition panel whole, the places of both effects'
// settings included.
TEST_F(DefaultLayout, OnAFullSizeScreenTheEffectBarShowsEveryControlOfThePanel) {
  WriteBytes(ProgramFolder() / "cMDefault.ini", ReadBytes(kCommitted));
  compat::ResetDesktop(kScreenWidth, kScreenHeight);
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  ExpectDefaultLayout();
  ExpectEveryPanelControlShown();
  Frame()->UpdateWindow();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("default_layout_full_screen").c_str()));
}

// On a 1024x768 screen, the frame maximised with its caption's button, the
// Effect bar still shows every control of the panel, both effects with the
// settings of their dialogs included, and the Out effect's list opens.
TEST_F(DefaultLayout, OnA1024x768ScreenMaximisedTheEffectBarShowsEveryControlOfThePanel) {
  WriteBytes(ProgramFolder() / "cMDefault.ini", ReadBytes(kCommitted));
  compat::ResetDesktop(1024, 768);
  Start();
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  CRect frame;
  Frame()->GetWindowRect(&frame);
  const POINT maximise{frame.right - 32, frame.top + 13};
  compat::host::InjectMouseMove(maximise.x, maximise.y);
  compat::host::InjectClick(0, maximise.x, maximise.y);
  Idle();
  ASSERT_TRUE(Frame()->IsZoomed());
  // Effects whose dialogs are drawn taller than what they show.
  const HWND panel = m_app->m_transitionPanel.m_hWnd;
  for (int combo : {1060, 1062}) {
    const int item = static_cast<int>(::SendDlgItemMessageW(panel, combo, CB_FINDSTRINGEXACT, -1,
                                                            reinterpret_cast<LPARAM>(combo == 1060 ? u"Wave" : u"Tile")));
    ::SendDlgItemMessageW(panel, combo, CB_SETCURSEL, item, 0);
    ::SendMessageW(panel, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(::GetDlgItem(panel, combo)));
  }
  Idle();
  ExpectEveryPanelControlShown(1024, 768);
  const HWND out = ::GetDlgItem(panel, 1062);
  const POINT at = Center(out);
  compat::host::InjectMouseMove(at.x, at.y);
  compat::host::InjectClick(0, at.x, at.y);
  Idle();
  EXPECT_TRUE(::SendMessageW(out, CB_GETDROPPEDSTATE, 0, 0)) << "a click opens the Out effect's list";
  compat::host::InjectKeyPress(VK_ESCAPE);
  Idle();
  Frame()->UpdateWindow();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("default_layout_1024x768").c_str()));
}

// A first start keeps the layout the bars are made in (the factory layout
// comes only from Window > Load default windows layout): maximised, both
// panes have room beside the bars, and so do they at the next start.
TEST_F(DefaultLayout, AFirstStartKeepsTheCreationLayout) {
  WriteBytes(ProgramFolder() / "cMDefault.ini", ReadBytes(kCommitted));
  compat::ResetDesktop(kScreenWidth, kScreenHeight);
  const auto expectRoomyPanes = [this](const char* when) {
    EXPECT_EQ(DockOf(m_app->m_wndEffectBar), static_cast<UINT>(AFX_IDW_DOCKBAR_BOTTOM)) << when;
    EXPECT_EQ(DockOf(View()->PreviewBar()), static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT)) << when;
    for (CImageViewDlg* pane : {View()->SourcePane(), View()->TargetPane()}) {
      CRect rect;
      pane->GetWindowRect(&rect);
      EXPECT_GE(rect.Width(), 150) << when;
      EXPECT_GE(rect.Height(), 150) << when;
    }
  };
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Idle();
  expectRoomyPanes("maximised at the first start");
  Frame()->UpdateWindow();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("first_start_layout").c_str()));
  Exit();
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Idle();
  expectRoomyPanes("maximised at the next start");
}

}  // namespace
}  // namespace apptest
