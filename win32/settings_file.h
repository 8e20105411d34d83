// The settings file (.dat): one complete set of the main window's connection
// settings, kept in section "Nastavení" of an INI file.
#pragma once

#include "core/connection_fields.h"

#include <optional>
#include <string>

// True only for a file; a folder of that name counts as missing.
bool SettingsFileExists(const std::string& path);

// The values of every field, key by key in the field table's order. A
// missing key, section or file gives the field's default (an empty text, the
// flag's own default), a flag that is not a number too. Texts come back with
// at most 2047 characters. A file that exists but cannot be read raises
// EFileRead: it is not an empty one.
FieldValues ReadSettingsFile(const std::string& path);
// The same, or nothing when the file holds none of the settings' keys
// (random bytes, another program's INI file): it is no settings file, and
// its defaults would empty the fields.
std::optional<FieldValues> ReadSettingsIfAny(const std::string& path);

// Writes every field's key in the field table's order, replacing the keys in
// place and leaving every other key and section as it was. The file is
// replaced whole or not at all: a write that fails raises "Unable to write
// to <path>" and leaves the file as it was.
void WriteSettingsFile(const std::string& path, const FieldValues& values);
