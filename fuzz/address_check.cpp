// The address check against an oracle written here from its rules: four
// parts split at the dots, each trimmed of spaces, digits only, at most 255
// with any number of leading zeros. Also the contracts of its helpers.
//
// Input: the text to check.
#include "core/address_check.h"
#include "fuzz/fuzz_check.h"

namespace {

std::string_view WithoutSpacesAround(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

bool OracleOctet(std::string_view part)
{
    if (part.empty())
        return false;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return false;
    }
    while (part.size() > 1 && part.front() == '0')
        part.remove_prefix(1);
    return part.size() <= 3 && std::stoi(std::string(part)) <= 255;
}

bool OracleAddress(std::string_view text)
{
    const auto parts = SplitAt(text, '.');
    if (parts.size() != 4)
        return false;
    for (const auto& part : parts) {
        if (!OracleOctet(WithoutSpacesAround(part)))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    FUZZ_CHECK(IsValidAddress(text) == OracleAddress(text));
    FUZZ_CHECK(IsValidOctet(text) == OracleOctet(text));
    FUZZ_CHECK(TrimSpaces(text) == WithoutSpacesAround(text));

    // The first part comes off at the first delimiter, both sides trimmed.
    const char delimiter = text.empty() ? '.' : text.front();
    std::string rest = text;
    const std::string part = TakeNextPart(rest, delimiter);
    const auto at = text.find(delimiter);
    if (at == std::string::npos) {
        FUZZ_CHECK(part == WithoutSpacesAround(text));
        FUZZ_CHECK(rest.empty());
    } else {
        FUZZ_CHECK(part == WithoutSpacesAround(std::string_view(text).substr(0, at)));
        FUZZ_CHECK(rest == WithoutSpacesAround(std::string_view(text).substr(at + 1)));
    }
    return 0;
}
