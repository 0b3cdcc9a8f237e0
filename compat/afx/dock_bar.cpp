// CDockBar: rows of docked control bars along a frame edge or inside a
// floating frame, their layout, and the placeholders that remember where a
// floated bar came from.
//
// Sections: slots · docking and removing · layout · painting · dock state
#include "compat/afx.h"

IMPLEMENT_DYNAMIC(CDockBar, CControlBar)

BEGIN_MESSAGE_MAP(CDockBar, CControlBar)
ON_MESSAGE(WM_SIZEPARENT, OnSizeParent)
END_MESSAGE_MAP()

namespace {

// Neighbouring bars overlap by this much, so their borders meet as one line.
int Gap() { return 2 * GetSystemMetrics(SM_CXBORDER); }
int GapY() { return 2 * GetSystemMetrics(SM_CYBORDER); }

// A slot value up to this is a control id kept as a placeholder.
constexpr UINT_PTR kMaxPlaceHolder = 0xFFFF;
// A drop this close to the line between two rows opens a row of its own there.
constexpr int kNewRowZone = 4;

void* PlaceHolderOf(CControlBar* bar) {
  return reinterpret_cast<void*>(static_cast<UINT_PTR>(static_cast<WORD>(::GetDlgCtrlID(bar->m_hWnd))));
}

bool IsBarSlot(void* slot) { return reinterpret_cast<UINT_PTR>(slot) > kMaxPlaceHolder; }

void Place(HDWP& dwp, HWND hwnd, const CRect& rect) {
  if (dwp) {
    dwp = ::DeferWindowPos(dwp, hwnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(),
                           SWP_NOACTIVATE | SWP_NOZORDER);
  } else {
    ::SetWindowPos(hwnd, nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOACTIVATE | SWP_NOZORDER);
  }
}

}  // namespace

CDockBar::CDockBar(BOOL bFloating) : m_bFloating(bFloating) {
  m_arrBars.Add(nullptr);
  m_bAutoDelete = TRUE;
  // The docked bars draw their own borders; the dock bar is flush with them.
  m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
}

CDockBar::~CDockBar() {
  // Bars still docked here outlive us only as windows; they must not point back.
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    if (CControlBar* bar = GetDockedControlBar(i); bar && bar->m_pDockBar == this) bar->m_pDockBar = nullptr;
  }
}

BOOL CDockBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) {
  return CreateBar(nullptr, dwStyle, 0, nID, pParentWnd);
}

// --- slots ---

CControlBar* CDockBar::GetDockedControlBar(int nPos) const {
  if (nPos < 0 || nPos >= m_arrBars.GetSize()) return nullptr;
  void* slot = m_arrBars[nPos];
  return IsBarSlot(slot) ? static_cast<CControlBar*>(slot) : nullptr;
}

int CDockBar::GetDockedCount() const {
  int count = 0;
  for (int i = 0; i < m_arrBars.GetSize(); ++i) count += GetDockedControlBar(i) != nullptr;
  return count;
}

int CDockBar::GetDockedVisibleCount() const {
  int count = 0;
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    if (CControlBar* bar = GetDockedControlBar(i); bar && bar->IsVisible()) ++count;
  }
  return count;
}

int CDockBar::FindBar(CControlBar* pBar, int nPosExclude) {
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    if (i != nPosExclude && m_arrBars[i] == pBar) return i;
  }
  return -1;
}

namespace {

// Removes a slot, and the row mark after it when the row is left empty.
void RemoveSlot(CPtrArray& bars, int pos) {
  bars.RemoveAt(pos);
  if (pos >= 1 && pos < bars.GetSize() && bars[pos - 1] == nullptr && bars[pos] == nullptr) bars.RemoveAt(pos);
}

}  // namespace

void CDockBar::RemovePlaceHolder(CControlBar* pBar) {
  const int pos = FindBar(static_cast<CControlBar*>(PlaceHolderOf(pBar)));
  if (pos > 0) RemoveSlot(m_arrBars, pos);
}

