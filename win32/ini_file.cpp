#include "win32/ini_file.h"

#include "core/file_messages.h"
#include "core/profile_values.h"

#include <windows.h>

#include <cstdio>

namespace {

const DWORD kValueBuffer = 2048;

}  // namespace

EFileRead::EFileRead(const std::string& path, unsigned long code)
    : Exception(CannotReadFileMessage(path, code))
    , code_(code)
{
}

IniFile::IniFile(std::string path)
    : path_(std::move(path))
{
    held_.Reset(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (held_)
        return;
    const DWORD error = GetLastError();
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    const bool missing = attributes == INVALID_FILE_ATTRIBUTES
        ? error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
        : (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (!missing)
        throw EFileRead(path_, error);
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
