// The system calls behind the about box's texts; the naming rules themselves
// live in sysinfo_names.
#include "core/sysinfo.h"

#include "core/sysinfo_names.h"

#include <algorithm>
#include <vector>

namespace {

// Windows allows paths of about 32,767 characters; a buffer beyond that
// means the call keeps failing for another reason.
const DWORD kLongestModulePath = 65536;

}  // namespace

std::string GetExeDirectory()
{
    // A path that does not fit is cut without a terminating zero, and the
    // call returns the buffer's size (Windows XP sets no error code then),
    // so a full buffer is the only sign that a bigger one is needed.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0)
            return std::string();
        if (length < size) {
            const std::string path(buffer.data(), length);
            return path.substr(0, path.find_last_of('\\') + 1);
        }
        if (size >= kLongestModulePath)
            return std::string();
        buffer.resize(size * 2);
    }
}

std::string GetColorDepthName(HDC dc)
{
    return ColorDepthName(GetDeviceCaps(dc, BITSPIXEL), GetDeviceCaps(dc, PLANES));
}

std::string GetProductVersionText(const std::string& path)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0)
        return std::string();
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, data.data()))
        return std::string();

    void* block = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(data.data(), "\\", &block, &length) || block == nullptr || length < sizeof(VS_FIXEDFILEINFO))
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