int CDockBar::Insert(CControlBar* pBar, CRect rect, CPoint ptMid) {
  const bool horz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  const int across = horz ? ptMid.y : ptMid.x;
  // Walk the rows, each from the slot after a NULL up to the next NULL.
  int rowStart = 0;  // index of the NULL that opens the row
  int rowTop = 0;
  const int count = static_cast<int>(m_arrBars.GetSize());
  for (int pos = 1; pos <= count; ++pos) {
    if (pos < count && m_arrBars[pos] != nullptr) continue;
    // Slots rowStart+1 .. pos-1 form a row.
    int rowEnd = 0;
    int insertAfter = rowStart;
    bool bandFromBars = false;
    for (int i = rowStart + 1; i < pos; ++i) {
      CControlBar* bar = GetDockedControlBar(i);
      if (!bar || !bar->IsVisible()) continue;
      CRect barRect;
      bar->GetWindowRect(&barRect);
      ScreenToClient(&barRect);
      const int top = horz ? barRect.top : barRect.left;
      const int bottom = horz ? barRect.bottom : barRect.right;
      if (!bandFromBars) rowTop = top, rowEnd = bottom;
      rowTop = std::min(rowTop, top);
      rowEnd = std::max(rowEnd, bottom);
      bandFromBars = true;
      if ((horz ? barRect.left : barRect.top) < (horz ? rect.left : rect.top)) insertAfter = i;
    }
    if (bandFromBars) {
      if (across < rowTop + kNewRowZone) {
        // Above the first row, or on the line between the row before and
        // this one: a new row there.
        m_arrBars.InsertAt(rowStart + 1, static_cast<void*>(nullptr));
        m_arrBars.InsertAt(rowStart + 1, pBar);
        return rowStart + 1;
      }
      if (across < rowEnd - kNewRowZone) {
        m_arrBars.InsertAt(insertAfter + 1, pBar);
        return insertAfter + 1;
      }
    }
    rowStart = pos;
  }
  // Below every row: a new last row.
  if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr) m_arrBars.Add(nullptr);
  m_arrBars.Add(pBar);
  m_arrBars.Add(nullptr);
  return static_cast<int>(m_arrBars.GetSize()) - 2;
}

// --- docking and removing ---

namespace {

// The bar takes the dock bar's alignment and borders, and its floating flag.
void AdoptStyle(CControlBar* bar, const CDockBar* dock) {
  DWORD style = bar->GetBarStyle() & ~static_cast<DWORD>(CBRS_ALIGN_ANY);
  style |= (dock->m_dwStyle & CBRS_ALIGN_ANY) | CBRS_BORDER_ANY;
  if (dock->m_bFloating) style |= CBRS_FLOATING;
  else style &= ~static_cast<DWORD>(CBRS_FLOATING);
  bar->SetBarStyle(style);
}

}  // namespace

