#include "core/info_mail.h"

#include <cstdio>

namespace {

// Memory is reported in thousands of kilobytes, as it always has been.
const std::uint64_t kBytesPerReportedMegabyte = 1024000;

}  // namespace

std::string FormatGroupedNumber(std::uint64_t value, const std::string& thousandsSeparator)
{
    if (value == 0)
        return {};
    const std::string digits = std::to_string(value);
    std::string grouped;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += thousandsSeparator;
        grouped += digits[i];
    }
    return grouped;
}

std::string FormatTwoDecimals(double value, const std::string& decimalSeparator)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string formatted = text;
    const auto point = formatted.find('.');
    if (point != std::string::npos)
        formatted.replace(point, 1, decimalSeparator);
    return formatted;
}

double ClockMHzFromTicks(std::uint64_t ticksInHalfASecond)
{
    // The whole 64-bit count: its low half alone wraps above 8.6 GHz.
    return static_cast<double>(ticksInHalfASecond) / 500000.0;
}

std::string BuildInfoMailBody(const InfoMailPieces& pieces, const NumberSeparators& separators)
{
    std::string body = pieces.windowsName + " ";
    body += "RAM:" + FormatGroupedNumber(pieces.totalPhysicalBytes / kBytesPerReportedMegabyte, separators.thousands)
        + "MB ";
    body += "CPU:" + FormatTwoDecimals(pieces.clockMHz, separators.decimal) + "MHz ";
    body += "Obrazovka:" + std::to_string(pieces.screenWidth) + "x" + std::to_string(pieces.screenHeight) + " ";
    body += pieces.colorDepth;
    body += " DPI:" + std::to_string(pieces.pixelsPerInch) + " ";
    body += "Cesta:" + pieces.exeDirectory;
    body += " Čas:" + pieces.modificationTime + " ";
    return body;
}

std::string BuildInfoMailAddress(const std::string& to, const std::string& heading, const std::string& body)
{
    return "mailto:" + to + "?subject=Informace o programu " + heading + "&body=" + body;
}
