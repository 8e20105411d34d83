// Integer values, file names and button hints of the settings files.
#include "core/profile_values.h"

#include <cstdint>

namespace {

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

// Leading spaces are skipped and trailing ones make the text not a number, as
// the classic string-to-integer routines of profile readers do; Windows has
// normally stripped both before we see the value. Hexadecimal is a 32-bit
// pattern, so "0xFFFFFFFF" is -1 and a sign negates the pattern; decimal must
// lie within the signed 32-bit range.
int ProfileInteger(const std::string& text, int defaultValue)
{
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string::npos)
        return defaultValue;

    bool negative = false;
    if (text[at] == '-' || text[at] == '+') {
        negative = text[at] == '-';
        ++at;
    }

    unsigned base = 10;
    if (at < text.size() && text[at] == '$') {
        base = 16;
        ++at;
    } else if (at + 1 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X')) {
        base = 16;
        at += 2;
    }
    if (at == text.size())
        return defaultValue;

    // The limit on the magnitude; checked per digit, so no length overflows.
    const std::uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    std::uint64_t magnitude = 0;
    for (; at < text.size(); ++at) {
        const int digit = HexDigitValue(text[at]);
        if (digit < 0 || static_cast<unsigned>(digit) >= base)
            return defaultValue;
        magnitude = magnitude * base + static_cast<unsigned>(digit);
        if (magnitude > limit)
            return defaultValue;
    }

    std::uint32_t pattern = static_cast<std::uint32_t>(magnitude);
    if (negative)
        pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
}

std::string WithExtension(const std::string& path, const std::string& extension)
{
    const std::size_t nameStart = [&] {
        const std::size_t separator = path.find_last_of("\\/:");
        return separator == std::string::npos ? 0 : separator + 1;
    }();
    const std::size_t dot = path.rfind('.');
    // A dot left of the name part belongs to a folder, not to the name. A
    // name ending in a dot has an empty extension, replaced like any other.
    if (dot == std::string::npos || dot < nameStart)
        return path + extension;
    return path.substr(0, dot) + extension;
}

std::string ForceDatExtension(const std::string& path)
{
    return WithExtension(path, ".dat");
}

std::string QuickButtonName(const std::string& slotPath)
{
    // The last four characters are taken to be ".dat" without looking.
    const std::string stem = slotPath.size() > 4 ? slotPath.substr(0, slotPath.size() - 4) : std::string();
    const std::size_t separator = stem.find_last_of("\\:");
    return separator == std::string::npos ? stem : stem.substr(separator + 1);
}

std::string QuickButtonHint(const std::string& slotPath)
{
    return slotPath.empty() ? "Není přiřazeno" : QuickButtonName(slotPath);
}
