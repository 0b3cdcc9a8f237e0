// The toolkit's docking on kitdemo's docking frame: the two rings, rows of
// sizable bars, the splitter, the caption and its buttons, auto-hide, the
// profile and the floating frames, worked with injected input on the
// stopped clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <utility>
#include <sstream>

#include "compat/host_path.h"
#include "guitk/kit_auto_hide.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_dock_bar.h"
#include "guitk/kit_dock_context.h"
#include "guitk/kit_mini_frame.h"
#include "guitk_test_support.h"
#include "support/tool_runner.h"

namespace {

using kittest::KitTest;
using kittest::ScreenPixel;

// The profile the bars read and write: a file of the test's own.
class ProfileApp : public CWinApp {
 public:
  explicit ProfileApp(const std::u16string& ini) : CWinApp(u"KitDock") {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(ini.c_str());
  }
};

std::string HostIni() { return std::string(CALVETTA_GUITK_PNG_DIR) + "/kit_docking_test.ini"; }

std::u16string PlatformIni() {
  std::u16string path;
  for (char c : HostIni()) path += c == '/' ? u'\\' : static_cast<char16_t>(c);
  return path;
}

class KitDocking : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    // Room for two toolbars side by side in the frame, and for the mouse beside it.
    compat::ResetDesktop(1240, 760);
    compat::StopClock();
    StartMenuLooks();
    std::remove(HostIni().c_str());
    app_ = std::make_unique<ProfileApp>(PlatformIni());
    std::string error;
    ASSERT_TRUE(kitdemo::LoadDescription(std::string(CALVETTA_KITDEMO_DIR) + "/docking.kit", &description_, &error)) << error;
    Build();
  }
  void TearDown() override {
    if (frame_) frame_->DestroyWindow();
    app_.reset();
    KitTest::TearDown();
  }
  void Build() {
    frame_ = new kitdemo::CKitDemoFrame(description_);
    ASSERT_TRUE(frame_->Build());
    frame_->SetActiveWindow();
    for (int i = 0; i < 3; ++i) Pump();
  }
  CKitControlBar* Bar(UINT id) { return dynamic_cast<CKitControlBar*>(frame_->GetControlBar(id)); }
  CDockBar* Dock(UINT id) { return dynamic_cast<CDockBar*>(frame_->GetControlBar(id)); }
  static CRect ScreenRect(CWnd* wnd) {
    CRect r;
    wnd->GetWindowRect(&r);
    return r;
  }
  // A rectangle in the frame's client coordinates, as the dumps give it.
  CRect InFrame(CWnd* wnd) {
    CRect r = ScreenRect(wnd);
    frame_->ScreenToClient(&r);
    return r;
  }

  // A point of a bar's window, screen coordinates.
  static CPoint WindowPoint(CWnd* wnd, int x, int y) {
    const CRect r = ScreenRect(wnd);
    return CPoint(r.left + x, r.top + y);
  }
  // Queues a press, moves and (unless `release` is false) a release, then
  // lets them all be handled: a drag loop started by the press reads the rest.
  static void Drag(CPoint from, std::initializer_list<CPoint> path, bool release = true) {
    compat::host::InjectMouseMove(from.x, from.y);
    compat::host::InjectMouseButton(0, true, from.x, from.y);
    CPoint last = from;
    for (CPoint p : path) {
      compat::host::InjectMouseMove(p.x, p.y);
      last = p;
    }
    if (release) compat::host::InjectMouseButton(0, false, last.x, last.y);
    for (int i = 0; i < 3; ++i) Pump();
  }
  // The stopped clock moved on in steps, each handled as it comes.
  static void Advance(DWORD ms) {
    for (DWORD done = 0; done < ms; done += 10) {
      compat::AdvanceClock(10);
      Pump();
    }
  }
  static void ClickAt(CPoint p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
    for (int i = 0; i < 3; ++i) Pump();
  }
  // The caption buttons' centres (after a paint has placed them).
  // Close: 20 to 7 pixels from the right edge, 6 to 19 down; Auto Hide 14 pixels left of it.
  static CPoint CloseButton(CWnd* bar) { return WindowPoint(bar, ScreenRect(bar).Width() - 14, 12); }
  static CPoint AutoHideButton(CWnd* bar) { return WindowPoint(bar, ScreenRect(bar).Width() - 28, 12); }
  // Docks `bar` in `dock`'s row just after `after`.
  void DockAfter(CKitControlBar* bar, CControlBar* after, CDockBar* dock) {
    CRect place = ScreenRect(after);
    const bool horz = (dock->m_dwStyle & CBRS_ORIENT_HORZ) != 0;
    place.OffsetRect(horz ? place.Width() - 10 : 0, horz ? 0 : place.Height() - 10);
    frame_->DockControlBar(bar, dock, &place);
    frame_->RecalcLayout();
    Pump();
  }
  std::vector<uint32_t> Snapshot() {
    auto surface = compat::host::DesktopSurface();
    std::vector<uint32_t> pixels;
    for (int y = 0; y < surface->height; ++y) pixels.insert(pixels.end(), surface->Row(y), surface->Row(y) + surface->width);
    return pixels;
  }
  CKitAutoHideStrip* Strip(DWORD side) { return KitFindStrip(frame_, side); }
  int TabsOn(DWORD side) { return Strip(side)->GetTabCount(); }
  CWnd* FloatingFrameOf(CControlBar* bar) { return bar->m_pDockBar ? bar->m_pDockBar->GetParent() : nullptr; }

  std::unique_ptr<ProfileApp> app_;
  kitdemo::Description description_;
  kitdemo::CKitDemoFrame* frame_ = nullptr;
};

