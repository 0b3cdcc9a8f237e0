// The colour picker and the Vary Color panel as pages and as the stand-alone
// picker: colours moving between their controls, swatches, and what their
// owners hear.
#include <algorithm>

#include "controls/color_bar_ctrl.h"
#include "controls/color_pal_ctrl.h"
#include "controls/edit_ctrl.h"
#include "controls/color_icon_ctrl.h"
#include "controls/color_icon_host.h"
#include "controls/image_list_ctrl.h"
#include "ui/color_picker_dlg.h"
#include "ui/image_swatch_page.h"
#include "ui/palette_icon_host.h"
#include "ui/vary_color_bar.h"
#include "ui/stored_text.h"
#include "ui/vary_color_panel.h"
#include "res/resource.h"
#include "ui_test_support.h"

namespace {

struct FillNote {
  UINT_PTR id;
  int kind;
  DWORD color;
  int state;
};

class SwatchPages : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    ASSERT_TRUE(RegisterUiClasses(nullptr));
    Log().SetHandler(parent_, [this](HWND, UINT message, WPARAM, LPARAM lParam, LRESULT*) {
      if (message != WM_NOTIFY) return false;
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      codes_.push_back(header->code);
      if (header->code == controls::kNotifyFillChanged) {
        const auto* record = reinterpret_cast<const controls::NMFILLCHANGE*>(lParam);
        fills_.push_back({header->idFrom, record->kind, record->kind == 0 ? record->color : record->stopColor,
                          record->stopState});
      }
      return false;
    });
  }
  void TearDown() override {
    ReleasePaletteWindows();
    UiTest::TearDown();
  }
  CWnd* Parent() { return CWnd::FromHandle(parent_); }
  static std::u16string FieldText(HWND page, int id) { return Text(GetDlgItem(GetDlgItem(page, id), 1)); }
  // Moves a channel slider's thumb and sends `page` what the slider sends.
  static void SlideChannel(HWND page, int sliderId, int channel, int position) {
    SendDlgItemMessageW(page, sliderId, WM_SLIDERPOS, 0, position);
    controls::NMSLIDER record{};
    record.hdr = NMHDR{GetDlgItem(page, sliderId), static_cast<UINT_PTR>(sliderId), controls::kNotifySliderMoving};
    record.position = static_cast<BYTE>(position);
    record.channel = static_cast<BYTE>(channel);
    SendMessageW(page, WM_NOTIFY, static_cast<WPARAM>(sliderId), reinterpret_cast<LPARAM>(&record));
  }
  // Runs the thread's messages as the application's loop does: the
  // pre-translate walk first.
  static void PumpAsApplication() {
    MSG msg;
    for (int round = 0; round < 3; ++round) {
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (AfxPreTranslateMessageTree(nullptr, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Pump();
    }
  }
  static POINT CellCenter(controls::CImageListCtrl& list, int index) {
    const int column = index % list.m_nColumns;
    const int row = index / list.m_nColumns;
    POINT p{column * list.m_cellSize.cx + list.m_cellSize.cx / 2, row * list.m_cellSize.cy + list.m_cellSize.cy / 2};
    ClientToScreen(list.m_hWnd, &p);
    return p;
  }
  static CFillStyle Colour(DWORD argb) {
    CFillStyle fill;
    fill.color = argb;
    return fill;
  }

  std::vector<FillNote> fills_;
  std::vector<UINT> codes_;
};

TEST_F(SwatchPages, TheRedSliderChangesOnlyRedAndTheOthersFollowWithoutMovingMarkers) {
  CColorPickerDlg picker;
  ASSERT_TRUE(picker.Create(Parent()));
  picker.SetWindowPos(nullptr, 10, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  picker.SetColor(0xFF204060);
  auto* field = dynamic_cast<controls::CColorPalCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(picker.m_hWnd, 1008)));
  auto* bar = dynamic_cast<controls::CColorBarCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(picker.m_hWnd, 1010)));
  ASSERT_TRUE(field && bar);
  const CPoint fieldMarker = field->m_ptMarker;
  const int barMarker = bar->m_nMarker;
  codes_.clear();
  SlideChannel(picker.m_hWnd, 1013, 1, 128);
  Pump();
  EXPECT_EQ(picker.GetColor(), 0xFF804060u);
  EXPECT_EQ(GetLastPickedColor(), 0xFF804060u);
  EXPECT_EQ(FieldText(picker.m_hWnd, 1016), u"128");
  EXPECT_EQ(FieldText(picker.m_hWnd, 1015), u"255");
  EXPECT_EQ(FieldText(picker.m_hWnd, 1017), u"64");
  EXPECT_EQ(field->m_ptMarker, fieldMarker);
  EXPECT_EQ(bar->m_nMarker, barMarker);
  int green = -1;
  ::SendDlgItemMessageW(picker.m_hWnd, 1014, WM_SLIDERPOS, 1, reinterpret_cast<LPARAM>(&green));
  EXPECT_EQ(green, 0x40) << "the green slider stays";
  ASSERT_FALSE(codes_.empty());
  EXPECT_EQ(codes_.back(), controls::kNotifyColorDragging);
  WritePng(picker.m_hWnd, "color_picker_page");
}

