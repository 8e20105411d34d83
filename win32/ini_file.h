// Key-by-key reading of an INI file through the system's private-profile
// functions: section and key names match without regard to case. Writing
// goes through IniFileUpdate, which replaces the file whole or not at all.
#pragma once

#include <string>

class IniFile {
public:
    explicit IniFile(std::string path)
        : path_(std::move(path))
    {
    }
    const std::string& Path() const { return path_; }

    // At most 2047 characters of the value; `defaultValue` when missing.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // The value as a signed integer (decimal, 0x or $ hexadecimal), or the
    // default when it is missing or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

private:
    std::string path_;
};

// The failure of a write to an INI file.
std::string UnableToWriteMessage(const std::string& path);