// The frame as the docking set-up leaves it: the outer ring along the window
// edges (only the top one holds bars: the two toolbars, side by side), the
// hidden strips, the 3-pixel fillers, and the inner ring inside them with
// the Effect bar spanning the bottom row and Preview and Play the right
// column. Inner bars overlap their dock bar by the framework's 2 pixels.
constexpr char kInitialLayout[] = R"(Afx "Kit docking" id=0 (10,10)-(1110,570)
  Afx "" id=8192 (0,0)-(1092,30)
    ToolbarWindow32 "" id=59393 (494,0)-(988,30)
    ToolbarWindow32 "" id=59392 (0,0)-(494,30)
  Afx "" id=32768 (0,533)-(1092,533)
  Afx "" id=4096 (0,30)-(0,533)
  Afx "" id=16384 (1092,30)-(1092,533)
  Afx "" id=39321 (0,0)-(0,0) hidden
  Afx "" id=39321 (0,0)-(0,0) hidden
  Afx "" id=39321 (0,0)-(0,0) hidden
  Afx "" id=39321 (0,0)-(0,0) hidden
  Afx "" id=39321 (0,30)-(1092,33)
  Afx "" id=39321 (0,530)-(1092,533)
  Afx "" id=39321 (0,33)-(3,530)
  Afx "" id=39321 (1089,33)-(1092,530)
  Afx "" id=59419 (3,33)-(1089,33)
  Afx "Effect" id=59422 (3,434)-(1089,530)
    Afx "Effect" id=2448 (-2,-2)-(1084,98)
      Edit "" id=1 (0,0)-(1078,74)
  Afx "" id=59420 (3,33)-(3,434)
  Afx "Preview and Play" id=59421 (893,33)-(1089,434)
    Afx "Preview and Play" id=2449 (-2,-2)-(198,399)
      Edit "" id=1 (0,0)-(192,375)
)";

TEST_F(KitDocking, TheOuterRingLiesOutsideTheInnerOneAndToolbarsTouch) {
  EXPECT_EQ(kitdemo::DumpWindowTree(frame_->m_hWnd), kInitialLayout);
  const CRect first = ScreenRect(frame_->m_toolBars[0].get()), second = ScreenRect(frame_->m_toolBars[1].get());
  EXPECT_EQ(first.right, second.left);
  EXPECT_EQ(first.top, second.top);
  for (DWORD side : {CBRS_ALIGN_LEFT, CBRS_ALIGN_TOP, CBRS_ALIGN_RIGHT, CBRS_ALIGN_BOTTOM}) {
    const CRect outer = InFrame(KitOuterDockBar(frame_, side)), inner = InFrame(KitInnerDockBar(frame_, side));
    if (side == CBRS_ALIGN_TOP) { EXPECT_GE(inner.top, outer.bottom); }
    if (side == CBRS_ALIGN_BOTTOM) { EXPECT_LE(inner.bottom, outer.top); }
    if (side == CBRS_ALIGN_LEFT) { EXPECT_GE(inner.left, outer.right); }
    if (side == CBRS_ALIGN_RIGHT) { EXPECT_LE(inner.right, outer.left); }
    EXPECT_FALSE(KitFindStrip(frame_, side)->IsWindowVisible()) << "an empty strip takes no room";
  }
  // The fillers' bands are in the face colour.
  CPoint at(1, 200);
  frame_->ClientToScreen(&at);
  EXPECT_EQ(ScreenPixel(at.x, at.y), GetFaceColor(kKitStyleFlat));
  WritePng(frame_->m_hWnd, "kit_docking_frame");
}


// --- dragging ---

TEST_F(KitDocking, ASizableBarPutInTheOuterRingEndsInTheInnerOne) {
  CKitControlBar* effect = Bar(2448);
  frame_->DockControlBar(effect, KitOuterDockBar(frame_, CBRS_ALIGN_TOP), nullptr);
  frame_->RecalcLayout();
  Pump();
  EXPECT_EQ(effect->m_pDockBar, KitInnerDockBar(frame_, CBRS_ALIGN_TOP));
  EXPECT_EQ(effect->GetParent()->GetDlgCtrlID(), AFX_IDW_DOCKBAR_TOP);
}

TEST_F(KitDocking, AToolbarDraggedOverAColumnOfSizableBarsFloats) {
  CToolBar* toolbar = frame_->m_toolBars[0].get();
  const CPoint from = WindowPoint(toolbar, 480, 15);
  const CPoint over = ScreenRect(Bar(2449)).CenterPoint();
  compat::host::InjectMouseMove(over.x, over.y);
  compat::host::InjectMouseButton(0, false, over.x, over.y);
  toolbar->m_pDockContext->StartDrag(from);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_TRUE(toolbar->IsFloating());
  EXPECT_TRUE(dynamic_cast<CKitMiniFrame*>(FloatingFrameOf(toolbar))) << "floats in the toolkit's frame";
  EXPECT_EQ(Bar(2449)->m_pDockBar, KitInnerDockBar(frame_, CBRS_ALIGN_RIGHT));
}

