// The framework's per-thread state and its edges: the current message that
// Default passes on, objects a class procedure attaches on the window's first
// message, PreTranslateMessage inside modal loops, window relations and the
// framework's window classes.
#include <gtest/gtest.h>

#include <vector>

#include "compat/afx.h"
#include "compat/afx/dialog_test_ids.h"
#include "compat/win32/dialog_test_support.h"

namespace {

constexpr UINT kProbe = WM_USER + 1;
constexpr UINT kNested = WM_USER + 2;

class CProbeWnd : public CWnd {
 public:
  std::vector<UINT> m_seen;  // GetCurrentMessage()->message at each step

 protected:
  afx_msg LRESULT OnProbe(WPARAM, LPARAM) {
    m_seen.push_back(GetCurrentMessage()->message);
    SendMessage(kNested);
    m_seen.push_back(AfxGetThreadState()->m_lastSentMsg.message);  // back after the nested send
    // A caller that handles a message of its own sets the record, then restores it.
    _AFX_THREAD_STATE* state = AfxGetThreadState();
    const MSG saved = state->m_lastSentMsg;
    state->m_lastSentMsg = MSG{m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(u"set by Default"), 0, {}};
    Default();
    state->m_lastSentMsg = saved;
    m_seen.push_back(GetCurrentMessage()->message);
    return 7;
  }
  afx_msg LRESULT OnNested(WPARAM, LPARAM) {
    m_seen.push_back(GetCurrentMessage()->message);
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
ON_MESSAGE(kProbe, OnProbe)
ON_MESSAGE(kNested, OnNested)
END_MESSAGE_MAP()

// An object made by its class procedure, as the custom controls are.
std::vector<UINT> g_attachTrace;  // first message at the procedure, then what the object saw
bool g_attachedDeleted = false;

class CAttachedWnd : public CWnd {
 protected:
  afx_msg BOOL OnNcCreate(LPCREATESTRUCT cs) {
    g_attachTrace.push_back(WM_NCCREATE);
    return CWnd::OnNcCreate(cs);
  }
  afx_msg int OnCreate(LPCREATESTRUCT cs) {
    g_attachTrace.push_back(WM_CREATE);
    return CWnd::OnCreate(cs);
  }
  void PostNcDestroy() override {
    g_attachedDeleted = true;
    delete this;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAttachedWnd, CWnd)
ON_WM_NCCREATE()
ON_WM_CREATE()
END_MESSAGE_MAP()

LRESULT CALLBACK AttachingClassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!CWnd::FromHandlePermanent(hwnd)) {
    g_attachTrace.push_back(message);
    auto* object = new CAttachedWnd;
    object->Attach(hwnd);
    ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxGetAfxWndProc()));
  }
  return ::CallWindowProcW(AfxGetAfxWndProc(), hwnd, message, wParam, lParam);
}

// A control that sees its keys before the dialog and eats Q.
class CKeyProbe : public CWnd {
 public:
  std::vector<WPARAM> m_keys;
  BOOL PreTranslateMessage(MSG* pMsg) override {
    if (pMsg->message != WM_KEYDOWN) return FALSE;
    m_keys.push_back(pMsg->wParam);
    return pMsg->wParam == 'Q';
  }
};

CKeyProbe* g_keyProbe = nullptr;

INT_PTR CALLBACK PlatformDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    g_keyProbe->SubclassDlgItem(IDC_NAME, CWnd::FromHandle(dialog));
    ::SetFocus(::GetDlgItem(dialog, IDC_NAME));
    return FALSE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ::EndDialog(dialog, IDCANCEL);
    return TRUE;
  }
  return FALSE;
}

class CProbeDialog : public CDialog {
 public:
  CProbeDialog() : CDialog(IDD_SESSION) {}
  CKeyProbe m_name;
  int m_kicks = 0;

 protected:
  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    m_name.SubclassDlgItem(IDC_NAME, this);
    m_name.SetFocus();
    return FALSE;
  }
  afx_msg LRESULT OnKickIdle(WPARAM wParam, LPARAM) {
    if (wParam == MSGF_DIALOGBOX) ++m_kicks;
    return FALSE;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeDialog, CDialog)
ON_MESSAGE(WM_KICKIDLE, OnKickIdle)
END_MESSAGE_MAP()

std::u16string ItemText(HWND dialog, int id) {
  char16_t text[64] = {};
  ::GetDlgItemTextW(dialog, id, text, 64);
  return text;
}

class FrameworkStateTest : public dlgtest::DialogTest {};

TEST_F(FrameworkStateTest, TheCurrentMessageIsTheOneHandledAndACallerMaySetAndRestoreIt) {
  CProbeWnd probe;
  ASSERT_TRUE(probe.CreateEx(0, nullptr, u"probe", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr));
  EXPECT_EQ(probe.SendMessage(kProbe), 7);
  EXPECT_EQ(probe.m_seen, (std::vector<UINT>{kProbe, kNested, kProbe, kProbe}));
  CString text;
  probe.GetWindowText(text);
  EXPECT_EQ(text.Native(), u"set by Default");  // Default passed on the message that was set
  EXPECT_EQ(AfxGetAfxWndProc(), &AfxWndProc);
  probe.DestroyWindow();
}

