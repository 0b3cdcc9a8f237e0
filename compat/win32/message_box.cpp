// The message box seam: records each message; a real box answers when real
// boxes are on (always with a display), else the box answers at once without
// a window: the preset answer, or its default button.
#include "compat/win32/message_box.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "compat/host_path.h"
#include "compat/win32/message_box_window.h"

namespace {

struct MessageLog {
  std::mutex lock;
  int answer = 0;
  int count = 0;
  std::u16string text;
  std::u16string caption;
  UINT type = 0;
  int realBoxes = -1;  // -1: as the host decides
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

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) {
  MessageLog& log = Log();
  std::u16string text = lpText ? lpText : u"";
  std::u16string caption = lpCaption ? lpCaption : u"Error";  // the platform's caption when none is given
  bool real;
  int preset;
  {
    std::lock_guard<std::mutex> guard(log.lock);
    ++log.count;
    log.text = text;
    log.caption = caption;
    log.type = uType;
    real = log.realBoxes < 0 ? !IsHeadless() : log.realBoxes != 0;
    preset = log.answer;
  }
  // The log outlives a box that cannot be made, so nothing goes unseen.
  std::fprintf(stderr, "[%s] %s\n", compat::Utf16ToUtf8(caption).c_str(), compat::Utf16ToUtf8(text).c_str());
  if (real) {
    if (int answer = compat::dialogs::ShowMessageBoxWindow(hWnd, text, caption, uType)) return answer;
  }
  return preset ? preset : DefaultAnswer(uType);
}

BOOL MessageBeep(UINT) { return TRUE; }

namespace compat {

void SetRealMessageBoxes(bool on) {
  std::lock_guard<std::mutex> guard(Log().lock);
  Log().realBoxes = on ? 1 : 0;
}

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
  log.realBoxes = -1;
}

}  // namespace compat
