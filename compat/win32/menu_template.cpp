// Menus from templates: the classic binary menu template (a version word, a
// header-size word, then item records nested by MF_POPUP and closed by MF_END).
#include <vector>

#include "compat/win32/errors.h"
#include "compat/win32/kernel.h"
#include "compat/win32/menu_state.h"

namespace compat::menus {
namespace {

constexpr int kMaxDepth = 32;

// A reader that never runs past the resource; a short read fails the load.
struct TemplateReader {
  const BYTE* data;
  size_t size;
  size_t offset = 0;
  bool Word(WORD* out) {
    if (offset + 2 > size) return false;
    *out = static_cast<WORD>(data[offset] | (data[offset + 1] << 8));
    offset += 2;
    return true;
  }
  bool Text(std::u16string* out) {
    out->clear();
    for (WORD c; Word(&c);) {
      if (c == 0) return true;
      out->push_back(static_cast<char16_t>(c));
    }
    return false;
  }
};

bool ReadLevel(TemplateReader& in, HMENU menu, int depth) {
  if (depth > kMaxDepth) return false;
  for (;;) {
    WORD flags = 0, id = 0;
    if (!in.Word(&flags)) return false;
    if (!(flags & MF_POPUP) && !in.Word(&id)) return false;
    std::u16string text;
    if (!in.Text(&text)) return false;
    const UINT itemFlags = flags & ~MF_END;
    if (flags & MF_POPUP) {
      HMENU sub = CreatePopupMenu();
      if (!sub || !AppendMenuW(menu, itemFlags, reinterpret_cast<UINT_PTR>(sub), text.c_str())) {
        DestroyMenu(sub);
        return false;
      }
      if (!ReadLevel(in, sub, depth + 1)) return false;
    } else {
      // An item with no text and no id is the template's separator.
      const UINT kind = (text.empty() && id == 0 && !(itemFlags & MF_OWNERDRAW)) ? MF_SEPARATOR : 0;
      if (!AppendMenuW(menu, itemFlags | kind, id, text.c_str())) return false;
    }
    if (flags & MF_END) return true;
  }
}

}  // namespace

HMENU MenuFromTemplate(const BYTE* data, size_t size) {
  TemplateReader in{data, size};
  WORD version = 0, headerSize = 0;
  if (!in.Word(&version) || !in.Word(&headerSize) || version != 0) return nullptr;
  in.offset += headerSize;
  HMENU menu = CreateMenu();
  if (!menu) return nullptr;
  if (!ReadLevel(in, menu, 0)) {
    DestroyMenu(menu);
    SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
    return nullptr;
  }
  return menu;
}

}  // namespace compat::menus

HMENU WINAPI LoadMenuW(HINSTANCE instance, LPCWSTR name) {
  HRSRC found = FindResourceW(reinterpret_cast<HMODULE>(instance), name, RT_MENU);
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(reinterpret_cast<HMODULE>(instance), found);
  const void* data = LockResource(loaded);
  if (!data) return nullptr;
  return compat::menus::MenuFromTemplate(static_cast<const BYTE*>(data),
                                     SizeofResource(reinterpret_cast<HMODULE>(instance), found));
}

// Without a size the template is trusted as far as its own MF_END marks.
HMENU WINAPI LoadMenuIndirectW(const void* menuTemplate) {
  if (!menuTemplate) return nullptr;
  constexpr size_t kUnbounded = size_t{1} << 24;
  return compat::menus::MenuFromTemplate(static_cast<const BYTE*>(menuTemplate), kUnbounded);
}
