// The single-document framework worked as a user works it: a small note-taking
// application (a document holding a text, a view drawing it, a frame with the
// File, Edit and View menus and their keys) driven by injected keys on the
// headless desktop, with its message boxes and file names answered by the script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/afx/doc_view_test_ids.h"
#include "compat/afx/resource_ids.h"
#include "compat/afx/test_helpers.h"
#include "compat/host_path.h"
#include "compat/win32/dialog_test_support.h"

namespace {

std::vector<std::string>& Trace() {
  static std::vector<std::string> trace;
  return trace;
}

// How the next OnOpenDocument fails: not at all, before touching the
// document, or after marking it modified.
enum class OpenFailure { none, untouched, damaged };
OpenFailure g_openFailure = OpenFailure::none;

class CNoteDoc : public CDocument {
  DECLARE_DYNCREATE(CNoteDoc)

 public:
  CString m_text;
  void DeleteContents() override { m_text.Empty(); }
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar.WriteString(m_text);
    } else if (!ar.ReadString(m_text)) {
      m_text.Empty();
    }
  }
  BOOL OnOpenDocument(LPCTSTR path) override {
    if (g_openFailure == OpenFailure::untouched) return FALSE;
    if (g_openFailure == OpenFailure::damaged) {
      m_text = u"half read";
      SetModifiedFlag();
      return FALSE;
    }
    return CDocument::OnOpenDocument(path);
  }
  void OnUpper() { Trace().push_back("doc upper"); }
  void OnAppend() {
    m_text += u"!";
    SetModifiedFlag();
    UpdateAllViews(nullptr);
  }
  void OnUpdateLocked(CCmdUI* ui) { ui->Enable(FALSE); }

 protected:
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CNoteDoc, CDocument)
BEGIN_MESSAGE_MAP(CNoteDoc, CDocument)
ON_COMMAND(ID_EDIT_UPPER, OnUpper)
ON_COMMAND(ID_EDIT_APPEND, OnAppend)
ON_UPDATE_COMMAND_UI(ID_EDIT_LOCKED, OnUpdateLocked)
END_MESSAGE_MAP()

class CNoteView : public CView {
  DECLARE_DYNCREATE(CNoteView)

 public:
  int m_initialUpdates = 0;
  CNoteDoc* GetNote() const { return static_cast<CNoteDoc*>(GetDocument()); }
  void OnDraw(CDC* pDC) override {
    CRect client;
    GetClientRect(&client);
    pDC->FillSolidRect(&client, RGB(255, 255, 224));
    pDC->SetBkMode(TRANSPARENT);
    if (GetNote()) pDC->TextOut(8, 8, GetNote()->m_text);
  }
  void OnInitialUpdate() override {
    ++m_initialUpdates;
    CView::OnInitialUpdate();
  }
  void OnUpper() {
    Trace().push_back("view upper");
    GetNote()->m_text.MakeUpper();
    GetNote()->SetModifiedFlag();
    Invalidate();
  }
  void OnUpdateUpper(CCmdUI* ui) { ui->Enable(GetNote() && !GetNote()->m_text.IsEmpty()); }
  int m_colourChanges = 0;
  void OnSysColorChange() { ++m_colourChanges; }

 protected:
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CNoteView, CView)
BEGIN_MESSAGE_MAP(CNoteView, CView)
ON_COMMAND(ID_EDIT_UPPER, OnUpper)
ON_UPDATE_COMMAND_UI(ID_EDIT_UPPER, OnUpdateUpper)
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

class CNoteFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CNoteFrame)

 public:
  void OnUpper() { Trace().push_back("frame upper"); }
  void OnLocked() { Trace().push_back("locked ran"); }
  void OnThrow() { throw new CFileException(CFileException::diskFull, -1, u"C:\\full.not"); }
  void OnWide() {}
  void OnUpdateWide(CCmdUI* ui) { ui->SetRadio(TRUE); }

 protected:
  DECLARE_MESSAGE_MAP()
};

