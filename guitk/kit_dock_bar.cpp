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

IMPLEMENT_DYNAMIC(CKitDocBarExten, CDockBar)
IMPLEMENT_DYNAMIC(CKitDocBarExtenEx, CKitDocBarExten)

// Toolbars and the menu bar meet edge to edge; other bars overlap so that
// their borders meet as one line.
int CKitDocBarExten::GetBarGap(CControlBar* pBar, BOOL bHorz) const {
  if (KitIsToolBar(pBar) || KitIsMenuBar(pBar)) return 0;
  return CDockBar::GetBarGap(pBar, bHorz);
}

// --- dock bars ---

BEGIN_MESSAGE_MAP(CKitDocBarExten, CDockBar)
ON_WM_ERASEBKGND()
ON_WM_SYSCOLORCHANGE()
END_MESSAGE_MAP()

CSize CKitDocBarExten::CalcFixedLayout(BOOL bStretch, BOOL bHorz) {
  SendAwayStrangers();
  return CDockBar::CalcFixedLayout(bStretch, bHorz);
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

// The outer ring wraps a bar that would start within two borders of the
// row's end, whatever the bar's own gap along the row.
int CKitDocBarExtenEx::GetWrapGap(CControlBar*, BOOL bHorz) const {
  static const int border[2] = {2 * ::GetSystemMetrics(SM_CYBORDER), 2 * ::GetSystemMetrics(SM_CXBORDER)};
  return border[bHorz ? 1 : 0];
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
