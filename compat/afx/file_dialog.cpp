// CFileDialog: the file dialog with the object attached to its child window
// from the child's first dialog message, and the dialog's notifications
// turned into the object's virtual calls.
//
// Sections: construction · running · notifications · results
#include "compat/afx/file_dialog.h"

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {

// The dialog DoModal is running on this thread; its hook attaches it.
thread_local CFileDialog* t_running = nullptr;

constexpr size_t kFileBufferSize = 64 * 1024;

}  // namespace

// --- construction ---

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(static_cast<LPCTSTR>(nullptr), pParentWnd), m_bOpenFileDialog(bOpenFileDialog) {
  m_fileBuffer.assign(kFileBufferSize, u'\0');
  m_titleBuffer.assign(260, u'\0');
  if (lpszFileName) {
    const std::u16string name = lpszFileName;
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(std::min(name.size(), kFileBufferSize - 1)),
              m_fileBuffer.begin());
  }
  if (lpszDefExt) m_defExt = lpszDefExt;
  // "text|patterns|...||" becomes the platform's "text\0patterns\0...\0\0".
  if (lpszFilter) {
    m_filter = lpszFilter;
    for (char16_t& c : m_filter)
      if (c == u'|') c = u'\0';
    m_filter.push_back(u'\0');
  }
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.lpstrFile = m_fileBuffer.data();
  m_ofn.nMaxFile = static_cast<DWORD>(kFileBufferSize);
  m_ofn.lpstrFileTitle = m_titleBuffer.data();
  m_ofn.nMaxFileTitle = static_cast<DWORD>(m_titleBuffer.size());
  m_ofn.lpstrDefExt = m_defExt.empty() ? nullptr : m_defExt.c_str();
  m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.c_str();
  m_ofn.Flags = dwFlags | OFN_ENABLEHOOK | OFN_EXPLORER;
  m_ofn.lpfnHook = HookProc;
}

// --- running ---

INT_PTR CFileDialog::DoModal() {
  HWND parent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
  if (!parent && AfxGetMainWnd()) parent = AfxGetMainWnd()->m_hWnd;
  m_ofn.hwndOwner = parent;
  m_ofn.Flags |= OFN_ENABLEHOOK | OFN_EXPLORER;
  m_ofn.lpfnHook = HookProc;
  m_lpszTemplateName = (m_ofn.Flags & OFN_ENABLETEMPLATE) ? m_ofn.lpTemplateName : nullptr;
  CFileDialog* outer = t_running;
  t_running = this;
  const BOOL chosen = m_bOpenFileDialog ? ::GetOpenFileNameW(&m_ofn) : ::GetSaveFileNameW(&m_ofn);
  t_running = outer;
  if (m_hWnd) Detach();
  return chosen ? IDOK : IDCANCEL;
}

UINT_PTR CALLBACK CFileDialog::HookProc(HWND hWnd, UINT message, WPARAM, LPARAM) {
  if (message != WM_INITDIALOG) return 0;
  CFileDialog* dialog = t_running;
  if (!dialog || dialog->m_hWnd || !dialog->SubclassWindow(hWnd)) return TRUE;
  return static_cast<UINT_PTR>(dialog->OnInitDialog());
}

// --- notifications ---

BOOL CFileDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* note = reinterpret_cast<const OFNOTIFYW*>(lParam);
  if (!note || note->hdr.hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, pResult);
  switch (note->hdr.code) {
    case CDN_INITDONE: OnInitDone(); break;
    case CDN_SELCHANGE: OnFileNameChange(); break;
    case CDN_FOLDERCHANGE: OnFolderChange(); break;
    case CDN_TYPECHANGE: OnTypeChange(); break;
    case CDN_FILEOK: {
      const LRESULT refuse = OnFileNameOK() ? 1 : 0;
      ::SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, refuse);
      if (pResult) *pResult = refuse;
      return TRUE;
    }
    default: return CDialog::OnNotify(wParam, lParam, pResult);
  }
  if (pResult) *pResult = 0;
  return TRUE;
}

// --- results ---

CString CFileDialog::AskParent(UINT message) const {
  HWND dialog = ::GetParent(m_hWnd);
  const auto needed = static_cast<int>(::SendMessageW(dialog, message, 0, 0));
  if (needed <= 0) return CString();
  std::u16string text(static_cast<size_t>(needed), u'\0');
  ::SendMessageW(dialog, message, static_cast<WPARAM>(needed), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(needed - 1));
  return CString(text);
}

CString CFileDialog::GetPathName() const {
  if (m_hWnd) return AskParent(CDM_GETFILEPATH);
  return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFolderPath() const {
  if (m_hWnd) return AskParent(CDM_GETFOLDERPATH);
  const std::u16string path = m_ofn.lpstrFile;
  const size_t slash = path.find_last_of(u'\\');
  return CString(slash == std::u16string::npos ? std::u16string() : path.substr(0, slash));
}

CString CFileDialog::GetFileName() const {
  const std::u16string path = static_cast<LPCTSTR>(GetPathName());
  const size_t slash = path.find_last_of(u"\\/");
  return CString(slash == std::u16string::npos ? path : path.substr(slash + 1));
}

CString CFileDialog::GetFileExt() const {
  const std::u16string name = static_cast<LPCTSTR>(GetFileName());
  const size_t dot = name.find_last_of(u'.');
  return CString(dot == std::u16string::npos ? std::u16string() : name.substr(dot + 1));
}

CString CFileDialog::GetFileTitle() const {
  const std::u16string name = static_cast<LPCTSTR>(GetFileName());
  const size_t dot = name.find_last_of(u'.');
  return CString(dot == std::u16string::npos ? name : name.substr(0, dot));
}

POSITION CFileDialog::GetStartPosition() const {
  return m_ofn.lpstrFile && m_ofn.lpstrFile[0] ? reinterpret_cast<POSITION>(m_ofn.lpstrFile) : nullptr;
}

// The buffer holds one full path, or the folder followed by names.
CString CFileDialog::GetNextPathName(POSITION& pos) const {
  const char16_t* at = reinterpret_cast<const char16_t*>(pos);
  if (!at) return CString();
  const char16_t* start = m_ofn.lpstrFile;
  const std::u16string first = start;
  const bool single = !(m_ofn.Flags & OFN_ALLOWMULTISELECT) || start[first.size() + 1] == 0;
  if (single) {
    pos = nullptr;
    return CString(first);
  }
  if (at == start) at = start + first.size() + 1;
  const std::u16string name = at;
  const char16_t* next = at + name.size() + 1;
  pos = *next ? reinterpret_cast<POSITION>(const_cast<char16_t*>(next)) : nullptr;
  return CString(first + u"\\" + name);
}
