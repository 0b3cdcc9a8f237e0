// The framework's synchronisation objects between two threads: events that
// wake a waiter, and locks that free what they hold when they go.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "compat/afx.h"

namespace {

TEST(SyncObjectsTest, EventsWakeWaitersAndASingleLockFreesWhatItHolds) {
  CEvent autoReset;
  EXPECT_FALSE(autoReset.Lock(0));
  EXPECT_TRUE(autoReset.SetEvent());
  EXPECT_TRUE(autoReset.Lock(0));
  EXPECT_FALSE(autoReset.Lock(0));  // taken by the first wait

  CEvent manual(TRUE, TRUE);
  EXPECT_TRUE(manual.Lock(0));
  EXPECT_TRUE(manual.Lock(0));
  manual.ResetEvent();
  {
    CSingleLock wait(&manual);
    EXPECT_FALSE(wait.Lock(10));
    EXPECT_FALSE(wait.IsLocked());
  }

  // A worker waits on the event through a lock until the main thread sets it.
  CEvent go;
  std::atomic<bool> passed{false};
  std::thread worker([&] {
    CSingleLock lock(&go, TRUE);
    passed = lock.IsLocked() != FALSE;
  });
  ::Sleep(20);
  EXPECT_FALSE(passed);
  go.SetEvent();
  worker.join();
  EXPECT_TRUE(passed);

  // The critical section is held as long as the lock lives, and recursively.
  CCriticalSection section;
  std::atomic<int> entered{-1};
  {
    CSingleLock outer(&section, TRUE);
    EXPECT_TRUE(outer.IsLocked());
    EXPECT_TRUE(outer.Lock());  // already held: not taken twice
    CSingleLock inner(&section, TRUE);
    EXPECT_TRUE(inner.IsLocked());
    std::thread other([&] { entered = ::TryEnterCriticalSection(section) ? 1 : 0; });
    other.join();
    EXPECT_EQ(entered, 0);
  }
  std::thread other([&] {
    entered = ::TryEnterCriticalSection(section) ? 1 : 0;
    if (entered) ::LeaveCriticalSection(section);
  });
  other.join();
  EXPECT_EQ(entered, 1);
}

}  // namespace
