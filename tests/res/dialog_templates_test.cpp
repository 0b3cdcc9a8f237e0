// The program's dialog templates: each holds the controls its code looks up,
// with the classes and texts the code and the user expect, and no control
// covers another or reaches outside its dialog.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "compat/rc/res_decoder.h"
#include "compat/win32.h"
#include "res/resource.h"
#include "program_resources.h"

namespace {

using restest::ResourceBytes;
using restest::kAllDialogs;

// Style values of the template records.
constexpr uint32_t kGroupBoxStyle = 0x7;
constexpr uint32_t kDsControl = 0x0400;
constexpr uint32_t kDs3dLook = 0x0004;

rctest::DecodedDialog Template(UINT id) {
  auto dialog = rctest::DecodeDialog(ResourceBytes(id, RT_DIALOG));
  EXPECT_TRUE(dialog.has_value()) << id;
  return dialog.value_or(rctest::DecodedDialog{});
}

// Class names as the dialog manager sees them: the predefined atoms by name.
std::u16string ClassOf(const rctest::DecodedItem& item) {
  if (!item.windowClass.isId) return item.windowClass.name;
  switch (item.windowClass.id) {
    case 0x80: return u"Button";
    case 0x81: return u"Edit";
    case 0x82: return u"Static";
    case 0x83: return u"ListBox";
    case 0x84: return u"ScrollBar";
    case 0x85: return u"ComboBox";
  }
  return u"?";
}

const rctest::DecodedItem* Item(const rctest::DecodedDialog& d, uint16_t id) {
  for (const auto& item : d.items)
    if (item.id == id) return &item;
  return nullptr;
}

struct Expected {
  uint16_t id;
  const char16_t* windowClass;
};

void ExpectControls(UINT dialog, std::initializer_list<Expected> controls) {
  const rctest::DecodedDialog d = Template(dialog);
  for (const Expected& e : controls) {
    const rctest::DecodedItem* item = Item(d, e.id);
    ASSERT_NE(item, nullptr) << dialog << " lacks " << e.id;
    EXPECT_EQ(ClassOf(*item), e.windowClass) << dialog << " control " << e.id;
  }
}

bool IsContainer(const rctest::DecodedItem& item) {
  // Group boxes frame other controls; hidden statics only mark a place.
  return (ClassOf(item) == u"Button" && (item.style & 0xF) == kGroupBoxStyle) ||
         (ClassOf(item) == u"Static" && !(item.style & WS_VISIBLE));
}

// A combo box's height is its dropped list's; only its closed field stays in the dialog.
int FieldBottom(const rctest::DecodedItem& item) {
  constexpr int kClosedComboHeight = 12;
  return item.y + (ClassOf(item) == u"ComboBox" ? kClosedComboHeight : item.cy);
}

}  // namespace

TEST(DialogTemplates, EveryTemplateNamesTheDialogFontAndKeepsItsControlsApart) {
  for (UINT id : kAllDialogs) {
    const rctest::DecodedDialog d = Template(id);
    EXPECT_EQ(d.face, u"MS Sans Serif") << id;
    EXPECT_EQ(d.pointSize, 8) << id;
    for (size_t i = 0; i < d.items.size(); ++i) {
      const auto& a = d.items[i];
      EXPECT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.cx <= d.cx && FieldBottom(a) <= d.cy)
          << id << " control " << a.id << " leaves its dialog";
      if (IsContainer(a)) continue;
      for (size_t j = i + 1; j < d.items.size(); ++j) {
        const auto& b = d.items[j];
        if (IsContainer(b)) continue;
        const bool apart = a.x + a.cx <= b.x || b.x + b.cx <= a.x || FieldBottom(a) <= b.y || FieldBottom(b) <= a.y;
        EXPECT_TRUE(apart) << id << ": controls " << a.id << " and " << b.id << " overlap";
      }
    }
  }
}

