// The report reader as the program drives it: captured output cut into
// lines, the connection list taken from the header lines, then the section
// and the values of a chosen connection; and the proxy split.
//
// Input: text in code page 1250 (the report after its conversion from the
// console code page), cut into lines by LineList. The first line is a
// connection name, the second the previous DHCP answer, the rest the report.
#include "core/report_reader.h"
#include "core/address_check.h"
#include "fuzz/fuzz_check.h"

#include <cstring>

namespace {

// The header prefix in code page 1250 bytes, spelt so that it does not
// depend on how this file's literals are encoded: the corpus is code page
// 1250, and it only means what it says if the reader looks for these bytes.
const char kHeaderPrefix1250[] = "Konfigurace rozhran\xED \"";

bool Contains(std::string_view line, const std::string& text)
{
    return line.find(text) != std::string_view::npos;
}

void CheckSection(const LineList& report, const std::string& name, const ReportSection& section)
{
    const int count = report.Count();
    FUZZ_CHECK(0 <= section.start && section.start <= section.end && section.end <= count);

    const std::string quoted = "\"" + name + "\"";
    bool named = false;
    for (int i = 0; i < count; ++i)
        named = named || Contains(report.Get(i), quoted);
    if (!named) {
        FUZZ_CHECK(section.start == 0 && section.end == count);
        return;
    }
    // From a line with the quoted name up to, not into, the next header.
    FUZZ_CHECK(section.start < count && Contains(report.Get(section.start), quoted));
    for (int i = section.start + 1; i <= section.end && i < count; ++i)
        FUZZ_CHECK(!Contains(report.Get(i), kHeaderPrefix1250));
    FUZZ_CHECK(section.end == count || Contains(report.Get(section.end + 1), kHeaderPrefix1250));
}

// Reads the section into a state that held other values before.
void CheckValues(const LineList& report, const ReportSection& section, const std::string& previousDhcp)
{
    CurrentState values;
    values.IP = values.Mask = values.Gateway = values.DNS = values.DNS2 = "stale";
    values.DHCP = previousDhcp;
    values.ProxyAddress = "proxy";
    ReadReportValues(report, section, values);
    for (const std::string* value : {&values.IP, &values.Mask, &values.Gateway, &values.DNS, &values.DNS2})
        FUZZ_CHECK(value->size() <= 15 && *value != "stale");
    FUZZ_CHECK(values.DHCP == previousDhcp || values.DHCP.size() <= 3);
    FUZZ_CHECK(values.DNS.empty() || IsValidAddress(values.DNS));
    FUZZ_CHECK(values.DNS2.empty() || IsValidAddress(values.DNS2));
    FUZZ_CHECK(values.ProxyAddress == "proxy");
}

void CheckProxySplit(const std::string& server)
{
    const ProxyParts parts = SplitProxyServer(server);
    FUZZ_CHECK(parts.port.size() <= 10);
    const auto colon = server.find(':');
    if (colon == std::string::npos) {
        FUZZ_CHECK(parts.address.empty() && parts.port == server.substr(0, 10));
    } else {
        FUZZ_CHECK(parts.address == server.substr(0, colon));
        FUZZ_CHECK(server.compare(colon + 1, parts.port.size(), parts.port) == 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FUZZ_CHECK(std::strcmp(kReportHeaderPrefix, kHeaderPrefix1250) == 0);

    LineList output;
    output.AddOutput(reinterpret_cast<const char*>(data), size);
    output.FinishOutput();
    std::vector<std::string> lines;
    for (int i = 0; i < output.Count(); ++i)
        lines.emplace_back(output.Get(i));
    const std::string chosenName = lines.size() > 0 ? lines[0] : std::string();
    const std::string previousDhcp = lines.size() > 1 ? lines[1] : std::string();

    LineList report;
    for (std::size_t i = 2; i < lines.size(); ++i)
        report.Add(lines[i]);

    std::vector<std::string> names{chosenName};
    for (int i = 0; i < report.Count(); ++i) {
        const std::string line(report.Get(i));
        const auto name = ConnectionNameFromLine(line);
        const auto prefixAt = line.find(kHeaderPrefix1250);
        FUZZ_CHECK(name.has_value() == (prefixAt != std::string::npos));
        if (!name)
            continue;
        FUZZ_CHECK(name->size() <= 254);
        FUZZ_CHECK(line.compare(prefixAt + std::strlen(kHeaderPrefix1250), name->size(), *name) == 0);
        if (names.size() < 8)
            names.push_back(*name);
    }

    for (const auto& name : names) {
        const ReportSection section = FindConnectionSection(report, name);
        CheckSection(report, name, section);
        CheckValues(report, section, previousDhcp);
    }
    CheckValues(report, {0, report.Count()}, previousDhcp);

    for (const auto& line : lines)
        CheckProxySplit(line);
    return 0;
}
