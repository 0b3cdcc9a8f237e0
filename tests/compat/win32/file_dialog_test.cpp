// The open and save dialogs worked as a user works them: keys and clicks in a
// temporary folder holding a.bmp, B.BMP, c.jpg and sub/.
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "compat/host_path.h"
#include "compat/win32/dialog_test_support.h"
#include "dialog_test_ids.h"

namespace {

using dlgtest::QueueCheck;
using dlgtest::QueueKey;
using dlgtest::QueueText;

constexpr char16_t kPictureFilter[] = u"BMP(*.BMP)\0*.BMP\0JPG(*.JPG)\0*.JPG\0\0";

std::vector<std::u16string> ListItems(HWND dialog) {
  std::vector<std::u16string> items;
  const int n = static_cast<int>(SendDlgItemMessageW(dialog, lst1, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    char16_t text[260] = {};
    SendDlgItemMessageW(dialog, lst1, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

POINT ItemPoint(HWND dialog, int index) {
  RECT r;
  SendDlgItemMessageW(dialog, lst1, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
  POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  ClientToScreen(GetDlgItem(dialog, lst1), &p);
  return p;
}

void DoubleClick(POINT p) {
  compat::host::InjectMouseMove(p.x, p.y);
  compat::host::InjectClick(0, p.x, p.y);
  compat::host::InjectClick(0, p.x, p.y);
}

// Names typed into the focused field (QueueText has no '.').
void QueueName(const char* name) {
  for (const char* p = name; *p; ++p) {
    if (*p == '.') QueueKey(VK_OEM_PERIOD);
    else QueueText(std::string(1, *p).c_str());
  }
}

void Touch(const std::string& path) { close(open(path.c_str(), O_CREAT | O_WRONLY, 0644)); }

class FileDialogTest : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    char pattern[] = "/tmp/calvetta_filedlg_XXXXXX";
    folder_ = mkdtemp(pattern);
    for (const char* name : {"a.bmp", "B.BMP", "c.jpg", ".hidden.bmp"}) Touch(folder_ + "/" + name);
    mkdir((folder_ + "/sub").c_str(), 0755);
    initialDir_ = compat::FromHostPath(folder_);
    file_[0] = 0;
    ofn_ = OPENFILENAMEW{};
    ofn_.lStructSize = sizeof(OPENFILENAMEW);
    ofn_.lpstrFilter = kPictureFilter;
    ofn_.lpstrFile = file_;
    ofn_.nMaxFile = 260;
    ofn_.lpstrInitialDir = initialDir_.c_str();
    ofn_.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
    compat::ResetMessageBoxLog();
  }
  void TearDown() override {
    compat::ResetMessageBoxLog();
    std::system(("rm -rf " + folder_).c_str());
    DialogTest::TearDown();
  }
  std::u16string Backslashed(const std::string& name) const { return compat::FromHostPath(folder_ + "/" + name); }

  std::string folder_;
  std::u16string initialDir_;
  char16_t file_[260];
  OPENFILENAMEW ofn_{};
};

TEST_F(FileDialogTest, BrowsesFiltersAndChoosesFromTheKeyboardAndMouse) {
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  compat::AddModalStepOnCaption(u"Open", [&](HWND dialog) {
    EXPECT_EQ(ListItems(dialog), (std::vector<std::u16string>{u"sub/", u"a.bmp", u"B.BMP"}));
    // The user sees '/' paths.
    char16_t lookIn[512] = {};
    GetDlgItemTextW(dialog, cmb2, lookIn, 512);
    EXPECT_EQ(std::u16string(lookIn), compat::Utf8ToUtf16(folder_));
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("file_dialog_open").c_str()));
  });
  QueueKey('T', VK_MENU);  // "Files of &type:"
  QueueKey(VK_DOWN);
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    EXPECT_EQ(ListItems(dialog), (std::vector<std::u16string>{u"sub/", u"c.jpg"}));
    EXPECT_EQ(ofn_.nFilterIndex, 2u);
    DoubleClick(ItemPoint(dialog, 0));
  });
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    EXPECT_TRUE(ListItems(dialog).empty());
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, lst1));
  });
  QueueKey(VK_BACK);
  QueueCheck([&] { EXPECT_EQ(ListItems(GetActiveWindow()), (std::vector<std::u16string>{u"sub/", u"c.jpg"})); });
  QueueKey('N', VK_MENU);  // "File &name:"
  QueueText("c");
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(std::u16string(file_), Backslashed("c.jpg"));
  EXPECT_EQ(ofn_.nFilterIndex, 2u);
  EXPECT_EQ(std::u16string(file_ + ofn_.nFileOffset), u"c.jpg");
  char after[4096];
  ASSERT_TRUE(getcwd(after, sizeof after));
  EXPECT_STREQ(cwd, after) << "the dialog never changes the current folder";
}

