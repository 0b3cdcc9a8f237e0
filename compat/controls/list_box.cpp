#include "compat/controls/control_classes.h"
namespace compat::controls {
LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd, message, wParam, lParam); }
LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd, message, wParam, lParam); }
LRESULT CALLBACK ScrollBarProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) { return DefWindowProcW(hwnd, message, wParam, lParam); }
}
