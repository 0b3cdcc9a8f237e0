// What the editor keeps between runs: the profile "cM.ini" (read back by
// Python's configparser), the window rectangle in the registry, the docking
// layout, and the factory layout of "cMDefault.ini".
#include <cstring>

#include "editor_test_support.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

using Layout = EditorTest;

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
