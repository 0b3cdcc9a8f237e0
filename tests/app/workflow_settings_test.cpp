// The project's settings as a user changes them: the output size (Ctrl+I)
// and the Morpher Setup (Ctrl+M) dialogs worked with keys and clicks, their
// effect seen in the project, the panes, the preview and the saved file;
// Escape changes nothing.
#include "platform/replacing_file.h"
#include "workflow_test_support.h"

namespace apptest {
namespace {

class SettingsWorkflow : public Workflow {
 protected:
  // Clicks the field, selects what it holds and types `digits`, in the
  // dialog's loop; the next step's keys or clicks follow them.
  static void TypeInto(HWND dialog, int id, const char* digits) {
    HWND edit = ::GetDlgItem(::GetDlgItem(dialog, id), 1);
    ASSERT_NE(edit, nullptr) << id;
    ::SetFocus(edit);
    ::SendMessageW(edit, EM_SETSEL, 0, -1);
    for (const char* d = digits; *d; ++d) compat::host::InjectKeyPress(static_cast<UINT>(*d));
    compat::host::InjectKeyPress(VK_TAB);  // leaving the field commits it
  }
  static void ClickControl(HWND dialog, int id) {
    const POINT at = Center(::GetDlgItem(dialog, id));
    compat::host::InjectMouseMove(at.x, at.y);
    compat::host::InjectClick(0, at.x, at.y);
  }
  static int ScrollMax(CWnd* pane, int bar) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE;
    pane->GetScrollInfo(bar, &info, SIF_RANGE);
    return info.nMax;
  }
  CRect PreviewRect() {
    CRect rect;
    View()->PreviewWindow()->m_preview.GetWindowRect(&rect);
    return rect;
  }
};

// The dialog's first field takes the focus as the dialog starts, and Tab the
// next one, each with its number left unselected: a user selects what to
// replace.
TEST_F(SettingsWorkflow, OutputSizeFieldsTakeTheFocusWithTheirNumbersUnselected) {
  OpenPair();
  std::vector<std::pair<DWORD, DWORD>> selections;
  auto note = [&selections] {
    DWORD from = 0, to = 0;
    HWND focus = ::GetFocus();
    ::SendMessageW(focus, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_GT(::GetWindowTextLengthW(focus), 0);
    selections.emplace_back(from, to);
  };
  compat::AddModalStepOnTemplate(IDD_OUTPUT_SIZE, [](HWND) {});
  dlgtest::QueueCheck(note);
  dlgtest::QueueCheck([] { compat::host::InjectKeyPress(VK_TAB); });
  dlgtest::QueueCheck(note);
  dlgtest::QueueCheck([] { compat::host::InjectKeyPress(VK_ESCAPE); });
  View()->SetFocus();
  CtrlKey('I');
  Idle();
  ASSERT_EQ(selections.size(), 2u);
  for (const auto& [from, to] : selections) EXPECT_EQ(from, to) << "nothing selected";
}

TEST_F(SettingsWorkflow, OutputSizeAndMorpherSetupChangeTheProjectAndEscapeKeepsIt) {
  OpenPair();
  SIZE size{};
  Project()->GetOutputSize(size);
  ASSERT_EQ(size.cx, 64);

  // Ctrl+I: 128 x 48, twice as wide as before.
  compat::AddModalStepOnTemplate(IDD_OUTPUT_SIZE, [](HWND dialog) { TypeInto(dialog, 1018, "128"); });
  dlgtest::QueueCheck([] {
    HWND dialog = ::GetActiveWindow();
    TypeInto(dialog, 1019, "48");
  });
  dlgtest::QueueCheck([] {
    HWND dialog = ::GetActiveWindow();
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("workflow_output_size").c_str()));
    ClickControl(dialog, IDOK);
  });
  View()->SetFocus();
  CtrlKey('I');
  Idle();
  Project()->GetOutputSize(size);
  EXPECT_EQ(size.cx, 128);
  EXPECT_EQ(size.cy, 48);
  EXPECT_TRUE(GetMainDocument()->IsModified());
  EXPECT_EQ(ScrollMax(View()->SourcePane(), SB_HORZ), 128) << "the panes show the picture at the new size";
  EXPECT_EQ(ScrollMax(View()->TargetPane(), SB_VERT), 48);
  const CRect preview = PreviewRect();
  EXPECT_NEAR((preview.Width() - 2) * 48, (preview.Height() - 2) * 128, 128) << "the preview takes the new aspect";

