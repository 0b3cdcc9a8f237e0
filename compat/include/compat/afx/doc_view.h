// The single-document framework: the application object with its profile and
// recent files, documents, views, frames, the document template, and the
// command route view -> document -> template -> frame -> application.
//
// Sections: messages and ids · CCreateContext · CDocument · CView ·
// CFrameWnd · CDocTemplate · CRecentFileList · CWinApp
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compat/afx/coll.h"
#include "compat/afx/menu.h"
#include "compat/afx/resource_ids.h"
#include "compat/afx/wnd.h"

class CDocument;
class CView;
class CFrameWnd;
class CDocTemplate;
class CControlBar;
class CDockBar;
class CDockState;
class CMiniDockFrameWnd;

// --- messages and ids ---

#define WM_SIZEPARENT 0x0361
#define WM_SETMESSAGESTRING 0x0362
#define WM_IDLEUPDATECMDUI 0x0363
#define WM_INITIALUPDATE 0x0364
#define AFX_IDW_PANE_FIRST 0xE900
#define FWS_ADDTOTITLE 0x00008000L
#ifndef OFN_HIDEREADONLY
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#endif

// --- CCreateContext: what a frame makes its view from ---

struct CCreateContext {
  CRuntimeClass* m_pNewViewClass = nullptr;
  CDocument* m_pCurrentDoc = nullptr;
  CDocTemplate* m_pNewDocTemplate = nullptr;
  CView* m_pLastView = nullptr;
  CFrameWnd* m_pCurrentFrame = nullptr;
};

// --- CDocument ---

class CDocument : public CCmdTarget {
  DECLARE_DYNAMIC(CDocument)

 public:
  CDocument() = default;
  ~CDocument() override;

  const CString& GetTitle() const { return m_strTitle; }
  virtual void SetTitle(LPCTSTR lpszTitle);
  const CString& GetPathName() const { return m_strPathName; }
  virtual void SetPathName(LPCTSTR lpszPathName, BOOL bAddToMRU = TRUE);
  CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }
  virtual BOOL IsModified() { return m_bModified; }
  virtual void SetModifiedFlag(BOOL bModified = TRUE) { m_bModified = bModified; }

  // The views, in the order they were added.
  POSITION GetFirstViewPosition() const;
  CView* GetNextView(POSITION& rPosition) const;
  void AddView(CView* pView);
  void RemoveView(CView* pView);
  void UpdateAllViews(CView* pSender, LPARAM lHint = 0, CObject* pHint = nullptr);

  virtual BOOL OnNewDocument();
  virtual BOOL OnOpenDocument(LPCTSTR lpszPathName);
  virtual BOOL OnSaveDocument(LPCTSTR lpszPathName);
  virtual void OnCloseDocument();
  virtual void DeleteContents() {}
  // Asks "Save changes to <title>?"; FALSE when the user cancelled or the save failed.
  virtual BOOL SaveModified();
  // Saves to `lpszPathName`, or asks for a name first (null, or bReplace with
  // the Save As prompt); FALSE when cancelled or failed.
  virtual BOOL DoSave(LPCTSTR lpszPathName, BOOL bReplace = TRUE);
  virtual BOOL DoFileSave();
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;

  afx_msg void OnFileSave();
  afx_msg void OnFileSaveAs();

  CString m_strTitle;
  CString m_strPathName;
  CDocTemplate* m_pDocTemplate = nullptr;
  BOOL m_bModified = FALSE;
  BOOL m_bAutoDelete = TRUE;

 protected:
  // Shows "Failed to open document." or "Failed to save document." for a
  // caught exception (or none).
  virtual void ReportSaveLoadException(LPCTSTR lpszPathName, CException* e, BOOL bSaving, UINT nIDPDefault);
  std::vector<CView*> m_viewList;
  DECLARE_MESSAGE_MAP()
};

// --- CView ---

class CView : public CWnd {
  DECLARE_DYNAMIC(CView)

 public:
  CView() = default;
  ~CView() override;

