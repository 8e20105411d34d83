// Where a window comes back to, in screen coordinates, whatever its state.
#include "wingui/placement.h"

#include <gtest/gtest.h>

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != FALSE;
}

std::string Shown(const RECT& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + " - " + std::to_string(r.right) + ","
        + std::to_string(r.bottom);
}

MONITORINFO Monitor(RECT whole, RECT work)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    monitor.rcMonitor = whole;
    monitor.rcWork = work;
    return monitor;
}

}  // namespace

TEST(Placement, WorkspaceCoordinatesStartAtTheWorkArea)
{
    const RECT normal{100, 100, 400, 500};
    const struct {
        const char* what;
        MONITORINFO monitor;
        RECT screen;
    } cases[] = {
        {"taskbar at the bottom", Monitor({0, 0, 1024, 768}, {0, 0, 1024, 738}), {100, 100, 400, 500}},
        {"taskbar at the top", Monitor({0, 0, 1024, 768}, {0, 30, 1024, 768}), {100, 130, 400, 530}},
        {"taskbar at the left", Monitor({0, 0, 1024, 768}, {60, 0, 1024, 768}), {160, 100, 460, 500}},
        {"bars at the top and the left", Monitor({0, 0, 1024, 768}, {60, 30, 1024, 768}), {160, 130, 460, 530}},
        {"a second monitor to the right, its bar at the top", Monitor({1024, 0, 2048, 768}, {1024, 28, 2048, 768}),
            {100, 128, 400, 528}},
        {"a monitor left of the primary, its bar at the left", Monitor({-1280, -200, 0, 824}, {-1216, -200, 0, 824}),
            {164, 100, 464, 500}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Same(WorkspaceToScreen(normal, c.monitor), c.screen))
            << c.what << ": " << Shown(WorkspaceToScreen(normal, c.monitor));
}

TEST(Placement, AMinimisedOrMaximisedWindowComesBackWhereItWas)
{
    for (const DWORD exStyle : {DWORD{0}, DWORD{WS_EX_TOOLWINDOW}}) {
        HWND window = CreateWindowExA(exStyle, "STATIC", "Tamarko",
            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 210, 160, 300, 420, nullptr,
            nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNORMAL);
        RECT placed;
        GetWindowRect(window, &placed);
        EXPECT_TRUE(Same(NormalWindowRect(window), placed)) << "shown: " << Shown(NormalWindowRect(window));

        ShowWindow(window, SW_MINIMIZE);
        ShowWindow(window, SW_HIDE);  // as in the notification area
        EXPECT_TRUE(Same(NormalWindowRect(window), placed)) << "minimised: " << Shown(NormalWindowRect(window));

        ShowWindow(window, SW_SHOWMAXIMIZED);
        EXPECT_TRUE(Same(NormalWindowRect(window), placed)) << "maximised: " << Shown(NormalWindowRect(window));
        DestroyWindow(window);
    }
}

// A window whose title bar the user can take hold of stays where it was
// stored; one nobody could reach moves, the least it must, into the nearest
// work area.
TEST(Placement, AWindowOutOfReachMovesIntoTheNearestWorkArea)
{
    const RECT primary{0, 0, 1024, 738};      // a taskbar at the bottom
    const RECT second{1024, 0, 2304, 1024};   // a monitor to the right
    const std::vector<RECT> both{primary, second};
    const int bar = 22;
    const struct {
        const char* what;
        RECT window;
        RECT nearest;
        RECT placed;
    } cases[] = {
        {"inside", {100, 100, 406, 539}, primary, {100, 100, 406, 539}},
        {"on the second monitor", {1500, 200, 1806, 639}, second, {1500, 200, 1806, 639}},
        {"across both", {900, 100, 1206, 539}, primary, {900, 100, 1206, 539}},
        {"partly off the left, a grip left", {-200, 50, 106, 489}, primary, {-200, 50, 106, 489}},
        {"its title bar half under the top", {100, -10, 406, 429}, primary, {100, -10, 406, 429}},
        {"a sliver of the title bar only", {-290, 50, 16, 489}, primary, {0, 50, 306, 489}},
        {"where a minimised window is", {-32000, -32000, -31694, -31561}, primary, {0, 0, 306, 439}},
        {"beyond every screen, down right", {3000, 2000, 3306, 2439}, second, {1998, 585, 2304, 1024}},
        {"the title bar below the work area", {100, 730, 406, 1169}, primary, {100, 299, 406, 738}},
        {"taller than the work area", {100, -600, 406, 300}, primary, {100, 0, 406, 900}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Same(ReachablePlacement(c.window, bar, both, c.nearest), c.placed))
            << c.what << ": " << Shown(ReachablePlacement(c.window, bar, both, c.nearest));
}

// A window that reaches beyond its work area (a large DPI on a small
// screen, a stored place near the edge) moves up and left the least it
// must; one larger than the work area keeps its top left corner on it.
TEST(Placement, AWindowIsKeptWholeOnItsWorkArea)
{
    const RECT work{0, 0, 800, 570};  // 800×600, a taskbar at the bottom
    const struct {
        const char* what;
        RECT window;
        RECT placed;
    } cases[] = {
        {"whole already", {100, 100, 481, 548}, {100, 100, 481, 548}},
        {"below the bottom", {100, 100, 481, 648}, {100, 22, 481, 570}},
        {"beyond the right", {600, 50, 981, 498}, {419, 50, 800, 498}},
        {"beyond both", {700, 400, 1081, 848}, {419, 122, 800, 570}},
        {"partly off the left and the top", {-50, -20, 331, 428}, {0, 0, 381, 448}},
        {"taller than the work area", {100, 100, 481, 700}, {100, 0, 481, 600}},
        {"wider and taller", {50, 50, 950, 750}, {0, 0, 900, 700}},
    };
    for (const auto& c : cases)
        EXPECT_TRUE(Same(WholeInWorkArea(c.window, work), c.placed))
            << c.what << ": " << Shown(WholeInWorkArea(c.window, work));
}
