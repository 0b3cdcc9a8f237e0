// CDockPanelBar: a toolkit docking bar that hosts one dialog panel (the
// "Effect" bar with the transition panel, "Preview and Play" with its window).
#pragma once

#include "guitk/kit_control_bar.h"

class CDockPanelBar : public CKitControlBar {
  DECLARE_DYNAMIC(CDockPanelBar)

 public:
  // The hosted panel is never larger than this.
  static constexpr int kMaxPanelWidth = 1024;
  static constexpr int kMaxPanelHeight = 768;

  virtual void SetDrawStyle(UINT style);
  // Not owned: the owner sets it right after creating the panel.
  void SetHostedWindow(CWnd* window) { m_pHosted = window; }
  CWnd* GetHostedWindow() const { return m_pHosted; }

 protected:
  CWnd* m_pHosted = nullptr;

  afx_msg void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()
};

// Creates `bar` on the main frame with its title and control id, in the
// toolkit's look, and docks it on the dock bar `dockBarId`. FALSE when the
// bar could not be made (start-up goes on without it).
BOOL CreateDockingPanel(CDockPanelBar& bar, LPCTSTR title, UINT controlId, UINT dockBarId);
