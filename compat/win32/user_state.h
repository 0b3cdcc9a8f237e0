// The window manager's shared state: classes, windows, per-thread queues, and
// the one lock that guards them. Window procedures never run under the lock.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "compat/win32/rect_list.h"
#include "compat/win32/types.h"
#include "compat/win32/user.h"

namespace compat::host {
struct CursorImage;
}

namespace compat::user {

constexpr size_t kMaxWindows = 0xFFF0;        // handle index is 16 bits
constexpr int kMaxExtraBytes = 40000;         // class and window extra bytes
constexpr size_t kMaxPostedMessages = 10000;  // per thread, as the platform limits it

struct WindowClass {
  ATOM atom = 0;
  std::u16string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int clsExtra = 0;
  int wndExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON iconSmall = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCWSTR menuName = nullptr;  // points into menuNameText, or an integer resource
  std::u16string menuNameText;
  std::vector<BYTE> extra;
};

struct Window {
  HWND hwnd = nullptr;
  std::shared_ptr<WindowClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::u16string text;
  HWND parent = nullptr;           // the desktop for top-level windows
  HWND owner = nullptr;
  std::vector<HWND> children;      // z-order, top first
  RECT rect{};                     // window rectangle in the parent's client coordinates
  RECT client{};                   // client rectangle in window coordinates
  HINSTANCE instance = nullptr;
  UINT_PTR id = 0;                 // menu handle for top-level windows
  LONG_PTR userData = 0;
  std::vector<BYTE> extra;
  std::vector<std::pair<std::u16string, HANDLE>> props;
  DWORD threadId = 0;
  RectList update;                 // client coordinates
  bool erase = false;              // WM_ERASEBKGND owed at the next BeginPaint
  bool frameUpdate = false;        // WM_NCPAINT owed
  bool internalPaint = false;
  bool destroying = false;
  bool created = false;            // WM_NCCREATE answered
  bool minimized = false;
  bool maximized = false;
  bool ncActive = false;           // caption drawn in the active colour
  RECT normalRect{};               // restored position while minimized or maximized
  // The smallest and largest the user may size it, as WM_GETMINMAXINFO last
  // said; 0: never asked.
  POINT minTrack{};
  POINT maxTrack{};
  HWND lastActivePopup = nullptr;
  HDC ownDc = nullptr;             // outstanding DCs, freed with the window
  std::vector<HDC> dcs;
  // CS_SAVEBITS: the screen under the window as it was shown, put back when
  // it hides where it showed; what was invalidated beneath it meanwhile
  // (screen coordinates) is painted afresh instead.
  std::vector<uint32_t> savedBits;
  RECT savedRect{};
  RectList savedStale;
};

struct SentMessage {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  bool done = false;
  bool notify = false;  // SendNotifyMessage: nobody waits
  DWORD senderThread = 0;
};

struct Timer {
  HWND hwnd = nullptr;
  UINT_PTR id = 0;
  UINT elapse = 0;
  TIMERPROC proc = nullptr;
  uint64_t due = 0;  // milliseconds, steady clock
};

// A raw input event waiting for its thread: hit testing and translation into
// window messages happen when the thread takes it, as on the platform.
struct RawInput {
  HWND target = nullptr;  // window under the pointer, or the capture, or the focus
  UINT message = 0;       // WM_MOUSEMOVE, WM_LBUTTONDOWN …, WM_MOUSEWHEEL, WM_KEYDOWN …
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  POINT pt{};
  DWORD time = 0;
  bool captured = false;
  bool hasCharacter = false;  // keys: the host's keyboard made `character` (maybe none)
  char32_t character = 0;
};

struct ThreadQueue {
  DWORD threadId = 0;
  std::deque<MSG> posted;
  std::deque<RawInput> input;
  std::deque<std::shared_ptr<SentMessage>> sent;
  std::vector<std::shared_ptr<SentMessage>> inbound;  // being processed, innermost last
  std::condition_variable_any wake;
  uint64_t wakeCount = 0;           // bumped on every arrival
  HANDLE wakeEvent = nullptr;       // set on every arrival, for MsgWaitForMultipleObjects
  bool quitPosted = false;
  int quitCode = 0;
  bool alive = true;
  std::vector<Timer> timers;
  MSG last{};                       // for GetMessagePos and GetMessageTime
  MSG lastKey{};                    // the last key message taken, and the host's character for it
  bool lastKeyHasCharacter = false;
  char32_t lastKeyCharacter = 0;
  int modalFilterDepth = 0;
};

struct Hook {
  HHOOK handle = nullptr;
  int id = 0;
  HOOKPROC proc = nullptr;
  DWORD threadId = 0;  // 0 for all threads
  bool removed = false;
};

struct UserState {
  std::recursive_mutex lock;
  struct Slot {
    std::unique_ptr<Window> window;
    uint16_t generation = 1;
  };
  std::vector<Slot> slots;
  std::vector<uint32_t> freeSlots;
  std::vector<std::shared_ptr<WindowClass>> classes;
  ATOM nextAtom = 0xC000;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> queues;
  std::vector<std::u16string> registeredMessages;  // index + 0xC000
  std::vector<std::shared_ptr<Hook>> hooks;
  uintptr_t nextHook = 0x100;
  HWND desktop = nullptr;
  HWND active = nullptr;
  HWND focus = nullptr;
  HWND capture = nullptr;
  HWND lockedUpdate = nullptr;
  POINT cursor{};
  // The pointer went off to another program's window or the bare desktop at
  // `cursor`: nothing of ours is under it until it comes back.
  bool pointerAway = false;
  RECT cursorClip{};
  bool cursorClipped = false;
  HCURSOR currentCursor = nullptr;
  int cursorShowCount = 0;
  BYTE keys[256] = {};       // synchronous state: 0x80 down, 0x01 toggled
  BYTE asyncKeys[256] = {};
  // Double-click tracking.
  HWND lastClickWindow = nullptr;
  UINT lastClickMessage = 0;
  DWORD lastClickTime = 0;
  POINT lastClickPoint{};
  UINT nextTimerId = 1;
};

UserState& State();
using Guard = std::unique_lock<std::recursive_mutex>;
inline Guard Lock() { return Guard(State().lock); }

// --- handles (lock held) ---
Window* Find(HWND hwnd);
Window* FindLive(HWND hwnd);  // not in the middle of being freed
HWND AllocateHandle(std::unique_ptr<Window> window);
void FreeHandle(HWND hwnd);
HWND Desktop();               // creates the desktop window on first use

// --- threads ---
DWORD CurrentThreadId();
std::shared_ptr<ThreadQueue> QueueOf(DWORD threadId, bool create);
std::shared_ptr<ThreadQueue> CurrentQueue();
std::shared_ptr<WindowClass> FindClass(LPCWSTR name);
void WakeQueue(ThreadQueue& queue);
uint64_t NowMs();

// --- tree and geometry (lock held) ---
bool IsTopLevel(const Window* w);
HWND TopLevelOf(HWND hwnd);
POINT ClientScreenOrigin(const Window* w);
RECT ScreenWindowRect(const Window* w);
RECT ScreenClientRect(const Window* w);
bool ReallyVisible(const Window* w);  // it and every ancestor has WS_VISIBLE
bool ReallyEnabled(const Window* w);  // neither it nor an ancestor has WS_DISABLED
void UnlinkChild(Window* parent, HWND child);
void LinkChild(Window* parent, HWND child, HWND insertAfter);
std::vector<HWND> Descendants(HWND hwnd);  // parents before children
// The deepest visible window under the point; windows in `skip` (and what
// lies inside them) are looked through.
HWND HitTestGeometry(HWND root, POINT screen, bool skipDisabled, const std::vector<HWND>* skip = nullptr);

// --- messages (no lock held) ---
LRESULT DeliverSent(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool ProcessSentMessages();  // current thread; true when one was processed
void PostToQueue(ThreadQueue& queue, const MSG& msg);
void PostInput(const RawInput& input);

// --- painting ---
void InvalidateScreenArea(const RECT& screen);  // lock held; everything under the area
void InvalidateWhole(Window* w, bool erase, bool frame, bool children);  // lock held
void InvalidateFrame(Window* w);  // lock held; the non-client area only
// Notes, for the popups above w that keep the screen under them, that `screen`
// of w needs painting; lock held.
void NoteInvalidUnderSavedBits(const Window* w, const RECT& screen);
bool HasPendingPaint(const ThreadQueue& queue, HWND filter, HWND* target);  // lock held
void PaintDesktopArea(const RECT& screen);  // lock held
// Where DCs of the desktop (or the screen) are out: a drag's tracker drawn
// through one held across waits is shown at each wait. Lock held.
std::vector<RECT> HeldDesktopDcBounds();
void ForgetWindowDcs(Window* w);            // lock held
// The screen area a DC of w may draw on. clipSiblings clips a child by the
// siblings above it even without WS_CLIPSIBLINGS; ignoreLock lets it draw
// while LockWindowUpdate holds it or a window above it.
RectList VisibleArea(const Window* w, bool clientArea, bool clipChildren, bool clipSiblings = false,
                     bool ignoreLock = false);  // lock held

// --- input, focus, capture (no lock held) ---
void InstallInputSink();
void TranslateAndDeliverInput(const RawInput& input, MSG* out, bool* keep);
void OnWindowGone(HWND hwnd);  // focus, activation, capture, timers
LRESULT DefaultSetCursor(HWND hwnd, WPARAM wParam, LPARAM lParam);
void NoteKeyRetrieved(const MSG& msg);  // the menu bar's lone-Alt rule
HWND ActivateWindow(HWND hwnd, WORD how);
void SetKeyToggles(unsigned lockToggles, bool synchronousToo);  // lock held
host::CursorImage IconPicture(HICON icon);  // straight ARGB, empty when it has none

// --- the host's side of waiting and of the host window (host_events.cpp) ---
void PumpHostForWait();  // no lock held; the desktop's thread only
void ArmHostWake();      // lock held, just before the wait
void InstallHostWake();
void OnHostFocusLost();
void OnHostFocusGained(const uint8_t* heldKeys, unsigned lockToggles);
void OnHostLockState(unsigned lockToggles);
void OnHostCloseRequest(HWND hwnd);  // null: the main window
void OnHostWindowMoved(HWND hwnd, const RECT& rect);
void OnHostWindowState(HWND hwnd, int state);
void OnHostWindowActivated(HWND hwnd);
void OnHostWindowRestacked(HWND hwnd, HWND above);  // above null: over every window the host keeps
void OnHostPointerLeft(POINT where);
// The visible, enabled window a disabled top-level window waits on (its modal
// dialog), or null. Lock held.
HWND EnabledPopupOf(HWND hwnd);

// --- hooks ---
bool HasHook(int id, DWORD threadId);
LRESULT CallHooks(int id, int code, WPARAM wParam, LPARAM lParam);

// --- timers ---
bool TakeDueTimer(ThreadQueue& queue, HWND filter, MSG* out);  // lock held
uint64_t NextTimerDue(const ThreadQueue& queue);               // lock held, UINT64_MAX when none
void KillWindowTimers(ThreadQueue& queue, HWND hwnd);          // lock held

// --- non-client ---
LRESULT DefaultNcCalcSize(HWND hwnd, WPARAM wParam, LPARAM lParam);
LRESULT DefaultNcHitTest(HWND hwnd, POINT screen);
void DefaultNcPaint(HWND hwnd);
LRESULT DefaultNcMouse(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefaultSysCommand(HWND hwnd, WPARAM wParam, LPARAM lParam);

// --- system colours drawn directly on the desktop surface ---
COLORREF SysColor(int index);
uint32_t ToPixel(COLORREF color);

std::u16string ToLower(std::u16string_view text);
bool EqualNoCase(std::u16string_view a, std::u16string_view b);

}  // namespace compat::user

namespace compat::user {
HWND CreateWindowInternal(DWORD exStyle, LPCWSTR className, LPCWSTR name, DWORD style, int x,
                          int y, int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance,
                          LPVOID param);
bool DestroyWindowInternal(HWND hwnd);
// A thread that ends cannot run procedures: its windows go without messages.
void FreeThreadWindows(DWORD thread);
}  // namespace compat::user

namespace compat::user {
// Widths of the non-client parts around the client area: left, top, right, bottom.
RECT FrameInsets(DWORD style, DWORD exStyle, bool menu, bool scrollBars);
bool HasMenuBar(const Window* w);
}  // namespace compat::user

namespace compat::user {
bool HasQueuedWork(const ThreadQueue& queue);  // lock held
// GetMessage without the quit test, for modal loops inside the window manager.
bool GetNextMessage(MSG* msg, HWND filter, UINT low, UINT high);
}  // namespace compat::user

namespace compat::user {
// Painting now, outside the queue (no lock held).
void UpdateNow(HWND hwnd, bool children);
void EraseNow(HWND hwnd, bool children);
void SendPendingNcPaint(HWND hwnd);
// Keeps the tracking sizes a window's WM_GETMINMAXINFO answer gave. No lock held.
void NoteTrackSizes(HWND hwnd, const MINMAXINFO& info);
HDC GetDcInternal(HWND hwnd, HRGN clip, DWORD flags);
int ReleaseDcInternal(HDC hdc);
}  // namespace compat::user

namespace compat::user {
HCURSOR StockCursorHandle(WORD id);
POINT ClampToClip(POINT p);  // lock held
}  // namespace compat::user
