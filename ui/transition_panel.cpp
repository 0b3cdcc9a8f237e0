// The transition panel.
//
// Sections: creation · data exchange · effects and their dialogs · pairs ·
// pictures · thumbnails
#include "ui/transition_panel.h"

#include <algorithm>
#include <vector>

#include "controls/color_icon_ctrl.h"
#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "controls/image_list_ctrl.h"
#include "model/project/effect.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "platform/shown_path.h"
#include "res/resource.h"
#include "ui/normal_render.h"

namespace {

using controls::CColorIconCtrl;
using controls::CEditCtrl;
using controls::CImageListCtrl;
using controls::kEditCommitted;

constexpr int kIdPairList = 1180;
// Where the template puts the pair list, in dialog units.
constexpr RECT kPairListPlace{0, 1, 98, 74};
constexpr int kIdFrames = 1014;
constexpr int kIdWarpMode = 1030;
constexpr int kIdMaskEdge = 1031;
constexpr int kIdFadeIn = 1035;
constexpr int kIdFadeOut = 1036;
constexpr int kIdTransitionIcon = 1025;
constexpr int kIdTransitionEdge = 1044;
constexpr int kIdReverse = 1040;
constexpr int kIdLightIcon = 1023;
constexpr int kIdLightStrength = 1049;
constexpr int kIdTotalMaskIcon = 1024;
constexpr int kIdInEffect = 1060;
constexpr int kIdInPlace = 1061;
constexpr int kIdInFrames = 1037;
constexpr int kIdOutEffect = 1062;
constexpr int kIdOutPlace = 1063;
constexpr int kIdOutFrames = 1038;
constexpr int kWarpModes = 3;  // the list's last, empty entry is no mode
// Room for a hosted settings dialog below its placeholder's top, in dialog
// units: every setting lies within it, and the next group starts below it.
constexpr int kHostedRoomUnits = 54;
constexpr int kThumbMargin = 20;
constexpr int kThumbHeight = 50;

CMorphPair* CurrentPair() { return GetMorphProject()->CurrentPair(); }

CEffect*& EffectOf(CMorphPair* pair, int side) { return side == 0 ? pair->m_inEffect : pair->m_outEffect; }

// "Source:" path, size, "Target:" path, size of the pair under the pointer.
CString PairTooltipText(int index) {
  CMorphProject* project = GetMorphProject();
  if (index < 0 || index >= project->GetPairCount()) return CString();
  CMorphPair* pair = project->PairAt(index);
  const SIZE source = pair->GetSourceSlot()->GetPixelSize();
  const SIZE target = pair->GetTargetSlot()->GetPixelSize();
  CString text;
  // The paths as the user writes them.
  text.Format(u"Source:%s\r\n( %d X %d)\r\nTarget:%s\r\n( %d X %d)", ShownPath(pair->m_sourcePath).GetString(),
              static_cast<int>(source.cx), static_cast<int>(source.cy), ShownPath(pair->m_targetPath).GetString(),
              static_cast<int>(target.cx), static_cast<int>(target.cy));
  return text;
}

// A setting written into the pair is an edit of the document: closing asks to save it.
void MarkDocumentModified() {
  if (CEditorLink* editor = GetEditorLink()) editor->SetDocumentModified(TRUE);
}

}  // namespace

BEGIN_MESSAGE_MAP(CTransitionPanel, CDialog)
  ON_CONTROL(CBN_SELCHANGE, kIdInEffect, OnInEffectChanged)
  ON_CONTROL(CBN_SELCHANGE, kIdOutEffect, OnOutEffectChanged)
  ON_CONTROL(CBN_SELCHANGE, kIdWarpMode, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdLightStrength, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdInFrames, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdOutFrames, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdMaskEdge, OnMaskEdgeChanged)
  ON_CONTROL(kEditCommitted, kIdTransitionEdge, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdFadeIn, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdFadeOut, OnSettingChanged)
  ON_BN_CLICKED(kIdReverse, OnSettingChanged)
  ON_CONTROL(kEditCommitted, kIdFrames, OnFramesChanged)
  ON_COMMAND(controls::kListInsertPairId, OnInsertPair)
  ON_COMMAND(controls::kListDeletePairId, OnDeletePair)
  ON_COMMAND(controls::kListMoveUpId, OnMovePairUp)
  ON_COMMAND(controls::kListMoveDownId, OnMovePairDown)
  ON_WM_SIZE()
  ON_NOTIFY(controls::kNotifyFillChanged, kIdLightIcon, OnPictureChosen)
  ON_NOTIFY(controls::kNotifyFillChanged, kIdTotalMaskIcon, OnPictureChosen)
  ON_NOTIFY(controls::kNotifyFillChanged, kIdTransitionIcon, OnPictureChosen)
  ON_NOTIFY(controls::kNotifyListSelChange, kIdPairList, OnPairSelected)
