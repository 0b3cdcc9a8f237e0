// The image panes inside the editor: the view makes them, a pair's pictures
// and lines show in both, a line drawn in one appears in the other through
// the view's redraw, the zoom reaches the status bar, undo restores an edit.
#include "editor_test_support.h"

#include <map>

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
// Each counter keeps its own window's state, so that counters on several
// windows at once neither mix their counts nor hand one window's messages
// to another window's procedure.
class MessageCounter {
 public:
  MessageCounter(HWND window, UINT message) : m_window(window) {
    Watch& watch = Watches()[window];
    watch.message = message;
    watch.count = 0;
    watch.previous = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Counting)));
  }
  ~MessageCounter() {
    ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Watches()[m_window].previous));
    Watches().erase(m_window);
  }
  MessageCounter(const MessageCounter&) = delete;
  MessageCounter& operator=(const MessageCounter&) = delete;
  int Count() const { return Watches()[m_window].count; }
  void Reset() { Watches()[m_window].count = 0; }

 private:
  struct Watch {
    UINT message = 0;
    int count = 0;
    WNDPROC previous = nullptr;
  };
  static std::map<HWND, Watch>& Watches() {
    static std::map<HWND, Watch> watches;
    return watches;
  }
  static LRESULT CALLBACK Counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Watch& watch = Watches()[window];
    if (message == watch.message) ++watch.count;
    return ::CallWindowProcW(watch.previous, window, message, wParam, lParam);
  }
  HWND m_window;
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
    // The preview takes the output's aspect, so that a frame covers it whole.
    View()->PreviewWindow()->RecalcLayout();
    Idle();
  }
  static COLORREF PaneColour(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    auto surface = compat::host::DesktopSurface();
    const uint32_t v = surface->Row(p.y)[p.x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  CWnd& Preview() { return View()->PreviewWindow()->m_preview; }
  // Paints the preview over in one colour that no frame has.
  void SmearPreview() {
    CClientDC dc(&Preview());
    CRect client;
    Preview().GetClientRect(&client);
    dc.FillSolidRect(&client, kSmear);
  }
  // How many pixels of the frame's place in the preview still show the
  // smear. The layout gives the preview the output's aspect to the nearest
  // pixel, and a render presents the frame's whole rows only: a row the
  // rounding adds below them keeps what the last paint left there.
  size_t SmearedPreviewPixels() {
    CRect client;
    Preview().GetClientRect(&client);
    Preview().ClientToScreen(&client);
    SIZE output{};
    Project()->GetOutputSize(output);
    client.bottom = std::min<LONG>(client.bottom, client.top + client.Width() * output.cy / output.cx);
    auto surface = compat::host::DesktopSurface();
    size_t smeared = 0;
    for (int y = client.top; y < client.bottom; ++y)
      for (int x = client.left; x < client.right; ++x) smeared += (surface->Row(y)[x] & 0xFFFFFF) == 0xFF00FF;
    return smeared;
  }
  static constexpr COLORREF kSmear = RGB(0xFF, 0x00, 0xFF);
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
// once, whether the click selects, inserts or starts a rubber band; the
// preview is not painted again on top, yet shows the frame of the edit.
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
  MessageCounter previewPaints(Preview().m_hWnd, WM_PAINT);
  for (const Click& click : {Click{120, 20, "a point"}, Click{70, 20, "a segment"}, Click{60, 80, "nothing"}}) {
    SmearPreview();
    ASSERT_GT(SmearedPreviewPixels(), 0u);
    counter.renders = 0;
    previewPaints.Reset();
    const int points = pair->GetSourceLines()->LineAt(0)->GetPointCount();
    {
      MessageCounter notices(View()->m_hWnd, WM_PAIR_CHANGED);
      ClickIn(source, click.x, click.y);
      Idle();
      EXPECT_EQ(notices.Count(), 1) << "a click on " << click.what;
    }
    EXPECT_EQ(counter.renders, 1) << "a click on " << click.what;
    EXPECT_EQ(previewPaints.Count(), 0) << "a click on " << click.what;
    EXPECT_EQ(SmearedPreviewPixels(), 0u) << "the preview shows the frame after a click on " << click.what;
    const int inserted = click.what == std::string("a segment") ? 1 : 0;
    EXPECT_EQ(pair->GetSourceLines()->LineAt(0)->GetPointCount(), points + inserted) << click.what;
  }
  EXPECT_EQ(pair->GetSourceLines()->IsSelected(0, 0), 0) << "the last click cleared the selection";
  EXPECT_EQ(PaneColour(View()->TargetPane(), 70, 20), RGB(0, 255, 0)) << "the other pane shows the inserted point";
}

// The other line tools. A new line runs from its first click to the click
// that ends it and refreshes on every move in between: each of its notices
// renders once, and nothing repaints the preview on top. A click with the
// delete tool, once the pointer rests on the point, renders once.
// A press away from every line drags a band that shows while it is dragged
// and becomes the frame of the selection when the button goes up.
TEST_F(EditorPanes, TheRubberBandShowsWhileItIsDragged) {
  OpenPair();
  SetLineTool(kLineToolEdit);
  static CImageViewDlg* pane;
  pane = View()->SourcePane();
  static auto side = [] {  // the band's right side, over the red of the picture
    std::vector<COLORREF> c;
    for (int y = 25; y < 55; ++y) c.push_back(PaneColour(pane, 40, y));
    return c;
  };
  const std::vector<COLORREF> before = side();
  static std::vector<COLORREF> during;
  during = before;
  auto whenButtonUp = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
    if (reinterpret_cast<MSG*>(lParam)->message == WM_LBUTTONUP) during = side();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  };
  HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, whenButtonUp, nullptr, ::GetCurrentThreadId());
  POINT from{20, 20}, to{40, 60};
  pane->ClientToScreen(&from);
  pane->ClientToScreen(&to);
  compat::host::InjectMouseMove(from.x, from.y);
  compat::host::InjectMouseButton(0, true, from.x, from.y);
  compat::host::InjectMouseMove(to.x, to.y);
  compat::host::InjectMouseButton(0, false, to.x, to.y);
  Idle();
  ::UnhookWindowsHookEx(hook);
  EXPECT_NE(during, before) << "the band is drawn while it is dragged";
  EXPECT_FLOAT_EQ(Project()->CurrentPair()->GetSourceLines()->GetTracker().GetRect().right, 40.0f);
}

