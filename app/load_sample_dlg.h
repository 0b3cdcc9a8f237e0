// CLoadSampleDlg: offers the sample projects of the program's "Sample"
// folder at start-up and on "Load Sample"; OK opens the chosen one.
#pragma once

#include <vector>

#include "compat/afx.h"

class CLoadSampleDlg : public CDialog {
 public:
  // Reads the "do not show" flag from the setting "ShowNextTime".
  explicit CLoadSampleDlg(CWnd* parent = nullptr);

  // 0 without showing anything when the user asked not to see it.
  INT_PTR DoModalIfWanted();

  CListBox m_list;
  BOOL m_bDoNotShow = FALSE;

 private:
  // The projects in list order; the list shows them as the user writes paths.
  std::vector<CString> m_paths;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnListDoubleClick();
  DECLARE_MESSAGE_MAP()
};
