// The image panes: scrolling and zoom, drawing with the edit mode's overlay,
// the mouse into the slot's editing, clip rectangle editing, context menus.
//
// Sections: the active pane · scrolling and zoom · drawing · mouse · clip
// rectangle · context menus · the two panes · import
#include "ui/image_view_dlg.h"

#include <algorithm>
#include <optional>

#include "model/project/line_tool.h"
#include "model/project/morph_pair.h"
#include "model/project/morph_project.h"
#include "model/project/project_links.h"
#include "model/outline/transform_tracker.h"
#include "model/project/undo_history.h"
#include "res/resource.h"
#include "ui/color_adjust_dlg.h"
#include "ui/editing_dialogs.h"
#include "ui/image_pane_link.h"
#include "ui/picture_file_dialogs.h"
#include "ui/rubber_band.h"
#include "ui/stored_text.h"

namespace {

constexpr COLORREF kPaneBackground = 0xFFFFFF;
constexpr COLORREF kOutlineColour = 0x00FF00;
constexpr COLORREF kRubberBandColour = 0x808080;
constexpr COLORREF kClipLabelColour = 0x0000FF;
// A grip is hit within this many pixels of its point.
constexpr LONG kGripReach = 4;
constexpr int kNoGrip = -2;
constexpr int kMoveGrip = -1;
// The figure tool button the main frame checks when an outline is finished.
constexpr int kFigureToolFinished = 2;

CImageViewDlg* g_activePane = nullptr;

CMorphPair* CurrentPair() {
  CMorphProject* project = GetMorphProject();
  return project->GetPairCount() > 0 ? project->CurrentPair() : nullptr;
}

int CurrentEditMode() { return GetMorphProject()->GetEditMode(); }

// The grip of the rectangle at p: 0..7, kMoveGrip inside, kNoGrip elsewhere.
int HitGrip(const CRect& rect, CPoint p) {
  POINT grips[8];
  RectToEightPoints(rect, grips);
  for (int i = 0; i < 8; ++i) {
    if (std::abs(p.x - grips[i].x) <= kGripReach && std::abs(p.y - grips[i].y) <= kGripReach) return i;
  }
  return rect.PtInRect(p) ? kMoveGrip : kNoGrip;
}

LPCTSTR GripCursor(int grip) {
  switch (grip) {
    case 0:
    case 2:
      return IDC_SIZENWSE;
    case 1:
    case 3:
      return IDC_SIZENESW;
    case 4:
    case 6:
      return IDC_SIZENS;
    case 5:
    case 7:
      return IDC_SIZEWE;
    default:
      return IDC_ARROW;
  }
}

// One mouse step of a grip (or of the whole rectangle).
void MoveGrip(CRect& r, int grip, LONG dx, LONG dy) {
  const bool left = grip == 0 || grip == 3 || grip == 7;
  const bool right = grip == 1 || grip == 2 || grip == 5;
  const bool top = grip == 0 || grip == 1 || grip == 4;
  const bool bottom = grip == 2 || grip == 3 || grip == 6;
  if (grip == kMoveGrip) {
    r.OffsetRect(dx, dy);
    return;
  }
  if (left) r.left += dx;
  if (right) r.right += dx;
  if (top) r.top += dy;
  if (bottom) r.bottom += dy;
  r.NormalizeRect();
}

}  // namespace

CImageViewDlg* GetActiveImageView() { return g_activePane; }

// --- the active pane ---

CImageViewDlg::CImageViewDlg(UINT templateId) : CDialog(templateId) { g_activePane = this; }

CImageViewDlg::~CImageViewDlg() {
  if (g_activePane == this) g_activePane = nullptr;
}

BOOL CImageViewDlg::Create(CWnd* parent) {
  // The model's editing runs its capture loops and notices through the panes.
  SetPaneLink(&GetImagePaneLink());
  return CDialog::Create(m_lpszTemplateName, parent);
}

