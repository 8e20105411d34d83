// Parsing and formatting of dotted IPv4 addresses.
#include "tools/netsim/address.h"

namespace netsim {

namespace {

std::optional<std::uint32_t> Parse(std::string_view text, bool octalAfterZero)
{
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        std::size_t digits = 0;
        unsigned value = 0;
        const bool octal = octalAfterZero && text.size() > 1 && text[0] == '0' && text[1] >= '0' && text[1] <= '9';
        const unsigned base = octal ? 8 : 10;
        while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
            if (static_cast<unsigned>(text[digits] - '0') >= base)
                return std::nullopt;
            value = value * base + static_cast<unsigned>(text[digits] - '0');
            if (value > 255)
                return std::nullopt;  // also keeps long runs from overflowing
            ++digits;
        }
        if (digits == 0)
            return std::nullopt;
        text.remove_prefix(digits);
        address = (address << 8) | value;
    }
    if (!text.empty())
        return std::nullopt;
    return address;
}

}  // namespace

std::optional<std::uint32_t> ParseAddress(std::string_view text)
{
    return Parse(text, false);
}

std::string FormatAddress(std::uint32_t address)
{
    return std::to_string(address >> 24) + '.' + std::to_string((address >> 16) & 0xFF) + '.'
        + std::to_string((address >> 8) & 0xFF) + '.' + std::to_string(address & 0xFF);
}

std::optional<std::string> NormaliseAddress(std::string_view text)
{
    const auto address = ParseAddress(text);
    if (!address)
        return std::nullopt;
    return FormatAddress(*address);
}

std::optional<std::string> NormaliseCommandAddress(std::string_view text)
{
    const auto address = Parse(text, true);
    if (!address)
        return std::nullopt;
    return FormatAddress(*address);
}

}  // namespace netsim
