// The image panes inside the editor: the view makes them, a pair's pictures
// and lines show in both, a line drawn in one appears in the other through
// the view's redraw, the zoom reaches the status bar, undo restores an edit.
#include "editor_test_support.h"
#include "imaging/image_file.h"
#include "model/project/line_tool.h"
#include "model/project/project_links.h"
#include "model/project/undo_history.h"

namespace {

using apptest::EditorTest;

// The program's renderer, with its frame renders counted.
class CountingRenderer : public CRendererLink {
 public:
  explicit CountingRenderer(CRendererLink* real) : m_real(real) { SetRendererLink(this); }
  ~CountingRenderer() override { SetRendererLink(m_real); }
  void RenderFrame(CMorphPair* pair) override {
    ++renders;
    m_real->RenderFrame(pair);
  }
  void RecreateTextures(CMorphPair* pair) override { m_real->RecreateTextures(pair); }
  void SetFills(const CFillStyle& b, const CFillStyle& f) override { m_real->SetFills(b, f); }
  void ResizeSurfaces(int w, int h) override { m_real->ResizeSurfaces(w, h); }
  void SetBusy(int busy) override { m_real->SetBusy(busy); }
  CTextureHolder* CreateTexture(const RECT& r, int target) override { return m_real->CreateTexture(r, target); }
  void DeleteTexture(CTextureHolder* t) override { m_real->DeleteTexture(t); }
  void UploadTexture(CTextureHolder* t, const DWORD* pixels) override { m_real->UploadTexture(t, pixels); }
  void GetTextureExtent(CTextureHolder* t, float* u, float* v) override { m_real->GetTextureExtent(t, u, v); }
  CMeshReceiver* CreateShape() override { return m_real->CreateShape(); }
  void SetCrossingEdges(const int vertices[4]) override { m_real->SetCrossingEdges(vertices); }
  void RenderPassThrough(CD3DRenderer* r, IDirect3DDevice9* d, CTextureHolder* s, CTextureHolder* t) override {
    m_real->RenderPassThrough(r, d, s, t);
  }

  int renders = 0;

 private:
  CRendererLink* m_real;
};

// Counts one message a window receives, its procedure running as before.
class MessageCounter {
 public:
  MessageCounter(HWND window, UINT message) : m_window(window) {
    s_message = message;
    s_count = 0;
    s_previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Counting)));
  }
  ~MessageCounter() { ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(s_previous)); }
  int Count() const { return s_count; }
  void Reset() { s_count = 0; }

 private:
  static LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == s_message) ++s_count;
    return ::CallWindowProcW(s_previous, window, message, wParam, lParam);
  }
  HWND m_window;
  static inline WNDPROC s_previous = nullptr;
  static inline UINT s_message = 0;
  static inline int s_count = 0;
};

class EditorPanes : public EditorTest {
 protected:
  // A w x h picture of one colour with a white square in its middle.
  CString Picture(const char* name, DWORD rgb) {
    constexpr int w = 160, h = 120;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | (x >= 60 && x < 100 && y >= 40 && y < 80 ? 0xFFFFFF : rgb);
    const CString path(apptest::Program(apptest::fs::path(m_temp) / name));
    CImageFile file;
    EXPECT_TRUE(file.Save(path, 0, 0, w, h, pixels.data(), 0));
    return path;
  }
  void OpenPair() {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    // In the line modes a pane shows the picture at the output size.
    Project()->SetOutputSize(160, 120);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("a.bmp", 0xC02020));
    pair->SetTargetImage(Picture("b.bmp", 0x2040C0));
    for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) slot->SetZoom(1.0f);
    View()->RefreshPanes();
    View()->RedrawPanes();
    Idle();
  }
  static COLORREF PaneColour(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    auto surface = compat::host::DesktopSurface();
    const uint32_t v = surface->Row(p.y)[p.x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  void ClickIn(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  }
};

TEST_F(EditorPanes, ALineDrawnInOnePaneAppearsInTheOtherAndUndoTakesItBack) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  CImageViewDlg* target = View()->TargetPane();
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_image_panes_open").c_str()));
  EXPECT_EQ(PaneColour(source, 20, 20), RGB(0xC0, 0x20, 0x20));
  EXPECT_EQ(PaneColour(target, 20, 20), RGB(0x20, 0x40, 0xC0));
  EXPECT_EQ(PaneColour(target, 80, 60), RGB(255, 255, 255));

  CComandmanger::Get()->Clear();
  SetLineTool(kLineToolNewLine);
  ClickIn(source, 20, 30);
  ClickIn(source, 50, 30);
  ClickIn(source, 50, 100);
  ClickIn(source, 50, 100);
  Idle();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  ASSERT_EQ(pair->GetTargetLines()->GetLineCount(), 1);
  EXPECT_EQ(PaneColour(target, 35, 30), RGB(0, 255, 0)) << "the view redrew the other pane";
  EXPECT_TRUE(GetMainDocument()->IsModified());
  EXPECT_TRUE(compat::WriteWindowPng(Frame()->m_hWnd, dlgtest::PngPath("editor_image_panes").c_str()));

  ASSERT_TRUE(CComandmanger::Get()->Undo());
  Idle();
  EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 0);
  EXPECT_EQ(PaneColour(target, 35, 30), RGB(0x20, 0x40, 0xC0));
}

