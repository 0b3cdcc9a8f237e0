// Whole-file reads and atomic whole-file replacement.
#include "compat/win32/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <set>

namespace compat {
namespace {

bool MakeFolders(const std::string& folder) {
  if (folder.empty()) return true;
  struct stat info;
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  size_t slash = folder.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(folder.substr(0, slash))) return false;
  return mkdir(folder.c_str(), 0777) == 0 || errno == EEXIST;
}

bool WriteAll(int descriptor, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(descriptor, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// The files written with a deferred flush and not yet synced.
struct Deferred {
  std::mutex lock;
  std::set<std::string> paths;
  bool syncAtExit = false;
};

Deferred& TheDeferred() {
  static Deferred* deferred = new Deferred;  // written to until the last static destructor
  return *deferred;
}

void Defer(const std::string& path) {
  Deferred& deferred = TheDeferred();
  std::lock_guard<std::mutex> guard(deferred.lock);
  deferred.paths.insert(path);
  if (!deferred.syncAtExit) deferred.syncAtExit = std::atexit(SyncDeferredFiles) == 0;
}

}  // namespace

void SyncDeferredFiles() {
  std::set<std::string> paths;
  {
    Deferred& deferred = TheDeferred();
    std::lock_guard<std::mutex> guard(deferred.lock);
    paths.swap(deferred.paths);
  }
  for (const std::string& path : paths) {
    const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) continue;
    fsync(descriptor);
    close(descriptor);
  }
}

bool WriteFileAtomically(const std::string& path, const std::string& bytes, Flush flush) {
  static std::atomic<unsigned> counter{0};
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
  if (!MakeFolders(folder)) return false;
  std::string temporary = path + ".tmp." + std::to_string(getpid()) + "." + std::to_string(counter++);
  int descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (descriptor < 0) return false;
  // Keep the permissions of the file being replaced (a private store stays private).
  struct stat old_info;
  if (stat(path.c_str(), &old_info) == 0) fchmod(descriptor, old_info.st_mode & 07777);
  bool written = WriteAll(descriptor, bytes) && (flush == Flush::kDeferred || fsync(descriptor) == 0);
  written = close(descriptor) == 0 && written;
  if (!written || rename(temporary.c_str(), path.c_str()) != 0) {
    unlink(temporary.c_str());
    return false;
  }
  if (flush == Flush::kDeferred) Defer(path);
  return true;
}

bool ReadWholeFile(const std::string& path, size_t max_bytes, std::string& bytes) {
  int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return false;
  bytes.clear();
  char chunk[65536];
  bool ok = true;
  for (;;) {
    ssize_t n = read(descriptor, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || bytes.size() + static_cast<size_t>(n) > max_bytes) ok = false;
    if (n <= 0 || !ok) break;
    bytes.append(chunk, static_cast<size_t>(n));
  }
  close(descriptor);
  return ok;
}

}  // namespace compat
