// Message queues: posting order, quit, filters, SendMessage across threads,
// timers, hooks and registered messages.
#include <atomic>
#include <thread>

#include "window_test_support.h"

namespace wintest {
namespace {

using Messages = WindowTest;

TEST_F(Messages, PostedMessagesComeInOrderAndQuitComesAfterThem) {
  HWND hwnd = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  PostMessageW(hwnd, WM_USER + 1, 1, 0);
  PostQuitMessage(3);
  PostMessageW(hwnd, WM_USER + 2, 2, 0);
  MSG msg;
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  ASSERT_TRUE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  EXPECT_FALSE(GetMessageW(&msg, nullptr, 0, 0));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Messages, FiltersPickByWindowAndRange) {
  HWND a = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  HWND b = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  PostMessageW(a, WM_USER + 1, 0, 0);
  PostMessageW(b, WM_USER + 2, 0, 0);
  PostThreadMessageW(GetWindowThreadProcessId(a, nullptr), WM_USER + 3, 0, 0);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 2u);
  ASSERT_TRUE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 3u);
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_USER + 1u);
  EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x12345678), 0, 0), -1);
}

// A receiver thread with its own window, sitting in its message loop.
struct Receiver {
  std::thread thread;
  std::atomic<HWND> hwnd{nullptr};
  std::atomic<DWORD> id{0};
  std::atomic<bool> inSend{false};

  void Start(std::function<void()> loop) {
    thread = std::thread([this, loop] {
      hwnd = CreateWindowExW(0, kTestClass, u"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
      id = GetWindowThreadProcessId(hwnd, nullptr);
      loop();
      DestroyWindow(hwnd);
    });
    while (!hwnd) std::this_thread::yield();
  }
  void Stop() {
    EXPECT_TRUE(PostThreadMessageW(id, WM_QUIT, 0, 0)) << id;
    thread.join();
  }
};

void GetMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
}

TEST_F(Messages, CrossThreadSendReturnsTheAnswerWhileTheReceiverWaitsInGetMessage) {
  Receiver receiver;
  receiver.Start(GetMessageLoop);
  std::atomic<DWORD> handledOn{0};
  std::atomic<BOOL> sawInSend{FALSE};
  Log().SetHandler(receiver.hwnd, [&](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
    if (m != WM_USER + 5) return false;
    handledOn = GetWindowThreadProcessId(receiver.hwnd, nullptr);
    sawInSend = InSendMessage();
    *r = static_cast<LRESULT>(w * 2);
    return true;
  });
  EXPECT_EQ(SendMessageW(receiver.hwnd, WM_USER + 5, 21, 0), 42);
  EXPECT_TRUE(sawInSend);
  EXPECT_FALSE(InSendMessage());
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(receiver.hwnd, WM_USER + 5, 5, 0, SMTO_NORMAL, 1000, &answer));
  EXPECT_EQ(answer, 10u);
  receiver.Stop();
  // A thread that has ended answers nothing and does not hang the sender.
  EXPECT_EQ(SendMessageW(receiver.hwnd, WM_USER + 5, 1, 0), 0);
}

TEST_F(Messages, TwoThreadsSendingToEachOtherDoNotDeadlock) {
  HWND mine = TopLevel(0, 0, 10, 10, WS_OVERLAPPED);
  Receiver receiver;
  receiver.Start(GetMessageLoop);
  // The receiver, while handling our message, sends one back to us; we are
  // blocked in SendMessage and must still answer it.
  Log().SetHandler(receiver.hwnd, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_USER + 6) return false;
    *r = SendMessageW(mine, WM_USER + 7, 0, 0) + 1;
    return true;
  });
  Log().SetHandler(mine, [](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m != WM_USER + 7) return false;
    *r = 100;
    return true;
  });
  EXPECT_EQ(SendMessageW(receiver.hwnd, WM_USER + 6, 0, 0), 101);
  receiver.Stop();
}

