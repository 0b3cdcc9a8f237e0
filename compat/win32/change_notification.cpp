// Folder change notifications on inotify: one inotify instance per handle,
// and one process-wide thread that polls them all and signals the handles.
// The thread ends at exit.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/kernel.h"
#include "compat/win32/kernel_objects.h"

namespace {

constexpr DWORD kKnownFilters = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                                FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                                FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_LAST_ACCESS |
                                FILE_NOTIFY_CHANGE_CREATION | FILE_NOTIFY_CHANGE_SECURITY;
constexpr uint32_t kNameEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

class ChangeNotification : public compat::Waitable {
 public:
  ChangeNotification(int descriptor, DWORD filter) : descriptor_(descriptor), filter_(filter) {}
  ~ChangeNotification() override { close(descriptor_); }
  int descriptor() const { return descriptor_; }

  // The handle stays signalled for every wait until FindNextChangeNotification.
  bool IsSignalled(compat::WaitTicket) const override { return signalled_; }
  void Consume(compat::WaitTicket) override { unseen_changes_ = false; }

  // Called on the poll thread: reads what inotify has and signals on a match.
  void Drain() {
    alignas(inotify_event) char buffer[8192];
    bool matched = false;
    for (;;) {
      ssize_t n = read(descriptor_, buffer, sizeof buffer);
      if (n <= 0) break;
      for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
        matched = matched || Matches(event->mask);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      }
    }
    if (!matched) return;
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    signalled_ = true;
    unseen_changes_ = true;
    compat::WakeWaiters();
  }

  // Changes that came after the last satisfied wait keep the handle signalled.
  void Rearm() {
    std::lock_guard<std::mutex> guard(compat::WaitLock());
    signalled_ = unseen_changes_;
  }

 private:
  bool Matches(uint32_t mask) const {
    if (mask & (IN_Q_OVERFLOW | IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) return true;  // lost track: say so
    bool folder = (mask & IN_ISDIR) != 0;
    if ((mask & kNameEvents) && (filter_ & (folder ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME))) {
      return true;
    }
    if ((mask & (IN_MODIFY | IN_CLOSE_WRITE)) &&
        (filter_ & (FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE))) {
      return true;
    }
    if ((mask & IN_ATTRIB) && (filter_ & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY))) return true;
    return (mask & IN_ACCESS) && (filter_ & FILE_NOTIFY_CHANGE_LAST_ACCESS);
  }

  const int descriptor_;
  const DWORD filter_;
  bool signalled_ = false;       // guarded by WaitLock()
  bool unseen_changes_ = false;  // guarded by WaitLock()
};

uint32_t WatchMask(DWORD filter) {
  uint32_t mask = IN_DELETE_SELF | IN_MOVE_SELF;
  if (filter & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME)) mask |= kNameEvents;
  if (filter & (FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE)) mask |= IN_MODIFY | IN_CLOSE_WRITE;
  if (filter & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) mask |= IN_ATTRIB;
  if (filter & FILE_NOTIFY_CHANGE_LAST_ACCESS) mask |= IN_ACCESS;
  if (filter & FILE_NOTIFY_CHANGE_CREATION) mask |= IN_CREATE;
  return mask;
}

// The poll thread and the notifications it watches. Entries are weak: a
// closed handle drops out at the next turn, when its descriptor is closed.
// The thread starts with the first watch and is stopped and joined at exit,
// before the program's static objects are destroyed; watches asked for after
// that fail.
class Poller {
 public:
  Poller() : wake_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

  bool Add(const std::shared_ptr<ChangeNotification>& notification) {
    std::lock_guard<std::mutex> guard(lock_);
    if (wake_ < 0 || stopped_) return false;
    watched_.push_back(notification);
    if (!thread_) {
      try {
        thread_ = std::make_unique<std::thread>([this] { Run(); });
      } catch (const std::system_error&) {
        watched_.pop_back();
        return false;
      }
      owner_ = getpid();
      if (!stop_registered_) stop_registered_ = std::atexit(StopAtExit) == 0;
    }
    Wake();
    return true;
  }

  void Wake() {
    uint64_t one = 1;
    ssize_t ignored = write(wake_, &one, sizeof one);
    (void)ignored;
  }

