// Dotted IPv4 addresses as netsh accepts them: four decimal parts 0-255,
// leading zeros allowed, nothing else (no blanks, no signs).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace netsim {

std::optional<std::uint32_t> ParseAddress(std::string_view text);
std::string FormatAddress(std::uint32_t address);

// The address in its plain form (192.168.001.010 -> 192.168.1.10).
std::optional<std::string> NormaliseAddress(std::string_view text);

// As netsh reads an address on its command line: Windows' own parser takes a
// part with a leading zero as octal (010 is 8, 08 is no number).
std::optional<std::string> NormaliseCommandAddress(std::string_view text);

}  // namespace netsim
