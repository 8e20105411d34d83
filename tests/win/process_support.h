// What the tests that start child processes share: the scripted console
// program beside them, clocks, and a window that notes a posted message.
#pragma once

#include "tests/support/wait_until.h"

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

namespace test {

using Clock = std::chrono::steady_clock;

// The folder of this test program, with its trailing backslash.
inline std::string ExeFolder()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.erase(folder.find_last_of('\\') + 1);
}

// The quoted path of emit.exe (tests/win/children/emit.cpp), built beside us.
inline std::string Emit()
{
    std::string quoted = "\"";
    return quoted.append(ExeFolder()).append("emit.exe\"");
}

inline double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

using e2e::WaitUntil;

// CPU time (user and kernel) this process has used so far, in seconds.
inline double CpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto value = [](const FILETIME& t) {
        return static_cast<double>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    return (value(kernel) + value(user)) / 1e7;
}

// Ends the test program when what it watches hangs, so that a hang is a
// failure with a message rather than a silent time-out.
class Watchdog {
public:
    explicit Watchdog(std::string what)
        : done_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
        , thread_([this, what] {
            if (WaitForSingleObject(done_, 30000) == WAIT_TIMEOUT) {
                std::fprintf(stderr, "%s did not return within 30 s\n", what.c_str());
                std::fflush(stderr);
                TerminateProcess(GetCurrentProcess(), 3);
            }
        })
    {
    }
    ~Watchdog()
    {
        SetEvent(done_);
        thread_.join();
        CloseHandle(done_);
    }

private:
    HANDLE done_;
    std::thread thread_;
};

// A message-only window that notes when it handles WM_APP and then runs
// whatever the test gave it.
class Listener {
public:
    Listener()
    {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "TestListener";
        RegisterClassA(&windowClass);
        window = CreateWindowA("TestListener", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        handledAt = {};
    }
    ~Listener()
    {
        DestroyWindow(window);
        onMessage = nullptr;
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Posts WM_APP from another thread after a while; join the thread.
    std::thread PostLater(int milliseconds)
    {
        return std::thread([this, milliseconds] {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            postedAt = Clock::now();
            PostMessageA(window, WM_APP, 0, 0);
        });
    }

    HWND window;
    Clock::time_point postedAt{};
    static inline Clock::time_point handledAt{};
    static inline std::function<void()> onMessage;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_APP) {
            handledAt = Clock::now();
            if (onMessage)
                onMessage();
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

}  // namespace test
