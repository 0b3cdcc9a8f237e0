// Where the software Direct3D device meets the rest of the platform layer:
// the window layer receives presented frames here, and the worker count of
// the rasteriser can be set (tests and benchmarks compare 1 and many).
#pragma once

#include <cstdint>

#include "compat/win32/types.h"

namespace compat {

// Receives `Present`: the back buffer's pixels (BGRA words, `pitchPixels` apart),
// the source rectangle inside it, and where in the window's client area it goes.
using D3DPresentTarget = void (*)(HWND window, const RECT& dest, const uint32_t* bgra, int pitchPixels,
                                  const RECT& source);
void SetD3DPresentTarget(D3DPresentTarget target);

// Size reported by IDirect3D9::GetAdapterDisplayMode (the desktop's size).
void SetD3DDisplaySize(UINT width, UINT height);

// Threads that rasterise; 0 = one per core (or CALVETTA_D3D_WORKERS when set).
void SetD3DWorkerCount(int count);
int GetD3DWorkerCount();

// Runs job(context, i) for every i in [0, jobs) on those threads, the caller's
// included, in any order; returns when all are done. For large plain work
// around a frame (reading one back) that would otherwise leave them idle.
void RunD3DJobs(int jobs, void (*job)(void* context, int index), void* context);

}  // namespace compat