TEST_F(KitDocking, CtrlDragFloatsAndEscapeCancels) {
  CKitControlBar* effect = Bar(2448);
  const CRect before = ScreenRect(effect);
  const CPoint caption = WindowPoint(effect, 300, 10);
  // Escape: the bar stays where it was.
  compat::host::InjectMouseMove(caption.x, caption.y);
  compat::host::InjectMouseButton(0, true, caption.x, caption.y);
  compat::host::InjectMouseMove(caption.x, caption.y - 200);
  compat::host::InjectKeyPress(VK_ESCAPE);
  compat::host::InjectMouseButton(0, false, caption.x, caption.y - 200);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_FALSE(effect->IsFloating());
  EXPECT_EQ(ScreenRect(effect), before);
  // Ctrl held: it floats even over its own dock bar.
  compat::host::InjectMouseMove(caption.x, caption.y);
  compat::host::InjectMouseButton(0, true, caption.x, caption.y);
  compat::host::InjectKey(VK_CONTROL, true);
  compat::host::InjectMouseMove(caption.x + 5, caption.y - 5);
  compat::host::InjectMouseButton(0, false, caption.x + 5, caption.y - 5);
  compat::host::InjectKey(VK_CONTROL, false);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_TRUE(effect->IsFloating());
  EXPECT_TRUE(dynamic_cast<CKitMiniFrame*>(FloatingFrameOf(effect)));
}

// A bar taken off its edge: the floating frame comes centred on the pointer
// when the bar lies across the frame; a double click on the floating frame's
// caption puts it back where it was docked, at its size.
TEST_F(KitDocking, ABarTakenOffFloatsCentredOnThePointerAndADoubleClickDocksItBack) {
  for (UINT id : {2448u, 2449u}) {
    CKitControlBar* bar = Bar(id);
    for (int i = 0; i < 3; ++i) Pump();
    const CRect docked = ScreenRect(bar);
    CDockBar* dock = bar->m_pDockBar;
    const CPoint caption = WindowPoint(bar, docked.Width() - 60, 10);
    // Dropped over the frame's middle, Ctrl held (input goes to the window
    // under the pointer as it is queued).
    const CPoint to = ScreenRect(frame_).CenterPoint() + CSize(static_cast<int>(id) - 2448, 0);
    compat::host::InjectMouseMove(caption.x, caption.y);
    compat::host::InjectMouseButton(0, true, caption.x, caption.y);
    compat::host::InjectKey(VK_CONTROL, true);
    compat::host::InjectMouseMove(to.x, to.y);
    compat::host::InjectMouseButton(0, false, to.x, to.y);
    compat::host::InjectKey(VK_CONTROL, false);
    for (int i = 0; i < 3; ++i) Pump();
    ASSERT_TRUE(bar->IsFloating()) << id;
    CWnd* floating = FloatingFrameOf(bar);
    const CRect frame = ScreenRect(floating);
    if (id == 2448) {
      EXPECT_LE(std::abs(frame.CenterPoint().x - to.x), 2) << frame.left << ".." << frame.right;
      EXPECT_LE(std::abs(frame.CenterPoint().y - to.y), 2) << frame.top << ".." << frame.bottom;
    } else {
      EXPECT_TRUE(frame.PtInRect(to)) << "an upright bar keeps the pointer where it held it";
    }
    WritePng(frame_->m_hWnd, id == 2448 ? "kit_docking_taken_off" : "kit_docking_taken_off_upright");
    CRect client;
    floating->GetClientRect(&client);
    floating->ClientToScreen(&client);
    const CPoint title(client.left + 30, client.top - ::GetSystemMetrics(SM_CYSMCAPTION) / 2);
    ASSERT_EQ(floating->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(title.x, title.y)), HTCAPTION);
    ClickAt(title);
    ClickAt(title);
    EXPECT_FALSE(bar->IsFloating()) << id;
    EXPECT_EQ(bar->m_pDockBar, dock) << id;
    EXPECT_EQ(ScreenRect(bar), docked) << id;
  }
}

// The 3-pixel strip above a floating bar's panel is a caption: a press there
// drags the bar's floating frame along.
TEST_F(KitDocking, TheStripAboveAFloatingBarsPanelDragsIt) {
  CKitControlBar* preview = Bar(2449);
  frame_->FloatControlBar(preview, CPoint(300, 590), CBRS_ALIGN_TOP);
  for (int i = 0; i < 3; ++i) Pump();
  ASSERT_TRUE(preview->IsFloating());
  const CRect before = ScreenRect(FloatingFrameOf(preview));
  CRect panel;
  preview->GetClientRect(&panel);
  preview->ClientToScreen(&panel);
  // Its dock bar shows the lowest row of the strip.
  const CPoint strip(panel.left + 60, panel.top - 1);
  ASSERT_EQ(::WindowFromPoint(strip), preview->m_hWnd);
  EXPECT_EQ(preview->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(strip.x, strip.y)), HTCAPTION);
  // (Input goes to the window under the pointer as it is queued: the drag
  // stays over the floating frame.)
  const CPoint to(strip.x + 110, strip.y + 60);
  Drag(strip, {CPoint(strip.x + 50, strip.y + 30), to});
  ASSERT_TRUE(preview->IsFloating());
  const CRect after = ScreenRect(FloatingFrameOf(preview));
  EXPECT_GE(after.left, before.left + 50);
  EXPECT_TRUE(after.PtInRect(to));
}

