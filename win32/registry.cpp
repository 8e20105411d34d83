// Registry reads and writes of single values, each opening and closing its key.
#include "win32/registry.h"

#include "core/file_messages.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

HKEY RootKey(const std::string& root)
{
    if (root == "HKCU")
        return HKEY_CURRENT_USER;
    if (root == "HKCR")
        return HKEY_CLASSES_ROOT;
    if (root == "HKLM")
        return HKEY_LOCAL_MACHINE;
    return HKEY_CURRENT_USER;
}

// An open key, or none when it could not be opened; closed on every path.
class RegKey {
public:
    enum Mode { kExisting, kCreate };
    RegKey(const std::string& root, const std::string& path, Mode mode)
    {
        const LONG result = mode == kCreate ? RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                                            : RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_ALL_ACCESS, &key_);
        if (result != ERROR_SUCCESS)
            key_ = nullptr;
        result_ = result;
        missing_ = result == ERROR_FILE_NOT_FOUND;
    }
    ~RegKey()
    {
        if (key_)
            RegCloseKey(key_);
    }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    HKEY get() const { return key_; }
    // Not opened because it is not there, rather than refused.
    bool Missing() const { return missing_; }
    LONG Result() const { return result_; }

private:
    HKEY key_ = nullptr;
    LONG result_ = ERROR_SUCCESS;
    bool missing_ = false;
};

enum class Refused { Read, Write, Type };

// The registry's refusal in the user's words; the reason where Windows gave
// a number for it.
[[noreturn]] void Fail(Refused what, const std::string& name, LONG code = ERROR_SUCCESS)
{
    std::string message;
    switch (what) {
    case Refused::Read:
        message = "Hodnotu „" + name + "“ nelze z registru přečíst";
        break;
    case Refused::Write:
        message = "Hodnotu „" + name + "“ nelze do registru zapsat";
        break;
    case Refused::Type:
        message = "Hodnota „" + name + "“ v registru má neplatný datový typ";
        break;
    }
    if (code != ERROR_SUCCESS)
        message += ": " + FileErrorReason(static_cast<unsigned long>(code));
    throw ERegistryException(message);
}

struct ValueInfo {
    bool exists = false;
    DWORD type = REG_NONE;
    DWORD size = 0;
};

// Type and size of a value; a missing key or value is simply absent.
ValueInfo QueryValueInfo(HKEY key, const std::string& name)
{
    ValueInfo info;
    if (!key)
        return info;
    const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &info.type, nullptr, &info.size);
    if (result == ERROR_FILE_NOT_FOUND)
        return info;
    if (result != ERROR_SUCCESS)
        Fail(Refused::Read, name, result);
    info.exists = true;
    return info;
}

bool IsStringType(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ;
}

void WriteValue(const std::string& root, const std::string& path, const std::string& name, DWORD type, const void* data,
    DWORD size, bool deleteValue)
{
    // The key is created even for a deletion; a failed open shows up as a
    // refused write.
    const RegKey key(root, path, RegKey::kCreate);
    if (deleteValue) {
        // Deleting what is not there is not worth an error.
        if (key.get())
            RegDeleteValueA(key.get(), name.c_str());
        return;
    }
    if (!key.get())
        Fail(Refused::Write, name, key.Result());
    const LONG result = RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    if (result != ERROR_SUCCESS)
        Fail(Refused::Write, name, result);
}

}  // namespace

std::string RegReadString(const std::string& root, const std::string& path, const std::string& name)
{
    const RegKey key(root, path, RegKey::kExisting);
    const ValueInfo info = QueryValueInfo(key.get(), name);
    if (!info.exists)
        return std::string();
    if (!IsStringType(info.type))
        Fail(Refused::Type, name);

    // Sized by the query, so a value of any length is read whole; it may
    // grow between the two calls, hence the loop.
    std::vector<char> data(info.size + 1);
    for (;;) {
        DWORD type = REG_NONE;
        DWORD size = static_cast<DWORD>(data.size());
        const LONG result
            = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
        if (result == ERROR_MORE_DATA) {
            data.resize(size + 1);
            continue;
        }
        if (result == ERROR_FILE_NOT_FOUND)
            return std::string();
        if (result != ERROR_SUCCESS)
            Fail(Refused::Read, name, result);
        if (!IsStringType(type))
            Fail(Refused::Type, name);
        // Stored strings need not end in a NUL and may hold several; the
        // text is what comes before the first.
        const std::size_t length = std::min<std::size_t>(size, data.size());
        return std::string(data.data(), strnlen(data.data(), length));
    }
}

int RegReadInteger(const std::string& root, const std::string& path, const std::string& name)
{
    const RegKey key(root, path, RegKey::kExisting);
    const ValueInfo info = QueryValueInfo(key.get(), name);
    if (!info.exists)
        return -1;
    // A value longer than four bytes does not fit the integer whatever its
    // type: the registry refuses the read before anyone looks at the type.
    if (info.size > sizeof(DWORD))
        Fail(Refused::Read, name);
    if (info.type != REG_DWORD)
        Fail(Refused::Type, name);
    if (info.size != sizeof(DWORD))
        Fail(Refused::Read, name);

    DWORD value = 0;
    DWORD type = REG_NONE;
    DWORD size = sizeof value;
    const LONG result
        = RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result != ERROR_SUCCESS || size != sizeof value)
        Fail(Refused::Read, name);
    if (type != REG_DWORD)
        Fail(Refused::Type, name);
    return static_cast<int>(value);
}

void RegWriteString(const std::string& root, const std::string& path, const std::string& name, const std::string& value,
    bool deleteValue)
{
    // A REG_SZ ends at its first NUL; the terminator is part of the data.
    const DWORD size = static_cast<DWORD>(std::strlen(value.c_str()) + 1);
    WriteValue(root, path, name, REG_SZ, value.c_str(), size, deleteValue);
}

void RegWriteInteger(
    const std::string& root, const std::string& path, const std::string& name, int value, bool deleteValue)
{
    const DWORD data = static_cast<DWORD>(value);
    WriteValue(root, path, name, REG_DWORD, &data, sizeof data, deleteValue);
}

RegSavedValue RegSaveValue(const std::string& root, const std::string& path, const std::string& name)
{
    RegSavedValue saved;
    const RegKey key(root, path, RegKey::kExisting);
    // What cannot be read could not be put back.
    if (!key.get() && !key.Missing())
        Fail(Refused::Read, name, key.Result());
    const ValueInfo info = QueryValueInfo(key.get(), name);
    if (!info.exists)
        return saved;
    saved.data.resize(info.size);
    DWORD type = REG_NONE;
    DWORD size = info.size;
    if (RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(saved.data.data()), &size)
        != ERROR_SUCCESS)
        Fail(Refused::Read, name);
    saved.exists = true;
    saved.type = type;
    saved.data.resize(size);
    return saved;
}

void RegRestoreValue(
    const std::string& root, const std::string& path, const std::string& name, const RegSavedValue& saved) noexcept
{
    const RegKey key(root, path, RegKey::kExisting);
    if (!key.get())
        return;
    if (saved.exists)
        RegSetValueExA(key.get(), name.c_str(), 0, saved.type, reinterpret_cast<const BYTE*>(saved.data.data()),
            static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(key.get(), name.c_str());
}
