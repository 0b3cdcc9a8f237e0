// The picture swatch page.
#include "ui/image_swatch_page.h"

#include "controls/color_icon_ctrl.h"
#include "imaging/image_file_types.h"
#include "model/raster/fill_render.h"
#include "platform/shown_path.h"
#include "res/resource.h"
#include "ui/picture_file_dialogs.h"
#include "ui/stored_text.h"

namespace {

constexpr int kIdIcon = 1019;
constexpr int kIdPath = 1020;
constexpr int kIdBrowse = 1021;
constexpr int kColumns = 2;
constexpr TCHAR kPathValue[] = u"ImageTexRegName";
constexpr TCHAR kFolderSetting[] = u"ImageFilePath";

}  // namespace

IMPLEMENT_DYNAMIC(CImageSwatchPage, CSwatchPage)

BEGIN_MESSAGE_MAP(CImageSwatchPage, CSwatchPage)
  ON_BN_CLICKED(kIdBrowse, OnBrowse)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CImageSwatchPage::CImageSwatchPage() : CSwatchPage(IDD_IMAGE_SWATCH) { m_imagePath = ReadRegistryText(kPathValue); }

BOOL CImageSwatchPage::OnInitDialog() {
  CSwatchPage::OnInitDialog();
  ShowImage();
  m_fileName = u"ImageTexture.dat";
  LoadSwatches(kColumns);
  return TRUE;
}

void CImageSwatchPage::DoDataExchange(CDataExchange* pDX) {
  CSwatchPage::DoDataExchange(pDX);
  // The field shows the path as the desktop writes it; the page keeps the program's form.
  CString shown = ShownPath(m_imagePath);
  DDX_Text(pDX, kIdPath, shown);
  if (pDX->m_bSaveAndValidate) {
    shown.Replace(u'/', u'\\');
    m_imagePath = shown;
  }
}

void CImageSwatchPage::ShowImage() {
  if (!m_hWnd) return;
  UpdateData(FALSE);
  if (auto* icon = controls::ColorIconFromHandle(::GetDlgItem(m_hWnd, kIdIcon))) {
    if (PictureFileExists(m_imagePath)) icon->SetTextureFile(m_imagePath);
    icon->Invalidate();
  }
}

void CImageSwatchPage::PrepareCurrentFill() {
  m_currentFill.FreeParts();
  m_currentFill.type = 2;
  m_currentFill.SetPatternImage(m_imagePath);
}

void CImageSwatchPage::AddSwatch() {
  CImageFileDlg dialog(TRUE, u"tga", nullptr, 0, kPictureFileFilter, this);
  // The dialog keeps its own flags; several files at once is this page's wish.
  dialog.m_ofn.Flags |= OFN_ALLOWMULTISELECT;
  const CString folder = ReadSettingText(kFolderSetting);
  dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return;
  CString last;
  for (POSITION pos = dialog.GetStartPosition(); pos;) {
    const CString path = dialog.GetNextPathName(pos);
    last = path;
    if (!PictureFileExists(path)) continue;
    CFillStyle picture;
    picture.type = 2;
    picture.SetPatternImage(path);
    StoreSwatch(picture);
  }
  if (!last.IsEmpty()) WriteSettingText(kFolderSetting, FolderOfPath(last));
}

void CImageSwatchPage::OnBrowse() {
  CImageFileDlg dialog(TRUE, u"tga", nullptr, 0, kPictureFileFilter, this);
  const CString folder = ReadSettingText(kFolderSetting);
  dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return;
  const CString path = dialog.GetPathName();
  if (!PictureFileExists(path)) return;
  // A file that is no picture is reported (by the reader) and not taken.
  SIZE size{0, 0};
  if (!ReadPicturePixels(path, size)) return;
  m_imagePath = path;
  ShowImage();
  WriteSettingText(kFolderSetting, FolderOfPath(path));
  controls::NMFILLCHANGE record;
  record.hdr.hwndFrom = m_hWnd;
  record.hdr.idFrom = kIdIcon;
  record.hdr.code = controls::kNotifyFillChanged;
  record.kind = controls::kFillChangePicture;
  record.path = m_imagePath;
  if (CWnd* parent = GetParent()) parent->SendMessage(WM_NOTIFY, kIdIcon, reinterpret_cast<LPARAM>(&record));
}

CString CImageSwatchPage::GetImagePath() {
  if (m_hWnd) UpdateData(TRUE);
  return m_imagePath;
}

void CImageSwatchPage::SetImagePath(const CString& path) {
  m_imagePath = AppSubfolderPath(path, SUBFOLDER_IMAGE);
  if (PictureFileExists(m_imagePath) && m_hWnd) ShowImage();
}

void CImageSwatchPage::OnDestroy() {
  WriteRegistryText(kPathValue, m_imagePath);
  CSwatchPage::OnDestroy();
}
