// The dialog manager as a user meets it: dialogs from templates laid out in
// dialog units, modal loops with their owner held, keyboard navigation through
// a dialog and a dialog nested in it, and the failures a bad template gives.
#include <vector>

#include "compat/win32/dialog_template.h"
#include "compat/win32/dialog_test_ids.h"
#include "compat/win32/dialog_test_support.h"
#include "compat/win32/window_test_support.h"

namespace {

using dlgtest::FocusId;
using dlgtest::Program;
using dlgtest::QueueCheck;
using dlgtest::QueueKey;

class Dialogs : public dlgtest::DialogTest {};

RECT RectInParent(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

INT_PTR CALLBACK PlainProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST_F(Dialogs, ClassicFontUnitsPlaceControlsAsOnThePlatform) {
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), nullptr, PlainProc, 0);
  ASSERT_NE(dialog, nullptr);
  const RECT button = RectInParent(GetDlgItem(dialog, IDC_PROBE_BUTTON));
  EXPECT_EQ(button.left, 11);
  EXPECT_EQ(button.top, 11);
  EXPECT_EQ(button.right - button.left, 75);
  EXPECT_EQ(button.bottom - button.top, 23);
  RECT units{7, 7, 57, 21};
  ASSERT_TRUE(MapDialogRect(dialog, &units));
  EXPECT_EQ(units.left, 11);
  EXPECT_EQ(units.bottom, 34);
  EXPECT_EQ(compat::DialogTemplateId(dialog), IDD_UNITS);
  DestroyWindow(dialog);

  // The slider popup: 84 x 11 units of client area.
  HWND popup = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_SLIDER_POPUP), nullptr, PlainProc, 0);
  ASSERT_NE(popup, nullptr);
  RECT client;
  GetClientRect(popup, &client);
  EXPECT_EQ(client.right, 126);
  EXPECT_EQ(client.bottom, 18);
  EXPECT_TRUE(IsWindowVisible(popup));
}

TEST_F(Dialogs, APopupDialogIsPlacedFromItsOwnerOrCentred) {
  HWND owner = TopLevel(100, 50, 400, 300);
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), owner, PlainProc, 0);
  ASSERT_NE(dialog, nullptr);
  // (20, 20) units from the owner's client origin, to the client area's corner.
  POINT origin{0, 0}, client{0, 0};
  ClientToScreen(owner, &origin);
  ClientToScreen(dialog, &client);
  EXPECT_EQ(client.x - origin.x, 30);
  EXPECT_EQ(client.y - origin.y, 33);
  HWND centred = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_CENTERED), owner, PlainProc, 0);
  ASSERT_NE(centred, nullptr);
  RECT r;
  GetWindowRect(centred, &r);
  EXPECT_NEAR((r.left + r.right) / 2, 400, 1);
  EXPECT_NEAR((r.top + r.bottom) / 2, 300, 1);
}

TEST_F(Dialogs, AnUnregisteredControlClassFailsAndIsNamed) {
  HWND owner = TopLevel(50, 50, 300, 200);
  testing::internal::CaptureStderr();
  EXPECT_EQ(CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_MISSING_CLASS), owner, PlainProc, 0), nullptr);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_MISSING_CLASS), owner, PlainProc, 0), -1);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(4242), owner, PlainProc, 0), -1);
  const std::string log = testing::internal::GetCapturedStderr();
  EXPECT_NE(log.find("NoSuchControlClass"), std::string::npos) << log;
  EXPECT_NE(log.find("4242"), std::string::npos) << log;
  // Nothing was left behind and the owner was never held.
  EXPECT_EQ(FindWindowW(nullptr, u"Missing"), nullptr);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(Dialogs, ATemplateCutShortAnywhereFailsToRead) {
  HRSRC resource = FindResourceW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), RT_DIALOG);
  ASSERT_NE(resource, nullptr);
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(Program(), resource)));
  const size_t size = SizeofResource(Program(), resource);
  compat::dialogs::DialogTemplate t;
  std::string error;
  ASSERT_TRUE(compat::dialogs::ParseDialogTemplate(bytes, size, &t, &error)) << error;
  EXPECT_EQ(t.items.size(), 8u);
  EXPECT_EQ(t.caption, u"Navigation");
  EXPECT_EQ(t.face, u"MS Sans Serif");
  EXPECT_EQ(t.items[1].className, u"Edit");
  // Every shorter copy fails: counts and strings are checked against the end.
  for (size_t cut = 0; cut < size; ++cut) {
    std::vector<BYTE> copy(bytes, bytes + cut);
    compat::dialogs::DialogTemplate partial;
    EXPECT_FALSE(compat::dialogs::ParseDialogTemplate(copy.data(), copy.size(), &partial, &error)) << cut;
  }
  // A count that claims more controls than the bytes hold.
  std::vector<BYTE> inflated(bytes, bytes + size);
  inflated[8] = 9;
  EXPECT_FALSE(compat::dialogs::ParseDialogTemplate(inflated.data(), inflated.size(), &t, &error));
}