  // Escape leaves the size alone.
  compat::AddModalStepOnTemplate(IDD_OUTPUT_SIZE, [](HWND dialog) { TypeInto(dialog, 1018, "300"); });
  dlgtest::QueueKey(VK_ESCAPE);
  CtrlKey('I');
  Idle();
  Project()->GetOutputSize(size);
  EXPECT_EQ(size.cx, 128);

  // Ctrl+M: "Liner" mask edges at 12 frames a second.
  ASSERT_EQ(Project()->GetMaskEdgeMode(), 0);
  ASSERT_NE(Project()->GetFps(), 12);
  compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [](HWND dialog) {
    EXPECT_EQ(::IsDlgButtonChecked(dialog, 1029), BST_CHECKED);
    ClickControl(dialog, 1030);
  });
  dlgtest::QueueCheck([] { TypeInto(::GetActiveWindow(), 1024, "12"); });
  dlgtest::QueueCheck([] {
    EXPECT_TRUE(compat::WriteWindowPng(::GetActiveWindow(), dlgtest::PngPath("workflow_morpher_setup").c_str()));
    EXPECT_EQ(dlgtest::FocusId(), IDOK) << "Tab went on from the rate to OK";
    compat::host::InjectKeyPress(VK_RETURN);
  });
  SetDocumentModified(FALSE);
  CtrlKey('M');
  Idle();
  EXPECT_EQ(Project()->GetMaskEdgeMode(), 1);
  EXPECT_EQ(Project()->GetFps(), 12);
  EXPECT_TRUE(MainWindowEnabled());

  compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [](HWND dialog) { TypeInto(dialog, 1024, "50"); });
  dlgtest::QueueKey(VK_ESCAPE);
  CtrlKey('M');
  Idle();
  EXPECT_EQ(Project()->GetFps(), 12);

  // What was set is what the saved project holds.
  ASSERT_TRUE(Project()->SaveProjectFile(Program(Temp("set.pvk")).c_str()));
  Project()->ResetProject();
  ASSERT_TRUE(Project()->LoadProjectFile(Program(Temp("set.pvk")).c_str()));
  Project()->GetOutputSize(size);
  EXPECT_EQ(size.cx, 128);
  EXPECT_EQ(size.cy, 48);
  EXPECT_EQ(Project()->GetMaskEdgeMode(), 1);
  EXPECT_EQ(Project()->GetFps(), 12);
}

// The "Select Background" window comes with the Morpher Setup it edits for:
// hidden at first, shown by a click on the background icon, under that icon,
// and gone when the dialog closes; the next Morpher Setup brings it back shown.
TEST_F(SettingsWorkflow, MorpherSetupPaletteWindowGoesWithItsDialog) {
  OpenPair();
  auto palette = [] { return ::FindWindowW(nullptr, u"Select Background"); };
  compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [&](HWND dialog) {
    ASSERT_NE(palette(), nullptr);
    EXPECT_EQ(::GetWindow(palette(), GW_OWNER), dialog);
    EXPECT_FALSE(::IsWindowVisible(palette())) << "nothing asked for it yet";
    RECT icon{}, window{};
    ::GetWindowRect(::GetDlgItem(dialog, 1016), &icon);
    ::GetWindowRect(palette(), &window);
    EXPECT_EQ(window.left, icon.left);
    EXPECT_EQ(window.top, icon.bottom);
    ClickControl(dialog, 1016);
  });
  dlgtest::QueueCheck([&] {
    EXPECT_TRUE(::IsWindowVisible(palette())) << "the click on the background icon shows it";
    // The palette is active and covers the buttons: the dialog's caption
    // is clicked first, then Escape closes the dialog.
    RECT dialog{};
    ::GetWindowRect(::GetWindow(palette(), GW_OWNER), &dialog);
    compat::host::InjectMouseMove(dialog.left + 40, dialog.top + 8);
    compat::host::InjectClick(0, dialog.left + 40, dialog.top + 8);
  });
  dlgtest::QueueKey(VK_ESCAPE);
  View()->SetFocus();
  CtrlKey('M');
  Idle();
  EXPECT_EQ(palette(), nullptr) << "no palette window is left after the dialog";
  EXPECT_TRUE(MainWindowEnabled());
  EXPECT_EQ(::GetActiveWindow(), Frame()->m_hWnd);

  compat::AddModalStepOnTemplate(IDD_MORPHER_SETUP, [&](HWND dialog) {
    EXPECT_TRUE(::IsWindowVisible(palette())) << "it was last left shown";
    EXPECT_EQ(::GetWindow(palette(), GW_OWNER), dialog);
    compat::host::InjectKeyPress(VK_ESCAPE);
  });
  CtrlKey('M');
  Idle();
  EXPECT_EQ(palette(), nullptr);
}

