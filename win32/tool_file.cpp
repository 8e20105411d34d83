#include "win32/tool_file.h"

#include "core/command_messages.h"
#include "win32/os_error.h"
#include "win32/system_info.h"

#include <windows.h>

namespace {

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string SystemFolder()
{
    char folder[MAX_PATH + 1] = {};
    const UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder)
        RaiseLastOSError();
    std::string path(folder, length);
    if (path.back() != '\\')
        path += '\\';
    return path;
}

}  // namespace

std::string ToolFile(const std::string& commandLine)
{
    std::string name = CommandProgram(commandLine);
    if (name.empty() || name.find_first_of("\\/:") != std::string::npos)
        return std::string();
    if (name.find('.') == std::string::npos)
        name += ".exe";
    const std::string ownFolder = GetExeDirectory();
    if (!ownFolder.empty() && IsFile(ownFolder + name))
        return ownFolder + name;
    return SystemFolder() + name;
}