IMPLEMENT_DYNCREATE(CNoteFrame, CFrameWnd)
BEGIN_MESSAGE_MAP(CNoteFrame, CFrameWnd)
ON_COMMAND(ID_EDIT_UPPER, OnUpper)
ON_COMMAND(ID_EDIT_LOCKED, OnLocked)
ON_COMMAND(ID_EDIT_ORPHAN + 100, OnThrow)
ON_COMMAND(ID_VIEW_WIDE, OnWide)
ON_UPDATE_COMMAND_UI(ID_VIEW_WIDE, OnUpdateWide)
END_MESSAGE_MAP()

class CNotesApp : public CWinApp {
 public:
  explicit CNotesApp(const CString& iniPath) : m_iniPath(iniPath) {}
  BOOL m_bGrid = FALSE;
  std::optional<CString> m_answer;  // the name the file dialog gives, or cancelled
  std::vector<UINT> m_prompts;      // the titles of the file dialogs asked
  BOOL m_realDialog = FALSE;        // ask through the framework's own file dialog

  BOOL InitInstance() override {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(m_iniPath);
    LoadStdProfileSettings(4);
    AddDocTemplate(new CSingleDocTemplate(IDR_NOTES, RUNTIME_CLASS(CNoteDoc), RUNTIME_CLASS(CNoteFrame),
                                          RUNTIME_CLASS(CNoteView)));
    OnFileNew();
    return m_pMainWnd != nullptr;
  }
  BOOL DoPromptFileName(CString& fileName, UINT nIDSTitle, DWORD flags, BOOL open, CDocTemplate* docTemplate) override {
    if (m_realDialog) return CWinApp::DoPromptFileName(fileName, nIDSTitle, flags, open, docTemplate);
    m_prompts.push_back(nIDSTitle);
    if (!m_answer) return FALSE;
    fileName = *m_answer;
    return TRUE;
  }
  void OnGrid() { m_bGrid = !m_bGrid; }
  void OnUpdateGrid(CCmdUI* ui) { ui->SetCheck(m_bGrid); }

 protected:
  CString m_iniPath;
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotesApp, CWinApp)
ON_COMMAND(ID_VIEW_GRID, OnGrid)
ON_UPDATE_COMMAND_UI(ID_VIEW_GRID, OnUpdateGrid)
END_MESSAGE_MAP()

class DocViewTest : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    compat::SetRealMessageBoxes(true);  // answered by the script's keys
    Trace().clear();
    g_openFailure = OpenFailure::none;
  }

  void TearDown() override {
    compat::SetRealMessageBoxes(false);
    DialogTest::TearDown();
  }

  // Starts the application as the program's entry would, up to its message loop.
  std::unique_ptr<CNotesApp> Start() {
    auto app = std::make_unique<CNotesApp>(m_folder.Path(u"notes.ini"));
    EXPECT_TRUE(app->InitInstance());
    Pump(*app);
    return app;
  }

  // Runs the loop's work for what is queued: the frame's keys, then dispatch, then idle.
  static void Pump(CWinApp& app) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      app.m_msgCur = msg;
      if (!app.PreTranslateMessage(&msg)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    }
    for (LONG count = 0; app.OnIdle(count); ++count) {
    }
  }

  static void Chord(unsigned key, CWinApp& app) {
    compat::host::InjectKey(VK_CONTROL, true);
    compat::host::InjectKeyPress(key);
    compat::host::InjectKey(VK_CONTROL, false);
    Pump(app);
  }

  // Opens a menu of the bar with Alt and its letter, then closes it with Escape twice.
  static void PeekMenu(unsigned letter, CWinApp& app) {
    compat::host::InjectKey(VK_MENU, true);
    compat::host::InjectKeyPress(letter);
    compat::host::InjectKey(VK_MENU, false);
    compat::host::InjectKeyPress(VK_ESCAPE);
    compat::host::InjectKeyPress(VK_ESCAPE);
    Pump(app);
  }

  static CNoteFrame* Frame(CWinApp& app) { return static_cast<CNoteFrame*>(app.m_pMainWnd); }
  static CNoteView* View(CWinApp& app) { return static_cast<CNoteView*>(Frame(app)->GetActiveView()); }
  static CNoteDoc* Doc(CWinApp& app) { return static_cast<CNoteDoc*>(Frame(app)->GetActiveDocument()); }
  static std::u16string Title(CWinApp& app) {
    CString title;
    Frame(app)->GetWindowText(title);
    return title.Native();
  }
  static HMENU Popup(CWinApp& app, int index) { return ::GetSubMenu(::GetMenu(Frame(app)->m_hWnd), index); }

  // Answers the next message box with a key and returns nothing; its text is read afterwards.
  static void AnswerBox(unsigned key) {
    compat::AddModalStepOnCaption(u"Calvetta Test", [key](HWND) { compat::host::InjectKeyPress(key); });
  }

  TempFolder m_folder;
};

