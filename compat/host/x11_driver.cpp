// The X11 host: the desktop is the X screen, and every top-level window is an
// X window of its own at its place on the screen, made when it is first shown.
// The desktop surface stays the store of every window's pixels (composed in
// the program's Z order); each X window shows its slice of it. Without a
// window manager the X stacking follows the program's Z order; under one, the
// program's Z order follows the manager's stacking. Presents gather damage and go to the server (through shared
// memory when it can) when the owning thread is about to wait; X events
// become host input in the same place. A watcher thread only polls the
// connection's descriptor and wakes the owner, so an idle program sleeps and
// no thread but the owner talks to X.
//
// Sections: errors · images (damage, cursor pictures, text) · the driver:
// connection, top-level windows, presenting, pointer, keyboard, events, waking
#include "compat/host/driver.h"
#include "compat/host/x11_clipboard.h"
#include "compat/host/x11_keymap.h"

#include <langinfo.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/Xrender.h>
// X names a query constant like our cursor enumeration.
#undef CursorShape

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <clocale>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace compat::host {
namespace {

// --- errors ---
// Protocol errors arrive asynchronously; they are logged and counted, and the
// calls that can fail (the shared-memory attach) look at the count after a sync.

std::atomic<unsigned long> g_errorCount{0};

int OnXError(Display* display, XErrorEvent* error) {
  char text[160];
  XGetErrorText(display, error->error_code, text, sizeof(text));
  std::fprintf(stderr, "calvetta: X error: %s (request %d.%d)\n", text, error->request_code, error->minor_code);
  ++g_errorCount;
  return 0;
}

// --- images ---

constexpr int kMaxDamageRects = 32;
constexpr std::chrono::seconds kCompletionTimeout{2};

bool Touches(const RECT& a, const RECT& b) {
  return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

RECT Intersection(const RECT& a, const RECT& b) {
  return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
}

RECT Union(const RECT& a, const RECT& b) {
  return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

// Adds a rectangle, merging those that touch; past a limit everything merges.
void AddDamage(std::vector<RECT>& damage, RECT rect) {
  for (size_t i = 0; i < damage.size();) {
    if (Touches(damage[i], rect)) {
      rect = Union(rect, damage[i]);
      damage.erase(damage.begin() + static_cast<long>(i));
      i = 0;
    } else {
      ++i;
    }
  }
  damage.push_back(rect);
  if (damage.size() > kMaxDamageRects) {
    RECT all = damage[0];
    for (const RECT& r : damage) all = Union(all, r);
    damage.assign(1, all);
  }
}

// Straight ARGB to the premultiplied ARGB the Render extension takes.
uint32_t Premultiply(uint32_t argb) {
  const uint32_t a = argb >> 24;
  auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
  return (a << 24) | (scale((argb >> 16) & 0xFF) << 16) | (scale((argb >> 8) & 0xFF) << 8) | scale(argb & 0xFF);
}

// The cursor font's glyph and the name a reader of the cursor sees.
struct FontCursor {
  unsigned glyph;
  const char* name;
};

FontCursor FontCursorFor(CursorShape shape) {
  switch (shape) {
    case CursorShape::IBeam: return {XC_xterm, "xterm"};
    case CursorShape::Wait: return {XC_watch, "watch"};
    case CursorShape::Cross: return {XC_crosshair, "crosshair"};
    case CursorShape::UpArrow: return {XC_sb_up_arrow, "sb_up_arrow"};
    case CursorShape::SizeNWSE: return {XC_bottom_right_corner, "bottom_right_corner"};
    case CursorShape::SizeNESW: return {XC_bottom_left_corner, "bottom_left_corner"};
    case CursorShape::SizeWE: return {XC_sb_h_double_arrow, "sb_h_double_arrow"};
    case CursorShape::SizeNS: return {XC_sb_v_double_arrow, "sb_v_double_arrow"};
    case CursorShape::SizeAll: return {XC_fleur, "fleur"};
    case CursorShape::No: return {XC_circle, "circle"};
    case CursorShape::Hand: return {XC_hand2, "hand2"};
    case CursorShape::AppStarting: return {XC_watch, "watch"};
    case CursorShape::Help: return {XC_question_arrow, "question_arrow"};
    default: return {XC_left_ptr, "left_ptr"};
  }
}

uint64_t CursorKey(const CursorImage& cursor) {
  // FNV-1a over the picture: equal pictures share one X cursor.
  uint64_t hash = 1469598103934665603ull;
  auto mix = [&hash](uint64_t v) { hash = (hash ^ v) * 1099511628211ull; };
  mix(static_cast<uint64_t>(cursor.shape));
  mix(static_cast<uint64_t>(cursor.width) << 32 | static_cast<uint32_t>(cursor.height));
  mix(static_cast<uint64_t>(cursor.hotX) << 32 | static_cast<uint32_t>(cursor.hotY));
  for (uint32_t p : cursor.argb) mix(p);
  return hash;
}

// The first character of UTF-8 text; 0 when there is none or it is malformed.
char32_t FirstCharacter(const char* text, int length) {
  if (length <= 0) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(text);
  const int extra = p[0] < 0x80 ? 0 : p[0] >= 0xF0 ? 3 : p[0] >= 0xE0 ? 2 : p[0] >= 0xC0 ? 1 : -1;
  if (extra < 0 || extra >= length) return 0;
  char32_t c = extra == 0 ? p[0] : p[0] & (0x3F >> extra);
  for (int i = 1; i <= extra; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 0;
    c = (c << 6) | (p[i] & 0x3F);
  }
  return c;
}

// --- the driver ---

class X11Driver final : public Driver {
 public:
  ~X11Driver() override;
  bool Open(std::string* error);

  const char* Name() const override { return "x11"; }
  void DefaultSize(int* width, int* height) const override;
  bool CreateDesktop(int width, int height) override;
  void PresentRect(const Surface& surface, const RECT& rect) override;
  void SetCursor(const CursorImage& cursor) override;
  void WarpPointer(int x, int y) override;
  bool Pump(const WaitState& state) override;
  void ArmWake() override;
  void SyncPresents() override;
  void SetClipboardText(std::optional<std::string> utf8) override {
    if (!clipboard_->Offer(std::move(utf8))) WakeHostOwner();
  }
  bool GetClipboardText(std::string* utf8) override { return clipboard_->Read(utf8); }
  bool WorkArea(RECT* area) override;
  bool HasWindowManager() override { return wm_; }
  bool BeginMoveSize(uintptr_t window, int edges, POINT at) override;
  void DesktopDrawing(const Surface* before) override;

 private:
  // A top-level window shown as an X window.
  struct Shown {
    Window x = 0;
    TopWindow top;            // as the program last described it
    RECT asked{};             // where X has it or was last asked to put it (root coordinates)
    unsigned long configureSerial = 0;  // notifies older than the last request are stale
    bool mapped = false;
    bool viewable = false;    // mapped by the server (focus may go there)
    bool maximized = false;   // as the window manager last said
    bool minimized = false;
    bool titled = false;
    Window transientFor = 0;  // the owner's X window, as WM_TRANSIENT_FOR says
  };

  // What other threads hand to the owner, under `pendingLock`.
  struct Pending {
    std::vector<RECT> damage;
    // Drawing on the desktop: wanted, and the surface as it was when it began.
    bool overlayWanted = false;
    std::shared_ptr<std::vector<uint32_t>> overlayBefore;
    int overlayWidth = 0;
    bool cursorChanged = false;
    CursorImage cursor;
    bool warp = false;
    POINT warpTo{};
  };

  // connection
  void QueryServer();
  void SetUpKeyboard();
  void DetectWindowManager();
  void ApplyWaitState(const WaitState& state);
  // top-level windows
  void SyncWindows(const WaitState& state);
  Shown& MakeShown(const TopWindow& top);
  void DescribeShown(Shown& shown, const TopWindow& top, bool fresh);
  void MoveShown(Shown& shown, const RECT& rect);
  void AskState(Shown& shown, const TopWindow& top);
  void DestroyShown(uintptr_t id);
  void Restack(const WaitState& state);
  void Activate(const WaitState& state);
  void SetTitle(Window window, const std::string& title);
  void SetIcon(Window window, const std::shared_ptr<const CursorImage>& icon);
  Shown* ShownOf(Window window);
  Window GrabWindow() const;
  void SendRootMessage(Window window, Atom type, long a, long b, long c, long d = 0);
  void OnConfigure(XConfigureEvent& e);
  void OnStateProperty(Shown& shown);
  void OnStacking();
  void OnWmMessage(Shown& shown, const XClientMessageEvent& e);
  // presenting
  void Flush(std::vector<RECT> damage);
  bool EnsureImage(int width, int height);
  void DropImage();
  // Where presents go: an X window showing an area of the surface at its origin.
  struct Target {
    Window window;
    RECT area;
  };
  std::vector<Target> Targets() const;
  void PutShared(const Surface& surface, const std::vector<RECT>& damage);
  void PutPlain(const Surface& surface, const RECT& rect, Window window, POINT origin);
  // the overlay drawing on the desktop shows in
  void SyncOverlay();
  void ShapeOverlay(const Surface& surface, const std::vector<RECT>& damage);
  void WaitForCompletion();
  // pointer
  void ShowCursor(const CursorImage& cursor);
  Cursor MakeCursor(const CursorImage& cursor);
  Cursor MakeArgbCursor(const CursorImage& cursor);
  Cursor MakeMonoCursor(const CursorImage& cursor);
  void OnMotion(int x, int y);
  void DeliverMotion();
  void OnButton(const XButtonEvent& e, bool down);
  // keyboard
  void OnKey(XKeyEvent& e, bool down);
  void DeliverCharacterOnly(char32_t c);
  unsigned LockToggles();
  // keymap: the keys held as the focus came (the KeymapNotify's), for a gain.
  void OnFocus(bool in, const char* keymap = nullptr);
  // events
  bool DrainEvents();
  void Handle(XEvent& event);
  // waking
  void Watch();

  Display* display_ = nullptr;
  int screen_ = 0;
  Window root_ = 0;
  // Never shown: the group leader, the input method's client and the
  // drawable cursor pictures are made on.
  Window leader_ = 0;
  GC gc_ = nullptr;
  Visual* visual_ = nullptr;
  int depth_ = 0;
  bool directPixels_ = false;  // the visual takes BGRA rows as they are
  Atom wmProtocols_ = 0, wmDelete_ = 0, wmTakeFocus_ = 0, netWmName_ = 0, utf8String_ = 0, netWmIcon_ = 0;
  Atom netWmPid_ = 0, netWmType_ = 0, netWmState_ = 0, netStateMaxV_ = 0, netStateMaxH_ = 0, netStateHidden_ = 0;
  Atom netActiveWindow_ = 0, netMoveResize_ = 0, netWorkArea_ = 0, netSupportingCheck_ = 0, motifHints_ = 0;
  Atom wmChangeState_ = 0, wmState_ = 0, clientLeader_ = 0, netClientListStacking_ = 0;
  Atom typeAtoms_[6] = {};  // by WindowKind
  std::unique_ptr<X11Clipboard> clipboard_;
  XIM im_ = nullptr;
  XIC ic_ = nullptr;
  int xkbEventBase_ = 0;
  int capsIndicator_ = -1, numIndicator_ = -1, scrollIndicator_ = -1;
  // shared memory
  bool shmAvailable_ = false;
  int shmCompletion_ = -1;  // no event has this type
  XShmSegmentInfo shm_{};
  XImage* shmImage_ = nullptr;
  bool completionPending_ = false;
  unsigned long errorsAtPut_ = 0;
  bool renderAvailable_ = false;
  bool fixesAvailable_ = false;
  // owner state
  int width_ = 0, height_ = 0;
  bool wm_ = false;  // a window manager runs (it answers _NET_SUPPORTING_WM_CHECK)
  std::map<uintptr_t, Shown> shown_;
  std::map<Window, uintptr_t> byX_;
  std::vector<Window> stacked_;  // the last stacking asked for, top first
  std::vector<uintptr_t> managedOrder_;  // the program's Z order of the windows a manager keeps, top first
  std::vector<uintptr_t> managerOrder_;  // ours in the manager's stacking as last seen, top first
  uintptr_t activeAsked_ = 0;    // the program's active window the focus was last given to
  uintptr_t focusedId_ = 0;      // the window of ours that has the X focus
  uintptr_t activatePending_ = 0;  // a focus gain's window, told after its KeymapNotify
  Time lastTime_ = CurrentTime;  // of the last event that carried one
  bool leavePending_ = false;    // the pointer left our windows for another's or the root
  bool keyboardGrabbed_ = false;
  Cursor currentCursor_ = None;
  // The overlay: above everything, shaped to the pixels drawn on the desktop
  // since the drawing began (those that differ from the surface then).
  bool shapeAvailable_ = false;
  Window overlay_ = 0;
  std::shared_ptr<std::vector<uint32_t>> overlayBefore_;
  int overlayWidth_ = 0;
  std::vector<std::vector<XRectangle>> overlayRuns_;  // by row
  std::map<uint64_t, Cursor> cursors_;
  uint64_t shownCursor_ = 0;
  bool grabbed_ = false;
  bool clipped_ = false;
  RECT clip_{};
  bool motionPending_ = false;
  int motionX_ = 0, motionY_ = 0;
  bool focused_ = false;
  bool focusAwaitsKeymap_ = false;  // a FocusIn was taken; its KeymapNotify follows
  HostKey pressed_[256] = {};  // by keycode
  unsigned composingKey_ = 0;  // the last key the input method took, and its modifiers
  unsigned composingState_ = 0;
  bool delivered_ = false;
  std::thread::id owner_;
  // handed over by other threads
  std::mutex pendingLock_;
  Pending pending_;
  // the watcher
  std::mutex watchLock_;
  std::condition_variable watchWake_;
  bool armed_ = false;
  bool stopping_ = false;
  int stopFd_ = -1;
  std::thread watcher_;
};

// --- window ---

bool X11Driver::Open(std::string* error) {
  XInitThreads();
  const char* name = std::getenv("DISPLAY");
  // The input method needs the user's character set; the program's own text is UTF-16.
  const char* locale = std::setlocale(LC_CTYPE, "");
  if (!locale || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0 || !XSupportsLocale())
    if (!std::setlocale(LC_CTYPE, "C.UTF-8") || !XSupportsLocale()) std::setlocale(LC_CTYPE, "C");
  XSetLocaleModifiers("");
  display_ = XOpenDisplay(nullptr);
  if (!display_) {
    *error = std::string("cannot open display \"") + (name ? name : "") + "\"";
    return false;
  }
  XSetErrorHandler(OnXError);
  QueryServer();
  SetUpKeyboard();
  // The root tells of the screen's size, the work area and the window manager.
  XSelectInput(display_, root_, StructureNotifyMask | PropertyChangeMask);
  DetectWindowManager();
  XSetWindowAttributes attributes{};
  leader_ = XCreateWindow(display_, root_, -1, -1, 1, 1, 0, depth_, InputOutput, visual_, 0, &attributes);
  gc_ = XCreateGC(display_, leader_, 0, nullptr);
  im_ = XOpenIM(display_, nullptr, nullptr, nullptr);
  if (im_) {
    // No pre-edit or status area: composed text arrives with the key that ends it.
    ic_ = XCreateIC(im_, XNInputStyle, XIMPreeditNothing | XIMStatusNothing, XNClientWindow, leader_,
                    XNFocusWindow, leader_, nullptr);
  }
  clipboard_ = std::make_unique<X11Clipboard>(display_);
  stopFd_ = eventfd(0, EFD_CLOEXEC);
  owner_ = std::this_thread::get_id();
  watcher_ = std::thread([this] { Watch(); });
  return true;
}

// The visual, the extensions the driver uses and the atoms it speaks.
void X11Driver::QueryServer() {
  screen_ = DefaultScreen(display_);
  root_ = RootWindow(display_, screen_);
  visual_ = DefaultVisual(display_, screen_);
  depth_ = DefaultDepth(display_, screen_);
  directPixels_ = visual_->c_class == TrueColor && (depth_ == 24 || depth_ == 32) &&
                  visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
                  visual_->blue_mask == 0xFF && ImageByteOrder(display_) == LSBFirst;
  int major, minor, eventBase, errorBase;
  Bool pixmaps;
  // Shared memory only works when the server runs on this machine (the attach says).
  shmAvailable_ = directPixels_ && XQueryExtension(display_, "MIT-SHM", &major, &eventBase, &errorBase) &&
                  XShmQueryVersion(display_, &major, &minor, &pixmaps);
  if (shmAvailable_) shmCompletion_ = XShmGetEventBase(display_) + ShmCompletion;
  renderAvailable_ = XRenderQueryExtension(display_, &eventBase, &errorBase);
  fixesAvailable_ = XFixesQueryExtension(display_, &eventBase, &errorBase);
  shapeAvailable_ = XShapeQueryExtension(display_, &eventBase, &errorBase);
  wmProtocols_ = XInternAtom(display_, "WM_PROTOCOLS", False);
  wmDelete_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
  netWmName_ = XInternAtom(display_, "_NET_WM_NAME", False);
  utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
  netWmIcon_ = XInternAtom(display_, "_NET_WM_ICON", False);
  wmTakeFocus_ = XInternAtom(display_, "WM_TAKE_FOCUS", False);
  netWmPid_ = XInternAtom(display_, "_NET_WM_PID", False);
  netWmType_ = XInternAtom(display_, "_NET_WM_WINDOW_TYPE", False);
  netWmState_ = XInternAtom(display_, "_NET_WM_STATE", False);
  netStateMaxV_ = XInternAtom(display_, "_NET_WM_STATE_MAXIMIZED_VERT", False);
  netStateMaxH_ = XInternAtom(display_, "_NET_WM_STATE_MAXIMIZED_HORZ", False);
  netStateHidden_ = XInternAtom(display_, "_NET_WM_STATE_HIDDEN", False);
  netActiveWindow_ = XInternAtom(display_, "_NET_ACTIVE_WINDOW", False);
  netMoveResize_ = XInternAtom(display_, "_NET_WM_MOVERESIZE", False);
  netWorkArea_ = XInternAtom(display_, "_NET_WORKAREA", False);
  netSupportingCheck_ = XInternAtom(display_, "_NET_SUPPORTING_WM_CHECK", False);
  motifHints_ = XInternAtom(display_, "_MOTIF_WM_HINTS", False);
  wmChangeState_ = XInternAtom(display_, "WM_CHANGE_STATE", False);
  wmState_ = XInternAtom(display_, "WM_STATE", False);
  clientLeader_ = XInternAtom(display_, "WM_CLIENT_LEADER", False);
  netClientListStacking_ = XInternAtom(display_, "_NET_CLIENT_LIST_STACKING", False);
  const char* types[] = {"_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_WINDOW_TYPE_DIALOG",
                         "_NET_WM_WINDOW_TYPE_UTILITY", "_NET_WM_WINDOW_TYPE_POPUP_MENU",
                         "_NET_WM_WINDOW_TYPE_DROPDOWN_MENU", "_NET_WM_WINDOW_TYPE_TOOLTIP"};
  for (int i = 0; i < 6; ++i) typeAtoms_[i] = XInternAtom(display_, types[i], False);
}

// A window manager that follows the desktop conventions names a window of its
// own on the root, which names itself again.
void X11Driver::DetectWindowManager() {
  auto checkOf = [this](Window window, Window* found) {
    Atom type;
    int format;
    unsigned long count, after;
    unsigned char* data = nullptr;
    *found = 0;
    const unsigned long errorsBefore = g_errorCount;
    if (XGetWindowProperty(display_, window, netSupportingCheck_, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success && data) {
      if (type == XA_WINDOW && format == 32 && count == 1) *found = static_cast<Window>(*reinterpret_cast<long*>(data));
      XFree(data);
    }
    return g_errorCount == errorsBefore;
  };
  Window check = 0, again = 0;
  // A stale check window (its manager gone) answers with an error, which is no manager.
  wm_ = checkOf(root_, &check) && check && checkOf(check, &again) && again == check;
}

bool X11Driver::WorkArea(RECT* area) {
  if (!wm_) return false;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  bool found = false;
  if (XGetWindowProperty(display_, root_, netWorkArea_, 0, 4, False, XA_CARDINAL, &type, &format, &count, &after,
                         &data) == Success && data) {
    if (type == XA_CARDINAL && format == 32 && count == 4) {
      const long* v = reinterpret_cast<long*>(data);
      *area = RECT{static_cast<LONG>(v[0]), static_cast<LONG>(v[1]), static_cast<LONG>(v[0] + v[2]),
                   static_cast<LONG>(v[1] + v[3])};
      found = v[2] > 0 && v[3] > 0;
    }
    XFree(data);
  }
  return found;
}

void X11Driver::SetUpKeyboard() {
  int xkbMajor = XkbMajorVersion, xkbMinor = XkbMinorVersion, opcode, xkbError;
  if (XkbQueryExtension(display_, &opcode, &xkbEventBase_, &xkbError, &xkbMajor, &xkbMinor)) {
    Bool supported;
    // Held keys repeat as presses only, so a repeat is told by the key's state.
    XkbSetDetectableAutoRepeat(display_, True, &supported);
    XkbSelectEvents(display_, XkbUseCoreKbd, XkbIndicatorStateNotifyMask, XkbIndicatorStateNotifyMask);
    auto indicator = [this](const char* label) {
      int index = -1;
      XkbGetNamedIndicator(display_, XInternAtom(display_, label, False), &index, nullptr, nullptr, nullptr);
      return index;
    };
    capsIndicator_ = indicator("Caps Lock");
    numIndicator_ = indicator("Num Lock");
    scrollIndicator_ = indicator("Scroll Lock");
  }
}

X11Driver::~X11Driver() {
  if (watcher_.joinable()) {
    {
      std::lock_guard<std::mutex> guard(watchLock_);
      stopping_ = true;
    }
    watchWake_.notify_all();
    const uint64_t one = 1;
    if (write(stopFd_, &one, sizeof(one)) < 0) {}
    watcher_.join();
  }
  if (stopFd_ >= 0) close(stopFd_);
  if (!display_) return;
  DropImage();
  for (auto& [id, shown] : shown_) XDestroyWindow(display_, shown.x);
  if (overlay_) XDestroyWindow(display_, overlay_);
  if (leader_) XDestroyWindow(display_, leader_);
  for (auto& [key, cursor] : cursors_) XFreeCursor(display_, cursor);
  if (ic_) XDestroyIC(ic_);
  if (im_) XCloseIM(im_);
  if (gc_) XFreeGC(display_, gc_);
  clipboard_.reset();
  XCloseDisplay(display_);
}

// The desktop is the screen.
void X11Driver::DefaultSize(int* width, int* height) const {
  *width = std::min(DisplayWidth(display_, screen_), kMaxDesktopSide);
  *height = std::min(DisplayHeight(display_, screen_), kMaxDesktopSide);
}

// The surface is only where the windows' pixels live: nothing shows it whole.
bool X11Driver::CreateDesktop(int width, int height) {
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending_.damage.clear();
    AddDamage(pending_.damage, RECT{0, 0, width, height});
  }
  width_ = width;
  height_ = height;
  return true;
}

void X11Driver::ApplyWaitState(const WaitState& state) {
  clipped_ = state.clipped;
  clip_ = state.clip;
  SyncWindows(state);
  // A menu takes every click on the screen (one elsewhere closes it) and the keyboard.
  const bool grab = state.captured || state.menuOpen;
  if (grab && !grabbed_) {
    if (Window window = GrabWindow()) {
      const int result = XGrabPointer(display_, window, False, ButtonPressMask | ButtonReleaseMask | PointerMotionMask,
                                      GrabModeAsync, GrabModeAsync, None, currentCursor_, CurrentTime);
      grabbed_ = result == GrabSuccess;
    }
  } else if (!grab && grabbed_) {
    XUngrabPointer(display_, CurrentTime);
    grabbed_ = false;
  }
  if (state.menuOpen && !keyboardGrabbed_) {
    if (Window window = GrabWindow())
      keyboardGrabbed_ = XGrabKeyboard(display_, window, True, GrabModeAsync, GrabModeAsync, CurrentTime) == GrabSuccess;
  } else if (!state.menuOpen && keyboardGrabbed_) {
    XUngrabKeyboard(display_, CurrentTime);
    keyboardGrabbed_ = false;
  }
}

// --- top-level windows ---

X11Driver::Shown* X11Driver::ShownOf(Window window) {
  auto found = byX_.find(window);
  if (found == byX_.end()) return nullptr;
  auto shown = shown_.find(found->second);
  return shown == shown_.end() ? nullptr : &shown->second;
}

// A grab needs a window the server shows: the focused one, else any.
Window X11Driver::GrabWindow() const {
  if (auto focused = shown_.find(focusedId_); focused != shown_.end() && focused->second.viewable)
    return focused->second.x;
  for (const auto& [id, shown] : shown_)
    if (shown.viewable) return shown.x;
  return 0;
}

void X11Driver::SendRootMessage(Window window, Atom type, long a, long b, long c, long d) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = type;
  event.xclient.format = 32;
  event.xclient.data.l[0] = a;
  event.xclient.data.l[1] = b;
  event.xclient.data.l[2] = c;
  event.xclient.data.l[3] = d;
  event.xclient.data.l[4] = 1;  // from an application
  XSendEvent(display_, root_, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

// Windows appear when first shown, hide with the program's, and go with them.
void X11Driver::SyncWindows(const WaitState& state) {
  if (!state.listsWindows) return;
  std::set<uintptr_t> listed;
  for (const TopWindow& top : state.windows) {
    listed.insert(top.id);
    auto found = shown_.find(top.id);
    if (!top.visible) {
      if (found != shown_.end() && found->second.mapped) {
        // Withdrawn, so that a window manager forgets it until it shows again.
        XWithdrawWindow(display_, found->second.x, screen_);
        found->second.mapped = found->second.viewable = false;
        found->second.titled = false;
      }
      if (found != shown_.end()) found->second.top.visible = false;
      continue;
    }
    const bool fresh = found == shown_.end();
    Shown& shown = fresh ? MakeShown(top) : found->second;
    DescribeShown(shown, top, fresh);
    // A window manager places maximized and minimized windows itself; were
    // the program's rectangle for them asked for, the manager would restore to it.
    const bool managerPlaces = wm_ && IsManaged(top.kind) && (top.maximized || top.minimized);
    AskState(shown, top);
    if (!SameRect(shown.asked, top.rect) && !managerPlaces) MoveShown(shown, top.rect);
    if (!fresh && !SameRect(shown.top.rect, top.rect)) {
      // Its pixels are now taken from another part of the desktop: what was
      // drawn there before this (a window restored from minimized draws its
      // frame before the host hears of the new place) shows too.
      std::lock_guard<std::mutex> guard(pendingLock_);
      AddDamage(pending_.damage, top.rect);
    }
    shown.top = top;
    if (!shown.mapped) {
      XMapWindow(display_, shown.x);
      shown.mapped = true;
    }
  }
  for (auto it = shown_.begin(); it != shown_.end();) {
    const uintptr_t id = it->first;
    ++it;
    if (!listed.count(id)) DestroyShown(id);
  }
  // Owned windows stay above their owners: once both have X windows (an
  // owner may be shown after what it owns), whatever the order they came in.
  for (auto& [id, shown] : shown_) {
    if (!IsManaged(shown.top.kind)) continue;
    auto owner = shown_.find(shown.top.owner);
    const Window ownerX = owner != shown_.end() && shown.top.owner != id ? owner->second.x : 0;
    if (ownerX == shown.transientFor) continue;
    if (ownerX) XSetTransientForHint(display_, shown.x, ownerX);
    else XDeleteProperty(display_, shown.x, XA_WM_TRANSIENT_FOR);
    shown.transientFor = ownerX;
  }
  Restack(state);
  Activate(state);
}

X11Driver::Shown& X11Driver::MakeShown(const TopWindow& top) {
  Shown& shown = shown_[top.id];
  const bool managed = IsManaged(top.kind);
  XSetWindowAttributes attributes{};
  // No background: what the window showed stays until its pixels come.
  attributes.background_pixmap = None;
  attributes.bit_gravity = NorthWestGravity;
  attributes.override_redirect = managed ? False : True;
  attributes.save_under = managed ? False : True;
  attributes.cursor = currentCursor_;
  attributes.event_mask = ExposureMask | StructureNotifyMask | KeyPressMask | KeyReleaseMask | ButtonPressMask |
                          ButtonReleaseMask | PointerMotionMask | FocusChangeMask | KeymapStateMask |
                          EnterWindowMask | LeaveWindowMask | PropertyChangeMask;
  const RECT& r = top.rect;
  shown.x = XCreateWindow(display_, root_, r.left, r.top, static_cast<unsigned>(std::max<LONG>(r.right - r.left, 1)),
                          static_cast<unsigned>(std::max<LONG>(r.bottom - r.top, 1)), 0, depth_, InputOutput, visual_,
                          CWBackPixmap | CWBitGravity | CWOverrideRedirect | CWSaveUnder | CWEventMask |
                              (currentCursor_ ? CWCursor : 0),
                          &attributes);
  shown.asked = r;
  byX_[shown.x] = top.id;
  XClassHint hint{const_cast<char*>("calvetta"), const_cast<char*>("Calvetta")};
  XSetClassHint(display_, shown.x, &hint);
  const long pid = getpid();
  XChangeProperty(display_, shown.x, netWmPid_, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&pid), 1);
  char host[256] = {};
  if (gethostname(host, sizeof(host) - 1) == 0) {
    XTextProperty machine{};
    char* list[] = {host};
    if (XStringListToTextProperty(list, 1, &machine)) {
      XSetWMClientMachine(display_, shown.x, &machine);
      XFree(machine.value);
    }
  }
  const long type = static_cast<long>(typeAtoms_[static_cast<int>(top.kind)]);
  XChangeProperty(display_, shown.x, netWmType_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&type), 1);
  const long leader = static_cast<long>(leader_);
  XChangeProperty(display_, shown.x, clientLeader_, XA_WINDOW, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&leader), 1);
  if (managed) {
    Atom protocols[] = {wmDelete_, wmTakeFocus_};
    XSetWMProtocols(display_, shown.x, protocols, 2);
    XWMHints hints{};
    hints.flags = InputHint | WindowGroupHint | StateHint;
    hints.input = True;
    hints.initial_state = NormalState;
    hints.window_group = leader_;
    XSetWMHints(display_, shown.x, &hints);
    // The program paints its own captions and borders.
    const long motif[5] = {2 /* decorations */, 0, 0, 0, 0};
    XChangeProperty(display_, shown.x, motifHints_, motifHints_, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(motif), 5);
    // Shown maximized or minimized: the window manager hears it before the map.
    if (top.maximized) {
      const long state[2] = {static_cast<long>(netStateMaxV_), static_cast<long>(netStateMaxH_)};
      XChangeProperty(display_, shown.x, netWmState_, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(state), 2);
      shown.maximized = true;
    }
    if (top.minimized) {
      hints.initial_state = IconicState;
      XSetWMHints(display_, shown.x, &hints);
      shown.minimized = true;
    }
  }
  shown.top.maximized = top.maximized;
  shown.top.minimized = top.minimized;
  return shown;
}

// Caption, icon, owner and size limits, each sent only when it changed.
void X11Driver::DescribeShown(Shown& shown, const TopWindow& top, bool fresh) {
  if (!IsManaged(top.kind)) return;
  if (fresh || !shown.titled || shown.top.title != top.title) {
    SetTitle(shown.x, top.title);
    shown.titled = true;
  }
  if (fresh || shown.top.icon != top.icon) SetIcon(shown.x, top.icon);
  const bool sizeChanged = shown.top.rect.right - shown.top.rect.left != top.rect.right - top.rect.left ||
                           shown.top.rect.bottom - shown.top.rect.top != top.rect.bottom - top.rect.top;
  if (fresh || shown.top.sizable != top.sizable || (!top.sizable && sizeChanged) ||
      shown.top.minSize.cx != top.minSize.cx || shown.top.minSize.cy != top.minSize.cy ||
      shown.top.maxSize.cx != top.maxSize.cx || shown.top.maxSize.cy != top.maxSize.cy) {
    XSizeHints hints{};
    // The program's own place counts, as the user's would.
    hints.flags = USPosition | PPosition | USSize | PSize | PMinSize | PMaxSize | PWinGravity;
    hints.x = top.rect.left;
    hints.y = top.rect.top;
    hints.width = top.rect.right - top.rect.left;
    hints.height = top.rect.bottom - top.rect.top;
    hints.win_gravity = StaticGravity;
    if (top.sizable) {
      hints.min_width = std::max<LONG>(top.minSize.cx, 1);
      hints.min_height = std::max<LONG>(top.minSize.cy, 1);
      hints.max_width = top.maxSize.cx > 0 ? top.maxSize.cx : kMaxDesktopSide;
      hints.max_height = top.maxSize.cy > 0 ? top.maxSize.cy : kMaxDesktopSide;
    } else {
      hints.min_width = hints.max_width = std::max(hints.width, 1);
      hints.min_height = hints.max_height = std::max(hints.height, 1);
    }
    XSetWMNormalHints(display_, shown.x, &hints);
  }
}

void X11Driver::MoveShown(Shown& shown, const RECT& r) {
  shown.asked = r;
  shown.configureSerial = NextRequest(display_);
  XMoveResizeWindow(display_, shown.x, r.left, r.top, static_cast<unsigned>(std::max<LONG>(r.right - r.left, 1)),
                    static_cast<unsigned>(std::max<LONG>(r.bottom - r.top, 1)));
}

// Minimizing and maximizing a window a window manager keeps go through it.
void X11Driver::AskState(Shown& shown, const TopWindow& top) {
  if (!wm_ || !IsManaged(top.kind) || !shown.mapped) return;
  if (top.minimized && !shown.minimized && !shown.top.minimized) {
    XIconifyWindow(display_, shown.x, screen_);
  } else if (!top.minimized && shown.minimized && shown.top.minimized) {
    XMapRaised(display_, shown.x);
  }
  if (top.maximized != shown.maximized && top.maximized != shown.top.maximized) {
    SendRootMessage(shown.x, netWmState_, top.maximized ? 1 : 0, static_cast<long>(netStateMaxV_),
                    static_cast<long>(netStateMaxH_), 1);
  }
}

void X11Driver::DestroyShown(uintptr_t id) {
  auto found = shown_.find(id);
  if (found == shown_.end()) return;
  if (found->second.x == GrabWindow() && grabbed_) {
    XUngrabPointer(display_, CurrentTime);
    grabbed_ = false;
  }
  byX_.erase(found->second.x);
  std::erase(stacked_, found->second.x);
  XDestroyWindow(display_, found->second.x);
  if (focusedId_ == id) focusedId_ = 0;
  if (activeAsked_ == id) activeAsked_ = 0;
  shown_.erase(found);
}

// The X stacking follows the program's Z order. Under a window manager only
// the windows it does not keep are stacked by the program (above everything).
void X11Driver::Restack(const WaitState& state) {
  std::vector<Window> order;
  managedOrder_.clear();
  for (const TopWindow& top : state.windows) {
    auto found = shown_.find(top.id);
    if (found == shown_.end() || !found->second.mapped) continue;
    if (IsManaged(top.kind)) managedOrder_.push_back(top.id);
    if (wm_ && IsManaged(top.kind)) continue;
    order.push_back(found->second.x);
  }
  if (order == stacked_) return;
  stacked_ = order;
  if (wm_) {
    for (auto it = order.rbegin(); it != order.rend(); ++it) XRaiseWindow(display_, *it);
  } else if (!order.empty()) {
    XRestackWindows(display_, order.data(), static_cast<int>(order.size()));
  }
}

// The window the program activates gets the keyboard: through the window
// manager where one runs, else given straight to it.
void X11Driver::Activate(const WaitState& state) {
  if (state.active == activeAsked_) return;
  auto found = shown_.find(state.active);
  if (found == shown_.end()) {
    activeAsked_ = state.active;
    return;
  }
  Shown& shown = found->second;
  // Focus can go only to a window the server shows; the map's notice comes back here.
  if (!IsManaged(shown.top.kind) || !shown.viewable) return;
  activeAsked_ = state.active;
  if (focusedId_ == state.active) return;
  if (wm_) {
    SendRootMessage(shown.x, netActiveWindow_, 1, static_cast<long>(lastTime_), 0);
  } else {
    XSetInputFocus(display_, shown.x, RevertToParent, CurrentTime);
  }
}

void X11Driver::SetTitle(Window window, const std::string& title) {
  const std::string utf8 = title.empty() ? "Calvetta" : title;
  XChangeProperty(display_, window, netWmName_, utf8String_, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  XTextProperty property{};
  char* list[] = {const_cast<char*>(utf8.c_str())};
  if (Xutf8TextListToTextProperty(display_, list, 1, XStdICCTextStyle, &property) >= 0) {
    XSetWMName(display_, window, &property);
    XFree(property.value);
  }
}

// The window manager's icon: width, height, then ARGB pixels, each in a long.
void X11Driver::SetIcon(Window window, const std::shared_ptr<const CursorImage>& icon) {
  if (!icon || icon->width <= 0 || icon->argb.size() != static_cast<size_t>(icon->width) * icon->height) {
    XDeleteProperty(display_, window, netWmIcon_);
    return;
  }
  std::vector<unsigned long> data{static_cast<unsigned long>(icon->width), static_cast<unsigned long>(icon->height)};
  data.insert(data.end(), icon->argb.begin(), icon->argb.end());
  XChangeProperty(display_, window, netWmIcon_, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
}

// The window manager's move or size, from the button the user holds: the
// program lets go of the pointer so that the window manager can take it.
bool X11Driver::BeginMoveSize(uintptr_t window, int edges, POINT at) {
  auto found = shown_.find(window);
  if (!wm_ || found == shown_.end() || !found->second.viewable || !IsManaged(found->second.top.kind)) return false;
  // By the sizing edge (WMSZ_LEFT 1 … WMSZ_BOTTOMRIGHT 8) the window manager's direction; 8 moves.
  static constexpr long kDirection[] = {8, 7, 3, 1, 0, 2, 5, 6, 4};
  if (edges < 0 || edges > 8) return false;
  XUngrabPointer(display_, CurrentTime);
  grabbed_ = false;
  SendRootMessage(found->second.x, netMoveResize_, at.x, at.y, kDirection[edges], Button1);
  XFlush(display_);
  return true;
}

// Where the window now is on the screen, told to the program when it is not
// where the program last put it. Notices older than the program's last
// request are stale.
void X11Driver::OnConfigure(XConfigureEvent& e) {
  if (e.window == root_) {
    if (e.width != width_ || e.height != height_) {
      width_ = e.width;
      height_ = e.height;
      ResizeDesktop(width_, height_);
      delivered_ = true;
    }
    return;
  }
  Shown* shown = ShownOf(e.window);
  if (!shown || e.serial < shown->configureSerial || !IsManaged(shown->top.kind)) return;
  // Only the last of a run counts.
  XEvent next;
  while (XCheckTypedWindowEvent(display_, e.window, ConfigureNotify, &next)) e = next.xconfigure;
  int x = e.x, y = e.y;
  if (!e.send_event) {
    // Relative to a window manager's frame: ask where that is.
    Window child;
    XTranslateCoordinates(display_, e.window, root_, 0, 0, &x, &y, &child);
  }
  const RECT now{x, y, x + e.width, y + e.height};
  if (SameRect(now, shown->asked) || shown->minimized) return;
  shown->asked = now;
  DeliverMotion();
  InputEvent moved;
  moved.kind = InputKind::WindowMoved;
  moved.window = byX_[e.window];
  moved.rect = now;
  DeliverInput(moved);
  delivered_ = true;
}

// The window manager stacked its windows (the root's list, bottom first):
// when it stacked ours anew, otherwise than in the program's Z order, the
// program hears of the manager's order, top first. A list that changed only
// for other programs' windows leaves the program's order alone.
void X11Driver::OnStacking() {
  if (!wm_) return;
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::vector<uintptr_t> order;  // top first
  if (XGetWindowProperty(display_, root_, netClientListStacking_, 0, 4096, False, XA_WINDOW, &type, &format, &count,
                         &after, &data) == Success && data) {
    if (type == XA_WINDOW && format == 32) {
      const auto* windows = reinterpret_cast<const Window*>(data);
      for (unsigned long i = count; i-- > 0;) {
        const Shown* shown = ShownOf(windows[i]);
        if (shown && shown->mapped && IsManaged(shown->top.kind)) order.push_back(shown->top.id);
      }
    }
    XFree(data);
  }
  if (order == managerOrder_) return;
  managerOrder_ = order;
  std::vector<uintptr_t> program;
  for (uintptr_t id : managedOrder_)
    if (std::find(order.begin(), order.end(), id) != order.end()) program.push_back(id);
  std::erase_if(order, [&](uintptr_t id) { return std::find(program.begin(), program.end(), id) == program.end(); });
  if (order == program) return;
  DeliverMotion();
  uintptr_t above = 0;
  for (uintptr_t id : order) {
    InputEvent restacked;
    restacked.kind = InputKind::WindowRestacked;
    restacked.window = id;
    restacked.above = above;
    DeliverInput(restacked);
    above = id;
  }
  delivered_ = true;
}

// The window manager maximized, minimized or restored the window.
void X11Driver::OnStateProperty(Shown& shown) {
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  bool maxV = false, maxH = false, hidden = false;
  if (XGetWindowProperty(display_, shown.x, netWmState_, 0, 64, False, XA_ATOM, &type, &format, &count, &after,
                         &data) == Success && data) {
    const auto* atoms = reinterpret_cast<const Atom*>(data);
    for (unsigned long i = 0; i < count; ++i) {
      maxV |= atoms[i] == netStateMaxV_;
      maxH |= atoms[i] == netStateMaxH_;
      hidden |= atoms[i] == netStateHidden_;
    }
    XFree(data);
  }
  const bool maximized = maxV && maxH;
  if (maximized == shown.maximized && hidden == shown.minimized) return;
  shown.maximized = maximized;
  shown.minimized = hidden;
  if (maximized == shown.top.maximized && hidden == shown.top.minimized) return;
  DeliverMotion();
  InputEvent state;
  state.kind = InputKind::WindowState;
  state.window = shown.top.id;
  state.x = hidden ? 1 : maximized ? 2 : 0;
  DeliverInput(state);
  delivered_ = true;
}

void X11Driver::OnWmMessage(Shown& shown, const XClientMessageEvent& e) {
  const Atom protocol = static_cast<Atom>(e.data.l[0]);
  if (protocol == wmDelete_) {
    DeliverMotion();
    InputEvent close;
    close.kind = InputKind::CloseRequest;
    close.window = shown.top.id;
    DeliverInput(close);
    delivered_ = true;
  } else if (protocol == wmTakeFocus_) {
    // A window a modal dialog disables passes the focus to the dialog.
    Window target = shown.x;
    if (shown.top.disabled) {
      for (const auto& [id, other] : shown_)
        if (other.top.owner == shown.top.id && other.viewable && !other.top.disabled && IsManaged(other.top.kind))
          target = other.x;
    }
    XSetInputFocus(display_, target, RevertToParent, static_cast<Time>(e.data.l[1]));
  }
}

// --- presenting ---

void X11Driver::PresentRect(const Surface&, const RECT& rect) {
  bool wake;
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    wake = pending_.damage.empty() && std::this_thread::get_id() != owner_;
    AddDamage(pending_.damage, rect);
  }
  // Another thread's present waits for the owner; wake it once per batch.
  if (wake) WakeHostOwner();
}

bool X11Driver::EnsureImage(int width, int height) {
  if (shmImage_ && shmImage_->width == width && shmImage_->height == height) return true;
  DropImage();
  if (!shmAvailable_) return false;
  shmImage_ = XShmCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, nullptr, &shm_,
                              static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (!shmImage_) return shmAvailable_ = false;
  shm_.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(shmImage_->bytes_per_line) * height, IPC_CREAT | 0600);
  if (shm_.shmid >= 0) shm_.shmaddr = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
  if (shm_.shmid < 0 || shm_.shmaddr == reinterpret_cast<char*>(-1)) {
    if (shm_.shmid >= 0) shmctl(shm_.shmid, IPC_RMID, nullptr);
    XDestroyImage(shmImage_);
    shmImage_ = nullptr;
    return shmAvailable_ = false;
  }
  shmImage_->data = shm_.shmaddr;
  shm_.readOnly = True;
  const unsigned long errorsBefore = g_errorCount;
  XShmAttach(display_, &shm_);
  XSync(display_, False);
  // The segment is freed with its last user, whatever happens next.
  shmctl(shm_.shmid, IPC_RMID, nullptr);
  if (g_errorCount != errorsBefore) {
    // A remote server cannot attach: plain puts from now on.
    std::fprintf(stderr, "calvetta: shared memory refused by the X server; using plain image puts\n");
    shmdt(shm_.shmaddr);
    shmImage_->data = nullptr;
    XDestroyImage(shmImage_);
    shmImage_ = nullptr;
    return shmAvailable_ = false;
  }
  return true;
}

void X11Driver::DropImage() {
  if (!shmImage_) return;
  WaitForCompletion();
  XShmDetach(display_, &shm_);
  XSync(display_, False);
  shmdt(shm_.shmaddr);
  shmImage_->data = nullptr;
  XDestroyImage(shmImage_);
  shmImage_ = nullptr;
}

// The shared buffer is written again only after the server has read it. A put
// the server refused sends no completion; nor does a server that hangs: both
// end the wait rather than the program.
void X11Driver::WaitForCompletion() {
  if (!completionPending_) return;
  completionPending_ = false;
  const auto until = std::chrono::steady_clock::now() + kCompletionTimeout;
  XEvent event;
  while (!XCheckTypedEvent(display_, shmCompletion_, &event)) {
    if (g_errorCount != errorsAtPut_) return;
    if (std::chrono::steady_clock::now() > until) {
      std::fprintf(stderr, "calvetta: the X server did not finish showing the desktop\n");
      return;
    }
    pollfd fd{ConnectionNumber(display_), POLLIN, 0};
    poll(&fd, 1, 50);
  }
}

void X11Driver::PutShared(const Surface& surface, const std::vector<RECT>& damage) {
  WaitForCompletion();
  for (const RECT& r : damage) {
    const size_t columns = static_cast<size_t>(r.right - r.left);
    for (LONG y = r.top; y < r.bottom; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(shmImage_->data + static_cast<size_t>(y) * shmImage_->bytes_per_line);
      std::memcpy(row + r.left, surface.Row(y) + r.left, columns * 4);
    }
  }
  // Each window shows its slice of each damaged rectangle; the last put says when it is done.
  struct Put {
    Window window;
    RECT part;
    POINT origin;
  };
  std::vector<Put> puts;
  for (const Target& target : Targets()) {
    for (const RECT& r : damage) {
      const RECT part = Intersection(r, target.area);
      if (part.left < part.right && part.top < part.bottom)
        puts.push_back(Put{target.window, part, POINT{target.area.left, target.area.top}});
    }
  }
  for (size_t i = 0; i < puts.size(); ++i) {
    const RECT& r = puts[i].part;
    const bool last = i + 1 == puts.size();
    XShmPutImage(display_, puts[i].window, gc_, shmImage_, r.left, r.top, r.left - puts[i].origin.x,
                 r.top - puts[i].origin.y, static_cast<unsigned>(r.right - r.left),
                 static_cast<unsigned>(r.bottom - r.top), last);
  }
  completionPending_ = !puts.empty();
  errorsAtPut_ = g_errorCount;
}

void X11Driver::PutPlain(const Surface& surface, const RECT& r, Window window, POINT origin) {
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (directPixels_) {
    // The surface's rows go out as they are; Xlib splits what is too large for one request.
    XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                 reinterpret_cast<char*>(const_cast<uint32_t*>(surface.Row(0))),
                                 static_cast<unsigned>(surface.width), static_cast<unsigned>(surface.height), 32,
                                 surface.width * 4);
    if (!image) return;
    XPutImage(display_, window, gc_, image, r.left, r.top, r.left - origin.x, r.top - origin.y,
              static_cast<unsigned>(width), static_cast<unsigned>(height));
    image->data = nullptr;
    XDestroyImage(image);
    return;
  }
  // Other visuals: each pixel through the visual's masks.
  XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  if (!image) return;
  image->data = static_cast<char*>(std::malloc(static_cast<size_t>(image->bytes_per_line) * height));
  if (!image->data) {
    XDestroyImage(image);
    return;
  }
  auto channel = [](uint32_t value8, unsigned long mask) -> unsigned long {
    if (!mask) return 0;
    int shift = 0, bits = 0;
    while (!((mask >> shift) & 1)) ++shift;
    while ((mask >> (shift + bits)) & 1) ++bits;
    return ((value8 >> (8 - std::min(bits, 8))) << shift) & mask;
  };
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = surface.Row(r.top + y) + r.left;
    for (int x = 0; x < width; ++x) {
      const uint32_t p = row[x];
      XPutPixel(image, x, y, channel((p >> 16) & 0xFF, visual_->red_mask) |
                                 channel((p >> 8) & 0xFF, visual_->green_mask) | channel(p & 0xFF, visual_->blue_mask));
    }
  }
  XPutImage(display_, window, gc_, image, 0, 0, r.left - origin.x, r.top - origin.y, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  XDestroyImage(image);
}

void X11Driver::Flush(std::vector<RECT> damage) {
  auto surface = DesktopSurface();
  const RECT bounds{0, 0, surface->width, surface->height};
  for (RECT& r : damage) {
    r = RECT{std::max(r.left, bounds.left), std::max(r.top, bounds.top), std::min(r.right, bounds.right),
             std::min(r.bottom, bounds.bottom)};
  }
  std::erase_if(damage, [](const RECT& r) { return r.left >= r.right || r.top >= r.bottom; });
  if (damage.empty()) return;
  if (overlay_) ShapeOverlay(*surface, damage);
  if (EnsureImage(surface->width, surface->height)) {
    PutShared(*surface, damage);
  } else {
    for (const Target& target : Targets()) {
      for (const RECT& r : damage) {
        const RECT part = Intersection(r, target.area);
        if (part.left < part.right && part.top < part.bottom)
          PutPlain(*surface, part, target.window, POINT{target.area.left, target.area.top});
      }
    }
  }
}

std::vector<X11Driver::Target> X11Driver::Targets() const {
  std::vector<Target> targets;
  for (const auto& [id, shown] : shown_)
    if (shown.mapped) targets.push_back(Target{shown.x, shown.top.rect});
  if (overlay_) targets.push_back(Target{overlay_, RECT{0, 0, width_, height_}});
  return targets;
}

// --- drawing on the desktop ---

void X11Driver::DesktopDrawing(const Surface* before) {
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending_.overlayWanted = before != nullptr;
    pending_.overlayBefore = before ? std::make_shared<std::vector<uint32_t>>(before->pixels) : nullptr;
    pending_.overlayWidth = before ? before->width : 0;
  }
  if (std::this_thread::get_id() != owner_) WakeHostOwner();
}

