// The desktop surface every top-level window is composed on, the driver that
// shows each top-level window as a window of the host's own desktop (or keeps
// them in memory, headless) and feeds input, and test input injection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compat/win32/types.h"

namespace compat::host {

// The desktop's pixels: 32-bit BGRA (blue in the low byte), top row first.
struct Surface {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;  // width * height

  uint32_t* Row(int y) { return pixels.data() + static_cast<size_t>(y) * width; }
  const uint32_t* Row(int y) const { return pixels.data() + static_cast<size_t>(y) * width; }
};

// Raw input as the host sees it, in desktop coordinates. Buttons: 0 left,
// 1 right, 2 middle. Keys are virtual-key codes. DesktopResized carries the
// new size in x and y, after the surface has been replaced. FocusLost and
// FocusGained: another program took or gave back the keyboard; FocusGained
// and LockState carry the real keyboard in heldKeys and lockToggles.
// CloseRequest: the user asked the host to close `window` (0: the main
// window). WindowMoved: the host's window manager moved or sized `window` to
// `rect`. WindowActivated: the host gave `window` the keyboard focus.
// WindowState: the host's window manager minimized (x 1), maximized (x 2) or
// restored (x 0) `window`. PointerLeft: the pointer left for a window of
// another program or the bare desktop. WindowRestacked: the host's window
// manager stacked `window` directly below `above` (0: above every window it
// keeps); one event for each window it keeps, top first.
enum class InputKind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, DesktopResized,
                       FocusLost, FocusGained, LockState, CloseRequest, WindowMoved, WindowActivated,
                       WindowState, PointerLeft, WindowRestacked };

// Caps, Num and Scroll Lock as bits of InputEvent::lockToggles.
constexpr unsigned kCapsLockOn = 1, kNumLockOn = 2, kScrollLockOn = 4;

struct InputEvent {
  InputKind kind = InputKind::MouseMove;
  int x = 0;
  int y = 0;
  int button = 0;
  int wheelDelta = 0;        // multiples of 120, positive away from the user
  unsigned virtualKey = 0;
  unsigned scanCode = 0;     // 0: the window manager's US table decides
  bool extended = false;     // right-hand and navigation keys
  bool repeat = false;       // auto-repeat of a key held down
  // The character the host's keyboard made for a key press. Injected keys
  // carry none (hasCharacter false): the US table makes theirs.
  bool hasCharacter = false;
  char32_t character = 0;
  unsigned lockToggles = 0;
  uint8_t heldKeys[32] = {};  // one bit per virtual key
  uint32_t time = 0;         // milliseconds, filled by the host when 0
  uintptr_t window = 0;      // the top-level window concerned (TopWindow::id), 0: none
  RECT rect{};               // WindowMoved: the window's new rectangle
  uintptr_t above = 0;       // WindowRestacked: the window it now lies directly below; 0: none
};

// Standard cursor shapes the driver can show.
enum class CursorShape { Arrow, IBeam, Wait, Cross, UpArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS,
                         SizeAll, No, Hand, AppStarting, Help, Custom, Hidden };

// A cursor as the host shows it: a standard shape, or (Custom) a picture of
// straight (not premultiplied) ARGB pixels with its hot spot.
struct CursorImage {
  CursorShape shape = CursorShape::Arrow;
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<uint32_t> argb;  // width * height, top row first

  bool operator==(const CursorImage&) const = default;
};

// What a top-level window is to the host's window manager. The first three
// are managed (moved, sized and listed by it); the others are shown where the
// program puts them, above everything.
enum class WindowKind { Normal, Dialog, Utility, PopupMenu, DropDown, Tooltip };

constexpr bool IsManaged(WindowKind kind) {
  return kind == WindowKind::Normal || kind == WindowKind::Dialog || kind == WindowKind::Utility;
}

// A top-level window as the host shows it, in desktop coordinates.
struct TopWindow {
  uintptr_t id = 0;        // the window manager's handle
  uintptr_t owner = 0;     // the top-level window it belongs to; 0: none
  RECT rect{};
  WindowKind kind = WindowKind::Normal;
  bool visible = false;
  bool sizable = false;    // the user may size it
  bool maximized = false;
  bool minimized = false;
  bool disabled = false;
  SIZE minSize{};          // the smallest and largest the user may make it
  SIZE maxSize{};          // 0: no limit
  std::string title;       // UTF-8
  std::shared_ptr<const CursorImage> icon;  // its class icon; may be null
};

// What the window manager tells the host before each wait of the thread that
// owns the desktop: the pointer grab follows the capture (and `menuOpen`
// grabs the keyboard too), the pointer clip follows ClipCursor, the title and
// icon follow the main window's; `windows` lists the top-level windows, top
// first, and `active` is the one that should have the keyboard.
struct WaitState {
  bool captured = false;
  bool menuOpen = false;
  bool clipped = false;
  RECT clip{};
  std::string title;  // UTF-8
  std::shared_ptr<const CursorImage> icon;  // the main window's class icon; may be null
  std::vector<TopWindow> windows;
  uintptr_t active = 0;
  // Set when `windows` was filled in; a state without them leaves the host's windows as they are.
  bool listsWindows = false;
};

