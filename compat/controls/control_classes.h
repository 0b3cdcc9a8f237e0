// The standard controls' window procedures and the names they register.
#pragma once

#include "compat/win32.h"

namespace compat::controls {

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ToolbarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TooltipProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ProgressProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK TabControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MdiClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The drop-down list of a combo box is a list box of this class.
inline constexpr const WCHAR* kComboListClass = u"ComboLBox";

}  // namespace compat::controls

namespace compat::controls {

// What the dropped list of a combo box tells its combo: the user chose the
// highlighted item (accept) or dismissed the list.
void ComboListClosed(HWND combo, bool accept);

// The list box keys shared with the combo box: the index a navigation key
// leads to from `current`, or -1 when the key does not move.
int NavigateIndex(HWND list, int current, WPARAM key);

}  // namespace compat::controls