TEST_F(DocViewTest, StartsWithAnUntitledDocumentInAFrameWithTheResourcesMenuAndKeys) {
  auto app = Start();
  CNoteFrame* frame = Frame(*app);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(Title(*app), u"Untitled - Notes");
  EXPECT_TRUE(frame->IsWindowVisible());
  ASSERT_NE(View(*app), nullptr);
  EXPECT_EQ(View(*app)->GetDlgCtrlID(), static_cast<int>(AFX_IDW_PANE_FIRST));
  EXPECT_EQ(View(*app)->m_initialUpdates, 1);
  EXPECT_EQ(::GetFocus(), View(*app)->m_hWnd);
  EXPECT_NE(frame->m_hAccelTable, nullptr);
  EXPECT_EQ(::GetMenu(frame->m_hWnd), frame->m_hMenuDefault);
  // The view fills the client area.
  CRect client, pane;
  frame->GetClientRect(&client);
  View(*app)->GetWindowRect(&pane);
  EXPECT_EQ(pane.Width(), client.Width());
  EXPECT_EQ(pane.Height(), client.Height());
  EXPECT_EQ(Doc(*app)->GetTitle().Native(), u"Untitled");

  CDocTemplate* docTemplate = Doc(*app)->GetDocTemplate();
  ASSERT_NE(docTemplate, nullptr);
  CString part;
  EXPECT_TRUE(docTemplate->GetDocString(part, CDocTemplate::filterExt));
  EXPECT_EQ(part.Native(), u".not");
  EXPECT_TRUE(docTemplate->GetDocString(part, CDocTemplate::regFileTypeName));
  EXPECT_EQ(part.Native(), u"Note Document");
  // The application's templates live in its document manager.
  ASSERT_NE(app->m_pDocManager, nullptr);
  EXPECT_EQ(app->m_pDocManager->GetDocumentCount(), 1);
  POSITION pos = app->m_pDocManager->GetFirstDocTemplatePosition();
  EXPECT_EQ(app->m_pDocManager->GetNextDocTemplate(pos), docTemplate);
  EXPECT_EQ(pos, nullptr);
  frame->DestroyWindow();
}

