// Pictures of the editor for a person to look at: a tour of the main window,
// its menus, its bars and every dialog, written under the PNG folder's
// tour/ (x11/tour/ on the X server, where the x11 label runs it); and the
// help pages' screenshots, rewritten in data/help/pages when
// CALVETTA_REGENERATE_HELP=1.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>

#include "editor_test_support.h"
#include "guitk/menu_bar.h"
#include "guitk/subclass_wnd.h"
#include "imaging/image_file.h"
#include "model/project/line_set.h"
#include "res/resource.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

// A text as part of a file name: letters and digits, lower case, '_' between.
std::string Slug(const char16_t* text) {
  std::string name;
  for (const char16_t* c = text; *c; ++c) {
    if (*c == u'&') continue;
    if (*c < 128 && std::isalnum(static_cast<int>(*c))) name += static_cast<char>(std::tolower(static_cast<int>(*c)));
    else if (!name.empty() && name.back() != '_') name += '_';
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name;
}

bool Wanted(const char* variable) {
  const char* value = std::getenv(variable);
  return value && std::string(value) == "1";
}

// Ends the menu loop after one step, taken when the popup is up and idle.
class MenuStep : public CSubclassWnd {
 public:
  std::function<void()> step;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_ENTERIDLE || wParam != MSGF_MENU) return CSubclassWnd::WindowProc(message, wParam, lParam);
    if (step) {
      auto once = std::move(step);
      step = nullptr;
      once();
      ::PostMessageW(m_hWnd, WM_NULL, 0, 0);
    } else {
      ::EndMenu();
    }
    return 0;
  }
};

void WriteHelpPicture(const std::string& from, const fs::path& to, int width);

