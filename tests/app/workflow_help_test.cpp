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

}  // namespace
}  // namespace apptest
