// The X11 host on a virtual display, driven as a user would with xdotool: the
// demonstration program's message log against the same script played
// headless, screenshots of the X screen against the program's own capture,
// the title, the close request, cursors read back through XFixes, ClipCursor,
// and the fallback when the display cannot be opened.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>

#include "x11_test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using x11test::Shell;
using x11test::WaitUntil;

const auto* const g_keepServer = ::testing::AddGlobalTestEnvironment(new x11test::KeepServer);


// Logs, captures and screenshots go under the build tree, to be looked at.
std::string TempPath(const std::string& name) {
  mkdir("x11_host_output", 0755);
  return "x11_host_output/" + name;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The demonstration program running on the display, with the X11 host.
class Demo {
 public:
  explicit Demo(std::vector<std::string> args, bool headless = false) {
    pid_ = fork();
    if (pid_ == 0) {
      if (headless) setenv("CALVETTA_HOST", "headless", 1);
      else unsetenv("CALVETTA_HOST");
      std::vector<char*> argv{const_cast<char*>(CALVETTA_X11_DEMO)};
      for (std::string& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~Demo() {
    if (pid_ > 0 && Running()) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }

  bool Running() {
    if (exited_) return false;
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      exited_ = true;
      exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return false;
    }
    return true;
  }
  // Stops the program or lets it go on (SIGSTOP, SIGCONT): what the X server
  // does meanwhile waits in its queue.
  void Signal(int signal) { kill(pid_, signal); }
  // The exit code, or -1 when the program is still running after the wait.
  int WaitForExit(int milliseconds = 10000) {
    WaitUntil([this] { return !Running(); }, milliseconds);
    return exited_ ? exitCode_ : -1;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int exitCode_ = 0;
};

// The demonstration program's main window, once it shows.
std::string DemoWindow() {
  std::string id;
  WaitUntil([&] {
    id = Shell("xdotool search --onlyvisible --name '^Calvetta demo' 2>/dev/null | head -1");
    return !id.empty();
  });
  return id;
}

// As a window manager does when the user clicks the close button.
void SendCloseRequest(const std::string& windowId) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = std::stoul(windowId);
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
  XCloseDisplay(display);
}

// --- the scripted session ---

// The script, in the demonstration program's replay syntax; xdotool plays it on X.
const char* const kScript[] = {
    "click 1 150 150",
    "dblclick 200 180",
    "down 1 120 200",
    "move 300 220",
    "move 1000 700",  // outside the X window while the capture holds
    "up 1 1000 700",
    "wheel up 150 150",
    "wheel down 150 150",
    "click 3 160 160",
    "type Hello, w\xC3\xB6rld",
    "key alt+f",
    "key F10",
    "key Caps_Lock",
};

std::string XdotoolFor(const std::string& line) {
  std::istringstream in(line);
  std::string verb, a, b, c;
  in >> verb >> a >> b >> c;
  if (verb == "click") return "xdotool mousemove " + b + " " + c + " click " + a;
  if (verb == "dblclick") return "xdotool mousemove " + a + " " + b + " click --repeat 2 --delay 120 1";
  if (verb == "down") return "xdotool mousemove " + b + " " + c + " mousedown " + a;
  if (verb == "up") return "xdotool mousemove " + b + " " + c + " mouseup " + a;
  if (verb == "move") return "xdotool mousemove " + a + " " + b;
  if (verb == "wheel") return "xdotool mousemove " + b + " " + c + " click " + (a == "up" ? "4" : "5");
  if (verb == "type") return "xdotool type --delay 40 '" + line.substr(5) + "'";
  if (verb == "key") return "xdotool key " + a;
  return "true";
}

TEST(X11Host, ScriptedSessionLogsAsTheSameScriptPlayedHeadless) {
  const std::string xLog = TempPath("x.log"), headlessLog = TempPath("headless.log"), script = TempPath("script");
  {
    std::ofstream out(script);
    for (const char* line : kScript) out << line << '\n';
  }
  Demo demo({"--log", xLog});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  Shell("xdotool windowfocus --sync " + window);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (const char* line : kScript) {
    Shell(XdotoolFor(line));
    // Clicks apart from each other stay single clicks.
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  }
  SendCloseRequest(window);
  const int exitCode = demo.WaitForExit();
  Shell("xdotool key Caps_Lock");  // the server outlives the program: leave it as found
  ASSERT_EQ(exitCode, 0);

  Demo replay({"--replay", script, "--log", headlessLog, "--desktop", "1280x1024"}, true);
  ASSERT_EQ(replay.WaitForExit(), 0);

  std::vector<std::string> onX = ReadLines(xLog), headless = ReadLines(headlessLog);
  // The "ö" comes as a character of its own, which the US table cannot type.
  std::vector<std::string> umlaut;
  std::erase_if(onX, [&](const std::string& l) {
    const bool special = l.find(" 00e7 ") != std::string::npos || l.find("WM_CHAR 00f6") != std::string::npos;
    if (special) umlaut.push_back(l);
    return special;
  });
  EXPECT_EQ(umlaut, (std::vector<std::string>{"child WM_KEYDOWN 00e7 00000001", "child WM_CHAR 00f6 00000001",
                                              "child WM_KEYUP 00e7 c0000001"}));
  EXPECT_EQ(onX, headless);
  // The session did what the script says, not merely the same on both hosts.
  auto has = [&](const std::string& l) { return std::find(headless.begin(), headless.end(), l) != headless.end(); };
  EXPECT_TRUE(has("child WM_LBUTTONDBLCLK keys=1 at=158,119"));
  EXPECT_TRUE(has("child WM_MOUSEWHEEL delta=120"));
  EXPECT_TRUE(has("child WM_MOUSEWHEEL delta=-120"));
  EXPECT_TRUE(has("child WM_SYSCHAR 0066 20210001"));
  EXPECT_TRUE(has("child WM_SYSKEYDOWN 0079 00440001"));
  EXPECT_TRUE(has("child caps lock toggled=1"));
  EXPECT_TRUE(has("main WM_SYSCOMMAND f060 00000000"));
  std::string typed;
  for (const std::string& l : onX)
    if (l.rfind("child WM_CHAR ", 0) == 0) typed += static_cast<char>(std::stoi(l.substr(14, 4), nullptr, 16));
  EXPECT_EQ(typed, "Hello, wrld");
}

// The size of the window's _NET_WM_ICON and its number of pixels.
std::string WindowIconShape(const std::string& windowId) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return "";
  Atom type;
  int format;
  unsigned long count = 0, after;
  unsigned char* data = nullptr;
  std::string shape;
  if (XGetWindowProperty(display, std::stoul(windowId), XInternAtom(display, "_NET_WM_ICON", False), 0, 1 << 16,
                         False, AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
      data && count >= 2) {
    const auto* values = reinterpret_cast<const unsigned long*>(data);
    shape = std::to_string(values[0]) + "x" + std::to_string(values[1]) + " " + std::to_string(count - 2);
  }
  if (data) XFree(data);
  XCloseDisplay(display);
  return shape;
}

// Gives the keysyms keys of their own, as a layout with dead keys has, so that
// xdotool presses them without remapping a key on the fly (which races with
// the program reading the events).
void BindKeysyms(const std::vector<KeySym>& keysyms) {
  Display* display = XOpenDisplay(nullptr);
  ASSERT_NE(display, nullptr);
  int low, high, perCode;
  XDisplayKeycodes(display, &low, &high);
  KeySym* map = XGetKeyboardMapping(display, static_cast<KeyCode>(low), high - low + 1, &perCode);
  size_t next = 0;
  for (int code = low; code <= high && next < keysyms.size(); ++code) {
    const KeySym* row = map + static_cast<size_t>(code - low) * perCode;
    if (std::all_of(row, row + perCode, [](KeySym k) { return k == NoSymbol; })) {
      KeySym bound = keysyms[next++];
      XChangeKeyboardMapping(display, code, 1, &bound, 1);
    }
  }
  XFree(map);
  XSync(display, False);
  XCloseDisplay(display);
  ASSERT_EQ(next, keysyms.size());
}

TEST(X11Host, DeadKeysComposeThroughTheInputMethodOntoTheKeyThatEndsThem) {
  BindKeysyms({XK_dead_diaeresis, XK_dead_acute});
  const std::string log = TempPath("dead.log");
  Demo demo({"--log", log});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  Shell("xdotool windowfocus --sync " + window);
  Shell("xdotool key dead_diaeresis o");
  Shell("xdotool key dead_acute e");
  // The close request is a posted message, which goes ahead of queued keys:
  // close only once the keys have been read.
  WaitUntil([&] {
    const std::vector<std::string> lines = ReadLines(log);
    return std::find(lines.begin(), lines.end(), "child WM_KEYUP 0045 c0120001") != lines.end();
  });
  SendCloseRequest(window);
  ASSERT_EQ(demo.WaitForExit(), 0);
  std::vector<std::string> keys = ReadLines(log);
  std::erase_if(keys, [](const std::string& l) { return l.rfind("child WM_", 0) != 0; });
  EXPECT_EQ(keys, (std::vector<std::string>{
                      "child WM_KEYDOWN 004f 00180001", "child WM_CHAR 00f6 00180001", "child WM_KEYUP 004f c0180001",
                      "child WM_KEYDOWN 0045 00120001", "child WM_CHAR 00e9 00120001", "child WM_KEYUP 0045 c0120001"}));
}

// The keys held as the focus comes are those held then, not those held by the
// time the program reads its queue: a program slow to read must not take a
// key pressed after the focus came as one already down (a repeat).
TEST(X11Host, AKeyPressedJustAfterTheFocusComesIsNotTakenAsAlreadyDown) {
  const std::string log = TempPath("late_focus.log");
  Demo demo({"--log", log});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  demo.Signal(SIGSTOP);
  Shell("xdotool windowfocus --sync " + window);
  Shell("xdotool keydown a");
  demo.Signal(SIGCONT);
  Shell("xdotool keyup a");
  WaitUntil([&] {
    const std::vector<std::string> lines = ReadLines(log);
    return std::find(lines.begin(), lines.end(), "child WM_KEYUP 0041 c01e0001") != lines.end();
  });
  SendCloseRequest(window);
  ASSERT_EQ(demo.WaitForExit(), 0);
  std::vector<std::string> keys = ReadLines(log);
  std::erase_if(keys, [](const std::string& l) { return l.rfind("child WM_KEY", 0) != 0; });
  EXPECT_EQ(keys, (std::vector<std::string>{"child WM_KEYDOWN 0041 001e0001", "child WM_KEYUP 0041 c01e0001"}));
}

TEST(X11Host, AnotherProgramTakingTheFocusDeactivatesAndLeavesNoKeyHeld) {
  const std::string log = TempPath("focus.log");
  Demo demo({"--log", log});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  Shell("xdotool windowfocus --sync " + window);
  Shell("xlogo -geometry 200x200+900+100 >/dev/null 2>&1 & echo $! > '" + TempPath("xlogo2.pid") + "'");
  std::string other;
  ASSERT_TRUE(WaitUntil([&] { return !(other = Shell("xdotool search --class xlogo 2>/dev/null | head -1")).empty(); }));
  // Alt goes down here and comes up in the other program.
  Shell("xdotool keydown alt");
  Shell("xdotool windowfocus --sync " + other);
  Shell("xdotool keyup alt");
  Shell("xdotool windowfocus --sync " + window);
  Shell("kill $(cat '" + TempPath("xlogo2.pid") + "')");
  SendCloseRequest(window);
  ASSERT_EQ(demo.WaitForExit(), 0);
  std::vector<std::string> activation = ReadLines(log);
  std::erase_if(activation, [](const std::string& l) { return l.find("WM_ACTIVATEAPP") == std::string::npos; });
  EXPECT_EQ(activation,
            (std::vector<std::string>{"main WM_ACTIVATEAPP 0 alt held=1", "main WM_ACTIVATEAPP 1 alt held=0"}));
}

// --- screenshots, title and close ---

// Pixels that differ between the X screen and the program's capture of its
// desktop, in an area of both ("WxH+X+Y"; empty: all of the capture).
long ScreenDifference(const std::string& capture, std::string area = "") {
  const std::string shot = TempPath("shot.png"), part = TempPath("capture_part.png");
  if (area.empty()) {
    const std::string size = Shell("identify -format '%wx%h' '" + capture + "' 2>/dev/null");
    if (size.empty()) return -1;
    area = size + "+0+0";
  }
  Shell("import -window root -crop " + area + " +repage '" + shot + "' 2>/dev/null");
  Shell("convert '" + capture + "' -crop " + area + " +repage '" + part + "' 2>/dev/null");
  const std::string count = Shell("compare -metric AE '" + shot + "' '" + part + "' null: 2>&1");
  try {
    return std::stol(count);
  } catch (...) {
    return -1;
  }
}

bool ScreenMatches(const std::string& capture, const std::string& area = "") {
  return WaitUntil([&] { return ScreenDifference(capture, area) == 0; }, 4000);
}

// Where an X window lies on the screen, as "WxH+X+Y", cut to the screen.
std::string ScreenArea(const std::string& windowId) {
  int x = 0, y = 0, width = 0, height = 0;
  const std::string info = Shell("xwininfo -id " + windowId + " | awk '/Absolute upper-left X/{x=$NF} "
                                 "/Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} "
                                 "END{print x, y, w, h}'");
  if (std::sscanf(info.c_str(), "%d %d %d %d", &x, &y, &width, &height) != 4) return "";
  const int right = std::min(x + width, 1280), bottom = std::min(y + height, 1024);
  x = std::max(x, 0);
  y = std::max(y, 0);
  return std::to_string(right - x) + "x" + std::to_string(bottom - y) + "+" + std::to_string(x) + "+" +
         std::to_string(y);
}

std::string ScreenPixel(int x, int y);

TEST(X11Host, ScreenShowsTheDesktopThroughCoverResizeAndClose) {
  const std::string capture = TempPath("capture.png");
  std::remove(capture.c_str());
  Demo demo({"--capture", capture, "--refuse-closes", "1"});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  ASSERT_TRUE(WaitUntil([&] { return access(capture.c_str(), R_OK) == 0; }));
  EXPECT_TRUE(ScreenMatches(capture)) << "after painting";
  Shell("cp '" + capture + "' '" + TempPath("painted.png") + "'");

  // Another program's window over ours, then gone: the exposed part comes back.
  Shell("xlogo -geometry 300x200+150+120 >/dev/null 2>&1 & echo $! > '" + TempPath("xlogo.pid") + "'");
  ASSERT_TRUE(WaitUntil([&] { return !Shell("xdotool search --class xlogo 2>/dev/null").empty(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Shell("import -window root '" + TempPath("covered.png") + "'");
  EXPECT_GT(ScreenDifference(capture), 0) << "the other window shows";
  Shell("kill $(cat '" + TempPath("xlogo.pid") + "')");
  EXPECT_TRUE(ScreenMatches(capture)) << "after uncovering";

  // The frame's X window sized from outside: the frame follows, and where it
  // no longer is the screen shows the root, not a desktop of the program's.
  const std::string before = ScreenPixel(1100, 900);
  Shell("xdotool windowsize " + window + " 900 700");
  EXPECT_TRUE(WaitUntil([&] { return ScreenArea(window) == "896x696+0+0"; })) << ScreenArea(window);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(1100, 900) != before; })) << "the root shows";
  EXPECT_NE(ScreenPixel(1100, 900), "#3A6EA5");
  EXPECT_TRUE(ScreenMatches(capture, ScreenArea(window))) << "after resizing";
  Shell("cp '" + capture + "' '" + TempPath("resized.png") + "'");

  EXPECT_EQ(Shell("xdotool getwindowname " + window), "Calvetta demo");
  EXPECT_EQ(WindowIconShape(window), "32x32 1024") << "the main window's class icon";
  SendCloseRequest(window);
  EXPECT_TRUE(WaitUntil([&] { return Shell("xdotool getwindowname " + window) == "Calvetta demo - still open"; }))
      << "a refused close keeps the window and its caption reaches the title";
  EXPECT_TRUE(demo.Running());
  SendCloseRequest(window);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// A server of our own without shared memory and with a 16-bit visual: the
// desktop goes out through plain image puts, converted pixel by pixel.
TEST(X11Host, PlainPutsToASixteenBitDisplayShowTheDesktopToo) {
  int number = 150;
  while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0) ++number;
  const std::string display = ":" + std::to_string(number);
  const pid_t server = fork();
  if (server == 0) {
    execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1024x768x16", "-extension", "MIT-SHM", "-nolisten",
           "tcp", static_cast<char*>(nullptr));
    _exit(127);
  }
  // The socket shows before the server takes connections: wait for one, and
  // keep it open (the server resets when its last client leaves).
  Display* keep = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (keep = XOpenDisplay(display.c_str())) != nullptr; }));
  const std::string saved = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
  setenv("DISPLAY", display.c_str(), 1);
  const std::string capture = TempPath("capture16.png"), shot = TempPath("shot16.png");
  {
    Demo demo({"--capture", capture});
    EXPECT_TRUE(WaitUntil([&] { return access(capture.c_str(), R_OK) == 0; }));
    const std::string window = DemoWindow();
    // Each channel keeps its top 5 or 6 bits: 1/32 of the range at most.
    EXPECT_TRUE(WaitUntil([&] {
      Shell("import -window root -crop 800x600+0+0 +repage '" + shot + "' 2>/dev/null");
      Shell("convert '" + capture + "' -crop 800x600+0+0 +repage '" + capture + ".part.png' 2>/dev/null");
      return Shell("compare -metric AE -fuzz 4% '" + shot + "' '" + capture + ".part.png' null: 2>&1") == "0";
    }));
    if (!window.empty()) SendCloseRequest(window);
    EXPECT_EQ(demo.WaitForExit(), 0);
  }
  setenv("DISPLAY", saved.c_str(), 1);
  XCloseDisplay(keep);
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
}

