// The transition panel as a user works it: the effect lists, hosting and
// replacing the effects' dialogs, the pair list's buttons and the fields
// that write into the current pair.
#include <memory>

#include "controls/edit_ctrl.h"
#include "controls/image_list_ctrl.h"
#include "effects/tile_effect.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "res/resource.h"
#include "ui/effect_settings_dlg.h"
#include "ui/transition_panel.h"
#include "pane_test_support.h"
#include "recording_renderer.h"
#include "ui_test_support.h"

namespace {

class TransitionPanelTest : public uitest::UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    GetMorphProject()->ResetProject();
    SetWindowPos(parent_, nullptr, 0, 0, 420, 1160, SWP_NOMOVE | SWP_NOZORDER);
    m_panel = std::make_unique<CTransitionPanel>();
    ASSERT_TRUE(m_panel->Create(CWnd::FromHandle(parent_)));
    m_panel->ShowWindow(SW_SHOW);
    Pump();
  }
  void TearDown() override {
    m_panel->DestroyWindow();
    m_panel.reset();
    GetMorphProject()->ResetProject();
    UiTest::TearDown();
  }
  HWND Item(int id) const { return ::GetDlgItem(m_panel->m_hWnd, id); }
  controls::CEditCtrl& Number(int id) const { return *controls::EditCtrlFromHandle(Item(id)); }
  void TypeInto(int id, const char* text) {
    HWND edit = ::GetDlgItem(Item(id), 1);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    Type(text);
    SetFocus(parent_);
    Pump();
  }
  // Picks the list item of that text as a user does: the list opened, the
  // item clicked.
  void Choose(int comboId, const char16_t* text) {
    HWND combo = Item(comboId);
    const int index = static_cast<int>(SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                    reinterpret_cast<LPARAM>(text)));
    ASSERT_GE(index, 0) << compat::Utf16ToUtf8(text);
    SetFocus(combo);
    const int current = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    for (int i = current; i < index; ++i) Key(VK_DOWN);
    for (int i = current; i > index && i > 0; --i) Key(VK_UP);
    if (current < 0) {
      Key(VK_DOWN);
      for (int i = 1; i <= index; ++i) Key(VK_DOWN);
    }
    Pump();
  }
  void PressListButton(UINT id) {
    SendMessageW(m_panel->m_hWnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    Pump();
  }
  static CMorphPair* Current() { return GetMorphProject()->CurrentPair(); }

  uitest::RecordingRenderer m_renderer;
  std::unique_ptr<CTransitionPanel> m_panel;
};

TEST_F(TransitionPanelTest, EffectListsHoldTheRegistryInIdOrderWithTheIdsAsData) {
  const std::vector<std::pair<int, std::u16string>> expected = {
      {0, u"No Effect"}, {1, u"Wipe"},        {2, u"Fly"},          {3, u"Scale and Rotate"}, {4, u"Wave"},
      {5, u"Screw"},     {7, u"Under Warer"}, {8, u"Circle Wave"},  {10, u"Page Curl And Turn"},
      {20, u"Tile"},     {21, u"Scale"},      {22, u"Special Wave"}, {23, u"Sphere Form"}};
  for (int comboId : {1060, 1062}) {
    HWND combo = Item(comboId);
    ASSERT_EQ(SendMessageW(combo, CB_GETCOUNT, 0, 0), 13);
    for (int i = 0; i < 13; ++i) {
      char16_t text[64] = {};
      SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
      EXPECT_EQ(text, expected[i].second);
      EXPECT_EQ(SendMessageW(combo, CB_GETITEMDATA, i, 0), expected[i].first);
    }
    // A new pair has "No Effect" on both sides, its empty dialog hosted.
    EXPECT_EQ(SendMessageW(combo, CB_GETCURSEL, 0, 0), 0);
  }
  ASSERT_NE(m_panel->GetHostedDialog(0), nullptr);
  EXPECT_EQ(compat::DialogTemplateId(m_panel->GetHostedDialog(0)->m_hWnd), IDD_EMPTY_SETTINGS);
}

