#include "win32/ini_file.h"

#include "core/exception.h"
#include "core/profile_values.h"

#include <windows.h>

#include <cstdio>

namespace {

const DWORD kValueBuffer = 2048;

}  // namespace

std::string UnableToWriteMessage(const std::string& path)
{
    return "Unable to write to " + path;
}

std::string IniFile::ReadString(
    const std::string& section, const std::string& key, const std::string& defaultValue) const
{
    char buffer[kValueBuffer];
    const DWORD length = GetPrivateProfileStringA(
        section.c_str(), key.c_str(), defaultValue.c_str(), buffer, kValueBuffer, path_.c_str());
    return std::string(buffer, length);
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const
{
    // No real value can hold a line break, so this default cannot be mistaken.
    static const char kMissing[] = "\n";
    return ReadString(section, key, kMissing) != kMissing;
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int defaultValue) const
{
    return ProfileInteger(ReadString(section, key, ""), defaultValue);
}

bool IniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}
