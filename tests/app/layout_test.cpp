// What the editor keeps between runs: the profile "cM.ini" (read back by
// Python's configparser), the window rectangle in the registry, the docking
// layout, and the factory layout of "cMDefault.ini".
#include <cstring>

#include "editor_test_support.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_dock_bar.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

using Layout = EditorTest;

COLORREF ScreenPixel(int x, int y) {
  const uint32_t p = compat::host::DesktopSurface()->Row(y)[x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

std::u16string ToU16(const std::string& text) { return compat::Utf8ToUtf16(text); }

// The profile's section names as configparser sees them, one a line.
std::string ProfileSections(const fs::path& ini) {
  const std::string script =
      "import configparser,sys\n"
      "raw=open(sys.argv[1],'rb').read()\n"
      "text=raw.decode('utf-16') if raw[:2] in (b'\\xff\\xfe',b'\\xfe\\xff') else raw.decode('utf-8')\n"
      "c=configparser.ConfigParser(strict=False,interpolation=None)\n"
      "c.read_string(text)\n"
      "print('\\n'.join(c.sections()))\n";
  const fs::path scriptFile = ini.parent_path() / "sections.py";
  std::ofstream(scriptFile) << script;
  const std::string out = testsupport::RunTool("python3 " + scriptFile.string() + " " + ini.string());
  fs::remove(scriptFile);
  return out;
}

RECT StoredWindowRect() {
  BYTE* bytes = nullptr;
  int count = 0;
  RECT rect{};
  if (RegReadValue(kSettingsRegistryKey, u"Warpel_WINDOW_RECT", &bytes, &count)) {
    if (count == static_cast<int>(sizeof rect)) std::memcpy(&rect, bytes, sizeof rect);
    delete[] bytes;
  }
  return rect;
}

TEST_F(Layout, ExitWritesTheProfileAndTheWindowRectangle) {
  Start();
  ASSERT_TRUE(Project()->SaveProjectFile(Program(Temp("recent.pvk")).c_str()));
  ASSERT_TRUE(m_app->OpenDocumentFile(Program(Temp("recent.pvk")).c_str()));
  Frame()->MoveWindow(30, 20, 760, 560);
  Idle();
  Exit();
  const std::string sections = ProfileSections(ProgramFolder() / "cM.ini");
  EXPECT_NE(sections.find("Calvetta-Main"), std::string::npos) << sections;
  EXPECT_NE(sections.find("Recent File List"), std::string::npos) << sections;
  const RECT rect = StoredWindowRect();
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right, 790);
  EXPECT_EQ(rect.bottom, 580);
}

TEST_F(Layout, ARestartRestoresThePlacementAndTheBars) {
  Start();
  Frame()->MoveWindow(40, 30, 700, 500);
  Frame()->SendMessage(WM_COMMAND, ID_SHOW_EFFECT);
  Idle();
  ASSERT_FALSE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  Exit();
  Start();
  CRect rect;
  Frame()->GetWindowRect(&rect);
  EXPECT_EQ(rect, CRect(40, 30, 740, 530));
  EXPECT_FALSE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE) << "the hidden bar stays hidden";
  EXPECT_TRUE(View()->PreviewBar().GetStyle() & WS_VISIBLE);
}

// The Load Sample dialog of a restart shows over the layout the user left,
// not over the bars' creation sizes.
TEST_F(Layout, ARestartLaysOutTheSavedBarsBeforeLoadSampleShows) {
  Start();
  Frame()->MoveWindow(0, 0, 1000, 740);
  Frame()->DockControlBar(&m_app->m_wndEffectBar, AFX_IDW_DOCKBAR_LEFT);
  m_app->m_wndEffectBar.m_sizeVert.cx = 380;
  Frame()->RecalcLayout();
  Idle();
  CRect saved;
  m_app->m_wndEffectBar.GetWindowRect(&saved);
  Exit();
  fs::remove(ProgramFolder() / "Data" / "ShowNextTime.dat");
  CRect seen;
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [&](HWND dialog) {
    m_app->m_wndEffectBar.GetWindowRect(&seen);
    EXPECT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("restart_under_load_sample")));
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Start();
  EXPECT_EQ(seen.Width(), saved.Width());
  EXPECT_EQ(seen.Height(), saved.Height());
}