// --- rows ---

TEST_F(KitDocking, ARowTooLongLosesOnePixelPerBarFromTheFirstNoneBelow26) {
  CKitControlBar* effect = Bar(2448);
  CKitControlBar* preview = Bar(2449);
  CDockBar* bottom = KitInnerDockBar(frame_, CBRS_ALIGN_BOTTOM);
  DockAfter(preview, effect, bottom);
  auto* third = new kitdemo::CDemoDockingBar;
  ASSERT_TRUE(third->Create(u"Third", WS_CHILD | WS_VISIBLE | CBRS_SIZE_DYNAMIC, frame_, 2450));
  third->m_bAutoDelete = TRUE;
  third->EnableDocking(CBRS_ALIGN_ANY);
  DockAfter(third, preview, bottom);
  ASSERT_EQ(effect->m_nRowFirst, effect->m_pDockBar->FindBar(effect));
  const int length = bottom->m_rectLayout.Width();
  // 7 pixels too long, the middle bar already at the smallest length.
  effect->m_sizeHorz.cx = length - 26 - 300 + 7;
  preview->m_sizeHorz.cx = 26;
  third->m_sizeHorz.cx = 300;
  effect->CalcFixedLayout(FALSE, TRUE);
  // Seven turns: first, (middle skipped), third, first, (skipped), third, first.
  EXPECT_EQ(effect->m_sizeHorz.cx, length - 26 - 300 + 7 - 3);
  EXPECT_EQ(preview->m_sizeHorz.cx, 26);
  EXPECT_EQ(third->m_sizeHorz.cx, 300 - 2);
  // The pixel a skipped turn left over goes at the next bar's layout: the row then fits.
  frame_->RecalcLayout();
  EXPECT_EQ(preview->m_sizeHorz.cx, 26);
  EXPECT_EQ(effect->m_sizeHorz.cx + preview->m_sizeHorz.cx + third->m_sizeHorz.cx, length);
  // The bars follow one another along the row.
  EXPECT_EQ(ScreenRect(effect).right, ScreenRect(preview).left);
  EXPECT_EQ(ScreenRect(preview).right, ScreenRect(third).left);
}

TEST_F(KitDocking, AFloatingBarIsNeverSizedBelow32By32) {
  CKitControlBar* effect = Bar(2448);
  frame_->FloatControlBar(effect, CPoint(200, 150), CBRS_ALIGN_TOP);
  Pump();
  ASSERT_TRUE(effect->IsFloating());
  CWnd* floating = FloatingFrameOf(effect);
  const CRect frameRect = ScreenRect(floating);
  // Sized from its top-left corner with the cursor far past the bottom-right one.
  effect->m_pDockContext->m_nHitTest = HTTOPLEFT;
  SetCursorPos(frameRect.right + 300, frameRect.bottom + 300);
  const CSize size = effect->CalcDynamicLayout(0, LM_HORZ);
  effect->m_pDockContext->m_nHitTest = 0;
  EXPECT_GE(size.cx, 32);
  EXPECT_GE(size.cy, 32);
}

TEST_F(KitDocking, DraggingTheSplitterBetweenTwoBarsMovesTheBoundaryAndTheTrackerLeavesNoTrace) {
  CKitControlBar* effect = Bar(2448);
  CKitControlBar* preview = Bar(2449);
  DockAfter(preview, effect, KitInnerDockBar(frame_, CBRS_ALIGN_BOTTOM));
  for (int i = 0; i < 3; ++i) Pump();
  const int effectLength = effect->m_sizeHorz.cx, previewLength = preview->m_sizeHorz.cx;
  const CRect r = ScreenRect(effect);
  const CPoint edge(r.right - 2, r.top + 50);
  const std::vector<uint32_t> before = Snapshot();
  // There and back: nothing changes and the screen is as it was.
  compat::host::InjectMouseMove(edge.x, edge.y);
  for (int i = 0; i < 2; ++i) Pump();
  compat::host::InjectMouseButton(0, true, edge.x, edge.y);
  Pump();
  ASSERT_TRUE(effect->IsDragging()) << "the press lands on the splitter";
  MoveTo(CPoint(edge.x + 30, edge.y));
  EXPECT_NE(Snapshot(), before) << "the tracker shows";
  MoveTo(edge);
  ReleaseAt(edge);
  EXPECT_EQ(Snapshot(), before);
  EXPECT_EQ(effect->m_sizeHorz.cx, effectLength);
  // 40 pixels to the right: the first bar gains what the second gives.
  // (Lower down, so that the press is not taken for a double click.)
  const CPoint lower(edge.x, edge.y + 20);
  Press(lower);
  MoveTo(CPoint(lower.x + 40, lower.y));
  ReleaseAt(CPoint(lower.x + 40, lower.y));
  EXPECT_EQ(effect->m_sizeHorz.cx, effectLength + 40);
  EXPECT_EQ(preview->m_sizeHorz.cx, previewLength - 40);
  EXPECT_EQ(ScreenRect(effect).right, ScreenRect(preview).left);
}