TEST_F(DocViewTest, KeysAndMenusReachTheHandlersInRouteOrderAndUpdateHandlersGuardThem) {
  auto app = Start();
  Doc(*app)->m_text = u"hello";
  Chord('U', *app);  // handled by view, document and frame: the view answers
  EXPECT_EQ(Trace(), std::vector<std::string>{"view upper"});
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"HELLO");
  Chord('E', *app);  // only the document handles it
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"HELLO!");
  EXPECT_TRUE(Doc(*app)->IsModified());
  Chord('L', *app);  // its update handler disables it: the key does nothing
  EXPECT_EQ(Trace(), std::vector<std::string>{"view upper"});

  Doc(*app)->m_text.Empty();
  Trace().clear();
  Chord('U', *app);  // the view's update handler greys Upper for an empty text
  EXPECT_TRUE(Trace().empty());

  PeekMenu('E', *app);
  HMENU edit = Popup(*app, 1);
  EXPECT_TRUE(::GetMenuState(edit, ID_EDIT_UPPER, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_FALSE(::GetMenuState(edit, ID_EDIT_APPEND, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(::GetMenuState(edit, ID_EDIT_LOCKED, MF_BYCOMMAND) & MF_GRAYED);
  EXPECT_TRUE(::GetMenuState(edit, ID_EDIT_ORPHAN, MF_BYCOMMAND) & MF_GRAYED);  // nobody handles it

  // View > Grid by the keyboard reaches the application; its check follows.
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('V');
  compat::host::InjectKey(VK_MENU, false);
  compat::host::InjectKeyPress('G');
  Pump(*app);
  EXPECT_TRUE(app->m_bGrid);
  PeekMenu('V', *app);
  HMENU view = Popup(*app, 2);
  EXPECT_TRUE(::GetMenuState(view, ID_VIEW_GRID, MF_BYCOMMAND) & MF_CHECKED);
  MENUITEMINFOW wide{};
  wide.cbSize = sizeof(wide);
  wide.fMask = MIIM_CHECKMARKS | MIIM_STATE;
  ASSERT_TRUE(::GetMenuItemInfoW(view, ID_VIEW_WIDE, FALSE, &wide));
  EXPECT_NE(wide.hbmpChecked, nullptr);  // the framework's radio dot
  EXPECT_TRUE(wide.fState & MFS_CHECKED);

  Doc(*app)->m_text = u"Notes of the day";
  View(*app)->Invalidate();
  View(*app)->UpdateWindow();
  ASSERT_TRUE(compat::WriteWindowPng(Frame(*app)->m_hWnd, dlgtest::PngPath("framework_notes_frame").c_str()));
  Doc(*app)->SetModifiedFlag(FALSE);
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, AnOpenMenuKeepsTheKeyboardFromTheFramesAccelerators) {
  auto app = Start();
  Doc(*app)->m_text = u"hello";
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('V');
  compat::host::InjectKey(VK_MENU, false);
  compat::host::InjectKey(VK_CONTROL, true);
  compat::host::InjectKeyPress('E');  // Append's accelerator, pressed inside the View menu
  compat::host::InjectKey(VK_CONTROL, false);
  compat::host::InjectKeyPress(VK_ESCAPE);
  compat::host::InjectKeyPress(VK_ESCAPE);
  Pump(*app);
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"hello");
  Chord('E', *app);  // with the menu closed the key works again
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"hello!");
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, SaveOnAnUntitledDocumentAsksForANameAndTheRecentListOpensItOnTheNextRun) {
  const CString stem = m_folder.Path(u"first");
  {
    auto app = Start();
    Doc(*app)->m_text = u"remember me";
    Doc(*app)->SetModifiedFlag();
    app->m_answer = stem;  // typed without an extension
    Chord('S', *app);
    ASSERT_EQ(app->m_prompts, std::vector<UINT>{AFX_IDS_SAVEFILE});
    EXPECT_EQ(Doc(*app)->GetPathName().Native(), (stem + u".not").Native());
    EXPECT_EQ(Title(*app), u"first.not - Notes");
    EXPECT_FALSE(Doc(*app)->IsModified());
    // A second Save goes to the same file without asking.
    Chord('S', *app);
    EXPECT_EQ(app->m_prompts.size(), 1u);
    PeekMenu('F', *app);
    CString item;
    ::GetMenuStringW(Popup(*app, 0), ID_FILE_MRU_FILE1, item.GetBuffer(300), 300, MF_BYCOMMAND);
    item.ReleaseBuffer();
    // The menu shows the path as the file dialogs do, with slashes.
    EXPECT_EQ(item.Native(), u"&1 " + compat::Utf8ToUtf16(compat::ToHostPath((stem + u".not").Native())));
    Frame(*app)->SendMessage(WM_CLOSE);
    Pump(*app);
    app->ExitInstance();
  }
  // The INI as written reads back, section and entry.
  std::ifstream ini(m_folder.Host() + "/notes.ini");
  std::string text((std::istreambuf_iterator<char>(ini)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("[Recent File List]"), std::string::npos) << text;
  EXPECT_NE(text.find("File1="), std::string::npos) << text;
  // An independent reader agrees: Python's configparser finds the entry.
  if (std::system("python3 -c 'import configparser' 2>/dev/null") == 0) {
    const std::string command = "python3 -c \"import configparser,sys; c=configparser.ConfigParser(); c.read(sys.argv[1]); "
                                "sys.exit(0 if c['Recent File List']['File1'].lower().endswith('first.not') else 1)\" '" +
                                m_folder.Host() + "/notes.ini'";
    EXPECT_EQ(std::system(command.c_str()), 0) << text;
  }

  auto app = Start();
  EXPECT_EQ(Title(*app), u"Untitled - Notes");
  // File, then the first recent file by its number.
  compat::host::InjectKey(VK_MENU, true);
  compat::host::InjectKeyPress('F');
  compat::host::InjectKey(VK_MENU, false);
  compat::host::InjectKeyPress('1');
  Pump(*app);
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"remember me");
  EXPECT_EQ(Title(*app), u"first.not - Notes");
  EXPECT_EQ(View(*app)->m_initialUpdates, 2);  // New, then Open
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, SaveAsAsksThroughTheFileDialogWithTheDocumentsFilterAndExtension) {
  auto app = Start();
  app->m_realDialog = TRUE;
  Doc(*app)->m_text = u"asked for";
  Doc(*app)->SetModifiedFlag();
  const CString stem = m_folder.Path(u"named");
  std::u16string filter;
  compat::AddModalStepOnCaption(u"Save As", [&](HWND dialog) {
    WCHAR type[100] = {};
    ::GetDlgItemTextW(dialog, cmb1, type, 100);
    filter = type;
    ::SetDlgItemTextW(dialog, edt1, stem);  // typed without an extension
    compat::host::InjectKeyPress(VK_RETURN);
  });
  Chord('S', *app);
  EXPECT_EQ(filter, u"Note files (*.not)");
  EXPECT_EQ(Doc(*app)->GetPathName().Native(), (stem + u".not").Native());
  EXPECT_FALSE(Doc(*app)->IsModified());
  std::ifstream saved(m_folder.Host() + "/named.not");
  EXPECT_TRUE(saved.good());
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, NewOnAChangedDocumentAsksToSaveAndHonoursTheAnswer) {
  auto app = Start();
  CNoteDoc* doc = Doc(*app);
  doc->m_text = u"draft";
  doc->SetModifiedFlag();

  AnswerBox(VK_ESCAPE);  // Cancel keeps everything
  Chord('N', *app);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Save changes to Untitled?");
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"draft");
  EXPECT_TRUE(Doc(*app)->IsModified());

  AnswerBox('N');  // No discards
  Chord('N', *app);
  EXPECT_EQ(Doc(*app), doc);  // the one document is reused
  EXPECT_TRUE(Doc(*app)->m_text.IsEmpty());
  EXPECT_FALSE(Doc(*app)->IsModified());
  EXPECT_EQ(View(*app)->m_initialUpdates, 2);

  Doc(*app)->m_text = u"keep";
  Doc(*app)->SetModifiedFlag();
  app->m_answer = m_folder.Path(u"kept.not");
  AnswerBox('Y');  // Yes saves, asking for a name first
  Chord('N', *app);
  EXPECT_TRUE(Doc(*app)->m_text.IsEmpty());
  std::ifstream kept(m_folder.Host() + "/kept.not", std::ios::binary);
  EXPECT_TRUE(kept.good());

  // Closing the frame with a change asks as well; No lets it close.
  Doc(*app)->SetModifiedFlag();
  AnswerBox('N');
  Frame(*app)->SendMessage(WM_CLOSE);
  EXPECT_EQ(app->m_pMainWnd, nullptr);
}

