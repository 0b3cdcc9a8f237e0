// The Vary Color panel: the bar's records reach the palette window, colours
// picked elsewhere reach the selected stop.
#include "ui/vary_color_panel.h"

#include "controls/edit_ctrl.h"
#include "res/resource.h"
#include "ui/color_picker_dlg.h"
#include "ui/vary_color_bar.h"

namespace {

constexpr int kIdBar = 1017;
constexpr int kIdStopIcon = 1016;
constexpr int kIdFrequency = 1018;
constexpr int kIdDirection = 1019;
constexpr int kIdType = 809;
constexpr int kColumns = 4;

void SetRange(CWnd& dialog, int id, double min, double max) {
  if (auto* field = controls::EditCtrlFromHandle(::GetDlgItem(dialog.m_hWnd, id))) field->SetRange(min, max);
}

}  // namespace

IMPLEMENT_DYNAMIC(CVaryColorPanel, CSwatchPage)

CVaryColorPanel::CVaryColorPanel() : CSwatchPage(IDD_VARY_COLOR) {}

CVaryColorBar* CVaryColorPanel::Bar() const {
  return m_hWnd ? VaryColorBarFromHandle(::GetDlgItem(m_hWnd, kIdBar)) : nullptr;
}

BOOL CVaryColorPanel::OnInitDialog() {
  CSwatchPage::OnInitDialog();
  SetRange(*this, kIdFrequency, 1, kMaxGradientRepeat);
  SetRange(*this, kIdDirection, 0, 360);
  UpdateData(FALSE);
  m_fileName = u"VaryColor.dat";
  LoadSwatches(kColumns);
  return TRUE;
}

// The bar first: saving it writes all of its copy, and the fields then put
// their own words over it.
void CVaryColorPanel::DoDataExchange(CDataExchange* pDX) {
  CSwatchPage::DoDataExchange(pDX);
  DDX_VaryColorBar(pDX, kIdBar, m_desc);
  DDX_EditInt(pDX, kIdFrequency, m_desc.repeatCount);
  DDX_EditFloat(pDX, kIdDirection, m_desc.angle);
  DDX_CBIndex(pDX, kIdType, m_desc.style);
  if (pDX->m_bSaveAndValidate)
    if (CVaryColorBar* bar = Bar()) bar->SetGradient(m_desc);
}

void CVaryColorPanel::SetGradient(const CGradientDesc& desc) {
  m_desc = desc;
  if (m_hWnd) UpdateData(FALSE);
}

void CVaryColorPanel::PrepareCurrentFill() {
  if (m_hWnd) UpdateData(TRUE);
  m_currentFill.FreeParts();
  m_currentFill.type = kFillVaryColor;
  m_currentFill.SetGradient(m_desc);
}

void CVaryColorPanel::TakeBarStops() {
  if (CVaryColorBar* bar = Bar()) {
    CGradientDesc stops;
    bar->GetGradient(stops);
    m_desc.stopCount = stops.stopCount;
    std::copy(std::begin(stops.colors), std::end(stops.colors), std::begin(m_desc.colors));
    std::copy(std::begin(stops.positions), std::end(stops.positions), std::begin(m_desc.positions));
    std::copy(std::begin(stops.midpoints), std::end(stops.midpoints), std::begin(m_desc.midpoints));
  }
}

void CVaryColorPanel::SendStopColor(DWORD color) {
  CVaryColorBar* bar = Bar();
  if (!bar) return;
  controls::NMSETCOLOR record{};
  record.hdr = NMHDR{m_hWnd, static_cast<UINT_PTR>(kIdBar), kNotifyStopColor};
  record.color = color;
  bar->SendMessage(WM_NOTIFY, kIdBar, reinterpret_cast<LPARAM>(&record));
}

void CVaryColorPanel::PassOn(const controls::NMFILLCHANGE& record) {
  if (CWnd* parent = GetParent()) parent->SendMessage(WM_NOTIFY, kIdBar, reinterpret_cast<LPARAM>(&record));
}

void CVaryColorPanel::NotifyParent(int state, DWORD stopColor) {
  controls::NMFILLCHANGE record;
  record.hdr = NMHDR{m_hWnd, static_cast<UINT_PTR>(kIdBar), controls::kNotifyFillChanged};
  record.kind = controls::kFillChangeGradient;
  record.gradient = m_desc;
  record.stopColor = stopColor;
  CVaryColorBar* bar = Bar();
  record.stopIndex = bar && bar->m_nSelected >= 0 && bar->m_nSelected < kMidpointHandle ? bar->m_nSelected : -1;
  record.stopState = state;
  PassOn(record);
}

BOOL CVaryColorPanel::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const BOOL handled = CSwatchPage::OnNotify(wParam, lParam, pResult);
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (!header) return handled;
  if (header->code == controls::kNotifyColorDragging) {
    SendStopColor(reinterpret_cast<const controls::NMCOLORDRAG*>(lParam)->color);
  } else if (header->code == controls::kNotifyFillChanged) {
    const auto* record = reinterpret_cast<const controls::NMFILLCHANGE*>(lParam);
    if (record->kind == controls::kFillChangeGradient && header->idFrom == kIdBar) {
      TakeBarStops();
      controls::NMSETCOLOR colour{};
      colour.hdr = NMHDR{m_hWnd, static_cast<UINT_PTR>(kIdStopIcon), controls::kNotifySetColor};
      colour.color = record->stopColor;
      ::SendMessageW(::GetDlgItem(m_hWnd, kIdStopIcon), WM_NOTIFY, kIdStopIcon, reinterpret_cast<LPARAM>(&colour));
      GetColorPicker().SetColor(record->stopColor);
      PassOn(*record);
    } else if (record->kind == controls::kFillChangeColor) {
      SendStopColor(record->color);
      TakeBarStops();
      NotifyParent(kStopRecoloured, record->color);
    }
  }
  return handled;
}

BOOL CVaryColorPanel::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  const bool field = id == kIdFrequency || id == kIdDirection;
  if (field && code == controls::kEditChanging) {
    UpdateData(TRUE);
  } else if ((field && code == controls::kEditCommitted) || (id == kIdType && code == CBN_SELCHANGE)) {
    UpdateData(TRUE);
    NotifyParent(kStopFieldChanged, 0);
  }
  return CSwatchPage::OnCommand(wParam, lParam);
}
