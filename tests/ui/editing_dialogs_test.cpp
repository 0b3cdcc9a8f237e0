// The output size and Morpher Setup dialogs run modally as the view runs
// them, and the import commands' picture dialog.
#include <gtest/gtest.h>

#include "controls/color_icon_ctrl.h"
#include "controls/color_icon_host.h"
#include "ui/background_palette.h"
#include "ui/editing_dialogs.h"
#include "ui/stored_text.h"
#include "pane_test_support.h"

namespace {

using panetest::PaneTest;

void ClickButton(HWND dialog, int id) {
  RECT r;
  ::GetWindowRect(::GetDlgItem(dialog, id), &r);
  const POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  compat::host::InjectClick(0, p.x, p.y);
}

TEST_F(PaneTest, OutputSizeIsHeldToItsRangeAndTakesEachSlotsOwnSize) {
  Source()->m_clip = RECT{10, 10, 110, 60};  // the source's clip: 100 x 50
  LoadImageSlot(Source(), Pair());
  COutputSizeDlg dialog;
  dialog.SetSize(320, 240);
  compat::AddModalStepOnTemplate(IDD_OUTPUT_SIZE, [&](HWND hwnd) {
    EXPECT_EQ(FieldValue(hwnd, 1018), 320);
    SetField(hwnd, 1018, 2000);
    SetField(hwnd, 1019, 2000);
    EXPECT_EQ(dialog.m_nWidth, 1024) << "held by the field's range";
    EXPECT_EQ(dialog.m_nHeight, 768);
    SetField(hwnd, 1018, 5);
    EXPECT_EQ(dialog.m_nWidth, 32);
    ::UpdateWindow(hwnd);
    EXPECT_TRUE(compat::WriteWindowPng(hwnd, dlgtest::PngPath("output_size_dialog").c_str()));
    ClickButton(hwnd, 1059);
  });
  dlgtest::QueueCheck([&] {
    EXPECT_EQ(dialog.m_nWidth, 100) << "the source's clip";
    EXPECT_EQ(dialog.m_nHeight, 50);
    EXPECT_EQ(FieldValue(dialog.m_hWnd, 1018), 100);
    ClickButton(dialog.m_hWnd, 1060);
  });
  dlgtest::QueueCheck([&] {
    EXPECT_EQ(dialog.m_nWidth, panetest::kPictureW) << "the target's own picture, not the source's clip";
    EXPECT_EQ(dialog.m_nHeight, panetest::kPictureH);
    ClickButton(dialog.m_hWnd, IDOK);
  });
  ASSERT_EQ(dialog.DoModal(), IDOK);
  int w = 0, h = 0;
  dialog.GetSize(w, h);
  EXPECT_EQ(w, panetest::kPictureW);
  EXPECT_EQ(h, panetest::kPictureH);
}

TEST_F(PaneTest, MorpherSetupRoundTripsItsValuesAndRefusesARateOfZero) {
  CFillStyle background, foreground;
  background.color = 0xFF102030;
  foreground.color = 0xFFA0B0C0;
  for (const int edge : {0, 1}) {
    CMorpherSetupDlg dialog;
    dialog.SetFills(background, foreground);
    dialog.m_nMaskEdge = edge;
    dialog.m_nFps = 25;
    compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [&](HWND hwnd) {
      EXPECT_EQ(::IsDlgButtonChecked(hwnd, edge == 0 ? 1029 : 1030), BST_CHECKED);
      EXPECT_EQ(FieldValue(hwnd, 1024), 25);
      CBackgroundPalette* palette = FindBackgroundPalette();
      ASSERT_NE(palette, nullptr);
      EXPECT_FALSE(palette->IsWindowVisible()) << "shown when last left shown, or on a click on the icon";
      EXPECT_EQ(::GetWindow(palette->m_hWnd, GW_OWNER), hwnd) << "it goes with the dialog";
      CRect icon, placed;
      ::GetWindowRect(::GetDlgItem(hwnd, 1016), &icon);
      palette->GetWindowRect(&placed);
      EXPECT_EQ(placed.left, icon.left) << "under the background icon";
      EXPECT_EQ(placed.top, icon.bottom);
      EXPECT_EQ(palette->GetTarget()->m_hWnd, ::GetDlgItem(hwnd, 1016));
      if (edge == 0) {
        ::UpdateWindow(hwnd);
        EXPECT_TRUE(compat::WriteWindowPng(hwnd, dlgtest::PngPath("morpher_setup_dialog").c_str()));
      }
      SetField(hwnd, 1024, 0);
      EXPECT_EQ(dialog.m_nFps, CMorpherSetupDlg::kMinFps) << "a rate of 0 is refused";
      SetField(hwnd, 1024, 60);
      ClickButton(hwnd, edge == 0 ? 1030 : 1029);
    });
    // The palette window lies over the lower buttons, as it is placed.
    dlgtest::QueueCheck([&] { ::SendMessageW(::GetDlgItem(dialog.m_hWnd, IDOK), BM_CLICK, 0, 0); });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(FindBackgroundPalette()->m_hWnd, nullptr) << "no palette window is left";
    EXPECT_EQ(dialog.m_nMaskEdge, 1 - edge);
    EXPECT_EQ(dialog.m_nFps, 60);
    CFillStyle back, fore;
    dialog.GetFills(back, fore);
    EXPECT_EQ(back.color, background.color);
    EXPECT_EQ(fore.color, foreground.color);
  }
}

