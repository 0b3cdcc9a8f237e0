// The "Preview and Play" bar inside the editor: F2 hides and shows it, a
// resize of the frame resizes it and the preview follows at the output's
// aspect, drawn again, a setting changed in the transition panel shows at once
// in the preview's pixels, and a preview without pictures is black wherever
// it moves.
#include <algorithm>

#include "editor_test_support.h"
#include "imaging/image_file.h"
#include "res/resource.h"

namespace {

using apptest::EditorTest;
using Pixels = std::vector<uint32_t>;

class EditorPreview : public EditorTest {
 protected:
  // A pair of two one-coloured pictures, so every frame has something to show.
  void OpenPair() {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    Project()->SetOutputSize(160, 120);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("a.bmp", 0xC02020));
    pair->SetTargetImage(Picture("b.bmp", 0x2040C0));
    m_app->m_transitionPanel.RefreshFromProject();
    View()->PreviewWindow()->RecalcLayout();
    View()->RenderCurrent();
    Idle();
  }
  CString Picture(const char* name, DWORD rgb) {
    constexpr int w = 160, h = 120;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h, 0xFF000000 | rgb);
    const CString path(apptest::Program(apptest::fs::path(m_temp) / name));
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
    return path;
  }
  CWnd& Preview() { return View()->PreviewWindow()->m_preview; }
  // What the desktop shows of the preview's client area.
  Pixels PreviewPixels() {
    CRect client;
    Preview().GetClientRect(&client);
    Preview().ClientToScreen(&client);
    auto surface = compat::host::DesktopSurface();
    Pixels pixels;
    for (int y = std::max<int>(client.top, 0); y < client.bottom && y < 768; ++y)
      for (int x = std::max<int>(client.left, 0); x < client.right && x < 1024; ++x)
        pixels.push_back(surface->Row(y)[x] & 0xFFFFFF);
    return pixels;
  }
  // Paints the preview over in one colour that no frame has.
  void Smear() {
    CClientDC dc(&Preview());
    CRect client;
    Preview().GetClientRect(&client);
    dc.FillSolidRect(&client, kSmear);
  }
  static size_t Count(const Pixels& pixels, uint32_t rgb) {
    return static_cast<size_t>(std::count(pixels.begin(), pixels.end(), rgb));
  }
  static constexpr COLORREF kSmear = RGB(0xFF, 0x00, 0xFF);
  static constexpr uint32_t kSmearPixel = 0xFF00FF;
};

