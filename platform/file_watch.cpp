// The file watcher. Folders are watched in groups of at most
// kFoldersPerWait change handles; each group has a worker thread that waits
// on its wake event and its handles, so any number of folders can be
// watched. One lock guards the tables; the workers wait outside it.
#include "platform/file_watch.h"

#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

namespace {

// One wait takes the wake event and this many folder handles.
constexpr size_t kFoldersPerWait = MAXIMUM_WAIT_OBJECTS - 1;
constexpr DWORD kChangeFilter = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE;

struct CFileWatchRecord {
  CString path;
  CString folder;
  ULONGLONG time = 0;  // last write; 0 for a folder path
  HWND window = nullptr;
  DWORD parameter = 0;
};

// The worker of folders [index * kFoldersPerWait, (index + 1) * kFoldersPerWait).
struct WatchGroup {
  size_t index = 0;
  HANDLE wake = nullptr;  // manual reset: the group's folder list changed, or stop
  CWinThread* thread = nullptr;
};

struct WatchState {
  CCriticalSection lock;
  std::map<DWORD, CFileWatchRecord> records;
  std::vector<CString> paths;
  std::vector<CString> folders;
  std::vector<HANDLE> handles;  // handles[i] watches folders[i]; never invalid
  std::vector<std::unique_ptr<WatchGroup>> groups;
  bool stop = false;
  bool stopAtExit = false;  // the workers are stopped at exit, before the state is destroyed
  DWORD nextId = 1;  // ids are never reused, also across stops
};

WatchState& State() {
  static WatchState state;
  return state;
}

bool EndsWithBackslash(const CString& path) { return !path.IsEmpty() && path[path.GetLength() - 1] == u'\\'; }

BOOL ReadWriteTime(const CString& path, ULONGLONG* time) {
  HANDLE file = ::CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return FALSE;
  BY_HANDLE_FILE_INFORMATION info{};
  const BOOL read = ::GetFileInformationByHandle(file, &info);
  ::CloseHandle(file);
  if (!read) return FALSE;
  *time = (static_cast<ULONGLONG>(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime;
  return TRUE;
}

CString FolderOf(const CString& path) {
  char16_t drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {};
  ::_wsplitpath(path, drive, dir, nullptr, nullptr);
  return CString(drive) + CString(dir);
}

int FindIn(const std::vector<CString>& list, const CString& text) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i] == text) return static_cast<int>(i);  // exact: the file system tells case apart
  return -1;
}

// Under the lock: tells the windows whose file in folder `index` changed.
void ReportFolder(WatchState& state, size_t index) {
  const UINT message = GetFileWatchMessage();
  for (auto& [id, record] : state.records) {
    if (record.folder != state.folders[index]) continue;
    if (EndsWithBackslash(record.path)) {
      ::PostMessageW(record.window, message, record.parameter, 0);
      continue;
    }
    ULONGLONG time = 0;
    if (!ReadWriteTime(record.path, &time) || time == record.time) continue;
    record.time = time;
    ::PostMessageW(record.window, message, record.parameter, 0);
  }
}

// Under the lock: the group's wait list, its wake event first.
std::vector<HANDLE> WaitList(const WatchState& state, const WatchGroup& group) {
  std::vector<HANDLE> list{group.wake};
  const size_t first = group.index * kFoldersPerWait;
  for (size_t i = first; i < state.handles.size() && i < first + kFoldersPerWait; ++i) list.push_back(state.handles[i]);
  return list;
}

UINT FileWatchThreadProc(LPVOID param) {
  WatchState& state = State();
  auto* group = static_cast<WatchGroup*>(param);
  std::vector<HANDLE> list{group->wake};
  for (;;) {
    const DWORD result = ::WaitForMultipleObjects(static_cast<DWORD>(list.size()), list.data(), FALSE, INFINITE);
    CSingleLock guard(&state.lock, TRUE);
    if (state.stop) return 0;
    if (result == WAIT_OBJECT_0) {
      ::ResetEvent(group->wake);
      list = WaitList(state, *group);
    } else if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + list.size()) {
      const size_t folder = group->index * kFoldersPerWait + (result - WAIT_OBJECT_0 - 1);
      ReportFolder(state, folder);
      ::FindNextChangeNotification(state.handles[folder]);
    } else {
      // Every handle in the list is valid, so a failed wait cannot repeat
      // quickly; ending here keeps even that case from spinning.
      return 1;
    }
  }
}

