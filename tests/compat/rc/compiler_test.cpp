// The resource compiler against byte images worked out by hand from the platform's layouts.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>

#include "rc_test_support.h"
#include "res_decoder.h"

namespace rctest {
namespace {

using ::testing::ElementsAre;

// One script with every statement the compiler knows.
const char kIds[] = R"(// ids shared with the C++ code
#pragma once
#define IDD_CUSTOM      200
#define IDM_MAIN        128
#define IDA_MAIN        128
#define IDR_TOOLBAR     130
#define IDC_NAME        1001
#define IDC_KIND        1002
#define IDC_SIZE        1003
#define ID_FILE_NEW     0xE100
#define ID_FILE_OPEN    0xE101
#define ID_FILE_SAVE    0xE103
#define ID_HELP_INDEX   0xE146
)";

const char kEveryStatement[] = R"(#include "ids.h"
#include <windows.h>
/* A dialog with a custom window class,
   a custom control class and a font. */
IDD_CUSTOM DIALOG DISCARDABLE 10, 20, 180, 60
STYLE DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU
EXSTYLE WS_EX_TOOLWINDOW
CLASS "MyDlgClass"
CAPTION "Hi"
FONT 8, "MS Sans Serif"
BEGIN
    CONTROL "", IDC_NAME, "EditCtrl", WS_TABSTOP | 0x0004, 5, 6, 70, 12, WS_EX_CLIENTEDGE
    DEFPUSHBUTTON "OK", IDOK, 120, 40, 50, 14
END

IDM_MAIN MENU
BEGIN
    POPUP "&File"
    BEGIN
        MENUITEM "&Open...\tCtrl+O", ID_FILE_OPEN
        MENUITEM SEPARATOR
        MENUITEM "Recent", 300, CHECKED
    END
    MENUITEM "&Help", 400, INACTIVE, MENUBREAK
END

IDA_MAIN ACCELERATORS
BEGIN
    "^O", ID_FILE_OPEN
    "N", ID_FILE_NEW, VIRTKEY, CONTROL, NOINVERT
    VK_F1, ID_HELP_INDEX, VIRTKEY
    VK_DELETE, 500, VIRTKEY, SHIFT, ALT
END

STRINGTABLE
BEGIN
    15 "Fifteen"
    16, "Sixteen"
    33 "x"
END

IDR_TOOLBAR TOOLBAR 16, 15
BEGIN
    BUTTON ID_FILE_NEW
    BUTTON ID_FILE_OPEN
    SEPARATOR
    BUTTON ID_FILE_SAVE
END

IDD_CUSTOM DLGINIT
BEGIN
    IDC_KIND, 0x403, 4, 0
0x6e4f, 0x0065,
    IDC_KIND, 0x403, 6, 0
0x6854, 0x6572, 0x0065,
    IDC_SIZE, 0x403, 5, 0
0x6f66, 0x7275, "\000"
    IDC_SIZE, 0x403, 4, 0, "Six\0"
    0
END

#ifdef APSTUDIO_INVOKED
this text is skipped
#else
140 DIALOG 0, 0, 100, 50
FONT 8, "MS Sans Serif"
BEGIN
    LTEXT "Left", IDC_STATIC, 1, 2, 3, 4
    RTEXT "Right", -1, 1, 2, 3, 4
    CTEXT "Centre", -1, 1, 2, 3, 4, SS_NOPREFIX | NOT WS_GROUP
    PUSHBUTTON "Push", 10, 1, 2, 3, 4
    GROUPBOX "Group", 11, 1, 2, 3, 4
    CHECKBOX "Check", 12, 1, 2, 3, 4
    AUTOCHECKBOX "Auto", 13, 1, 2, 3, 4
    RADIOBUTTON "Radio", 14, 1, 2, 3, 4
    AUTORADIOBUTTON "AutoRadio", 15, 1, 2, 3, 4, WS_GROUP
    EDITTEXT 16, 1, 2, 3, 4, ES_AUTOHSCROLL
    LISTBOX 17, 1, 2, 3, 4
    COMBOBOX 18, 1, 2, 3, 4, CBS_DROPDOWNLIST | WS_VSCROLL
    SCROLLBAR 19, 1, 2, 3, 4
    ICON 128, 20, 1, 2
    CONTROL "Btn", 21, BUTTON, BS_AUTOCHECKBOX, 1, 2, 3, 4
    CONTROL "", 22, "ToolbarWindow32", NOT WS_VISIBLE, 1, 2, 3, 4
END
#endif
)";

