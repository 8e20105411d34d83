#include "win32/os_error.h"

#include <windows.h>

std::string SystemErrorText(unsigned long code)
{
    char* buffer = nullptr;
    DWORD length
        = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text(buffer ? buffer : "", length);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string OSErrorMessage(unsigned long code)
{
    return FormatOSErrorMessage(code, SystemErrorText(code));
}

void RaiseOSError(unsigned long code)
{
    throw EOSError(code, OSErrorMessage(code));
}

void RaiseLastOSError()
{
    RaiseOSError(GetLastError());
}

std::string RefusalMessage(const char* what, unsigned long code)
{
    std::string message
        = std::string("Systém odmítl vytvořit ") + what + ": nedostatek paměti nebo systémových prostředků";
    if (code != 0)
        message += " (kód chyby " + std::to_string(code) + ")";
    return message + ".";
}

void RaiseRefusal(const char* what)
{
    const DWORD code = GetLastError();
    throw EOSError(code, RefusalMessage(what, code));
}