// Under the lock.
void StartGroup(WatchGroup& group) {
  if (group.thread) return;
  ::SetEvent(group.wake);
  CWinThread* thread = AfxBeginThread(FileWatchThreadProc, &group, THREAD_PRIORITY_LOWEST, 0, CREATE_SUSPENDED);
  if (!thread) return;
  // Kept after its end, so that the stop can wait on it.
  thread->m_bAutoDelete = FALSE;
  thread->ResumeThread();
  group.thread = thread;
  WatchState& state = State();
  if (!state.stopAtExit) state.stopAtExit = std::atexit(StopFileWatch) == 0;
}

// Under the lock: the group that waits on folder `index`, made when new.
WatchGroup& GroupOf(WatchState& state, size_t index) {
  const size_t wanted = index / kFoldersPerWait;
  while (state.groups.size() <= wanted) {
    auto group = std::make_unique<WatchGroup>();
    group->index = state.groups.size();
    group->wake = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    state.groups.push_back(std::move(group));
  }
  return *state.groups[wanted];
}

}  // namespace

UINT GetFileWatchMessage() {
  static const UINT message = ::RegisterWindowMessageW(u"FileWatchNotify");
  return message;
}

DWORD AddFileWatch(LPCTSTR path, HWND window, DWORD parameter) {
  if (!path || !*path) return 0;
  WatchState& state = State();
  CSingleLock guard(&state.lock, TRUE);
  const CString file(path);
  if (FindIn(state.paths, file) >= 0) return 0;
  CFileWatchRecord record{file, FolderOf(file), 0, window, parameter};
  if (!EndsWithBackslash(file) && !ReadWriteTime(file, &record.time)) return 0;
  int folder = FindIn(state.folders, record.folder);
  if (folder < 0) {
    // A folder that cannot be watched is not kept: its handle would end every wait at once.
    HANDLE handle = ::FindFirstChangeNotificationW(record.folder, FALSE, kChangeFilter);
    if (handle == INVALID_HANDLE_VALUE || !handle) return 0;
    state.folders.push_back(record.folder);
    state.handles.push_back(handle);
    folder = static_cast<int>(state.folders.size()) - 1;
    ::SetEvent(GroupOf(state, static_cast<size_t>(folder)).wake);
  }
  GetFileWatchMessage();
  const DWORD id = state.nextId++;
  state.records.emplace(id, std::move(record));
  state.paths.push_back(file);
  StartFileWatch();
  return id;
}

void StartFileWatch() {
  WatchState& state = State();
  CSingleLock guard(&state.lock, TRUE);
  for (auto& group : state.groups) StartGroup(*group);
}

void StopFileWatch() {
  WatchState& state = State();
  std::vector<CWinThread*> threads;
  {
    CSingleLock guard(&state.lock, TRUE);
    state.stop = true;
    for (auto& group : state.groups) {
      ::SetEvent(group->wake);
      if (group->thread) threads.push_back(group->thread);
    }
  }
  // Outside the lock: a worker takes it once more to see the stop.
  for (CWinThread* thread : threads) {
    ::WaitForSingleObject(thread->m_hThread, INFINITE);
    delete thread;
  }
  CSingleLock guard(&state.lock, TRUE);
  for (HANDLE handle : state.handles) ::FindCloseChangeNotification(handle);
  for (auto& group : state.groups) ::CloseHandle(group->wake);
  state.groups.clear();
  state.handles.clear();
  state.folders.clear();
  state.paths.clear();
  state.records.clear();
  state.stop = false;
}
