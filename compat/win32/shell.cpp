// ShellExecuteW and HtmlHelpW: the target goes to xdg-open, started in the
// background so that the program neither waits for it nor leaves it unreaped.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <string>

#include "compat/host_path.h"
#include "compat/win32.h"
#include "compat/win32/shell.h"

extern char** environ;

namespace {

// True when the opener started and did not fail at once. A short-lived
// shell starts it in the background and waits a moment for its verdict: an
// opener that cannot serve the target (no handler, no desktop) says so within
// moments, and its status is the shell's; one still running then has handed
// the target on and is left to the system (the shell's end orphans it), so no
// thread of ours waits for it.
bool StartOpener(const std::string& target) {
  std::string shell = "/bin/sh";
  std::string option = "-c";
  // Each sleep's wait also reaps the opener once it ends (the sleep is named
  // by its path: the caller's PATH need not hold it), so the shell's
  // "kill -0" stops finding it and "wait" gives its status.
  std::string script =
      "command -v xdg-open >/dev/null 2>&1 || exit 127; xdg-open \"$1\" & p=$!; n=0; "
      "while [ $n -lt 15 ]; do /bin/sleep 0.1; kill -0 $p 2>/dev/null || { wait $p; exit $?; }; n=$((n+1)); done; exit 0";
  std::string name = "calvetta-opener";
  char* argv[] = {shell.data(), option.data(), script.data(), name.data(), const_cast<char*>(target.c_str()), nullptr};
  pid_t pid = 0;
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group: the opener outlives a Ctrl+C meant for the program.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  const int failed = posix_spawn(&pid, shell.c_str(), nullptr, &attributes, argv, environ);
  posix_spawnattr_destroy(&attributes);
  if (failed) return false;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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
