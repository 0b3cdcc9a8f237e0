// The background palette window: tabs change the target at once, swatches
// apply by double click, and what it keeps between runs of the program.
#include "ui/background_palette.h"

#include "compat/host.h"
#include "controls/color_icon_ctrl.h"
#include "controls/color_icon_host.h"
#include "controls/image_list_ctrl.h"
#include "ui/palette_icon_host.h"
#include "ui/swatch_file.h"
#include "res/resource.h"
#include "ui_test_support.h"

namespace {

using uitest::Bytes;

class BackgroundPaletteTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(RegisterUiClasses(nullptr));
    controls::SetColorIconHost(&GetPaletteIconHost());
    icon_ = Make(u"ColorIconCtrl", u"", 0, 20, 20, 40, 40, 700);
    ASSERT_NE(icon_, nullptr);
  }
  void TearDown() override {
    ReleasePaletteWindows();
    controls::SetColorIconHost(nullptr);
    UiTest::TearDown();
  }
  controls::CColorIconCtrl& Icon() { return *controls::ColorIconFromHandle(icon_); }
  // What a restart does: the windows go (writing their files), the lists
  // are read again.
  static void Restart() {
    ReleasePaletteWindows();
    ForgetSharedSwatchLists();
  }
  static CBackgroundPalette& Open() {
    CBackgroundPalette& palette = GetBackgroundPalette();
    if (!palette.m_hWnd) {
      EXPECT_TRUE(palette.Create(static_cast<CWnd*>(nullptr)));
    }
    Pump();
    return palette;
  }
  static void ClickTab(CBackgroundPalette& palette, int index) {
    RECT r;
    palette.m_tabs.GetItemRect(index, &r);
    POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    ::ClientToScreen(palette.m_tabs.m_hWnd, &p);
    Click(p);
  }
  static POINT CellCenter(HWND page, int index) {
    controls::CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(page, kSwatchListId));
    const int column = index % list->m_nColumns;
    const int row = index / list->m_nColumns;
    POINT p{column * list->m_cellSize.cx + list->m_cellSize.cx / 2, row * list->m_cellSize.cy + list->m_cellSize.cy / 2};
    ClientToScreen(list->m_hWnd, &p);
    return p;
  }
  static CFillStyle Colour(DWORD argb) {
    CFillStyle fill;
    fill.color = argb;
    return fill;
  }
  HWND icon_ = nullptr;
};

