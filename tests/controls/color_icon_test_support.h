// A stand-in for the windows a colour icon calls (picker, palette window,
// picture chooser) that records the calls, and small picture files.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "controls/color_icon_ctrl.h"
#include "controls/color_icon_host.h"

namespace customtest {

struct HostCall {
  std::string what;
  HWND icon;
  DWORD color;
  POINT topLeft;
  BOOL alternateFolder;
};

class StandInIconHost : public controls::IColorIconHost {
 public:
  void OpenColorPicker(controls::CColorIconCtrl& icon, DWORD argb, POINT topLeft) override {
    calls.push_back({"picker", icon.m_hWnd, argb, topLeft, FALSE});
  }
  void SetPaletteTarget(controls::CColorIconCtrl& icon) override {
    target = &icon;
    calls.push_back({"target", icon.m_hWnd, 0, {}, FALSE});
  }
  void ForgetPaletteTarget(controls::CColorIconCtrl& icon) override {
    if (target == &icon) target = nullptr;
    calls.push_back({"forget", icon.m_hWnd, 0, {}, FALSE});
  }
  void RefreshPaletteTarget() override { calls.push_back({"refresh", nullptr, 0, {}, FALSE}); }
  BOOL ChoosePictureFile(controls::CColorIconCtrl& icon, BOOL alternateFolder) override {
    calls.push_back({"choose", icon.m_hWnd, 0, {}, alternateFolder});
    if (chosen.empty()) return FALSE;
    icon.SetTextureFile(CString(chosen.c_str()));
    return TRUE;
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const HostCall& c : calls) names.push_back(c.what);
    return names;
  }

  std::vector<HostCall> calls;
  controls::CColorIconCtrl* target = nullptr;
  std::u16string chosen;  // the file the chooser picks, none when empty
};

// A w x h 24-bit BMP of one colour (0xRRGGBB); the program's path to it.
inline std::u16string WriteSolidBmp(const std::string& name, int w, int h, DWORD rgb) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
  const int rowBytes = (w * 3 + 3) & ~3;
  const uint32_t imageBytes = static_cast<uint32_t>(rowBytes * h);
  std::vector<unsigned char> bytes(54 + imageBytes, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
  };
  bytes[0] = 'B';
  bytes[1] = 'M';
  put32(2, static_cast<uint32_t>(bytes.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(w));
  put32(22, static_cast<uint32_t>(h));
  bytes[26] = 1;
  bytes[28] = 24;
  put32(34, imageBytes);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      unsigned char* p = &bytes[54 + y * rowBytes + x * 3];
      p[0] = rgb & 0xFF;
      p[1] = (rgb >> 8) & 0xFF;
      p[2] = (rgb >> 16) & 0xFF;
    }
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return u"";
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
  return compat::FromHostPath(path.string());
}

}  // namespace customtest
