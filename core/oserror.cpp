#include "core/oserror.h"

#include <windows.h>

namespace {

std::string SystemMessage(DWORD code)
{
    char* buffer = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

} // namespace

void RaiseOSError(unsigned long code)
{
    throw EOSError(code, FormatOSErrorMessage(code, SystemMessage(code)));
}

void RaiseLastOSError()
{
    RaiseOSError(GetLastError());
}
