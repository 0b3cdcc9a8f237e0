// The picture file dialogs and the picture chooser of the colour icons.
#include "ui/picture_file_dialogs.h"

#include "controls/color_icon_ctrl.h"
#include "controls/edit_ctrl.h"
#include "model/raster/fill_render.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "res/resource.h"
#include "ui/stored_text.h"

const TCHAR kPictureFileFilter[] =
    u"All Formats|*.JPG;*.GIF;*.TGA;*.BMP;*.PCX;*.ICO;*.PNG;*.TIF;*.EMF;*.WMF;*.WBMP|JPG(*.JPG)|*.jpg|GIF(*.GIF)|*.gif|"
    u"BMP(*.BMP)|*.bmp|TGA(*.TGA)|*.tga|PCX(*.PCX)|*.pcx|PNG(*.PNG)|*.png|WMF(*.WMF)|*.wmf|EMF(*.EMF)|*.emf|"
    u"TIFF(*.TIF)|*.tif|ICO(*.ICO)|*.ico|WBMP(*.WBMP)|*.wbmp||";

namespace {

// Whatever the caller asks, these dialogs hide read-only and ask before overwriting.
constexpr DWORD kPictureDialogFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr DWORD kTemplateFlags = OFN_EXPLORER | OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;

constexpr int kIdPreviewIcon = 24400;
constexpr int kIdPreviewCheck = 24401;
constexpr int kIdQualityLabel = 3221;
constexpr int kIdQualityField = 3222;
constexpr int kIdTrueColor = 1230;

// The frame-save filter's types by their position: the index is 0 while the
// dialog shows the type it opened with, and 1-based after the user changes it.
constexpr DWORD kBmpIndex = 1;
constexpr DWORD kJpgIndex = 2;

void UseTemplate(OPENFILENAME& ofn, UINT templateId) {
  ofn.Flags = kPictureDialogFlags | kTemplateFlags;
  ofn.hInstance = AfxGetResourceHandle();
  ofn.lpTemplateName = MAKEINTRESOURCEW(templateId);
}

void ShowItem(CWnd& dialog, int id, bool show) {
  if (CWnd* item = dialog.GetDlgItem(id)) item->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

}  // namespace

// --- CImageFileDlg ---

IMPLEMENT_DYNAMIC(CImageFileDlg, CFileDialog)

BEGIN_MESSAGE_MAP(CImageFileDlg, CFileDialog)
  ON_BN_CLICKED(kIdPreviewCheck, OnPreview)
END_MESSAGE_MAP()

CImageFileDlg::CImageFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD, LPCTSTR lpszFilter,
                             CWnd* pParentWnd)
    : CFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, kPictureDialogFlags, lpszFilter, pParentWnd) {
  UseTemplate(m_ofn, IDD_IMAGE_FILE);
}

void CImageFileDlg::DoDataExchange(CDataExchange* pDX) {
  CFileDialog::DoDataExchange(pDX);
  DDX_Check(pDX, kIdPreviewCheck, m_bPreview);
}

void CImageFileDlg::OnFileNameChange() {
  CFileDialog::OnFileNameChange();
  const CString path = GetPathName();
  if (m_bPreview && PictureFileExists(path)) ShowPreview(path);
}

void CImageFileDlg::OnPreview() {
  UpdateData(TRUE);
  const CString path = GetPathName();
  ShowPreview(m_bPreview && PictureFileExists(path) ? path : CString());
}

void CImageFileDlg::ShowPreview(const CString& path) {
  CWnd* icon = GetDlgItem(kIdPreviewIcon);
  if (!icon) return;
  if (path.IsEmpty()) {
    icon->ShowWindow(SW_HIDE);
    return;
  }
  icon->ShowWindow(SW_SHOW);
  if (auto* preview = controls::ColorIconFromHandle(icon->m_hWnd)) preview->SetTextureFile(path);
  icon->Invalidate();
}

// --- CFrameSaveFileDlg ---

IMPLEMENT_DYNAMIC(CFrameSaveFileDlg, CFileDialog)

CFrameSaveFileDlg::CFrameSaveFileDlg(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD,
                                     LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CFileDialog(bOpenFileDialog, lpszDefExt, lpszFileName, kPictureDialogFlags, lpszFilter, pParentWnd) {
  UseTemplate(m_ofn, IDD_FRAME_SAVE);
}

BOOL CFrameSaveFileDlg::OnInitDialog() {
  CFileDialog::OnInitDialog();
  if (auto* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, kIdQualityField))) field->SetRange(1.0, 100.0);
  UpdateData(FALSE);
  ShowTypeOptions();
  return TRUE;
}

void CFrameSaveFileDlg::DoDataExchange(CDataExchange* pDX) {
  CFileDialog::DoDataExchange(pDX);
  DDX_EditInt(pDX, kIdQualityField, m_nQuality);
  DDX_Check(pDX, kIdTrueColor, m_bTrueColor);
}

void CFrameSaveFileDlg::OnFileNameChange() {
  CFileDialog::OnFileNameChange();
  ShowTypeOptions();
}

void CFrameSaveFileDlg::OnTypeChange() {
  CFileDialog::OnTypeChange();
  ShowTypeOptions();
}

BOOL CFrameSaveFileDlg::OnFileNameOK() {
  UpdateData(TRUE);
  return FALSE;
}

void CFrameSaveFileDlg::ShowTypeOptions() {
  const DWORD index = m_ofn.nFilterIndex;
  ShowItem(*this, kIdTrueColor, index == 0 || index == kBmpIndex);
  ShowItem(*this, kIdQualityLabel, index == kJpgIndex);
  ShowItem(*this, kIdQualityField, index == kJpgIndex);
}

// --- the picture chooser ---

CString DefaultPictureFolder(DWORD iconStyle) {
  const TCHAR* sub = u"\\Image\\";
  if (iconStyle & kPictureStyleMask)
    sub = u"\\Mask\\";
  else if (iconStyle & kPictureStyleLight)
    sub = u"\\Light\\";
  else if (iconStyle & kPictureStyleWipe)
    sub = u"\\Wipe\\";
  return GetProgramFolder() + sub;
}

LPCTSTR PictureFolderValueName(DWORD iconStyle) {
  return (iconStyle & (kPictureStyleMask | kPictureStyleLight | kPictureStyleWipe)) ? u"MaskFilePath" : u"ImageFilePath";
}

BOOL AskPictureFile(LPCTSTR valueName, const CString& startFolder, DWORD flags, CWnd* pParentWnd, CString& path) {
  CImageFileDlg dialog(TRUE, u"*.jpg", nullptr, flags, kPictureFileFilter, pParentWnd);
  dialog.m_ofn.lpstrTitle = u"Image File";
  if (!startFolder.IsEmpty()) dialog.m_ofn.lpstrInitialDir = startFolder;
  if (dialog.DoModal() != IDOK) return FALSE;
  const CString chosen = dialog.GetPathName();
  if (!PictureFileExists(chosen)) return FALSE;
  path = chosen;
  WriteRegistryText(valueName, FolderOfPath(chosen));
  return TRUE;
}

BOOL ChoosePictureFile(DWORD iconStyle, CWnd* pParentWnd, CString& path) {
  LPCTSTR valueName = PictureFolderValueName(iconStyle);
  CString folder = ReadRegistryText(valueName);
  if (folder.IsEmpty()) folder = DefaultPictureFolder(iconStyle);
  return AskPictureFile(valueName, folder, 0x226, pParentWnd, path);
}