// Made when the drawing begins, gone when it ends; it takes no input.
void X11Driver::SyncOverlay() {
  bool wanted;
  std::shared_ptr<std::vector<uint32_t>> before;
  int width;
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    wanted = pending_.overlayWanted;
    before = pending_.overlayBefore;
    width = pending_.overlayWidth;
  }
  if (!shapeAvailable_) wanted = false;
  if (wanted && overlay_ && before == overlayBefore_) return;
  if (overlay_) {
    XDestroyWindow(display_, overlay_);
    overlay_ = 0;
    overlayBefore_.reset();
    overlayRuns_.clear();
  }
  if (!wanted || !before || width != width_ || before->size() != static_cast<size_t>(width_) * height_) return;
  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None;
  attributes.override_redirect = True;
  overlay_ = XCreateWindow(display_, root_, 0, 0, static_cast<unsigned>(width_), static_cast<unsigned>(height_), 0,
                           depth_, InputOutput, visual_, CWBackPixmap | CWOverrideRedirect, &attributes);
  const long type = static_cast<long>(typeAtoms_[static_cast<int>(WindowKind::Tooltip)]);
  XChangeProperty(display_, overlay_, netWmType_, XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(&type), 1);
  XShapeCombineRectangles(display_, overlay_, ShapeBounding, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  XShapeCombineRectangles(display_, overlay_, ShapeInput, 0, 0, nullptr, 0, ShapeSet, Unsorted);
  XMapRaised(display_, overlay_);
  overlayBefore_ = before;
  overlayWidth_ = width;
  overlayRuns_.assign(static_cast<size_t>(height_), {});
}