void CDockBar::DockControlBar(CControlBar* pBar, LPCRECT lpRect) {
  CRect barRect;
  pBar->GetWindowRect(&barRect);
  if (pBar->m_pDockBar == this && (!lpRect || barRect == CRect(*lpRect))) return;

  if (m_bFloating && (pBar->m_dwDockStyle & CBRS_FLOAT_MULTI)) m_dwStyle |= CBRS_FLOAT_MULTI;
  m_dwStyle &= ~static_cast<DWORD>(CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
  m_dwStyle |= pBar->m_dwStyle & (CBRS_SIZE_FIXED | CBRS_SIZE_DYNAMIC);
  if (!(m_dwStyle & CBRS_FLOAT_MULTI)) {
    CString title;
    pBar->GetWindowText(title);
    SetWindowText(title);
  }
  AdoptStyle(pBar, this);

  // Hidden while it changes parents, so it does not flash at the old place.
  bool show = false;
  if (pBar->m_pDockBar != this && pBar->IsWindowVisible()) {
    pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    show = true;
  }
  int pos = -1;
  CRect rect;
  if (lpRect) {
    rect = *lpRect;
    ScreenToClient(&rect);
    pos = Insert(pBar, rect, rect.CenterPoint());
  } else {
    if (m_arrBars[m_arrBars.GetSize() - 1] != nullptr) m_arrBars.Add(nullptr);
    m_arrBars.Add(pBar);
    m_arrBars.Add(nullptr);
    rect = CRect(CPoint(-Gap(), -GapY()), CSize(0, 0));
  }
  if (pBar->GetParent() != this) pBar->SetParent(this);
  if (lpRect) {
    pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  } else {
    pBar->SetWindowPos(nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  }
  if (pBar->m_pDockBar == this) {
    RemoveControlBar(pBar, pos);
  } else if (pBar->m_pDockBar) {
    // Floating away from an edge leaves the bar's place there for ToggleDocking.
    pBar->m_pDockBar->RemoveControlBar(pBar, -1, m_bFloating && !pBar->m_pDockBar->m_bFloating);
  }
  pBar->m_pDockBar = this;
  if (!m_bFloating && pBar->m_pDockContext) {
    pBar->m_pDockContext->m_uMRUDockID = static_cast<UINT>(GetDlgCtrlID());
    if (lpRect) pBar->m_pDockContext->m_rectMRUDockPos = rect;
  }
  if (show) pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RemovePlaceHolder(pBar);
  if (CFrameWnd* frame = GetDockingFrame()) frame->DelayRecalcLayout();
}

void CDockBar::ReDockControlBar(CControlBar* pBar, LPCRECT lpRect) {
  const int holder = FindBar(static_cast<CControlBar*>(PlaceHolderOf(pBar)));
  if (holder <= 0 || lpRect == nullptr) {
    if (holder <= 0) {
      DockControlBar(pBar, lpRect);
      return;
    }
  }
  // Back into the slot its placeholder kept.
  AdoptStyle(pBar, this);
  bool show = false;
  if (pBar->m_pDockBar != this && pBar->IsWindowVisible()) {
    pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
    show = true;
  }
  m_arrBars[holder] = pBar;
  if (pBar->GetParent() != this) pBar->SetParent(this);
  CRect rect;
  if (lpRect) {
    rect = *lpRect;
    ScreenToClient(&rect);
    pBar->SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS);
  }
  if (pBar->m_pDockBar && pBar->m_pDockBar != this) pBar->m_pDockBar->RemoveControlBar(pBar, -1, -1);
  pBar->m_pDockBar = this;
  if (pBar->m_pDockContext) pBar->m_pDockContext->m_uMRUDockID = static_cast<UINT>(GetDlgCtrlID());
  if (show) pBar->SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (CFrameWnd* frame = GetDockingFrame()) frame->DelayRecalcLayout();
}

BOOL CDockBar::RemoveControlBar(CControlBar* pBar, int nPosExclude, int nAddPlaceHolder) {
  const int pos = FindBar(pBar, nPosExclude);
  if (pos <= 0) return FALSE;
  if (nAddPlaceHolder == 1) {
    m_arrBars[pos] = PlaceHolderOf(pBar);
    // One placeholder per bar is enough.
    if (FindBar(static_cast<CControlBar*>(m_arrBars[pos]), pos) > 0) RemoveSlot(m_arrBars, pos);
  } else {
    RemoveSlot(m_arrBars, pos);
    if (nAddPlaceHolder != -1) RemovePlaceHolder(pBar);
  }
  // While the frame goes down the bars lose their dock contexts first.
  if (!pBar->m_pDockContext) return FALSE;
  CFrameWnd* frame = GetParentFrame();
  if (m_bFloating && frame && GetDockedVisibleCount() == 0) {
    if (GetDockedCount() == 0) {
      frame->DestroyWindow();
      return TRUE;
    }
    frame->ShowWindow(SW_HIDE);
  } else if (CFrameWnd* site = GetDockingFrame()) {
    site->DelayRecalcLayout();
  }
  return FALSE;
}

void CDockBar::ForgetControlBar(CControlBar* pBar) {
  const int pos = FindBar(pBar);
  if (pos > 0) RemoveSlot(m_arrBars, pos);
}

void CDockBar::ShowAll(BOOL bShow) {
  if (!m_pDockSite) return;
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    if (CControlBar* bar = GetDockedControlBar(i)) m_pDockSite->ShowControlBar(bar, bShow, FALSE);
  }
}

// --- layout ---

LRESULT CDockBar::OnSizeParent(WPARAM wParam, LPARAM lParam) {
  auto* layout = reinterpret_cast<AFX_SIZEPARENTPARAMS*>(lParam);
  const BOOL query = m_bLayoutQuery;
  m_bLayoutQuery = layout->hDWP == nullptr;
  m_rectLayout = layout->rect;
  const LRESULT result = CControlBar::OnSizeParent(wParam, lParam);
  m_bLayoutQuery = query;
  return result;
}

namespace {

DWORD LayoutMode(const CControlBar* bar) {
  if ((bar->m_dwStyle & CBRS_SIZE_DYNAMIC) && (bar->m_dwStyle & CBRS_FLOATING)) return LM_HORZ | LM_MRUWIDTH;
  if (bar->m_dwStyle & CBRS_ORIENT_HORZ) return LM_HORZ | LM_HORZDOCK;
  return LM_VERTDOCK;
}

}  // namespace

