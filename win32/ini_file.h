// Key-by-key access to an INI file through the system's private-profile
// functions: section and key names match without regard to case, and a
// write that the system refuses is raised as "Unable to write to <file>".
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

    void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
    void WriteInteger(const std::string& section, const std::string& key, int value) const;
    void WriteBool(const std::string& section, const std::string& key, bool value) const;

private:
    std::string path_;
};

// The failure of a profile write.
std::string UnableToWriteMessage(const std::string& path);
