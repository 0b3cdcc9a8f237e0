// The framework window core: message maps with their handler signatures,
// command routing and CCmdUI, attaching and subclassing, object lifetime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "compat/afx.h"
#include "compat/host.h"

namespace {

std::vector<std::string> g_calls;

const UINT kRegistered = RegisterWindowMessageW(u"Calvetta.Afx.Test");
constexpr UINT kCmdSave = 100;
constexpr UINT kCmdFirst = 200, kCmdLast = 210;
constexpr UINT kButtonId = 300, kListId = 400;
constexpr UINT kClickCode = static_cast<UINT>(-2);

class CTestWnd : public CWnd {
 public:
  int created = 0;
  CSize lastSize;
  CPoint lastClick;
  int painted = 0;
  bool saveEnabled = true;
  static bool* deleted;

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT cs) {
    created = cs->cx;
    g_calls.push_back("create");
    return CWnd::OnCreate(cs);
  }
  afx_msg void OnSize(UINT type, int cx, int cy) {
    lastSize = CSize(cx, cy);
    g_calls.push_back("size" + std::to_string(type));
    CWnd::OnSize(type, cx, cy);
  }
  afx_msg void OnLButtonDown(UINT flags, CPoint point) {
    lastClick = point;
    g_calls.push_back("lbutton" + std::to_string(flags & MK_LBUTTON));
  }
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    ++painted;
    g_calls.push_back("paint");
  }
  afx_msg LRESULT OnUserMessage(WPARAM w, LPARAM l) { return static_cast<LRESULT>(w + l); }
  afx_msg LRESULT OnRegistered(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 10); }
  afx_msg void OnSave() { g_calls.push_back("save"); }
  afx_msg void OnUpdateSave(CCmdUI* ui) { ui->Enable(saveEnabled); }
  afx_msg void OnRange(UINT id) { g_calls.push_back("range" + std::to_string(id)); }
  afx_msg void OnButton() { g_calls.push_back("button"); }
  afx_msg void OnListClick(NMHDR* header, LRESULT* result) {
    g_calls.push_back("notify" + std::to_string(header->idFrom));
    *result = 7;
  }
  afx_msg BOOL OnEraseBkgnd(CDC* dc) {
    g_calls.push_back(dc ? "erase" : "erase-null");
    return CWnd::OnEraseBkgnd(dc);
  }
  void PostNcDestroy() override {
    if (deleted) {
      *deleted = true;
      delete this;
    }
  }
  DECLARE_MESSAGE_MAP()
};
bool* CTestWnd::deleted = nullptr;

BEGIN_MESSAGE_MAP(CTestWnd, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_LBUTTONDOWN()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_MESSAGE(WM_USER + 1, OnUserMessage)
ON_REGISTERED_MESSAGE(kRegistered, OnRegistered)
ON_COMMAND(kCmdSave, OnSave)
ON_UPDATE_COMMAND_UI(kCmdSave, OnUpdateSave)
ON_COMMAND_RANGE(kCmdFirst, kCmdLast, OnRange)
ON_BN_CLICKED(kButtonId, OnButton)
ON_NOTIFY(kClickCode, kListId, OnListClick)
END_MESSAGE_MAP()

// A derived class overrides one handler and relies on the base for the rest.
class CDerivedWnd : public CTestWnd {
 protected:
  afx_msg void OnSize(UINT type, int cx, int cy) {
    g_calls.push_back("derived-size");
    CTestWnd::OnSize(type, cx, cy);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CTestWnd)
ON_WM_SIZE()
END_MESSAGE_MAP()

class WndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    g_calls.clear();
    CTestWnd::deleted = nullptr;
  }
  void TearDown() override { compat::ResetDesktop(800, 600); }
};

