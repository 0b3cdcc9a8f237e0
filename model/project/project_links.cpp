// The registered renderer and editor links.
#include "model/project/project_links.h"

#include <cstdlib>

namespace {
CRendererLink* g_renderer = nullptr;
CEditorLink* g_editor = nullptr;
}  // namespace

void SetRendererLink(CRendererLink* link) { g_renderer = link; }
CRendererLink* GetRendererLink() { return g_renderer; }
void SetEditorLink(CEditorLink* link) { g_editor = link; }
CEditorLink* GetEditorLink() { return g_editor; }

void EndAfterDirect3DFailure() {
  if (g_editor != nullptr) g_editor->ShowMessage(u"Init Direct 3D Error!");
  std::exit(kDirect3DFailureExitCode);
}
