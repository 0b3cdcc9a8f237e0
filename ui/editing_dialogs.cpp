// The output size, Morpher Setup and clip area dialogs.
#include "ui/editing_dialogs.h"

#include <algorithm>

#include "controls/color_icon_ctrl.h"
#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "res/resource.h"
#include "ui/background_palette.h"

namespace {

constexpr int kIdWidth = 1018;
constexpr int kIdHeight = 1019;
constexpr int kIdSameAsSource = 1059;
constexpr int kIdSameAsTarget = 1060;

constexpr int kIdGauss = 1029;
constexpr int kIdBackground = 1016;
constexpr int kIdForeground = 1020;
constexpr int kIdFps = 1024;

constexpr int kIdClipLeft = 1018;
constexpr int kIdClipTop = 1016;
constexpr int kIdClipWidth = 1046;
constexpr int kIdClipHeight = 1047;
constexpr int kIdKeepRatio = 1054;
constexpr int kMaxClipLeft = 1024;
constexpr int kMaxClipTop = 768;

bool IsFieldChange(WPARAM wParam) {
  const WORD code = HIWORD(wParam);
  return code == controls::kEditChanging || code == controls::kEditCommitted;
}

CMorphPair* CurrentPair() {
  CMorphProject* project = GetMorphProject();
  return project->GetPairCount() > 0 ? project->CurrentPair() : nullptr;
}

}  // namespace

void ReloadSlotPicture(CImageSlot* slot) {
  CMorphPair* pair = CurrentPair();
  if (pair == nullptr || slot == nullptr) return;
  LoadImageSlot(slot, pair);
  pair->SetMeshDirty(TRUE);
  RenderPair(pair);
  pair->RefreshImageViews();
  // A colour adjustment shows in the thumbnail at once.
  GetMorphProject()->RefreshPairList();
}

void SetFieldRange(CWnd& dialog, int id, double min, double max) {
  if (auto* field = controls::EditCtrlFromHandle(::GetDlgItem(dialog.m_hWnd, id))) field->SetRange(min, max);
}

// --- output size ---

COutputSizeDlg::COutputSizeDlg(CWnd* parent) : CDialog(IDD_OUTPUT_SIZE, parent) {}

BOOL COutputSizeDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetFieldRange(*this, kIdWidth, kMinSide, kMaxWidth);
  SetFieldRange(*this, kIdHeight, kMinSide, kMaxHeight);
  return TRUE;
}

void COutputSizeDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_EditInt(pDX, kIdWidth, m_nWidth);
  DDX_EditInt(pDX, kIdHeight, m_nHeight);
}

void COutputSizeDlg::TakeSlotSize(CImageSlot* slot) {
  const RECT& clip = slot->m_clip;
  if (clip.right - clip.left >= 1) {
    m_nWidth = clip.right - clip.left;
    m_nHeight = clip.bottom - clip.top;
  } else {
    m_nWidth = slot->m_pictureSize.cx;
    m_nHeight = slot->m_pictureSize.cy;
  }
  UpdateData(FALSE);
}

BOOL COutputSizeDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  CMorphPair* pair = CurrentPair();
  if (id == kIdSameAsSource && HIWORD(wParam) == BN_CLICKED && pair != nullptr) {
    TakeSlotSize(pair->GetSourceSlot());
    return TRUE;
  }
  if (id == kIdSameAsTarget && HIWORD(wParam) == BN_CLICKED && pair != nullptr) {
    TakeSlotSize(pair->GetTargetSlot());
    return TRUE;
  }
  if ((id == kIdWidth || id == kIdHeight) && IsFieldChange(wParam)) {
    UpdateData(TRUE);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

// --- Morpher Setup ---

CMorpherSetupDlg::CMorpherSetupDlg(CWnd* parent) : CDialog(IDD_MORPHER_SETUP, parent) {}

void CMorpherSetupDlg::SetFills(const CFillStyle& background, const CFillStyle& foreground) {
  m_background = background;
  m_foreground = foreground;
}

void CMorpherSetupDlg::GetFills(CFillStyle& background, CFillStyle& foreground) const {
  background = m_background;
  foreground = m_foreground;
}

BOOL CMorpherSetupDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetFieldRange(*this, kIdFps, kMinFps, kMaxFps);
  // The palette window edits the background icon, just below it. Made here,
  // it belongs to this dialog and goes with it; whether it shows is its own
  // remembered visibility, or a click on the icon.
  CBackgroundPalette& palette = GetBackgroundPalette();
  if (palette.m_hWnd == nullptr && palette.Create(this))
    palette.SetTarget(static_cast<controls::CColorIconCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, kIdBackground))));
  if (palette.m_hWnd != nullptr) {
    CRect r;
    ::GetWindowRect(::GetDlgItem(m_hWnd, kIdBackground), &r);
    palette.SetWindowPos(nullptr, r.left, r.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  UpdateData(FALSE);
  return TRUE;
}

void CMorpherSetupDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Radio(pDX, kIdGauss, m_nMaskEdge);
  controls::DDX_ColorIcon(pDX, kIdBackground, m_background);
  controls::DDX_ColorIcon(pDX, kIdForeground, m_foreground);
  DDX_EditInt(pDX, kIdFps, m_nFps);
  // A rate of 0 would divide by zero in Play; the field's range holds what
  // is typed, this holds what reaches the project.
  if (pDX->m_bSaveAndValidate) m_nFps = std::clamp(m_nFps, kMinFps, kMaxFps);
}