BEGIN_MESSAGE_MAP(CImageViewDlg, CDialog)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_GETMINMAXINFO()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONDBLCLK()
ON_WM_RBUTTONDOWN()
ON_WM_SETCURSOR()
ON_WM_NCHITTEST()
ON_MESSAGE(WM_EDITMODECHANGED, OnEditModeChanged)
END_MESSAGE_MAP()

CWnd* CImageViewDlg::ReportWindow() {
  CWnd* owner = GetOwner();
  return owner != nullptr ? owner : GetParent();
}

void CImageViewDlg::SetSlotOrigins(CImageSlot* slot) {
  slot->GetLines()->SetOrigin(ScrollOrigin());
  slot->SetOrigin(ScrollOrigin());
}

// --- scrolling and zoom ---

void CImageViewDlg::RefreshImage() {
  if (m_hWnd == nullptr) return;
  RefitZoom();
  if (CImageSlot* slot = GetImageSlot()) SetSlotOrigins(slot);
}

void CImageViewDlg::RefitZoom() {
  if (GetImageSlot() == nullptr) return;
  UpdateScrollBar(SB_HORZ);
  UpdateScrollBar(SB_VERT);
}

void CImageViewDlg::UpdateScrollBar(int bar) {
  CImageSlot* slot = GetImageSlot();
  if (slot == nullptr) return;
  SIZE shown;
  slot->GetDisplaySize(shown);
  CRect client;
  GetClientRect(&client);
  const int extent = bar == SB_HORZ ? shown.cx : shown.cy;
  const int page = bar == SB_HORZ ? client.Width() : client.Height();
  int& position = bar == SB_HORZ ? m_nHScroll : m_nVScroll;
  // A picture that fits shows from its corner: nothing is left to scroll to.
  position = std::clamp(position, 0, std::max(0, extent - page));
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  info.nMin = 0;
  info.nMax = extent;
  info.nPage = static_cast<UINT>(std::max(0, page));
  info.nPos = position;
  SetScrollInfo(bar, &info, TRUE);
  EnableScrollBar(bar, extent > page ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
}

void CImageViewDlg::Scroll(int bar, UINT code, UINT thumb) {
  SCROLLINFO info{};
  info.cbSize = sizeof info;
  GetScrollInfo(bar, &info, SIF_ALL);
  const int page = static_cast<int>(info.nPage);
  int& position = bar == SB_HORZ ? m_nHScroll : m_nVScroll;
  int next = position;
  switch (code) {
    case SB_LINEUP:
      next -= 1;
      break;
    case SB_LINEDOWN:
      next += 1;
      break;
    case SB_PAGEUP:
      next -= page;
      break;
    case SB_PAGEDOWN:
      next += page;
      break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
      next = static_cast<int>(thumb);
      break;
    case SB_TOP:
      next = 0;
      break;
    case SB_BOTTOM:
      next = info.nMax;
      break;
    default:
      return;
  }
  position = std::clamp(next, 0, std::max(0, info.nMax - page));
  SetScrollPos(bar, position, TRUE);
  if (CImageSlot* slot = GetImageSlot()) SetSlotOrigins(slot);
  Invalidate(FALSE);
}

void CImageViewDlg::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) { Scroll(SB_HORZ, nSBCode, nPos); }
void CImageViewDlg::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { Scroll(SB_VERT, nSBCode, nPos); }

void CImageViewDlg::ApplyZoom(CImageSlot* slot, float zoom) {
  slot->SetZoom(zoom);
  RefreshImage();
  CClientDC dc(this);
  DrawPane(&dc);
}

void CImageViewDlg::Enlarge(float step) {
  CImageSlot* slot = GetImageSlot();
  if (slot == nullptr) return;
  float z = slot->GetZoom();
  if (!(z < kMaxZoom)) return;
  if (step == 0.0f)
    z = z < 1.0f ? z + kFineStep : z + kCoarseStep;
  else
    z = z + step;
  ApplyZoom(slot, z);
}

