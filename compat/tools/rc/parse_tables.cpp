// STRINGTABLE (bundles of 16 counted strings), TOOLBAR and DLGINIT (combo and list box strings).
#include <algorithm>
#include <set>

#include "compat/tools/rc/parser.h"

namespace rc {
namespace {

constexpr uint16_t kLbAddString = 0x0401, kCbAddString = 0x0403;
constexpr uint32_t kMaxStringUnits = 0xFFFF;
constexpr size_t kMaxToolbarButtons = 0xFFFF;

// Where each raw item of a DLGINIT block starts, to point errors at the script.
struct RawMark {
  size_t offset;
  SourceLocation where;
};

SourceLocation MarkAt(const std::vector<RawMark>& marks, size_t offset) {
  auto after = std::upper_bound(marks.begin(), marks.end(), offset,
                                [](size_t value, const RawMark& mark) { return value < mark.offset; });
  return after == marks.begin() ? marks.front().where : std::prev(after)->where;
}

uint16_t WordAt(const std::vector<uint8_t>& bytes, size_t offset) {
  return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

// Walks the records {control id, message, length, string with its NUL} up to the zero word.
void CheckDlgInit(const std::vector<uint8_t>& bytes, const std::vector<RawMark>& marks,
                  const SourceLocation& end) {
  std::set<size_t> starts;
  for (const RawMark& mark : marks) starts.insert(mark.offset);
  size_t p = 0;
  while (true) {
    if (bytes.size() - p < 2) throw CompileError(end, "a DLGINIT block must end with a 0 word");
    uint16_t control = WordAt(bytes, p);
    if (control == 0) {
      if (p + 2 != bytes.size()) throw CompileError(MarkAt(marks, p + 2), "data after the DLGINIT's closing 0");
      return;
    }
    if (bytes.size() - p < 8)
      throw CompileError(MarkAt(marks, p), "an incomplete DLGINIT record: a control id, a message and a two-word length are needed");
    uint16_t message = WordAt(bytes, p + 2);
    if (message != kLbAddString && message != kCbAddString)
      throw CompileError(MarkAt(marks, p + 2), "the DLGINIT message " + std::to_string(message) +
                                                   " is not supported (0x0401 list-box or 0x0403 combo-box strings)");
    uint32_t length = WordAt(bytes, p + 4) | static_cast<uint32_t>(WordAt(bytes, p + 6)) << 16;
    SourceLocation lengthAt = MarkAt(marks, p + 4);
    size_t start = p + 8;
    if (length == 0 || length > bytes.size() - start)
      throw CompileError(lengthAt, "the DLGINIT length " + std::to_string(length) + " disagrees with its string");
    auto nul = std::find(bytes.begin() + start, bytes.begin() + start + length, 0);
    if (nul != bytes.begin() + start + length - 1) {
      size_t actual = nul - (bytes.begin() + start) + 1;
      std::string what = nul == bytes.begin() + start + length ? "has no NUL within it"
                                                               : "is " + std::to_string(actual) + " bytes with its NUL";
      throw CompileError(lengthAt, "the DLGINIT length " + std::to_string(length) + " disagrees with its string, which " + what);
    }
    p = start + length;
    if (p != bytes.size() && starts.count(p) == 0)
      throw CompileError(MarkAt(marks, p), "the DLGINIT string ends inside a word; end an odd-length string with \"\\000\"");
  }
}

}  // namespace

void Parser::StringTable() {
  SkipMemoryOptions();
  ExpectBegin("to open the string table");
  while (!AtEnd()) {
    const Token& at = Peek();
    uint32_t id = Expression();
    if (id > 0xFFFF) Fail(at, "string id " + std::to_string(static_cast<int32_t>(id)) + " is not between 0 and 65535");
    AcceptPunct(',');
    const Token& text = ExpectString("for the string id");
    std::u16string value = WideString(text);
    if (value.size() > kMaxStringUnits) Fail(text, "a string table entry holds at most 65535 characters");
    auto [it, fresh] = strings_.emplace(static_cast<uint16_t>(id), StringEntry{std::move(value), at.where});
    if (!fresh)
      Fail(at, "duplicate string id " + std::to_string(id) + " (already defined at " + it->second.where.ToString() + ")");
  }
}

// Strings travel in bundles of 16 under the id (n >> 4) + 1, each a length word and its units.
void Parser::FinishStrings() {
  auto it = strings_.begin();
  while (it != strings_.end()) {
    uint32_t bundle = (it->first >> 4) + 1;
    SourceLocation where = it->second.where;
    ByteWriter out;
    for (uint32_t slot = 0; slot < 16; ++slot) {
      uint16_t id = static_cast<uint16_t>(((bundle - 1) << 4) | slot);
      if (it != strings_.end() && it->first == id) {
        out.Word(static_cast<uint16_t>(it->second.text.size()));
        for (char16_t unit : it->second.text) out.Word(unit);
        ++it;
      } else {
        out.Word(0);
      }
    }
    Add(kRtString, static_cast<uint16_t>(bundle), where, std::move(out.Data()));
  }
}

void Parser::Toolbar(uint16_t id, const SourceLocation& where) {
  uint16_t width = WordValue("button width");
  ExpectPunct(',', "after the button width");
  uint16_t height = WordValue("button height");
  ExpectBegin("to open the toolbar");
  std::vector<uint16_t> buttons;
  while (!AtEnd()) {
    const Token& keyword = Next();
    if (keyword.IsKeyword("BUTTON")) buttons.push_back(WordValue("command id"));
    else if (keyword.IsKeyword("SEPARATOR")) buttons.push_back(0);
    else Fail(keyword, "expected BUTTON, SEPARATOR or END in a toolbar");
    if (buttons.size() > kMaxToolbarButtons) Fail(keyword, "too many toolbar buttons");
  }
  ByteWriter out;
  out.Word(1);  // version
  out.Word(width);
  out.Word(height);
  out.Word(static_cast<uint16_t>(buttons.size()));
  for (uint16_t button : buttons) out.Word(button);
  Add(kRtToolbar, id, where, std::move(out.Data()));
}

void Parser::DlgInit(uint16_t id, const SourceLocation& where) {
  ExpectBegin("to open the DLGINIT data");
  ByteWriter out;
  std::vector<RawMark> marks;
  while (!AtEnd()) {
    const Token& item = Peek();
    marks.push_back({out.Size(), item.where});
    if (item.kind == TokenKind::String) {
      if (item.wide) Fail(item, "DLGINIT strings are 8-bit; L\"...\" is not supported");
      std::string bytes = NarrowString(Next());
      out.Bytes(bytes.data(), bytes.size());
    } else if (item.longSuffix) {
      out.Dword(Expression());
    } else {
      out.Word(WordValue("DLGINIT word"));
    }
    AcceptPunct(',');
  }
  const Token& end = tokens_[pos_ - 1];
  if (marks.empty()) Fail(end, "a DLGINIT block needs at least its closing 0");
  CheckDlgInit(out.Data(), marks, end.where);
  Add(kRtDlgInit, id, where, std::move(out.Data()));
}

}  // namespace rc
