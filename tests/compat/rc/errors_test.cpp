// The compiler's errors: each names the file, line and column, and says what is wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rc_test_support.h"

namespace rctest {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(ScriptErrors, SyntaxErrorNamesFileLineAndColumn) {
  std::string error = CompileError("1 TOOLBAR 16, 15\nBEGIN\n    BUTTON 100\n    BUTTON\nEND\n");
  EXPECT_THAT(error, StartsWith("main.rc:5:1: error:"));
  error = CompileError("1 DIALOG 0, 0, 10 10\nBEGIN\nEND\n");
  EXPECT_THAT(error, StartsWith("main.rc:1:19: error: expected ','"));
  error = CompileError("STRINGTABLE\nBEGIN\n  1 \"open\n END\n");
  EXPECT_THAT(error, StartsWith("main.rc:3:5: error: unterminated string"));
  error = CompileError("/* never closed\n");
  EXPECT_THAT(error, StartsWith("main.rc:1:1: error: unterminated comment"));
  error = CompileError("1 MENU\nBEGIN\n  MENUITEM \"a\", 1\n");
  EXPECT_THAT(error, HasSubstr("missing END"));
}

TEST(ScriptErrors, UnknownSymbolIsNamedWhereItIsUsed) {
  std::string error = CompileError("#include \"ids.h\"\n\nIDD_ONE DIALOG 0, 0, 1, 1\nBEGIN\n  LTEXT \"\", IDC_MISSING, 0, 0, 1, 1\nEND\n",
                                   "#define IDD_ONE 100\n");
  EXPECT_EQ(error, "main.rc:5:13: error: unknown symbol IDC_MISSING");
  error = CompileError("IDD_UNDEFINED DIALOG 0, 0, 1, 1\nBEGIN\nEND\n");
  EXPECT_EQ(error, "main.rc:1:1: error: unknown symbol IDD_UNDEFINED");
}

TEST(ScriptErrors, DuplicateResourceNamesBothPlaces) {
  std::string error = CompileError("5 TOOLBAR 1, 1\nBEGIN\nSEPARATOR\nEND\n\n5 TOOLBAR 2, 2\nBEGIN\nSEPARATOR\nEND\n");
  EXPECT_EQ(error, "main.rc:6:1: error: duplicate resource: type 241, id 5 was already defined at main.rc:1:1");
  error = CompileError("STRINGTABLE BEGIN 7 \"a\" END\nSTRINGTABLE BEGIN\n 7 \"b\"\nEND\n");
  EXPECT_THAT(error, StartsWith("main.rc:3:2: error: duplicate string id 7"));
}

TEST(ScriptErrors, MissingFilesAreNamed) {
  EXPECT_EQ(CompileError("\n1 BITMAP \"res\\\\nothere.bmp\"\n"),
            "main.rc:2:10: error: cannot find the file \"res\\nothere.bmp\"");
  EXPECT_EQ(CompileError("#include \"absent.h\"\n"), "main.rc:1:10: error: cannot find included file \"absent.h\"");
  EXPECT_THAT(CompileError("1 ICON \"ids.h\"\n", "not an icon"), HasSubstr("is not a .ico file"));
}

TEST(ScriptErrors, DlgInitLengthMustMatchItsString) {
  // "One" with its NUL is 4 bytes, but the record claims 6.
  std::string error = CompileError("1 DLGINIT\nBEGIN\n  1002, 0x403, 6, 0\n  0x6e4f, 0x0065, 0x0000,\n  0\nEND\n");
  EXPECT_THAT(error, StartsWith("main.rc:3:16: error: the DLGINIT length 6 disagrees with its string, which is 4 bytes"));
  // A length running past the data.
  error = CompileError("1 DLGINIT\nBEGIN\n  1002, 0x403, 60, 0, \"One\\0\"\n  0\nEND\n");
  EXPECT_THAT(error, HasSubstr("the DLGINIT length 60 disagrees"));
  // An odd length whose string was padded to a whole word.
  error = CompileError("1 DLGINIT\nBEGIN\n  1002, 0x403, 5, 0\n  0x6f66, 0x7275, 0x0000,\n  0\nEND\n");
  EXPECT_THAT(error, HasSubstr("ends inside a word"));
  error = CompileError("1 DLGINIT\nBEGIN\n  1002, 0x403, 4, 0, \"One\\0\"\nEND\n");
  EXPECT_THAT(error, HasSubstr("must end with a 0 word"));
  error = CompileError("1 DLGINIT\nBEGIN\n  1002, 0x1234, 4, 0, \"One\\0\", 0\nEND\n");
  EXPECT_THAT(error, HasSubstr("message 4660 is not supported"));
}

TEST(ScriptErrors, UnsupportedStatementsSaySo) {
  EXPECT_EQ(CompileError("1 DIALOGEX 0, 0, 1, 1\nBEGIN\nEND\n"), "main.rc:1:3: error: DIALOGEX resources are not supported");
  EXPECT_EQ(CompileError("#if 1\n#endif\n"), "main.rc:1:1: error: the directive #if is not supported");
  EXPECT_EQ(CompileError("LANGUAGE 9, 1\n"), "main.rc:1:1: error: the LANGUAGE statement is not supported");
  EXPECT_EQ(CompileError("\"NAME\" BITMAP \"a.bmp\"\n"),
            "main.rc:1:1: error: named resources are not supported; give the resource a numeric id");
  EXPECT_THAT(CompileError("1 MENU BEGIN MENUITEM \"a\", 1, MENUBARBREAK END\n"),
              HasSubstr("the menu option MENUBARBREAK is not supported"));
  EXPECT_THAT(CompileError("1 DIALOG 0,0,1,1 FONT 8, \"MS Sans Serif\", 400, 0, 1 BEGIN END\n"),
              HasSubstr("weight, italic and character set"));
  EXPECT_THAT(CompileError("1 DIALOG 0,0,1,1 BEGIN SLIDER 1, 2 END\n"),
              HasSubstr("the control statement SLIDER is not supported"));
  EXPECT_THAT(CompileError("#define F(x) x\n1 TOOLBAR F(1), 1 BEGIN END\n"), HasSubstr("takes arguments"));
}

// Templates the platform would misread are refused rather than written.
TEST(ScriptErrors, TemplatesReadersWouldRunPastAreRefused) {
  EXPECT_THAT(CompileError("1 MENU\nBEGIN\n  POPUP \"Empty\"\n  BEGIN\n  END\nEND\n"),
              HasSubstr("main.rc:5:3: error: a POPUP needs at least one item"));
  EXPECT_THAT(CompileError("1 ACCELERATORS BEGIN END\n"), HasSubstr("needs at least one entry"));
  EXPECT_THAT(CompileError("1 DIALOG 0,0,1,1 STYLE DS_SETFONT BEGIN END\n"), HasSubstr("DS_SETFONT needs a FONT"));
  EXPECT_THAT(CompileError("1 DIALOG 0,0,40000,1 BEGIN END\n"), HasSubstr("width 40000 is out of range"));
  EXPECT_THAT(CompileError("0 TOOLBAR 1,1 BEGIN END\n"), HasSubstr("resource id 0 is not between 1 and 65535"));
  EXPECT_THAT(CompileError("STRINGTABLE BEGIN 70000 \"x\" END\n"), HasSubstr("string id 70000"));
  EXPECT_THAT(CompileError("1 TOOLBAR 0x100000000, 1 BEGIN END\n"), HasSubstr("does not fit in 32 bits"));
  EXPECT_THAT(CompileError("STRINGTABLE BEGIN 1 \"\xC3\x28\" END\n"), HasSubstr("not valid UTF-8"));
  EXPECT_THAT(CompileError("1 ACCELERATORS BEGIN \"^1\", 5 END\n"), HasSubstr("one character or ^ and a letter"));
}

TEST(ScriptErrors, PreprocessingMistakesAreCaught) {
  EXPECT_EQ(CompileError("#ifdef X\n"), "main.rc:1:1: error: #ifdef or #ifndef without #endif");
  EXPECT_EQ(CompileError("#endif\n"), "main.rc:1:1: error: #endif without #ifdef or #ifndef");
  EXPECT_EQ(CompileError("#ifdef X\n#else\n#else\n#endif\n"), "main.rc:3:1: error: a second #else");
  // A header that includes itself stops at the nesting limit instead of recursing for ever.
  EXPECT_THAT(CompileError("#include \"ids.h\"\n", "#include \"ids.h\"\n"), HasSubstr("nested too deeply"));
  // A macro defined in terms of itself is left as a name.
  EXPECT_EQ(CompileError("#define LOOP LOOP + 1\n1 TOOLBAR LOOP, 1 BEGIN END\n"),
            "main.rc:2:11: error: unknown symbol LOOP");
}

TEST(ScriptErrors, ScriptEncodingsAreRecognised) {
  EXPECT_EQ(CompileError("\xEF\xBB\xBF" "STRINGTABLE BEGIN 1 \"x\" END\r\n"), "");
  EXPECT_EQ(CompileError(std::string("\xFF\xFE" "1\0 \0", 6)), "main.rc:1:1: error: the file is UTF-16; save it as UTF-8");
}

TEST(ScriptErrors, HeadersContributeOnlyTheirDefinitions) {
  std::string header = R"(#pragma once
#include <cstdint>
#define IDR_BAR 7
struct Ignored { char x = 'c', q = '"', e = '\''; };
)";
  EXPECT_EQ(CompileError("#include \"ids.h\"\nIDR_BAR TOOLBAR 1, 1 BEGIN SEPARATOR END\n", header), "");
}

}  // namespace
}  // namespace rctest