void CImageViewDlg::Shrink(float step) {
  CImageSlot* slot = GetImageSlot();
  if (slot == nullptr) return;
  float z = slot->GetZoom();
  if (!(z > kMinZoom)) return;
  if (step == 0.0f)
    z = z <= 1.0f ? z - kFineStep : z - kCoarseStep;
  else
    z = z + step;  // the wheel's step is negative here
  if (z < kMinZoom) z = kMinZoom;
  ApplyZoom(slot, z);
}

void CImageViewDlg::ActualSize() {
  CImageSlot* slot = GetImageSlot();
  if (slot == nullptr || slot->GetZoom() == 1.0f) return;
  ApplyZoom(slot, 1.0f);
}

BOOL CImageViewDlg::CanEnlarge() {
  CImageSlot* slot = GetImageSlot();
  return slot != nullptr && slot->GetZoom() < kMaxZoom;
}

BOOL CImageViewDlg::CanShrink() {
  CImageSlot* slot = GetImageSlot();
  return slot != nullptr && slot->GetZoom() > kMinZoom;
}

void CImageViewDlg::RefreshAndDraw() {
  if (m_hWnd == nullptr) return;
  RefreshImage();
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CImageViewDlg::OnSize(UINT nType, int cx, int cy) {
  CDialog::OnSize(nType, cx, cy);
  if (m_bNotifyOnSize) {
    if (CWnd* report = ReportWindow()) report->SendMessage(WM_PANE_RESIZED, 0, reinterpret_cast<LPARAM>(m_hWnd));
  }
  RefitZoom();
}

// The view holds the split within its own limits; the size loop must not
// stop the border before them.
void CImageViewDlg::OnGetMinMaxInfo(MINMAXINFO* lpMMI) {
  CDialog::OnGetMinMaxInfo(lpMMI);
  lpMMI->ptMinTrackSize = POINT{0, 0};
}

// --- drawing ---

BOOL CImageViewDlg::OnEraseBkgnd(CDC*) { return FALSE; }

void CImageViewDlg::OnPaint() {
  CPaintDC dc(this);
  DrawPane(&dc);
}

CRect CImageViewDlg::ClipInPane(CImageSlot* slot) {
  const float z = slot->GetZoom();
  const RECT& c = slot->m_clip;
  return CRect(static_cast<int>(c.left * z) - m_nHScroll, static_cast<int>(c.top * z) - m_nVScroll,
               static_cast<int>(c.right * z) - m_nHScroll, static_cast<int>(c.bottom * z) - m_nVScroll);
}

void CImageViewDlg::DrawPane(CDC* dc) {
  CRect client;
  GetClientRect(&client);
  CImageSlot* slot = GetImageSlot();
  if (slot == nullptr || slot->GetDisplayPicture() == nullptr) {
    dc->FillSolidRect(&client, kPaneBackground);
    return;
  }
  CDC memory;
  memory.CreateCompatibleDC(dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(dc, std::max(1, client.Width()), std::max(1, client.Height()));
  CBitmap* oldBitmap = memory.SelectObject(&canvas);
  memory.FillSolidRect(&client, kPaneBackground);

  const SIZE picture = slot->GetDisplayPictureSize();
  SIZE shown;
  slot->GetDisplaySize(shown);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.cx;
  info.bmiHeader.biHeight = -picture.cy;  // the slot's rows run top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  const int oldMode = SetStretchBltMode(memory.GetSafeHdc(), COLORONCOLOR);
  StretchDIBits(memory.GetSafeHdc(), -m_nHScroll, -m_nVScroll, shown.cx, shown.cy, 0, 0, picture.cx, picture.cy,
                slot->GetDisplayPicture(), &info, DIB_RGB_COLORS, SRCCOPY);
  SetStretchBltMode(memory.GetSafeHdc(), oldMode);

  SetSlotOrigins(slot);
  switch (CurrentEditMode()) {
    case kEditFeatureLine:
      slot->GetLines()->Draw(memory.GetSafeHdc());
      break;
    case kEditFigure:
      slot->GetShape()->Draw(memory.GetSafeHdc(), kOutlineColour);
      break;
    default:
      if (slot->m_clip.right > slot->m_clip.left && slot->m_clip.bottom > slot->m_clip.top) {
        const CRect clip = ClipInPane(slot);
        DrawRectWithGrips(clip, &memory);
        CString size;
        size.Format(u"%d X %d", slot->m_clip.right - slot->m_clip.left, slot->m_clip.bottom - slot->m_clip.top);
        CFont* oldFont = memory.SelectObject(GetFont());
        memory.SetBkMode(TRANSPARENT);
        memory.SetTextColor(kClipLabelColour);
        // Just below the bottom-right grip.
        memory.TextOut(clip.right - memory.GetTextExtent(size).cx, clip.bottom + kGripReach + 1, size);
        memory.SelectObject(oldFont);
      }
      break;
  }
  dc->BitBlt(0, 0, client.Width(), client.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldBitmap);
}

// --- mouse ---

template <class Edit>
void CImageViewDlg::WithUndo(Edit edit) {
  CWnd* parent = GetParent();
  {
    CUndoScope before(parent, 0);
    edit();
  }
  CUndoScope after(parent, 1);
}

// The view takes the keys after a click in a pane (arrow nudges, the
// frame's accelerators), wherever the focus was before.
void CImageViewDlg::TakeFocusToView() {
  CWnd* view = GetParent();
  if (view && ::GetFocus() != view->m_hWnd) view->SetFocus();
}

void CImageViewDlg::OnLButtonDown(UINT nFlags, CPoint point) {
  TakeFocusToView();
  HandleLButtonDown(nFlags, point);
  CDialog::OnLButtonDown(nFlags, point);
}

void CImageViewDlg::HandleLButtonDown(UINT flags, CPoint point) {
  CImageSlot* slot = GetImageSlot();
  CMorphPair* pair = CurrentPair();
  if (slot == nullptr || pair == nullptr) return;
  const int mode = CurrentEditMode();
  CWnd* parent = GetParent();
  // A snapshot does not hold the clip rectangle: recording one around a
  // clip edit would only spend a history entry on nothing.
  std::optional<CUndoScope> before;
  if (mode != kEditImageProcess) before.emplace(parent, 0);
  // The model's edits notify the view themselves; the pane's own notice is
  // for a click the model did not report, so that one click renders once.
  const int refreshes = pair->m_viewRefreshes;
  SetSlotOrigins(slot);
  if (slot->HasPicture()) {
    if (mode == kEditFeatureLine) {
      slot->GetLines()->OnLButtonDown(flags, m_hWnd, point.x, point.y);
      slot->UpdateMask();
    } else if (mode == kEditFigure) {
      CEditablePath* outline = slot->GetShape();
      if (outline->GetState() == kPathDrawing) outline->Clear();
      outline->TrackMouse(m_hWnd, point.x, point.y);
      if (outline->GetState() == kPathDrawing) {
        outline->SetState(kPathFinished);
        if (CEditorLink* editor = GetEditorLink()) editor->CheckFigureTool(kFigureToolFinished);
      }
      slot->UpdateMask();
    } else {
      PressClip(slot, point);
    }
  }
  if (mode != kEditImageProcess) {
    if (parent != nullptr && pair->m_viewRefreshes == refreshes)
      parent->SendMessage(WM_PAIR_CHANGED, GetLineTool() == kLineToolNewLine ? 1 : 0,
                          reinterpret_cast<LPARAM>(m_hWnd));
    CUndoScope after(parent, 1);
  }
  before.reset();
  g_activePane = this;
}

void CImageViewDlg::OnLButtonDblClk(UINT nFlags, CPoint point) {
  CImageSlot* slot = GetImageSlot();
  if (slot != nullptr && CurrentEditMode() == kEditFigure) {
    CEditablePath* outline = slot->GetShape();
    // Point editing and whole-shape transform take turns.
    outline->SetEditMode(outline->GetEditMode() == 1 ? 0 : 1);
    Invalidate(FALSE);
  }
  CDialog::OnLButtonDblClk(nFlags, point);
}

BOOL CImageViewDlg::OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) {
  CImageSlot* slot = GetImageSlot();
  if (slot != nullptr && nHitTest == HTCLIENT) {
    CPoint p;
    ::GetCursorPos(&p);
    ScreenToClient(&p);
    SetSlotOrigins(slot);
    switch (CurrentEditMode()) {
      case kEditFeatureLine:
        if (slot->GetLines()->SetCursorForMode(m_hWnd, p)) return TRUE;
        break;
      case kEditFigure:
        if (slot->GetShape()->SetCursorForPoint(m_hWnd, p.x, p.y)) return TRUE;
        break;
      default:
        if (slot->HasPicture()) {
          ::SetCursor(::LoadCursorW(nullptr, GripCursor(HitGrip(ClipInPane(slot), p))));
          return TRUE;
        }
        break;
    }
  }
  return CDialog::OnSetCursor(pWnd, nHitTest, message);
}

LRESULT CImageViewDlg::OnNcHitTest(CPoint point) {
  const LRESULT code = CDialog::OnNcHitTest(point);
  return IsBlockedSizingCode(code) ? HTCLIENT : code;
}

LRESULT CImageViewDlg::OnEditModeChanged(WPARAM wParam, LPARAM lParam) {
  CWnd* parent = GetParent();
  return parent != nullptr ? parent->SendMessage(WM_EDITMODECHANGED, wParam, lParam) : 0;
}

// --- clip rectangle ---

void CImageViewDlg::RefreshPair() {
  if (CMorphPair* pair = CurrentPair()) pair->RefreshImageViews();
  // The pane follows the rectangle even before the view redraws it.
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void CImageViewDlg::StoreClipFromPane(CImageSlot* slot, CRect pane) {
  const float z = slot->GetZoom();
  slot->m_clip = RECT{static_cast<LONG>((pane.left + m_nHScroll) / z), static_cast<LONG>((pane.top + m_nVScroll) / z),
                      static_cast<LONG>((pane.right + m_nHScroll) / z),
                      static_cast<LONG>((pane.bottom + m_nVScroll) / z)};
}

void CImageViewDlg::PressClip(CImageSlot* slot, CPoint point) {
  const CRect before(slot->m_clip);
  CRect rect = ClipInPane(slot);
  const bool isSet = slot->m_clip.right > slot->m_clip.left && slot->m_clip.bottom > slot->m_clip.top;
  const int grip = isSet ? HitGrip(rect, point) : kNoGrip;
  if (grip == kNoGrip) {
    CRect band = TrackRubberBandRect(this, point, kRubberBandColour);
    band.NormalizeRect();
    // A click without a drag makes an empty clip: the picture shows whole.
    StoreClipFromPane(slot, band);
    RefreshPair();
  } else {
    SetCapture();
    CPoint last = point;
    MSG msg;
    while (::GetCapture() == m_hWnd) {
      if (::GetMessageW(&msg, nullptr, 0, 0) <= 0) {
        ::PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
        break;
      }
      if (msg.message == WM_LBUTTONUP || msg.message == WM_RBUTTONDOWN) break;
      if (msg.message != WM_MOUSEMOVE) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        continue;
      }
      const CPoint now(GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam));
      MoveGrip(rect, grip, now.x - last.x, now.y - last.y);
      last = now;
      StoreClipFromPane(slot, rect);
      RefreshPair();
    }
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
  }
  // The texture and the output picture follow the new clip.
  if (before != slot->m_clip) ReloadSlotPicture(slot);
}

