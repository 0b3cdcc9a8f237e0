// The colour picker: one colour shared by its controls, its fields and the
// owner, and its colour swatches.
//
// Sections: the instance · creation · colour and fields · notices ·
// children's messages · swatches
#include "ui/color_picker_dlg.h"

#include <memory>

#include "controls/custom_notify.h"
#include "controls/edit_ctrl.h"
#include "controls/image_list_ctrl.h"
#include "res/resource.h"

namespace {

constexpr int kIdField = 1008;
constexpr int kIdBar = 1010;
constexpr int kIdFirstNumber = 1015;  // alpha, red, green, blue: 1015..1018
constexpr int kIdLastNumber = 1018;
constexpr int kIdOk = 1159;
constexpr int kColumns = 6;
// The picker's own id in the notices it sends, and the id its colour
// broadcast carries.
constexpr UINT_PTR kPickerId = 1002;
constexpr UINT_PTR kBroadcastId = 1016;

DWORD g_lastColor = 0;
std::unique_ptr<CColorPickerDlg> g_picker;

BYTE ByteOf(DWORD color, int shift) { return static_cast<BYTE>((color >> shift) & 0xFF); }

bool IsNumberField(int id) { return id >= kIdFirstNumber && id <= kIdLastNumber; }

}  // namespace

// --- the instance ---

DWORD GetLastPickedColor() { return g_lastColor; }

CColorPickerDlg& GetColorPicker() {
  if (!g_picker) g_picker = std::make_unique<CColorPickerDlg>(0);
  return *g_picker;
}

void ReleaseColorPicker() {
  if (g_picker && g_picker->m_hWnd) g_picker->DestroyWindow();
  g_picker.reset();
}

// --- creation ---

IMPLEMENT_DYNAMIC(CColorPickerDlg, CSwatchPage)

CColorPickerDlg::CColorPickerDlg(DWORD argb) : CSwatchPage(IDD_COLOR_PICKER_PAGE), m_color(argb) {}

BOOL CColorPickerDlg::Create(CWnd* pParentWnd) {
  m_bPopup = FALSE;
  m_color = g_lastColor;
  return CDialog::Create(IDD_COLOR_PICKER_PAGE, pParentWnd);
}

BOOL CColorPickerDlg::CreatePopup(CWnd* pParentWnd) {
  m_bPopup = TRUE;
  return CDialog::Create(IDD_COLOR_PICKER, pParentWnd);
}

INT_PTR CColorPickerDlg::DoModal() {
  m_bPopup = TRUE;
  m_lpszTemplateName = MAKEINTRESOURCEW(IDD_COLOR_PICKER);
  return CDialog::DoModal();
}

BOOL CColorPickerDlg::OnInitDialog() {
  CSwatchPage::OnInitDialog();
  for (int id = kIdFirstNumber; id <= kIdLastNumber; ++id)
    if (auto* field = controls::EditCtrlFromHandle(::GetDlgItem(m_hWnd, id))) field->SetRange(0, 255);
  UpdateData(FALSE);
  Broadcast(nullptr, FALSE);
  m_fileName = u"Color.dat";
  LoadSwatches(kColumns);
  if (controls::CImageListCtrl* list = List())
    list->SetTooltipTextProc([this](controls::CImageListCtrl&, CToolTipCtrl& tooltip, int index) {
      SetTooltipText(tooltip, index);
    });
  // A modal run sits under its parent's left bottom corner, keeping its size.
  if (m_bInDoModal && m_pParentWnd) {
    CRect parent;
    m_pParentWnd->GetWindowRect(&parent);
    SetWindowPos(nullptr, parent.left, parent.bottom, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  }
  return TRUE;
}

// --- colour and fields ---

void CColorPickerDlg::DoDataExchange(CDataExchange* pDX) {
  CSwatchPage::DoDataExchange(pDX);
  BYTE alpha = ByteOf(m_color, 24), red = ByteOf(m_color, 16), green = ByteOf(m_color, 8), blue = ByteOf(m_color, 0);
  DDX_EditByte(pDX, kIdFirstNumber, alpha);
  DDX_EditByte(pDX, kIdFirstNumber + 1, red);
  DDX_EditByte(pDX, kIdFirstNumber + 2, green);
  DDX_EditByte(pDX, kIdFirstNumber + 3, blue);
  if (pDX->m_bSaveAndValidate)
    m_color = static_cast<DWORD>(alpha) << 24 | static_cast<DWORD>(red) << 16 | static_cast<DWORD>(green) << 8 | blue;
}

void CColorPickerDlg::SetColor(DWORD argb) {
  m_color = argb;
  if (!m_hWnd) return;
  UpdateData(FALSE);
  Broadcast(nullptr, FALSE);
}

void CColorPickerDlg::Broadcast(HWND except, BOOL keepMarker) {
  controls::NMSETCOLOR record{};
  record.hdr = NMHDR{m_hWnd, kBroadcastId, controls::kNotifySetColor};
  record.color = m_color;
  record.keepMarker = keepMarker;
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (child == except || IsNumberField(::GetDlgCtrlID(child))) continue;
    ::SendMessageW(child, WM_NOTIFY, kBroadcastId, reinterpret_cast<LPARAM>(&record));
  }
}

