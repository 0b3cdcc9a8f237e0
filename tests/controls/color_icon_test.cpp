// The colour icon as dialogs, the picker and the swatch lists use it: its
// fill through WM_COLORICON_FILL and DDX_ColorIcon, the drop protocol by
// style, the swatch over the checkerboard, pictures shown, hidden and gone,
// the tooltip, notifications taken and passed on, and clicks by style.
#include <filesystem>

#include "color_icon_test_support.h"
#include "compat/afx/data_exchange.h"
#include "compat/host_path.h"
#include "custom_controls_test_support.h"

namespace {

using controls::CColorIconCtrl;
using customtest::CustomControlTest;
using customtest::StandInIconHost;

constexpr DWORD kDark = 0xFF040404;
constexpr DWORD kLight = 0xFFFAFAFA;

CFillStyle ColorFill(DWORD argb) {
  CFillStyle fill;
  fill.color = argb;
  return fill;
}
CFillStyle PictureFill(const std::u16string& path) {
  CFillStyle fill;
  fill.type = 2;
  fill.SetPatternImage(CString(path.c_str()));
  return fill;
}
CFillStyle GradientFill() {
  CFillStyle fill;
  fill.type = kFillVaryColor;
  fill.SetGradient(CGradientDesc());
  return fill;
}

class ColorIconTest : public CustomControlTest {
 protected:
  void SetUp() override {
    CustomControlTest::SetUp();
    controls::SetColorIconHost(&host_);
  }
  void TearDown() override {
    CustomControlTest::TearDown();
    controls::SetColorIconHost(nullptr);
    for (const auto& path : files_) std::filesystem::remove(compat::ToHostPath(path));
  }
  HWND MakeIcon(DWORD style, int x = 40, int id = 1016, int size = 40) {
    HWND hwnd = Make(u"ColorIconCtrl", u"", style, x, 40, size, size, id);
    Pump();
    return hwnd;
  }
  static CColorIconCtrl& Icon(HWND hwnd) { return *controls::ColorIconFromHandle(hwnd); }
  std::u16string Picture(const std::string& name, DWORD rgb) {
    files_.push_back(customtest::WriteSolidBmp(name, 8, 8, rgb));
    return files_.back();
  }
  static CFillStyle Read(HWND icon) {
    CFillStyle fill;
    EXPECT_EQ(SendMessageW(icon, WM_COLORICON_FILL, controls::kColorIconGetFill, reinterpret_cast<LPARAM>(&fill)), 1);
    return fill;
  }
  static DWORD Swatch(HWND icon, int x, int y) {
    const CColorIconCtrl& object = Icon(icon);
    return object.m_pixels[static_cast<size_t>(y) * object.m_pixelSize.cx + x];
  }
  static std::u16string TipText(HWND icon) {
    char16_t text[512] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = GetParent(icon);
    ti.uFlags = TTF_IDISHWND;
    ti.uId = reinterpret_cast<UINT_PTR>(icon);
    ti.lpszText = text;
    SendMessageW(Icon(icon).m_tooltip.m_hWnd, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return text;
  }
  LRESULT Query(HWND icon, const CFillStyle& fill) {
    return SendMessageW(icon, WM_SWATCH_DRAGDROP, controls::kSwatchQuery, reinterpret_cast<LPARAM>(&fill));
  }
  LRESULT Drop(HWND icon, const CFillStyle& fill) {
    return SendMessageW(icon, WM_SWATCH_DRAGDROP, controls::kSwatchDrop, reinterpret_cast<LPARAM>(&fill));
  }

  StandInIconHost host_;
  std::vector<std::u16string> files_;
};

TEST_F(ColorIconTest, DialogsSetAndReadTheFillAndAHiddenPictureReadsAsNoColour) {
  HWND any = MakeIcon(0);
  CFillStyle blue = ColorFill(0xFF0000FF);
  EXPECT_EQ(SendMessageW(any, WM_COLORICON_FILL, controls::kColorIconSetFill, reinterpret_cast<LPARAM>(&blue)), 1);
  EXPECT_EQ(host_.Names(), (std::vector<std::string>{"refresh"}));  // the palette window follows its target
  EXPECT_EQ(Read(any).color, 0xFF0000FFu);
  EXPECT_EQ(SendMessageW(any, WM_COLORICON_FILL, 7, reinterpret_cast<LPARAM>(&blue)), 0);
  EXPECT_EQ(SendMessageW(any, WM_COLORICON_FILL, controls::kColorIconGetFill, 0), 0);

  HWND picture = MakeIcon(controls::kIconPicture, 100, 1019);
  EXPECT_EQ(Icon(picture).Fill().type, 2);
  const std::u16string path = Picture("calvetta_icon_red.bmp", 0xFF0000);
  Icon(picture).SetTextureFile(CString(path.c_str()));
  EXPECT_EQ(Icon(picture).GetTexturePath(), CString(path.c_str()));
  CFillStyle shown = Read(picture);
  EXPECT_EQ(shown.type, 2);
  CString read;
  EXPECT_TRUE(shown.GetPatternImage(read));
  EXPECT_EQ(read, CString(path.c_str()));

  notes_.clear();
  compat::host::InjectClick(1, Center(picture).x, Center(picture).y);  // right click hides it
  Pump();
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyFillChanged}));
  const CFillStyle hidden = Read(picture);
  EXPECT_EQ(hidden.type, kFillColor);
  EXPECT_EQ(hidden.color, 0u);
  EXPECT_EQ(hidden.pattern, nullptr);
  EXPECT_TRUE(Icon(picture).GetTexturePath().IsEmpty());
  EXPECT_EQ(Swatch(picture, 7, 7), kDark);  // the board only
  compat::AdvanceClock(1000);  // not a double click
  compat::host::InjectClick(1, Center(picture).x, Center(picture).y);  // and shows it again
  Pump();
  EXPECT_EQ(Icon(picture).GetTexturePath(), CString(path.c_str()));
  EXPECT_EQ(Swatch(picture, 7, 7), 0xFFFF0000u);
}

