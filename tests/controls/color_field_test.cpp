// The colour bar and the colour field as the picker uses them: where a colour
// puts the marker in each mode, marker drags pinned at the edges with their
// notes, recolouring without moving, the field's mode menu, and painting the
// whole of a resized control.
#include "controls/color_bar_ctrl.h"
#include "controls/color_pal_ctrl.h"
#include "custom_controls_test_support.h"

namespace {

using customtest::CustomControlTest;
using controls::CColorBarCtrl;
using controls::CColorPalCtrl;

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kGrey = 0x808080;

class ColorFieldTest : public CustomControlTest {
 protected:
  static CColorBarCtrl& Bar(HWND hwnd) { return *static_cast<CColorBarCtrl*>(CWnd::FromHandlePermanent(hwnd)); }
  static CColorPalCtrl& Field(HWND hwnd) { return *static_cast<CColorPalCtrl*>(CWnd::FromHandlePermanent(hwnd)); }
  void SendMode(HWND control, int mode, DWORD color) {
    controls::NMCOLORMODE record{};
    record.hdr.hwndFrom = parent_;
    record.hdr.idFrom = 1016;
    record.hdr.code = controls::kNotifyColorMode;
    record.mode = mode;
    record.color = color;
    SendMessageW(control, WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&record));
  }
  void SendColor(HWND control, DWORD color, int keepMarker) {
    controls::NMSETCOLOR record{};
    record.hdr.hwndFrom = parent_;
    record.hdr.idFrom = 1016;
    record.hdr.code = controls::kNotifySetColor;
    record.color = color;
    record.keepMarker = keepMarker;
    SendMessageW(control, WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&record));
  }
};

TEST_F(ColorFieldTest, PureColoursPlaceTheBarsMarkerInEachMode) {
  HWND bar = Make(u"ColorBarCtrl", u"", 0, 40, 40, 20, 100, 1010);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Bar(bar).m_nMarker, 30);
  struct Case {
    int mode;
    DWORD color;
    int marker;
  };
  // Value strip: full value at the top, grey half way; hue strip: hue 0 at
  // the bottom, green a third up; saturation strip: grey at the bottom.
  const Case cases[] = {{0, kRed, 0},  {0, kGreen, 0},  {0, kGrey, 50}, {1, kRed, 100},
                        {1, kGreen, 67}, {1, kGrey, 100}, {2, kRed, 0},  {2, kGreen, 0},
                        {2, kGrey, 100}};
  for (const Case& c : cases) {
    SendMode(bar, c.mode, c.color);
    EXPECT_EQ(Bar(bar).GetMode(), c.mode);
    EXPECT_EQ(Bar(bar).m_nMarker, c.marker) << c.mode << " " << std::hex << c.color;
  }
  SendMode(bar, 0, kRed);
  EXPECT_EQ(Bar(bar).Pixels()[0], kRed);         // full value at the top
  EXPECT_EQ(Bar(bar).Pixels()[99 * 20], 0x020000u);  // value 0.01 at the bottom row
  SendMode(bar, 1, kGreen);
  EXPECT_EQ(Bar(bar).Pixels()[0], kRed);  // hue 360 at the top converts as 0
  SendMode(bar, 7, kGrey);                // no such mode: the strip keeps its own
  EXPECT_EQ(Bar(bar).GetMode(), 1);
}

TEST_F(ColorFieldTest, PureColoursPlaceTheFieldsRingInEachMode) {
  HWND field = Make(u"ColorPalCtrl", u"", 0, 40, 40, 120, 100, 1008);
  ASSERT_NE(field, nullptr);
  struct Case {
    int mode;
    DWORD color;
    POINT marker;
  };
  const Case cases[] = {{0, kRed, {0, 0}},   {0, kGreen, {40, 0}},  {0, kGrey, {0, 100}},
                        {1, kRed, {120, 0}}, {1, kGreen, {120, 0}}, {1, kGrey, {0, 49}},
                        {2, kRed, {0, 0}},   {2, kGreen, {40, 0}},  {2, kGrey, {0, 49}}};
  for (const Case& c : cases) {
    SendMode(field, c.mode, c.color);
    EXPECT_EQ(Field(field).m_ptMarker, CPoint(c.marker)) << c.mode << " " << std::hex << c.color;
  }
  SendMode(field, 0, kRed);
  EXPECT_EQ(Field(field).Pixels()[0], kRed);  // hue 0, full saturation, value 1
  EXPECT_EQ(Field(field).Pixels()[40], kGreen);
}

