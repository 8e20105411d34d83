#include "core/exception.h"

#include <cstdio>

std::string FormatOSErrorMessage(unsigned long code, const std::string& systemText)
{
    if (code == 0)
        return "A call to an OS function failed";
    char head[64];
    std::snprintf(head, sizeof head, "System Error.  Code: %lu.\r\n", code);
    return head + systemText;
}

std::string WithFullStop(const std::string& message)
{
    if (!message.empty() && message.back() == '.')
        return message;
    return message + ".";
}
