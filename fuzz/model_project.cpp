// Fuzz entry point: a project file opened as the editor's Open reads it (the
// record through the archive, effects re-created by id, pictures looked for),
// then saved. What was read and saved must open again and save to the same
// bytes: a file the program writes that it cannot read back is lost work.
#include <cstdlib>

#include "fuzz/fuzz_files.h"
#include "model/project/morph_project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 20) return 0;
  CMorphProject* project = GetMorphProject();
  if (project->LoadProjectFile(PutFuzzFile("in.pvk", data, size))) {
    if (!project->SaveProjectFile(FuzzPath("saved.pvk"))) std::abort();
    if (!project->LoadProjectFile(FuzzPath("saved.pvk"))) std::abort();
    if (!project->SaveProjectFile(FuzzPath("again.pvk"))) std::abort();
    if (ReadFuzzFile("saved.pvk") != ReadFuzzFile("again.pvk")) std::abort();
  }
  project->ResetProject();
  return 0;
}
