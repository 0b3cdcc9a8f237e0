// What every standard control shares: its state behind the first extra
// bytes, notifying the parent, asking it for colours, and the font in use.
// Written on the platform calls only, like any program's own controls.
#pragma once

#include <memory>

#include "compat/win32.h"

namespace compat::controls {

// Each class keeps a pointer to its state in the window's first extra bytes,
// so a class copied under another name (same extra bytes) keeps working.
constexpr int kStateExtraBytes = static_cast<int>(sizeof(LONG_PTR));

template <class State>
State* StateOf(HWND hwnd) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(hwnd, 0));
}

// Made at WM_NCCREATE and freed at WM_NCDESTROY by the procedures.
template <class State>
State* AttachState(HWND hwnd) {
  auto state = std::make_unique<State>();
  SetWindowLongPtrW(hwnd, 0, reinterpret_cast<LONG_PTR>(state.get()));
  return state.release();
}

template <class State>
void DetachState(HWND hwnd) {
  std::unique_ptr<State> state(StateOf<State>(hwnd));
  SetWindowLongPtrW(hwnd, 0, 0);
}

// False once a notification's handler destroyed the control: its state is gone.
template <class State>
bool StillAlive(HWND hwnd, const State& state) {
  return StateOf<State>(hwnd) == &state;
}

// The state a procedure works on for this message: made at WM_NCCREATE.
template <class State>
State* StateForMessage(HWND hwnd, UINT message) {
  return message == WM_NCCREATE ? AttachState<State>(hwnd) : StateOf<State>(hwnd);
}

// WM_PAINT, or WM_PRINTCLIENT with its DC in wParam: `paint` draws on the DC.
// A WM_PAINT that carries a DC in wParam paints into that DC only, so that a
// subclass can draw the control where it likes.
template <class Paint>
LRESULT PaintMessage(HWND hwnd, UINT message, WPARAM wParam, Paint paint) {
  HDC given = (message == WM_PRINTCLIENT || message == WM_PAINT) ? reinterpret_cast<HDC>(wParam) : nullptr;
  PAINTSTRUCT ps;
  HDC hdc = given ? given : BeginPaint(hwnd, &ps);
  paint(hdc);
  if (!given) EndPaint(hwnd, &ps);
  return 0;
}

DWORD StyleOf(HWND hwnd);
int ControlId(HWND hwnd);

// WM_COMMAND to the parent with the control's id and handle.
void NotifyParent(HWND hwnd, WORD code);

// Sends WM_CTLCOLOR* to the parent, which sets the DC's colours and answers
// the background brush; a parent that answers nothing gets the default.
HBRUSH ControlColor(HWND hwnd, HDC hdc, UINT message);

// WM_SETTEXT of a control that keeps its text in the window: stored, then redrawn.
LRESULT SetTextAndRedraw(HWND hwnd, WPARAM wParam, LPARAM lParam);

// WM_SETFONT into the control's slot, redrawn when lParam asks.
void StoreFont(HWND hwnd, HFONT* slot, WPARAM wParam, LPARAM lParam);

// The font set by WM_SETFONT, or the system font.
HFONT FontOrDefault(HFONT font);

// Height of a line of text in the given font.
int LineHeight(HWND hwnd, HFONT font);

// A DC for the control with its font selected; released with the object.
class ControlDc {
 public:
  ControlDc(HWND hwnd, HFONT font);
  ~ControlDc();
  ControlDc(const ControlDc&) = delete;
  ControlDc& operator=(const ControlDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
  HGDIOBJ oldFont_;
};

// Copies text into a caller's buffer of `size` characters, cut to fit and
// terminated; answers the characters copied.
int CopyText(std::u16string_view text, LPWSTR buffer, size_t size);

// True while the point (client coordinates in lParam) lies in the client area.
bool InClient(HWND hwnd, LPARAM lParam);

bool KeyDown(int virtualKey);

}  // namespace compat::controls