class EveryStatement : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("ids.h", kIds);
    std::string error;
    ASSERT_TRUE(Compile(dir_, kEveryStatement, result_, error)) << error;
  }
  const std::vector<uint8_t>& Bytes(uint16_t type, uint16_t id) {
    const rc::Resource* r = Find(result_, type, id);
    static const std::vector<uint8_t> none;
    EXPECT_NE(r, nullptr) << "type " << type << " id " << id;
    return r ? r->data : none;
  }
  ScratchDir dir_;
  rc::CompileResult result_;
};

TEST_F(EveryStatement, ProducesEachResourceOnceInTypeAndIdOrder) {
  std::vector<std::pair<int, int>> keys;
  for (const rc::Resource& r : result_.resources) keys.emplace_back(r.type, r.id);
  EXPECT_THAT(keys, ElementsAre(std::pair(4, 128), std::pair(5, 140), std::pair(5, 200), std::pair(6, 1),
                                std::pair(6, 2), std::pair(6, 3), std::pair(9, 128), std::pair(240, 200),
                                std::pair(241, 130)));
  ASSERT_EQ(result_.dependencies.size(), 2u);
  EXPECT_EQ(result_.dependencies[1].filename(), "ids.h");
}

TEST_F(EveryStatement, DialogWithCustomClassAndFontMatchesTheHandImage) {
  Image expected;
  expected.D(0x80C800C0)  // DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT
      .D(0x80)            // WS_EX_TOOLWINDOW
      .W(2).W(10).W(20).W(180).W(60)
      .W(0)               // no menu
      .S(u"MyDlgClass").S(u"Hi")
      .W(8).S(u"MS Sans Serif")
      .W(0);              // 78 bytes so far: pad to 80
  expected.D(0x50010004).D(0x200).W(5).W(6).W(70).W(12).W(1001)
      .S(u"EditCtrl").S(u"").W(0);  // 40 bytes: the next item starts aligned at 120
  expected.D(0x50010001).D(0).W(120).W(40).W(50).W(14).W(1)
      .W(0xFFFF).W(0x80).S(u"OK").W(0);
  EXPECT_EQ(Bytes(5, 200), expected.bytes);
}

TEST_F(EveryStatement, EveryControlStatementGetsItsClassAndImpliedStyles) {
  std::optional<DecodedDialog> dialog = DecodeDialog(Bytes(5, 140));
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->style, 0x80880040u);  // the default popup style, with DS_SETFONT
  EXPECT_TRUE(!dialog->windowClass.isId && dialog->windowClass.name.empty());  // no class: a zero word
  struct Expect {
    uint16_t atom;
    uint32_t style;
  };
  const Expect expect[] = {
      {0x82, 0x50020000}, {0x82, 0x50020002}, {0x82, 0x50000081}, {0x80, 0x50010000},
      {0x80, 0x50000007}, {0x80, 0x50010002}, {0x80, 0x50010003}, {0x80, 0x50010004},
      {0x80, 0x50030009}, {0x81, 0x50810080}, {0x83, 0x50800001}, {0x85, 0x50210003},
      {0x84, 0x50000000}, {0x82, 0x50000003}, {0x80, 0x50000003}, {0, 0x40000000},
  };
  ASSERT_EQ(dialog->items.size(), std::size(expect));
  for (size_t i = 0; i < std::size(expect); ++i) {
    const DecodedItem& item = dialog->items[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(item.style, expect[i].style);
    if (expect[i].atom) {
      EXPECT_TRUE(item.windowClass.isId && item.windowClass.id == expect[i].atom);
    }
    EXPECT_EQ(item.creationBytes, 0);
  }
  EXPECT_EQ(dialog->items[0].id, 0xFFFF);  // IDC_STATIC
  EXPECT_EQ(dialog->items[13].title.isId, true);  // ICON names its icon by number
  EXPECT_EQ(dialog->items[13].title.id, 128);
  EXPECT_EQ(dialog->items[13].cx, 0);
  EXPECT_EQ(dialog->items[15].windowClass.name, u"ToolbarWindow32");
  EXPECT_EQ(dialog->items[14].title.name, u"Btn");
}

