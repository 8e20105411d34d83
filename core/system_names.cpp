// Colour depth, Windows version and product version as short texts.
#include "core/system_names.h"

#include <cstdio>

namespace {

const char kUnknownVersion[] = "nerozpoznáno";

// Spaces and control characters; the service-pack text of some systems comes
// padded with them.
bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

std::string TrimBlanks(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && IsBlank(text[first]))
        ++first;
    while (last > first && IsBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string Windows9xName(unsigned long minor, const std::string& servicePack)
{
    if (minor <= 9)
        return servicePack == "B" || servicePack == "C" ? "Win95OSR2" : "Win95";
    if (minor <= 89)
        return servicePack == "A" ? "Win98SE" : "Win98";
    if (minor == 90)
        return "WinME";
    return kUnknownVersion;
}

std::string WindowsNtName(unsigned long major, unsigned long minor)
{
    switch (major) {
    case 3:
        // NT 3.1 and 3.5 report their minor number as 10 and 50.
        if (minor == 1 || minor == 10)
            return "WinNT31";
        if (minor == 5 || minor == 50)
            return "WinNT35";
        if (minor == 51)
            return "WinNT351";
        return kUnknownVersion;
    case 4:
        return "WinNT4";
    case 5:
        if (minor == 0)
            return "Win2000";
        if (minor == 1)
            return "WinXP";
        if (minor == 2)
            return "Win2003";
        return kUnknownVersion;
    default:
        return kUnknownVersion;
    }
}

}  // namespace

std::string ColorDepthName(int bitsPerPixel, int planes)
{
    // Anything above 32 bits cannot match a listed count (the planes would
    // have to be a fraction), and shifting that far is undefined.
    if (bitsPerPixel < 0 || bitsPerPixel > 32)
        return "není";
    const long long colours = (1LL << bitsPerPixel) * planes;  // at most 2^32 * 2^31: fits
    switch (colours) {
    case 16LL:
        return "16 barev";
    case 256LL:
        return "256 barev";
    case 65536LL:
        return "16 bitů";
    case 16777216LL:
        return "24 bitů";
    case 4294967296LL:
        return "32 bitů";
    default:
        return "není";
    }
}

std::string WindowsVersionName(
    unsigned long platformId, unsigned long major, unsigned long minor, const std::string& servicePack)
{
    switch (platformId) {
    case 1:
        return Windows9xName(minor, TrimBlanks(servicePack));
    case 2:
        return WindowsNtName(major, minor);
    default:
        return kUnknownVersion;
    }
}

std::string ProductVersionText(std::uint32_t productVersionMS)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u", static_cast<unsigned>(productVersionMS >> 16),
        static_cast<unsigned>(productVersionMS & 0xFFFFu));
    return text;
}
