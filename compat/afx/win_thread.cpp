// CWinThread: a thread with its own message loop (InitInstance, Run,
// ExitInstance) or a worker function; AfxBeginThread and the lookups of the
// current thread, application and main window.
#include <mutex>

#include "compat/afx/wnd_state.h"

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

using compat::afx::ThreadState;

namespace {

struct AppRecord {
  std::mutex lock;
  CWinApp* app = nullptr;
  CWinThread* thread = nullptr;
};

AppRecord& App() {
  static AppRecord record;
  return record;
}

struct Startup {
  CWinThread* thread;
  HANDLE ready;  // set once the new thread can take posted messages
};

}  // namespace

namespace compat::afx {

void RegisterApp(CWinApp* app, CWinThread* asThread) {
  std::lock_guard<std::mutex> guard(App().lock);
  App().app = app;
  App().thread = asThread;
  if (asThread) {
    asThread->m_nThreadID = ::GetCurrentThreadId();
    asThread->m_hThread = ::GetCurrentThread();
    ThreadState().thread = asThread;
    InstallMessageFilter();
  } else if (ThreadState().msgFilter) {
    ::UnhookWindowsHookEx(ThreadState().msgFilter);
    ThreadState().msgFilter = nullptr;
  }
}

}  // namespace compat::afx

CWinThread::CWinThread() = default;

CWinThread::CWinThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam)
    : m_pfnThreadProc(pfnThreadProc), m_pThreadParams(pParam) {}

CWinThread::~CWinThread() {
  if (m_hThread && m_hThread != ::GetCurrentThread()) ::CloseHandle(m_hThread);
  if (ThreadState().thread == this) ThreadState().thread = nullptr;
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID param) {
  auto* startup = static_cast<Startup*>(param);
  CWinThread* thread = startup->thread;
  ThreadState().thread = thread;
  MSG msg;
  ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists from here on
  if (startup->ready) ::SetEvent(startup->ready);
  delete startup;
  int result;
  if (thread->m_pfnThreadProc) {
    result = static_cast<int>(thread->m_pfnThreadProc(thread->m_pThreadParams));
  } else if (!thread->InitInstance()) {
    result = thread->ExitInstance();
  } else {
    result = thread->Run();
  }
  ThreadState().thread = nullptr;
  if (ThreadState().msgFilter) ::UnhookWindowsHookEx(ThreadState().msgFilter);
  ThreadState().msgFilter = nullptr;
  if (thread->m_bAutoDelete) thread->Delete();
  return static_cast<DWORD>(result);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (m_hThread) return FALSE;
  const bool suspended = (dwCreateFlags & CREATE_SUSPENDED) != 0;
  auto* startup = new Startup{this, suspended ? nullptr : ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  HANDLE ready = startup->ready;
  DWORD id = 0;
  HANDLE handle = ::CreateThread(lpSecurityAttrs, nStackSize, ThreadEntry, startup, CREATE_SUSPENDED, &id);
  if (!handle) {
    delete startup;
    if (ready) ::CloseHandle(ready);
    return FALSE;
  }
  m_hThread = handle;
  m_nThreadID = id;
  if (!suspended) {
    // The caller may post to the thread as soon as this returns, as the platform allows.
    ::ResumeThread(handle);
    ::WaitForSingleObject(ready, INFINITE);
    ::CloseHandle(ready);
  }
  return TRUE;
}

DWORD CWinThread::ResumeThread() { return ::ResumeThread(m_hThread); }
DWORD CWinThread::SuspendThread() { return ::SuspendThread(m_hThread); }
int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }
BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

BOOL CWinThread::OnIdle(LONG) { return FALSE; }

BOOL CWinThread::IsIdleMessage(MSG* pMsg) {
  // A mouse resting where it was, paints and the caret's blink do not restart
  // idle processing; every other message (a timer too) does.
  if (pMsg->message == WM_MOUSEMOVE || pMsg->message == WM_NCMOUSEMOVE) {
    if (pMsg->message == m_nMsgLast && pMsg->pt.x == m_ptCursorLast.x && pMsg->pt.y == m_ptCursorLast.y) return FALSE;
    m_ptCursorLast = pMsg->pt;
    m_nMsgLast = pMsg->message;
    return TRUE;
  }
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) { return AfxPreTranslateMessageTree(GetMainWnd(), pMsg); }

namespace {

// The walk for a message of a modal loop the platform runs.
BOOL WalkModalLoopMessage(int code, LPMSG msg) {
  if (code < 0 || !msg || !msg->hwnd) return FALSE;
  // A menu's loop keeps its input to itself (and to the menu bar's own filter):
  // no PreTranslateMessage, so no accelerator of the window beneath runs.
  if (code != MSGF_DIALOGBOX && code != MSGF_MESSAGEBOX) return FALSE;
  // The framework's own modal loop walks the tree itself.
  if (ThreadState().ownModalLoop) return FALSE;
  // The walk ends at the message's own top-level window: a dialog's owner does
  // not see what happens in the dialog.
  return CWnd::WalkPreTranslateTree(::GetAncestor(msg->hwnd, GA_ROOT), msg);
}

}  // namespace

