// CWnd: attaching handles, subclassing, creation through a creation hook so
// that every message reaches the object, AfxWndProc, and the wrappers.
//
// Sections: handle maps · AfxWndProc · creation · wrappers · window DCs
#include <algorithm>
#include <mutex>
#include <string>
#include <unordered_map>

#include "compat/afx/menu.h"
#include "compat/afx/resource.h"
#include "compat/afx/temporary_map.h"
#include "compat/afx/file.h"
#include "compat/afx/doc_view.h"
#include "compat/afx/wnd_state.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const CWnd CWnd::wndTop(HWND_TOP);
const CWnd CWnd::wndBottom(HWND_BOTTOM);
const CWnd CWnd::wndTopMost(HWND_TOPMOST);
const CWnd CWnd::wndNoTopMost(HWND_NOTOPMOST);

namespace compat::afx {

WndThreadState& ThreadState() {
  thread_local WndThreadState state;
  return state;
}

}  // namespace compat::afx

using compat::afx::ThreadState;

_AFX_THREAD_STATE* AfxGetThreadState() { return &ThreadState(); }

namespace {

// A null window object stands for no window (the desktop, the screen), as
// callers pass it; no member is called through a null pointer.
HWND HwndOf(const CWnd* wnd) { return wnd ? wnd->m_hWnd : nullptr; }

}  // namespace

// --- handle maps ---

namespace {

struct PermanentMap {
  std::mutex lock;
  std::unordered_map<HWND, CWnd*> windows;
};

PermanentMap& Permanent() {
  static PermanentMap* map = new PermanentMap;  // windows may outlive static destruction
  return *map;
}

}  // namespace

CWnd::CWnd(HWND hWnd) : m_hWnd(hWnd) {}

CWnd::~CWnd() {
  // A window still attached when its object goes is destroyed with it.
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) ::DestroyWindow(m_hWnd);
  if (m_hWnd && FromHandlePermanent(m_hWnd) == this) Detach();
}

CWnd* PASCAL CWnd::FromHandlePermanent(HWND hWnd) {
  if (!hWnd) return nullptr;
  std::lock_guard<std::mutex> guard(Permanent().lock);
  auto it = Permanent().windows.find(hWnd);
  return it == Permanent().windows.end() ? nullptr : it->second;
}

CWnd* PASCAL CWnd::FromHandle(HWND hWnd) {
  if (CWnd* permanent = FromHandlePermanent(hWnd)) return permanent;
  return compat::afx::TemporaryFor<CWnd>(hWnd, [](CWnd* w, HWND h) { w->m_hWnd = h; },
                                         [](CWnd* w) { w->m_hWnd = nullptr; });
}

BOOL CWnd::Attach(HWND hWndNew) {
  if (!hWndNew || m_hWnd) return FALSE;
  std::lock_guard<std::mutex> guard(Permanent().lock);
  if (Permanent().windows.count(hWndNew)) return FALSE;
  Permanent().windows[hWndNew] = this;
  m_hWnd = hWndNew;
  return TRUE;
}

HWND CWnd::Detach() {
  HWND hwnd = m_hWnd;
  if (hwnd) {
    std::lock_guard<std::mutex> guard(Permanent().lock);
    auto it = Permanent().windows.find(hwnd);
    if (it != Permanent().windows.end() && it->second == this) Permanent().windows.erase(it);
  }
  m_hWnd = nullptr;
  return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (!::IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
  PreSubclassWindow();
  auto old = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
  if (old != AfxWndProc) *GetSuperWndProcAddr() = old;
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  HWND control = pParent ? ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID)) : nullptr;
  return control ? SubclassWindow(control) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
  if (!m_hWnd) return nullptr;
  WNDPROC* super = GetSuperWndProcAddr();
  if (*super) ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(*super));
  *super = nullptr;
  return Detach();
}