BOOL CMorpherSetupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  if (LOWORD(wParam) == kIdFps && IsFieldChange(wParam)) {
    UpdateData(TRUE);
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

BOOL CMorpherSetupDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (reinterpret_cast<const NMHDR*>(lParam)->code == controls::kNotifyFillChanged) UpdateData(TRUE);
  return CDialog::OnNotify(wParam, lParam, pResult);
}

// --- clip area ---

CClipAreaDlg::CClipAreaDlg(CImageSlot* slot, CWnd* parent) : CDialog(IDD_CLIP_AREA, parent), m_pSlot(slot) {
  if (slot != nullptr) m_savedClip = slot->m_clip;
}

BOOL CClipAreaDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetFieldRange(*this, kIdClipLeft, 0, kMaxClipLeft);
  SetFieldRange(*this, kIdClipTop, 0, kMaxClipTop);
  SetFieldRange(*this, kIdClipWidth, COutputSizeDlg::kMinSide, COutputSizeDlg::kMaxWidth);
  SetFieldRange(*this, kIdClipHeight, COutputSizeDlg::kMinSide, COutputSizeDlg::kMaxHeight);
  UpdateData(FALSE);
  return TRUE;
}

void CClipAreaDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Check(pDX, kIdKeepRatio, m_bKeepRatio);
  if (m_pSlot == nullptr) return;
  RECT& clip = m_pSlot->m_clip;
  int left = clip.left, top = clip.top;
  int width = clip.right - clip.left, height = clip.bottom - clip.top;
  DDX_EditInt(pDX, kIdClipLeft, left);
  DDX_EditInt(pDX, kIdClipTop, top);
  DDX_EditInt(pDX, kIdClipWidth, width);
  DDX_EditInt(pDX, kIdClipHeight, height);
  if (pDX->m_bSaveAndValidate) clip = RECT{left, top, left + width, top + height};
}

BOOL CClipAreaDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (!IsFieldChange(wParam) || m_pSlot == nullptr) return CDialog::OnCommand(wParam, lParam);
  UpdateData(TRUE);
  if (id == kIdClipWidth || id == kIdClipHeight) {
    SIZE output;
    GetMorphProject()->GetOutputSize(output);
    RECT& clip = m_pSlot->m_clip;
    if (m_bKeepRatio && output.cx > 0 && output.cy > 0) {
      const bool width = id == kIdClipWidth;
      if (width)
        clip.bottom = clip.top + (clip.right - clip.left) * output.cy / output.cx;
      else
        clip.right = clip.left + (clip.bottom - clip.top) * output.cx / output.cy;
      // Only the other field follows: writing the one being typed would put
      // its caret back at the start under the next key.
      if (auto* other = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, width ? kIdClipHeight : kIdClipWidth)))
        other->SetValue(width ? clip.bottom - clip.top : clip.right - clip.left);
    }
  }
  // Left and top too: the pane and the texture show the rectangle as it is.
  ReloadSlotPicture(m_pSlot);
  return TRUE;
}

void CClipAreaDlg::OnCancel() {
  // The pane followed every edit live; Cancel gives back the rectangle of before.
  if (m_pSlot != nullptr) {
    m_pSlot->m_clip = m_savedClip;
    ReloadSlotPicture(m_pSlot);
  }
  CDialog::OnCancel();
}
