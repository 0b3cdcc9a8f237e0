// The bitmap button as a user clicks it: toggling, the click note 81 beside
// BN_CLICKED, double clicks as two clicks, and its bitmaps by state.
#include "controls/bmp_btn.h"
#include "custom_controls_test_support.h"

namespace {

using controls::CBmpBtn;
using customtest::CustomControlTest;

class BmpBtnTest : public CustomControlTest {
 protected:
  // Owner-drawn buttons draw when their parent reflects WM_DRAWITEM, as the
  // framework's dialogs do.
  void SetUp() override {
    CustomControlTest::SetUp();
    ASSERT_TRUE(host_.SubclassWindow(parent_));
  }
  void TearDown() override {
    host_.UnsubclassWindow();
    CustomControlTest::TearDown();
  }
  HWND MakeButton(int x = 40, int id = 300) {
    HWND hwnd = Make(u"BmpBtnClass", u"Insert", BS_PUSHBUTTON, x, 40, 24, 24, id);
    Pump();
    return hwnd;
  }
  static CBmpBtn& Object(HWND hwnd) { return *static_cast<CBmpBtn*>(CWnd::FromHandlePermanent(hwnd)); }
  static void Give(CBmpBtn& button, COLORREF normal, COLORREF selected) {
    button.m_bitmap.Attach(controltest::FaceBitmap(24, 24, {{RECT{4, 4, 20, 20}, normal}}));
    if (selected != CLR_INVALID) button.m_bitmapSel.Attach(controltest::FaceBitmap(24, 24, {{RECT{4, 4, 20, 20}, selected}}));
    button.Invalidate();
  }
  int Clicks(HWND button) {
    int n = 0;
    for (WORD code : Codes(button)) n += code == BN_CLICKED;
    return n;
  }
  CWnd host_;
};

TEST_F(BmpBtnTest, OneClickTogglesAndSendsOneNoteBesideTheButtonsOwn) {
  HWND button = MakeButton();
  EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  CBmpBtn& object = Object(button);
  EXPECT_EQ(object.GetToggle(), 1);
  Click(Center(button));
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyBitmapButtonClicked}));
  EXPECT_EQ(notes_[0].id, 300u);
  EXPECT_EQ(Clicks(button), 1);
  EXPECT_EQ(object.GetToggle(), 0);
}

// The note comes while the button still holds the press, its own BN_CLICKED after.
TEST_F(BmpBtnTest, TheOwnerHearsOfTheClickBeforeTheButtonLetsGo) {
  HWND button = MakeButton();
  std::vector<std::string> heard;
  Log().SetHandler(parent_, [&](HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT*) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == controls::kNotifyBitmapButtonClicked)
      heard.push_back(::GetCapture() == button ? "note, held" : "note");
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) heard.push_back("clicked");
    return false;
  });
  Click(Center(button));
  EXPECT_EQ(heard, (std::vector<std::string>{"note, held", "clicked"}));
}

TEST_F(BmpBtnTest, AReleaseOutsideDoesNothing) {
  HWND button = MakeButton();
  Press(Center(button));
  MoveTo(POINT{Center(button).x + 100, Center(button).y});
  ReleaseAt(POINT{Center(button).x + 100, Center(button).y});
  EXPECT_TRUE(notes_.empty());
  EXPECT_EQ(Clicks(button), 0);
  EXPECT_EQ(Object(button).GetToggle(), 1);
}

TEST_F(BmpBtnTest, ADoubleClickIsTwoClicks) {
  HWND button = MakeButton();
  WNDCLASSW wc{};
  ASSERT_TRUE(GetClassInfoW(GetModuleHandleW(nullptr), u"BmpBtnClass", &wc));
  EXPECT_EQ(wc.style & CS_DBLCLKS, 0u);
  Click(Center(button));
  Click(Center(button));
  EXPECT_EQ(NotifyCodes().size(), 2u);
  EXPECT_EQ(Object(button).GetToggle(), 1);
}

TEST_F(BmpBtnTest, BitmapsAndEdgesByState) {
  HWND plain = MakeButton(40, 301);
  HWND toggled = MakeButton(80, 302);
  HWND noSelected = MakeButton(120, 303);
  HWND following = MakeButton(160, 304);
  Give(Object(plain), RGB(255, 0, 0), RGB(0, 0, 255));
  Object(plain).SetToggle(0);
  Give(Object(toggled), RGB(255, 0, 0), RGB(0, 0, 255));
  Give(Object(noSelected), RGB(255, 0, 0), CLR_INVALID);
  Give(Object(following), RGB(0, 160, 0), CLR_INVALID);
  Object(following).SetRaisedEdge(0);
  Object(following).SetToggle(0);
  WritePng(parent_, "bmp_btn_states");
  EXPECT_EQ(PixelAt(At(plain, 12, 12)), RGB(255, 0, 0));       // normal
  EXPECT_EQ(PixelAt(At(toggled, 12, 12)), RGB(0, 0, 255));     // selected while down
  EXPECT_EQ(PixelAt(At(noSelected, 12, 12)), RGB(255, 0, 0));  // normal while down, no selected bitmap
  EXPECT_EQ(PixelAt(At(noSelected, 0, 12)), GetSysColor(COLOR_3DSHADOW));  // with the sunken edge
  EXPECT_EQ(PixelAt(At(following, 0, 12)), GetSysColor(COLOR_3DLIGHT));   // raised while up
  Press(Center(following));
  EXPECT_EQ(PixelAt(At(following, 0, 12)), GetSysColor(COLOR_3DSHADOW));  // sunken while pressed
  ReleaseAt(Center(following));
  EXPECT_EQ(PixelAt(At(following, 0, 12)), GetSysColor(COLOR_3DLIGHT));   // not left sunken
}

}  // namespace
