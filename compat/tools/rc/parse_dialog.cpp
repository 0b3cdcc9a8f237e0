// DIALOG: the platform's DLGTEMPLATE with its DLGITEMTEMPLATE items.
#include <strings.h>

#include <cctype>
#include <cstring>

#include "compat/tools/rc/parser.h"

namespace rc {
namespace {

constexpr uint32_t kWsPopup = 0x80000000, kWsChild = 0x40000000, kWsVisible = 0x10000000;
constexpr uint32_t kWsCaption = 0x00C00000, kWsBorder = 0x00800000, kWsSysMenu = 0x00080000;
constexpr uint32_t kWsGroup = 0x00020000, kWsTabStop = 0x00010000;
constexpr uint32_t kDsSetFont = 0x40;
constexpr uint32_t kDefaultDialogStyle = kWsPopup | kWsBorder | kWsSysMenu;
constexpr uint32_t kMaxDialogItems = 0xFFFF;

// Atoms of the predefined control classes.
constexpr uint16_t kButton = 0x80, kEdit = 0x81, kStatic = 0x82, kListBox = 0x83, kScrollBar = 0x84,
                   kComboBox = 0x85;

struct ClassAtom {
  const char* name;
  uint16_t atom;
};
constexpr ClassAtom kClassAtoms[] = {{"Button", kButton},       {"Edit", kEdit},
                                     {"Static", kStatic},       {"ListBox", kListBox},
                                     {"ScrollBar", kScrollBar}, {"ComboBox", kComboBox}};

// The control statements and the styles each implies besides WS_CHILD | WS_VISIBLE.
struct ControlKind {
  const char* keyword;
  bool hasText;
  uint16_t atom;
  uint32_t implied;
};
constexpr ControlKind kControlKinds[] = {
    {"LTEXT", true, kStatic, 0x0 | kWsGroup},
    {"RTEXT", true, kStatic, 0x2 | kWsGroup},
    {"CTEXT", true, kStatic, 0x1 | kWsGroup},
    {"PUSHBUTTON", true, kButton, 0x0 | kWsTabStop},
    {"DEFPUSHBUTTON", true, kButton, 0x1 | kWsTabStop},
    {"CHECKBOX", true, kButton, 0x2 | kWsTabStop},
    {"AUTOCHECKBOX", true, kButton, 0x3 | kWsTabStop},
    {"RADIOBUTTON", true, kButton, 0x4 | kWsTabStop},
    {"GROUPBOX", true, kButton, 0x7},
    {"AUTORADIOBUTTON", true, kButton, 0x9 | kWsTabStop},
    {"EDITTEXT", false, kEdit, kWsBorder | kWsTabStop},
    {"LISTBOX", false, kListBox, 0x1 | kWsBorder},
    {"COMBOBOX", false, kComboBox, 0x1 | kWsTabStop},
    {"SCROLLBAR", false, kScrollBar, 0x0},
};
constexpr uint32_t kSsIcon = 0x3;

// A class or title: a UTF-16 name, or 0xFFFF and a number.
struct NameOrOrdinal {
  std::u16string name;
  bool ordinal = false;
  uint16_t number = 0;

  void Write(ByteWriter& out) const {
    if (ordinal) {
      out.Word(0xFFFF);
      out.Word(number);
    } else {
      out.Text(name);
    }
  }
};

struct DialogItem {
  uint32_t style = kWsChild | kWsVisible;
  uint32_t exStyle = 0;
  int16_t x = 0, y = 0, cx = 0, cy = 0;
  uint16_t id = 0;
  NameOrOrdinal className;
  NameOrOrdinal title;