TEST_F(Messages, SendTimeoutGivesUpOnABusyReceiver) {
  Receiver receiver;
  std::atomic<bool> release{false};
  receiver.Start([&] {
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    GetMessageLoop();
  });
  DWORD_PTR answer = 0;
  EXPECT_FALSE(SendMessageTimeoutW(receiver.hwnd, WM_USER, 0, 0, SMTO_NORMAL, 20, &answer));
  release = true;
  receiver.Stop();
}

TEST_F(Messages, TimersFireRepeatedlyUntilKilled) {
  HWND hwnd = TopLevel(0, 0, 10, 10, WS_OVERLAPPED);
  ASSERT_EQ(SetTimer(hwnd, 7, 10, nullptr), 7u);
  MSG msg;
  int fired = 0;
  while (fired < 3 && GetMessageW(&msg, nullptr, 0, 0)) {
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == 7) ++fired;
    DispatchMessageW(&msg);
  }
  EXPECT_EQ(fired, 3);
  EXPECT_TRUE(KillTimer(hwnd, 7));
  EXPECT_FALSE(KillTimer(hwnd, 7));
  std::this_thread::sleep_for(std::chrono::milliseconds(25));
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) EXPECT_NE(msg.message, static_cast<UINT>(WM_TIMER));
  // A thread timer with a procedure is dispatched to the procedure.
  static int calls;
  calls = 0;
  UINT_PTR id = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
  ASSERT_NE(id, 0u);
  while (calls == 0 && GetMessageW(&msg, nullptr, 0, 0)) DispatchMessageW(&msg);
  EXPECT_EQ(calls, 1);
  KillTimer(nullptr, id);
  // Destroying the window ends its timers.
  SetTimer(hwnd, 8, 10, nullptr);
  DestroyWindow(hwnd);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}

std::vector<std::pair<int, UINT>> g_hookCalls;
HHOOK g_first = nullptr, g_second = nullptr;

LRESULT CALLBACK FirstHook(int code, WPARAM wParam, LPARAM lParam) {
  g_hookCalls.emplace_back(1, reinterpret_cast<CWPSTRUCT*>(lParam)->message);
  return CallNextHookEx(g_first, code, wParam, lParam);
}
LRESULT CALLBACK SecondHook(int code, WPARAM wParam, LPARAM lParam) {
  g_hookCalls.emplace_back(2, reinterpret_cast<CWPSTRUCT*>(lParam)->message);
  return CallNextHookEx(g_second, code, wParam, lParam);
}

TEST_F(Messages, CallWndProcHooksSeeSentMessagesInOrderNewestFirst) {
  g_hookCalls.clear();
  const DWORD thread = GetWindowThreadProcessId(TopLevel(0, 0, 1, 1, WS_OVERLAPPED), nullptr);
  g_first = SetWindowsHookExW(WH_CALLWNDPROC, FirstHook, nullptr, thread);
  g_second = SetWindowsHookExW(WH_CALLWNDPROC, SecondHook, nullptr, thread);
  ASSERT_TRUE(g_first && g_second);
  HWND hwnd = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  SendMessageW(hwnd, WM_USER + 1, 0, 0);
  PostMessageW(hwnd, WM_USER + 2, 0, 0);  // posted: not a hook's business
  Pump();
  EXPECT_TRUE(UnhookWindowsHookEx(g_second));
  SendMessageW(hwnd, WM_USER + 3, 0, 0);
  EXPECT_TRUE(UnhookWindowsHookEx(g_first));
  EXPECT_FALSE(UnhookWindowsHookEx(g_first));
  std::vector<std::pair<int, UINT>> creation(g_hookCalls.begin(), g_hookCalls.begin() + 4);
  // The creation messages arrive through the hook in order, newest hook first.
  EXPECT_EQ(creation[0], (std::pair<int, UINT>{2, WM_GETMINMAXINFO}));
  EXPECT_EQ(creation[1], (std::pair<int, UINT>{1, WM_GETMINMAXINFO}));
  EXPECT_EQ(creation[2], (std::pair<int, UINT>{2, WM_NCCREATE}));
  auto tail = std::vector<std::pair<int, UINT>>(g_hookCalls.end() - 3, g_hookCalls.end());
  EXPECT_EQ(tail, (std::vector<std::pair<int, UINT>>{{2, WM_USER + 1}, {1, WM_USER + 1}, {1, WM_USER + 3}}));
  for (auto& call : g_hookCalls) EXPECT_NE(call.second, WM_USER + 2u);
}

