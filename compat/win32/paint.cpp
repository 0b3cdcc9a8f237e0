// Painting: update regions, WM_PAINT, BeginPaint/EndPaint, window DCs with
// sibling and child clipping, and the drawing targets handed to GDI.
//
// Sections: visible areas · invalidation · WM_PAINT · device contexts · calls
#include <algorithm>

#include "compat/host.h"
#include "compat/win32/user_state.h"
#include "compat/win32/window_dc.h"

namespace compat::user {

// --- visible areas ---

namespace {

// A locked window and everything inside it draw nothing; locking the desktop
// silences every window.
bool UpdateLocked(const Window* w) {
  const HWND locked = State().lockedUpdate;
  if (!locked) return false;
  for (const Window* cur = w; cur; cur = cur->parent ? Find(cur->parent) : nullptr) {
    if (cur->hwnd == locked) return true;
  }
  return false;
}

}  // namespace

RectList VisibleArea(const Window* w, bool clientArea, bool clipChildren, bool clipSiblings, bool ignoreLock) {
  RectList area;
  if (!ReallyVisible(w)) return area;
  if (!ignoreLock && UpdateLocked(w)) return area;
  Window* desktop = Find(Desktop());
  area.Add(clientArea ? ScreenClientRect(w) : ScreenWindowRect(w));
  area.Intersect(desktop->rect);
  for (Window* cur = const_cast<Window*>(w); cur && cur != desktop; cur = Find(cur->parent)) {
    Window* parent = Find(cur->parent);
    if (!parent) break;
    if (parent != desktop) area.Intersect(ScreenClientRect(parent));
    // Top-level windows always clip each other; children with WS_CLIPSIBLINGS
    // or when the DC asks for it.
    if (parent == desktop || (cur->style & WS_CLIPSIBLINGS) || (clipSiblings && cur == w)) {
      for (HWND sibling : parent->children) {
        if (sibling == cur->hwnd) break;
        Window* s2 = Find(sibling);
        if (s2 && (s2->style & WS_VISIBLE)) area.Subtract(ScreenWindowRect(s2));
      }
    }
  }
  if (clipChildren) {
    // Children show only inside the client area: a minimised window's keep
    // their places but must not hide its caption strip.
    const RECT client = ScreenClientRect(w);
    for (HWND child : w->children) {
      Window* c = Find(child);
      if (c && (c->style & WS_VISIBLE)) area.Subtract(RectIntersection(ScreenWindowRect(c), client));
    }
  }
  return area;
}

// --- invalidation ---

void NoteInvalidUnderSavedBits(const Window* w, const RECT& screen) {
  const Window* desktop = Find(Desktop());
  const Window* top = w;
  while (top && top->parent && top->parent != desktop->hwnd) top = Find(top->parent);
  for (HWND hwnd : desktop->children) {  // the top of the Z order first
    if (top && hwnd == top->hwnd) break;
    Window* popup = Find(hwnd);
    if (!popup || popup->savedBits.empty()) continue;
    const RECT under = RectIntersection(popup->savedRect, screen);
    if (!RectEmpty(under)) popup->savedStale.Add(under);
  }
}

namespace {

void WakeOwner(const Window* w) {
  if (auto queue = QueueOf(w->threadId, false)) WakeQueue(*queue);
}

RECT ClientBox(const Window* w) {
  return RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
}

bool HasFrame(const Window* w) {
  return w->client.left > 0 || w->client.top > 0 || w->client.right < w->rect.right - w->rect.left ||
         w->client.bottom < w->rect.bottom - w->rect.top;
}

// Invalidates the part of `screen` inside w and, recursively, its children.
void InvalidateArea(Window* w, const RECT& screen, bool erase) {
  if (!(w->style & WS_VISIBLE)) return;
  RECT windowScreen = ScreenWindowRect(w);
  RECT inWindow = RectIntersection(windowScreen, screen);
  if (RectEmpty(inWindow)) return;
  RECT clientScreen = ScreenClientRect(w);
  RECT inClient = RectIntersection(clientScreen, screen);
  RectList frame(inWindow);
  frame.Subtract(clientScreen);
  if (!frame.Empty()) w->frameUpdate = true;
  NoteInvalidUnderSavedBits(w, inWindow);
  if (!RectEmpty(inClient)) {
    w->update.Add(RectOffset(inClient, -clientScreen.left, -clientScreen.top));
    if (erase) w->erase = true;
  }
  WakeOwner(w);
  for (HWND child : w->children) {
    if (Window* c = Find(child)) InvalidateArea(c, screen, erase);
  }
}

// Applies RedrawWindow's invalidate and validate flags to `area` (client
// coordinates of w) and carries them to the children it covers.
void RedrawArea(Window* w, const RectList& area, UINT flags, bool wholeFrame) {
  if ((flags & RDW_INVALIDATE) && ReallyVisible(w)) {
    const POINT at = ClientScreenOrigin(w);
    for (const RECT& r : area.Rects()) {
      w->update.Add(r);
      NoteInvalidUnderSavedBits(w, RectOffset(r, at.x, at.y));
    }
    if ((flags & RDW_FRAME) && wholeFrame && HasFrame(w)) NoteInvalidUnderSavedBits(w, ScreenWindowRect(w));
    if (flags & RDW_ERASE) w->erase = true;
    if ((flags & RDW_FRAME) && wholeFrame && HasFrame(w)) w->frameUpdate = true;
    if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
    WakeOwner(w);
  }
  if (flags & RDW_VALIDATE) {
    for (const RECT& r : area.Rects()) w->update.Subtract(r);
    if (flags & RDW_NOFRAME) w->frameUpdate = false;
    if ((flags & RDW_NOERASE) || w->update.Empty()) w->erase = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  }
  const bool children = (flags & RDW_ALLCHILDREN) ||
                        (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  POINT origin = ClientScreenOrigin(w);
  for (HWND child : w->children) {
    Window* c = Find(child);
    if (!c) continue;
    RectList part = area;
    part.Offset(origin.x, origin.y);
    part.Intersect(ScreenWindowRect(c));
    if (part.Empty()) continue;
    POINT childOrigin = ClientScreenOrigin(c);
    part.Offset(-childOrigin.x, -childOrigin.y);
    RectList inClient = part;
    inClient.Intersect(ClientBox(c));
    if ((flags & RDW_INVALIDATE) && HasFrame(c) && ReallyVisible(c)) {
      RectList framePart = part;
      for (const RECT& r : inClient.Rects()) framePart.Subtract(r);
      if (!framePart.Empty()) c->frameUpdate = true;
    }
    RedrawArea(c, inClient, flags & ~RDW_FRAME, false);
  }
}

}  // namespace

void InvalidateScreenArea(const RECT& screen) {
  Window* desktop = Find(Desktop());
  PaintDesktopArea(screen);
  for (HWND top : desktop->children) {
    if (Window* t = Find(top)) InvalidateArea(t, screen, true);
  }
}

void InvalidateWhole(Window* w, bool erase, bool frame, bool children) {
  if (!ReallyVisible(w)) return;
  w->update.Add(ClientBox(w));
  NoteInvalidUnderSavedBits(w, frame ? ScreenWindowRect(w) : ScreenClientRect(w));
  if (erase) w->erase = true;
  if (frame && HasFrame(w)) w->frameUpdate = true;
  WakeOwner(w);
  if (!children) return;
  for (HWND child : w->children) {
    if (Window* c = Find(child)) InvalidateWhole(c, erase, frame, true);
  }
}

void InvalidateFrame(Window* w) {
  if (!ReallyVisible(w) || !HasFrame(w)) return;
  w->frameUpdate = true;
  NoteInvalidUnderSavedBits(w, ScreenWindowRect(w));
  WakeOwner(w);
}

void PaintDesktopArea(const RECT& screen) {
  Window* desktop = Find(Desktop());
  RectList area = VisibleArea(desktop, true, true);
  area.Intersect(screen);
  if (area.Empty()) return;
  auto surface = host::DesktopSurface();
  const uint32_t pixel = ToPixel(SysColor(COLOR_BACKGROUND));
  for (const RECT& r : area.Rects()) {
    RECT c = RectIntersection(r, RECT{0, 0, surface->width, surface->height});
    for (int y = c.top; y < c.bottom; ++y) std::fill(surface->Row(y) + c.left, surface->Row(y) + c.right, pixel);
  }
  host::PresentRect(area.Bounds());
}

// --- WM_PAINT ---

bool HasPendingPaint(const ThreadQueue& queue, HWND filter, HWND* target) {
  // Most reads of a queue find nothing to paint: look before ordering the tree.
  bool any = false;
  for (const auto& slot : State().slots) {
    const Window* w = slot.window.get();
    if (w && w->threadId == queue.threadId && (!w->update.Empty() || w->internalPaint || w->frameUpdate)) {
      any = true;
      break;
    }
  }
  if (!any) return false;
  for (HWND hwnd : Descendants(Desktop())) {
    Window* w = Find(hwnd);
    if (!w || w->threadId != queue.threadId || w->destroying) continue;
    if (w->update.Empty() && !w->internalPaint && !w->frameUpdate) continue;
    if (!ReallyVisible(w)) continue;
    if (filter && hwnd != filter && !(filter != reinterpret_cast<HWND>(-1) && [&] {
          for (Window* a = Find(w->parent); a; a = Find(a->parent))
            if (a->hwnd == filter) return true;
          return false;
        }()))
      continue;
    *target = hwnd;
    return true;
  }
  return false;
}

// --- device contexts ---

namespace {

struct DcRecord {
  HDC hdc;
  HWND hwnd;
  RECT screenBounds;
};

std::vector<DcRecord>& DcRecords() {
  static std::vector<DcRecord> records;
  return records;
}

// Makes a DC over the given visible area; lock held.
HDC HandOutDc(Window* w, bool clientArea, const RectList& visible) {
  DrawTarget target;
  target.surface = host::DesktopSurface();
  RECT box = clientArea ? ScreenClientRect(w) : ScreenWindowRect(w);
  target.origin = POINT{box.left, box.top};
  target.extent = SIZE{box.right - box.left, box.bottom - box.top};
  target.visible = visible.Rects();
  HDC hdc = CreateWindowDC(w->hwnd, target);
  if (hdc) {
    DcRecords().push_back(DcRecord{hdc, w->hwnd, visible.Bounds()});
    w->dcs.push_back(hdc);
  }
  return hdc;
}

bool TakeBackDc(HDC hdc, RECT* bounds) {
  auto& records = DcRecords();
  for (auto it = records.begin(); it != records.end(); ++it) {
    if (it->hdc != hdc) continue;
    if (Window* w = Find(it->hwnd)) std::erase(w->dcs, hdc);
    *bounds = it->screenBounds;
    records.erase(it);
    return true;
  }
  return false;
}

RectList RegionInScreen(HRGN region) {
  RectList list;
  std::vector<RECT> rects;
  if (region && GetRegionRects(region, &rects)) {
    for (const RECT& r : rects) list.Add(r);
  }
  return list;
}

}  // namespace

std::vector<RECT> HeldDesktopDcBounds() {
  std::vector<RECT> held;
  for (const DcRecord& record : DcRecords())
    if (!record.hwnd || record.hwnd == Desktop()) held.push_back(record.screenBounds);
  return held;
}

void ForgetWindowDcs(Window* w) {
  for (HDC hdc : std::vector<HDC>(w->dcs)) {
    RECT bounds;
    if (TakeBackDc(hdc, &bounds)) DestroyWindowDC(hdc);
  }
  w->dcs.clear();
}

// GetDC and GetWindowDC clip by the window's styles, as GetDCEx does not for the desktop.
constexpr DWORD kUseStyle = 0x00010000;

HDC GetDcInternal(HWND hwnd, HRGN clip, DWORD flags) {
  Guard guard = Lock();
  if (!hwnd) {
    // The screen DC: the whole desktop, over every window.
    DrawTarget target;
    target.surface = host::DesktopSurface();
    target.extent = SIZE{target.surface->width, target.surface->height};
    target.visible.push_back(RECT{0, 0, target.extent.cx, target.extent.cy});
    HDC hdc = CreateWindowDC(nullptr, target);
    if (hdc) DcRecords().push_back(DcRecord{hdc, nullptr, target.visible.front()});
    return hdc;
  }
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  const bool clientArea = !(flags & DCX_WINDOW);
  // A DC of the desktop window from GetDCEx clips only as asked: it is how a
  // drag draws its tracker over every window. DCX_CACHE and DCX_PARENTCLIP
  // change nothing here: every DC comes from the cache, and a child's DC
  // already lies inside its parent's visible area.
  const bool byStyle = (flags & kUseStyle) || hwnd != Desktop();
  const bool clipChildren = (flags & DCX_CLIPCHILDREN) || (byStyle && (w->style & WS_CLIPCHILDREN));
  RectList visible = VisibleArea(w, clientArea, clipChildren, (flags & DCX_CLIPSIBLINGS) != 0,
                                 (flags & DCX_LOCKWINDOWUPDATE) != 0);
  // A region handle of 1 stands for "everything", as WM_NCPAINT passes it.
  const bool realRegion = clip && reinterpret_cast<uintptr_t>(clip) != 1;
  if ((flags & DCX_INTERSECTRGN) && realRegion) visible.Intersect(RegionInScreen(clip));
  if ((flags & DCX_EXCLUDERGN) && realRegion) {
    const RectList excluded = RegionInScreen(clip);
    for (const RECT& r : excluded.Rects()) visible.Subtract(r);
  }
  return HandOutDc(w, clientArea, visible);
}

int ReleaseDcInternal(HDC hdc) {
  RECT bounds;
  {
    Guard guard = Lock();
    if (!TakeBackDc(hdc, &bounds)) return 0;
  }
  DestroyWindowDC(hdc);
  host::PresentRect(bounds);
  return 1;
}

// The DC BeginPaint hands out: client area clipped to what was invalid.
HDC TakePaintDc(HWND hwnd, PAINTSTRUCT* ps, bool* erase) {
  Guard guard = Lock();
  Window* w = Find(hwnd);
  if (!w) return nullptr;
  RectList update = w->update;
  *erase = w->erase;
  w->update.Clear();
  w->erase = false;
  w->internalPaint = false;
  RectList visible = VisibleArea(w, true, (w->style & WS_CLIPCHILDREN) != 0);
  POINT origin = ClientScreenOrigin(w);
  RectList screenUpdate = update;
  screenUpdate.Offset(origin.x, origin.y);
  visible.Intersect(screenUpdate);
  ps->rcPaint = update.Bounds();
  return HandOutDc(w, true, visible);
}

void SendPendingNcPaint(HWND hwnd) {
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w || !w->frameUpdate) return;
    w->frameUpdate = false;
  }
  // 1 stands for the whole frame, which the default painting redraws.
  DeliverSent(hwnd, WM_NCPAINT, 1, 0);
}

