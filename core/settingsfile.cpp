// Reading and writing the settings file key by key through the profile
// functions.
#include "core/settingsfile.h"

#include "core/inifile.h"

#include <windows.h>

namespace {

const char kSection[] = "Nastavení";

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= 0x20;
}

bool IsQuote(char c)
{
    return c == '"' || c == '\'';
}

// Texts are meant to come back exactly as typed, but the profile functions
// lose some of them:
// - blanks around a value are trimmed (by Wine when writing, by Windows when
//   reading), and one pair of single or double quotes enclosing a value is
//   dropped when reading. Such a text is written inside one more pair of
//   double quotes, which the reader takes off again; since the reader
//   removes exactly one pair, this holds for texts that are themselves
//   quoted. Every other text is written bare, as typed.
// - a line break cannot be stored: the reader would take the text after it
//   for a key or section of its own. The text ends at the first one, where a
//   single-line field cuts a pasted text too.
std::string StorableText(const std::string& text)
{
    const std::string line = text.substr(0, text.find_first_of("\r\n"));
    if (line.empty())
        return line;
    const char first = line.front();
    const char last = line.back();
    if (IsBlank(first) || IsBlank(last) || IsQuote(first) || IsQuote(last))
        return '"' + line + '"';
    return line;
}

// For a name without a folder part the profile functions use the Windows
// folder, while the existence check looks in the current folder. Resolving
// it first makes both mean the same file.
std::string ProfilePath(const std::string& path)
{
    if (path.empty() || path.find_first_of("\\/") != std::string::npos)
        return path;
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::string full(needed, '\0');
    const DWORD length = GetFullPathNameA(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return path;
    full.resize(length);
    return full;
}

}  // namespace

bool SettingsFileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ConnectionSettings ReadSettingsFile(const std::string& path)
{
    const IniFile file(ProfilePath(path));
    ConnectionSettings settings;
    settings.ip = file.ReadString(kSection, "ip", "");
    settings.mask = file.ReadString(kSection, "maska", "");
    settings.gateway = file.ReadString(kSection, "brana", "");
    settings.dns = file.ReadString(kSection, "dns", "");
    settings.dns2 = file.ReadString(kSection, "dns2", "");
    settings.manual = file.ReadBool(kSection, "rucne", false);
    settings.automatic = file.ReadBool(kSection, "auto", true);
    settings.proxy = file.ReadBool(kSection, "proxy", false);
    settings.proxyAddress = file.ReadString(kSection, "proxyIP", "");
    settings.proxyPort = file.ReadString(kSection, "proxyPort", "");
    return settings;
}

// A key found twice in the section is read and replaced at its first place
// only; the later copies are left as they are, so what is written is what is
// read back.
void WriteSettingsFile(const std::string& path, const ConnectionSettings& settings)
{
    const IniFile file(ProfilePath(path));
    file.WriteString(kSection, "IP", StorableText(settings.ip));
    file.WriteString(kSection, "maska", StorableText(settings.mask));
    file.WriteString(kSection, "brana", StorableText(settings.gateway));
    file.WriteString(kSection, "dns", StorableText(settings.dns));
    file.WriteString(kSection, "dns2", StorableText(settings.dns2));
    file.WriteBool(kSection, "rucne", settings.manual);
    file.WriteBool(kSection, "auto", settings.automatic);
    file.WriteBool(kSection, "proxy", settings.proxy);
    file.WriteString(kSection, "proxyIP", StorableText(settings.proxyAddress));
    file.WriteString(kSection, "proxyPort", StorableText(settings.proxyPort));
}
