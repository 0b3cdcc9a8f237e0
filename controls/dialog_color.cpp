#include "controls/dialog_color.h"

namespace controls {
namespace {

COLORREF& DialogColor() {
  static COLORREF color = ::GetSysColor(COLOR_BTNFACE);
  return color;
}

}  // namespace

COLORREF GetDialogColor() { return DialogColor(); }

void SetDialogColor(COLORREF color) { DialogColor() = color; }

}  // namespace controls