END_MESSAGE_MAP()

// --- creation ---

CTransitionPanel::CTransitionPanel() : CDialog(IDD_TRANSITION_PANEL, nullptr) {}

CTransitionPanel::~CTransitionPanel() {
  DropHostedDialog(0);
  DropHostedDialog(1);
}

BOOL CTransitionPanel::Create(CWnd* pParentWnd) { return CDialog::Create(IDD_TRANSITION_PANEL, pParentWnd); }

BOOL CTransitionPanel::OnInitDialog() {
  CDialog::OnInitDialog();
  FillEffectCombo(kIdInEffect);
  FillEffectCombo(kIdOutEffect);
  struct Range {
    int id;
    double min, max;
  };
  for (const Range& r : {Range{kIdFrames, 4, 10000}, Range{kIdMaskEdge, 0, 32}, Range{kIdFadeIn, 0, 10000},
                         Range{kIdFadeOut, 0, 10000}, Range{kIdTransitionEdge, 0, 1.0},
                         Range{kIdLightStrength, 0, 1.0}, Range{kIdInFrames, 0, 1024}, Range{kIdOutFrames, 0, 1024}}) {
    if (CEditCtrl* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, r.id))) field->SetRange(r.min, r.max);
  }
  for (int id : {kIdTransitionEdge, kIdLightStrength}) {
    if (CEditCtrl* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, id))) {
      field->SetFormat(7, 2);
      field->SetStep(0.01);
    }
  }
  if (CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(m_hWnd, kIdPairList))) {
    list->SetTooltipTextProc([](CImageListCtrl& owner, CToolTipCtrl& tooltip, int index) {
      tooltip.UpdateTipText(PairTooltipText(index), &owner);
    });
  }
  RefreshFromProject();
  return TRUE;
}

// --- data exchange ---

void CTransitionPanel::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_CBIndex(pDX, kIdInEffect, m_nInSelection);
  DDX_CBIndex(pDX, kIdOutEffect, m_nOutSelection);
  CMorphProject* project = GetMorphProject();
  if (project->GetPairCount() == 0) return;
  CMorphPair* pair = CurrentPair();
  DDX_EditInt(pDX, kIdInFrames, pair->m_inFrames);
  DDX_EditInt(pDX, kIdOutFrames, pair->m_outFrames);
  int warp = pair->GetWarpMode();
  DDX_CBIndex(pDX, kIdWarpMode, warp);
  if (pDX->m_bSaveAndValidate && warp >= 0 && warp < kWarpModes) pair->SetWarpMode(warp);
  int edge = pair->GetMaskEdge();
  DDX_EditInt(pDX, kIdMaskEdge, edge);
  if (pDX->m_bSaveAndValidate && edge != pair->GetMaskEdge()) pair->SetMaskEdge(edge);
  int frames = pair->GetFrameCount();
  DDX_EditInt(pDX, kIdFrames, frames);
  if (pDX->m_bSaveAndValidate && frames != pair->GetFrameCount()) pair->SetFrameCount(frames);
  DDX_EditFloat(pDX, kIdLightStrength, pair->GetLight()->strength);
  DDX_EditInt(pDX, kIdFadeIn, pair->m_fadeIn);
  DDX_EditInt(pDX, kIdFadeOut, pair->m_fadeOut);
  DDX_EditFloat(pDX, kIdTransitionEdge, pair->GetTransitionPicture()->edge);
  DDX_Check(pDX, kIdReverse, pair->GetTransitionPicture()->reverse);
}

void CTransitionPanel::OnSettingChanged() {
  if (!UpdateData(TRUE)) return;
  MarkDocumentModified();
  CMorphPair* pair = CurrentPair();
  pair->RecreateTextures();
  RenderPair(pair);
}

// The panes show each slot's picture through its mask: a softer edge is
// theirs to show as much as the preview's.
void CTransitionPanel::OnMaskEdgeChanged() {
  OnSettingChanged();
  CurrentPair()->RefreshImageViews();
}

void CTransitionPanel::OnFramesChanged() {
  if (!UpdateData(TRUE)) return;
  MarkDocumentModified();
  GetMorphProject()->RefreshTimeline();
}

// --- effects and their dialogs ---

