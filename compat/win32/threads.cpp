// Threads as waitable kernel objects on host threads.
#include <sys/resource.h>
#include <cerrno>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <pthread.h>
#include <thread>
#include <vector>

#include "compat/win32/kernel.h"
#include "compat/win32/kernel_objects.h"

namespace {

std::atomic<DWORD> g_next_thread_id{1};
thread_local DWORD t_thread_id = 0;

// Thrown by ExitThread to unwind to the thread's start routine.
struct ThreadExit {
  DWORD code;
};
thread_local bool t_started_by_create_thread = false;

pid_t HostThreadId() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// The lower priorities raise the host thread's nice value; raising a thread
// above normal needs rights the program does not have, so those are recorded only.
void ApplyPriority(pid_t tid, int priority) {
  int nice = 0;
  if (priority == THREAD_PRIORITY_IDLE) nice = 19;
  else if (priority == THREAD_PRIORITY_LOWEST) nice = 10;
  else if (priority == THREAD_PRIORITY_BELOW_NORMAL) nice = 5;
  if (nice == 0 || tid <= 0) return;
  errno = 0;
  const int now = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
  if (errno == 0 && now < nice) setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
}

thread_local int t_current_priority = THREAD_PRIORITY_NORMAL;

class Thread;

// The host threads behind the kernel threads. The ones that have ended are
// joined whenever another starts (without waiting for any), and at exit,
// when a thread whose start routine has returned is waited for, so that none
// is left finishing while static objects are destroyed. One still running at
// exit is the program's own to stop; it is let go.
struct HostThread {
  std::shared_ptr<Thread> thread;
  pthread_t host;
};

struct HostThreads {
  std::mutex lock;
  std::vector<HostThread> threads;
  bool joinAtExit = false;
};

HostThreads& Hosts() {
  static auto* hosts = new HostThreads;  // threads may start and end after static destruction
  return *hosts;
}

void JoinEndedThreads();
void JoinThreadsAtExit();
void* StartHostThread(void* thread);

class Thread : public compat::Waitable {
 public:
  Thread(LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD suspend_count)
      : start_(start), parameter_(parameter), id_(g_next_thread_id++), suspend_count_(suspend_count) {}

  DWORD id() const { return id_; }

  // Starts the host thread; false if the host refused.
  bool Launch() {
    auto self = std::static_pointer_cast<Thread>(shared_from_this());
    JoinEndedThreads();
    HostThreads& hosts = Hosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    if (!hosts.joinAtExit) hosts.joinAtExit = std::atexit(JoinThreadsAtExit) == 0;
    hosts.threads.reserve(hosts.threads.size() + 1);
    auto* start = new std::shared_ptr<Thread>(self);
    pthread_t host;
    if (pthread_create(&host, nullptr, StartHostThread, start) != 0) {
      delete start;
      return false;
    }
    hosts.threads.push_back(HostThread{self, host});
    return true;
  }

  bool Ended() const {
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    return finished_;
  }

  // Returns the previous count, or -1 when the thread already runs.
  DWORD ChangeSuspendCount(int delta, bool& start_now) {
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    start_now = false;
    if (launched_) return static_cast<DWORD>(-1);
    DWORD previous = suspend_count_;
    if (delta < 0 && suspend_count_ > 0) --suspend_count_;
    if (delta > 0) ++suspend_count_;
    if (suspend_count_ == 0) start_now = launched_ = true;
    return previous;
  }

  DWORD ExitCode() const {
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    return finished_ ? exit_code_ : STILL_ACTIVE;
  }

  std::atomic<int> priority{THREAD_PRIORITY_NORMAL};
  std::atomic<pid_t> hostId{0};  // 0 until the thread runs

  bool IsSignalled(compat::WaitTicket) const override { return finished_; }

  void Run() {
    t_thread_id = id_;
    t_started_by_create_thread = true;
    hostId = HostThreadId();
    // A priority set before the thread ran takes effect now.
    t_current_priority = priority;
    ApplyPriority(hostId, priority);
    DWORD code = 0;
    try {
      code = start_(parameter_);
    } catch (const ThreadExit& exit) {
      code = exit.code;
    }
    hostId = 0;  // the host may give the id to another thread now
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    finished_ = true;
    exit_code_ = code;
    compat::WakeWaiters();
  }

