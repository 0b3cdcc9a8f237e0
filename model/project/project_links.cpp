// The registered renderer, editor and pane links.
#include "model/project/project_links.h"

#include <cstdlib>

#include "model/project/pane_link.h"

namespace {
CRendererLink* g_renderer = nullptr;
CEditorLink* g_editor = nullptr;
CPaneLink* g_pane = nullptr;
}  // namespace

void SetRendererLink(CRendererLink* link) { g_renderer = link; }
CRendererLink* GetRendererLink() { return g_renderer; }
void SetEditorLink(CEditorLink* link) { g_editor = link; }
CEditorLink* GetEditorLink() { return g_editor; }
void SetPaneLink(CPaneLink* link) { g_pane = link; }
CPaneLink* GetPaneLink() { return g_pane; }

void EndAfterDirect3DFailure() {
  if (g_editor != nullptr) g_editor->ShowMessage(u"Init Direct 3D Error!");
  std::exit(kDirect3DFailureExitCode);
}
