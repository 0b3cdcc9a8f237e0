// The toolkit's dock bars, fillers and docking set-up.
//
// Sections: kinds and ids · row layout · dock bars · fillers · set-up
#include "guitk/kit_dock_bar.h"

#include <cstring>

#include "guitk/kit_auto_hide.h"
#include "guitk/kit_colors.h"
#include "guitk/kit_control_bar.h"
#include "guitk/kit_mini_frame.h"

// --- kinds and ids ---

bool KitIsKindOf(const CObject* object, const char* className) {
  if (!object) return false;
  for (const CRuntimeClass* c = object->GetRuntimeClass(); c; c = c->m_pBaseClass) {
    if (c->m_lpszClassName && std::strcmp(c->m_lpszClassName, className) == 0) return true;
  }
  return false;
}

UINT KitInnerDockId(DWORD side) {
  switch (side & CBRS_ALIGN_ANY) {
    case CBRS_ALIGN_LEFT: return AFX_IDW_DOCKBAR_LEFT;
    case CBRS_ALIGN_RIGHT: return AFX_IDW_DOCKBAR_RIGHT;
    case CBRS_ALIGN_BOTTOM: return AFX_IDW_DOCKBAR_BOTTOM;
    case CBRS_ALIGN_TOP: return AFX_IDW_DOCKBAR_TOP;
    default: return 0;
  }
}

DWORD KitSideOfDockId(UINT dockId) {
  switch (dockId) {
    case AFX_IDW_DOCKBAR_LEFT: return CBRS_ALIGN_LEFT;
    case AFX_IDW_DOCKBAR_RIGHT: return CBRS_ALIGN_RIGHT;
    case AFX_IDW_DOCKBAR_BOTTOM: return CBRS_ALIGN_BOTTOM;
    case AFX_IDW_DOCKBAR_TOP: return CBRS_ALIGN_TOP;
    default: return 0;
  }
}

CKitAutoHideStrip* KitFindStrip(CFrameWnd* frame, DWORD side) {
  if (!frame) return nullptr;
  for (POSITION pos = frame->m_listControlBars.GetHeadPosition(); pos;) {
    auto* strip = dynamic_cast<CKitAutoHideStrip*>(static_cast<CControlBar*>(frame->m_listControlBars.GetNext(pos)));
    if (strip && (strip->m_dwStyle & CBRS_ALIGN_ANY) == (side & CBRS_ALIGN_ANY)) return strip;
  }
  return nullptr;
}

CDockBar* KitOuterDockBar(CFrameWnd* frame, DWORD side) {
  return frame ? dynamic_cast<CKitDocBarExtenEx*>(frame->GetControlBar(side & CBRS_ALIGN_ANY)) : nullptr;
}

CDockBar* KitInnerDockBar(CFrameWnd* frame, DWORD side) {
  const UINT id = KitInnerDockId(side);
  return frame && id ? dynamic_cast<CDockBar*>(frame->GetControlBar(id)) : nullptr;
}

// --- row layout ---

namespace {

// Toolbars and the menu bar meet edge to edge; other bars overlap so that
// their borders meet as one line.
int GapOf(const CControlBar* bar, bool horz) {
  if (KitIsToolBar(bar) || KitIsMenuBar(bar)) return 0;
  return 2 * GetSystemMetrics(horz ? SM_CXBORDER : SM_CYBORDER);
}

DWORD LayoutMode(const CControlBar* bar) {
  if ((bar->m_dwStyle & CBRS_SIZE_DYNAMIC) && (bar->m_dwStyle & CBRS_FLOATING)) return LM_HORZ | LM_MRUWIDTH;
  if (bar->m_dwStyle & CBRS_ORIENT_HORZ) return LM_HORZ | LM_HORZDOCK;
  return LM_VERTDOCK;
}

}  // namespace

IMPLEMENT_DYNAMIC(CKitDocBarExten, CDockBar)
IMPLEMENT_DYNAMIC(CKitDocBarExtenEx, CKitDocBarExten)