TEST_F(KitDocking, ADragPastTheOppositeEdgeStopsAt28Pixels) {
  CKitControlBar* preview = Bar(2449);
  frame_->DockControlBar(preview, KitInnerDockBar(frame_, CBRS_ALIGN_LEFT), nullptr);
  frame_->RecalcLayout();
  for (int i = 0; i < 3; ++i) Pump();
  const CRect r = ScreenRect(preview);
  // Inside the band and inside the dock bar, which clips the bar's last 2 pixels.
  const CPoint edge(r.right - 3, r.top + 100);
  ASSERT_EQ(preview->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(edge.x, edge.y)), HTRIGHT);
  MoveTo(edge);
  Press(edge);
  ASSERT_TRUE(preview->IsDragging());
  MoveTo(CPoint(r.left - 60, edge.y));
  ReleaseAt(CPoint(r.left - 60, edge.y));
  EXPECT_EQ(preview->m_sizeVert.cx, 28);
}

// --- auto-hide ---

TEST_F(KitDocking, AutoHideMakesATabThatSlidesTheBarOutAndBackAndAutoHideAgainDocksIt) {
  CKitControlBar* effect = Bar(2448);
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(effect));
  ASSERT_TRUE(effect->IsAutoHidden());
  ASSERT_EQ(TabsOn(CBRS_ALIGN_BOTTOM), 1);
  EXPECT_EQ(Strip(CBRS_ALIGN_BOTTOM)->GetTab(0)->m_nEdge, static_cast<UINT>(AFX_IDW_DOCKBAR_BOTTOM));
  EXPECT_TRUE(Strip(CBRS_ALIGN_BOTTOM)->IsWindowVisible());
  EXPECT_EQ(ScreenRect(Strip(CBRS_ALIGN_BOTTOM)).Height(), 24);
  CWnd* carrier = FloatingFrameOf(effect);
  ASSERT_TRUE(carrier);
  EXPECT_FALSE(carrier->IsWindowVisible());
  EXPECT_FALSE(carrier->GetStyle() & WS_CAPTION);
  WritePng(frame_->m_hWnd, "kit_docking_auto_hidden");

  // Resting on the tab slides the bar out above the strip.
  CKitAutoHideTab* tab = Strip(CBRS_ALIGN_BOTTOM)->GetTab(0);
  MoveTo(ScreenRect(tab).CenterPoint());
  EXPECT_TRUE(carrier->IsWindowVisible());
  EXPECT_TRUE(effect->IsWindowVisible());
  EXPECT_GT(ScreenRect(effect).Height(), 50);
  // The slid-out bar shows its caption and panel, not the carrier's face.
  const CRect slid = ScreenRect(effect);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_EQ(ScreenPixel(slid.CenterPoint().x, slid.CenterPoint().y), RGB(255, 255, 255));
  EXPECT_TRUE(tab->m_bSlidOut);
  EXPECT_LT(ScreenRect(carrier).top, ScreenRect(Strip(CBRS_ALIGN_BOTTOM)).top);
  EXPECT_GT(ScreenRect(carrier).Height(), 50);
  WritePng(frame_->m_hWnd, "kit_docking_slid_out");

  // Over the bar it stays out; once the mouse has left both it goes back within 500 ms.
  MoveTo(ScreenRect(effect).CenterPoint());
  Advance(500);
  EXPECT_TRUE(carrier->IsWindowVisible());
  const CPoint away = ScreenRect(Bar(2449)).CenterPoint();
  MoveTo(away);
  Advance(500);
  EXPECT_FALSE(carrier->IsWindowVisible());
  EXPECT_FALSE(tab->m_bSlidOut);

  // Out again, then its Auto Hide button docks it back where it was.
  MoveTo(ScreenRect(tab).CenterPoint());
  ASSERT_TRUE(effect->IsWindowVisible());
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(effect));
  EXPECT_FALSE(effect->IsAutoHidden());
  EXPECT_EQ(effect->m_pDockBar, KitInnerDockBar(frame_, CBRS_ALIGN_BOTTOM));
  EXPECT_EQ(TabsOn(CBRS_ALIGN_BOTTOM), 0);
  EXPECT_FALSE(Strip(CBRS_ALIGN_BOTTOM)->IsWindowVisible());
}

TEST_F(KitDocking, LoadingTheSavedStateTwiceWhileHiddenLeavesOneTabOnTheBarsOwnEdge) {
  CKitControlBar* preview = Bar(2449);
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(preview));
  ASSERT_TRUE(preview->IsAutoHidden());
  frame_->SaveBarSizes();
  frame_->LoadBarSizes();
  frame_->LoadBarSizes();
  Pump();
  EXPECT_EQ(TabsOn(CBRS_ALIGN_RIGHT), 1);
  for (DWORD side : {CBRS_ALIGN_LEFT, CBRS_ALIGN_TOP, CBRS_ALIGN_BOTTOM}) EXPECT_EQ(TabsOn(side), 0);
  EXPECT_EQ(Strip(CBRS_ALIGN_RIGHT)->GetTab(0)->m_nEdge, static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
  EXPECT_TRUE(preview->IsAutoHidden());
}

// The rows of a rectangle of the screen (or of `dc`) that hold anything but
// the face colour: where written text begins and ends.
std::pair<int, int> InkRows(const std::function<COLORREF(int, int)>& pixel, const CRect& r, COLORREF face) {
  int first = -1, last = -1;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x)
      if (pixel(x, y) != face) {
        if (first < 0) first = y;
        last = y;
        break;
      }
  return {first, last};
}

