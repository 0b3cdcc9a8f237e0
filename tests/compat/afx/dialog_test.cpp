// Framework dialogs worked as a user works them: a settings dialog driven by
// keys inside DoModal with its data exchanged, a range check that sends the
// user back to the field, and a popup page opened from a button's press.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "compat/afx/dialog_test_ids.h"
#include "compat/afx/resource_ids.h"
#include "compat/win32/dialog_test_support.h"

namespace {

using dlgtest::FocusId;
using dlgtest::QueueCheck;
using dlgtest::QueueKey;
using dlgtest::QueueText;

class SessionChild : public CDialog {
 public:
  SessionChild() : CDialog(IDD_SESSION_CHILD) {}
};

class SessionDialog : public CDialog {
 public:
  explicit SessionDialog(CWnd* parent) : CDialog(IDD_SESSION, parent) {}

  CString m_name = u"clip";
  UINT m_frames = 25;
  int m_format = 0;
  int m_loop = 0;
  int m_quality = 1;
  int m_kind = -1;
  SessionChild m_child;

  BOOL OnInitDialog() override {
    CDialog::OnInitDialog();
    // The child joins the tab order after the Loop check box.
    m_child.Create(IDD_SESSION_CHILD, this);
    RECT at{7, 96, 0, 0};
    MapDialogRect(&at);
    ::SetWindowPos(m_child.m_hWnd, ::GetDlgItem(m_hWnd, IDC_LOOP), at.left, at.top, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    return TRUE;
  }

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, IDC_NAME, m_name);
    DDX_Text(pDX, IDC_FRAMES, m_frames);
    DDV_MinMaxUInt(pDX, m_frames, 0, 4086);
    DDX_Radio(pDX, IDC_AVI, m_format);
    DDX_Check(pDX, IDC_LOOP, m_loop);
    DDX_CBIndex(pDX, IDC_QUALITY, m_quality);
    DDX_LBIndex(pDX, IDC_KIND, m_kind);
  }
};

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

class FrameworkDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    compat::ClearModalSteps();
    compat::ResetMessageBoxLog();
    compat::SetRealMessageBoxes(true);
    WNDCLASSW wc{};
    wc.lpfnWndProc = PlainProc;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = u"DialogTestFrame";
    RegisterClassW(&wc);
    m_owner = CreateWindowExW(0, u"DialogTestFrame", u"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 780, 560,
                              nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(m_owner);
  }
  void TearDown() override {
    EXPECT_EQ(compat::PendingModalSteps(), 0) << "the loop ended before every step ran";
    compat::ClearModalSteps();
    compat::ResetMessageBoxLog();
    compat::ResetDesktop(800, 600);
  }
  HWND m_owner = nullptr;
  dlgtest::Watchdog m_watchdog;
};

DWORD Selection(HWND edit) {
  DWORD start = 99, end = 99;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return MAKELONG(start, end);
}

