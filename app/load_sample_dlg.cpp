// CLoadSampleDlg: the sample list, sorted by name, and the stored flag.
#include "app/load_sample_dlg.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/program_folder.h"
#include "platform/settings_store.h"
#include "platform/shown_path.h"
#include "res/resource.h"

namespace {

constexpr const TCHAR* kShowNextTimeSetting = u"ShowNextTime";
constexpr int kListId = 908;
constexpr int kDoNotShowId = 111;

bool HasProjectEnding(const CString& path) {
  CString lower = path;
  lower.MakeLower();
  return lower.GetLength() >= 4 && lower.Right(4) == u".pvk";
}

}  // namespace

BEGIN_MESSAGE_MAP(CLoadSampleDlg, CDialog)
ON_CONTROL(LBN_DBLCLK, kListId, OnListDoubleClick)
END_MESSAGE_MAP()

CLoadSampleDlg::CLoadSampleDlg(CWnd* parent) : CDialog(IDD_LOAD_SAMPLE, parent) {
  BYTE* bytes = nullptr;
  int count = 0;
  if (!LoadSetting(kShowNextTimeSetting, &bytes, &count)) return;
  if (count >= static_cast<int>(sizeof(int32_t))) {
    int32_t flag = 0;
    std::memcpy(&flag, bytes, sizeof flag);
    m_bDoNotShow = flag;
  }
  delete[] bytes;
}

INT_PTR CLoadSampleDlg::DoModalIfWanted() { return m_bDoNotShow ? 0 : DoModal(); }

void CLoadSampleDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, kListId, m_list);
  DDX_Check(pDX, kDoNotShowId, m_bDoNotShow);
}

BOOL CLoadSampleDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The finder's order is the file system's: the list is sorted by name.
  std::vector<CString> found;
  CFileFind finder;
  BOOL more = finder.FindFile(GetProgramFolder() + u"\\Sample\\*.*");
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDirectory()) continue;
    const CString path = finder.GetFilePath();
    if (HasProjectEnding(path)) found.push_back(path);
  }
  finder.Close();
  std::sort(found.begin(), found.end(), [](const CString& a, const CString& b) { return a.Native() < b.Native(); });
  m_paths = found;
  for (const CString& path : found) m_list.AddString(ShownPath(path));
  if (m_list.GetCount() > 0) m_list.SetCurSel(0);
  return TRUE;
}

void CLoadSampleDlg::OnOK() {
  const int selected = m_list.GetCurSel();
  if (selected != LB_ERR && selected < static_cast<int>(m_paths.size())) {
    const CString path = m_paths[static_cast<size_t>(selected)];
    CFileFind finder;
    const BOOL exists = finder.FindFile(path);
    finder.Close();
    if (exists) AfxGetApp()->OpenDocumentFile(path);
  }
  UpdateData(TRUE);
  const int32_t flag = m_bDoNotShow ? 1 : 0;
  SaveSetting(kShowNextTimeSetting, reinterpret_cast<const BYTE*>(&flag), sizeof flag);
  EndDialog(IDOK);
}

void CLoadSampleDlg::OnListDoubleClick() { OnOK(); }
