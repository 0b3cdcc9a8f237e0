// CWinApp: the application object with its names and INI profile, the recent
// file list, the document templates and the File commands, and idle updates.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/host_path.h"

IMPLEMENT_DYNAMIC(CWinApp, CWinThread)

BEGIN_MESSAGE_MAP(CWinApp, CWinThread)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
ON_COMMAND_EX_RANGE(ID_FILE_MRU_FILE1, ID_FILE_MRU_FILE1 + 15, OnOpenRecentFile)
ON_UPDATE_COMMAND_UI(ID_FILE_MRU_FILE1, OnUpdateRecentFileMenu)
END_MESSAGE_MAP()

namespace {

constexpr int kMaxPath = 260;

// Copies text into malloc'ed memory, as the program may free the names with free.
LPCTSTR MallocCopy(const std::u16string& text) {
  auto* copy = static_cast<char16_t*>(std::malloc((text.size() + 1) * sizeof(char16_t)));
  if (!copy) return nullptr;
  std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  return copy;
}

void FreeName(LPCTSTR& name) {
  std::free(const_cast<char16_t*>(name));
  name = nullptr;
}

// A path shortened for a menu, written as the host writes paths (as the file
// dialogs show them): the file name survives, the middle of the folder gives
// way to "...", and "&" stays a character.
CString MenuDisplayName(const CString& path, int maxLength) {
  CString shown(compat::Utf8ToUtf16(compat::ToHostPath(path.Native())).c_str());
  if (shown.GetLength() > maxLength) {
    const int slash = shown.ReverseFind(u'/');
    const CString name = slash >= 0 ? shown.Mid(slash) : shown;
    const int keep = maxLength - name.GetLength() - 3;
    shown = keep > 3 ? shown.Left(keep) + u"..." + name : name;
  }
  shown.Replace(u"&", u"&&");
  return shown;
}

}  // namespace

// --- CRecentFileList ---

CRecentFileList::CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize,
                                 int nMaxDispLen)
    : m_nStart(nStart),
      m_strSectionName(lpszSection),
      m_strEntryFormat(lpszEntryFormat),
      m_nMaxDisplayLength(nMaxDispLen),
      m_arrNames(static_cast<size_t>(nSize > 0 ? nSize : 1)) {}

void CRecentFileList::Add(LPCTSTR lpszPathName) {
  if (!lpszPathName || !*lpszPathName) return;
  size_t from = m_arrNames.size() - 1;  // a new path pushes the oldest out
  for (size_t i = 0; i < m_arrNames.size(); ++i) {
    if (m_arrNames[i].CompareNoCase(lpszPathName) == 0) {
      from = i;
      break;
    }
  }
  for (size_t i = from; i > 0; --i) m_arrNames[i] = m_arrNames[i - 1];
  m_arrNames[0] = lpszPathName;
}

void CRecentFileList::Remove(int nIndex) {
  if (nIndex < 0 || nIndex >= GetSize()) return;
  m_arrNames.erase(m_arrNames.begin() + nIndex);
  m_arrNames.emplace_back();
}

void CRecentFileList::ReadList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = 0; i < GetSize(); ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    m_arrNames[static_cast<size_t>(i)] = app->GetProfileString(m_strSectionName, entry, u"");
  }
}

void CRecentFileList::WriteList() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  // The section is written afresh so that no entry of a longer list lingers.
  app->WriteProfileString(m_strSectionName, nullptr, nullptr);
  for (int i = 0; i < GetSize(); ++i) {
    CString entry;
    entry.Format(m_strEntryFormat, i + 1);
    const CString& name = m_arrNames[static_cast<size_t>(i)];
    if (!name.IsEmpty()) app->WriteProfileString(m_strSectionName, entry, name);
  }
}