 private:
  LPTHREAD_START_ROUTINE start_;
  LPVOID parameter_;
  const DWORD id_;
  DWORD suspend_count_;
  bool launched_ = false;
  bool finished_ = false;
  DWORD exit_code_ = STILL_ACTIVE;
};

void* StartHostThread(void* thread) {
  std::unique_ptr<std::shared_ptr<Thread>> self(static_cast<std::shared_ptr<Thread>*>(thread));
  (*self)->Run();
  return nullptr;
}

void JoinEndedThreads() {
  HostThreads& hosts = Hosts();
  std::lock_guard<std::mutex> guard(hosts.lock);
  std::erase_if(hosts.threads, [](const HostThread& entry) { return pthread_tryjoin_np(entry.host, nullptr) == 0; });
}

void JoinThreadsAtExit() {
  std::vector<HostThread> threads;
  {
    HostThreads& hosts = Hosts();
    std::lock_guard<std::mutex> guard(hosts.lock);
    threads.swap(hosts.threads);
  }
  for (HostThread& entry : threads) {
    if (pthread_equal(entry.host, pthread_self())) {
      pthread_detach(entry.host);
    } else if (entry.thread->Ended()) {
      pthread_join(entry.host, nullptr);  // what is left of it is a few steps
    } else {
      pthread_detach(entry.host);
    }
  }
}

std::shared_ptr<Thread> ThreadFromHandle(HANDLE handle) {
  auto thread = compat::LookUpHandleAs<Thread>(handle);
  if (!thread) SetLastError(ERROR_INVALID_HANDLE);
  return thread;
}

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2));
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

bool IsValidPriority(int priority) {
  return (priority >= THREAD_PRIORITY_LOWEST && priority <= THREAD_PRIORITY_HIGHEST) ||
         priority == THREAD_PRIORITY_IDLE || priority == THREAD_PRIORITY_TIME_CRITICAL;
}

}  // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                    LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  bool suspended = (dwCreationFlags & CREATE_SUSPENDED) != 0;
  auto thread = std::make_shared<Thread>(lpStartAddress, lpParameter, suspended ? 1 : 0);
  if (lpThreadId) *lpThreadId = thread->id();
  HANDLE handle = compat::AddHandle(thread);
  bool start_now = false;
  if (!suspended) thread->ChangeSuspendCount(0, start_now);
  if (start_now && !thread->Launch()) {
    compat::RemoveHandle(handle);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return handle;
}

DWORD ResumeThread(HANDLE hThread) {
  auto thread = ThreadFromHandle(hThread);
  if (!thread) return static_cast<DWORD>(-1);
  bool start_now = false;
  DWORD previous = thread->ChangeSuspendCount(-1, start_now);
  if (previous == static_cast<DWORD>(-1)) return 0;  // running: nothing to resume
  if (start_now && !thread->Launch()) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return static_cast<DWORD>(-1);
  }
  return previous;
}

DWORD SuspendThread(HANDLE hThread) {
  auto thread = ThreadFromHandle(hThread);
  if (!thread) return static_cast<DWORD>(-1);
  bool start_now = false;
  DWORD previous = thread->ChangeSuspendCount(+1, start_now);
  if (previous == static_cast<DWORD>(-1)) SetLastError(ERROR_NOT_SUPPORTED);
  return previous;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  if (!lpExitCode) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (hThread == kCurrentThread) {
    *lpExitCode = STILL_ACTIVE;
    return TRUE;
  }
  auto thread = ThreadFromHandle(hThread);
  if (!thread) return FALSE;
  *lpExitCode = thread->ExitCode();
  return TRUE;
}

BOOL SetThreadPriority(HANDLE hThread, int nPriority) {
  if (!IsValidPriority(nPriority)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (hThread == kCurrentThread) {
    t_current_priority = nPriority;
    ApplyPriority(HostThreadId(), nPriority);
    return TRUE;
  }
  auto thread = ThreadFromHandle(hThread);
  if (!thread) return FALSE;
  thread->priority = nPriority;
  ApplyPriority(thread->hostId, nPriority);
  return TRUE;
}

int GetThreadPriority(HANDLE hThread) {
  if (hThread == kCurrentThread) return t_current_priority;
  auto thread = ThreadFromHandle(hThread);
  return thread ? thread->priority.load() : 0x7FFFFFFF;
}

DWORD GetCurrentThreadId() {
  if (t_thread_id == 0) t_thread_id = g_next_thread_id++;
  return t_thread_id;
}

HANDLE GetCurrentThread() { return kCurrentThread; }
HANDLE GetCurrentProcess() { return kCurrentProcess; }
DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

void ExitThread(DWORD dwExitCode) {
  if (t_started_by_create_thread) throw ThreadExit{dwExitCode};
  pthread_exit(nullptr);
}

void Sleep(DWORD dwMilliseconds) {
  if (dwMilliseconds == 0) {
    std::this_thread::yield();
  } else if (dwMilliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
  }
}