// The overlay's shape: every run of pixels that differs from the desktop as
// it was when the drawing began, row by row over the rows drawn again.
void X11Driver::ShapeOverlay(const Surface& surface, const std::vector<RECT>& damage) {
  if (surface.width != overlayWidth_ || surface.height != static_cast<int>(overlayRuns_.size())) return;
  const std::vector<uint32_t>& before = *overlayBefore_;
  std::vector<bool> rowDone(overlayRuns_.size(), false);
  for (const RECT& r : damage) {
    for (LONG y = r.top; y < r.bottom; ++y) {
      if (rowDone[static_cast<size_t>(y)]) continue;
      rowDone[static_cast<size_t>(y)] = true;
      std::vector<XRectangle>& runs = overlayRuns_[static_cast<size_t>(y)];
      runs.clear();
      const uint32_t* now = surface.Row(y);
      const uint32_t* then = before.data() + static_cast<size_t>(y) * surface.width;
      for (int x = 0; x < surface.width;) {
        if (now[x] == then[x]) {
          ++x;
          continue;
        }
        const int start = x;
        while (x < surface.width && now[x] != then[x]) ++x;
        runs.push_back(XRectangle{static_cast<short>(start), static_cast<short>(y),
                                  static_cast<unsigned short>(x - start), 1});
      }
    }
  }
  std::vector<XRectangle> all;
  for (const auto& runs : overlayRuns_) all.insert(all.end(), runs.begin(), runs.end());
  XShapeCombineRectangles(display_, overlay_, ShapeBounding, 0, 0, all.data(), static_cast<int>(all.size()), ShapeSet,
                          YXSorted);
  XRaiseWindow(display_, overlay_);
}

