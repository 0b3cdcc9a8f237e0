// CStatusBar: the status common control as a control bar. The bar keeps each
// pane's id, width, style and text, gives the control the pane edges (the
// first stretching pane takes the room the others leave) and the texts, and
// shows the frame's prompts in its message pane.
#include <algorithm>

#include "compat/afx.h"

IMPLEMENT_DYNAMIC(CStatusBar, CControlBar)

BEGIN_MESSAGE_MAP(CStatusBar, CControlBar)
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_DESTROY()
ON_WM_NCCALCSIZE()
ON_MESSAGE(WM_SETTEXT, OnSetText)
END_MESSAGE_MAP()

namespace {

// Round a pane's text: on each side its one-pixel edge and the control's
// three-pixel text margin.
constexpr int kPaneBorder = 8;
constexpr UINT kPaneDrawFlags = SBPS_NOBORDERS | SBPS_POPOUT | SBPS_OWNERDRAW;

}  // namespace

CStatusBar::CStatusBar() {
  m_cxLeftBorder = 0;
  m_cxRightBorder = 0;
  m_cyTopBorder = 0;
  m_cyBottomBorder = 0;
}

CStatusBar::~CStatusBar() {
  if (m_hWnd) DestroyWindow();
}

BOOL CStatusBar::Create(CWnd* pParentWnd, DWORD dwStyle, UINT nID) { return CreateEx(pParentWnd, 0, dwStyle, nID); }

BOOL CStatusBar::CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle, DWORD dwStyle, UINT nID) {
  // The bar places the control; a frame that can be sized gets the grip.
  dwCtrlStyle |= CCS_NOPARENTALIGN | CCS_NOMOVEY | CCS_NODIVIDER | CCS_NORESIZE;
  if (pParentWnd && (pParentWnd->GetStyle() & WS_THICKFRAME)) dwCtrlStyle |= SBARS_SIZEGRIP;
  return CreateBar(STATUSCLASSNAMEW, dwStyle, dwCtrlStyle, nID, pParentWnd);
}

void CStatusBar::OnDestroy() {
  CControlBar::OnDestroy();
  m_ctrl.m_hWnd = nullptr;
}

CStatusBarCtrl& CStatusBar::GetStatusBarCtrl() const {
  m_ctrl.m_hWnd = m_hWnd;
  return m_ctrl;
}

HFONT CStatusBar::Font() const {
  // The control draws with the system font until it is given one.
  auto font = reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
  return font ? font : static_cast<HFONT>(::GetStockObject(SYSTEM_FONT));
}

// --- panes ---

BOOL CStatusBar::SetIndicators(const UINT* lpIDArray, int nIDCount) {
  if (!m_hWnd || nIDCount < 0 || (nIDCount > 0 && !lpIDArray)) return FALSE;
  m_panes.assign(static_cast<size_t>(nIDCount), Pane{});
  m_nCount = nIDCount;
  CClientDC dc(this);
  HGDIOBJ old = ::SelectObject(dc.m_hDC, Font());
  BOOL result = TRUE;
  for (int i = 0; i < nIDCount; ++i) {
    Pane& pane = m_panes[static_cast<size_t>(i)];
    pane.nID = lpIDArray[i];
    pane.pending = true;
    if (pane.nID == ID_SEPARATOR) {
      // A pane without an indicator is reached by its index; the first one stretches.
      pane.cxText = ::GetSystemMetrics(SM_CXSCREEN) / 4;
      if (i == 0) pane.nStyle |= SBPS_STRETCH | SBPS_NOBORDERS;
      continue;
    }
    if (!pane.strText.LoadString(pane.nID)) {
      result = FALSE;
      continue;
    }
    pane.cxText = dc.GetTextExtent(pane.strText).cx;
  }
  ::SelectObject(dc.m_hDC, old);
  UpdateAllPanes(TRUE, TRUE);
  return result;
}

int CStatusBar::CommandToIndex(UINT nIDFind) const {
  for (size_t i = 0; i < m_panes.size(); ++i) {
    if (m_panes[i].nID == nIDFind) return static_cast<int>(i);
  }
  return -1;
}

UINT CStatusBar::GetItemID(int nIndex) const { return ValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nID : 0; }

void CStatusBar::GetItemRect(int nIndex, LPRECT lpRect) const {
  *lpRect = RECT{};
  const_cast<CStatusBar*>(this)->UpdateAllPanes(TRUE, FALSE);
  SendMessage(SB_GETRECT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpRect));
}