void CRecentFileList::UpdateMenu(CCmdUI* pCmdUI) {
  if (!pCmdUI->m_pMenu) return;
  HMENU menu = pCmdUI->m_pMenu->m_hMenu;
  const UINT first = pCmdUI->m_nID;
  if (m_arrNames[0].IsEmpty()) {
    if (m_strOriginal.IsEmpty()) pCmdUI->m_pMenu->GetMenuString(pCmdUI->m_nIndex, m_strOriginal, MF_BYPOSITION);
    pCmdUI->SetText(m_strOriginal);
    pCmdUI->Enable(FALSE);
    return;
  }
  if (m_strOriginal.IsEmpty() && ::GetMenuItemID(menu, static_cast<int>(pCmdUI->m_nIndex)) == first) {
    pCmdUI->m_pMenu->GetMenuString(pCmdUI->m_nIndex, m_strOriginal, MF_BYPOSITION);
  }
  for (int i = 0; i < GetSize(); ++i) ::DeleteMenu(menu, first + static_cast<UINT>(i), MF_BYCOMMAND);
  int inserted = 0;
  for (int i = 0; i < GetSize(); ++i) {
    const CString& name = m_arrNames[static_cast<size_t>(i)];
    if (name.IsEmpty()) break;
    CString text;
    text.Format(u"&%d %s", i + 1, MenuDisplayName(name, m_nMaxDisplayLength).GetString());
    ::InsertMenuW(menu, pCmdUI->m_nIndex + static_cast<UINT>(inserted), MF_BYPOSITION | MF_STRING,
                  first + static_cast<UINT>(i), text);
    ++inserted;
  }
  // The popup's walk goes on after the items put in.
  pCmdUI->m_nIndex += static_cast<UINT>(inserted) - 1;
  pCmdUI->m_nIndexMax = static_cast<UINT>(::GetMenuItemCount(menu));
  pCmdUI->m_bEnableChanged = TRUE;
}

// --- the command line ---

namespace {

std::vector<std::u16string>& Arguments() {
  static std::vector<std::u16string> arguments;
  return arguments;
}

}  // namespace

void compat::afx::SetCommandLine(std::vector<std::u16string> arguments) { Arguments() = std::move(arguments); }

void CCommandLineInfo::ParseParam(LPCTSTR pszParam, BOOL bFlag, BOOL) {
  // Flags this program does not know are ignored; the first other argument is the file.
  if (bFlag || !m_strFileName.IsEmpty()) return;
  std::u16string path = pszParam;
  std::replace(path.begin(), path.end(), u'/', u'\\');
  char16_t full[kMaxPath] = {};
  const DWORD length = ::GetFullPathNameW(path.c_str(), kMaxPath, full, nullptr);
  m_strFileName = length > 0 && length < kMaxPath ? CString(full) : CString(path);
  m_nShellCommand = FileOpen;
}

namespace {

// The framework's own switches. Any other argument is a file, whatever it
// starts with: a full host path starts with "/".
bool IsKnownSwitch(const std::u16string& argument) {
  static const char16_t* const kSwitches[] = {u"nologo",    u"p",          u"pt",          u"dde",      u"automation",
                                              u"embedding", u"unregister", u"unregserver", u"regserver"};
  if (argument.size() < 2 || (argument[0] != u'/' && argument[0] != u'-')) return false;
  std::u16string word = argument.substr(1);
  for (char16_t& c : word) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  }
  return std::any_of(std::begin(kSwitches), std::end(kSwitches), [&](const char16_t* known) { return word == known; });
}

}  // namespace

void CWinApp::ParseCommandLine(CCommandLineInfo& rCmdInfo) {
  const std::vector<std::u16string>& arguments = Arguments();
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string& argument = arguments[i];
    const bool flag = IsKnownSwitch(argument);
    const std::u16string text = flag ? argument.substr(1) : argument;
    rCmdInfo.ParseParam(text.c_str(), flag, i + 1 == arguments.size());
  }
}

BOOL CWinApp::ProcessShellCommand(CCommandLineInfo& rCmdInfo) {
  switch (rCmdInfo.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
      OnFileNew();
      return m_pMainWnd != nullptr;
    case CCommandLineInfo::FileOpen:
      return OpenDocumentFile(rCmdInfo.m_strFileName) != nullptr;
    default:
      return TRUE;
  }
}

// --- CWinApp: names ---

