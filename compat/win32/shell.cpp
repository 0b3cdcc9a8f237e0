// ShellExecuteW and HtmlHelpW: the target goes to xdg-open, started detached;
// a thread of its own reaps it so that no finished opener lingers.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "compat/host_path.h"
#include "compat/win32.h"
#include "compat/win32/shell.h"

extern char** environ;

namespace {

constexpr int kOpenerVerdictMs = 1500;
constexpr int kOpenerPollMs = 10;

// True when the opener started.
bool StartOpener(const std::string& target) {
  std::string program = "xdg-open";
  char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group: the opener outlives a Ctrl+C meant for the program.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int failed = posix_spawnp(&pid, program.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (failed) return false;
  // An opener that cannot serve the target (no handler, no desktop) says so
  // within moments; one still running after the wait has handed the target
  // on, and is reaped in the background.
  for (int waited = 0; waited < kOpenerVerdictMs; waited += kOpenerPollMs) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (done < 0) return true;
    usleep(kOpenerPollMs * 1000);
  }
  std::thread([pid] {
    int status = 0;
    waitpid(pid, &status, 0);
  }).detach();
  return true;
}

// "http://...", "mailto:..." stay as they are; "C:\a" is a path, not a scheme.
bool IsLink(const std::u16string& target) {
  const size_t colon = target.find(u':');
  if (colon == std::u16string::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = target[i];
    const bool schemeChar = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
                            c == u'+' || c == u'-' || c == u'.';
    if (!schemeChar) return false;
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat st{};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, INT) {
  const auto answer = [](intptr_t value) { return reinterpret_cast<HINSTANCE>(value); };
  if (!lpFile || !*lpFile) return answer(SE_ERR_FNF);
  if (lpOperation && std::u16string(lpOperation) != u"open") return answer(SE_ERR_NOASSOC);
  const std::u16string target = lpFile;
  const std::string host = IsLink(target) ? compat::Utf16ToUtf8(target) : compat::ToHostPath(target);
  return answer(StartOpener(host) ? 42 : SE_ERR_NOASSOC);
}

HWND HtmlHelpW(HWND hwndCaller, LPCWSTR pszFile, UINT uCommand, DWORD_PTR) {
  if (uCommand != HH_DISPLAY_TOPIC && uCommand != HH_DISPLAY_TOC) return nullptr;
  if (!pszFile || !*pszFile) return nullptr;
  std::u16string file = pszFile;
  // "X.chm::/topic.htm" names a topic inside the book: the book's page serves.
  if (const size_t topic = file.find(u"::"); topic != std::u16string::npos) file.resize(topic);
  const std::string path = compat::ToHostPath(file);
  std::string page = path;
  const size_t dot = path.find_last_of('.');
  const size_t slash = path.find_last_of('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) {
    const std::string index = path.substr(0, dot) + "/index.html";
    if (Exists(index)) page = index;
  }
  if (!StartOpener(page)) return nullptr;
  return hwndCaller ? hwndCaller : GetDesktopWindow();
}
