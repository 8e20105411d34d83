// Where a window is when it is neither minimised nor maximised, told in
// screen coordinates on every system.
#pragma once

#include <windows.h>

#include <vector>

// The window's normal rectangle on the screen: its rectangle now, or, while
// it is minimised or maximised, the one it comes back to.
RECT NormalWindowRect(HWND window);

// A rectangle in a monitor's workspace coordinates (the top left of its work
// area is 0,0, so a taskbar at the top or left shifts them) on the screen.
RECT WorkspaceToScreen(const RECT& rect, const MONITORINFO& monitor);

// Where a window goes when the user could not take hold of its title bar:
// one stored for a screen that is gone, or the -32000 of a minimised window.
// A title bar that shows on one work area, at least twice as wide as it is
// high (or whole) and at least half its height, leaves the window exactly
// where it is; otherwise the window moves, the least it must, into the
// nearest work area.
RECT ReachablePlacement(
    const RECT& window, int titleBarHeight, const std::vector<RECT>& workAreas, const RECT& nearestWorkArea);
// The same with this system's monitors.
RECT ReachablePlacement(const RECT& window, int titleBarHeight);

// The window moved up and left, the least it must, to lie whole in the work
// area: at a large DPI on a small screen the design's place or a stored one
// would put the apply button and the status bar below the screen, and the
// window cannot be resized. One larger than the work area has its top left
// corner on it.
RECT WholeInWorkArea(const RECT& window, const RECT& workArea);
// The same in the work area of the window's monitor (the nearest one).
RECT WholeInWorkArea(const RECT& window);