// The framework's row layout, step for step, with each bar's own gap taken
// when that bar is placed.
CSize CKitDocBarExten::LayOutRows(BOOL bStretch, BOOL bHorz) {
  CSize fixed = CControlBar::CalcFixedLayout(bStretch, bHorz);
  CSize room = m_rectLayout.Size();
  if (m_rectLayout.IsRectEmpty()) {
    CRect client;
    if (CWnd* parent = GetParent()) parent->GetClientRect(&client);
    room = client.Size();
  }
  AFX_SIZEPARENTPARAMS layout{};
  layout.hDWP = m_bLayoutQuery ? nullptr : ::BeginDeferWindowPos(static_cast<int>(m_arrBars.GetSize()));
  // Across the rows the first bar's gap sets where they start and how much
  // consecutive rows overlap.
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
      const int gap = GapOf(bar, bHorz);
      if (!rowStarted) {
        (bHorz ? pt.x : pt.y) = -gap;
        if (!anyRow) (bHorz ? pt.y : pt.x) = -gap;
        anyRow = rowStarted = true;
        rowGap = gap;
      }
      const CSize size = bar->CalcDynamicLayout(-1, LayoutMode(bar));
      CRect rect(pt, size);
      CRect current;
      bar->GetWindowRect(&current);
      ScreenToClient(&current);
      LONG& lead = bHorz ? rect.left : rect.top;
      const LONG currentLead = bHorz ? current.left : current.top;
      const int length = bHorz ? rect.Width() : rect.Height();
      const LONG rowPoint = bHorz ? pt.x : pt.y;
      auto shift = [&](LONG to) { bHorz ? rect.OffsetRect(to - rect.left, 0) : rect.OffsetRect(0, to - rect.top); };
      if (currentLead > lead && !m_bFloating) shift(currentLead);
      if ((bHorz ? rect.right : rect.bottom) > roomLength && !m_bFloating)
        shift(std::max<LONG>(roomLength - (length - gap), rowPoint));
      if (wrapped) {
        wrapped = false;
        shift(-gap);
      } else if (lead >= roomLength - gap && pos > 0 && m_arrBars[pos - 1] != nullptr) {
        m_arrBars.InsertAt(pos, static_cast<void*>(nullptr));
        bar = nullptr;
        slot = nullptr;
        wrapped = true;
      }
      if (!wrapped) {
        if (rect != current) {
          if (!m_bLayoutQuery && !(bar->m_dwStyle & CBRS_FLOATING) && bar->m_pDockContext)
            bar->m_pDockContext->m_rectMRUDockPos = rect;
          if (!m_bLayoutQuery) {
            layout.hDWP = layout.hDWP ? ::DeferWindowPos(layout.hDWP, bar->m_hWnd, nullptr, rect.left, rect.top,
                                                         rect.Width(), rect.Height(), SWP_NOACTIVATE | SWP_NOZORDER)
                                      : nullptr;
          }
        }
        if (bHorz) pt.x = rect.left + size.cx - gap;
        else pt.y = rect.top + size.cy - gap;
        rowThickness = std::max(rowThickness, static_cast<int>(bHorz ? size.cy : size.cx));
      }
    }
    if (bar) bar->RecalcDelayShow(&layout);
    if (!bar && !slot && rowThickness != 0) {
      (bHorz ? pt.y : pt.x) += rowThickness - rowGap;
      fixed.cx = std::max(fixed.cx, pt.x);
      fixed.cy = std::max(fixed.cy, pt.y);
      rowThickness = 0;
      rowStarted = false;
    }
  }
  if (layout.hDWP) ::EndDeferWindowPos(layout.hDWP);
  CRect inside(0, 0, 0, 0);
  CalcInsideRect(inside, bHorz);
  if ((!bStretch || !bHorz) && fixed.cx != 0) fixed.cx += -inside.right + inside.left;
  if ((!bStretch || bHorz) && fixed.cy != 0) fixed.cy += -inside.bottom + inside.top;
  return fixed;
}

// --- dock bars ---

BEGIN_MESSAGE_MAP(CKitDocBarExten, CDockBar)
ON_WM_ERASEBKGND()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

CSize CKitDocBarExten::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  SendAwayStrangers();
  return LayOutRows(bStretch, bHorz);
}

void CKitDocBarExten::SetStyle(UINT style) {
  m_nDrawStyle = static_cast<int>(style);
  SendMessageW(WM_NCPAINT, 0, 0);
  Invalidate(TRUE);
  UpdateWindow();
}

BOOL CKitDocBarExten::OnEraseBkgnd(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, GetFaceColor(g_kitDrawStyle));
  return TRUE;
}

void CKitDocBarExten::OnSysColorChange() { Default(); }

void CKitDocBarExtenEx::DoPaint(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, GetFaceColor(g_kitDrawStyle));
}

