// The control wrappers and reflection, worked with injected input: an
// owner-drawn CButton subclass drawing itself, reflected notifications, and
// a control colouring itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "compat/afx.h"
#include "compat/host.h"

namespace {

constexpr UINT kButtonId = 10, kStaticId = 11, kEditId = 12;

class CParentWnd : public CWnd {
 public:
  int clicked = 0;
  int notified = 0;

 protected:
  afx_msg void OnButton() { ++clicked; }
  afx_msg void OnNotified(NMHDR*, LRESULT* result) {
    ++notified;
    *result = 5;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CParentWnd, CWnd)
ON_BN_CLICKED(kButtonId, OnButton)
ON_NOTIFY(static_cast<UINT>(-12), kButtonId, OnNotified)
END_MESSAGE_MAP()

// A spin-style owner-drawn button recording what it was asked to draw.
class CSpinButton : public CButton {
 public:
  std::vector<std::pair<UINT, UINT>> draws;  // action, state
  void DrawItem(LPDRAWITEMSTRUCT item) override {
    draws.emplace_back(item->itemAction, item->itemState);
    ::FillRect(item->hDC, &item->rcItem, ::GetSysColorBrush((item->itemState & ODS_SELECTED) ? COLOR_3DSHADOW : COLOR_3DFACE));
  }
};

class CSelfClickButton : public CButton {
 public:
  int own = 0;
  BOOL letParentSee = FALSE;
  int notes = 0;

 protected:
  afx_msg void OnClicked() { ++own; }
  afx_msg void OnNote(NMHDR*, LRESULT* result) {
    ++notes;
    *result = 9;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSelfClickButton, CButton)
ON_CONTROL_REFLECT(BN_CLICKED, OnClicked)
ON_NOTIFY_REFLECT(static_cast<UINT>(-12), OnNote)
END_MESSAGE_MAP()

class CSharingButton : public CButton {
 public:
  int own = 0;

 protected:
  afx_msg BOOL OnClicked() {
    ++own;
    return FALSE;  // the parent sees it too
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CSharingButton, CButton)
ON_CONTROL_REFLECT_EX(BN_CLICKED, OnClicked)
END_MESSAGE_MAP()

class CRedLabel : public CStatic {
 public:
  CBrush brush{RGB(200, 0, 0)};

 protected:
  afx_msg HBRUSH CtlColor(CDC* dc, UINT) {
    dc->SetBkMode(TRANSPARENT);
    return static_cast<HBRUSH>(brush.m_hObject);
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRedLabel, CStatic)
ON_WM_CTLCOLOR_REFLECT()
END_MESSAGE_MAP()

class ControlsReflectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    ASSERT_TRUE(parent.CreateEx(0, nullptr, u"Parent", WS_POPUP | WS_VISIBLE, 50, 50, 400, 300, nullptr, nullptr));
    Pump();
  }
  void TearDown() override {
    parent.DestroyWindow();
    compat::ResetDesktop(800, 600);
  }
  static void Pump() {
    for (int i = 0; i < 3; ++i) compat::PumpMessages();
  }
  static POINT Center(const CWnd& wnd) {
    RECT r;
    ::GetWindowRect(wnd.m_hWnd, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static void Press(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectMouseButton(0, true, p.x, p.y);
    Pump();
  }
  static void Release(POINT p) {
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectMouseButton(0, false, p.x, p.y);
    Pump();
  }
  CParentWnd parent;
};

TEST_F(ControlsReflectionTest, OwnerDrawnButtonSubclassDrawsItselfInEveryState) {
  CSpinButton spin;
  ASSERT_TRUE(spin.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 40, 30), &parent, kButtonId));
  Pump();
  ASSERT_FALSE(spin.draws.empty());
  EXPECT_EQ(spin.draws.back().first, static_cast<UINT>(ODA_DRAWENTIRE));
  spin.draws.clear();
  const POINT inside = Center(spin);
  Press(inside);
  EXPECT_EQ(spin.draws.back(), std::make_pair(static_cast<UINT>(ODA_SELECT), static_cast<UINT>(ODS_SELECTED | ODS_FOCUS)));
  compat::host::InjectMouseMove(300, 300);
  Pump();
  EXPECT_EQ(spin.draws.back(), std::make_pair(static_cast<UINT>(ODA_SELECT), static_cast<UINT>(ODS_FOCUS)));
  compat::host::InjectMouseMove(inside.x, inside.y);
  Pump();
  Release(inside);
  EXPECT_EQ(spin.draws.back().second, static_cast<UINT>(ODS_FOCUS));
  EXPECT_EQ(parent.clicked, 1);
  ::SetFocus(parent.m_hWnd);
  EXPECT_EQ(spin.draws.back(), std::make_pair(static_cast<UINT>(ODA_FOCUS), 0u));
  spin.EnableWindow(FALSE);
  Pump();
  EXPECT_TRUE(spin.draws.back().second & ODS_DISABLED);