class EditorTour : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    m_dir = fs::path(CALVETTA_TEST_PNG_DIR) / (std::string(compat::host::DriverName()) == "x11" ? "x11/tour" : "tour");
    fs::create_directories(m_dir);
  }

  // A 320 x 240 picture with something to morph: a soft gradient and a disc
  // (a square when `square`) of another colour with a darker rim.
  CString Picture(const char* name, DWORD from, DWORD to, DWORD shape, bool square) {
    constexpr int w = 320, h = 240;
    std::vector<DWORD> pixels(static_cast<size_t>(w) * h);
    auto mix = [](DWORD a, DWORD b, double t) {
      DWORD out = 0;
      for (int shift = 0; shift <= 16; shift += 8) {
        const double v = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        out |= static_cast<DWORD>(std::lround(v)) << shift;
      }
      return out;
    };
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const double dx = x - w / 2.0, dy = y - h / 2.0;
        const double d = square ? std::max(std::abs(dx), std::abs(dy)) : std::sqrt(dx * dx + dy * dy);
        DWORD rgb = mix(from, to, (x + y) / double(w + h));
        if (d < 70) rgb = mix(shape, 0x000000, d > 62 ? 0.5 : 0.0);
        if (!square && d < 70 && dy < -10 && std::abs(std::abs(dx) - 25) < 7 && dy > -30) rgb = 0x202020;  // eyes
        pixels[static_cast<size_t>(y) * w + x] = 0xFF000000 | rgb;
      }
    const CString file(Program(fs::path(m_temp) / name));
    CImageFile writer;
    EXPECT_TRUE(writer.Save(file, 0, 0, w, h, pixels.data(), 0));
    return file;
  }
  void ClickIn(CWnd* pane, int x, int y) {
    POINT p{x, y};
    pane->ClientToScreen(&p);
    compat::host::InjectMouseMove(p.x, p.y);
    compat::host::InjectClick(0, p.x, p.y);
  }
  // The editor as a newcomer sees it after importing a pair and drawing feature lines.
  void OpenSamplePair() {
    Start();
    Frame()->ShowWindow(SW_MAXIMIZE);
    Project()->SetOutputSize(320, 240);
    CMorphPair* pair = Project()->CurrentPair();
    pair->SetSourceImage(Picture("face.bmp", 0xF0C080, 0xC06040, 0xF0D0A0, false));
    pair->SetTargetImage(Picture("block.bmp", 0x80C0F0, 0x2040A0, 0x60E060, true));
    for (CImageSlot* slot : {pair->GetSourceSlot(), pair->GetTargetSlot()}) slot->SetZoom(1.0f);
    m_app->m_transitionPanel.RefreshFromProject();
    View()->PreviewWindow()->RecalcLayout();
    View()->RefreshPanes();
    Idle();
    Frame()->SendMessage(WM_COMMAND, ID_MODE_FEATURE_LINE);
    CImageViewDlg* source = View()->SourcePane();
    // Each line: "Create New Line Mode" (a finished line leaves the editor in
    // "Line Edit Mode"), its points, a double click on the last one.
    for (const auto& line : {std::vector<POINT>{{90, 60}, {160, 40}, {230, 60}, {230, 60}},
                             std::vector<POINT>{{110, 180}, {160, 200}, {210, 180}, {210, 180}}}) {
      Frame()->SendMessage(WM_COMMAND, ID_LINE_CREATE);
      for (const POINT& p : line) ClickIn(source, p.x, p.y);
      Idle();
    }
    EXPECT_EQ(pair->GetSourceLines()->GetLineCount(), 2);
    // A frame from the middle of the morph in the preview.
    pair->SetCurrentFrame(40);
    View()->RedrawPanes();
    View()->RenderCurrent();
    Idle();
  }

  static constexpr int kBackgroundIcon = 1016;  // Morpher Setup's "Background:"

  std::string PngFile(const std::string& name) const { return (m_dir / (name + ".png")).string(); }
  void Shot(HWND window, const std::string& name) {
    compat::host::SyncPresents();
    EXPECT_TRUE(compat::WriteWindowPng(window, PngFile(name).c_str())) << name;
  }
  void ShotRect(RECT rect, const std::string& name) {
    compat::host::SyncPresents();
    std::string error;
    EXPECT_TRUE(compat::host::WriteSurfacePng(*compat::host::DesktopSurface(), &rect, PngFile(name), &error)) << error;
  }
  // Runs a command that opens a modal dialog, takes its picture once it is
  // idle on the screen and closes it with Escape.
  void ShotDialog(CWnd* to, UINT command, const std::string& name, bool withPalette = false) {
    bool shown = false;
    // The palette window shows on a click on the dialog's background icon.
    if (withPalette)
      compat::AddModalStep([] {
        RECT icon{};
        ::GetWindowRect(::GetDlgItem(::GetActiveWindow(), kBackgroundIcon), &icon);
        const int x = (icon.left + icon.right) / 2, y = (icon.top + icon.bottom) / 2;
        compat::host::InjectMouseMove(x, y);
        compat::host::InjectClick(0, x, y);
      });
    compat::AddModalStep([this, name, withPalette, &shown] {
      HWND dialog = ::GetActiveWindow();
      const HWND palette = ::FindWindowW(nullptr, u"Select Background");
      // The shown palette is active: the dialog is its owner.
      if (withPalette && palette && dialog == palette) dialog = ::GetWindow(palette, GW_OWNER);
      if (dialog && dialog != Frame()->m_hWnd) {
        // When asked, with the palette window beside it.
        RECT area;
        ::GetWindowRect(dialog, &area);
        if (withPalette && palette && ::IsWindowVisible(palette)) {
          RECT more;
          ::GetWindowRect(palette, &more);
          ::UnionRect(&area, &area, &more);
        }
        ShotRect(area, name);
        shown = true;
      }
      if (!withPalette) {
        compat::host::InjectKeyPress(VK_ESCAPE);
        return;
      }
      // Escape would only hide the palette: the dialog's caption first.
      RECT frame{};
      ::GetWindowRect(dialog, &frame);
      compat::host::InjectMouseMove(frame.left + 40, frame.top + 8);
      compat::host::InjectClick(0, frame.left + 40, frame.top + 8);
    });
    if (withPalette) compat::AddModalStep([] { compat::host::InjectKeyPress(VK_ESCAPE); });
    to->SendMessage(WM_COMMAND, command, 0);
    Idle();
    EXPECT_TRUE(shown) << name << ": no dialog came up";
  }
  // Opens each title of the menu bar with the mouse and takes the popup.
  int ShotMenus() {
    CMenuBar& bar = Frame()->m_wndMenuBar;
    int taken = 0;
    for (int i = 0; i < bar.GetItemCount(); ++i) {
      auto* title = dynamic_cast<CMenuBarTitleItem*>(bar.GetItem(i));
      if (!title || !title->m_hPopup || (title->m_fsState & CMenuBarItem::kHidden)) continue;
      CRect rect = title->m_rcItem;
      bar.ClientToScreen(&rect);
      MenuStep driver;
      driver.HookWindow(Frame()->m_hWnd);
      driver.step = [&] {
        const HWND popup = ::FindWindowExW(nullptr, nullptr, u"#32768", nullptr);
        if (!popup) return;
        RECT shown;
        ::GetWindowRect(popup, &shown);
        // The title above the popup belongs in the picture.
        shown.top = std::min(shown.top, rect.top) - 4;
        shown.left = std::min(shown.left, rect.left) - 4;
        shown.right += 6;
        shown.bottom += 6;
        ShotRect(shown, "menu_" + std::to_string(i + 1) + "_" + Slug(title->m_strCaption.GetString()));
        ++taken;
      };
      compat::host::InjectMouseMove(rect.CenterPoint().x, rect.CenterPoint().y);
      compat::host::InjectClick(0, rect.CenterPoint().x, rect.CenterPoint().y);
      Idle();
      driver.HookWindow(static_cast<HWND>(nullptr));
      // Away from the bar, so the next click opens a popup of its own.
      compat::host::InjectMouseMove(500, 400);
      Idle();
    }
    return taken;
  }
  // Each effect of the transition panel's list, chosen as a user does, with
  // its settings dialog in the Effect bar.
  int ShotEffects() {
    CTransitionPanel& panel = m_app->m_transitionPanel;
    constexpr int kInEffect = 1060;
    const HWND combo = ::GetDlgItem(panel.m_hWnd, kInEffect);
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      ::SendMessageW(combo, CB_SETCURSEL, i, 0);
      panel.SendMessage(WM_COMMAND, MAKEWPARAM(kInEffect, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
      Idle();
      char16_t text[64] = {};
      ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      Shot(m_app->m_wndEffectBar.m_hWnd, "effect_" + std::to_string(i + 1) + "_" + Slug(text));
    }
    return count;
  }

  fs::path m_dir;
};

