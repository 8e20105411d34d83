#include "tests/verifier/recorder_log.h"

#include "tests/verifier/step_board.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace verifier {

namespace {

HANDLE logFile = INVALID_HANDLE_VALUE;
CRITICAL_SECTION logLock;
bool lockReady = false;
StepBoard* steps = nullptr;
LONG stepWritten = 0;
StepListener stepListener = nullptr;

void Write(const char* text, std::size_t size)
{
    DWORD written = 0;
    WriteFile(logFile, text, static_cast<DWORD>(size), &written, nullptr);
}

// A step the driver has begun since the last line goes first.
void WriteNewStep()
{
    const LONG sequence = steps ? steps->sequence : 0;
    if (sequence == stepWritten || (sequence & 1))
        return;
    char line[sizeof steps->text + 16] = "# step ";
    std::memcpy(line + 7, const_cast<const char*>(steps->text), sizeof steps->text);
    MemoryBarrier();
    if (steps->sequence != sequence)
        return;  // rewritten meanwhile: the next line takes the new one
    line[7 + sizeof steps->text - 1] = '\0';
    const std::size_t size = std::strlen(line);
    line[size] = '\n';
    Write(line, size + 1);
    stepWritten = sequence;
    if (stepListener)
        stepListener();
}

}  // namespace

LogLock::LogLock()
{
    if (lockReady)
        EnterCriticalSection(&logLock);
}

LogLock::~LogLock()
{
    if (lockReady)
        LeaveCriticalSection(&logLock);
}

bool OpenRecorderLog(const char* folder)
{
    InitializeCriticalSection(&logLock);
    lockReady = true;
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%s\\recorder-%lu.log", folder, GetCurrentProcessId());
    logFile = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (logFile == INVALID_HANDLE_VALUE)
        return false;
    const HANDLE board = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(StepBoard),
        StepBoardName(GetCurrentProcessId()).c_str());
    if (board)
        steps = static_cast<StepBoard*>(MapViewOfFile(board, FILE_MAP_WRITE, 0, 0, 0));
    return true;
}

bool RecorderLogOpen()
{
    return logFile != INVALID_HANDLE_VALUE;
}

void WriteLogLine(const char* format, ...)
{
    if (logFile == INVALID_HANDLE_VALUE)
        return;
    char line[1024];
    va_list arguments;
    va_start(arguments, format);
    int size = std::vsnprintf(line, sizeof line - 1, format, arguments);
    va_end(arguments);
    if (size < 0)
        return;
    size = std::min<int>(size, sizeof line - 2);
    line[size++] = '\n';
    const LogLock lock;
    WriteNewStep();
    Write(line, static_cast<std::size_t>(size));
}

void SetStepListener(StepListener listener)
{
    stepListener = listener;
}

}  // namespace verifier
