// The stacking panel: layout, border, and the commands and notices of the
// windows it holds passed on to the windows around it.
#include "guitk/kit_container.h"

#include "guitk/kit_colors.h"

IMPLEMENT_DYNAMIC(CKitContainer, CWnd)

BEGIN_MESSAGE_MAP(CKitContainer, CWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SYSCOLORCHANGE()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CKitContainer::CKitContainer() : m_crFace(GetFaceColor(kKitStyleFlat)) {}

CKitContainer::~CKitContainer() {
  if (m_hWnd) DestroyWindow();
}

BOOL CKitContainer::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  LPCTSTR cls = AfxRegisterWndClass(0, ::LoadCursorW(nullptr, IDC_ARROW));
  return CWnd::Create(cls, nullptr, dwStyle | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, rect, pParentWnd, nID);
}

void CKitContainer::AddItem(CWnd* pWnd, int kind) {
  if (!pWnd) return;
  m_items.push_back({pWnd, kind});
  RecalcLayout();
}

void CKitContainer::SetBorder(int border) {
  m_nBorder = border;
  if (m_hWnd) Invalidate();
}

void CKitContainer::SetStyle(int style) {
  m_nStyle = style;
  m_crFace = GetFaceColor(style);
  if (m_hWnd) Invalidate();
}

void CKitContainer::RecalcLayout() {
  if (!m_hWnd) return;
  CRect client;
  GetClientRect(&client);
  int fixed = 0, flexible = 0;
  for (const Item& item : m_items) {
    if (item.kind == kFixed) fixed += kFixedHeight;
    else ++flexible;
  }
  const int rest = client.Height() - fixed;
  const int share = flexible && rest > 0 ? rest / flexible : 0;
  int y = client.top;
  for (const Item& item : m_items) {
    const int height = item.kind == kFixed ? kFixedHeight : share;
    if (item.wnd->m_hWnd) item.wnd->MoveWindow(client.left, y, client.Width(), height);
    y += height;
  }
}

// A command from a held window reaches every window around the container,
// as it would have reached the one that placed it there.
BOOL CKitContainer::OnCommand(WPARAM wParam, LPARAM lParam) {
  for (HWND up = ::GetParent(m_hWnd); up; up = ::GetParent(up)) ::PostMessageW(up, WM_COMMAND, wParam, lParam);
  return TRUE;
}

BOOL CKitContainer::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  HWND parent = ::GetParent(m_hWnd);
  const LRESULT result = parent ? ::SendMessageW(parent, WM_NOTIFY, wParam, lParam) : 0;
  if (pResult) *pResult = result;
  return TRUE;
}

BOOL CKitContainer::OnEraseBkgnd(CDC*) { return TRUE; }

void CKitContainer::OnPaint() {
  CPaintDC dc(this);
  CRect client;
  GetClientRect(&client);
  dc.FillSolidRect(&client, m_crFace);
  const COLORREF light = ::GetSysColor(COLOR_BTNHIGHLIGHT), dark = ::GetSysColor(COLOR_BTNSHADOW);
  if (m_nBorder == kBorderRaised) dc.Draw3dRect(&client, light, dark);
  else if (m_nBorder == kBorderSunken) dc.Draw3dRect(&client, dark, light);
  RecalcLayout();
}

void CKitContainer::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  RecalcLayout();
}

void CKitContainer::OnSysColorChange() {
  CWnd::OnSysColorChange();
  m_crFace = GetFaceColor(m_nStyle);
  for (const Item& item : m_items) {
    if (item.kind == kFixed && item.wnd->m_hWnd) item.wnd->Invalidate();
  }
  Invalidate();
}

void CKitContainer::OnDestroy() {
  m_items.clear();
  CWnd::OnDestroy();
}
