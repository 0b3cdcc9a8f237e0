// A small program on the compat layer for the X11 host's tests: a maximised
// frame with a child window, a second top-level window, GDI drawing, and a log
// of the input messages they receive. The same input can be played to it
// headless through injection (--replay), so the two logs can be compared.
//
//   x11_demo [--log FILE] [--capture PNG] [--replay SCRIPT] [--refuse-closes N]
//            [--clip L,T,R,B] [--worker-paint] [--print-host] [--desktop WxH] [--log-sizes] [--third]
#include <unistd.h>

#include <chrono>
#include <thread>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compat/host.h"
#include "compat/win32.h"
#include "support/typed_keys.h"

namespace {

namespace host = compat::host;

struct Options {
  std::string log;
  std::string capture;
  std::string replay;
  int refuseCloses = 0;
  bool clip = false;
  RECT clipRect{};
  bool printHost = false;
  bool workerPaint = false;
  int desktopWidth = 0, desktopHeight = 0;  // headless: the X screen's size
  bool logSizes = false;  // the top-level windows' sizes and move loops too
  bool third = false;     // a third window, owned by none, over the main one
};

Options g_options;
std::ofstream g_log;  // written as messages come, so a killed run keeps its log

void Note(const std::string& line) {
  if (g_log.is_open()) g_log << line << std::endl;
}
HWND g_main = nullptr;
HWND g_child = nullptr;
HWND g_second = nullptr;
HWND g_third = nullptr;
HCURSOR g_colourCursor = nullptr;
bool g_painted = false;

const char* NameOf(HWND hwnd) {
  return hwnd == g_child ? "child" : hwnd == g_main ? "main" : hwnd == g_third ? "third" : "second";
}

const char* MessageName(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN: return "WM_LBUTTONDOWN";
    case WM_LBUTTONUP: return "WM_LBUTTONUP";
    case WM_LBUTTONDBLCLK: return "WM_LBUTTONDBLCLK";
    case WM_RBUTTONDOWN: return "WM_RBUTTONDOWN";
    case WM_RBUTTONUP: return "WM_RBUTTONUP";
    case WM_MBUTTONDOWN: return "WM_MBUTTONDOWN";
    case WM_MBUTTONUP: return "WM_MBUTTONUP";
    case WM_MOUSEMOVE: return "WM_MOUSEMOVE";
    case WM_MOUSEWHEEL: return "WM_MOUSEWHEEL";
    case WM_KEYDOWN: return "WM_KEYDOWN";
    case WM_KEYUP: return "WM_KEYUP";
    case WM_SYSKEYDOWN: return "WM_SYSKEYDOWN";
    case WM_SYSKEYUP: return "WM_SYSKEYUP";
    case WM_CHAR: return "WM_CHAR";
    case WM_SYSCHAR: return "WM_SYSCHAR";
    case WM_CAPTURECHANGED: return "WM_CAPTURECHANGED";
    case WM_SYSCOMMAND: return "WM_SYSCOMMAND";
    case WM_CLOSE: return "WM_CLOSE";
    default: return nullptr;
  }
}

void Log(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  const char* name = MessageName(message);
  if (!name) return;
  // Moves matter while the mouse is captured (the drag); others depend on the path taken.
  if (message == WM_MOUSEMOVE && GetCapture() != hwnd) return;
  char line[160];
  const bool mouse = message >= WM_MOUSEFIRST && message <= WM_MOUSELAST && message != WM_MOUSEWHEEL;
  if (mouse) {
    std::snprintf(line, sizeof(line), "%s %s keys=%lx at=%d,%d", NameOf(hwnd), name,
                  static_cast<unsigned long>(wParam), static_cast<short>(LOWORD(lParam)),
                  static_cast<short>(HIWORD(lParam)));
  } else if (message == WM_MOUSEWHEEL) {
    std::snprintf(line, sizeof(line), "%s %s delta=%d", NameOf(hwnd), name, static_cast<short>(HIWORD(wParam)));
  } else {
    std::snprintf(line, sizeof(line), "%s %s %04lx %08lx", NameOf(hwnd), name, static_cast<unsigned long>(wParam),
                  static_cast<unsigned long>(static_cast<DWORD>(lParam)));
  }
  Note(line);
}