TEST_F(Messages, RegisteredMessagesAreSharedByName) {
  UINT a = RegisterWindowMessageW(u"Calvetta.Test");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u"calvetta.test"), a);
  EXPECT_NE(RegisterWindowMessageW(u"Other"), a);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
}

TEST_F(Messages, PostingIsBoundedPerThread) {
  HWND hwnd = TopLevel(0, 0, 10, 10, WS_OVERLAPPED);
  int accepted = 0;
  for (int i = 0; i < 10050; ++i) accepted += PostMessageW(hwnd, WM_USER, 0, 0) ? 1 : 0;
  EXPECT_EQ(accepted, 10000);
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}


TEST_F(Messages, SendIsDeliveredWhileTheReceiverWaitsInMsgWaitForMultipleObjects) {
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<int> posted{0};
  Receiver receiver;
  receiver.Start([&] {
    for (;;) {
      DWORD r = MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLPOSTMESSAGE);
      if (r == WAIT_OBJECT_0) break;
      ASSERT_EQ(r, WAIT_OBJECT_0 + 1);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_USER + 2) ++posted;
        DispatchMessageW(&msg);
      }
    }
  });
  Log().SetHandler(receiver.hwnd, [](HWND, UINT m, WPARAM w, LPARAM, LRESULT* r) {
    if (m != WM_USER + 1) return false;
    *r = static_cast<LRESULT>(w + 1);
    return true;
  });
  EXPECT_EQ(SendMessageW(receiver.hwnd, WM_USER + 1, 41, 0), 42);
  PostMessageW(receiver.hwnd, WM_USER + 2, 0, 0);
  while (posted == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  SetEvent(stop);
  receiver.thread.join();
  CloseHandle(stop);
  // On the calling thread: a timeout with nothing queued, and the input bit when something is.
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
  HWND hwnd = TopLevel(0, 0, 10, 10, WS_OVERLAPPED);
  PostMessageW(hwnd, WM_USER, 0, 0);
  EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_POSTMESSAGE), WAIT_OBJECT_0);
  EXPECT_EQ(MsgWaitForMultipleObjects(70, nullptr, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
}

TEST_F(Messages, MultimediaTimerPulsesAnEventPeriodically) {
  TIMECAPS caps;
  ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), static_cast<UINT>(TIMERR_NOERROR));
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_EQ(timeGetDevCaps(&caps, 2), static_cast<UINT>(MMSYSERR_INVALPARAM));
  EXPECT_EQ(timeBeginPeriod(1), static_cast<UINT>(TIMERR_NOERROR));
  HANDLE tick = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  UINT id = timeSetEvent(10, 1, reinterpret_cast<LPTIMECALLBACK>(tick), 0, TIME_PERIODIC | TIME_CALLBACK_EVENT_PULSE);
  ASSERT_NE(id, 0u);
  int ticks = 0;
  for (int i = 0; i < 20 && ticks < 3; ++i) ticks += WaitForSingleObject(tick, 200) == WAIT_OBJECT_0 ? 1 : 0;
  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(timeKillEvent(id), static_cast<UINT>(TIMERR_NOERROR));
  EXPECT_EQ(timeKillEvent(id), static_cast<UINT>(MMSYSERR_INVALPARAM));
  EXPECT_EQ(WaitForSingleObject(tick, 40), static_cast<DWORD>(WAIT_TIMEOUT));
  CloseHandle(tick);
  timeEndPeriod(1);
  // A one-shot callback timer fires once; a zero delay is refused.
  static std::atomic<int> calls;
  calls = 0;
  UINT once = timeSetEvent(5, 1, [](UINT, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) { calls += static_cast<int>(user); },
                           2, TIME_ONESHOT);
  ASSERT_NE(once, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(timeSetEvent(0, 1, [](UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}, 0, TIME_PERIODIC), 0u);
}