CString CStatusBar::GetPaneText(int nIndex) const {
  return ValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].strText : CString();
}

void CStatusBar::GetPaneText(int nIndex, CString& rString) const { rString = GetPaneText(nIndex); }

BOOL CStatusBar::SetPaneText(int nIndex, LPCTSTR lpszNewText, BOOL bUpdate) {
  if (!ValidIndex(nIndex)) return FALSE;
  Pane& pane = m_panes[static_cast<size_t>(nIndex)];
  const CString text = lpszNewText ? CString(lpszNewText) : CString();
  if (pane.strText.Compare(text) != 0 || pane.pending) {
    pane.strText = text;
    pane.pending = true;
    if (bUpdate) ShowPaneText(nIndex);
  }
  return TRUE;
}

// A disabled pane shows no text.
void CStatusBar::ShowPaneText(int nIndex) {
  Pane& pane = m_panes[static_cast<size_t>(nIndex)];
  pane.pending = false;
  if (!m_hWnd) return;
  const WPARAM how = static_cast<WPARAM>(nIndex) | (pane.nStyle & kPaneDrawFlags);
  LPCTSTR shown = (pane.nStyle & SBPS_DISABLED) ? u"" : pane.strText.GetString();
  SendMessage(SB_SETTEXTW, how, reinterpret_cast<LPARAM>(shown));
}

UINT CStatusBar::GetPaneStyle(int nIndex) const {
  return ValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].nStyle : 0;
}

void CStatusBar::SetPaneStyle(int nIndex, UINT nStyle) {
  if (!ValidIndex(nIndex)) return;
  Pane& pane = m_panes[static_cast<size_t>(nIndex)];
  if (pane.nStyle == nStyle) return;
  const bool stretchChanged = ((pane.nStyle ^ nStyle) & SBPS_STRETCH) != 0;
  pane.nStyle = nStyle;
  if (stretchChanged) UpdateAllPanes(TRUE, FALSE);
  ShowPaneText(nIndex);
}

void CStatusBar::GetPaneInfo(int nIndex, UINT& nID, UINT& nStyle, int& cxWidth) const {
  nID = GetItemID(nIndex);
  nStyle = GetPaneStyle(nIndex);
  cxWidth = ValidIndex(nIndex) ? m_panes[static_cast<size_t>(nIndex)].cxText : 0;
}

void CStatusBar::SetPaneInfo(int nIndex, UINT nID, UINT nStyle, int cxWidth) {
  if (!ValidIndex(nIndex)) return;
  Pane& pane = m_panes[static_cast<size_t>(nIndex)];
  pane.nID = nID;
  const bool widthChanged = pane.cxText != cxWidth;
  pane.cxText = std::max(0, cxWidth);
  SetPaneStyle(nIndex, nStyle);
  if (widthChanged) UpdateAllPanes(TRUE, FALSE);
}

// --- layout ---

void CStatusBar::CalcInsideRect(CRect& rect, BOOL bHorz) const {
  CControlBar::CalcInsideRect(rect, bHorz);
  // The grip takes the corner while the frame can be sized.
  if ((GetStyle() & SBARS_SIZEGRIP) && !::IsZoomed(::GetParent(m_hWnd))) {
    rect.right -= ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXBORDER);
  }
}

// The grip lies inside the client area, where the control draws it.
void CStatusBar::OnNcCalcSize(BOOL, NCCALCSIZE_PARAMS* lpncsp) {
  CRect inside(0, 0, 0, 0);
  CControlBar::CalcInsideRect(inside, TRUE);
  ShrinkToInside(lpncsp, inside);
}

CSize CStatusBar::CalcFixedLayout(BOOL, BOOL bHorz) {
  TEXTMETRICW metrics{};
  {
    CClientDC dc(nullptr);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, Font());
    ::GetTextMetricsW(dc.m_hDC, &metrics);
    ::SelectObject(dc.m_hDC, old);
  }
  int borders[3] = {};
  SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
  CRect inside(0, 0, 0, 0);
  CControlBar::CalcInsideRect(inside, bHorz);
  // A line of text in its pane's frame, the control's margins above and below, and the bar's borders.
  return CSize(32767, metrics.tmHeight + 2 + 2 * borders[1] - inside.Height());
}