TEST_F(FrameworkDialogs, ASettingsDialogIsDrivenByKeysAndReadsBackWhatWasTyped) {
  CWnd* owner = CWnd::FromHandle(m_owner);
  SessionDialog dialog(owner);
  compat::AddModalStepOnTemplate(IDD_SESSION, [&](HWND hwnd) {
    EXPECT_EQ(hwnd, dialog.m_hWnd);
    EXPECT_FALSE(IsWindowEnabled(m_owner));
    EXPECT_EQ(FocusId(), IDC_NAME);
    EXPECT_EQ(Selection(GetFocus()), static_cast<DWORD>(MAKELONG(0, 4)));  // "clip", selected
    // The combo's strings came from the template's initialisation data.
    EXPECT_EQ(SendDlgItemMessageW(hwnd, IDC_QUALITY, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendDlgItemMessageW(hwnd, IDC_QUALITY, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendDlgItemMessageW(hwnd, IDC_KIND, LB_GETCOUNT, 0, 0), 2);
  });
  std::vector<int> order;
  auto tab = [&] {
    QueueKey(VK_TAB);
    QueueCheck([&] { order.push_back(FocusId()); });
  };
  QueueText("DAWN");
  tab();                // frames
  QueueText("5000");
  tab();                // the AVI radio button
  QueueKey(VK_DOWN);    // GIF, checked
  tab();                // loop
  QueueKey(VK_SPACE);
  tab();                // into the child: width
  tab();                // wrap
  tab();                // quality
  QueueKey(VK_DOWN);
  tab();                // kind
  QueueKey(VK_DOWN);
  tab();                // OK
  tab();                // Cancel
  tab();                // round to the name
  QueueCheck([] { ASSERT_TRUE(compat::WriteWindowPng(GetActiveWindow(), dlgtest::PngPath("dialog_session").c_str())); });
  // Enter with 5000 frames: the range message, answered, and back to the field.
  QueueKey(VK_RETURN);
  compat::AddModalStepOnCaption(u"Calvetta Test", [](HWND box) {
    ASSERT_TRUE(compat::WriteWindowPng(box, dlgtest::PngPath("dialog_range_message").c_str()));
    compat::host::InjectKeyPress(VK_RETURN);
  });
  QueueCheck([&] {
    EXPECT_EQ(compat::LastMessageBoxText(), u"Please enter an integer between 0 and 4086.");
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ(FocusId(), IDC_FRAMES);
    EXPECT_EQ(Selection(GetFocus()), static_cast<DWORD>(MAKELONG(0, 4)));
  });
  QueueText("120");
  QueueKey('N', VK_MENU);  // the mnemonic of the name's label
  QueueCheck([] { EXPECT_EQ(FocusId(), IDC_NAME); });
  QueueKey(VK_RETURN);

  EXPECT_EQ(dialog.DoModal(), IDOK);
  const std::vector<int> expected{IDC_FRAMES, IDC_AVI, IDC_LOOP, IDC_WIDTH, IDC_WRAP, IDC_QUALITY,
                                  IDC_KIND, IDOK, IDCANCEL, IDC_NAME};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(dialog.m_name, CString(u"dawn"));
  EXPECT_EQ(dialog.m_frames, 120u);
  EXPECT_EQ(dialog.m_format, 1);
  EXPECT_EQ(dialog.m_loop, 1);
  EXPECT_EQ(dialog.m_quality, 2);
  EXPECT_EQ(dialog.m_kind, 0);
  EXPECT_EQ(compat::MessageBoxCount(), 1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
  EXPECT_EQ(GetActiveWindow(), m_owner);

  // Escape leaves the members as they were.
  QueueText("XYZ");
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_name, CString(u"dawn"));
}

TEST_F(FrameworkDialogs, QuitEndsDoModalAndReachesTheOuterLoop) {
  SessionDialog dialog(CWnd::FromHandle(m_owner));
  QueueCheck([] { PostQuitMessage(3); });
  EXPECT_EQ(dialog.DoModal(), -1);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

TEST_F(FrameworkDialogs, AFailedRangeCheckMakesUpdateDataFalse) {
  compat::SetRealMessageBoxes(false);  // the seam answers at once
  SessionDialog dialog(CWnd::FromHandle(m_owner));
  ASSERT_TRUE(dialog.Create(IDD_SESSION, CWnd::FromHandle(m_owner)));
  dialog.ShowWindow(SW_SHOW);
  SetDlgItemTextW(dialog.m_hWnd, IDC_FRAMES, u"5000");
  EXPECT_FALSE(dialog.UpdateData(TRUE));
  EXPECT_EQ(compat::LastMessageBoxText(), u"Please enter an integer between 0 and 4086.");
  EXPECT_EQ(FocusId(), IDC_FRAMES);
  EXPECT_EQ(Selection(GetFocus()), static_cast<DWORD>(MAKELONG(0, 4)));
  EXPECT_EQ(dialog.m_frames, 5000u);  // the value is stored before it is checked
  SetDlgItemTextW(dialog.m_hWnd, IDC_FRAMES, u"-3");
  EXPECT_FALSE(dialog.UpdateData(TRUE));
  EXPECT_EQ(compat::LastMessageBoxText(), u"Please enter a positive integer.");
  SetDlgItemTextW(dialog.m_hWnd, IDC_FRAMES, u"4086");
  EXPECT_TRUE(dialog.UpdateData(TRUE));
  EXPECT_EQ(dialog.m_frames, 4086u);
  dialog.DestroyWindow();
}

TEST_F(FrameworkDialogs, AModelessDialogGetsItsKeysThroughThePreTranslateWalk) {
  SessionDialog dialog(CWnd::FromHandle(m_owner));
  ASSERT_TRUE(dialog.Create(IDD_SESSION, CWnd::FromHandle(m_owner)));
  dialog.ShowWindow(SW_SHOW);
  dialog.SetActiveWindow();
  EXPECT_EQ(FocusId(), IDC_NAME);
  // Tab in the nested child's edit goes on to its check box, then on to the parent's controls.
  dialog.GotoDlgCtrl(dialog.m_child.GetDlgItem(IDC_WIDTH));
  for (int i = 0; i < 2; ++i) compat::host::InjectKeyPress(VK_TAB);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!AfxPreTranslateMessageTree(&dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  EXPECT_EQ(FocusId(), IDC_QUALITY);
  EXPECT_EQ(dialog.GetDefID(), static_cast<DWORD>(MAKELONG(IDOK, DC_HASDEFID)));
  dialog.DestroyWindow();
}

class AttachedDialog : public SessionDialog {
 public:
  explicit AttachedDialog(CWnd* parent) : SessionDialog(parent) {}
  CWnd m_nameEdit;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_NAME, m_nameEdit);
    SessionDialog::DoDataExchange(pDX);
  }
};

TEST_F(FrameworkDialogs, DataExchangeAttachesAControlOnceAndMessagesComeFromStringIds) {
  compat::SetRealMessageBoxes(false);
  AttachedDialog dialog(CWnd::FromHandle(m_owner));
  ASSERT_TRUE(dialog.Create(IDD_SESSION, CWnd::FromHandle(m_owner)));
  EXPECT_EQ(dialog.m_nameEdit.m_hWnd, ::GetDlgItem(dialog.m_hWnd, IDC_NAME));
  EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_nameEdit.m_hWnd), &dialog.m_nameEdit);
  EXPECT_TRUE(dialog.UpdateData(TRUE));  // a second exchange leaves it attached
  EXPECT_EQ(dialog.m_nameEdit.m_hWnd, ::GetDlgItem(dialog.m_hWnd, IDC_NAME));
  dialog.DestroyWindow();
  EXPECT_EQ(AfxMessageBox(AFX_IDP_PARSE_INT, MB_OKCANCEL), IDOK);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Please enter an integer.");
  EXPECT_EQ(compat::LastMessageBoxCaption(), u"Calvetta Test");
}

