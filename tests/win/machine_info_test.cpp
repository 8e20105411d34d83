// The formats the about box really gets from a Czech Windows.
#include "win32/machine_info.h"

#include <gtest/gtest.h>

namespace {

TEST(MachineInfo, CzechSeparatorsAndDates)
{
    const NumberSeparators separators = UserNumberSeparators();
    EXPECT_EQ(separators.decimal, ",");
    EXPECT_EQ(separators.thousands, "\xA0") << "a non-breaking space in code page 1250";

    SYSTEMTIME afternoon{2026, 12, 1, 7, 14, 5, 9, 0};
    EXPECT_EQ(FormatShortDate(afternoon), "7. 12. 2026");
    EXPECT_EQ(FormatDateTime(afternoon), "7. 12. 2026 14:05:09");
    SYSTEMTIME midnight{2026, 1, 4, 1, 0, 0, 0, 0};
    EXPECT_EQ(FormatDateTime(midnight), "1. 1. 2026") << "no time at exactly midnight";
}

TEST(MachineInfo, ClockMeasurementRestoresThePriorities)
{
    const DWORD processClass = GetPriorityClass(GetCurrentProcess());
    const int threadPriority = GetThreadPriority(GetCurrentThread());
    const double mhz = MeasureClockMHz();
    EXPECT_GT(mhz, 100.0);
    EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), processClass);
    EXPECT_EQ(GetThreadPriority(GetCurrentThread()), threadPriority);
}

TEST(MachineInfo, ModificationTimeOfAMissingFileIsNothing)
{
    EXPECT_FALSE(FileModificationTime("Z:\\nonexistent\\file.exe").has_value());
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    EXPECT_TRUE(FileModificationTime(self).has_value());
}

}  // namespace
