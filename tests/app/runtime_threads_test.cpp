// Threads, stopping, sleeping, the event hook and random numbers.

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <stdexcept>
#include <vector>

#include "app/runtime.h"

namespace {

constexpr int kDeadlineMs = 10000;

// A gate that holds threads until the test opens it.
class Gate {
public:
    void Wait() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return open_; });
    }
    void Open() {
        {
            std::lock_guard lock(mutex_);
            open_ = true;
        }
        cv_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool open_ = false;
};

class RuntimeThreads : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(rt::WaitForThreads(kDeadlineMs));
        rt::ResetStop();
        rt::SetProcessEventsHook(nullptr);
    }
};

TEST_F(RuntimeThreads, StartedThreadsRunAndAreCounted) {
    std::atomic<int> ran{0};
    Gate gate;
    constexpr int kThreads = 40;
    for (int i = 0; i < kThreads; ++i)
        ASSERT_TRUE(rt::StartThread([&] {
            gate.Wait();
            ran.fetch_add(1);
        }));
    EXPECT_EQ(rt::RunningThreads(), kThreads);
    EXPECT_FALSE(rt::WaitForThreads(0));  // they are all held at the gate
    gate.Open();
    ASSERT_TRUE(rt::WaitForThreads(kDeadlineMs));
    EXPECT_EQ(ran.load(), kThreads);
    EXPECT_EQ(rt::RunningThreads(), 0);
}

TEST_F(RuntimeThreads, EmptyRoutineIsRefused) {
    EXPECT_FALSE(rt::StartThread(nullptr));
    EXPECT_EQ(rt::RunningThreads(), 0);
}

TEST_F(RuntimeThreads, ThrowingRoutineStillEnds) {
    ASSERT_TRUE(rt::StartThread([] { throw std::runtime_error("boom"); }));
    EXPECT_TRUE(rt::WaitForThreads(kDeadlineMs));
    EXPECT_EQ(rt::RunningThreads(), 0);
}

TEST_F(RuntimeThreads, StopWakesSleepersAtOnce) {
    std::atomic<int> woken{0}, slept{0};
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(rt::StartThread([&] {
            // A minute: only a stop can end this sleep before the test's deadline.
            (rt::SleepMs(60000) ? slept : woken).fetch_add(1);
        }));
    EXPECT_FALSE(rt::StopRequested());
    rt::RequestStop();
    EXPECT_TRUE(rt::StopRequested());
    ASSERT_TRUE(rt::WaitForThreads(kDeadlineMs));
    EXPECT_EQ(woken.load(), 3);
    EXPECT_EQ(slept.load(), 0);
    EXPECT_FALSE(rt::SleepMs(10));  // still stopped
    rt::ResetStop();
    EXPECT_FALSE(rt::StopRequested());
}

TEST_F(RuntimeThreads, SleepWithoutStop) {
    EXPECT_TRUE(rt::SleepMs(0));
    EXPECT_TRUE(rt::SleepMs(-5));
    EXPECT_TRUE(rt::SleepMs(1));
}

TEST_F(RuntimeThreads, ProcessEventsCallsTheInstalledHook) {
    rt::ProcessEvents();  // no hook: nothing happens
    int calls = 0;
    rt::SetProcessEventsHook([&] { ++calls; });
    rt::ProcessEvents();
    rt::ProcessEvents();
    EXPECT_EQ(calls, 2);
    rt::SetProcessEventsHook(nullptr);
    rt::ProcessEvents();
    EXPECT_EQ(calls, 2);
}

TEST_F(RuntimeThreads, HookMayBeReplacedWhileOtherThreadsCallIt) {
    std::atomic<int> calls{0};
    std::atomic<bool> done{false};
    rt::SetProcessEventsHook([&] { calls.fetch_add(1); });
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(rt::StartThread([&] {
            while (!done.load()) rt::ProcessEvents();
        }));
    for (int i = 0; i < 200; ++i) rt::SetProcessEventsHook([&] { calls.fetch_add(1); });
    done.store(true);
    ASSERT_TRUE(rt::WaitForThreads(kDeadlineMs));
}

TEST(RuntimeChance, RandomNumbersStayInTheirBounds) {
    rt::SetRandomSeed();
    struct Case {
        const char* name;
        int min, max, lo, hi;
    } cases[] = {
        {"suffix range", 11, 99, 11, 99},
        {"reversed bounds", 99, 11, 11, 99},
        {"negative bounds count as 0", -5, 3, 0, 3},
        {"one value", 5, 5, 5, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::set<int> seen;
        for (int i = 0; i < 5000; ++i) {
            const int r = rt::RandomNumber(c.min, c.max);
            ASSERT_GE(r, c.lo);
            ASSERT_LE(r, c.hi);
            seen.insert(r);
        }
        EXPECT_EQ(static_cast<int>(seen.size()), c.hi - c.lo + 1);  // every value comes up
    }
}

TEST(RuntimeChance, SeedsDiffer) {
    auto draw = [] {
        std::vector<int> v;
        for (int i = 0; i < 20; ++i) v.push_back(rt::RandomNumber(0, 1000000));
        return v;
    };
    rt::SetRandomSeed();
    const auto first = draw();
    rt::SetRandomSeed();  // at once: within the same clock tick, if the clock is coarse
    EXPECT_NE(draw(), first);
    rt::SetRandomSeedForTests(7);
    const auto repeatable = draw();
    rt::SetRandomSeedForTests(7);
    EXPECT_EQ(draw(), repeatable);
}

}  // namespace
