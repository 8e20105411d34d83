// Runs a console command with its output piped back to us, cut into lines.
#include "win32/command_capture.h"

#include "core/line_splitter.h"
#include "win32/handle.h"
#include "win32/message_pump.h"
#include "win32/os_error.h"
#include "win32/startup_profile.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

// Both ends of an anonymous pipe. They are inheritable, so that the child
// can take its end; the default security of our own token is enough for it.
struct Pipe {
    Handle read;
    Handle write;
    bool Create()
    {
        SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
        return CreatePipe(read.Put(), write.Put(), &security, 0) != FALSE;
    }
};

// Idle waits after output stopped: a few bare looks first, because a
// timeout of 1 ms really lasts a whole timer tick (10 to 16 ms) on Windows
// and a child that is streaming would be throttled to one pipe buffer per
// tick; then ever longer waits, up to one that still feels instant.
constexpr int kImmediateLooks = 32;
constexpr DWORD kLongestIdleWaitMs = 20;

DWORD IdleWaitMs(int idleRounds)
{
    if (idleRounds < kImmediateLooks)
        return 0;
    const int doublings = std::min(idleRounds - kImmediateLooks, 5);
    return std::min<DWORD>(DWORD{1} << doublings, kLongestIdleWaitMs);
}

class OutputReader {
public:
    OutputReader(HANDLE pipe, const std::string& commandLine)
        : pipe_(pipe)
        , commandLine_(commandLine)
        , buffer_(1024)
    {
    }

    // What the pipe holds now.
    DWORD Available() const
    {
        DWORD available = 0;
        if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr))
            return 0;
        return available;
    }

    // Takes what the pipe holds, at most `most` bytes, without blocking; the
    // number of bytes taken. More output than anyone could mean raises
    // ECaptureTooLarge.
    DWORD ReadAvailable(LineSplitter& splitter, std::vector<std::string>& lines, DWORD most = MAXDWORD)
    {
        const DWORD wanted = std::min(Available(), most);
        if (wanted == 0)
            return 0;
        // Grown to what is waiting, so one read takes all of it; never shrunk.
        if (wanted > buffer_.size())
            buffer_.resize(wanted);
        DWORD read = 0;
        if (!ReadFile(pipe_, buffer_.data(), wanted, &read, nullptr))
            RaiseLastOSError();
        total_ += read;
        if (total_ > kMaxCapturedBytes)
            throw ECaptureTooLarge(CaptureTooLargeMessage(commandLine_));
        splitter.Feed(buffer_.data(), read, lines);
        return read;
    }

private:
    HANDLE pipe_;
    const std::string& commandLine_;
    std::vector<char> buffer_;
    std::uint64_t total_ = 0;
};

}  // namespace

std::string CaptureTooLargeMessage(const std::string& commandLine)
{
    return "Výstup příkazu \"" + commandLine + "\" je delší než 64 MiB, a proto jej nelze zpracovat.";
}

void CaptureCommandOutput(const std::string& commandLine, std::vector<std::string>& lines)
{
    Pipe input;
    if (!input.Create())
        RaiseLastOSError();
    Pipe output;
    if (!output.Create())
        RaiseLastOSError();
    // Our ends stay ours: a child holding the reading end of its own output
    // would never learn that nobody reads it any more, and would wait on a
    // full pipe for ever once we stop.
    if (!SetHandleInformation(input.write.Get(), HANDLE_FLAG_INHERIT, 0)
        || !SetHandleInformation(output.read.Get(), HANDLE_FLAG_INHERIT, 0))
        RaiseLastOSError();

    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_MINIMIZE;
    startup.hStdInput = input.read.Get();
    startup.hStdOutput = output.write.Get();
    startup.hStdError = output.write.Get();

    std::string mutableCommandLine = commandLine;  // CreateProcessA may write into it
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, mutableCommandLine.data(), nullptr, nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr,
            nullptr, &startup, &started))
        RaiseLastOSError();
    ProfileMark("report command started");
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);

    // The child has its own copies now. Ours would only keep the pipe alive;
    // the end of the output is still told by the child's end, not by the
    // pipe breaking, because a process the child started may hold it open.
    input.read.Reset();
    output.write.Reset();

    LineSplitter splitter;
    OutputReader reader(output.read.Get(), commandLine);
    int idleRounds = 0;
    for (;;) {
        DWORD exitCode = 0;
        if (!GetExitCodeProcess(process.Get(), &exitCode))
            RaiseLastOSError();
        if (reader.ReadAvailable(splitter, lines) > 0) {
            idleRounds = 0;
            PumpMessages();
            // The user ended the program: a child that never stops writing
            // must not keep it alive.
            if (ProgramEnding())
                return;
            continue;
        }
        // Nothing waiting: the child ended, or we sleep until it does, a
        // message comes or the next look is due. Waiting on the process
        // itself also ends a child whose exit code happens to be 259.
        if (exitCode != STILL_ACTIVE || WaitForObjectOrMessages(process.Get(), IdleWaitMs(idleRounds)))
            break;
        // The user ended the program: nothing is left to show the output in,
        // and a command that never ends must not keep the program alive.
        if (ProgramEnding())
            return;
        idleRounds = std::min(idleRounds + 1, kImmediateLooks + 8);
    }
    // What the child wrote just before it ended; only that: a process the
    // child started may hold the pipe and go on writing.
    for (DWORD left = reader.Available(); left > 0;) {
        const DWORD read = reader.ReadAvailable(splitter, lines, left);
        if (read == 0)
            break;
        left -= read;
    }
    splitter.Finish(lines);
}

void ConvertOemToAnsi(std::string& line)
{
    // The conversion maps byte for byte, so the system's answer for every
    // byte, asked once, converts a report of any size without a call per line.
    static const std::array<char, 256> table = [] {
        std::array<char, 256> oem{};
        for (std::size_t byte = 0; byte < oem.size(); ++byte)
            oem[byte] = static_cast<char>(byte);
        std::array<char, 256> ansi{};
        OemToCharBuffA(oem.data() + 1, ansi.data() + 1, static_cast<DWORD>(oem.size() - 1));
        return ansi;
    }();
    for (char& c : line)
        c = table[static_cast<unsigned char>(c)];
}

std::string OemToAnsiLine(const std::string& line)
{
    std::string converted = line;
    ConvertOemToAnsi(converted);
    return converted;
}
