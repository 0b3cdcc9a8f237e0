// The renderer's side of the model's renderer link, and the renderer's end:
// the start-up is CMorphProject::InitDirect3D.
#pragma once

class CMorphProject;

// Releases every texture the project's pairs hold, unregisters the
// renderer and destroys it. Tests start the renderer with
// GetMorphProject()->InitDirect3D(nullptr) (no window: nothing is shown)
// and end it here.
void ShutdownDirect3D();
