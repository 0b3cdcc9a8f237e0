// Cursors: standard and resource cursors, the class cursor over the client
// area, ShowCursor counting, DragDetect.
#include "compat/host.h"
#include "compat/resource_table.h"
#include "window_test_support.h"

namespace wintest {
namespace {

using Cursors = WindowTest;
namespace host = compat::host;

// A cursor group that promises an image its data does not hold.
const BYTE kCursorGroup[8] = {0, 0, 2, 0, 1, 0, 0, 0};
compat::ResourceEntry g_entries[] = {{12, 501, kCursorGroup, sizeof(kCursorGroup)}};
compat::ResourceTable g_table{g_entries, 1, compat::ResourceModule::Program, "cursor_test", nullptr};
const bool g_registered = compat::RegisterResourceTable(g_table);

TEST_F(Cursors, StandardAndResourceCursorsHaveLastingHandles) {
  ASSERT_TRUE(g_registered);
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  EXPECT_NE(arrow, nullptr);
  EXPECT_EQ(LoadCursorW(nullptr, IDC_ARROW), arrow);
  EXPECT_NE(LoadCursorW(nullptr, IDC_SIZEWE), arrow);
  EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(1)), nullptr);
  HINSTANCE program = reinterpret_cast<HINSTANCE>(0x400000);
  HCURSOR custom = LoadCursorW(program, MAKEINTRESOURCEW(33));  // resource_calls_test.rc
  ASSERT_NE(custom, nullptr);
  EXPECT_EQ(LoadCursorW(program, MAKEINTRESOURCEW(33)), custom);
  EXPECT_EQ(LoadCursorW(program, MAKEINTRESOURCEW(501)), nullptr);
  EXPECT_EQ(LoadCursorW(program, MAKEINTRESOURCEW(502)), nullptr);
  SetCursor(custom);
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Custom);
  EXPECT_EQ(GetCursor(), custom);
  // A negative show count hides it; showing again brings it back.
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Hidden);
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Custom);
}

TEST_F(Cursors, TheClassCursorShowsOverTheClientUnlessTheParentDecides) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = LoggingProc;
  wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  wc.lpszClassName = u"CrossCursor";
  RegisterClassW(&wc);
  HWND top = TopLevel(100, 100, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = CreateWindowExW(0, u"CrossCursor", u"", WS_CHILD | WS_VISIBLE, 10, 10, 100, 100, top, nullptr,
                               nullptr, nullptr);
  host::InjectMouseMove(150, 150);
  Pump();
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Cross);
  // The parent answers WM_SETCURSOR itself: the child's class cursor is not used.
  Log().SetHandler(top, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_SETCURSOR) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    *r = TRUE;
    return true;
  });
  host::InjectMouseMove(151, 150);
  Pump();
  EXPECT_EQ(host::CurrentCursor(), host::CursorShape::Wait);
  EXPECT_GE(Log().Count(child, WM_SETCURSOR), 2);
}

TEST_F(Cursors, DragDetectTellsADragFromAClick) {
  HWND hwnd = TopLevel(100, 100, 300, 300, WS_POPUP | WS_VISIBLE);
  Pump();
  host::InjectMouseButton(0, true, 150, 150);
  host::InjectMouseMove(152, 151);  // within the drag rectangle
  host::InjectMouseMove(170, 150);  // beyond it
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
  EXPECT_TRUE(DragDetect(hwnd, POINT{150, 150}));
  EXPECT_EQ(GetCapture(), nullptr);
  host::InjectMouseButton(0, false, 170, 150);
  Pump();
  host::InjectMouseButton(0, true, 150, 150);
  host::InjectMouseMove(151, 151);
  host::InjectMouseButton(0, false, 151, 151);
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
  EXPECT_FALSE(DragDetect(hwnd, POINT{150, 150}));
}

}  // namespace
}  // namespace wintest
