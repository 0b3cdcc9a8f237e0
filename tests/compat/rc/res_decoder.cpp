// The test tree's own reader of dialog, menu, accelerator, string and DLGINIT resources.
#include "res_decoder.h"

namespace rctest {
namespace {

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool ok = true;

  uint16_t Word() {
    if (pos_ + 2 > bytes_.size()) return Bad();
    uint16_t v = static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8);
    pos_ += 2;
    return v;
  }
  uint32_t Dword() {
    uint32_t low = Word();
    return low | static_cast<uint32_t>(Word()) << 16;
  }
  uint8_t Byte() {
    if (pos_ >= bytes_.size()) return Bad();
    return bytes_[pos_++];
  }
  std::u16string Text() {
    std::u16string s;
    while (ok) {
      char16_t c = Word();
      if (c == 0) break;
      s.push_back(c);
    }
    return s;
  }
  NameOrId NameOrOrdinal() {
    NameOrId n;
    if (Peek16() == 0xFFFF) {
      Word();
      n.isId = true;
      n.id = Word();
    } else {
      n.name = Text();
    }
    return n;
  }
  void Align4() {
    while (pos_ % 4 != 0) {
      if (Byte() != 0) ok = false;
    }
  }
  bool Done() const { return ok && pos_ == bytes_.size(); }
  size_t Position() const { return pos_; }

 private:
  uint16_t Peek16() const {
    return pos_ + 2 <= bytes_.size() ? static_cast<uint16_t>(bytes_[pos_] | bytes_[pos_ + 1] << 8) : 0;
  }
  uint8_t Bad() {
    ok = false;
    pos_ = bytes_.size();
    return 0;
  }
  const std::vector<uint8_t>& bytes_;
  size_t pos_ = 0;
};

bool MenuLevel(Reader& r, std::vector<DecodedMenuItem>& out, int depth) {
  if (depth > 16) return false;
  while (r.ok) {
    DecodedMenuItem item;
    item.flags = r.Word();
    if (!(item.flags & 0x10)) item.id = r.Word();
    item.text = r.Text();
    if ((item.flags & 0x10) && !MenuLevel(r, item.children, depth + 1)) return false;
    out.push_back(item);
    if (item.flags & 0x80) return r.ok;
  }
  return false;
}

}  // namespace

std::optional<DecodedDialog> DecodeDialog(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  DecodedDialog d;
  d.style = r.Dword();
  d.exStyle = r.Dword();
  uint16_t count = r.Word();
  d.x = r.Word(), d.y = r.Word(), d.cx = r.Word(), d.cy = r.Word();
  d.menu = r.NameOrOrdinal();
  d.windowClass = r.NameOrOrdinal();
  d.title = r.Text();
  if (d.style & 0x40) {
    d.pointSize = r.Word();
    d.face = r.Text();
  }
  for (uint16_t i = 0; i < count && r.ok; ++i) {
    r.Align4();
    DecodedItem item;
    item.style = r.Dword();
    item.exStyle = r.Dword();
    item.x = r.Word(), item.y = r.Word(), item.cx = r.Word(), item.cy = r.Word();
    item.id = r.Word();
    item.windowClass = r.NameOrOrdinal();
    item.title = r.NameOrOrdinal();
    item.creationBytes = r.Word();
    for (uint16_t skip = 0; skip < item.creationBytes; ++skip) r.Byte();
    d.items.push_back(item);
  }
  if (!r.Done()) return std::nullopt;
  return d;
}

std::optional<std::vector<DecodedMenuItem>> DecodeMenu(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  if (r.Word() != 0 || r.Word() != 0) return std::nullopt;
  std::vector<DecodedMenuItem> items;
  if (!MenuLevel(r, items, 0) || !r.Done()) return std::nullopt;
  return items;
}

std::optional<std::vector<DecodedAccel>> DecodeAccelerators(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  std::vector<DecodedAccel> out;
  while (r.ok) {
    DecodedAccel a{r.Word(), r.Word(), r.Word()};
    if (r.Word() != 0) return std::nullopt;
    out.push_back(a);
    if (a.flags & 0x80) break;
  }
  if (!r.Done()) return std::nullopt;
  return out;
}

std::optional<std::vector<std::u16string>> DecodeStringBundle(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  std::vector<std::u16string> out(16);
  for (auto& s : out) {
    uint16_t length = r.Word();
    for (uint16_t i = 0; i < length; ++i) s.push_back(r.Word());
  }
  if (!r.Done()) return std::nullopt;
  return out;
}

std::optional<std::vector<DecodedDlgInit>> DecodeDlgInit(const std::vector<uint8_t>& bytes) {
  Reader r(bytes);
  std::vector<DecodedDlgInit> out;
  while (r.ok) {
    uint16_t control = r.Word();
    if (control == 0) break;
    DecodedDlgInit record{control, r.Word(), {}};
    uint32_t length = r.Dword();
    for (uint32_t i = 0; i < length && r.ok; ++i) record.text.push_back(static_cast<char>(r.Byte()));
    if (record.text.empty() || record.text.back() != '\0') return std::nullopt;
    record.text.pop_back();
    out.push_back(record);
  }
  if (!r.Done()) return std::nullopt;
  return out;
}

}  // namespace rctest