void CTransitionPanel::FillEffectCombo(int id) {
  HWND combo = ::GetDlgItem(m_hWnd, id);
  ::SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  const CEffectRegistry& registry = GetEffectRegistry();
  for (int effectId : registry.GetIds()) {
    const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    int at = 0;
    while (at < count && static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, at, 0)) <= effectId) ++at;
    const LPCTSTR name = registry.Lookup(effectId)->name.GetString();
    const LRESULT item = at < count ? ::SendMessageW(combo, CB_INSERTSTRING, at, reinterpret_cast<LPARAM>(name))
                                    : ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    ::SendMessageW(combo, CB_SETITEMDATA, item, effectId);
  }
}

void CTransitionPanel::ChangeEffect(int side) {
  if (!UpdateData(TRUE)) return;
  MarkDocumentModified();
  CMorphPair* pair = CurrentPair();
  // The hosted dialog points at the effect: it goes first.
  DropHostedDialog(side);
  delete EffectOf(pair, side);
  EffectOf(pair, side) = nullptr;
  const int selection = side == 0 ? m_nInSelection : m_nOutSelection;
  if (selection >= 0) {
    HWND combo = ::GetDlgItem(m_hWnd, side == 0 ? kIdInEffect : kIdOutEffect);
    const int id = static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, selection, 0));
    CEffect* effect = GetEffectRegistry().Create(id);
    EffectOf(pair, side) = effect;
    if (effect) HostDialog(side, effect->CreateSettingsDialog(this), effect->GetID());
  }
  pair->RecreateTextures();
  RenderPair(pair);
}

void CTransitionPanel::HostDialog(int side, CDialog* dialog, int effectId) {
  DropHostedDialog(side);
  if (dialog) {
    CRect place;
    ::GetWindowRect(::GetDlgItem(m_hWnd, side == 0 ? kIdInPlace : kIdOutPlace), &place);
    ScreenToClient(&place);
    CRect size;
    dialog->GetWindowRect(&size);
    // The origin comes from the placeholder and the width from the dialog.
    // A dialog drawn taller than its settings ends at its group's foot
    // instead of lying over the group below.
    CRect room(0, 0, 0, kHostedRoomUnits);
    MapDialogRect(&room);
    dialog->MoveWindow(place.left, place.top, size.Width(), std::min(size.Height(), room.Height()), TRUE);
    dialog->ShowWindow(SW_SHOW);
  }
  (side == 0 ? m_pInDialog : m_pOutDialog) = dialog;
  HWND combo = ::GetDlgItem(m_hWnd, side == 0 ? kIdInEffect : kIdOutEffect);
  const int count = static_cast<int>(::SendMessageW(combo, CB_GETCOUNT, 0, 0));
  int selection = -1;
  for (int i = 0; i < count && selection < 0; ++i)
    if (static_cast<int>(::SendMessageW(combo, CB_GETITEMDATA, i, 0)) == effectId) selection = i;
  ::SendMessageW(combo, CB_SETCURSEL, selection, 0);
  (side == 0 ? m_nInSelection : m_nOutSelection) = selection;
}

void CTransitionPanel::DropHostedDialog(int side) {
  CDialog*& dialog = side == 0 ? m_pInDialog : m_pOutDialog;
  if (!dialog) return;
  if (dialog->m_hWnd) dialog->DestroyWindow();
  delete dialog;
  dialog = nullptr;
}

void CTransitionPanel::HostEffectsOfCurrentPair() {
  CMorphPair* pair = CurrentPair();
  for (int side = 0; side < 2; ++side) {
    CEffect* effect = EffectOf(pair, side);
    if (!effect) {
      DropHostedDialog(side);
      ::SendMessageW(::GetDlgItem(m_hWnd, side == 0 ? kIdInEffect : kIdOutEffect), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
      (side == 0 ? m_nInSelection : m_nOutSelection) = -1;
      continue;
    }
    HostDialog(side, effect->CreateSettingsDialog(this), effect->GetID());
  }
}

// --- pairs ---

void CTransitionPanel::OnPairSelected(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(m_hWnd, kIdPairList));
  const int index = list ? list->GetSelection() : -1;
  if (index < 0) return;
  UpdateData(TRUE);  // the old pair keeps what the panel shows
  GetMorphProject()->SelectPair(index);
  UpdateData(FALSE);
  ShowPairPictures();
  HostEffectsOfCurrentPair();
}

void CTransitionPanel::OnInsertPair() {
  UpdateData(TRUE);
  GetMorphProject()->InsertPair();
  // The new pair is current: the panel and its dialogs show it.
  RefreshFromProject();
}

void CTransitionPanel::OnDeletePair() {
  CMorphProject* project = GetMorphProject();
  if (project->GetPairCount() <= 1) return;
  // The hosted dialogs edit the pair about to go.
  DropHostedDialog(0);
  DropHostedDialog(1);
  project->DeleteCurrentPair();
  // No write-back: the fields still hold the deleted pair's values.
  RefreshFromProject();
  RenderPair(project->CurrentPair());
}

