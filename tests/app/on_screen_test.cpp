// The editor on a real X server (run under xvfb-run by the x11 label), and
// the program started where no display can be opened.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>

#include "editor_test_support.h"
#include "support/tool_runner.h"

namespace apptest {
namespace {

using EditorOnScreen = EditorTest;

TEST_F(EditorOnScreen, TheEditorShowsOnTheDisplay) {
  if (!std::getenv("CALVETTA_APP_X11")) GTEST_SKIP() << "runs under xvfb-run (label x11)";
  ASSERT_STREQ(compat::host::DriverName(), "x11");
  Start();
  Frame()->MoveWindow(0, 0, 1024, 720);
  Idle();
  compat::host::SyncPresents();
  const std::string dir = std::string(CALVETTA_TEST_PNG_DIR) + "/x11";
  fs::create_directories(dir);
  std::string error;
  EXPECT_TRUE(compat::host::WriteDesktopPng(dir + "/calvetta_editor.png", &error)) << error;
}

// Seconds and output of the program run with this environment prefix.
std::string RunProgram(const std::string& environment, int* status, double* seconds) {
  const auto start = std::chrono::steady_clock::now();
  const std::string output =
      testsupport::RunTool("sh -c '" + environment + " " + CALVETTA_PROGRAM + " 2>&1'", status);
  *seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return output;
}

TEST(ProgramWithoutDisplay, SaysSoInOneLineAndEndsWithStatusOne) {
  for (const std::string environment : {"env -u DISPLAY -u CALVETTA_HOST", "env -u CALVETTA_HOST DISPLAY=:7391"}) {
    int status = 0;
    double seconds = 0;
    const std::string output = RunProgram(environment, &status, &seconds);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << environment;
    EXPECT_LT(seconds, 1.0) << environment;
    ASSERT_FALSE(output.empty()) << environment;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << "one line: " << output;
    EXPECT_NE(output.find("display"), std::string::npos) << output;
    EXPECT_NE(output.find("CALVETTA_HOST=headless"), std::string::npos) << "says how to run it: " << output;
  }
}

}  // namespace
}  // namespace apptest
