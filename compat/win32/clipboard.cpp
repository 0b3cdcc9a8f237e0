// The clipboard calls. The host holds the clipboard's text (shared with the
// other programs of the desktop where it has any); the blocks the program
// hands over or is given live here, each for as long as the platform keeps
// it valid. Of the formats only the two text formats are kept, each made
// from the other when asked for.
#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "compat/host.h"
#include "compat/win32.h"

namespace {

namespace host = compat::host;

struct ClipboardState {
  std::mutex lock;
  DWORD openThread = 0;  // 0 while closed
  // Emptied since it was opened: what is set now goes to the host on close.
  bool emptied = false;
  // Blocks the clipboard holds: set by the program, or made for a read.
  // Both are valid until the clipboard is next opened.
  std::map<UINT, HGLOBAL> blocks;
};

ClipboardState& State() {
  static ClipboardState* state = new ClipboardState;
  return *state;
}

bool IsTextFormat(UINT format) { return format == CF_TEXT || format == CF_UNICODETEXT; }

void FreeBlocks(ClipboardState& s) {
  for (auto& [format, block] : s.blocks) GlobalFree(block);
  s.blocks.clear();
}

// Open on the calling thread; else false with the platform's error. The
// caller holds the lock.
bool OpenHere(const ClipboardState& s) {
  if (s.openThread == GetCurrentThreadId()) return true;
  SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
  return false;
}

// --- text in blocks ---

// A block's text up to its terminator or its end.
std::u16string WideText(HGLOBAL block) {
  std::u16string text;
  const auto* chars = static_cast<const char16_t*>(GlobalLock(block));
  if (!chars) return text;
  const size_t most = GlobalSize(block) / sizeof(char16_t);
  text.assign(chars, std::find(chars, chars + most, u'\0'));
  GlobalUnlock(block);
  return text;
}

std::string NarrowText(HGLOBAL block) {
  std::string text;
  const auto* bytes = static_cast<const char*>(GlobalLock(block));
  if (!bytes) return text;
  const size_t most = GlobalSize(block);
  text.assign(bytes, std::find(bytes, bytes + most, '\0'));
  GlobalUnlock(block);
  return text;
}

std::u16string FromCodePage(UINT codePage, const std::string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::u16string wide(static_cast<size_t>(std::max(length, 0)), u'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string ToCodePage(UINT codePage, const std::u16string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<size_t>(std::max(length, 0)), '\0');
  if (length > 0) WideCharToMultiByte(codePage, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
  return narrow;
}

HGLOBAL BlockOf(const void* data, size_t bytes, size_t terminatorBytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes + terminatorBytes);
  if (!block) return nullptr;
  if (bytes) std::memcpy(GlobalLock(block), data, bytes);
  if (bytes) GlobalUnlock(block);
  return block;  // the terminator is there: blocks start zeroed
}

// A block of the format holding the text.
HGLOBAL TextBlock(UINT format, const std::u16string& text) {
  if (format == CF_UNICODETEXT) return BlockOf(text.data(), text.size() * sizeof(char16_t), sizeof(char16_t));
  const std::string narrow = ToCodePage(CP_ACP, text);
  return BlockOf(narrow.data(), narrow.size(), 1);
}

// The text the program set, from the wide format when it set both.
std::optional<std::u16string> SetText(const ClipboardState& s) {
  if (auto wide = s.blocks.find(CF_UNICODETEXT); wide != s.blocks.end()) return WideText(wide->second);
  if (auto narrow = s.blocks.find(CF_TEXT); narrow != s.blocks.end())
    return FromCodePage(CP_ACP, NarrowText(narrow->second));
  return std::nullopt;
}

}  // namespace

BOOL OpenClipboard(HWND) {
  ClipboardState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (s.openThread == GetCurrentThreadId()) return TRUE;
  if (s.openThread != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  s.openThread = GetCurrentThreadId();
  s.emptied = false;
  FreeBlocks(s);
  return TRUE;
}

BOOL CloseClipboard() {
  std::optional<std::string> publish;
  bool changed;
  {
    ClipboardState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!OpenHere(s)) return FALSE;
    changed = s.emptied;
    if (changed) {
      if (std::optional<std::u16string> text = SetText(s)) publish = ToCodePage(CP_UTF8, *text);
    }
    s.openThread = 0;
    s.emptied = false;
  }
  // Outside the lock: the host may take a moment to take the clipboard.
  if (changed) host::SetClipboardText(std::move(publish));
  return TRUE;
}

BOOL EmptyClipboard() {
  ClipboardState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!OpenHere(s)) return FALSE;
  FreeBlocks(s);
  s.emptied = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem) {
  ClipboardState& s = State();
  std::lock_guard<std::mutex> guard(s.lock);
  if (!OpenHere(s)) return nullptr;
  // Only the one who emptied the clipboard sets its data; rendering on
  // request (no block) is not offered.
  if (!s.emptied) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  if (!IsTextFormat(uFormat) || !hMem) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  if (GlobalSize(hMem) == 0 && GetLastError() == ERROR_INVALID_HANDLE) return nullptr;
  HGLOBAL& slot = s.blocks[uFormat];
  if (slot && slot != hMem) GlobalFree(slot);
  slot = hMem;
  // The other text format is made again from this one when asked for.
  const UINT other = uFormat == CF_TEXT ? CF_UNICODETEXT : CF_TEXT;
  if (auto made = s.blocks.find(other); made != s.blocks.end() && made->second != hMem) {
    GlobalFree(made->second);
    s.blocks.erase(made);
  }
  return hMem;
}

HANDLE GetClipboardData(UINT uFormat) {
  ClipboardState& s = State();
  std::unique_lock<std::mutex> guard(s.lock);
  if (!OpenHere(s)) return nullptr;
  if (!IsTextFormat(uFormat)) return nullptr;
  if (auto held = s.blocks.find(uFormat); held != s.blocks.end()) return held->second;
  std::optional<std::u16string> text;
  if (s.emptied) {
    text = SetText(s);
  } else {
    // The clipboard stays open on this thread, so nobody changes it meanwhile.
    guard.unlock();
    std::string utf8;
    if (host::GetClipboardText(&utf8)) text = FromCodePage(CP_UTF8, utf8);
    guard.lock();
  }
  if (!text) return nullptr;
  HGLOBAL block = TextBlock(uFormat, *text);
  if (block) s.blocks[uFormat] = block;
  return block;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (!IsTextFormat(format)) return FALSE;
  {
    ClipboardState& s = State();
    std::lock_guard<std::mutex> guard(s.lock);
    if (s.openThread == GetCurrentThreadId() && s.emptied) return !s.blocks.empty();
  }
  std::string utf8;
  return host::GetClipboardText(&utf8);
}
