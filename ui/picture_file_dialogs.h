// The picture file dialogs: CImageFileDlg opens a picture with a preview,
// CFrameSaveFileDlg saves the current frame with its format options, and the
// colour icon's picture chooser remembers the folder of each kind of picture.
#pragma once

#include "compat/afx.h"

// The picture types every picture dialog offers.
extern const TCHAR kPictureFileFilter[];

class CImageFileDlg : public CFileDialog {
  DECLARE_DYNAMIC(CImageFileDlg)

 public:
  // The caller's flags give way to the dialog's own, as they always have.
  CImageFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                DWORD dwFlags = 0, LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

  int m_bPreview = 1;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnFileNameChange() override;
  afx_msg void OnPreview();
  // Shows the picture in the preview icon, or hides the icon.
  void ShowPreview(const CString& path);
  DECLARE_MESSAGE_MAP()
};

class CFrameSaveFileDlg : public CFileDialog {
  DECLARE_DYNAMIC(CFrameSaveFileDlg)

 public:
  CFrameSaveFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                    DWORD dwFlags = 0, LPCTSTR lpszFilter = nullptr, CWnd* pParentWnd = nullptr);

  int m_nQuality = 75;
  int m_bTrueColor = 0;

 protected:
  BOOL OnInitDialog() override;
  void DoDataExchange(CDataExchange* pDX) override;
  void OnFileNameChange() override;
  void OnTypeChange() override;
  // The options are read when the name is accepted, while the fields exist.
  BOOL OnFileNameOK() override;
  // The true-colour box belongs to BMP, the quality to JPG.
  void ShowTypeOptions();
};

// Style bits of a picture swatch that choose its kind of picture.
constexpr DWORD kPictureStyleMask = 0x80;
constexpr DWORD kPictureStyleLight = 0x100;
constexpr DWORD kPictureStyleWipe = 0x200;

// The folder the chooser starts in when no folder is stored: the program
// folder's "\Image\", "\Mask\", "\Light\" or "\Wipe\" by the style bits.
CString DefaultPictureFolder(DWORD iconStyle);
// "MaskFilePath" for masks, lights and wipes, else "ImageFilePath".
LPCTSTR PictureFolderValueName(DWORD iconStyle);

// Asks for a picture, starting in `startFolder` (the dialog's own start when
// empty). TRUE with `path` when the user chose a file that exists; its folder
// is then stored as the registry value `valueName`.
BOOL AskPictureFile(LPCTSTR valueName, const CString& startFolder, DWORD flags, CWnd* pParentWnd, CString& path);

// Asks for a picture for a swatch of `iconStyle`. TRUE with `path` when the
// user chose a file that exists; its folder is then remembered for the kind.
BOOL ChoosePictureFile(DWORD iconStyle, CWnd* pParentWnd, CString& path);
