// The program's menus, accelerators, toolbar and texts hang together: every
// command a user can reach has its status-bar prompt, every toolbar button
// its tooltip, every accelerator a command that exists, and the texts other
// code looks up by id are there.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "compat/rc/res_decoder.h"
#include "compat/win32.h"
#include "res/resource.h"
#include "program_resources.h"

namespace {

using restest::ResourceBytes;

std::u16string String(UINT id) {
  WCHAR text[512] = {};
  const int n = LoadStringW(GetModuleHandleW(nullptr), id, text, 512);
  return std::u16string(text, static_cast<size_t>(n));
}

void CollectCommands(const std::vector<rctest::DecodedMenuItem>& items, std::vector<uint16_t>& out) {
  for (const auto& item : items) {
    if (!item.children.empty()) CollectCommands(item.children, out);
    else if (item.id != 0) out.push_back(item.id);
  }
}

std::vector<uint16_t> MenuCommands(UINT id) {
  auto menu = rctest::DecodeMenu(ResourceBytes(id, RT_MENU));
  EXPECT_TRUE(menu.has_value()) << id;
  std::vector<uint16_t> commands;
  if (menu) CollectCommands(*menu, commands);
  return commands;
}

// The toolbar resource: version, width, height, count, then the command ids.
std::vector<uint16_t> ToolbarButtons(UINT id) {
  const std::vector<uint8_t> bytes = ResourceBytes(id, MAKEINTRESOURCEW(241));
  std::vector<uint16_t> words;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) words.push_back(static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8));
  if (words.size() < 4 || words.size() != 4u + words[3]) return {};
  return std::vector<uint16_t>(words.begin() + 4, words.end());
}

}  // namespace

TEST(ProgramMenus, EveryMainMenuCommandHasAPromptAndEveryButtonATip) {
  const std::vector<uint16_t> commands = MenuCommands(IDR_MAINFRAME);
  EXPECT_EQ(commands.size(), 30u);
  for (uint16_t id : commands) EXPECT_FALSE(String(id).empty()) << id;
  const std::vector<uint16_t> buttons = ToolbarButtons(IDR_MAINFRAME);
  ASSERT_EQ(buttons.size(), 23u);
  int pictures = 0;
  for (uint16_t id : buttons) {
    if (id == 0) continue;
    ++pictures;
    const std::u16string text = String(id);
    const size_t tip = text.find(u'\n');
    ASSERT_NE(tip, std::u16string::npos) << id;
    EXPECT_LT(tip + 1, text.size()) << id;
  }
  EXPECT_EQ(pictures, 20);  // one 16x15 picture each in bitmap 128
}

TEST(ProgramMenus, EveryAcceleratorNamesACommandOfTheMenuOrToolbar) {
  std::set<uint16_t> reachable;
  for (uint16_t id : MenuCommands(IDR_MAINFRAME)) reachable.insert(id);
  for (uint16_t id : ToolbarButtons(IDR_MAINFRAME)) reachable.insert(id);
  auto accels = rctest::DecodeAccelerators(ResourceBytes(IDR_MAINFRAME, RT_ACCELERATOR));
  ASSERT_TRUE(accels.has_value());
  EXPECT_EQ(accels->size(), 23u);
  for (const auto& a : *accels) {
    EXPECT_TRUE(reachable.count(a.command)) << a.command;
    EXPECT_TRUE(a.flags & FVIRTKEY) << a.command;
  }
  // The table the program loads is the same one.
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME));
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(table, nullptr, 0), 23);
}

TEST(ProgramMenus, ContextMenusHoldTheirCommands) {
  EXPECT_EQ(MenuCommands(IDR_LINE_POINT_MENU),
            (std::vector<uint16_t>{ID_LINE_TOGGLE_CLOSED, ID_LINE_TOGGLE_MASK, ID_LINE_DELETE_POINT, ID_LINE_SELECT}));
  EXPECT_EQ(MenuCommands(IDR_IMAGE_MENU), (std::vector<uint16_t>{ID_SET_CLIP_AREA, ID_COLOR_ADJUST}));
  EXPECT_EQ(MenuCommands(IDR_CURVE_KIND_MENU).size(), 3u);
  EXPECT_EQ(MenuCommands(IDR_TIMELINE_POINT_MENU).size(), 2u);
  EXPECT_EQ(MenuCommands(IDR_SWATCH_MENU).size(), 3u);
}

TEST(ProgramStrings, TextsLookedUpByIdAreThere) {
  EXPECT_EQ(String(IDR_MAINFRAME), u"Calvetta\nUntitled\nPVK\nMake file (*.PVK)\n.PVK\nproject\nPVK Document");
  EXPECT_EQ(String(AFX_IDS_APP_TITLE), u"Calvetta");
  EXPECT_EQ(String(IDS_CREATE_AVI_ERROR), u"Create AVI File Error!");
  EXPECT_EQ(String(IDS_TRIANGLES_NOT_CROSSED), u"Trangels have not intersects");
  EXPECT_EQ(String(ID_INDICATOR_SCRL), u"SCRL");
  // The export's messages, which it shows from these ids.
  EXPECT_EQ(String(IDS_CREATE_GIF_ERROR), u"Create GIF File Error!");
  EXPECT_EQ(String(IDS_CREATE_SWF_ERROR), u"Create SWF File Error!");
  EXPECT_EQ(String(IDS_NO_WRITER_FOR_TYPE), u"Animations cannot be exported to files of this type.");
  EXPECT_EQ(String(IDS_SWF_TOO_MANY_FRAMES), u"A Flash movie holds at most 32767 frames; shorten the animation.");
  EXPECT_EQ(String(IDS_CREATE_BMP_ERROR), u"Create BMP File Error!");
  EXPECT_EQ(String(IDS_CREATE_TGA_ERROR), u"Create TGA File Error!");
}