TEST_F(ColorIconTest, DataExchangeLoadsAndSavesTheFill) {
  HWND icon = MakeIcon(controls::kIconColor, 40, 1016);
  CFillStyle fill = ColorFill(0x80336699);
  CDataExchange load(CWnd::FromHandle(parent_), FALSE);
  controls::DDX_ColorIcon(&load, 1016, fill);
  EXPECT_EQ(Icon(icon).Fill().color, 0x80336699u);
  Icon(icon).SetFill(ColorFill(0xFF112233));
  CDataExchange save(CWnd::FromHandle(parent_), TRUE);
  controls::DDX_ColorIcon(&save, 1016, fill);
  EXPECT_EQ(fill.color, 0xFF112233u);
  EXPECT_EQ(fill.type, kFillColor);
}

TEST_F(ColorIconTest, DragQueriesAndDropsAreAnsweredByStyle) {
  const DWORD styles[] = {0, controls::kIconColor, controls::kIconFixedColor, controls::kIconPicture,
                          controls::kIconGradient};
  HWND icons[5];
  for (int i = 0; i < 5; ++i) icons[i] = MakeIcon(styles[i], 20 + 50 * i, 1100 + i);
  const std::u16string path = Picture("calvetta_icon_drop.bmp", 0x00FF00);
  const CFillStyle fills[3] = {ColorFill(0xFF123456), PictureFill(path), GradientFill()};
  // accepts[style][fill]: colour, picture, gradient
  const bool accepts[5][3] = {{true, true, true}, {true, false, false}, {true, false, false}, {false, true, false},
                              {false, false, true}};
  // Without a drag (no capture) every icon refuses.
  for (HWND icon : icons) EXPECT_EQ(Query(icon, fills[0]), controls::kSwatchRefuses);
  SetCapture(parent_);
  for (int i = 0; i < 5; ++i) {
    for (int f = 0; f < 3; ++f) {
      EXPECT_EQ(Query(icons[i], fills[f]), accepts[i][f] ? controls::kSwatchAccepts : controls::kSwatchRefuses)
          << "style " << styles[i] << " fill " << f;
    }
  }
  EXPECT_EQ(SendMessageW(icons[0], WM_SWATCH_DRAGDROP, 5, reinterpret_cast<LPARAM>(&fills[0])), 0);
  SetCapture(icons[0]);  // the icon's own capture is no drag onto it
  EXPECT_EQ(Query(icons[0], fills[0]), controls::kSwatchRefuses);
  ReleaseCapture();

  // A refused drop changes nothing and tells nobody.
  EXPECT_EQ(Drop(icons[1], fills[1]), 0);
  EXPECT_EQ(Drop(icons[3], fills[0]), 0);
  EXPECT_TRUE(notes_.empty());
  EXPECT_TRUE(host_.calls.empty());
  EXPECT_EQ(Icon(icons[1]).Fill().type, kFillColor);
  EXPECT_EQ(Icon(icons[1]).Fill().pattern, nullptr);

  // A taken drop sets the fill, tells the owner and acts as a click.
  EXPECT_EQ(Drop(icons[1], fills[0]), 1);
  EXPECT_EQ(Icon(icons[1]).Fill().color, 0xFF123456u);
  EXPECT_EQ(Drop(icons[3], fills[1]), 1);
  EXPECT_EQ(Icon(icons[3]).GetTexturePath(), CString(path.c_str()));
  EXPECT_EQ(Drop(icons[4], fills[2]), 1);
  EXPECT_EQ(Drop(icons[0], fills[1]), 1);
  EXPECT_EQ(Drop(icons[2], fills[0]), 1);
  EXPECT_EQ(Icon(icons[2]).Fill().color, 0xFF123456u);
  EXPECT_EQ(NotifyCodes(), std::vector<UINT>(6, controls::kNotifyFillChanged));  // the picture's chooser adds one
  EXPECT_EQ(host_.Names(), (std::vector<std::string>{"picker", "choose", "target", "target"}));
}