TEST_F(FrameworkStateTest, AClassProcedureAttachesAnObjectOnTheFirstMessageWhichGoesAfterTheLast) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = AttachingClassProc;
  wc.lpszClassName = u"AttachOnFirst";
  ASSERT_TRUE(AfxRegisterClass(&wc));
  HWND parent = ::CreateWindowExW(0, u"AttachOnFirst", u"parent", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  g_attachTrace.clear();
  g_attachedDeleted = false;
  HWND child = ::CreateWindowExW(0, u"AttachOnFirst", u"child", WS_CHILD | WS_VISIBLE, 5, 5, 20, 20, parent,
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(child, nullptr);
  // A child's first message is WM_NCCREATE: the object attached there still sees it.
  EXPECT_EQ(g_attachTrace, (std::vector<UINT>{WM_NCCREATE, WM_NCCREATE, WM_CREATE}));
  CWnd* object = CWnd::FromHandlePermanent(child);
  ASSERT_NE(object, nullptr);
  CString text;
  object->GetWindowText(text);
  EXPECT_EQ(text.Native(), u"child");  // the default processing of WM_NCCREATE ran
  ::DestroyWindow(child);
  EXPECT_TRUE(g_attachedDeleted);
  EXPECT_EQ(CWnd::FromHandlePermanent(child), nullptr);
  g_attachedDeleted = false;
  ::DestroyWindow(parent);
  EXPECT_TRUE(g_attachedDeleted);
}

TEST_F(FrameworkStateTest, DialogBoxesTheFrameworkDoesNotRunPassKeysThroughPreTranslateMessage) {
  CWinApp app(u"Probe");
  CKeyProbe probe;
  g_keyProbe = &probe;
  std::u16string typed;
  dlgtest::QueueText("AQB");
  compat::AddModalStepOnTemplate(IDD_SESSION, [&](HWND dialog) {
    typed = ItemText(dialog, IDC_NAME);
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(::DialogBoxParamW(dlgtest::Program(), MAKEINTRESOURCEW(IDD_SESSION), nullptr, PlatformDialogProc, 0),
            IDCANCEL);
  EXPECT_EQ(probe.m_keys, (std::vector<WPARAM>{'A', 'Q', 'B', VK_ESCAPE}));
  EXPECT_EQ(typed, u"ab");  // Q was taken by the control's PreTranslateMessage
  g_keyProbe = nullptr;
}

TEST_F(FrameworkStateTest, TheFrameworksOwnModalLoopWalksOnceAndKicksIdle) {
  CWinApp app(u"Probe");
  CProbeDialog dialog;
  std::u16string typed;
  dlgtest::QueueText("AQ");
  compat::AddModalStepOnTemplate(IDD_SESSION, [&](HWND hwnd) {
    typed = ItemText(hwnd, IDC_NAME);
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_name.m_keys, (std::vector<WPARAM>{'A', 'Q', VK_ESCAPE}));  // once each, not again by the filter
  EXPECT_EQ(typed, u"a");
  EXPECT_GT(dialog.m_kicks, 0);
}

TEST_F(FrameworkStateTest, TheFrameworksWindowClassesAreRegisteredWhenAskedAndAgainAfterAReset) {
  EXPECT_EQ(AfxGetInstanceHandle(), ::GetModuleHandleW(nullptr));
  EXPECT_TRUE(AfxDeferRegisterClass(AFX_WND_REG | AFX_WNDFRAMEORVIEW_REG | AFX_WNDCONTROLBAR_REG));
  WNDCLASSW wc{};
  ASSERT_TRUE(::GetClassInfoW(AfxGetInstanceHandle(), _afxWndFrameOrView, &wc));
  EXPECT_EQ(wc.lpfnWndProc, &AfxWndProc);
  compat::ResetDesktop(800, 600);
  EXPECT_FALSE(::GetClassInfoW(AfxGetInstanceHandle(), _afxWndControlBar, &wc));
  EXPECT_TRUE(AfxDeferRegisterClass(AFX_WNDCONTROLBAR_REG));
  EXPECT_TRUE(::GetClassInfoW(AfxGetInstanceHandle(), _afxWndControlBar, &wc));
  EXPECT_FALSE(AfxDeferRegisterClass(0x40000));  // a class the framework does not know
}

TEST_F(FrameworkStateTest, TheTopLevelOwnerIsFoundThroughParentsAndOwners) {
  CWnd owner, popup, child;
  ASSERT_TRUE(owner.CreateEx(0, nullptr, u"owner", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
  ASSERT_TRUE(popup.CreateEx(0, nullptr, u"popup", WS_POPUP, 10, 10, 100, 100, owner.m_hWnd, nullptr));
  ASSERT_TRUE(child.Create(nullptr, u"child", WS_VISIBLE, CRect(0, 0, 20, 20), &popup, 5));
  EXPECT_EQ(child.GetTopLevelParent(), &popup);
  EXPECT_EQ(child.GetTopLevelOwner(), &owner);
  EXPECT_EQ(owner.GetTopLevelOwner(), &owner);
  EXPECT_EQ(owner.GetDescendantWindow(5), nullptr);  // an owned window is no descendant
  EXPECT_EQ(popup.GetDescendantWindow(5, TRUE), &child);
  EXPECT_EQ(child.GetParentFrame(), nullptr);
  popup.DestroyWindow();
  owner.DestroyWindow();
}

}  // namespace
