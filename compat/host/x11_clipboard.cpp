// The CLIPBOARD selection: owning it with the program's text and answering
// other programs' requests for it (TARGETS, TIMESTAMP, UTF8_STRING, STRING),
// and reading another owner's text by conversion. The owner window is made
// on first use, so a program that never touches the clipboard shows no extra
// window to the server.
#include "compat/host/x11_clipboard.h"

#include <poll.h>

#include <X11/Xatom.h>

#include <algorithm>
#include <chrono>
#include <cstdint>

namespace compat::host {
namespace {

// How long a read waits for the owner's answer: a program that does not
// answer must not hang the editor.
constexpr std::chrono::milliseconds kAnswerTimeout{1500};
constexpr int kPollSliceMs = 20;
// The most a read takes; more is refused rather than cut.
constexpr long kMaxReadBytes = 16L << 20;
// Room the request's own header takes when a property is written at once.
constexpr size_t kRequestHeaderBytes = 256;

// X times wrap around; a time counts as earlier within half the range.
bool NotBefore(Time time, Time since) {
  return static_cast<int32_t>(static_cast<uint32_t>(time) - static_cast<uint32_t>(since)) >= 0;
}

}  // namespace

std::string Latin1ToUtf8(const std::string& latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (unsigned char c : latin1) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

std::string Utf8ToLatin1(const std::string& utf8) {
  std::string out;
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    const int extra = c < 0x80 ? 0 : c >= 0xF0 && c < 0xF8 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 ? 1 : -1;
    bool valid = extra >= 0 && i + extra < n;
    char32_t code = extra <= 0 ? c : c & (0x3F >> extra);
    for (int k = 1; valid && k <= extra; ++k) {
      valid = (p[i + k] & 0xC0) == 0x80;
      code = (code << 6) | (p[i + k] & 0x3F);
    }
    if (!valid) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    out += code <= 0xFF ? static_cast<char>(code) : '?';
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

X11Clipboard::X11Clipboard(Display* display) : display_(display), owner_(std::this_thread::get_id()) {
  clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
  targets_ = XInternAtom(display_, "TARGETS", False);
  timestamp_ = XInternAtom(display_, "TIMESTAMP", False);
  utf8String_ = XInternAtom(display_, "UTF8_STRING", False);
  property_ = XInternAtom(display_, "CALVETTA_CLIPBOARD", False);
  timeProperty_ = XInternAtom(display_, "CALVETTA_TIME", False);
  incr_ = XInternAtom(display_, "INCR", False);
}

X11Clipboard::~X11Clipboard() {
  if (window_) XDestroyWindow(display_, window_);
}

void X11Clipboard::EnsureWindow() {
  if (window_) return;
  XSetWindowAttributes attributes{};
  attributes.event_mask = PropertyChangeMask;
  window_ = XCreateWindow(display_, DefaultRootWindow(display_), -10, -10, 1, 1, 0, 0, InputOnly,
                          CopyFromParent, CWEventMask, &attributes);
}

// A server time for taking the selection: the time stamp of a property
// change of our own, as the conventions ask instead of CurrentTime.
Time X11Clipboard::ServerTime() {
  XChangeProperty(display_, window_, timeProperty_, XA_STRING, 8, PropModeAppend, nullptr, 0);
  XEvent event;
  auto isOurs = [](Display*, XEvent* e, XPointer self) -> Bool {
    const auto* clipboard = reinterpret_cast<const X11Clipboard*>(self);
    return e->type == PropertyNotify && e->xproperty.window == clipboard->window_ &&
           e->xproperty.atom == clipboard->timeProperty_;
  };
  XIfEvent(display_, &event, isOurs, reinterpret_cast<XPointer>(this));
  return event.xproperty.time;
}

// --- owning ---

bool X11Clipboard::Offer(std::optional<std::string> utf8) {
  if (std::this_thread::get_id() == owner_) {
    Take(std::move(utf8));
    return true;
  }
  std::lock_guard<std::mutex> guard(lock_);
  offerPending_ = true;
  pendingOffer_ = std::move(utf8);
  return false;
}

void X11Clipboard::ApplyPending() {
  std::optional<std::string> offer;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!offerPending_) return;
    offerPending_ = false;
    offer = std::move(pendingOffer_);
  }
  Take(std::move(offer));
}

void X11Clipboard::Take(std::optional<std::string> utf8) {
  EnsureWindow();
  const Time now = ServerTime();
  {
    std::lock_guard<std::mutex> guard(lock_);
    owned_ = false;
    text_.clear();
  }
  if (!utf8) {
    // Emptied: nobody's text stays, as when the platform's clipboard is emptied.
    XSetSelectionOwner(display_, clipboard_, None, now);
    XFlush(display_);
    return;
  }
  XSetSelectionOwner(display_, clipboard_, window_, now);
  if (XGetSelectionOwner(display_, clipboard_) != window_) return;
  ownedSince_ = now;
  std::lock_guard<std::mutex> guard(lock_);
  owned_ = true;
  text_ = std::move(*utf8);
}

void X11Clipboard::Handle(const XEvent& event) {
  if (!window_) return;
  if (event.type == SelectionRequest && event.xselectionrequest.owner == window_) {
    Answer(event.xselectionrequest);
  } else if (event.type == SelectionClear && event.xselectionclear.window == window_ &&
             event.xselectionclear.selection == clipboard_) {
    // Another program took the clipboard: our text is no longer on it.
    std::lock_guard<std::mutex> guard(lock_);
    owned_ = false;
    text_.clear();
  }
}

void X11Clipboard::Answer(const XSelectionRequestEvent& request) {
  XSelectionEvent reply{};
  reply.type = SelectionNotify;
  reply.display = display_;
  reply.requestor = request.requestor;
  reply.selection = request.selection;
  reply.target = request.target;
  reply.time = request.time;
  // Old requestors name no property: the target's name serves.
  const Atom property = request.property != None ? request.property : request.target;
  std::string text;
  bool ours;
  {
    std::lock_guard<std::mutex> guard(lock_);
    ours = owned_ && request.selection == clipboard_ &&
           (request.time == CurrentTime || NotBefore(request.time, ownedSince_));
    if (ours) text = text_;
  }
  reply.property = ours ? Convert(request, property, text) : None;
  XEvent event{};
  event.xselection = reply;
  XSendEvent(display_, request.requestor, False, NoEventMask, &event);
  XFlush(display_);
}

// Writes the target's data on the requestor's property; None when refused.
Atom X11Clipboard::Convert(const XSelectionRequestEvent& request, Atom property, const std::string& text) {
  if (request.target == targets_) {
    const Atom offered[] = {targets_, timestamp_, utf8String_, XA_STRING};
    XChangeProperty(display_, request.requestor, property, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(offered), 4);
    return property;
  }
  if (request.target == timestamp_) {
    const long since = static_cast<long>(ownedSince_);
    XChangeProperty(display_, request.requestor, property, XA_INTEGER, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&since), 1);
    return property;
  }
  if (request.target != utf8String_ && request.target != XA_STRING) return None;
  const std::string data = request.target == XA_STRING ? Utf8ToLatin1(text) : text;
  // Text larger than one request would go in pieces (INCR), which is not done.
  const long units = XExtendedMaxRequestSize(display_) ? XExtendedMaxRequestSize(display_)
                                                       : XMaxRequestSize(display_);
  if (data.size() + kRequestHeaderBytes > static_cast<size_t>(units) * 4) return None;
  XChangeProperty(display_, request.requestor, property, request.target, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
  return property;
}

// --- reading ---

bool X11Clipboard::Read(std::string* utf8) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (owned_) {
      *utf8 = text_;
      return true;
    }
  }
  if (std::this_thread::get_id() != owner_) return false;
  const Window owner = XGetSelectionOwner(display_, clipboard_);
  if (owner == None) return false;
  EnsureWindow();
  return ReadAs(utf8String_, utf8) || ReadAs(XA_STRING, utf8);
}

