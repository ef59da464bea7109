// Detached threads: every body runs once, on a thread of its own, and what it
// captured is freed when it has run. Many starts in a row, because a start
// that is lost shows only now and then.
#include "platform/detached_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

namespace {

constexpr std::chrono::seconds kPatience{30};

// What the bodies report back to the test, under one lock.
struct Tally {
  std::mutex mutex;
  std::condition_variable changed;
  int runs = 0;
  bool ranOnStarter = false;

  void Count(std::thread::id starter) {
    {
      std::lock_guard lock(mutex);
      ++runs;
      ranOnStarter = ranOnStarter || std::this_thread::get_id() == starter;
    }
    changed.notify_all();
  }

  bool WaitForRuns(int expected) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, kPatience, [&] { return runs >= expected; });
  }
};

TEST(DetachedThreadTest, EveryBodyRunsOnceOnAThreadOfItsOwn) {
  constexpr int kStarts = 1000;
  Tally tally;
  const std::thread::id starter = std::this_thread::get_id();
  for (int i = 0; i < kStarts; ++i) {
    ASSERT_TRUE(StartDetachedThread([&tally, starter] { tally.Count(starter); })) << "start " << i;
  }
  ASSERT_TRUE(tally.WaitForRuns(kStarts)) << "only " << tally.runs << " of " << kStarts << " ran";
  // A late extra run would come from a body run twice.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  std::lock_guard lock(tally.mutex);
  EXPECT_EQ(tally.runs, kStarts);
  EXPECT_FALSE(tally.ranOnStarter);
}

TEST(DetachedThreadTest, WhatTheBodyCapturedIsFreedAfterItRan) {
  Tally tally;
  auto captured = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = captured;
  const std::thread::id starter = std::this_thread::get_id();
  ASSERT_TRUE(StartDetachedThread(
      [&tally, starter, captured = std::move(captured)] { tally.Count(starter); }));
  ASSERT_TRUE(tally.WaitForRuns(1));

  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!watch.expired() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_TRUE(watch.expired());
}

}  // namespace