  CDocument* GetDocument() const { return m_pDocument; }
  virtual void OnInitialUpdate();
  virtual void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint);
  virtual void OnDraw(CDC* pDC) = 0;
  virtual void OnActivateView(BOOL bActivate, CView* pActivateView, CView* pDeactiveView);
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  void PostNcDestroy() override;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnPaint();
  afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
  afx_msg LRESULT OnInitialUpdateMessage(WPARAM, LPARAM);

  CDocument* m_pDocument = nullptr;

 protected:
  DECLARE_MESSAGE_MAP()
  friend class CDocument;
};

// --- CFrameWnd ---

class CFrameWnd : public CWnd {
  DECLARE_DYNCREATE(CFrameWnd)

 public:
  CFrameWnd() = default;
  ~CFrameWnd() override;

  static const CRect rectDefault;
  using CWnd::Create;
  BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
              const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, LPCTSTR lpszMenuName = nullptr,
              DWORD dwExStyle = 0, CCreateContext* pContext = nullptr);
  // Menu, accelerators, icon and title from the resources of `nIDResource`.
  virtual BOOL LoadFrame(UINT nIDResource, DWORD dwDefaultStyle = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                         CWnd* pParentWnd = nullptr, CCreateContext* pContext = nullptr);
  virtual BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext);
  // The frame window class carrying the icon of `nIDResource`, or the plain frame class.
  LPCTSTR GetIconWndClass(DWORD dwDefaultStyle, UINT nIDResource);
  CWnd* CreateView(CCreateContext* pContext, UINT nID = AFX_IDW_PANE_FIRST);

  CView* GetActiveView() const { return m_pViewActive; }
  void SetActiveView(CView* pViewNew, BOOL bNotify = TRUE);
  virtual CDocument* GetActiveDocument();
  void InitialUpdateFrame(CDocument* pDoc, BOOL bMakeVisible);
  virtual void ActivateFrame(int nCmdShow = -1);
  virtual void RecalcLayout(BOOL bNotify = TRUE);
  void DelayRecalcLayout(BOOL bNotify = TRUE);
  virtual void OnUpdateFrameTitle(BOOL bAddToTitle);
  void UpdateFrameTitleForDocument(LPCTSTR lpszDocName);

  BOOL PreCreateWindow(CREATESTRUCT& cs) override;
  BOOL PreTranslateMessage(MSG* pMsg) override;
  BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;

  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnClose();
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnSetFocus(CWnd* pOldWnd);
  afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
  afx_msg LRESULT OnIdleUpdateCmdUI(WPARAM, LPARAM);
  afx_msg void OnSysColorChange();
  afx_msg void OnSettingChange(UINT uFlags, LPCTSTR lpszSection);

  // --- control bars (in creation order: the first is outermost) ---
  void AddControlBar(CControlBar* pBar);
  void RemoveControlBar(CControlBar* pBar);
  CControlBar* GetControlBar(UINT nID);
  void ShowControlBar(CControlBar* pBar, BOOL bShow, BOOL bDelay);
  // The status bar that shows command prompts (child AFX_IDW_STATUS_BAR).
  virtual CWnd* GetMessageBar();
  // The prompt of a command: its string up to the first newline.
  virtual void GetMessageString(UINT nID, CString& rMessage) const;
  void SetMessageText(LPCTSTR lpszText);
  void SetMessageText(UINT nID);
  afx_msg void OnMenuSelect(UINT nItemID, UINT nFlags, HMENU hSysMenu);
  afx_msg LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
  afx_msg void OnUpdateKeyIndicator(CCmdUI* pCmdUI);
  afx_msg BOOL OnBarCheck(UINT nID);
  afx_msg void OnUpdateControlBarMenu(CCmdUI* pCmdUI);
  afx_msg BOOL OnToolTipText(UINT nID, NMHDR* pNMHDR, LRESULT* pResult);
  CPtrList m_listControlBars;
  UINT m_nIDTracking = 0;     // the command whose prompt should show
  UINT m_nIDLastMessage = 0;  // the command whose prompt shows

  // --- docking (the bar styles are CBRS_ values) ---
  // Makes the dock bars of the edges the style names, in the order top,
  // bottom, left, right; floating bars get m_pFloatingFrameClass frames.
  void EnableDocking(DWORD dwDockStyle);
  // Docks into the dock bar with that id (0: the one of the bar's alignment);
  // lpRect, in screen coordinates, picks the row and place.
  void DockControlBar(CControlBar* pBar, UINT nDockBarID = 0, LPCRECT lpRect = nullptr);
  void DockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
  // Docks back where the bar's placeholder is (pDockBar null: searched for).
  void ReDockControlBar(CControlBar* pBar, CDockBar* pDockBar, LPCRECT lpRect = nullptr);
  // Floats the bar in a floating frame at the screen point; dwStyle
  // CBRS_ALIGN_TOP (0x2000) or CBRS_ALIGN_LEFT gives its orientation.
  void FloatControlBar(CControlBar* pBar, CPoint point, DWORD dwStyle = 0x2000);
  // The alignment of the dock bar that a bar dragged to rect would join, 0 for none.
  DWORD CanDock(CRect rect, DWORD dwDockStyle, CDockBar** ppDockBar = nullptr);
  CMiniDockFrameWnd* CreateFloatingFrame(DWORD dwStyle);  // of m_pFloatingFrameClass
  void SaveBarState(LPCTSTR lpszProfileName) const;
  void LoadBarState(LPCTSTR lpszProfileName);
  void GetDockState(CDockState& state) const;
  void SetDockState(const CDockState& state);
  // Keeps the caption active while one of its floating frames is active, and tells them.
  afx_msg BOOL OnNcActivate(BOOL bActive);
  // A floating bar's frame shows with its first visible bar and hides with its last.
  void ShowFloatingFrameOf(CControlBar* pBar, BOOL bShow);
  CRuntimeClass* m_pFloatingFrameClass = nullptr;
  BOOL m_bInRecalcLayout = FALSE;  // a layout started inside a layout is skipped

  enum { idleMenu = 1, idleTitle = 2, idleNotify = 4, idleLayout = 8 };
  UINT m_nIdleFlags = 0;
  HMENU m_hMenuDefault = nullptr;
  HACCEL m_hAccelTable = nullptr;
  UINT m_nIDHelp = 0;
  BOOL m_bAutoMenuEnable = TRUE;
  CString m_strTitle;

 protected:
  CView* m_pViewActive = nullptr;
  DECLARE_MESSAGE_MAP()
};