bool X11Clipboard::ReadAs(Atom target, std::string* utf8) {
  XDeleteProperty(display_, window_, property_);
  XConvertSelection(display_, clipboard_, target, property_, window_, CurrentTime);
  XSelectionEvent notify{};
  if (!WaitForNotify(target, &notify) || notify.property == None) return false;
  Atom type = None;
  int format = 0;
  unsigned long items = 0, after = 0;
  unsigned char* data = nullptr;
  const int status = XGetWindowProperty(display_, window_, property_, 0, kMaxReadBytes / 4, True, AnyPropertyType,
                                        &type, &format, &items, &after, &data);
  if (status != Success) return false;
  const bool text = format == 8 && after == 0 && type == target && type != incr_;
  if (text) {
    const std::string bytes(reinterpret_cast<const char*>(data), items);
    *utf8 = target == XA_STRING ? Latin1ToUtf8(bytes) : bytes;
  }
  if (data) XFree(data);
  // A transfer in pieces or too large: what is left of it goes.
  if (!text) XDeleteProperty(display_, window_, property_);
  return text;
}

// The owner's answer to our request for the target; answers to earlier
// requests that timed out are passed over.
bool X11Clipboard::WaitForNotify(Atom target, XSelectionEvent* notify) {
  const auto deadline = std::chrono::steady_clock::now() + kAnswerTimeout;
  for (;;) {
    XEvent event;
    while (XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event)) {
      if (event.xselection.selection == clipboard_ && event.xselection.target == target) {
        *notify = event.xselection;
        return true;
      }
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                            std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd connection{ConnectionNumber(display_), POLLIN, 0};
    poll(&connection, 1, static_cast<int>(std::min<long long>(left.count(), kPollSliceMs)));
  }
}

}  // namespace compat::host
