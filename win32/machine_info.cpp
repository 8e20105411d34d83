#include "win32/machine_info.h"

#include <x86intrin.h>

namespace {

std::string LocaleText(LCTYPE type)
{
    char text[16] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, type, text, sizeof text);
    return text;
}

// Restores the process's class and the thread's priority on every way out:
// the thread first, then the class, as they were raised the other way round.
class RaisedPriority {
public:
    RaisedPriority()
        : processClass_(GetPriorityClass(GetCurrentProcess()))
        , threadPriority_(GetThreadPriority(GetCurrentThread()))
    {
        SetPriorityClass(GetCurrentProcess(), REALTIME_PRIORITY_CLASS);
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    }
    ~RaisedPriority()
    {
        SetThreadPriority(GetCurrentThread(), threadPriority_);
        SetPriorityClass(GetCurrentProcess(), processClass_);
    }
    RaisedPriority(const RaisedPriority&) = delete;
    RaisedPriority& operator=(const RaisedPriority&) = delete;

private:
    DWORD processClass_;
    int threadPriority_;
};

}  // namespace

NumberSeparators UserNumberSeparators()
{
    return {LocaleText(LOCALE_STHOUSAND), LocaleText(LOCALE_SDECIMAL)};
}

std::string FormatShortDate(const SYSTEMTIME& time)
{
    char date[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, sizeof date);
    return date;
}

std::string FormatDateTime(const SYSTEMTIME& time)
{
    std::string text = FormatShortDate(time);
    if (time.wHour == 0 && time.wMinute == 0 && time.wSecond == 0 && time.wMilliseconds == 0)
        return text;
    char clock[64] = {};
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, sizeof clock);
    return text + " " + clock;
}

std::optional<SYSTEMTIME> FileModificationTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FILETIME local;
    SYSTEMTIME time;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
        return std::nullopt;
    return time;
}

double MeasureClockMHz()
{
    unsigned long long start, end;
    {
        RaisedPriority raised;
        Sleep(10);
        start = __rdtsc();
        Sleep(500);
        end = __rdtsc();
    }
    return ClockMHzFromTicks(end - start);
}