TEST_F(FileDialogTest, ItOpensCentredOnItsOwnerAndWholeOnTheScreen) {
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  const RECT places[] = {{300, 250, 700, 550}, {desk.right - 200, desk.bottom - 100, desk.right, desk.bottom}};
  for (const RECT& place : places) {
    HWND owner = TopLevel(place.left, place.top, place.right - place.left, place.bottom - place.top);
    ofn_.hwndOwner = owner;
    RECT shown{};
    compat::AddModalStepOnCaption(u"Open", [&](HWND dialog) { GetWindowRect(dialog, &shown); });
    QueueKey(VK_ESCAPE);
    EXPECT_FALSE(GetOpenFileNameW(&ofn_));
    const int w = shown.right - shown.left, h = shown.bottom - shown.top;
    EXPECT_EQ(shown.left, std::min<LONG>((place.left + place.right - w) / 2, desk.right - w));
    EXPECT_EQ(shown.top, std::min<LONG>((place.top + place.bottom - h) / 2, desk.bottom - h));
    DestroyWindow(owner);
  }
}

TEST_F(FileDialogTest, APatternListAcceptsEachOfItsTypesWhateverTheCase) {
  ofn_.lpstrFilter = u"All Formats\0*.JPG;*.GIF;*.BMP;*.PNG;*.TGA;*.TIF;*.PCX;*.PSD;*.ICO;*.WMF;*.EMF\0\0";
  compat::AddModalStepOnCaption(u"Open", [&](HWND dialog) {
    EXPECT_EQ(ListItems(dialog), (std::vector<std::u16string>{u"sub/", u"a.bmp", u"B.BMP", u"c.jpg"}));
  });
  QueueKey(VK_ESCAPE);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
}

TEST_F(FileDialogTest, SavingAsksBeforeReplacingAndAppendsTheChosenTypesOrTheDefaultExtension) {
  ofn_.Flags |= OFN_OVERWRITEPROMPT;
  ofn_.lpstrFilter = u"Projects(*.PVK)\0*.PVK\0All files\0*.*\0\0";
  ofn_.lpstrDefExt = u"pvk";
  ofn_.lpstrTitle = u"Save Project";
  // "a.bmp" exists: No keeps the dialog open, then a new name goes through.
  compat::SetMessageBoxAnswer(IDNO);
  compat::AddModalStepOnCaption(u"Save Project", [](HWND) {});
  QueueName("a.bmp");
  QueueKey(VK_RETURN);
  QueueCheck([] {
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    EXPECT_EQ(compat::LastMessageBoxText(), u"a.bmp already exists.\nDo you want to replace it?");
    SetDlgItemTextW(GetActiveWindow(), edt1, u"");
  });
  QueueText("x");
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetSaveFileNameW(&ofn_));
  EXPECT_EQ(std::u16string(file_), Backslashed("x.PVK"));
  EXPECT_EQ(ofn_.nFilterIndex, 1u) << "0 took the first filter, which is the one chosen";

  // A type that names no extension takes the default one; a wildcard default
  // extension never makes a name with a wildcard in it.
  ofn_.lpstrDefExt = u"*.GIF";
  ofn_.nFilterIndex = 2;
  file_[0] = 0;
  QueueText("x");
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetSaveFileNameW(&ofn_));
  EXPECT_EQ(std::u16string(file_), Backslashed("x.GIF"));
  // Another type chosen: its extension, as written in the filter.
  ofn_.lpstrFilter = kPictureFilter;
  ofn_.nFilterIndex = 2;
  file_[0] = 0;
  QueueText("y");
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetSaveFileNameW(&ofn_));
  EXPECT_EQ(std::u16string(file_), Backslashed("y.JPG"));
}

TEST_F(FileDialogTest, MultipleSelectionAndTooSmallABuffer) {
  ofn_.Flags |= OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  ofn_.lpstrFilter = nullptr;
  compat::AddModalStepOnCaption(u"Open", [](HWND dialog) { SetDlgItemTextW(dialog, edt1, u"\"a.bmp\" \"c.jpg\""); });
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  std::vector<std::u16string> parts;
  for (const char16_t* p = file_; *p; p += std::u16string(p).size() + 1) parts.push_back(p);
  EXPECT_EQ(parts, (std::vector<std::u16string>{initialDir_, u"a.bmp", u"c.jpg"}));

  char16_t small[20] = {};
  ofn_.lpstrFile = small;
  ofn_.nMaxFile = 20;
  compat::AddModalStepOnCaption(u"Open", [](HWND dialog) { SetDlgItemTextW(dialog, edt1, u"\"a.bmp\" \"c.jpg\""); });
  QueueKey(VK_RETURN);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  EXPECT_GT(small[0], 20);
}

