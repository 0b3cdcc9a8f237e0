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

}  // namespace pvk
