// Window geometry: positions, SetWindowPos and ShowWindow with their messages,
// coordinate mapping and finding the window under a point.
#include <algorithm>

#include "compat/host.h"
#include "compat/win32/user_state.h"

namespace compat::user {

POINT ClientScreenOrigin(const Window* w) {
  POINT origin{0, 0};
  while (w) {
    origin.x += w->rect.left + w->client.left;
    origin.y += w->rect.top + w->client.top;
    w = w->parent ? Find(w->parent) : nullptr;
  }
  return origin;
}

RECT ScreenWindowRect(const Window* w) {
  Window* parent = w->parent ? Find(w->parent) : nullptr;
  POINT origin = parent ? ClientScreenOrigin(parent) : POINT{0, 0};
  return RectOffset(w->rect, origin.x, origin.y);
}

RECT ScreenClientRect(const Window* w) {
  POINT origin = ClientScreenOrigin(w);
  return RECT{origin.x, origin.y, origin.x + (w->client.right - w->client.left),
              origin.y + (w->client.bottom - w->client.top)};
}

bool ReallyVisible(const Window* w) {
  for (; w; w = w->parent ? Find(w->parent) : nullptr) {
    if (!(w->style & WS_VISIBLE)) return false;
  }
  return true;
}

bool ReallyEnabled(const Window* w) {
  for (; w; w = w->parent ? Find(w->parent) : nullptr) {
    if (w->style & WS_DISABLED) return false;
  }
  return true;
}

namespace {

bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

}  // namespace

HWND HitTestGeometry(HWND root, POINT screen, bool skipDisabled, const std::vector<HWND>* skip) {
  Window* w = Find(root);
  if (!w) return nullptr;
  HWND found = nullptr;
  // Top-level first, then down through the children under the point.
  for (;;) {
    HWND next = nullptr;
    if (!found || Contains(ScreenClientRect(w), screen)) {
      for (HWND child : w->children) {
        Window* c = Find(child);
        if (!c || !(c->style & WS_VISIBLE) || c->destroying) continue;
        if (!Contains(ScreenWindowRect(c), screen)) continue;
        if (skipDisabled && found && (c->style & WS_DISABLED)) continue;
        if (skip && std::find(skip->begin(), skip->end(), child) != skip->end()) continue;
        next = child;
        break;
      }
    }
    if (!next) return found;
    found = next;
    w = Find(next);
  }
}

void NoteTrackSizes(HWND hwnd, const MINMAXINFO& info) {
  Guard guard = Lock();
  if (Window* w = Find(hwnd)) {
    w->minTrack = POINT{std::max<LONG>(info.ptMinTrackSize.x, 0), std::max<LONG>(info.ptMinTrackSize.y, 0)};
    w->maxTrack = POINT{std::max(info.ptMaxTrackSize.x, w->minTrack.x), std::max(info.ptMaxTrackSize.y, w->minTrack.y)};
  }
}

}  // namespace compat::user

using namespace compat::user;

// --- geometry queries ---

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = ScreenWindowRect(w);
  return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !rect) return FALSE;
  *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  POINT origin = ClientScreenOrigin(w);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !point) return FALSE;
  POINT origin = ClientScreenOrigin(w);
  point->x -= origin.x;
  point->y -= origin.y;
  return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  Guard guard = Lock();
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = Find(from);
    if (!w) return 0;
    a = ClientScreenOrigin(w);
  }
  if (to) {
    Window* w = Find(to);
    if (!w) return 0;
    b = ClientScreenOrigin(w);
  }
  const LONG dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  return MAKELONG(static_cast<WORD>(static_cast<SHORT>(dx)), static_cast<WORD>(static_cast<SHORT>(dy)));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT insets = FrameInsets(style, exStyle, menu != FALSE, false);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

HWND WINAPI WindowFromPoint(POINT point) {
  Guard guard = Lock();
  UserState& s = State();
  // Where the pointer went off to another program's window, that window is
  // the desktop as far as this program knows.
  if (s.pointerAway && point.x == s.cursor.x && point.y == s.cursor.y) return Desktop();
  HWND found = HitTestGeometry(Desktop(), point, true);
  return found ? found : Desktop();
}

