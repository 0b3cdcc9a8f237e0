// Per-thread state of the framework's window core.
#pragma once

#include <functional>

#include "compat/afx/wnd.h"

namespace compat::afx {

struct WndThreadState : _AFX_THREAD_STATE {
  CWnd* creating = nullptr;     // the CWnd whose window CreateEx is making
  HHOOK creationHook = nullptr;
  CWinThread* thread = nullptr; // the CWinThread running on this thread
  HWND lockoutNotify = nullptr; // the window whose UpdateData runs: its controls' notifications wait
  HHOOK msgFilter = nullptr;    // the WH_MSGFILTER hook that walks PreTranslateMessage in others' modal loops
  HWND ownModalLoop = nullptr;  // the window whose RunModalLoop is passing a message through the filters
};

WndThreadState& ThreadState();

// Puts the framework's message filter on this thread's hooks (again, after a
// desktop reset dropped it).
void InstallMessageFilter();

// Runs `create` with `wnd` attached to the first window it makes, before that
// window's first message; the window made, or null.
HWND CreateAttached(CWnd* wnd, const std::function<HWND()>& create);

}  // namespace compat::afx