TEST_F(ColorIconTest, TheSwatchLaysTheColourOverTheCheckerboard) {
  HWND icon = MakeIcon(controls::kIconColor);
  const CColorIconCtrl& object = Icon(icon);
  // 40 / 8: cells of 5 pixels, the top-left one dark.
  Icon(icon).SetFill(ColorFill(0x00FF0000));  // fully transparent: the bare board
  EXPECT_EQ(Swatch(icon, 2, 2), kDark);
  EXPECT_EQ(Swatch(icon, 7, 2), kLight);
  EXPECT_EQ(Swatch(icon, 7, 7), kDark);
  EXPECT_EQ(Swatch(icon, 37, 2), kLight);
  EXPECT_EQ(PixelAt(At(icon, 7, 7)), RGB(4, 4, 4));
  EXPECT_EQ(PixelAt(At(icon, 12, 7)), RGB(250, 250, 250));
  Icon(icon).SetFill(ColorFill(0x80FF0000));  // half red: d + ((s - d) x a >> 8)
  EXPECT_EQ(Swatch(icon, 7, 7), 0xFF810202u);   // 4 + 125, 4 - 2
  EXPECT_EQ(Swatch(icon, 12, 7), 0xFFFC7D7Du);  // 250 + 2, 250 - 125
  EXPECT_EQ(PixelAt(At(icon, 12, 7)), RGB(252, 125, 125));
  WritePng(icon, "color_icon_half_red");
  Icon(icon).SetFill(ColorFill(0xFF0000FF));  // opaque: the colour
  EXPECT_EQ(Swatch(icon, 7, 7), 0xFF0000FFu);
  EXPECT_EQ(object.m_pixelSize, CSize(40, 40));
  // The frame: grey and white outside, black inside.
  EXPECT_EQ(PixelAt(At(icon, 0, 0)), RGB(0x98, 0x98, 0x98));
  EXPECT_EQ(PixelAt(At(icon, 39, 39)), RGB(255, 255, 255));
  EXPECT_EQ(PixelAt(At(icon, 1, 20)), RGB(0, 0, 0));
  EXPECT_EQ(PixelAt(At(icon, 2, 20)), RGB(0, 0, 255));
}