// --- context menus ---

void CImageViewDlg::OnRButtonDown(UINT nFlags, CPoint point) {
  TakeFocusToView();
  g_activePane = this;
  CImageSlot* slot = GetImageSlot();
  if (slot != nullptr && CurrentEditMode() == kEditImageProcess) {
    ShowContextMenu(IDR_IMAGE_MENU, point);
  } else if (slot != nullptr) {
    // Only on a line point: the commands work on the point.
    SetSlotOrigins(slot);
    CLineHit hit{-1, -1, -1, CVector2(0.0f, 0.0f)};
    const POINT at{point.x + m_nHScroll, point.y + m_nVScroll};
    if (slot->GetLines()->HitTestLines(at, hit) == kLineHitPoint) {
      m_ptRButton = point;
      ShowContextMenu(IDR_LINE_POINT_MENU, point);
    }
  }
  CDialog::OnRButtonDown(nFlags, point);
}

void CImageViewDlg::ShowContextMenu(UINT menuId, CPoint point) {
  CMenu menu;
  if (!menu.LoadMenu(menuId)) return;
  CMenu* popup = menu.GetSubMenu(0);
  if (popup == nullptr) return;
  CPoint screen = point;
  ClientToScreen(&screen);
  popup->TrackPopupMenu(TPM_RIGHTBUTTON, screen.x, screen.y, this);
}