  void Write(ByteWriter& out) const {
    out.AlignDword();
    out.Dword(style);
    out.Dword(exStyle);
    out.Word(static_cast<uint16_t>(x));
    out.Word(static_cast<uint16_t>(y));
    out.Word(static_cast<uint16_t>(cx));
    out.Word(static_cast<uint16_t>(cy));
    out.Word(id);
    className.Write(out);
    title.Write(out);
    out.Word(0);  // no creation data
  }
};

NameOrOrdinal ClassFromName(const std::u16string& name) {
  for (const ClassAtom& known : kClassAtoms) {
    std::u16string known16(known.name, known.name + strlen(known.name));
    bool same = known16.size() == name.size();
    for (size_t i = 0; same && i < name.size(); ++i)
      same = name[i] < 0x80 && std::tolower(static_cast<int>(name[i])) == std::tolower(known16[i]);
    if (same) return NameOrOrdinal{{}, true, known.atom};
  }
  return NameOrOrdinal{name, false, 0};
}

}  // namespace

void Parser::Dialog(uint16_t id, const SourceLocation& where) {
  int16_t x = Coordinate("x");
  ExpectPunct(',', "after the dialog's x");
  int16_t y = Coordinate("y");
  ExpectPunct(',', "after the dialog's y");
  int16_t cx = Coordinate("width");
  ExpectPunct(',', "after the dialog's width");
  int16_t cy = Coordinate("height");

  uint32_t style = kDefaultDialogStyle, exStyle = 0;
  std::u16string caption, className, face;
  bool hasCaption = false, hasFont = false, hasClass = false;
  uint16_t pointSize = 0;
  const Token* styleToken = nullptr;
  while (!(Peek().IsKeyword("BEGIN") || Peek().IsPunct('{'))) {
    const Token& statement = Next();
    if (statement.IsKeyword("STYLE")) {
      styleToken = &statement;
      style = Style(0);
    } else if (statement.IsKeyword("EXSTYLE")) {
      exStyle = Style(0);
    } else if (statement.IsKeyword("CAPTION")) {
      caption = WideString(ExpectString("after CAPTION"));
      hasCaption = true;
    } else if (statement.IsKeyword("FONT")) {
      pointSize = WordValue("point size");
      ExpectPunct(',', "after the point size");
      face = WideString(ExpectString("naming the font"));
      if (Peek().IsPunct(','))
        Fail(Peek(), "FONT takes a point size and a face name only (weight, italic and character set are DIALOGEX's)");
      hasFont = true;
    } else if (statement.IsKeyword("CLASS")) {
      className = WideString(ExpectString("naming the dialog's class"));
      hasClass = true;
    } else if (statement.IsKeyword("MENU")) {
      Fail(statement, "a MENU statement in a dialog is not supported");
    } else {
      Fail(statement, "unknown dialog statement " + (statement.kind == TokenKind::End ? std::string("(end of script)") : statement.text));
    }
  }
  // A caption gives the default style a title bar; a STYLE statement is taken as written,
  // so child dialogs that carry a caption text keep no title bar.
  if (hasCaption && !styleToken) style |= kWsCaption;
  if (hasFont) style |= kDsSetFont;
  else if (style & kDsSetFont)
    Fail(*styleToken, "DS_SETFONT needs a FONT statement giving the point size and face");
  ExpectBegin("to open the dialog's controls");

  ByteWriter items;
  uint32_t count = 0;
  while (!AtEnd()) {
    const Token& keyword = Next();
    if (++count > kMaxDialogItems) Fail(keyword, "too many controls in one dialog");
    DialogControl(items, keyword);
  }

  ByteWriter out;
  out.Dword(style);
  out.Dword(exStyle);
  out.Word(static_cast<uint16_t>(count));
  for (int16_t v : {x, y, cx, cy}) out.Word(static_cast<uint16_t>(v));
  out.Word(0);  // no menu
  if (hasClass) out.Text(className);
  else out.Word(0);
  out.Text(caption);
  if (hasFont) {
    out.Word(pointSize);
    out.Text(face);
  }
  if (count > 0) {
    out.AlignDword();
    out.Bytes(items.Data().data(), items.Size());
  }
  Add(kRtDialog, id, where, std::move(out.Data()));
}

void Parser::DialogControl(ByteWriter& items, const Token& keyword) {
  DialogItem item;
  auto titleOrOrdinal = [&](const char* context) {
    if (Peek().kind == TokenKind::String) item.title.name = WideString(Next());
    else item.title = NameOrOrdinal{{}, true, WordValue("title ordinal")};
    ExpectPunct(',', context);
  };
  auto rectangle = [&](bool size) {
    item.x = Coordinate("x");
    ExpectPunct(',', "after the control's x");
    item.y = Coordinate("y");
    if (!size) return;
    ExpectPunct(',', "after the control's y");
    item.cx = Coordinate("width");
    ExpectPunct(',', "after the control's width");
    item.cy = Coordinate("height");
  };
  auto styles = [&] {
    if (!AcceptPunct(',')) return;
    item.style = Style(item.style);
    if (AcceptPunct(',')) item.exStyle = Expression();
  };

  if (keyword.IsKeyword("CONTROL")) {
    titleOrOrdinal("after the control's text");
    item.id = WordValue("control id");
    ExpectPunct(',', "after the control id");
    const Token& cls = Next();
    if (cls.kind == TokenKind::String) item.className = ClassFromName(WideString(cls));
    else if (cls.kind == TokenKind::Identifier) item.className = ClassFromName(std::u16string(cls.text.begin(), cls.text.end()));
    else Fail(cls, "expected the control's class name");
    if (!item.className.ordinal && cls.kind == TokenKind::Identifier)
      Fail(cls, "unknown control class " + cls.text + "; put a custom class name in quotes");
    ExpectPunct(',', "after the control's class");
    item.style = Style(item.style);
    ExpectPunct(',', "after the control's style");
    rectangle(true);
    if (AcceptPunct(',')) item.exStyle = Expression();
  } else if (keyword.IsKeyword("ICON")) {
    titleOrOrdinal("after the icon");
    item.id = WordValue("control id");
    ExpectPunct(',', "after the control id");
    item.className = NameOrOrdinal{{}, true, kStatic};
    item.style |= kSsIcon;
    rectangle(false);
    if (AcceptPunct(',')) {
      item.cx = Coordinate("width");
      ExpectPunct(',', "after the icon's width");
      item.cy = Coordinate("height");
      styles();
    }
  } else {
    const ControlKind* kind = nullptr;
    for (const ControlKind& k : kControlKinds)
      if (keyword.IsKeyword(k.keyword)) kind = &k;
    if (!kind) {
      if (keyword.kind == TokenKind::Identifier)
        Fail(keyword, "the control statement " + keyword.text + " is not supported");
      Fail(keyword, "expected a control statement or END");
    }
    item.className = NameOrOrdinal{{}, true, kind->atom};
    item.style |= kind->implied;
    if (kind->hasText) titleOrOrdinal("after the control's text");
    item.id = WordValue("control id");
    ExpectPunct(',', "after the control id");
    rectangle(true);
    styles();
  }
  item.Write(items);
}

}  // namespace rc