TEST(DialogTemplates, ControlsTheCodeLooksUpHaveTheirClasses) {
  ExpectControls(IDD_TRANSITION_PANEL, {{1180, u"ImageListCtrl"}, {1014, u"EditCtrl"}, {1030, u"ComboBox"},
                                        {1031, u"EditCtrl"}, {1035, u"EditCtrl"}, {1036, u"EditCtrl"},
                                        {1025, u"ColorIconCtrl"}, {1044, u"EditCtrl"}, {1040, u"Button"},
                                        {1023, u"ColorIconCtrl"}, {1049, u"EditCtrl"}, {1024, u"ColorIconCtrl"},
                                        {1060, u"ComboBox"}, {1061, u"Static"}, {1037, u"EditCtrl"},
                                        {1062, u"ComboBox"}, {1063, u"Static"}, {1038, u"EditCtrl"}});
  ExpectControls(IDD_TIMELINE, {{1009, u"TLCurverCtrl"}});
  ExpectControls(IDD_LOAD_SAMPLE, {{908, u"ListBox"}, {111, u"Button"}, {IDOK, u"Button"}, {IDCANCEL, u"Button"}});
  ExpectControls(IDD_IMAGE_FILE, {{1119, u"Static"}, {24400, u"ColorIconCtrl"}, {24401, u"Button"}});
  ExpectControls(IDD_FRAME_SAVE, {{3221, u"Static"}, {3222, u"EditCtrl"}, {1230, u"Button"}});
  ExpectControls(IDD_OUTPUT_SIZE, {{1018, u"EditCtrl"}, {1019, u"EditCtrl"}, {1059, u"Button"}, {1060, u"Button"}});
  ExpectControls(IDD_MORPHER_SETUP, {{1029, u"Button"}, {1030, u"Button"}, {1016, u"ColorIconCtrl"},
                                     {1020, u"ColorIconCtrl"}, {1024, u"EditCtrl"}});
  ExpectControls(IDD_CLIP_AREA, {{1018, u"EditCtrl"}, {1016, u"EditCtrl"}, {1046, u"EditCtrl"}, {1047, u"EditCtrl"},
                                 {1054, u"Button"}});
  ExpectControls(IDD_EXPORT, {{1012, u"Edit"}, {1013, u"Edit"}, {1010, u"Button"}, {1011, u"Button"},
                              {1014, u"Button"}, {1015, u"Button"}, {1016, u"Button"}, {1032, u"Button"},
                              {1024, u"EditCtrl"}, {3222, u"EditCtrl"}, {IDOK, u"Button"}});
  ExpectControls(IDD_COLOR_ADJUST, {{1048, u"EditCtrl"}, {1049, u"EditCtrl"}, {1050, u"EditCtrl"},
                                    {1051, u"EditCtrl"}, {1052, u"Button"}, {1053, u"Button"}});
  ExpectControls(IDD_EDIT_SLIDER, {{1007, u"CSliderCtrlBar"}});
  for (UINT picker : {IDD_COLOR_PICKER_PAGE, IDD_COLOR_PICKER})
    ExpectControls(picker, {{1008, u"ColorPalCtrl"}, {1010, u"ColorBarCtrl"}, {1011, u"ColorIconCtrl"},
                            {1009, u"CSliderBarCtrl"}, {1013, u"CSliderBarCtrl"}, {1014, u"CSliderBarCtrl"},
                            {1012, u"CSliderBarCtrl"}, {1015, u"EditCtrl"}, {1016, u"EditCtrl"}, {1017, u"EditCtrl"},
                            {1018, u"EditCtrl"}, {1180, u"ImageListCtrl"}});
  ExpectControls(IDD_COLOR_PICKER, {{1159, u"Button"}});
  ExpectControls(IDD_VARY_COLOR, {{1017, u"VaryColorBar"}, {1016, u"ColorIconCtrl"}, {1018, u"EditCtrl"},
                                  {1019, u"EditCtrl"}, {809, u"ComboBox"}, {1180, u"ImageListCtrl"}});
  ExpectControls(IDD_IMAGE_SWATCH, {{1019, u"ColorIconCtrl"}, {1020, u"Edit"}, {1021, u"Button"},
                                    {1180, u"ImageListCtrl"}});
  ExpectControls(IDD_SELECT_BACKGROUND, {{3018, u"SysTabControl32"}, {3019, u"Static"}});
  ExpectControls(IDD_WAVE_SETTINGS, {{1106, u"EditCtrl"}, {1109, u"EditCtrl"}, {1112, u"EditCtrl"}});
  ExpectControls(IDD_WIPE_SETTINGS, {{1019, u"ColorIconCtrl"}, {1041, u"EditCtrl"}, {1040, u"Button"}});
  ExpectControls(IDD_FLY_SETTINGS, {{1081, u"ComboBox"}, {1087, u"EditCtrl"}});
  ExpectControls(IDD_SCALE_ROTATE_SETTINGS, {{1045, u"EditCtrl"}, {1046, u"EditCtrl"}, {1047, u"EditCtrl"}});
  ExpectControls(IDD_PAGE_CURL_SETTINGS, {{1055, u"EditCtrl"}, {1056, u"EditCtrl"}, {1057, u"ComboBox"},
                                          {1058, u"Button"}});
  ExpectControls(IDD_TILE_SETTINGS, {{1081, u"ComboBox"}, {1060, u"EditCtrl"}});
  ExpectControls(IDD_SCALE_SETTINGS, {{1081, u"ComboBox"}});
  EXPECT_TRUE(Template(IDD_EMPTY_SETTINGS).items.empty());
}

