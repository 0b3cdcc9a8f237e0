// Buttons and statics as a user works them: clicks, drags, keys, groups,
// copied classes and the classic look.
#include "controls_test_support.h"

namespace {

using controltest::ControlTest;

class ButtonTest : public ControlTest {};

TEST_F(ButtonTest, EverySystemClassIsRegisteredGloballyUnderItsOwnSpelling) {
  const WCHAR* names[] = {u"Button",          u"Static",           u"Edit",
                          u"ListBox",         u"ComboBox",         u"ComboLBox",
                          u"ScrollBar",       u"ToolbarWindow32",  u"tooltips_class32",
                          u"msctls_statusbar32", u"msctls_progress32", u"SysTabControl32"};
  for (const WCHAR* name : names) {
    WNDCLASSW wc{};
    ASSERT_TRUE(GetClassInfoW(nullptr, name, &wc)) << std::string(name, name + 3);
    EXPECT_TRUE(wc.style & CS_GLOBALCLASS);
    // Every class that takes the mouse hears double clicks; the progress bar takes none.
    EXPECT_EQ((wc.style & CS_DBLCLKS) != 0, std::u16string(name) != u"msctls_progress32");
    EXPECT_NE(wc.lpfnWndProc, nullptr);
  }
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(nullptr, u"scrollbar", &wc));
  EXPECT_EQ(std::u16string(wc.lpszClassName), u"ScrollBar");
  ASSERT_TRUE(GetClassInfoW(nullptr, u"EDIT", &wc));
  EXPECT_EQ(wc.hCursor, LoadCursorW(nullptr, IDC_IBEAM));
  HWND combo = Make(u"combobox", u"", CBS_DROPDOWNLIST, 10, 10, 100, 100, 7);
  WCHAR name[32] = {};
  GetClassNameW(combo, name, 32);
  EXPECT_EQ(std::u16string(name), u"ComboBox");
  // They stay through a fresh desktop, which forgets the program's own classes.
  compat::ResetDesktop(800, 600);
  EXPECT_TRUE(GetClassInfoW(nullptr, u"button", &wc));
}