// --- notices ---

HWND CColorPickerDlg::NotifyWindow() const {
  if (m_bPopup) {
    CWnd* owner = GetOwner();
    return owner ? owner->m_hWnd : nullptr;
  }
  return ::GetParent(m_hWnd);
}

void CColorPickerDlg::NotifyCommitted() {
  HWND target = NotifyWindow();
  if (!target) return;
  controls::NMFILLCHANGE record;
  record.hdr = NMHDR{m_hWnd, kPickerId, controls::kNotifyFillChanged};
  record.kind = controls::kFillChangeColor;
  record.color = m_color;
  ::SendMessageW(target, WM_NOTIFY, kPickerId, reinterpret_cast<LPARAM>(&record));
}

void CColorPickerDlg::NotifyDragging() {
  HWND target = NotifyWindow();
  if (!target) return;
  controls::NMCOLORDRAG record{};
  record.hdr = NMHDR{m_hWnd, kPickerId, controls::kNotifyColorDragging};
  record.color = m_color;
  ::SendMessageW(target, WM_NOTIFY, kPickerId, reinterpret_cast<LPARAM>(&record));
}

// --- children's messages ---

void CColorPickerDlg::TakeChild(const NMHDR* header, LPARAM lParam) {
  switch (header->code) {
    case controls::kNotifyColorDragging: {
      const auto* record = reinterpret_cast<const controls::NMCOLORDRAG*>(lParam);
      m_color = record->rgbOnly ? (m_color & 0xFF000000) | (record->color & 0x00FFFFFF) : record->color;
      Broadcast(header->hwndFrom, record->keepMarker);
      UpdateData(FALSE);
      NotifyDragging();
      break;
    }
    case controls::kNotifyColorDragEnd:
    case controls::kNotifySliderReleased: NotifyCommitted(); break;
    case controls::kNotifyColorMode: {
      // Every child hears the mode, the field that asked for it too: it does
      // not change its own mode until told.
      controls::NMCOLORMODE record = *reinterpret_cast<const controls::NMCOLORMODE*>(lParam);
      record.color = m_color & 0x00FFFFFF;
      for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_NOTIFY, static_cast<WPARAM>(::GetDlgCtrlID(child)), reinterpret_cast<LPARAM>(&record));
      break;
    }
    case controls::kNotifySliderMoving: {
      const auto* record = reinterpret_cast<const controls::NMSLIDER*>(lParam);
      static const int kShift[] = {24, 16, 8, 0};
      const int shift = kShift[record->channel & 3];
      m_color = (m_color & ~(0xFFu << shift)) | static_cast<DWORD>(record->position) << shift;
      // The other controls show the new colour where their markers are.
      Broadcast(header->hwndFrom, TRUE);
      UpdateData(FALSE);
      NotifyDragging();
      break;
    }
    case controls::kNotifyListSelChange: {
      if (!m_bPopup || header->idFrom != kSwatchListId) return;
      const int index = GetSelectedIndex();
      if (index < 0 || index >= static_cast<int>(Swatches().size())) return;
      m_color = Swatches()[static_cast<size_t>(index)].color;
      Broadcast(header->hwndFrom, FALSE);
      UpdateData(FALSE);
      NotifyCommitted();
      break;
    }
    default: return;
  }
  g_lastColor = m_color;
}

