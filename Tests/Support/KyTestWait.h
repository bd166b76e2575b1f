// Waiting in tests: polls with a limit, so that a fault fails the test instead of hanging it.
#pragma once

#include <chrono>
#include <thread>

// Polls every millisecond until the condition holds; false after nTimeoutMs.
template <class Condition>
bool KyTestWaitFor(Condition condition, unsigned nTimeoutMs = 5000) {
    const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    while (!condition()) {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(nTimeoutMs))
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}
