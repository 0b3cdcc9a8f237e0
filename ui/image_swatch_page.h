// CImageSwatchPage (dialog 2027): the palette's page for picture fills: the
// current picture in an icon with its path and a browse button, above a
// two-column list of picture swatches ("ImageTexture.dat").
#pragma once

#include "ui/swatch_page.h"

class CImageSwatchPage : public CSwatchPage {
  DECLARE_DYNAMIC(CImageSwatchPage)

 public:
  CImageSwatchPage();

  void PrepareCurrentFill() override;
  // Asks for picture files (several at once) and adds each that exists.
  void AddSwatch() override;
  CString GetImagePath();
  void SetImagePath(const CString& path);

  CString m_imagePath;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void ShowImage();
  afx_msg void OnBrowse();
  afx_msg void OnDestroy();
  DECLARE_MESSAGE_MAP()
};