void CKitDocBarExtenEx::SendAwayStrangers() {
  CFrameWnd* frame = m_pDockSite ? m_pDockSite : GetParentFrame();
  if (!frame) return;
  for (int pos = 0; pos < m_arrBars.GetSize(); ++pos) {
    auto* bar = dynamic_cast<CKitControlBar*>(GetDockedControlBar(pos));
    if (!bar) continue;
    frame->DockControlBar(bar, KitInnerDockBar(frame, m_dwStyle), nullptr);
    pos = 0;  // the array changed under us
  }
}

// --- fillers ---

BEGIN_MESSAGE_MAP(CKitDockFiller, CControlBar)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
END_MESSAGE_MAP()

CSize CKitDockFiller::CalcFixedLayout(BOOL, BOOL bHorz) {
  return bHorz ? CSize(32767, kThickness) : CSize(kThickness, 32767);
}

BOOL CKitDockFiller::Create(CFrameWnd* frame, UINT edge) {
  // No borders: the band is all face colour.
  m_cxLeftBorder = m_cxRightBorder = m_cyTopBorder = m_cyBottomBorder = 0;
  return CreateBar(nullptr, WS_CHILD | WS_VISIBLE | (edge & CBRS_ALIGN_ANY), 0, kKitStripId, frame);
}

BOOL CKitDockFiller::OnEraseBkgnd(CDC* pDC) {
  CRect client;
  GetClientRect(&client);
  pDC->FillSolidRect(&client, GetFaceColor(g_kitDrawStyle));
  return TRUE;
}

void CKitDockFiller::OnPaint() {
  CPaintDC dc(this);
  OnEraseBkgnd(&dc);
}

// --- set-up ---

namespace {

struct RingEdge {
  UINT outerId;
  UINT innerId;
  DWORD style;
};
// Creation order: top, bottom, left, right.
constexpr RingEdge kRingEdges[] = {
    {kKitOuterTop, AFX_IDW_DOCKBAR_TOP, CBRS_TOP},
    {kKitOuterBottom, AFX_IDW_DOCKBAR_BOTTOM, CBRS_BOTTOM},
    {kKitOuterLeft, AFX_IDW_DOCKBAR_LEFT, CBRS_LEFT},
    {kKitOuterRight, AFX_IDW_DOCKBAR_RIGHT, CBRS_RIGHT},
};
constexpr DWORD kDockBarWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

template <class DockBar>
DockBar* MakeDockBar(CFrameWnd* frame, const RingEdge& edge, UINT id) {
  auto* dock = new DockBar;
  if (!dock->Create(frame, kDockBarWindowStyle | edge.style, id)) {
    delete dock;
    return nullptr;
  }
  // The docked bars draw their own borders.
  dock->SetBarStyle(dock->GetBarStyle() & ~static_cast<DWORD>(CBRS_BORDER_ANY));
  return dock;
}

// Index into the ring's arrays: outer bars top, left, right, bottom;
// strips and fillers left, top, bottom, right.
int OuterSlot(UINT id) { return id == kKitOuterTop ? 0 : id == kKitOuterLeft ? 1 : id == kKitOuterRight ? 2 : 3; }
int StripSlot(UINT id) { return id == kKitOuterLeft ? 0 : id == kKitOuterTop ? 1 : id == kKitOuterBottom ? 2 : 3; }

}  // namespace

CKitDockRing::CKitDockRing() = default;
CKitDockRing::~CKitDockRing() = default;

void CKitDockRing::EnableKitDocking(CFrameWnd* frame) {
  frame->m_pFloatingFrameClass = RUNTIME_CLASS(CMiniDockFrameWnd);
  for (const RingEdge& edge : kRingEdges) m_outer[OuterSlot(edge.outerId)] = MakeDockBar<CKitDocBarExtenEx>(frame, edge, edge.outerId);
  for (const RingEdge& edge : kRingEdges) {
    auto* strip = new CKitAutoHideStrip;
    if (!strip->Create(frame, edge.outerId)) {
      delete strip;
      strip = nullptr;
    }
    m_strips[StripSlot(edge.outerId)] = strip;
  }
  for (const RingEdge& edge : kRingEdges) m_fillers[StripSlot(edge.outerId)].Create(frame, edge.outerId);
  for (const RingEdge& edge : kRingEdges) MakeDockBar<CKitDocBarExten>(frame, edge, edge.innerId);
  frame->m_pFloatingFrameClass = RUNTIME_CLASS(CKitMiniFrame);
}
