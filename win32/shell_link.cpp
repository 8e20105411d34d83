// Desktop folder and shell links through the shell's COM object.
#include "win32/shell_link.h"

#include "core/exception.h"
#include "core/file_messages.h"
#include "win32/code_page.h"
#include "win32/os_error.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdio>

namespace {

const char kShellLinkClassId[] = "{00021401-0000-0000-C000-000000000046}";

// Owns one interface pointer and releases it on every way out.
template <typename Interface> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (pointer_)
            pointer_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }
    // For the calls that hand out an interface; only on an empty holder.
    void** Receive() { return reinterpret_cast<void**>(&pointer_); }

private:
    Interface* pointer_ = nullptr;
};

// The system's text for a failure code, made to continue with ", ClassID":
// without its line break and closing full stop. Some systems have no text
// for the COM codes (Wine has none); the code itself is shown then, since an
// empty text before the comma would tell the user nothing.
std::string FailureText(HRESULT result)
{
    std::string text = SystemErrorText(static_cast<DWORD>(result));
    if (text.empty() && HRESULT_FACILITY(result) == FACILITY_WIN32)
        text = SystemErrorText(HRESULT_CODE(result));
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= 0x20 || text.back() == '.'))
        text.pop_back();
    if (text.empty()) {
        char code[32];
        std::snprintf(code, sizeof code, "Chyba 0x%08lX", static_cast<unsigned long>(result));
        text = code;
    }
    return text;
}

// The folder part of the shortcut's path; the shell does not create it when
// saving. Only the last level is attempted, and whether it works shows in
// the save alone.
void CreateLastFolder(const std::wstring& linkPath)
{
    const std::size_t separator = linkPath.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator == 0)
        return;
    const std::wstring folder = linkPath.substr(0, separator);
    if (GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
        CreateDirectoryW(folder.c_str(), nullptr);
}

// Why a save failed, as a user reads it: a file error in Czech, any other
// failure by its code.
std::string SaveFailureReason(HRESULT result)
{
    if (HRESULT_FACILITY(result) == FACILITY_WIN32)
        return FileErrorReason(HRESULT_CODE(result));
    if (result == E_OUTOFMEMORY)
        return FileErrorReason(ERROR_OUTOFMEMORY);
    char code[32];
    std::snprintf(code, sizeof code, "kód chyby 0x%08lX", static_cast<unsigned long>(result));
    return code;
}

}  // namespace

std::wstring GetDesktopFolder()
{
    // Wide: a user name outside the code page would give another folder.
    wchar_t buffer[MAX_PATH + 1] = {};
    if (!SHGetSpecialFolderPathW(nullptr, buffer, CSIDL_DESKTOP, FALSE))
        return std::wstring();
    return buffer;
}

void CreateShellLink(const std::string& workingFolder, const std::string& target, const std::string& arguments,
    const std::wstring& linkPath, const std::string& description, const std::string& iconFile, int iconIndex)
{
    ComPtr<IUnknown> object;
    const HRESULT created = CoCreateInstance(
        CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown, object.Receive());
    if (FAILED(created))
        throw Exception(FailureText(created) + ", ClassID: " + kShellLinkClassId);

    // The settings of the link make no shortcut by themselves; whether there
    // is one shows in the save alone, and a save that fails is said: a user
    // who asked for a shortcut must not look for it in vain.
    ComPtr<IShellLinkA> link;
    ComPtr<IPersistFile> file;
    HRESULT result = object->QueryInterface(IID_IShellLinkA, link.Receive());
    if (SUCCEEDED(result))
        result = object->QueryInterface(IID_IPersistFile, file.Receive());
    if (link && file) {
        link->SetArguments(arguments.c_str());
        link->SetPath(target.c_str());
        link->SetWorkingDirectory(workingFolder.c_str());
        link->SetDescription(description.c_str());
        link->SetIconLocation(iconFile.c_str(), iconIndex);
        CreateLastFolder(linkPath);
        result = file->Save(linkPath.c_str(), FALSE);
    }
    if (FAILED(result))
        throw Exception(ShortcutNotCreatedMessage(ToAnsi(linkPath), SaveFailureReason(result)));
}

std::optional<ShellLinkTarget> ReadShellLink(const std::wstring& linkPath)
{
    ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.Receive())))
        return std::nullopt;
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive())) || FAILED(file->Load(linkPath.c_str(), STGM_READ)))
        return std::nullopt;
    char target[MAX_PATH + 1] = {};
    char arguments[4096] = {};
    if (FAILED(link->GetPath(target, sizeof target, nullptr, SLGP_RAWPATH))
        || FAILED(link->GetArguments(arguments, sizeof arguments)))
        return std::nullopt;
    return ShellLinkTarget{target, arguments};
}
