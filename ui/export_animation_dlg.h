// CExportAnimationDlg, "Export animation": the output format, frames per
// second, GIF transparency and JPEG quality; "Render" asks for the output
// file and runs the export in the render thread, and the same button reads
// "Stop" while it runs.
#pragma once

#include "compat/afx.h"

class CExportFrameSource;
class CRenerThread;

class CExportAnimationDlg : public CDialog {
 public:
  explicit CExportAnimationDlg(CWnd* pParent = nullptr);
  ~CExportAnimationDlg() override;

  BOOL IsRendering() const { return m_bRendering; }
  // Where the export's frames come from; the pairs' frame grabs when null.
  void SetFrameSource(CExportFrameSource* source) { m_pFrameSource = source; }

  CString m_strOutputPath;
  UINT m_nCurrentFrame = 0;
  int m_nFormat = 0;
  int m_bTransparent = 0;
  int m_nQuality = 75;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;
  void OnCancel() override;

  void OnRenderOrStop();
  BOOL AskOutputFile(int format);
  CString StartFolder() const;
  void SetRenderingState();
  void StopRender();
  // Waits for the last export's thread to end and deletes its object.
  void ReleaseThread();
  void SetButtonText(BOOL rendering);
  void ForgetExportsNumber();

  afx_msg void OnUpdateValues();
  afx_msg LRESULT OnRenderProgress(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()

  int m_bRendering = 0;
  CRenerThread* m_pRenderThread = nullptr;
  CExportFrameSource* m_pFrameSource = nullptr;
  LPARAM m_nShownProgress = 0;  // the last number an export showed in the frame field
};