  // A popup that takes the capture during a press ends it without a click.
  spin.EnableWindow(TRUE);
  CWnd popup;
  ASSERT_TRUE(popup.CreateEx(0, nullptr, u"", WS_POPUP | WS_VISIBLE, 500, 400, 100, 100, nullptr, nullptr));
  Press(inside);
  popup.SetCapture();
  EXPECT_FALSE(spin.GetState() & BST_PUSHED);
  ::ReleaseCapture();
  Release(inside);
  EXPECT_EQ(parent.clicked, 1);
  popup.DestroyWindow();
}

TEST_F(ControlsReflectionTest, ReflectedNotificationsReachTheControlFirst) {
  CSelfClickButton own;
  ASSERT_TRUE(own.Create(u"Own", WS_CHILD | WS_VISIBLE, CRect(10, 10, 90, 34), &parent, kButtonId));
  own.SendMessage(BM_CLICK);
  EXPECT_EQ(own.own, 1);
  EXPECT_EQ(parent.clicked, 0);  // handled by the control, hidden from the parent

  NMHDR header{own.m_hWnd, kButtonId, static_cast<UINT>(-12)};
  EXPECT_EQ(WM_REFLECT_BASE + WM_NOTIFY, 0xBC4Eu);
  EXPECT_EQ(parent.SendMessage(WM_NOTIFY, kButtonId, reinterpret_cast<LPARAM>(&header)), 9);
  EXPECT_EQ(own.notes, 1);
  EXPECT_EQ(parent.notified, 0);
  own.DestroyWindow();

  CSharingButton shared;
  ASSERT_TRUE(shared.Create(u"Shared", WS_CHILD | WS_VISIBLE, CRect(10, 40, 90, 64), &parent, kButtonId));
  shared.SendMessage(BM_CLICK);
  EXPECT_EQ(shared.own, 1);
  EXPECT_EQ(parent.clicked, 1);
}

TEST_F(ControlsReflectionTest, ANotifySentToAStandardControlGoesNowhereElse) {
  CSelfClickButton button;
  ASSERT_TRUE(button.Create(u"B", WS_CHILD | WS_VISIBLE, CRect(10, 10, 90, 34), &parent, kButtonId));
  CEdit edit;
  ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, CRect(10, 50, 150, 72), &parent, kEditId));
  // The header names the button, but the edit is not its parent: no reflection.
  NMHDR header{button.m_hWnd, kButtonId, static_cast<UINT>(-12)};
  EXPECT_EQ(edit.SendMessage(WM_NOTIFY, kButtonId, reinterpret_cast<LPARAM>(&header)), 0);
  EXPECT_EQ(button.notes, 0);
  EXPECT_EQ(parent.notified, 0);
}

TEST_F(ControlsReflectionTest, AControlColoursItselfThroughCtlColorReflect) {
  CRedLabel label;
  ASSERT_TRUE(label.Create(u"", WS_CHILD | WS_VISIBLE | SS_LEFT, CRect(10, 100, 110, 130), &parent, kStaticId));
  label.Invalidate();
  Pump();
  POINT p = Center(label);
  auto surface = compat::host::DesktopSurface();
  const uint32_t pixel = surface->Row(p.y)[p.x];
  EXPECT_EQ(pixel & 0xFFFFFF, 0xC80000u);
}

// A 4x4 bitmap of one colour.
void Solid(CBitmap& bitmap, uint32_t rgb) {
  uint32_t bits[16];
  std::fill(std::begin(bits), std::end(bits), rgb);
  ASSERT_TRUE(bitmap.CreateBitmap(4, 4, 1, 32, bits));
}

TEST_F(ControlsReflectionTest, BitmapButtonShowsTheBitmapOfItsState) {
  CBitmapButton button;
  ASSERT_TRUE(button.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, CRect(10, 10, 60, 60), &parent, kButtonId));
  Solid(button.m_bitmap, 0x0000FF);
  Solid(button.m_bitmapSel, 0x00FF00);
  Solid(button.m_bitmapDisabled, 0xFF0000);
  button.SizeToContent();
  CRect r;
  button.GetWindowRect(&r);
  EXPECT_EQ(r.Width(), 4);
  EXPECT_EQ(r.Height(), 4);
  auto shown = [&] {
    Pump();
    POINT p = Center(button);
    return compat::host::DesktopSurface()->Row(p.y)[p.x] & 0xFFFFFF;
  };
  button.Invalidate();
  EXPECT_EQ(shown(), 0x0000FFu);
  button.SetState(TRUE);
  EXPECT_EQ(shown(), 0x00FF00u);
  button.SetState(FALSE);
  button.SetFocus();  // no focus bitmap: the normal one stands in
  EXPECT_EQ(shown(), 0x0000FFu);
  button.EnableWindow(FALSE);
  EXPECT_EQ(shown(), 0xFF0000u);
  EXPECT_FALSE(button.LoadBitmaps(u"NoSuchBitmap"));
}

