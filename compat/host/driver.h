// Host drivers behind the desktop: chosen once, nothing else knows which runs.
#pragma once

#include <memory>

#include "compat/host.h"

namespace compat::host {

std::unique_ptr<Driver> MakeHeadlessDriver();

}  // namespace compat::host