// "#RRGGBB" of one pixel of the X screen.
std::string ScreenPixel(int x, int y) {
  const std::string text = Shell("import -window root -crop 1x1+" + std::to_string(x) + "+" + std::to_string(y) +
                                 " -depth 8 txt:- 2>/dev/null");
  const auto hash = text.find('#', text.find('\n'));
  return hash == std::string::npos ? "" : text.substr(hash, 7);
}

struct ShownCursor {
  std::string name;
  int width = 0, height = 0, hotX = 0, hotY = 0;
  std::vector<unsigned long> pixels;
};

ShownCursor CursorOnScreen();

TEST(X11Host, PresentAndCursorFromAnotherThreadReachTheScreenWhileTheProgramIdles) {
  Demo demo({"--worker-paint"});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  Shell("xdotool mousemove 600 450");
  std::string pixel;
  EXPECT_TRUE(WaitUntil([&] { return (pixel = ScreenPixel(640, 170)) == "#FF0000"; })) << pixel;
  EXPECT_TRUE(WaitUntil([] { return CursorOnScreen().name == "crosshair"; })) << CursorOnScreen().name;
  SendCloseRequest(window);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// --- cursors and ClipCursor ---

ShownCursor CursorOnScreen() {
  ShownCursor shown;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return shown;
  if (XFixesCursorImage* image = XFixesGetCursorImage(display)) {
    shown.name = image->name ? image->name : "";
    shown.width = image->width;
    shown.height = image->height;
    shown.hotX = image->xhot;
    shown.hotY = image->yhot;
    shown.pixels.assign(image->pixels, image->pixels + image->width * image->height);
    XFree(image);
  }
  XCloseDisplay(display);
  return shown;
}

TEST(X11Host, CursorsFollowSetCursorAndClipCursorHoldsThePointer) {
  Demo demo({"--clip", "100,100,500,400"});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));

  // The child's class cursor.
  Shell("xdotool mousemove 150 150");
  EXPECT_TRUE(WaitUntil([] { return CursorOnScreen().name == "sb_h_double_arrow"; }))
      << CursorOnScreen().name;

  // The second window's colour cursor, made at run time.
  Shell("xdotool mousemove 470 360");
  ShownCursor colour;
  EXPECT_TRUE(WaitUntil([&] {
    colour = CursorOnScreen();
    return colour.width == 32 && colour.height == 32;
  }));
  EXPECT_EQ(colour.hotX, 16);
  EXPECT_EQ(colour.hotY, 16);
  if (colour.pixels.size() == 32u * 32u) {
    EXPECT_EQ(colour.pixels[5 * 32 + 20] & 0xFFFFFFFFu, 0xFFFF0000u);
    EXPECT_EQ(colour.pixels[25 * 32 + 20] & 0xFFFFFFFFu, 0xFF0000FFu);
    EXPECT_EQ(colour.pixels[2 * 32 + 2] >> 24 & 0xFF, 0u);
  }

  // SetCursorPos moves the real pointer.
  Shell("xdotool click 2");
  int x = -1, y = -1;
  EXPECT_TRUE(WaitUntil([&] {
    std::sscanf(Shell("xdotool getmouselocation").c_str(), "x:%d y:%d", &x, &y);
    return x == 200 && y == 250;
  })) << x << "," << y;

  // Outside the clip rectangle the pointer is put back inside it.
  Shell("xdotool mousemove 700 550");
  EXPECT_TRUE(WaitUntil([&] {
    std::sscanf(Shell("xdotool getmouselocation").c_str(), "x:%d y:%d", &x, &y);
    return x == 499 && y == 399;
  })) << x << "," << y;

  SendCloseRequest(window);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