TEST(DialogTemplates, GivenSizesAndPlacesAreKept) {
  const rctest::DecodedDialog panel = Template(IDD_TRANSITION_PANEL);
  const rctest::DecodedItem* list = Item(panel, 1180);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(std::vector<int>({list->x, list->y, list->cx, list->cy}), std::vector<int>({0, 1, 98, 73}));
  EXPECT_EQ(list->style & 0xFFFF, ILCS_PAIR_LIST);
  for (uint16_t placeholder : {1061, 1063}) {
    ASSERT_NE(Item(panel, placeholder), nullptr);
    EXPECT_EQ(Item(panel, placeholder)->cx, 160);
    EXPECT_EQ(Item(panel, placeholder)->cy, 46);
  }
  const rctest::DecodedDialog slider = Template(IDD_EDIT_SLIDER);
  EXPECT_EQ(slider.cx, 84);
  EXPECT_EQ(slider.cy, 11);
  EXPECT_EQ(slider.style & (WS_POPUP | WS_VISIBLE | WS_BORDER), static_cast<uint32_t>(WS_POPUP | WS_VISIBLE | WS_BORDER));
  EXPECT_EQ(Item(slider, 1007)->style & 0xFFFF, 7u);
  EXPECT_EQ(Item(slider, 1007)->cx, 84);
  const std::map<UINT, std::pair<int, int>> sizes = {{IDD_COLOR_ADJUST, {105, 89}}, {IDD_WAVE_SETTINGS, {198, 202}},
                                                      {IDD_EMPTY_SETTINGS, {198, 202}}, {IDD_TILE_SETTINGS, {198, 202}},
                                                      {IDD_FLY_SETTINGS, {117, 33}}, {IDD_SCALE_SETTINGS, {136, 32}}};
  for (const auto& [id, size] : sizes) {
    const rctest::DecodedDialog d = Template(id);
    EXPECT_EQ(d.cx, size.first) << id;
    EXPECT_EQ(d.cy, size.second) << id;
  }
  for (UINT pane : {IDD_SOURCE_PANE, IDD_TARGET_PANE})
    EXPECT_EQ(Template(pane).style & (WS_CHILD | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS),
              static_cast<uint32_t>(WS_CHILD | WS_THICKFRAME | WS_HSCROLL | WS_VSCROLL | WS_CLIPSIBLINGS));
  for (UINT child : {IDD_IMAGE_FILE, IDD_FRAME_SAVE})
    EXPECT_EQ(Template(child).style & (WS_CHILD | kDsControl | kDs3dLook), static_cast<uint32_t>(WS_CHILD | kDsControl | kDs3dLook));
  EXPECT_EQ(Item(Template(IDD_FRAME_SAVE), 1119), nullptr);
  EXPECT_EQ(Template(IDD_CLIP_AREA).title, u"Set Clip Erea");
  EXPECT_EQ(Template(IDD_OUTPUT_SIZE).title, u"Output image  Size");
}

TEST(DialogTemplates, ListsFilledFromInitialisationDataHoldTheirTextsExactly) {
  auto texts = [](UINT dialog, uint16_t control) {
    std::vector<std::string> out;
    auto records = rctest::DecodeDlgInit(ResourceBytes(dialog, MAKEINTRESOURCEW(240)));
    EXPECT_TRUE(records.has_value()) << dialog;
    if (records)
      for (const auto& r : *records)
        if (r.control == control) out.push_back(r.text);
    return out;
  };
  EXPECT_EQ(texts(IDD_TRANSITION_PANEL, 1030),
            (std::vector<std::string>{"Nomal transform", "Soure image warp", "Target image warp", ""}));
  EXPECT_EQ(texts(IDD_VARY_COLOR, 809), (std::vector<std::string>{"Linear", "Radial", "Angular"}));
  const auto fly = texts(IDD_FLY_SETTINGS, 1081);
  ASSERT_EQ(fly.size(), 13u);
  EXPECT_EQ(fly[6], "left  top to right bottom");
  EXPECT_EQ(fly[9], "left right open curtain ");
  EXPECT_EQ(texts(IDD_SCALE_SETTINGS, 1081).size(), 11u);
  EXPECT_EQ(texts(IDD_TILE_SETTINGS, 1081),
            (std::vector<std::string>{"Horizonal Style0", "Horizonal Style1", "Vertical Style0", "Vertical Style1",
                                      "Diagonal style"}));
  EXPECT_EQ(texts(IDD_PAGE_CURL_SETTINGS, 1057),
            (std::vector<std::string>{"Normal", "Double1", "Double2", "Double3", "Quard"}));
}
