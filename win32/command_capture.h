// Runs a console command in a minimised console of its own and collects
// everything it writes to its standard output and standard error as lines.
#pragma once

#include "core/exception.h"
#include "core/line_list.h"

#include <cstddef>
#include <string>

// No report comes near this; a command that writes more is writing nonsense
// (or without end), and keeping it would only eat the memory.
constexpr std::size_t kMaxCapturedBytes = 64 * 1024 * 1024;

// The output of a command went past kMaxCapturedBytes.
class ECaptureTooLarge : public Exception {
public:
    using Exception::Exception;
};
// Its message, in Czech.
std::string CaptureTooLargeMessage(const std::string& commandLine);

// Appends the command's output lines to `lines` (which keeps what it held)
// and returns once the command has ended, or the program is ending. The
// windows stay alive meanwhile: waiting messages are handled. A failed system
// call raises an EOSError, output beyond kMaxCapturedBytes ECaptureTooLarge.
void CaptureCommandOutput(const std::string& commandLine, LineList& lines);

// One captured line converted from the console's (OEM) character set to the
// windows' (ANSI) one, byte for byte, whatever its length.
std::string OemToAnsiLine(const std::string& line);
// The same conversion in place, for the many lines of a report.
void ConvertOemToAnsi(char* text, std::size_t size);