void X11Driver::SyncPresents() {
  std::vector<RECT> damage;
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    damage.swap(pending_.damage);
  }
  Flush(std::move(damage));
  WaitForCompletion();
  XSync(display_, False);
}

// --- pointer ---

void X11Driver::SetCursor(const CursorImage& cursor) {
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending_.cursorChanged = true;
    pending_.cursor = cursor;
  }
  if (std::this_thread::get_id() != owner_) WakeHostOwner();
}

void X11Driver::WarpPointer(int x, int y) {
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending_.warp = true;
    pending_.warpTo = POINT{x, y};
  }
  if (std::this_thread::get_id() != owner_) WakeHostOwner();
}

Cursor X11Driver::MakeArgbCursor(const CursorImage& cursor) {
  Pixmap pixmap = XCreatePixmap(display_, leader_, static_cast<unsigned>(cursor.width),
                                static_cast<unsigned>(cursor.height), 32);
  std::vector<uint32_t> premultiplied(cursor.argb.size());
  std::transform(cursor.argb.begin(), cursor.argb.end(), premultiplied.begin(), Premultiply);
  XImage* image = XCreateImage(display_, nullptr, 32, ZPixmap, 0, reinterpret_cast<char*>(premultiplied.data()),
                               static_cast<unsigned>(cursor.width), static_cast<unsigned>(cursor.height), 32,
                               cursor.width * 4);
  GC gc = XCreateGC(display_, pixmap, 0, nullptr);
  XPutImage(display_, pixmap, gc, image, 0, 0, 0, 0, static_cast<unsigned>(cursor.width),
            static_cast<unsigned>(cursor.height));
  image->data = nullptr;
  XDestroyImage(image);
  XFreeGC(display_, gc);
  Picture picture = XRenderCreatePicture(display_, pixmap, XRenderFindStandardFormat(display_, PictStandardARGB32),
                                         0, nullptr);
  Cursor made = XRenderCreateCursor(display_, picture, static_cast<unsigned>(cursor.hotX),
                                    static_cast<unsigned>(cursor.hotY));
  XRenderFreePicture(display_, picture);
  XFreePixmap(display_, pixmap);
  return made;
}

