// Text rules of the INI and settings files that need no Windows call.
#pragma once

#include <string>

// Reads a signed 32-bit integer the way the profile readers do: decimal, or
// hexadecimal after "0x"/"0X" or "$", with an optional sign. Anything else,
// an empty text and an out-of-range value give the default.
int ProfileInteger(const std::string& text, int defaultValue);

// The file name with `extension` (".dat"): an extension of the file-name part
// (after its last dot) is replaced, a name without one gets it appended.
std::string WithExtension(const std::string& path, const std::string& extension);
// The settings files' extension forced on a file name.
std::string ForceDatExtension(const std::string& path);

// The name of a quick button's file: the path without its last four
// characters (the ".dat"), reduced to the text after its last backslash or
// colon. It names the button's hint and its desktop shortcut.
std::string QuickButtonName(const std::string& slotPath);
// The hint of a quick button: "Není přiřazeno" when it is not bound,
// otherwise its file's name.
std::string QuickButtonHint(const std::string& slotPath);
