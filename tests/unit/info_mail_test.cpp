#include "core/info_mail.h"

#include <gtest/gtest.h>

namespace {

// The separators a Czech Windows gives: a non-breaking space between
// thousands and a decimal comma.
const NumberSeparators kCzech{"\xA0", ","};

InfoMailPieces Pieces()
{
    InfoMailPieces pieces;
    pieces.windowsName = "WinXP";
    pieces.totalPhysicalBytes = 536870912;  // 512 MiB
    pieces.clockMHz = 2399.996;
    pieces.screenWidth = 1024;
    pieces.screenHeight = 768;
    pieces.colorDepth = "32 bitů";
    pieces.pixelsPerInch = 96;
    pieces.exeDirectory = "C:\\Program Files\\Tamarko\\";
    pieces.modificationTime = "7. 12. 2026 14:05:09";
    return pieces;
}

TEST(InfoMail, BodyIsOneLineOfPiecesInOrder)
{
    const std::string body = BuildInfoMailBody(Pieces(), kCzech);
    EXPECT_EQ(body,
        "WinXP RAM:524MB CPU:2400,00MHz Obrazovka:1024x768 32 bitů DPI:96 "
        "Cesta:C:\\Program Files\\Tamarko\\ Čas:7. 12. 2026 14:05:09 ");
    EXPECT_EQ(body.find_first_of("\r\n"), std::string::npos);
}

TEST(InfoMail, MemoryIsCountedInThousandsOfKilobytesWithGroupedDigits)
{
    struct Case {
        std::uint64_t bytes;
        const char* ram;
    } cases[] = {
        {536870912, "RAM:524MB "},  // 536870912 / 1024000, not / 1048576 (512)
        {1023999, "RAM:MB "},       // below one unit the pattern shows no digit at all
        {1024000, "RAM:1MB "},
        {4294967296ull,
            "RAM:4\xA0"
            "194MB "},  // 4 GiB
        {17179869184000ull,
            "RAM:16\xA0"
            "777\xA0"
            "216MB "},
    };
    for (const auto& c : cases) {
        InfoMailPieces pieces = Pieces();
        pieces.totalPhysicalBytes = c.bytes;
        EXPECT_NE(BuildInfoMailBody(pieces, kCzech).find(std::string(" ") + c.ram), std::string::npos) << c.bytes;
    }
}

TEST(InfoMail, ClockUsesTheWholeTickCountAndTheUsersDecimalSeparator)
{
    EXPECT_DOUBLE_EQ(ClockMHzFromTicks(1200000000), 2400.0);
    // 10 GHz over half a second: more ticks than 32 bits hold.
    EXPECT_DOUBLE_EQ(ClockMHzFromTicks(5000000000ull), 10000.0);
    EXPECT_EQ(FormatTwoDecimals(2399.996, ","), "2400,00");
    EXPECT_EQ(FormatTwoDecimals(0.5, "."), "0.50");
    EXPECT_EQ(FormatGroupedNumber(999, " "), "999");
    EXPECT_EQ(FormatGroupedNumber(1000, " "), "1 000");
}

TEST(InfoMail, AddressCarriesSubjectAndBodyUnencoded)
{
    EXPECT_EQ(BuildInfoMailAddress("info@example.com", "Tamarko verze 1.4", "WinXP RAM:1MB "),
        "mailto:info@example.com?subject=Informace o programu Tamarko verze 1.4&body=WinXP RAM:1MB ");
}

}  // namespace
