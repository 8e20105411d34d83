// The plain way to capture a command's output: start
// "netsh interface ip show config" from this program's folder with its output
// on a pipe and read the pipe with blocking ReadFile calls until it breaks,
// which is when the child has ended and everything it wrote has been read.
// It is the yardstick for tamarko.exe's capture throughput.
//
// The child gets no console (DETACHED_PROCESS). Under Wine the console host
// that a new console brings holds a copy of the pipe's writing end and lets
// it go 50 to 200 ms after the child has ended; a blocking reader of a child
// with a console would measure that console host, not the reading.
//
//   plain_read.exe [copy-file]
// Writes "bytes=<n>", "capture_ms=<t>" (CreateProcess until the pipe broke
// and the child had ended) and "start_ms"/"end_ms" (the same two moments on
// QueryPerformanceCounter's time line, in ms) to plain-read-result.txt in the
// current folder; with copy-file, also the captured bytes there (outside the
// timing). Exit code 0 when the child ran and ended with 0.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class Handle {
public:
    Handle() = default;
    ~Handle() { Close(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE* put() { return &handle_; }
    HANDLE get() const { return handle_; }
    void Close()
    {
        if (handle_)
            CloseHandle(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

double NowMs()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteWholeFile(const char* path, const std::string& bytes)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const double start = NowMs();
    SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
    Handle inputRead, inputWrite, outputRead, outputWrite;
    if (!CreatePipe(inputRead.put(), inputWrite.put(), &inheritable, 0)
        || !CreatePipe(outputRead.put(), outputWrite.put(), &inheritable, 0))
        return 2;
    // Our reading end stays ours alone.
    SetHandleInformation(outputRead.get(), HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(inputWrite.get(), HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inputRead.get();
    startup.hStdOutput = outputWrite.get();
    startup.hStdError = outputWrite.get();
    char commandLine[] = "netsh interface ip show config";
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(
            nullptr, commandLine, nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup, &child))
        return 3;
    CloseHandle(child.hThread);
    inputRead.Close();
    outputWrite.Close();

    std::string output;
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(outputRead.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            break;  // ERROR_BROKEN_PIPE: every writer has closed it
        output.append(buffer.data(), read);
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    const double captureMs = NowMs() - start;
    DWORD exitCode = 1;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hProcess);

    char result[256];
    std::snprintf(result, sizeof result, "bytes=%lu\r\ncapture_ms=%.1f\r\nstart_ms=%.3f\r\nend_ms=%.3f\r\n",
        static_cast<unsigned long>(output.size()), captureMs, start, start + captureMs);
    if (!WriteWholeFile("plain-read-result.txt", result))
        return 4;
    if (__argc > 1 && !WriteWholeFile(__argv[1], output))
        return 5;
    return exitCode == 0 ? 0 : 1;
}
