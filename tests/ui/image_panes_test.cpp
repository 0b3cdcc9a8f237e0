// The image panes driven as a user works them: pictures with their lines,
// the split, zoom and scroll bars, line editing mirrored across, context
// menus, clip rectangle editing and the history it leaves alone.
#include <gtest/gtest.h>

#include "controls/edit_ctrl.h"
#include "pane_test_support.h"

namespace {

using panetest::kPictureH;
using panetest::kPictureW;
using panetest::PaneTest;

bool Same(COLORREF pixel, DWORD rgb) { return pixel == RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

TEST_F(PaneTest, BothPicturesShowWithTheirGreenLinesInEveryMode) {
  EXPECT_TRUE(Same(PaneColour(m_source, 40, 60), panetest::kSourceLeft));
  EXPECT_TRUE(Same(PaneColour(m_source, 120, 60), panetest::kSourceRight));
  EXPECT_TRUE(Same(PaneColour(m_target, 10, 10), panetest::kTargetGround));
  EXPECT_TRUE(Same(PaneColour(m_target, 100, 70), panetest::kTargetSquare));
  EXPECT_EQ(PaneColour(m_source, 80, 20), kGreen) << "the feature line";
  EXPECT_EQ(PaneColour(m_target, 150, 70), kGreen);
  EXPECT_EQ(PaneColour(m_source, kPictureW + 20, 60), kWhite) << "beyond the picture";
  WritePanesPng("image_panes_lines");

  // Figure mode: the outline in green.
  GetMorphProject()->SetEditMode(kEditFigure);
  CBezierNodeArray nodes;
  for (CVector2 p : {CVector2(30, 30), CVector2(170, 30), CVector2(170, 130), CVector2(30, 130)})
    nodes.Add(CBezierNode{p, {p, p}, FALSE});
  for (CImageSlot* slot : {Source(), Target()}) {
    slot->GetShape()->SetNodes(nodes);
    slot->GetShape()->SetState(kPathFinished);
  }
  m_link.PairChanged(0);
  EXPECT_EQ(PaneColour(m_source, 100, 30), kGreen);
  EXPECT_EQ(PaneColour(m_target, 30, 80), kGreen);
  WritePanesPng("image_panes_figure");

  // Image-process mode: the clip rectangle, its grips and its size.
  GetMorphProject()->SetEditMode(kEditImageProcess);
  Source()->m_clip = RECT{20, 20, 120, 95};
  m_link.PairChanged(0);
  EXPECT_EQ(PaneColour(m_source, 70, 20), RGB(255, 0, 0)) << "the clip rectangle's red outline";
  EXPECT_TRUE(Same(PaneColour(m_target, 10, 10), panetest::kTargetGround)) << "no clip on the target";
  WritePanesPng("image_panes_clip");
}

TEST_F(PaneTest, OnlyTheSourcePanesRightBorderMovesTheSplit) {
  CRect source, target;
  m_source.GetWindowRect(&source);
  const int y = (source.top + source.bottom) / 2;
  auto dragBorder = [y](int from, int to) {
    compat::host::InjectMouseMove(from, y);
    compat::host::InjectMouseButton(0, true, from, y);
    compat::host::InjectMouseMove((from + to) / 2, y);
    compat::host::InjectMouseMove(to, y);
    compat::host::InjectMouseButton(0, false, to, y);
    Pump();
  };
  // The boundary follows the source pane's right border.
  dragBorder(source.right - 2, source.right - 40);
  CRect moved;
  m_source.GetWindowRect(&moved);
  EXPECT_EQ(moved.Width(), source.Width() - 38);
  m_target.GetWindowRect(&target);
  EXPECT_EQ(target.left, moved.right) << "the target follows the split";
  // Far to the left: the source keeps 30 pixels.
  // (the pointer stays over the frame: the headless host gives input
  // outside it to the window below)
  dragBorder(moved.right - 2, In(m_source, 10, 0).x);
  m_source.GetWindowRect(&moved);
  EXPECT_EQ(moved.Width(), 30);
  // And far to the right: the target keeps 20.
  RECT frame;
  ::GetWindowRect(parent_, &frame);
  dragBorder(moved.right - 2, frame.right - 8);
  RECT client;
  ::GetClientRect(parent_, &client);
  m_source.GetWindowRect(&moved);
  EXPECT_EQ(moved.Width(), client.right - 20);

  // The other borders are client area: no sizing there.
  m_source.GetWindowRect(&source);
  m_target.GetWindowRect(&target);
  const LRESULT top = m_source.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(source.left + 40, source.top + 1));
  const LRESULT left = m_target.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(target.left + 1, target.top + 40));
  const LRESULT right = m_source.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(source.right - 1, source.top + 40));
  EXPECT_EQ(top, HTCLIENT);
  EXPECT_EQ(left, HTCLIENT);
  EXPECT_EQ(right, HTRIGHT);

  // A hidden pane leaves the other the whole view.
  m_source.ShowWindow(SW_HIDE);
  Layout(nullptr);
  m_target.GetWindowRect(&target);
  EXPECT_EQ(target.Width(), client.right);
}

