// Files, console and locking for the stand-ins on Windows. Paths travel as
// UTF-8 through the portable code and become UTF-16 only here, so folders
// with any characters work.
#include "tools/netsim/win/win_host.h"

#include <cstdint>
#include <vector>

namespace netsim {

namespace {

// An editor, a virus scanner or another run may hold a file for a moment.
constexpr int kBusyRetries = 100;
constexpr DWORD kBusyPauseMs = 20;

std::wstring Widen(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string Narrow(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

bool IsBusy(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

// CreateFileW, retried while the file is busy.
HANDLE OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition)
{
    for (int attempt = 0;; ++attempt) {
        HANDLE file = CreateFileW(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || !IsBusy(GetLastError()) || attempt == kBusyRetries)
            return file;
        Sleep(kBusyPauseMs);
    }
}

class FileHandle {
public:
    explicit FileHandle(HANDLE handle)
        : handle_(handle)
    {
    }
    ~FileHandle()
    {
        if (ok())
            CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    // Closing is part of writing: only a clean close means the data is there.
    bool Close()
    {
        const bool closed = CloseHandle(handle_) != FALSE;
        handle_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE handle_;
};

bool WriteAll(HANDLE handle, std::string_view bytes)
{
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0)
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

void WriteStd(DWORD which, std::string_view bytes)
{
    HANDLE handle = GetStdHandle(which);
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE)
        WriteAll(handle, bytes);
}

std::wstring Hex(std::uint32_t value)
{
    std::wstring digits;
    for (int shift = 28; shift >= 0; shift -= 4)
        digits += L"0123456789abcdef"[(value >> shift) & 0xF];
    return digits;
}

// FNV-1a of the folder: one mutex per copy of the programs, so test runs in
// different folders never wait for each other.
std::wstring MutexName(const std::wstring& folder)
{
    std::uint32_t hash = 2166136261u;
    for (wchar_t c : folder) {
        hash ^= static_cast<std::uint32_t>(c);
        hash *= 16777619u;
    }
    return L"netsim-" + Hex(hash);
}

}  // namespace

WinHost::WinHost()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    while (true) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            folder_.assign(buffer.data(), length);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    folder_.erase(folder_.find_last_of(L"\\/") + 1);
    mutex_ = CreateMutexW(nullptr, FALSE, MutexName(folder_).c_str());
}

WinHost::~WinHost()
{
    if (mutex_)
        CloseHandle(mutex_);
}

std::string WinHost::CommandLine()
{
    return Narrow(GetCommandLineW());
}

std::string WinHost::ProgramFolder()
{
    return Narrow(folder_);
}

FileContents WinHost::ReadWholeFile(const std::string& path)
{
    FileHandle file(
        OpenFile(Widen(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING));
    if (!file.ok()) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileContents::Status::Missing : FileContents::Status::Unreadable, {}};
    }
    FileContents contents{FileContents::Status::Ok, {}};
    char chunk[4096];
    DWORD got = 0;
    while (true) {
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr))
            return {FileContents::Status::Unreadable, {}};
        if (got == 0)
            break;
        contents.bytes.append(chunk, got);
    }
    return contents;
}

bool WinHost::AppendToFile(const std::string& path, std::string_view bytes)
{
    // Append-only access: every write lands at the current end of the file,
    // even when another process has just written there.
    FileHandle file(OpenFile(Widen(path), FILE_APPEND_DATA | SYNCHRONIZE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_ALWAYS));
    return file.ok() && WriteAll(file.get(), bytes) && file.Close();
}

bool WinHost::WriteFileAtomically(const std::string& path, std::string_view bytes)
{
    const std::wstring target = Widen(path);
    const std::wstring temporary = target + L"." + Hex(GetCurrentProcessId()) + L".tmp";
    {
        FileHandle file(OpenFile(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS));
        const bool written = file.ok() && WriteAll(file.get(), bytes) && FlushFileBuffers(file.get()) && file.Close();
        if (!written) {
            DeleteFileW(temporary.c_str());
            return false;
        }
    }
    for (int attempt = 0;; ++attempt) {
        if (MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!IsBusy(GetLastError()) || attempt == kBusyRetries)
            break;
        Sleep(kBusyPauseMs);
    }
    DeleteFileW(temporary.c_str());
    return false;
}

void WinHost::Lock()
{
    // An abandoned mutex (its holder was killed) is still ours to take.
    if (mutex_)
        WaitForSingleObject(mutex_, INFINITE);
}

void WinHost::Unlock()
{
    if (mutex_)
        ReleaseMutex(mutex_);
}

bool WinHost::TakeFile(const std::string& path)
{
    // Two deletions of one file can both report success (Wine lets the
    // second open it while the first's deletion is pending); of two renames
    // only one finds the file.
    const std::wstring file = Widen(path);
    const std::wstring taken = file + L"." + Hex(GetCurrentProcessId()) + L".taken";
    if (!MoveFileExW(file.c_str(), taken.c_str(), 0))
        return false;
    DeleteFileW(taken.c_str());
    return true;
}

void WinHost::Pause(unsigned milliseconds)
{
    Sleep(milliseconds);
}

void WinHost::PauseForever()
{
    for (;;)
        Sleep(INFINITE);
}

void WinHost::WriteOutput(std::string_view bytes)
{
    WriteStd(STD_OUTPUT_HANDLE, bytes);
}

void WinHost::WriteError(std::string_view bytes)
{
    WriteStd(STD_ERROR_HANDLE, bytes);
}

}  // namespace netsim
