// MENU (the platform's menu template) and ACCELERATORS (its 8-byte accelerator entries).
#include "compat/tools/rc/parser.h"

namespace rc {
namespace {

constexpr uint16_t kMfGrayed = 0x01, kMfDisabled = 0x02, kMfChecked = 0x08, kMfPopup = 0x10,
                   kMfMenuBreak = 0x40, kMfEnd = 0x80;

constexpr uint16_t kFVirtKey = 0x01, kFNoInvert = 0x02, kFShift = 0x04, kFControl = 0x08,
                   kFAlt = 0x10, kAccelLast = 0x80;

struct MenuOption {
  const char* keyword;
  uint16_t flag;
};
constexpr MenuOption kMenuOptions[] = {
    {"CHECKED", kMfChecked}, {"GRAYED", kMfGrayed}, {"INACTIVE", kMfDisabled}, {"MENUBREAK", kMfMenuBreak}};
constexpr const char* kUnsupportedMenuOptions[] = {"MENUBARBREAK", "HELP"};

}  // namespace

struct Parser::MenuItem {
  uint16_t flags = 0;
  uint16_t id = 0;
  std::u16string text;
  std::vector<MenuItem> children;

  // MF_END marks the last item of each level, which is how readers find a level's end.
  static void Write(const std::vector<MenuItem>& items, ByteWriter& out) {
    for (size_t i = 0; i < items.size(); ++i) {
      const MenuItem& item = items[i];
      uint16_t flags = item.flags | (i + 1 == items.size() ? kMfEnd : 0);
      out.Word(flags);
      if (!(flags & kMfPopup)) out.Word(item.id);
      out.Text(item.text);
      if (flags & kMfPopup) Write(item.children, out);
    }
  }
};

void Parser::Menu(uint16_t id, const SourceLocation& where) {
  ExpectBegin("to open the menu");
  std::vector<MenuItem> items;
  MenuItems(items, "menu");
  ByteWriter out;
  out.Word(0);  // version
  out.Word(0);  // header size
  MenuItem::Write(items, out);
  Add(kRtMenu, id, where, std::move(out.Data()));
}

void Parser::MenuItems(std::vector<MenuItem>& items, const char* context) {
  const Token& opening = Peek();
  auto options = [&](MenuItem& item) {
    while (true) {
      bool comma = AcceptPunct(',');
      const Token& option = Peek();
      bool known = false;
      for (const MenuOption& o : kMenuOptions)
        if (option.IsKeyword(o.keyword)) {
          item.flags |= o.flag;
          known = true;
        }
      if (known) {
        Next();
        continue;
      }
      for (const char* word : kUnsupportedMenuOptions)
        if (option.IsKeyword(word)) Fail(option, "the menu option " + option.text + " is not supported");
      if (comma) Fail(option, "expected a menu option (CHECKED, GRAYED, INACTIVE, MENUBREAK)");
      return;
    }
  };
  while (!AtEnd()) {
    const Token& keyword = Next();
    MenuItem item;
    if (keyword.IsKeyword("MENUITEM")) {
      if (!AcceptKeyword("SEPARATOR")) {
        item.text = WideString(ExpectString("for the menu item"));
        ExpectPunct(',', "after the menu item's text");
        item.id = WordValue("command id");
        options(item);
      }
    } else if (keyword.IsKeyword("POPUP")) {
      item.text = WideString(ExpectString("for the popup"));
      item.flags = kMfPopup;
      options(item);
      ExpectBegin("to open the popup");
      MenuItems(item.children, "POPUP");
    } else {
      Fail(keyword, "expected MENUITEM, POPUP or END in a menu");
    }
    items.push_back(std::move(item));
  }
  // An empty level would have no item to carry MF_END, and readers would run past it.
  if (items.empty()) Fail(opening, std::string("a ") + context + " needs at least one item");
}

void Parser::Accelerators(uint16_t id, const SourceLocation& where) {
  ExpectBegin("to open the accelerator table");
  const Token& opening = Peek();
  ByteWriter out;
  size_t count = 0;
  while (!AtEnd()) {
    const Token& event = Peek();
    uint16_t key = 0;
    bool controlCharacter = false;
    if (event.kind == TokenKind::String) {
      std::u16string text = WideString(Next());
      if (text.size() == 2 && text[0] == u'^' && ((text[1] >= u'A' && text[1] <= u'Z') || (text[1] >= u'a' && text[1] <= u'z'))) {
        key = static_cast<uint16_t>((text[1] & ~0x20) - u'A' + 1);  // "^A" is the control character 1
        controlCharacter = true;
      } else if (text.size() == 1) {
        key = text[0];
      } else {
        Fail(event, "an accelerator key is one character or ^ and a letter");
      }
    } else {
      key = WordValue("key code");
    }
    ExpectPunct(',', "after the accelerator key");
    uint16_t command = WordValue("command id");
    uint16_t flags = 0;
    bool ascii = false;
    while (AcceptPunct(',')) {
      const Token& option = Next();
      if (option.IsKeyword("VIRTKEY")) flags |= kFVirtKey;
      else if (option.IsKeyword("ASCII")) ascii = true;
      else if (option.IsKeyword("NOINVERT")) flags |= kFNoInvert;
      else if (option.IsKeyword("SHIFT")) flags |= kFShift;
      else if (option.IsKeyword("CONTROL")) flags |= kFControl;
      else if (option.IsKeyword("ALT")) flags |= kFAlt;
      else Fail(option, "unknown accelerator option " + option.text);
    }
    if (ascii && (flags & kFVirtKey)) Fail(event, "an accelerator cannot be both ASCII and VIRTKEY");
    if (controlCharacter && (flags & kFVirtKey)) Fail(event, "a \"^\" key is a character; it cannot be VIRTKEY");
    out.Word(flags);
    out.Word(key);
    out.Word(command);
    out.Word(0);
    ++count;
  }
  if (count == 0) Fail(opening, "an ACCELERATORS table needs at least one entry");
  out.Data()[out.Size() - 8] |= kAccelLast;
  Add(kRtAccelerator, id, where, std::move(out.Data()));
}

}  // namespace rc
