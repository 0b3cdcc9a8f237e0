// The C runtime's splitting of a path into drive, folder, name and extension,
// and the reverse.
#include <algorithm>
#include <cstring>
#include <string>

#include "compat/win32/kernel.h"

namespace {

void CopyPart(std::u16string_view part, char16_t* out, size_t capacity) {
  if (!out) return;
  size_t n = std::min(part.size(), capacity - 1);
  if (n) std::memcpy(out, part.data(), n * sizeof(char16_t));
  out[n] = 0;
}

}  // namespace

void _wsplitpath(const char16_t* path, char16_t* drive, char16_t* dir, char16_t* fname, char16_t* ext) {
  std::u16string_view rest = path ? path : u"";
  std::u16string_view drive_part;
  if (rest.size() >= 2 && rest[1] == u':') {
    drive_part = rest.substr(0, 2);
    rest.remove_prefix(2);
  }
  size_t slash = rest.find_last_of(u"\\/");
  std::u16string_view dir_part = slash == std::u16string_view::npos ? std::u16string_view() : rest.substr(0, slash + 1);
  std::u16string_view name = slash == std::u16string_view::npos ? rest : rest.substr(slash + 1);
  size_t dot = name.find_last_of(u'.');
  std::u16string_view ext_part = dot == std::u16string_view::npos ? std::u16string_view() : name.substr(dot);
  CopyPart(drive_part, drive, _MAX_DRIVE);
  CopyPart(dir_part, dir, _MAX_DIR);
  CopyPart(name.substr(0, name.size() - ext_part.size()), fname, _MAX_FNAME);
  CopyPart(ext_part, ext, _MAX_EXT);
}

void _wmakepath(char16_t* path, const char16_t* drive, const char16_t* dir, const char16_t* fname,
                const char16_t* ext) {
  std::u16string out;
  if (drive && *drive) out += std::u16string(drive).substr(0, 1) + u":";
  if (dir && *dir) {
    out += dir;
    if (out.back() != u'\\' && out.back() != u'/') out += u'\\';
  }
  if (fname) out += fname;
  if (ext && *ext) {
    if (*ext != u'.') out += u'.';
    out += ext;
  }
  CopyPart(out, path, _MAX_PATH);
}