void CTransitionPanel::OnMovePairUp() {
  UpdateData(TRUE);
  GetMorphProject()->MovePairUp();
  RefreshFromProject();
}

void CTransitionPanel::OnMovePairDown() {
  UpdateData(TRUE);
  GetMorphProject()->MovePairDown();
  RefreshFromProject();
}

void CTransitionPanel::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  // The pair list keeps the place and size its template gives it: stretched
  // to the panel's height it would lie over the warp mode, the picture
  // groups and the effect combos below it and take their clicks. In a panel
  // shown lower than that it ends with the panel, so its buttons at its
  // foot stay in sight.
  HWND list = ::GetDlgItem(m_hWnd, kIdPairList);
  if (!list) return;
  CRect place(kPairListPlace);
  MapDialogRect(&place);
  const int height = std::max(1, std::min<int>(place.Height(), cy - place.top));
  ::MoveWindow(list, place.left, place.top, place.Width(), height, TRUE);
}

void CTransitionPanel::RefreshFromProject() {
  if (!m_hWnd) return;
  CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(m_hWnd, kIdPairList));
  if (list) {
    CRect client;
    list->GetClientRect(&client);
    m_nThumbWidth = client.Width() - kThumbMargin > 1 ? client.Width() - kThumbMargin : 1;
    m_nThumbHeight = kThumbHeight;
    // Each thumbnail is nearly as wide as the list: one pair to a row.
    list->SetColumns(1);
    list->SetCellSize(SIZE{m_nThumbWidth, m_nThumbHeight});
    RebuildThumbnails();
  }
  UpdateData(FALSE);
  ShowPairPictures();
  HostEffectsOfCurrentPair();
}

void CTransitionPanel::EnablePairList(BOOL enable) {
  if (HWND list = ::GetDlgItem(m_hWnd, kIdPairList)) ::EnableWindow(list, enable);
}

// --- pictures ---

void CTransitionPanel::ShowPairPictures() {
  CMorphPair* pair = CurrentPair();
  const struct {
    int id;
    const CString& path;
  } icons[] = {{kIdLightIcon, pair->GetLight()->path},
               {kIdTotalMaskIcon, pair->m_totalMaskPath},
               {kIdTransitionIcon, pair->GetTransitionPicture()->path}};
  for (const auto& icon : icons)
    if (CColorIconCtrl* control = controls::ColorIconFromHandle(::GetDlgItem(m_hWnd, icon.id)))
      control->SetTextureFile(icon.path);
}

void CTransitionPanel::OnPictureChosen(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  UpdateData(TRUE);
  MarkDocumentModified();
  CMorphPair* pair = CurrentPair();
  auto path = [this](int id) {
    CColorIconCtrl* icon = controls::ColorIconFromHandle(::GetDlgItem(m_hWnd, id));
    return icon ? icon->GetTexturePath() : CString();
  };
  pair->GetLight()->path = path(kIdLightIcon);
  pair->m_totalMaskPath = path(kIdTotalMaskIcon);
  pair->GetTransitionPicture()->path = path(kIdTransitionIcon);
  pair->RecreateTextures();
  RenderPair(pair);
}

// --- thumbnails ---

BOOL CTransitionPanel::DrawPairThumbnail(int index, CBitmap& bitmap) const {
  std::vector<DWORD> pixels(static_cast<size_t>(m_nThumbWidth) * m_nThumbHeight);
  GetMorphProject()->PairAt(index)->DrawThumbnail(pixels.data(), m_nThumbWidth, m_nThumbHeight, index + 1);
  return CreateThumbnailBitmap(pixels.data(), m_nThumbWidth, m_nThumbHeight, bitmap);
}

void CTransitionPanel::RebuildThumbnails() {
  CImageListCtrl* list = controls::ImageListCtrlFromHandle(::GetDlgItem(m_hWnd, kIdPairList));
  if (!list) return;
  CMorphProject* project = GetMorphProject();
  const int pairs = project->GetPairCount();
  while (list->GetCount() > pairs) list->RemoveImage(list->GetCount() - 1);
  for (int i = 0; i < pairs; ++i) {
    CBitmap bitmap;
    if (!DrawPairThumbnail(i, bitmap)) continue;
    if (i < list->GetCount())
      list->ReplaceImage(i, &bitmap);
    else
      list->InsertImage(-1, &bitmap);
  }
  list->SetSelection(project->GetCurrentIndex());
  // A pair just inserted or moved may lie below the list's foot.
  list->EnsureVisible(list->GetSelection());
  list->Invalidate();
}
