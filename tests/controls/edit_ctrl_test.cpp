// The numeric field as a user works it: keys, typing, the mouse drag, the
// spin buttons and the drop-down slider, with the codes the dialog hears.
#include <clocale>

#include "controls/custom_class.h"
#include "controls/edit_ctrl.h"
#include <algorithm>
#include "controls/edit_slider_wnd.h"
#include "custom_controls_test_support.h"
#include "res/resource.h"

namespace {

using controls::CEditCtrl;
using controls::EditCtrlFromHandle;

constexpr WORD kBegins = 2184;
constexpr WORD kChanging = 2185;
constexpr WORD kCommitted = 2186;
using Seq = std::vector<WORD>;

class EditCtrlTest : public customtest::CustomControlTest {
 protected:
  HWND MakeField(DWORD style, int x = 40, int y = 40, int cx = 90, int cy = 24, int id = 500) {
    HWND hwnd = Make(u"EditCtrl", u"", style, x, y, cx, cy, id);
    Pump();
    return hwnd;
  }
  static HWND FieldOf(HWND control) { return GetDlgItem(control, 1); }
  static CEditCtrl& Ctrl(HWND control) { return *EditCtrlFromHandle(control); }
  // Focus to a plain window beside the field, so the field loses it.
  void FocusAway() {
    HWND other = Make(u"Button", u"Other", BS_PUSHBUTTON, 300, 300, 60, 24, 900);
    SetFocus(other);
    Pump();
  }
};

// The strips between the field, its buttons and the border are painted by
// the control: what was drawn there before does not stay.
TEST_F(EditCtrlTest, EveryPixelOutsideTheFieldAndButtonsIsPaintedAgain) {
  for (DWORD style : {DWORD{ECS_SPIN_FIELD}, DWORD{ECS_SLIDER_FIELD}}) {
    HWND control = MakeField(style);
    Pump();
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDCEx(control, nullptr, DCX_CLIPCHILDREN);
    HBRUSH smear = CreateSolidBrush(RGB(255, 0, 255));
    FillRect(dc, &client, smear);
    DeleteObject(smear);
    ReleaseDC(control, dc);
    InvalidateRect(control, nullptr, TRUE);
    UpdateWindow(control);
    int left = 0;
    for (int y = client.top; y < client.bottom; ++y)
      for (int x = client.left; x < client.right; ++x) {
        POINT p{x, y};
        ClientToScreen(control, &p);
        if (ChildWindowFromPoint(control, POINT{x, y}) != control) continue;
        left += (compat::host::DesktopSurface()->Row(p.y)[p.x] & 0xFFFFFF) == 0xFF00FF;
      }
    EXPECT_EQ(left, 0) << "style " << style;
    DestroyWindow(control);
  }
}

TEST_F(EditCtrlTest, UpAndDownKeysStepAndReportABeginChangesAndACommit) {
  HWND control = MakeField(ECS_SPIN_FIELD);
  SetFocus(FieldOf(control));
  ClearLog();
  Key(VK_UP);
  EXPECT_EQ(Codes(control), (Seq{kBegins, kChanging, kChanging, kCommitted}));
  EXPECT_EQ(Text(FieldOf(control)), u"1");
  Ctrl(control).SetRange(0, 2);
  ClearLog();
  compat::host::InjectKey(VK_UP, true);
  compat::host::InjectKey(VK_UP, true);  // auto-repeat: one more step, no second begin
  compat::host::InjectKey(VK_UP, false);
  Pump();
  EXPECT_EQ(Codes(control), (Seq{kBegins, kChanging, kChanging, kChanging, kChanging, kCommitted}));
  EXPECT_EQ(Ctrl(control).GetValue(), 2.0);  // clamped at the maximum
  Key(VK_DOWN);
  Key(VK_DOWN);
  Key(VK_DOWN);
  EXPECT_EQ(Ctrl(control).GetValue(), 0.0);
}

TEST_F(EditCtrlTest, TypedTextIsClampedAndCommittedOnFocusLossOrEnter) {
  HWND control = MakeField(ECS_SPIN_FIELD);
  Ctrl(control).SetRange(0, 10);
  HWND field = FieldOf(control);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
  ClearLog();
  Type("50");
  EXPECT_EQ(Codes(control), (Seq{kChanging, kChanging}));
  EXPECT_EQ(Ctrl(control).GetValue(), 10.0);  // read back clamped, text left as typed
  EXPECT_EQ(Text(field), u"50");
  ClearLog();
  FocusAway();
  EXPECT_EQ(Text(field), u"10");
  EXPECT_EQ(Codes(control), (Seq{kChanging, kCommitted}));
  // Focus leaving an untouched field commits nothing.
  SendMessageW(field, EM_SETMODIFY, FALSE, 0);
  SetFocus(field);
  ClearLog();
  FocusAway();
  EXPECT_TRUE(Codes(control).empty());
}

TEST_F(EditCtrlTest, EnterCommitsInsideADialogLoop) {
  CWnd* parent = CWnd::FromHandle(parent_);
  CEditCtrl field;
  ASSERT_TRUE(field.Create(ECS_SPIN_FIELD, CRect(10, 10, 100, 34), parent, 501));
  field.m_edit.SetFocus();
  field.m_edit.SetSel(0, -1);
  Type("7");
  ClearLog();
  MSG msg{field.m_edit.m_hWnd, WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
  AfxPreTranslateMessageTree(parent, &msg);
  EXPECT_EQ(Codes(field.m_hWnd), (Seq{kChanging, kCommitted}));
  EXPECT_FALSE(field.m_edit.GetModify());
  ClearLog();
  AfxPreTranslateMessageTree(parent, &msg);  // nothing typed since
  EXPECT_TRUE(Codes(field.m_hWnd).empty());
}

TEST_F(EditCtrlTest, CharacterFilterTakesDigitsOnePointAndALeadingMinus) {
  HWND control = MakeField(ECS_SPIN_FIELD);
  Ctrl(control).SetFormat(7, 2);
  HWND field = FieldOf(control);
  SetFocus(field);
  SendMessageW(field, EM_SETSEL, 0, -1);
  Type("1.2.a+e 5");
  EXPECT_EQ(Text(field), u"1.25");
  SendMessageW(field, EM_SETSEL, 2, 2);
  Type("-");
  EXPECT_EQ(Text(field), u"1.25");  // not in the middle
  SendMessageW(field, EM_SETSEL, 0, -1);
  Type("-");
  EXPECT_EQ(Text(field), u"-");  // replaces the whole text
  Type("3");
  EXPECT_EQ(Ctrl(control).GetValue(), -3.0);
}

TEST_F(EditCtrlTest, SlashResetsToZeroOrTheNearestEndOfTheRange) {
  struct Case {
    double min, max;
    const char16_t* shown;
  };
  for (const Case& c : {Case{5, 10, u"5"}, Case{-10, -5, u"-5"}, Case{-10, 10, u"0"}}) {
    HWND control = MakeField(ECS_SPIN_FIELD);
    Ctrl(control).SetRange(c.min, c.max);
    Ctrl(control).SetValue(7 * (c.min < 0 && c.max < 0 ? -1 : 1));
    SetFocus(FieldOf(control));
    ClearLog();
    Type("/");
    EXPECT_EQ(Text(FieldOf(control)), c.shown);
    EXPECT_EQ(Codes(control), (Seq{kCommitted}));
    DestroyWindow(control);
  }
}

TEST_F(EditCtrlTest, FormatRoundsTheShownValueWhichIsTheValueReadBack) {
  HWND control = MakeField(ECS_SPIN_FIELD);
  Ctrl(control).SetFormat(7, 1);
  Ctrl(control).SetValue(2.26);
  EXPECT_EQ(Text(FieldOf(control)), u"2.3");
  EXPECT_EQ(Ctrl(control).GetValue(), 2.3);
  // A locale with a decimal comma changes neither the text nor the reading.
  const char* chosen = nullptr;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"}) {
    if (std::setlocale(LC_NUMERIC, name)) {
      chosen = name;
      break;
    }
  }
  Ctrl(control).SetValue(4.56);
  EXPECT_EQ(Text(FieldOf(control)), u"4.6") << (chosen ? chosen : "C");
  EXPECT_EQ(Ctrl(control).GetValue(), 4.6);
  std::setlocale(LC_NUMERIC, "C");
  // The format block: width at byte 24, decimals at byte 28.
  controls::NUMEDITFORMAT block{};
  SendMessageW(FieldOf(control), NEM_GETFORMAT, 0, reinterpret_cast<LPARAM>(&block));
  EXPECT_EQ(block.width, 7);
  EXPECT_EQ(block.decimals, 1);
}

TEST_F(EditCtrlTest, VerticalDragStepsOnceForMovesOfMoreThanOnePixel) {
  HWND control = MakeField(ECS_SPIN_FIELD);
  HWND field = FieldOf(control);
  RECT r;
  GetClientRect(field, &r);
  ClearLog();
  Press(At(field, 10, r.bottom / 2));
  MoveTo(At(field, 10, r.bottom / 2 - 3));  // inside: text selection only
  EXPECT_TRUE(Codes(control).empty());
  MoveTo(At(field, 10, -4));  // leaves above: the drag begins
  EXPECT_EQ(Codes(control), (Seq{kBegins}));
  MoveTo(At(field, 10, -5));
  EXPECT_EQ(Codes(control), (Seq{kBegins}));
  MoveTo(At(field, 10, -7));
  EXPECT_EQ(Codes(control), (Seq{kBegins, kChanging, kChanging}));
  MoveTo(At(field, 10, -40));  // far, still one step
  EXPECT_EQ(Ctrl(control).GetValue(), 2.0);
  MoveTo(At(field, 10, -30));
  EXPECT_EQ(Ctrl(control).GetValue(), 1.0);
  ClearLog();
  ReleaseAt(At(field, 10, -30));
  EXPECT_EQ(Codes(control), (Seq{kCommitted}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditCtrlTest, HeldSpinButtonStepsAtOnceThenAfterHalfASecondThenEveryThirtyMilliseconds) {
  HWND control = MakeField(ECS_SPIN_FIELD, 40, 40, 90, 30);
  HWND up = GetDlgItem(control, 2);
  ASSERT_NE(up, nullptr);
  ClearLog();
  Press(Center(up));
  EXPECT_EQ(Ctrl(control).GetValue(), 1.0);
  compat::AdvanceClock(499);
  Pump();
  EXPECT_EQ(Ctrl(control).GetValue(), 1.0);
  compat::AdvanceClock(1);
  Pump();
  EXPECT_EQ(Ctrl(control).GetValue(), 2.0);
  compat::AdvanceClock(30);
  Pump();
  EXPECT_EQ(Ctrl(control).GetValue(), 3.0);
  compat::AdvanceClock(30);
  Pump();
  EXPECT_EQ(Ctrl(control).GetValue(), 4.0);
  WritePng(control, "edit_ctrl_spin_pressed");
  ReleaseAt(Center(up));
  compat::AdvanceClock(200);
  Pump();
  EXPECT_EQ(Ctrl(control).GetValue(), 4.0);
  Seq codes = Codes(control);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kChanging), 8);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), kBegins), 0);
  EXPECT_EQ(codes.back(), kCommitted);
  // The down button steps the other way.
  Click(Center(GetDlgItem(control, 3)));
  EXPECT_EQ(Ctrl(control).GetValue(), 3.0);
}