// --- CDocTemplate ---

class CDocTemplate : public CCmdTarget {
  DECLARE_DYNAMIC(CDocTemplate)

 public:
  enum DocStringIndex { windowTitle, docName, fileNewName, filterName, filterExt, regFileTypeId, regFileTypeName };
  enum Confidence { noAttempt, maybeAttemptForeign, maybeAttemptNative, yesAttemptForeign, yesAttemptNative, yesAlreadyOpen };

  ~CDocTemplate() override;
  // One "\n"-separated part of the document string; FALSE when it is empty.
  virtual BOOL GetDocString(CString& rString, DocStringIndex index) const;
  virtual POSITION GetFirstDocPosition() const = 0;
  virtual CDocument* GetNextDoc(POSITION& rPos) const = 0;
  virtual void AddDocument(CDocument* pDoc);
  virtual void RemoveDocument(CDocument* pDoc);
  virtual CDocument* CreateNewDocument();
  virtual CFrameWnd* CreateNewFrame(CDocument* pDoc, CFrameWnd* pOther);
  virtual void InitialUpdateFrame(CFrameWnd* pFrame, CDocument* pDoc, BOOL bMakeVisible = TRUE);
  virtual void SetDefaultTitle(CDocument* pDocument) = 0;
  // A path opens that file; null makes a new document.
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) = 0;
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL bEndSession);

  UINT m_nIDResource;
  CRuntimeClass* m_pDocClass;
  CRuntimeClass* m_pFrameClass;
  CRuntimeClass* m_pViewClass;
  CString m_strDocStrings;

 protected:
  CDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass, CRuntimeClass* pViewClass);
};

