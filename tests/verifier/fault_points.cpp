#include "tests/verifier/fault_points.h"

#include "tests/verifier/recorder_log.h"

#include <cderr.h>
#include <shellapi.h>
#include <winerror.h>

#include <cstdlib>
#include <cstring>

namespace verifier {

namespace {

std::uintptr_t programBase = 0;

// The request of the test, read once at the start.
struct Request {
    char function[64] = {};
    bool bySite = false;
    std::uintptr_t site = 0;
    long n = 0;
    bool haveError = false;
    DWORD error = 0;
    bool shortWrite = false;
    bool fired = false;
} request;

constexpr ULONG_PTR kInvalidHandle = static_cast<ULONG_PTR>(-1);

// How each function fails: the value it returns and the last error a real
// refusal leaves (the registry's and COM's codes are their results).
FaultPoint points[] = {
    // Allocation as the C runtime serves it; operator new comes here too.
    {"malloc", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"calloc", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"realloc", 0, ERROR_NOT_ENOUGH_MEMORY},
    // Windows, classes and what hangs on a window.
    {"CreateWindowExA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"RegisterClassA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"SetPropA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SetTimer", 0, ERROR_NO_SYSTEM_RESOURCES},
    {"InitCommonControlsEx", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SystemParametersInfoA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    // Menus and keyboard shortcuts.
    {"CreateMenu", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CreatePopupMenu", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"AppendMenuA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"InsertMenuItemA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"SetMenuItemInfoA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateAcceleratorTableA", 0, ERROR_NOT_ENOUGH_MEMORY},
    // GDI: the 10,000 objects of a process.
    {"CreateFontA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateSolidBrush", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateCompatibleDC", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateDIBSection", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"GetDC", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"BeginPaint", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"SelectObject", 0, ERROR_NOT_ENOUGH_MEMORY},
    // Icons and cursors.
    {"LoadImageA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"LoadIconA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"LoadCursorA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CopyIcon", 0, ERROR_NOT_ENOUGH_MEMORY},
    // The shell: a notification area not ready at logon, the desktop folder,
    // the browser and the mail program.
    {"Shell_NotifyIconA", FALSE, ERROR_TIMEOUT},
    {"SHGetSpecialFolderPathW", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"ShellExecuteA", SE_ERR_OOM, ERROR_NOT_ENOUGH_MEMORY},
    {"CoInitialize", static_cast<ULONG_PTR>(E_OUTOFMEMORY), ERROR_NOT_ENOUGH_MEMORY},
    {"CoCreateInstance", static_cast<ULONG_PTR>(E_OUTOFMEMORY), ERROR_NOT_ENOUGH_MEMORY},
    // Processes, pipes, events.
    {"CreateProcessA", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"CreatePipe", FALSE, ERROR_NO_SYSTEM_RESOURCES},
    {"CreateNamedPipeA", kInvalidHandle, ERROR_NO_SYSTEM_RESOURCES},
    {"CreateEventA", 0, ERROR_NO_SYSTEM_RESOURCES},
    {"CreateFileMappingA", 0, ERROR_NOT_ENOUGH_MEMORY},
    {"CreateMutexA", 0, ERROR_NOT_ENOUGH_MEMORY},
    // Files: a full disk, a quota, a file a scanner holds.
    {"CreateFileA", kInvalidHandle, ERROR_SHARING_VIOLATION},
    {"CreateDirectoryW", FALSE, ERROR_DISK_FULL},
    {"GetTempFileNameA", 0, ERROR_DISK_FULL},
    {"CopyFileA", FALSE, ERROR_DISK_FULL},
    {"MoveFileExA", FALSE, ERROR_SHARING_VIOLATION},
    {"FlushFileBuffers", FALSE, ERROR_DISK_FULL},
    {"WritePrivateProfileStringA", FALSE, ERROR_DISK_FULL},
    // The registry: a quota, a key a policy locks.
    {"RegOpenKeyExA", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"RegCreateKeyExA", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    {"RegSetValueExA", ERROR_NOT_ENOUGH_QUOTA, ERROR_NOT_ENOUGH_QUOTA},
    {"RegDeleteValueA", ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED},
    // The start's checks.
    {"OpenThreadToken", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"OpenProcessToken", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"GetTokenInformation", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"AllocateAndInitializeSid", FALSE, ERROR_NOT_ENOUGH_MEMORY},
    {"GetLocaleInfoA", 0, ERROR_NOT_ENOUGH_MEMORY},
    // The common dialogs and the DLLs found late.
    {"GetOpenFileNameW", FALSE, CDERR_MEMALLOCFAILURE},
    {"GetSaveFileNameW", FALSE, CDERR_MEMALLOCFAILURE},
    {"LoadLibraryA", 0, ERROR_NOT_ENOUGH_MEMORY},
};

bool Named(const FaultPoint& point, const char* name)
{
    return std::strcmp(point.Name(), name) == 0;
}

}  // namespace

FaultPoint::FaultPoint(const char* name, ULONG_PTR failure, DWORD error)
    : name_(name)
    , failure_(failure)
    , error_(error)
{
}

bool FaultPoint::Fails(void* returnAddress)
{
    const std::uintptr_t site = reinterpret_cast<std::uintptr_t>(returnAddress) - programBase;
    const LogLock lock;
    ++calls_;
    bool known = false;
    for (int i = 0; i < siteCount_ && !known; ++i)
        known = sites_[i] == site;
    if (!known && siteCount_ < kMostSites) {
        sites_[siteCount_++] = site;
        WriteLogLine("site %s %lx %ld", name_, static_cast<unsigned long>(site), calls_);
    }
    if (request.fired || !Named(*this, request.function)
        || (request.bySite ? site != request.site : calls_ != request.n))
        return false;
    request.fired = true;
    if (request.haveError)
        error_ = request.error;
    WriteLogLine("fault %s site=%lx n=%ld%s", name_, static_cast<unsigned long>(site), calls_,
        request.shortWrite ? " short" : "");
    if (request.shortWrite) {
        failsShort_ = true;
        return false;
    }
    return true;
}

FaultPoint* FindFaultPoint(const char* function)
{
    for (FaultPoint& point : points) {
        if (Named(point, function))
            return &point;
    }
    return nullptr;
}

FaultPoint& FaultPointOf(const char* function)
{
    FaultPoint* point = FindFaultPoint(function);
    // A hook without a point is the recorder's own mistake: stop at once.
    if (!point)
        std::abort();
    return *point;
}

void ReadFaultRequest(HMODULE program)
{
    programBase = reinterpret_cast<std::uintptr_t>(program);
    char text[160] = {};
    const DWORD length = GetEnvironmentVariableA("TAMARKO_RECORDER_FAULT", text, sizeof text);
    if (length == 0 || length >= sizeof text)
        return;
    WriteLogLine("fault-request %s", text);
    char* options = std::strchr(text, ',');
    if (options)
        *options++ = '\0';
    char* at = std::strpbrk(text, "@#");
    if (!at || static_cast<std::size_t>(at - text) >= sizeof request.function)
        return;
    request.bySite = *at == '@';
    *at++ = '\0';
    if (request.bySite)
        request.site = std::strtoul(at, nullptr, 16);
    else
        request.n = std::strtol(at, nullptr, 10);
    for (char* option = options; option && *option;) {
        char* next = std::strchr(option, ',');
        if (next)
            *next++ = '\0';
        if (std::strncmp(option, "error=", 6) == 0) {
            request.haveError = true;
            request.error = std::strtoul(option + 6, nullptr, 16);
        } else if (std::strcmp(option, "short") == 0) {
            request.shortWrite = true;
        }
        option = next;
    }
    std::strcpy(request.function, text);
}

void WriteFaultCounts()
{
    for (const FaultPoint& point : points) {
        if (point.Calls() > 0)
            WriteLogLine("calls %s %ld", point.Name(), point.Calls());
    }
}

}  // namespace verifier
