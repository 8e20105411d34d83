#include "win32/program_path.h"

#include "core/command_line.h"
#include "win32/file_name.h"

#include <windows.h>

namespace {

// Windows allows paths of about 32,767 characters; a buffer beyond that
// means the call keeps failing for another reason.
const DWORD kLongestPath = 65536;

}  // namespace

std::string ProgramPath()
{
    // A path that does not fit is cut without a terminating zero, and the
    // call returns the buffer's size (Windows XP sets no error code then),
    // so a full buffer is the only sign that a bigger one is needed. Asked
    // wide: the ANSI call would name a folder "Michèle" "Michele", which may
    // be another folder with another program INI file.
    std::wstring path(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0)
            return std::string();
        if (length < size) {
            path.resize(length);
            return AnsiFileName(path);
        }
        if (size >= kLongestPath)
            return std::string();
        path.resize(size * 2);
    }
}

std::optional<std::wstring> ProgramArgument()
{
    return FirstArgument(GetCommandLineW());
}

std::string FullPath(const std::string& path)
{
    if (path.empty())
        return path;
    // The first call gives the size, the second the path; a current folder
    // changed in between is caught by the second size check.
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
