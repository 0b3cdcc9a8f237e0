// Per-thread state of the framework's window core.
#pragma once

#include "compat/afx/wnd.h"

namespace compat::afx {

struct WndThreadState {
  MSG lastSent{};               // the message Default() passes on
  CWnd* creating = nullptr;     // the CWnd whose window CreateEx is making
  HHOOK creationHook = nullptr;
  CWinThread* thread = nullptr; // the CWinThread running on this thread
};

WndThreadState& ThreadState();

}  // namespace compat::afx