// Which children heard a mode notice (code 10), by their place in the list.
std::vector<int> g_modeHeard;
WNDPROC g_childProcs[64] = {};
HWND g_childWindows[64] = {};
LRESULT CALLBACK ModeSpy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  int slot = 0;
  while (g_childWindows[slot] != hwnd) ++slot;
  if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == controls::kNotifyColorMode)
    g_modeHeard.push_back(slot);
  return CallWindowProcW(g_childProcs[slot], hwnd, message, wParam, lParam);
}

TEST_F(SwatchPages, AModeChosenInTheFieldReachesEveryChildTheFieldToo) {
  CColorPickerDlg picker;
  ASSERT_TRUE(picker.Create(Parent()));
  int children = 0;
  for (HWND child = ::GetWindow(picker.m_hWnd, GW_CHILD); child && children < 64;
       child = ::GetWindow(child, GW_HWNDNEXT), ++children) {
    g_childWindows[children] = child;
    g_childProcs[children] =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ModeSpy)));
  }
  ASSERT_GT(children, 4);
  g_modeHeard.clear();
  HWND field = ::GetDlgItem(picker.m_hWnd, 1008);
  controls::NMCOLORMODE record{};
  record.hdr = NMHDR{field, 1008, controls::kNotifyColorMode};
  record.mode = 2;
  ::SendMessageW(picker.m_hWnd, WM_NOTIFY, 1008, reinterpret_cast<LPARAM>(&record));
  for (int i = 0; i < children; ++i)
    SetWindowLongPtrW(g_childWindows[i], GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_childProcs[i]));
  std::sort(g_modeHeard.begin(), g_modeHeard.end());
  g_modeHeard.erase(std::unique(g_modeHeard.begin(), g_modeHeard.end()), g_modeHeard.end());
  EXPECT_EQ(static_cast<int>(g_modeHeard.size()), children) << "every child, once or more";
  auto heard = [&](int id) {
    for (int slot : g_modeHeard)
      if (::GetDlgCtrlID(g_childWindows[slot]) == id) return true;
    return false;
  };
  EXPECT_TRUE(heard(1008)) << "the sender too";
  EXPECT_TRUE(heard(1013)) << "a channel slider";
}

TEST_F(SwatchPages, AddingAColourThatIsThereSelectsIt) {
  SharedSwatchList(u"Color.dat").fills = {Colour(0xFF000000), Colour(0xFF00FF00), Colour(0xFFFFFFFF)};
  CColorPickerDlg picker;
  ASSERT_TRUE(picker.Create(Parent()));
  controls::CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(picker.m_hWnd, kSwatchListId));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 3);
  picker.SetColor(0xFF00FF00);
  picker.AddSwatch();
  EXPECT_EQ(picker.Swatches().size(), 3u);
  EXPECT_EQ(list->GetSelection(), 1);
  picker.SetColor(0x80123456);
  picker.AddSwatch();
  ASSERT_EQ(picker.Swatches().size(), 4u);
  EXPECT_EQ(picker.Swatches()[3].color, 0x80123456u);
  EXPECT_EQ(list->GetCount(), 4);
  // Remove keeps the last two.
  list->SetSelection(0);
  picker.RemoveSwatch();
  picker.RemoveSwatch();
  picker.RemoveSwatch();
  EXPECT_EQ(picker.Swatches().size(), 2u);
}

