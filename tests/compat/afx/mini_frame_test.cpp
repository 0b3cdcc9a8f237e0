// Mini frames worked with the mouse: the small tool caption, hit codes bent
// by the MFS_ styles, moving by the caption, sizing by an edge, and the
// close button's WM_CLOSE.
#include <gtest/gtest.h>

#include "compat/afx.h"
#include "compat/host.h"
#include "compat/win32/dialog_test_support.h"

namespace {

class CClosingMiniFrame : public CMiniFrameWnd {
 public:
  int m_closes = 0;
  afx_msg void OnClose() { ++m_closes; }
  void PostNcDestroy() override {}  // lives on the test's stack
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CClosingMiniFrame, CMiniFrameWnd)
ON_WM_CLOSE()
END_MESSAGE_MAP()

class MiniFrame : public dlgtest::DialogTest {
 protected:
  static void Pump() {
    for (int i = 0; i < 3; ++i) compat::PumpMessages();
  }
  static LRESULT Hit(HWND hwnd, int x, int y) { return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y)); }
  static void Drag(CPoint from, CPoint to) {
    compat::host::InjectMouseMove(from.x, from.y);
    compat::host::InjectMouseButton(0, true, from.x, from.y);
    compat::host::InjectMouseMove((from.x + to.x) / 2, (from.y + to.y) / 2);
    compat::host::InjectMouseMove(to.x, to.y);
    compat::host::InjectMouseButton(0, false, to.x, to.y);
    Pump();
  }
};

TEST_F(MiniFrame, ToolCaptionHitCodesFollowTheStyles) {
  CClosingMiniFrame frame;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | MFS_THICKFRAME | MFS_4THICKFRAME;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, u"Tools", style, CRect(100, 100, 300, 220)));
  Pump();
  EXPECT_TRUE(frame.GetExStyle() & WS_EX_TOOLWINDOW);
  EXPECT_TRUE(frame.GetStyle() & WS_THICKFRAME);
  CRect window, client;
  frame.GetWindowRect(&window);
  frame.GetClientRect(&client);
  frame.ClientToScreen(&client);
  const int border = GetSystemMetrics(SM_CXFRAME);
  EXPECT_EQ(client.top - window.top, border + GetSystemMetrics(SM_CYSMCAPTION));
  EXPECT_EQ(client.left - window.left, border);

  EXPECT_EQ(Hit(frame.m_hWnd, window.left + 60, window.top + border + 5), HTCAPTION);
  EXPECT_EQ(Hit(frame.m_hWnd, window.left + 60, window.bottom - 1), HTBOTTOM);
  EXPECT_EQ(Hit(frame.m_hWnd, window.left + 1, window.top + 60), HTLEFT);
  // Corners size by one edge only: the one whose border is under the pointer.
  EXPECT_EQ(Hit(frame.m_hWnd, window.left + 10, window.top + 1), HTTOP);
  EXPECT_EQ(Hit(frame.m_hWnd, window.left + 1, window.top + 10), HTLEFT);
  EXPECT_EQ(Hit(frame.m_hWnd, window.right - 10, window.bottom - 1), HTBOTTOM);
  EXPECT_EQ(Hit(frame.m_hWnd, window.right - 1, window.bottom - 10), HTRIGHT);
  const int closeX = window.right - border - 2 - GetSystemMetrics(SM_CXSMSIZE) / 2;
  const int captionY = window.top + border + GetSystemMetrics(SM_CYSMCAPTION) / 2;
  EXPECT_EQ(Hit(frame.m_hWnd, closeX, captionY), HTCLOSE);

  ASSERT_TRUE(compat::WriteWindowPng(frame.m_hWnd, dlgtest::PngPath("mini_frame").c_str()));
  // The caption moves the frame, the right edge sizes it, the close button asks to close.
  Drag(CPoint(window.left + 60, captionY), CPoint(window.left + 100, captionY + 30));
  CRect moved;
  frame.GetWindowRect(&moved);
  EXPECT_EQ(moved, CRect(window.left + 40, window.top + 30, window.right + 40, window.bottom + 30));
  EXPECT_EQ(Hit(frame.m_hWnd, moved.right - 1, moved.top + 60), HTRIGHT);
  // (The release stays over the window: a release over the bare desktop is not queued to us.)
  Drag(CPoint(moved.right - 1, moved.top + 60), CPoint(moved.right - 51, moved.top + 60));
  CRect sized;
  frame.GetWindowRect(&sized);
  EXPECT_EQ(sized.Width(), moved.Width() - 50);
  EXPECT_EQ(sized.Height(), moved.Height());
  EXPECT_EQ(frame.m_closes, 0);
  const CPoint close(sized.right - border - 2 - GetSystemMetrics(SM_CXSMSIZE) / 2, sized.top + border + 7);
  compat::host::InjectClick(0, close.x, close.y);
  Pump();
  EXPECT_EQ(frame.m_closes, 1);
  frame.DestroyWindow();
}

TEST_F(MiniFrame, AMoveFrameIsMovedByItsBorderAndAFixedOneIsNotSized) {
  CClosingMiniFrame frame;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | MFS_MOVEFRAME | WS_BORDER;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, u"Moves", style, CRect(200, 200, 330, 260)));
  Pump();
  EXPECT_FALSE(frame.GetStyle() & WS_THICKFRAME);
  CRect window;
  frame.GetWindowRect(&window);
  EXPECT_EQ(Hit(frame.m_hWnd, window.left, window.top + 40), HTCAPTION);
  EXPECT_EQ(Hit(frame.m_hWnd, window.right - 1, window.bottom - 1), HTCAPTION);
  frame.DestroyWindow();
}

TEST_F(MiniFrame, ASynchronisedCaptionShowsActiveWithItsOwner) {
  CFrameWnd* owner = new CFrameWnd;
  ASSERT_TRUE(owner->Create(nullptr, u"Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 600, 400)));
  CClosingMiniFrame frame;
  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | MFS_SYNCACTIVE;
  ASSERT_TRUE(frame.CreateEx(0, nullptr, u"Sync", style, CRect(350, 50, 500, 120), owner));
  owner->SetActiveWindow();
  Pump();
  ASSERT_EQ(::GetActiveWindow(), owner->m_hWnd);
  // The inactive caption would take the inactive colour; this one keeps the active one.
  frame.SendMessage(WM_NCACTIVATE, FALSE);
  Pump();
  ASSERT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("mini_frame_sync")));
  CRect window;
  frame.GetWindowRect(&window);
  const int border = GetSystemMetrics(SM_CXDLGFRAME);
  HDC screen = ::GetDC(nullptr);
  const COLORREF caption = ::GetPixel(screen, window.left + border + 30, window.top + border + 3);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(caption, ::GetSysColor(COLOR_ACTIVECAPTION));
  frame.DestroyWindow();
  owner->DestroyWindow();
}

}  // namespace
