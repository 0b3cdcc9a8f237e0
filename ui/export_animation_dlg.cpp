// The export dialog and its render thread: start, progress, stop.
#include "ui/export_animation_dlg.h"

#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "export/render_thread.h"
#include "imaging/image_file_types.h"
#include "model/project/morph_project.h"
#include "platform/shown_path.h"
#include "res/resource.h"
#include "ui/stored_text.h"

namespace {

constexpr int kIdOutputPath = 1012;
constexpr int kIdCurrentFrame = 1013;
constexpr UINT kMaxShownFrame = 4086;
constexpr int kIdFirstFormat = 1010;
constexpr int kIdTransparent = 1032;
constexpr int kIdFps = 1024;
constexpr int kIdQuality = 3222;
constexpr TCHAR kRenderFilePath[] = u"RenderFilePath";
constexpr TCHAR kUnsupportedTypeText[] = u"Animations cannot be exported to files of this type.";

struct ExportFormat {
  const TCHAR* filter;
  const TCHAR* extension;  // given to a typed name that has none
};

const ExportFormat kFormats[] = {
    {u"Files(*.AVI)|*.AVI|", u"AVI"}, {u"Files(*.BMP)|*.BMP|", u"BMP"}, {u"Files(*.TGA)|*.TGA|", u"TGA"},
    {u"Files(*.GIF)|*.GIF|", u"GIF"}, {u"Files(*.SWF)|*.SWF|", u"SWF"}};

bool IsChineseSystem() { return PRIMARYLANGID(GetSystemDefaultLangID()) == LANG_CHINESE; }

// The types the render thread has a writer for.
bool HasWriter(int type) {
  return type == IMAGE_FILE_AVI || type == IMAGE_FILE_GIF || type == IMAGE_FILE_SWF || type == IMAGE_FILE_BMP ||
         type == IMAGE_FILE_TGA;
}

}  // namespace

BEGIN_MESSAGE_MAP(CExportAnimationDlg, CDialog)
  ON_BN_CLICKED(1010, OnUpdateValues)
  ON_BN_CLICKED(1011, OnUpdateValues)
  ON_BN_CLICKED(1014, OnUpdateValues)
  ON_BN_CLICKED(kIdTransparent, OnUpdateValues)
  ON_CONTROL(controls::kEditChanging, kIdQuality, OnUpdateValues)
  ON_MESSAGE(WM_RENDER_PROGRESS, OnRenderProgress)
END_MESSAGE_MAP()

CExportAnimationDlg::CExportAnimationDlg(CWnd* pParent) : CDialog(IDD_EXPORT, pParent) {}

CExportAnimationDlg::~CExportAnimationDlg() {
  if (m_pRenderThread) m_pRenderThread->RequestStop();
  ReleaseThread();
}

void CExportAnimationDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  // The file field is read-only and shows the path as the desktop writes
  // it; the path itself stays as the program keeps it.
  if (!pDX->m_bSaveAndValidate) {
    CString shown = ShownPath(m_strOutputPath);
    DDX_Text(pDX, kIdOutputPath, shown);
  }
  DDX_Text(pDX, kIdCurrentFrame, m_nCurrentFrame);
  DDV_MinMaxUInt(pDX, m_nCurrentFrame, 0, kMaxShownFrame);
  DDX_Radio(pDX, kIdFirstFormat, m_nFormat);
  DDX_Check(pDX, kIdTransparent, m_bTransparent);
  CMorphProject* project = GetMorphProject();
  int fps = project->GetFps();
  DDX_EditInt(pDX, kIdFps, fps);
  if (pDX->m_bSaveAndValidate) project->SetFps(fps);
  DDX_EditInt(pDX, kIdQuality, m_nQuality);
}

BOOL CExportAnimationDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (auto* fps = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, kIdFps))) fps->SetRange(2.0, 100.0);
  if (auto* quality = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, kIdQuality))) quality->SetRange(1.0, 100.0);
  SetButtonText(FALSE);
  UpdateData(FALSE);
  return TRUE;
}

void CExportAnimationDlg::SetButtonText(BOOL rendering) {
  const TCHAR* text = rendering ? (IsChineseSystem() ? u"停止" : u"Stop") : (IsChineseSystem() ? u"渲染" : u"Render");
  ::SetDlgItemTextW(m_hWnd, IDOK, text);
}

void CExportAnimationDlg::OnOK() { OnRenderOrStop(); }

void CExportAnimationDlg::OnCancel() {
  if (m_bRendering) return;
  CDialog::OnCancel();
}

void CExportAnimationDlg::OnUpdateValues() { UpdateData(TRUE); }

