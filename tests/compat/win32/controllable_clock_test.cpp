// The test clock: stopped, it moves only when advanced, and the tick count,
// message times, timers and double clicks all follow it.
#include <thread>

#include "compat/host.h"
#include "window_test_support.h"

namespace {

using wintest::WindowTest;

class ControllableClock : public WindowTest {};

TEST_F(ControllableClock, StoppedTimeMovesOnlyWhenAdvancedAndRunsOnWithoutGoingBack) {
  compat::StopClock();
  const ULONGLONG start = GetTickCount64();
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(GetTickCount64(), start);
  compat::AdvanceClock(1500);
  EXPECT_EQ(GetTickCount64(), start + 1500);
  EXPECT_EQ(GetTickCount(), static_cast<DWORD>(start + 1500));
  EXPECT_EQ(timeGetTime(), static_cast<DWORD>(start + 1500));
  compat::RunClock();
  EXPECT_GE(GetTickCount64(), start + 1500);
}

TEST_F(ControllableClock, TimersAndMessageTimesFollowTheStoppedClock) {
  HWND hwnd = TopLevel(10, 10, 200, 100);
  Pump();
  compat::StopClock();
  SetTimer(hwnd, 7, 100, nullptr);
  Log().Clear();
  compat::AdvanceClock(99);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_TIMER), 0);
  compat::AdvanceClock(1);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_TIMER), 1);

  // Two clicks 600 ms apart on the held clock are two presses, not a double click.
  const ULONGLONG before = GetTickCount64();
  compat::host::InjectMouseMove(100, 60);
  compat::host::InjectClick(0, 100, 60);
  Pump();
  EXPECT_EQ(static_cast<DWORD>(GetMessageTime()), static_cast<DWORD>(before));
  compat::AdvanceClock(600);
  compat::host::InjectClick(0, 100, 60);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_LBUTTONDBLCLK), 0);
  compat::AdvanceClock(100);
  compat::host::InjectClick(0, 100, 60);
  Pump();
  EXPECT_EQ(Log().Count(hwnd, WM_LBUTTONDBLCLK), 1);
  KillTimer(hwnd, 7);
}

}  // namespace
