// One named value of one registry key, by root name, key path and value name.
// Each call opens the key, reads or writes, and closes it again.
#pragma once

#include "core/exception.h"

#include <string>

// A registry value that cannot be read or written as asked.
class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

// Roots are "HKCU", "HKCR" and "HKLM", compared exactly; anything else is
// HKEY_CURRENT_USER.

// The REG_SZ or REG_EXPAND_SZ value (unexpanded); empty when the key or the
// value is missing. Another type raises "Hodnota „<name>“ v registru má
// neplatný datový typ".
std::string RegReadString(const std::string& root, const std::string& key, const std::string& name);
// The REG_DWORD value; -1 when the key or the value is missing. A value
// longer than four bytes, of any type, raises "Hodnotu „<name>“ nelze z
// registru přečíst"; a shorter one of another type the wrong type's message.
int RegReadInteger(const std::string& root, const std::string& key, const std::string& name);
// Writes a REG_SZ value (creating the key), or deletes the value when
// `deleteValue` is set. A refused write raises "Hodnotu „<name>“ nelze do
// registru zapsat", with Windows' reason.
void RegWriteString(const std::string& root, const std::string& key, const std::string& name, const std::string& value,
    bool deleteValue);
// The same for a REG_DWORD value.
void RegWriteInteger(
    const std::string& root, const std::string& key, const std::string& name, int value, bool deleteValue);

// A value as it stands, of whatever type, or its absence: what a write that
// has to be undone puts back.
struct RegSavedValue {
    bool exists = false;
    unsigned long type = 0;
    std::string data;
};
RegSavedValue RegSaveValue(const std::string& root, const std::string& key, const std::string& name);
// Puts the value back as saved (or deletes it); a refusal goes unreported,
// there being nothing left to do about it.
void RegRestoreValue(
    const std::string& root, const std::string& key, const std::string& name, const RegSavedValue& saved) noexcept;