void UpdateNow(HWND hwnd, bool children) {
  bool paint = false, frameOnly = false;
  std::vector<HWND> kids;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return;
    if (hwnd != State().desktop && ReallyVisible(w)) {
      paint = !w->update.Empty() || w->internalPaint || w->frameUpdate;
      frameOnly = w->update.Empty() && !w->internalPaint;
    }
    kids = w->children;
  }
  if (paint && frameOnly) SendPendingNcPaint(hwnd);
  else if (paint) DeliverSent(hwnd, WM_PAINT, 0, 0);
  if (!children) return;
  for (HWND kid : kids) UpdateNow(kid, true);
}

void EraseNow(HWND hwnd, bool children) {
  SendPendingNcPaint(hwnd);
  HDC hdc = nullptr;
  std::vector<HWND> kids;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return;
    kids = w->children;
    if (w->erase && !w->update.Empty() && hwnd != State().desktop) {
      RectList visible = VisibleArea(w, true, (w->style & WS_CLIPCHILDREN) != 0);
      RectList update = w->update;
      POINT origin = ClientScreenOrigin(w);
      update.Offset(origin.x, origin.y);
      visible.Intersect(update);
      hdc = HandOutDc(w, true, visible);
      w->erase = false;
    }
  }
  if (hdc) {
    if (!DeliverSent(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0)) {
      Guard guard = Lock();
      if (Window* w = Find(hwnd)) w->erase = true;  // still owed to BeginPaint
    }
    ReleaseDcInternal(hdc);
  }
  if (!children) return;
  for (HWND kid : kids) EraseNow(kid, true);
}

}  // namespace compat::user

