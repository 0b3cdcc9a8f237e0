// The calvetta program: refuses to start where nobody could see it, then runs
// the application object.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/pentavo_app.h"
#include "compat/host.h"
#include "compat/host_path.h"

namespace {

bool HeadlessAsked() {
  const char* host = std::getenv("CALVETTA_HOST");
  return host && std::strcmp(host, "headless") == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!HeadlessAsked()) {
    std::string reason;
    if (!compat::host::OpenDisplay(&reason)) {
      std::fprintf(stderr,
                   "calvetta: %s; the editor needs a display (set DISPLAY, or CALVETTA_HOST=headless for a "
                   "scripted run)\n",
                   reason.c_str());
      return 1;
    }
  }
  std::vector<std::u16string> arguments;
  for (int i = 0; i < argc; ++i) arguments.push_back(compat::Utf8ToUtf16(argv[i]));
  compat::afx::SetCommandLine(std::move(arguments));
  static CPentavoApp app;
  return RunPentavoApp(app);
}
