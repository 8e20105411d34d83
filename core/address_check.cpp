#include "core/address_check.h"

std::string TrimSpaces(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string TakeNextPart(std::string& rest, char delimiter)
{
    std::string part;
    const auto at = rest.find(delimiter);
    if (at == std::string::npos) {
        part = rest;
        rest.clear();
    } else {
        part = rest.substr(0, at);
        rest = rest.substr(at + 1);
    }
    rest = TrimSpaces(rest);
    return TrimSpaces(part);
}

bool IsValidOctet(const std::string& part)
{
    if (part.empty())
        return false;
    // Any number of leading zeros; beyond that the value only has to stay
    // within 255, so a digit string too long for 32 bits is simply too big.
    long long value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
        if (value > 255)
            return false;
    }
    return true;
}

bool IsValidAddress(const std::string& text)
{
    std::string rest = text;
    for (int i = 0; i < 3; ++i) {
        if (!IsValidOctet(TakeNextPart(rest, '.')))
            return false;
    }
    return IsValidOctet(rest);
}

std::optional<std::uint32_t> AddressValue(const std::string& text)
{
    if (!IsValidAddress(text))
        return std::nullopt;
    std::string rest = text;
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        const std::string part = i < 3 ? TakeNextPart(rest, '.') : rest;
        // Valid parts are at most 255, whatever their leading zeros.
        value = (value << 8) | static_cast<std::uint32_t>(std::stoul(part));
    }
    return value;
}

std::string DottedAddress(std::uint32_t value)
{
    return std::to_string(value >> 24) + '.' + std::to_string((value >> 16) & 0xFF) + '.'
        + std::to_string((value >> 8) & 0xFF) + '.' + std::to_string(value & 0xFF);
}

std::string PlainAddress(const std::string& text)
{
    const std::optional<std::uint32_t> value = AddressValue(text);
    return value ? DottedAddress(*value) : text;
}
