// Input injection for tests: a user's mouse and keys, delivered as host input.
#include "compat/host.h"

namespace compat::host {

void InjectMouseMove(int x, int y) {
  InputEvent event;
  event.kind = InputKind::MouseMove;
  event.x = x;
  event.y = y;
  DeliverInput(event);
}

void InjectMouseButton(int button, bool down, int x, int y) {
  // A real pointer is where it is pressed before it presses.
  InjectMouseMove(x, y);
  InputEvent event;
  event.kind = down ? InputKind::ButtonDown : InputKind::ButtonUp;
  event.x = x;
  event.y = y;
  event.button = button;
  DeliverInput(event);
}

void InjectClick(int button, int x, int y) {
  InjectMouseButton(button, true, x, y);
  InjectMouseButton(button, false, x, y);
}

void InjectWheel(int delta, int x, int y) {
  InjectMouseMove(x, y);
  InputEvent event;
  event.kind = InputKind::Wheel;
  event.x = x;
  event.y = y;
  event.wheelDelta = delta;
  DeliverInput(event);
}

void InjectKey(unsigned virtualKey, bool down) {
  InputEvent event;
  event.kind = down ? InputKind::KeyDown : InputKind::KeyUp;
  event.virtualKey = virtualKey;
  DeliverInput(event);
}

void InjectKeyPress(unsigned virtualKey) {
  InjectKey(virtualKey, true);
  InjectKey(virtualKey, false);
}

}  // namespace compat::host
