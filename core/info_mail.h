// The short report on the user's system that the about box mails: one
// line of pieces separated by spaces, and the mailto: address that carries it.
#pragma once

#include <cstdint>
#include <string>

struct InfoMailPieces {
    std::string windowsName;           // "WinXP"
    std::uint64_t totalPhysicalBytes;  // as the memory status reports it
    double clockMHz;
    int screenWidth, screenHeight;  // full-screen client area, the height with a caption
    std::string colorDepth;         // "32 bitů"
    int pixelsPerInch;
    std::string exeDirectory;      // with its trailing backslash
    std::string modificationTime;  // the executable's, already formatted
};

// The user's separators for numbers.
struct NumberSeparators {
    std::string thousands;  // between groups of three digits
    std::string decimal;
};

// A whole number with separated thousands; nothing at all for zero (the
// digits of the report's pattern are all optional).
std::string FormatGroupedNumber(std::uint64_t value, const std::string& thousandsSeparator);
// Two decimals with the user's decimal separator.
std::string FormatTwoDecimals(double value, const std::string& decimalSeparator);

// The clock from the time-stamp counter's ticks over half a second.
double ClockMHzFromTicks(std::uint64_t ticksInHalfASecond);

// "WinXP RAM:1 023MB CPU:2400,00MHz Obrazovka:1024x768 32 bitů DPI:96 Cesta:C:\...\ Čas:... "
std::string BuildInfoMailBody(const InfoMailPieces& pieces, const NumberSeparators& separators);

// "mailto:<to>?subject=Informace o programu <heading>&body=<body>", nothing
// encoded: mail programs of the time take the text as it stands.
std::string BuildInfoMailAddress(const std::string& to, const std::string& heading, const std::string& body);
