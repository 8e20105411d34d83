// Values read from the settings files: integers against an oracle written
// here from the documented rules, the ".dat" file names and the hints of the
// quick buttons.
//
// Input: the value text, given to every function.
#include "core/profile_values.h"
#include "fuzz/fuzz_check.h"

#include <optional>

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 99;
}

// Leading spaces, a sign, "$" or "0x"/"0X" for hexadecimal (a 32-bit pattern
// that the sign negates), decimal within the signed 32-bit range.
std::optional<std::int32_t> OracleInteger(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.substr(0, 1) == "$") {
        base = 16;
        text.remove_prefix(1);
    } else if (text.substr(0, 2) == "0x" || text.substr(0, 2) == "0X") {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        if (DigitValue(c) >= base)
            return std::nullopt;
    }
    while (text.size() > 1 && text.front() == '0')
        text.remove_prefix(1);
    if (text.size() > (base == 16 ? 8u : 10u))
        return std::nullopt;
    const unsigned long long magnitude = std::stoull(std::string(text), nullptr, base);
    if (base == 16) {
        const std::uint32_t pattern = static_cast<std::uint32_t>(magnitude);
        return static_cast<std::int32_t>(negative ? 0u - pattern : pattern);
    }
    if (magnitude > (negative ? 2147483648ull : 2147483647ull))
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude));
}

bool EndsWith(const std::string& text, std::string_view end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

void CheckDatExtension(const std::string& path)
{
    const std::string forced = ForceDatExtension(path);
    const auto nameStart = path.find_last_of("\\/:") + 1;  // 0 without a separator
    const std::string name = path.substr(nameStart);
    const auto dot = name.rfind('.');
    const std::string expected
        = path.substr(0, nameStart) + (dot == std::string::npos ? name : name.substr(0, dot)) + ".dat";
    FUZZ_CHECK(forced == expected);
    FUZZ_CHECK(ForceDatExtension(forced) == forced);
}

void CheckQuickButton(const std::string& slotPath)
{
    const std::string name = QuickButtonName(slotPath);
    FUZZ_CHECK(name.find_first_of("\\:") == std::string::npos);
    const std::string stem = slotPath.size() > 4 ? slotPath.substr(0, slotPath.size() - 4) : std::string();
    FUZZ_CHECK(EndsWith(stem, name));
    FUZZ_CHECK(name.size() == stem.size() || stem[stem.size() - name.size() - 1] == '\\'
        || stem[stem.size() - name.size() - 1] == ':');

    // "Není přiřazeno" in code page 1250 bytes, whatever this file's literals are.
    const std::string unbound = "Nen\xED p\xF8i\xF8"
                                "azeno";
    FUZZ_CHECK(QuickButtonHint(slotPath) == (slotPath.empty() ? unbound : name));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    const auto number = OracleInteger(text);
    // Two defaults, so that a number equal to one default cannot hide.
    FUZZ_CHECK(ProfileInteger(text, 12345) == number.value_or(12345));
    FUZZ_CHECK(ProfileInteger(text, -1) == number.value_or(-1));

    CheckDatExtension(text);
    CheckQuickButton(text);
    return 0;
}
