// The toolkit's docking on kitdemo's docking frame: the two rings, rows of
// sizable bars, the splitter, the caption and its buttons, auto-hide, the
// profile and the floating frames, worked with injected input on the
// stopped clock.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

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
    ToolbarWindow32 "" id=59393 (500,0)-(1000,30)
    ToolbarWindow32 "" id=59392 (0,0)-(500,30)
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
      Edit "" id=1 (0,0)-(193,375)
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

}  // namespace