TEST_F(PaneTest, ZoomStepsScrollBarsAndTheStatusZoom) {
  CImageSlot* slot = Source();
  slot->SetZoom(0.9f);
  float expected = 0.9f;
  const float ups[] = {1.0f, 2.0f, 3.0f, 4.0f};
  for (float up : ups) {
    m_source.Enlarge(0.0f);
    expected = expected < 1.0f ? expected + 0.1f : expected + 1.0f;
    EXPECT_FLOAT_EQ(slot->GetZoom(), up);
    EXPECT_EQ(slot->GetZoom(), expected);
  }
  EXPECT_FALSE(m_source.CanEnlarge());
  m_source.Enlarge(0.0f);
  EXPECT_EQ(slot->GetZoom(), 4.0f) << "nothing above 4.0";

  // Zoomed in, the picture is larger than the pane: enabled bars that scroll.
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  m_source.GetScrollInfo(SB_HORZ, &info);
  EXPECT_EQ(info.nMax, kPictureW * 4);
  m_source.SendMessage(WM_HSCROLL, SB_PAGEDOWN, 0);
  EXPECT_EQ(m_source.m_nHScroll, static_cast<int>(info.nPage));
  m_source.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
  CRect client;
  m_source.GetClientRect(&client);
  EXPECT_EQ(m_source.m_nVScroll, kPictureH * 4 - client.Height());
  EXPECT_EQ(slot->GetLines()->GetOrigin().y, m_source.m_nVScroll) << "the lines follow the scroll";
  WritePanesPng("image_panes_zoom4");

  m_source.ActualSize();
  EXPECT_EQ(slot->GetZoom(), 1.0f);
  EXPECT_EQ(m_source.m_nHScroll, 0) << "the fitting picture shows from its corner";
  EXPECT_EQ(m_source.m_nVScroll, 0);
  m_source.GetScrollInfo(SB_HORZ, &info);
  EXPECT_GT(info.nPage, static_cast<UINT>(info.nMax)) << "nothing to scroll";
  EXPECT_TRUE(m_source.GetStyle() & WS_HSCROLL) << "the bar is still drawn";

  const int shown = m_link.zoomShown;
  expected = 1.0f;
  for (int i = 0; i < 9; ++i) {
    m_source.Shrink(0.0f);
    expected = expected <= 1.0f ? expected - 0.1f : expected - 1.0f;
    if (expected < 0.1f) expected = 0.1f;
    EXPECT_EQ(slot->GetZoom(), expected) << i;
  }
  EXPECT_NEAR(slot->GetZoom(), 0.1f, 1e-6);
  EXPECT_GT(m_link.zoomShown, shown) << "the status pane hears of every step";
  m_source.Shrink(0.0f);
  EXPECT_NEAR(slot->GetZoom(), 0.1f, 1e-6) << "nothing below 0.1";
  // The wheel's step stops at 0.1 too.
  slot->SetZoom(0.3f);
  m_source.Shrink(-0.5f);
  EXPECT_EQ(slot->GetZoom(), 0.1f);
  EXPECT_FALSE(m_source.CanShrink());
}

