// Which instruction sets the running processor offers, for loops compiled
// in more than one form.
#pragma once

namespace compat::d3d9 {

bool HasAvx2();

}  // namespace compat::d3d9