// Without the Render extension: black where the picture is dark, white where
// it is light, nothing where it is transparent.
Cursor X11Driver::MakeMonoCursor(const CursorImage& cursor) {
  const int rowBytes = (cursor.width + 7) / 8;
  std::vector<char> source(static_cast<size_t>(rowBytes) * cursor.height), mask(source.size());
  for (int y = 0; y < cursor.height; ++y) {
    for (int x = 0; x < cursor.width; ++x) {
      const uint32_t p = cursor.argb[static_cast<size_t>(y) * cursor.width + x];
      const uint32_t light = ((p >> 16) & 0xFF) * 30 + ((p >> 8) & 0xFF) * 59 + (p & 0xFF) * 11;
      const size_t byte = static_cast<size_t>(y) * rowBytes + x / 8;
      const char bit = static_cast<char>(1 << (x % 8));
      if ((p >> 24) >= 128) mask[byte] |= bit;
      if (light < 128 * 100) source[byte] |= bit;
    }
  }
  Pixmap sourceMap = XCreateBitmapFromData(display_, leader_, source.data(), static_cast<unsigned>(cursor.width),
                                           static_cast<unsigned>(cursor.height));
  Pixmap maskMap = XCreateBitmapFromData(display_, leader_, mask.data(), static_cast<unsigned>(cursor.width),
                                         static_cast<unsigned>(cursor.height));
  XColor black{}, white{};
  white.red = white.green = white.blue = 0xFFFF;
  Cursor made = XCreatePixmapCursor(display_, sourceMap, maskMap, &black, &white,
                                    static_cast<unsigned>(cursor.hotX), static_cast<unsigned>(cursor.hotY));
  XFreePixmap(display_, sourceMap);
  XFreePixmap(display_, maskMap);
  return made;
}