void PaintChild(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH fill = CreateSolidBrush(RGB(250, 235, 200));
  FillRect(dc, &r, fill);
  DeleteObject(fill);
  HBRUSH blue = CreateSolidBrush(RGB(40, 80, 200));
  HGDIOBJ old = SelectObject(dc, blue);
  Ellipse(dc, 20, 20, 140, 110);
  SelectObject(dc, old);
  DeleteObject(blue);
  SetBkMode(dc, TRANSPARENT);
  RECT text{10, r.bottom - 40, r.right - 10, r.bottom - 10};
  DrawTextW(dc, u"Child window: drag me", -1, &text, DT_LEFT | DT_SINGLELINE);
}

void PaintFrameClient(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  HBRUSH fill = CreateSolidBrush(RGB(70, 130, 110));
  FillRect(dc, &r, fill);
  DeleteObject(fill);
  HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, 0, r.bottom - 1, nullptr);
  LineTo(dc, r.right, 0);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void PaintSecond(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  TextOutW(dc, 10, 10, u"Second window", 13);
}

void Paint(HWND hwnd, void (*draw)(HWND, HDC)) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  draw(hwnd, dc);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log(hwnd, message, wParam, lParam);
  // Any message may draw (a caption when activation changes), even one the
  // host sends while the loop waits: capture again at the next idle turn.
  g_painted = true;
  switch (message) {
    case WM_PAINT:
      Paint(hwnd, hwnd == g_main ? PaintFrameClient : PaintSecond);
      return 0;
    case WM_RBUTTONUP:
      // The second window takes the mouse with no button held (as a menu
      // does) and hides the pointer.
      if (hwnd == g_second) {
        SetCapture(hwnd);
        ShowCursor(FALSE);
        return 0;
      }
      break;
    case WM_MBUTTONUP:
      // The program moves the pointer itself, as a spin control's drag does.
      if (hwnd == g_second) {
        SetCursorPos(200, 250);
        return 0;
      }
      break;
    case WM_SIZE:
      if (g_options.logSizes) {
        char line[64];
        std::snprintf(line, sizeof(line), "%s WM_SIZE %d %dx%d", NameOf(hwnd), static_cast<int>(wParam),
                      LOWORD(lParam), HIWORD(lParam));
        Note(line);
      }
      break;
    case WM_GETMINMAXINFO: {
      // Limits of the frame's own, for the window manager's size hints.
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = POINT{320, 240};
      info->ptMaxTrackSize = POINT{1600, 1200};
      return 0;
    }
    case WM_ENTERSIZEMOVE:
      if (g_options.logSizes) Note(std::string(NameOf(hwnd)) + " WM_ENTERSIZEMOVE");
      break;
    case WM_ACTIVATEAPP:
      if (hwnd == g_main) {
        // Coming back, no key is held that was let go elsewhere.
        char line[64];
        std::snprintf(line, sizeof(line), "main WM_ACTIVATEAPP %d alt held=%d", wParam ? 1 : 0,
                      GetKeyState(VK_MENU) < 0 ? 1 : 0);
        Note(line);
      }
      break;
    case WM_SETCURSOR:
      if (hwnd == g_second && LOWORD(lParam) == HTCLIENT) {
        SetCursor(g_colourCursor);
        return TRUE;
      }
      break;
    case WM_CLOSE:
      if (hwnd == g_main && g_options.refuseCloses > 0) {
        // As "Save changes?" answered Cancel would.
        --g_options.refuseCloses;
        SetWindowTextW(hwnd, u"Calvetta demo - still open");
        return 0;
      }
      break;
    case WM_DESTROY:
      if (hwnd == g_main) PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Log(hwnd, message, wParam, lParam);
  g_painted = true;
  switch (message) {
    case WM_PAINT:
      Paint(hwnd, PaintChild);
      return 0;
    case WM_LBUTTONDOWN:
      SetCapture(hwnd);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() == hwnd) ReleaseCapture();
      return 0;
    case WM_KEYUP:
      if (wParam == VK_CAPITAL) {
        char line[64];
        std::snprintf(line, sizeof(line), "child caps lock toggled=%d", GetKeyState(VK_CAPITAL) & 1);
        Note(line);
      }
      return 0;
    // The demonstration has no menu: system keys stop here.
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A 32x32 colour cursor (or icon) made at run time: red top half, blue
// bottom half, a transparent left quarter, hot spot at (16, 16).
HCURSOR MakeColourCursor(bool icon = false) {
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = 32;
  bmi.bmiHeader.biHeight = -32;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP color = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(bits);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) pixels[y * 32 + x] = x < 8 ? 0 : y < 16 ? 0xFFFF0000u : 0xFF0000FFu;
  std::vector<BYTE> maskBits(32 * 4, 0);
  HBITMAP mask = CreateBitmap(32, 32, 1, 1, maskBits.data());
  ICONINFO info{icon, 16, 16, mask, color};
  HCURSOR cursor = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(color);
  return cursor;
}

