// The headless host: the desktop exists only as memory; input comes from injection.
#include "compat/host/driver.h"

namespace compat::host {
namespace {

class HeadlessDriver final : public Driver {
 public:
  const char* Name() const override { return "headless"; }
  bool CreateDesktop(int, int) override { return true; }
  void PresentRect(const Surface&, const RECT&) override {}
  void SetCursor(const CursorImage&) override {}
};

}  // namespace

void Driver::DefaultSize(int* width, int* height) const {
  *width = kDefaultDesktopWidth;
  *height = kDefaultDesktopHeight;
}

std::unique_ptr<Driver> MakeHeadlessDriver() { return std::make_unique<HeadlessDriver>(); }

}  // namespace compat::host