BOOL CColorPickerDlg::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  // The stand-alone form has no palette to apply a swatch in.
  const BOOL handled = m_bPopup ? CDialog::OnNotify(wParam, lParam, pResult)
                                : CSwatchPage::OnNotify(wParam, lParam, pResult);
  if (m_bPopup && header && header->idFrom == kSwatchListId && header->code == controls::kNotifyListButton)
    OpenSwatchMenu();
  if (header && header->hwndFrom != m_hWnd) TakeChild(header, lParam);
  return handled;
}

BOOL CColorPickerDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const WORD code = HIWORD(wParam);
  if (IsNumberField(id) && (code == controls::kEditChanging || code == controls::kEditCommitted)) {
    UpdateData(TRUE);
    Broadcast(nullptr, FALSE);
    g_lastColor = m_color;
    if (code == controls::kEditCommitted) NotifyCommitted();
    return TRUE;
  }
  if (lParam == 0) {
    switch (id) {
      case ID_SWATCH_ADD: AddSwatch(); return TRUE;
      case ID_SWATCH_REMOVE: RemoveSwatch(); return TRUE;
      case ID_SWATCH_REPLACE: ReplaceSwatch(); return TRUE;
      default: break;
    }
  }
  if (id == kIdOk && code == BN_CLICKED) {
    OnOK();
    return TRUE;
  }
  return CSwatchPage::OnCommand(wParam, lParam);
}

void CColorPickerDlg::OnOK() {
  UpdateData(TRUE);
  if (m_bInDoModal)
    EndDialog(IDOK);
  else if (m_bPopup)
    ShowWindow(SW_HIDE);
}

void CColorPickerDlg::OnCancel() {
  UpdateData(FALSE);
  if (m_bInDoModal)
    EndDialog(IDCANCEL);
  else if (m_bPopup)
    ShowWindow(SW_HIDE);
}

// --- swatches ---

// The stand-alone form edits the swatches itself; the page's commands go to
// the palette window that holds it.
CWnd* CColorPickerDlg::SwatchCommandTarget() { return m_bPopup ? this : CSwatchPage::SwatchCommandTarget(); }

void CColorPickerDlg::PrepareCurrentFill() {
  m_currentFill.FreeParts();
  m_currentFill.type = kFillColor;
  m_currentFill.color = m_color;
}

void CColorPickerDlg::AddSwatch() {
  PrepareCurrentFill();
  const CSwatchArray& swatches = Swatches();
  for (size_t i = 0; i < swatches.size(); ++i) {
    if (swatches[i].type == kFillColor && swatches[i].color == m_color) {
      if (controls::CImageListCtrl* list = List()) list->SetSelection(static_cast<int>(i));
      return;
    }
  }
  StoreSwatch(m_currentFill);
}

void CColorPickerDlg::SetTooltipText(CToolTipCtrl& tooltip, int index) {
  if (index < 0 || index >= static_cast<int>(Swatches().size())) return;
  const DWORD c = Swatches()[static_cast<size_t>(index)].color;
  CString text;
  text.Format(u"R = %x,G = %x,B = %x,Alpha = %x,Double Click to appliy it", ByteOf(c, 16), ByteOf(c, 8), ByteOf(c, 0),
              ByteOf(c, 24));
  if (controls::CImageListCtrl* list = List()) tooltip.UpdateTipText(text, list);
}
