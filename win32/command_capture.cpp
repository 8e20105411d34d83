// Runs a console command with its output piped back to us, cut into lines.
#include "win32/command_capture.h"

#include "core/phase_hook.h"
#include "win32/handle.h"
#include "win32/message_pump.h"
#include "win32/os_error.h"
#include "win32/tool_file.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace {

// Both ends of an anonymous pipe, the child's standard input. They are
// inheritable, so that the child can take its end; the default security of
// our own token is enough for it.
struct Pipe {
    Handle read;
    Handle write;
    bool Create()
    {
        SECURITY_ATTRIBUTES security = {sizeof security, nullptr, TRUE};
        return CreatePipe(read.Put(), write.Put(), &security, 0) != FALSE;
    }
};

// What the output pipe holds before its writer has to wait.
constexpr DWORD kPipeBufferSize = 64 * 1024;

// The pipe of the child's output. Our end is a named pipe read with
// overlapped reads: a read waits in the system until output comes, so the
// loop sleeps until output, the child's end or a message arrives, with no
// polling, and each read takes whatever has come, straight into the list's
// text. The child's end is an ordinary synchronous handle, as any console
// program expects; only it is inheritable.
struct OutputPipe {
    Handle read;
    Handle write;
    bool Create()
    {
        static unsigned serial = 0;
        const std::string name
            = "\\\\.\\pipe\\Tamarko.output." + std::to_string(GetCurrentProcessId()) + "." + std::to_string(++serial);
        read.Reset(CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, kPipeBufferSize, 0, nullptr));
        if (!read)
            return false;
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        write.Reset(
            CreateFileA(name.c_str(), GENERIC_WRITE, 0, &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(write);
    }
};

// A read asks for what the pipe holds, up to this much (a write that waits
// for room counts too), or for a page when it holds nothing yet: what comes
// then is taken by the next reads. Never for more: Wine makes sure that the
// whole of a read's buffer is there before it reads, page by page, and a
// buffer larger than the output makes memory resident that nothing fills.
constexpr std::size_t kLeastReadRoom = 4096;
constexpr DWORD kMostPerRead = 1024 * 1024;

// While output streams in, messages are handled at least this often.
constexpr DWORD kMessageIntervalMs = 10;

// At most one read of the output pipe at a time. A read that still waits
// when the reader goes is cancelled and its end awaited, so that the system
// never writes into the list's text after the capture has returned.
class PipeReader {
public:
    PipeReader(HANDLE pipe, LineList& lines, const std::string& commandLine)
        : pipe_(pipe)
        , lines_(lines)
        , commandLine_(commandLine)
        , event_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
        if (!event_)
            RaiseLastOSError();
    }
    ~PipeReader() { Cancel(false); }
    PipeReader(const PipeReader&) = delete;
    PipeReader& operator=(const PipeReader&) = delete;

    // Signalled when the waiting read has finished.
    HANDLE Event() const { return event_.Get(); }

    enum class Read { Done, Waiting, Broken };

    // Starts a read unless one waits already. Done: it has ended at once and
    // is to be finished; Broken: every writer has closed the pipe and no read
    // can come any more.
    Read Start(DWORD most = kMostPerRead)
    {
        if (waiting_)
            return Read::Waiting;
        if (broken_)
            return Read::Broken;
        DWORD available = 0;
        if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr))
            available = 0;  // the read says why
        std::size_t room = 0;
        char* space = lines_.ReadSpace(kLeastReadRoom, room);
        overlapped_ = {};
        overlapped_.hEvent = event_.Get();
        DWORD ignored = 0;
        const DWORD wanted = std::min<DWORD>(available > 0 ? available : kLeastReadRoom, most);
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(room, wanted));
        if (ReadFile(pipe_, space, size, &ignored, &overlapped_)) {
            waiting_ = true;
            return Read::Done;
        }
        if (GetLastError() == ERROR_IO_PENDING) {
            waiting_ = true;
            return Read::Waiting;
        }
        if (GetLastError() != ERROR_BROKEN_PIPE)
            RaiseLastOSError();
        broken_ = true;
        return Read::Broken;
    }

    // Takes the read that has finished (its event is signalled, or `wait`).
    void Finish(bool wait = false)
    {
        if (!waiting_)
            return;
        DWORD read = 0;
        const BOOL ok = GetOverlappedResult(pipe_, &overlapped_, &read, wait ? TRUE : FALSE);
        const DWORD error = ok ? ERROR_SUCCESS : GetLastError();
        if (!ok && error == ERROR_IO_INCOMPLETE)
            return;
        waiting_ = false;
        if (!ok) {
            if (error == ERROR_BROKEN_PIPE)
                broken_ = true;
            else if (error != ERROR_OPERATION_ABORTED)
                RaiseOSError(error);
        }
        Take(read);
    }

    // Ends a waiting read; what it got before is kept, or dropped when the
    // capture is given up.
    void Cancel(bool keep = true)
    {
        if (!waiting_)
            return;
        CancelIo(pipe_);
        DWORD read = 0;
        const BOOL ok = GetOverlappedResult(pipe_, &overlapped_, &read, TRUE);
        waiting_ = false;
        if (ok && keep)
            Take(read);
    }

    // What the pipe holds now, and nothing that comes later: a process the
    // child started may hold the pipe and go on writing.
    void TakeWhatIsThere()
    {
        DWORD left = 0;
        if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &left, nullptr))
            return;
        while (left > 0 && Start(std::min(left, kMostPerRead)) != Read::Broken) {
            Finish(true);
            const DWORD read = lastRead_;
            if (read == 0)
                break;
            left -= std::min(left, read);
        }
    }