TEST(X11Host, CaptureWithNoButtonHeldGrabsThePointerAndShowCursorHidesIt) {
  const std::string log = TempPath("grab.log");
  Demo demo({"--log", log});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  Shell("xdotool mousemove 470 360 click 3");
  EXPECT_TRUE(WaitUntil([] { return CursorOnScreen().name == "none"; })) << CursorOnScreen().name;
  // Outside the X window, only the grab brings the move.
  Shell("xdotool mousemove 1100 900");
  bool outside = false;
  EXPECT_TRUE(WaitUntil([&] {
    for (const std::string& line : ReadLines(log)) {
      int x = 0, y = 0;
      if (std::sscanf(line.c_str(), "second WM_MOUSEMOVE keys=%*x at=%d,%d", &x, &y) == 2) outside |= x >= 300;
    }
    return outside;
  }));
  SendCloseRequest(window);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// --- what a window manager reads of the windows ---

TEST(X11Host, EachTopLevelWindowIsAnXWindowThatDescribesItself) {
  Demo demo({});
  const std::string main = DemoWindow();
  ASSERT_FALSE(main.empty());
  std::string second;
  ASSERT_TRUE(WaitUntil([&] {
    return !(second = Shell("xdotool search --onlyvisible --name '^Second$' 2>/dev/null | head -1")).empty();
  }));
  // Exactly the two shown windows carry the program's process.
  const std::string pid = Shell("xprop -id " + main + " _NET_WM_PID | awk '{print $NF}'");
  EXPECT_EQ(Shell("xdotool search --onlyvisible --pid " + pid + " | sort | tr '\\n' ' '"),
            Shell("printf '%s\\n' " + main + " " + second + " | sort | tr '\\n' ' '"));
  for (const std::string& w : {main, second}) {
    EXPECT_EQ(Shell("xprop -id " + w + " WM_CLASS"), "WM_CLASS(STRING) = \"calvetta\", \"Calvetta\"");
    // No decorations of the manager's own: flags 2 (decorations), decorations 0.
    EXPECT_EQ(Shell("xprop -id " + w + " _MOTIF_WM_HINTS | sed 's/.*= //'"), "0x2, 0x0, 0x0, 0x0, 0x0");
    EXPECT_NE(Shell("xprop -id " + w + " WM_PROTOCOLS").find("WM_DELETE_WINDOW"), std::string::npos);
  }
  EXPECT_EQ(Shell("xprop -id " + main + " _NET_WM_WINDOW_TYPE | sed 's/.*= //'"), "_NET_WM_WINDOW_TYPE_NORMAL");
  EXPECT_EQ(Shell("xprop -id " + main + " WM_TRANSIENT_FOR"), "WM_TRANSIENT_FOR:  not found.");
  // The owned window: a dialog that stays above its owner, at a size the user cannot change.
  EXPECT_EQ(Shell("xprop -id " + second + " _NET_WM_WINDOW_TYPE | sed 's/.*= //'"), "_NET_WM_WINDOW_TYPE_DIALOG");
  char owner[32];
  std::snprintf(owner, sizeof(owner), "0x%lx", std::stoul(main));
  EXPECT_EQ(Shell("xprop -id " + second + " WM_TRANSIENT_FOR | awk '{print $NF}'"), owner);
  const std::string hints = Shell("xprop -id " + second + " WM_NORMAL_HINTS");
  EXPECT_NE(hints.find("program specified minimum size: 300 by 200"), std::string::npos) << hints;
  EXPECT_NE(hints.find("program specified maximum size: 300 by 200"), std::string::npos) << hints;
  EXPECT_NE(hints.find("user specified location: 440, 300"), std::string::npos) << hints;
  // The sizable frame's limits are those its WM_GETMINMAXINFO gives.
  const std::string mainHints = Shell("xprop -id " + main + " WM_NORMAL_HINTS");
  EXPECT_NE(mainHints.find("program specified minimum size: 320 by 240"), std::string::npos) << mainHints;
  EXPECT_NE(mainHints.find("program specified maximum size: 1600 by 1200"), std::string::npos) << mainHints;
  // The caption follows SetWindowText (the refused close renames the main window).
  EXPECT_EQ(Shell("xprop -id " + main + " _NET_WM_NAME"), "_NET_WM_NAME(UTF8_STRING) = \"Calvetta demo\"");
  SendCloseRequest(main);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// --- under a window manager ---

// Openbox on the display for one test: started, waited for, and ended.
class WindowManager {
 public:
  WindowManager() {
    pid_ = fork();
    if (pid_ == 0) {
      execlp("openbox", "openbox", "--sm-disable", static_cast<char*>(nullptr));
      _exit(127);
    }
    running_ = WaitUntil([] { return Shell("wmctrl -m 2>/dev/null | head -1").find("Openbox") != std::string::npos; });
  }
  ~WindowManager() {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
  bool running() const { return running_; }

 private:
  pid_t pid_ = -1;
  bool running_ = false;
};

bool LogHas(const std::string& log, const std::string& line) {
  const std::vector<std::string> lines = ReadLines(log);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

TEST(X11Host, UnderAWindowManagerItsMovesSizesStatesAndClosesReachTheProgram) {
  WindowManager manager;
  ASSERT_TRUE(manager.running()) << "openbox did not start";
  const std::string capture = TempPath("wm_capture.png"), log = TempPath("wm.log");
  std::remove(capture.c_str());
  Demo demo({"--capture", capture, "--log", log, "--log-sizes", "--refuse-closes", "1"});
  const std::string window = DemoWindow();
  ASSERT_FALSE(window.empty());
  EXPECT_NE(Shell("xprop -id " + window + " _MOTIF_WM_HINTS"), "") << "no decorations of the manager's own";
  // Maximised by the program: the window manager fills the work area with it.
  EXPECT_TRUE(WaitUntil([&] { return ScreenArea(window) == "1280x1024+0+0"; })) << ScreenArea(window);
  EXPECT_NE(Shell("xprop -id " + window + " _NET_WM_STATE").find("_NET_WM_STATE_MAXIMIZED_HORZ"), std::string::npos);

  // Restored, moved and sized by the window manager: the frame is laid out there.
  Shell("wmctrl -i -r " + window + " -b remove,maximized_vert,maximized_horz");
  Shell("wmctrl -i -r " + window + " -e 0,100,80,600,400");
  EXPECT_TRUE(WaitUntil([&] { return ScreenArea(window) == "600x400+100+80"; })) << ScreenArea(window);
  EXPECT_TRUE(ScreenMatches(capture, "600x400+100+80")) << "the program's frame is where the manager put it";
  Shell("import -window root '" + TempPath("wm_moved.png") + "'");
  const std::vector<std::string> sizes = ReadLines(log);
  EXPECT_TRUE(std::any_of(sizes.begin(), sizes.end(), [](const std::string& l) {
    return l.rfind("main WM_SIZE 0 ", 0) == 0;
  })) << "restored";

  // Maximised by the window manager: IsZoomed follows (the size's type says so).
  Shell("wmctrl -i -r " + window + " -b add,maximized_vert,maximized_horz");
  EXPECT_TRUE(WaitUntil([&] { return ScreenArea(window) == "1280x1024+0+0"; })) << ScreenArea(window);
  EXPECT_TRUE(WaitUntil([&] {
    const std::vector<std::string> lines = ReadLines(log);
    return !lines.empty() && lines.back().rfind("main WM_SIZE 2 ", 0) == 0;
  })) << "maximized, and the last size says so";
  Shell("wmctrl -i -r " + window + " -b remove,maximized_vert,maximized_horz");

  // The second window's caption dragged: the window manager moves it, not a loop of the program's.
  const std::string second = Shell("xdotool search --onlyvisible --name '^Second$' | head -1");
  ASSERT_FALSE(second.empty());
  int x = 0, y = 0, w = 0, h = 0;
  std::sscanf(ScreenArea(second).c_str(), "%dx%d+%d+%d", &w, &h, &x, &y);
  Shell("xdotool mousemove " + std::to_string(x + 60) + " " + std::to_string(y + 8) + " mousedown 1");
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Shell("xdotool mousemove " + std::to_string(x + 160) + " " + std::to_string(y + 58));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  Shell("xdotool mousemove " + std::to_string(x + 260) + " " + std::to_string(y + 108) + " mouseup 1");
  const std::string moved = std::to_string(w) + "x" + std::to_string(h) + "+" + std::to_string(x + 200) + "+" +
                            std::to_string(y + 100);
  EXPECT_TRUE(WaitUntil([&] { return ScreenArea(second) == moved; })) << ScreenArea(second) << " not " << moved;
  EXPECT_FALSE(LogHas(log, "second WM_ENTERSIZEMOVE"));
  EXPECT_TRUE(ScreenMatches(capture, moved)) << "the program knows where the manager put it";

  // The manager's close: refused once (the window stays), then done.
  Shell("wmctrl -i -c " + window);
  EXPECT_TRUE(WaitUntil([&] { return Shell("xdotool getwindowname " + window) == "Calvetta demo - still open"; }));
  EXPECT_TRUE(demo.Running());
  Shell("wmctrl -i -c " + window);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// Two windows of the program overlap and the manager stacks them the other
// way round: each X window then shows its own window's pixels in the overlap,
// and the program's own capture agrees with the screen.
TEST(X11Host, UnderAWindowManagerItsStackingOfOverlappingWindowsIsTheProgramsZOrder) {
  WindowManager manager;
  ASSERT_TRUE(manager.running()) << "openbox did not start";
  const std::string capture = TempPath("stack_capture.png");
  std::remove(capture.c_str());
  Demo demo({"--capture", capture, "--third"});
  const std::string main = DemoWindow();
  ASSERT_FALSE(main.empty());
  std::string third;
  ASSERT_TRUE(WaitUntil([&] {
    return !(third = Shell("xdotool search --onlyvisible --name '^Third$' 2>/dev/null | head -1")).empty();
  }));
  // Inside the third window's client area, clear of the main window's diagonal.
  const std::string white = "#FFFFFF", green = "#46826E";
  ASSERT_TRUE(WaitUntil([&] { return ScreenPixel(200, 680) == white; })) << ScreenPixel(200, 680);
  // Raised by the manager (as by a click on a task bar): the main window's green shows there.
  Shell("xdotool windowraise " + main);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(200, 680) == green; })) << ScreenPixel(200, 680);
  EXPECT_TRUE(WaitUntil([&] { return ScreenMatches(capture, "300x200+60+560"); })) << "the program's Z order follows";
  Shell("import -window root '" + TempPath("wm_restacked.png") + "'");
  // And back: the third window's white shows whole.
  Shell("xdotool windowraise " + third);
  EXPECT_TRUE(WaitUntil([&] { return ScreenPixel(200, 680) == white; })) << ScreenPixel(200, 680);
  EXPECT_TRUE(WaitUntil([&] { return ScreenMatches(capture, "300x200+60+560"); }));
  SendCloseRequest(main);
  EXPECT_EQ(demo.WaitForExit(), 0);
}

// --- no display ---

TEST(X11Host, UnopenableDisplayRunsHeadlessAndSaysSo) {
  // :99 unless a server (ours or another run's) is behind it.
  int number = 99;
  while (access(("/tmp/.X11-unix/X" + std::to_string(number)).c_str(), F_OK) == 0) ++number;
  const std::string dead = ":" + std::to_string(number);
  const std::string err = TempPath("stderr");
  const std::string out = Shell("DISPLAY=" + dead + " CALVETTA_HOST= '" CALVETTA_X11_DEMO "' --print-host 2>'" + err + "'");
  EXPECT_EQ(out, "headless");
  const std::vector<std::string> said = ReadLines(err);
  ASSERT_EQ(said.size(), 1u);
  EXPECT_NE(said[0].find("running headless"), std::string::npos) << said[0];
}

}  // namespace
