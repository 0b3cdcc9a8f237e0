// Fuzz entry point: a project file opened as the editor's Open reads it (the
// record through the archive, effects re-created by id, pictures looked for,
// the renderer's surfaces sized and the current pair's mesh built and drawn),
// then saved. What was read and saved must open again and save to the same
// bytes: a file the program writes that it cannot read back is lost work.
#include <cstdlib>

#include "fuzz/fuzz_files.h"
#include "model/project/morph_project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CMorphProject* project = GetMorphProject();
  // The renderer as the editor has it, without a window to present to.
  static const bool renderer = (project->InitDirect3D(nullptr), true);
  (void)renderer;
  if (project->LoadProjectFile(PutFuzzFile("in.pvk", data, size))) {
    if (!project->SaveProjectFile(FuzzPath("saved.pvk"))) std::abort();
    if (!project->LoadProjectFile(FuzzPath("saved.pvk"))) std::abort();
    if (!project->SaveProjectFile(FuzzPath("again.pvk"))) std::abort();
    if (ReadFuzzFile("saved.pvk") != ReadFuzzFile("again.pvk")) std::abort();
  }
  project->ResetProject();
  return 0;
}
