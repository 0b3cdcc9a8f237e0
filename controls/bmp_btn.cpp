// CBmpBtn: registration from the BUTTON class, toggling, the click note, and
// drawing a bitmap with its edge.
#include "controls/bmp_btn.h"

#include "controls/custom_notify.h"
#include "controls/dialog_color.h"

namespace controls {

BEGIN_MESSAGE_MAP(CBmpBtn, CBitmapButton)
ON_WM_CREATE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
END_MESSAGE_MAP()

namespace {

const char16_t kClassName[] = u"BmpBtnClass";
constexpr int kTipWidth = 256;

WNDPROC ButtonProc() {
  static WNDPROC proc = [] {
    WNDCLASS wc{};
    return ::GetClassInfoW(nullptr, u"BUTTON", &wc) ? wc.lpfnWndProc : ::DefWindowProcW;
  }();
  return proc;
}

// The only custom class that keeps its base control's behaviour: unhandled
// messages go on to the BUTTON procedure.
LRESULT CALLBACK BmpBtnProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!CWnd::FromHandlePermanent(hwnd)) CBmpBtn::AttachToNewWindow(hwnd);
  else return ::CallWindowProcW(ButtonProc(), hwnd, message, wParam, lParam);
  return AfxWndProc(hwnd, message, wParam, lParam);
}

}  // namespace

void CBmpBtn::AttachToNewWindow(HWND hwnd) {
  auto* button = new CBmpBtn;
  button->m_bAutoDelete = TRUE;
  button->m_pfnSuper = ButtonProc();
  AttachAutoObject(button, hwnd);
  // After attaching: the style change sends messages of its own.
  const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
  ::SetWindowLongW(hwnd, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
}

BOOL CBmpBtn::RegisterClass(HINSTANCE instance) {
  // No double clicks: a quick second click is a second toggle.
  return RegisterCopyOfClass(instance, u"BUTTON", kClassName, BmpBtnProc, 0, CS_DBLCLKS);
}

BOOL CBmpBtn::SubclassDlgItem(UINT nID, CWnd* pParent) {
  m_bAutoDelete = FALSE;
  return CBitmapButton::SubclassDlgItem(nID, pParent);
}

void CBmpBtn::Redraw() { RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW); }

void CBmpBtn::SetToggle(int toggled) {
  m_nToggled = toggled;
  if (m_hWnd) Redraw();
}

int CBmpBtn::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CBitmapButton::OnCreate(lpCreateStruct) == -1) return -1;
  m_tooltip.Create(this);
  m_tooltip.Activate(TRUE);
  CString text;
  GetWindowText(text);
  m_tooltip.AddTool(this, text);
  m_tooltip.SetMaxTipWidth(kTipWidth);
  return 0;
}

BOOL CBmpBtn::PreTranslateMessage(MSG* pMsg) {
  if (pMsg->message == WM_MOUSEMOVE && m_tooltip.m_hWnd) m_tooltip.RelayEvent(pMsg);
  return CBitmapButton::PreTranslateMessage(pMsg);
}

void CBmpBtn::OnLButtonDown(UINT nFlags, CPoint point) {
  m_bPressed = 1;
  Redraw();
  CBitmapButton::OnLButtonDown(nFlags, point);
}

// The owner hears of the click while the button still holds the press; the
// button is drawn up before and after, then the button's own handling ends
// the press (capture, BN_CLICKED).
void CBmpBtn::OnLButtonUp(UINT nFlags, CPoint point) {
  m_bPressed = 0;
  Redraw();
  CRect client;
  GetClientRect(&client);
  if (client.PtInRect(point)) {
    m_nToggled = !m_nToggled;
    NMHDR header{};
    header.hwndFrom = m_hWnd;
    header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
    header.code = kNotifyBitmapButtonClicked;
    ::SendMessageW(::GetParent(m_hWnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    if (!::IsWindow(m_hWnd)) return;  // the owner took the button away
  }
  Redraw();
  CBitmapButton::OnLButtonUp(nFlags, point);
}

void CBmpBtn::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  const UINT state = lpDrawItemStruct->itemState;
  CBitmap* bitmap = &m_bitmap;
  if (!(state & ODS_CHECKED) && !m_nToggled) {
    if (!(state & ODS_DISABLED) && (state & ODS_FOCUS) && m_bitmapFocus.m_hObject) bitmap = &m_bitmapFocus;
    else if ((state & ODS_DISABLED) && m_bitmapDisabled.m_hObject) bitmap = &m_bitmapDisabled;
  } else if (m_bitmapSel.m_hObject) {
    bitmap = &m_bitmapSel;
  }
  CDC* dc = CDC::FromHandle(lpDrawItemStruct->hDC);
  CRect r(lpDrawItemStruct->rcItem);
  // The edge is drawn on a copy, so the bitmap itself stays as loaded.
  CDC memory;
  memory.CreateCompatibleDC(dc);
  CBitmap canvas;
  canvas.CreateCompatibleBitmap(dc, r.Width() > 0 ? r.Width() : 1, r.Height() > 0 ? r.Height() : 1);
  CBitmap* oldCanvas = memory.SelectObject(&canvas);
  memory.FillSolidRect(0, 0, r.Width(), r.Height(), GetDialogColor());
  if (bitmap->m_hObject) {
    CDC source;
    source.CreateCompatibleDC(dc);
    CBitmap* oldSource = source.SelectObject(bitmap);
    memory.BitBlt(0, 0, r.Width(), r.Height(), &source, 0, 0, SRCCOPY);
    source.SelectObject(oldSource);
  }
  CRect edge(0, 0, r.Width() - 1, r.Height() - 1);
  if (m_nRaisedEdge == 0) memory.DrawEdge(&edge, m_bPressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  else if (m_nToggled) memory.DrawEdge(&edge, EDGE_SUNKEN, BF_RECT);
  dc->BitBlt(r.left, r.top, r.Width(), r.Height(), &memory, 0, 0, SRCCOPY);
  memory.SelectObject(oldCanvas);
}

}  // namespace controls
