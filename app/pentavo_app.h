// CPentavoApp: the application object. It runs the start-up sequence, owns
// the "Effect" bar with the transition panel, routes the mouse wheel to the
// main view through a thread mouse hook, and handles the application's
// commands (About, Effect window, Load Sample, web links, default layout).
#pragma once

#include "app/dock_panel_bar.h"
#include "compat/afx.h"
#include "ui/transition_panel.h"

// Where "Visite homepage" and "Support" lead.
inline constexpr const TCHAR* kHomePageAddress = u"https://example.org/calvetta/";
inline constexpr const TCHAR* kSupportAddress = u"mailto:calvetta-support@example.org";

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  BOOL OnInitDialog() override;
};

class CPentavoApp : public CWinApp {
 public:
  CPentavoApp();
  ~CPentavoApp() override;

  BOOL InitInstance() override;
  int ExitInstance() override;
  BOOL PreTranslateMessage(MSG* pMsg) override;

  static LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);
  void OnHookMouseWheel(WPARAM message, LPARAM hookStruct);

  CDockPanelBar m_wndEffectBar;
  CTransitionPanel m_transitionPanel;
  CTransitionPanel* m_pTransitionPanel = nullptr;

 protected:
  // The framework's profile becomes this file of the program folder.
  void UseProfile(const TCHAR* fileName);
  void RestoreLayout();
  BOOL CreateTransitionPanel() { return m_transitionPanel.Create(&m_wndEffectBar); }

  afx_msg void OnAppAbout();
  afx_msg void OnShowEffect();
  afx_msg void OnUpdateShowEffect(CCmdUI* pCmdUI);
  afx_msg void OnLoadSample();
  afx_msg void OnVisitHomepage();
  afx_msg void OnSupport();
  afx_msg void OnDefaultLayout();
  afx_msg void OnUpdateRecentFiles(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()
};

// Runs the application as the program does: start-up, the message loop and
// the shutdown; the program's exit status.
int RunPentavoApp(CPentavoApp& app);