TEST_F(EditorTour, EveryWindowAndDialog) {
  if (!std::getenv("CALVETTA_APP_X11") && !Wanted("CALVETTA_TOUR"))
    GTEST_SKIP() << "runs under xvfb-run (label x11), or with CALVETTA_TOUR=1";
  // The X server's screen size: room for the effects' settings in the Effect bar.
  compat::ResetDesktop(1280, 1024);
  // The file dialogs open where the pictures are.
  struct Folder {
    fs::path before = fs::current_path();
    ~Folder() { fs::current_path(before); }
  } folder;
  fs::current_path(m_temp);
  OpenSamplePair();
  Shot(Frame()->m_hWnd, "main_window");
  Shot(View()->PreviewBar().m_hWnd, "preview_and_play");
  Shot(m_app->m_wndEffectBar.m_hWnd, "effect_bar");
  EXPECT_GE(ShotMenus(), 4);
  Shot(Frame()->m_hWnd, "main_window_after_menus");

  ShotDialog(Frame(), ID_SET_OUTPUT_SIZE, "dialog_output_size");
  ShotDialog(Frame(), ID_EXPORT_ANIMATION, "dialog_export_animation");
  ShotDialog(Frame(), ID_EXPORT_CURRENT_FRAME, "dialog_export_current_frame");
  ShotDialog(Frame(), ID_IMPORT_SOURCE, "dialog_import_source");
  ShotDialog(Frame(), ID_FILE_OPEN, "dialog_open_project");
  ShotDialog(Frame(), ID_APP_ABOUT, "dialog_about");
  fs::create_directories(ProgramFolder() / "Sample");
  for (const char* name : {"Face to block.pvk", "Second sample.pvk"})
    ASSERT_TRUE(Project()->SaveProjectFile(Program(ProgramFolder() / "Sample" / name).c_str()));
  ShotDialog(Frame(), ID_LOAD_SAMPLE, "dialog_load_sample");
  // On the left the bar is as high as the frame: the effects' settings show.
  Frame()->DockControlBar(&m_app->m_wndEffectBar, AFX_IDW_DOCKBAR_LEFT);
  Frame()->RecalcLayout();
  Idle();
  EXPECT_GE(ShotEffects(), 4);
  ShotDialog(Frame(), ID_MORPHER_SETUP, "dialog_morpher_setup", true);
  Frame()->SendMessage(WM_COMMAND, ID_MODE_IMAGE_PROCESS);
  Idle();
  Shot(Frame()->m_hWnd, "main_window_image_process");
  ShotDialog(View()->SourcePane(), ID_SET_CLIP_AREA, "dialog_clip_area");
  ShotDialog(View()->SourcePane(), ID_COLOR_ADJUST, "dialog_color_adjust");
}

