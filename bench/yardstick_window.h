// The one window of the bench's yardsticks: a plain top-level window whose
// closing ends the program, made the same way by each of them.
#pragma once

#include <windows.h>

namespace yardstick {

inline LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Registers its class and creates it, not yet shown; nullptr when either fails.
inline HWND CreateMainWindow(HINSTANCE instance, const char* className, const char* caption)
{
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className;
    if (!RegisterClassA(&windowClass))
        return nullptr;
    return CreateWindowA(className, caption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 400, 300, nullptr,
        nullptr, instance, nullptr);
}

}  // namespace yardstick