// Dialogs open centred on the main window, whole on the desktop: not at the
// frame's corner over its menu bar, and not off the screen when the frame
// lies near an edge.
TEST_F(SettingsWorkflow, DialogsOpenCentredOnTheMainWindowAndOnTheDesktop) {
  Start();
  struct Seen {
    CRect rect;
    bool shown = false;
  };
  auto open = [&](UINT command, UINT templateId) {
    Seen seen;
    compat::AddModalStepOnTemplate(templateId, [&seen](HWND dialog) {
      ::GetWindowRect(dialog, &seen.rect);
      seen.shown = true;
      compat::host::InjectKeyPress(VK_ESCAPE);
    });
    Command(command);
    EXPECT_TRUE(seen.shown) << command;
    return seen.rect;
  };
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  Frame()->MoveWindow(100, 80, 700, 500);
  Idle();
  CRect frame;
  Frame()->GetWindowRect(&frame);
  for (const auto& [command, id] : {std::pair<UINT, UINT>{ID_SET_OUTPUT_SIZE, IDD_OUTPUT_SIZE},
                                    std::pair<UINT, UINT>{ID_MORPHER_SETUP, IDD_MORPHER_SETUP}}) {
    const CRect dialog = open(command, id);
    EXPECT_NEAR(dialog.CenterPoint().x, frame.CenterPoint().x, 1) << id;
    EXPECT_NEAR(dialog.CenterPoint().y, frame.CenterPoint().y, 1) << id;
  }
  // The frame half off the desktop's bottom-right corner: the dialog stays on it.
  Frame()->MoveWindow(work.right - 200, work.bottom - 150, 700, 500);
  Idle();
  const CRect dialog = open(ID_SET_OUTPUT_SIZE, IDD_OUTPUT_SIZE);
  EXPECT_LE(dialog.right, work.right);
  EXPECT_LE(dialog.bottom, work.bottom);
  EXPECT_GE(dialog.left, work.left);
  EXPECT_GE(dialog.top, work.top);
}

}  // namespace
}  // namespace apptest

namespace apptest {
namespace {

// The layout goes to "cM.ini" as the program closes. When the profile
// cannot be replaced (here a folder stands in its place) the program still
// closes, the earlier profile stays, and the user is told once, naming it.
TEST_F(SettingsWorkflow, AProfileThatCannotBeWrittenIsToldOnceAtClose) {
  const fs::path profile = ProgramFolder() / "cM.ini";
  fs::remove_all(profile);
  fs::create_directory(profile);
  ResetWriteFailureReports();
  Start();
  const int before = compat::MessageBoxCount();
  Exit();
  EXPECT_EQ(compat::MessageBoxCount() - before, 1);
  const std::u16string told = compat::LastMessageBoxText();
  EXPECT_NE(told.find(u"cM.ini"), std::u16string::npos) << compat::Utf16ToUtf8(told);
  EXPECT_TRUE(fs::is_directory(profile)) << "nothing replaced it";
  fs::remove_all(profile);
}

}  // namespace
}  // namespace apptest
