// The program's own capture alone: CaptureCommandOutput on
// "netsh interface ip show config" from this program's folder, with nothing
// of the chooser's work after it. Writes the same result file as
// plain_read.exe ("bytes=", "capture_ms=", "start_ms=", "end_ms=") so that the
// bench runs both the same way; bytes counts the line bytes captured plus one
// per line break.
#include "core/line_list.h"
#include "win32/command_capture.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char kReportCommand[] = "netsh interface ip show config";

// The capture takes the program's line list, or in older versions of the
// program the list's vector of strings (see report_window.cpp).
template <typename List> auto CaptureInto(List& list, int) -> decltype(CaptureCommandOutput(kReportCommand, list))
{
    CaptureCommandOutput(kReportCommand, list);
}
template <typename List> void CaptureInto(List& list, long)
{
    CaptureCommandOutput(kReportCommand, list.Lines());
}

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main()
{
    LineList lines;
    const double start = NowMs();
    try {
        CaptureInto(lines, 0);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "capture_only: %s\n", error.what());
        return 1;
    }
    const double end = NowMs();
    std::size_t bytes = 0;
    for (int i = 0; i < lines.Count(); ++i)
        bytes += lines.Get(i).size() + 1;
    FILE* result = std::fopen("plain-read-result.txt", "w");
    if (!result)
        return 1;
    std::fprintf(result, "bytes=%lu\ncapture_ms=%.3f\nstart_ms=%.3f\nend_ms=%.3f\n", static_cast<unsigned long>(bytes),
        end - start, start, end);
    std::fclose(result);
    return 0;
}