TEST_F(ColorFieldTest, ADragBeyondTheEdgesPinsTheMarkerAndTellsTheOwner) {
  HWND bar = Make(u"ColorBarCtrl", u"", 0, 40, 40, 20, 100, 1010);
  SendMode(bar, 0, kRed);
  Press(At(bar, 10, 50));
  EXPECT_TRUE(notes_.empty());  // a press alone picks nothing
  MoveTo(At(bar, 10, -30));
  EXPECT_EQ(Bar(bar).m_nMarker, 0);
  MoveTo(At(bar, 10, 180));
  EXPECT_EQ(Bar(bar).m_nMarker, 100);
  ReleaseAt(At(bar, 10, 180));
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{33, 33, 34}));
  EXPECT_EQ(notes_[0].id, 1010u);
  EXPECT_EQ(notes_[0].color, kRed);
  EXPECT_EQ(notes_[0].rgbOnly, 1);
  EXPECT_EQ(notes_[0].keepMarker, 1);
  EXPECT_EQ(notes_[1].color, 0u);  // value 0 at the bottom row
  EXPECT_EQ(notes_[2].rgbOnly, 0);
  EXPECT_EQ(notes_[2].keepMarker, 0);
  MoveTo(At(bar, 10, 20));  // the drag is over
  EXPECT_EQ(notes_.size(), 3u);

  notes_.clear();
  HWND field = Make(u"ColorPalCtrl", u"", 0, 100, 40, 120, 100, 1008);
  SendMode(field, 0, kRed);
  Press(At(field, 60, 50));
  MoveTo(At(field, 400, 300));
  EXPECT_EQ(Field(field).m_ptMarker, CPoint(120, 100));  // up to and including w and h
  MoveTo(At(field, -50, -50));
  EXPECT_EQ(Field(field).m_ptMarker, CPoint(0, 0));
  ReleaseAt(At(field, -50, -50));
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{33, 33, 34}));
  EXPECT_EQ(notes_[1].color, kRed);  // hue 0, saturation 1, the field's value 1
  EXPECT_EQ(notes_[1].rgbOnly, 1);
}

TEST_F(ColorFieldTest, TheKeepFlagRecoloursWithoutMovingTheMarker) {
  HWND bar = Make(u"ColorBarCtrl", u"", 0, 40, 40, 20, 100, 1010);
  HWND field = Make(u"ColorPalCtrl", u"", 0, 100, 40, 120, 100, 1008);
  SendMode(bar, 0, kGrey);
  SendMode(field, 1, kGrey);
  const CPoint ring = Field(field).m_ptMarker;
  SendColor(bar, kRed, 1);
  SendColor(field, kRed, 1);
  EXPECT_EQ(Bar(bar).m_nMarker, 50);
  EXPECT_EQ(Bar(bar).Pixels()[0], kRed);  // the strip now runs through red
  EXPECT_EQ(Field(field).m_ptMarker, ring);
  EXPECT_EQ(PixelAt(At(bar, 10, 0)), RGB(255, 0, 0));
  SendColor(bar, kRed, 0);
  SendColor(field, kRed, 0);
  EXPECT_EQ(Bar(bar).m_nMarker, 0);
  EXPECT_EQ(Field(field).m_ptMarker, CPoint(120, 0));
  EXPECT_TRUE(notes_.empty());  // what the owner sends is not sent back
}

TEST_F(ColorFieldTest, TheFieldsMenuAsksTheOwnerAndWaitsForTheModeToComeBack) {
  HWND field = Make(u"ColorPalCtrl", u"", 0, 40, 40, 120, 100, 1008);
  SendMode(field, 0, kRed);
  const std::vector<DWORD> before = Field(field).Pixels();
  // The keys wait in the queue for the menu the right click opens:
  // "Saturation vs Value" is its third item.
  const POINT p = At(field, 60, 50);
  compat::host::InjectMouseMove(p.x, p.y);
  compat::host::InjectClick(1, p.x, p.y);
  for (int i = 0; i < 3; ++i) compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_RETURN);
  Pump();
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyColorMode}));
  EXPECT_EQ(notes_[0].mode, 1);
  EXPECT_EQ(notes_[0].id, 1008u);
  EXPECT_EQ(Field(field).GetMode(), 0);
  EXPECT_EQ(Field(field).Pixels(), before);
  SendMode(field, 1, kRed);  // the owner answers
  EXPECT_EQ(Field(field).GetMode(), 1);
  EXPECT_NE(Field(field).Pixels(), before);
}

TEST_F(ColorFieldTest, AResizedControlPaintsItsWholeClient) {
  HWND bar = Make(u"ColorBarCtrl", u"", 0, 40, 40, 20, 60, 1010);
  HWND field = Make(u"ColorPalCtrl", u"", 0, 100, 40, 60, 60, 1008);
  SendMode(bar, 1, kRed);  // hue strip
  SendMode(field, 0, kRed);
  Pump();
  SetWindowPos(bar, nullptr, 0, 0, 20, 150, SWP_NOMOVE | SWP_NOZORDER);
  SetWindowPos(field, nullptr, 0, 0, 150, 120, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Bar(bar).PixelSize(), CSize(20, 150));
  EXPECT_EQ(Field(field).PixelSize(), CSize(150, 120));
  auto rgb = [](DWORD c) { return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF); };
  // Rows and columns the first size never had show the new size's colours.
  EXPECT_EQ(PixelAt(At(bar, 10, 140)), rgb(controls::HsvPixel(360.0f * (1.0f - 140.0f / 150.0f), 1.0f, 1.0f)));
  EXPECT_EQ(PixelAt(At(field, 140, 110)),
            rgb(controls::HsvPixel(360.0f * 140.0f / 150.0f, 1.0f - 110.0f / 120.0f, 1.0f)));
  WritePng(parent_, "color_bar_and_field");
}

}  // namespace