// --- the modal loop ---

struct LoopLog {
  HWND owner = nullptr;
  int enterIdle = 0;
  int filtered = 0;
  std::vector<UINT> commands;
};
LoopLog* g_loop = nullptr;

LRESULT CALLBACK CountFilter(int code, WPARAM wParam, LPARAM lParam) {
  if (code == MSGF_DIALOGBOX && g_loop) ++g_loop->filtered;
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR CALLBACK RecordingProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return lParam != 1 || EndDialog(dialog, 77) == FALSE;
  if (message == WM_COMMAND && g_loop) {
    if (HIWORD(wParam) != 0) return FALSE;  // an edit's notifications
    g_loop->commands.push_back(LOWORD(wParam));
    if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

TEST_F(Dialogs, AModalDialogHoldsItsOwnerAndGivesItBackActive) {
  LoopLog log;
  g_loop = &log;
  HWND owner = TopLevel(40, 40, 400, 300);
  SetActiveWindow(owner);
  HWND seen = nullptr;
  bool reactivatedBeforeGone = false;
  Log().SetHandler(owner, [&](HWND, UINT message, WPARAM wParam, LPARAM, LRESULT*) {
    if (message == WM_ENTERIDLE && wParam == MSGF_DIALOGBOX) ++log.enterIdle;
    // Enabled and active again while the dialog is still there.
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE && seen)
      reactivatedBeforeGone = IsWindow(seen) && IsWindowEnabled(owner);
    return false;
  });
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, CountFilter, nullptr, GetCurrentThreadId());
  compat::AddModalStepOnTemplate(IDD_UNITS, [&](HWND dialog) {
    seen = dialog;
    EXPECT_FALSE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), dialog);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner);
  });
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), owner, RecordingProc, 0), IDCANCEL);
  UnhookWindowsHookEx(hook);
  EXPECT_NE(seen, nullptr);
  EXPECT_FALSE(IsWindow(seen));
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(GetActiveWindow(), owner);
  EXPECT_TRUE(reactivatedBeforeGone);
  EXPECT_GT(log.enterIdle, 0);
  EXPECT_GT(log.filtered, 0);
  g_loop = nullptr;
}

TEST_F(Dialogs, EndDialogDuringInitialisationNeverShowsTheDialog) {
  LoopLog log;
  g_loop = &log;
  HWND owner = TopLevel(40, 40, 400, 300);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), owner, RecordingProc, 1), 77);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(FindWindowW(nullptr, u"Units"), nullptr);
  g_loop = nullptr;
}

TEST_F(Dialogs, QuitEndsTheLoopAndIsPostedAgain) {
  HWND owner = TopLevel(40, 40, 400, 300);
  QueueCheck([] { PostQuitMessage(5); });
  DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), owner, RecordingProc, 0);
  EXPECT_TRUE(IsWindowEnabled(owner));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(Dialogs, TheCaptionsCloseButtonCancels) {
  LoopLog log;
  g_loop = &log;
  compat::AddModalStepOnCaption(u"Units", [](HWND dialog) { SendMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_UNITS), nullptr, RecordingProc, 0), IDCANCEL);
  g_loop = nullptr;
}

// --- keyboard navigation ---

INT_PTR CALLBACK NestedProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

// The navigation dialog with the nested dialog placed after the Loop check box.
INT_PTR CALLBACK NavigationProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    HWND nested = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_NESTED), dialog, NestedProc, 0);
    RECT at{7, 80, 0, 0};
    MapDialogRect(dialog, &at);
    SetWindowPos(nested, GetDlgItem(dialog, IDC_LOOP), at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    CheckRadioButton(dialog, IDC_LOW, IDC_HIGH, IDC_LOW);
    return TRUE;
  }
  return RecordingProc(dialog, message, wParam, lParam);
}

