// CDockPanelBar: the toolkit bar whose client area its one panel fills.
#include "app/dock_panel_bar.h"

#include <algorithm>

#include "guitk/kit_colors.h"

IMPLEMENT_DYNAMIC(CDockPanelBar, CKitControlBar)

BEGIN_MESSAGE_MAP(CDockPanelBar, CKitControlBar)
ON_WM_SIZE()
END_MESSAGE_MAP()

void CDockPanelBar::SetDrawStyle(UINT style) {
  m_nDrawStyle = static_cast<int>(style);
  m_clrFace = GetFaceColor(m_nDrawStyle);
  if (!m_hWnd) return;
  SendMessage(WM_NCPAINT);
  InvalidateRect(nullptr, TRUE);
  UpdateWindow();
}

void CDockPanelBar::OnSize(UINT nType, int cx, int cy) {
  CKitControlBar::OnSize(nType, std::clamp(cx, 2, kMaxPanelWidth), std::clamp(cy, 2, kMaxPanelHeight));
  if (!m_pHosted || !m_pHosted->m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  m_pHosted->MoveWindow(client.left, client.top, std::min(client.Width(), kMaxPanelWidth),
                        std::min(client.Height(), kMaxPanelHeight));
  m_pHosted->ShowWindow(SW_SHOW);
}

BOOL CreateDockingPanel(CDockPanelBar& bar, LPCTSTR title, UINT controlId, UINT dockBarId) {
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  if (!frame || !bar.Create(title, WS_CHILD | WS_VISIBLE, frame, controlId)) return FALSE;
  // The bar's object belongs to its owner (the application or the view), not to its window.
  bar.m_bAutoDelete = FALSE;
  bar.SetBarStyle(bar.GetBarStyle() | CBRS_TOOLTIPS | CBRS_FLYBY | CBRS_SIZE_DYNAMIC);
  bar.EnableDocking(CBRS_ALIGN_ANY);
  bar.SetDrawStyle(0x8001);
  frame->DockControlBar(&bar, dockBarId, nullptr);
  return TRUE;
}
