// CDocument and the single-document template: the New, Open and Save flow
// through the archive, with the framework's messages.
#include "compat/afx.h"
#include "compat/host_path.h"

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CDocTemplate, CCmdTarget)
IMPLEMENT_DYNAMIC(CSingleDocTemplate, CDocTemplate)

BEGIN_MESSAGE_MAP(CDocument, CCmdTarget)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_FILE_SAVE_AS, OnFileSaveAs)
END_MESSAGE_MAP()

namespace {

// A POSITION over a vector is the index plus one, so that null ends the walk.
POSITION PositionOf(size_t index) { return reinterpret_cast<POSITION>(index + 1); }
size_t IndexOf(POSITION pos) { return reinterpret_cast<size_t>(pos) - 1; }

}  // namespace

CDocument::~CDocument() {
  // Views still attached must not reach back into a deleted document.
  for (CView* view : m_viewList) view->m_pDocument = nullptr;
  if (m_pDocTemplate) m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(LPCTSTR lpszTitle) {
  m_strTitle = lpszTitle;
  for (CView* view : m_viewList) {
    if (CFrameWnd* frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(view->m_hWnd)))) {
      frame->OnUpdateFrameTitle(TRUE);
    }
  }
}

void CDocument::SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU) {
  m_strPathName = lpszPathName;
  CString title = m_strPathName;
  const int slash = title.ReverseFind(u'\\');
  if (slash >= 0) title = title.Mid(slash + 1);
  SetTitle(title);
  if (bAddToMRU) {
    if (CWinApp* app = AfxGetApp()) app->AddToRecentFileList(m_strPathName);
  }
}

POSITION CDocument::GetFirstViewPosition() const { return m_viewList.empty() ? nullptr : PositionOf(0); }

CView* CDocument::GetNextView(POSITION& rPosition) const {
  const size_t index = IndexOf(rPosition);
  rPosition = index + 1 < m_viewList.size() ? PositionOf(index + 1) : nullptr;
  return m_viewList[index];
}

void CDocument::AddView(CView* pView) {
  m_viewList.push_back(pView);
  pView->m_pDocument = this;
}

void CDocument::RemoveView(CView* pView) {
  std::erase(m_viewList, pView);
  pView->m_pDocument = nullptr;
}

void CDocument::UpdateAllViews(CView* pSender, LPARAM lHint, CObject* pHint) {
  for (CView* view : m_viewList) {
    if (view != pSender) view->OnUpdate(pSender, lHint, pHint);
  }
}

BOOL CDocument::OnNewDocument() {
  DeleteContents();
  m_strPathName.Empty();
  SetModifiedFlag(FALSE);
  return TRUE;
}

// A file error with a known cause names the file, as the desktop writes its
// path, and the cause; anything else gets the general message.
void CDocument::ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault) {
  UINT prompt = 0;
  if (auto* file = dynamic_cast<CFileException*>(e)) {
    switch (file->m_cause) {
      case CFileException::fileNotFound:
      case CFileException::badPath: prompt = AFX_IDP_FAILED_INVALID_PATH; break;
      case CFileException::diskFull: prompt = AFX_IDP_FAILED_DISK_FULL; break;
      case CFileException::accessDenied:
      case CFileException::sharingViolation:
        prompt = bSaving ? AFX_IDP_FAILED_ACCESS_WRITE : AFX_IDP_FAILED_ACCESS_READ;
        break;
      default: break;
    }
  }
  if (prompt == 0 || lpszPathName == nullptr) {
    AfxMessageBox(nIDPDefault, MB_ICONEXCLAMATION);
    return;
  }
  CString message;
  AfxFormatString1(message, prompt, compat::Utf8ToUtf16(compat::ToHostPath(lpszPathName)).c_str());
  AfxMessageBox(message, MB_ICONEXCLAMATION);
}

