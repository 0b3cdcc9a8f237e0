// The background palette window: pages by fill type, the target icon, and
// what it keeps between runs.
//
// Sections: the instance · opening · fill and target · notices · keeping
#include "ui/background_palette.h"

#include <cstring>
#include <memory>

#include "controls/color_icon_ctrl.h"
#include "platform/settings_store.h"
#include "res/resource.h"
#include "ui/swatch_file.h"
#include "ui/vary_color_bar.h"

namespace {

constexpr int kIdTabs = 3018;
constexpr int kIdPlaceholder = 3019;
constexpr UINT_PTR kPaletteId = 2026;
constexpr int kPageCount = 3;
constexpr TCHAR kRectSetting[] = u"Palette_Rect";
constexpr TCHAR kVisibleSetting[] = u"Palette_Visible";
constexpr TCHAR kMaterialFile[] = u"Material.dat";

std::unique_ptr<CBackgroundPalette> g_palette;

void SaveInt(LPCTSTR name, int value) { SaveSetting(name, reinterpret_cast<const BYTE*>(&value), sizeof value); }

// A setting of exactly `size` bytes.
bool LoadExact(LPCTSTR name, void* out, int size) {
  BYTE* bytes = nullptr;
  int count = 0;
  if (!LoadSetting(name, &bytes, &count)) return false;
  const bool whole = count == size;
  if (whole) std::memcpy(out, bytes, static_cast<size_t>(size));
  delete[] bytes;
  return whole;
}

}  // namespace

// --- the instance ---

CBackgroundPalette& GetBackgroundPalette() {
  if (!g_palette) g_palette = std::make_unique<CBackgroundPalette>();
  return *g_palette;
}

CBackgroundPalette* FindBackgroundPalette() { return g_palette.get(); }

void ReleaseBackgroundPalette() {
  if (g_palette && g_palette->m_hWnd) g_palette->DestroyWindow();
  g_palette.reset();
}

void GetBackgroundFill(CFillStyle& fill) { GetBackgroundPalette().GetFill(fill); }

// --- opening ---

IMPLEMENT_DYNAMIC(CBackgroundPalette, CDialog)

BEGIN_MESSAGE_MAP(CBackgroundPalette, CDialog)
  ON_WM_CLOSE()
  ON_WM_SHOWWINDOW()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

// Read here, on first use, never while static objects are made: a damaged
// file only costs the last fill.
CBackgroundPalette::CBackgroundPalette() : CDialog(IDD_SELECT_BACKGROUND) {
  ReadFillFile(SwatchFilePath(kMaterialFile), m_fill);
}

BOOL CBackgroundPalette::Create(CWnd* pParentWnd) { return CDialog::Create(IDD_SELECT_BACKGROUND, pParentWnd); }

BOOL CBackgroundPalette::OnInitDialog() {
  CDialog::OnInitDialog();
  m_tabs.SubclassDlgItem(kIdTabs, this);
  CRect area;
  if (CWnd* placeholder = GetDlgItem(kIdPlaceholder)) {
    placeholder->GetWindowRect(&area);
    ScreenToClient(&area);
  }
  for (int i = 0; i < kPageCount; ++i) {
    CSwatchPage& page = Page(i);
    page.Create(this);
    page.SetWindowPos(&CWnd::wndTop, area.left, area.top, area.Width(), area.Height(), SWP_HIDEWINDOW);
  }
  m_tabs.InsertItem(0, u"Color");
  m_tabs.InsertItem(1, u"Gradient");
  m_tabs.InsertItem(2, u"Image");
  const int page = PageOfType(m_fill.type);
  m_tabs.SetCurSel(page);
  ShowPage(page);
  RestorePlacement();
  return TRUE;
}