TEST_F(Dialogs, TabArrowsMnemonicsEnterAndEscapeFollowTheTemplate) {
  LoopLog log;
  g_loop = &log;
  HWND owner = TopLevel(20, 20, 500, 400);
  std::vector<int> order;
  auto note = [&] { QueueCheck([&] { order.push_back(FocusId()); }); };
  note();  // the first tab stop has the focus
  for (int i = 0; i < 7; ++i) {
    QueueKey(VK_TAB);
    note();
  }
  QueueKey(VK_TAB, VK_SHIFT);
  note();
  // Arrows move within the radio group and check as they go, wrapping round.
  QueueKey(VK_TAB);  // back to the name
  QueueKey(VK_TAB);  // the Low radio button
  QueueKey(VK_DOWN);
  QueueCheck([&] {
    EXPECT_EQ(FocusId(), IDC_MEDIUM);
    HWND dialog = GetParent(GetFocus());
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_MEDIUM), 1u);
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOW), 0u);
  });
  QueueKey(VK_DOWN);
  QueueKey(VK_DOWN);
  QueueCheck([&] { EXPECT_EQ(FocusId(), IDC_LOW); });
  QueueKey(VK_UP);
  QueueCheck([&] {
    EXPECT_EQ(FocusId(), IDC_HIGH);
    EXPECT_EQ(IsDlgButtonChecked(GetParent(GetFocus()), IDC_HIGH), 1u);
  });
  // A letter on a control that takes no characters is a mnemonic: the label's edit.
  QueueKey('N');
  QueueCheck([&] { EXPECT_EQ(FocusId(), IDC_NAME); });
  // Alt and a letter reach the nested dialog's labelled edit, its text selected.
  QueueCheck([] { SetDlgItemTextW(GetParent(GetFocus()), IDC_NAME, u"clip"); });
  QueueKey('F', VK_MENU);
  QueueCheck([&] {
    EXPECT_EQ(FocusId(), IDC_FRAMES);
    DWORD start = 9, end = 9;
    SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
  });
  QueueKey('W', VK_MENU);  // a check box's mnemonic clicks it
  QueueCheck([&] { EXPECT_EQ(IsDlgButtonChecked(GetParent(GetFocus()), IDC_WRAP), 1u); });
  QueueKey('N', VK_MENU);
  dlgtest::QueueText("X");
  QueueCheck([] {
    HWND dialog = FindWindowW(nullptr, u"Navigation");
    // The focus left the push buttons: OK is the default again.
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, 1);
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, 0);
    ASSERT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("dialog_navigation").c_str()));
  });
  QueueKey(VK_RETURN);  // the default button
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), owner, NavigationProc, 0), IDOK);
  const std::vector<int> expected{IDC_NAME, IDC_LOW, IDC_LOOP, IDC_FRAMES, IDC_WRAP, IDOK, IDCANCEL, IDC_NAME, IDCANCEL};
  EXPECT_EQ(order, expected);
  ASSERT_FALSE(log.commands.empty());
  EXPECT_EQ(log.commands.back(), static_cast<UINT>(IDOK));

  // Escape cancels.
  log.commands.clear();
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), owner, NavigationProc, 0), IDCANCEL);
  g_loop = nullptr;
}

TEST_F(Dialogs, AFocusedPushButtonIsTheDefaultWhileItHasTheFocus) {
  LoopLog log;
  g_loop = &log;
  compat::AddModalStepOnCaption(u"Navigation", [](HWND dialog) {
    EXPECT_EQ(SendMessageW(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDCANCEL)), TRUE);
  });
  QueueCheck([] {
    HWND dialog = FindWindowW(nullptr, u"Navigation");
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDOK), GWL_STYLE) & BS_TYPEMASK, 0);
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, IDCANCEL), GWL_STYLE) & BS_TYPEMASK, 1);
  });
  QueueKey(VK_RETURN);
  EXPECT_EQ(DialogBoxParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), nullptr, NavigationProc, 0), IDCANCEL);
  g_loop = nullptr;
}

// --- colours and the dialog-item calls ---

HBRUSH g_background = nullptr;
INT_PTR CALLBACK ColouredProc(HWND, UINT message, WPARAM, LPARAM) {
  if (message == WM_CTLCOLORDLG || message == WM_CTLCOLORSTATIC) return reinterpret_cast<INT_PTR>(g_background);
  return message == WM_INITDIALOG;
}