TEST_F(SwatchPages, TheListsButtonIsDrawnUpAgainOnceItsMenuCloses) {
  CColorPickerDlg picker;
  ASSERT_TRUE(picker.Create(Parent()));
  picker.ShowWindow(SW_SHOW);
  HWND button = ::GetDlgItem(::GetDlgItem(picker.m_hWnd, kSwatchListId), controls::kListButtonId);
  ASSERT_TRUE(button && IsWindowVisible(button));
  auto looks = [button] {
    for (int i = 0; i < 3; ++i) Pump();
    RECT r;
    ::GetWindowRect(button, &r);
    auto surface = compat::host::DesktopSurface();
    std::vector<uint32_t> pixels;
    for (int y = r.top; y < r.bottom; ++y) pixels.insert(pixels.end(), surface->Row(y) + r.left, surface->Row(y) + r.right);
    return pixels;
  };
  const std::vector<uint32_t> up = looks();
  const POINT p = Center(button);
  compat::host::InjectMouseMove(p.x, p.y);
  compat::host::InjectClick(0, p.x, p.y);
  compat::host::InjectKeyPress(VK_ESCAPE);  // the Add/Remove/Replace menu closed unused
  Pump();
  EXPECT_EQ(looks(), up);
  WritePng(picker.m_hWnd, "swatch_button_after_menu");
}

TEST_F(SwatchPages, TheStandAlonePickerTellsItsOwnerOfASelectedSwatch) {
  SharedSwatchList(u"Color.dat").fills = {Colour(0xFF102030), Colour(0x80405060)};
  CColorPickerDlg& picker = GetColorPicker();
  ASSERT_TRUE(picker.CreatePopup(nullptr));
  picker.SetOwner(Parent());
  picker.SetWindowPos(&CWnd::wndTop, 100, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  Pump();
  controls::CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(picker.m_hWnd, kSwatchListId));
  ASSERT_NE(list, nullptr);
  fills_.clear();
  Click(CellCenter(*list, 1));
  EXPECT_EQ(picker.GetColor(), 0x80405060u);
  ASSERT_EQ(fills_.size(), 1u);
  EXPECT_EQ(fills_[0].id, 1002u);
  EXPECT_EQ(fills_[0].kind, controls::kFillChangeColor);
  EXPECT_EQ(fills_[0].color, 0x80405060u);
  EXPECT_EQ(FieldText(picker.m_hWnd, 1018), u"96");
  // Its swatch menu's commands are its own.
  picker.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  EXPECT_EQ(picker.Swatches().size(), 2u) << "the colour is there already";
  picker.SetColor(0xFFABCDEF);
  picker.SendMessage(WM_COMMAND, ID_SWATCH_ADD, 0);
  EXPECT_EQ(picker.Swatches().size(), 3u);
  WritePng(picker.m_hWnd, "color_picker_popup");
}