// Reads the controls back whenever the name changes, as the export dialog does.
class LiveDialog : public SessionDialog {
 public:
  explicit LiveDialog(CWnd* parent) : SessionDialog(parent) {}
  int m_changes = 0;

 protected:
  afx_msg void OnNameChanged() {
    ++m_changes;
    UpdateData(TRUE);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(LiveDialog, SessionDialog)
  ON_CONTROL(EN_CHANGE, IDC_NAME, OnNameChanged)
END_MESSAGE_MAP()

TEST_F(FrameworkDialogs, ControlsSetByUpdateDataDoNotCallItBackHalfWay) {
  LiveDialog dialog(CWnd::FromHandle(m_owner));
  ASSERT_TRUE(dialog.Create(IDD_SESSION, CWnd::FromHandle(m_owner)));
  dialog.ShowWindow(SW_SHOW);
  EXPECT_EQ(dialog.m_changes, 0);
  dialog.m_name = u"night";
  dialog.m_frames = 77;
  EXPECT_TRUE(dialog.UpdateData(FALSE));
  EXPECT_EQ(dialog.m_changes, 0);
  EXPECT_EQ(GetDlgItemInt(dialog.m_hWnd, IDC_FRAMES, nullptr, FALSE), 77u);
  EXPECT_EQ(dialog.m_frames, 77u);
  // Typed by the user, the change is heard again.
  dialog.GotoDlgCtrl(dialog.GetDlgItem(IDC_NAME));
  compat::host::InjectKeyPress('S');
  compat::PumpMessages();
  EXPECT_EQ(dialog.m_changes, 1);
  EXPECT_EQ(dialog.m_name, CString(u"s"));
  dialog.DestroyWindow();
}

TEST_F(FrameworkDialogs, AMissingTemplateOrClassGivesMinusOne) {
  CDialog missing(4711, CWnd::FromHandle(m_owner));
  testing::internal::CaptureStderr();
  EXPECT_EQ(missing.DoModal(), -1);
  CDialog unregistered(IDD_MISSING_CLASS, CWnd::FromHandle(m_owner));
  EXPECT_EQ(unregistered.DoModal(), -1);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("4711"), std::string::npos);
  EXPECT_NE(log.find("CSliderCtrlBarNotRegistered"), std::string::npos);
  EXPECT_TRUE(IsWindowEnabled(m_owner));
  EXPECT_EQ(unregistered.m_hWnd, nullptr);
}

// --- a popup page opened from inside a button's press ---

class SliderPopup : public CPropertyPage {
 public:
  SliderPopup() : CPropertyPage(IDD_SLIDER_POPUP) {}

