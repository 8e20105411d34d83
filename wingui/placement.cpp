#include "wingui/placement.h"

#include <algorithm>
#include <exception>

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

namespace {

bool TitleBarReachable(const RECT& window, int titleBarHeight, const RECT& workArea)
{
    const RECT titleBar{window.left, window.top, window.right, window.top + titleBarHeight};
    RECT shown;
    if (!IntersectRect(&shown, &titleBar, &workArea))
        return false;
    const LONG grip = std::min<LONG>(window.right - window.left, 2 * titleBarHeight);
    return shown.right - shown.left >= grip && 2 * (shown.bottom - shown.top) >= titleBarHeight;
}

// The start of a span of `size` moved the least into [low, high); its low
// end when it does not fit.
LONG Inside(LONG start, LONG size, LONG low, LONG high)
{
    return std::max(low, std::min(start, high - size));
}

struct WorkAreas {
    std::vector<RECT> areas;
    std::exception_ptr failure;
};

// No exception may cross EnumDisplayMonitors: the walk stops and the failure
// waits.
BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM context)
{
    auto& workAreas = *reinterpret_cast<WorkAreas*>(context);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info))
        return TRUE;
    try {
        workAreas.areas.push_back(info.rcWork);
        return TRUE;
    } catch (...) {
        workAreas.failure = std::current_exception();
        return FALSE;
    }
}

}  // namespace

RECT ReachablePlacement(
    const RECT& window, int titleBarHeight, const std::vector<RECT>& workAreas, const RECT& nearestWorkArea)
{
    for (const RECT& workArea : workAreas) {
        if (TitleBarReachable(window, titleBarHeight, workArea))
            return window;
    }
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    const LONG left = Inside(window.left, width, nearestWorkArea.left, nearestWorkArea.right);
    const LONG top = Inside(window.top, height, nearestWorkArea.top, nearestWorkArea.bottom);
    return {left, top, left + width, top + height};
}

RECT ReachablePlacement(const RECT& window, int titleBarHeight)
{
    WorkAreas workAreas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&workAreas));
    if (workAreas.failure)
        std::rethrow_exception(workAreas.failure);
    MONITORINFO nearest{};
    nearest.cbSize = sizeof nearest;
    if (!GetMonitorInfoA(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &nearest))
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &nearest.rcWork, 0);
    return ReachablePlacement(window, titleBarHeight, workAreas.areas, nearest.rcWork);
}

RECT WholeInWorkArea(const RECT& window, const RECT& workArea)
{
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    const LONG left = Inside(window.left, width, workArea.left, workArea.right);
    const LONG top = Inside(window.top, height, workArea.top, workArea.bottom);
    return {left, top, left + width, top + height};
}

RECT WholeInWorkArea(const RECT& window)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    RECT primaryWork{};
    const bool primaryKnown = SystemParametersInfoA(SPI_GETWORKAREA, 0, &primaryWork, 0) != FALSE;
    if (!GetMonitorInfoA(MonitorFromRect(&window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        monitor.rcWork = primaryWork;
    } else if ((monitor.dwFlags & MONITORINFOF_PRIMARY) && primaryKnown) {
        // Windows gives the primary monitor's work area both ways; Wine
        // gives the whole monitor here, its desktop's taskbar left out of
        // it, and knows the bar only in the system's work area.
        RECT both;
        if (IntersectRect(&both, &monitor.rcWork, &primaryWork))
            monitor.rcWork = both;
    }
    return WholeInWorkArea(window, monitor.rcWork);
}