TEST_F(TransitionPanelTest, ChoosingAnEffectHostsItsDialogOnThePlaceholderAndRendersAgain) {
  const int frames = m_renderer.Renders();
  Choose(1060, u"Wipe");
  ASSERT_NE(Current()->m_inEffect, nullptr);
  EXPECT_EQ(Current()->m_inEffect->GetID(), 1);
  CDialog* hosted = m_panel->GetHostedDialog(0);
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(compat::DialogTemplateId(hosted->m_hWnd), IDD_WIPE_SETTINGS);
  EXPECT_EQ(static_cast<CEffectSettingsDlg*>(hosted)->GetEffect(), Current()->m_inEffect);
  EXPECT_TRUE(hosted->IsWindowVisible());
  CRect place, dialog;
  ::GetWindowRect(Item(1061), &place);
  hosted->GetWindowRect(&dialog);
  EXPECT_EQ(dialog.TopLeft(), place.TopLeft());
  EXPECT_GT(m_renderer.Renders(), frames);
  uitest::UiTest::WritePng(m_panel->m_hWnd, "panel_wipe");
}

TEST_F(TransitionPanelTest, ChangingAnEffectTwiceLeavesNoDanglingDialog) {
  Choose(1062, u"Fly");
  Choose(1062, u"Tile");
  ASSERT_EQ(Current()->m_outEffect->GetID(), 20);
  CDialog* hosted = m_panel->GetHostedDialog(1);
  ASSERT_NE(hosted, nullptr);
  EXPECT_EQ(compat::DialogTemplateId(hosted->m_hWnd), IDD_TILE_SETTINGS);
  // The new dialog edits the new effect.
  HWND edit = ::GetDlgItem(::GetDlgItem(hosted->m_hWnd, 1060), 1);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  Type("9");
  SetFocus(parent_);
  Pump();
  EXPECT_EQ(static_cast<CTileEffect*>(Current()->m_outEffect)->m_blockCount, 9);
}

TEST_F(TransitionPanelTest, EveryEffectDialogFitsThePanel) {
  CRect panel;
  m_panel->GetWindowRect(&panel);
  for (const char16_t* name : {u"Circle Wave", u"Fly", u"Scale and Rotate", u"Page Curl And Turn", u"Tile", u"Scale",
                               u"Wipe", u"Screw"}) {
    Choose(1060, name);
    Choose(1062, name);
    for (int side = 0; side < 2; ++side) {
      CRect hosted;
      ASSERT_NE(m_panel->GetHostedDialog(side), nullptr) << compat::Utf16ToUtf8(name);
      m_panel->GetHostedDialog(side)->GetWindowRect(&hosted);
      CRect inside;
      inside.IntersectRect(&hosted, &panel);
      EXPECT_EQ(inside, hosted) << compat::Utf16ToUtf8(name);
    }
    std::string png = "panel_" + compat::Utf16ToUtf8(name);
    for (char& c : png) c = c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    uitest::UiTest::WritePng(m_panel->m_hWnd, png.c_str());
  }
}

TEST_F(TransitionPanelTest, InsertShowsTheNewPairAndDeleteKeepsTheRemainingPairsValues) {
  TypeInto(1035, "7");
  EXPECT_EQ(Current()->m_fadeIn, 7);
  Choose(1060, u"Tile");
  CMorphPair* first = Current();
  PressListButton(controls::kListInsertPairId);
  ASSERT_EQ(GetMorphProject()->GetPairCount(), 2);
  CMorphPair* second = Current();
  ASSERT_NE(second, first);
  // The panel and its dialogs edit the new pair now.
  auto* hosted = static_cast<CEffectSettingsDlg*>(m_panel->GetHostedDialog(0));
  EXPECT_EQ(hosted ? hosted->GetEffect() : nullptr, second->m_inEffect);
  EXPECT_EQ(Number(1035).GetValue(), second->m_fadeIn);
  EXPECT_EQ(controls::ImageListCtrlFromHandle(Item(1180))->GetCount(), 2);
  EXPECT_EQ(controls::ImageListCtrlFromHandle(Item(1180))->GetSelection(), 1);
  TypeInto(1035, "9");
  TypeInto(1036, "11");
  EXPECT_EQ(second->m_fadeIn, 9);
  EXPECT_EQ(first->m_fadeIn, 7);
  const int firstFadeOut = first->m_fadeOut;

  PressListButton(controls::kListDeletePairId);
  ASSERT_EQ(GetMorphProject()->GetPairCount(), 1);
  EXPECT_EQ(Current(), first);
  EXPECT_EQ(first->m_fadeIn, 7);
  EXPECT_EQ(first->m_fadeOut, firstFadeOut);
  EXPECT_EQ(Number(1035).GetValue(), 7.0);
  EXPECT_EQ(controls::ImageListCtrlFromHandle(Item(1180))->GetCount(), 1);
  hosted = static_cast<CEffectSettingsDlg*>(m_panel->GetHostedDialog(0));
  EXPECT_EQ(hosted ? hosted->GetEffect() : nullptr, first->m_inEffect);
  // The last pair stays.
  PressListButton(controls::kListDeletePairId);
  EXPECT_EQ(GetMorphProject()->GetPairCount(), 1);
}

