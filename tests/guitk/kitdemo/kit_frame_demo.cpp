// kitdemo's toolkit frame.
#include "kit_frame_demo.h"

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
    DockControlBar(&m_wndMenuBar, kKitDockTop);
  }
  if (m_wndToolBar.m_hWnd) {
    m_wndToolBar.EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_wndToolBar, kKitDockTop);
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

}  // namespace kitdemo
