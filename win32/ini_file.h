// Key-by-key reading of an INI file through the system's private-profile
// functions: section and key names match without regard to case. Writing
// goes through IniFileUpdate, which replaces the file whole or not at all.
#pragma once

#include "core/exception.h"
#include "win32/handle.h"

#include <string>

// A file that exists but cannot be read (another program holds it, access
// is denied): its keys are unknown, which is not the same as absent. The
// message names the file and the reason.
class EFileRead : public Exception {
public:
    EFileRead(const std::string& path, unsigned long code);
    unsigned long Code() const { return code_; }

private:
    unsigned long code_;
};

class IniFile {
public:
    // Opens the file for the reads that follow and holds it open, sharing
    // reads and writes, so that no program can lock it away from them. A
    // missing file, or a folder of that name, reads as empty: every key its
    // default. One that exists but cannot be opened raises EFileRead: the
    // profile functions would give their defaults for it without a word.
    explicit IniFile(std::string path);
    const std::string& Path() const { return path_; }
    bool Exists() const { return static_cast<bool>(held_); }

    // At most 2047 characters of the value; `defaultValue` when missing.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // The value as a signed integer (decimal, 0x or $ hexadecimal), or the
    // default when it is missing or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;
    bool ValueExists(const std::string& section, const std::string& key) const;

private:
    std::string path_;
    Handle held_;
};
