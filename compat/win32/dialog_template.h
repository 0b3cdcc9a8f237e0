// A binary dialog template read into plain records, every count and string
// checked against the end of the bytes before any window is made.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "compat/win32.h"

namespace compat::dialogs {

// A class or title: a name, or an ordinal (0xFFFF and a number).
struct NameOrOrdinal {
  std::u16string name;
  bool isOrdinal = false;
  WORD ordinal = 0;
};

struct DialogItem {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  WORD id = 0;
  std::u16string className;  // predefined ordinals become their class names
  NameOrOrdinal title;
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  DWORD style = 0;
  DWORD exStyle = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  NameOrOrdinal menu;
  std::u16string className;  // empty: the dialog class
  std::u16string caption;
  WORD pointSize = 0;        // with DS_SETFONT
  std::u16string face;
  std::vector<DialogItem> items;
};

// Reads `size` bytes at `data`; false with the reason in *error when the
// template runs past its end or is otherwise unreadable.
bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate* out, std::string* error);

// The largest template read from memory whose size the caller does not give.
constexpr size_t kMaxIndirectTemplateBytes = 1u << 20;

}  // namespace compat::dialogs