Cursor X11Driver::MakeCursor(const CursorImage& cursor) {
  const char* name = nullptr;
  Cursor made;
  if (cursor.shape == CursorShape::Hidden) {
    CursorImage blank;
    blank.width = blank.height = 1;
    blank.argb.assign(1, 0);
    made = MakeMonoCursor(blank);
    name = "none";
  } else if (cursor.shape == CursorShape::Custom && cursor.width > 0 && cursor.height > 0 &&
             cursor.argb.size() == static_cast<size_t>(cursor.width) * cursor.height) {
    made = renderAvailable_ ? MakeArgbCursor(cursor) : MakeMonoCursor(cursor);
  } else {
    const FontCursor font = FontCursorFor(cursor.shape);
    made = XCreateFontCursor(display_, font.glyph);
    name = font.name;
  }
  // Named, so that the cursor can be told from outside (XFixes).
  if (name && fixesAvailable_) XFixesSetCursorName(display_, made, name);
  return made;
}

void X11Driver::ShowCursor(const CursorImage& cursor) {
  const uint64_t key = CursorKey(cursor);
  if (key == shownCursor_) return;
  auto found = cursors_.find(key);
  if (found == cursors_.end()) found = cursors_.emplace(key, MakeCursor(cursor)).first;
  currentCursor_ = found->second;
  for (const auto& [id, shown] : shown_) XDefineCursor(display_, shown.x, currentCursor_);
  // A grab shows its own cursor.
  if (grabbed_)
    XChangeActivePointerGrab(display_, ButtonPressMask | ButtonReleaseMask | PointerMotionMask, currentCursor_,
                             CurrentTime);
  shownCursor_ = key;
}

