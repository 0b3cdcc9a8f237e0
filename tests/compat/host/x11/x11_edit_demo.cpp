// A window with one focused edit field, for the clipboard tests on X: every
// change of the field's text is written as a line to the log, so a test sees
// what a paste did.
//
//   x11_edit_demo LOG [TEXT]
#include <cstdio>
#include <fstream>
#include <string>

#include "compat/win32.h"

namespace {

constexpr int kEditId = 100;
std::ofstream g_log;
HWND g_edit = nullptr;

std::string Utf8(const std::u16string& text) {
  std::string out(text.size() * 3, '\0');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(),
                                    static_cast<int>(out.size()), nullptr, nullptr);
  out.resize(static_cast<size_t>(n > 0 ? n : 0));
  return out;
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
        char16_t text[256] = {};
        GetWindowTextW(g_edit, text, 256);
        g_log << "text " << Utf8(text) << std::endl;
      }
      return 0;
    case WM_SETFOCUS:
      SetFocus(g_edit);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

std::u16string Wide(const char* text) {
  std::u16string out(std::char_traits<char>::length(text) + 1, u'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, out.data(), static_cast<int>(out.size()));
  out.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: x11_edit_demo LOG [TEXT]\n");
    return 2;
  }
  g_log.open(argv[1]);
  WNDCLASSW frame{};
  frame.lpfnWndProc = FrameProc;
  frame.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  frame.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  frame.lpszClassName = u"EditDemo";
  RegisterClassW(&frame);
  HWND main = CreateWindowExW(0, u"EditDemo", u"Calvetta edit demo", WS_OVERLAPPEDWINDOW, 0, 0, 400, 160, nullptr,
                              nullptr, nullptr, nullptr);
  const std::u16string text = argc > 2 ? Wide(argv[2]) : std::u16string();
  g_edit = CreateWindowExW(WS_EX_CLIENTEDGE, u"Edit", text.c_str(), WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 20, 40,
                           340, 24, main, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)), nullptr, nullptr);
  ShowWindow(main, SW_SHOW);
  SetFocus(g_edit);
  UpdateWindow(main);
  g_log << "ready" << std::endl;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
