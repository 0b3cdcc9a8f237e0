// The headless host: the desktop exists only as memory; input comes from injection.
#include "compat/host/driver.h"

#include <mutex>

namespace compat::host {
namespace {

class HeadlessDriver final : public Driver {
 public:
  const char* Name() const override { return "headless"; }
  bool CreateDesktop(int, int) override { return true; }
  void PresentRect(const Surface&, const RECT&) override {}
  void SetCursor(const CursorImage&) override {}

  // No other program to share it with: the clipboard lives in the process.
  void SetClipboardText(std::optional<std::string> utf8) override {
    std::lock_guard<std::mutex> guard(clipboardLock_);
    clipboard_ = std::move(utf8);
  }
  bool GetClipboardText(std::string* utf8) override {
    std::lock_guard<std::mutex> guard(clipboardLock_);
    if (!clipboard_) return false;
    *utf8 = *clipboard_;
    return true;
  }

 private:
  std::mutex clipboardLock_;
  std::optional<std::string> clipboard_;
};

}  // namespace

void Driver::DefaultSize(int* width, int* height) const {
  *width = kDefaultDesktopWidth;
  *height = kDefaultDesktopHeight;
}

std::unique_ptr<Driver> MakeHeadlessDriver() { return std::make_unique<HeadlessDriver>(); }

}  // namespace compat::host