// A tab on a left strip is long enough for its whole title, written in the
// upright font.
TEST_F(KitDocking, ATabOnASideStripShowsItsWholeTitle) {
  CKitControlBar* effect = Bar(2448);
  frame_->DockControlBar(effect, AFX_IDW_DOCKBAR_LEFT, nullptr);
  frame_->RecalcLayout();
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(effect));
  ASSERT_TRUE(effect->IsAutoHidden());
  ASSERT_EQ(TabsOn(CBRS_ALIGN_LEFT), 1);
  CKitAutoHideTab* tab = Strip(CBRS_ALIGN_LEFT)->GetTab(0);
  tab->RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  for (int i = 0; i < 3; ++i) Pump();
  WritePng(frame_->m_hWnd, "kit_docking_side_tab");
  const COLORREF face = GetFaceColor(kKitStyleFlat);
  const CRect r = ScreenRect(tab);
  const auto shown = InkRows([](int x, int y) { return ScreenPixel(x, y); },
                             CRect(r.left + 2, r.top + tab->m_cyIcon + 4, r.right - 2, r.bottom - 1), face);

  // The same title in the same font, written where nothing cuts it.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW upright = metrics.lfMenuFont;
  upright.lfEscapement = upright.lfOrientation = -900;
  std::u16string(u"verdana").copy(upright.lfFaceName, LF_FACESIZE - 1);
  upright.lfFaceName[7] = 0;
  HFONT font = ::CreateFontIndirectW(&upright);
  CClientDC screen(nullptr);
  CDC memory;
  memory.CreateCompatibleDC(&screen);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, 40, 300);
  CBitmap* old = memory.SelectObject(&bitmap);
  memory.FillSolidRect(0, 0, 40, 300, face);
  const int mode = ::SetGraphicsMode(memory.m_hDC, GM_ADVANCED);
  HGDIOBJ oldFont = ::SelectObject(memory.m_hDC, font);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(::GetSysColor(COLOR_BTNTEXT));
  CRect text(0, 10, 40, 300);
  memory.DrawText(CString(u"Effect"), &text, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
  const auto whole = InkRows([&](int x, int y) { return memory.GetPixel(x, y); }, CRect(0, 0, 40, 300), face);
  ::SelectObject(memory.m_hDC, oldFont);
  ::SetGraphicsMode(memory.m_hDC, mode);
  memory.SelectObject(old);
  ::DeleteObject(font);
  ASSERT_GE(whole.first, 0);
  ASSERT_GE(shown.first, 0);
  EXPECT_EQ(shown.second - shown.first, whole.second - whole.first) << "tab " << r.top << ".." << r.bottom;
}

// --- the profile ---

TEST_F(KitDocking, TheSizeSectionHoldsSixKeysInOrderAndARestartRestoresThem) {
  CKitControlBar* effect = Bar(2448);
  effect->m_sizeHorz = CSize(640, 140);
  effect->m_sizeVert = CSize(230, 310);
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(Bar(2449)));
  frame_->SaveBarSizes();
  ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, compat::FromHostPath(HostIni()).c_str());
  // The keys in the file's line order.
  std::ifstream file(HostIni());
  std::vector<std::string> keys;
  bool inSection = false;
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') inSection = line == "[KitDock-Bar2448]";
    else if (inSection && line.find('=') != std::string::npos) keys.push_back(line.substr(0, line.find('=')));
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"sizeHorz.cx", "sizeHorz.cy", "sizeVert.cx", "sizeVert.cy", "AutoHide", "Aling"}));
  const std::string script =
      "import configparser,sys\nc=configparser.ConfigParser(interpolation=None)\nc.optionxform=str\n"
      "c.read(sys.argv[1],encoding='utf-8')\nprint(list(c['KitDock-Bar2448'].items()))\nprint(dict(c['KitDock-Bar2449']))\n";
  const std::string output = testsupport::RunTool("python3 -c \"" + script + "\" '" + HostIni() + "'");
  const std::string expected = "[('sizeHorz.cx', '" + std::to_string(effect->m_sizeHorz.cx) +
                               "'), ('sizeHorz.cy', '140'), ('sizeVert.cx', '230'), ('sizeVert.cy', '310'), "
                               "('AutoHide', '0'), ('Aling', '0')]";
  EXPECT_NE(output.find(expected), std::string::npos) << output;
  EXPECT_NE(output.find("'AutoHide': '1', 'Aling': '16384'"), std::string::npos) << output;

  // A restart: a new frame reads them back.
  frame_->DestroyWindow();
  Pump();
  Build();
  frame_->LoadBarSizes();
  Pump();
  EXPECT_EQ(Bar(2448)->m_sizeHorz.cy, 140);
  EXPECT_EQ(Bar(2448)->m_sizeVert, CSize(230, 310));
  EXPECT_TRUE(Bar(2449)->IsAutoHidden());
  EXPECT_EQ(TabsOn(CBRS_ALIGN_RIGHT), 1);
  EXPECT_EQ(Strip(CBRS_ALIGN_RIGHT)->GetTab(0)->m_nEdge, static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT));
}

TEST_F(KitDocking, ABarIdBelow1000IsRefused) {
  kitdemo::CDemoDockingBar bar;
  EXPECT_FALSE(bar.Create(u"Low", WS_CHILD | WS_VISIBLE, frame_, 5));
  EXPECT_FALSE(bar.GetSafeHwnd());
}