void X11Driver::OnMotion(int x, int y) {
  if (clipped_ && (x < clip_.left || x >= clip_.right || y < clip_.top || y >= clip_.bottom)) {
    // The real pointer goes back inside ClipCursor's rectangle.
    x = std::clamp<int>(x, clip_.left, std::max<int>(clip_.left, clip_.right - 1));
    y = std::clamp<int>(y, clip_.top, std::max<int>(clip_.top, clip_.bottom - 1));
    XWarpPointer(display_, None, root_, 0, 0, 0, 0, x, y);
  }
  // Moves are compressed: the last position before another event wins.
  motionPending_ = true;
  motionX_ = x;
  motionY_ = y;
}

void X11Driver::DeliverMotion() {
  if (!motionPending_) return;
  motionPending_ = false;
  InputEvent event;
  event.kind = InputKind::MouseMove;
  event.x = motionX_;
  event.y = motionY_;
  DeliverInput(event);
  delivered_ = true;
}

void X11Driver::OnButton(const XButtonEvent& e, bool down) {
  OnMotion(e.x_root, e.y_root);
  DeliverMotion();
  InputEvent event;
  event.x = e.x_root;
  event.y = e.y_root;
  if (e.button == Button4 || e.button == Button5) {
    if (!down) return;
    event.kind = InputKind::Wheel;
    event.wheelDelta = e.button == Button4 ? 120 : -120;
  } else if (e.button >= Button1 && e.button <= Button3) {
    event.kind = down ? InputKind::ButtonDown : InputKind::ButtonUp;
    event.button = e.button == Button1 ? 0 : e.button == Button2 ? 2 : 1;
  } else {
    return;
  }
  DeliverInput(event);
  delivered_ = true;
}

// --- keyboard ---

void X11Driver::OnKey(XKeyEvent& e, bool down) {
  DeliverMotion();
  char text[32];
  KeySym modified = NoSymbol;
  int length = 0;
  if (down) {
    Status status = 0;
    length = ic_ ? Xutf8LookupString(ic_, &e, text, sizeof(text) - 1, &modified, &status)
                 : XLookupString(&e, text, sizeof(text) - 1, &modified, nullptr);
    if (ic_ && status != XLookupChars && status != XLookupBoth) length = 0;
  } else {
    XLookupString(&e, text, sizeof(text) - 1, &modified, nullptr);
  }
  const char32_t character = FirstCharacter(text, length);
  // Text an input method composed arrives on a key of its own: it is the
  // character of the key that ended the sequence, when there was one.
  if (e.keycode == 0) {
    if (!composingKey_) {
      if (character) DeliverCharacterOnly(character);
      return;
    }
    e.keycode = composingKey_;
    e.state = composingState_;
    composingKey_ = 0;
  }
  const KeySym plain = XLookupKeysym(&e, 0);
  const bool keypad = IsKeypadKey(plain) || IsKeypadKey(modified);
  HostKey key = KeyFromKeysym(keypad ? modified : plain);
  if (!key.virtualKey && character >= 0x20) key.virtualKey = kVkPacket;
  // A release is the key that was pressed, even when the keyboard was remapped
  // in between (as tools typing characters beyond the layout do).
  if (down) {
    pressed_[e.keycode & 0xFF] = key;
  } else if (pressed_[e.keycode & 0xFF].virtualKey) {
    key = pressed_[e.keycode & 0xFF];
    pressed_[e.keycode & 0xFF] = HostKey{};
  }
  if (!key.virtualKey) return;
  InputEvent event;
  event.kind = down ? InputKind::KeyDown : InputKind::KeyUp;
  event.virtualKey = key.virtualKey;
  event.scanCode = key.scanCode;
  event.extended = key.extended;
  event.hasCharacter = down;
  // Control makes only control characters; Delete makes none.
  const bool control = (e.state & ControlMask) != 0;
  if (down && !(control && character >= 0x20) && character != 0x7F) event.character = character;
  DeliverInput(event);
  delivered_ = true;
}

void X11Driver::DeliverCharacterOnly(char32_t c) {
  for (InputKind kind : {InputKind::KeyDown, InputKind::KeyUp}) {
    InputEvent event;
    event.kind = kind;
    event.virtualKey = kVkPacket;
    event.hasCharacter = kind == InputKind::KeyDown;
    event.character = kind == InputKind::KeyDown ? c : 0;
    DeliverInput(event);
  }
  delivered_ = true;
}

