// What the about box reports about this machine and this program, in the
// user's own formats.
#pragma once

#include "core/info_mail.h"

#include <windows.h>

#include <optional>
#include <string>

NumberSeparators UserNumberSeparators();

// The user's short date, e.g. "7.12.2026".
std::string FormatShortDate(const SYSTEMTIME& time);
// Short date, a space and the long time; the time is left out at midnight.
std::string FormatDateTime(const SYSTEMTIME& time);

// When the file was last written, in local time.
std::optional<SYSTEMTIME> FileModificationTime(const std::string& path);

// The processor's clock in MHz, counted over half a second at the highest
// priority; the priorities are restored before it returns.
double MeasureClockMHz();