void CBackgroundPalette::RestorePlacement() {
  RECT stored{};
  if (LoadExact(kRectSetting, &stored, sizeof stored)) {
    SetWindowPos(nullptr, stored.left, stored.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(SW_HIDE);
  }
  int visible = 0;
  if (LoadExact(kVisibleSetting, &visible, sizeof visible)) ShowWindow(visible ? SW_SHOW : SW_HIDE);
}

int CBackgroundPalette::PageOfType(int type) { return type == kFillColor || type == kFillVaryColor ? type : 2; }

CSwatchPage& CBackgroundPalette::Page(int index) {
  if (index == 0) return m_colorPage;
  if (index == 1) return m_varyPage;
  return m_imagePage;
}

void CBackgroundPalette::ShowPage(int index) {
  if (index == 0) {
    m_colorPage.SetColor(m_fill.color);
  } else if (index == 1) {
    CGradientDesc desc;
    m_fill.GetGradient(desc);  // the default descriptor when the fill has none
    m_varyPage.SetGradient(desc);
  } else {
    CString path;
    if (m_fill.GetPatternImage(path))
      m_imagePage.SetImagePath(path);
    else
      m_fill.SetPatternImage(m_imagePage.GetImagePath());
  }
  for (int i = 0; i < kPageCount; ++i)
    if (i != index && Page(i).m_hWnd) Page(i).ShowWindow(SW_HIDE);
  if (Page(index).m_hWnd) {
    Page(index).ShowWindow(SW_SHOW);
    Page(index).SetFocus();
  }
}

// --- fill and target ---

void CBackgroundPalette::SetFill(const CFillStyle& fill) {
  if (&fill != &m_fill) m_fill = fill;
  if (!m_hWnd) return;
  const int page = PageOfType(m_fill.type);
  m_tabs.SetCurSel(page);
  ShowPage(page);
  UpdateData(FALSE);
}

void CBackgroundPalette::GetFill(CFillStyle& fill) {
  if (m_hWnd) UpdateData(TRUE);
  fill = m_fill;
}

controls::CColorIconCtrl* CBackgroundPalette::GetTarget() const {
  return m_hTarget && ::IsWindow(m_hTarget) ? controls::ColorIconFromHandle(m_hTarget) : nullptr;
}

void CBackgroundPalette::SetTarget(controls::CColorIconCtrl* target) {
  m_hTarget = target ? target->m_hWnd : nullptr;
  SyncFromTarget();
}

void CBackgroundPalette::SyncFromTarget() {
  if (controls::CColorIconCtrl* target = GetTarget()) SetFill(target->Fill());
}

void CBackgroundPalette::ApplyToTarget() {
  controls::CColorIconCtrl* target = GetTarget();
  if (!target) return;
  controls::NMFILLCHANGE record;
  record.hdr = NMHDR{m_hWnd, kPaletteId, controls::kNotifyFillChanged};
  switch (PageOfType(m_fill.type)) {
    case 0:
      record.kind = controls::kFillChangeColor;
      record.color = m_fill.color;
      break;
    case 1:
      record.kind = controls::kFillChangeGradient;
      m_fill.GetGradient(record.gradient);
      record.stopColor = 0;
      record.stopIndex = -1;
      record.stopState = kStopRecoloured;
      break;
    default:
      record.kind = controls::kFillChangePicture;
      m_fill.GetPatternImage(record.path);
      break;
  }
  target->SendMessage(WM_NOTIFY, kPaletteId, reinterpret_cast<LPARAM>(&record));
}

// --- notices ---

void CBackgroundPalette::TakeFillChange(const controls::NMFILLCHANGE& record) {
  switch (record.kind) {
    case controls::kFillChangeColor: m_fill.color = record.color; break;
    case controls::kFillChangeGradient: m_fill.SetGradient(record.gradient); break;
    case controls::kFillChangePicture: m_fill.SetPatternImage(record.path); break;
    default: return;
  }
  // A pressed stop changes nothing yet.
  if (record.kind == controls::kFillChangeGradient && record.stopState == kStopPressed) return;
  if (controls::CColorIconCtrl* target = GetTarget())
    target->SendMessage(WM_NOTIFY, kPaletteId, reinterpret_cast<LPARAM>(&record));
}

BOOL CBackgroundPalette::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->idFrom == kIdTabs && header->code == TCN_SELCHANGE) {
    const int page = m_tabs.GetCurSel();
    if (page >= 0 && page < kPageCount) {
      m_fill.type = page;
      ShowPage(page);
      ApplyToTarget();
    }
  } else if (header && header->code == controls::kNotifyFillChanged) {
    TakeFillChange(*reinterpret_cast<const controls::NMFILLCHANGE*>(lParam));
  } else if (header && header->code == controls::kNotifyListDblClk && wParam != 0) {
    // A page applies a swatch: wParam is the swatch's fill.
    const CFillStyle applied = *reinterpret_cast<const CFillStyle*>(wParam);
    SetFill(applied);
    Invalidate();
    ApplyToTarget();
    if (pResult) *pResult = 1;
    return TRUE;
  }
  return CDialog::OnNotify(wParam, lParam, pResult);
}

BOOL CBackgroundPalette::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  if (lParam == 0 && (id == ID_SWATCH_ADD || id == ID_SWATCH_REMOVE || id == ID_SWATCH_REPLACE)) {
    const int index = PageOfType(m_fill.type);
    CSwatchPage& page = Page(index);
    if (id == ID_SWATCH_ADD) {
      if (index != 2) page.m_currentFill = m_fill;
      page.AddSwatch();
    } else if (id == ID_SWATCH_REMOVE) {
      page.RemoveSwatch();
    } else {
      page.m_currentFill = m_fill;
      page.ReplaceSwatch();
    }
    return TRUE;
  }
  return CDialog::OnCommand(wParam, lParam);
}

// --- keeping ---

void CBackgroundPalette::OnCancel() { ShowWindow(SW_HIDE); }

void CBackgroundPalette::OnClose() {
  SaveInt(kVisibleSetting, 0);
  ShowWindow(SW_HIDE);
}

void CBackgroundPalette::OnShowWindow(BOOL bShow, UINT nStatus) {
  CDialog::OnShowWindow(bShow, nStatus);
  if (bShow) SaveInt(kVisibleSetting, 1);
}

void CBackgroundPalette::OnDestroy() {
  CRect window;
  GetWindowRect(&window);
  const RECT stored = window;
  SaveSetting(kRectSetting, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
  WriteFillFile(SwatchFilePath(kMaterialFile), m_fill);
  CDialog::OnDestroy();
}
