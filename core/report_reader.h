// Reading the configuration report of "netsh interface ip show config": its
// connection sections and the values at fixed columns after their keywords.
#pragma once

#include "core/connection_fields.h"
#include "core/line_list.h"

#include <optional>
#include <string>
#include <string_view>

// Opens each connection's section: the prefix, then the quoted name.
extern const char kReportHeaderPrefix[];  // "Konfigurace rozhraní \""

// The connection named by a header line: up to 255 characters after the
// prefix, less the last one (the closing quote). Nothing for other lines.
std::optional<std::string> ConnectionNameFromLine(std::string_view line);

struct ReportSection {
    int start = 0;  // index of the connection's header line
    int end = 0;    // index of its last line; the line count for the last section
};

// The section of the named connection; the whole report when no line holds
// the quoted name.
ReportSection FindConnectionSection(const LineList& report, const std::string& connectionName);

// Replaces the report's part of the current state with what the section
// says at the keywords' offsets: IP address, mask, gateway and both DNS
// servers (empty when the section lacks them, and for a DNS text that is no
// address). The DHCP answer changes only when a line gives one.
void ReadReportValues(const LineList& report, const ReportSection& section, CurrentState& current);