TEST_F(EditCtrlTest, DropDownSliderStaysOnTheScreenAndSetsTheValueFromTheFullPosition) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  // Near the right and bottom edges the popup is pulled back onto the screen.
  POINT at = controls::PlaceEditSlider(screenW - 10, screenH - 5, 120, 20, 0, 0, 100, screenW, screenH);
  EXPECT_EQ(at.x, screenW - 120);
  EXPECT_EQ(at.y, screenH - 30 - 20);
  at = controls::PlaceEditSlider(300, 100, 120, 20, 50, 0, 100, screenW, screenH);
  EXPECT_EQ(at.x, 240);

  HWND control = MakeField(ECS_SLIDER_FIELD, 40, 40, 90, 24);
  Ctrl(control).SetRange(0, 1000);
  Ctrl(control).SetFormat(7, 0);
  HWND button = GetDlgItem(control, 2);
  ASSERT_NE(button, nullptr);
  RECT popupRect{};
  RECT s{};
  compat::AddModalStepOnTemplate(IDD_EDIT_SLIDER, [&](HWND popup) {
    GetWindowRect(popup, &popupRect);
    WritePng(popup, "edit_ctrl_drop_down_slider");
    GetWindowRect(GetDlgItem(popup, 1007), &s);
    // The popup's slider holds the mouse: a first move, one far right, the release.
    compat::host::InjectMouseMove(s.right + 200, s.bottom - 3);
  });
  compat::AddModalStep([&] { compat::host::InjectMouseMove(s.right + 400, s.bottom - 3); });
  compat::AddModalStep([&] { compat::host::InjectMouseButton(0, false, s.right + 400, s.bottom - 3); });
  ClearLog();
  Press(Center(button));
  for (int i = 0; i < 5; ++i) Pump();
  EXPECT_EQ(compat::PendingModalSteps(), 0);
  EXPECT_GE(popupRect.left, 0);
  EXPECT_LE(popupRect.right, screenW);
  EXPECT_EQ(Ctrl(control).GetValue(), 1000.0);  // not the byte's wrapped 232
  Seq codes = Codes(control);
  ASSERT_FALSE(codes.empty());
  EXPECT_EQ(codes.back(), kCommitted);
  EXPECT_NE(std::find(codes.begin(), codes.end(), kChanging), codes.end());
  EXPECT_FALSE(Ctrl(control).m_button1.m_bLatched);
}

