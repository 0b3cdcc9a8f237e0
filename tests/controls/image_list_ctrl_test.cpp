// The image list control as the swatch pages and the pair list use it:
// inserting, removing and selecting, its notifications and buttons,
// scrolling, moving a pair by drag, and dragging a swatch onto colour icons
// past other windows; and the drag cursor made from a fill.
#include <functional>
#include <utility>

#include "color_icon_test_support.h"
#include "compat/win32/gdi_internal.h"
#include "controls/image_list_ctrl.h"
#include "custom_controls_test_support.h"
#include "model/raster/fill_drag_cursor.h"
#include "model/project/morph_project.h"
#include "res/resource.h"

namespace {

using controls::CImageListCtrl;
using customtest::CustomControlTest;

// Every 0x430 sent on this thread, to which window and with which wParam,
// and the cursor shown when it was sent.
struct SwatchMessage {
  HWND hwnd;
  WPARAM wParam;
  HCURSOR cursor;
};
std::vector<SwatchMessage> g_swatchMessages;
HHOOK g_hook = nullptr;
int g_quitOnQuery = 0;  // posts WM_QUIT with this code from inside the drag when set
std::function<void()> g_onDrop;  // runs inside the drag loop, as the drop is sent

LRESULT CALLBACK RecordSwatchMessages(int code, WPARAM wParam, LPARAM lParam) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code >= 0 && sent->message == WM_SWATCH_DRAGDROP) {
    g_swatchMessages.push_back({sent->hwnd, sent->wParam, GetCursor()});
    if (g_quitOnQuery) PostQuitMessage(std::exchange(g_quitOnQuery, 0));
    if (sent->wParam == controls::kSwatchDrop && g_onDrop) g_onDrop();
  }
  return CallNextHookEx(g_hook, code, wParam, lParam);
}

class ImageListTest : public CustomControlTest {
 protected:
  void SetUp() override {
    CustomControlTest::SetUp();
    controls::SetColorIconHost(&host_);
    g_swatchMessages.clear();
    g_hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordSwatchMessages, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    g_onDrop = nullptr;
    UnhookWindowsHookEx(g_hook);
    for (HBITMAP b : bitmaps_) DeleteObject(b);
    CustomControlTest::TearDown();
    controls::SetColorIconHost(nullptr);
  }
  HWND MakeList(DWORD style, int x, int y, int cx, int cy, int id = 1180) {
    HWND hwnd = Make(u"ImageListCtrl", u"", style, x, y, cx, cy, id);
    Pump();
    return hwnd;
  }
  static CImageListCtrl& List(HWND hwnd) { return *controls::ImageListCtrlFromHandle(hwnd); }
  // A cell-sized picture of one colour.
  CBitmap* Solid(COLORREF color, int cx = 23, int cy = 23) {
    bitmaps_.push_back(controltest::FaceBitmap(cx, cy, {{RECT{0, 0, cx, cy}, color}}));
    return CBitmap::FromHandle(bitmaps_.back());
  }
  // The colour in the middle of item i as the desktop shows it.
  static COLORREF ItemColor(HWND list, int i) {
    const CImageListCtrl& object = List(list);
    const int x = object.m_cellSize.cx * (i % object.m_nColumns) + object.m_cellSize.cx / 2;
    const int y = object.m_cellSize.cy * (i / object.m_nColumns) + object.m_cellSize.cy / 2 - object.m_scrollBar.GetScrollPos();
    return PixelAt(At(list, x, y));
  }
  std::vector<std::pair<UINT, HWND>> Commands() {
    std::vector<std::pair<UINT, HWND>> commands;
    for (const wintest::Logged& e : Log().Entries()) {
      if (e.hwnd == parent_ && e.message == WM_COMMAND)
        commands.emplace_back(LOWORD(e.wParam), reinterpret_cast<HWND>(e.lParam));
    }
    return commands;
  }

  customtest::StandInIconHost host_;
  std::vector<HBITMAP> bitmaps_;
};

const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255), kYellow = RGB(255, 255, 0);

