// kitdemo's toolkit frame.
#include "kit_frame_demo.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "compat/host.h"

#include "guitk/kit_colors.h"
#include "res/resource.h"

namespace kitdemo {

namespace {

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

}  // namespace

BEGIN_MESSAGE_MAP(CKitDemoKitFrame, CKitFrameWnd)
ON_WM_CREATE()
END_MESSAGE_MAP()

CKitDemoKitFrame::CKitDemoKitFrame(const Description& description) : m_description(description) {}

BOOL CKitDemoKitFrame::Build() {
  if (!LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | WS_VISIBLE)) return FALSE;
  SetWindowText(m_description.title.c_str());
  m_bAutoMenuEnable = FALSE;
  LoadDefaultLayout();
  RecalcLayout();
  return TRUE;
}

int CKitDemoKitFrame::OnCreate(LPCREATESTRUCT lpcs) {
  if (CKitFrameWnd::OnCreate(lpcs) == -1) return -1;
  if (m_description.menu && CreateKitMenuBar(m_description.menu) == -1) return -1;
  if (!m_description.toolbars.empty() && CreateKitToolBar(m_description.toolbars.front()) == -1) return -1;
  if (m_description.statusBar) {
    if (!m_wndStatusBar.Create(this) || !m_wndStatusBar.SetIndicators(kIndicators, 4)) return -1;
  }
  EnableKitDocking(CBRS_ALIGN_ANY);
  // The menu bar lies above the toolbar in the outer top ring.
  if (m_wndMenuBar.m_hWnd) {
    m_wndMenuBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndMenuBar, kKitOuterTop);
  }
  if (m_wndToolBar.m_hWnd) {
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, kKitOuterTop);
  }
  for (const Description::DockingBar& wanted : m_description.dockingBars) {
    auto* bar = new CDemoDockingBar;
    if (!bar->Create(wanted.title.c_str(), WS_CHILD | WS_VISIBLE | CBRS_SIZE_DYNAMIC, this, wanted.id)) {
      delete bar;
      return -1;
    }
    bar->m_bAutoDelete = TRUE;
    bar->EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(bar, KitInnerDockBar(this, wanted.side), nullptr);
    m_dockingBars.push_back(bar);
  }
  SetDrawStyle(static_cast<UINT>(g_kitDrawStyle));
  return 0;
}

BOOL CKitDemoKitFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (nCode == static_cast<int>(CN_UPDATE_COMMAND_UI)) {
    auto* ui = static_cast<CCmdUI*>(pExtra);
    auto it = m_description.states.find(nID);
    const CommandState state = it == m_description.states.end() ? CommandState::Enabled : it->second;
    ui->Enable(state != CommandState::Disabled);
    if (state == CommandState::Radio) ui->SetRadio(TRUE);
    if (state == CommandState::Checked) ui->SetCheck(1);
    return TRUE;
  }
  if (nCode == CN_COMMAND && nID < 0xF000) {
    m_commands.push_back(nID);  // the demo's commands do nothing else
    return TRUE;
  }
  return CKitFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

namespace {

class DemoApp : public CWinApp {
 public:
  DemoApp(const std::u16string& name, const std::u16string& profile) : CWinApp(name.c_str()) {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(profile.c_str());
  }
};

std::u16string PlatformPath(const std::string& host) {
  std::u16string path;
  for (unsigned char c : host) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  return path;
}

}  // namespace

int RunKitFrame(const Description& description, const std::string& dump, const std::string& pngDir, bool tour) {
  // Without a profile of its own the demo keeps its layout in a scratch file.
  std::string scratch;
  std::string profile = description.profileFile;
  if (profile.empty()) {
    char pattern[] = "/tmp/kitdemo_XXXXXX";
    const int fd = mkstemp(pattern);
    if (fd >= 0) close(fd);
    scratch = profile = pattern;
  }
  int result = 0;
  {
    DemoApp app(description.profileName, PlatformPath(profile));
    auto* frame = new CKitDemoKitFrame(description);
    if (!frame->Build()) {
      std::fprintf(stderr, "kitdemo: the toolkit frame could not be made\n");
      if (!scratch.empty()) std::remove(scratch.c_str());
      return 1;
    }
    app.m_pMainWnd = frame;
    compat::PumpMessages();
    if (!dump.empty()) {
      const std::string tree = DumpWindowTree(frame->m_hWnd);
      if (dump == "-") std::fputs(tree.c_str(), stdout);
      else if (!(std::ofstream(dump) << tree)) result = 1;
    }
    if (!pngDir.empty() && !compat::WriteWindowPng(frame->m_hWnd, (pngDir + "/kitdemo_kit_frame.png").c_str())) result = 1;
    if (tour) {
      frame->MoveWindow(10, 10, 700, 460);
      // The second sizable bar floats and the third hides as a tab on its edge.
      if (frame->m_dockingBars.size() > 1) frame->FloatControlBar(frame->m_dockingBars[1], CPoint(480, 300));
      if (frame->m_dockingBars.size() > 2) frame->m_dockingBars[2]->EnterAutoHide();
      frame->RecalcLayout();
      compat::PumpMessages();
      // The File popup opened by its title, and the whole desktop taken while it shows.
      KitMenuDriver driver;
      driver.HookWindow(frame->m_hWnd);
      bool written = false;
      driver.steps.push_back([] {});
      driver.steps.push_back([&] {
        std::string error;
        written = compat::host::WriteDesktopPng(pngDir + "/kitdemo_tour.png", &error);
        if (!written) std::fprintf(stderr, "kitdemo: %s\n", error.c_str());
      });
      frame->m_wndMenuBar.SendMessage(WM_COMMAND, 100, reinterpret_cast<LPARAM>(frame->m_wndMenuBar.m_hWnd));
      driver.HookWindow(static_cast<HWND>(nullptr));
      if (!written) result = 1;
    }
    frame->DestroyWindow();
    app.m_pMainWnd = nullptr;
  }
  if (!scratch.empty()) std::remove(scratch.c_str());
  return result;
}

}  // namespace kitdemo