void RegisterClasses() {
  WNDCLASSW frame{};
  frame.lpfnWndProc = FrameProc;
  frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  frame.hIcon = reinterpret_cast<HICON>(MakeColourCursor(true));
  frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  frame.lpszClassName = u"DemoFrame";
  RegisterClassW(&frame);
  WNDCLASSW child{};
  child.style = CS_DBLCLKS;
  child.lpfnWndProc = ChildProc;
  child.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
  child.lpszClassName = u"DemoChild";
  RegisterClassW(&child);
}

void CreateWindows() {
  g_main = CreateWindowExW(0, u"DemoFrame", u"Calvetta demo", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                           nullptr, nullptr, nullptr, nullptr);
  g_child = CreateWindowExW(WS_EX_CLIENTEDGE, u"DemoChild", u"", WS_CHILD | WS_VISIBLE, 40, 40, 320, 220, g_main,
                            nullptr, nullptr, nullptr);
  // Topmost, as a floating bar: activating the frame does not cover it.
  g_second = CreateWindowExW(WS_EX_TOPMOST, u"DemoFrame", u"Second", WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 440, 300, 300,
                             200, g_main, nullptr, nullptr, nullptr);
  g_colourCursor = MakeColourCursor();
  ShowWindow(g_main, SW_SHOWMAXIMIZED);
  if (g_options.third)
    g_third = CreateWindowExW(0, u"DemoFrame", u"Third", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 560, 300, 200, nullptr,
                              nullptr, nullptr, nullptr);
  SetFocus(g_child);
  UpdateWindow(g_main);
}

// --- headless replay of a script ---

UINT KeyNamed(const std::string& name) {
  if (name == "alt") return VK_MENU;
  if (name == "ctrl") return VK_CONTROL;
  if (name == "shift") return VK_SHIFT;
  if (name == "Caps_Lock") return VK_CAPITAL;
  if (name.size() > 1 && name[0] == 'F') return VK_F1 + static_cast<UINT>(std::atoi(name.c_str() + 1)) - 1;
  if (name.size() == 1) return KeyForCharacter(name[0]).vk;
  return 0;
}

void DrainMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// X buttons 1, 2, 3 are the host's 0 (left), 2 (middle), 1 (right).
int HostButton(int xButton) { return xButton == 1 ? 0 : xButton == 2 ? 2 : 1; }

