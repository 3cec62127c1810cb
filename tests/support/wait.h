#pragma once
// Tests wait for work on a condition with a deadline, never for a fixed time.

#include <chrono>
#include <functional>
#include <thread>

// Waits until `cond` holds, checking every few milliseconds, for at most `ms`; false at the
// deadline.
inline bool WaitFor(const std::function<bool()>& cond, int ms = 30000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!cond()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}
