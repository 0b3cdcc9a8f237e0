// The palette and dialog tests: the custom-control fixture with a registry
// of its own in a temp folder, the swatch files and the palette's settings
// cleared before and after each test, and the modal-loop watchdog.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/dialog_test_support.h"
#include "controls/color_icon_test_support.h"
#include "controls/custom_controls_test_support.h"
#include "platform/program_folder.h"
#include "ui/swatch_lists.h"

namespace uitest {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

inline std::u16string Str(const CString& s) { return s.Native(); }

inline fs::path HostDataFolder() { return fs::path(compat::ToHostPath(GetDataFolder().Native())); }

inline const char* const kStoredFiles[] = {"Color.dat",        "ImageTexture.dat",    "VaryColor.dat", "Material.dat",
                                           "Palette_Rect.dat", "Palette_Visible.dat", "ImageFilePath.dat"};

inline Bytes ReadHostFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}
inline void WriteHostFile(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A temp folder as the program sees it (backslashes) and as the host does.
class HostFolder {
 public:
  HostFolder() {
    std::string pattern = (fs::temp_directory_path() / "calvetta_ui_XXXXXX").string();
    m_host = mkdtemp(pattern.data());
  }
  ~HostFolder() { fs::remove_all(m_host); }
  const std::string& Host() const { return m_host; }
  CString Program() const { return CString(compat::FromHostPath(m_host)); }
  CString Path(const char16_t* name) const { return Program() + u"\\" + name; }
  // A w x h BMP of one colour (0xRRGGBB) in the folder.
  void PutBmp(const char* name, int w, int h, DWORD rgb) const {
    customtest::WriteSolidBmp((fs::path(m_host).filename() / name).string(), w, h, rgb);
  }

 private:
  std::string m_host;
};

class UiTest : public customtest::CustomControlTest {
 protected:
  void SetUp() override {
    setenv("CALVETTA_REGISTRY", m_registry.Host().c_str(), 1);
    ClearStoredFiles();
    CustomControlTest::SetUp();
    compat::ClearModalSteps();
    RegisterStandIns();
  }
  void TearDown() override {
    EXPECT_EQ(compat::PendingModalSteps(), 0) << "the loop ended before every step ran";
    CustomControlTest::TearDown();
    ClearStoredFiles();
    unsetenv("CALVETTA_REGISTRY");
  }
  static void ClearStoredFiles() {
    ForgetSharedSwatchLists();
    for (const char* name : kStoredFiles) fs::remove(HostDataFolder() / name);
  }
  // Plain windows for the colour controls another library brings, where it
  // has not registered them.
  static void RegisterStandIns() {
    for (const char16_t* name : {u"ColorPalCtrl", u"ColorBarCtrl", u"ColorIconCtrl", u"ImageListCtrl"}) {
      WNDCLASSW wc{};
      if (GetClassInfoW(GetModuleHandleW(nullptr), name, &wc)) continue;
      wc.lpfnWndProc = DefWindowProcW;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
      wc.lpszClassName = name;
      RegisterClassW(&wc);
    }
  }
  static bool Visible(HWND dialog, int id) { return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE; }

  HostFolder m_registry;
  dlgtest::Watchdog m_watchdog;
};

}  // namespace uitest
