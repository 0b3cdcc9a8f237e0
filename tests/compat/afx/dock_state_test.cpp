// The dock state in the profile: every key written, read back by an
// independent INI reader, missing keys taken as defaults, and positions from
// a larger screen scaled into ours.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "compat/afx.h"
#include "compat/afx/test_helpers.h"
#include "compat/host_path.h"
#include "support/tool_runner.h"

namespace {

class ProfileApp : public CWinApp {
 public:
  explicit ProfileApp(const CString& ini) {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(ini);
  }
};

CControlBarInfo* AddInfo(CDockState& state, UINT id) {
  auto* info = new CControlBarInfo;
  info->m_nBarID = id;
  state.m_arrBarInfo.Add(info);
  return info;
}

CControlBarInfo* Info(CDockState& state, int index) {
  return static_cast<CControlBarInfo*>(state.m_arrBarInfo[index]);
}

void* Slot(DWORD value) { return reinterpret_cast<void*>(static_cast<UINT_PTR>(value)); }

// "section/key" -> value, as Python's configparser reads the file.
std::map<std::string, std::string> ReadWithConfigParser(const std::string& path) {
  // Another program sees the profile as it stands after the writes so far are flushed.
  ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, compat::FromHostPath(path).c_str());
  const std::string script =
      "import configparser,sys\n"
      "c=configparser.ConfigParser(interpolation=None)\n"
      "c.optionxform=str\n"
      "c.read(sys.argv[1],encoding='utf-8')\n"
      "[print(s+'/'+k+'='+v) for s in c.sections() for k,v in c[s].items()]\n";
  const std::string output = testsupport::RunTool("python3 -c \"" + script + "\" '" + path + "'");
  std::map<std::string, std::string> values;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
  }
  return values;
}

class DockStateProfile : public ::testing::Test {
 protected:
  TempFolder m_folder;
  CString m_ini = m_folder.Path(u"dock.ini");
  std::string m_hostIni = m_folder.Host() + "/dock.ini";
  ProfileApp m_app{m_ini};
};

TEST_F(DockStateProfile, EveryKeyIsWrittenAndAnIndependentReaderSeesThem) {
  CDockState state;
  CControlBarInfo* top = AddInfo(state, 0xE81B);
  top->m_bDockBar = TRUE;
  for (DWORD id : {0u, 0xE800u, 0u, static_cast<unsigned>(MAKELONG(0x5001, 1)), 0x5002u, 0u}) top->m_arrBarID.Add(Slot(id));
  CControlBarInfo* bar = AddInfo(state, 0xE800);
  bar->m_bVisible = FALSE;
  bar->m_bHorz = FALSE;
  bar->m_pointPos = CPoint(-2, 30);
  bar->m_nMRUWidth = 120;
  bar->m_bDocking = TRUE;
  bar->m_uMRUDockID = 0xE81C;
  bar->m_rectMRUDockPos = CRect(1, 2, 30, 200);
  bar->m_dwMRUFloatStyle = 0x2040;
  bar->m_ptMRUFloatPos = CPoint(300, 310);
  state.SaveState(u"Test");

  CALVETTA_REQUIRE_TOOL(testsupport::HaveTool("python3"), "python3");
  auto values = ReadWithConfigParser(m_hostIni);
  EXPECT_EQ(values["Test-Summary/Bars"], "2");
  EXPECT_EQ(values["Test-Summary/ScreenCX"], std::to_string(GetSystemMetrics(SM_CXSCREEN)));
  EXPECT_EQ(values["Test-Summary/ScreenCY"], std::to_string(GetSystemMetrics(SM_CYSCREEN)));
  EXPECT_EQ(values["Test-Bar0/BarID"], "59419");
  EXPECT_EQ(values["Test-Bar0/Bars"], "6");
  EXPECT_EQ(values["Test-Bar0/Bar#1"], "59392");
  EXPECT_EQ(values["Test-Bar0/Bar#3"], std::to_string(0x15001));  // a placeholder: MAKELONG(id, 1)
  EXPECT_EQ(values["Test-Bar0/Bar#5"], "0");
  const std::map<std::string, std::string> expected = {
      {"BarID", "59392"},         {"Visible", "0"},          {"Horz", "0"},
      {"Floating", "0"},          {"XPos", "-2"},            {"YPos", "30"},
      {"MRUWidth", "120"},        {"Docking", "1"},          {"MRUDockID", "59420"},
      {"MRUDockLeftPos", "1"},    {"MRUDockTopPos", "2"},    {"MRUDockRightPos", "30"},
      {"MRUDockBottomPos", "200"}, {"MRUFloatStyle", "8256"}, {"MRUFloatXPos", "300"},
      {"MRUFloatYPos", "310"},    {"Bars", "0"}};
  for (const auto& [key, value] : expected) EXPECT_EQ(values["Test-Bar1/" + key], value) << key;

  CDockState loaded;
  loaded.LoadState(u"Test");
  ASSERT_EQ(loaded.m_arrBarInfo.GetSize(), 2);
  EXPECT_TRUE(Info(loaded, 0)->m_bDockBar);
  ASSERT_EQ(Info(loaded, 0)->m_arrBarID.GetSize(), 6);
  EXPECT_EQ(Info(loaded, 0)->m_arrBarID[3], Slot(MAKELONG(0x5001, 1)));
  CControlBarInfo* back = Info(loaded, 1);
  EXPECT_FALSE(back->m_bVisible);
  EXPECT_EQ(back->m_pointPos, CPoint(-2, 30));
  EXPECT_EQ(back->m_rectMRUDockPos, CRect(1, 2, 30, 200));
  EXPECT_EQ(back->m_dwMRUFloatStyle, 0x2040u);
  EXPECT_EQ(back->m_ptMRUFloatPos, CPoint(300, 310));
}