// What a host implementation does. The headless driver keeps no window.
// PresentRect, SetCursor and WarpPointer may come from any thread; a driver
// with a connection gathers them and acts in Pump, which only the thread
// that created the desktop calls, when it is about to wait.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual const char* Name() const = 0;
  // The desktop's size when nobody asked for one.
  virtual void DefaultSize(int* width, int* height) const;
  virtual bool CreateDesktop(int width, int height) = 0;
  virtual void PresentRect(const Surface& surface, const RECT& rect) = 0;
  virtual void SetCursor(const CursorImage& cursor) = 0;
  virtual void WarpPointer(int x, int y) { (void)x, (void)y; }
  // Sends gathered presents, applies the wait state and delivers pending
  // host input to the sink; true when input was delivered.
  virtual bool Pump(const WaitState& state) { (void)state; return false; }
  // Lets the thread that pumps sleep: from now on, host activity calls the
  // wake function set with SetHostWake.
  virtual void ArmWake() {}
  // Sends what is gathered and waits until the host has shown it.
  virtual void SyncPresents() {}
  // The clipboard's text (see SetClipboardText below); the headless driver
  // keeps it in the process.
  virtual void SetClipboardText(std::optional<std::string> utf8) = 0;
  virtual bool GetClipboardText(std::string* utf8) = 0;

  // The part of the desktop a window manager leaves to windows; false: all of it.
  virtual bool WorkArea(RECT* area) { (void)area; return false; }
  // True when a window manager of the host moves and sizes the windows.
  virtual bool HasWindowManager() { return false; }
  // Hands a move (edges 0) or a size by the given edges (WMSZ_LEFT … WMSZ_BOTTOMRIGHT)
  // of a top-level window, just pressed at a desktop point, to the host's window
  // manager; false when it has none to take it. Only the thread that pumps calls it.
  virtual bool BeginMoveSize(uintptr_t window, int edges, POINT at) { (void)window, (void)edges, (void)at; return false; }
  // Drawing on the desktop itself begins (with the surface as it is then) or
  // ends: what is drawn shows above every window of the host. Any thread.
  virtual void DesktopDrawing(const Surface* before) { (void)before; }
};

// Who receives input: the window manager installs itself here.
using InputSink = std::function<void(const InputEvent&)>;

// --- the desktop ---
constexpr int kDefaultDesktopWidth = 1024;
constexpr int kDefaultDesktopHeight = 768;
constexpr int kMaxDesktopSide = 16384;

// The current surface, created at the default size on first use.
std::shared_ptr<Surface> DesktopSurface();
// A fresh desktop of the given size (tests use it to start clean); false
// when the size is out of range.
bool ResetDesktop(int width, int height);
// The host window changed size: a new surface keeps what fits of the old
// one, and the window manager hears of it through the input sink.
bool ResizeDesktop(int width, int height);
// Marks a changed rectangle; the driver shows it at the owner's next wait.
void PresentRect(const RECT& rect);
void SetCursor(CursorShape shape);
void SetCursor(const CursorImage& cursor);
CursorShape CurrentCursor();
const char* DriverName();
// Opens the X display for the desktop, without the headless fallback: false
// with the reason when there is none to open. A program that must be seen
// calls it before anything else touches the desktop.
bool OpenDisplay(std::string* reason);
// Moves the host's real pointer (SetCursorPos).
void WarpPointer(int x, int y);
// Everything presented so far is on the host's screen when this returns.
void SyncPresents();
// The desktop's work area: the window manager's where one says, else the desktop.
RECT WorkArea();
// True when the host has a window manager of its own that moves, sizes and
// stacks the top-level windows.
bool HasWindowManager();
// The host's window manager moves or sizes the window from the press at
// `at` on (see Driver::BeginMoveSize); false: the program does it itself.
bool BeginMoveSize(uintptr_t window, int edges, POINT at);
// The program draws on the desktop itself (a drag's tracking rectangles)
// from now on, or no longer: what it draws there shows above every window on
// the host's screen until it stops.
void BeginDesktopDrawing();
void EndDesktopDrawing();

// --- input ---
void SetInputSink(InputSink sink);
// Delivers one event to the sink as if it came from the host.
void DeliverInput(InputEvent event);
// The message waits' hooks. PumpHost: called by every message wait before it
// looks at its queue; on the thread that owns the desktop it shows gathered
// presents and delivers host input (true when some was delivered); elsewhere
// it does nothing. ArmHostWake: called just before that thread sleeps, with
// the window manager's lock held, so that a wake cannot slip in between.
bool PumpHost(const WaitState& state);
void ArmHostWake();
bool IsHostThread();
// Who wakes the owner's wait when the host has something for it (input
// arrived, a present came from another thread). Runs on a host thread.
void SetHostWake(std::function<void()> wake);

// Injection for tests: what a user does at desktop coordinates.
void InjectMouseMove(int x, int y);
void InjectMouseButton(int button, bool down, int x, int y);
void InjectClick(int button, int x, int y);
void InjectWheel(int delta, int x, int y);
void InjectKey(unsigned virtualKey, bool down);
void InjectKeyPress(unsigned virtualKey);

// --- clipboard ---
// The text on the clipboard the user shares between programs, as UTF-8.
// Setting it makes the program the clipboard's owner until another program
// takes it or the program ends; nullopt leaves the clipboard empty.
void SetClipboardText(std::optional<std::string> utf8);
// What the clipboard holds now, whoever put it there: false when it holds no
// text, or its owner did not answer in time. From a thread other than the
// desktop's owner only the program's own text is seen.
bool GetClipboardText(std::string* utf8);

// --- capture ---
// Writes the surface (or a rectangle of it, clipped to it) to a PNG file.
// False with a reason in *error when the file cannot be written.
bool WriteSurfacePng(const Surface& surface, const RECT* rect, const std::string& path,
                     std::string* error = nullptr);
bool WriteDesktopPng(const std::string& path, std::string* error = nullptr);

}  // namespace compat::host