// --- AfxWndProc ---

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  if (!wnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  auto& state = ThreadState();
  const MSG saved = state.m_lastSentMsg;
  state.m_lastSentMsg = MSG{hWnd, message, wParam, lParam, 0, POINT{0, 0}};
  LRESULT result = 0;
  try {
    result = wnd->WindowProc(message, wParam, lParam);
  } catch (CException* e) {
    // A handler's failure is shown to the user and the program goes on.
    CWinApp* app = AfxGetApp();
    result = app ? app->ProcessWndProcException(e, &state.m_lastSentMsg) : 0;
    e->Delete();
  }
  state.m_lastSentMsg = saved;
  return result;
}

WNDPROC AfxGetAfxWndProc() { return AfxWndProc; }

const MSG* PASCAL CWnd::GetCurrentMessage() {
  MSG& msg = ThreadState().m_lastSentMsg;
  const DWORD pos = ::GetMessagePos();
  msg.time = static_cast<DWORD>(::GetMessageTime());
  msg.pt = POINT{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
  return &msg;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
  const MSG& msg = ThreadState().m_lastSentMsg;
  return DefWindowProc(msg.message, msg.wParam, msg.lParam);
}

void CWnd::OnNcDestroy() {
  if (CWinThread* thread = AfxGetThread()) {
    // Closing a thread's main window ends its message loop.
    if (thread->m_pMainWnd == this) {
      ::PostQuitMessage(0);
      thread->m_pMainWnd = nullptr;
    }
    if (thread->m_pActiveWnd == this) thread->m_pActiveWnd = nullptr;
  }
  Default();
  m_pfnSuper = nullptr;
  Detach();
  PostNcDestroy();
}

// --- creation ---

// Reaches the protected parts of CWnd for the creation hook.
struct CWndAccess {
  static WNDPROC* SuperOf(CWnd* wnd) { return wnd->GetSuperWndProcAddr(); }
};

namespace {

// Attaches the object being created to its window before the window's first
// message, and puts AfxWndProc in front of a class procedure of another kind.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) {
  auto& state = ThreadState();
  HHOOK hook = state.creationHook;
  if (code == HCBT_CREATEWND && state.creating) {
    CWnd* wnd = state.creating;
    state.creating = nullptr;
    auto hwnd = reinterpret_cast<HWND>(wParam);
    if (wnd->Attach(hwnd)) {
      wnd->PreSubclassWindow();
      auto old = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
      if (old != AfxWndProc) {
        *CWndAccess::SuperOf(wnd) = old;
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
      }
    }
  }
  return ::CallNextHookEx(hook, code, wParam, lParam);
}

struct ClassKey {
  UINT style;
  HCURSOR cursor;
  HBRUSH brush;
  HICON icon;
  bool operator==(const ClassKey&) const = default;
};

struct ClassKeyHash {
  size_t operator()(const ClassKey& k) const {
    return std::hash<uintptr_t>()(reinterpret_cast<uintptr_t>(k.cursor) ^ (reinterpret_cast<uintptr_t>(k.brush) << 1) ^
                                  (reinterpret_cast<uintptr_t>(k.icon) << 2) ^ k.style);
  }
};

std::u16string Hex(uintptr_t value) {
  static const char16_t digits[] = u"0123456789abcdef";
  std::u16string text;
  do {
    text.insert(text.begin(), digits[value & 0xF]);
    value >>= 4;
  } while (value);
  return text;
}

}  // namespace

HWND compat::afx::CreateAttached(CWnd* wnd, const std::function<HWND()>& create) {
  auto& state = ThreadState();
  CWnd* outerCreating = state.creating;
  HHOOK outerHook = state.creationHook;
  state.creating = wnd;
  state.creationHook = ::SetWindowsHookExW(WH_CBT, CreationHook, nullptr, ::GetCurrentThreadId());
  HWND hwnd = create();
  ::UnhookWindowsHookEx(state.creationHook);
  state.creating = outerCreating;
  state.creationHook = outerHook;
  return hwnd;
}

BOOL AfxRegisterClass(WNDCLASS* lpWndClass) {
  if (!lpWndClass) return FALSE;
  WNDCLASSW existing{};
  if (::GetClassInfoW(lpWndClass->hInstance, lpWndClass->lpszClassName, &existing)) return TRUE;
  return ::RegisterClassW(lpWndClass) != 0;
}

LPCTSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  static std::mutex lock;
  static std::unordered_map<ClassKey, std::u16string, ClassKeyHash> names;
  std::lock_guard<std::mutex> guard(lock);
  const ClassKey key{nClassStyle, hCursor, hbrBackground, hIcon};
  auto it = names.find(key);
  if (it == names.end()) {
    std::u16string name = u"Afx:" + Hex(nClassStyle) + u":" + Hex(reinterpret_cast<uintptr_t>(hCursor)) + u":" +
                          Hex(reinterpret_cast<uintptr_t>(hbrBackground)) + u":" + Hex(reinterpret_cast<uintptr_t>(hIcon));
    it = names.emplace(key, name).first;
  }
  // Registered again after a desktop reset forgot it.
  WNDCLASSW wc{nClassStyle, AfxWndProc, 0, 0, nullptr, hIcon, hCursor, hbrBackground, nullptr, it->second.c_str()};
  AfxRegisterClass(&wc);
  return it->second.c_str();
}

const TCHAR _afxWnd[] = u"AfxWnd";
const TCHAR _afxWndControlBar[] = u"AfxControlBar";
const TCHAR _afxWndMDIFrame[] = u"AfxMDIFrame";
const TCHAR _afxWndFrameOrView[] = u"AfxFrameOrView";

BOOL AfxDeferRegisterClass(LONG fToRegister) {
  struct Kind {
    LONG flag;
    const TCHAR* name;
    UINT style;
    int brush;  // system colour + 1, or 0 for none
  };
  static const Kind kinds[] = {
      {AFX_WND_REG, _afxWnd, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, 0},
      {AFX_WNDCONTROLBAR_REG, _afxWndControlBar, CS_DBLCLKS, COLOR_BTNFACE + 1},
      {AFX_WNDMDIFRAME_REG, _afxWndMDIFrame, CS_DBLCLKS, 0},
      {AFX_WNDFRAMEORVIEW_REG, _afxWndFrameOrView, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, COLOR_WINDOW + 1},
  };
  BOOL all = TRUE;
  for (const Kind& kind : kinds) {
    if (!(fToRegister & kind.flag)) continue;
    WNDCLASSW wc{kind.style, AfxWndProc, 0, 0, AfxGetInstanceHandle(), nullptr, ::LoadCursorW(nullptr, IDC_ARROW),
                 reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(kind.brush)), nullptr, kind.name};
    if (!AfxRegisterClass(&wc)) all = FALSE;
    fToRegister &= ~kind.flag;
  }
  return all && !fToRegister;  // an unknown class asked for is a failure
}

BOOL CWnd::PreCreateWindow(CREATESTRUCT& cs) {
  if (!cs.lpszClass) {
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW, ::LoadCursorW(nullptr, IDC_ARROW),
                                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
  }
  return TRUE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd) return FALSE;
  CREATESTRUCT cs{lpParam, nullptr, nIDorHMenu, hWndParent, nHeight, nWidth, y, x, static_cast<LONG>(dwStyle),
                  lpszWindowName, lpszClassName, dwExStyle};
  if (!PreCreateWindow(cs)) {
    PostNcDestroy();
    return FALSE;
  }
  HWND hwnd = compat::afx::CreateAttached(this, [&] {
    return ::CreateWindowExW(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x, cs.y,
                             cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
  });
  // On failure the object may already be gone (PostNcDestroy): `this` is not touched.
  return hwnd ? TRUE : FALSE;
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                    const RECT& rect, CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, HwndOf(pParentWnd),
                  reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, void*) {
  // Create makes child windows.
  return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect, pParentWnd, nID, nullptr);
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd) return FALSE;
  return ::DestroyWindow(m_hWnd);
}

// --- wrappers ---

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep) const {
  for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::SendMessageW(child, message, wParam, lParam);
    if (bDeep) CWnd::FromHandle(child)->SendMessageToDescendants(message, wParam, lParam, TRUE);
  }
}

CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
CWnd* CWnd::SetParent(CWnd* pWndNewParent) { return FromHandle(::SetParent(m_hWnd, HwndOf(pWndNewParent))); }
// A child window's owner is the framework's own record (the platform keeps
// owners for top-level windows only); without one it is the parent.
CWnd* CWnd::GetOwner() const {
  if (m_hWndOwner) return FromHandle(m_hWndOwner);
  if (::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD) return FromHandle(::GetParent(m_hWnd));
  return FromHandle(::GetWindow(m_hWnd, GW_OWNER));
}
void CWnd::SetOwner(CWnd* pOwnerWnd) {
  m_hWndOwner = HwndOf(pOwnerWnd);
  if (!(::GetWindowLongPtrW(m_hWnd, GWL_STYLE) & WS_CHILD)) {
    ::SetWindowLongPtrW(m_hWnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(m_hWndOwner));
  }
}
CWnd* CWnd::GetTopLevelParent() const { return FromHandle(::GetAncestor(m_hWnd, GA_ROOT)); }
CWnd* CWnd::GetWindow(UINT nCmd) const { return FromHandle(::GetWindow(m_hWnd, nCmd)); }
CWnd* CWnd::GetNextWindow(UINT nFlag) const { return FromHandle(::GetWindow(m_hWnd, nFlag)); }
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
int CWnd::SetDlgCtrlID(int nID) { return static_cast<int>(::SetWindowLongPtrW(m_hWnd, GWLP_ID, nID)); }
BOOL CWnd::IsChild(const CWnd* pWnd) const { return ::IsChild(m_hWnd, HwndOf(pWnd)); }
CWnd* PASCAL CWnd::WindowFromPoint(POINT point) { return FromHandle(::WindowFromPoint(point)); }
CWnd* CWnd::ChildWindowFromPoint(POINT point) const { return FromHandle(::ChildWindowFromPoint(m_hWnd, point)); }
CWnd* CWnd::ChildWindowFromPoint(POINT point, UINT nFlags) const {
  return FromHandle(::ChildWindowFromPointEx(m_hWnd, point, nFlags));
}

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE)); }

namespace {

BOOL Modify(HWND hwnd, int index, DWORD remove, DWORD add, UINT flags) {
  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd, index));
  const DWORD next = (style & ~remove) | add;
  if (next == style) return FALSE;
  ::SetWindowLongPtrW(hwnd, index, static_cast<LONG_PTR>(next));
  if (flags) ::SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

}  // namespace

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) { return Modify(m_hWnd, GWL_STYLE, dwRemove, dwAdd, nFlags); }
BOOL CWnd::ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
  return Modify(m_hWnd, GWL_EXSTYLE, dwRemove, dwAdd, nFlags);
}
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }
BOOL CWnd::IsZoomed() const { return ::IsZoomed(m_hWnd); }
void CWnd::SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const { return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount); }
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
void CWnd::GetWindowText(CString& rString) const {
  const int length = ::GetWindowTextLengthW(m_hWnd);
  LPTSTR buffer = rString.GetBufferSetLength(length);
  ::GetWindowTextW(m_hWnd, buffer, length + 1);
  rString.ReleaseBuffer(-1);
}
void CWnd::SetFont(CFont* pFont, BOOL bRedraw) {
  ::SendMessageW(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(pFont ? pFont->m_hObject : nullptr), bRedraw);
}
CFont* CWnd::GetFont() const {
  return CFont::FromHandle(reinterpret_cast<HFONT>(::SendMessageW(m_hWnd, WM_GETFONT, 0, 0)));
}
void CWnd::SetRedraw(BOOL bRedraw) { ::SendMessageW(m_hWnd, WM_SETREDRAW, bRedraw, 0); }

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  if (lpRect) MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
  return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const { ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const { ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<LPPOINT>(lpRect), 2); }
void CWnd::MapWindowPoints(CWnd* pwndTo, LPPOINT lpPoint, UINT nCount) const {
  ::MapWindowPoints(m_hWnd, HwndOf(pwndTo), lpPoint, nCount);
}
void CWnd::MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const {
  ::MapWindowPoints(m_hWnd, HwndOf(pwndTo), reinterpret_cast<LPPOINT>(lpRect), 2);
}
void CWnd::BringWindowToTop() { ::BringWindowToTop(m_hWnd); }