TEST_F(PaneTest, ClipSizesAreTypedWhileTheOtherSideKeepsTheRatio) {
  GetMorphProject()->SetOutputSize(400, 300);
  Source()->m_clip = RECT{0, 0, 100, 75};
  LoadImageSlot(Source(), Pair());
  CClipAreaDlg dialog(Source());
  HWND typed = nullptr;
  auto expectTyped = [&](const char16_t* text, int height) {
    dlgtest::QueueCheck([&, text, height] {
      EXPECT_EQ(Text(typed), std::u16string(text));
      DWORD start = 0, end = 0;
      ::SendMessageW(typed, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
      EXPECT_EQ(end, std::u16string(text).size()) << "the caret stays after the last digit";
      EXPECT_EQ(FieldValue(dialog.m_hWnd, 1047), height);
    });
  };
  compat::AddModalStepOnTemplate(IDD_CLIP_AREA, [&](HWND hwnd) {
    EXPECT_EQ(::IsDlgButtonChecked(hwnd, 1054), BST_CHECKED);
    typed = ::GetDlgItem(::GetDlgItem(hwnd, 1046), 1);
    ::SetFocus(typed);
    ::SendMessageW(typed, EM_SETSEL, 0, -1);
  });
  dlgtest::QueueText("200");
  expectTyped(u"200", 150);
  dlgtest::QueueKey(VK_BACK);
  dlgtest::QueueText("8");
  expectTyped(u"208", 156);
  dlgtest::QueueCheck([&] { ClickButton(dialog.m_hWnd, IDOK); });
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(Source()->m_clip.right, 208);
  EXPECT_EQ(Source()->m_clip.bottom, 156);
}

// Tab reaches Morpher Setup's colour icons; they take the focus as they are,
// and the keyboard does not open their palette.
TEST_F(PaneTest, MorpherSetupColourIconsTakeTheFocusUnchangedAndIgnoreSpace) {
  controls::SetColorIconHost(&GetPaletteIconHost());
  CMorpherSetupDlg dialog;
  HWND icon = nullptr;
  COLORREF unfocused[2] = {};
  compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [&](HWND hwnd) { icon = ::GetDlgItem(hwnd, 1016); });
  dlgtest::QueueCheck([&] {
    ASSERT_NE(::GetFocus(), icon);
    unfocused[0] = PixelAt(At(icon, 3, 3));
    unfocused[1] = PixelAt(At(icon, 4, 3));
  });
  for (int i = 0; i < 12; ++i)
    dlgtest::QueueCheck([&] {
      if (::GetFocus() != icon) compat::host::InjectKeyPress(VK_TAB);
    });
  dlgtest::QueueCheck([&] {
    ASSERT_EQ(::GetFocus(), icon);
    EXPECT_EQ(PixelAt(At(icon, 3, 3)), unfocused[0]) << "no focus ring";
    EXPECT_EQ(PixelAt(At(icon, 4, 3)), unfocused[1]) << "no focus ring";
    EXPECT_TRUE(compat::WriteWindowPng(dialog.m_hWnd, dlgtest::PngPath("morpher_setup_icon_focus").c_str()));
  });
  dlgtest::QueueKey(VK_SPACE);
  dlgtest::QueueCheck([&] {
    EXPECT_FALSE(FindBackgroundPalette()->IsWindowVisible()) << "only a click opens the palette";
    ::SendMessageW(::GetDlgItem(dialog.m_hWnd, IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  controls::SetColorIconHost(nullptr);
}

TEST_F(PaneTest, TheImportDialogStartsInTheStoredFolderAndStoresTheChosenOne) {
  uitest::HostFolder folder;
  uitest::WriteHostFile(uitest::fs::path(folder.Host()) / "pick.bmp", {1, 2, 3});
  WriteRegistryText(u"ImageFilePath", folder.Program() + u"\\");
  std::u16string openedIn;
  auto choose = [&](const CString& name) {
    compat::AddModalStepOnCaption(u"Image File", [&, name](HWND fileDialog) {
      char16_t path[1024] = {};
      ::SendMessageW(fileDialog, CDM_GETFOLDERPATH, 1024, reinterpret_cast<LPARAM>(path));
      openedIn = path;
      ::SetDlgItemTextW(fileDialog, edt1, name);
    });
    dlgtest::QueueKey(VK_RETURN);
    return AskImageFile(&m_source);
  };
  EXPECT_TRUE(choose(u"missing.bmp").IsEmpty()) << "a file that is not there is no choice";
  EXPECT_EQ(openedIn, compat::FromHostPath(folder.Host()));

  uitest::HostFolder other;
  uitest::WriteHostFile(uitest::fs::path(other.Host()) / "b.bmp", {1, 2, 3});
  EXPECT_EQ(uitest::Str(choose(other.Path(u"b.bmp"))), uitest::Str(other.Path(u"b.bmp")));
  EXPECT_EQ(uitest::Str(ReadRegistryText(u"ImageFilePath")), uitest::Str(other.Program() + u"\\"));
}

}  // namespace