TEST_F(ControlsReflectionTest, WrappersSpeakForTheirControls) {
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, CRect(10, 10, 160, 120), &parent, 20));
  combo.AddString(u"One");
  combo.AddString(u"Two");
  combo.SetCurSel(1);
  CString text;
  combo.GetLBText(1, text);
  EXPECT_EQ(text, CString(u"Two"));
  combo.GetWindowText(text);
  EXPECT_EQ(text, CString(u"Two"));
  combo.GetLBText(7, text);
  EXPECT_TRUE(text.IsEmpty());
  EXPECT_EQ(combo.FindStringExact(-1, u"one"), 0);

  CScrollBar bar;
  ASSERT_TRUE(bar.Create(WS_CHILD | WS_VISIBLE | SBS_VERT, CRect(200, 10, 217, 150), &parent, 21));
  SCROLLINFO info{};
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMax = 99;
  info.nPage = 10;
  info.nPos = 95;
  bar.SetScrollInfo(&info);
  EXPECT_EQ(bar.GetScrollPos(), 90);
  EXPECT_EQ(bar.GetScrollLimit(), 90);

  CWnd view;
  ASSERT_TRUE(view.CreateEx(0, nullptr, u"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 250, 10, 120, 120, parent.m_hWnd,
                            reinterpret_cast<HMENU>(22)));
  view.SetScrollRange(SB_VERT, 0, 200);
  view.SetScrollPos(SB_VERT, 150);
  EXPECT_EQ(view.GetScrollPos(SB_VERT), 150);
  int low = -1, high = -1;
  view.GetScrollRange(SB_VERT, &low, &high);
  EXPECT_EQ(high, 200);
  EXPECT_TRUE(view.EnableScrollBar(SB_VERT, ESB_DISABLE_BOTH));
  EXPECT_TRUE(view.GetStyle() & WS_VSCROLL);
}

}  // namespace