unsigned X11Driver::LockToggles() {
  unsigned state = 0;
  if (XkbGetIndicatorState(display_, XkbUseCoreKbd, &state) != Success) return 0;
  auto on = [state](int index) { return index >= 0 && (state & (1u << index)); };
  return (on(capsIndicator_) ? kCapsLockOn : 0) | (on(numIndicator_) ? kNumLockOn : 0) |
         (on(scrollIndicator_) ? kScrollLockOn : 0);
}

void X11Driver::OnFocus(bool in, const char* keymap) {
  if (in == focused_) return;
  focused_ = in;
  DeliverMotion();
  InputEvent event;
  event.kind = in ? InputKind::FocusGained : InputKind::FocusLost;
  if (in) {
    if (ic_) XSetICFocus(ic_);
    // The keys held as the focus came, by their virtual keys, and the lock lights.
    for (int code = 8; code < 256; ++code) {
      if (!(keymap[code / 8] & (1 << (code % 8)))) continue;
      const HostKey key = KeyFromKeysym(XkbKeycodeToKeysym(display_, static_cast<KeyCode>(code), 0, 0));
      if (key.virtualKey) event.heldKeys[key.virtualKey / 8] |= static_cast<uint8_t>(1 << (key.virtualKey % 8));
    }
    event.lockToggles = LockToggles();
  } else if (ic_) {
    XUnsetICFocus(ic_);
  }
  DeliverInput(event);
  delivered_ = true;
}

// --- events ---

void X11Driver::Handle(XEvent& event) {
  switch (event.type) {
    case MotionNotify:
      lastTime_ = event.xmotion.time;
      leavePending_ = false;
      OnMotion(event.xmotion.x_root, event.xmotion.y_root);
      break;
    case ButtonPress:
    case ButtonRelease:
      lastTime_ = event.xbutton.time;
      leavePending_ = false;
      OnButton(event.xbutton, event.type == ButtonPress);
      break;
    case KeyPress:
    case KeyRelease:
      lastTime_ = event.xkey.time;
      OnKey(event.xkey, event.type == KeyPress);
      break;
    case EnterNotify:
      if (ShownOf(event.xcrossing.window)) leavePending_ = false;
      break;
    case LeaveNotify:
      // Out of our windows altogether: into another program's window or onto the root.
      if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior && !grabbed_)
        leavePending_ = true;
      break;
    case FocusIn:
    case FocusOut: {
      // Grabs and pointer-root bookkeeping are not another program's doing.
      if (event.xfocus.mode == NotifyGrab || event.xfocus.mode == NotifyUngrab ||
          event.xfocus.detail == NotifyPointer || event.xfocus.detail == NotifyInferior)
        break;
      Shown* shown = ShownOf(event.xfocus.window);
      if (!shown) break;
      if (event.type == FocusIn) {
        focusedId_ = shown->top.id;
        if (ic_) XSetICValues(ic_, XNFocusWindow, shown->x, nullptr);
        if (focused_) {
          // From one window of ours to another: only the active window changes.
          DeliverMotion();
          InputEvent activated;
          activated.kind = InputKind::WindowActivated;
          activated.window = focusedId_;
          DeliverInput(activated);
          delivered_ = true;
          break;
        }
        // A gain waits for the KeymapNotify the server sends right after it:
        // the keys held then, not those held by the time we read the queue (a
        // key pressed after the focus came, still queued, is not held before it).
        focusAwaitsKeymap_ = true;
        activatePending_ = focusedId_;
        break;
      }
      // The focus went from one window of ours to another: nothing was lost.
      Window now = 0;
      int revert;
      XGetInputFocus(display_, &now, &revert);
      if (ShownOf(now)) break;
      focusedId_ = 0;
      focusAwaitsKeymap_ = false;
      OnFocus(false);
      break;
    }
    case KeymapNotify:
      if (focusAwaitsKeymap_) {
        OnFocus(true, event.xkeymap.key_vector);
        if (activatePending_) {
          InputEvent activated;
          activated.kind = InputKind::WindowActivated;
          activated.window = activatePending_;
          DeliverInput(activated);
        }
      }
      focusAwaitsKeymap_ = false;
      activatePending_ = 0;
      break;
    case Expose: {
      Shown* shown = ShownOf(event.xexpose.window);
      if (!shown) break;
      std::lock_guard<std::mutex> guard(pendingLock_);
      const XExposeEvent& e = event.xexpose;
      const LONG x = shown->top.rect.left + e.x, y = shown->top.rect.top + e.y;
      AddDamage(pending_.damage, RECT{x, y, x + e.width, y + e.height});
      break;
    }
    case MapNotify:
      if (Shown* shown = ShownOf(event.xmap.window)) shown->viewable = true;
      break;
    case UnmapNotify:
      if (Shown* shown = ShownOf(event.xunmap.window)) shown->viewable = false;
      break;
    case ConfigureNotify:
      OnConfigure(event.xconfigure);
      break;
    case PropertyNotify:
      if (event.xproperty.window == root_) {
        if (event.xproperty.atom == netSupportingCheck_) DetectWindowManager();
        if (event.xproperty.atom == netClientListStacking_) OnStacking();
      } else if (event.xproperty.atom == netWmState_) {
        if (Shown* shown = ShownOf(event.xproperty.window)) OnStateProperty(*shown);
      }
      break;
    case ClientMessage:
      if (event.xclient.message_type == wmProtocols_)
        if (Shown* shown = ShownOf(event.xclient.window)) OnWmMessage(*shown, event.xclient);
      break;
    case SelectionRequest:
    case SelectionClear:
      clipboard_->Handle(event);
      break;
    case MappingNotify:
      XRefreshKeyboardMapping(&event.xmapping);
      break;
    default:
      if (event.type == xkbEventBase_ + XkbEventCode &&
          reinterpret_cast<XkbEvent*>(&event)->any.xkb_type == XkbIndicatorStateNotify) {
        InputEvent lights;
        lights.kind = InputKind::LockState;
        lights.lockToggles = LockToggles();
        DeliverInput(lights);
      } else if (event.type == shmCompletion_) {
        completionPending_ = false;
      }
      break;
  }
}

// True when something came.
bool X11Driver::DrainEvents() {
  bool any = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    any = true;
    // The input method takes the keys of a sequence it composes (and may
    // change the event as it does).
    const XKeyEvent key = event.xkey;
    if (XFilterEvent(&event, None)) {
      if (key.type == KeyPress && key.keycode != 0) {
        composingKey_ = key.keycode;
        composingState_ = key.state;
      }
      continue;
    }
    if (event.type == KeyPress && event.xkey.keycode != 0) composingKey_ = 0;
    Handle(event);
  }
  DeliverMotion();
  if (leavePending_) {
    leavePending_ = false;
    InputEvent left;
    left.kind = InputKind::PointerLeft;
    DeliverInput(left);
    delivered_ = true;
  }
  return any;
}

// Re-entered when a window procedure run by delivered input waits for
// messages itself (a modal loop): the inner pump carries on with the events
// that follow, so a wait inside never goes without its input.
bool X11Driver::Pump(const WaitState& state) {
  delivered_ = false;
  Pending pending;
  {
    std::lock_guard<std::mutex> guard(pendingLock_);
    pending.cursorChanged = pending_.cursorChanged;
    pending.cursor = std::move(pending_.cursor);
    pending.warp = pending_.warp;
    pending.warpTo = pending_.warpTo;
    pending_.cursorChanged = pending_.warp = false;
  }
  ApplyWaitState(state);
  clipboard_->ApplyPending();
  SyncOverlay();
  if (pending.cursorChanged) ShowCursor(pending.cursor);
  if (pending.warp) XWarpPointer(display_, None, root_, 0, 0, 0, 0, pending.warpTo.x, pending.warpTo.y);
  // Events first (an Expose adds damage), then presents; waiting for the
  // shared buffer may queue more events, so go round until both are done.
  for (;;) {
    DrainEvents();
    std::vector<RECT> damage;
    {
      std::lock_guard<std::mutex> guard(pendingLock_);
      damage.swap(pending_.damage);
    }
    if (damage.empty()) break;
    Flush(std::move(damage));
    if (XQLength(display_) == 0) break;
  }
  XFlush(display_);
  return delivered_;
}

// --- waking ---

void X11Driver::ArmWake() {
  {
    std::lock_guard<std::mutex> guard(watchLock_);
    armed_ = true;
  }
  watchWake_.notify_one();
}

void X11Driver::Watch() {
  const int connection = ConnectionNumber(display_);
  std::unique_lock<std::mutex> guard(watchLock_);
  for (;;) {
    watchWake_.wait(guard, [this] { return armed_ || stopping_; });
    if (stopping_) return;
    guard.unlock();
    pollfd fds[2] = {{connection, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    while (poll(fds, 2, -1) < 0 && errno == EINTR) {}
    guard.lock();
    if (stopping_) return;
    armed_ = false;
    guard.unlock();
    WakeHostOwner();
    guard.lock();
  }
}

}  // namespace

std::unique_ptr<Driver> MakeX11Driver(std::string* error) {
  auto driver = std::make_unique<X11Driver>();
  if (!driver->Open(error)) return nullptr;
  return driver;
}

}  // namespace compat::host