  // Ends the thread and waits for its end.
  void Stop() {
    std::unique_ptr<std::thread> thread;
    pid_t owner = 0;
    {
      std::lock_guard<std::mutex> guard(lock_);
      stopped_ = true;
      thread.swap(thread_);
      owner = owner_;
    }
    if (!thread) return;
    Wake();
    // A forked child has the object but not the thread: nothing to wait for.
    if (owner != getpid() || thread->get_id() == std::this_thread::get_id()) {
      static_cast<void>(thread.release());
      return;
    }
    thread->join();
  }

 private:
  static void StopAtExit();

  // The live notifications, or false once the poller is stopped.
  bool Snapshot(std::vector<std::shared_ptr<ChangeNotification>>& live) {
    std::lock_guard<std::mutex> guard(lock_);
    if (stopped_) return false;
    std::vector<std::weak_ptr<ChangeNotification>> kept;
    for (auto& weak : watched_) {
      if (auto notification = weak.lock()) {
        live.push_back(notification);
        kept.push_back(weak);
      }
    }
    watched_ = std::move(kept);
    return true;
  }

  void Run() {
    for (;;) {
      std::vector<std::shared_ptr<ChangeNotification>> live;
      if (!Snapshot(live)) return;
      std::vector<pollfd> fds(1, pollfd{wake_, POLLIN, 0});
      for (const auto& notification : live) fds.push_back(pollfd{notification->descriptor(), POLLIN, 0});
      if (poll(fds.data(), fds.size(), -1) < 0) continue;
      if (fds[0].revents) {
        uint64_t count;
        ssize_t ignored = read(wake_, &count, sizeof count);
        (void)ignored;
      }
      for (size_t i = 1; i < fds.size(); ++i) {
        if (fds[i].revents) live[i - 1]->Drain();
      }
    }
  }

  std::mutex lock_;
  std::vector<std::weak_ptr<ChangeNotification>> watched_;
  const int wake_;
  std::unique_ptr<std::thread> thread_;  // guarded by lock_
  pid_t owner_ = 0;                      // the process that started the thread
  bool stopped_ = false;                 // guarded by lock_
  bool stop_registered_ = false;         // guarded by lock_
};

Poller& ThePoller() {
  // Never destroyed: handles may be closed by threads that outlive static destruction.
  static Poller* poller = new Poller;
  return *poller;
}

void Poller::StopAtExit() { ThePoller().Stop(); }

HANDLE FailHandle(DWORD error) {
  SetLastError(error);
  return INVALID_HANDLE_VALUE;
}

}  // namespace

HANDLE FindFirstChangeNotificationW(LPCWSTR lpPathName, BOOL, DWORD dwNotifyFilter) {
  if (!lpPathName || !*lpPathName || dwNotifyFilter == 0 || (dwNotifyFilter & ~kKnownFilters)) {
    return FailHandle(ERROR_INVALID_PARAMETER);
  }
  std::string host = compat::ToHostPath(lpPathName);
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return FailHandle(errno == ENOENT ? ERROR_PATH_NOT_FOUND : compat::ErrorFromErrno(errno));
  if (!S_ISDIR(info.st_mode)) return FailHandle(ERROR_DIRECTORY);
  int descriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (descriptor < 0) return FailHandle(ERROR_TOO_MANY_OPEN_FILES);
  if (inotify_add_watch(descriptor, host.c_str(), WatchMask(dwNotifyFilter) | IN_ONLYDIR) < 0) {
    DWORD error = compat::ErrorFromErrno(errno);
    close(descriptor);
    return FailHandle(error);
  }
  auto notification = std::make_shared<ChangeNotification>(descriptor, dwNotifyFilter);
  if (!ThePoller().Add(notification)) return FailHandle(ERROR_NOT_ENOUGH_MEMORY);
  return compat::AddHandle(std::move(notification));
}

BOOL FindNextChangeNotification(HANDLE hChangeHandle) {
  auto notification = compat::LookUpHandleAs<ChangeNotification>(hChangeHandle);
  if (!notification) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  notification->Rearm();
  return TRUE;
}

BOOL FindCloseChangeNotification(HANDLE hChangeHandle) {
  if (!compat::LookUpHandleAs<ChangeNotification>(hChangeHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  compat::RemoveHandle(hChangeHandle);
  ThePoller().Wake();  // so that the poll thread lets go of it now
  return TRUE;
}
