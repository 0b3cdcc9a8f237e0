// Message boxes as real windows: each kind drawn and answered by the keys a
// user presses, and a box raised from a worker thread while the interface
// thread goes on painting.
#include <atomic>
#include <thread>

#include "compat/win32/dialog_test_support.h"
#include "compat/win32/window_test_support.h"

namespace {

class RealMessageBoxes : public dlgtest::DialogTest {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    compat::ResetMessageBoxLog();
    compat::SetRealMessageBoxes(true);
  }
  void TearDown() override {
    compat::ResetMessageBoxLog();
    DialogTest::TearDown();
  }
};

struct Kind {
  const char* name;
  UINT type;
  std::vector<unsigned> keys;
  int answer;
};

TEST_F(RealMessageBoxes, EachKindIsDrawnAndAnsweredFromTheKeyboard) {
  HWND owner = TopLevel(0, 0, 800, 600);
  const std::vector<Kind> kinds{
      {"message_box_information", MB_OK | MB_ICONINFORMATION, {VK_ESCAPE, VK_RETURN}, IDOK},
      {"message_box_warning", MB_OKCANCEL | MB_ICONWARNING, {VK_ESCAPE}, IDCANCEL},
      {"message_box_question", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2, {VK_ESCAPE, VK_RETURN}, IDNO},
      {"message_box_error", MB_YESNOCANCEL | MB_ICONERROR, {'N'}, IDNO},
      {"message_box_retry", MB_RETRYCANCEL | MB_ICONERROR | MB_TASKMODAL, {VK_RETURN}, IDRETRY},
  };
  for (const Kind& kind : kinds) {
    SCOPED_TRACE(kind.name);
    HWND box = nullptr;
    compat::AddModalStepOnCaption(u"Calvetta", [&](HWND hwnd) {
      box = hwnd;
      EXPECT_FALSE(IsWindowEnabled(owner));
      EXPECT_TRUE(compat::WriteWindowPng(hwnd, dlgtest::PngPath(kind.name).c_str()));
    });
    // Escape does nothing where there is no Cancel: the later keys still find the box.
    for (unsigned key : kind.keys) dlgtest::QueueKey(key);
    const int answer = MessageBoxW((kind.type & MB_TASKMODAL) ? nullptr : owner,
                                   u"The picture \"sunset.bmp\" could not be opened.\n"
                                   u"It may be damaged, or in a format this version cannot read.",
                                   u"Calvetta", kind.type);
    EXPECT_EQ(answer, kind.answer);
    EXPECT_NE(box, nullptr);
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(owner));
  }
  EXPECT_EQ(compat::MessageBoxCount(), 5);
  EXPECT_EQ(compat::LastMessageBoxType(), static_cast<UINT>(MB_RETRYCANCEL | MB_ICONERROR | MB_TASKMODAL));
}

TEST_F(RealMessageBoxes, LongTextWrapsToAReadableWidth) {
  std::u16string text;
  for (int i = 0; i < 60; ++i) text += u"frame ";
  compat::AddModalStepOnCaption(u"Error", [](HWND box) {
    RECT r;
    GetWindowRect(box, &r);
    EXPECT_LE(r.right - r.left, 560);
    EXPECT_GT(r.bottom - r.top, 120);  // several lines
    EXPECT_GE(r.left, 0);
    SendMessageW(box, WM_CLOSE, 0, 0);  // closing an OK box answers OK
  });
  EXPECT_EQ(MessageBoxW(nullptr, text.c_str(), nullptr, MB_OK), IDOK);
}

TEST_F(RealMessageBoxes, ABoxFromAWorkerIsAnsweredWhileTheInterfaceRepaints) {
  HWND window = TopLevel(10, 10, 300, 200);
  std::atomic<int> paints{0};
  Log().SetHandler(window, [&](HWND hwnd, UINT message, WPARAM, LPARAM, LRESULT*) {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
    ++paints;
    return true;
  });
  int paintsWhileUp = -1;
  compat::AddModalStepOnCaption(u"Create AVI File Error!", [&](HWND box) {
    // The interface thread paints on while the box waits for its answer.
    const int before = paints.load();
    for (int i = 0; i < 200 && paints.load() < before + 3; ++i) Sleep(5);
    paintsWhileUp = paints.load() - before;
    EXPECT_NE(GetWindowThreadProcessId(box, nullptr), GetWindowThreadProcessId(window, nullptr));
    compat::host::InjectKeyPress(VK_RETURN);
  });
  std::atomic<int> answer{0};
  std::atomic<bool> done{false};
  std::thread worker([&] {
    answer = MessageBoxW(nullptr, u"The AVI file could not be created.", u"Create AVI File Error!", MB_OK | MB_ICONERROR);
    done = true;
  });
  for (int i = 0; i < 2000 && !done; ++i) {
    InvalidateRect(window, nullptr, FALSE);
    compat::PumpMessages();
    Sleep(2);
  }
  worker.join();
  EXPECT_EQ(answer.load(), IDOK);
  EXPECT_GE(paintsWhileUp, 3);
}

TEST_F(RealMessageBoxes, SwitchedOffABoxAnswersWithoutAWindow) {
  compat::SetRealMessageBoxes(false);
  EXPECT_EQ(MessageBoxW(nullptr, u"Overwrite?", u"Calvetta", MB_YESNO | MB_DEFBUTTON2), IDNO);
  compat::SetMessageBoxAnswer(IDYES);
  EXPECT_EQ(MessageBoxW(nullptr, u"Overwrite?", u"Calvetta", MB_YESNO | MB_DEFBUTTON2), IDYES);
  EXPECT_EQ(FindWindowW(nullptr, u"Calvetta"), nullptr);
}

}  // namespace