void ReplayLine(const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  int b = 0, x = 0, y = 0;
  if (verb == "move" && in >> x >> y) {
    host::InjectMouseMove(x, y);
  } else if (verb == "click" && in >> b >> x >> y) {
    host::InjectClick(HostButton(b), x, y);
  } else if (verb == "dblclick" && in >> x >> y) {
    host::InjectClick(0, x, y);
    DrainMessages();
    host::InjectClick(0, x, y);
  } else if ((verb == "down" || verb == "up") && in >> b >> x >> y) {
    host::InjectMouseButton(HostButton(b), verb == "down", x, y);
  } else if (verb == "wheel") {
    std::string way;
    in >> way >> x >> y;
    host::InjectWheel(way == "up" ? 120 : -120, x, y);
  } else if (verb == "type") {
    std::string text = line.substr(line.find(' ') + 1);
    for (char c : text) {
      const TypedKey key = KeyForCharacter(c);
      if (!key.vk) continue;  // beyond the US layout
      // In xdotool's order: Shift comes up before the key.
      if (key.shift) host::InjectKey(VK_SHIFT, true);
      host::InjectKey(key.vk, true);
      if (key.shift) host::InjectKey(VK_SHIFT, false);
      host::InjectKey(key.vk, false);
      DrainMessages();
    }
  } else if (verb == "key") {
    std::string chord;
    in >> chord;
    std::vector<UINT> keys;
    for (size_t start = 0; start <= chord.size();) {
      size_t plus = chord.find('+', start);
      if (plus == std::string::npos) plus = chord.size();
      keys.push_back(KeyNamed(chord.substr(start, plus - start)));
      start = plus + 1;
    }
    // Released in the order pressed, as xdotool does.
    for (UINT vk : keys) host::InjectKey(vk, true);
    for (UINT vk : keys) host::InjectKey(vk, false);
  }
  DrainMessages();
}

void Replay(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line[0] != '#') ReplayLine(line);
  }
  host::InputEvent close;
  close.kind = host::InputKind::CloseRequest;
  host::DeliverInput(close);
}

// --- the program ---

// Another thread draws on the frame while the program's thread idles, as
// the renderer presents a preview: the square must reach the screen by
// itself; so must the cursor it sets.
void PaintFromWorker() {
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  SetCursor(LoadCursorW(nullptr, IDC_CROSS));
  HDC dc = GetDC(g_main);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT square{600, 100, 680, 180};
  FillRect(dc, &square, red);
  DeleteObject(red);
  ReleaseDC(g_main, dc);
}

void WriteCapture() {
  host::SyncPresents();
  const std::string partial = g_options.capture + ".part";
  if (host::WriteDesktopPng(partial)) std::rename(partial.c_str(), g_options.capture.c_str());
}

bool ParseOptions(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--log" && hasValue) g_options.log = argv[++i];
    else if (arg == "--capture" && hasValue) g_options.capture = argv[++i];
    else if (arg == "--replay" && hasValue) g_options.replay = argv[++i];
    else if (arg == "--log-sizes") g_options.logSizes = true;
    else if (arg == "--desktop" && hasValue)
      std::sscanf(argv[++i], "%dx%d", &g_options.desktopWidth, &g_options.desktopHeight);
    else if (arg == "--refuse-closes" && hasValue) g_options.refuseCloses = std::atoi(argv[++i]);
    else if (arg == "--clip" && hasValue) {
      RECT& r = g_options.clipRect;
      g_options.clip = std::sscanf(argv[++i], "%d,%d,%d,%d", &r.left, &r.top, &r.right, &r.bottom) == 4;
    } else if (arg == "--print-host") g_options.printHost = true;
    else if (arg == "--worker-paint") g_options.workerPaint = true;
    else if (arg == "--third") g_options.third = true;
    else return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!ParseOptions(argc, argv)) {
    std::fprintf(stderr, "usage: x11_demo [--log FILE] [--capture PNG] [--replay SCRIPT] [--refuse-closes N] "
                         "[--clip L,T,R,B] [--print-host]\n");
    return 2;
  }
  if (!g_options.log.empty()) g_log.open(g_options.log);
  RegisterClasses();
  CreateWindows();
  if (g_options.printHost) {
    std::printf("%s\n", host::DriverName());
    return 0;
  }
  if (g_options.clip) ClipCursor(&g_options.clipRect);
  if (!g_options.replay.empty()) {
    // The headless desktop takes the size the X screen has.
    if (g_options.desktopWidth > 0) host::ResizeDesktop(g_options.desktopWidth, g_options.desktopHeight);
    DrainMessages();
    Replay(g_options.replay);
  }
  std::thread worker;
  if (g_options.workerPaint) worker = std::thread(PaintFromWorker);
  MSG msg;
  for (;;) {
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) break;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
      continue;
    }
    // Idle: what was drawn is shown, then captured for the tests.
    if (g_painted && !g_options.capture.empty()) WriteCapture();
    g_painted = false;
    WaitMessage();
  }
  if (worker.joinable()) worker.join();
  return 0;
}