int CDockBar::GetBarGap(CControlBar*, BOOL bHorz) const { return bHorz ? Gap() : GapY(); }

CSize CDockBar::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  CSize fixed = CControlBar::CalcFixedLayout(bStretch, bHorz);
  CSize room = m_rectLayout.Size();
  if (m_rectLayout.IsRectEmpty()) {
    CRect client;
    if (CWnd* parent = GetParent()) parent->GetClientRect(&client);
    room = client.Size();
  }
  AFX_SIZEPARENTPARAMS layout{};
  layout.hDWP = m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos(static_cast<int>(m_arrBars.GetSize()));
  // A row starts at its first bar's gap, and that gap sets how much
  // consecutive rows overlap; along the row each bar takes its own.
  CPoint pt(0, 0);
  bool anyRow = false;
  bool rowStarted = false;
  int rowGap = 0;
  int rowThickness = 0;
  bool wrapped = false;
  const int roomLength = bHorz ? room.cx : room.cy;
  for (int pos = 0; pos < m_arrBars.GetSize(); ++pos) {
    CControlBar* bar = GetDockedControlBar(pos);
    void* slot = m_arrBars[pos];
    if (bar && bar->IsVisible()) {
      const int gap = GetBarGap(bar, bHorz);
      if (!rowStarted) {
        (bHorz ? pt.x : pt.y) = -gap;
        rowGap = GetBarGap(bar, !bHorz);
        if (!anyRow) (bHorz ? pt.y : pt.x) = -rowGap;
        anyRow = rowStarted = true;
      }
      const CSize size = bar->CalcDynamicLayout(-1, LayoutMode(bar));
      CRect rect(pt, size);
      CRect current;
      bar->GetWindowRect(&current);
      ScreenToClient(&current);
      // Along the row: at its remembered place when that is further on,
      // pulled back when it would end past the room, wrapped when it would
      // start past it.
      LONG& lead = bHorz ? rect.left : rect.top;
      const LONG currentLead = bHorz ? current.left : current.top;
      const int length = bHorz ? rect.Width() : rect.Height();
      const LONG rowPoint = bHorz ? pt.x : pt.y;
      auto shift = [&](LONG to) { bHorz ? rect.OffsetRect(to - rect.left, 0) : rect.OffsetRect(0, to - rect.top); };
      if (currentLead > lead && !m_bFloating) shift(currentLead);
      if ((bHorz ? rect.right : rect.bottom) > roomLength && !m_bFloating) shift(std::max<LONG>(roomLength - (length - gap), rowPoint));
      if (wrapped) {
        wrapped = false;
        shift(-gap);
      } else if (lead >= roomLength - GetWrapGap(bar, bHorz) && pos > 0 && m_arrBars[pos - 1] != nullptr) {
        m_arrBars.InsertAt(pos, static_cast<void*>(nullptr));
        bar = nullptr;
        slot = nullptr;
        wrapped = true;
      }
      if (!wrapped) {
        if (rect != current) {
          if (!m_bLayoutQuery && !(bar->m_dwStyle & CBRS_FLOATING) && bar->m_pDockContext)
            bar->m_pDockContext->m_rectMRUDockPos = rect;
          if (!m_bLayoutQuery) Place(layout.hDWP, bar->m_hWnd, rect);
        }
        if (bHorz) pt.x = rect.left + size.cx - gap;
        else pt.y = rect.top + size.cy - gap;
        rowThickness = std::max(rowThickness, static_cast<int>(bHorz ? size.cy : size.cx));
      }
    }
    // A show or hide asked for since the last layout happens with this one.
    if (bar) bar->RecalcDelayShow(&layout);
    if (!bar && !slot && rowThickness != 0) {
      // The end of a row.
      (bHorz ? pt.y : pt.x) += rowThickness - rowGap;
      fixed.cx = std::max(fixed.cx, pt.x);
      fixed.cy = std::max(fixed.cy, pt.y);
      rowThickness = 0;
      rowStarted = false;
    }
  }
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
  // The dock bar's own borders.
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, bHorz);
  if ((!bStretch || !bHorz) && fixed.cx != 0) fixed.cx += -inside.right + inside.left;
  if ((!bStretch || bHorz) && fixed.cy != 0) fixed.cy += -inside.bottom + inside.top;
  return fixed;
}

