#include "wingui/placement.h"

RECT WorkspaceToScreen(const RECT& rect, const MONITORINFO& monitor)
{
    RECT screen = rect;
    OffsetRect(&screen, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    return screen;
}

RECT NormalWindowRect(HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    if (!IsIconic(window) && !IsZoomed(window))
        return rect;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement))
        return rect;
    // Windows gives the normal rectangle of a top-level window in workspace
    // coordinates; a tool window's, and any on systems that know no work
    // area (Wine gives screen coordinates, with a work area at 0,0), in
    // screen coordinates.
    if (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        return placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    // For a minimised window, the monitor of the rectangle it comes back to.
    if (!GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor))
        return placement.rcNormalPosition;
    return WorkspaceToScreen(placement.rcNormalPosition, monitor);
}