TEST_F(EditorPanes, ArrowKeysNudgeTheSelectedPointsOfTheActivePane) {
  OpenPair();
  SetLineTool(kLineToolNewLine);
  CImageViewDlg* source = View()->SourcePane();
  ClickIn(source, 20, 30);
  ClickIn(source, 50, 30);
  ClickIn(source, 50, 30);
  Idle();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_EQ(pair->GetTargetLines()->GetLineCount(), 1);
  // The keys work on the lines of the active pane, here the one just clicked.
  ASSERT_EQ(GetActiveImageView(), source);
  CLineSet* lines = pair->GetSourceLines();
  lines->ClearSelection();
  lines->SelectPoint(0, 1, 0);
  const CVector2 before = *lines->PointAt(0, 1), other = *lines->PointAt(0, 0);
  SetDocumentModified(FALSE);
  View()->SetFocus();
  compat::host::InjectKeyPress(VK_RIGHT);
  compat::host::InjectKeyPress(VK_DOWN);
  compat::host::InjectKeyPress(VK_DOWN);
  Idle();
  EXPECT_EQ(lines->PointAt(0, 1)->x, before.x + 1);
  EXPECT_EQ(lines->PointAt(0, 1)->y, before.y + 2);
  EXPECT_EQ(lines->PointAt(0, 0)->x, other.x) << "only the selected point moves";
  EXPECT_EQ(lines->PointAt(0, 0)->y, other.y);
  EXPECT_TRUE(GetMainDocument()->IsModified());
  // Another key moves nothing and leaves the document as it was.
  SetDocumentModified(FALSE);
  compat::host::InjectKeyPress('A');
  Idle();
  EXPECT_EQ(lines->PointAt(0, 1)->x, before.x + 1);
  EXPECT_FALSE(GetMainDocument()->IsModified());
}

// Each click is one edit: the view hears of it once and renders the frame
// once, whether the click selects, inserts or starts a rubber band.
TEST_F(EditorPanes, OneClickInAPaneRendersTheFrameOnce) {
  OpenPair();
  CMorphPair* pair = Project()->CurrentPair();
  for (CLineSet* set : {pair->GetSourceLines(), pair->GetTargetLines()}) {
    CFeatureLine* line = new CFeatureLine;
    for (const CVector2& p : {CVector2(20, 20), CVector2(120, 20), CVector2(120, 100)}) line->AddPoint(p);
    set->GetLines().Add(line);
  }
  View()->RedrawPanes();
  Idle();
  SetLineTool(kLineToolEdit);
  ASSERT_NE(GetRendererLink(), nullptr);
  CImageViewDlg* source = View()->SourcePane();
  CountingRenderer counter(GetRendererLink());
  struct Click {
    int x, y;
    const char* what;
  };
  // The preview repaints on its own after a click (a layout pass moves it)
  // and its paint renders again: that render is the preview's, not the edit's.
  MessageCounter previewPaints(View()->PreviewWindow()->m_preview.m_hWnd, WM_PAINT);
  for (const Click& click : {Click{120, 20, "a point"}, Click{70, 20, "a segment"}, Click{60, 80, "nothing"}}) {
    counter.renders = 0;
    previewPaints.Reset();
    const int points = pair->GetSourceLines()->LineAt(0)->GetPointCount();
    {
      MessageCounter notices(View()->m_hWnd, WM_PAIR_CHANGED);
      ClickIn(source, click.x, click.y);
      Idle();
      EXPECT_EQ(notices.Count(), 1) << "a click on " << click.what;
    }
    // The edit's one render may also be the one the preview's repaint makes
    // (the repaint comes before the edit's own render is due).
    const int renders = counter.renders, paints = previewPaints.Count();
    EXPECT_TRUE(renders - paints == 1 || (renders == 1 && paints >= 1))
        << "a click on " << click.what << ": " << renders << " renders, " << paints << " preview paints";
    const int inserted = click.what == std::string("a segment") ? 1 : 0;
    EXPECT_EQ(pair->GetSourceLines()->LineAt(0)->GetPointCount(), points + inserted) << click.what;
  }
  EXPECT_EQ(pair->GetSourceLines()->IsSelected(0, 0), 0) << "the last click cleared the selection";
  EXPECT_EQ(PaneColour(View()->TargetPane(), 70, 20), RGB(0, 255, 0)) << "the other pane shows the inserted point";
}

TEST_F(EditorPanes, TheZoomStepsReachTheStatusBar) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  source->Shrink(0.0f);
  Idle();
  EXPECT_EQ(Pane(1), u"90%");
  source->ActualSize();
  Idle();
  EXPECT_EQ(Pane(1), u"100%");
  source->Enlarge(0.0f);
  Idle();
  EXPECT_EQ(Pane(1), u"200%");
}

}  // namespace
