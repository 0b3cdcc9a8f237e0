// The clipboard on X: the CLIPBOARD selection, owned by a window of its own
// that nobody sees, so what the program put there stays available until it
// exits. Only the thread that owns the X connection (the one that made this)
// talks to X; other threads hand their text over to it.
#pragma once

#include <X11/Xlib.h>

#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace compat::host {

class X11Clipboard {
 public:
  explicit X11Clipboard(Display* display);
  ~X11Clipboard();
  X11Clipboard(const X11Clipboard&) = delete;
  X11Clipboard& operator=(const X11Clipboard&) = delete;

  // Takes the selection with the text, or (nullopt) leaves it without owner.
  // From another thread the offer waits for ApplyPending: false then, and
  // the caller wakes the owner.
  bool Offer(std::optional<std::string> utf8);
  void ApplyPending();
  // The selection's text: ours without asking, else converted by its owner
  // (UTF8_STRING, then STRING), waiting at most a moment for the answer.
  // Transfers in pieces (INCR) are not read: false, as for no text. Other
  // threads see only our own text.
  bool Read(std::string* utf8);
  // SelectionRequest and SelectionClear for our window; other events pass.
  void Handle(const XEvent& event);

 private:
  void Take(std::optional<std::string> utf8);
  void EnsureWindow();
  Time ServerTime();
  void Answer(const XSelectionRequestEvent& request);
  Atom Convert(const XSelectionRequestEvent& request, Atom property, const std::string& text);
  bool ReadAs(Atom target, std::string* utf8);
  bool WaitForNotify(Atom target, XSelectionEvent* notify);

  Display* display_;
  Window window_ = 0;
  Atom clipboard_, targets_, timestamp_, utf8String_, property_, timeProperty_, incr_;
  Time ownedSince_ = CurrentTime;
  std::thread::id owner_;
  // What other threads read and hand over.
  std::mutex lock_;
  bool owned_ = false;
  std::string text_;
  bool offerPending_ = false;
  std::optional<std::string> pendingOffer_;
};

// Latin-1 (the STRING target's encoding) and UTF-8 both ways; characters
// Latin-1 lacks become '?'. Malformed UTF-8 bytes count as Latin-1.
std::string Latin1ToUtf8(const std::string& latin1);
std::string Utf8ToLatin1(const std::string& utf8);

}  // namespace compat::host
