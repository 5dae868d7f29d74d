#include "setup/named_mutex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

namespace quidora::setup {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs `work` on a thread of its own and waits for that thread to end.
template <typename Work>
auto OnOtherThread(Work work) {
  auto result = std::async(std::launch::async, work);
  return result.get();
}

TEST(NamedMutexTest, OwnershipIsPerThreadAndRecursive) {
  NamedMutexTable table;
  MutexHandle mutex = table.Create("VESKO");
  ASSERT_EQ(mutex.Wait(std::nullopt), WaitResult::Acquired);
  EXPECT_EQ(mutex.Wait(0ms), WaitResult::Acquired);  // again by its owner
  EXPECT_FALSE(OnOtherThread([&] { return mutex.Release(); }));
  EXPECT_EQ(OnOtherThread([&] { return mutex.Wait(50ms); }), WaitResult::TimedOut);
  EXPECT_TRUE(mutex.Release());
  EXPECT_EQ(OnOtherThread([&] { return mutex.Wait(50ms); }), WaitResult::TimedOut);  // held once
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release());
  // Free now; the other thread takes it and ends holding it.
  EXPECT_EQ(OnOtherThread([&] { return mutex.Wait(0ms); }), WaitResult::Acquired);
}

TEST(NamedMutexTest, TheSameNameOpensTheSameMutex) {
  NamedMutexTable table;
  MutexHandle first = table.Create("VESKO");
  MutexHandle second = table.Create("VESKO");
  MutexHandle other = table.Create("OTHER");
  ASSERT_EQ(first.Wait(0ms), WaitResult::Acquired);
  EXPECT_EQ(OnOtherThread([&] { return second.Wait(20ms); }), WaitResult::TimedOut);
  EXPECT_EQ(OnOtherThread([&] {
              WaitResult r = other.Wait(0ms);
              other.Release();
              return r;
            }),
            WaitResult::Acquired);
  first.Release();
}

TEST(NamedMutexTest, AThreadEndingWithTheMutexAbandonsItToTheWaiter) {
  NamedMutexTable table;
  MutexHandle mutex = table.Create("VESKO");
  std::promise<void> taken;
  std::promise<void> finish;
  std::thread owner([&] {
    mutex.Wait(std::nullopt);
    taken.set_value();
    finish.get_future().wait();
  });
  taken.get_future().wait();
  auto waiter = std::async(std::launch::async, [&] {
    const Clock::time_point start = Clock::now();
    WaitResult r = mutex.Wait(2000ms);
    mutex.Release();
    return std::make_pair(r, Clock::now() - start);
  });
  std::this_thread::sleep_for(100ms);
  finish.set_value();
  owner.join();
  auto [result, waited] = waiter.get();
  EXPECT_EQ(result, WaitResult::Abandoned);
  EXPECT_LT(waited, 1500ms);  // woken by the owner's end, not by the time limit
  // The news is given once: the next owner takes a plain mutex.
  EXPECT_EQ(mutex.Wait(0ms), WaitResult::Acquired);
  mutex.Release();
}

TEST(NamedMutexTest, AClosedHandleFailsAndAForgottenNameStartsAfresh) {
  NamedMutexTable table;
  MutexHandle never;
  EXPECT_EQ(never.Wait(0ms), WaitResult::Failed);
  EXPECT_FALSE(never.Release());

  MutexHandle mutex = table.Create("VESKO");
  OnOtherThread([&] { return mutex.Wait(0ms); });  // abandoned by that thread's end
  MutexHandle copy = mutex;
  mutex.Close();
  EXPECT_EQ(mutex.Wait(0ms), WaitResult::Failed);
  copy.Close();
  // No handle was left, so the name makes a new mutex, neither owned nor abandoned.
  MutexHandle fresh = table.Create("VESKO");
  EXPECT_EQ(fresh.Wait(0ms), WaitResult::Acquired);
  fresh.Release();
}

}  // namespace
}  // namespace quidora::setup
