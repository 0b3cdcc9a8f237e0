// CPentavoDoc: the framework's New, Open and Save on the project singleton.
// The document has no data of its own.
#pragma once

#include "compat/afx.h"

class CPentavoDoc : public CDocument {
  DECLARE_DYNCREATE(CPentavoDoc)

 public:
  BOOL OnNewDocument() override;
  BOOL OnOpenDocument(LPCTSTR lpszPathName) override;
  BOOL OnSaveDocument(LPCTSTR lpszPathName) override;
};

// The application's one document (first template, first document); null
// before the first New.
CDocument* GetMainDocument();
// Sets the one document's modified flag; nothing when there is none.
void SetDocumentModified(BOOL modified);