BOOL CDocument::OnOpenDocument(LPCTSTR lpszPathName) {
  CFile file;
  CFileException error;
  if (!file.Open(lpszPathName, CFile::modeRead | CFile::shareDenyWrite, &error)) {
    ReportSaveLoadException(lpszPathName, &error, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    return FALSE;
  }
  DeleteContents();
  SetModifiedFlag(TRUE);  // a half-read document counts as changed
  try {
    CArchive ar(&file, CArchive::load | CArchive::bNoFlushOnDelete);
    Serialize(ar);
    ar.Close();
  } catch (CException* e) {
    file.Abort();
    DeleteContents();
    ReportSaveLoadException(lpszPathName, e, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

BOOL CDocument::OnSaveDocument(LPCTSTR lpszPathName) {
  CFile file;
  CFileException error;
  if (!file.Open(lpszPathName, CFile::modeCreate | CFile::modeReadWrite | CFile::shareExclusive, &error)) {
    ReportSaveLoadException(lpszPathName, &error, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  try {
    CArchive ar(&file, CArchive::store | CArchive::bNoFlushOnDelete);
    Serialize(ar);
    ar.Close();
    file.Close();
  } catch (CException* e) {
    file.Abort();
    ReportSaveLoadException(lpszPathName, e, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    e->Delete();
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

void CDocument::OnCloseDocument() {
  const BOOL autoDelete = m_bAutoDelete;
  m_bAutoDelete = FALSE;  // destroying the frames must not delete us midway
  while (!m_viewList.empty()) {
    CView* view = m_viewList.front();
    HWND frame = ::GetParent(view->m_hWnd);
    RemoveView(view);
    // Through the frame's own DestroyWindow, which a frame may extend (to save its layout).
    HWND window = frame ? frame : view->m_hWnd;
    if (CWnd* object = CWnd::FromHandlePermanent(window)) object->DestroyWindow();
    else ::DestroyWindow(window);
  }
  m_bAutoDelete = autoDelete;
  DeleteContents();
  if (m_bAutoDelete) delete this;
}

BOOL CDocument::SaveModified() {
  if (!IsModified()) return TRUE;
  CString name = m_strPathName.IsEmpty() ? m_strTitle : m_strPathName.Mid(m_strPathName.ReverseFind(u'\\') + 1);
  if (name.IsEmpty()) name.LoadString(AFX_IDS_UNTITLED);
  CString prompt;
  AfxFormatString1(prompt, AFX_IDP_ASK_TO_SAVE, name);
  switch (AfxMessageBox(prompt, MB_YESNOCANCEL, AFX_IDP_ASK_TO_SAVE)) {
    case IDCANCEL: return FALSE;
    case IDYES: return DoFileSave();
    default: return TRUE;
  }
}

BOOL CDocument::DoSave(LPCTSTR lpszPathName, BOOL bReplace) {
  CString path = lpszPathName ? CString(lpszPathName) : CString();
  if (path.IsEmpty()) {
    CWinApp* app = AfxGetApp();
    path = m_strPathName;
    if (bReplace && path.IsEmpty()) {
      path = m_strTitle;
      // A title with characters a file name cannot hold gives way to a blank name.
      const int bad = path.FindOneOf(u" #%;/\\");
      if (bad >= 0) path = path.Left(bad);
      CString ext;
      if (m_pDocTemplate && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) && !path.IsEmpty()) {
        path += ext;
      }
    }
    if (!app || !app->DoPromptFileName(path, AFX_IDS_SAVEFILE, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, FALSE,
                                        m_pDocTemplate)) {
      return FALSE;
    }
    CString ext;
    // The default extension joins a name typed without one.
    if (m_pDocTemplate && m_pDocTemplate->GetDocString(ext, CDocTemplate::filterExt) &&
        path.Mid(path.ReverseFind(u'\\') + 1).Find(u'.') < 0) {
      path += ext;
    }
  }
  if (!OnSaveDocument(path)) return FALSE;
  if (bReplace) SetPathName(path);
  return TRUE;
}

BOOL CDocument::DoFileSave() {
  const DWORD attributes = m_strPathName.IsEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(m_strPathName);
  // Untitled or read-only: ask for a name first.
  if (m_strPathName.IsEmpty() || (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))) {
    return DoSave(nullptr);
  }
  return DoSave(m_strPathName);
}

void CDocument::OnFileSave() { DoFileSave(); }

void CDocument::OnFileSaveAs() { DoSave(nullptr); }

BOOL CDocument::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (CCmdTarget::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
  return m_pDocTemplate && m_pDocTemplate->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// --- CDocTemplate ---

CDocTemplate::CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                           CRuntimeClass* pViewClass)
    : m_nIDResource(nIDResource), m_pDocClass(pDocClass), m_pFrameClass(pFrameClass), m_pViewClass(pViewClass) {
  m_strDocStrings.LoadString(nIDResource);
}

CDocTemplate::~CDocTemplate() = default;

BOOL CDocTemplate::GetDocString(CString& rString, DocStringIndex index) const {
  rString.Empty();
  int start = 0;
  for (int i = 0; i < index; ++i) {
    const int next = m_strDocStrings.Find(u'\n', start);
    if (next < 0) return FALSE;
    start = next + 1;
  }
  const int end = m_strDocStrings.Find(u'\n', start);
  rString = end < 0 ? m_strDocStrings.Mid(start) : m_strDocStrings.Mid(start, end - start);
  return !rString.IsEmpty();
}

void CDocTemplate::AddDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = this; }

void CDocTemplate::RemoveDocument(CDocument* pDoc) { pDoc->m_pDocTemplate = nullptr; }

CDocument* CDocTemplate::CreateNewDocument() {
  auto* doc = m_pDocClass ? dynamic_cast<CDocument*>(m_pDocClass->CreateObject()) : nullptr;
  if (doc) AddDocument(doc);
  return doc;
}

CFrameWnd* CDocTemplate::CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther) {
  CCreateContext context;
  context.m_pCurrentFrame = pOther;
  context.m_pCurrentDoc = pDoc;
  context.m_pNewViewClass = m_pViewClass;
  context.m_pNewDocTemplate = this;
  auto* frame = m_pFrameClass ? dynamic_cast<CFrameWnd*>(m_pFrameClass->CreateObject()) : nullptr;
  if (!frame) return nullptr;
  if (!frame->LoadFrame(m_nIDResource, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE, nullptr, &context)) {
    return nullptr;  // a frame whose window failed has deleted itself
  }
  return frame;
}

void CDocTemplate::InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible) {
  pFrame->InitialUpdateFrame(pDoc, bMakeVisible);
}

BOOL CDocTemplate::SaveAllModified() {
  POSITION pos = GetFirstDocPosition();
  while (pos) {
    if (!GetNextDoc(pos)->SaveModified()) return FALSE;
  }
  return TRUE;
}

void CDocTemplate::CloseAllDocuments(BOOL) {
  POSITION pos = GetFirstDocPosition();
  while (pos) GetNextDoc(pos)->OnCloseDocument();
}

// --- CSingleDocTemplate ---

CSingleDocTemplate::CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                                       CRuntimeClass* pViewClass)
    : CDocTemplate(nIDResource, pDocClass, pFrameClass, pViewClass) {}

CSingleDocTemplate::~CSingleDocTemplate() {
  if (m_pOnlyDoc) m_pOnlyDoc->m_pDocTemplate = nullptr;
}

POSITION CSingleDocTemplate::GetFirstDocPosition() const { return m_pOnlyDoc ? PositionOf(0) : nullptr; }

CDocument* CSingleDocTemplate::GetNextDoc(POSITION& rPos) const {
  rPos = nullptr;
  return m_pOnlyDoc;
}

void CSingleDocTemplate::AddDocument(CDocument* pDoc) {
  CDocTemplate::AddDocument(pDoc);
  m_pOnlyDoc = pDoc;
}

void CSingleDocTemplate::RemoveDocument(CDocument* pDoc) {
  CDocTemplate::RemoveDocument(pDoc);
  if (m_pOnlyDoc == pDoc) m_pOnlyDoc = nullptr;
}

void CSingleDocTemplate::SetDefaultTitle(CDocument* pDocument) {
  CString title;
  if (!GetDocString(title, docName)) title.LoadString(AFX_IDS_UNTITLED);
  pDocument->SetTitle(title);
}

CDocument* CSingleDocTemplate::OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible) {
  CDocument* doc = m_pOnlyDoc;
  CFrameWnd* frame = nullptr;
  bool created = false;
  if (doc) {
    if (!doc->SaveModified()) return nullptr;
    POSITION pos = doc->GetFirstViewPosition();
    if (pos) {
      CView* view = doc->GetNextView(pos);
      frame = dynamic_cast<CFrameWnd*>(CWnd::FromHandlePermanent(::GetParent(view->m_hWnd)));
    }
  } else {
    doc = CreateNewDocument();
    if (!doc) {
      AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
      return nullptr;
    }
    created = true;
  }
  if (!frame) {
    const BOOL autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = FALSE;  // a failed frame must not take the document with it
    frame = CreateNewFrame(doc, nullptr);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
      AfxMessageBox(AFX_IDP_FAILED_TO_CREATE_DOC);
      if (created) delete doc;
      return nullptr;
    }
  }
  if (!lpszPathName) {
    SetDefaultTitle(doc);
    if (!bMakeVisible) doc->m_bAutoDelete = FALSE;
    if (!doc->OnNewDocument()) {
      if (created) frame->DestroyWindow();
      return nullptr;
    }
  } else {
    const BOOL wasModified = doc->IsModified();
    doc->SetModifiedFlag(FALSE);
    if (!doc->OnOpenDocument(lpszPathName)) {
      if (created) {
        frame->DestroyWindow();
      } else if (!doc->IsModified()) {
        // The document was not touched: it stays as it was.
        doc->SetModifiedFlag(wasModified);
      } else {
        // Partly read: what is left cannot be trusted, so start afresh.
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) frame->DestroyWindow();
      }
      return nullptr;
    }
    doc->SetPathName(lpszPathName);
  }
  if (created) {
    if (CWinApp* app = AfxGetApp(); app && !app->m_pMainWnd) app->m_pMainWnd = frame;
  }
  InitialUpdateFrame(frame, doc, bMakeVisible);
  return doc;
}