TEST_F(EditCtrlTest, DropDownSliderOpenedAtTheScreensCornerStaysOnIt) {
  const int screenW = GetSystemMetrics(SM_CXSCREEN);
  const int screenH = GetSystemMetrics(SM_CYSCREEN);
  HWND corner = CreateWindowExW(0, wintest::kTestClass, u"Corner", WS_POPUP | WS_VISIBLE, screenW - 100,
                                screenH - 30, 100, 30, nullptr, nullptr, nullptr, nullptr);
  HWND control = Make(u"EditCtrl", u"", ECS_SLIDER_FIELD, 5, 3, 90, 24, 520, corner);
  Pump();
  RECT popupRect{};
  compat::AddModalStepOnTemplate(IDD_EDIT_SLIDER, [&](HWND popup) {
    GetWindowRect(popup, &popupRect);
    compat::host::InjectMouseButton(0, false, screenW - 10, screenH - 10);
  });
  Press(Center(GetDlgItem(control, 2)));
  for (int i = 0; i < 5; ++i) Pump();
  EXPECT_EQ(compat::PendingModalSteps(), 0);
  EXPECT_EQ(popupRect.right, screenW);
  EXPECT_EQ(popupRect.bottom, screenH - 30);
  EXPECT_LT(popupRect.left, popupRect.right);
}