CWinApp::CWinApp(LPCTSTR lpszAppName) {
  compat::afx::RegisterApp(this, this);
  m_hInstance = ::GetModuleHandleW(nullptr);
  char16_t module[kMaxPath] = {};
  ::GetModuleFileNameW(nullptr, module, kMaxPath);
  std::u16string path = module;
  const size_t slash = path.find_last_of(u'\\');
  std::u16string exe = slash == std::u16string::npos ? path : path.substr(slash + 1);
  const size_t dot = exe.find_last_of(u'.');
  if (dot != std::u16string::npos) exe.resize(dot);
  m_pszExeName = MallocCopy(exe);
  CString title;
  if (lpszAppName) {
    m_pszAppName = MallocCopy(lpszAppName);
  } else if (title.LoadString(AFX_IDS_APP_TITLE)) {
    m_pszAppName = MallocCopy(title.Native());
  } else {
    m_pszAppName = MallocCopy(exe);
  }
  const std::u16string folder = slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
  m_pszProfileName = MallocCopy(folder + exe + u".INI");
}

CWinApp::~CWinApp() {
  delete m_pDocManager;
  delete m_pRecentFileList;
  FreeName(m_pszAppName);
  FreeName(m_pszExeName);
  FreeName(m_pszProfileName);
  FreeName(m_pszRegistryKey);
  FreeName(m_pszHelpFilePath);
  compat::afx::RegisterApp(nullptr, nullptr);
}

// --- CWinApp: running ---

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() {
  SaveStdProfileSettings();
  // The profile's writes are held in memory: they go to the disk as the program ends.
  if (m_pszProfileName) ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, m_pszProfileName);
  return static_cast<int>(m_msgCur.wParam);
}

int CWinApp::Run() {
  // With no window there is nothing to run the loop for.
  if (!m_pMainWnd) ::PostQuitMessage(0);
  return CWinThread::Run();
}

namespace {

// The visible frames a window owns (its floating bar frames), in z-order.
std::vector<HWND> OwnedFrames(HWND owner) {
  struct Search {
    HWND owner;
    std::vector<HWND> found;
  } search{owner, {}};
  ::EnumThreadWindows(::GetCurrentThreadId(), [](HWND hwnd, LPARAM param) -> BOOL {
    auto* s = reinterpret_cast<Search*>(param);
    if (::GetWindow(hwnd, GW_OWNER) == s->owner && ::IsWindowVisible(hwnd) &&
        dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(hwnd)))
      s->found.push_back(hwnd);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

BOOL CWinApp::OnIdle(LONG lCount) {
  if (lCount <= 0) {
    if (CWnd* main = m_pMainWnd; main && main->m_hWnd && ::IsWindowVisible(main->m_hWnd)) {
      main->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
      main->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
      // Floating bars live in frames the main window owns.
      for (HWND owned : OwnedFrames(main->m_hWnd)) {
        ::SendMessageW(owned, WM_IDLEUPDATECMDUI, TRUE, 0);
        CWnd::FromHandle(owned)->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
      }
    }
  }
  return lCount < 1;  // one more pass after the update
}

LRESULT CWinApp::ProcessWndProcException(CException* e, const MSG* pMsg) {
  CString text;
  if (!e || !e->GetErrorMessage(text.GetBuffer(kMaxPath), kMaxPath)) {
    text.ReleaseBuffer();
    text = u"An unexpected error occurred.";
  } else {
    text.ReleaseBuffer();
  }
  AfxMessageBox(text, MB_ICONEXCLAMATION);
  return pMsg && pMsg->message == WM_CREATE ? -1 : 0;
}

// --- CWinApp: profile ---

UINT CWinApp::GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault) {
  const CString text = GetProfileString(lpszSection, lpszEntry, nullptr);
  if (text.IsEmpty()) return static_cast<UINT>(nDefault);
  std::string digits;
  for (char16_t ch : text.Native()) digits += static_cast<char>(ch < 0x80 ? ch : '?');
  return static_cast<UINT>(std::strtol(digits.c_str(), nullptr, 10));
}

CString CWinApp::GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault) {
  std::u16string buffer(4096, u'\0');
  const DWORD length = ::GetPrivateProfileStringW(lpszSection, lpszEntry, lpszDefault ? lpszDefault : u"",
                                                  buffer.data(), static_cast<DWORD>(buffer.size()), m_pszProfileName);
  buffer.resize(length);
  return CString(buffer);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue) {
  CString text;
  text.Format(u"%d", nValue);
  return WriteProfileString(lpszSection, lpszEntry, text);
}

BOOL CWinApp::WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue) {
  return ::WritePrivateProfileStringW(lpszSection, lpszEntry, lpszValue, m_pszProfileName);
}

