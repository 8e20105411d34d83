// The one check for every address-like field: a dotted IPv4 address of four
// decimal parts 0-255, with spaces allowed around the parts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The text without its leading and trailing U+0020 spaces (no other blanks).
std::string TrimSpaces(const std::string& text);
// The text before the first delimiter; `rest` becomes the text after it (or
// empty when there is none). Both come back trimmed of spaces.
std::string TakeNextPart(std::string& rest, char delimiter);
// One part: one or more ASCII digits with a value of at most 255.
bool IsValidOctet(const std::string& part);
// Exactly four valid parts separated by three dots.
bool IsValidAddress(const std::string& text);

// The value of an address the check accepts, its first part highest; nothing
// for any other text.
std::optional<std::uint32_t> AddressValue(const std::string& text);
// The plain decimal form of an accepted address ("192.168.10.21" for
// " 192.168.010.021"). netsh splits at spaces, and Windows' own parsers read
// a part with a leading zero as octal: only this form means to them what the
// user meant. Any other text ("none") comes back as it is.
std::string PlainAddress(const std::string& text);
// The dotted form of a value.
std::string DottedAddress(std::uint32_t value);