namespace compat {

bool QueryWindowDrawTarget(HWND hwnd, bool clientArea, DrawTarget* out) {
  using namespace compat::user;
  if (!out) return false;
  Guard guard = Lock();
  Window* w = Find(hwnd ? hwnd : Desktop());
  if (!w) return false;
  out->surface = host::DesktopSurface();
  RECT box = clientArea ? ScreenClientRect(w) : ScreenWindowRect(w);
  out->origin = POINT{box.left, box.top};
  out->extent = SIZE{box.right - box.left, box.bottom - box.top};
  out->visible = VisibleArea(w, clientArea, (w->style & WS_CLIPCHILDREN) != 0).Rects();
  return true;
}

void PresentToWindow(HWND window, const RECT& dest, const uint32_t* bgra, int pitchPixels, const RECT& source) {
  using namespace compat::user;
  const int sw = source.right - source.left, sh = source.bottom - source.top;
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  if (!bgra || sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0 || source.left < 0 || source.top < 0 ||
      pitchPixels < source.right)
    return;
  DrawTarget target;
  if (!QueryWindowDrawTarget(window, true, &target) || target.visible.empty()) return;
  host::Surface& surface = *target.surface;
  const RECT screenDest = RectOffset(dest, target.origin.x, target.origin.y);
  const RECT clientBox{target.origin.x, target.origin.y, target.origin.x + target.extent.cx,
                       target.origin.y + target.extent.cy};
  RECT shown{0, 0, 0, 0};
  for (const RECT& v : target.visible) {
    RECT r = RectIntersection(RectIntersection(v, screenDest), clientBox);
    r = RectIntersection(r, RECT{0, 0, surface.width, surface.height});
    if (RectEmpty(r)) continue;
    for (int y = r.top; y < r.bottom; ++y) {
      // Nearest source pixel for each destination pixel; 64-bit products keep large frames exact.
      const int64_t sy = source.top + static_cast<int64_t>(y - screenDest.top) * sh / dh;
      const uint32_t* row = bgra + sy * pitchPixels;
      uint32_t* out = surface.Row(y);
      for (int x = r.left; x < r.right; ++x) {
        const int64_t sx = source.left + static_cast<int64_t>(x - screenDest.left) * sw / dw;
        out[x] = row[sx] | 0xFF000000u;
      }
    }
    shown = RectEmpty(shown) ? r : RECT{std::min(shown.left, r.left), std::min(shown.top, r.top),
                                        std::max(shown.right, r.right), std::max(shown.bottom, r.bottom)};
  }
  if (!RectEmpty(shown)) host::PresentRect(shown);
}

}  // namespace compat

