// The Load Sample dialog at start-up and from the menu: the sample list, the
// "do not show" flag and the project it opens.
#include <cstring>

#include "app/load_sample_dlg.h"
#include "editor_test_support.h"
#include "res/resource.h"

namespace apptest {
namespace {

class LoadSample : public EditorTest {
 protected:
  void SetUp() override {
    EditorTest::SetUp();
    fs::remove(ProgramFolder() / "Data" / "ShowNextTime.dat");
  }
  // A fresh project saved as each sample name, and a file that is not a project.
  void PutSamples() {
    StoreShowNextTime(1);
    Start();
    for (const char* name : {"b.pvk", "X.PVK", "a.pvk"}) {
      const fs::path path = ProgramFolder() / "Sample" / name;
      fs::create_directories(path.parent_path());
      ASSERT_TRUE(Project()->SaveProjectFile(Program(path).c_str()));
    }
    WriteBytes(ProgramFolder() / "Sample" / "x.bak", Bytes{'n', 'o'});
  }
  static std::vector<std::u16string> Listed(HWND dialog) {
    std::vector<std::u16string> names;
    HWND list = ::GetDlgItem(dialog, 908);
    const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      char16_t text[1024] = {};
      ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      // The list shows paths as the user writes them, with slashes.
      const std::u16string path = text;
      const std::u16string name = path.substr(path.find_last_of(u'/') + 1);
      EXPECT_EQ(path, compat::Utf8ToUtf16((ProgramFolder() / "Sample").string() + "/") + name);
      names.push_back(name);
    }
    return names;
  }
  static bool ShowNextTimeStored(int32_t* flag) {
    BYTE* bytes = nullptr;
    int count = 0;
    if (!LoadSetting(u"ShowNextTime", &bytes, &count)) return false;
    std::memcpy(flag, bytes, sizeof *flag);
    delete[] bytes;
    return count == 4;
  }
};

TEST_F(LoadSample, ListsTheSampleProjectsAndOpensTheChosenOne) {
  PutSamples();
  std::vector<std::u16string> seen;
  int selected = -1;
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [&](HWND dialog) {
    seen = Listed(dialog);
    selected = static_cast<int>(::SendDlgItemMessageW(dialog, 908, LB_GETCURSEL, 0, 0));
    ::SendDlgItemMessageW(dialog, 908, LB_SETCURSEL, 1, 0);
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Frame()->SendMessage(WM_COMMAND, ID_LOAD_SAMPLE);
  EXPECT_EQ(seen, (std::vector<std::u16string>{u"X.PVK", u"a.pvk", u"b.pvk"}));
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(Title().Native(), u"a.pvk - Calvetta");
  int32_t flag = -1;
  ASSERT_TRUE(ShowNextTimeStored(&flag)) << "OK stores the check box";
  EXPECT_EQ(flag, 0);
}

TEST_F(LoadSample, DoNotShowAgainWithOkIsKeptAndCancelStoresNothing) {
  // First start: the dialog shows; Cancel with the box ticked stores nothing.
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [](HWND dialog) {
    ::CheckDlgButton(dialog, 111, BST_CHECKED);
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Start();
  int32_t flag = 0;
  EXPECT_FALSE(ShowNextTimeStored(&flag));
  Exit();
  // Second start: shown again; ticked and OK.
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [](HWND dialog) {
    ::CheckDlgButton(dialog, 111, BST_CHECKED);
    ::SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Start();
  ASSERT_TRUE(ShowNextTimeStored(&flag));
  EXPECT_EQ(flag, 1);
  Exit();
  // Third start: no dialog (no step is waiting for one), but the menu shows it anyway.
  Start();
  bool shown = false;
  compat::AddModalStepOnTemplate(IDD_LOAD_SAMPLE, [&](HWND dialog) {
    shown = true;
    EXPECT_EQ(::IsDlgButtonChecked(dialog, 111), static_cast<UINT>(BST_UNCHECKED));
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("calvetta_load_sample").c_str()));
    ::SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  Frame()->SendMessage(WM_COMMAND, ID_LOAD_SAMPLE);
  EXPECT_TRUE(shown);
}

}  // namespace
}  // namespace apptest
