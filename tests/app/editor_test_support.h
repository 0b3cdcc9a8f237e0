// The scripted editor: the application object started, run and ended as the
// program does, in a program folder and a registry of the test's own, with
// the modal-loop watchdog and helpers for what a user sees.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/main_frame.h"
#include "app/pentavo_app.h"
#include "app/pentavo_doc.h"
#include "app/pentavo_view.h"
#include "compat/host.h"
#include "compat/host_path.h"
#include "compat/win32/dialog_test_support.h"
#include "model/project/image_slot.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "platform/program_folder.h"
#include "platform/settings_store.h"

namespace apptest {

namespace fs = std::filesystem;
using Bytes = std::vector<char>;

inline fs::path ProgramFolder() { return fs::path(compat::ToHostPath(GetProgramFolder().Native())); }

inline Bytes ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void WriteBytes(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
inline std::u16string Program(const fs::path& host) { return compat::FromHostPath(host.string()); }

inline void StoreShowNextTime(int32_t flag) {
  SaveSetting(u"ShowNextTime", reinterpret_cast<const BYTE*>(&flag), sizeof flag);
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "calvetta_app_XXXXXX").string();
    m_temp = mkdtemp(pattern.data());
    setenv("CALVETTA_REGISTRY", (fs::path(m_temp) / "registry").c_str(), 1);
    ClearProgramFiles();
    compat::ResetDesktop(1024, 768);
    compat::ClearModalSteps();
    // Message boxes are windows a test answers, as a user would.
    compat::SetRealMessageBoxes(true);
    StoreShowNextTime(1);  // most tests start without the Load Sample dialog
  }
  void TearDown() override {
    if (m_app) Exit();
    EXPECT_EQ(compat::PendingModalSteps(), 0) << "a step never ran";
    compat::ClearModalSteps();
    compat::ResetMessageBoxLog();
    ClearProgramFiles();
    fs::remove_all(m_temp);
    unsetenv("CALVETTA_REGISTRY");
  }
  // A key pressed with Ctrl held, as the accelerators take it.
  static void CtrlKey(UINT key) {
    compat::host::InjectKey(VK_CONTROL, true);
    compat::host::InjectKeyPress(key);
    compat::host::InjectKey(VK_CONTROL, false);
  }
  static void ClearProgramFiles() {
    const fs::path folder = ProgramFolder();
    for (const char* name : {"cM.ini", "cMDefault.ini", "Sample", "Data"}) fs::remove_all(folder / name);
  }

  void Start(std::vector<std::u16string> arguments = {}) {
    arguments.insert(arguments.begin(), u"calvetta");
    compat::afx::SetCommandLine(std::move(arguments));
    m_app = std::make_unique<CPentavoApp>();
    ASSERT_TRUE(m_app->InitInstance());
    Idle();
  }
  // What the message loop does when the queue runs dry: command states, "Ready".
  void Idle() {
    Pump();
    for (LONG count = 0; count < 10 && m_app->OnIdle(count); ++count) {
    }
    Pump();
  }
  // The application's own pump, so that accelerators and the frame's pre-translation apply.
  void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT)
      if (!m_app->PumpMessage()) break;
  }
  // A wheel turn where a user's pointer is.
  void Wheel(int delta, POINT at) {
    compat::host::InjectMouseMove(at.x, at.y);
    compat::host::InjectWheel(delta, at.x, at.y);
    Idle();
  }
  // Closes the main window as a user does and runs the loop to its end.
  int Exit() {
    if (CDocument* document = GetMainDocument()) document->SetModifiedFlag(FALSE);
    int status = 0;
    if (m_app->m_pMainWnd) {
      m_app->m_pMainWnd->PostMessage(WM_CLOSE);
      status = m_app->Run();
    } else {
      status = m_app->ExitInstance();
    }
    m_app.reset();
    return status;
  }

  CMainFrame* Frame() { return dynamic_cast<CMainFrame*>(m_app->m_pMainWnd); }
  CPentavoView* View() { return GetMainView(); }
  CMorphProject* Project() { return GetMorphProject(); }
  CString Title() {
    CString title;
    Frame()->GetWindowText(title);
    return title;
  }
  bool ButtonChecked(UINT id) { return Frame()->m_wndToolBar.SendMessage(TB_ISBUTTONCHECKED, id) != 0; }
  std::u16string Pane(int index) { return Frame()->m_wndMainStatusBar.GetPaneText(index).Native(); }
  // The check mark a menu item of this command would show.
  int MenuCheck(UINT id) {
    struct Recorder : CCmdUI {
      int check = -1;
      void Enable(BOOL) override {}
      void SetCheck(int nCheck) override { check = nCheck; }
    } recorder;
    recorder.m_nID = id;
    recorder.DoUpdate(Frame(), FALSE);
    return recorder.check;
  }
  std::string Temp(const std::string& name) const { return (fs::path(m_temp) / name).string(); }
  // Center of a window in desktop coordinates.
  static POINT Center(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  // Answers the next message box with Enter and keeps its caption.
  void AnswerMessageBox(std::u16string* seen) {
    compat::AddModalStepOnCaption(u"Calvetta", [seen](HWND box) {
      if (seen) *seen = u"shown";
      (void)box;
      compat::host::InjectKeyPress(VK_RETURN);
    });
  }

  std::string m_temp;
  std::unique_ptr<CPentavoApp> m_app;
  dlgtest::Watchdog m_watchdog{60};
};

#ifdef CALVETTA_SAMPLE_DIR
// The sample projects the build writes beside the program, copied into this
// program's folder; the pictures they name are there already.
inline void CopySamples() {
  fs::copy(CALVETTA_SAMPLE_DIR, ProgramFolder() / "Sample",
           fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}
#endif

// A stub "xdg-open" put first on PATH for the object's life: it notes each
// target the program asks it to open, one a line.
class StubOpener {
 public:
  explicit StubOpener(const fs::path& folder) : m_note(folder / "opened") {
    const fs::path bin = folder / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << m_note.string() << "'\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    m_oldPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin.string() + ":" + m_oldPath).c_str(), 1);
  }
  ~StubOpener() { setenv("PATH", m_oldPath.c_str(), 1); }
  StubOpener(const StubOpener&) = delete;
  StubOpener& operator=(const StubOpener&) = delete;
  // The targets opened so far, waiting up to two seconds for `count` of them:
  // the opener runs detached.
  std::vector<std::string> Opened(size_t count) {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
      lines.clear();
      std::ifstream in(m_note);
      for (std::string line; std::getline(in, line);) lines.push_back(line);
      if (lines.size() >= count) break;
      usleep(20000);
    }
    return lines;
  }

 private:
  fs::path m_note;
  std::string m_oldPath;
};

}  // namespace apptest