// The factory layout on a 1280 x 1024 screen: the Effect bar shows every
// control of the transition panel, the settings of both effects included,
// each whole and none over another. The picture goes beside the help pages
// when CALVETTA_REGENERATE_HELP=1.
TEST_F(EditorTour, TheFactoryLayoutShowsTheWholeTransitionPanel) {
  if (!std::getenv("CALVETTA_APP_X11") && !Wanted("CALVETTA_TOUR"))
    GTEST_SKIP() << "runs under xvfb-run (label x11), or with CALVETTA_TOUR=1";
  compat::ResetDesktop(1280, 1024);
  WriteBytes(ProgramFolder() / "cMDefault.ini", ReadBytes(fs::path(CALVETTA_SOURCE_DIR) / "data" / "cMDefault.ini"));
  OpenSamplePair();
  Frame()->SendMessage(WM_COMMAND, ID_DEFAULT_LAYOUT);
  Idle();
  // Both effects with settings of their own ("Wipe").
  CTransitionPanel& panel = m_app->m_transitionPanel;
  for (int id : {1060, 1062}) {
    const HWND combo = ::GetDlgItem(panel.m_hWnd, id);
    ::SendMessageW(combo, CB_SETCURSEL, 1, 0);
    panel.SendMessage(WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  Idle();
  ASSERT_NE(Project()->CurrentPair()->m_inEffect, nullptr);
  ASSERT_NE(Project()->CurrentPair()->m_outEffect, nullptr);

  CRect shown;
  m_app->m_wndEffectBar.GetClientRect(&shown);
  m_app->m_wndEffectBar.ClientToScreen(&shown);
  shown.IntersectRect(&shown, CRect(0, 0, 1280, 1024));
  std::vector<std::pair<int, CRect>> controls;
  for (HWND child = ::GetWindow(panel.m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    char16_t name[32] = {};
    ::GetClassNameW(child, name, 32);
    const bool group = std::u16string(name) == u"Button" && (::GetWindowLongW(child, GWL_STYLE) & 0x0F) == BS_GROUPBOX;
    // The effects' group boxes run far below their settings: they frame, and are not checked.
    if (group) continue;
    CRect rect, inside;
    ::GetWindowRect(child, &rect);
    inside.IntersectRect(&rect, &shown);
    EXPECT_EQ(inside, rect) << "control " << ::GetDlgCtrlID(child) << " is not shown whole";
    controls.emplace_back(::GetDlgCtrlID(child), rect);
  }
  EXPECT_GE(controls.size(), 19u) << "the pair's fields, the pictures, both effects and their settings";
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t k = i + 1; k < controls.size(); ++k) {
      CRect common;
      EXPECT_FALSE(common.IntersectRect(&controls[i].second, &controls[k].second))
          << "controls " << controls[i].first << " and " << controls[k].first << " overlap";
    }
  Shot(Frame()->m_hWnd, "factory_layout");
  if (Wanted("CALVETTA_REGENERATE_HELP"))
    WriteHelpPicture(PngFile("factory_layout"), fs::path(CALVETTA_SOURCE_DIR) / "data" / "help" / "pages" / "factory_layout.png",
                     1280);
}

// Writes a screenshot, scaled down to `width` at most and cut to 256 colours,
// as a help page's picture.
void WriteHelpPicture(const std::string& from, const fs::path& to, int width) {
  const std::string script =
      "import sys\n"
      "from PIL import Image\n"
      "im=Image.open(sys.argv[1]).convert('RGB')\n"
      "w=int(sys.argv[3])\n"
      "if im.width>w: im=im.resize((w,round(im.height*w/im.width)),Image.LANCZOS)\n"
      "im.quantize(256,method=Image.MEDIANCUT,dither=Image.NONE).save(sys.argv[2],optimize=True)\n";
  const fs::path scriptFile = fs::path(from).parent_path() / "help_picture.py";
  std::ofstream(scriptFile) << script;
  int status = -1;
  testsupport::RunTool("/usr/bin/python3 " + scriptFile.string() + " " + from + " " + to.string() + " " + std::to_string(width),
                       &status);
  fs::remove(scriptFile);
  EXPECT_EQ(status, 0) << to;
}

TEST_F(EditorTour, HelpScreenshotsRegeneratedOnRequest) {
  if (!Wanted("CALVETTA_REGENERATE_HELP")) GTEST_SKIP() << "CALVETTA_REGENERATE_HELP=1 rewrites data/help/pages/*.png";
  const fs::path pages = fs::path(CALVETTA_SOURCE_DIR) / "data" / "help" / "pages";
  OpenSamplePair();
  Shot(Frame()->m_hWnd, "help_main");
  Shot(m_app->m_wndEffectBar.m_hWnd, "help_panel");
  Shot(View()->PreviewBar().m_hWnd, "help_preview");
  ShotDialog(Frame(), ID_EXPORT_ANIMATION, "help_export");
  WriteHelpPicture(PngFile("help_main"), pages / "main_window.png", 640);
  WriteHelpPicture(PngFile("help_panel"), pages / "panel.png", 720);
  WriteHelpPicture(PngFile("help_preview"), pages / "preview.png", 400);
  WriteHelpPicture(PngFile("help_export"), pages / "export_dialog.png", 640);
}

}  // namespace
}  // namespace apptest
