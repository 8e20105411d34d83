#include "core/report_reader.h"

#include "core/address_check.h"

#include <cstring>

const char kReportHeaderPrefix[] = "Konfigurace rozhraní \"";

namespace {

const std::size_t kHeaderPrefixLength = sizeof kReportHeaderPrefix - 1;

// n characters from a 0-based position; fewer at the line's end, none past it.
std::string TakeAt(std::string_view line, std::size_t position, std::size_t count)
{
    return position < line.size() ? std::string(line.substr(position, count)) : std::string();
}

std::string WithoutFirstBlank(std::string value)
{
    const auto blank = value.find(' ');
    if (blank != std::string::npos)
        value.erase(blank, 1);
    return value;
}

struct Keyword {
    const char* text;
    std::string CurrentState::*value;
    std::size_t offset;  // from the keyword's first character to the value's
    std::size_t length;
};

// Where each value stands in the Czech report, relative to its keyword.
const Keyword kKeywords[] = {
    {"IP", &CurrentState::IP, 30, 15},
    {"server DHCP", &CurrentState::DHCP, 37, 3},
    {"Maska", &CurrentState::Mask, 40, 15},
    {"choz", &CurrentState::Gateway, 34, 15},
};

const char kDnsKeyword[] = "DNS:";
const std::size_t kDnsOffset = 8;
const std::size_t kSecondDnsOffset = 5;  // on the next line, from the same column
const std::size_t kValueLength = 15;

}  // namespace

std::optional<std::string> ConnectionNameFromLine(std::string_view line)
{
    const auto at = line.find(kReportHeaderPrefix);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::string name = TakeAt(line, at + kHeaderPrefixLength, 255);
    if (!name.empty())
        name.pop_back();
    return name;
}

ReportSection FindConnectionSection(const LineList& report, const std::string& connectionName)
{
    const std::string quoted = "\"" + connectionName + "\"";
    ReportSection section;
    bool found = false;
    for (int i = 0; i < report.Count(); ++i) {
        const std::string_view line = report.Get(i);
        if (found && line.find(kReportHeaderPrefix) != std::string_view::npos) {
            section.end = i - 1;
            return section;
        }
        if (!found)
            section.end = report.Count();
        if (line.find(quoted) != std::string_view::npos) {
            section.start = i;
            found = true;
        }
    }
    return section;
}

void ReadReportValues(const LineList& report, const ReportSection& section, CurrentState& current)
{
    for (const FieldSpec& spec : kFields) {
        if (spec.source == StateSource::Report && spec.current)
            (current.*spec.current).clear();
    }
    for (int i = section.start; i <= section.end; ++i) {
        const std::string_view line = report.Get(i);
        for (const Keyword& keyword : kKeywords) {
            const auto at = line.find(keyword.text);
            if (at != std::string_view::npos)
                current.*keyword.value = TakeAt(line, at + keyword.offset, keyword.length);
        }
        const auto dns = line.find(kDnsKeyword);
        if (dns != std::string_view::npos) {
            current.DNS = WithoutFirstBlank(TakeAt(line, dns + kDnsOffset, kValueLength));
            current.DNS2 = WithoutFirstBlank(TakeAt(report.Get(i + 1), dns + kSecondDnsOffset, kValueLength));
        }
    }
    if (!IsValidAddress(current.DNS))
        current.DNS.clear();
    if (!IsValidAddress(current.DNS2))
        current.DNS2.clear();
}