TEST_F(Dialogs, TheDialogsBrushPaintsItsBackground) {
  g_background = CreateSolidBrush(RGB(0, 128, 0));
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), nullptr, ColouredProc, 0);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  UpdateWindow(dialog);
  Pump();
  POINT inside{300, 200};
  ClientToScreen(dialog, &inside);
  const uint32_t pixel = compat::host::DesktopSurface()->Row(inside.y)[inside.x];
  EXPECT_EQ(pixel & 0xFFFFFF, 0x008000u);
  // The label's background comes from the brush the dialog gave for it: the
  // right end of "&Name:" (30 units wide) is past its text.
  POINT label{MulDiv(7 + 29, 6, 4), MulDiv(9 + 4, 13, 8)};
  ClientToScreen(dialog, &label);
  EXPECT_EQ(compat::host::DesktopSurface()->Row(label.y)[label.x] & 0xFFFFFF, 0x008000u);
  DestroyWindow(dialog);
  DeleteObject(g_background);
}

// A procedure that gives no brush leaves the answer to the default: the
// button-face brush, which a caller asking through DefDlgProc gets too.
TEST_F(Dialogs, AProcedureWithoutABrushGetsTheDefaultOne) {
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), nullptr, PlainProc, 0);
  ASSERT_NE(dialog, nullptr);
  HDC dc = GetDC(dialog);
  const auto brush = reinterpret_cast<HBRUSH>(
      DefDlgProcW(dialog, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dialog)));
  EXPECT_EQ(brush, GetSysColorBrush(COLOR_3DFACE));
  ReleaseDC(dialog, dc);
  DestroyWindow(dialog);
}

TEST_F(Dialogs, ItemCallsReadAndWriteByControlId) {
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), nullptr, PlainProc, 0);
  ASSERT_NE(dialog, nullptr);
  BOOL ok = FALSE;
  EXPECT_TRUE(SetDlgItemInt(dialog, IDC_NAME, static_cast<UINT>(-42), TRUE));
  EXPECT_EQ(static_cast<int>(GetDlgItemInt(dialog, IDC_NAME, &ok, TRUE)), -42);
  EXPECT_TRUE(ok);
  GetDlgItemInt(dialog, IDC_NAME, &ok, FALSE);
  EXPECT_FALSE(ok);  // a sign is not an unsigned number
  SetDlgItemTextW(dialog, IDC_NAME, u" 4294967295 ");
  EXPECT_EQ(GetDlgItemInt(dialog, IDC_NAME, &ok, FALSE), 4294967295u);
  EXPECT_TRUE(ok);
  SetDlgItemTextW(dialog, IDC_NAME, u"4294967296");
  GetDlgItemInt(dialog, IDC_NAME, &ok, FALSE);
  EXPECT_FALSE(ok);
  SetDlgItemTextW(dialog, IDC_NAME, u"12a");
  GetDlgItemInt(dialog, IDC_NAME, &ok, TRUE);
  EXPECT_FALSE(ok);
  WCHAR text[8];
  EXPECT_EQ(GetDlgItemTextW(dialog, 4711, text, 8), 0u);
  EXPECT_EQ(text[0], 0);
  CheckRadioButton(dialog, IDC_LOW, IDC_HIGH, IDC_HIGH);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_HIGH), 1u);
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_LOW), 0u);
  CheckDlgButton(dialog, IDC_LOOP, 1);
  EXPECT_EQ(SendDlgItemMessageW(dialog, IDC_LOOP, BM_GETCHECK, 0, 0), 1);
  DestroyWindow(dialog);
}

TEST_F(Dialogs, TheFocusComesBackWhenTheDialogIsActivatedAgain) {
  HWND dialog = CreateDialogParamW(Program(), MAKEINTRESOURCEW(IDD_NAVIGATION), nullptr, PlainProc, 0);
  ASSERT_NE(dialog, nullptr);
  ShowWindow(dialog, SW_SHOW);
  SetActiveWindow(dialog);
  EXPECT_EQ(FocusId(), IDC_NAME);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_LOOP)), TRUE);
  HWND other = TopLevel(500, 400, 200, 100);
  SetActiveWindow(other);
  EXPECT_NE(FocusId(), IDC_LOOP);
  SetActiveWindow(dialog);
  EXPECT_EQ(FocusId(), IDC_LOOP);
  // A modeless dialog takes its keys through IsDialogMessageW in the program's own loop.
  compat::host::InjectKeyPress(VK_TAB);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageW(dialog, &msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  EXPECT_EQ(FocusId(), IDOK);
  DestroyWindow(dialog);
}

}  // namespace