TEST_F(ImageListTest, InsertingRemovingAndSelecting) {
  HWND list = MakeList(0, 40, 40, 90, 80);
  CImageListCtrl& object = List(list);
  EXPECT_EQ(object.GetSelection(), -1);
  EXPECT_FALSE(IsWindowEnabled(object.m_scrollBar.m_hWnd) && object.m_scrollBar.GetScrollLimit() > 0);
  Click(At(list, 10, 10));  // nothing to hit
  EXPECT_TRUE(notes_.empty());

  object.InsertImage(-1, Solid(kRed));
  EXPECT_EQ(object.GetSelection(), 0);  // the first item is selected
  object.InsertImage(-1, Solid(kGreen));
  object.InsertImage(0, Solid(kBlue));  // moved to the front
  object.InsertImage(2, Solid(kYellow));  // before the last item, not after it
  object.InsertImage(9, Solid(kRed));     // past the end: stays last
  ASSERT_EQ(object.GetCount(), 5);
  const COLORREF order[] = {kBlue, kRed, kYellow, kGreen, kRed};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ItemColor(list, i), order[i]) << i;
  EXPECT_EQ(object.GetSelection(), 0);
  EXPECT_TRUE(notes_.empty());  // inserting tells nobody

  object.SetSelection(40);
  EXPECT_EQ(object.GetSelection(), 4);
  object.SetSelection(-3);
  EXPECT_EQ(object.GetSelection(), 0);
  EXPECT_TRUE(notes_.empty());
  object.SetSelection(4);
  object.RemoveImage(4);  // the selected last item: the new last one
  EXPECT_EQ(object.GetSelection(), 3);
  object.SetSelection(1);
  object.RemoveImage(0);  // another item: the index stays
  EXPECT_EQ(object.GetSelection(), 1);
  object.RemoveImage(7);  // out of range: ignored, no note
  EXPECT_EQ(object.GetCount(), 3);
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{2060, 2060}));
  object.RemoveAll();
  EXPECT_EQ(object.GetSelection(), -1);
  EXPECT_EQ(object.GetCount(), 0);
  object.InsertImage(-1, Solid(kGreen));
  object.SetSelection(0);
  object.RemoveImage(0);  // the only item
  EXPECT_EQ(object.GetSelection(), -1);
  EXPECT_EQ(object.HitTest(CPoint(5, 5)), -1);
}

TEST_F(ImageListTest, PressesDoubleClicksAndTheButtonTellTheOwner) {
  HWND list = MakeList(controls::kListTooltips, 40, 40, 90, 80);
  CImageListCtrl& object = List(list);
  for (COLORREF c : {kRed, kGreen, kBlue, kYellow}) object.InsertImage(-1, Solid(c));
  Click(At(list, 30, 10));  // item 1
  EXPECT_EQ(object.GetSelection(), 1);
  Click(At(list, 30, 10));  // the same item again: a double click
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{2060, 2070}));
  notes_.clear();
  compat::AdvanceClock(1000);
  Click(At(list, 60, 60));  // empty space: told, the selection kept
  EXPECT_EQ(object.GetSelection(), 1);
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{2060}));
  notes_.clear();
  compat::AdvanceClock(1000);
  RECT button;
  GetWindowRect(object.m_buttons[0].m_hWnd, &button);
  RECT listRect;
  GetWindowRect(list, &listRect);
  EXPECT_EQ(button.right, listRect.right);  // the square at the top right
  EXPECT_EQ(button.top, listRect.top);
  Click(Center(object.m_buttons[0].m_hWnd));
  EXPECT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyListButton}));
  WritePng(parent_, "image_list_swatches");

  HWND bare = MakeList(controls::kListNoButton, 200, 40, 90, 80, 1181);
  EXPECT_FALSE(IsWindowVisible(List(bare).m_buttons[0].m_hWnd));
  RECT bar;
  GetWindowRect(List(bare).m_scrollBar.m_hWnd, &bar);
  GetWindowRect(bare, &listRect);
  EXPECT_EQ(bar.top, listRect.top);  // the scroll bar has the whole height
}

// The framework's pump hands every mouse move to PreTranslateMessage; the
// owner's callback hears which item is under the pointer.
TEST_F(ImageListTest, TheTooltipCallbackHearsTheItemUnderThePointer) {
  HWND list = MakeList(controls::kListTooltips, 40, 40, 90, 80);
  CImageListCtrl& object = List(list);
  for (COLORREF c : {kRed, kGreen}) object.InsertImage(-1, Solid(c));
  std::vector<int> asked;
  object.SetTooltipTextProc([&](CImageListCtrl& from, CToolTipCtrl& tooltip, int index) {
    EXPECT_EQ(&from, &object);
    EXPECT_EQ(&tooltip, &object.m_tooltip);
    asked.push_back(index);
  });
  for (POINT p : {POINT{30, 10}, POINT{5, 5}, POINT{60, 60}}) {
    MSG msg{list, WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y), 0, {}};
    object.PreTranslateMessage(&msg);
  }
  EXPECT_EQ(asked, (std::vector<int>{1, 0, -1}));
}