TEST_F(SwatchPages, EnterAndEscapeNeverEndAPage) {
  CColorPickerDlg picker;
  ASSERT_TRUE(picker.Create(Parent()));
  picker.ShowWindow(SW_SHOW);
  CVaryColorPanel panel;
  ASSERT_TRUE(panel.Create(Parent()));
  panel.SetWindowPos(nullptr, 300, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  for (CDialog* page : {static_cast<CDialog*>(&picker), static_cast<CDialog*>(&panel)}) {
    ::SetFocus(::GetDlgItem(::GetDlgItem(page->m_hWnd, page == &picker ? 1016 : 1018), 1));
    compat::host::InjectKeyPress(VK_RETURN);
    compat::host::InjectKeyPress(VK_ESCAPE);
    PumpAsApplication();
    EXPECT_TRUE(::IsWindow(page->m_hWnd));
    EXPECT_TRUE(page->IsWindowVisible());
  }
}

class VaryColorPanelTest : public SwatchPages {
 protected:
  void SetUp() override {
    SwatchPages::SetUp();
    ASSERT_TRUE(panel_.Create(Parent()));
    panel_.SetWindowPos(nullptr, 10, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    bar_ = VaryColorBarFromHandle(::GetDlgItem(panel_.m_hWnd, 1017));
    ASSERT_NE(bar_, nullptr);
    Pump();
  }
  POINT BarPoint(int x, int y) const {
    POINT p{x, y};
    ClientToScreen(bar_->m_hWnd, &p);
    return p;
  }
  std::vector<int> States() const {
    std::vector<int> states;
    for (const FillNote& n : fills_) states.push_back(n.state);
    return states;
  }
  CVaryColorPanel panel_;
  CVaryColorBar* bar_ = nullptr;
};

TEST_F(VaryColorPanelTest, AnInsertedStopReachesTheParentAsInsertedThenReleased) {
  const CRect barRect = bar_->BarRect();
  Click(BarPoint(barRect.left + barRect.Width() / 8, barRect.bottom + 3));
  ASSERT_EQ(States(), (std::vector<int>{kStopInserted, kStopReleased}));
  for (const FillNote& n : fills_) EXPECT_EQ(n.id, 1017u);
  EXPECT_EQ(panel_.m_desc.stopCount, 6) << "the panel holds the bar's stops";
  EXPECT_EQ(GetColorPicker().GetColor(), bar_->m_stops[1].color) << "the picker takes the stop's colour";
  WritePng(panel_.m_hWnd, "vary_color_panel");
}

TEST_F(VaryColorPanelTest, ACommittedColourRecolursTheSelectedStop) {
  const CRect barRect = bar_->BarRect();
  Click(BarPoint(barRect.right, barRect.bottom + 4));  // the last stop
  ASSERT_EQ(bar_->m_nSelected, 4);
  fills_.clear();
  controls::NMFILLCHANGE record;
  record.hdr = NMHDR{::GetDlgItem(panel_.m_hWnd, 1016), 1016, controls::kNotifyFillChanged};
  record.kind = controls::kFillChangeColor;
  record.color = 0xFF123456;
  panel_.SendMessage(WM_NOTIFY, 1016, reinterpret_cast<LPARAM>(&record));
  EXPECT_EQ(bar_->m_stops[4].color, 0xFF123456u);
  EXPECT_EQ(panel_.m_desc.colors[4], 0xFF123456u);
  ASSERT_EQ(fills_.size(), 1u);
  EXPECT_EQ(fills_[0].state, kStopRecoloured);
  EXPECT_EQ(fills_[0].color, 0xFF123456u);
}

TEST_F(VaryColorPanelTest, FrequencyAndDirectionKeepTheirRanges) {
  double min = 0, max = 0;
  controls::EditCtrlFromHandle(::GetDlgItem(panel_.m_hWnd, 1018))->GetRange(min, max);
  EXPECT_EQ(min, 1);
  EXPECT_EQ(max, 32);
  controls::EditCtrlFromHandle(::GetDlgItem(panel_.m_hWnd, 1019))->GetRange(min, max);
  EXPECT_EQ(min, 0);
  EXPECT_EQ(max, 360);
  CGradientDesc desc;
  desc.repeatCount = 7;
  desc.angle = 270.0f;
  desc.style = 1;
  panel_.SetGradient(desc);
  EXPECT_EQ(FieldText(panel_.m_hWnd, 1018), u"7");
  // A committed field reaches the parent as state 4 with the field's value.
  controls::EditCtrlFromHandle(::GetDlgItem(panel_.m_hWnd, 1018))->SetValue(12);
  panel_.SendMessage(WM_COMMAND, MAKEWPARAM(1018, controls::kEditCommitted), 0);
  EXPECT_EQ(panel_.m_desc.repeatCount, 12);
  ASSERT_FALSE(fills_.empty());
  EXPECT_EQ(fills_.back().state, kStopFieldChanged);
  EXPECT_EQ(bar_->m_desc.repeatCount, 12) << "the bar draws with the new frequency";
}

}  // namespace

namespace {

class SwatchCells : public SwatchPages {};

TEST_F(SwatchCells, EveryPageShowsSquareThumbnails) {
  CColorPickerDlg picker;
  CVaryColorPanel panel;
  CImageSwatchPage images;
  for (CSwatchPage* page : {static_cast<CSwatchPage*>(&picker), static_cast<CSwatchPage*>(&panel),
                            static_cast<CSwatchPage*>(&images)}) {
    ASSERT_TRUE(page->Create(Parent()));
    EXPECT_EQ(page->m_nThumbWidth, page->m_nThumbHeight) << page->GetRuntimeClass()->m_lpszClassName;
    EXPECT_GE(page->m_nThumbWidth, 12);
  }
  GetColorPicker().CreatePopup(nullptr);
  EXPECT_EQ(GetColorPicker().m_nThumbWidth, GetColorPicker().m_nThumbHeight);
}

}  // namespace

namespace {

class PagesWithHost : public SwatchPages {
 protected:
  void SetUp() override {
    SwatchPages::SetUp();
    controls::SetColorIconHost(&GetPaletteIconHost());
  }
  void TearDown() override {
    SwatchPages::TearDown();
    controls::SetColorIconHost(nullptr);
  }
};

TEST_F(PagesWithHost, AColourIconOpensThePickerUnderItAndTakesItsSwatch) {
  SharedSwatchList(u"Color.dat").fills = {Colour(0xFF102030), Colour(0xFFE0C0A0)};
  HWND icon = Make(u"ColorIconCtrl", u"", controls::kIconColor, 30, 40, 32, 32, 701);
  ASSERT_NE(icon, nullptr);
  Click(Center(icon));
  CColorPickerDlg& picker = GetColorPicker();
  ASSERT_TRUE(picker.m_hWnd);
  EXPECT_TRUE(picker.IsWindowVisible());
  EXPECT_EQ(picker.GetOwner()->m_hWnd, icon);
  CRect iconRect, pickerRect;
  ::GetWindowRect(icon, &iconRect);
  picker.GetWindowRect(&pickerRect);
  EXPECT_EQ(pickerRect.TopLeft(), CPoint(iconRect.left, iconRect.bottom));
  controls::CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(picker.m_hWnd, kSwatchListId));
  ASSERT_NE(list, nullptr);
  fills_.clear();
  Click(CellCenter(*list, 1));
  EXPECT_EQ(controls::ColorIconFromHandle(icon)->Fill().color, 0xFFE0C0A0u) << "the owner icon took the colour";
  ASSERT_FALSE(fills_.empty());
  EXPECT_EQ(fills_.back().id, 701u) << "and told its own owner";
  EXPECT_EQ(fills_.back().color, 0xFFE0C0A0u);
}

TEST_F(PagesWithHost, TheImagePageAddsEachChosenFileThatExists) {
  uitest::HostFolder folder;
  for (const char* name : {"one.bmp", "two.bmp"}) folder.PutBmp(name, 4, 4, 0x008000);
  CImageSwatchPage page;
  ASSERT_TRUE(page.Create(Parent()));
  const CString start = folder.Program();
  compat::AddModalStepOnCaption(u"Open", [&](HWND fileDialog) {
    const std::u16string names = u"\"" + uitest::Str(start) + u"\\two.bmp\" \"gone.bmp\" \"one.bmp\"";
    // The folder of the first name is where the others are looked for.
    ::SetDlgItemTextW(fileDialog, edt1, names.c_str());
  });
  dlgtest::QueueKey(VK_RETURN);
  page.AddSwatch();
  ASSERT_EQ(page.Swatches().size(), 2u);
  CString path;
  ASSERT_TRUE(page.Swatches()[0].GetPatternImage(path));
  EXPECT_EQ(uitest::Str(path), uitest::Str(folder.Path(u"two.bmp")));
  ASSERT_TRUE(page.Swatches()[1].GetPatternImage(path));
  EXPECT_EQ(uitest::Str(path), uitest::Str(folder.Path(u"one.bmp")));
  EXPECT_EQ(page.Swatches()[0].type, 2);
  EXPECT_EQ(uitest::Str(ReadSettingText(u"ImageFilePath")), uitest::Str(start + u"\\"));
}

TEST_F(PagesWithHost, TheImagePageShowsItsPathAsTheDesktopWritesIt) {
  uitest::HostFolder folder;
  folder.PutBmp("texture.bmp", 4, 4, 0x008000);
  ASSERT_TRUE(WriteRegistryText(u"ImageTexRegName", folder.Path(u"texture.bmp")));
  CImageSwatchPage page;
  ASSERT_TRUE(page.Create(Parent()));
  EXPECT_EQ(Text(::GetDlgItem(page.m_hWnd, 1020)), compat::Utf8ToUtf16(folder.Host() + "/texture.bmp"));
  page.UpdateData(TRUE);
  EXPECT_EQ(uitest::Str(page.m_imagePath), uitest::Str(folder.Path(u"texture.bmp"))) << "kept in the program's form";
}

// The file dialog's list: the point of the item with this text.
POINT ListItemPoint(HWND dialog, const char16_t* text) {
  HWND list = ::GetDlgItem(dialog, lst1);
  const int index = static_cast<int>(::SendMessageW(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text)));
  RECT r{};
  ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ::ClientToScreen(list, &p);
  return p;
}