TEST_F(ColorIconTest, PicturesAndGradientsShowOnlyWhereTheStyleAllows) {
  const std::u16string path = Picture("calvetta_icon_shown.bmp", 0x0000FF);
  HWND picture = MakeIcon(controls::kIconPicture, 20, 1101);
  HWND colour = MakeIcon(controls::kIconColor, 70, 1102);
  HWND any = MakeIcon(0, 120, 1103);
  HWND gradient = MakeIcon(controls::kIconGradient, 170, 1104);
  Icon(picture).SetTextureFile(CString(path.c_str()));
  Icon(colour).SetFill(PictureFill(path));
  Icon(any).SetFill(PictureFill(path));
  EXPECT_EQ(Swatch(picture, 7, 7), 0xFF0000FFu);
  EXPECT_EQ(Swatch(any, 7, 7), 0xFF0000FFu);
  EXPECT_EQ(Swatch(colour, 7, 7), kDark);  // a colour swatch shows no picture
  CFillStyle moved = GradientFill();
  static_cast<CFillGradientPart*>(moved.pattern)->first.controlPoints[0] = CVector2(10.0f, 10.0f);
  Icon(gradient).SetFill(moved);
  EXPECT_NE(Swatch(gradient, 7, 7), kDark);
  // The gradient swatch shows the colours without the user's placement.
  CGradientDesc shown;
  ASSERT_TRUE(Icon(gradient).Fill().GetGradient(shown));
  EXPECT_EQ(shown.controlPoints[0].x, 0.0f);
  WritePng(parent_, "color_icon_fills");

  // The file goes: a picture swatch shows the board only.
  std::filesystem::remove(compat::ToHostPath(path));
  Icon(picture).SetFill(Icon(picture).Fill());
  EXPECT_EQ(Swatch(picture, 7, 7), kDark);
  EXPECT_EQ(Swatch(picture, 12, 7), kLight);
  EXPECT_EQ(PixelAt(At(picture, 12, 7)), RGB(250, 250, 250));
  // Choosing a file that is not there leaves the picture out.
  Icon(picture).SetTextureFile(CString(path.c_str()));
  EXPECT_EQ(Icon(picture).Fill().pattern, nullptr);
  EXPECT_TRUE(Icon(picture).GetTexturePath().IsEmpty());
}

TEST_F(ColorIconTest, TheTooltipDescribesTheFill) {
  HWND colour = MakeIcon(controls::kIconColor);
  Icon(colour).SetFill(ColorFill(0x80FF2001));
  EXPECT_EQ(TipText(colour),
            u"Alpha = 128,R = 255,G = 32,B = 1   Edit: first click to set it as the current color of the color and "
            u"texture picker, Second use the color and texture picker to edit it.");
  HWND picture = MakeIcon(controls::kIconPicture, 100, 1019);
  const std::u16string path = Picture("calvetta_icon_tip.bmp", 0x00FF00);
  Icon(picture).SetTextureFile(CString(path.c_str()));
  EXPECT_EQ(TipText(picture), compat::Utf8ToUtf16(compat::ToHostPath(path)) +
                                 u"Click left Mouse button to set file,click right Mouse button to remove file ");
  Icon(picture).SetFill(GradientFill());
  EXPECT_EQ(TipText(picture), u"");
}

