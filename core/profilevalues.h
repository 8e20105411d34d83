// Text rules of the INI and settings files that need no Windows call.
#pragma once

#include <string>

// Reads a signed 32-bit integer the way the profile readers do: decimal, or
// hexadecimal after "0x"/"0X" or "$", with an optional sign. Anything else,
// an empty text and an out-of-range value give the default.
int ProfileInteger(const std::string& text, int defaultValue);

// Forces the ".dat" extension on a file name: an extension of the file-name
// part (after its last dot) is replaced, a name without one gets ".dat".
std::string ForceDatExtension(const std::string& path);

// The hint of a quick button: "Není přiřazeno" for an empty path; otherwise the
// path without its last four characters, reduced to the text after its last
// backslash or colon.
std::string QuickButtonHint(const std::string& slotPath);