void CWinApp::LoadStdProfileSettings(UINT nMaxMRU) {
  if (nMaxMRU == 0) return;
  delete m_pRecentFileList;
  m_pRecentFileList = new CRecentFileList(0, u"Recent File List", u"File%d", static_cast<int>(nMaxMRU));
  m_pRecentFileList->ReadList();
}

void CWinApp::SaveStdProfileSettings() {
  if (m_pRecentFileList) m_pRecentFileList->WriteList();
}

// --- CWinApp: documents ---

void CWinApp::AddDocTemplate(CDocTemplate* pTemplate) {
  if (!m_pDocManager) m_pDocManager = new CDocManager;
  m_pDocManager->AddDocTemplate(pTemplate);
}

POSITION CWinApp::GetFirstDocTemplatePosition() const {
  return m_pDocManager ? m_pDocManager->GetFirstDocTemplatePosition() : nullptr;
}

CDocTemplate* CWinApp::GetNextDocTemplate(POSITION& pos) const { return m_pDocManager->GetNextDocTemplate(pos); }

CDocument* CWinApp::OpenDocumentFile(LPCTSTR lpszFileName) {
  return m_pDocManager ? m_pDocManager->OpenDocumentFile(lpszFileName) : nullptr;
}

void CWinApp::AddToRecentFileList(LPCTSTR lpszPathName) {
  if (m_pRecentFileList) m_pRecentFileList->Add(lpszPathName);
}

BOOL CWinApp::DoPromptFileName(CString& fileName, UINT titleId, DWORD flags, BOOL openFileDialog,
                               CDocTemplate* docTemplate) {
  CDocManager none;  // without templates the dialog offers All Files alone
  return (m_pDocManager ? m_pDocManager : &none)->DoPromptFileName(fileName, titleId, flags, openFileDialog,
                                                                    docTemplate);
}

BOOL CWinApp::SaveAllModified() { return m_pDocManager ? m_pDocManager->SaveAllModified() : TRUE; }

void CWinApp::CloseAllDocuments(BOOL bEndSession) {
  if (m_pDocManager) m_pDocManager->CloseAllDocuments(bEndSession);
}

void CWinApp::RegisterShellFileTypes(BOOL bCompat) {
  if (m_pDocManager) m_pDocManager->RegisterShellFileTypes(bCompat);
}

void CWinApp::OnFileNew() {
  if (m_pDocManager) m_pDocManager->OnFileNew();
}

void CWinApp::OnFileOpen() {
  if (m_pDocManager) m_pDocManager->OnFileOpen();
}

void CWinApp::OnAppExit() {
  if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

BOOL CWinApp::OnOpenRecentFile(UINT nID) {
  if (!m_pRecentFileList) return FALSE;
  const int index = static_cast<int>(nID - ID_FILE_MRU_FILE1);
  if (index < 0 || index >= m_pRecentFileList->GetSize()) return FALSE;
  const CString path = (*m_pRecentFileList)[index];
  if (path.IsEmpty()) return FALSE;
  // A file that no longer opens leaves the list.
  if (!OpenDocumentFile(path)) m_pRecentFileList->Remove(index);
  return TRUE;
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* pCmdUI) {
  if (m_pRecentFileList) {
    m_pRecentFileList->UpdateMenu(pCmdUI);
  } else {
    pCmdUI->Enable(FALSE);
  }
}