void CWnd::CenterWindow(CWnd* pAlternateOwner) {
  RECT self, area;
  ::GetWindowRect(m_hWnd, &self);
  HWND around = pAlternateOwner ? pAlternateOwner->m_hWnd
                                : ((GetStyle() & WS_CHILD) ? ::GetParent(m_hWnd) : ::GetWindow(m_hWnd, GW_OWNER));
  if (around) {
    ::GetWindowRect(around, &area);
  } else {
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  const int width = self.right - self.left, height = self.bottom - self.top;
  POINT pos{(area.left + area.right - width) / 2, (area.top + area.bottom - height) / 2};
  if (GetStyle() & WS_CHILD) {
    ::ScreenToClient(::GetParent(m_hWnd), &pos);
  } else {
    // A window centred on an owner near an edge still shows whole.
    RECT work;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    pos.x = std::max<LONG>(work.left, std::min<LONG>(pos.x, work.right - width));
    pos.y = std::max<LONG>(work.top, std::min<LONG>(pos.y, work.bottom - height));
  }
  ::SetWindowPos(m_hWnd, nullptr, pos.x, pos.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::ValidateRect(LPCRECT lpRect) { ::ValidateRect(m_hWnd, lpRect); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, CRgn* prgnUpdate, UINT flags) {
  return ::RedrawWindow(m_hWnd, lpRectUpdate, prgnUpdate ? static_cast<HRGN>(prgnUpdate->m_hObject) : nullptr, flags);
}
BOOL CWnd::GetUpdateRect(LPRECT lpRect, BOOL bErase) { return ::GetUpdateRect(m_hWnd, lpRect, bErase); }
CDC* CWnd::GetDC() { return CDC::FromHandle(::GetDC(m_hWnd)); }
CDC* CWnd::GetWindowDC() { return CDC::FromHandle(::GetWindowDC(m_hWnd)); }
int CWnd::ReleaseDC(CDC* pDC) { return pDC ? ::ReleaseDC(m_hWnd, pDC->m_hDC) : 0; }
CDC* CWnd::BeginPaint(LPPAINTSTRUCT lpPaint) { return CDC::FromHandle(::BeginPaint(m_hWnd, lpPaint)); }
void CWnd::EndPaint(LPPAINTSTRUCT lpPaint) { ::EndPaint(m_hWnd, lpPaint); }

CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* PASCAL CWnd::GetFocus() { return FromHandle(::GetFocus()); }
CWnd* CWnd::SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
CWnd* PASCAL CWnd::GetCapture() { return FromHandle(::GetCapture()); }
CWnd* CWnd::SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
CWnd* PASCAL CWnd::GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
BOOL CWnd::SetForegroundWindow() { return ::SetForegroundWindow(m_hWnd); }
UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, void(CALLBACK* lpfnTimer)(HWND, UINT, UINT_PTR, DWORD)) {
  return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
}
BOOL CWnd::KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

// --- window DCs ---

CPaintDC::CPaintDC(CWnd* wnd) : m_hWnd(HwndOf(wnd)) { Attach(::BeginPaint(m_hWnd, &m_ps)); }
CClientDC::CClientDC(CWnd* wnd) : m_hWnd(HwndOf(wnd)) { Attach(::GetDC(m_hWnd)); }
CWindowDC::CWindowDC(CWnd* wnd) : m_hWnd(HwndOf(wnd)) { Attach(::GetWindowDC(m_hWnd)); }
CWnd* CDC::GetWindow() const { return m_hDC ? CWnd::FromHandle(::WindowFromDC(m_hDC)) : nullptr; }

// --- menus ---

CMenu* CWnd::GetMenu() const { return CMenu::FromHandle(::GetMenu(m_hWnd)); }
BOOL CWnd::SetMenu(CMenu* pMenu) { return ::SetMenu(m_hWnd, pMenu ? pMenu->m_hMenu : nullptr); }
void CWnd::DrawMenuBar() { ::DrawMenuBar(m_hWnd); }
CMenu* CWnd::GetSystemMenu(BOOL bRevert) const { return CMenu::FromHandle(::GetSystemMenu(m_hWnd, bRevert)); }
