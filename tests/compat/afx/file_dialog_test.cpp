// CFileDialog as the program uses it: a subclass whose object is its child
// template's window (data exchange, notifications as virtual calls, refusing
// a name), and multiple selection iterated path by path.
#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "compat/afx.h"
#include "compat/afx/dialog_test_ids.h"
#include "compat/afx/test_helpers.h"
#include "compat/win32/dialog_test_support.h"

namespace {

using dlgtest::QueueCheck;
using dlgtest::QueueKey;

class PreviewFileDialog : public CFileDialog {
 public:
  PreviewFileDialog(LPCTSTR filter, const std::u16string& folder)
      : CFileDialog(TRUE, u"*.jpg", nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, filter), m_folder(folder) {
    m_ofn.Flags |= OFN_ENABLETEMPLATE;
    m_ofn.hInstance = AfxGetResourceHandle();
    m_ofn.lpTemplateName = MAKEINTRESOURCEW(IDD_FILE_PREVIEW);
    m_ofn.lpstrInitialDir = m_folder.c_str();
  }

  int m_preview = 1;
  std::vector<std::u16string> m_changes;
  std::vector<DWORD> m_typeIndexes;
  int m_initDone = 0;
  int m_refusals = 1;
  int m_previewSeenAtOk = -1;

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Check(pDX, IDC_PREVIEW, m_preview); }
  void OnInitDone() override { ++m_initDone; }
  void OnFileNameChange() override { m_changes.push_back(Text(GetPathName())); }
  void OnTypeChange() override { m_typeIndexes.push_back(m_ofn.nFilterIndex); }
  BOOL OnFileNameOK() override {
    UpdateData(TRUE);
    m_previewSeenAtOk = m_preview;
    return m_refusals-- > 0;
  }

 private:
  std::u16string m_folder;
};

class FrameworkFileDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    compat::ResetDesktop(800, 600);
    compat::ClearModalSteps();
    for (const char* name : {"a.bmp", "B.BMP", "c.jpg"}) std::ofstream(m_folder.Host() + "/" + name) << "x";
  }
  void TearDown() override {
    EXPECT_EQ(compat::PendingModalSteps(), 0) << "the loop ended before every step ran";
    compat::ClearModalSteps();
    compat::ResetDesktop(800, 600);
  }
  std::u16string Folder() const { return compat::FromHostPath(m_folder.Host()); }
  TempFolder m_folder;
  dlgtest::Watchdog m_watchdog;
};

TEST_F(FrameworkFileDialogs, TheObjectIsItsTemplateWindowAndHearsTheDialog) {
  PreviewFileDialog dialog(u"BMP(*.BMP)|*.BMP|JPG(*.JPG)|*.JPG||", Folder());
  compat::AddModalStepOnCaption(u"Open", [&](HWND fileDialog) {
    ASSERT_TRUE(dialog.m_hWnd);
    EXPECT_EQ(::GetParent(dialog.m_hWnd), fileDialog);
    EXPECT_TRUE(dialog.GetDlgItem(IDC_PREVIEW));
    EXPECT_EQ(::IsDlgButtonChecked(dialog.m_hWnd, IDC_PREVIEW), 1u) << "UpdateData(FALSE) ran at OnInitDialog";
    EXPECT_EQ(dialog.m_initDone, 1);
    ::SetFocus(::GetDlgItem(fileDialog, lst1));
  });
  QueueKey(VK_DOWN);  // a.bmp
  QueueKey('T', VK_MENU);
  QueueKey(VK_DOWN);  // JPG
  QueueKey('P', VK_MENU);  // Preview off
  QueueKey(VK_RETURN);  // refused once
  QueueCheck([&] { EXPECT_EQ(dialog.m_previewSeenAtOk, 0); });
  QueueKey(VK_RETURN);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_EQ(dialog.m_changes, (std::vector<std::u16string>{Folder() + u"\\a.bmp"}));
  EXPECT_EQ(dialog.m_typeIndexes, (std::vector<DWORD>{2}));
  EXPECT_EQ(dialog.m_preview, 0);
  EXPECT_EQ(Text(dialog.GetPathName()), Folder() + u"\\a.bmp");
  EXPECT_EQ(Text(dialog.GetFileName()), u"a.bmp");
  EXPECT_EQ(Text(dialog.GetFileExt()), u"bmp");
  EXPECT_EQ(Text(dialog.GetFileTitle()), u"a");
}

TEST_F(FrameworkFileDialogs, MultipleSelectionIteratesEachPath) {
  CFileDialog dialog(TRUE, nullptr, nullptr, OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST, u"All|*.*||");
  const std::u16string folder = Folder();
  dialog.m_ofn.lpstrInitialDir = folder.c_str();
  compat::AddModalStepOnCaption(u"Open", [](HWND fileDialog) {
    ::SetDlgItemTextW(fileDialog, edt1, u"\"B.BMP\" \"c.jpg\"");
  });
  QueueKey(VK_RETURN);
  ASSERT_EQ(dialog.DoModal(), IDOK);
  std::vector<std::u16string> paths;
  for (POSITION pos = dialog.GetStartPosition(); pos;) paths.push_back(Text(dialog.GetNextPathName(pos)));
  EXPECT_EQ(paths, (std::vector<std::u16string>{folder + u"\\B.BMP", folder + u"\\c.jpg"}));
}

TEST_F(FrameworkFileDialogs, CancelLeavesNoWindowAttached) {
  CFileDialog dialog(FALSE, u"PVK", u"project", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, u"Projects (*.pvk)|*.pvk||");
  QueueKey(VK_ESCAPE);
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
}

}  // namespace
