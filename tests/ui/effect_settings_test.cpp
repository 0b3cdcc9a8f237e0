// The effects' settings dialogs as a user works them: each opens from its
// effect with the effect's values and the fields' ranges, its lists hold
// their texts in order, and every edit reaches the effect, re-renders the
// current pair and is saved with the project.
#include <cstring>
#include <map>
#include <memory>

#include "compat/host_path.h"
#include "controls/edit_ctrl.h"
#include "effects/fly_effect.h"
#include "effects/page_curl_effect.h"
#include "effects/scale_effect.h"
#include "effects/scale_rotate_effect.h"
#include "effects/tile_effect.h"
#include "effects/wave_effect.h"
#include "effects/wipe_effect.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/pvk_reference.h"
#include "model/project/project_links.h"
#include "res/resource.h"
#include "ui/effect_settings_dlg.h"
#include "recording_renderer.h"
#include "ui_test_support.h"

namespace {

using controls::CEditCtrl;
using controls::EditCtrlFromHandle;

struct DialogDeleter {
  void operator()(CDialog* dialog) const {
    if (dialog->m_hWnd) dialog->DestroyWindow();
    delete dialog;
  }
};
using DialogPtr = std::unique_ptr<CDialog, DialogDeleter>;

struct Field {
  int id;
  double value, min, max;
};

class EffectSettingsTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    GetMorphProject()->ResetProject();
  }
  void TearDown() override {
    m_dialog.reset();
    GetMorphProject()->ResetProject();
    UiTest::TearDown();
  }
  // The current pair's In effect becomes a new effect of that id, with its
  // settings dialog open in the test window.
  CEffect* Open(int id) {
    m_dialog.reset();
    CMorphPair* pair = GetMorphProject()->CurrentPair();
    delete pair->m_inEffect;
    pair->m_inEffect = GetEffectRegistry().Create(id);
    EXPECT_NE(pair->m_inEffect, nullptr) << id;
    if (!pair->m_inEffect) return nullptr;
    m_dialog.reset(pair->m_inEffect->CreateSettingsDialog(CWnd::FromHandle(parent_)));
    EXPECT_TRUE(m_dialog && m_dialog->m_hWnd) << id;
    if (!m_dialog) return nullptr;
    m_dialog->SetWindowPos(nullptr, 8, 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    Pump();
    return pair->m_inEffect;
  }
  HWND Item(int id) const { return ::GetDlgItem(m_dialog->m_hWnd, id); }
  CEditCtrl& Number(int id) const { return *EditCtrlFromHandle(Item(id)); }
  void ExpectField(const Field& f) const {
    ASSERT_NE(EditCtrlFromHandle(Item(f.id)), nullptr) << f.id;
    double min = 0, max = 0;
    Number(f.id).GetRange(min, max);
    EXPECT_NEAR(Number(f.id).GetValue(), f.value, 1e-4) << f.id;
    EXPECT_EQ(min, f.min) << f.id;
    EXPECT_EQ(max, f.max) << f.id;
  }
  // Types the text over the field's value and moves the focus on, which
  // commits it.
  void TypeInto(int id, const char* text) {
    HWND edit = ::GetDlgItem(Item(id), 1);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(text);
    SetFocus(parent_);
    Pump();
  }
  std::vector<std::u16string> ComboTexts(int id) const {
    std::vector<std::u16string> texts;
    const int count = static_cast<int>(SendMessageW(Item(id), CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char16_t buffer[64] = {};
      SendMessageW(Item(id), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
      texts.emplace_back(buffer);
    }
    return texts;
  }
  int ComboSelection(int id) const { return static_cast<int>(SendMessageW(Item(id), CB_GETCURSEL, 0, 0)); }
  // A closed drop-down list chooses the next item at the down key.
  void ChooseNext(int id) {
    SetFocus(Item(id));
    Key(VK_DOWN);
    Pump();
  }

  uitest::RecordingRenderer m_renderer;
  DialogPtr m_dialog;
};

// The template each effect's dialog is made from.
const std::map<int, int> kTemplates = {
    {0, IDD_EMPTY_SETTINGS}, {1, IDD_WIPE_SETTINGS},       {2, IDD_FLY_SETTINGS},  {3, IDD_SCALE_ROTATE_SETTINGS},
    {4, IDD_WAVE_SETTINGS},  {5, IDD_EMPTY_SETTINGS},      {7, IDD_WAVE_SETTINGS}, {8, IDD_WAVE_SETTINGS},
    {10, IDD_PAGE_CURL_SETTINGS}, {20, IDD_TILE_SETTINGS}, {21, IDD_SCALE_SETTINGS}, {22, IDD_EMPTY_SETTINGS},
    {23, IDD_EMPTY_SETTINGS}};

TEST_F(EffectSettingsTest, EveryRegisteredEffectHasItsDialogFromItsTemplate) {
  const std::vector<int> ids = GetEffectRegistry().GetIds();
  EXPECT_EQ(ids.size(), 13u);
  for (int id : ids) {
    SCOPED_TRACE(id);
    ASSERT_NE(FindEffectDialogMaker(id), nullptr);
    ASSERT_TRUE(kTemplates.count(id));
    CEffect* effect = Open(id);
    ASSERT_NE(effect, nullptr);
    auto* settings = dynamic_cast<CEffectSettingsDlg*>(m_dialog.get());
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->GetEffect(), effect);
    EXPECT_EQ(m_dialog->GetParent()->m_hWnd, parent_);
    EXPECT_TRUE(m_dialog->GetStyle() & WS_CHILD);
    // The dialog keeps its template's size: compare with a bare dialog of
    // the same template.
    CDialog bare(kTemplates.at(id));
    ASSERT_TRUE(bare.Create(kTemplates.at(id), CWnd::FromHandle(parent_)));
    CRect mine, theirs;
    m_dialog->GetWindowRect(&mine);
    bare.GetWindowRect(&theirs);
    EXPECT_EQ(mine.Size(), theirs.Size());
    bare.DestroyWindow();
  }
  // An id with no maker gives no dialog.
  EXPECT_EQ(FindEffectDialogMaker(6), nullptr);
}

TEST_F(EffectSettingsTest, DialogsOpenWithTheDefaultsAndTheRanges) {
  Open(8);  // Circle Wave
  for (const Field& f : {Field{1106, 8, 0, 20}, Field{1109, 3, 1, 5}, Field{1112, 5, 1, 20}}) ExpectField(f);
  EXPECT_EQ(Number(1106).m_edit.m_nDecimals, 2);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_circle_wave");
  Open(4);  // Wave
  for (const Field& f : {Field{1106, 8, 0, 20}, Field{1109, 20, 2, 100}, Field{1112, 5, 1, 20}}) ExpectField(f);
  Open(7);  // Under Warer
  for (const Field& f : {Field{1106, 6, 0, 20}, Field{1109, 3, 2, 6}, Field{1112, 15, 1, 20}}) ExpectField(f);
  Open(2);  // Fly
  ExpectField({1087, 120, 2, 2048});
  EXPECT_EQ(ComboSelection(1081), 1);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_fly");
  Open(3);  // Scale and Rotate
  for (const Field& f : {Field{1045, 5, 0, 10}, Field{1046, 5, 0, 10}, Field{1047, 1, 1, 2048}}) ExpectField(f);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_scale_rotate");
  Open(10);  // Page Curl And Turn: a radius above the fields' default range shows whole
  ExpectField({1055, 200, 0, 5000});
  ExpectField({1056, 45, 0, 360});
  EXPECT_EQ(ComboSelection(1057), 0);
  EXPECT_EQ(IsDlgButtonChecked(m_dialog->m_hWnd, 1058), BST_CHECKED);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_page_curl");
  Open(20);  // Tile
  ExpectField({1060, 3, 1, 100});
  EXPECT_EQ(ComboSelection(1081), 0);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_tile");
  Open(21);  // Scale
  EXPECT_EQ(ComboSelection(1081), 0);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_scale");
  Open(1);  // Wipe
  ExpectField({1041, 0.2, 0, 1});
  EXPECT_EQ(IsDlgButtonChecked(m_dialog->m_hWnd, 1040), BST_CHECKED);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_wipe");
  Open(0);
  uitest::UiTest::WritePng(m_dialog->m_hWnd, "settings_empty");
}

TEST_F(EffectSettingsTest, ListsHoldTheirTextsInOrderSoTheIndexIsTheValue) {
  Open(2);
  EXPECT_EQ(ComboTexts(1081), (std::vector<std::u16string>{
                                  u"left to right", u"right to left", u"top to bottom", u"bottom to top",
                                  u"right top to left bottom", u"left bottom to right top", u"left  top to right bottom",
                                  u"right bottom to left top", u"center to Left and right", u"left right open curtain ",
                                  u"Center to top and bottom", u"top  bottom open curtain ", u"center to around"}));
  Open(21);
  EXPECT_EQ(ComboTexts(1081), (std::vector<std::u16string>{
                                  u"left to right", u"right to left", u"top to bottom", u"bottom to top",
                                  u"left  top to right bottom", u"right bottom to left top", u"right top to left bottom",
                                  u"left bottom to right top", u"center to around", u"center to Left and right",
                                  u"Center to top and bottom"}));
  Open(20);
  EXPECT_EQ(ComboTexts(1081), (std::vector<std::u16string>{u"Horizonal Style0", u"Horizonal Style1", u"Vertical Style0",
                                                           u"Vertical Style1", u"Diagonal style"}));
  Open(10);
  EXPECT_EQ(ComboTexts(1057),
            (std::vector<std::u16string>{u"Normal", u"Double1", u"Double2", u"Double3", u"Quard"}));
}

TEST_F(EffectSettingsTest, EveryEditReachesTheEffectAndReRendersTheCurrentPair) {
  auto* wave = static_cast<CWaveParameterEffect*>(Open(8));
  m_renderer.frames.clear();
  m_renderer.recreations = 0;
  TypeInto(1106, "12.5");
  TypeInto(1109, "2");
  TypeInto(1112, "7");
  EXPECT_FLOAT_EQ(wave->m_strength, 12.5f);
  EXPECT_FLOAT_EQ(wave->m_frequency, 2.0f);
  EXPECT_FLOAT_EQ(wave->m_velocity, 7.0f);
  EXPECT_EQ(m_renderer.recreations, 3);
  EXPECT_EQ(m_renderer.Renders(), 3);

  // "Under Warer" only takes the values; the picture follows at the next render.
  auto* underWater = static_cast<CWaveParameterEffect*>(Open(7));
  const int rendersBefore = m_renderer.Renders();
  TypeInto(1106, "4");
  TypeInto(1109, "5");
  EXPECT_FLOAT_EQ(underWater->m_strength, 4.0f);
  EXPECT_FLOAT_EQ(underWater->m_frequency, 5.0f);
  EXPECT_EQ(m_renderer.recreations, 3);
  EXPECT_EQ(m_renderer.Renders(), rendersBefore);

  auto* fly = static_cast<CFlyEffect*>(Open(2));
  ChooseNext(1081);
  TypeInto(1087, "40");
  EXPECT_EQ(fly->m_style, 2);
  EXPECT_EQ(fly->m_stripCount, 40);

  // Scale X is applied at once like Scale Y and Rotate.
  auto* spin = static_cast<CScaleRotateEffect*>(Open(3));
  const int before = m_renderer.Renders();
  TypeInto(1045, "2.5");
  EXPECT_FLOAT_EQ(spin->m_scaleX, 2.5f);
  EXPECT_EQ(m_renderer.Renders(), before + 1);
  TypeInto(1046, "0.5");
  TypeInto(1047, "3");
  EXPECT_FLOAT_EQ(spin->m_scaleY, 0.5f);
  EXPECT_EQ(spin->m_rotate, 3);

  auto* curl = static_cast<CPageCurlEffect*>(Open(10));
  TypeInto(1055, "1500");
  TypeInto(1056, "90");
  ChooseNext(1057);
  Click(Center(Item(1058)));
  EXPECT_FLOAT_EQ(curl->m_radius, 1500.0f);
  EXPECT_FLOAT_EQ(curl->m_direction, 90.0f);
  EXPECT_EQ(curl->m_style, 1);
  EXPECT_EQ(curl->m_curl, 0);

  auto* tile = static_cast<CTileEffect*>(Open(20));
  ChooseNext(1081);
  TypeInto(1060, "250");  // clamped by the field
  EXPECT_EQ(tile->m_tileType, 1);
  EXPECT_EQ(tile->m_blockCount, 100);

  auto* scale = static_cast<CScaleEffect*>(Open(21));
  ChooseNext(1081);
  ChooseNext(1081);
  EXPECT_EQ(scale->m_scaleType, 2);

  auto* wipe = static_cast<CWipeEffect*>(Open(1));
  const int recreations = m_renderer.recreations;
  TypeInto(1041, "0.5");
  Click(Center(Item(1040)));
  EXPECT_FLOAT_EQ(wipe->m_edge, 0.5f);
  EXPECT_EQ(wipe->m_reverse, 0);
  EXPECT_EQ(m_renderer.recreations, recreations + 2);
}

TEST_F(EffectSettingsTest, EditsAreSavedWithTheProject) {
  auto* spin = static_cast<CScaleRotateEffect*>(Open(3));
  TypeInto(1045, "2.5");
  TypeInto(1047, "4");
  ASSERT_FLOAT_EQ(spin->m_scaleX, 2.5f);
  CMorphPair* pair = GetMorphProject()->CurrentPair();
  delete pair->m_outEffect;
  pair->m_outEffect = GetEffectRegistry().Create(20);
  m_dialog.reset(pair->m_outEffect->CreateSettingsDialog(CWnd::FromHandle(parent_)));
  ChooseNext(1081);
  TypeInto(1060, "7");

  uitest::HostFolder folder;
  ASSERT_TRUE(GetMorphProject()->SaveProjectFile(folder.Path(u"edited.pvk")));
  pvk::Project read;
  ASSERT_TRUE(pvk::ReadProject(uitest::ReadHostFile(folder.Host() + "/edited.pvk"), read));
  ASSERT_EQ(read.pairs.size(), 1u);
  auto bits = [](float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    return u;
  };
  EXPECT_EQ(read.pairs[0].in.id, 3u);
  EXPECT_EQ(read.pairs[0].in.block, (std::vector<uint32_t>{bits(2.5f), bits(5.0f), 4}));
  EXPECT_EQ(read.pairs[0].out.id, 20u);
  EXPECT_EQ(read.pairs[0].out.block, (std::vector<uint32_t>{1, 7}));
}

}  // namespace
