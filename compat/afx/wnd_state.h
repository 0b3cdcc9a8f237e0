// Per-thread state of the framework's window core.
#pragma once

#include <functional>

#include "compat/afx/wnd.h"

namespace compat::afx {

struct WndThreadState {
  MSG lastSent{};               // the message Default() passes on
  CWnd* creating = nullptr;     // the CWnd whose window CreateEx is making
  HHOOK creationHook = nullptr;
  CWinThread* thread = nullptr; // the CWinThread running on this thread
  HWND lockoutNotify = nullptr; // the window whose UpdateData runs: its controls' notifications wait
};

WndThreadState& ThreadState();

// Runs `create` with `wnd` attached to the first window it makes, before that
// window's first message; the window made, or null.
HWND CreateAttached(CWnd* wnd, const std::function<HWND()>& create);

}  // namespace compat::afx