TEST_F(EveryStatement, MenuLevelsEndWithTheEndFlag) {
  Image expected;
  expected.W(0).W(0)
      .W(0x10).S(u"&File")
      .W(0x00).W(0xE101).S(u"&Open...\tCtrl+O")
      .W(0x00).W(0).S(u"")
      .W(0x88).W(300).S(u"Recent")       // MF_CHECKED | MF_END: last of the popup
      .W(0xC2).W(400).S(u"&Help");       // MF_DISABLED | MF_MENUBREAK | MF_END
  EXPECT_EQ(Bytes(4, 128), expected.bytes);
  std::optional<std::vector<DecodedMenuItem>> menu = DecodeMenu(Bytes(4, 128));
  ASSERT_TRUE(menu);
  ASSERT_EQ(menu->size(), 2u);
  EXPECT_EQ((*menu)[0].children.size(), 3u);
}

TEST_F(EveryStatement, AcceleratorTableMarksItsLastEntry) {
  Image expected;
  expected.W(0x00).W(15).W(0xE101).W(0)       // "^O" is the control character 15
      .W(0x0B).W('N').W(0xE100).W(0)          // VIRTKEY | NOINVERT | CONTROL
      .W(0x01).W(0x70).W(0xE146).W(0)         // VK_F1
      .W(0x95).W(0x2E).W(500).W(0);           // VIRTKEY | SHIFT | ALT | last
  EXPECT_EQ(Bytes(9, 128), expected.bytes);
  std::optional<std::vector<DecodedAccel>> table = DecodeAccelerators(Bytes(9, 128));
  ASSERT_TRUE(table);
  EXPECT_EQ(table->size(), 4u);
}

TEST_F(EveryStatement, StringsEitherSideOfSixteenFallInTheirBundles) {
  Image first;
  for (int i = 0; i < 15; ++i) first.W(0);
  first.W(7);
  for (char16_t c : std::u16string(u"Fifteen")) first.W(c);
  EXPECT_EQ(Bytes(6, 1), first.bytes);

  Image second;
  second.W(7);
  for (char16_t c : std::u16string(u"Sixteen")) second.W(c);
  for (int i = 1; i < 16; ++i) second.W(0);
  EXPECT_EQ(Bytes(6, 2), second.bytes);

  std::optional<std::vector<std::u16string>> third = DecodeStringBundle(Bytes(6, 3));
  ASSERT_TRUE(third);
  EXPECT_EQ((*third)[1], u"x");  // id 33
}

TEST_F(EveryStatement, ToolbarListsButtonsWithZeroForSeparators) {
  Image expected;
  expected.W(1).W(16).W(15).W(4).W(0xE100).W(0xE101).W(0).W(0xE103);
  EXPECT_EQ(Bytes(241, 130), expected.bytes);
}

TEST_F(EveryStatement, DlgInitHoldsTwoComboListsInWordsAndStrings) {
  Image expected;
  expected.W(1002).W(0x403).D(4).A(std::string("One", 4))
      .W(1002).W(0x403).D(6).A(std::string("Three", 6))
      .W(1003).W(0x403).D(5).A(std::string("four", 5))
      .W(1003).W(0x403).D(4).A(std::string("Six", 4))
      .W(0);
  EXPECT_EQ(Bytes(240, 200), expected.bytes);
  std::optional<std::vector<DecodedDlgInit>> records = DecodeDlgInit(Bytes(240, 200));
  ASSERT_TRUE(records);
  ASSERT_EQ(records->size(), 4u);
  EXPECT_EQ((*records)[2].text, "four");
}

TEST(ScriptText, StringEscapesAndUtf8BecomeUtf16) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, "STRINGTABLE BEGIN 1 \"a\\tb\\n\"\"q\"\"\\\\\\x41\\0z\" 2 \"caf\xC3\xA9 \xF0\x9F\x99\x82\" END",
                      result, error)) << error;
  std::optional<std::vector<std::u16string>> bundle = DecodeStringBundle(Find(result, 6, 1)->data);
  ASSERT_TRUE(bundle);
  EXPECT_EQ((*bundle)[1], std::u16string(u"a\tb\n\"q\"\\A\0z", 11));
  EXPECT_EQ((*bundle)[2], u"caf\u00e9 \U0001F642");
}

