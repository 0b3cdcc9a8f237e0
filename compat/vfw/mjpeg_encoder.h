// Motion-JPEG frames for AVI files: one baseline JPEG per video frame.
#pragma once

#include <vector>

#include "compat/win32/types.h"

namespace compat {

// Encodes a 24-bit BGR frame whose rows lie bottom-up (as the AVI stream
// receives them) into `out`. Quality is 1..100. False on a library error.
bool EncodeMjpegFrame(const BYTE* bgrBottomUp, int width, int height, int quality,
                      std::vector<BYTE>& out);

}  // namespace compat