TEST_F(TransitionPanelTest, EveryPairHasARowOfItsOwnAndScrollsIntoReach) {
  HWND list = Item(1180);
  for (int i = 0; i < 3; ++i) Click(Center(GetDlgItem(list, controls::kListInsertPairId)));
  ASSERT_EQ(GetMorphProject()->GetPairCount(), 4);
  HWND bar = GetDlgItem(list, controls::kListScrollBarId);
  EXPECT_TRUE(IsWindowEnabled(bar)) << "four rows do not fit the list";
  RECT bounds;
  GetWindowRect(bar, &bounds);
  const POINT pageDown{(bounds.left + bounds.right) / 2, bounds.bottom - 20};
  // The last pair inserted is in sight: back to the first.
  const POINT pageUp{pageDown.x, bounds.top + 17};
  for (int step = 0; step < 8 && GetScrollPos(bar, SB_CTL) > 0; ++step) Click(pageUp);
  EXPECT_EQ(GetScrollPos(bar, SB_CTL), 0);
  RECT client;
  GetClientRect(list, &client);
  const int gridHeight = client.bottom - 16;
  for (int i = 0; i < 4; ++i) {
    const int top = i * 50;  // the panel's thumbnails are 50 pixels tall
    for (int step = 0; step < 8 && top + 50 - GetScrollPos(bar, SB_CTL) > gridHeight; ++step) Click(pageDown);
    const int y = top + 25 - GetScrollPos(bar, SB_CTL);
    ASSERT_GT(y, 0);
    ASSERT_LT(y, gridHeight) << "pair " << i + 1 << " out of reach";
    Click(At(list, (client.right - 16) / 2, y));
    EXPECT_EQ(GetMorphProject()->GetCurrentIndex(), i) << "pair " << i + 1;
    EXPECT_EQ(controls::ImageListCtrlFromHandle(list)->GetSelection(), i);
  }
  WritePng(m_panel->m_hWnd, "transition_panel_pair_list");
}

// The panes show the slots' pictures through their masks: a new Mask Edge
// is theirs to repaint, not only the preview's.
TEST_F(TransitionPanelTest, AMaskEdgeChangeRepaintsThePanes) {
  panetest::ViewLink panes;
  SetEditorLink(&panes);
  TypeInto(1031, "6");
  EXPECT_EQ(Current()->GetMaskEdge(), 6);
  EXPECT_GT(panes.pairChanges, 0);
  SetEditorLink(nullptr);
}

TEST_F(TransitionPanelTest, MovingPairsAndFramesFollowTheProject) {
  PressListButton(controls::kListInsertPairId);
  CMorphPair* second = Current();
  PressListButton(controls::kListMoveUpId);
  EXPECT_EQ(GetMorphProject()->PairAt(0), second);
  EXPECT_EQ(controls::ImageListCtrlFromHandle(Item(1180))->GetSelection(), 0);
  PressListButton(controls::kListMoveDownId);
  EXPECT_EQ(GetMorphProject()->PairAt(1), second);
  TypeInto(1014, "2");  // below the least
  EXPECT_EQ(second->GetFrameCount(), 4);
  TypeInto(1014, "250");
  EXPECT_EQ(second->GetFrameCount(), 250);
  TypeInto(1014, "20000");
  EXPECT_EQ(second->GetFrameCount(), 10000);
}

}  // namespace