// A callback may kill its own timer and set the next one: neither waits for the
// thread it runs on.
TEST_F(Messages, AMultimediaTimerKilledFromItsOwnCallbackMaySetTheNext) {
  static std::atomic<int> followers{0};
  followers = 0;
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  const UINT first = timeSetEvent(
      2, 1,
      [](UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
        EXPECT_EQ(timeKillEvent(id), static_cast<UINT>(TIMERR_NOERROR));
        const UINT next = timeSetEvent(
            2, 1, [](UINT, UINT, DWORD_PTR event, DWORD_PTR, DWORD_PTR) {
              ++followers;
              SetEvent(reinterpret_cast<HANDLE>(event));
            },
            user, TIME_ONESHOT);
        EXPECT_NE(next, 0u);
      },
      reinterpret_cast<DWORD_PTR>(done), TIME_PERIODIC);
  ASSERT_NE(first, 0u);
  EXPECT_EQ(WaitForSingleObject(done, 2000), WAIT_OBJECT_0);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(followers, 1);
  EXPECT_EQ(timeKillEvent(first), static_cast<UINT>(MMSYSERR_INVALPARAM)) << "killed already";
  CloseHandle(done);
}


TEST_F(Messages, AThreadsWindowsGoWhenItEndsWithoutFurtherMessages) {
  HWND left = nullptr;
  std::thread worker([&] {
    left = CreateWindowExW(0, kTestClass, u"", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  });
  worker.join();
  ASSERT_NE(left, nullptr);
  EXPECT_FALSE(IsWindow(left));
  EXPECT_EQ(Log().Count(left, WM_DESTROY), 0);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_FALSE(PostMessageW(left, WM_USER, 0, 0));
}


TEST_F(Messages, NotifyAndReplyLetTheSenderGoOnEarly) {
  std::atomic<bool> release{false};
  std::atomic<int> notified{0};
  Receiver receiver;
  receiver.Start(GetMessageLoop);
  Log().SetHandler(receiver.hwnd, [&](HWND, UINT m, WPARAM, LPARAM, LRESULT* r) {
    if (m == WM_USER + 1) {
      ++notified;
      return true;
    }
    if (m != WM_USER + 2) return false;
    ReplyMessage(55);  // the sender has its answer; this handler goes on
    EXPECT_EQ(InSendMessageEx(nullptr) & ISMEX_REPLIED, static_cast<DWORD>(ISMEX_REPLIED));
    while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    *r = 99;  // too late to matter
    return true;
  });
  EXPECT_TRUE(SendNotifyMessageW(receiver.hwnd, WM_USER + 1, 0, 0));
  EXPECT_EQ(SendMessageW(receiver.hwnd, WM_USER + 2, 0, 0), 55);
  release = true;
  EXPECT_EQ(notified, 1);
  receiver.Stop();
  EXPECT_FALSE(PostThreadMessageW(0x7FFFFFF0, WM_USER, 0, 0));  // no such thread
  EXPECT_FALSE(ReplyMessage(1));  // not inside a sent message
}

TEST_F(Messages, CaptureMovesWithNoticeToTheWindowLosingIt) {
  HWND a = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  HWND b = TopLevel(0, 0, 100, 100, WS_OVERLAPPED);
  EXPECT_EQ(SetCapture(a), nullptr);
  EXPECT_EQ(SetCapture(b), a);
  ASSERT_EQ(Log().Count(a, WM_CAPTURECHANGED), 1);
  for (const Logged& e : Log().Entries()) {
    if (e.hwnd == a && e.message == WM_CAPTURECHANGED) {
      EXPECT_EQ(reinterpret_cast<HWND>(e.lParam), b);
    }
  }
  DestroyWindow(b);
  EXPECT_EQ(GetCapture(), nullptr);  // a destroyed window keeps no capture
  EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(0x5151)), nullptr);
}

}  // namespace
}  // namespace wintest
