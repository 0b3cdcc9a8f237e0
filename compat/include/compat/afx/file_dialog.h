// The framework's open and save dialog. The object is the window of the
// dialog's child template (or of the empty child the hook gets): its message
// map, OnInitDialog, data exchange and GetDlgItem work on the template's
// controls, and the virtual notifications follow the file dialog's.
#pragma once

#include <string>

#include "compat/afx/coll.h"
#include "compat/afx/dialog.h"

class CFileDialog : public CDialog {
  DECLARE_DYNAMIC(CFileDialog)

 public:
  // `lpszFilter` is '|'-separated and ends "||".
  explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                       CWnd* pParentWnd = nullptr);

  INT_PTR DoModal() override;

  // While the dialog is up these ask it; afterwards they read the result.
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;
  // The chosen paths one by one (several with OFN_ALLOWMULTISELECT).
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

  OPENFILENAME m_ofn{};

 protected:
  virtual void OnInitDone() {}
  virtual void OnFileNameChange() {}
  virtual void OnFolderChange() {}
  virtual void OnTypeChange() {}
  // TRUE refuses the chosen name and keeps the dialog open.
  virtual BOOL OnFileNameOK() { return FALSE; }

  BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
  // The file dialog's own buttons end it; the template has none of its own.
  void OnOK() override {}
  void OnCancel() override {}

  BOOL m_bOpenFileDialog = TRUE;

 private:
  static UINT_PTR CALLBACK HookProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  CString AskParent(UINT message) const;

  std::u16string m_filter;
  std::u16string m_defExt;
  std::u16string m_fileBuffer;
  std::u16string m_titleBuffer;
};
