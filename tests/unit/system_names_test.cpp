// The machine descriptions of the about box.
#include "core/system_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

TEST(ColorDepthName, KnownCountsAndEverythingElse)
{
    struct Case {
        int bitsPerPixel;
        int planes;
        const char* expected;
    } const cases[] = {
        {4, 1, "16 barev"},
        {8, 1, "256 barev"},
        {16, 1, "16 bitů"},
        {24, 1, "24 bitů"},
        {32, 1, "32 bitů"},
        // the planes multiply the count
        {1, 8, "16 barev"},
        {2, 4, "16 barev"},
        {4, 16, "256 barev"},
        {8, 256, "16 bitů"},
        {31, 2, "32 bitů"},
        {16, 65536, "32 bitů"},
        {0, 16, "16 barev"},
        // not in the list
        {1, 1, "není"},
        {15, 1, "není"},
        {4, 0, "není"},
        {4, -1, "není"},
        {0, 1, "není"},
        {33, 1, "není"},
        // absurd values must not shift or multiply out of range
        {63, 1, "není"},
        {64, 1, "není"},
        {100, 1, "není"},
        {-1, 32, "není"},
        {INT_MIN, 1, "není"},
        {INT_MAX, INT_MAX, "není"},
        {32, INT_MAX, "není"},
        {32, INT_MIN, "není"},
        {40, INT_MAX, "není"},
        {62, 2, "není"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bitsPerPixel) + " bits, " + std::to_string(c.planes) + " planes");
        EXPECT_EQ(ColorDepthName(c.bitsPerPixel, c.planes), c.expected);
    }
}

TEST(WindowsVersionName, Table)
{
    struct Case {
        unsigned long platform, major, minor;
        std::string servicePack;
        const char* expected;
    } const cases[] = {
        // Windows 95 family
        {1, 4, 0, "", "Win95"},
        {1, 4, 0, " B", "Win95OSR2"},
        {1, 4, 0, "C", "Win95OSR2"},
        {1, 4, 9, "B ", "Win95OSR2"},
        {1, 4, 0, " b", "Win95"},
        {1, 4, 0, "BC", "Win95"},
        {1, 4, 10, "", "Win98"},
        {1, 4, 10, " A ", "Win98SE"},
        {1, 4, 10, "\tA\r\n", "Win98SE"},
        {1, 4, 89, "A", "Win98SE"},
        {1, 4, 10, "a", "Win98"},
        {1, 4, 10, "B", "Win98"},
        {1, 4, 90, "A", "WinME"},
        {1, 4, 91, "", "nerozpoznáno"},
        {1, 0, 10, "A", "Win98SE"},
        // NT family
        {2, 3, 1, "", "WinNT31"},
        {2, 3, 10, "", "WinNT31"},
        {2, 3, 5, "", "WinNT35"},
        {2, 3, 50, "", "WinNT35"},
        {2, 3, 51, "Service Pack 5", "WinNT351"},
        {2, 3, 0, "", "nerozpoznáno"},
        {2, 3, 11, "", "nerozpoznáno"},
        {2, 4, 0, "Service Pack 6a", "WinNT4"},
        {2, 4, 90, "", "WinNT4"},
        {2, 5, 0, "", "Win2000"},
        {2, 5, 1, "Service Pack 2", "WinXP"},
        {2, 5, 2, "", "Win2003"},
        {2, 5, 3, "", "nerozpoznáno"},
        {2, 6, 0, "", "nerozpoznáno"},
        {2, 10, 0, "", "nerozpoznáno"},
        {2, 2, 0, "", "nerozpoznáno"},
        // anything else
        {0, 3, 10, "", "nerozpoznáno"},
        {3, 5, 1, "", "nerozpoznáno"},
        {ULONG_MAX, 5, 1, "", "nerozpoznáno"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.platform) + " " + std::to_string(c.major) + "." + std::to_string(c.minor) + " \""
            + c.servicePack + "\"");
        EXPECT_EQ(WindowsVersionName(c.platform, c.major, c.minor, c.servicePack), c.expected);
    }
}

TEST(WindowsVersionName, TrimsOnlyBlanksAroundTheServicePack)
{
    // A space inside is kept, so it no longer matches; bytes above 0x20 are
    // not blanks, whatever they look like.
    EXPECT_EQ(WindowsVersionName(1, 4, 10, "A A"), "Win98");
    EXPECT_EQ(WindowsVersionName(1, 4, 10,
                  "\xA0"
                  "A"),
        "Win98");
    EXPECT_EQ(WindowsVersionName(1, 4, 10, std::string("\0A\x1F", 3)), "Win98SE");
    EXPECT_EQ(WindowsVersionName(1, 4, 10, "   "), "Win98");
}

TEST(ProductVersionText, MostSignificantWord)
{
    EXPECT_EQ(ProductVersionText(0x00010004u), "1.4");
    EXPECT_EQ(ProductVersionText(0x000A0002u), "10.2");
    EXPECT_EQ(ProductVersionText(0x00000000u), "0.0");
    EXPECT_EQ(ProductVersionText(0xFFFFFFFFu), "65535.65535");
}

}  // namespace