class CSingleDocTemplate : public CDocTemplate {
  DECLARE_DYNAMIC(CSingleDocTemplate)

 public:
  CSingleDocTemplate(UINT nIDResource, CRuntimeClass* pDocClass, CRuntimeClass* pFrameClass,
                     CRuntimeClass* pViewClass);
  ~CSingleDocTemplate() override;
  POSITION GetFirstDocPosition() const override;
  CDocument* GetNextDoc(POSITION& rPos) const override;
  void AddDocument(CDocument* pDoc) override;
  void RemoveDocument(CDocument* pDoc) override;
  void SetDefaultTitle(CDocument* pDocument) override;
  CDocument* OpenDocumentFile(LPCTSTR lpszPathName, BOOL bMakeVisible = TRUE) override;

 protected:
  CDocument* m_pOnlyDoc = nullptr;
};

// --- CRecentFileList ---

class CRecentFileList {
 public:
  CRecentFileList(UINT nStart, LPCTSTR lpszSection, LPCTSTR lpszEntryFormat, int nSize, int nMaxDispLen = 260);
  virtual ~CRecentFileList() = default;

  int GetSize() const { return static_cast<int>(m_arrNames.size()); }
  CString& operator[](int nIndex) { return m_arrNames[static_cast<size_t>(nIndex)]; }
  // Puts the path at the top; an equal path (without case) moves there.
  virtual void Add(LPCTSTR lpszPathName);
  virtual void Remove(int nIndex);
  virtual void ReadList();
  virtual void WriteList();
  // Replaces the command's item by one "&1 path" item per file, or greys it.
  virtual void UpdateMenu(CCmdUI* pCmdUI);

  UINT m_nStart;
  CString m_strSectionName;
  CString m_strEntryFormat;
  int m_nMaxDisplayLength;
  std::vector<CString> m_arrNames;  // empty entries are unused slots
  CString m_strOriginal;            // the placeholder item's text, shown when the list is empty
};

// --- CCommandLineInfo ---

// What the command line asks for: a new document, or the file it names.
class CCommandLineInfo : public CObject {
 public:
  enum ShellCommand { FileNew, FileOpen, FilePrint, FilePrintTo, FileDDE, AppRegister, AppUnregister, FileNothing = -1 };
  ~CCommandLineInfo() override = default;
  // One argument: a switch the framework knows (after "/" or "-", without it) or a parameter.
  virtual void ParseParam(LPCTSTR pszParam, BOOL bFlag, BOOL bLast);

  ShellCommand m_nShellCommand = FileNew;
  BOOL m_bShowSplash = TRUE;
  CString m_strFileName;
};

namespace compat::afx {
// The program's entry hands its arguments (the program first) to the framework.
void SetCommandLine(std::vector<std::u16string> arguments);
}  // namespace compat::afx

// --- CDocManager: the application's document templates and the File commands on them ---

class CDocManager : public CObject {
 public:
  CDocManager() = default;
  ~CDocManager() override;  // deletes the templates and their documents
  CDocManager(const CDocManager&) = delete;
  CDocManager& operator=(const CDocManager&) = delete;

  virtual void AddDocTemplate(CDocTemplate* pTemplate);
  virtual POSITION GetFirstDocTemplatePosition() const;
  virtual CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  // The single-document flow of the first template; NULL when it failed.
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
  virtual BOOL SaveAllModified();
  virtual void CloseAllDocuments(BOOL bEndSession);
  virtual int GetDocumentCount();
  virtual void RegisterShellFileTypes(BOOL bCompat);
  virtual void OnFileNew();
  // Asks through the application's DoPromptFileName, so that a program
  // overriding it there is heard.
  virtual void OnFileOpen();
  // The file dialog with the templates' filters and "All Files (*.*)"; FALSE when cancelled.
  virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                CDocTemplate* pTemplate);

 protected:
  std::vector<CDocTemplate*> m_templateList;  // owned
};

// --- CWinApp ---