 protected:
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
    CPropertyPage::OnActivate(nState, pWndOther, bMinimized);
    if (nState == WA_INACTIVE) PostMessage(WM_COMMAND, IDCANCEL);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(SliderPopup, CPropertyPage)
  ON_WM_ACTIVATE()
END_MESSAGE_MAP()

// The owner of an owner-drawn button that opens the popup as the button is
// drawn pressed, as the numeric field's drop-down button does.
struct PressOwner {
  bool open = false;
  int clicks = 0;
  INT_PTR popupResult = 0;
};
PressOwner* g_press = nullptr;

LRESULT CALLBACK PressOwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM && g_press) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_3DFACE));
    if ((item->itemState & ODS_SELECTED) && !g_press->open) {
      g_press->open = true;
      SliderPopup popup;
      popup.m_pParentWnd = CWnd::FromHandle(item->hwndItem);
      g_press->popupResult = popup.DoModal();
    }
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && g_press) ++g_press->clicks;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(FrameworkDialogs, APopupOpenedInAPressClosesWhenAnotherWindowIsActivated) {
  PressOwner state;
  g_press = &state;
  WNDCLASSW wc{};
  wc.lpfnWndProc = PressOwnerProc;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
  wc.lpszClassName = u"PressOwner";
  RegisterClassW(&wc);
  HWND owner = CreateWindowExW(0, u"PressOwner", u"Field", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400,
                               nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(CreateWindowExW(0, u"Button", u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 20, 20, 16, 20, owner,
                            reinterpret_cast<HMENU>(7), nullptr, nullptr),
            nullptr);
  HWND other = CreateWindowExW(0, u"DialogTestFrame", u"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 560, 420, 200, 120,
                               nullptr, nullptr, nullptr, nullptr);
  ShowWindow(m_owner, SW_HIDE);
  SetActiveWindow(owner);
  compat::PumpMessages();
  POINT press{28, 30};
  ClientToScreen(owner, &press);
  compat::AddModalStepOnTemplate(IDD_SLIDER_POPUP, [&](HWND popup) {
    RECT client;
    GetClientRect(popup, &client);
    EXPECT_EQ(client.right, 126);
    EXPECT_EQ(client.bottom, 18);
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(GetCapture(), nullptr);  // the press gave the capture up
    compat::host::InjectClick(0, 660, 480);  // the user clicks another window
  });
  compat::host::InjectMouseButton(0, true, press.x, press.y);
  compat::PumpMessages();
  EXPECT_TRUE(state.open);
  EXPECT_EQ(state.popupResult, IDCANCEL);
  EXPECT_EQ(GetActiveWindow(), other);
  compat::host::InjectMouseButton(0, false, press.x, press.y);
  compat::PumpMessages();
  EXPECT_EQ(state.clicks, 0);  // the press ended with the popup: no click follows
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
  g_press = nullptr;
}

}  // namespace
