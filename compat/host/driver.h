// Host drivers behind the desktop: chosen once, nothing else knows which runs.
#pragma once

#include <memory>
#include <string>

#include "compat/host.h"

namespace compat::host {

std::unique_ptr<Driver> MakeHeadlessDriver();
// A window on the X display named by DISPLAY; null with the reason in
// *error when the display cannot be opened.
std::unique_ptr<Driver> MakeX11Driver(std::string* error);
// Wakes the wait of the thread that owns the desktop (see SetHostWake).
void WakeHostOwner();

}  // namespace compat::host
