// The one check for every address-like field: a dotted IPv4 address of four
// decimal parts 0-255, with spaces allowed around the parts.
#pragma once

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
