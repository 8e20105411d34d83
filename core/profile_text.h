// Reading an INI file's text the way the profile functions read it, to check
// that a file they wrote holds what it should: a full disk cuts a file short
// while Wine's profile functions report success.
#pragma once

#include <map>
#include <string>
#include <string_view>

// A section or key name as profile readers compare it: without the blanks
// around it, in lower case (code page 1250).
std::string ProfileName(std::string_view name);

class ProfileText {
public:
    explicit ProfileText(std::string_view text);

    // Whether `key` of `section` holds `value` as a profile reader finds it:
    // the first section of that name, its first key of that name, both
    // matched without regard to case (code page 1250); the value is compared
    // without the blanks around it.
    bool Holds(std::string_view section, std::string_view key, std::string_view value) const;

private:
    // By name in lower case: each section's keys, each key's first value.
    std::map<std::string, std::map<std::string, std::string>> sections_;
};

// Whether `text` reads as text at all: no control characters but tabs and
// line breaks. Random bytes or a binary file given a settings file's name do
// not; keys parsed out of them mean nothing.
bool ReadsAsText(std::string_view text);

// Whether `text` ends whole: in a line break, as every line a profile
// function writes does, or in the last line of `before`, the file as it was,
// whose end a writer that changes lines in place leaves as it stands.
bool ProfileTextEndsWhole(std::string_view text, std::string_view before);
