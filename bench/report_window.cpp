// The fair yardstick for Tamarko's start: the work that cannot be avoided and
// nothing more. It runs "netsh interface ip show config" with the program's
// own capture code (built from win32/command_capture.cpp, so with the same
// creation flags, console, pipes and read loop), then shows a window whose
// one text is the first connection named in the report. The bench times it
// as it times Tamarko: from CreateProcess until that text can be read.
#include "bench/yardstick_window.h"
#include "core/line_list.h"
#include "core/phase_hook.h"
#include "core/report_reader.h"
#include "win32/command_capture.h"

#include <windows.h>

#include <string>

namespace {

const char kClassName[] = "BenchReportWindow";
const char kReportCommand[] = "netsh interface ip show config";

// The program's capture takes its line list itself, or (in older versions of
// the program) the list's vector of strings: the same yardstick then
// measures any version, before and after a change.
template <typename List> auto CaptureInto(List& list, int) -> decltype(CaptureCommandOutput(kReportCommand, list))
{
    CaptureCommandOutput(kReportCommand, list);
}
template <typename List> void CaptureInto(List& list, long)
{
    CaptureCommandOutput(kReportCommand, list.Lines());
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand)
{
    MarkPhase(Phase::Start, "static initialisation");
    LineList report;
    try {
        CaptureInto(report, 0);
    } catch (const std::exception&) {
        return 1;
    }
    MarkPhase(Phase::Start, "report captured");
    // Only the line that names the connection needs converting.
    std::string text;
    for (int i = 0; i < report.Count() && text.empty(); ++i)
        text = ConnectionNameFromLine(OemToAnsiLine(std::string(report.Get(i)))).value_or(std::string());
    MarkPhase(Phase::Start, "connection found");

    HWND window = yardstick::CreateMainWindow(instance, kClassName, "Report");
    if (!window)
        return 1;
    CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE, 8, 8, 300, 20, window, nullptr, instance, nullptr);
    MarkPhase(Phase::Start, "window built");
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MarkPhase(Phase::Start, "window shown and painted");
    MarkPhase(Phase::StartLast, "idle");
    MSG message;
    for (;;) {
        if (PhaseWaitsForIdle() && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
            MarkPhaseIdle();
        if (GetMessageA(&message, nullptr, 0, 0) <= 0)
            break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
