// The framework's dialogs: CDialog (modal through the framework's own modal
// loop, modeless and child dialogs through Create), CPropertyPage run as a
// dialog, and AfxMessageBox.
#pragma once

#include "compat/afx/wnd.h"

class CDataExchange;

class CDialog : public CWnd {
  DECLARE_DYNAMIC(CDialog)

 public:
  CDialog() = default;
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Modeless or child dialogs from the template (the program's resources first).
  virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  virtual BOOL Create(LPCTSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
  BOOL CreateIndirect(LPCDLGTEMPLATE lpDialogTemplate, CWnd* pParentWnd = nullptr);
  // Runs the dialog with its owner (the parent, else the main window) disabled;
  // -1 when the template or one of its classes is missing.
  virtual INT_PTR DoModal();

  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(int nResult);

  DWORD GetDefID() const;
  void SetDefID(UINT nID);
  void NextDlgCtrl() const;
  void PrevDlgCtrl() const;
  void GotoDlgCtrl(CWnd* pWndCtrl);
  void MapDialogRect(LPRECT lpRect) const;

  BOOL PreTranslateMessage(MSG* pMsg) override;

  LPCTSTR m_lpszTemplateName = nullptr;
  UINT m_nIDHelp = 0;
  CWnd* m_pParentWnd = nullptr;

 protected:
  // The window a modal run disabled, given back before the dialog goes.
  HWND m_hWndOwnerDisabled = nullptr;
  bool m_bInDoModal = false;
  BOOL CreateFromResource(LPCTSTR lpszTemplateName, HWND hWndParent);
  DECLARE_MESSAGE_MAP()
};

// A page run as a dialog of its own: the program uses pages as modal popups.
class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)

 public:
  CPropertyPage() = default;
  explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);
  explicit CPropertyPage(LPCTSTR lpszTemplateName, UINT nIDCaption = 0);

  UINT m_nIDCaption = 0;
};

// The framework's dialog procedure: WM_INITDIALOG goes to OnInitDialog.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// A message box owned by the main window, captioned with the application's title.
int AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

#define AFX_IDS_APP_TITLE 0xE000
