// The picture file dialogs as a user works them: the frame-save options
// follow the chosen type, the preview follows its check box, and the
// picture chooser starts in and remembers each kind's folder.
#include "ui/picture_file_dialogs.h"

#include "controls/color_icon_ctrl.h"
#include "ui/stored_text.h"
#include "ui_test_support.h"

namespace {

using dlgtest::QueueCheck;
using dlgtest::QueueKey;
using uitest::HostFolder;
using uitest::Str;
using uitest::UiTest;

constexpr TCHAR kFrameFilter[] = u"BMP(*.BMP)|*.bmp|JPG(*.JPG)|*.jpg|TGA(*.TGA)|*.tga|GIF(*.GIF)|*.gif||";

class PictureFileDialogs : public UiTest {};

TEST_F(PictureFileDialogs, FrameSaveOptionsFollowTheTypeBackAndForth) {
  CFrameSaveFileDlg dialog(FALSE, u"bmp", u"frame", 0, kFrameFilter);
  EXPECT_EQ(dialog.m_ofn.Flags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_ENABLETEMPLATE), 0x46u);
  compat::AddModalStepOnCaption(u"Save As", [&](HWND) {
    ASSERT_TRUE(dialog.m_hWnd);
    EXPECT_TRUE(Visible(dialog.m_hWnd, 1230)) << "BMP opens with the true-colour box";
    EXPECT_FALSE(Visible(dialog.m_hWnd, 3221));
    EXPECT_FALSE(Visible(dialog.m_hWnd, 3222));
  });
  QueueKey('T', VK_MENU);
  QueueKey(VK_DOWN);  // JPG
  QueueCheck([&] {
    EXPECT_FALSE(Visible(dialog.m_hWnd, 1230));
    EXPECT_TRUE(Visible(dialog.m_hWnd, 3221));
    EXPECT_TRUE(Visible(dialog.m_hWnd, 3222));
    EXPECT_EQ(Text(GetDlgItem(GetDlgItem(dialog.m_hWnd, 3222), 1)), u"75");
    WritePng(GetParent(dialog.m_hWnd), "frame_save_jpg");
  });
  QueueKey(VK_UP);  // back to BMP: the index is now 1-based
  QueueCheck([&] {
    EXPECT_TRUE(Visible(dialog.m_hWnd, 1230)) << "the box comes back for BMP";
    EXPECT_FALSE(Visible(dialog.m_hWnd, 3222));
  });
  QueueKey(VK_DOWN);
  QueueKey(VK_DOWN);  // TGA: neither option
  QueueCheck([&] {
    EXPECT_FALSE(Visible(dialog.m_hWnd, 1230));
    EXPECT_FALSE(Visible(dialog.m_hWnd, 3222));
  });
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(PictureFileDialogs, SavingKeepsTheQualityAndTheTrueColourChoice) {
  HostFolder folder;
  CFrameSaveFileDlg dialog(FALSE, u"bmp", u"frame", 0, kFrameFilter);
  const CString start = folder.Program();
  dialog.m_ofn.lpstrInitialDir = start;
  compat::AddModalStepOnCaption(u"Save As", [&](HWND) {
    ::CheckDlgButton(dialog.m_hWnd, 1230, BST_CHECKED);
  });
  QueueKey(VK_RETURN);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_bTrueColor, 1);
  EXPECT_EQ(dialog.m_nQuality, 75);
  EXPECT_EQ(Str(dialog.GetPathName()), Str(folder.Path(u"frame.bmp")));
}

}  // namespace

namespace {

// The picture folders beside the test program, made for the test when the
// build has not put them there.
class PictureChooser : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    for (const char* sub : {"Image", "Mask", "Light", "Wipe"}) {
      const uitest::fs::path folder = uitest::fs::path(compat::ToHostPath(GetProgramFolder().Native())) / sub;
      if (uitest::fs::create_directories(folder)) m_made.push_back(folder);
    }
  }
  void TearDown() override {
    for (const auto& folder : m_made) uitest::fs::remove_all(folder);
    UiTest::TearDown();
  }
  // Runs the chooser, noting the folder it opened in and typing `name`.
  BOOL Choose(DWORD style, const CString& name, CString& path) {
    compat::AddModalStepOnCaption(u"Image File", [this, name](HWND fileDialog) {
      char16_t folder[1024] = {};
      ::SendMessageW(fileDialog, CDM_GETFOLDERPATH, 1024, reinterpret_cast<LPARAM>(folder));
      m_openedIn = folder;
      ::SetDlgItemTextW(fileDialog, edt1, name);
    });
    QueueKey(VK_RETURN);
    return ChoosePictureFile(style, nullptr, path);
  }
  std::vector<uitest::fs::path> m_made;
  std::u16string m_openedIn;
};

