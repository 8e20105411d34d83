#include "win32/proxy_settings.h"

#include "win32/registry.h"

namespace {

const char kRoot[] = "HKCU";
const char kKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
const char kEnable[] = "ProxyEnable";
const char kServer[] = "ProxyServer";

// A value that cannot be read as asked leaves its message instead.
template <typename Read>
auto ReadValue(Read read, decltype(read()) missing, std::string& problem) -> std::optional<decltype(read())>
{
    try {
        auto value = read();
        if (value == missing)
            return std::nullopt;
        return value;
    } catch (const ERegistryException& error) {
        problem = error.Message();
        return std::nullopt;
    }
}

}  // namespace

ProxyRegistryValues ReadProxySettings()
{
    ProxyRegistryValues values;
    values.enable = ReadValue([] { return RegReadInteger(kRoot, kKey, kEnable); }, -1, values.enableProblem);
    // An empty text and a missing value read alike: neither shows anything.
    values.server = ReadValue([] { return RegReadString(kRoot, kKey, kServer); }, std::string(), values.serverProblem);
    return values;
}

ProxyWritten WriteProxySettings(const ProxyWrite& write)
{
    ProxyWritten written;
    const RegSavedValue before = RegSaveValue(kRoot, kKey, kEnable);
    const bool keepEnable = write.keepEnable && before.exists;
    const bool keepServer = write.keepServer && RegSaveValue(kRoot, kKey, kServer).exists;
    if (!keepEnable) {
        RegWriteInteger(kRoot, kKey, kEnable, write.enable, false);
        written.enable = write.enable;
    }
    if (keepServer)
        return written;
    try {
        RegWriteString(kRoot, kKey, kServer, write.server, false);
    } catch (const std::exception&) {
        // A switch without its server would send Internet Explorer to the old
        // server, or to none.
        if (!keepEnable)
            RegRestoreValue(kRoot, kKey, kEnable, before);
        throw;
    }
    written.server = write.server;
    return written;
}
