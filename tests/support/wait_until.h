// Waiting for a state: the tests poll for what they expect, never sleep a
// fixed time. Header-only, so that the tests without the driver share it.
#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace e2e {

// Polls `condition` until it holds or the time is up; true when it held.
inline bool WaitUntil(
    const std::function<bool()>& condition, std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

}  // namespace e2e