TEST_F(DockStateProfile, ARecordMissingKeysReadsTheDefaults) {
  ::WritePrivateProfileStringW(u"Old-Summary", u"Bars", u"1", m_ini);
  ::WritePrivateProfileStringW(u"Old-Bar0", u"BarID", u"59392", m_ini);
  CDockState state;
  state.LoadState(u"Old");
  ASSERT_EQ(state.m_arrBarInfo.GetSize(), 1);
  CControlBarInfo* info = Info(state, 0);
  EXPECT_EQ(info->m_nBarID, 59392u);
  EXPECT_TRUE(info->m_bVisible);
  EXPECT_TRUE(info->m_bHorz);
  EXPECT_FALSE(info->m_bFloating);
  EXPECT_EQ(info->m_pointPos, CPoint(-1, -1));
  EXPECT_EQ(info->m_nMRUWidth, 32767u);
  EXPECT_FALSE(info->m_bDocking);
  EXPECT_EQ(info->m_ptMRUFloatPos, CPoint(-1, -1));
  EXPECT_EQ(info->m_arrBarID.GetSize(), 0);
}

TEST_F(DockStateProfile, CorruptCountsReadAsNothing) {
  ::WritePrivateProfileStringW(u"Bad-Summary", u"Bars", u"-5", m_ini);
  CDockState state;
  state.LoadState(u"Bad");
  EXPECT_EQ(state.m_arrBarInfo.GetSize(), 0);
  ::WritePrivateProfileStringW(u"Bad-Summary", u"Bars", u"1", m_ini);
  ::WritePrivateProfileStringW(u"Bad-Bar0", u"Bars", u"99999999", m_ini);
  state.LoadState(u"Bad");
  EXPECT_EQ(state.m_arrBarInfo.GetSize(), 0);  // a record listing more slots than any frame has is dropped
}

TEST_F(DockStateProfile, PositionsSavedOnALargerScreenAreScaledAndKeptOnOurs) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  CString text;
  text.Format(u"%d", cx * 2);
  ::WritePrivateProfileStringW(u"Big-Summary", u"ScreenCX", text, m_ini);
  text.Format(u"%d", cy * 2);
  ::WritePrivateProfileStringW(u"Big-Summary", u"ScreenCY", text, m_ini);
  ::WritePrivateProfileStringW(u"Big-Summary", u"Bars", u"2", m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar0", u"BarID", u"59423", m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar0", u"Floating", u"1", m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar0", u"XPos", u"400", m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar0", u"YPos", u"300", m_ini);
  text.Format(u"%d", cx * 2 - 10);  // near the right edge of the larger screen
  ::WritePrivateProfileStringW(u"Big-Bar1", u"BarID", u"59392", m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar1", u"MRUFloatXPos", text, m_ini);
  ::WritePrivateProfileStringW(u"Big-Bar1", u"MRUFloatYPos", u"20", m_ini);
  CDockState state;
  state.LoadState(u"Big");
  EXPECT_EQ(state.GetScreenSize(), CSize(cx * 2, cy * 2));
  ASSERT_EQ(state.m_arrBarInfo.GetSize(), 2);
  EXPECT_EQ(Info(state, 0)->m_pointPos, CPoint(200, 150));
  // Halved is still too near the edge: kept an icon's width inside.
  EXPECT_EQ(Info(state, 1)->m_ptMRUFloatPos, CPoint(cx - GetSystemMetrics(SM_CXICON), 10));
}

}  // namespace
