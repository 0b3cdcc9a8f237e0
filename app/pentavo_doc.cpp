// CPentavoDoc and the lookup of the application's one document.
#include "app/pentavo_doc.h"

#include "app/pentavo_view.h"
#include "model/project/morph_project.h"

IMPLEMENT_DYNCREATE(CPentavoDoc, CDocument)

BOOL CPentavoDoc::OnNewDocument() {
  if (!CDocument::OnNewDocument()) return FALSE;
  GetMorphProject()->ResetProject();
  return TRUE;
}

BOOL CPentavoDoc::OnOpenDocument(LPCTSTR lpszPathName) {
  POSITION pos = GetFirstViewPosition();
  auto* view = pos ? dynamic_cast<CPentavoView*>(GetNextView(pos)) : nullptr;
  if (view && view->LoadProject(lpszPathName)) return TRUE;
  // The project refuses a file before it touches anything, so the open
  // project, its title, its file and the modified flag stay as they were.
  // A file that is not there says so; one that reads wrong gets the general message.
  const DWORD error = ::GetFileAttributesW(lpszPathName) == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_SUCCESS;
  CFileException cause(CFileException::OsErrorToException(static_cast<LONG>(error)), static_cast<LONG>(error),
                       lpszPathName);
  ReportSaveLoadException(lpszPathName, &cause, FALSE, AFX_IDP_FAILED_TO_OPEN_DOC);
  return FALSE;
}

BOOL CPentavoDoc::OnSaveDocument(LPCTSTR lpszPathName) {
  // A failed save leaves the previous file as it was; the document stays modified.
  if (!GetMorphProject()->SaveProjectFile(lpszPathName)) {
    const DWORD error = ::GetLastError();
    CFileException cause(CFileException::OsErrorToException(static_cast<LONG>(error)), static_cast<LONG>(error),
                         lpszPathName);
    ReportSaveLoadException(lpszPathName, &cause, TRUE, AFX_IDP_FAILED_TO_SAVE_DOC);
    return FALSE;
  }
  SetModifiedFlag(FALSE);
  return TRUE;
}

CDocument* GetMainDocument() {
  CWinApp* app = AfxGetApp();
  if (!app) return nullptr;
  POSITION pos = app->GetFirstDocTemplatePosition();
  CDocTemplate* docTemplate = pos ? app->GetNextDocTemplate(pos) : nullptr;
  if (!docTemplate) return nullptr;
  POSITION docPos = docTemplate->GetFirstDocPosition();
  return docPos ? docTemplate->GetNextDoc(docPos) : nullptr;
}

void SetDocumentModified(BOOL modified) {
  if (CDocument* document = GetMainDocument()) document->SetModifiedFlag(modified);
}
