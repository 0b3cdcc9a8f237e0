// kitdemo's toolkit frame and its profile: the first start's place, saved
// places out of reach, what closing writes, restarts, profiles that name
// bars the frame no longer has, the factory layout, names with blanks, and
// the drawing style carried to every bar.
#include "guitk/kit_frame_wnd.h"

#include "guitk/kit_control_bar.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "kit_frame_fixture.h"
#include "res/resource.h"

namespace {

using kittest::KitFrameTest;

// A bar that shares the id of the auto-hide strips and fillers.
class SharedIdBar : public CControlBar {
 public:
  void OnUpdateCmdUI(CFrameWnd*, BOOL) override {}
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

// The lines of one section, without its header.
std::vector<std::string> Section(const std::string& text, const std::string& name) {
  std::vector<std::string> out;
  bool inside = false;
  for (const std::string& line : Lines(text)) {
    if (line.front() == '[') {
      inside = line == "[" + name + "]";
      continue;
    }
    if (inside) out.push_back(line);
  }
  return out;
}

class KitFrame : public KitFrameTest {
 protected:
  RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
  }
  CRect FrameRect() {
    CRect r;
    frame_->GetWindowRect(&r);
    return r;
  }
  UINT ToolBarDock() { return static_cast<UINT>(frame_->m_wndToolBar.GetParent()->GetDlgCtrlID()); }
};

TEST_F(KitFrame, AFirstStartOpensAtTenTenOfTheWorkArea590By390) {
  Open();
  const RECT work = WorkArea();
  EXPECT_EQ(FrameRect(), CRect(work.left + 10, work.top + 10, work.left + 600, work.top + 400));
  EXPECT_EQ(g_kitDrawStyle, kKitStyleFlat);
  EXPECT_FALSE(g_kitTheme);
  EXPECT_EQ(frame_->m_strProfileBase, CString(u"KitDemo"));
}

// A saved place counts from the work area's corner; past the screen's right
// or bottom edge the window stops an icon's width or height inside it, at
// its saved size. Only a rectangle with no size falls back to 590 x 390.
TEST_F(KitFrame, ASavedPlacePastTheScreenStopsAnIconInsideItAtItsSavedSize) {
  const RECT work = WorkArea();
  const int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  const struct {
    int left, top, right, bottom;
    CRect expected;
  } cases[] = {
      {5000, 5000, 5500, 5300,
       CRect(CPoint(screenW - GetSystemMetrics(SM_CXICON), screenH - GetSystemMetrics(SM_CYICON)), CSize(500, 300))},
      {-40, 20, 460, 320, CRect(CPoint(work.left - 40, work.top + 20), CSize(500, 300))},
      {30, 40, 30, 10, CRect(CPoint(work.left + 30, work.top + 40), CSize(590, 390))},
  };
  for (const auto& c : cases) {
    app_->WriteProfileInt(u"KitDemo-Main", u"left", c.left);
    app_->WriteProfileInt(u"KitDemo-Main", u"top", c.top);
    app_->WriteProfileInt(u"KitDemo-Main", u"right", c.right);
    app_->WriteProfileInt(u"KitDemo-Main", u"bottom", c.bottom);
    Open();
    EXPECT_EQ(FrameRect(), c.expected) << c.left << "," << c.top;
    Close();
  }
}

TEST_F(KitFrame, ClosingWritesTheSevenKeysInOrderAndNoSharedIdRecord) {
  Open();
  SharedIdBar shared;
  ASSERT_TRUE(shared.CreateEx(0, AfxRegisterWndClass(0), nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), frame_,
                              kKitStripId));
  shared.m_dwStyle = CBRS_ALIGN_TOP;
  frame_->AddControlBar(&shared);
  frame_->SetDrawStyle(kKitStyleGradient);
  frame_->MoveWindow(30, 40, 520, 330);
  Close();
  const std::string text = ProfileText();
  const std::vector<std::string> main = Section(text, "KitDemo-Main");
  const std::vector<std::string> expected = {"left=30", "right=550", "bottom=370", "top=40",
                                             "status=1", "Style=32770", "Theme=0"};
  EXPECT_EQ(main, expected);
  EXPECT_FALSE(Section(text, "KitDemo-Summary").empty());
  EXPECT_EQ(text.find("=39321"), std::string::npos) << text;   // 0x9999
  EXPECT_EQ(text.find("=104857"), std::string::npos) << text;  // 0x9999 kept as a place
}

TEST_F(KitFrame, ARestartRestoresTheLayoutAndAStaleProfileRestoresNothing) {
  Open();
  frame_->DockControlBar(&frame_->m_wndToolBar, kKitOuterLeft);
  FramePump();
  ASSERT_EQ(ToolBarDock(), kKitOuterLeft);
  Close();
  Open();
  EXPECT_EQ(ToolBarDock(), kKitOuterLeft);
  EXPECT_EQ(Section(ProfileText(), "KitDemo-Main").size(), 7u);
  // A dock state naming a bar the frame no longer has is not applied at all.
  frame_->DockControlBar(&frame_->m_wndToolBar, kKitOuterBottom);
  Close();
  CDockState state;
  state.LoadState(u"KitDemo");
  bool named = false;
  for (INT_PTR i = 0; i < state.m_arrBarInfo.GetSize(); ++i) {
    auto* info = static_cast<CControlBarInfo*>(state.m_arrBarInfo[i]);
    if (info->m_nBarID == kKitOuterBottom) {
      info->m_arrBarID.InsertAt(1, reinterpret_cast<void*>(static_cast<UINT_PTR>(0x7777)));
      named = true;
    }
  }
  ASSERT_TRUE(named);
  state.SaveState(u"KitDemo");
  Open();
  EXPECT_EQ(ToolBarDock(), kKitOuterTop);  // the creation layout
}

