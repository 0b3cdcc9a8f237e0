// The "Color Adjust" dialog.
#include "ui/color_adjust_dlg.h"

#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "res/resource.h"
#include "ui/editing_dialogs.h"

namespace {

constexpr int kIdBrightness = 1048;
constexpr int kIdHue = 1049;
constexpr int kIdSaturation = 1050;
constexpr int kIdContrast = 1051;
constexpr int kIdFlip = 1052;
constexpr int kIdMirror = 1053;
constexpr double kPercentRange = 100.0;

}  // namespace

CColorAdjustDlg::CColorAdjustDlg(CWnd* parent) : CDialog(IDD_COLOR_ADJUST, parent) {}

BOOL CColorAdjustDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (int id : {kIdBrightness, kIdHue, kIdSaturation, kIdContrast})
    SetFieldRange(*this, id, -kPercentRange, kPercentRange);
  if (m_pSlot != nullptr) m_saved = m_pSlot->m_adjust;
  return TRUE;
}

void CColorAdjustDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  if (m_pSlot == nullptr) return;
  CColorAdjust& a = m_pSlot->m_adjust;
  DDX_EditFloat(pDX, kIdBrightness, a.brightness);
  DDX_EditFloat(pDX, kIdHue, a.hue);
  DDX_EditFloat(pDX, kIdSaturation, a.saturation);
  DDX_EditFloat(pDX, kIdContrast, a.contrast);
  DDX_Check(pDX, kIdFlip, a.flip);
  DDX_Check(pDX, kIdMirror, a.mirror);
}

BOOL CColorAdjustDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  const bool field = id >= kIdBrightness && id <= kIdContrast && code == controls::kEditCommitted;
  const bool box = (id == kIdFlip || id == kIdMirror) && code == BN_CLICKED;
  if (!field && !box) return CDialog::OnCommand(wParam, lParam);
  UpdateData(TRUE);
  ReloadSlotPicture(m_pSlot);
  return TRUE;
}

void CColorAdjustDlg::OnCancel() {
  if (m_pSlot != nullptr) {
    m_pSlot->m_adjust = m_saved;
    ReloadSlotPicture(m_pSlot);
  }
  CDialog::OnCancel();
}