using namespace compat::user;

// --- calls ---

BOOL WINAPI RedrawWindow(HWND hwnd, const RECT* rect, HRGN region, UINT flags) {
  {
    Guard guard = Lock();
    Window* w = Find(hwnd ? hwnd : Desktop());
    if (!w) return FALSE;
    if (w->hwnd == State().desktop && (flags & RDW_INVALIDATE)) {
      RECT all = rect ? *rect : w->rect;
      InvalidateScreenArea(all);
    } else {
      RectList area;
      if (region) {
        area = RegionInScreen(region);  // region is in client coordinates here
      } else {
        area.Add(rect ? *rect : RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top});
      }
      area.Intersect(RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top});
      RedrawArea(w, area, flags, !rect && !region);
    }
  }
  if (flags & RDW_UPDATENOW) {
    UpdateNow(hwnd ? hwnd : GetDesktopWindow(), !(flags & RDW_NOCHILDREN));
  } else if (flags & RDW_ERASENOW) {
    EraseNow(hwnd ? hwnd : GetDesktopWindow(), !(flags & RDW_NOCHILDREN));
  }
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  if (!hwnd) return RedrawWindow(nullptr, rect, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  if (!IsWindow(hwnd)) return FALSE;
  return RedrawWindow(hwnd, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI InvalidateRgn(HWND hwnd, HRGN region, BOOL erase) {
  if (!IsWindow(hwnd)) return FALSE;
  return RedrawWindow(hwnd, nullptr, region, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
  if (!IsWindow(hwnd)) return FALSE;
  return RedrawWindow(hwnd, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI ValidateRgn(HWND hwnd, HRGN region) {
  if (!IsWindow(hwnd)) return FALSE;
  return RedrawWindow(hwnd, nullptr, region, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  if (!IsWindow(hwnd)) return FALSE;
  UpdateNow(hwnd, true);
  return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL erase) {
  bool pending;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return FALSE;
    if (rect) *rect = w->update.Bounds();
    pending = !w->update.Empty();
  }
  if (pending && erase) EraseNow(hwnd, false);
  return pending ? TRUE : FALSE;
}

int WINAPI GetUpdateRgn(HWND hwnd, HRGN region, BOOL erase) {
  std::vector<RECT> rects;
  {
    Guard guard = Lock();
    Window* w = Find(hwnd);
    if (!w) return ERROR;
    rects = w->update.Rects();
  }
  if (!compat::SetRegionRects(region, rects)) return ERROR;
  if (!rects.empty() && erase) EraseNow(hwnd, false);
  return rects.empty() ? NULLREGION : rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  if (!paint || !IsWindow(hwnd)) return nullptr;
  *paint = PAINTSTRUCT{};
  SendPendingNcPaint(hwnd);
  bool erase = false;
  HDC hdc = TakePaintDc(hwnd, paint, &erase);
  paint->hdc = hdc;
  paint->fErase = FALSE;
  if (erase) paint->fErase = DeliverSent(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0) ? FALSE : TRUE;
  return hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
  if (!paint) return FALSE;
  if (paint->hdc) ReleaseDcInternal(paint->hdc);
  return TRUE;
}

HDC WINAPI GetDC(HWND hwnd) { return GetDcInternal(hwnd, nullptr, kUseStyle); }

HDC WINAPI GetDCEx(HWND hwnd, HRGN clip, DWORD flags) { return GetDcInternal(hwnd, clip, flags); }

HDC WINAPI GetWindowDC(HWND hwnd) { return GetDcInternal(hwnd, nullptr, DCX_WINDOW | kUseStyle); }

int WINAPI ReleaseDC(HWND, HDC hdc) { return ReleaseDcInternal(hdc); }

BOOL WINAPI LockWindowUpdate(HWND hwnd) {
  bool desktop = false;
  {
    Guard guard = Lock();
    UserState& s = State();
    if (hwnd) {
      if (s.lockedUpdate || !Find(hwnd)) return FALSE;
      s.lockedUpdate = hwnd;
      desktop = hwnd == Desktop();
    } else {
      HWND unlocked = s.lockedUpdate;
      s.lockedUpdate = nullptr;
      // What was drawn while locked never reached the screen.
      if (unlocked == Desktop()) {
        desktop = true;
        InvalidateScreenArea(Find(unlocked)->rect);
      } else if (Window* w = Find(unlocked)) {
        InvalidateWhole(w, true, true, true);
      }
    }
  }
  // Drawing on the desktop itself shows above every window of the host's screen.
  if (desktop && hwnd) compat::host::BeginDesktopDrawing();
  else if (desktop) compat::host::EndDesktopDrawing();
  return TRUE;
}