TEST_F(PagesWithHost, TheImagePageAddsEveryPictureChosenInTheDialogsList) {
  uitest::HostFolder folder;
  for (const char* name : {"one.bmp", "three.bmp", "two.bmp"}) folder.PutBmp(name, 4, 4, 0x008000);
  ASSERT_TRUE(WriteSettingText(u"ImageFilePath", folder.Program() + u"\\"));
  CImageSwatchPage page;
  ASSERT_TRUE(page.Create(Parent()));
  compat::AddModalStepOnCaption(u"Open", [](HWND) {});
  dlgtest::QueueCheck([] {
    HWND dialog = ::GetActiveWindow();
    const POINT first = ListItemPoint(dialog, u"one.bmp"), last = ListItemPoint(dialog, u"two.bmp");
    compat::host::InjectMouseMove(first.x, first.y);
    compat::host::InjectClick(0, first.x, first.y);
    compat::host::InjectMouseMove(last.x, last.y);
    compat::host::InjectKey(VK_SHIFT, true);
    compat::host::InjectClick(0, last.x, last.y);
    compat::host::InjectKey(VK_SHIFT, false);
  });
  dlgtest::QueueKey(VK_RETURN);
  page.AddSwatch();
  ASSERT_EQ(page.Swatches().size(), 3u);
  std::vector<std::u16string> paths;
  for (const CFillStyle& fill : page.Swatches()) {
    CString path;
    ASSERT_TRUE(fill.GetPatternImage(path));
    paths.push_back(uitest::Str(path));
  }
  EXPECT_EQ(paths, (std::vector<std::u16string>{uitest::Str(folder.Path(u"one.bmp")), uitest::Str(folder.Path(u"three.bmp")),
                                                uitest::Str(folder.Path(u"two.bmp"))}));
}

}  // namespace

namespace {

TEST_F(VaryColorPanelTest, AddingToAnEmptyListSelectsTheNewSwatch) {
  controls::CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(panel_.m_hWnd, kSwatchListId));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 0);
  EXPECT_EQ(list->GetSelection(), -1);
  CGradientDesc desc;
  desc.repeatCount = 3;
  panel_.SetGradient(desc);
  panel_.AddSwatch();
  EXPECT_EQ(list->GetSelection(), 0);
  ASSERT_EQ(panel_.Swatches().size(), 1u);
  CGradientDesc stored;
  ASSERT_TRUE(panel_.Swatches()[0].GetGradient(stored));
  EXPECT_EQ(stored.repeatCount, 3);
  EXPECT_EQ(panel_.Swatches()[0].type, kFillVaryColor);
}

}  // namespace