// A panel the user left floating is on the screen, painted, while the next
// start's Load Sample dialog is up.
TEST_F(Layout, AFloatingPanelIsPaintedUnderTheRestartsLoadSample) {
  Start();
  Frame()->FloatControlBar(&View()->PreviewBar(), CPoint(700, 420), CBRS_ALIGN_TOP);
  Idle();
  ASSERT_TRUE(View()->PreviewBar().IsFloating());
  Exit();
  fs::remove(ProgramFolder() / "Data" / "ShowNextTime.dat");
  bool seen = false;
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [&](HWND dialog) {
    CDockPanelBar& bar = View()->PreviewBar();
    seen = bar.IsFloating() && bar.IsWindowVisible();
    EXPECT_TRUE(compat::host::WriteDesktopPng(dlgtest::PngPath("floating_under_load_sample")));
    // The floating frame's caption band, and the timeline's face under the preview.
    CRect frame, panel;
    bar.GetParentFrame()->GetWindowRect(&frame);
    bar.GetWindowRect(&panel);
    EXPECT_EQ(ScreenPixel(frame.left + 40, frame.top + 6), GetShadowColor(kKitStyleFlat)) << "caption";
    EXPECT_EQ(ScreenPixel(panel.left + 8, panel.bottom - 8), ::GetSysColor(COLOR_BTNFACE)) << "timeline";
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Start();
  EXPECT_TRUE(seen) << "the panel floats, shown, under the dialog";
}

// The menu bar is the frame's fixed menu line: no dock bar holds it, a drag
// on it moves nothing, and a profile saved while it was docked (it names the
// bar in the top ring's rows) still loads, leaving it where it is.
TEST_F(Layout, TheMenuBarStaysFixedAlongTheTopOfTheFrame) {
  const auto expectFixed = [this](const char* when) {
    CMenuBar& menu = Frame()->m_wndMenuBar;
    EXPECT_EQ(menu.GetParent(), Frame()) << when;
    EXPECT_EQ(menu.m_pDockBar, nullptr) << when;
    CRect bar, client;
    menu.GetWindowRect(&bar);
    Frame()->GetClientRect(&client);
    Frame()->ClientToScreen(&client);
    EXPECT_EQ(bar.TopLeft(), client.TopLeft()) << when;
    EXPECT_EQ(bar.Width(), client.Width()) << when;
    EXPECT_EQ(::GetDlgCtrlID(::GetParent(Frame()->m_wndToolBar.m_hWnd)), static_cast<int>(kKitOuterTop)) << when;
    return bar;
  };
  Start();
  const CRect before = expectFixed("at the start");
  // Pressed beyond its last title and dragged down into the frame.
  const CPoint from(before.right - 12, before.CenterPoint().y);
  compat::host::InjectMouseMove(from.x, from.y);
  compat::host::InjectMouseButton(0, true, from.x, from.y);
  compat::host::InjectMouseMove(from.x - 200, from.y + 180);
  compat::host::InjectMouseButton(0, false, from.x - 200, from.y + 180);
  Idle();
  EXPECT_EQ(expectFixed("after a drag"), before);
  Exit();

  // The top ring's record lists the menu bar in a row of its own, as a
  // layout saved while it docked there did.
  const std::u16string ini = Program(ProgramFolder() / "cM.ini");
  const int records = static_cast<int>(::GetPrivateProfileIntW(u"Calvetta-Summary", u"Bars", 0, ini.c_str()));
  bool named = false;
  for (int i = 0; i < records && !named; ++i) {
    const std::u16string section = u"Calvetta-Bar" + ToU16(std::to_string(i));
    if (::GetPrivateProfileIntW(section.c_str(), u"BarID", 0, ini.c_str()) != kKitOuterTop) continue;
    const int count = static_cast<int>(::GetPrivateProfileIntW(section.c_str(), u"Bars", 0, ini.c_str()));
    std::vector<UINT> ids{0, kKitMenuBarId};
    for (int slot = 0; slot < count; ++slot) {
      const std::u16string key = u"Bar#" + ToU16(std::to_string(slot));
      ids.push_back(::GetPrivateProfileIntW(section.c_str(), key.c_str(), 0, ini.c_str()));
    }
    for (size_t slot = 0; slot < ids.size(); ++slot) {
      const std::u16string key = u"Bar#" + ToU16(std::to_string(slot));
      ::WritePrivateProfileStringW(section.c_str(), key.c_str(), ToU16(std::to_string(ids[slot])).c_str(), ini.c_str());
    }
    ::WritePrivateProfileStringW(section.c_str(), u"Bars", ToU16(std::to_string(ids.size())).c_str(), ini.c_str());
    named = true;
  }
  ASSERT_TRUE(named) << "the profile holds the top ring's record";
  Start();
  EXPECT_EQ(expectFixed("after a profile that docked it"), before);
}

TEST_F(Layout, ARectangleOutsideTheDesktopIsBroughtBackIntoIt) {
  const RECT far{5000, 4000, 5600, 4400};
  RegWriteValue(kSettingsRegistryKey, u"Warpel_WINDOW_RECT", reinterpret_cast<const BYTE*>(&far), sizeof far);
  Start();
  CRect rect;
  Frame()->GetWindowRect(&rect);
  EXPECT_EQ(rect.Width(), 600);
  EXPECT_EQ(rect.Height(), 400);
  EXPECT_LE(rect.right, 1024);
  EXPECT_LE(rect.bottom, 768);
}

TEST_F(Layout, TheDefaultLayoutIsAppliedFromItsFileWhichStaysUntouched) {
  // The factory layout: the "Effect" bar hidden.
  Start();
  Frame()->SendMessage(WM_COMMAND, ID_SHOW_EFFECT);
  Idle();
  Exit();
  fs::copy_file(ProgramFolder() / "cM.ini", ProgramFolder() / "cMDefault.ini");
  const Bytes factory = ReadBytes(ProgramFolder() / "cMDefault.ini");
  Start();
  Frame()->SendMessage(WM_COMMAND, ID_SHOW_EFFECT);
  Idle();
  ASSERT_TRUE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  EXPECT_FALSE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  EXPECT_EQ(ReadBytes(ProgramFolder() / "cMDefault.ini"), factory);
  const std::u16string profile = m_app->m_pszProfileName;
  EXPECT_EQ(profile.substr(profile.size() - 7), u"\\cM.ini");
  EXPECT_EQ(m_app->m_pRecentFileList, nullptr) << "no recent files until the program ends";
  Exit();
  EXPECT_EQ(ReadBytes(ProgramFolder() / "cMDefault.ini"), factory);
}

// The unnamed value of a key under HKEY_CLASSES_ROOT of our registry store.
std::u16string ClassesValue(const char16_t* key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return u"<missing>";
  char16_t text[1024] = {};
  DWORD size = sizeof text - sizeof(char16_t);
  const LONG result = RegQueryValueExW(handle, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS ? std::u16string(text) : u"<unreadable>";
}

TEST_F(Layout, EveryStartRegistersTheProjectTypeWithTheSameContent) {
  Start();
  const std::u16string extension = ClassesValue(u".PVK");
  const std::u16string command = ClassesValue(u"project\\shell\\open\\command");
  EXPECT_EQ(extension, u"project");
  EXPECT_NE(command.find(u"\"%1\""), std::u16string::npos) << std::string(command.begin(), command.end());
  Exit();
  Start();
  EXPECT_EQ(ClassesValue(u".PVK"), extension);
  EXPECT_EQ(ClassesValue(u"project\\shell\\open\\command"), command);
}

TEST_F(Layout, WithoutAFactoryFileTheLayoutStaysAsItIs) {
  Start();
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  EXPECT_TRUE(m_app->m_wndEffectBar.GetStyle() & WS_VISIBLE);
  EXPECT_TRUE(View()->PreviewBar().GetStyle() & WS_VISIBLE);
  EXPECT_EQ(::GetDlgCtrlID(::GetParent(m_app->m_wndEffectBar.m_hWnd)), AFX_IDW_DOCKBAR_BOTTOM);
  EXPECT_FALSE(fs::exists(ProgramFolder() / "cMDefault.ini")) << "only ever read";
}

}  // namespace
}  // namespace apptest
