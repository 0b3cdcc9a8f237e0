// Fuzz entry point: the editor, started headless once, opens each input as
// File Open does and runs its message loop until it is idle, so the panes,
// the pair list and the timing curve control paint what was read.
#include <cstdlib>

#include "app/pentavo_app.h"
#include "app/pentavo_doc.h"
#include "fuzz/fuzz_files.h"
#include "platform/settings_store.h"

namespace {

CPentavoApp* StartEditor() {
  setenv("CALVETTA_HOST", "headless", 1);
  setenv("CALVETTA_REGISTRY", (FuzzFolder() + "/registry").c_str(), 1);
  // No Load Sample dialog at the start.
  const int32_t showNextTime = 1;
  SaveSetting(u"ShowNextTime", reinterpret_cast<const BYTE*>(&showNextTime), sizeof showNextTime);
  compat::afx::SetCommandLine({u"calvetta"});
  auto* app = new CPentavoApp;
  if (!app->InitInstance()) std::abort();
  return app;
}

void RunUntilIdle(CPentavoApp* app) {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message != WM_QUIT)
    if (!app->PumpMessage()) break;
  for (LONG count = 0; count < 10 && app->OnIdle(count); ++count) {
  }
}

CPentavoApp* app = nullptr;

}  // namespace

// Fontconfig keeps its configuration and match caches behind encoded
// offsets the leak check cannot follow (they are freed at exit).
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

// Started and painted once, before the inputs.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  app = StartEditor();
  RunUntilIdle(app);
  // The editor lives until the process ends, as the program's does; the
  // static destructors would tear its windows down after the window
  // manager, and the leak check at exit would take what they keep for
  // leaks. Each input's leaks are checked while the run goes on.
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(FuzzFolder(), ignored);
    std::_Exit(0);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Nothing to save: the next open must not ask.
  if (CDocument* document = GetMainDocument()) document->SetModifiedFlag(FALSE);
  app->OpenDocumentFile(PutFuzzFile("in.pvk", data, size));
  RunUntilIdle(app);
  return 0;
}
