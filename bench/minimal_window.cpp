// The smallest honest Win32 window program: registers a class, creates a
// window, shows it and pumps messages until it is closed. It is the yardstick
// against which the start of tamarko.exe is measured.
//
// Built with START_DLLS it first loads what Tamarko's start cannot do without
// (comctl32 for the status bar and the tooltips, ole32 for COM, shell32 for
// the tray icon): what those DLLs alone cost, the floor of Tamarko's memory.
#include "bench/yardstick_window.h"

#include <windows.h>

#ifdef START_DLLS
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>
#endif

namespace {

const char kClassName[] = "BenchMinimalWindow";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
#ifdef START_DLLS
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitialize(nullptr);
    // Linked in as Tamarko links it; the call itself would add an icon.
    volatile auto notify = &Shell_NotifyIconA;
    (void)notify;
#endif
    HWND window = yardstick::CreateMainWindow(instance, kClassName, "Minimal");
    if (!window)
        return 1;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