void CExportAnimationDlg::OnRenderOrStop() {
  if (!m_bRendering) ForgetExportsNumber();
  const BOOL valid = UpdateData(TRUE);
  // A Stop is never refused: the running number may be past what the
  // frame field accepts.
  if (m_bRendering) {
    StopRender();
    return;
  }
  if (!valid) return;
  ReleaseThread();
  const int format = m_nFormat >= 0 && m_nFormat < static_cast<int>(std::size(kFormats)) ? m_nFormat : 0;
  if (!AskOutputFile(format)) return;
  // Only some picture types have a writer; starting on another would end
  // the export at once with nothing written.
  if (!HasWriter(GetImageFileType(m_strOutputPath))) {
    CString message;
    if (!message.LoadString(IDS_NO_WRITER_FOR_TYPE)) message = kUnsupportedTypeText;
    ::MessageBoxW(m_hWnd, message, nullptr, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  SetRenderingState();
  m_pRenderThread = new CRenerThread;
  m_pRenderThread->m_pMainWnd = this;
  m_pRenderThread->SetQuality(m_nQuality);
  m_pRenderThread->SetOutputPath(m_strOutputPath);
  m_pRenderThread->SetFps(GetMorphProject()->GetFps());
  m_pRenderThread->SetTransparent(m_bTransparent);
  m_pRenderThread->SetFrameSource(m_pFrameSource);
  if (!m_pRenderThread->CreateThread(0, 0, nullptr)) {
    delete m_pRenderThread;
    m_pRenderThread = nullptr;
    m_bRendering = 0;
    SetButtonText(FALSE);
  }
}

// The folder last exported to, else the open project's folder. The drive
// root the program once fell back to is the file system's root here, where
// nobody may write.
CString CExportAnimationDlg::StartFolder() const {
  const CString folder = ReadRegistryText(kRenderFilePath);
  const DWORD attributes = folder.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(folder);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return folder;
  auto* frame = dynamic_cast<CFrameWnd*>(AfxGetMainWnd());
  CDocument* document = frame ? frame->GetActiveDocument() : nullptr;
  return document ? FolderOfPath(document->GetPathName()) : CString();
}

BOOL CExportAnimationDlg::AskOutputFile(int format) {
  CFileDialog dialog(FALSE, kFormats[format].extension, nullptr, OFN_EXPLORER | OFN_ENABLEHOOK | OFN_HIDEREADONLY,
                     kFormats[format].filter, this);
  dialog.m_ofn.lpstrTitle = u"Select Output File";
  const CString folder = StartFolder();
  if (!folder.IsEmpty()) dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return FALSE;
  m_strOutputPath = dialog.GetPathName();
  WriteRegistryText(kRenderFilePath, FolderOfPath(m_strOutputPath));
  UpdateData(FALSE);
  return !m_strOutputPath.IsEmpty() && GetImageFileType(m_strOutputPath) != IMAGE_FILE_UNKNOWN;
}

// A number past the frame field's range that the last export showed is not
// the user's input: the next export counts from 0 again, so it must not stop
// the Render with a range message. A number the user typed is left alone.
void CExportAnimationDlg::ForgetExportsNumber() {
  if (m_nShownProgress <= static_cast<LPARAM>(kMaxShownFrame)) return;
  CString shown, text;
  shown.Format(u"%d", static_cast<int>(m_nShownProgress));
  TCHAR buffer[16] = {};
  ::GetDlgItemTextW(m_hWnd, kIdCurrentFrame, buffer, static_cast<int>(std::size(buffer)));
  text = buffer;
  if (text == shown) ::SetDlgItemTextW(m_hWnd, kIdCurrentFrame, u"0");
  m_nShownProgress = 0;
}

void CExportAnimationDlg::SetRenderingState() {
  m_bRendering = 1;
  SetButtonText(TRUE);
}

void CExportAnimationDlg::StopRender() {
  m_bRendering = 0;
  SetButtonText(FALSE);
  if (!m_pRenderThread) return;
  m_pRenderThread->RequestStop();
  m_pRenderThread->m_pMainWnd = nullptr;
  ReleaseThread();
}

void CExportAnimationDlg::ReleaseThread() {
  if (!m_pRenderThread) return;
  // The thread may still be closing its file after its last progress; its
  // object goes only once it has ended.
  m_pRenderThread->WaitForEnd();
  delete m_pRenderThread;
  m_pRenderThread = nullptr;
}

LRESULT CExportAnimationDlg::OnRenderProgress(WPARAM wParam, LPARAM lParam) {
  if (lParam == kRenderEndedUnfinished) {
    // Ready for another try: no number of an export that did not finish,
    // and the chosen file rather than the last still written.
    m_nCurrentFrame = 0;
    m_nShownProgress = 0;
    ::SetDlgItemTextW(m_hWnd, kIdCurrentFrame, u"0");
    ::SetDlgItemTextW(m_hWnd, kIdOutputPath, ShownPath(m_strOutputPath));
    m_bRendering = 0;
    SetButtonText(FALSE);
    return 0;
  }
  m_nCurrentFrame = static_cast<UINT>(lParam);
  m_nShownProgress = lParam;
  CString number;
  number.Format(u"%d", static_cast<int>(lParam));
  ::SetDlgItemTextW(m_hWnd, kIdCurrentFrame, number);
  ::UpdateWindow(::GetDlgItem(m_hWnd, kIdCurrentFrame));
  if (wParam != 0) ::SetDlgItemTextW(m_hWnd, kIdOutputPath, ShownPath(reinterpret_cast<LPCTSTR>(wParam)));
  if (lParam == GetMorphProject()->GetTotalFrames() - 1) {
    m_bRendering = 0;
    SetButtonText(FALSE);
  }
  return 0;
}