TEST_F(ColorIconTest, NotificationsChangeTheFillAndGoOnToTheOwner) {
  HWND colour = MakeIcon(controls::kIconColor, 40, 1016);
  controls::NMSETCOLOR set{};
  set.hdr = {parent_, 1002, controls::kNotifySetColor};
  set.color = 0xFF102030;
  SendMessageW(colour, WM_NOTIFY, 1002, reinterpret_cast<LPARAM>(&set));
  EXPECT_EQ(Icon(colour).Fill().color, 0xFF102030u);
  EXPECT_TRUE(notes_.empty());
  controls::NMCOLORDRAG drag{};
  drag.hdr = {parent_, 1002, controls::kNotifyColorDragging};
  drag.color = 0xFF405060;
  SendMessageW(colour, WM_NOTIFY, 1002, reinterpret_cast<LPARAM>(&drag));
  EXPECT_EQ(Icon(colour).Fill().color, 0xFF405060u);
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyColorDragging}));
  EXPECT_EQ(notes_[0].id, 1016u);  // from the icon, so the owner knows which
  EXPECT_EQ(notes_[0].color, 0xFF405060u);
  EXPECT_EQ(PixelAt(At(colour, 20, 20)), RGB(0x40, 0x50, 0x60));

  notes_.clear();
  controls::NMFILLCHANGE change;
  change.hdr = {parent_, 2026, controls::kNotifyFillChanged};
  change.kind = controls::kFillChangePicture;
  change.path = u"\\nowhere.png";
  SendMessageW(colour, WM_NOTIFY, 2026, reinterpret_cast<LPARAM>(&change));  // not a colour: ignored
  EXPECT_EQ(Icon(colour).Fill().type, kFillColor);
  EXPECT_TRUE(notes_.empty());
  change.kind = controls::kFillChangeColor;
  change.color = 0xFFABCDEF;
  SendMessageW(colour, WM_NOTIFY, 2026, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(Icon(colour).Fill().color, 0xFFABCDEFu);
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyFillChanged}));

  HWND any = MakeIcon(0, 100, 1030);  // takes any kind
  change.kind = controls::kFillChangeGradient;
  SendMessageW(any, WM_NOTIFY, 2026, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(Icon(any).Fill().type, kFillVaryColor);
  ASSERT_NE(Icon(any).Fill().pattern, nullptr);
  EXPECT_EQ(Icon(any).Fill().pattern->kind, kFillPartGradient);
  change.kind = controls::kFillChangePicture;
  SendMessageW(any, WM_NOTIFY, 2026, reinterpret_cast<LPARAM>(&change));
  EXPECT_EQ(Icon(any).Fill().type, 2);
  EXPECT_EQ(Icon(any).GetTexturePath(), CString(u"\\nowhere.png"));
}

TEST_F(ColorIconTest, AClickDoesWhatTheStyleSays) {
  HWND colour = MakeIcon(controls::kIconColor, 40, 1016);
  HWND fixed = MakeIcon(controls::kIconFixedColor, 100, 1017);
  HWND mask = MakeIcon(controls::kIconPicture | controls::kIconMaskFolder, 160, 1018);
  HWND image = MakeIcon(controls::kIconPicture, 220, 1019);
  HWND any = MakeIcon(0, 280, 1020);
  Icon(colour).SetFill(ColorFill(0xFF336699));
  Click(Center(colour));
  ASSERT_EQ(host_.Names(), (std::vector<std::string>{"picker"}));
  RECT r;
  GetWindowRect(colour, &r);
  EXPECT_EQ(host_.calls[0].icon, colour);
  EXPECT_EQ(host_.calls[0].color, 0xFF336699u);
  EXPECT_EQ(host_.calls[0].topLeft.x, r.left);  // under the icon
  EXPECT_EQ(host_.calls[0].topLeft.y, r.bottom);
  Click(Center(fixed));
  EXPECT_EQ(host_.calls.size(), 1u);
  host_.chosen = Picture("calvetta_icon_chosen.bmp", 0xFFFF00);
  Click(Center(mask));
  EXPECT_TRUE(host_.calls.back().alternateFolder);
  EXPECT_EQ(Icon(mask).GetTexturePath(), CString(host_.chosen.c_str()));
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyFillChanged}));
  host_.chosen.clear();
  Click(Center(image));  // cancelled: still told
  EXPECT_FALSE(host_.calls.back().alternateFolder);
  EXPECT_EQ(NotifyCodes().size(), 2u);
  Click(Center(any));
  EXPECT_EQ(host_.target, &Icon(any));
  DestroyWindow(any);
  EXPECT_EQ(host_.target, nullptr);  // a palette window never keeps a dead target
  WritePng(parent_, "color_icon_clicked");
}

}  // namespace
