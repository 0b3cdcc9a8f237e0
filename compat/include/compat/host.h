// The one host window: the desktop surface every program window is drawn on,
// the driver that shows it and feeds input, and test input injection.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
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
// new size in x and y, after the surface has been replaced.
enum class InputKind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, DesktopResized };
struct InputEvent {
  InputKind kind = InputKind::MouseMove;
  int x = 0;
  int y = 0;
  int button = 0;
  int wheelDelta = 0;        // multiples of 120, positive away from the user
  unsigned virtualKey = 0;
  unsigned scanCode = 0;
  uint32_t time = 0;         // milliseconds, filled by the host when 0
};

// Standard cursor shapes the driver can show.
enum class CursorShape { Arrow, IBeam, Wait, Cross, UpArrow, SizeNWSE, SizeNESW, SizeWE, SizeNS,
                         SizeAll, No, Hand, AppStarting, Help, Custom, Hidden };

// What a host implementation does. The headless driver keeps no window.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual const char* Name() const = 0;
  virtual bool CreateDesktop(int width, int height) = 0;
  virtual void PresentRect(const Surface& surface, const RECT& rect) = 0;
  virtual void SetCursor(CursorShape shape) = 0;
  // Pulls pending host input into the sink; false when there is none.
  virtual bool PollInput() = 0;
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
// Shows a changed rectangle through the driver.
void PresentRect(const RECT& rect);
void SetCursor(CursorShape shape);
CursorShape CurrentCursor();
const char* DriverName();

// --- input ---
void SetInputSink(InputSink sink);
// Delivers one event to the sink as if it came from the host.
void DeliverInput(InputEvent event);
// Lets the driver deliver what the host has queued.
bool PollInput();

// Injection for tests: what a user does at desktop coordinates.
void InjectMouseMove(int x, int y);
void InjectMouseButton(int button, bool down, int x, int y);
void InjectClick(int button, int x, int y);
void InjectWheel(int delta, int x, int y);
void InjectKey(unsigned virtualKey, bool down);
void InjectKeyPress(unsigned virtualKey);

// --- capture ---
// Writes the surface (or a rectangle of it, clipped to it) to a PNG file.
// False with a reason in *error when the file cannot be written.
bool WriteSurfacePng(const Surface& surface, const RECT* rect, const std::string& path,
                     std::string* error = nullptr);
bool WriteDesktopPng(const std::string& path, std::string* error = nullptr);

}  // namespace compat::host
