// Painting: one WM_PAINT per invalidation with the right update rectangle,
// erasing, UpdateWindow, and the clipping of siblings and children seen in
// the drawing targets and the pixels.
#include <cstdio>
#include <string>

#include "compat/host.h"
#include "compat/win32/window_dc.h"
#include "window_test_support.h"

namespace wintest {
namespace {

class Painting : public WindowTest {
 protected:
  // A hidden 100 x 100 topmost popup of a CS_SAVEBITS class (as menus and
  // drop-down lists are), filled with the highlight colour.
  HWND SaveBitsPopup(int x, int y) {
    WNDCLASSW wc{};
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1);
    wc.lpszClassName = u"CalvettaTestSaveBits";
    RegisterClassW(&wc);  // fails harmlessly when an earlier case registered it
    return CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, u"", WS_POPUP, x, y, 100, 100, nullptr, nullptr, nullptr,
                           nullptr);
  }
};

struct PaintRecord {
  HWND hwnd;
  RECT rcPaint;
  BOOL fErase;
};
std::vector<PaintRecord> g_paints;

// Paints like a program: BeginPaint, remember what was asked, EndPaint.
bool RecordPaint(HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT* r) {
  if (m != WM_PAINT) return false;
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  g_paints.push_back(PaintRecord{hwnd, ps.rcPaint, ps.fErase});
  EndPaint(hwnd, &ps);
  *r = 0;
  return true;
}

bool SameRect(const RECT& a, const RECT& b) { return EqualRect(&a, &b) != FALSE; }

TEST_F(Painting, OnePaintPerInvalidationWithTheUpdateRectangle) {
  HWND hwnd = TopLevel(10, 10, 300, 200, WS_POPUP | WS_VISIBLE);
  Log().SetHandler(hwnd, RecordPaint);
  Pump();
  g_paints.clear();
  RECT a{10, 10, 50, 40}, b{100, 20, 120, 30};
  InvalidateRect(hwnd, &a, FALSE);
  InvalidateRect(hwnd, &b, FALSE);
  Pump();
  ASSERT_EQ(g_paints.size(), 1u);
  EXPECT_TRUE(SameRect(g_paints[0].rcPaint, RECT{10, 10, 120, 40}));
  EXPECT_FALSE(g_paints[0].fErase);
  Pump();
  EXPECT_EQ(g_paints.size(), 1u);  // validated: no second WM_PAINT
  // Validating part of it before the paint leaves the rest.
  InvalidateRect(hwnd, nullptr, TRUE);
  RECT left{0, 0, 150, 200};
  ValidateRect(hwnd, &left);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{150, 0, 300, 200}));
  Pump();
  ASSERT_EQ(g_paints.size(), 2u);
  EXPECT_TRUE(SameRect(g_paints[1].rcPaint, RECT{150, 0, 300, 200}));
  // Out-of-range rectangles are clipped to the client area.
  RECT huge{-1000, -1000, 100000, 100000};
  InvalidateRect(hwnd, &huge, FALSE);
  EXPECT_TRUE(GetUpdateRect(hwnd, &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{0, 0, 300, 200}));
}

TEST_F(Painting, UpdateWindowPaintsNowAndBeginPaintErases) {
  HWND hwnd = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  Log().SetHandler(hwnd, RecordPaint);
  Pump();
  Log().Clear();
  Log().SetHandler(hwnd, RecordPaint);
  g_paints.clear();
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateWindow(hwnd);
  ASSERT_EQ(g_paints.size(), 1u);
  EXPECT_EQ(Log().Filtered({WM_ERASEBKGND, WM_PAINT}, hwnd), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
  EXPECT_FALSE(g_paints[0].fErase);  // DefWindowProc erased with the class brush
  UpdateWindow(hwnd);
  EXPECT_EQ(g_paints.size(), 1u);
  // Hidden windows take no invalidation.
  ShowWindow(hwnd, SW_HIDE);
  InvalidateRect(hwnd, nullptr, TRUE);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(hwnd, &update, FALSE));
}

