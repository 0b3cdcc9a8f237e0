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
  // Paints and the caret's blink do not restart idle processing; a timer does.
  return pMsg->message != WM_PAINT && pMsg->message != 0x0118;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) { return AfxPreTranslateMessageTree(GetMainWnd(), pMsg); }

BOOL CWinThread::PumpMessage() {
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

BOOL AfxPreTranslateMessageTree(CWnd* pMainWnd, MSG* pMsg) {
  HWND stop = pMainWnd ? pMainWnd->m_hWnd : nullptr;
  for (HWND hwnd = pMsg->hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
    CWnd* wnd = CWnd::FromHandlePermanent(hwnd);
    if (wnd && wnd->PreTranslateMessage(pMsg)) return TRUE;
    if (hwnd == stop) return FALSE;
  }
  // A message outside the main window's tree still passes the main window.
  return pMainWnd && pMsg->hwnd ? pMainWnd->PreTranslateMessage(pMsg) : FALSE;
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
