#include "core/exception.h"

#include <cstdio>

std::string FormatOSErrorMessage(unsigned long code, const std::string& systemText)
{
    if (code == 0)
        return "Volání funkce operačního systému selhalo";
    char head[64];
    std::snprintf(head, sizeof head, "Systémová chyba. Kód: %lu.\r\n", code);
    return head + systemText;
}

std::string WithFullStop(const std::string& message)
{
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}