TEST_F(Painting, ParentInvalidationReachesChildrenUnlessItClipsThem) {
  HWND parent = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = Child(parent, 50, 50, 100, 100);
  Pump();
  RECT update;
  RECT part{0, 0, 60, 60};
  InvalidateRect(parent, &part, FALSE);
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
  EXPECT_TRUE(SameRect(update, RECT{0, 0, 10, 10}));
  Pump();
  SetWindowLongPtrW(parent, GWL_STYLE, GetWindowLongPtrW(parent, GWL_STYLE) | WS_CLIPCHILDREN);
  InvalidateRect(parent, &part, FALSE);
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
  Pump();
  RedrawWindow(parent, &part, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  EXPECT_TRUE(GetUpdateRect(child, &update, FALSE));
}

// A frame change that leaves the client area where it was redraws the frame
// alone; one that moves the client area (a border added) repaints it all.
TEST_F(Painting, AFrameChangeRepaintsTheClientOnlyWhenTheClientAreaMoved) {
  HWND top = TopLevel(20, 20, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  HWND child = Child(top, 10, 10, 80, 60);
  Pump();
  Log().Clear();
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
  SetWindowPos(top, nullptr, 0, 0, 0, 0, keep);
  RECT update;
  EXPECT_FALSE(GetUpdateRect(top, &update, FALSE));
  EXPECT_FALSE(GetUpdateRect(child, &update, FALSE));
  Pump();
  EXPECT_EQ(Log().Count(top, WM_NCPAINT), 1);
  EXPECT_EQ(Log().Count(child, WM_PAINT), 0);

  HWND bare = TopLevel(340, 20, 200, 150, WS_POPUP | WS_VISIBLE);
  HWND inner = Child(bare, 10, 10, 50, 50);
  Pump();
  Log().Clear();
  SetWindowLongPtrW(bare, GWL_STYLE, GetWindowLongPtrW(bare, GWL_STYLE) | WS_BORDER);
  SetWindowPos(bare, nullptr, 0, 0, 0, 0, keep);
  EXPECT_TRUE(GetUpdateRect(bare, &update, FALSE));
  Pump();
  EXPECT_EQ(Log().Count(bare, WM_PAINT), 1);
  EXPECT_EQ(Log().Count(inner, WM_PAINT), 1);
}

// A child larger than its parent showed only inside the parent: moving or
// hiding it repaints neither the window beside the parent nor the desktop there.
TEST_F(Painting, AMovedChildUncoversOnlyWhatItsParentShowed) {
  HWND parent = TopLevel(0, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND beside = TopLevel(200, 0, 200, 200, WS_POPUP | WS_VISIBLE);
  HWND child = Child(parent, 0, 0, 400, 400);
  Pump();
  auto surface = compat::host::DesktopSurface();
  const uint32_t mark = 0xFF123456u;
  surface->Row(300)[100] = mark;  // on the desktop, below both windows
  RECT update;
  SetWindowPos(child, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(GetUpdateRect(beside, &update, FALSE));
  ShowWindow(child, SW_HIDE);
  EXPECT_FALSE(GetUpdateRect(beside, &update, FALSE));
  EXPECT_TRUE(GetUpdateRect(parent, &update, FALSE));
  EXPECT_EQ(surface->Row(300)[100], mark);
}

RECT Bounds(const std::vector<RECT>& rects) {
  RECT b{0, 0, 0, 0};
  for (const RECT& r : rects) UnionRect(&b, &b, &r);
  return b;
}

long Area(const std::vector<RECT>& rects) {
  long area = 0;
  for (const RECT& r : rects) area += static_cast<long>(r.right - r.left) * (r.bottom - r.top);
  return area;
}

TEST_F(Painting, DrawTargetsClipSiblingsChildrenAndOverlappingWindows) {
  HWND parent = TopLevel(100, 100, 200, 200, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND left = Child(parent, 0, 0, 100, 100, 1, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND over = Child(parent, 50, 50, 100, 100, 2, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  compat::DrawTarget target;
  ASSERT_TRUE(compat::QueryWindowDrawTarget(parent, true, &target));
  EXPECT_EQ(target.origin.x, 100);
  // The parent loses both children's areas: 200*200 - (100*100 + 100*100 - 50*50).
  EXPECT_EQ(Area(target.visible), 200 * 200 - 17500);
  // `left` is below `over` in z-order (created first = top), so `over` loses the overlap.
  ASSERT_TRUE(compat::QueryWindowDrawTarget(over, true, &target));
  EXPECT_EQ(Area(target.visible), 100 * 100 - 50 * 50);
  ASSERT_TRUE(compat::QueryWindowDrawTarget(left, true, &target));
  EXPECT_EQ(Area(target.visible), 100 * 100);
  // A top-level window over part of the parent clips all of it.
  HWND cover = TopLevel(0, 0, 150, 150, WS_POPUP | WS_VISIBLE);
  ASSERT_TRUE(compat::QueryWindowDrawTarget(left, true, &target));
  EXPECT_EQ(Area(target.visible), 100 * 100 - 50 * 50);
  EXPECT_TRUE(SameRect(Bounds(target.visible), RECT{100, 100, 200, 200}));
  DestroyWindow(cover);
  ShowWindow(parent, SW_HIDE);
  ASSERT_TRUE(compat::QueryWindowDrawTarget(left, true, &target));
  EXPECT_TRUE(target.visible.empty());
}

uint32_t Pixel(int x, int y) { return compat::host::DesktopSurface()->Row(y)[x] & 0xFFFFFF; }
uint32_t Expected(int color) {
  COLORREF c = GetSysColor(color);
  return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST_F(Painting, DefaultPaintingDrawsTheClassicFrameAndClassBackground) {
  HWND hwnd = TopLevel(50, 50, 300, 200);
  Pump();
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  // The client is erased with COLOR_WINDOW, the active caption in its colour.
  EXPECT_EQ(Pixel(origin.x + 5, origin.y + 5), Expected(COLOR_WINDOW));
  EXPECT_EQ(Pixel(50 + 100, 50 + 4 + 8), Expected(COLOR_ACTIVECAPTION));
  // The outer edge is the raised 3D frame: light top-left, dark bottom-right.
  EXPECT_EQ(Pixel(50 + 100, 50), Expected(COLOR_3DLIGHT));
  EXPECT_EQ(Pixel(50 + 100, 50 + 199), Expected(COLOR_3DDKSHADOW));
  // The desktop shows around it.
  EXPECT_EQ(Pixel(10, 10), Expected(COLOR_BACKGROUND));
  // A second window on top deactivates the first: its caption turns grey.
  HWND other = TopLevel(500, 300, 200, 100);
  Pump();
  EXPECT_EQ(GetActiveWindow(), other);
  EXPECT_EQ(Pixel(50 + 100, 50 + 4 + 8), Expected(COLOR_INACTIVECAPTION));
  // Moving the top window away repaints the desktop where it was.
  MoveWindow(other, 600, 400, 100, 100, TRUE);
  Pump();
  EXPECT_EQ(Pixel(510, 310), Expected(COLOR_BACKGROUND));
}


// Validates without drawing, as a window that a renderer presents into does.
bool PaintNothing(HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT* r) {
  if (m == WM_ERASEBKGND) {
    *r = TRUE;
    return true;
  }
  if (m != WM_PAINT) return false;
  PAINTSTRUCT ps;
  BeginPaint(hwnd, &ps);
  EndPaint(hwnd, &ps);
  *r = 0;
  return true;
}

// A menu-like popup (CS_SAVEBITS) puts back what it covered as it hides;
// one that moved while shown leaves it to the windows beneath.
TEST_F(Painting, ASaveBitsPopupPutsBackWhatItCovered) {
  HWND beneath = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  Pump();
  Log().SetHandler(beneath, PaintNothing);
  HDC dc = GetDC(beneath);
  const RECT all{0, 0, 300, 300};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  FillRect(dc, &all, red);
  ReleaseDC(beneath, dc);
  DeleteObject(red);
  HWND popup = SaveBitsPopup(50, 50);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  Pump();
  EXPECT_EQ(Pixel(100, 100), Expected(COLOR_HIGHLIGHT));
  ShowWindow(popup, SW_HIDE);
  Pump();
  EXPECT_EQ(Pixel(100, 100), 0xFF0000u);
  EXPECT_EQ(Pixel(50, 50), 0xFF0000u);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  SetWindowPos(popup, nullptr, 60, 60, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  ShowWindow(popup, SW_HIDE);
  Pump();
  EXPECT_EQ(Pixel(100, 100), Expected(COLOR_HIGHLIGHT)) << "bits saved at another place are not put back";
  DestroyWindow(popup);
}

// When such a popup closes, a child that draws itself at once (a button let
// go as its menu returns) stays drawn: its parent, which does not clip its
// children, is not asked to paint there again. What was invalidated beneath
// while the popup stood is painted afresh.
TEST_F(Painting, AClosedSaveBitsPopupLeavesAChildThatDrewAtOnceAndRepaintsWhatChangedBeneath) {
  static COLORREF parentColour = RGB(0, 0, 255);
  auto fill = [](COLORREF colour) {
    return [colour](HWND hwnd, UINT m, WPARAM, LPARAM, LRESULT* r) {
      if (m != WM_PAINT) return false;
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      HBRUSH brush = CreateSolidBrush(colour == CLR_INVALID ? parentColour : colour);
      RECT all;
      GetClientRect(hwnd, &all);
      FillRect(dc, &all, brush);
      DeleteObject(brush);
      EndPaint(hwnd, &ps);
      *r = 0;
      return true;
    };
  };
  HWND parent = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = Child(parent, 40, 40, 60, 60);
  Log().SetHandler(parent, fill(CLR_INVALID));
  Log().SetHandler(child, fill(RGB(0, 255, 0)));
  InvalidateRect(parent, nullptr, TRUE);
  Pump();
  ASSERT_EQ(Pixel(70, 70), 0x00FF00u);
  HWND popup = SaveBitsPopup(20, 20);
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  Pump();
  ShowWindow(popup, SW_HIDE);
  RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Pump();
  EXPECT_EQ(Pixel(70, 70), 0x00FF00u) << "the parent painted over its child";
  EXPECT_EQ(Pixel(25, 25), 0x0000FFu);
  // The parent changes colour while the popup covers part of it.
  ShowWindow(popup, SW_SHOWNOACTIVATE);
  Pump();
  parentColour = RGB(255, 255, 0);
  InvalidateRect(parent, nullptr, TRUE);
  Pump();
  ShowWindow(popup, SW_HIDE);
  Pump();
  EXPECT_EQ(Pixel(25, 25), 0xFFFF00u) << "the saved screen came back over a change";
  EXPECT_EQ(Pixel(70, 70), 0x00FF00u);
  DestroyWindow(popup);
}

TEST_F(Painting, OneWindowCanBeWrittenToAPngFile) {
  HWND hwnd = TopLevel(100, 80, 200, 120);
  Pump();
  const std::string path = ::testing::TempDir() + "calvetta_window.png";
  ASSERT_TRUE(compat::WriteWindowPng(hwnd, path.c_str()));
  FILE* pipe = popen(("identify -format '%w %h' '" + path + "'").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char size[64] = {};
  fgets(size, sizeof(size), pipe);
  pclose(pipe);
  EXPECT_STREQ(size, "200 120");
  EXPECT_FALSE(compat::WriteWindowPng(reinterpret_cast<HWND>(0x7777), path.c_str()));
  std::remove(path.c_str());
}


TEST_F(Painting, PresentedFramesLandInTheClientAreaClippedAndScaled) {
  HWND view = TopLevel(100, 100, 200, 100, WS_POPUP | WS_VISIBLE);
  HWND cover = TopLevel(150, 150, 50, 50, WS_POPUP | WS_VISIBLE);
  Pump();
  // A 4x2 frame: left half red, right half green, shown over 200x100.
  std::vector<uint32_t> frame(4 * 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) frame[y * 4 + x] = x < 2 ? 0x00FF0000u : 0x0000FF00u;
  compat::PresentToWindow(view, RECT{0, 0, 200, 100}, frame.data(), 4, RECT{0, 0, 4, 2});
  EXPECT_EQ(Pixel(110, 110), 0xFF0000u);
  EXPECT_EQ(Pixel(290, 190), 0x00FF00u);
  EXPECT_EQ(Pixel(160, 160), Expected(COLOR_WINDOW));  // the covering window is left alone
  // Nonsense rectangles and pitches change nothing.
  compat::PresentToWindow(view, RECT{0, 0, 200, 100}, frame.data(), 2, RECT{0, 0, 4, 2});
  compat::PresentToWindow(view, RECT{0, 0, 0, 100}, frame.data(), 4, RECT{0, 0, 4, 2});
  compat::PresentToWindow(reinterpret_cast<HWND>(0x4242), RECT{0, 0, 10, 10}, frame.data(), 4, RECT{0, 0, 4, 2});
  EXPECT_EQ(Pixel(110, 110), 0xFF0000u);
  DestroyWindow(cover);
}

}  // namespace
}  // namespace wintest
