// kitdemo's pieces: the description reader, the frame, the menu driver, the
// window-tree dump and the popup picture.
#include "kit_demo.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "compat/host.h"
#include "guitk/kit_colors.h"
#include "guitk/menu_looks.h"

namespace kitdemo {
namespace {

std::u16string Widen(const std::string& text) {
  std::u16string out;
  for (unsigned char c : text) out += static_cast<char16_t>(c);
  return out;
}

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
  return out;
}

bool ParseNumber(const std::string& word, long* value) {
  char* end = nullptr;
  *value = std::strtol(word.c_str(), &end, 0);
  return !word.empty() && end && *end == 0;
}

// The platform's path form of a host path.
std::u16string PlatformPath(const std::string& hostPath) {
  std::u16string path = Widen(hostPath);
  for (char16_t& c : path) {
    if (c == u'/') c = u'\\';
  }
  return path;
}

void ReadProfile(Description* d) {
  if (d->profileFile.empty()) return;
  const std::u16string file = PlatformPath(d->profileFile);
  const std::u16string section = d->profileName + u"-Main";
  d->style = static_cast<int>(GetPrivateProfileIntW(section.c_str(), u"Style", d->style, file.c_str()));
  d->theme = static_cast<BOOL>(GetPrivateProfileIntW(section.c_str(), u"Theme", d->theme, file.c_str()));
}

}  // namespace

bool ParseDescription(const std::string& text, const std::string& folder, Description* out, std::string* error) {
  std::istringstream lines(text);
  std::string line;
  int number = 0;
  auto fail = [&](const std::string& why) {
    *error = "line " + std::to_string(number) + ": " + why;
    return false;
  };
  while (std::getline(lines, line)) {
    ++number;
    if (const size_t hash = line.find('#'); hash != std::string::npos) line.erase(hash);
    std::istringstream words(line);
    std::string keyword;
    if (!(words >> keyword)) continue;
    std::vector<std::string> values;
    for (std::string w; words >> w;) values.push_back(w);
    long a = 0, b = 0;
    auto needNumbers = [&](size_t count) {
      return values.size() == count && ParseNumber(values[0], &a) && (count < 2 || ParseNumber(values[1], &b));
    };
    if (keyword == "title") {
      const size_t at = line.find("title") + 5;
      const size_t start = line.find_first_not_of(" \t", at);
      out->title = start == std::string::npos ? u"" : Widen(line.substr(start, line.find_last_not_of(" \t\r") + 1 - start));
    } else if (keyword == "size") {
      if (!needNumbers(2) || a < 100 || b < 60 || a > 4096 || b > 4096) return fail("size needs a width and a height");
      out->width = static_cast<int>(a);
      out->height = static_cast<int>(b);
    } else if (keyword == "menu" || keyword == "accelerators" || keyword == "toolbar") {
      if (!needNumbers(1) || a <= 0 || a > 0xFFFF) return fail(keyword + " needs a resource id");
      if (keyword == "menu") out->menu = static_cast<UINT>(a);
      else if (keyword == "accelerators") out->accelerators = static_cast<UINT>(a);
      else out->toolbars.push_back(static_cast<UINT>(a));
    } else if (keyword == "style") {
      if (!needNumbers(1) || (a != 0x8001 && a != 0x8002 && a != 0x8021)) return fail("style is 0x8001, 0x8002 or 0x8021");
      out->style = static_cast<int>(a);
    } else if (keyword == "theme") {
      if (!needNumbers(1)) return fail("theme needs 0 or 1");
      out->theme = a != 0;
    } else if (keyword == "profile") {
      if (values.empty() || values.size() > 2) return fail("profile needs a file and may name a section");
      out->profileFile = values[0].front() == '/' ? values[0] : folder + "/" + values[0];
      if (values.size() == 2) out->profileName = Widen(values[1]);
    } else if (keyword == "frame") {
      if (values.size() != 1 || (values[0] != "kit" && values[0] != "plain")) return fail("frame is kit or plain");
      out->kitFrame = values[0] == "kit";
    } else if (keyword == "statusbar") {
      if (!needNumbers(1)) return fail("statusbar needs 0 or 1");
      out->statusBar = a != 0;
    } else if (keyword == "docking") {
      out->docking = true;
    } else if (keyword == "dockbar") {
      static const std::map<std::string, DWORD> sides = {
          {"left", CBRS_ALIGN_LEFT}, {"top", CBRS_ALIGN_TOP}, {"right", CBRS_ALIGN_RIGHT}, {"bottom", CBRS_ALIGN_BOTTOM}};
      if (values.size() < 3 || !ParseNumber(values[0], &a) || a <= 0 || a > 0xFFFF || !sides.count(values[1]))
        return fail("dockbar needs an id, an edge (left, top, right, bottom) and a title");
      const size_t at = line.find(values[1], line.find(values[0]) + values[0].size()) + values[1].size();
      const size_t start = line.find_first_not_of(" \t", at);
      out->dockingBars.push_back({static_cast<UINT>(a), sides.at(values[1]),
                                  Widen(line.substr(start, line.find_last_not_of(" \t\r") + 1 - start))});
    } else if (keyword == "radio" || keyword == "check" || keyword == "disable") {
      if (!needNumbers(1) || a <= 0 || a > 0xFFFF) return fail(keyword + " needs a command id");
      out->states[static_cast<UINT>(a)] = keyword == "radio"   ? CommandState::Radio
                                          : keyword == "check" ? CommandState::Checked
                                                               : CommandState::Disabled;
    } else {
      return fail("unknown keyword \"" + keyword + "\"");
    }
  }
  ReadProfile(out);
  return true;
}

