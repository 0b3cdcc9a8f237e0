// The message box seam: records each message and answers without a window.
#include "compat/win32/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "compat/host_path.h"

namespace {

struct MessageLog {
  std::mutex lock;
  int answer = 0;
  int count = 0;
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
};

MessageLog& Log() {
  static MessageLog* log = new MessageLog;
  return *log;
}

// What pressing Enter gives: the default button of the box's button set.
int DefaultAnswer(UINT type) {
  static const int kButtons[][3] = {
      {IDOK, IDOK, IDOK},           {IDOK, IDCANCEL, IDCANCEL}, {IDABORT, IDRETRY, IDIGNORE},
      {IDYES, IDNO, IDCANCEL},      {IDYES, IDNO, IDNO},        {IDRETRY, IDCANCEL, IDCANCEL},
  };
  UINT set = type & MB_TYPEMASK;
  if (set >= sizeof kButtons / sizeof kButtons[0]) set = 0;
  UINT button = (type & MB_DEFMASK) >> 8;
  return kButtons[set][button < 3 ? button : 0];
}

bool IsHeadless() {
  const char* host = getenv("CALVETTA_HOST");
  return (host && std::strcmp(host, "headless") == 0) || !getenv("DISPLAY");
}

}  // namespace

int MessageBoxW(HWND, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  ++log.count;
  log.text = lpText ? lpText : u"";
  log.caption = lpCaption ? lpCaption : u"Error";  // the platform's caption when none is given
  log.type = uType;
  // Nobody would see the message otherwise while a real display is up.
  if (!IsHeadless()) {
    std::fprintf(stderr, "[%s] %s\n", compat::Utf16ToUtf8(log.caption).c_str(),
                 compat::Utf16ToUtf8(log.text).c_str());
  }
  return log.answer ? log.answer : DefaultAnswer(uType);
}

BOOL MessageBeep(UINT) { return TRUE; }

namespace compat {

void SetMessageBoxAnswer(int answer) {
  std::lock_guard<std::mutex> guard(Log().lock);
  Log().answer = answer;
}

int MessageBoxCount() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().count;
}

std::u16string LastMessageBoxText() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().text;
}

std::u16string LastMessageBoxCaption() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().caption;
}

UINT LastMessageBoxType() {
  std::lock_guard<std::mutex> guard(Log().lock);
  return Log().type;
}

void ResetMessageBoxLog() {
  MessageLog& log = Log();
  std::lock_guard<std::mutex> guard(log.lock);
  log.answer = 0;
  log.count = 0;
  log.text.clear();
  log.caption.clear();
  log.type = 0;
}

}  // namespace compat