TEST_F(EditorPanes, ANewLineAndADeletedPointRenderOncePerNotice) {
  OpenPair();
  CMorphPair* pair = Project()->CurrentPair();
  ASSERT_NE(GetRendererLink(), nullptr);
  CImageViewDlg* source = View()->SourcePane();
  CountingRenderer counter(GetRendererLink());
  MessageCounter previewPaints(Preview().m_hWnd, WM_PAINT);
  SetLineTool(kLineToolNewLine);
  {
    MessageCounter notices(View()->m_hWnd, WM_PAIR_CHANGED);
    for (const POINT& p : {POINT{20, 30}, POINT{50, 30}, POINT{50, 90}, POINT{50, 90}}) ClickIn(source, p.x, p.y);
    Idle();
    EXPECT_GE(notices.Count(), 1);
    EXPECT_EQ(counter.renders, notices.Count());
  }
  EXPECT_EQ(previewPaints.Count(), 0);
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  ASSERT_EQ(pair->GetSourceLines()->LineAt(0)->GetPointCount(), 3);

  SetLineTool(kLineToolPointDelete);
  POINT p{50, 30};
  source->ClientToScreen(&p);
  compat::host::InjectMouseMove(p.x, p.y);
  Idle();
  counter.renders = 0;
  previewPaints.Reset();
  {
    MessageCounter notices(View()->m_hWnd, WM_PAIR_CHANGED);
    ClickIn(source, 50, 30);
    Idle();
    EXPECT_EQ(notices.Count(), 1);
  }
  EXPECT_EQ(counter.renders, 1);
  EXPECT_EQ(previewPaints.Count(), 0);
  ASSERT_EQ(pair->GetSourceLines()->GetLineCount(), 1);
  EXPECT_EQ(pair->GetSourceLines()->LineAt(0)->GetPointCount(), 2) << "the middle point is gone";
  EXPECT_EQ(pair->GetTargetLines()->LineAt(0)->GetPointCount(), 2) << "on both sides";
}

// Two counters at once, on two windows: each counts its own window's
// message, and each window's messages still reach its own procedure.
TEST_F(EditorPanes, MessageCountersOnTwoWindowsKeepApart) {
  OpenPair();
  CImageViewDlg* source = View()->SourcePane();
  CImageViewDlg* target = View()->TargetPane();
  MessageCounter sourcePaints(source->m_hWnd, WM_PAINT);
  MessageCounter targetTexts(target->m_hWnd, WM_GETTEXTLENGTH);
  source->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  target->GetWindowTextLength();
  target->GetWindowTextLength();
  EXPECT_EQ(sourcePaints.Count(), 1);
  EXPECT_EQ(targetTexts.Count(), 2);
  // The source pane, painted through its own procedure, shows its picture.
  EXPECT_EQ(PaneColour(source, 20, 20), RGB(0xC0, 0x20, 0x20));
}

// A preview uncovered or invalidated draws the frame again: one render.
TEST_F(EditorPanes, AnInvalidatedPreviewRendersTheFrameAgain) {
  OpenPair();
  ASSERT_NE(GetRendererLink(), nullptr);
  CountingRenderer counter(GetRendererLink());
  SmearPreview();
  ASSERT_GT(SmearedPreviewPixels(), 0u);
  Preview().Invalidate(FALSE);
  Idle();
  EXPECT_EQ(counter.renders, 1);
  EXPECT_EQ(SmearedPreviewPixels(), 0u);
  // Only part of it: the paint still renders the whole frame, once.
  SmearPreview();
  const CRect corner(0, 0, 8, 8);
  Preview().InvalidateRect(&corner, FALSE);
  Preview().UpdateWindow();
  EXPECT_EQ(counter.renders, 2);
  EXPECT_EQ(SmearedPreviewPixels(), 0u);
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
