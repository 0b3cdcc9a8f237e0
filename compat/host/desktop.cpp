// The desktop surface, the running driver and the input sink.
#include <algorithm>
#include <chrono>
#include <mutex>

#include "compat/host.h"
#include "compat/host/driver.h"

namespace compat::host {
namespace {

struct HostState {
  std::mutex lock;
  std::unique_ptr<Driver> driver;
  std::shared_ptr<Surface> surface;
  InputSink sink;
  CursorShape cursor = CursorShape::Arrow;
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

// Called with the lock held.
void EnsureDesktop(HostState& state) {
  if (!state.driver) {
    // Only the headless driver exists so far; the X11 one is chosen here when
    // DISPLAY is set and CALVETTA_HOST does not say headless.
    state.driver = MakeHeadlessDriver();
  }
  if (!state.surface) {
    state.surface = MakeSurface(kDefaultDesktopWidth, kDefaultDesktopHeight);
    state.driver->CreateDesktop(kDefaultDesktopWidth, kDefaultDesktopHeight);
  }
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
  if (width <= 0 || height <= 0 || width > kMaxDesktopSide || height > kMaxDesktopSide) return false;
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  state.surface = MakeSurface(width, height);
  state.cursor = CursorShape::Arrow;
  return state.driver->CreateDesktop(width, height);
}

bool ResizeDesktop(int width, int height) {
  if (width <= 0 || height <= 0 || width > kMaxDesktopSide || height > kMaxDesktopSide) return false;
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
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  RECT clipped{std::max<LONG>(rect.left, 0), std::max<LONG>(rect.top, 0),
               std::min<LONG>(rect.right, state.surface->width),
               std::min<LONG>(rect.bottom, state.surface->height)};
  if (clipped.left < clipped.right && clipped.top < clipped.bottom)
    state.driver->PresentRect(*state.surface, clipped);
}

void SetCursor(CursorShape shape) {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  if (state.cursor == shape) return;
  state.cursor = shape;
  state.driver->SetCursor(shape);
}

CursorShape CurrentCursor() {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.cursor;
}

const char* DriverName() {
  HostState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  EnsureDesktop(state);
  return state.driver->Name();
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

bool PollInput() {
  Driver* driver;
  {
    HostState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    EnsureDesktop(state);
    driver = state.driver.get();
  }
  return driver->PollInput();
}

}  // namespace compat::host