int IndexOf(HWND dialog, const std::u16string& name) {
  const std::vector<std::u16string> items = ListItems(dialog);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == name) return static_cast<int>(i);
  return -1;
}

void ClickWith(POINT p, int key) {
  compat::host::InjectMouseMove(p.x, p.y);
  if (key) compat::host::InjectKey(key, true);
  compat::host::InjectClick(0, p.x, p.y);
  if (key) compat::host::InjectKey(key, false);
}

std::u16string FieldText(HWND dialog) {
  char16_t text[512] = {};
  GetDlgItemTextW(dialog, edt1, text, 512);
  return text;
}

TEST_F(FileDialogTest, ShiftAndCtrlClicksChooseSeveralFilesWhenTheCallerAsks) {
  ofn_.Flags |= OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST;
  ofn_.lpstrFilter = nullptr;
  compat::AddModalStepOnCaption(u"Open", [](HWND) {});
  int a = -1, b = -1, c = -1;
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    a = IndexOf(dialog, u"a.bmp");
    b = IndexOf(dialog, u"B.BMP");
    c = IndexOf(dialog, u"c.jpg");
    ASSERT_TRUE(a >= 0 && b >= 0 && c >= 0);
    ClickWith(ItemPoint(dialog, a), 0);
    ClickWith(ItemPoint(dialog, c), VK_SHIFT);
  });
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    EXPECT_EQ(SendDlgItemMessageW(dialog, lst1, LB_GETSELCOUNT, 0, 0), std::abs(c - a) + 1);
    ClickWith(ItemPoint(dialog, b), VK_CONTROL);  // takes B.BMP out again
  });
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    EXPECT_EQ(SendDlgItemMessageW(dialog, lst1, LB_GETSEL, static_cast<WPARAM>(b), 0), 0);
    EXPECT_EQ(FieldText(dialog), u"\"a.bmp\" \"c.jpg\"");
  });
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  std::vector<std::u16string> parts;
  for (const char16_t* p = file_; *p; p += std::u16string(p).size() + 1) parts.push_back(p);
  EXPECT_EQ(parts, (std::vector<std::u16string>{initialDir_, u"a.bmp", u"c.jpg"}));
  EXPECT_EQ(ofn_.nFileOffset, initialDir_.size() + 1);

  // Without the flag a Shift-click still chooses one file.
  ofn_.Flags &= ~static_cast<DWORD>(OFN_ALLOWMULTISELECT);
  file_[0] = 0;
  compat::AddModalStepOnCaption(u"Open", [](HWND) {});
  QueueCheck([&] {
    HWND dialog = GetActiveWindow();
    ClickWith(ItemPoint(dialog, IndexOf(dialog, u"a.bmp")), 0);
    ClickWith(ItemPoint(dialog, IndexOf(dialog, u"c.jpg")), VK_SHIFT);
  });
  QueueCheck([&] { EXPECT_EQ(FieldText(GetActiveWindow()), u"c.jpg"); });
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(std::u16string(file_), Backslashed("c.jpg"));
}

TEST_F(FileDialogTest, AMissingFileIsRefusedAndTheDialogStaysOpen) {
  ofn_.Flags |= OFN_FILEMUSTEXIST;
  compat::AddModalStepOnCaption(u"Open", [](HWND) {});
  QueueName("nothere.bmp");
  QueueKey(VK_RETURN);
  QueueCheck([] {
    EXPECT_EQ(compat::MessageBoxCount(), 1);
    EXPECT_NE(compat::LastMessageBoxText().find(u"File not found."), std::u16string::npos);
  });
  QueueKey(VK_ESCAPE);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
}

// What the hook of a templated dialog saw.
struct HookLog {
  std::vector<UINT> codes;
  std::vector<std::u16string> selectedPaths;
  DWORD filterIndexAtTypeChange = 0;
  bool refuseNext = false;
  bool initDialog = false;
  LPARAM initParam = 0;
};
HookLog* g_hook = nullptr;

UINT_PTR CALLBACK RecordingHook(HWND child, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    g_hook->initDialog = true;
    g_hook->initParam = lParam;
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const auto* note = reinterpret_cast<OFNOTIFYW*>(lParam);
  g_hook->codes.push_back(note->hdr.code);
  if (note->hdr.code == CDN_SELCHANGE) {
    char16_t path[512] = {};
    SendMessageW(GetParent(child), CDM_GETFILEPATH, 512, reinterpret_cast<LPARAM>(path));
    g_hook->selectedPaths.push_back(path);
  }
  if (note->hdr.code == CDN_TYPECHANGE) g_hook->filterIndexAtTypeChange = note->lpOFN->nFilterIndex;
  if (note->hdr.code == CDN_FILEOK && g_hook->refuseNext) {
    g_hook->refuseNext = false;
    SetWindowLongPtrW(child, DWLP_MSGRESULT, 1);
    return TRUE;
  }
  return FALSE;
}