// --- caption ---

TEST_F(KitDocking, CaptionButtonsAndTheFocusHighlight) {
  CKitControlBar* effect = Bar(2448);
  CKitControlBar* preview = Bar(2449);
  for (int i = 0; i < 3; ++i) Pump();
  // The focus in a bar's panel makes its caption active at the next idle update.
  static_cast<kitdemo::CDemoDockingBar*>(effect)->m_panel.SetFocus();
  frame_->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, TRUE);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_TRUE(effect->m_bCaptionActive);
  EXPECT_FALSE(preview->m_bCaptionActive);
  EXPECT_EQ(ScreenPixel(ScreenRect(effect).left + 40, ScreenRect(effect).top + 4), GetSysColor(COLOR_ACTIVECAPTION));
  EXPECT_NE(ScreenPixel(ScreenRect(preview).left + 40, ScreenRect(preview).top + 8), GetSysColor(COLOR_ACTIVECAPTION));
  // The other bar takes the highlight when it is activated.
  preview->SendMessageW(WM_COMMAND, CKitControlBar::kActivateCommand, 0);
  Pump();
  EXPECT_TRUE(preview->m_bCaptionActive);
  EXPECT_FALSE(effect->m_bCaptionActive);

  // Hovering Close turns it hot; leaving it, normal within 100 ms.
  const CPoint close = CloseButton(effect);
  compat::host::InjectMouseMove(close.x, close.y);
  for (int i = 0; i < 3; ++i) Pump();
  EXPECT_EQ(effect->m_nCloseState, CKitCaptionButton::Hot);
  WritePng(frame_->m_hWnd, "kit_docking_captions");
  MoveTo(ScreenRect(effect).CenterPoint());
  Advance(100);
  EXPECT_EQ(effect->m_nCloseState, CKitCaptionButton::Normal);
  // Close hides the bar.
  ClickAt(close);
  EXPECT_FALSE(effect->IsWindowVisible());
}

// The caption buttons keep their place from the window's right edge on every
// side: docked left, where the caption ends 6 pixels in, as docked right.
TEST_F(KitDocking, CaptionButtonsSitTheSameDistanceFromTheRightEdgeOnEverySide) {
  CKitControlBar* preview = Bar(2449);
  for (UINT side : {static_cast<UINT>(AFX_IDW_DOCKBAR_RIGHT), static_cast<UINT>(AFX_IDW_DOCKBAR_LEFT)}) {
    frame_->DockControlBar(preview, side, nullptr);
    frame_->RecalcLayout();
    for (int i = 0; i < 3; ++i) Pump();
    ASSERT_EQ(preview->m_nDockPos, side);
    const int w = ScreenRect(preview).Width();
    const CRect window = ScreenRect(preview);
    EXPECT_EQ(preview->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(window.left + w - 19, window.top + 6)), HTCLOSE) << side;
    EXPECT_EQ(preview->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(window.left + w - 8, window.top + 18)), HTCLOSE) << side;
    EXPECT_EQ(preview->m_rectClose, CRect(w - 20, 6, w - 7, 19)) << side;
    EXPECT_EQ(preview->m_rectAutoHide, CRect(w - 34, 6, w - 21, 19)) << side;
  }
}

TEST_F(KitDocking, ATooLongTitleIsShortenedAndEndsInAnEllipsis) {
  CKitControlBar* preview = Bar(2449);
  const CString title(std::u16string(200, u'W').c_str());
  CClientDC dc(preview);
  const CString shown = KitFitTitle(&dc, title, 120);
  EXPECT_LT(shown.GetLength(), 200);
  EXPECT_EQ(shown.Right(3), CString(u"..."));
  EXPECT_EQ(shown.Left(shown.GetLength() - 3), title.Left(shown.GetLength() - 3));
  // One character and the ellipsis is as short as it gets.
  EXPECT_EQ(KitFitTitle(&dc, title, 1), CString(u"W..."));
  preview->SetWindowText(title);
  preview->SendMessageW(WM_NCPAINT, 0, 0);
  WritePng(preview->m_hWnd, "kit_docking_long_title");
}

// --- floating frames ---

TEST_F(KitDocking, ATornOffWindowShowsTheWholeHostedWindow) {
  CWnd hosted;
  ASSERT_TRUE(hosted.CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)), u"",
                              WS_CHILD, CRect(0, 0, 150, 90), frame_, 77));
  CRect button(40, 40, 64, 62);
  frame_->ClientToScreen(&button);
  auto* tearOff = new CKitMiniFrameWnd;
  ASSERT_TRUE(tearOff->Create(frame_, &hosted, &button, u"Torn off", 0));
  Pump();
  CRect client;
  tearOff->GetClientRect(&client);
  EXPECT_GE(client.Width(), 150);
  EXPECT_GE(client.Height(), 90);
  EXPECT_EQ(hosted.GetParent(), tearOff);
  WritePng(tearOff->m_hWnd, "kit_docking_torn_off");
  // Escape gives the window back and the frame goes, with nothing posted after it.
  const HWND frameHwnd = tearOff->m_hWnd;
  tearOff->CloseFrame();
  Pump();
  EXPECT_FALSE(IsWindow(frameHwnd));
  EXPECT_EQ(hosted.GetParent(), frame_);
  EXPECT_FALSE(hosted.IsWindowVisible());
  hosted.DestroyWindow();
}