TEST_F(DocViewTest, AFailedOpenKeepsAnUntouchedDocumentAndReplacesADamagedOne) {
  auto app = Start();
  const CString path = m_folder.Path(u"old.not");
  {
    std::ofstream(m_folder.Host() + "/old.not") << "x";
  }
  Doc(*app)->m_text = u"current";
  Doc(*app)->SetModifiedFlag();
  Doc(*app)->SetTitle(u"Mine");

  g_openFailure = OpenFailure::untouched;
  app->m_answer = path;
  AnswerBox('N');  // the changed document's question comes first
  Chord('O', *app);
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"current");
  EXPECT_EQ(Doc(*app)->GetTitle().Native(), u"Mine");
  EXPECT_TRUE(Doc(*app)->GetPathName().IsEmpty());
  EXPECT_TRUE(Doc(*app)->IsModified());  // its flag came back

  g_openFailure = OpenFailure::damaged;
  AnswerBox('N');
  Chord('O', *app);
  EXPECT_TRUE(Doc(*app)->m_text.IsEmpty());
  EXPECT_EQ(Doc(*app)->GetTitle().Native(), u"Untitled");
  EXPECT_FALSE(Doc(*app)->IsModified());

  // A file that is not there says so, by its name as the desktop writes it.
  g_openFailure = OpenFailure::none;
  app->m_answer = m_folder.Path(u"missing.not");
  AnswerBox(VK_RETURN);
  Chord('O', *app);
  EXPECT_EQ(compat::LastMessageBoxText(),
            compat::Utf8ToUtf16(m_folder.Host() + "/missing.not") +
                u"\nThe file or its folder was not found.\nCheck the path and the file name.");
  EXPECT_EQ(Doc(*app)->GetTitle().Native(), u"Untitled");
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, RecentFilesMoveToTheTopWithoutCaseAndSkipFilesThatNoLongerOpen) {
  auto app = Start();
  CRecentFileList& list = *app->m_pRecentFileList;
  list.Add(u"C:\\a.not");
  list.Add(u"C:\\b.not");
  list.Add(u"C:\\A.NOT");
  EXPECT_EQ(list[0].Native(), u"C:\\A.NOT");
  EXPECT_EQ(list[1].Native(), u"C:\\b.not");
  EXPECT_TRUE(list[2].IsEmpty());
  for (const char16_t* name : {u"C:\\c.not", u"C:\\d.not", u"C:\\e.not"}) list.Add(name);
  EXPECT_EQ(list[3].Native(), u"C:\\A.NOT");  // the oldest, b.not, fell off
  EXPECT_EQ(list[0].Native(), u"C:\\e.not");
  // Opening one that is gone tells the user and drops it.
  AnswerBox(VK_RETURN);
  EXPECT_TRUE(app->OnCmdMsg(ID_FILE_MRU_FILE1, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(list[0].Native(), u"C:\\d.not");
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, IdleSendsTheUpdateMessageRunsADelayedLayoutOnceAndATimerRestartsIdle) {
  auto app = Start();
  CNoteFrame* frame = Frame(*app);
  ::MoveWindow(View(*app)->m_hWnd, 0, 0, 10, 10, TRUE);
  frame->DelayRecalcLayout();
  EXPECT_NE(frame->m_nIdleFlags & CFrameWnd::idleLayout, 0u);
  EXPECT_TRUE(app->OnIdle(0));
  EXPECT_EQ(frame->m_nIdleFlags, 0u);
  CRect client, pane;
  frame->GetClientRect(&client);
  View(*app)->GetWindowRect(&pane);
  EXPECT_EQ(pane.Width(), client.Width());
  EXPECT_FALSE(app->OnIdle(1));

  MSG msg{};
  msg.message = WM_TIMER;
  EXPECT_TRUE(app->IsIdleMessage(&msg));
  msg.message = WM_PAINT;
  EXPECT_FALSE(app->IsIdleMessage(&msg));
  msg.message = WM_MOUSEMOVE;
  msg.pt = {5, 5};
  EXPECT_TRUE(app->IsIdleMessage(&msg));
  EXPECT_FALSE(app->IsIdleMessage(&msg));  // the same place again
  frame->DestroyWindow();
}

TEST_F(DocViewTest, ProfileCallsReadDefaultsAndSignedNumbersFromTheIni) {
  auto app = Start();
  EXPECT_EQ(app->GetProfileInt(u"Settings", u"Zoom", 7), 7u);
  EXPECT_TRUE(app->WriteProfileInt(u"Settings", u"Zoom", -3));
  EXPECT_EQ(static_cast<int>(app->GetProfileInt(u"Settings", u"Zoom", 7)), -3);
  EXPECT_TRUE(app->WriteProfileString(u"Settings", u"Name", u"north"));
  EXPECT_EQ(app->GetProfileString(u"Settings", u"Name").Native(), u"north");
  EXPECT_TRUE(app->WriteProfileString(u"Settings", nullptr, nullptr));  // the whole section goes
  EXPECT_EQ(app->GetProfileString(u"Settings", u"Name", u"none").Native(), u"none");
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, AnExceptionInAHandlerIsShownAndTheProgramGoesOn) {
  auto app = Start();
  AnswerBox(VK_RETURN);
  Frame(*app)->SendMessage(WM_COMMAND, ID_EDIT_ORPHAN + 100, 0);
  EXPECT_NE(compat::LastMessageBoxText().find(u"full.not"), std::u16string::npos);
  Doc(*app)->m_text = u"still here";
  Chord('U', *app);
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"STILL HERE");
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, OwnersOfChildrenAndColourChangesReachTheFramesChildren) {
  auto app = Start();
  CNoteView* view = View(*app);
  EXPECT_EQ(view->GetOwner()->m_hWnd, Frame(*app)->m_hWnd);  // no owner set: the parent
  CWnd other;
  ASSERT_TRUE(other.CreateEx(0, AfxRegisterWndClass(0), u"Other", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                             nullptr));
  EXPECT_EQ(view->GetParentFrame(), Frame(*app));
  EXPECT_EQ(view->GetTopLevelFrame(), Frame(*app));
  EXPECT_EQ(Frame(*app)->GetDescendantWindow(AFX_IDW_PANE_FIRST, TRUE), view);
  view->SetOwner(&other);
  EXPECT_EQ(view->GetOwner(), &other);
  EXPECT_EQ(view->GetParent()->m_hWnd, Frame(*app)->m_hWnd);  // the parent stays

  const INT element = COLOR_WINDOW;
  const COLORREF colour = ::GetSysColor(COLOR_WINDOW);
  ASSERT_TRUE(::SetSysColors(1, &element, &colour));
  EXPECT_EQ(view->m_colourChanges, 1);
  other.DestroyWindow();
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, TheCommandLineOpensItsFileMadeAbsoluteOrElseANewDocument) {
  auto app = std::make_unique<CNotesApp>(m_folder.Path(u"notes.ini"));
  {
    const std::u16string text = u"from the shell";  // the archive's text is UTF-16
    std::ofstream(m_folder.Host() + "/given.not", std::ios::binary)
        .write(reinterpret_cast<const char*>(text.data()), static_cast<std::streamsize>(text.size() * 2));
  }
  char16_t folder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  ASSERT_TRUE(::SetCurrentDirectoryW(compat::FromHostPath(m_folder.Host()).c_str()));
  compat::afx::SetCommandLine({u"calvetta.exe", u"/nologo", u"given.not", u"other.not"});
  CCommandLineInfo info;
  app->ParseCommandLine(info);
  ::SetCurrentDirectoryW(folder);
  EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);
  EXPECT_EQ(info.m_strFileName.Native(), m_folder.Path(u"given.not").Native());
  EXPECT_TRUE(app->InitInstance());
  EXPECT_TRUE(app->ProcessShellCommand(info));
  EXPECT_EQ(Doc(*app)->m_text.Native(), u"from the shell");
  EXPECT_EQ(Title(*app), u"given.not - Notes");

  info.m_strFileName = m_folder.Path(u"absent.not");
  AnswerBox(VK_RETURN);
  EXPECT_FALSE(app->ProcessShellCommand(info));

  CCommandLineInfo none;
  compat::afx::SetCommandLine({u"calvetta.exe"});
  app->ParseCommandLine(none);
  EXPECT_EQ(none.m_nShellCommand, CCommandLineInfo::FileNew);
  Frame(*app)->DestroyWindow();
}

