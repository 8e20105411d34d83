#include "core/report_reader.h"

#include <gtest/gtest.h>

namespace {

LineList Report(std::initializer_list<const char*> lines)
{
    LineList report;
    for (const char* line : lines)
        report.Add(line);
    return report;
}

// A line whose value starts `offset` characters after the keyword, which
// itself stands at column `keywordAt` (0-based).
std::string ValueLine(const std::string& keyword, std::size_t keywordAt, std::size_t offset, const std::string& value)
{
    std::string line(keywordAt, ' ');
    line += keyword;
    line.resize(keywordAt + offset, ' ');
    return line + value;
}

TEST(Report, ConnectionNamesComeFromHeaderLines)
{
    struct Case {
        std::string line;
        std::optional<std::string> name;
    } cases[] = {
        {"Konfigurace rozhraní \"Připojení k místní síti\"", "Připojení k místní síti"},
        {"  Konfigurace rozhraní \"LAN\"", "LAN"},
        {"Konfigurace rozhraní \"LAN\" (aktivní)", "LAN\" (aktivní"},  // only the last character goes
        {"Konfigurace rozhraní \"", ""},
        {"Konfigurace rozhraní LAN", std::nullopt},
        {"konfigurace rozhraní \"LAN\"", std::nullopt},
        {"", std::nullopt},
        {"Konfigurace rozhraní \"" + std::string(300, 'x'), std::string(254, 'x')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConnectionNameFromLine(c.line), c.name) << c.line;
}

TEST(Report, SectionsRunFromTheQuotedNameToTheNextHeader)
{
    const LineList report = Report({
        "",                                 // 0
        "Konfigurace rozhraní \"LAN 2\"",   // 1
        "    a",                            // 2
        "",                                 // 3
        "Konfigurace rozhraní \"LAN\"",     // 4
        "    b",                            // 5
        "Konfigurace rozhraní \"LAN 22\"",  // 6
        "    c",                            // 7
    });
    struct Case {
        const char* name;
        int start, end;
    } cases[] = {
        {"LAN 2", 1, 3}, {"LAN", 4, 5},  // not taken for the longer names that begin with it
        {"LAN 22", 6, 8},                // the last section ends at the line count
        {"WLAN", 0, 8},                  // unknown: the whole report
    };
    for (const auto& c : cases) {
        const ReportSection section = FindConnectionSection(report, c.name);
        EXPECT_EQ(section.start, c.start) << c.name;
        EXPECT_EQ(section.end, c.end) << c.name;
    }
}

TEST(Report, ValuesStandAtFixedOffsetsFromTheirKeywords)
{
    LineList report;
    report.Add("Konfigurace rozhraní \"LAN\"");
    report.Add(ValueLine("server DHCP", 12, 37, "No"));
    report.Add(ValueLine("IP", 11, 30, "192.168.100.200"));
    report.Add(ValueLine("Maska", 4, 40, "255.255.255.0   trailing"));
    report.Add(ValueLine("choz", 6, 34, "192.168.1.1"));
    report.Add(ValueLine("DNS:", 35, 8, "10.0.0.1"));
    report.Add(std::string(40, ' ') + "10.0.0.2");
    CurrentState values;
    values.DHCP = "Yes";
    values.ProxyOn = 1;
    values.ProxyAddress = "proxy";
    ReadReportValues(report, FindConnectionSection(report, "LAN"), values);
    EXPECT_EQ(values.DHCP, "No");
    EXPECT_EQ(values.IP, "192.168.100.200");
    EXPECT_EQ(values.Mask, "255.255.255.0  ") << "15 characters, untrimmed";
    EXPECT_EQ(values.Gateway, "192.168.1.1");
    EXPECT_EQ(values.DNS, "10.0.0.1");
    EXPECT_EQ(values.DNS2, "10.0.0.2");
    EXPECT_EQ(values.ProxyOn, 1) << "the registry's part stays";
    EXPECT_EQ(values.ProxyAddress, "proxy");
}

TEST(Report, DnsRules)
{
    const std::string dnsLine = ValueLine("DNS:", 35, 8, "10.0.0.1");
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        const char* dns;
        const char* dns2;
    } cases[] = {
        {"DNS on the last line", {dnsLine}, "10.0.0.1", ""},
        {"no address after it", {dnsLine, std::string(40, ' ') + "Žádné"}, "10.0.0.1", ""},
        {"not an address", {ValueLine("DNS:", 35, 8, "Žádné")}, "", ""},
        {"the later of two DNS lines wins",
            {dnsLine, std::string(40, ' ') + "10.0.0.2", ValueLine("DNS:", 20, 8, "1.1.1.1"),
                std::string(25, ' ') + "2.2.2.2"},
            "1.1.1.1", "2.2.2.2"},
        {"one blank inside the value is dropped",
            {ValueLine("DNS:", 35, 8, " 10.0.0.9"), std::string(40, ' ') + " 10.0.0.8"}, "10.0.0.9", "10.0.0.8"},
        {"spaces around the dots still pass", {ValueLine("DNS:", 35, 8, "1 .2 .3 .4")}, "1.2 .3 .4", ""},
    };
    for (const auto& c : cases) {
        LineList report;
        for (const auto& line : c.lines)
            report.Add(line);
        CurrentState values;
        ReadReportValues(report, {0, report.Count()}, values);
        EXPECT_EQ(values.DNS, c.dns) << c.what;
        EXPECT_EQ(values.DNS2, c.dns2) << c.what;
    }
}

TEST(Report, KeywordsOutsideTheSectionAndUnknownAnswersKeepOldValues)
{
    LineList report;
    report.Add("Konfigurace rozhraní \"A\"");
    report.Add(ValueLine("IP", 11, 30, "1.1.1.1"));
    report.Add("Konfigurace rozhraní \"B\"");
    report.Add("    nothing here");
    CurrentState values;
    values.IP = values.Mask = values.Gateway = values.DNS = values.DNS2 = "10.9.9.9";
    values.DHCP = "Yes";
    ReadReportValues(report, FindConnectionSection(report, "B"), values);
    EXPECT_EQ(values.IP, "") << "values of an earlier read do not survive";
    EXPECT_EQ(values.Mask, "");
    EXPECT_EQ(values.Gateway, "");
    EXPECT_EQ(values.DNS, "");
    EXPECT_EQ(values.DNS2, "");
    EXPECT_EQ(values.DHCP, "Yes") << "the previous answer stays without a DHCP line";
    CurrentState whole;
    ReadReportValues(report, {0, report.Count()}, whole);
    EXPECT_EQ(whole.IP, "1.1.1.1");
}

}  // namespace