TEST_F(ButtonTest, OneClickGivesOneClickedAndADragOffGivesNone) {
  HWND button = Make(u"BUTTON", u"&Apply", BS_PUSHBUTTON | WS_TABSTOP, 10, 10, 80, 24, 100);
  Click(Center(button));
  EXPECT_EQ(Codes(button), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(GetFocus(), button);

  ClearLog();
  Press(Center(button));
  EXPECT_EQ(GetCapture(), button);
  EXPECT_TRUE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  MoveTo(At(parent_, 300, 300));
  EXPECT_FALSE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  MoveTo(Center(button));
  EXPECT_TRUE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  MoveTo(At(parent_, 300, 300));
  ReleaseAt(At(parent_, 300, 300));
  EXPECT_TRUE(Codes(button).empty());
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, SpaceBarClicksTheFocusedButton) {
  HWND check = Make(u"Button", u"Loop", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 100, 20, 101);
  SetFocus(check);
  Key(VK_SPACE);
  EXPECT_EQ(Codes(check), std::vector<WORD>{BN_CLICKED});
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  Click(Center(check));
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(Codes(check).size(), 2u);
}

TEST_F(ButtonTest, AutoRadioGroupStaysExclusiveWithinItsGroup) {
  HWND a = Make(u"Button", u"A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 80, 20, 1);
  HWND b = Make(u"Button", u"B", BS_AUTORADIOBUTTON, 10, 30, 80, 20, 2);
  HWND c = Make(u"Button", u"C", BS_AUTORADIOBUTTON, 10, 50, 80, 20, 3);
  HWND other = Make(u"Button", u"D", BS_AUTORADIOBUTTON | WS_GROUP, 10, 70, 80, 20, 4);
  SendMessageW(a, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(other, BM_SETCHECK, BST_CHECKED, 0);
  Click(Center(b));
  EXPECT_EQ(SendMessageW(a, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(other, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(Codes(b), std::vector<WORD>{BN_CLICKED});
  // The checked radio button holds the group's tab stop.
  EXPECT_TRUE(GetWindowLongW(b, GWL_STYLE) & WS_TABSTOP);
  EXPECT_FALSE(GetWindowLongW(a, GWL_STYLE) & WS_TABSTOP);
  Click(Center(c));
  EXPECT_EQ(SendMessageW(b, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(SendMessageW(c, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(ButtonTest, APopupTakingTheCaptureDuringThePressEndsItWithoutAClick) {
  HWND button = Make(u"Button", u"Go", BS_PUSHBUTTON, 10, 10, 80, 24, 100);
  HWND popup = TopLevel(300, 300, 100, 100, WS_POPUP | WS_VISIBLE);
  Press(Center(button));
  SetCapture(popup);
  EXPECT_FALSE(SendMessageW(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
  ReleaseCapture();
  ReleaseAt(Center(button));
  EXPECT_TRUE(Codes(button).empty());
}

TEST_F(ButtonTest, BadRequestsChangeNothing) {
  HWND push = Make(u"Button", u"Push", BS_PUSHBUTTON, 10, 10, 80, 24, 1);
  SendMessageW(push, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageW(push, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  HWND check = Make(u"Button", u"Two", BS_AUTOCHECKBOX, 10, 40, 80, 24, 2);
  SendMessageW(check, BM_SETCHECK, BST_INDETERMINATE, 0);  // not a three-state box
  EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageW(check, WM_NOTIFY, 0, 0), 0);
  EnableWindow(check, FALSE);
  SendMessageW(check, BM_CLICK, 0, 0);
  EXPECT_TRUE(Codes(check).empty());
  SetWindowTextW(push, nullptr);
  EXPECT_EQ(Text(push), u"");
}

TEST_F(ButtonTest, BmSetStyleMakesADefaultButton) {
  HWND push = Make(u"Button", u"OK", BS_PUSHBUTTON, 10, 10, 80, 24, 1);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  SendMessageW(push, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageW(push, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  EXPECT_EQ(GetWindowLongW(push, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// A class copied from a system class under its own name, chaining to the
// system procedure, as programs copy "BUTTON" and "Static".
WNDPROC g_buttonSuper = nullptr;
WNDPROC g_staticSuper = nullptr;
int g_copyPresses = 0;
int g_copyDoubleClicks = 0;

LRESULT CALLBACK CopiedButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN) ++g_copyPresses;
  if (message == WM_LBUTTONDBLCLK) ++g_copyDoubleClicks;
  return CallWindowProcW(g_buttonSuper, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK CopiedStaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcW(g_staticSuper, hwnd, message, wParam, lParam);
}

void CopyClass(const WCHAR* from, const WCHAR* to, WNDPROC proc, WNDPROC* super, bool dropDoubleClicks) {
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(nullptr, from, &wc));
  *super = wc.lpfnWndProc;
  wc.lpfnWndProc = proc;
  wc.lpszClassName = to;
  if (dropDoubleClicks) wc.style &= ~CS_DBLCLKS;
  ASSERT_NE(RegisterClassW(&wc), 0);
}

TEST_F(ButtonTest, CopiedClassesBehaveAsTheOriginalsWithTheirOwnClassStyles) {
  CopyClass(u"BUTTON", u"SpinButton", CopiedButtonProc, &g_buttonSuper, true);
  CopyClass(u"Static", u"ColourWell", CopiedStaticProc, &g_staticSuper, false);
  g_copyPresses = g_copyDoubleClicks = 0;
  HWND spin = Make(u"SpinButton", u"+", BS_PUSHBUTTON, 10, 10, 40, 24, 10);
  const POINT p = Center(spin);
  compat::StopClock();
  compat::host::InjectMouseMove(p.x, p.y);
  compat::host::InjectClick(0, p.x, p.y);
  compat::AdvanceClock(100);
  compat::host::InjectClick(0, p.x, p.y);
  Pump();
  // Without CS_DBLCLKS the second press of a double click stays a press.
  EXPECT_EQ(g_copyPresses, 2);
  EXPECT_EQ(g_copyDoubleClicks, 0);
  EXPECT_EQ(Codes(spin), (std::vector<WORD>{BN_CLICKED, BN_CLICKED}));

  // The original class turns the same pair into a press and a double click.
  HWND radio = Make(u"Button", u"R", BS_AUTORADIOBUTTON, 10, 50, 80, 20, 11);
  const POINT q = Center(radio);
  compat::AdvanceClock(1000);
  compat::host::InjectMouseMove(q.x, q.y);
  compat::host::InjectClick(0, q.x, q.y);
  compat::AdvanceClock(100);
  compat::host::InjectClick(0, q.x, q.y);
  Pump();
  EXPECT_EQ(Codes(radio), (std::vector<WORD>{BN_CLICKED, BN_DOUBLECLICKED, BN_CLICKED}));

  HWND quiet = Make(u"ColourWell", u"", SS_BLACKRECT, 100, 100, 40, 20, 12);
  HWND notify = Make(u"ColourWell", u"", SS_BLACKRECT | SS_NOTIFY, 200, 100, 40, 20, 13);
  ClearLog();
  compat::AdvanceClock(1000);
  Click(Center(quiet));
  // The quiet static lets the click through to its parent.
  EXPECT_EQ(Log().Count(parent_, WM_LBUTTONDOWN), 1);
  EXPECT_TRUE(Codes(quiet).empty());
  compat::AdvanceClock(1000);
  Click(Center(notify));
  EXPECT_EQ(Codes(notify), std::vector<WORD>{STN_CLICKED});
  EXPECT_EQ(Log().Count(parent_, WM_LBUTTONDOWN), 1);
}

TEST_F(ButtonTest, OwnerDrawnButtonGetsDrawItemWithItsStates) {
  HWND button = Make(u"Button", u"", BS_OWNERDRAW, 10, 10, 40, 24, 20);
  std::vector<std::pair<UINT, UINT>> draws;  // action, state
  Log().SetHandler(parent_, [&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message != WM_DRAWITEM) return false;
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    EXPECT_EQ(item->CtlType, static_cast<UINT>(ODT_BUTTON));
    EXPECT_EQ(item->hwndItem, button);
    draws.emplace_back(item->itemAction, item->itemState);
    *result = TRUE;
    return true;
  });
  Pump();
  draws.clear();
  Press(Center(button));
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back(), std::make_pair(static_cast<UINT>(ODA_SELECT), static_cast<UINT>(ODS_SELECTED | ODS_FOCUS)));
  MoveTo(At(parent_, 300, 300));
  EXPECT_EQ(draws.back(), std::make_pair(static_cast<UINT>(ODA_SELECT), static_cast<UINT>(ODS_FOCUS)));
  ReleaseAt(At(parent_, 300, 300));
  EnableWindow(button, FALSE);
  Pump();
  EXPECT_TRUE(draws.back().second & ODS_DISABLED);
}

// --- the classic look ---
class ButtonLookTest : public ControlTest {};

TEST_F(ButtonLookTest, PushCheckAndRadioShowTheClassicPixels) {
  HWND push = Make(u"Button", u"OK", BS_PUSHBUTTON, 10, 10, 80, 24, 1);
  HWND check = Make(u"Button", u"Check", BS_AUTOCHECKBOX, 10, 50, 100, 20, 2);
  HWND radio = Make(u"Button", u"Radio", BS_AUTORADIOBUTTON, 10, 80, 100, 20, 3);
  SendMessageW(check, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(radio, BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(push);
  // Raised edge: highlight at the top left, dark shadow at the bottom right.
  EXPECT_EQ(PixelAt(At(push, 0, 0)), GetSysColor(COLOR_3DHIGHLIGHT));
  EXPECT_EQ(PixelAt(At(push, 79, 23)), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelAt(At(push, 40, 1)), GetSysColor(COLOR_3DLIGHT));
  // The dotted focus rectangle three pixels in alternates along its top.
  const COLORREF f0 = PixelAt(At(push, 10, 3)), f1 = PixelAt(At(push, 11, 3));
  EXPECT_NE(f0, f1);
  // Check box: white well with a dark check mark in its middle.
  RECT box;
  GetClientRect(check, &box);
  const int top = (box.bottom - 13) / 2;
  EXPECT_EQ(PixelAt(At(check, 2, top + 2)), GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(PixelAt(At(check, 6, top + 7)), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(PixelAt(At(check, 0, top)), GetSysColor(COLOR_3DSHADOW));
  // Radio button: the dot at its centre.
  GetClientRect(radio, &box);
  const int rtop = (box.bottom - 13) / 2;
  EXPECT_EQ(PixelAt(At(radio, 6, rtop + 6)), GetSysColor(COLOR_WINDOWTEXT));
  SendMessageW(radio, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_EQ(PixelAt(At(radio, 6, rtop + 6)), GetSysColor(COLOR_WINDOW));
}

}  // namespace

namespace {

using controltest::ControlTest;

class StaticTest : public ControlTest {};

TEST_F(StaticTest, ParentColoursAndGroupBoxesLetTheMouseThrough) {
  HBRUSH red = CreateSolidBrush(RGB(200, 0, 0));
  HWND label = Make(u"Static", u"", SS_LEFT, 10, 10, 80, 20, 1);
  Log().SetHandler(parent_, [&](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT* result) {
    if (message != WM_CTLCOLORSTATIC || reinterpret_cast<HWND>(lParam) != label) return false;
    *result = reinterpret_cast<LRESULT>(red);
    return true;
  });
  InvalidateRect(label, nullptr, TRUE);
  EXPECT_EQ(PixelAt(Center(label)), RGB(200, 0, 0));

  HWND group = Make(u"Button", u"Group", BS_GROUPBOX, 100, 100, 200, 100, 2);
  ClearLog();
  Click(At(group, 100, 50));
  EXPECT_EQ(Log().Count(parent_, WM_LBUTTONDOWN), 1);
  EXPECT_EQ(SendMessageW(group, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  DeleteObject(red);
}

TEST_F(StaticTest, APictureStaticTakesTheSizeOfItsBitmap) {
  HWND picture = Make(u"Static", u"", SS_BITMAP, 10, 10, 100, 100, 3);
  uint32_t bits[6 * 5];
  std::fill(std::begin(bits), std::end(bits), 0x00FF00u);
  HBITMAP bitmap = CreateBitmap(6, 5, 1, 32, bits);
  EXPECT_EQ(SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)), 0);
  RECT r;
  GetWindowRect(picture, &r);
  EXPECT_EQ(r.right - r.left, 6);
  EXPECT_EQ(r.bottom - r.top, 5);
  EXPECT_EQ(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), reinterpret_cast<LRESULT>(bitmap));
  EXPECT_EQ(PixelAt(Center(picture)), RGB(0, 255, 0));
  EXPECT_EQ(SendMessageW(picture, WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  DestroyWindow(picture);
  DeleteObject(bitmap);
}

}  // namespace
