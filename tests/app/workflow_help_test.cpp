// Help and About as a newcomer finds them: Ctrl+A shows the About box over a
// disabled main window, and the home page and support items of the Help menu
// hand their addresses to the system's opener.
#include "workflow_test_support.h"

namespace apptest {
namespace {

using HelpWorkflow = Workflow;

TEST_F(HelpWorkflow, AboutShowsItsBoxAndTheWebItemsOpenTheirAddresses) {
  StubOpener opener(m_temp);
  Start();
  HWND about = nullptr;
  bool mainEnabledUnderneath = true;
  compat::AddModalStepOnTemplate(IDD_ABOUTBOX, [&](HWND box) {
    about = box;
    mainEnabledUnderneath = MainWindowEnabled();
    char16_t caption[64] = {};
    ::GetWindowTextW(box, caption, 64);
    EXPECT_EQ(std::u16string(caption), u"About Calvetta");
    EXPECT_TRUE(compat::WriteWindowPng(box, dlgtest::PngPath("workflow_about").c_str()));
    HWND icon = ::GetWindow(box, GW_CHILD);
    EXPECT_EQ(::GetWindowLongW(icon, GWL_STYLE) & SS_TYPEMASK, SS_ICON);
    EXPECT_NE(::SendMessageW(icon, STM_GETICON, 0, 0), 0) << "the program's icon shows";
    compat::host::InjectKeyPress(VK_RETURN);
  });
  View()->SetFocus();
  CtrlKey('A');
  Idle();
  ASSERT_NE(about, nullptr) << "Ctrl+A showed no dialog of template 100";
  EXPECT_FALSE(mainEnabledUnderneath) << "the box is modal";
  EXPECT_FALSE(::IsWindow(about)) << "Enter closed it";
  EXPECT_TRUE(MainWindowEnabled());

  Command(ID_VISIT_HOMEPAGE);
  EXPECT_EQ(opener.Opened(1), std::vector<std::string>{"https://example.org/calvetta/"});
  Command(ID_SUPPORT);
  EXPECT_EQ(opener.Opened(2),
            (std::vector<std::string>{"https://example.org/calvetta/", "mailto:calvetta-support@example.org"}));
}

// F1 and the web items with no opener on the system, or one that fails: the
// user is told which page or address could not be opened, paths written as
// the desktop writes them.
TEST_F(HelpWorkflow, HelpAndWebItemsWithoutAWorkingOpenerSayWhatDidNotOpen) {
  const std::string oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  struct RestorePath {
    std::string path;
    ~RestorePath() { setenv("PATH", path.c_str(), 1); }
  } restore{oldPath};
  Start();
  const std::string page = (ProgramFolder() / "Help" / "Calvetta" / "index.html").string();
  for (const bool present : {false, true}) {
    const fs::path bin = fs::path(m_temp) / (present ? "failing" : "none");
    fs::create_directories(bin);
    if (present) {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\nexit 4\n";
      fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    }
    setenv("PATH", bin.c_str(), 1);
    std::u16string seen;
    AnswerMessageBox(&seen);
    View()->SetFocus();
    compat::host::InjectKeyPress(VK_F1);
    Idle();
    EXPECT_EQ(seen, u"shown") << (present ? "a failing opener" : "no opener");
    EXPECT_EQ(compat::LastMessageBoxText(), u"Cannot open the help page \"" + compat::Utf8ToUtf16(page) + u"\".");
    for (const auto& [command, address] : {std::pair{ID_VISIT_HOMEPAGE, u"https://example.org/calvetta/"},
                                           std::pair{ID_SUPPORT, u"mailto:calvetta-support@example.org"}}) {
      seen.clear();
      AnswerMessageBox(&seen);
      Command(command);
      Idle();
      EXPECT_EQ(seen, u"shown") << command << (present ? ": a failing opener" : ": no opener");
      EXPECT_EQ(compat::LastMessageBoxText(), u"Cannot open \"" + std::u16string(address) + u"\".");
    }
  }
}

}  // namespace
}  // namespace apptest