bool LoadDescription(const std::string& path, Description* out, std::string* error) {
  std::ifstream file(path);
  if (!file) {
    *error = "cannot read " + path;
    return false;
  }
  std::stringstream text;
  text << file.rdbuf();
  const size_t slash = path.find_last_of('/');
  return ParseDescription(text.str(), slash == std::string::npos ? "." : path.substr(0, slash), out, error);
}

// --- the frame ---

CKitDemoFrame::CKitDemoFrame(const Description& description) : m_description(description) {}

CKitDemoFrame::~CKitDemoFrame() = default;

BOOL CKitDemoFrame::Build() {
  g_kitDrawStyle = g_kitMenuStyle = m_description.style;
  g_kitTheme = m_description.theme;
  // A docking frame never paints over its bars, as the toolkit's frame does.
  const DWORD clip = m_description.docking ? WS_CLIPCHILDREN | WS_CLIPSIBLINGS : 0;
  if (!Create(nullptr, m_description.title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE | clip,
              CRect(10, 10, 10 + m_description.width, 10 + m_description.height), nullptr,
              m_description.menu ? MAKEINTRESOURCEW(m_description.menu) : nullptr))
    return FALSE;
  if (m_description.accelerators)
    m_hAccelTable = LoadAcceleratorsW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_description.accelerators));
  m_bAutoMenuEnable = FALSE;
  m_menuManager.m_nDrawStyle = m_description.style;
  m_menuManager.Install(this);
  for (UINT toolbar : m_description.toolbars) {
    auto bar = m_description.docking ? std::make_unique<CKitToolBarWnd>() : std::make_unique<CToolBar>();
    const UINT id = AFX_IDW_TOOLBAR + static_cast<UINT>(m_toolBars.size());
    if (!bar->Create(this, WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_TOOLTIPS | CBRS_FLYBY, id) || !bar->LoadToolBar(toolbar))
      return FALSE;
    m_toolBars.push_back(std::move(bar));
    m_menuManager.LoadToolbar(toolbar);
  }
  if (m_description.docking && !BuildDocking()) return FALSE;
  RecalcLayout();
  if (m_description.menu) m_drawnMenu.LoadMenu(m_description.menu);
  return TRUE;
}

BOOL CKitDemoFrame::BuildDocking() {
  m_dockRing.EnableKitDocking(this);
  // The toolbars side by side in one row: each docked just right of the one before.
  CControlBar* previous = nullptr;
  for (auto& bar : m_toolBars) {
    bar->EnableDocking(CBRS_ALIGN_ANY);
    CRect place;
    if (previous) {
      RecalcLayout();
      previous->GetWindowRect(&place);
      place.OffsetRect(place.Width(), 0);
    }
    DockControlBar(bar.get(), KitOuterDockBar(this, CBRS_ALIGN_TOP), previous ? &place : nullptr);
    previous = bar.get();
  }
  for (const Description::DockingBar& wanted : m_description.dockingBars) {
    auto* bar = new CDemoDockingBar;
    if (!bar->Create(wanted.title.c_str(), WS_CHILD | WS_VISIBLE | CBRS_SIZE_DYNAMIC, this, wanted.id)) {
      delete bar;
      return FALSE;
    }
    bar->m_bAutoDelete = TRUE;
    bar->EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(bar, KitInnerDockBar(this, wanted.side), nullptr);
    m_dockingBars.push_back(bar);
  }
  return TRUE;
}

void CKitDemoFrame::LoadBarSizes() {
  for (CDemoDockingBar* bar : m_dockingBars) bar->LoadBarSizeState(m_description.profileName.c_str());
  RecalcLayout();
}

