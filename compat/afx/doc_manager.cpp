// CDocManager: the document templates, the single-document File New and Open,
// the file prompt with the templates' filters, and the shell registration of
// their file types in our registry store.
#include "compat/afx.h"

namespace {

constexpr int kMaxPath = 260;

// "Name (*.ext)|*.ext|" for a template whose document string names a filter.
void AppendTemplateFilter(CString& filter, const CDocTemplate* docTemplate, CString* defaultExt) {
  CString name, ext;
  if (!docTemplate->GetDocString(name, CDocTemplate::filterName) || name.IsEmpty()) return;
  if (!docTemplate->GetDocString(ext, CDocTemplate::filterExt) || ext.IsEmpty()) return;
  filter += name + u"|*" + ext + u"|";
  if (defaultExt && defaultExt->IsEmpty()) *defaultExt = ext.Mid(ext[0] == u'.' ? 1 : 0);
}

// Sets the unnamed value of a key under HKEY_CLASSES_ROOT, making the key.
bool SetClassesValue(const CString& key, const CString& value) {
  HKEY handle = nullptr;
  if (::RegCreateKeyW(HKEY_CLASSES_ROOT, key, &handle) != ERROR_SUCCESS) return false;
  const auto bytes = static_cast<DWORD>((value.GetLength() + 1) * sizeof(char16_t));
  const LONG result = ::RegSetValueExW(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.GetString()), bytes);
  ::RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

}  // namespace

CDocManager::~CDocManager() {
  for (CDocTemplate* docTemplate : m_templateList) {
    POSITION pos = docTemplate->GetFirstDocPosition();
    while (pos) delete docTemplate->GetNextDoc(pos);
    delete docTemplate;
  }
}

void CDocManager::AddDocTemplate(CDocTemplate* pTemplate) {
  if (pTemplate) m_templateList.push_back(pTemplate);
}

POSITION CDocManager::GetFirstDocTemplatePosition() const {
  return m_templateList.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<size_t>(1));
}

CDocTemplate* CDocManager::GetNextDocTemplate(POSITION& pos) const {
  const size_t index = reinterpret_cast<size_t>(pos) - 1;
  pos = index + 1 < m_templateList.size() ? reinterpret_cast<POSITION>(index + 2) : nullptr;
  return m_templateList[index];
}

CDocument* CDocManager::OpenDocumentFile(LPCTSTR lpszFileName) {
  if (m_templateList.empty()) return nullptr;
  return m_templateList.front()->OpenDocumentFile(lpszFileName);
}

BOOL CDocManager::SaveAllModified() {
  for (CDocTemplate* docTemplate : m_templateList) {
    if (!docTemplate->SaveAllModified()) return FALSE;
  }
  return TRUE;
}

void CDocManager::CloseAllDocuments(BOOL bEndSession) {
  for (CDocTemplate* docTemplate : m_templateList) docTemplate->CloseAllDocuments(bEndSession);
}

int CDocManager::GetDocumentCount() {
  int count = 0;
  for (CDocTemplate* docTemplate : m_templateList) {
    for (POSITION pos = docTemplate->GetFirstDocPosition(); pos; docTemplate->GetNextDoc(pos)) ++count;
  }
  return count;
}

void CDocManager::RegisterShellFileTypes(BOOL) {
  char16_t module[kMaxPath] = {};
  ::GetModuleFileNameW(nullptr, module, kMaxPath);
  const CString program(module);
  for (CDocTemplate* docTemplate : m_templateList) {
    CString typeId, typeName, extension;
    if (!docTemplate->GetDocString(typeId, CDocTemplate::regFileTypeId)) continue;
    docTemplate->GetDocString(typeName, CDocTemplate::regFileTypeName);
    SetClassesValue(typeId, typeName);
    SetClassesValue(typeId + u"\\DefaultIcon", program + u",0");
    SetClassesValue(typeId + u"\\shell\\open\\command", u"\"" + program + u"\" \"%1\"");
    if (docTemplate->GetDocString(extension, CDocTemplate::filterExt)) SetClassesValue(extension, typeId);
  }
}

void CDocManager::OnFileNew() {
  if (!m_templateList.empty()) m_templateList.front()->OpenDocumentFile(nullptr);
}

void CDocManager::OnFileOpen() {
  CString name;
  CWinApp* app = AfxGetApp();
  const DWORD flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST;
  const BOOL chosen = app ? app->DoPromptFileName(name, AFX_IDS_OPENFILE, flags, TRUE, nullptr)
                          : DoPromptFileName(name, AFX_IDS_OPENFILE, flags, TRUE, nullptr);
  if (!chosen) return;
  if (app) {
    app->OpenDocumentFile(name);
  } else {
    OpenDocumentFile(name);
  }
}

BOOL CDocManager::DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                   CDocTemplate* pTemplate) {
  CString title, filter, defaultExt, all;
  title.LoadString(nIDSTitle);
  if (pTemplate) {
    AppendTemplateFilter(filter, pTemplate, &defaultExt);
  } else {
    for (const CDocTemplate* each : m_templateList) AppendTemplateFilter(filter, each, &defaultExt);
  }
  if (!all.LoadString(AFX_IDS_ALLFILTER)) all = u"All Files (*.*)";
  filter += all + u"|*.*||";
  CFileDialog dialog(bOpenFileDialog, defaultExt.IsEmpty() ? nullptr : static_cast<LPCTSTR>(defaultExt),
                     fileName.IsEmpty() ? nullptr : static_cast<LPCTSTR>(fileName), lFlags | OFN_OVERWRITEPROMPT,
                     filter, AfxGetMainWnd());
  if (!title.IsEmpty()) dialog.m_ofn.lpstrTitle = title;
  if (dialog.DoModal() != IDOK) return FALSE;
  fileName = dialog.GetPathName();
  return !fileName.IsEmpty();
}
