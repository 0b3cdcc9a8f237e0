// Every custom class registers once per instance, and a window made by class
// name gets an object that goes with its window; one made with Create stays
// with its owner.
#include "controls/custom_class.h"
#include "controls/edit_ctrl.h"
#include "controls/slider_ctrl_bar.h"
#include "custom_controls_test_support.h"

namespace {

using customtest::CustomControlTest;

class RegistrationTest : public CustomControlTest {};

TEST_F(RegistrationTest, EveryClassRegistersInTheInstanceOnce) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  int count = 0;
  for (const char16_t* const* name = controls::kCustomControlClasses; *name; ++name, ++count) {
    WNDCLASSW wc{};
    EXPECT_TRUE(GetClassInfoW(instance, *name, &wc)) << count;
    EXPECT_NE(wc.hCursor, nullptr);
  }
  EXPECT_EQ(count, 10);
  // Again: success, nothing registered twice.
  EXPECT_TRUE(controls::RegisterCustomControls(instance));
  // A class of that name with another procedure is not ours.
  ASSERT_TRUE(UnregisterClassW(u"EditCtrl", instance));
  WNDCLASSW other{};
  other.lpfnWndProc = DefWindowProcW;
  other.hInstance = instance;
  other.lpszClassName = u"EditCtrl";
  ASSERT_NE(RegisterClassW(&other), 0);
  EXPECT_FALSE(controls::RegisterEditCtrlClass(instance));
}

// The stop bar's class comes eighth: after "EditCtrl", before "ImageListCtrl".
BOOL CheckStopBarPlace(HINSTANCE instance) {
  WNDCLASSW wc{};
  EXPECT_TRUE(GetClassInfoW(instance, u"EditCtrl", &wc));
  EXPECT_FALSE(GetClassInfoW(instance, u"ImageListCtrl", &wc));
  EXPECT_FALSE(GetClassInfoW(instance, u"TLCurverCtrl", &wc));
  return TRUE;
}
int g_stopBarCalls = 0;
BOOL CountStopBar(HINSTANCE instance) {
  ++g_stopBarCalls;
  return CheckStopBarPlace(instance);
}

TEST_F(RegistrationTest, TheStopBarRegistersEighth) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const char16_t* const* name = controls::kCustomControlClasses; *name; ++name) UnregisterClassW(*name, instance);
  EXPECT_TRUE(controls::RegisterCustomControls(instance, &CountStopBar));
  EXPECT_EQ(g_stopBarCalls, 1);
  // A failing stop bar is the whole registration's failure.
  EXPECT_FALSE(controls::RegisterCustomControls(instance, [](HINSTANCE) -> BOOL { return FALSE; }));
}

TEST_F(RegistrationTest, WindowsMadeByNameGetObjectsThatGoWithThem) {
  for (const char16_t* const* name = controls::kCustomControlClasses; *name; ++name) {
    HWND hwnd = Make(*name, u"", 0, 10, 10, 120, 24, 77);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_NE(CWnd::FromHandlePermanent(hwnd), nullptr);
    Pump();
    EXPECT_TRUE(DestroyWindow(hwnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hwnd), nullptr);  // deleted; ASan reports a leak otherwise
  }
  EXPECT_NE(controls::EditCtrlFromHandle(Make(u"EditCtrl", u"", 0, 10, 10, 90, 24, 78)), nullptr);
}

TEST_F(RegistrationTest, AnObjectMadeWithCreateOutlivesItsWindow) {
  controls::CEditCtrl field;
  ASSERT_TRUE(field.Create(ECS_SPIN | ECS_BUTTONS | ECS_SUNKEN, CRect(10, 10, 100, 34), CWnd::FromHandle(parent_), 79));
  EXPECT_FALSE(field.m_bAutoDelete);
  EXPECT_TRUE(GetWindowLongW(field.m_hWnd, GWL_STYLE) & WS_TABSTOP);
  field.SetValue(3);
  EXPECT_TRUE(field.DestroyWindow());
  EXPECT_EQ(field.m_hWnd, nullptr);
  EXPECT_EQ(field.m_edit.m_dValue, 3.0);  // the object is still there
  controls::CSliderCtrlBar slider;
  ASSERT_TRUE(slider.Create(u"CSliderCtrlBar", u"", WS_CHILD | WS_VISIBLE, CRect(10, 40, 200, 60),
                            CWnd::FromHandle(parent_), 80));
  slider.SetPosition(40);
  Pump();
  EXPECT_TRUE(slider.DestroyWindow());
  EXPECT_EQ(slider.GetPosition(), 40);
}

}  // namespace