TEST_F(BackgroundPaletteTest, ClickingAnIconOpensThePaletteOnItsFill) {
  CFillStyle fill = Colour(0xFF3366CC);
  Icon().SetFill(fill);
  Click(Center(icon_));
  CBackgroundPalette& palette = GetBackgroundPalette();
  ASSERT_TRUE(palette.m_hWnd);
  EXPECT_TRUE(palette.IsWindowVisible());
  EXPECT_EQ(palette.GetTarget(), &Icon());
  EXPECT_EQ(palette.m_tabs.GetCurSel(), 0);
  EXPECT_EQ(palette.m_colorPage.GetColor(), 0xFF3366CCu);
  palette.SetWindowPos(nullptr, 200, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  for (int i = 0; i < 3; ++i) Pump();
  const std::string path = dlgtest::PngPath("background_palette_desktop");
  EXPECT_TRUE(compat::host::WriteDesktopPng(path)) << path;
}

TEST_F(BackgroundPaletteTest, SwitchingTabsChangesTheTargetsFillTypeAtOnce) {
  Click(Center(icon_));
  CBackgroundPalette& palette = GetBackgroundPalette();
  ASSERT_TRUE(palette.m_hWnd);
  ClickTab(palette, 1);
  EXPECT_EQ(Icon().Fill().type, kFillVaryColor);
  CGradientDesc desc;
  EXPECT_TRUE(Icon().Fill().GetGradient(desc));
  EXPECT_TRUE(palette.m_varyPage.IsWindowVisible());
  EXPECT_FALSE(palette.m_colorPage.IsWindowVisible());
  WritePng(palette.m_hWnd, "background_palette_gradient");
  ClickTab(palette, 2);
  EXPECT_EQ(Icon().Fill().type, 2);
  EXPECT_TRUE(palette.m_imagePage.IsWindowVisible());
  WritePng(palette.m_hWnd, "background_palette_image");
  ClickTab(palette, 0);
  EXPECT_EQ(Icon().Fill().type, kFillColor);
  // A fill of a type past the three kinds shows the picture page.
  CFillStyle odd;
  odd.type = 7;
  palette.SetFill(odd);
  EXPECT_EQ(palette.m_tabs.GetCurSel(), 2);
}

TEST_F(BackgroundPaletteTest, ADoubleClickAppliesASwatch) {
  SharedSwatchList(u"Color.dat").fills = {Colour(0xFF000000), Colour(0xFFC08040)};
  Click(Center(icon_));
  CBackgroundPalette& palette = GetBackgroundPalette();
  const POINT cell = CellCenter(palette.m_colorPage.m_hWnd, 1);
  compat::host::InjectMouseMove(cell.x, cell.y);
  compat::host::InjectClick(0, cell.x, cell.y);
  compat::host::InjectMouseButton(0, true, cell.x, cell.y);  // the second press of a double click
  compat::host::InjectMouseButton(0, false, cell.x, cell.y);
  Pump();
  EXPECT_EQ(palette.m_fill.color, 0xFFC08040u);
  EXPECT_EQ(Icon().Fill().color, 0xFFC08040u);
  EXPECT_EQ(palette.m_colorPage.GetColor(), 0xFFC08040u);
}

TEST_F(BackgroundPaletteTest, TwoLifetimesKeepPlaceVisibilityAndMaterial) {
  {
    CBackgroundPalette& palette = Open();
    palette.SetWindowPos(nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    palette.ShowWindow(SW_SHOW);
    CGradientDesc desc;
    desc.angle = 12.5f;
    CFillStyle fill;
    fill.type = kFillVaryColor;
    fill.SetGradient(desc);
    palette.SetFill(fill);
  }
  Restart();
  {
    CBackgroundPalette& palette = Open();
    CRect r;
    palette.GetWindowRect(&r);
    EXPECT_EQ(r.TopLeft(), CPoint(123, 77));
    EXPECT_TRUE(palette.IsWindowVisible());
    EXPECT_EQ(palette.m_fill.type, kFillVaryColor);
    CGradientDesc desc;
    ASSERT_TRUE(palette.m_fill.GetGradient(desc));
    EXPECT_EQ(desc.angle, 12.5f);
    EXPECT_EQ(palette.m_tabs.GetCurSel(), 1);
    palette.SendMessage(WM_CLOSE);  // the close box
    EXPECT_FALSE(palette.IsWindowVisible());
  }
  Restart();
  CBackgroundPalette& palette = Open();
  EXPECT_FALSE(palette.IsWindowVisible()) << "closed last time, hidden now";
}

TEST_F(BackgroundPaletteTest, SwatchesOutliveThePaletteWindowAndARestart) {
  CBackgroundPalette& palette = Open();
  palette.SetFill(Colour(0xFF010203));
  palette.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  palette.SetFill(Colour(0xFF040506));
  palette.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  ASSERT_EQ(palette.m_colorPage.Swatches().size(), 2u);
  palette.DestroyWindow();
  ASSERT_TRUE(palette.Create(static_cast<CWnd*>(nullptr)));
  EXPECT_EQ(palette.m_colorPage.Swatches().size(), 2u);
  controls::CImageListCtrl* list =
      controls::ImageListCtrlFromHandle(::GetDlgItem(palette.m_colorPage.m_hWnd, kSwatchListId));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->GetCount(), 2);
  Restart();
  EXPECT_EQ(Open().m_colorPage.Swatches().size(), 2u);
}

TEST_F(BackgroundPaletteTest, TheColourPageAndTheStandAlonePickerShareOneList) {
  CBackgroundPalette& palette = Open();
  CColorPickerDlg& picker = GetColorPicker();
  ASSERT_TRUE(picker.CreatePopup(nullptr));
  picker.SetColor(0xFF0A0B0C);
  picker.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  palette.SetFill(Colour(0xFF0D0E0F));
  palette.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  auto count = [](CSwatchPage& page) {
    return controls::ImageListCtrlFromHandle(::GetDlgItem(page.m_hWnd, kSwatchListId))->GetCount();
  };
  EXPECT_EQ(count(picker), 2);
  EXPECT_EQ(count(palette.m_colorPage), 2);
  Restart();
  CColorPickerDlg& again = GetColorPicker();
  ASSERT_TRUE(again.CreatePopup(nullptr));
  ASSERT_EQ(again.Swatches().size(), 2u);
  EXPECT_EQ(again.Swatches()[0].color, 0xFF0A0B0Cu);
  EXPECT_EQ(again.Swatches()[1].color, 0xFF0D0E0Fu);
  EXPECT_EQ(Open().m_colorPage.Swatches().size(), 2u);
}

TEST_F(BackgroundPaletteTest, ADamagedMaterialFileGivesTheDefaultFill) {
  uitest::WriteHostFile(uitest::HostDataFolder() / "Material.dat", Bytes{2, 0, 0, 0, 1, 2, 3, 4, 1, 0, 0, 0, 9});
  CFillStyle fill;
  GetBackgroundFill(fill);
  EXPECT_EQ(fill.type, kFillColor);
  EXPECT_EQ(fill.color, 0xFF808080u);
  CBackgroundPalette& palette = Open();
  EXPECT_EQ(palette.m_tabs.GetCurSel(), 0);
}

}  // namespace

namespace {

TEST_F(BackgroundPaletteTest, ASwatchDraggedOntoAnIconGivesItThatFill) {
  SharedSwatchList(u"Color.dat").fills = {Colour(0xFF000000), Colour(0xFF22AA44)};
  HWND other = Make(u"ColorIconCtrl", u"", 0, 80, 20, 40, 40, 702);
  CBackgroundPalette& palette = Open();
  palette.SetWindowPos(nullptr, 200, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  Pump();
  const POINT from = CellCenter(palette.m_colorPage.m_hWnd, 1);
  const POINT to = Center(other);
  compat::host::InjectMouseMove(from.x, from.y);
  compat::host::InjectMouseButton(0, true, from.x, from.y);
  compat::host::InjectMouseMove(from.x + 20, from.y);
  compat::host::InjectMouseMove(to.x, to.y);
  compat::host::InjectMouseButton(0, false, to.x, to.y);
  Pump();
  EXPECT_EQ(controls::ColorIconFromHandle(other)->Fill().color, 0xFF22AA44u);
  EXPECT_EQ(controls::ColorIconFromHandle(other)->Fill().type, kFillColor);
}

}  // namespace