TEST_F(PictureChooser, EachKindStartsInItsFolderAndRemembersTheChosenOne) {
  HostFolder pictures;
  uitest::WriteHostFile(uitest::fs::path(pictures.Host()) / "a.bmp", {1, 2, 3});
  const std::u16string program = Str(GetProgramFolder());
  const struct {
    DWORD style;
    const char16_t* folder;
    const char16_t* value;
  } kinds[] = {{0x04, u"\\Image", u"ImageFilePath"},
               {0x04 | 0x80, u"\\Mask", u"MaskFilePath"},
               {0x04 | 0x100, u"\\Light", u"MaskFilePath"},
               {0x04 | 0x200, u"\\Wipe", u"MaskFilePath"}};
  for (const auto& kind : kinds) {
    // Nothing stored yet for a kind that shares no value with an earlier one.
    if (kind.style == 0x04 || kind.style == (0x04 | 0x80)) {
      CString path;
      EXPECT_FALSE(Choose(kind.style, u"missing.bmp", path)) << "a missing file is no choice";
      EXPECT_EQ(m_openedIn, program + kind.folder) << kind.style;
      EXPECT_TRUE(ReadRegistryText(kind.value).IsEmpty()) << "a missing file stores nothing";
    }
  }
  CString path;
  ASSERT_TRUE(Choose(0x04 | 0x100, pictures.Path(u"a.bmp"), path));
  EXPECT_EQ(Str(path), Str(pictures.Path(u"a.bmp")));
  EXPECT_EQ(Str(ReadRegistryText(u"MaskFilePath")), Str(pictures.Program() + u"\\"));
  EXPECT_TRUE(ReadRegistryText(u"ImageFilePath").IsEmpty()) << "a light picture is remembered with the masks";
  // The stored folder now gives the start for every mask-like kind.
  CString ignored;
  EXPECT_FALSE(Choose(0x04 | 0x200, u"gone.bmp", ignored));
  EXPECT_EQ(m_openedIn, compat::FromHostPath(pictures.Host()));
  EXPECT_EQ(Str(ReadRegistryText(u"MaskFilePath")), Str(pictures.Program() + u"\\"));
}

}  // namespace

namespace {

TEST_F(PictureFileDialogs, PreviewShowsTheSelectedPictureOnlyWhileChecked) {
  HostFolder folder;
  folder.PutBmp("a.bmp", 8, 8, 0xFF0000);
  folder.PutBmp("b.bmp", 8, 8, 0x0000FF);
  CImageFileDlg dialog(TRUE, u"*.jpg", nullptr, 0x226, kPictureFileFilter);
  const CString start = folder.Program();
  dialog.m_ofn.lpstrInitialDir = start;
  HWND icon = nullptr;
  compat::AddModalStepOnCaption(u"Open", [&](HWND fileDialog) {
    icon = ::GetDlgItem(dialog.m_hWnd, 24400);
    ASSERT_NE(controls::ColorIconFromHandle(icon), nullptr);
    EXPECT_EQ(::IsDlgButtonChecked(dialog.m_hWnd, 24401), 1u);
    ::SetFocus(::GetDlgItem(fileDialog, lst1));
  });
  QueueKey(VK_DOWN);  // a.bmp
  QueueCheck([&] {
    EXPECT_TRUE(IsWindowVisible(icon));
    EXPECT_EQ(Str(controls::ColorIconFromHandle(icon)->GetTexturePath()), Str(folder.Path(u"a.bmp")));
    RECT r;
    GetWindowRect(icon, &r);
    EXPECT_EQ(PixelAt(POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}), RGB(255, 0, 0));
    WritePng(GetParent(dialog.m_hWnd), "image_file_preview");
    ::SendDlgItemMessageW(dialog.m_hWnd, 24401, BM_CLICK, 0, 0);  // Preview off
    EXPECT_FALSE(IsWindowVisible(icon));
  });
  QueueKey(VK_DOWN);  // b.bmp: nothing shown
  QueueCheck([&] {
    EXPECT_FALSE(IsWindowVisible(icon));
    EXPECT_EQ(Str(controls::ColorIconFromHandle(icon)->GetTexturePath()), Str(folder.Path(u"a.bmp")));
    ::SendDlgItemMessageW(dialog.m_hWnd, 24401, BM_CLICK, 0, 0);  // on again: the selection shows
    EXPECT_TRUE(IsWindowVisible(icon));
    EXPECT_EQ(Str(controls::ColorIconFromHandle(icon)->GetTexturePath()), Str(folder.Path(u"b.bmp")));
  });
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

}  // namespace
