// The history combo and the caption strip as a user works them: typing,
// Enter, completion from the list, the saved history in the profile file
// (read back by Python's configparser), and the strip's layout.
#include "guitk/history_combo.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "compat/host_path.h"
#include "guitk/kit_colors.h"
#include "guitk_test_support.h"

namespace {

using kittest::KitTest;

constexpr UINT kComboId = 410;
constexpr UINT kStripId = 411;

// An application whose profile is a file of the test's own.
class ProfileApp : public CWinApp {
 public:
  explicit ProfileApp(const std::string& hostPath) {
    std::free(const_cast<char16_t*>(m_pszProfileName));
    m_pszProfileName = _wcsdup(compat::FromHostPath(hostPath).c_str());
  }
};

// The section as Python's configparser reads the file: "key=value;" in file order.
std::string ReadSectionWithPython(const std::string& path) {
  // Another program sees the profile as it stands after the writes so far are flushed.
  ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, compat::FromHostPath(path).c_str());
  const std::string command =
      "python3 -c \"import configparser,sys\n"
      "c=configparser.ConfigParser(interpolation=None)\n"
      "c.optionxform=str\n"
      "c.read(sys.argv[1])\n"
      "s=c['ComboHistory'] if c.has_section('ComboHistory') else {}\n"
      "print(''.join(k+'='+v+';' for k,v in s.items()),end='')\" '" + path + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return "<no python>";
  std::string out;
  std::array<char, 256> buffer{};
  while (fgets(buffer.data(), static_cast<int>(buffer.size()), pipe.get())) out += buffer.data();
  return out;
}

class HistoryCombo : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    folder_ = std::filesystem::temp_directory_path() / ("kit_history_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    ini_ = (folder_ / "kit.ini").string();
    app_ = std::make_unique<ProfileApp>(ini_);
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"History", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 440, 300)));
    frame_->SetActiveWindow();
    commands_.HookWindow(frame_->m_hWnd);
    ASSERT_TRUE(combo_.Create(CBS_DROPDOWN | WS_CHILD | WS_VISIBLE | WS_VSCROLL, CRect(20, 20, 220, 200), frame_, kComboId));
    combo_.SetHistoryMode(TRUE);
    Pump();
  }
  void TearDown() override {
    commands_.HookWindow(static_cast<HWND>(nullptr));
    combo_.DestroyWindow();
    frame_->DestroyWindow();
    app_.reset();
    std::filesystem::remove_all(folder_);
    KitTest::TearDown();
  }
  // The framework's loop: each message is offered to the windows' PreTranslateMessage first.
  void PumpTranslated() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (CWnd::WalkPreTranslateTree(frame_->m_hWnd, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  void TypeAndEnter(const char* letters) {
    combo_.SetWindowText(u"");
    combo_.SetFocus();
    for (const char* c = letters; *c; ++c) {
      InjectCharacter(*c);
      PumpTranslated();
    }
    compat::host::InjectKeyPress(VK_RETURN);
    PumpTranslated();
  }
  std::u16string Item(int i) {
    CString s;
    combo_.GetLBText(i, s);
    return std::u16string(s);
  }

  class CommandCounter : public CSubclassWnd {
   public:
    int enters = 0;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
      if (message == WM_COMMAND && wParam == kComboId) ++enters;
      return CSubclassWnd::WindowProc(message, wParam, lParam);
    }
  };

  std::filesystem::path folder_;
  std::string ini_;
  std::unique_ptr<ProfileApp> app_;
  CFrameWnd* frame_ = nullptr;
  CKitHistoryCombo combo_;
  CommandCounter commands_;
};

TEST_F(HistoryCombo, EnterAddsTheTextOnTopAndATextAlreadyThereMovesUp) {
  TypeAndEnter("red");
  TypeAndEnter("green");
  TypeAndEnter("blue");
  EXPECT_EQ(commands_.enters, 3);
  ASSERT_EQ(combo_.GetCount(), 3);
  EXPECT_EQ(Item(0), u"blue");
  TypeAndEnter("red");
  ASSERT_EQ(combo_.GetCount(), 3);  // moved, not doubled
  EXPECT_EQ(Item(0), u"red");
  EXPECT_EQ(Item(1), u"blue");
  EXPECT_EQ(Item(2), u"green");
  EXPECT_EQ(combo_.GetCurSel(), 0);
  EXPECT_EQ(combo_.AddText(u""), -1);
  EXPECT_EQ(combo_.AddText(u"   "), -1);
  EXPECT_EQ(combo_.AddText(u"  green "), 0);  // trimmed, so the same text
  EXPECT_EQ(combo_.GetCount(), 3);
  EXPECT_EQ(Item(0), u"green");
  WritePng(frame_->m_hWnd, "guitk_history_combo");
}

TEST_F(HistoryCombo, TypingCompletesFromTheListWithTheRestSelected) {
  combo_.AddText(u"morph one");
  combo_.AddText(u"Warp");
  combo_.SetWindowText(u"");
  combo_.SetFocus();
  Type("mo");
  EXPECT_EQ(Text(combo_.m_hWnd), u"morph one");
  const DWORD sel = combo_.GetEditSel();
  EXPECT_EQ(LOWORD(sel), 2);
  EXPECT_EQ(HIWORD(sel), 9);
  combo_.SetWindowText(u"");
  Type("x");
  EXPECT_EQ(Text(combo_.m_hWnd), u"x");  // nothing begins so: left alone
}