BOOL CImageViewDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  CImageSlot* slot = GetImageSlot();
  const UINT id = LOWORD(wParam);
  if (slot == nullptr || lParam != 0) return CDialog::OnCommand(wParam, lParam);
  CLineSet* lines = slot->GetLines();
  const CPoint p = m_ptRButton;
  SetSlotOrigins(slot);
  switch (id) {
    case ID_LINE_TOGGLE_CLOSED:
      WithUndo([&] { lines->ToggleClosed(p.x, p.y); });
      return TRUE;
    case ID_LINE_SELECT:
      lines->SelectLine(p.x, p.y);
      Invalidate(FALSE);
      return TRUE;
    case ID_LINE_DELETE_POINT:
      lines->DeleteControlPoint(p.x, p.y);
      Invalidate(FALSE);
      return TRUE;
    case ID_LINE_TOGGLE_MASK:
      WithUndo([&] { lines->ToggleMaskFigure(p.x, p.y); });
      RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
      return TRUE;
    case ID_SET_CLIP_AREA: {
      CClipAreaDlg dialog(slot, this);
      dialog.DoModal();
      return TRUE;
    }
    case ID_COLOR_ADJUST: {
      CColorAdjustDlg dialog(this);
      dialog.m_pSlot = slot;
      dialog.DoModal();
      return TRUE;
    }
    default:
      return CDialog::OnCommand(wParam, lParam);
  }
}

