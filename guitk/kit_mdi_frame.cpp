// The toolkit's multiple-document frame: the styled frame's behaviour on the
// framework's MDI frame, through the pieces both frames share.
#include "guitk/kit_mdi_frame.h"

IMPLEMENT_DYNCREATE(CKitMDIFrame, CMDIFrameWnd)

// The theme flag is written on closing but not read here: the frame keeps
// the theme the application has.
BOOL CKitMDIFrame::PreCreateWindow(CREATESTRUCT& cs) {
  KitPlaceFrame(cs, MainSection(), false);
  return CMDIFrameWnd::PreCreateWindow(cs);
}

BOOL CKitMDIFrame::CreateClient(LPCREATESTRUCT lpCreateStruct, CMenu* pWindowMenu) {
  if (!CMDIFrameWnd::CreateClient(lpCreateStruct, pWindowMenu)) return FALSE;
  return m_wndTabs.Create(0, CRect(0, 0, 0, 0), this, kTabsId);
}

void CKitMDIFrame::RecalcLayout(BOOL bNotify) {
  // The bars take their room in window order: the tabs go last.
  if (m_wndTabs.m_hWnd && ::GetWindow(m_wndTabs.m_hWnd, GW_HWNDLAST) != m_wndTabs.m_hWnd)
    m_wndTabs.SetWindowPos(&CWnd::wndBottom, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  CMDIFrameWnd::RecalcLayout(bNotify);
}

void CKitMDIFrame::SetDrawStyle(UINT style) {
  if (m_wndTabs.m_hWnd) m_wndTabs.SetStyle(static_cast<int>(style));
  CKitFrameOf<CMDIFrameWnd>::SetDrawStyle(style);
}

BOOL CKitMDIFrame::DestroyWindow() {
  KitSaveFrame(this, m_strProfileBase, MainSection());
  return CMDIFrameWnd::DestroyWindow();
}

