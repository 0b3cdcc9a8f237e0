// The swatch page base: the list file, thumbnails and the list's notices.
#include "ui/swatch_page.h"

#include <algorithm>
#include <vector>

#include "controls/custom_notify.h"
#include "controls/image_list_ctrl.h"
#include "res/resource.h"
#include "ui/normal_render.h"

namespace {

// The pages alive now, so a change to a shared list reaches every page
// that shows it.
std::vector<CSwatchPage*>& LivePages() {
  static std::vector<CSwatchPage*> pages;
  return pages;
}

// A thumbnail column leaves room for the list's scroll bar.
constexpr int kScrollRoom = 15;

}  // namespace

IMPLEMENT_DYNAMIC(CSwatchPage, CDialog)

BEGIN_MESSAGE_MAP(CSwatchPage, CDialog)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CSwatchPage::CSwatchPage(UINT nIDTemplate) : CDialog(nIDTemplate), m_nTemplate(nIDTemplate) {
  LivePages().push_back(this);
}

CSwatchPage::~CSwatchPage() {
  auto& pages = LivePages();
  pages.erase(std::remove(pages.begin(), pages.end(), this), pages.end());
}

BOOL CSwatchPage::Create(CWnd* pParentWnd) { return CDialog::Create(m_nTemplate, pParentWnd); }

controls::CImageListCtrl* CSwatchPage::List() const {
  return m_hWnd ? controls::ImageListCtrlFromHandle(::GetDlgItem(m_hWnd, kSwatchListId)) : nullptr;
}

// --- the list file ---

void CSwatchPage::LoadSwatches(int columns) {
  m_list = m_fileName.IsEmpty() ? &m_ownList : &SharedSwatchList(m_fileName);
  controls::CImageListCtrl* list = List();
  if (!list) return;
  columns = std::max(columns, 1);
  CRect client;
  list->GetClientRect(&client);
  m_nThumbWidth = std::max(1, (client.Width() - kScrollRoom) / columns);
  m_nThumbHeight = std::max(1, client.Height() / columns);
  list->SetColumns(columns);
  ShowSwatches();
  list->SetDragFillProc([this](controls::CImageListCtrl&) {
    m_dragFill = GetSelectedFill();
    return &m_dragFill;
  });
}

void CSwatchPage::SaveSwatches() {
  if (!m_fileName.IsEmpty()) SaveSharedSwatchList(m_fileName);
}

void CSwatchPage::ShowSwatches() {
  controls::CImageListCtrl* list = List();
  if (!list) return;
  const int selected = list->GetSelection();
  list->SetCellSize(SIZE{m_nThumbWidth, m_nThumbHeight});
  for (const CFillStyle& fill : m_list->fills) AppendSwatch(fill);
  if (selected >= 0) list->SetSelection(selected);
}

void CSwatchPage::AppendSwatch(const CFillStyle& fill) {
  controls::CImageListCtrl* list = List();
  if (!list) return;
  std::vector<DWORD> pixels(static_cast<size_t>(m_nThumbWidth) * m_nThumbHeight);
  NormalRender(fill, pixels.data(), m_nThumbWidth, m_nThumbHeight);
  CBitmap bitmap;
  if (CreateThumbnailBitmap(pixels.data(), m_nThumbWidth, m_nThumbHeight, bitmap)) list->InsertImage(-1, &bitmap);
}

void CSwatchPage::ListChanged() {
  for (CSwatchPage* page : LivePages())
    if (page != this && page->m_list == m_list && page->m_hWnd) page->ShowSwatches();
}

// --- editing ---

void CSwatchPage::AddSwatch() {
  PrepareCurrentFill();
  StoreSwatch(m_currentFill);
}

void CSwatchPage::StoreSwatch(const CFillStyle& fill) {
  m_list->fills.push_back(fill);
  AppendSwatch(fill);
  ListChanged();
}

void CSwatchPage::RemoveSwatch() {
  controls::CImageListCtrl* list = List();
  const int index = GetSelectedIndex();
  if (!list || m_list->fills.size() <= 2 || index < 0 || index >= static_cast<int>(m_list->fills.size())) return;
  // The list is right before the control tells of its new selection.
  m_list->fills.erase(m_list->fills.begin() + index);
  list->RemoveImage(index);
  ListChanged();
}

void CSwatchPage::ReplaceSwatch() {
  controls::CImageListCtrl* list = List();
  const int index = GetSelectedIndex();
  if (!list || index < 0 || index >= static_cast<int>(m_list->fills.size())) return;
  PrepareCurrentFill();
  m_list->fills[static_cast<size_t>(index)] = m_currentFill;
  std::vector<DWORD> pixels(static_cast<size_t>(m_nThumbWidth) * m_nThumbHeight);
  NormalRender(m_currentFill, pixels.data(), m_nThumbWidth, m_nThumbHeight);
  CBitmap bitmap;
  if (CreateThumbnailBitmap(pixels.data(), m_nThumbWidth, m_nThumbHeight, bitmap)) list->ReplaceImage(index, &bitmap);
  ListChanged();
}

int CSwatchPage::GetSelectedIndex() const {
  controls::CImageListCtrl* list = List();
  return list ? list->GetSelection() : -1;
}

const CFillStyle& CSwatchPage::GetSelectedFill() const {
  const int index = GetSelectedIndex();
  if (index < 0 || index >= static_cast<int>(m_list->fills.size())) return m_currentFill;
  return m_list->fills[static_cast<size_t>(index)];
}

// --- messages ---

CWnd* CSwatchPage::SwatchCommandTarget() {
  CWnd* parent = GetParent();
  return parent ? parent : this;
}

void CSwatchPage::OpenSwatchMenu() {
  CMenu menu;
  if (!menu.LoadMenu(IDR_SWATCH_MENU)) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (!popup) return;
  POINT at{};
  ::GetCursorPos(&at);
  popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, SwatchCommandTarget());
}

BOOL CSwatchPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header && header->idFrom == kSwatchListId) {
    if (header->code == controls::kNotifyListButton) {
      OpenSwatchMenu();
    } else if (header->code == controls::kNotifyListDblClk) {
      const int index = GetSelectedIndex();
      CWnd* parent = GetParent();
      if (parent && index >= 0 && index < static_cast<int>(m_list->fills.size())) {
        CFillStyle applied = m_list->fills[static_cast<size_t>(index)];
        parent->SendMessage(WM_NOTIFY, reinterpret_cast<WPARAM>(&applied), lParam);
      }
    }
  }
  CDialog::OnNotify(wParam, lParam, pResult);
  if (pResult) *pResult = 1;
  return TRUE;
}

// Enter and Escape would end the page as a dialog; a page never ends.
BOOL CSwatchPage::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE)) return TRUE;
  return CDialog::PreTranslateMessage(pMsg);
}

// The list is written whenever a page showing it goes, so no run of the
// program ends without its swatches on disk.
void CSwatchPage::OnDestroy() {
  SaveSwatches();
  CDialog::OnDestroy();
}