// --- the two panes ---

CSourceImageView::CSourceImageView() : CImageViewDlg(IDD_SOURCE_PANE) {}

CImageSlot* CSourceImageView::GetImageSlot() {
  CMorphPair* pair = CurrentPair();
  return pair != nullptr ? pair->GetSourceSlot() : nullptr;
}

BEGIN_MESSAGE_MAP(CSourceImageView, CImageViewDlg)
ON_WM_MOUSEMOVE()
END_MESSAGE_MAP()

BOOL CSourceImageView::IsBlockedSizingCode(LRESULT code) const {
  return code == HTLEFT || code == HTTOP || code == HTBOTTOM;
}

void CSourceImageView::OnMouseMove(UINT nFlags, CPoint point) {
  CImageSlot* slot = GetImageSlot();
  if (slot != nullptr && GetLineTool() == kLineToolPointDelete && CurrentEditMode() == kEditFeatureLine) {
    SetSlotOrigins(slot);
    slot->GetLines()->HoverDeletePoint(point.x, point.y);
  }
  CImageViewDlg::OnMouseMove(nFlags, point);
}

CTargetImageView::CTargetImageView() : CImageViewDlg(IDD_TARGET_PANE) {}

CImageSlot* CTargetImageView::GetImageSlot() {
  CMorphPair* pair = CurrentPair();
  return pair != nullptr ? pair->GetTargetSlot() : nullptr;
}

BOOL CTargetImageView::IsBlockedSizingCode(LRESULT code) const {
  return code >= HTLEFT && code <= HTBOTTOMRIGHT;
}

// --- import ---

CString AskImageFile(CWnd* parent) {
  constexpr TCHAR kFolderValue[] = u"ImageFilePath";
  constexpr DWORD kImportFlags = 0x26;
  CString path;
  if (!AskPictureFile(kFolderValue, ReadRegistryText(kFolderValue), kImportFlags, parent, path)) return CString();
  return path;
}
