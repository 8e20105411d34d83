// The system calls behind the about box's texts; the naming rules themselves
// live in core/system_names.
#include "win32/system_info.h"

#include "core/system_names.h"
#include "win32/file_name.h"
#include "win32/late_binding.h"
#include "win32/program_path.h"

#include <algorithm>
#include <vector>

std::string GetExeDirectory()
{
    try {
        const std::string path = ProgramPath();
        return path.substr(0, path.find_last_of('\\') + 1);
    } catch (const EFileName&) {
        // A folder no ANSI call can name: the dialogs start where they like.
        // Anything else (memory refused) is said: a tool looked for beside
        // the program must not quietly be another one.
        return std::string();
    }
}

std::string GetColorDepthName(HDC dc)
{
    return ColorDepthName(GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES));
}

std::string GetProductVersionText(const std::string& path)
{
    // Only the about box asks, so version.dll is loaded only then (and
    // looked for again next time when it could not be loaded).
    const auto getSize = LateFunction<decltype(&GetFileVersionInfoSizeA)>("version.dll", "GetFileVersionInfoSizeA");
    const auto getInfo = LateFunction<decltype(&GetFileVersionInfoA)>("version.dll", "GetFileVersionInfoA");
    const auto queryValue = LateFunction<decltype(&VerQueryValueA)>("version.dll", "VerQueryValueA");
    if (!getSize || !getInfo || !queryValue)
        return std::string();
    DWORD ignored = 0;
    const DWORD size = getSize(path.c_str(), &ignored);
    if (size == 0)
        return std::string();
    std::vector<char> data(size);
    if (!getInfo(path.c_str(), 0, size, data.data()))
        return std::string();

    void* block = nullptr;
    UINT length = 0;
    if (!queryValue(data.data(), "\\", &block, &length) || block == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return std::string();
    const auto* info = static_cast<const VS_FIXEDFILEINFO*>(block);
    if (info->dwSignature != VS_FFI_SIGNATURE)
        return std::string();
    return ProductVersionText(info->dwProductVersionMS);
}

std::string GetWindowsVersionName()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return WindowsVersionName(0, 0, 0, std::string());
    // The service-pack text need not be terminated when it fills its field.
    const char* const begin = info.szCSDVersion;
    const std::string servicePack(begin, std::find(begin, begin + sizeof info.szCSDVersion, '\0'));
    return WindowsVersionName(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion, servicePack);
}