class CWinApp : public CWinThread {
  DECLARE_DYNAMIC(CWinApp)

 public:
  explicit CWinApp(LPCTSTR lpszAppName = nullptr);
  ~CWinApp() override;

  HINSTANCE m_hInstance = nullptr;
  LPCTSTR m_pszAppName = nullptr;
  LPCTSTR m_pszExeName = nullptr;
  LPCTSTR m_pszProfileName = nullptr;  // malloc'ed; a program may free it and set its own
  LPCTSTR m_pszRegistryKey = nullptr;
  LPCTSTR m_pszHelpFilePath = nullptr;
  int m_nCmdShow = SW_SHOWNORMAL;
  CRecentFileList* m_pRecentFileList = nullptr;
  CDocManager* m_pDocManager = nullptr;  // made by the first AddDocTemplate; owned

  BOOL InitInstance() override;
  int ExitInstance() override;
  int Run() override;
  // Updates the frames' command states; TRUE while more idle work remains.
  BOOL OnIdle(LONG lCount) override;
  // An exception out of a handler: its message is shown and the message gets its default.
  virtual LRESULT ProcessWndProcException(CException* e, const MSG* pMsg);

  // --- the INI profile ---
  UINT GetProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nDefault);
  CString GetProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszDefault = nullptr);
  BOOL WriteProfileInt(LPCTSTR lpszSection, LPCTSTR lpszEntry, int nValue);
  BOOL WriteProfileString(LPCTSTR lpszSection, LPCTSTR lpszEntry, LPCTSTR lpszValue);
  void LoadStdProfileSettings(UINT nMaxMRU = 4);
  void SaveStdProfileSettings();

  // --- documents ---
  void AddDocTemplate(CDocTemplate* pTemplate);
  POSITION GetFirstDocTemplatePosition() const;
  CDocTemplate* GetNextDocTemplate(POSITION& pos) const;
  virtual CDocument* OpenDocumentFile(LPCTSTR lpszFileName);
  virtual void AddToRecentFileList(LPCTSTR lpszPathName);
  // Asks the user for a file name (the document manager's dialog); FALSE when cancelled.
  virtual BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD lFlags, BOOL bOpenFileDialog,
                                CDocTemplate* pTemplate);
  BOOL SaveAllModified();
  void CloseAllDocuments(BOOL bEndSession);
  void ParseCommandLine(CCommandLineInfo& rCmdInfo);
  // FileNew makes a new document, FileOpen opens the file; FALSE when that failed.
  BOOL ProcessShellCommand(CCommandLineInfo& rCmdInfo);
  void Enable3dControlsStatic() {}
  // Writes each template's file type (name, icon, open command) and its
  // extension under HKEY_CLASSES_ROOT of our registry store; nothing reaches the desktop.
  void RegisterShellFileTypes(BOOL bCompat = FALSE);

  afx_msg void OnFileNew();
  afx_msg void OnFileOpen();
  afx_msg void OnAppExit();
  afx_msg BOOL OnOpenRecentFile(UINT nID);
  afx_msg void OnUpdateRecentFileMenu(CCmdUI* pCmdUI);

 protected:
  DECLARE_MESSAGE_MAP()
};

// CCmdUI for the items of a popup menu while it opens.
class CMenuCmdUI : public CCmdUI {
 public:
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;
  void SetRadio(BOOL bOn = TRUE) override;
  void SetText(LPCTSTR lpszText) override;
};

// --- message-map entries of the framework's windows ---

#define ON_COMMAND_EX_RANGE(id, idLast, memberFxn) \
  {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), nullptr, AFX_HANDLER(return afxThis->ThisClass::memberFxn(afxCall.nID);)},
#define ON_WM_INITMENUPOPUP() {WM_INITMENUPOPUP, 0, 0, 0, nullptr, AFX_HANDLER(afxThis->ThisClass::OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(afxCall.wParam)), static_cast<UINT>(LOWORD(afxCall.lParam)), static_cast<BOOL>(HIWORD(afxCall.lParam))); return TRUE;)},