BOOL CWinThread::ProcessMessageFilter(int code, LPMSG lpMsg) { return WalkModalLoopMessage(code, lpMsg); }

BOOL CWinThread::PumpMessage() {
  compat::afx::InstallMessageFilter();
  if (::GetMessageW(&m_msgCur, nullptr, 0, 0) <= 0) return FALSE;
  if (!PreTranslateMessage(&m_msgCur)) {
    ::TranslateMessage(&m_msgCur);
    ::DispatchMessageW(&m_msgCur);
  }
  return TRUE;
}

int CWinThread::Run() {
  BOOL idle = TRUE;
  LONG idleCount = 0;
  for (;;) {
    while (idle && !::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE)) {
      if (!OnIdle(idleCount++)) idle = FALSE;
    }
    do {
      if (!PumpMessage()) return ExitInstance();
      if (IsIdleMessage(&m_msgCur)) {
        idle = TRUE;
        idleCount = 0;
      }
    } while (::PeekMessageW(&m_msgCur, nullptr, 0, 0, PM_NOREMOVE));
  }
}

CWnd* CWinThread::GetMainWnd() { return m_pActiveWnd ? m_pActiveWnd : m_pMainWnd; }

void CWinThread::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL PASCAL CWnd::WalkPreTranslateTree(HWND hWndStop, MSG* pMsg) {
  for (HWND hwnd = pMsg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hwnd == hWndStop) break;
  }
  return FALSE;
}

BOOL AfxPreTranslateMessageTree(CWnd* pMainWnd, MSG* pMsg) {
  HWND stop = pMainWnd ? pMainWnd->m_hWnd : nullptr;
  if (CWnd::WalkPreTranslateTree(stop, pMsg)) return TRUE;
  if (!stop || !pMsg->hwnd) return FALSE;
  // A message outside the main window's tree still passes the main window.
  for (HWND hwnd = pMsg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    if (hwnd == stop) return FALSE;
  }
  return pMainWnd->PreTranslateMessage(pMsg);
}

namespace {

// The thread's hook for modal loops run by the platform: their messages pass
// the framework windows' PreTranslateMessage as the main loop's do.
LRESULT CALLBACK MessageFilterHook(int code, WPARAM wParam, LPARAM lParam) {
  auto* msg = reinterpret_cast<LPMSG>(lParam);
  CWinThread* thread = AfxGetThread();
  const BOOL taken = thread ? thread->ProcessMessageFilter(code, msg) : WalkModalLoopMessage(code, msg);
  return taken ? TRUE : ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void compat::afx::InstallMessageFilter() {
  auto& state = ThreadState();
  // A desktop reset drops every hook: the one recorded may be gone.
  if (state.msgFilter) ::UnhookWindowsHookEx(state.msgFilter);
  state.msgFilter = ::SetWindowsHookExW(WH_MSGFILTER, MessageFilterHook, nullptr, ::GetCurrentThreadId());
}

namespace {

CWinThread* Begin(CWinThread* thread, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                  LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (!thread->CreateThread(dwCreateFlags | CREATE_SUSPENDED, nStackSize, lpSecurityAttrs)) {
    thread->Delete();
    return nullptr;
  }
  thread->SetThreadPriority(nPriority);
  if (!(dwCreateFlags & CREATE_SUSPENDED)) thread->ResumeThread();
  return thread;
}

}  // namespace

CWinThread* AfxBeginThread(AFX_THREADPROC pfnThreadProc, LPVOID pParam, int nPriority, UINT nStackSize,
                           DWORD dwCreateFlags, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (!pfnThreadProc) return nullptr;
  return Begin(new CWinThread(pfnThreadProc, pParam), nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

CWinThread* AfxBeginThread(CRuntimeClass* pThreadClass, int nPriority, UINT nStackSize, DWORD dwCreateFlags,
                           LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  if (!pThreadClass) return nullptr;
  CObject* object = pThreadClass->CreateObject();
  auto* thread = dynamic_cast<CWinThread*>(object);
  if (!thread) {
    delete object;
    return nullptr;
  }
  return Begin(thread, nPriority, nStackSize, dwCreateFlags, lpSecurityAttrs);
}

void AfxEndThread(UINT nExitCode, BOOL bDelete) {
  CWinThread* thread = ThreadState().thread;
  ThreadState().thread = nullptr;
  if (bDelete && thread) thread->Delete();
  ::ExitThread(nExitCode);
}

CWinThread* AfxGetThread() {
  if (CWinThread* thread = ThreadState().thread) return thread;
  std::lock_guard<std::mutex> guard(App().lock);
  if (App().thread && App().thread->m_nThreadID == ::GetCurrentThreadId()) return App().thread;
  return nullptr;
}

CWinApp* AfxGetApp() {
  std::lock_guard<std::mutex> guard(App().lock);
  return App().app;
}

CWnd* AfxGetMainWnd() {
  CWinThread* thread = AfxGetThread();
  if (!thread) {
    std::lock_guard<std::mutex> guard(App().lock);
    thread = App().thread;
  }
  return thread ? thread->GetMainWnd() : nullptr;
}
