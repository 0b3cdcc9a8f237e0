// The keys a user types text with on a US keyboard: the virtual key of each
// character and whether Shift is held for it.
#pragma once

#include "compat/host.h"
#include "compat/win32.h"

struct TypedKey {
  unsigned vk;
  bool shift;
};

// vk 0 when the layout has no key for the character.
inline TypedKey KeyForCharacter(char c) {
  if (c == 0) return {0, false};
  if (c >= 'a' && c <= 'z') return {static_cast<unsigned>(c - 'a' + 'A'), false};
  if (c >= 'A' && c <= 'Z') return {static_cast<unsigned>(c), true};
  if (c >= '0' && c <= '9') return {static_cast<unsigned>(c), false};
  // The punctuation keys, each with its unshifted and shifted character.
  struct Punctuation {
    unsigned vk;
    char plain, shifted;
  };
  static constexpr Punctuation kKeys[] = {
      {VK_SPACE, ' ', 0},        {VK_OEM_PERIOD, '.', '>'}, {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'},
      {VK_OEM_PLUS, '=', '+'},   {VK_OEM_1, ';', ':'},      {VK_OEM_2, '/', '?'},     {VK_OEM_3, '`', '~'},
      {VK_OEM_4, '[', '{'},      {VK_OEM_5, '\\', '|'},     {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
      {'1', 0, '!'}, {'2', 0, '@'}, {'3', 0, '#'}, {'4', 0, '$'}, {'5', 0, '%'},
      {'6', 0, '^'}, {'7', 0, '&'}, {'8', 0, '*'}, {'9', 0, '('}, {'0', 0, ')'},
  };
  for (const Punctuation& key : kKeys) {
    if (c == key.plain) return {key.vk, false};
    if (c == key.shifted) return {key.vk, true};
  }
  return {0, false};
}

// Presses and releases the character's key as host input, Shift around it when needed.
inline void InjectCharacter(char c) {
  const TypedKey key = KeyForCharacter(c);
  if (!key.vk) return;
  if (key.shift) compat::host::InjectKey(VK_SHIFT, true);
  compat::host::InjectKeyPress(key.vk);
  if (key.shift) compat::host::InjectKey(VK_SHIFT, false);
}