TEST(ScriptText, StyleExpressionsUseOrPlusMinusComplementAndNot) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, R"(#define BASE 0x10
#define TWICE BASE + BASE
1 DIALOG 0, 0, 10, 10
STYLE WS_CHILD | TWICE - 1 | ~0xFFFFFFFE
BEGIN
    CONTROL "", 1, "Static", NOT WS_VISIBLE | (3 + 4), 0, 0, 1, 1
    LTEXT "", 2, -5, 0, 1, 1, WS_BORDER | NOT WS_GROUP
END
)", result, error)) << error;
  std::optional<DecodedDialog> dialog = DecodeDialog(Find(result, 5, 1)->data);
  ASSERT_TRUE(dialog);
  EXPECT_EQ(dialog->style, 0x40000000u | 0x1F | 0x1);
  EXPECT_EQ(dialog->items[0].style, 0x40000007u);
  EXPECT_EQ(dialog->items[1].style, 0x50800000u);
  EXPECT_EQ(dialog->items[1].x, -5);
  EXPECT_TRUE(dialog->items[0].windowClass.isId);  // a predefined class named in quotes is its atom
}

TEST(ScriptText, CaptionAddsATitleBarOnlyToTheDefaultStyle) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, "1 DIALOG 0,0,9,9 CAPTION \"Popup\" BEGIN END\n"
                           "2 DIALOG 0,0,9,9 STYLE WS_CHILD CAPTION \"Pane\" BEGIN END\n", result, error)) << error;
  EXPECT_EQ(DecodeDialog(Find(result, 5, 1)->data)->style, 0x80C80000u);  // WS_POPUP | WS_CAPTION | WS_SYSMENU
  std::optional<DecodedDialog> pane = DecodeDialog(Find(result, 5, 2)->data);
  EXPECT_EQ(pane->style, 0x40000000u);
  EXPECT_EQ(pane->title, u"Pane");
}

TEST(ScriptText, ConditionalsNestAndSkipWhatTheyExclude) {
  ScratchDir dir;
  rc::CompileResult result;
  std::string error;
  ASSERT_TRUE(Compile(dir, R"(#define A
#ifdef A
#  ifndef B
STRINGTABLE BEGIN 1 "A and not B" END
#  else
STRINGTABLE BEGIN 1 "wrong" END
#  endif
#else
#  ifdef A
#    this is never read
#  endif
@@ not even tokens that would fail
#endif
// a comment with "an unterminated quote
)", result, error)) << error;
  EXPECT_EQ((*DecodeStringBundle(Find(result, 6, 1)->data))[1], u"A and not B");
}

// A generated 2,000-line script with a header of ids, strings, dialogs and menus.
TEST(ScriptSpeed, TwoThousandLinesCompileInUnderASecond) {
  ScratchDir dir;
  std::string header, script = "#include \"ids.h\"\nSTRINGTABLE\nBEGIN\n";
  for (int i = 0; i < 600; ++i) {
    header += "#define IDS_TEXT_" + std::to_string(i) + " " + std::to_string(1000 + i) + "\n";
    script += "    IDS_TEXT_" + std::to_string(i) + " \"Text number " + std::to_string(i) + "\\tand more\"\n";
  }
  script += "END\n";
  for (int d = 0; d < 40; ++d) {
    script += std::to_string(100 + d) + " DIALOG 0, 0, 200, 100\nSTYLE WS_CHILD\nFONT 8, \"MS Sans Serif\"\nBEGIN\n";
    for (int c = 0; c < 20; ++c)
      script += "    LTEXT \"Label\", " + std::to_string(c) + ", 5, " + std::to_string(c * 10) + ", 50, 8, SS_NOPREFIX\n";
    script += "END\n";
  }
  while (std::count(script.begin(), script.end(), '\n') + 600 < 2000) script += "// filler\n";
  dir.Write("ids.h", header);
  rc::CompileResult result;
  std::string error;
  auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(Compile(dir, script, result, error)) << error;
  std::string source = rc::TableSource(result, rc::Module::Program, "speed.rc");
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(seconds, 1.0);
  EXPECT_EQ(result.resources.size(), 40u + 38u);  // 40 dialogs, strings 1000..1599 in 38 bundles
}

}  // namespace
}  // namespace rctest
