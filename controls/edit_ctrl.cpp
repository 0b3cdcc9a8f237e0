// CEditCtrl: registration, layout of the field and its buttons, the frame,
// spin auto-repeat, the drop-down slider and forwarding of the field's reports.
#include "controls/edit_ctrl.h"

#include "controls/custom_notify.h"
#include "controls/edit_slider_wnd.h"

namespace controls {

BEGIN_MESSAGE_MAP(CEditCtrl, CWnd)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_PAINT()
ON_WM_SETFOCUS()
ON_WM_TIMER()
ON_MESSAGE(ECM_SETSTEP, OnSetStep)
ON_MESSAGE(NEM_FLAGS, OnFlags)
ON_MESSAGE(ECM_FOCUSFIELD, OnFocusField)
ON_MESSAGE(NEM_CHANGEBEGINS, OnChangeBegins)
ON_MESSAGE(NEM_CHANGING, OnChanging)
ON_MESSAGE(NEM_COMMITTED, OnCommitted)
ON_MESSAGE(WM_USER + 0x3B0, OnOpenSlider)
END_MESSAGE_MAP()

namespace {

constexpr UINT kFieldId = 1;
constexpr UINT kButton1Id = 2;
constexpr UINT kButton2Id = 3;
constexpr UINT_PTR kTimerUp = 1001;
constexpr UINT_PTR kTimerDown = 1002;
constexpr UINT kFirstRepeat = 500;
constexpr UINT kNextRepeat = 30;
// The drop-down slider opens after the button's press has been drawn, not
// inside its drawing.
constexpr UINT kOpenSliderMessage = WM_USER + 0x3B0;

const char16_t kClassName[] = u"EditCtrl";

}  // namespace

CEditCtrl::CEditCtrl() : m_button1(CSpinButton::DropDownGlyph), m_button2(CSpinButton::DownGlyph) {}
// The buttons and the field are members: the window goes before they do.
CEditCtrl::~CEditCtrl() {
  if (m_hWnd) DestroyWindow();
}

CEditCtrl* EditCtrlFromHandle(HWND hwnd) { return dynamic_cast<CEditCtrl*>(CWnd::FromHandlePermanent(hwnd)); }

BOOL CEditCtrl::RegisterClass(HINSTANCE instance) {
  return RegisterCopyOfClass(instance, u"Static", kClassName, AutoObjectProc<CEditCtrl>, CS_DBLCLKS);
}

BOOL RegisterEditCtrlClass(HINSTANCE instance) { return CEditCtrl::RegisterClass(instance); }

BOOL CEditCtrl::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  if (!RegisterClass(::GetModuleHandleW(nullptr))) return FALSE;
  return CWnd::Create(kClassName, nullptr, dwStyle | WS_CHILD | WS_VISIBLE, rect, pParentWnd, nID);
}

BOOL CEditCtrl::PreCreateWindow(CREATESTRUCT& cs) {
  cs.style |= WS_TABSTOP;
  return CWnd::PreCreateWindow(cs);
}

// --- the field's vocabulary ---

void CEditCtrl::SetValue(double value) { m_edit.SetValue(value); }
double CEditCtrl::GetValue() const { return m_edit.m_dValue; }

void CEditCtrl::SetRange(double min, double max) {
  double block[2] = {max, min};
  m_edit.SendMessage(NEM_SETRANGE, 0, reinterpret_cast<LPARAM>(block));
}

void CEditCtrl::GetRange(double& min, double& max) const {
  double block[2] = {0, 0};
  m_edit.SendMessage(NEM_GETRANGE, 0, reinterpret_cast<LPARAM>(block));
  max = block[0];
  min = block[1];
}

void CEditCtrl::SetFormat(int width, int decimals) {
  NUMEDITFORMAT format{};
  format.width = width;
  format.decimals = decimals;
  m_edit.SendMessage(NEM_SETFORMAT, 0, reinterpret_cast<LPARAM>(&format));
}

void CEditCtrl::SetStep(double step) { SendMessage(ECM_SETSTEP, 0, reinterpret_cast<LPARAM>(&step)); }

int CEditCtrl::GetFlags() const {
  int flags = 0;
  SendMessage(NEM_FLAGS, 1, reinterpret_cast<LPARAM>(&flags));
  return flags;
}

LRESULT CEditCtrl::OnSetStep(WPARAM, LPARAM lParam) {
  if (lParam) m_edit.m_dStep = *reinterpret_cast<const double*>(lParam);
  return 1;
}

LRESULT CEditCtrl::OnFlags(WPARAM wParam, LPARAM lParam) {
  m_edit.SendMessage(NEM_FLAGS, wParam, lParam);
  return 1;
}

LRESULT CEditCtrl::OnFocusField(WPARAM, LPARAM) {
  m_edit.SetFocus();
  return 1;
}

void CEditCtrl::OnSetFocus(CWnd*) {
  if (m_edit.m_hWnd) m_edit.SetFocus();
}

// --- reports to the dialog ---

void CEditCtrl::Forward(WORD code) {
  ::SendMessageW(NotifyTarget(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), code), reinterpret_cast<LPARAM>(m_hWnd));
}

LRESULT CEditCtrl::OnChangeBegins(WPARAM, LPARAM) {
  Forward(kEditChangeBegins);
  return 1;
}

LRESULT CEditCtrl::OnChanging(WPARAM, LPARAM) {
  Forward(kEditChanging);
  return 1;
}

LRESULT CEditCtrl::OnCommitted(WPARAM, LPARAM) {
  Forward(kEditCommitted);
  return 1;
}

// --- creation and layout ---