// --- painting ---

void CDockBar::DoPaint(CDC* pDC) { CControlBar::DoPaint(pDC); }

void CDockBar::OnUpdateCmdUI(CFrameWnd*, BOOL) {}

// --- dock state ---

void CDockBar::GetBarInfo(CControlBarInfo* pInfo) {
  pInfo->m_nBarID = static_cast<UINT>(GetDlgCtrlID());
  pInfo->m_pBar = this;
  pInfo->m_bDockBar = TRUE;
  pInfo->m_bFloating = m_bFloating;
  pInfo->m_bHorz = (m_dwStyle & CBRS_ORIENT_HORZ) != 0;
  pInfo->m_bVisible = IsVisible();
  if (m_bFloating) {
    CRect frame;
    if (CWnd* parent = GetParent()) parent->GetWindowRect(&frame);
    pInfo->m_pointPos = frame.TopLeft();
    pInfo->m_bVisible = GetDockedVisibleCount() > 0;
  }
  pInfo->m_arrBarID.RemoveAll();
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    void* slot = m_arrBars[i];
    DWORD id = 0;
    if (CControlBar* bar = GetDockedControlBar(i)) id = static_cast<WORD>(bar->GetDlgCtrlID());
    else if (slot) id = MAKELONG(static_cast<WORD>(reinterpret_cast<UINT_PTR>(slot)), 1);
    pInfo->m_arrBarID.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
  }
}

void CDockBar::SetBarInfo(CControlBarInfo* pInfo, CFrameWnd* pFrameWnd) {
  CPtrArray rebuilt;
  std::vector<CControlBar*> arriving;
  for (INT_PTR i = 0; i < pInfo->m_arrBarID.GetSize(); ++i) {
    const auto value = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(pInfo->m_arrBarID[i]));
    const UINT id = LOWORD(value);
    if (id == 0) {
      if (rebuilt.GetSize() == 0 || rebuilt[rebuilt.GetSize() - 1] != nullptr) rebuilt.Add(nullptr);
      continue;
    }
    // A saved id the frame no longer has is passed over.
    CControlBar* bar = pFrameWnd->GetControlBar(id);
    if (!bar || bar == this || dynamic_cast<CDockBar*>(bar)) continue;
    if (HIWORD(value) != 0) {
      rebuilt.Add(reinterpret_cast<void*>(static_cast<UINT_PTR>(id)));
    } else if (std::find(arriving.begin(), arriving.end(), bar) == arriving.end()) {
      rebuilt.Add(bar);
      arriving.push_back(bar);
    }
  }
  if (rebuilt.GetSize() == 0 || rebuilt[0] != nullptr) rebuilt.InsertAt(0, static_cast<void*>(nullptr));
  if (rebuilt[rebuilt.GetSize() - 1] != nullptr) rebuilt.Add(nullptr);
  // Bars that were here and are not listed stay, in a row of their own at the end.
  for (int i = 0; i < m_arrBars.GetSize(); ++i) {
    CControlBar* bar = GetDockedControlBar(i);
    if (!bar || std::find(arriving.begin(), arriving.end(), bar) != arriving.end()) continue;
    rebuilt.Add(bar);
    rebuilt.Add(nullptr);
  }
  // Moved in before they leave their old dock bar: a floating frame left
  // empty destroys itself, and must not take them along.
  for (CControlBar* bar : arriving) {
    if (bar->GetParent() != this) bar->SetParent(this);
    if (bar->m_pDockBar && bar->m_pDockBar != this) bar->m_pDockBar->RemoveControlBar(bar, -1, -1);
  }
  m_arrBars.RemoveAll();
  for (INT_PTR i = 0; i < rebuilt.GetSize(); ++i) m_arrBars.Add(rebuilt[i]);
  for (CControlBar* bar : arriving) {
    AdoptStyle(bar, this);
    bar->m_pDockBar = this;
  }
  if (m_bFloating) {
    m_dwStyle = (m_dwStyle & ~static_cast<DWORD>(CBRS_ALIGN_ANY)) | (pInfo->m_bHorz ? CBRS_ALIGN_TOP : CBRS_ALIGN_LEFT);
    if (CControlBar* first = GetDockedControlBar(1)) {
      CString title;
      first->GetWindowText(title);
      SetWindowText(title);
    }
  }
}