TEST_F(PaneTest, ANewLineAppearsInBothPanesAndAnEditCanBeUndone) {
  SetLineTool(kLineToolNewLine);
  const int changes = m_link.pairChanges;
  auto click = [this](int x, int y) {
    const POINT p = In(m_source, x, y);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  };
  click(30, 60);
  click(90, 60);
  click(90, 100);
  click(90, 100);
  Pump();
  EXPECT_EQ(::GetCapture(), nullptr);
  ASSERT_EQ(Pair()->GetSourceLines()->GetLineCount(), 2);
  ASSERT_EQ(Pair()->GetTargetLines()->GetLineCount(), 2) << "mirrored on the target";
  EXPECT_EQ(Pair()->GetTargetLines()->LineAt(1)->GetPointCount(), 3);
  EXPECT_GT(m_link.pairChanges, changes);
  EXPECT_EQ(PaneColour(m_target, 60, 60), kGreen) << "the mirrored line is drawn";
  WritePanesPng("image_panes_new_line");

  // Line edit mode: a point drag moves it, the view re-renders, undo restores.
  SetLineTool(kLineToolEdit);
  const int before = m_link.pairChanges;
  m_link.modified = FALSE;
  Drag(m_source, POINT{150, 20}, {POINT{155, 25}, POINT{160, 30}});
  const CVector2* moved = Pair()->GetSourceLines()->PointAt(0, 1);
  ASSERT_NE(moved, nullptr);
  EXPECT_FLOAT_EQ(moved->x, 160.0f);
  EXPECT_FLOAT_EQ(moved->y, 30.0f);
  EXPECT_GT(m_link.pairChanges, before) << "the preview re-renders";
  EXPECT_TRUE(m_link.modified);
  EXPECT_EQ(GetActiveImageView(), &m_source);
  ASSERT_TRUE(CComandmanger::Get()->Undo());
  moved = Pair()->GetSourceLines()->PointAt(0, 1);
  EXPECT_FLOAT_EQ(moved->x, 150.0f);
  EXPECT_FLOAT_EQ(moved->y, 20.0f);
}

// The model's refresh is the click's one notice; the pane adds its own only
// for a click the model did not report (the tracker clicked and let go).
TEST_F(PaneTest, AClickNotifiesTheViewOnce) {
  SetLineTool(kLineToolEdit);
  auto click = [this](int x, int y) {
    const POINT p = In(m_source, x, y);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
    Pump();
  };
  int changes = m_link.pairChanges, messages = m_pairChangedMessages;
  click(150, 20);
  EXPECT_EQ(m_link.pairChanges - changes, 1);
  EXPECT_EQ(m_pairChangedMessages, messages) << "the model already told the view";
  EXPECT_EQ(Pair()->GetSourceLines()->IsSelected(0, 1), 1);
  EXPECT_EQ(PaneColour(m_target, 150, 20), RGB(255, 0, 0)) << "the other pane shows the selection";

  // Inside a selection's frame: no model refresh without a move.
  Pair()->GetSourceLines()->SelectPoint(0, -1, 1);
  changes = m_link.pairChanges, messages = m_pairChangedMessages;
  click(100, 60);
  EXPECT_EQ(m_link.pairChanges - changes, 1);
  EXPECT_EQ(m_pairChangedMessages - messages, 1) << "the pane's own notice";
}

