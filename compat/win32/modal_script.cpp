// Test support: steps a scripted test queues to act inside modal loops. A
// step runs when a modal loop is idle and its window (by caption or template
// id) is up; steps run in the order they were added, each once.
#include <deque>
#include <mutex>

#include "compat/win32.h"

namespace compat {
namespace {

enum class Trigger { Idle, Caption, Template };

struct Step {
  unsigned long long serial = 0;
  Trigger trigger = Trigger::Idle;
  std::u16string caption;
  WORD templateId = 0;
  std::function<void()> onIdle;
  std::function<void(HWND)> onWindow;
};

struct Script {
  std::mutex lock;
  std::deque<Step> steps;
  unsigned long long nextSerial = 1;
};

Script& TheScript() {
  static Script* script = new Script;
  return *script;
}

struct Search {
  const Step* step;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
  auto* search = reinterpret_cast<Search*>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  if (search->step->trigger == Trigger::Template) {
    if (DialogTemplateId(hwnd) != search->step->templateId) return TRUE;
  } else {
    WCHAR text[256];
    GetWindowTextW(hwnd, text, 256);
    if (search->step->caption != text) return TRUE;
  }
  search->found = hwnd;
  return FALSE;
}

// The step's window, when it is up on this thread.
HWND StepWindow(const Step& step) {
  Search search{&step, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), MatchWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void AddStep(Step entry) {
  Script& s = TheScript();
  std::lock_guard<std::mutex> guard(s.lock);
  entry.serial = s.nextSerial++;
  s.steps.push_back(std::move(entry));
}

}  // namespace

void AddModalStep(std::function<void()> step) {
  Step entry;
  entry.onIdle = std::move(step);
  AddStep(std::move(entry));
}

void AddModalStepOnCaption(const std::u16string& caption, std::function<void(HWND)> step) {
  Step entry;
  entry.trigger = Trigger::Caption;
  entry.caption = caption;
  entry.onWindow = std::move(step);
  AddStep(std::move(entry));
}

void AddModalStepOnTemplate(WORD templateId, std::function<void(HWND)> step) {
  Step entry;
  entry.trigger = Trigger::Template;
  entry.templateId = templateId;
  entry.onWindow = std::move(step);
  AddStep(std::move(entry));
}

void ClearModalSteps() {
  Script& s = TheScript();
  std::lock_guard<std::mutex> guard(s.lock);
  s.steps.clear();
}

int PendingModalSteps() {
  Script& s = TheScript();
  std::lock_guard<std::mutex> guard(s.lock);
  return static_cast<int>(s.steps.size());
}

bool RunModalStep() {
  Script& s = TheScript();
  Step step;
  {
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.steps.empty()) return false;
    step = s.steps.front();
  }
  HWND window = nullptr;
  if (step.trigger != Trigger::Idle) {
    window = StepWindow(step);
    if (!window) return false;
  }
  {
    // Another thread's loop may have taken it meanwhile.
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.steps.empty() || s.steps.front().serial != step.serial) return false;
    s.steps.pop_front();
  }
  if (step.onIdle) step.onIdle();
  if (step.onWindow) step.onWindow(window);
  return true;
}

}  // namespace compat
