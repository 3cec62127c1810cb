// Threads, stopping, sleeping, the window's event hook and random numbers.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

#include "app/runtime.h"

namespace {

// Thread bookkeeping outlives every thread: the last thread may still be leaving its wrapper
// when the process exits, so these are never destroyed.
struct Registry {
    std::mutex mutex;
    std::condition_variable changed;  // the running count changed or a stop was requested
    int running = 0;                  // guarded by mutex
    std::atomic<bool> stop{false};
};

Registry& Reg() {
    static Registry* const registry = new Registry;
    return *registry;
}

struct EventHook {
    std::mutex mutex;
    std::shared_ptr<const std::function<void()>> hook;  // guarded by mutex
};

EventHook& Hook() {
    static EventHook* const hook = new EventHook;
    return *hook;
}

struct Chance {
    std::mutex mutex;
    std::minstd_rand engine;  // guarded by mutex
    unsigned long long seeds = 0;
    bool seeded = false;
};

Chance& Rng() {
    static Chance* const chance = new Chance;
    return *chance;
}

unsigned long long TickCount() {
    return static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
}

}  // namespace

namespace rt {

bool StartThread(std::function<void()> routine) {
    if (!routine) return false;
    Registry& reg = Reg();
    {
        std::lock_guard lock(reg.mutex);
        ++reg.running;
    }
    auto body = [routine = std::move(routine)]() mutable {
        try {
            routine();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "sorvane: a thread ended with an error: %s\n", e.what());
        } catch (...) {
            std::fprintf(stderr, "sorvane: a thread ended with an unknown error\n");
        }
        routine = nullptr;  // release what the routine holds before counting the thread gone
        Registry& r = Reg();
        std::lock_guard lock(r.mutex);
        --r.running;
        r.changed.notify_all();
    };
    try {
        std::thread(std::move(body)).detach();
        return true;
    } catch (const std::system_error&) {
        std::lock_guard lock(reg.mutex);
        --reg.running;
        reg.changed.notify_all();
        return false;
    }
}

void RequestStop() {
    Registry& reg = Reg();
    {
        // Set under the lock so that a sleeper between its check and its wait cannot miss it.
        std::lock_guard lock(reg.mutex);
        reg.stop.store(true);
    }
    reg.changed.notify_all();
}

bool StopRequested() { return Reg().stop.load(); }

void ResetStop() {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    reg.stop.store(false);
}

bool WaitForThreads(int timeoutMs) {
    Registry& reg = Reg();
    std::unique_lock lock(reg.mutex);
    auto none = [&] { return reg.running == 0; };
    if (timeoutMs < 0) {
        reg.changed.wait(lock, none);
        return true;
    }
    return reg.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), none);
}

int RunningThreads() {
    Registry& reg = Reg();
    std::lock_guard lock(reg.mutex);
    return reg.running;
}

bool SleepMs(int ms) {
    if (ms < 0) ms = 0;
    Registry& reg = Reg();
    std::unique_lock lock(reg.mutex);
    return !reg.changed.wait_for(lock, std::chrono::milliseconds(ms),
                                 [&] { return reg.stop.load(); });
}

void ProcessEvents() {
    EventHook& h = Hook();
    std::shared_ptr<const std::function<void()>> hook;
    {
        std::lock_guard lock(h.mutex);
        hook = h.hook;
    }
    if (hook && *hook) (*hook)();
}

void SetProcessEventsHook(std::function<void()> hook) {
    auto shared = hook ? std::make_shared<const std::function<void()>>(std::move(hook)) : nullptr;
    EventHook& h = Hook();
    std::lock_guard lock(h.mutex);
    h.hook = std::move(shared);
}

void SetRandomSeed() {
    Chance& c = Rng();
    std::lock_guard lock(c.mutex);
    // The counter keeps two calls within one clock tick apart.
    c.engine.seed(static_cast<std::minstd_rand::result_type>((TickCount() + ++c.seeds) %
                                                             std::minstd_rand::modulus));
    c.seeded = true;
}

void SetRandomSeedForTests(unsigned seed) {
    Chance& c = Rng();
    std::lock_guard lock(c.mutex);
    c.engine.seed(seed);
    c.seeded = true;
}

int RandomNumber(int min, int max) {
    if (min < 0) min = 0;
    if (max < 0) max = 0;
    if (min > max) std::swap(min, max);
    Chance& c = Rng();
    std::lock_guard lock(c.mutex);
    if (!c.seeded) {  // a program that never seeds still gets different numbers on each run
        c.engine.seed(static_cast<std::minstd_rand::result_type>(
            (TickCount() + ++c.seeds) % std::minstd_rand::modulus));
        c.seeded = true;
    }
    std::uniform_int_distribution<int> pick(min, max);
    return pick(c.engine);
}

}  // namespace rt