TEST_F(PaneTest, ContextMenusShowOnLinePointsAndOnThePictureInImageMode) {
  // Away from any point in a line mode: no menu.
  RightClick(m_source, 60, 80);
  EXPECT_EQ(m_source.menuSteps.size(), 0u);
  int opened = 0;
  m_target.menuSteps.push_back([&] { ++opened; });
  RightClick(m_target, 60, 80);
  EXPECT_EQ(opened, 0) << "no menu away from the points";

  // On a point: menu 3051; "Select Line" is its fourth command.
  m_target.menuSteps = {[&] {
                          ++opened;
                          compat::host::InjectKeyPress(VK_DOWN);
                        },
                        [] { compat::host::InjectKeyPress(VK_DOWN); },
                        [] { compat::host::InjectKeyPress(VK_DOWN); },
                        [] { compat::host::InjectKeyPress(VK_DOWN); },
                        [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_target, 150, 120);
  Pump();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(GetActiveImageView(), &m_target);
  EXPECT_EQ(Pair()->GetSelection().GetSize(), 3) << "Select Line took the whole line";

  // In image-process mode: menu 3052 anywhere on the picture; its first
  // command opens "Set Clip Erea".
  GetMorphProject()->SetEditMode(kEditImageProcess);
  bool clipDialog = false;
  compat::AddModalStepOnTemplate(IDD_CLIP_AREA, [&](HWND dialog) {
    clipDialog = true;
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  m_source.menuSteps = {[] { compat::host::InjectKeyPress(VK_DOWN); }, [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_source, 60, 80);
  Pump();
  EXPECT_TRUE(clipDialog);
}

TEST_F(PaneTest, AMaskFigureShowsInThePaneAtOnce) {
  // The point's menu: "Close/Open line set", then "Set/Remvoe As Mask Figure".
  m_source.menuSteps = {[] { compat::host::InjectKeyPress(VK_DOWN); }, [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_source, 20, 20);
  ASSERT_EQ(Source()->GetLines()->LineAt(0)->closed, 1);
  m_source.menuSteps = {[] { compat::host::InjectKeyPress(VK_DOWN); }, [] { compat::host::InjectKeyPress(VK_DOWN); },
                        [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_source, 150, 120);
  Pump();
  ASSERT_EQ(Source()->GetLines()->LineAt(0)->mask, 1);
  // Outside the closed triangle the picture is masked away, inside it shows.
  EXPECT_EQ(PaneColour(m_source, 40, 100), RGB(0, 0, 0));
  EXPECT_TRUE(Same(PaneColour(m_source, 130, 40), panetest::kSourceRight));
  EXPECT_TRUE(Same(PaneColour(m_target, 40, 100), panetest::kTargetGround)) << "the mask is this side's";
  WritePanesPng("image_panes_mask_figure");
}

TEST_F(PaneTest, ClipGripsResizeMoveAndRedrawWithoutHistory) {
  GetMorphProject()->SetEditMode(kEditImageProcess);
  Source()->m_clip = RECT{20, 20, 120, 90};
  m_link.PairChanged(0);
  const int history = HistoryRecords();

  // The cursor of each grip's direction.
  const struct {
    POINT at;
    LPCTSTR cursor;
  } grips[] = {{{20, 20}, IDC_SIZENWSE}, {{120, 20}, IDC_SIZENESW}, {{120, 90}, IDC_SIZENWSE}, {{20, 90}, IDC_SIZENESW},
               {{70, 20}, IDC_SIZENS},   {{120, 55}, IDC_SIZEWE},   {{70, 90}, IDC_SIZENS},    {{20, 55}, IDC_SIZEWE},
               {{70, 55}, IDC_ARROW},    {{170, 130}, IDC_ARROW}};
  for (const auto& grip : grips) {
    const POINT p = In(m_source, grip.at.x, grip.at.y);
    compat::host::InjectMouseMove(p.x, p.y);
    Pump();
    EXPECT_EQ(::GetCursor(), ::LoadCursorW(nullptr, grip.cursor)) << grip.at.x << "," << grip.at.y;
  }

  // The bottom-right grip sizes, a drag inside moves, one outside draws anew.
  Drag(m_source, POINT{120, 90}, {POINT{130, 95}, POINT{140, 105}});
  EXPECT_EQ(Source()->m_clip.right, 140);
  EXPECT_EQ(Source()->m_clip.bottom, 105);
  Drag(m_source, POINT{20, 62}, {POINT{10, 62}});
  EXPECT_EQ(Source()->m_clip.left, 10) << "the left grip";
  Drag(m_source, POINT{60, 60}, {POINT{65, 62}, POINT{70, 70}});
  EXPECT_EQ(Source()->m_clip.left, 20);
  EXPECT_EQ(Source()->m_clip.top, 30);
  EXPECT_EQ(Source()->m_clip.right, 150);
  EXPECT_EQ(Source()->m_clip.bottom, 115);
  EXPECT_EQ(Source()->GetPixelSize().cx, 130) << "the slot's picture follows the clip";
  Drag(m_source, POINT{160, 120}, {POINT{180, 130}, POINT{190, 140}});
  EXPECT_EQ(Source()->m_clip.left, 160);
  EXPECT_EQ(Source()->m_clip.top, 120);
  EXPECT_EQ(Source()->m_clip.right, 190);
  EXPECT_EQ(Source()->m_clip.bottom, 140);
  WritePanesPng("image_panes_clip_dragged");
  // A click outside without a drag makes an empty clip: the picture shows
  // whole.
  const POINT p = In(m_source, 40, 40);
  compat::host::InjectClick(0, p.x, p.y);
  Pump();
  EXPECT_EQ(Source()->m_clip.left, Source()->m_clip.right);
  EXPECT_EQ(Source()->m_clip.left, 40);
  ASSERT_TRUE(Source()->HasPicture());
  EXPECT_EQ(Source()->GetPixelSize().cx, Source()->m_pictureSize.cx) << "the picture shows whole";
  EXPECT_EQ(HistoryRecords(), history) << "clip edits leave the history alone";
}

TEST_F(PaneTest, ClipAreaDialogKeepsTheRatioAndCancelGivesTheRectangleBack) {
  GetMorphProject()->SetOutputSize(400, 300);
  GetMorphProject()->SetEditMode(kEditImageProcess);
  Source()->m_clip = RECT{0, 0, 100, 75};
  m_link.PairChanged(0);
  const RECT before = Source()->m_clip;
  compat::AddModalStepOnTemplate(IDD_CLIP_AREA, [&](HWND dialog) {
    EXPECT_EQ(FieldValue(dialog, 1046), 100);
    SetField(dialog, 1046, 200);
    EXPECT_EQ(FieldValue(dialog, 1047), 150) << "the output's ratio";
    EXPECT_EQ(Source()->m_clip.bottom - Source()->m_clip.top, 150) << "the slot follows live";
    ::UpdateWindow(dialog);
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("clip_area_dialog").c_str()));
    ::SendMessageW(::GetDlgItem(dialog, 1054), BM_CLICK, 0, 0);  // ratio off
    SetField(dialog, 1018, 5);
    SetField(dialog, 1016, 7);
    SetField(dialog, 1046, 120);
    SetField(dialog, 1047, 60);
    EXPECT_EQ(Source()->m_clip.left, 5);
    EXPECT_EQ(Source()->m_clip.bottom, 67);
    EXPECT_EQ(Source()->m_clip.right, 125);
    const POINT cancel = Center(::GetDlgItem(dialog, IDCANCEL));
    compat::host::InjectClick(0, cancel.x, cancel.y);
  });
  m_source.menuSteps = {[] { compat::host::InjectKeyPress(VK_DOWN); }, [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_source, 50, 50);
  Pump();
  EXPECT_EQ(Source()->m_clip.left, before.left);
  EXPECT_EQ(Source()->m_clip.top, before.top);
  EXPECT_EQ(Source()->m_clip.right, before.right);
  EXPECT_EQ(Source()->m_clip.bottom, before.bottom);
  EXPECT_EQ(Source()->GetPixelSize().cx, 100) << "the picture follows the rectangle of before";
}

TEST_F(PaneTest, ColorAdjustChangesThePaneLiveAndCancelRestoresIt) {
  GetMorphProject()->SetEditMode(kEditImageProcess);
  Target()->m_adjust.hue = 5.0f;
  Target()->m_adjust.mirror = 0;
  LoadImageSlot(Target(), Pair());
  m_link.PairChanged(0);
  const DWORD corner = Target()->GetDisplayPicture()[0];
  compat::AddModalStepOnTemplate(IDD_COLOR_ADJUST, [&](HWND dialog) {
    EXPECT_EQ(FieldValue(dialog, 1049), 5.0) << "the slot's values";
    SetField(dialog, 1048, 100);
    const SIZE s = Target()->GetDisplayPictureSize();
    const DWORD* pixels = Target()->GetDisplayPicture();
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(pixels[static_cast<size_t>(s.cy) * s.cx - 1] & 0xFFFFFF, 0xFFFFFFu) << "the last row and column too";
    EXPECT_EQ(PaneColour(m_target, 10, 10), kWhite) << "the pane follows at once";
    ::SendMessageW(::GetDlgItem(dialog, 1053), BM_CLICK, 0, 0);
    EXPECT_EQ(Target()->m_adjust.mirror, 1);
    ::UpdateWindow(dialog);
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("color_adjust_dialog").c_str()));
    const POINT cancel = Center(::GetDlgItem(dialog, IDCANCEL));
    compat::host::InjectClick(0, cancel.x, cancel.y);
  });
  m_target.menuSteps = {[] { compat::host::InjectKeyPress(VK_DOWN); }, [] { compat::host::InjectKeyPress(VK_DOWN); },
                        [] { compat::host::InjectKeyPress(VK_RETURN); }};
  RightClick(m_target, 50, 50);
  Pump();
  EXPECT_EQ(Target()->m_adjust.brightness, 0.0f);
  EXPECT_EQ(Target()->m_adjust.hue, 5.0f);
  EXPECT_EQ(Target()->m_adjust.mirror, 0);
  EXPECT_EQ(Target()->GetDisplayPicture()[0], corner) << "the picture of before";
  EXPECT_FALSE(PaneColour(m_target, 10, 10) == kWhite);
}

TEST_F(PaneTest, PanesAreDisabledWhilePlaying) {
  GetMorphProject()->SetPlaying(1);
  EXPECT_FALSE(m_source.IsWindowEnabled());
  EXPECT_FALSE(m_target.IsWindowEnabled());
  GetMorphProject()->SetPlaying(0);
  EXPECT_TRUE(m_source.IsWindowEnabled());
}

}  // namespace
