// The ruler slider: position message with clamping, clicks and drags with
// their notification records, the drop-down form, narrow and one-value
// sliders, and its pixels.
#include "controls/slider_bar_ctrl.h"
#include "controls/slider_ctrl_bar.h"
#include <algorithm>

#include "custom_controls_test_support.h"

namespace {

using customtest::CustomControlTest;

class SliderTest : public CustomControlTest {
 protected:
  HWND MakeSlider(DWORD style = 0, int cx = 212, int cy = 20, int id = 400) {
    HWND hwnd = Make(u"CSliderCtrlBar", u"", style, 20, 40, cx, cy, id);
    Pump();
    return hwnd;
  }
  static int Position(HWND slider) {
    int position = -1;
    EXPECT_EQ(SendMessageW(slider, WM_SLIDERPOS, 1, reinterpret_cast<LPARAM>(&position)), 1);
    return position;
  }
  static controls::CSliderCtrlBar& Object(HWND slider) {
    return *static_cast<controls::CSliderCtrlBar*>(CWnd::FromHandlePermanent(slider));
  }
  // Client x of the thumb at `position` on a 212-pixel slider with range 0..255:
  // limits 6 .. 206.
  static int ThumbX(int position) { return 6 + 200 * position / 255; }
  static int ThumbY(HWND slider) {
    RECT r;
    GetClientRect(slider, &r);
    return r.bottom - 2 - 3;
  }
};

TEST_F(SliderTest, PositionMessageSetsClampedAndGetsTheValue) {
  HWND slider = MakeSlider();
  EXPECT_EQ(Position(slider), 0);
  EXPECT_EQ(SendMessageW(slider, WM_SLIDERPOS, 0, 100), 1);
  EXPECT_EQ(Position(slider), 100);
  SendMessageW(slider, WM_SLIDERPOS, 0, 999);
  EXPECT_EQ(Position(slider), 255);
  SendMessageW(slider, WM_SLIDERPOS, 0, -5);
  EXPECT_EQ(Position(slider), 0);
  EXPECT_TRUE(notes_.empty());
}

TEST_F(SliderTest, ClickOnTheTrackJumpsThereWithOneMovingNote) {
  HWND slider = MakeSlider();
  Click(At(slider, 106, ThumbY(slider)));
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifySliderMoving}));
  EXPECT_EQ(notes_[0].id, 400u);
  EXPECT_EQ(Position(slider), 255 * 100 / 200);
  EXPECT_EQ(notes_[0].position, 127);
  EXPECT_EQ(GetCapture(), nullptr);  // no drag
}

TEST_F(SliderTest, DragOnTheThumbReportsMovesThenOneReleaseAndHoldsThePointer) {
  HWND slider = MakeSlider();
  Press(At(slider, ThumbX(0), ThumbY(slider)));
  EXPECT_TRUE(notes_.empty());
  EXPECT_EQ(GetCapture(), slider);
  RECT clip;
  GetClipCursor(&clip);
  RECT window;
  GetWindowRect(slider, &window);
  EXPECT_EQ(clip.left, window.left + 6 - 10);
  EXPECT_EQ(clip.right, window.left + 206 + 10);
  MoveTo(At(slider, 50, ThumbY(slider)));
  MoveTo(At(slider, 400, ThumbY(slider) + 50));  // held inside the clip rectangle
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_LT(cursor.x, clip.right);
  EXPECT_LT(cursor.y, clip.bottom);
  ReleaseAt(cursor);
  std::vector<UINT> codes = NotifyCodes();
  ASSERT_GE(codes.size(), 3u);
  EXPECT_EQ(codes.back(), controls::kNotifySliderReleased);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), controls::kNotifySliderReleased), 1);
  EXPECT_EQ(Position(slider), 255);
  EXPECT_EQ(notes_.back().position, 255);
  EXPECT_EQ(GetCapture(), nullptr);
  GetClipCursor(&clip);
  EXPECT_GT(clip.right - clip.left, 300);  // the clip is gone
}

TEST_F(SliderTest, AThousandStepRangeReportsItsFullPositionAtTheRightEnd) {
  HWND slider = MakeSlider();
  Object(slider).SetRange(0, 1000);
  Click(At(slider, 211, ThumbY(slider)));
  EXPECT_EQ(Position(slider), 1000);
  ASSERT_EQ(notes_.size(), 1u);
  EXPECT_EQ(notes_[0].fullPosition, 1000);
  EXPECT_EQ(notes_[0].position, static_cast<BYTE>(1000));  // the record's byte wraps
}