TEST_F(HistoryCombo, TheSavedListLeavesNoStaleEntriesAndClearRemovesThem) {
  for (const char16_t* t : {u"a1", u"b2", u"c3", u"d4"}) combo_.AddText(t);
  combo_.SaveHistory(u"Find", TRUE);
  EXPECT_EQ(ReadSectionWithPython(ini_), "FindSaveCurrent=d4;Find0=d4;Find1=c3;Find2=b2;Find3=a1;");
  combo_.DeleteString(3);
  combo_.DeleteString(2);
  combo_.SetCurSel(1);
  combo_.SaveHistory(u"Find", FALSE);
  EXPECT_EQ(ReadSectionWithPython(ini_), "FindSaveCurrent=;Find0=d4;Find1=c3;");
  combo_.ClearHistory(u"Find");
  EXPECT_EQ(combo_.GetCount(), 0);
  EXPECT_EQ(ReadSectionWithPython(ini_), "FindSaveCurrent=;");
}

TEST_F(HistoryCombo, ThePointerOverTheComboLightsItUntilItLeaves) {
  CRect r;
  combo_.GetWindowRect(&r);
  MoveTo(POINT{r.left + 30, r.top + 8});
  EXPECT_TRUE(combo_.IsHot());
  CRect button;
  combo_.GetClientRect(&button);
  const int cy = combo_.GetItemHeight(-1) / 2 + 3;
  EXPECT_EQ(PixelAt(At(combo_.m_hWnd, button.right - 6, cy)), GetHotColor());
  MoveTo(POINT{r.left + 30, r.top + 150});
  compat::AdvanceClock(10);
  Pump();
  EXPECT_FALSE(combo_.IsHot());
  EXPECT_EQ(PixelAt(At(combo_.m_hWnd, button.right - 6, cy)), combo_.GetFaceColor());
}

class CaptionStrip : public KitTest {
 protected:
  void SetUp() override {
    KitTest::SetUp();
    frame_ = new CFrameWnd;
    ASSERT_TRUE(frame_->Create(nullptr, u"Strip", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(40, 40, 540, 300)));
    ASSERT_TRUE(strip_.Create(WS_VISIBLE, CRect(10, 10, 410, 34), frame_, kStripId));
    Pump();
  }
  void TearDown() override {
    strip_.DestroyWindow();
    frame_->DestroyWindow();
    KitTest::TearDown();
  }
  static CRect Placed(CWnd* w) {
    CRect r;
    w->GetWindowRect(&r);
    w->GetParent()->ScreenToClient(&r);
    return r;
  }
  CFrameWnd* frame_ = nullptr;
  CKitCaptionStrip strip_;
};

TEST_F(CaptionStrip, ItemsGoFromTheRightEdgeAndCombosShareTheRestEqually) {
  strip_.SetCaption(u"Layers");
  strip_.SetEqualWidths(TRUE);
  CKitToolButton* close = strip_.AddButton(601, u"X");
  CKitHistoryCombo* first = strip_.AddCombo(602, 80);
  CKitHistoryCombo* second = strip_.AddCombo(603, 80);
  ASSERT_TRUE(close && first && second);
  const int buttonWidth = close->GetSize().cx;
  const CRect b = Placed(close);
  EXPECT_EQ(b.right, 399);  // inside the 1-pixel margin
  EXPECT_EQ(b.Width(), buttonWidth);
  EXPECT_EQ(b.top, 1);
  EXPECT_EQ(b.bottom, 23);
  const int share = strip_.GetEqualWidth();
  CClientDC dc(&strip_);
  CFont font;
  font.CreateStockObject(DEFAULT_GUI_FONT);
  CFont* old = dc.SelectObject(&font);
  const int captionWidth = dc.GetTextExtent(u"Layers", 6).cx + 5;  // with its indent
  dc.SelectObject(old);
  EXPECT_EQ(share, (398 - captionWidth - buttonWidth) / 2);
  EXPECT_EQ(Placed(first).right, b.left);
  EXPECT_EQ(Placed(first).Width(), share);
  EXPECT_EQ(Placed(second).right, b.left - share);
  EXPECT_EQ(Placed(second).Width(), share);
  EXPECT_EQ(strip_.GetCaptionRect(), CRect(1, 1, b.left - 2 * share, 23));
  WritePng(frame_->m_hWnd, "guitk_caption_strip");
}

TEST_F(CaptionStrip, TooNarrowForTheCaptionTheCombosGetNoWidthAndTheCaptionIsClipped) {
  strip_.SetCaption(u"A rather long caption for a narrow strip");
  strip_.SetEqualWidths(TRUE);
  CKitToolButton* button = strip_.AddButton(601, u"Go");
  CKitHistoryCombo* combo = strip_.AddCombo(602, 80);
  strip_.SetWindowPos(nullptr, 0, 0, 120, 24, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  EXPECT_EQ(strip_.GetEqualWidth(), 0);
  EXPECT_EQ(Placed(combo).Width(), 0);
  const CRect b = Placed(button);
  EXPECT_EQ(b.right, 119);
  // The caption is drawn in what is left of the button, and only there.
  EXPECT_EQ(strip_.GetCaptionRect(), CRect(1, 1, b.left, 23));
  const COLORREF face = GetFaceColor(kKitStyleFlat);
  bool inked = false;
  for (int x = 6; x < b.left; ++x)
    for (int y = 5; y < 19; ++y) inked = inked || PixelAt(At(strip_.m_hWnd, x, y)) != face;
  EXPECT_TRUE(inked);
  WritePng(frame_->m_hWnd, "guitk_caption_strip_narrow");
}

}  // namespace