TEST_F(FileDialogTest, AChildTemplateHoldsTheStandardControlsAndItsHookHearsEachStep) {
  HookLog log;
  g_hook = &log;
  log.refuseNext = true;
  ofn_.Flags |= OFN_ENABLETEMPLATE | OFN_ENABLEHOOK;
  ofn_.hInstance = dlgtest::Program();
  ofn_.lpTemplateName = MAKEINTRESOURCEW(IDD_FILE_CHILD);
  ofn_.lpfnHook = RecordingHook;
  compat::AddModalStepOnCaption(u"Open", [&](HWND dialog) {
    HWND child = GetParent(GetDlgItem(FindWindowExW(dialog, nullptr, WC_DIALOG, nullptr), IDC_FILE_PREVIEW));
    ASSERT_TRUE(child);
    RECT frame, list, check;
    GetWindowRect(GetDlgItem(child, IDC_FILE_FRAME), &frame);
    GetWindowRect(GetDlgItem(dialog, lst1), &list);
    GetWindowRect(GetDlgItem(child, IDC_FILE_PREVIEW), &check);
    EXPECT_GE(list.left, frame.left);
    EXPECT_LE(list.right, frame.right);
    EXPECT_LE(list.bottom, frame.bottom);
    EXPECT_GE(check.top, frame.bottom) << "the template's check box stays below the frame";
    EXPECT_TRUE(compat::WriteWindowPng(dialog, dlgtest::PngPath("file_dialog_child_template").c_str()));
    EXPECT_EQ(log.codes, (std::vector<UINT>{CDN_INITDONE, CDN_FOLDERCHANGE}));
    SetFocus(GetDlgItem(dialog, lst1));
  });
  QueueKey(VK_DOWN);  // sub/
  QueueKey(VK_DOWN);  // a.bmp
  QueueKey(VK_DOWN);  // B.BMP
  QueueKey('T', VK_MENU);
  QueueKey(VK_DOWN);
  QueueKey(VK_RETURN);  // the list shows c.jpg; the name field still says B.BMP: refused once
  QueueKey(VK_RETURN);
  ASSERT_TRUE(GetOpenFileNameW(&ofn_));
  g_hook = nullptr;
  EXPECT_TRUE(log.initDialog);
  EXPECT_EQ(log.initParam, reinterpret_cast<LPARAM>(&ofn_));
  EXPECT_EQ(log.selectedPaths, (std::vector<std::u16string>{Backslashed("a.bmp"), Backslashed("B.BMP")}));
  EXPECT_EQ(log.filterIndexAtTypeChange, 2u);
  EXPECT_EQ(std::count(log.codes.begin(), log.codes.end(), CDN_FILEOK), 2);
  EXPECT_EQ(std::u16string(file_), Backslashed("B.BMP"));
}

TEST_F(FileDialogTest, AHookWithoutATemplateGetsAnEmptyChild) {
  HookLog log;
  g_hook = &log;
  ofn_.Flags |= OFN_ENABLEHOOK;
  ofn_.lpfnHook = RecordingHook;
  QueueKey(VK_ESCAPE);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  g_hook = nullptr;
  EXPECT_TRUE(log.initDialog);
  EXPECT_EQ(log.codes.front(), CDN_INITDONE);
}

TEST_F(FileDialogTest, TypedFoldersAndPatternsNavigateAndFilterAndTheHookCanAskAndChange) {
  compat::AddModalStepOnCaption(u"Open", [&](HWND dialog) {
    SetDlgItemTextW(dialog, edt1, u"sub");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    char16_t folder[512] = {};
    SendMessageW(dialog, CDM_GETFOLDERPATH, 512, reinterpret_cast<LPARAM>(folder));
    EXPECT_EQ(std::u16string(folder), Backslashed("sub"));
    SetDlgItemTextW(dialog, edt1, u"../*.jpg");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ListItems(dialog), (std::vector<std::u16string>{u"sub/", u"c.jpg"}));
    SendMessageW(dialog, CDM_SETCONTROLTEXT, IDOK, reinterpret_cast<LPARAM>(u"Import"));
    SendMessageW(dialog, CDM_HIDECONTROL, stc2, 0);
    char16_t label[32] = {};
    GetDlgItemTextW(dialog, IDOK, label, 32);
    EXPECT_EQ(std::u16string(label), u"Import");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, stc2)));
  });
  QueueKey(VK_ESCAPE);
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
}

TEST_F(FileDialogTest, ABadRecordSizeIsRefused) {
  ofn_.lStructSize = 12;
  EXPECT_FALSE(GetOpenFileNameW(&ofn_));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}

}  // namespace
