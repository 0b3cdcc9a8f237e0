// Parent, child and owner relations, z-order lists, enumeration and search.
#include <algorithm>

#include "compat/win32/user_state.h"

namespace compat::user {

bool IsTopLevel(const Window* w) { return w && w->parent == State().desktop; }

HWND TopLevelOf(HWND hwnd) {
  Window* w = Find(hwnd);
  while (w && w->parent && w->parent != State().desktop) {
    Window* parent = Find(w->parent);
    if (!parent) break;
    w = parent;
  }
  return w && w->hwnd != State().desktop ? w->hwnd : nullptr;
}

void UnlinkChild(Window* parent, HWND child) {
  if (parent) std::erase(parent->children, child);
}

void LinkChild(Window* parent, HWND child, HWND insertAfter) {
  if (!parent) return;
  auto& list = parent->children;
  std::erase(list, child);
  if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == nullptr) {
    list.insert(list.begin(), child);
  } else if (insertAfter == HWND_BOTTOM || insertAfter == HWND_NOTOPMOST) {
    list.push_back(child);
  } else {
    auto it = std::find(list.begin(), list.end(), insertAfter);
    list.insert(it == list.end() ? list.begin() : it + 1, child);
  }
}

std::vector<HWND> Descendants(HWND hwnd) {
  std::vector<HWND> out;
  Window* w = Find(hwnd);
  if (!w) return out;
  out.push_back(hwnd);
  for (size_t i = 0; i < out.size(); ++i) {
    if (Window* node = Find(out[i])) out.insert(out.end(), node->children.begin(), node->children.end());
  }
  return out;
}

}  // namespace compat::user

using namespace compat::user;

HWND WINAPI GetDesktopWindow() {
  Guard guard = Lock();
  return Desktop();
}

HWND WINAPI GetParent(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent == State().desktop ? nullptr : w->parent;
  if (w->style & WS_POPUP) return w->owner;
  return nullptr;
}

HWND WINAPI GetAncestor(HWND hwnd, UINT flags) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || hwnd == State().desktop) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent;
    case GA_ROOT: return TopLevelOf(hwnd);
    case GA_ROOTOWNER: {
      HWND root = TopLevelOf(hwnd);
      for (Window* r = Find(root); r && r->owner; r = Find(r->owner)) root = r->owner;
      return root;
    }
    default: return nullptr;
  }
}

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  while (w && (w->style & WS_CHILD)) {
    if (w->parent == parent) return TRUE;
    w = Find(w->parent);
  }
  return FALSE;
}

HWND WINAPI GetWindow(HWND hwnd, UINT relation) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  if (relation == GW_CHILD) return w->children.empty() ? nullptr : w->children.front();
  if (relation == GW_OWNER) return w->owner;
  if (relation == GW_ENABLEDPOPUP) return nullptr;
  Window* parent = Find(w->parent);
  if (!parent) return nullptr;
  const auto& list = parent->children;
  auto it = std::find(list.begin(), list.end(), hwnd);
  switch (relation) {
    case GW_HWNDFIRST: return list.front();
    case GW_HWNDLAST: return list.back();
    case GW_HWNDNEXT: return (it == list.end() || it + 1 == list.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == list.begin() || it == list.end()) ? nullptr : *(it - 1);
    default: return nullptr;
  }
}

HWND WINAPI GetTopWindow(HWND hwnd) {
  return GetWindow(hwnd ? hwnd : GetDesktopWindow(), GW_CHILD);
}

HWND WINAPI GetLastActivePopup(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  Window* popup = Find(w->lastActivePopup);
  if (popup && popup->owner == hwnd && ReallyVisible(popup) && !(popup->style & WS_DISABLED))
    return w->lastActivePopup;
  return hwnd;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  Guard guard = Lock();
  Window* w = Find(dialog);
  if (!w) return nullptr;
  for (HWND child : w->children) {
    Window* c = Find(child);
    if (c && static_cast<int>(c->id) == id) return child;
  }
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  return w && (w->style & WS_CHILD) ? static_cast<int>(w->id) : 0;
}

namespace {

// Enumerates a snapshot, so the callback may create or destroy windows.
BOOL EnumList(const std::vector<HWND>& list, WNDENUMPROC proc, LPARAM param) {
  for (HWND hwnd : list) {
    if (!IsWindow(hwnd)) continue;
    if (!proc(hwnd, param)) return FALSE;
  }
  return TRUE;
}

}  // namespace

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> list;
  {
    Guard guard = Lock();
    if (!parent) parent = Desktop();
    list = Descendants(parent);
    if (!list.empty()) list.erase(list.begin());
  }
  return EnumList(list, proc, param);
}

BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> list;
  {
    Guard guard = Lock();
    list = Find(Desktop())->children;
  }
  return EnumList(list, proc, param);
}

BOOL WINAPI EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param) {
  if (!proc) return FALSE;
  std::vector<HWND> list;
  {
    Guard guard = Lock();
    for (HWND top : Find(Desktop())->children) {
      Window* t = Find(top);
      if (t && t->threadId == threadId) list.push_back(top);
    }
  }
  return EnumList(list, proc, param);
}

HWND WINAPI FindWindowExW(HWND parent, HWND childAfter, LPCWSTR className, LPCWSTR windowName) {
  Guard guard = Lock();
  Window* p = Find(parent ? parent : Desktop());
  if (!p) return nullptr;
  auto cls = className ? FindClass(className) : nullptr;
  if (className && !cls) return nullptr;
  bool started = childAfter == nullptr;
  for (HWND child : p->children) {
    if (!started) {
      started = child == childAfter;
      continue;
    }
    Window* c = Find(child);
    if (!c || c->destroying) continue;
    if (cls && c->cls != cls) continue;
    if (windowName && c->text != windowName) continue;
    return child;
  }
  return nullptr;
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName) {
  return FindWindowExW(nullptr, nullptr, className, windowName);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return 0;
  if (processId) *processId = 1;
  return w->threadId;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
  RECT oldScreen;
  HWND oldParent;
  {
    Guard guard = Lock();
    Window* c = Find(child);
    if (!c || child == State().desktop) return nullptr;
    if (!newParent) newParent = Desktop();
    Window* p = Find(newParent);
    if (!p) return nullptr;
    // A window cannot become its own descendant.
    for (Window* a = p; a; a = Find(a->parent)) {
      if (a->hwnd == child) return nullptr;
    }
    oldParent = c->parent;
    oldScreen = ScreenWindowRect(c);
    bool wasVisible = ReallyVisible(c);
    UnlinkChild(Find(oldParent), child);
    c->parent = newParent;
    LinkChild(p, child, HWND_TOP);
    if (wasVisible) InvalidateScreenArea(oldScreen);
    if (ReallyVisible(c)) InvalidateWhole(c, true, true, true);
  }
  Guard guard = Lock();
  return oldParent == State().desktop ? nullptr : oldParent;
}