TEST_F(EditorPreview, F2HidesAndShowsThePreviewAndPlayBar) {
  Start();
  CDockPanelBar& bar = View()->PreviewBar();
  ASSERT_TRUE(bar.IsWindowVisible());
  Frame()->SetForegroundWindow();
  Frame()->SetFocus();
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  EXPECT_FALSE(bar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(MenuCheck(ID_SHOW_PREVIEW), 0);
  compat::host::InjectKeyPress(VK_F2);
  Idle();
  EXPECT_TRUE(bar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(MenuCheck(ID_SHOW_PREVIEW), 1);
}

TEST_F(EditorPreview, ResizingTheBarKeepsTheAspectAndDrawsThePreviewAgain) {
  OpenPair();
  CRect before;
  Preview().GetWindowRect(&before);
  ASSERT_GT(before.Width(), 2);
  Smear();
  ASSERT_GT(Count(PreviewPixels(), kSmearPixel), 0u);
  // The bar fills the height of the frame's right side: a lower frame makes
  // it lower.
  Frame()->ShowWindow(SW_RESTORE);
  Frame()->MoveWindow(0, 0, 1000, 400);
  Idle();
  CRect after;
  Preview().GetWindowRect(&after);
  EXPECT_NE(after.Size(), before.Size());
  // 160 x 120 inside the 1-pixel border, to within the integer division.
  const int w = after.Width() - 2, h = after.Height() - 2;
  EXPECT_NEAR(w * 120, h * 160, 160);
  const Pixels pixels = PreviewPixels();
  EXPECT_EQ(pixels.size(), static_cast<size_t>(after.Width()) * after.Height());
  EXPECT_EQ(Count(pixels, kSmearPixel), 0u) << "the preview was not drawn again at its new size";
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_preview_resized").c_str()));
}

TEST_F(EditorPreview, ASettingChangedInThePanelShowsInThePreview) {
  OpenPair();
  // Frame 0 of a pair fading in over 3 frames is still transparent; without
  // the fade it shows the source picture.
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->m_fadeIn, 3);
  ASSERT_EQ(pair->GetCurrentFrame(), 0);
  const Pixels faded = PreviewPixels();
  ASSERT_FALSE(faded.empty());
  HWND edit = ::GetDlgItem(::GetDlgItem(m_app->m_transitionPanel.m_hWnd, 1035), 1);
  ASSERT_NE(edit, nullptr);
  ::SetFocus(edit);
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  compat::host::InjectKeyPress('0');
  Idle();
  Frame()->SetFocus();  // leaving the field commits it
  Idle();
  EXPECT_EQ(pair->m_fadeIn, 0);
  const Pixels shown = PreviewPixels();
  EXPECT_NE(shown, faded);
  EXPECT_GT(Count(shown, 0xC02020), shown.size() / 2) << "the source picture does not show";
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_preview_setting").c_str()));
}

TEST_F(EditorPreview, ThePreviewShowsTheWholeFrameAtItsOwnSize) {
  OpenPair();
  // A source picture of two halves: the preview shows both, each on about
  // half of it, not a magnified corner of a frame composed larger.
  constexpr int w = 160, h = 120;
  std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | (x < w / 2 ? 0xC02020 : 0x2020C0);
  const CString path(apptest::Program(apptest::fs::path(m_temp) / "halves.bmp"));
  CImageFile file;
  ASSERT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
  CMorphPair* pair = Project()->CurrentPair();
  pair->SetSourceImage(path);
  pair->m_fadeIn = 0;
  pair->SetCurrentFrame(0);
  View()->RenderCurrent();
  Idle();
  const Pixels shown = PreviewPixels();
  ASSERT_FALSE(shown.empty());
  const size_t red = Count(shown, 0xC02020), blue = Count(shown, 0x2020C0);
  EXPECT_GT(red, shown.size() / 3);
  EXPECT_GT(blue, shown.size() / 3);
}

// New and an imported source picture draw the preview and say the panes'
// zoom: nothing of the frame shown before stays.
TEST_F(EditorPreview, NewAndAnImportDrawThePreviewAgainAndShowTheZoom) {
  OpenPair();
  auto zoomText = [this] { return std::u16string(Frame()->m_wndMainStatusBar.GetPaneText(1).Native()); };
  GetMainDocument()->SetModifiedFlag(FALSE);
  Smear();
  View()->SetFocus();
  CtrlKey('N');
  Idle();
  Pixels shown = PreviewPixels();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(Count(shown, kSmearPixel), 0u) << "New did not draw the preview";
  EXPECT_EQ(zoomText(), u"50%") << "a new project shows its pictures at half size";
  // Uncovered, the preview with nothing to show paints itself all the same.
  Smear();
  Preview().Invalidate(FALSE);
  Idle();
  EXPECT_EQ(Count(PreviewPixels(), kSmearPixel), 0u) << "the uncovered preview kept stale pixels";

  const std::u16string name = apptest::Program(apptest::fs::path(m_temp) / "c.bmp");
  Picture("c.bmp", 0x20C020);
  compat::AddModalStepOnCaption(u"Image File", [name](HWND dialog) {
    ::SetDlgItemTextW(dialog, edt1, name.c_str());
    compat::host::InjectKeyPress(VK_RETURN);
  });
  Project()->CurrentPair()->GetSourceSlot()->SetZoom(1.0f);
  Frame()->m_wndMainStatusBar.SetPaneText(1, u"stale");
  Smear();
  View()->SetFocus();
  CtrlKey('F');
  Idle();
  ASSERT_EQ(Project()->CurrentPair()->GetSourceSlot()->m_path.Native(), name);
  shown = PreviewPixels();
  EXPECT_EQ(Count(shown, kSmearPixel), 0u) << "the import did not draw the preview";
  EXPECT_EQ(zoomText(), u"100%");
}

// A new project has no pictures: its preview is a black frame wherever the
// bottom-docked Effect bar's edge, pulled up, moves it, not what lay beneath.
TEST_F(EditorPreview, APreviewWithoutPicturesIsBlackWhereverTheEffectBarMovesIt) {
  Start();
  Frame()->ShowWindow(SW_MAXIMIZE);
  Idle();
  CDockPanelBar& effect = m_app->m_wndEffectBar;
  ASSERT_EQ(::GetDlgCtrlID(::GetParent(effect.m_hWnd)), AFX_IDW_DOCKBAR_BOTTOM);
  CRect before, bar;
  Preview().GetWindowRect(&before);
  Smear();
  effect.GetWindowRect(&bar);
  const POINT edge{bar.CenterPoint().x, bar.top + 3};
  compat::host::InjectMouseMove(edge.x, edge.y);
  compat::host::InjectMouseButton(0, true, edge.x, edge.y);
  compat::host::InjectMouseMove(edge.x, edge.y - 150);
  compat::host::InjectMouseMove(edge.x, edge.y - 300);
  compat::host::InjectMouseButton(0, false, edge.x, edge.y - 300);
  Idle();
  CRect after;
  Preview().GetWindowRect(&after);
  ASSERT_NE(after.TopLeft(), before.TopLeft()) << "the preview did not move";
  const Pixels pixels = PreviewPixels();
  ASSERT_FALSE(pixels.empty());
  // Its one-pixel margin lies under the dialog's edge and the timeline.
  const size_t inner = static_cast<size_t>(after.Width() - 2) * (after.Height() - 2);
  EXPECT_GE(Count(pixels, 0), inner) << "the preview shows what lay beneath it";
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_preview_empty_moved").c_str()));
}

}  // namespace
