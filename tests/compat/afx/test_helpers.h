// Shared by the framework tests: a fresh host folder per test (removed
// afterwards) with its program-side path, and a CString's text for asserts.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "compat/afx.h"
#include "compat/host.h"
#include "compat/host_path.h"

inline std::u16string Text(const CString& s) { return s.Native(); }

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "calvetta_afx_XXXXXX").string();
    m_host = mkdtemp(pattern.data());
  }
  ~TempFolder() { std::filesystem::remove_all(m_host); }
  const std::string& Host() const { return m_host; }
  CString Path(const char16_t* name) const {
    return CString(compat::FromHostPath(m_host)) + u"\\" + name;
  }

 private:
  std::string m_host;
};

// Lets the queued messages (paints among them) run.
inline void PumpWindows() {
  for (int i = 0; i < 3; ++i) compat::PumpMessages();
}

// The screen point at a client point of a window.
inline POINT ScreenAt(const CWnd& wnd, int x, int y) {
  POINT p{x, y};
  ::ClientToScreen(wnd.m_hWnd, &p);
  return p;
}

// The desktop's colour at a screen point, once the windows have painted.
inline COLORREF DesktopPixel(POINT screen) {
  PumpWindows();
  auto surface = compat::host::DesktopSurface();
  const uint32_t p = surface->Row(screen.y)[screen.x];
  return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}