// The unnamed value of a key under HKEY_CLASSES_ROOT, or "(none)".
std::u16string ClassesValue(const char16_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyW(HKEY_CLASSES_ROOT, key, &handle) != ERROR_SUCCESS) return u"(none)";
  char16_t value[300] = {};
  DWORD bytes = sizeof(value);
  const LONG result = RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS ? std::u16string(value) : u"(none)";
}

TEST_F(DocViewTest, ShellFileTypesAreWrittenOnceIntoTheRegistryStore) {
  auto app = Start();
  app->RegisterShellFileTypes(TRUE);
  app->RegisterShellFileTypes(TRUE);  // a second start writes the same again
  char16_t module[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, module, MAX_PATH);
  const std::u16string program = module;
  EXPECT_EQ(ClassesValue(u"Notes.Document"), u"Note Document");
  EXPECT_EQ(ClassesValue(u"Notes.Document\\DefaultIcon"), program + u",0");
  EXPECT_EQ(ClassesValue(u"Notes.Document\\shell\\open\\command"), u"\"" + program + u"\" \"%1\"");
  EXPECT_EQ(ClassesValue(u".not"), u"Notes.Document");
  HKEY handle = nullptr;
  ASSERT_EQ(RegOpenKeyW(HKEY_CLASSES_ROOT, u"Notes.Document", &handle), ERROR_SUCCESS);
  DWORD subkeys = 0;
  RegQueryInfoKeyW(handle, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(handle);
  EXPECT_EQ(subkeys, 2u);  // DefaultIcon and shell
  Frame(*app)->DestroyWindow();
}

TEST_F(DocViewTest, TheWaitCursorLastsAsLongAsTheOutermostWait) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  SetCursor(arrow);
  {
    CWaitCursor outer;
    EXPECT_EQ(GetCursor(), wait);
    {
      CWaitCursor inner;
    }
    EXPECT_EQ(GetCursor(), wait);  // the outer wait still holds
    SetCursor(arrow);
    outer.Restore();
    EXPECT_EQ(GetCursor(), wait);
  }
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(DocViewTest, FindingFilesMatchesNamesWithoutCase) {
  for (const char* name : {"X.PVK", "y.pvk", "z.txt"}) std::ofstream(m_folder.Host() + "/" + name) << "1";
  CFileFind finder;
  std::vector<std::u16string> found;
  BOOL more = finder.FindFile(m_folder.Path(u"*.pvk"));
  while (more) {
    more = finder.FindNextFile();
    EXPECT_FALSE(finder.IsDirectory());
    found.push_back(finder.GetFilePath().Native());
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::u16string>{m_folder.Path(u"X.PVK").Native(), m_folder.Path(u"y.pvk").Native()}));
  EXPECT_FALSE(finder.FindFile(m_folder.Path(u"*.none")));
  EXPECT_FALSE(finder.FindNextFile());
}

}  // namespace