int CEditCtrl::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CWnd::OnCreate(lpCreateStruct) == -1) return -1;
  const CRect none(0, 0, 0, 0);
  if (!m_edit.Create(WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, none, this, kFieldId)) return -1;
  if (HasButtons()) {
    m_button1.m_pfnGlyph = IsSpin() ? CSpinButton::UpGlyph : CSpinButton::DropDownGlyph;
    m_button1.m_bNoLatch = IsSpin();
    m_button1.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, none, this, kButton1Id);
    if (IsSpin()) {
      m_button2.m_bNoLatch = TRUE;
      m_button2.Create(u"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, none, this, kButton2Id);
    }
  }
  Layout();
  return 0;
}

void CEditCtrl::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (m_edit.m_hWnd) Layout();
}

void CEditCtrl::Layout() {
  CRect r;
  GetClientRect(&r);
  const DWORD style = GetStyle();
  if (style & ECS_SUNKEN) {
    r.left += 2;
    r.top += 2;
    r.right -= 3;
    r.bottom -= 3;
  } else if (style & ECS_THIN) {
    r.DeflateRect(1, 1);
  }
  const int h = r.Height();
  int fieldRight = r.right;
  if (HasButtons()) {
    const int column = 2 * h / 3;
    fieldRight = r.right - column - 1;
    const int x = r.right - column;
    const int width = column - 1;
    if (IsSpin()) {
      m_button1.MoveWindow(x, r.top, width, h / 2 - 1);
      m_button2.MoveWindow(x, r.bottom - h / 2, width, h / 2 - 1);
    } else {
      m_button1.MoveWindow(x, r.top, width, h - 1);
    }
  }
  m_edit.MoveWindow(r.left, r.top, fieldRight - r.left, h);
  CRect field;
  m_edit.GetClientRect(&field);
  m_font.DeleteObject();
  m_font.CreateFont(field.Height(), 0, 1, 1, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH, u"Times New Roman");
  m_edit.SetFont(&m_font, TRUE);
}

void CEditCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect r;
  GetClientRect(&r);
  FillAroundChildren(dc, r);
  if (GetStyle() & ECS_SUNKEN) {
    dc.Draw3dRect(&r, RGB(0x98, 0x98, 0x98), RGB(0xFF, 0xFF, 0xFF));
    r.DeflateRect(1, 1);
    dc.Draw3dRect(&r, RGB(0, 0, 0), RGB(0xC0, 0xC0, 0xC0));
  } else {
    dc.Draw3dRect(&r, RGB(0x0A, 0x0A, 0x0A), RGB(0xF0, 0xF0, 0xF0));
  }
}

// The class keeps the static class's lack of a background: the strips the
// field and the buttons leave free are painted here, in the colour the
// parent gives its statics, or they would show whatever lay there before.
void CEditCtrl::FillAroundChildren(CDC& dc, const CRect& client) {
  const int saved = dc.SaveDC();
  for (CWnd* child = GetWindow(GW_CHILD); child; child = child->GetWindow(GW_HWNDNEXT)) {
    if (!child->IsWindowVisible()) continue;
    CRect area;
    child->GetWindowRect(&area);
    ScreenToClient(&area);
    dc.ExcludeClipRect(&area);
  }
  CWnd* parent = GetParent();
  auto brush = parent ? reinterpret_cast<HBRUSH>(parent->SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC),
                                                                     reinterpret_cast<LPARAM>(m_hWnd)))
                      : nullptr;
  ::FillRect(dc.m_hDC, &client, brush ? brush : ::GetSysColorBrush(COLOR_3DFACE));
  dc.RestoreDC(saved);
}

// --- buttons ---

BOOL CEditCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  const bool fromButton = header && (header->idFrom == kButton1Id || header->idFrom == kButton2Id) &&
                          (header->code == kNotifySpinPressed || header->code == kNotifySpinReleased);
  if (!fromButton) return CWnd::OnNotify(wParam, lParam, pResult);
  const bool up = header->idFrom == kButton1Id;
  const bool pressed = header->code == kNotifySpinPressed;
  if (!IsSpin()) {
    if (pressed && up && !m_button1.m_bLatched) PostMessage(kOpenSliderMessage);
    return TRUE;
  }
  const UINT_PTR timer = up ? kTimerUp : kTimerDown;
  if (pressed) {
    (up ? m_bUpPressed : m_bDownPressed) = TRUE;
    m_edit.SendMessage(up ? NEM_STEPUP : NEM_STEPDOWN, 0, 1);
    SetTimer(timer, kFirstRepeat, nullptr);
  } else {
    (up ? m_bUpPressed : m_bDownPressed) = FALSE;
    m_bRepeating = FALSE;
    KillTimer(timer);
    if (m_edit.m_nFlags & NEF_COMMIT_ON_KEYUP) Forward(kEditCommitted);
  }
  return TRUE;
}

void CEditCtrl::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent != kTimerUp && nIDEvent != kTimerDown) {
    CWnd::OnTimer(nIDEvent);
    return;
  }
  m_bRepeating = TRUE;
  SetTimer(nIDEvent, kNextRepeat, nullptr);
  m_edit.SendMessage(nIDEvent == kTimerUp ? NEM_STEPUP : NEM_STEPDOWN, 0, 1);
}

LRESULT CEditCtrl::OnOpenSlider(WPARAM, LPARAM) {
  OpenSlider();
  return 0;
}

void CEditCtrl::OpenSlider() {
  m_button1.m_bLatched = TRUE;
  POINT pointer{};
  ::GetCursorPos(&pointer);
  CRect window;
  GetWindowRect(&window);
  CEditSliderWnd popup(this, pointer.x, window.bottom);
  popup.DoModal();
  m_button1.m_bLatched = FALSE;
  if (m_button1.m_hWnd) {
    m_button1.SetState(FALSE);
    m_button1.Invalidate();
  }
}

}  // namespace controls
