// Project files as a hostile sender makes them: well formed, small, but
// with values no editor makes (keys far outside the timing curve's range,
// huge outputs, long lists of stale entries) or naming what no picture is.
// The tests, the open benchmark and the fuzz seeds share them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pvk {

struct HostileProject {
  std::string name;
  std::vector<uint8_t> bytes;
  bool opens;  // false: Open must refuse it
};

// Paths are the program's (backslashes); `picture` names a picture file,
// `pipe` a named pipe. Beside the pipe, "unreadable.bmp" may be a picture
// whose every read fails (an I/O error) and "loop.bmp" a symbolic link to
// itself; where they are not, those kinds name a missing picture.
std::vector<HostileProject> HostileProjects(const std::u16string& picture, const std::u16string& pipe);

// Large projects of the kinds an editor does write, or nearly: their cost
// must grow with their size alone.
// `pairs` pairs naming `picture` on both sides, with `points` one-point
// lines on each side, for a 64 x 64 output; with `wipe`, the in effect is
// a Wipe masked by the picture.
HostileProject ManyPairs(const std::u16string& picture, int pairs, int points = 0, bool wipe = false);
// `pairs` pairs whose timing curves hold `keys` keys each.
HostileProject ManyKeys(int pairs, int keys);
// `pairs` pairs of `lines` lines without a point on each side: refused.
HostileProject EmptyLines(int pairs, int lines);

}  // namespace pvk