private:
    void Take(DWORD read)
    {
        lastRead_ = read;
        if (read == 0)
            return;
        total_ += read;
        if (total_ > kMaxCapturedBytes)
            throw ECaptureTooLarge(CaptureTooLargeMessage(commandLine_));
        lines_.TakeRead(read);
    }

    HANDLE pipe_;
    LineList& lines_;
    const std::string& commandLine_;
    Handle event_;
    OVERLAPPED overlapped_{};
    bool waiting_ = false;
    bool broken_ = false;
    DWORD lastRead_ = 0;
    std::uint64_t total_ = 0;
};

}  // namespace

std::string CaptureTooLargeMessage(const std::string& commandLine)
{
    return "Výstup příkazu „" + commandLine + "“ je delší než 64 MiB, a proto jej nelze zpracovat.";
}

void CaptureCommandOutput(const std::string& commandLine, LineList& lines)
{
    Pipe input;
    if (!input.Create())
        RaiseLastOSError();
    OutputPipe output;
    if (!output.Create())
        RaiseLastOSError();
    // Our end of the input stays ours: the child must not hold the writing
    // end of its own input.
    if (!SetHandleInformation(input.write.Get(), HANDLE_FLAG_INHERIT, 0))
        RaiseLastOSError();

    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.wShowWindow = SW_MINIMIZE;
    startup.hStdInput = input.read.Get();
    startup.hStdOutput = output.write.Get();
    startup.hStdError = output.write.Get();

    std::string mutableCommandLine = commandLine;           // CreateProcessA may write into it
    const std::string programFile = ToolFile(commandLine);  // never the current folder's
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(programFile.empty() ? nullptr : programFile.c_str(), mutableCommandLine.data(), nullptr,
            nullptr, TRUE, CREATE_NEW_CONSOLE, nullptr, nullptr, &startup, &started))
        RaiseLastOSError();
    MarkPhase(Phase::Start, "report command started");
    const Handle process(started.hProcess);
    const Handle thread(started.hThread);

    // The child has its own copies now. Ours would only keep the pipe alive;
    // the end of the output is still told by the child's end, not by the
    // pipe breaking, because a process the child started may hold it open.
    input.read.Reset();
    output.write.Reset();

    PipeReader reader(output.read.Get(), lines, commandLine);
    DWORD pumpedAt = GetTickCount();
    for (;;) {
        const PipeReader::Read read = reader.Start();
        bool messages = false;
        if (read == PipeReader::Read::Done) {
            reader.Finish();  // output was waiting: taken without a wait
        } else {
            // The read's end comes first: what the child wrote before it
            // ended is taken before its end is seen.
            const HANDLE objects[] = {reader.Event(), process.Get()};
            const bool reading = read == PipeReader::Read::Waiting;
            const DWORD count = reading ? 2 : 1;
            // MWMO_INPUTAVAILABLE also wakes for messages that were already
            // seen but are still queued, so none waits.
            const DWORD woke = MsgWaitForMultipleObjectsEx(
                count, reading ? objects : objects + 1, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            if (reading && woke == WAIT_OBJECT_0)
                reader.Finish();
            else if (woke == WAIT_OBJECT_0 + count - 1)
                break;  // the child has ended
            else if (woke == WAIT_OBJECT_0 + count)
                messages = true;
            else
                RaiseLastOSError();
        }
        if (!messages) {
            // Output that streams in keeps the reads coming, so the wait
            // tells neither of messages nor of the child's end.
            if (GetTickCount() - pumpedAt < kMessageIntervalMs)
                continue;
            if (WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0)
                break;
        }
        PumpMessages();
        pumpedAt = GetTickCount();
        // The user ended the program: nothing is left to show the output in,
        // and a command that never ends must not keep the program alive.
        if (ProgramEnding())
            return;
    }
    reader.Cancel();
    reader.TakeWhatIsThere();
    lines.FinishOutput();
}

void ConvertOemToAnsi(char* text, std::size_t size)
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
    for (std::size_t i = 0; i < size; ++i)
        text[i] = table[static_cast<unsigned char>(text[i])];
}

std::string OemToAnsiLine(const std::string& line)
{
    std::string converted = line;
    ConvertOemToAnsi(converted.data(), converted.size());
    return converted;
}