TEST_F(SliderTest, DropDownFormDragsByThePointerAndClosesItsParentOnRelease) {
  HWND popup = CreateWindowExW(0, wintest::kTestClass, u"Popup", WS_POPUP | WS_VISIBLE, 100, 200, 212, 20, parent_,
                               nullptr, nullptr, nullptr);
  Log().SetHandler(popup, Log().HandlerFor(parent_));
  HWND slider = CreateWindowExW(0, u"CSliderCtrlBar", u"", WS_CHILD | WS_VISIBLE | SBS_DROPDOWN, 0, 0, 212, 20,
                                popup, reinterpret_cast<HMENU>(1007), nullptr, nullptr);
  ASSERT_NE(slider, nullptr);
  EXPECT_EQ(GetCapture(), slider);  // in a drag from the start
  SendMessageW(slider, WM_SLIDERPOS, 0, 100);
  const int start = 6 + 200 * 100 / 255;
  MoveTo(POINT{500, 300});  // the first move only sets where the drag starts from
  EXPECT_EQ(Position(slider), 255 * (start - 6) / 200);
  MoveTo(POINT{520, 300});
  EXPECT_EQ(Position(slider), 255 * (start + 20 - 6) / 200);
  ReleaseAt(POINT{520, 300});
  EXPECT_EQ(NotifyCodes().back(), controls::kNotifySliderReleased);
  EXPECT_EQ(GetCapture(), nullptr);
  bool cancelPosted = false;
  for (const wintest::Logged& e : Log().Entries())
    cancelPosted |= e.hwnd == popup && e.message == WM_COMMAND && e.wParam == IDCANCEL;
  EXPECT_TRUE(cancelPosted);
}

TEST_F(SliderTest, NarrowAndOneValueSlidersPaintAndMapWithoutAFault) {
  HWND narrow = MakeSlider(0, 5, 20, 401);
  Click(At(narrow, 2, 10));
  EXPECT_EQ(Position(narrow), 0);
  HWND one = Make(u"CSliderCtrlBar", u"", 0, 20, 80, 212, 20, 402);
  Object(one).SetRange(5, 5);
  Click(At(one, 150, 10));
  EXPECT_GE(Position(one), 5);
  EXPECT_LE(Position(one), 6);
  Pump();
}

TEST_F(SliderTest, RulerAndThumbPixels) {
  HWND slider = MakeSlider();
  SendMessageW(slider, WM_SLIDERPOS, 0, 255);
  HWND middle = Make(u"CSliderCtrlBar", u"", 0, 20, 80, 212, 20, 403);
  SendMessageW(middle, WM_SLIDERPOS, 0, 128);
  WritePng(parent_, "slider_ctrl_bar");
  const int base = 20 - 4 - 6;
  EXPECT_EQ(PixelAt(At(slider, 100, base)), RGB(0, 0, 0));                    // the ruler
  EXPECT_EQ(PixelAt(At(slider, 6, base - 5)), RGB(0, 0, 0));                  // its left end tick
  EXPECT_EQ(PixelAt(At(slider, 100, base - 5)), GetSysColor(COLOR_BTNFACE));  // no tick mid-way
  EXPECT_EQ(PixelAt(At(slider, 206, ThumbY(slider) + 2)), RGB(0, 0, 0));      // thumb at the right end
  EXPECT_EQ(PixelAt(At(slider, 6, ThumbY(slider) + 2)), GetSysColor(COLOR_BTNFACE));
}

}  // namespace

namespace {

class SliderBarTest : public customtest::CustomControlTest {};

TEST_F(SliderBarTest, ChannelSlidersTakeTheirByteOfAColourAndNameTheirChannel) {
  const DWORD styles[] = {SBS_ALPHA, SBS_RED, SBS_GREEN, SBS_BLUE};
  const int expected[] = {0x11, 0x22, 0x33, 0x44};
  HWND sliders[4];
  for (int i = 0; i < 4; ++i) {
    sliders[i] = Make(u"CSliderBarCtrl", u"", styles[i], 20, 40 + 30 * i, 212, 20, 450 + i);
    controls::NMSETCOLOR record{};
    record.hdr.hwndFrom = parent_;
    record.hdr.code = controls::kNotifySetColor;
    record.color = 0x11223344;
    SendMessageW(sliders[i], WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&record));
    int position = -1;
    SendMessageW(sliders[i], WM_SLIDERPOS, 1, reinterpret_cast<LPARAM>(&position));
    EXPECT_EQ(position, expected[i]);
  }
  WritePng(parent_, "slider_bar_ctrl_channels");
  // Tracks: red, green and blue filled; the thumb points down from the top.
  EXPECT_EQ(PixelAt(At(sliders[1], 100, 15)), RGB(255, 0, 0));
  EXPECT_EQ(PixelAt(At(sliders[2], 100, 15)), RGB(0, 255, 0));
  EXPECT_EQ(PixelAt(At(sliders[3], 100, 15)), RGB(0, 0, 255));
  EXPECT_EQ(PixelAt(At(sliders[0], 210, 2)), RGB(0xC0, 0xC0, 0xC0));
  Click(At(sliders[2], 211, 15));  // past the right limit: clamped to it
  ASSERT_FALSE(notes_.empty());
  EXPECT_EQ(notes_.back().channel, 2);
  EXPECT_EQ(notes_.back().position, 255);
}

}  // namespace