TEST_F(WndTest, MessageMapHandlersGetTheirArguments) {
  CDerivedWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"Framework", WS_POPUP | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr));
  EXPECT_EQ(wnd.created, 300);
  EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
  ASSERT_GE(g_calls.size(), 3u);
  EXPECT_EQ(g_calls[0], "create");
  EXPECT_EQ(g_calls[1], "derived-size");
  EXPECT_EQ(g_calls[2], "size0");
  EXPECT_EQ(wnd.lastSize, CSize(300, 200));
  compat::PumpMessages();
  EXPECT_EQ(wnd.painted, 1);
  compat::host::InjectClick(0, 150, 130);
  compat::PumpMessages();
  EXPECT_EQ(wnd.lastClick, CPoint(50, 30));
  EXPECT_EQ(wnd.SendMessage(WM_USER + 1, 2, 3), 5);
  EXPECT_EQ(wnd.SendMessage(kRegistered, 4), 40);
  // Unhandled messages reach DefWindowProc.
  WCHAR text[16];
  EXPECT_EQ(wnd.GetWindowText(text, 16), 9);
  CString title;
  wnd.GetWindowText(title);
  EXPECT_EQ(std::u16string(static_cast<LPCTSTR>(title)), u"Framework");
  wnd.DestroyWindow();
  EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST_F(WndTest, CommandsNotificationsAndCommandUiAreRouted) {
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr));
  CWnd button;
  ASSERT_TRUE(button.Create(nullptr, u"", WS_VISIBLE, CRect(0, 0, 10, 10), &wnd, kButtonId));
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kCmdSave, 0), 0);
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(205, 1), 0);  // an accelerator
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kButtonId, BN_CLICKED), reinterpret_cast<LPARAM>(button.m_hWnd));
  wnd.SendMessage(WM_COMMAND, MAKEWPARAM(kCmdLast + 1, 0), 0);  // nobody's
  EXPECT_EQ(g_calls.back(), "button");
  EXPECT_NE(std::find(g_calls.begin(), g_calls.end(), "save"), g_calls.end());
  EXPECT_NE(std::find(g_calls.begin(), g_calls.end(), "range205"), g_calls.end());
  NMHDR header{button.m_hWnd, kListId, kClickCode};
  EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, kListId, reinterpret_cast<LPARAM>(&header)), 7);
  header.idFrom = kListId + 1;
  EXPECT_EQ(wnd.SendMessage(WM_NOTIFY, kListId + 1, reinterpret_cast<LPARAM>(&header)), 0);
  // Command UI: an update handler decides; without one, a command handler enables.
  CCmdUI ui;
  ui.m_pOther = &button;
  ui.m_nID = kCmdSave;
  wnd.saveEnabled = false;
  EXPECT_TRUE(ui.DoUpdate(&wnd, TRUE));
  EXPECT_FALSE(button.IsWindowEnabled());
  ui.m_nID = 207;
  EXPECT_FALSE(ui.DoUpdate(&wnd, TRUE));
  EXPECT_TRUE(button.IsWindowEnabled());
  ui.m_nID = 999;
  ui.DoUpdate(&wnd, TRUE);
  EXPECT_FALSE(button.IsWindowEnabled());
  wnd.DestroyWindow();
}

TEST_F(WndTest, ObjectsCanDeleteThemselvesWhenTheirWindowGoes) {
  bool deleted = false;
  CTestWnd::deleted = &deleted;
  auto* wnd = new CTestWnd;
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr));
  HWND hwnd = wnd->m_hWnd;
  ::DestroyWindow(hwnd);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
}

LRESULT CALLBACK PlainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER + 1) return 1000;
  if (message == WM_USER + 2) return 2000;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST_F(WndTest, SubclassingPutsTheObjectFirstAndDefaultReachesTheOldProcedure) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = PlainProc;
  wc.lpszClassName = u"PlainForSubclass";
  ASSERT_TRUE(RegisterClassW(&wc));
  HWND hwnd = CreateWindowExW(0, u"PlainForSubclass", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  // Not yet ours: FromHandle gives a temporary wrapper, never a permanent one.
  CWnd* temp = CWnd::FromHandle(hwnd);
  ASSERT_NE(temp, nullptr);
  EXPECT_EQ(temp->m_hWnd, hwnd);
  EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);
  CTestWnd wnd;
  ASSERT_TRUE(wnd.SubclassWindow(hwnd));
  EXPECT_FALSE(CWnd().SubclassWindow(hwnd));  // one object per window
  EXPECT_EQ(CWnd::FromHandle(hwnd), &wnd);
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 1, 2, 3), 5);     // the map answers first
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 2, 0, 0), 2000);  // unmapped: the old procedure
  EXPECT_EQ(wnd.UnsubclassWindow(), hwnd);
  EXPECT_EQ(::SendMessageW(hwnd, WM_USER + 1, 2, 3), 1000);
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  ::DestroyWindow(hwnd);
}

