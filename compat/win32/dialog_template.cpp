// Reading DLGTEMPLATE and its DLGITEMTEMPLATE items: a cursor over the bytes
// that fails, rather than reads on, when a field would pass the end.
#include "compat/win32/dialog_template.h"

#include <cstring>

namespace compat::dialogs {
namespace {

constexpr WORD kOrdinalMark = 0xFFFF;
constexpr size_t kFixedHeaderBytes = 18;  // DLGTEMPLATE and DLGITEMTEMPLATE alike
constexpr WORD kExtendedSignature = 0xFFFF;

// The predefined control classes an item may name by ordinal.
const char16_t* PredefinedClass(WORD ordinal) {
  switch (ordinal) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
    default: return nullptr;
  }
}

class Cursor {
 public:
  Cursor(const BYTE* data, size_t size) : data_(data), size_(size) {}

  bool Word(WORD* out) {
    if (size_ - at_ < 2) return false;
    std::memcpy(out, data_ + at_, 2);
    at_ += 2;
    return true;
  }
  bool Dword(DWORD* out) {
    if (size_ - at_ < 4) return false;
    std::memcpy(out, data_ + at_, 4);
    at_ += 4;
    return true;
  }
  bool Short(short* out) {
    WORD w;
    if (!Word(&w)) return false;
    *out = static_cast<short>(w);
    return true;
  }
  // A NUL-terminated UTF-16 string; false when no NUL comes before the end.
  bool Text(std::u16string* out) {
    out->clear();
    for (;;) {
      WORD unit;
      if (!Word(&unit)) return false;
      if (unit == 0) return true;
      out->push_back(static_cast<char16_t>(unit));
    }
  }
  bool NameOrNumber(NameOrOrdinal* out) {
    WORD first;
    if (!Word(&first)) return false;
    if (first == kOrdinalMark) {
      out->isOrdinal = true;
      return Word(&out->ordinal);
    }
    if (first == 0) return true;
    out->name.assign(1, static_cast<char16_t>(first));
    std::u16string rest;
    if (!Text(&rest)) return false;
    out->name += rest;
    return true;
  }
  bool Bytes(size_t count, std::vector<BYTE>* out) {
    if (size_ - at_ < count) return false;
    out->assign(data_ + at_, data_ + at_ + count);
    at_ += count;
    return true;
  }
  // Items start on DWORD boundaries counted from the template's start.
  bool AlignDword() {
    const size_t aligned = (at_ + 3) & ~static_cast<size_t>(3);
    if (aligned > size_) return false;
    at_ = aligned;
    return true;
  }

 private:
  const BYTE* data_;
  size_t size_;
  size_t at_ = 0;
};

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

bool ParseItem(Cursor& in, DialogItem* item, std::string* error) {
  if (!in.AlignDword() || !in.Dword(&item->style) || !in.Dword(&item->exStyle) || !in.Short(&item->x) ||
      !in.Short(&item->y) || !in.Short(&item->cx) || !in.Short(&item->cy) || !in.Word(&item->id))
    return Fail(error, "a control's fixed fields run past the end of the template");
  NameOrOrdinal cls;
  if (!in.NameOrNumber(&cls)) return Fail(error, "a control's class runs past the end of the template");
  if (cls.isOrdinal) {
    const char16_t* name = PredefinedClass(cls.ordinal);
    if (!name) return Fail(error, "a control names the unknown class ordinal " + std::to_string(cls.ordinal));
    item->className = name;
  } else {
    item->className = cls.name;
  }
  if (item->className.empty()) return Fail(error, "a control has no class");
  if (!in.NameOrNumber(&item->title)) return Fail(error, "a control's title runs past the end of the template");
  WORD extra = 0;
  if (!in.Word(&extra) || !in.Bytes(extra, &item->creationData))
    return Fail(error, "a control's creation data runs past the end of the template");
  return true;
}

}  // namespace

bool ParseDialogTemplate(const BYTE* data, size_t size, DialogTemplate* out, std::string* error) {
  if (!data || size < kFixedHeaderBytes) return Fail(error, "the template is shorter than its header");
  Cursor in(data, size);
  WORD count = 0;
  in.Dword(&out->style);
  if (LOWORD(out->style) == 1 && HIWORD(out->style) == kExtendedSignature)
    return Fail(error, "extended dialog templates are not supported");
  in.Dword(&out->exStyle);
  in.Word(&count);
  in.Short(&out->x);
  in.Short(&out->y);
  in.Short(&out->cx);
  in.Short(&out->cy);
  NameOrOrdinal cls, caption;
  if (!in.NameOrNumber(&out->menu) || !in.NameOrNumber(&cls) || !in.NameOrNumber(&caption))
    return Fail(error, "the template's menu, class or caption runs past its end");
  if (cls.isOrdinal) return Fail(error, "a dialog class given by ordinal is not supported");
  out->className = cls.name;
  out->caption = caption.name;
  if (out->style & DS_SETFONT) {
    if (!in.Word(&out->pointSize) || !in.Text(&out->face))
      return Fail(error, "the template's font runs past its end");
  }
  out->items.assign(count, DialogItem{});
  for (DialogItem& item : out->items) {
    if (!ParseItem(in, &item, error)) return false;
  }
  return true;
}

}  // namespace compat::dialogs
