// The desktop surface, the running driver, the input sink and the hooks the
// message waits call.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "compat/host.h"
#include "compat/host/driver.h"

namespace compat::host {
namespace {

struct HostState {
  std::mutex lock;
  std::unique_ptr<Driver> driver;
  std::shared_ptr<Surface> surface;
  InputSink sink;
  std::function<void()> wake;
  CursorImage cursor;
  std::thread::id owner;          // the thread that created the desktop pumps the driver
  std::atomic<bool> hasOwner{false};
};

HostState& State() {
  static HostState state;
  return state;
}

std::shared_ptr<Surface> MakeSurface(int width, int height) {
  auto surface = std::make_shared<Surface>();
  surface->width = width;
  surface->height = height;
  surface->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0xFF000000u);
  return surface;
}

bool ValidSize(int width, int height) {
  return width > 0 && height > 0 && width <= kMaxDesktopSide && height <= kMaxDesktopSide;
}

// X11 when a display is named and nobody asked for headless; a display that
// cannot be opened is said once and the run goes on headless.
std::unique_ptr<Driver> ChooseDriver() {
  const char* wanted = std::getenv("CALVETTA_HOST");
  const char* display = std::getenv("DISPLAY");
  if ((wanted && std::strcmp(wanted, "headless") == 0) || !display || !*display)
    return MakeHeadlessDriver();
  std::string error;
  if (auto x11 = MakeX11Driver(&error)) return x11;
  std::fprintf(stderr, "calvetta: %s; running headless\n", error.c_str());
  return MakeHeadlessDriver();
}

// Called with the lock held.
void EnsureDesktop(HostState& state) {
  if (!state.driver) {
    state.driver = ChooseDriver();
    state.owner = std::this_thread::get_id();
    state.hasOwner = std::strcmp(state.driver->Name(), "headless") != 0;
  }
  if (!state.surface) {
    int width, height;
    state.driver->DefaultSize(&width, &height);
    state.surface = MakeSurface(width, height);
    state.driver->CreateDesktop(width, height);
  }
}

// The driver and the surface, for calls made outside the lock: the driver
// never changes once chosen.
Driver* CurrentDriver(std::shared_ptr<Surface>* surface = nullptr) {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  if (surface) *surface = state.surface;
  return state.driver.get();
}

uint32_t NowMilliseconds() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

std::shared_ptr<Surface> DesktopSurface() {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  return state.surface;
}

bool ResetDesktop(int width, int height) {
  if (!ValidSize(width, height)) return false;
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  state.surface = MakeSurface(width, height);
  state.cursor = CursorImage{};
  return state.driver->CreateDesktop(width, height);
}

bool ResizeDesktop(int width, int height) {
  if (!ValidSize(width, height)) return false;
  {
    HostState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    EnsureDesktop(state);
    auto fresh = MakeSurface(width, height);
    const Surface& old = *state.surface;
    const int rows = std::min(old.height, height), columns = std::min(old.width, width);
    for (int y = 0; y < rows; ++y) std::copy(old.Row(y), old.Row(y) + columns, fresh->Row(y));
    state.surface = fresh;
  }
  InputEvent event;
  event.kind = InputKind::DesktopResized;
  event.x = width;
  event.y = height;
  DeliverInput(event);
  return true;
}

void PresentRect(const RECT& rect) {
  std::shared_ptr<Surface> surface;
  Driver* driver = CurrentDriver(&surface);
  RECT clipped{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
               std::min<LONG>(rect.right, surface->width), std::min<LONG>(rect.bottom, surface->height)};
  // Unlocked: a driver may wake the owning thread, which takes the window manager's lock.
  if (clipped.left < clipped.right && clipped.top < clipped.bottom) driver->PresentRect(*surface, clipped);
}

void SetCursor(CursorShape shape) {
  CursorImage cursor;
  cursor.shape = shape;
  SetCursor(cursor);
}

void SetCursor(const CursorImage& cursor) {
  Driver* driver;
  {
    HostState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    EnsureDesktop(state);
    if (state.cursor == cursor) return;
    state.cursor = cursor;
    driver = state.driver.get();
  }
  // Unlocked, as presents: from another thread the driver wakes the owner.
  driver->SetCursor(cursor);
}

CursorShape CurrentCursor() {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.cursor.shape;
}

const char* DriverName() { return CurrentDriver()->Name(); }

bool OpenDisplay(std::string* reason) {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.driver) {
    if (std::strcmp(state.driver->Name(), "headless") != 0) return true;
    *reason = "the desktop is already headless";
    return false;
  }
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    *reason = "no display (DISPLAY is not set)";
    return false;
  }
  std::unique_ptr<Driver> x11 = MakeX11Driver(reason);
  if (!x11) return false;
  state.driver = std::move(x11);
  state.owner = std::this_thread::get_id();
  state.hasOwner = true;
  return true;
}

void WarpPointer(int x, int y) { CurrentDriver()->WarpPointer(x, y); }

void SyncPresents() {
  if (IsHostThread()) CurrentDriver()->SyncPresents();
}

void SetClipboardText(std::optional<std::string> utf8) { CurrentDriver()->SetClipboardText(std::move(utf8)); }

bool GetClipboardText(std::string* utf8) { return CurrentDriver()->GetClipboardText(utf8); }

RECT WorkArea() {
  std::shared_ptr<Surface> surface;
  Driver* driver = CurrentDriver(&surface);
  const RECT whole{0, 0, surface->width, surface->height};
  RECT area{};
  if (!driver->WorkArea(&area)) return whole;
  // A work area that does not lie on the desktop is no work area.
  area = RECT{std::max(area.left, whole.left), std::max(area.top, whole.top), std::min(area.right, whole.right),
              std::min(area.bottom, whole.bottom)};
  return area.left < area.right && area.top < area.bottom ? area : whole;
}

bool HasWindowManager() { return CurrentDriver()->HasWindowManager(); }

void BeginDesktopDrawing() {
  std::shared_ptr<Surface> surface;
  Driver* driver = CurrentDriver(&surface);
  driver->DesktopDrawing(surface.get());
}

void EndDesktopDrawing() { CurrentDriver()->DesktopDrawing(nullptr); }

bool BeginMoveSize(uintptr_t window, int edges, POINT at) {
  return IsHostThread() && CurrentDriver()->BeginMoveSize(window, edges, at);
}

void SetInputSink(InputSink sink) {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.sink = std::move(sink);
}

void DeliverInput(InputEvent event) {
  InputSink sink;
  {
    HostState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    sink = state.sink;
  }
  if (event.time == 0) event.time = NowMilliseconds();
  // The sink runs unlocked: it posts window messages and may call back here.
  if (sink) sink(event);
}

bool IsHostThread() {
  HostState& state = State();
  if (!state.hasOwner) return false;
  std::lock_guard<std::mutex> guard(state.lock);
  return state.owner == std::this_thread::get_id();
}

bool PumpHost(const WaitState& wait) {
  return IsHostThread() && CurrentDriver()->Pump(wait);
}

void ArmHostWake() {
  if (IsHostThread()) CurrentDriver()->ArmWake();
}

void SetHostWake(std::function<void()> wake) {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  state.wake = std::move(wake);
}

// For drivers: wakes the owning thread's wait.
void WakeHostOwner() {
  std::function<void()> wake;
  {
    HostState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    wake = state.wake;
  }
  if (wake) wake();
}

}  // namespace compat::host
