// The settings file (.dat): one complete set of the main window's connection
// settings, kept in section "Nastavení" of an INI file.
#pragma once

#include <string>

struct ConnectionSettings {
    std::string ip, mask, gateway, dns, dns2;
    bool manual = false;
    bool automatic = true;
    bool proxy = false;
    std::string proxyAddress, proxyPort;
};

// True only for a file; a folder of that name counts as missing.
bool SettingsFileExists(const std::string& path);

// The ten values of the file. A missing key, section or file gives the
// default of its value (empty texts, automatic addressing, no proxy), a flag
// that is not a number too. Texts come back with at most 2047 characters.
ConnectionSettings ReadSettingsFile(const std::string& path);

// Writes the ten keys, replacing them in place and leaving every other key
// and section as it was. The first write that fails raises
// "Unable to write to <path>", and the remaining keys are not written.
void WriteSettingsFile(const std::string& path, const ConnectionSettings& settings);