void CStatusBar::UpdateAllPanes(BOOL bUpdateRects, BOOL bUpdateText) {
  if (!m_hWnd || m_panes.empty()) return;
  if (bUpdateRects) {
    CRect rect;
    GetWindowRect(&rect);
    rect.OffsetRect(-rect.left, -rect.top);
    CalcInsideRect(rect, TRUE);
    int borders[3] = {};
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    // What the panes leave of the width goes to the stretching ones, shared out.
    int extra = rect.Width() + borders[2];
    int stretching = 0;
    for (const Pane& pane : m_panes) {
      if (pane.nStyle & SBPS_STRETCH) ++stretching;
      extra -= pane.cxText + kPaneBorder + borders[2];
    }
    std::vector<int> rights(m_panes.size());
    int right = borders[0];
    for (size_t i = 0; i < m_panes.size(); ++i) {
      right += m_panes[i].cxText + kPaneBorder;
      if ((m_panes[i].nStyle & SBPS_STRETCH) && extra > 0) {
        const int share = extra / stretching;
        right += share;
        extra -= share;
        --stretching;
      }
      rights[i] = right;
      right += borders[2];
    }
    std::vector<int> now(m_panes.size() + 1);
    const auto count = static_cast<size_t>(SendMessage(SB_GETPARTS, now.size(), reinterpret_cast<LPARAM>(now.data())));
    now.resize(std::min(count, now.size()));
    if (now != rights) {
      SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
      // Parts the control did not have start empty there.
      if (count != rights.size()) {
        for (Pane& pane : m_panes) pane.pending = true;
      }
    }
  }
  if (bUpdateText) {
    for (size_t i = 0; i < m_panes.size(); ++i) {
      if (m_panes[i].pending) ShowPaneText(static_cast<int>(i));
    }
  }
}

void CStatusBar::OnSize(UINT nType, int cx, int cy) {
  CControlBar::OnSize(nType, cx, cy);
  UpdateAllPanes(TRUE, TRUE);
}

// --- painting and idle ---

void CStatusBar::OnPaint() {
  UpdateAllPanes(FALSE, TRUE);
  CControlBar::OnPaint();
}

// The control draws the panes into the paint DC, so a derived bar can draw over them.
void CStatusBar::DoPaint(CDC* pDC) { DefWindowProc(WM_PAINT, reinterpret_cast<WPARAM>(pDC->m_hDC), 0); }

// The window's text is the message pane's.
LRESULT CStatusBar::OnSetText(WPARAM, LPARAM lParam) {
  const int index = CommandToIndex(ID_SEPARATOR);
  if (index < 0) return FALSE;
  return SetPaneText(index, reinterpret_cast<LPCTSTR>(lParam));
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* pTarget, BOOL) {
  CStatusCmdUI state;
  state.m_pOther = this;
  state.m_nIndexMax = static_cast<UINT>(m_panes.size());
  for (state.m_nIndex = 0; state.m_nIndex < state.m_nIndexMax; ++state.m_nIndex) {
    state.m_nID = m_panes[state.m_nIndex].nID;
    // The bar's own handlers first. A pane nobody updates keeps what it shows.
    if (CWnd::OnCmdMsg(state.m_nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr)) continue;
    state.DoUpdate(pTarget, FALSE);
  }
}

// --- CStatusCmdUI ---

void CStatusCmdUI::Enable(BOOL bOn) {
  m_bEnableChanged = TRUE;
  auto* bar = static_cast<CStatusBar*>(m_pOther);
  const int index = static_cast<int>(m_nIndex);
  UINT style = bar->GetPaneStyle(index) & ~static_cast<UINT>(SBPS_DISABLED);
  if (!bOn) style |= SBPS_DISABLED;
  bar->SetPaneStyle(index, style);
}

void CStatusCmdUI::SetCheck(int nCheck) {
  auto* bar = static_cast<CStatusBar*>(m_pOther);
  const int index = static_cast<int>(m_nIndex);
  UINT style = bar->GetPaneStyle(index) & ~static_cast<UINT>(SBPS_POPOUT);
  if (nCheck) style |= SBPS_POPOUT;
  bar->SetPaneStyle(index, style);
}

void CStatusCmdUI::SetText(LPCTSTR lpszText) {
  static_cast<CStatusBar*>(m_pOther)->SetPaneText(static_cast<int>(m_nIndex), lpszText);
}