HWND WINAPI ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
  Guard guard = Lock();
  Window* p = Find(parent);
  if (!p) return nullptr;
  RECT client{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
  if (point.x < client.left || point.x >= client.right || point.y < client.top || point.y >= client.bottom)
    return nullptr;
  for (HWND child : p->children) {
    Window* c = Find(child);
    if (!c) continue;
    if ((flags & CWP_SKIPINVISIBLE) && !(c->style & WS_VISIBLE)) continue;
    if ((flags & CWP_SKIPDISABLED) && (c->style & WS_DISABLED)) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    const RECT& r = c->rect;
    if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) return child;
  }
  return parent;
}

HWND WINAPI ChildWindowFromPoint(HWND parent, POINT point) {
  return ChildWindowFromPointEx(parent, point, CWP_ALL);
}

// --- SetWindowPos ---

namespace {

struct PosChange {
  RECT oldScreen{};
  RECT newRect{};
  bool wasVisible = false;
  bool moved = false;
  bool sized = false;
  bool clientMoved = false;  // within the window, as a frame change may do
};

// Asks the window for its new client rectangle after a size or frame change.
void CalcClient(HWND hwnd, const RECT& newRect, WINDOWPOS* pos) {
  NCCALCSIZE_PARAMS params{};
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return;
    params.rgrc[0] = newRect;
    params.rgrc[1] = w->rect;
    params.rgrc[2] = RectOffset(w->client, w->rect.left, w->rect.top);
  }
  params.lppos = pos;
  DeliverSent(hwnd, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
  Guard guard = Lock();
  if (Window* w = Find(hwnd)) {
    // A move from inside WM_NCCALCSIZE gave the window another size, which it
    // keeps (this call changes no size): its client area was measured for that.
    const bool resizedInside = w->rect.right - w->rect.left != newRect.right - newRect.left ||
                               w->rect.bottom - w->rect.top != newRect.bottom - newRect.top;
    if (resizedInside && (pos->flags & SWP_NOSIZE)) return;
    RECT c = params.rgrc[0];
    c.right = std::max(c.right, c.left);
    c.bottom = std::max(c.bottom, c.top);
    w->client = RectOffset(c, -newRect.left, -newRect.top);
  }
}

// Applies position, z-order and visibility; lock held.
// Owned windows stay above their owner: a floating tool frame does not
// drop behind its main frame when that is brought forward. Lock held.
void KeepOwnedAbove(Window* parent, Window* owner) {
  auto& list = parent->children;
  std::vector<HWND> owned;
  for (HWND h : list) {
    Window* s = Find(h);
    if (s && s->owner == owner->hwnd && h != owner->hwnd) owned.push_back(h);
  }
  if (owned.empty()) return;
  const auto ownerAt = std::find(list.begin(), list.end(), owner->hwnd);
  bool inPlace = true;
  for (HWND h : owned) inPlace = inPlace && std::find(list.begin(), list.end(), h) < ownerAt;
  if (inPlace) return;
  for (HWND h : owned) std::erase(list, h);
  list.insert(std::find(list.begin(), list.end(), owner->hwnd), owned.begin(), owned.end());
  for (HWND h : owned) {
    Window* s = Find(h);
    if (!s) continue;
    if (ReallyVisible(s)) InvalidateScreenArea(ScreenWindowRect(s));
    KeepOwnedAbove(parent, s);
  }
}

PosChange Apply(Window* w, const WINDOWPOS& pos) {
  PosChange change;
  change.wasVisible = ReallyVisible(w);
  change.oldScreen = ScreenWindowRect(w);
  RECT r = w->rect;
  if (!(pos.flags & SWP_NOMOVE)) {
    change.moved = pos.x != r.left || pos.y != r.top;
    const int width = r.right - r.left, height = r.bottom - r.top;
    r = RECT{pos.x, pos.y, pos.x + width, pos.y + height};
  }
  if (!(pos.flags & SWP_NOSIZE)) {
    const int cx = std::max(pos.cx, 0), cy = std::max(pos.cy, 0);
    change.sized = cx != r.right - r.left || cy != r.bottom - r.top;
    r.right = r.left + cx;
    r.bottom = r.top + cy;
  }
  w->rect = r;
  if (!(pos.flags & SWP_NOZORDER)) {
    HWND after = pos.hwndInsertAfter;
    if (after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    Window* parent = Find(w->parent);
    if (parent && IsTopLevel(w) && (after == HWND_TOP || after == HWND_NOTOPMOST) &&
        !(w->exStyle & WS_EX_TOPMOST)) {
      // Stay under the topmost windows.
      after = HWND_TOP;
      for (HWND sibling : parent->children) {
        Window* s = Find(sibling);
        if (sibling != w->hwnd && s && (s->exStyle & WS_EX_TOPMOST)) after = sibling;
      }
    }
    if (after != w->hwnd) LinkChild(parent, w->hwnd, after);
    if (parent && IsTopLevel(w)) KeepOwnedAbove(parent, w);
  }
  if (pos.flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (pos.flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  change.newRect = r;
  return change;
}

// The saved screen is only as good as what beneath was painted when it was
// taken: a paint still owed there is owed again once the popup is gone.
void NotePendingPaintsUnder(Window* popup) {
  for (HWND hwnd : Descendants(Desktop())) {
    const Window* other = Find(hwnd);
    if (!other || other == popup || !ReallyVisible(other)) continue;
    if (other->frameUpdate) NoteInvalidUnderSavedBits(other, ScreenWindowRect(other));
    const POINT at = ClientScreenOrigin(other);
    for (const RECT& r : other->update.Rects()) NoteInvalidUnderSavedBits(other, RectOffset(r, at.x, at.y));
  }
}

// A popup of a CS_SAVEBITS class (menus, drop-down lists, tooltips) keeps
// what it covers and puts it back as it hides, as the platform does: the
// windows beneath are not asked to paint again, so a window that painted at
// once when the popup closed (a button let go) is not painted over later by
// a parent without WS_CLIPCHILDREN, and a window that paints nothing of its
// own (the renderer's preview) does not keep the popup's picture. What was
// waiting to be painted beneath when it showed, or was invalidated beneath
// while it stood there, is painted afresh. Gives the restored area.
RectList SaveBitsUnder(Window* w, const PosChange& change, bool nowVisible) {
  RectList restored;
  if (!IsTopLevel(w) || !w->cls || !(w->cls->style & CS_SAVEBITS)) return restored;
  if (change.wasVisible && nowVisible && !change.moved && !change.sized) return restored;  // still over the same place
  auto surface = compat::host::DesktopSurface();
  const RECT bounds{0, 0, surface->width, surface->height};
  const RECT shown = RectIntersection(change.oldScreen, bounds);
  if (change.wasVisible && !nowVisible && !w->savedBits.empty() && EqualRect(&shown, &w->savedRect)) {
    const RECT& r = w->savedRect;
    const int width = r.right - r.left;
    if (width > 0 && static_cast<size_t>(width) * (r.bottom - r.top) == w->savedBits.size()) {
      for (int y = r.top; y < r.bottom; ++y)
        std::copy_n(w->savedBits.begin() + static_cast<long>(y - r.top) * width, width, surface->Row(y) + r.left);
      compat::host::PresentRect(r);
      restored.Add(r);
      for (const RECT& stale : w->savedStale.Rects()) restored.Subtract(stale);
    }
  }
  w->savedBits.clear();
  w->savedStale.Clear();
  if (!change.wasVisible && nowVisible) {
    const RECT r = RectIntersection(ScreenWindowRect(w), bounds);
    if (r.right <= r.left || r.bottom <= r.top) return restored;
    w->savedRect = r;
    w->savedBits.reserve(static_cast<size_t>(r.right - r.left) * (r.bottom - r.top));
    for (int y = r.top; y < r.bottom; ++y)
      w->savedBits.insert(w->savedBits.end(), surface->Row(y) + r.left, surface->Row(y) + r.right);
    NotePendingPaintsUnder(w);
  }
  return restored;
}

void Repaint(Window* w, const PosChange& change, UINT flags) {
  if (flags & SWP_NOREDRAW) {
    w->savedBits.clear();  // what lies beneath is no longer known
    return;
  }
  const bool nowVisible = ReallyVisible(w);
  const RectList restored = SaveBitsUnder(w, change, nowVisible);
  const bool changed = change.moved || change.sized || (flags & (SWP_FRAMECHANGED | SWP_SHOWWINDOW |
                                                                  SWP_HIDEWINDOW)) ||
                       !(flags & SWP_NOZORDER);
  if (!changed) return;
  if (change.wasVisible) {
    RectList uncovered(change.oldScreen);
    // A child showed only within its parent's client area: what lay beyond
    // it was never covered (a large panel in a small bar).
    if (!IsTopLevel(w))
      if (const Window* parent = Find(w->parent)) uncovered.Intersect(ScreenClientRect(parent));
    if (nowVisible) uncovered.Subtract(ScreenWindowRect(w));
    for (const RECT& r : restored.Rects()) uncovered.Subtract(r);
    for (const RECT& r : uncovered.Rects()) InvalidateScreenArea(r);
  }
  if (!nowVisible) return;
  if (change.moved || change.sized || !change.wasVisible || change.clientMoved || !(flags & SWP_NOZORDER)) {
    InvalidateWhole(w, true, true, true);
  } else if (flags & SWP_FRAMECHANGED) {
    // A frame change that leaves the client area where it was redraws the
    // frame only, as on the platform: bars that re-apply their frame at
    // every idle layout would otherwise repaint all they hold each time.
    InvalidateFrame(w);
  }
}

bool HiddenFocusOrActive(HWND hwnd) {
  HWND active = GetActiveWindow();
  return active && (active == hwnd || IsChild(hwnd, active));
}

// When the active window hides, the platform activates its owner or the
// next visible top-level window.
void ActivateNext(HWND hidden) {
  HWND next = nullptr;
  {
    Guard guard = Lock();
    Window* w = Find(hidden);
    if (!w) return;
    Window* owner = Find(w->owner);
    if (owner && ReallyVisible(owner) && !(owner->style & WS_DISABLED)) {
      next = w->owner;
    } else {
      for (HWND top : Find(Desktop())->children) {
        Window* t = Find(top);
        if (top != hidden && t && ReallyVisible(t) && !(t->style & (WS_DISABLED | WS_CHILD)) &&
            !(t->exStyle & WS_EX_TOOLWINDOW) && !t->destroying) {
          next = top;
          break;
        }
      }
    }
  }
  ActivateWindow(next, WA_ACTIVE);
}

}  // namespace

BOOL WINAPI SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  WINDOWPOS pos{hwnd, insertAfter, x, y, cx, cy, flags};
  bool topLevel;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || hwnd == State().desktop) return FALSE;
    topLevel = IsTopLevel(w);
    if (!topLevel) pos.flags |= SWP_NOACTIVATE;
    if ((flags & SWP_SHOWWINDOW) && (w->style & WS_VISIBLE)) pos.flags &= ~SWP_SHOWWINDOW;
    if ((flags & SWP_HIDEWINDOW) && !(w->style & WS_VISIBLE)) pos.flags &= ~SWP_HIDEWINDOW;
  }
  if (!(pos.flags & SWP_NOSENDCHANGING))
    DeliverSent(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
  RECT newRect;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    newRect = w->rect;
    if (!(pos.flags & SWP_NOMOVE)) newRect = RectOffset(newRect, pos.x - newRect.left, pos.y - newRect.top);
    if (!(pos.flags & SWP_NOSIZE)) {
      newRect.right = newRect.left + std::max(pos.cx, 0);
      newRect.bottom = newRect.top + std::max(pos.cy, 0);
    }
    if (newRect.right - newRect.left == w->rect.right - w->rect.left &&
        newRect.bottom - newRect.top == w->rect.bottom - w->rect.top && !(pos.flags & SWP_FRAMECHANGED))
      pos.flags |= SWP_NOSIZE;
  }
  RECT oldClient{};
  {
    Guard guard = Lock();
    if (Window* w = Find(hwnd)) oldClient = w->client;
  }
  if (!(pos.flags & SWP_NOSIZE) || (pos.flags & SWP_FRAMECHANGED)) CalcClient(hwnd, newRect, &pos);
  const bool hidingActive = (pos.flags & SWP_HIDEWINDOW) && HiddenFocusOrActive(hwnd);
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    PosChange change = Apply(w, pos);
    change.clientMoved = !EqualRect(&oldClient, &w->client);
    Repaint(w, change, pos.flags);
    if (!change.moved) pos.flags |= SWP_NOMOVE;
    if (!change.sized) pos.flags |= SWP_NOSIZE;
    pos.x = w->rect.left;
    pos.y = w->rect.top;
    pos.cx = w->rect.right - w->rect.left;
    pos.cy = w->rect.bottom - w->rect.top;
  }
  if (hidingActive) ActivateNext(hwnd);
  {
    // Hidden windows keep no capture.
    if ((pos.flags & SWP_HIDEWINDOW) && GetCapture() && (GetCapture() == hwnd || IsChild(hwnd, GetCapture())))
      ReleaseCapture();
  }
  DeliverSent(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (topLevel && !(pos.flags & SWP_NOACTIVATE) && !(pos.flags & SWP_HIDEWINDOW) &&
      IsWindowVisible(hwnd) && IsWindowEnabled(hwnd))
    ActivateWindow(hwnd, WA_ACTIVE);
  return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(hwnd, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI BringWindowToTop(HWND hwnd) {
  return SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// --- deferred positioning: applied in order at the end ---

namespace {
struct DeferBatch {
  std::vector<WINDOWPOS> items;
};
constexpr int kMaxDeferCount = 4096;
}  // namespace

HDWP WINAPI BeginDeferWindowPos(int count) {
  if (count < 0 || count > kMaxDeferCount) return nullptr;
  auto* batch = new DeferBatch;
  batch->items.reserve(static_cast<size_t>(count));
  return reinterpret_cast<HDWP>(batch);
}

HDWP WINAPI DeferWindowPos(HDWP info, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                           UINT flags) {
  if (!info) return nullptr;
  auto* batch = reinterpret_cast<DeferBatch*>(info);
  if (!IsWindow(hwnd)) {
    delete batch;  // the platform frees the batch when an entry fails
    return nullptr;
  }
  batch->items.push_back(WINDOWPOS{hwnd, insertAfter, x, y, cx, cy, flags});
  return info;
}

BOOL WINAPI EndDeferWindowPos(HDWP info) {
  if (!info) return FALSE;
  std::unique_ptr<DeferBatch> batch(reinterpret_cast<DeferBatch*>(info));
  BOOL ok = TRUE;
  for (const WINDOWPOS& p : batch->items) {
    if (!SetWindowPos(p.hwnd, p.hwndInsertAfter, p.x, p.y, p.cx, p.cy, p.flags)) ok = FALSE;
  }
  return ok;
}

// --- ShowWindow ---

namespace {

RECT MaximizedRect(HWND hwnd) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  Window* parent = Find(w->parent);
  RECT area{0, 0, parent->client.right - parent->client.left, parent->client.bottom - parent->client.top};
  // The border lies outside the area, so the caption and client fill it.
  const int border = FrameInsets(w->style, w->exStyle, false, false).left;
  area.left -= border;
  area.right += border;
  area.bottom += border;
  area.top -= border;
  guard.unlock();
  // The window may ask for another maximised size and place.
  MINMAXINFO info{};
  info.ptMaxSize = POINT{area.right - area.left, area.bottom - area.top};
  info.ptMaxPosition = POINT{area.left, area.top};
  info.ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info.ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  NoteTrackSizes(hwnd, info);
  const LONG width = std::min(info.ptMaxSize.x, std::max(info.ptMaxTrackSize.x, info.ptMinTrackSize.x));
  const LONG height = std::min(info.ptMaxSize.y, std::max(info.ptMaxTrackSize.y, info.ptMinTrackSize.y));
  return RECT{info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxPosition.x + width, info.ptMaxPosition.y + height};
}

void SetShowState(HWND hwnd, DWORD add, DWORD remove, bool saveNormal) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return;
  if (saveNormal && !(w->style & (WS_MINIMIZE | WS_MAXIMIZE))) w->normalRect = w->rect;
  w->style = (w->style & ~remove) | add;
}

BOOL Place(HWND hwnd, const RECT& r, UINT flags) {
  return SetWindowPos(hwnd, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
                      flags | SWP_FRAMECHANGED);
}

}  // namespace

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
  bool wasVisible, child;
  RECT normal;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || hwnd == State().desktop) return FALSE;
    wasVisible = (w->style & WS_VISIBLE) != 0;
    child = (w->style & WS_CHILD) != 0;
    normal = w->normalRect;
  }
  const UINT noActivate = child ? (SWP_NOACTIVATE | SWP_NOZORDER) : 0;
  switch (command) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      DeliverSent(hwnd, WM_SHOWWINDOW, FALSE, 0);
      SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                   SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      return TRUE;
    case SW_SHOWMAXIMIZED: {
      if (!wasVisible) DeliverSent(hwnd, WM_SHOWWINDOW, TRUE, 0);
      SetShowState(hwnd, WS_MAXIMIZE, WS_MINIMIZE, true);
      Place(hwnd, MaximizedRect(hwnd), SWP_SHOWWINDOW | noActivate);
      return wasVisible;
    }
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE: {
      if (!wasVisible) DeliverSent(hwnd, WM_SHOWWINDOW, TRUE, 0);
      SetShowState(hwnd, WS_MINIMIZE, WS_MAXIMIZE, true);
      RECT desk;
      GetClientRect(GetDesktopWindow(), &desk);
      const int cx = GetSystemMetrics(SM_CXMINIMIZED), cy = GetSystemMetrics(SM_CYMINIMIZED);
      RECT r{0, desk.bottom - cy, cx, desk.bottom};
      Place(hwnd, r, SWP_SHOWWINDOW | SWP_NOACTIVATE | (child ? SWP_NOZORDER : 0));
      if (GetActiveWindow() == hwnd) ActivateNext(hwnd);
      return wasVisible;
    }
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT: {
      bool wasSized;
      {
        Guard guard = Lock();
        Window* w = Find(hwnd);
        wasSized = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) != 0;
      }
      if (!wasVisible) DeliverSent(hwnd, WM_SHOWWINDOW, TRUE, 0);
      if (wasSized) {
        SetShowState(hwnd, 0, WS_MINIMIZE | WS_MAXIMIZE, false);
        Place(hwnd, normal, SWP_SHOWWINDOW | noActivate);
      } else {
        SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | noActivate);
      }
      return wasVisible;
    }
    default: {
      const bool activate = command == SW_SHOW;
      if (!wasVisible) DeliverSent(hwnd, WM_SHOWWINDOW, TRUE, 0);
      SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0,
                   SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE |
                       (activate ? noActivate : (SWP_NOACTIVATE | SWP_NOZORDER)));
      return wasVisible;
    }
  }
}

BOOL WINAPI GetWindowPlacement(HWND hwnd, WINDOWPLACEMENT* placement) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w || !placement) return FALSE;
  placement->flags = 0;
  placement->showCmd = (w->style & WS_MINIMIZE)   ? SW_SHOWMINIMIZED
                       : (w->style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED
                       : (w->style & WS_VISIBLE)  ? SW_SHOWNORMAL
                                                  : SW_HIDE;
  placement->ptMinPosition = POINT{-1, -1};
  placement->ptMaxPosition = POINT{-1, -1};
  placement->rcNormalPosition = (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) ? w->normalRect : w->rect;
  return TRUE;
}

BOOL WINAPI SetWindowPlacement(HWND hwnd, const WINDOWPLACEMENT* placement) {
  if (!placement || !IsWindow(hwnd)) return FALSE;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    w->normalRect = placement->rcNormalPosition;
  }
  const RECT& r = placement->rcNormalPosition;
  if (!IsIconic(hwnd) && !IsZoomed(hwnd))
    SetWindowPos(hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(hwnd, static_cast<int>(placement->showCmd));
  return TRUE;
}