TEST_F(EditCtrlTest, DataExchangeRoundTripsAndRefusesAValueOutsideTheRange) {
  HWND a = MakeField(ECS_SPIN_FIELD, 10, 10, 90, 24, 601);
  HWND b = MakeField(ECS_SPIN_FIELD, 10, 40, 90, 24, 602);
  HWND c = MakeField(ECS_SPIN_FIELD, 10, 70, 90, 24, 603);
  Ctrl(a).SetFormat(7, 2);
  CWnd* dialog = CWnd::FromHandle(parent_);
  float f = 2.5f;
  int i = -7;
  BYTE byte = 200;
  {
    CDataExchange load(dialog, FALSE);
    DDX_EditFloat(&load, 601, f);
    DDX_EditInt(&load, 602, i);
    DDX_EditByte(&load, 603, byte);
  }
  EXPECT_EQ(Text(FieldOf(a)), u"2.50");
  EXPECT_EQ(Text(FieldOf(b)), u"-7");
  Ctrl(b).SetFormat(7, 1);
  Ctrl(b).SetValue(-7.8);
  Ctrl(c).SetFormat(7, 1);
  Ctrl(c).SetValue(200.9);
  {
    CDataExchange save(dialog, TRUE);
    DDX_EditFloat(&save, 601, f);
    DDX_EditInt(&save, 602, i);
    DDX_EditByte(&save, 603, byte);
  }
  EXPECT_EQ(f, 2.5f);
  EXPECT_EQ(i, -7);  // toward zero
  EXPECT_EQ(byte, 200);
  // A range narrowed after the value was written: the save is refused.
  Ctrl(b).SetRange(0, 5);
  CDataExchange save(dialog, TRUE);
  bool failed = false;
  try {
    DDX_EditInt(&save, 602, i);
  } catch (CUserException* e) {
    failed = true;
    e->Delete();
  }
  EXPECT_TRUE(failed);
  EXPECT_EQ(compat::LastMessageBoxText(), u"Please enter an integer between 0 and 5.");
  EXPECT_EQ(i, -7);
}

TEST_F(EditCtrlTest, PicturesOfTheFieldInItsStyles) {
  HWND spin = MakeField(ECS_SPIN_FIELD, 20, 20, 100, 26, 701);
  Ctrl(spin).SetValue(42);
  HWND slider = MakeField(ECS_SLIDER_FIELD, 20, 60, 100, 26, 702);
  Ctrl(slider).SetFormat(7, 2);
  Ctrl(slider).SetValue(3.14159);
  HWND thin = MakeField(ECS_THIN, 20, 100, 100, 26, 703);
  Ctrl(thin).SetValue(-12);
  WritePng(parent_, "edit_ctrl_styles");
  // The sunken frame's outer and inner top-left colours.
  EXPECT_EQ(PixelAt(At(spin, 0, 10)), RGB(0x98, 0x98, 0x98));
  EXPECT_EQ(PixelAt(At(spin, 1, 10)), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(At(thin, 0, 10)), RGB(0x0A, 0x0A, 0x0A));
}

}  // namespace