TEST_F(KitFrame, SizableBarsKeepTheirSizesUnlessTheSavedStateNamesAMissingBar) {
  description_.dockingBars.push_back({2448, CBRS_ALIGN_LEFT, u"Effect"});
  Open();
  ASSERT_EQ(frame_->m_dockingBars.size(), 1u);
  frame_->m_dockingBars[0]->m_sizeVert = CSize(150, 260);
  Close();
  EXPECT_FALSE(Section(ProfileText(), "KitDemo-Bar2448").empty());
  Open();
  // The width; the length follows the column the bar stands in.
  EXPECT_EQ(frame_->m_dockingBars[0]->m_sizeVert.cx, 150);
  Close();
  // The same profile with a bar the frame no longer has.
  CDockState state;
  state.LoadState(u"KitDemo");
  ASSERT_GT(state.m_arrBarInfo.GetSize(), 0);
  auto* first = static_cast<CControlBarInfo*>(state.m_arrBarInfo[0]);
  first->m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(0x7777)));
  first->m_arrBarID.Add(nullptr);
  state.SaveState(u"KitDemo");
  Open();
  EXPECT_EQ(frame_->m_dockingBars[0]->m_sizeVert.cx, 200);  // the bar's own default
}

TEST_F(KitFrame, AFactoryLayoutIsAppliedAndItsFileLeftAsItWas) {
  Open();
  frame_->DockControlBar(&frame_->m_wndToolBar, kKitOuterRight);
  Close();
  // The factory file is a saved profile, copied over the user's before loading.
  const std::string factory = folder_.Host() + "/cMDefault.ini";
  std::filesystem::copy_file(folder_.Host() + "/cM.ini", factory);
  const std::string before = [&] {
    std::ifstream in(factory, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }();
  std::filesystem::remove(folder_.Host() + "/cM.ini");
  Open();
  ASSERT_EQ(ToolBarDock(), kKitOuterTop);
  std::filesystem::copy_file(factory, folder_.Host() + "/cM.ini");
  frame_->LoadDefaultLayout();
  FramePump();
  EXPECT_EQ(ToolBarDock(), kKitOuterRight);
  std::ifstream in(factory, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), before);
}

class KitFrameBlankName : public KitFrameTest {
 protected:
  LPCTSTR AppName() const override { return u"Kit Demo"; }
};

TEST_F(KitFrameBlankName, EverySectionNameHasAnUnderscoreForTheBlank) {
  Open();
  EXPECT_EQ(frame_->m_strProfileBase, CString(u"Kit_Demo"));
  Close();
  int sections = 0;
  for (const std::string& line : Lines(ProfileText())) {
    if (line.front() != '[') continue;
    ++sections;
    EXPECT_EQ(line.rfind("[Kit_Demo-", 0), 0u) << line;
  }
  EXPECT_GT(sections, 3);
}

TEST_F(KitFrame, SetDrawStyleRepaintsEveryBarInTheGradientLook) {
  Open();
  CMenuBar& menu = frame_->m_wndMenuBar;
  const CPoint blank = [&] {
    CRect client;
    menu.GetClientRect(&client);
    CPoint p(client.right - 3, client.top + 1);
    menu.ClientToScreen(&p);
    return p;
  }();
  CRect tools;
  frame_->m_wndToolBar.GetClientRect(&tools);
  CPoint toolTop(tools.right - 2, tools.top), toolBottom(tools.right - 2, tools.bottom - 1);
  frame_->m_wndToolBar.ClientToScreen(&toolTop);
  frame_->m_wndToolBar.ClientToScreen(&toolBottom);
  EXPECT_EQ(PixelAt(blank), GetFaceColor(kKitStyleFlat));
  EXPECT_EQ(PixelAt(toolTop), PixelAt(toolBottom));
  frame_->SetDrawStyle(kKitStyleGradient);
  EXPECT_EQ(g_kitDrawStyle, kKitStyleGradient);
  EXPECT_EQ(g_kitMenuStyle, kKitStyleGradient);
  EXPECT_EQ(PixelAt(blank), GetFaceColor(kKitStyleGradient));
  EXPECT_EQ(frame_->m_wndMenuBar.m_nStyle, kKitStyleGradient);
  EXPECT_NE(PixelAt(toolTop), PixelAt(toolBottom));  // the gradient runs down the bar
  EXPECT_EQ(frame_->m_wndStatusBar.m_nStyle, kKitStyleGradient);
  for (CKitDocBarExtenEx* dock : frame_->m_dockRing.m_outer) {
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->m_nDrawStyle, kKitStyleGradient);
  }
  // The status grip's dark grooves take the flat shadow colour in this look.
  CRect status;
  frame_->m_wndStatusBar.GetClientRect(&status);
  CPoint groove(status.right - 9, status.bottom - 5);
  frame_->m_wndStatusBar.ClientToScreen(&groove);
  EXPECT_EQ(PixelAt(groove), GetShadowColor(kKitStyleFlat));
  WritePng(frame_->m_hWnd, "guitk_kit_frame_gradient");
}

TEST_F(KitFrame, AStyleChangeBeforeTheStatusBarExistsIsKeptForIt) {
  CKitFrameWnd frame;
  frame.SetDrawStyle(kKitStyleGradient);  // no window of any bar yet
  EXPECT_EQ(frame.m_wndStatusBar.m_nStyle, kKitStyleGradient);
  EXPECT_EQ(frame.m_wndToolBar.m_nStyle, kKitStyleGradient);
}

}  // namespace
