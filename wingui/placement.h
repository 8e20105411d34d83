// Where a window is when it is neither minimised nor maximised, told in
// screen coordinates on every system.
#pragma once

#include <windows.h>

// The window's normal rectangle on the screen: its rectangle now, or, while
// it is minimised or maximised, the one it comes back to.
RECT NormalWindowRect(HWND window);

// A rectangle in a monitor's workspace coordinates (the top left of its work
// area is 0,0, so a taskbar at the top or left shifts them) on the screen.
RECT WorkspaceToScreen(const RECT& rect, const MONITORINFO& monitor);
