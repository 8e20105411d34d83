// What the shell holds for the program under test: its icon in the
// notification area, the desktop and the shortcuts put there.
#include "tests/support/driver.h"

#include <shellapi.h>
#include <shlobj.h>

namespace e2e {

namespace {

template <typename Function> Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

// ole32 is loaded here, so that no test needs its import library.
std::optional<Shortcut> ReadShortcut(const std::string& path)
{
    static const GUID kShellLinkClass = {0x00021401, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const GUID kShellLinkA = {0x000214EE, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    static const GUID kPersistFile = {0x0000010B, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
    const common::ComApartment com;
    HMODULE ole = GetModuleHandleA("ole32.dll");
    using Create = HRESULT(WINAPI*)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*);
    const auto create = ole ? Export<Create>(ole, "CoCreateInstance") : nullptr;
    if (!com.Initialized() || !create)
        return std::nullopt;
    std::optional<Shortcut> result;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(
            create(kShellLinkClass, nullptr, CLSCTX_INPROC_SERVER, kShellLinkA, reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(kPersistFile, reinterpret_cast<void**>(&file)))) {
            const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
            std::wstring wide(static_cast<std::size_t>(length), L'\0');
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
            if (SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
                char target[MAX_PATH * 4] = {}, arguments[MAX_PATH * 4] = {}, folder[MAX_PATH * 4] = {};
                link->GetPath(target, sizeof target, nullptr, 0);
                link->GetArguments(arguments, sizeof arguments);
                link->GetWorkingDirectory(folder, sizeof folder);
                result = Shortcut{target, arguments, folder};
            }
            file->Release();
        }
        link->Release();
    }
    return result;
}

namespace common {

ComApartment::ComApartment()
    : ole_(LoadLibraryA("ole32.dll"))
{
    using Initialize = HRESULT(WINAPI*)(LPVOID);
    if (const auto initialize = ole_ ? Export<Initialize>(ole_, "CoInitialize") : nullptr)
        initialized_ = SUCCEEDED(initialize(nullptr));
}

ComApartment::~ComApartment()
{
    using Uninitialize = void(WINAPI*)();
    if (initialized_)
        Export<Uninitialize>(ole_, "CoUninitialize")();
    if (ole_)
        FreeLibrary(ole_);
}

}  // namespace common

bool TrayHoldsIcon(HWND window, UINT id)
{
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = id;
    return Shell_NotifyIconA(NIM_MODIFY, &icon) != FALSE;
}

std::string DesktopFolder()
{
    char path[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOP, FALSE);
    return path;
}

}  // namespace e2e
