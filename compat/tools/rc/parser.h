// The script parser: statements in, binary resources out. Its members are spread over
// parser.cpp (statements, expressions), parse_dialog.cpp, parse_menu.cpp (menus and
// accelerators), parse_tables.cpp (strings, toolbars, DLGINIT) and parse_pictures.cpp.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "compat/tools/rc/compiler.h"
#include "compat/tools/rc/source.h"
#include "compat/tools/rc/sources.h"
#include "compat/tools/rc/text.h"

namespace rc {

class Parser {
 public:
  Parser(std::vector<Token> tokens, Sources& sources);
  std::vector<Resource> Run();

 private:
  struct MenuItem;
  struct StringEntry {
    std::u16string text;
    SourceLocation where;
  };

  // --- tokens ---
  const Token& Peek(size_t ahead = 0) const;
  const Token& Next();
  bool AcceptPunct(char c);
  void ExpectPunct(char c, const char* context);
  bool AcceptKeyword(const char* word);
  void ExpectBegin(const char* context);
  bool AtEnd();  // END or '}' closes a block
  const Token& ExpectString(const char* context);
  [[noreturn]] void Fail(const Token& at, const std::string& message) const;

  // --- expressions ---
  uint32_t Expression();
  uint32_t Additive();
  uint32_t Unary();
  uint32_t Style(uint32_t implied);
  uint16_t WordValue(const char* what);
  int16_t Coordinate(const char* what);
  uint16_t ResourceId(const Token& at, uint32_t value);

  // --- statements ---
  void Statement();
  void SkipMemoryOptions();
  void Add(uint16_t type, uint16_t id, const SourceLocation& where, std::vector<uint8_t> data);
  void Dialog(uint16_t id, const SourceLocation& where);
  void DialogControl(ByteWriter& items, const Token& keyword);
  void Menu(uint16_t id, const SourceLocation& where);
  void MenuItems(std::vector<MenuItem>& items, const char* context);
  void Accelerators(uint16_t id, const SourceLocation& where);
  void StringTable();
  void FinishStrings();
  void Toolbar(uint16_t id, const SourceLocation& where);
  void DlgInit(uint16_t id, const SourceLocation& where);
  void Bitmap(uint16_t id, const SourceLocation& where);
  void IconOrCursor(uint16_t id, const SourceLocation& where, bool cursor);
  std::string ReadPicture(const Token& name, uint64_t limit);

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  Sources& sources_;
  std::map<std::pair<uint16_t, uint16_t>, SourceLocation> defined_;
  std::vector<Resource> resources_;
  std::map<uint16_t, StringEntry> strings_;
  uint32_t nextImageId_ = 1;
};

}  // namespace rc