TEST_F(KitDocking, ABarSlidOutOfTheRightStripHasALightLineOnItsLeftEdge) {
  CKitControlBar* preview = Bar(2449);
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(preview));
  ASSERT_TRUE(preview->IsAutoHidden());
  ASSERT_EQ(TabsOn(CBRS_ALIGN_RIGHT), 1);
  MoveTo(ScreenRect(Strip(CBRS_ALIGN_RIGHT)->GetTab(0)).CenterPoint());
  CWnd* carrier = FloatingFrameOf(preview);
  ASSERT_TRUE(carrier && carrier->IsWindowVisible());
  for (int i = 0; i < 3; ++i) Pump();
  const CRect r = ScreenRect(carrier);
  const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT);
  for (int y : {r.top + 2, r.CenterPoint().y, r.bottom - 3}) EXPECT_EQ(ScreenPixel(r.left, y), light) << y;
  EXPECT_NE(ScreenPixel(r.right - 1, r.CenterPoint().y), light) << "only the edge away from the strip";
  WritePng(frame_->m_hWnd, "kit_docking_slid_out_right");
}

TEST_F(KitDocking, AFloatingFramesTitleStartsAtSixAndItsCloseButtonHangsFourBelowTheCaptionTop) {
  CKitControlBar* preview = Bar(2449);
  frame_->FloatControlBar(preview, CPoint(300, 200), CBRS_ALIGN_TOP);
  for (int i = 0; i < 3; ++i) Pump();
  auto* floating = dynamic_cast<CKitMiniFrame*>(FloatingFrameOf(preview));
  ASSERT_TRUE(floating);
  floating->SetWindowText(u"HHH");
  floating->SendMessageW(WM_NCPAINT, 0, 0);
  for (int i = 0; i < 3; ++i) Pump();
  const CRect window = ScreenRect(floating);
  CRect client;
  floating->GetClientRect(&client);
  floating->ClientToScreen(&client);
  const int captionHeight = ::GetSystemMetrics(SM_CYSMCAPTION);
  const int captionTop = client.top - window.top - captionHeight;
  const int captionLeft = client.left - window.left;
  EXPECT_EQ(floating->m_rectClose, CRect(window.Width() - 20, captionTop + 4, window.Width() - 4,
                                         captionTop + 4 + captionHeight));
  // The title's ink, against the same text drawn at (0, 0) in the same font.
  CClientDC screen(nullptr);
  CDC memory;
  memory.CreateCompatibleDC(&screen);
  CBitmap bitmap;
  bitmap.CreateCompatibleBitmap(&screen, 60, 30);
  CBitmap* old = memory.SelectObject(&bitmap);
  memory.FillSolidRect(0, 0, 60, 30, RGB(255, 255, 255));
  HFONT font = ::CreateFontW(-11, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, 1, 2, 1, 0x22, u"Verdana");
  HGDIOBJ oldFont = ::SelectObject(memory.m_hDC, font);
  memory.SetBkMode(TRANSPARENT);
  memory.SetTextColor(RGB(0, 0, 0));
  memory.TextOut(0, 0, CString(u"HHH"));
  int inkTop = -1;
  for (int y = 0; y < 30 && inkTop < 0; ++y)
    for (int x = 0; x < 60; ++x)
      if (memory.GetPixel(x, y) != RGB(255, 255, 255)) {
        inkTop = y;
        break;
      }
  ::SelectObject(memory.m_hDC, oldFont);
  ::DeleteObject(font);
  memory.SelectObject(old);
  ASSERT_GE(inkTop, 0);
  const COLORREF band = GetShadowColor(kKitStyleFlat), face = GetFaceColor(g_kitDrawStyle);
  int shownTop = -1;
  for (int y = captionTop + 2; y < captionTop + captionHeight && shownTop < 0; ++y)
    for (int x = captionLeft + 3; x < captionLeft + 40; ++x) {
      const COLORREF c = ScreenPixel(window.left + x, window.top + y);
      if (c != band && c != face) {
        shownTop = y;
        break;
      }
    }
  EXPECT_EQ(shownTop, 6 + inkTop);
}

TEST_F(KitDocking, AFloatingFrameThatCarriesAnAutoHiddenBarLetsClicksThrough) {
  CKitControlBar* effect = Bar(2448);
  for (int i = 0; i < 3; ++i) Pump();
  ClickAt(AutoHideButton(effect));
  auto* carrier = dynamic_cast<CKitMiniFrame*>(FloatingFrameOf(effect));
  ASSERT_TRUE(carrier);
  CRect r = ScreenRect(carrier);
  EXPECT_EQ(carrier->SendMessageW(WM_NCHITTEST, 0, MAKELPARAM(r.left + 1, r.top + 1)), HTTRANSPARENT);
  // WM_CLOSE on a floating frame hides its bars.
  CKitControlBar* preview = Bar(2449);
  frame_->FloatControlBar(preview, CPoint(300, 200), CBRS_ALIGN_TOP);
  Pump();
  FloatingFrameOf(preview)->SendMessageW(WM_CLOSE, 0, 0);
  Pump();
  EXPECT_FALSE(preview->IsWindowVisible());
}

}  // namespace
