// X keysyms to the platform's virtual keys, for the X11 host.
#pragma once

namespace compat::host {

struct HostKey {
  unsigned virtualKey = 0;  // 0: a key the program has no virtual key for
  unsigned scanCode = 0;    // 0: the window manager's US table gives it
  bool extended = false;    // right-hand and navigation keys
};

// keysym: the key's unshifted keysym, except on the keypad, where the keysym
// with the current modifiers tells digits (Num Lock) from navigation.
HostKey KeyFromKeysym(unsigned long keysym);

// A virtual key for a printable character no key of the US layout makes.
constexpr unsigned kVkPacket = 0xE7;

}  // namespace compat::host
