// CWinThread: user-interface threads with their own message loop and main
// window, worker threads, the lookups of the current thread, and sending to
// a window of another thread.
#include <gtest/gtest.h>

#include <atomic>

#include "compat/afx.h"

namespace {

std::atomic<bool> g_threadDestroyed{false};
std::atomic<CWinThread*> g_seenThread{nullptr};
std::atomic<CWnd*> g_seenMainWnd{nullptr};
HANDLE g_started = nullptr;

class CAnswerWnd : public CWnd {
 protected:
  afx_msg LRESULT OnAsk(WPARAM w, LPARAM) { return static_cast<LRESULT>(w * 3); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CAnswerWnd, CWnd)
ON_MESSAGE(WM_USER + 10, OnAsk)
END_MESSAGE_MAP()

class CUiThread : public CWinThread {
  DECLARE_DYNCREATE(CUiThread)

 public:
  CAnswerWnd window;

  BOOL InitInstance() override {
    if (!window.CreateEx(0, nullptr, u"Worker UI", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr)) return FALSE;
    m_pMainWnd = &window;
    g_seenThread = AfxGetThread();
    g_seenMainWnd = AfxGetMainWnd();
    SetEvent(g_started);
    return TRUE;
  }
  int ExitInstance() override { return CWinThread::ExitInstance() + 40; }
  ~CUiThread() override { g_threadDestroyed = true; }
};

IMPLEMENT_DYNCREATE(CUiThread, CWinThread)

class ThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    g_threadDestroyed = false;
    g_seenThread = nullptr;
    g_seenMainWnd = nullptr;
    g_started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  void TearDown() override {
    CloseHandle(g_started);
    compat::ResetDesktop(800, 600);
  }
};

TEST_F(ThreadTest, AUiThreadRunsItsLoopAnswersSendsAndEndsOnQuit) {
  auto* thread = static_cast<CUiThread*>(AfxBeginThread(RUNTIME_CLASS(CUiThread), THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED));
  ASSERT_NE(thread, nullptr);
  thread->m_bAutoDelete = FALSE;  // we wait on its handle
  thread->ResumeThread();
  ASSERT_EQ(WaitForSingleObject(g_started, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(g_seenThread.load(), thread);
  EXPECT_EQ(g_seenMainWnd.load(), &thread->window);
  // The main thread is not that thread.
  EXPECT_NE(AfxGetThread(), thread);
  EXPECT_EQ(thread->window.SendMessage(WM_USER + 10, 14), 42);
  PostThreadMessageW(thread->m_nThreadID, WM_QUIT, 2, 0);
  ASSERT_EQ(WaitForSingleObject(thread->m_hThread, 5000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(thread->m_hThread, &code);
  EXPECT_EQ(code, 42u);  // ExitInstance's answer: the quit code plus 40
  EXPECT_FALSE(g_threadDestroyed);
  delete thread;
  EXPECT_TRUE(g_threadDestroyed);
}

TEST_F(ThreadTest, ClosingTheMainWindowEndsTheThreadWhichDeletesItself) {
  auto* thread = static_cast<CUiThread*>(AfxBeginThread(RUNTIME_CLASS(CUiThread)));
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(g_started, 5000), WAIT_OBJECT_0);
  HWND hwnd = thread->window.m_hWnd;
  // WM_CLOSE destroys the window; the thread's loop then ends and the object goes.
  PostMessageW(hwnd, WM_CLOSE, 0, 0);
  for (int i = 0; i < 500 && !g_threadDestroyed; ++i) Sleep(10);
  EXPECT_TRUE(g_threadDestroyed);
  EXPECT_FALSE(IsWindow(hwnd));
}

UINT Worker(LPVOID param) {
  auto* value = static_cast<std::atomic<int>*>(param);
  *value = AfxGetThread() ? 7 : -1;
  SetEvent(g_started);
  return 0;
}

TEST_F(ThreadTest, AWorkerFunctionRunsOnItsOwnThread) {
  std::atomic<int> value{0};
  CWinThread* thread = AfxBeginThread(Worker, &value);
  ASSERT_NE(thread, nullptr);
  ASSERT_EQ(WaitForSingleObject(g_started, 5000), WAIT_OBJECT_0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(AfxBeginThread(static_cast<AFX_THREADPROC>(nullptr), nullptr), nullptr);
  EXPECT_EQ(AfxBeginThread(RUNTIME_CLASS(CWnd)), nullptr);  // not a thread class
}

}  // namespace