TEST_F(ImageListTest, TheScrollBarMovesTheGridOnePixelALine) {
  HWND list = MakeList(controls::kListNoButton, 40, 40, 16 + 69, 50);
  CImageListCtrl& object = List(list);
  for (int i = 0; i < 12; ++i) object.InsertImage(-1, Solid(i % 2 ? kRed : kBlue));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  object.m_scrollBar.GetScrollInfo(&info, SIF_ALL);
  EXPECT_EQ(info.nMax, 92);  // four rows of 23
  EXPECT_EQ(info.nPage, 50u);
  EXPECT_EQ(object.HitTest(CPoint(5, 23)), 3);
  HWND bar = object.m_scrollBar.m_hWnd;
  RECT r;
  GetClientRect(bar, &r);
  Click(At(bar, 8, r.bottom - 8));  // the down arrow
  EXPECT_EQ(object.m_scrollBar.GetScrollPos(), 1);
  EXPECT_EQ(object.HitTest(CPoint(5, 22)), 3);  // the grid moved up a pixel
  SendMessageW(list, WM_VSCROLL, SB_BOTTOM, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(object.m_scrollBar.GetScrollPos(), 42);  // the maximum less the page
  SendMessageW(list, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(object.m_scrollBar.GetScrollPos(), 42);
  SendMessageW(list, WM_VSCROLL, SB_PAGEUP, reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(object.m_scrollBar.GetScrollPos(), 0);
  SendMessageW(list, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30), reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(object.m_scrollBar.GetScrollPos(), 30);
  EXPECT_EQ(ItemColor(list, 4), kBlue);
}

TEST_F(ImageListTest, ThePairListsButtonsAreCommandsAndADragMovesThePair) {
  CMorphProject* project = GetMorphProject();
  while (project->GetPairCount() < 3) project->InsertPair();
  CMorphPair* first = project->PairAt(0);
  project->SelectPair(0);
  HWND list = MakeList(ILCS_PAIR_LIST, 40, 40, 16 + 120, 120);
  CImageListCtrl& object = List(list);
  object.SetColumns(1);
  object.SetCellSize(SIZE{100, 30});
  for (COLORREF c : {kRed, kGreen, kBlue}) object.InsertImage(-1, Solid(c, 100, 30));
  ClearLog();
  for (int i = 0; i < 4; ++i) {
    compat::AdvanceClock(1000);
    Click(Center(object.m_buttons[i].m_hWnd));
  }
  const std::vector<std::pair<UINT, HWND>> expected{{1001, list}, {1002, list}, {1003, list}, {1004, list}};
  EXPECT_EQ(Commands(), expected);
  EXPECT_EQ(object.m_buttons[0].GetToggle(), 0);  // push buttons, not toggles
  WritePng(parent_, "image_list_pairs");

  Press(At(list, 50, 15));  // the current pair
  EXPECT_TRUE(object.m_bPairDrag);
  MoveTo(At(list, 50, 50));
  MoveTo(At(list, 50, 75));
  ReleaseAt(At(list, 50, 75));
  EXPECT_FALSE(object.m_bPairDrag);
  EXPECT_EQ(project->PairAt(2), first);
  EXPECT_EQ(project->GetCurrentIndex(), 2);
  Press(At(list, 50, 75));  // dropped where it started: nothing moves
  ReleaseAt(At(list, 50, 75));
  EXPECT_EQ(project->PairAt(2), first);
}

class SwatchDragTest : public ImageListTest {
 protected:
  void SetUp() override {
    ImageListTest::SetUp();
    list_ = MakeList(0, 20, 40, 90, 80);
    List(list_).InsertImage(-1, Solid(kGreen));
    List(list_).SetDragFillProc([this](CImageListCtrl&) { return &fill_; });
    fill_.color = 0xFF00FF00;
    icon_ = Make(u"ColorIconCtrl", u"", controls::kIconColor, 200, 40, 40, 40, 1016);
    picture_ = Make(u"ColorIconCtrl", u"", controls::kIconPicture, 260, 40, 40, 40, 1019);
    toolbar_ = Make(TOOLBARCLASSNAMEW, u"", CCS_NORESIZE | CCS_NOPARENTALIGN, 200, 120, 120, 30, 900);
    images_ = ImageList_Create(16, 16, ILC_COLOR32, 0, 4);
    SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
    plain_ = Make(u"Static", u"", SS_WHITERECT, 340, 40, 40, 40, 901);
    Pump();
    g_swatchMessages.clear();  // TB_SETIMAGELIST above is 0x430 too
  }
  void TearDown() override {
    ImageList_Destroy(images_);
    ImageListTest::TearDown();
  }
  std::vector<std::pair<HWND, WPARAM>> Sent() const {
    std::vector<std::pair<HWND, WPARAM>> sent;
    for (const SwatchMessage& m : g_swatchMessages) sent.emplace_back(m.hwnd, m.wParam);
    return sent;
  }
  // Injected only; the drag loop takes them once the press is dispatched.
  static void QueueMove(POINT p) { compat::host::InjectMouseMove(p.x, p.y); }

  CFillStyle fill_;
  HWND list_ = nullptr, icon_ = nullptr, picture_ = nullptr, toolbar_ = nullptr, plain_ = nullptr;
  HIMAGELIST images_ = nullptr;
};

TEST_F(SwatchDragTest, ADragAsksEachIconOnceAndDropsOnTheOneUnderTheRelease) {
  const POINT start = At(list_, 10, 10);
  compat::host::InjectMouseMove(start.x, start.y);
  compat::host::InjectMouseButton(0, true, start.x, start.y);
  QueueMove(At(list_, 30, 30));
  QueueMove(Center(plain_));
  QueueMove(Center(icon_));
  QueueMove(At(icon_, 5, 5));     // still the same icon: not asked again
  QueueMove(Center(picture_));    // refuses a colour
  QueueMove(Center(toolbar_));    // not an icon: never asked
  QueueMove(Center(icon_));       // entered again: asked again
  compat::host::InjectMouseButton(0, false, Center(icon_).x, Center(icon_).y);
  Pump();
  const std::vector<std::pair<HWND, WPARAM>> expected{
      {icon_, controls::kSwatchQuery}, {picture_, controls::kSwatchQuery}, {icon_, controls::kSwatchQuery},
      {icon_, controls::kSwatchDrop}};
  EXPECT_EQ(Sent(), expected);
  const HCURSOR accepted = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_DROP_ACCEPTED));
  ASSERT_EQ(g_swatchMessages.size(), 4u);
  EXPECT_NE(g_swatchMessages[0].cursor, accepted);  // the drag cursor before any answer
  EXPECT_EQ(g_swatchMessages[1].cursor, accepted);  // the first icon took it
  EXPECT_NE(g_swatchMessages[2].cursor, accepted);  // the picture swatch refused it
  EXPECT_EQ(SendMessageW(toolbar_, TB_GETIMAGELIST, 0, 0), reinterpret_cast<LRESULT>(images_));
  EXPECT_EQ(controls::ColorIconFromHandle(icon_)->Fill().color, 0xFF00FF00u);
  ASSERT_EQ(NotifyCodes(), (std::vector<UINT>{controls::kNotifyFillChanged}));
  EXPECT_EQ(notes_[0].id, 1016u);
  EXPECT_EQ(host_.Names(), (std::vector<std::string>{"picker"}));  // the drop acts as a click
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_NE(GetCursor(), accepted);  // the cursor from before the drag is back
}

TEST_F(SwatchDragTest, NoMoveOrAReleaseInsideDropsNothing) {
  Click(At(list_, 10, 10));
  EXPECT_TRUE(g_swatchMessages.empty());
  EXPECT_EQ(GetCapture(), nullptr);
  const POINT start = At(list_, 10, 10);
  compat::AdvanceClock(1000);
  compat::host::InjectMouseButton(0, true, start.x, start.y);
  QueueMove(Center(icon_));
  QueueMove(At(list_, 40, 40));
  compat::host::InjectMouseButton(0, false, At(list_, 40, 40).x, At(list_, 40, 40).y);
  Pump();
  const std::vector<std::pair<HWND, WPARAM>> expected{{icon_, controls::kSwatchQuery}};
  EXPECT_EQ(Sent(), expected);  // asked on the way, nothing dropped
  EXPECT_EQ(controls::ColorIconFromHandle(icon_)->Fill().color, 0xFF808080u);
}

TEST_F(SwatchDragTest, AQuitPostedDuringTheDragSurvivesIt) {
  const POINT start = At(list_, 10, 10);
  compat::host::InjectMouseMove(start.x, start.y);
  compat::host::InjectMouseButton(0, true, start.x, start.y);
  QueueMove(Center(icon_));
  QueueMove(At(list_, 30, 30));
  g_quitOnQuery = 7;  // posted while the loop runs, from the icon's query
  Pump();
  EXPECT_EQ(GetCapture(), nullptr);  // the loop ended
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  compat::host::InjectMouseButton(0, false, Center(icon_).x, Center(icon_).y);
  Pump();
  for (const SwatchMessage& m : g_swatchMessages) EXPECT_NE(m.wParam, controls::kSwatchDrop);
}

// Input comes before paint and timers, so the release waits for a timer
// that only a loop dispatching timers runs; by then the pending paint must
// have been done too.
TEST_F(SwatchDragTest, PaintAndTimersRunDuringTheDrag) {
  static POINT s_release;
  static int s_ticks;
  s_release = Center(icon_);
  s_ticks = 0;
  SetTimer(plain_, 5, 10, [](HWND hwnd, UINT, UINT_PTR id, DWORD) {
    if (s_ticks++ == 0) compat::host::InjectMouseButton(0, false, s_release.x, s_release.y);
    KillTimer(hwnd, id);
  });
  InvalidateRect(plain_, nullptr, TRUE);
  const POINT start = At(list_, 10, 10);
  compat::host::InjectMouseMove(start.x, start.y);
  compat::host::InjectMouseButton(0, true, start.x, start.y);
  QueueMove(Center(icon_));
  compat::AdvanceClock(50);
  BOOL unpaintedAtDrop = TRUE;
  g_onDrop = [&] {
    RECT update;
    unpaintedAtDrop = GetUpdateRect(plain_, &update, FALSE);
  };
  Pump();
  EXPECT_EQ(s_ticks, 1);
  EXPECT_FALSE(unpaintedAtDrop);
  EXPECT_EQ(controls::ColorIconFromHandle(icon_)->Fill().color, 0xFF00FF00u);
}

// A bitmap's pixels as 32-bit values, rows top-down.
std::vector<uint32_t> Pixels32(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info)) return {};
  BITMAPINFO header{};
  header.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header.bmiHeader.biWidth = info.bmWidth;
  header.bmiHeader.biHeight = -info.bmHeight;
  header.bmiHeader.biPlanes = 1;
  header.bmiHeader.biBitCount = 32;
  header.bmiHeader.biCompression = BI_RGB;
  std::vector<uint32_t> pixels(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return pixels;
}

