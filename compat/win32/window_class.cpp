// Window classes: registration, lookup by name or atom, class data.
#include "compat/win32/user_state.h"

#include <algorithm>
#include <cstring>

namespace compat::user {
namespace {

bool IsAtomName(LPCWSTR name) { return IS_INTRESOURCE(name); }

// --- system classes from the libraries above ---
struct SystemRegistrars {
  std::vector<void (*)()> pending;
  bool started = false;
};

SystemRegistrars& Registrars() {
  static SystemRegistrars* registrars = new SystemRegistrars;  // filled by static initializers
  return *registrars;
}

// The window manager starts at its first class lookup: the system classes
// are then present for GetClassInfoW and CreateWindowExW alike. Lock held;
// the registrars re-enter RegisterClassW under the same recursive lock.
void StartSystemClasses() {
  SystemRegistrars& r = Registrars();
  if (r.started) return;
  r.started = true;
  for (auto registrar : r.pending) registrar();
}

std::shared_ptr<WindowClass> Lookup(LPCWSTR name) {
  StartSystemClasses();
  if (!name) return nullptr;
  for (auto& cls : State().classes) {
    if (IsAtomName(name)) {
      if (cls->atom == static_cast<ATOM>(reinterpret_cast<uintptr_t>(name))) return cls;
    } else if (EqualNoCase(cls->name, name)) {
      return cls;
    }
  }
  return nullptr;
}

ATOM Register(const WNDCLASSEXW& wc) {
  if (!wc.lpszClassName || !wc.lpfnWndProc || IsAtomName(wc.lpszClassName)) return 0;
  if (wc.cbClsExtra < 0 || wc.cbWndExtra < 0 || wc.cbClsExtra > kMaxExtraBytes ||
      wc.cbWndExtra > kMaxExtraBytes)
    return 0;
  Guard guard = Lock();
  if (Lookup(wc.lpszClassName)) return 0;  // already registered
  auto cls = std::make_shared<WindowClass>();
  cls->atom = State().nextAtom++;
  cls->name = wc.lpszClassName;
  cls->style = wc.style;
  cls->proc = wc.lpfnWndProc;
  cls->clsExtra = wc.cbClsExtra;
  cls->wndExtra = wc.cbWndExtra;
  cls->instance = wc.hInstance;
  cls->icon = wc.hIcon;
  cls->iconSmall = wc.hIconSm;
  cls->cursor = wc.hCursor;
  cls->background = wc.hbrBackground;
  if (wc.lpszMenuName && !IS_INTRESOURCE(wc.lpszMenuName)) {
    cls->menuNameText = wc.lpszMenuName;
    cls->menuName = cls->menuNameText.c_str();
  } else {
    cls->menuName = wc.lpszMenuName;
  }
  cls->extra.assign(static_cast<size_t>(wc.cbClsExtra), 0);
  State().classes.push_back(cls);
  return cls->atom;
}

void FillInfo(const WindowClass& cls, WNDCLASSEXW* wc) {
  wc->style = cls.style;
  wc->lpfnWndProc = cls.proc;
  wc->cbClsExtra = cls.clsExtra;
  wc->cbWndExtra = cls.wndExtra;
  wc->hInstance = cls.instance;
  wc->hIcon = cls.icon;
  wc->hIconSm = cls.iconSmall;
  wc->hCursor = cls.cursor;
  wc->hbrBackground = cls.background;
  wc->lpszMenuName = cls.menuName;
  wc->lpszClassName = cls.name.c_str();
}

}  // namespace

std::shared_ptr<WindowClass> FindClass(LPCWSTR name) {
  Guard guard = Lock();
  return Lookup(name);
}

}  // namespace compat::user

namespace compat {

void AddSystemClassRegistrar(void (*registrar)()) {
  if (!registrar) return;
  using namespace compat::user;
  Guard guard = Lock();
  SystemRegistrars& r = Registrars();
  r.pending.push_back(registrar);
  if (r.started) registrar();
}

}  // namespace compat

using namespace compat::user;

ATOM WINAPI RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXW)) return 0;
  return Register(*wc);
}

ATOM WINAPI RegisterClassW(const WNDCLASSW* wc) {
  if (!wc) return 0;
  WNDCLASSEXW ex{sizeof(WNDCLASSEXW), wc->style, wc->lpfnWndProc, wc->cbClsExtra, wc->cbWndExtra,
                 wc->hInstance, wc->hIcon, wc->hCursor, wc->hbrBackground, wc->lpszMenuName,
                 wc->lpszClassName, nullptr};
  return Register(ex);
}

BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE) {
  Guard guard = Lock();
  auto cls = Lookup(className);
  if (!cls) return FALSE;
  // A class with live windows stays, as the platform refuses it.
  for (auto& slot : State().slots) {
    if (slot.window && slot.window->cls == cls) return FALSE;
  }
  auto& classes = State().classes;
  std::erase(classes, cls);
  return TRUE;
}

BOOL WINAPI GetClassInfoExW(HINSTANCE, LPCWSTR className, LPWNDCLASSEXW wc) {
  if (!wc) return FALSE;
  Guard guard = Lock();
  auto cls = Lookup(className);
  if (!cls) return FALSE;
  FillInfo(*cls, wc);
  return cls->atom;
}

BOOL WINAPI GetClassInfoW(HINSTANCE instance, LPCWSTR className, LPWNDCLASSW wc) {
  if (!wc) return FALSE;
  WNDCLASSEXW ex{};
  ex.cbSize = sizeof(ex);
  BOOL found = GetClassInfoExW(instance, className, &ex);
  if (!found) return FALSE;
  *wc = WNDCLASSW{ex.style, ex.lpfnWndProc, ex.cbClsExtra, ex.cbWndExtra, ex.hInstance, ex.hIcon,
                  ex.hCursor, ex.hbrBackground, ex.lpszMenuName, ex.lpszClassName};
  return found;
}

int WINAPI GetClassNameW(HWND hwnd, LPWSTR name, int maxCount) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !w->cls || !name || maxCount <= 0) return 0;
  const std::u16string& text = w->cls->name;
  const int count = std::min<int>(static_cast<int>(text.size()), maxCount - 1);
  std::copy(text.begin(), text.begin() + count, name);
  name[count] = 0;
  return count;
}

ULONG_PTR WINAPI GetClassLongPtrW(HWND hwnd, int index) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !w->cls) return 0;
  WindowClass& cls = *w->cls;
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > cls.extra.size()) return 0;
    LONG_PTR value;
    std::memcpy(&value, cls.extra.data() + index, sizeof(value));
    return static_cast<ULONG_PTR>(value);
  }
  switch (index) {
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(cls.background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(cls.cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(cls.icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(cls.iconSmall);
    case GCLP_HMODULE: return reinterpret_cast<ULONG_PTR>(cls.instance);
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(cls.proc);
    case GCLP_MENUNAME: return reinterpret_cast<ULONG_PTR>(cls.menuName);
    case GCL_STYLE: return cls.style;
    case GCL_CBWNDEXTRA: return static_cast<ULONG_PTR>(cls.wndExtra);
    case GCL_CBCLSEXTRA: return static_cast<ULONG_PTR>(cls.clsExtra);
    case GCW_ATOM: return cls.atom;
    default: return 0;
  }
}

DWORD WINAPI GetClassLongW(HWND hwnd, int index) {
  return static_cast<DWORD>(GetClassLongPtrW(hwnd, index));
}

ULONG_PTR WINAPI SetClassLongPtrW(HWND hwnd, int index, LONG_PTR value) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !w->cls) return 0;
  WindowClass& cls = *w->cls;
  ULONG_PTR old = 0;
  if (index >= 0) {
    if (static_cast<size_t>(index) + sizeof(LONG_PTR) > cls.extra.size()) return 0;
    std::memcpy(&old, cls.extra.data() + index, sizeof(old));
    std::memcpy(cls.extra.data() + index, &value, sizeof(value));
    return old;
  }
  switch (index) {
    case GCLP_HBRBACKGROUND:
      old = reinterpret_cast<ULONG_PTR>(cls.background);
      cls.background = reinterpret_cast<HBRUSH>(value);
      break;
    case GCLP_HCURSOR:
      old = reinterpret_cast<ULONG_PTR>(cls.cursor);
      cls.cursor = reinterpret_cast<HCURSOR>(value);
      break;
    case GCLP_HICON:
      old = reinterpret_cast<ULONG_PTR>(cls.icon);
      cls.icon = reinterpret_cast<HICON>(value);
      break;
    case GCLP_HICONSM:
      old = reinterpret_cast<ULONG_PTR>(cls.iconSmall);
      cls.iconSmall = reinterpret_cast<HICON>(value);
      break;
    case GCLP_WNDPROC:
      old = reinterpret_cast<ULONG_PTR>(cls.proc);
      cls.proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GCL_STYLE:
      old = cls.style;
      cls.style = static_cast<UINT>(value);
      break;
    default:
      return 0;
  }
  return old;
}