class CEscapeEater : public CWnd {
 public:
  int eaten = 0;
  BOOL PreTranslateMessage(MSG* msg) override {
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_ESCAPE) {
      ++eaten;
      return TRUE;
    }
    return FALSE;
  }
};

TEST_F(WndTest, PreTranslateMessageSeesKeysOfChildWindowsFirst) {
  CEscapeEater parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 200, nullptr, nullptr));
  CWnd child;
  ASSERT_TRUE(child.Create(nullptr, u"", WS_VISIBLE, CRect(10, 10, 50, 50), &parent, 1));
  child.SetFocus();
  CWinThread loop;
  loop.m_bAutoDelete = FALSE;
  compat::host::InjectKeyPress(VK_ESCAPE);
  compat::host::InjectKeyPress('A');
  MSG msg;
  int pumped = 0;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && loop.PumpMessage()) ++pumped;
  EXPECT_EQ(parent.eaten, 1);
  EXPECT_GE(pumped, 4);
  parent.DestroyWindow();
}


TEST_F(WndTest, NullWindowObjectsStandForTheScreen) {
  CClientDC screen(nullptr);
  EXPECT_NE(screen.m_hDC, nullptr);
  CTestWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, 100, 50, 100, 100, nullptr, nullptr));
  CRect r(0, 0, 10, 10);
  wnd.MapWindowPoints(nullptr, &r);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.top, 50);
  EXPECT_FALSE(wnd.IsChild(nullptr));
  wnd.DestroyWindow();
}


// More handler families, driven as a user would.
class CFamilyWnd : public CWnd {
 public:
  int timers = 0;
  short wheel = 0;
  CPoint wheelAt;
  std::u16string typed;
  UINT keyDown = 0;
  bool focused = false;
  HBRUSH brush = nullptr;
  UINT ctlColorKind = 99;

 protected:
  afx_msg void OnTimer(UINT_PTR id) {
    if (id == 5) ++timers;
  }
  afx_msg BOOL OnMouseWheel(UINT, short delta, CPoint pt) {
    wheel = delta;
    wheelAt = pt;
    return TRUE;
  }
  afx_msg void OnKeyDown(UINT nChar, UINT, UINT) { keyDown = nChar; }
  afx_msg void OnChar(UINT nChar, UINT, UINT) { typed += static_cast<char16_t>(nChar); }
  afx_msg void OnSetFocus(CWnd* old) {
    focused = true;
    CWnd::OnSetFocus(old);
  }
  afx_msg HBRUSH OnCtlColor(CDC*, CWnd*, UINT kind) {
    ctlColorKind = kind;
    return brush;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CFamilyWnd, CWnd)
ON_WM_TIMER()
ON_WM_MOUSEWHEEL()
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_SETFOCUS()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

TEST_F(WndTest, HandlerFamiliesReceiveInputTimersAndColourRequests) {
  CFamilyWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, 50, 50, 200, 200, nullptr, nullptr));
  EXPECT_TRUE(wnd.focused);
  compat::host::InjectWheel(-120, 60, 70);
  compat::host::InjectKeyPress('K');
  ASSERT_EQ(wnd.SetTimer(5, 10, nullptr), 5u);
  MSG msg;
  while (wnd.timers < 2 && GetMessageW(&msg, nullptr, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  wnd.KillTimer(5);
  EXPECT_EQ(wnd.wheel, -120);
  EXPECT_EQ(wnd.wheelAt, CPoint(60, 70));
  EXPECT_EQ(wnd.keyDown, static_cast<UINT>('K'));
  EXPECT_EQ(wnd.typed, u"k");
  wnd.brush = GetSysColorBrush(COLOR_INFOBK);
  HDC dc = GetDC(wnd.m_hWnd);
  EXPECT_EQ(wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0), reinterpret_cast<LRESULT>(wnd.brush));
  EXPECT_EQ(wnd.ctlColorKind, 6u);  // CTLCOLOR_STATIC
  ReleaseDC(wnd.m_hWnd, dc);
  wnd.DestroyWindow();
}

}  // namespace