TEST_F(ImageListTest, TheDragCursorWearsTheFillOnCursor33sShape) {
  MakeList(0, 40, 40, 90, 80);  // the first list loads cursor 33's record
  ICONINFO& record = FillDragIconInfo();
  ASSERT_NE(record.hbmColor, nullptr);
  HCURSOR shape = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDC_FILL_DRAG));
  ICONINFO resourceInfo{};
  ASSERT_TRUE(GetIconInfo(shape, &resourceInfo));
  CFillStyle fill;
  fill.color = 0xFF2050A0;
  HICON cursor = MakeFillDragCursor(fill);
  ASSERT_NE(cursor, nullptr);
  std::vector<uint32_t> pixels;
  SIZE size{};
  POINT hot{};
  ASSERT_TRUE(compat::IconPixels(cursor, &pixels, &size, &hot));
  EXPECT_EQ(size.cx, 64);
  EXPECT_EQ(size.cy, 64);
  EXPECT_EQ(hot.x, 31);
  EXPECT_EQ(hot.y, 31);
  ICONINFO made{};
  ASSERT_TRUE(GetIconInfo(cursor, &made));
  EXPECT_EQ(made.xHotspot, 31u);
  EXPECT_FALSE(made.fIcon);
  // Where the shape is opaque the colour is the fill's; the mask is cursor 33's.
  int opaque = 0;
  for (uint32_t p : pixels) {
    if ((p >> 24) == 0) continue;
    ++opaque;
    EXPECT_EQ(p & 0xFFFFFF, 0x2050A0u);
  }
  EXPECT_GT(opaque, 0);
  EXPECT_EQ(Pixels32(made.hbmMask), Pixels32(resourceInfo.hbmMask));
  const std::vector<uint32_t> colour = Pixels32(made.hbmColor);
  ASSERT_EQ(colour.size(), 64u * 64u);
  for (uint32_t p : colour) ASSERT_EQ(p & 0xFFFFFF, 0x2050A0u);
  DestroyIcon(cursor);
  for (HBITMAP b : {made.hbmMask, made.hbmColor, resourceInfo.hbmMask, resourceInfo.hbmColor})
    if (b) DeleteObject(b);

  const size_t before = compat::gdi::ObjectCount();
  for (int i = 0; i < 1000; ++i) DestroyIcon(MakeFillDragCursor(fill));
  EXPECT_EQ(compat::gdi::ObjectCount(), before);
}

}  // namespace