void CKitDemoFrame::SaveBarSizes() {
  for (CDemoDockingBar* bar : m_dockingBars) bar->SaveBarSizeState(m_description.profileName.c_str());
}

// --- the demo's docking bar ---

int CDemoDockingBar::OnCreate(LPCREATESTRUCT lpcs) {
  if (CKitControlBar::OnCreate(lpcs) == -1) return -1;
  m_panel.Create(WS_CHILD | WS_VISIBLE | ES_MULTILINE, CRect(0, 0, 10, 10), this, 1);
  return 0;
}

void ReportCommandState(const Description& description, UINT nID, CCmdUI* ui) {
  auto it = description.states.find(nID);
  const CommandState state = it == description.states.end() ? CommandState::Enabled : it->second;
  ui->Enable(state != CommandState::Disabled);
  if (state == CommandState::Radio) ui->SetRadio(TRUE);
  if (state == CommandState::Checked) ui->SetCheck(1);
}

BOOL CKitDemoFrame::OnCmdMsg(UINT nID, int nCode, void* pExtra, void* pHandlerInfo) {
  if (nCode == static_cast<int>(CN_UPDATE_COMMAND_UI)) {
    ReportCommandState(m_description, nID, static_cast<CCmdUI*>(pExtra));
    return TRUE;
  }
  if (nCode == CN_COMMAND && nID < 0xF000) return TRUE;  // the demo's commands do nothing
  return CFrameWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// --- the menu driver ---

LRESULT KitMenuDriver::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_ENTERIDLE || wParam != MSGF_MENU) return CSubclassWnd::WindowProc(message, wParam, lParam);
  if (steps.empty()) {
    EndMenu();
  } else {
    auto step = std::move(steps.front());
    steps.pop_front();
    step();
    PostMessageW(m_hWnd, WM_NULL, 0, 0);  // a step that injects nothing still gets another wait
  }
  return 0;
}

// --- the dump ---

namespace {

void DumpWindow(HWND hwnd, int depth, std::string* out) {
  WCHAR cls[128] = {}, text[128] = {};
  GetClassNameW(hwnd, cls, 128);
  GetWindowTextW(hwnd, text, 128);
  RECT r;
  GetWindowRect(hwnd, &r);
  if (HWND parent = GetParent(hwnd); parent && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD))
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  // The framework's own classes are named after handles: show them as one name.
  std::string name = Narrow(cls);
  if (name.rfind("Afx:", 0) == 0) name = "Afx";
  char line[512];
  std::snprintf(line, sizeof(line), "%*s%s \"%s\" id=%d (%d,%d)-(%d,%d)%s\n", depth * 2, "", name.c_str(),
                Narrow(text).c_str(), GetDlgCtrlID(hwnd), r.left, r.top, r.right, r.bottom,
                IsWindowVisible(hwnd) ? "" : " hidden");
  *out += line;
  for (HWND child = GetWindow(hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) DumpWindow(child, depth + 1, out);
}

}  // namespace

std::string DumpWindowTree(HWND root) {
  std::string out;
  DumpWindow(root, 0, &out);
  return out;
}

// --- the popup picture ---

bool WritePopupPng(CKitDemoFrame* frame, int index, int select, bool drawn, const std::string& pngPath) {
  HMENU bar = drawn ? frame->m_drawnMenu.m_hMenu : ::GetMenu(frame->m_hWnd);
  HMENU popup = bar ? GetSubMenu(bar, index) : nullptr;
  if (!popup) return false;
  // Both menus open under the frame's bar title.
  RECT title{};
  GetMenuItemRect(frame->m_hWnd, ::GetMenu(frame->m_hWnd), static_cast<UINT>(index), &title);
  KitMenuDriver driver;
  driver.HookWindow(frame->m_hWnd);
  bool written = false;
  for (int i = 0; i < select; ++i) driver.steps.push_back([] { compat::host::InjectKeyPress(VK_DOWN); });
  driver.steps.push_back([&] {
    HWND shown = FindWindowExW(nullptr, nullptr, u"#32768", nullptr);
    if (!shown) return;
    RECT r;
    GetWindowRect(shown, &r);
    InflateRect(&r, 6, 6);
    written = compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &r, pngPath);
  });
  RegisterPressedButton(title, 0);
  TPMPARAMS exclude{sizeof(TPMPARAMS), title};
  TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_VERTICAL, title.left, title.bottom, frame->m_hWnd, &exclude);
  driver.HookWindow(static_cast<HWND>(nullptr));
  return written;
}

}  // namespace kitdemo
