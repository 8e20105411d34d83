// The recorder: a DLL that the end-to-end driver loads into tamarko.exe
// before its first instruction runs. It points the program's import table
// (and GetProcAddress, for the functions found late) at hooks that call the
// real function and append one line per call to recorder-<pid>.log in the
// test's folder: what was asked, what came back, and the few facts that
// only the moment of the call can tell (is the window still alive, what
// kind of object is deleted). The rules that judge the log live in rules.cpp.
#include "tests/verifier/fault_points.h"
#include "tests/verifier/recorder_log.h"

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace {

using verifier::FaultPoint;
using verifier::FaultPointOf;
using verifier::LogLock;
using verifier::WriteLogLine;

std::vector<HWND>* createdWindows = nullptr;

// The program's caller of a hook: where it called the function from.
#define CALLER() __builtin_return_address(0)

template <typename T> unsigned long Number(T value)
{
    if constexpr (std::is_pointer_v<T>)
        return static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(value));
    else
        return static_cast<unsigned long>(value);
}

// One line: the name, the arguments and the result, all in hexadecimal.
void Record(const char* name, std::initializer_list<unsigned long> arguments, unsigned long result)
{
    char text[512];
    std::size_t used = static_cast<std::size_t>(std::max(0, std::snprintf(text, sizeof text, "%s", name)));
    for (unsigned long argument : arguments) {
        if (used >= sizeof text)
            break;
        used += static_cast<std::size_t>(std::max(0, std::snprintf(text + used, sizeof text - used, " %lx", argument)));
    }
    WriteLogLine("%s = %lx", text, result);
}

// Calls the real function and records the call; the caller's last error is
// kept, since the program may ask for it next. A function Windows may refuse
// fails instead when this is the call the test asks to fail. The silent ones
// are counted for the fault sweep, and not logged.
template <const char* Name, typename F, bool Logged = true> struct Hooked;
template <const char* Name, bool Logged, typename R, typename... A> struct Hooked<Name, R(WINAPI*)(A...), Logged> {
    static inline R(WINAPI* original)(A...) = nullptr;
    static R WINAPI Call(A... arguments)
    {
        if constexpr (std::is_void_v<R>) {
            original(arguments...);
            const DWORD error = GetLastError();
            Record(Name, {Number(arguments)...}, 0);
            SetLastError(error);
        } else {
            static FaultPoint* const point = verifier::FindFaultPoint(Name);
            R result;
            DWORD error;
            if (point && point->Fails(CALLER())) {
                result = point->template Failure<R>();
                error = point->Error();
            } else {
                result = original(arguments...);
                error = GetLastError();
            }
            if constexpr (Logged)
                Record(Name, {Number(arguments)...}, Number(result));
            SetLastError(error);
            return result;
        }
    }
};

// The fault point of a hand-written hook, looked up once.
#define FAULT_POINT(function) static FaultPoint& point = FaultPointOf(#function)

// The calls whose meaning lies in what they point to.
#define REAL(function) static decltype(&::function) real##function = nullptr

REAL(Shell_NotifyIconA);
BOOL WINAPI HookShell_NotifyIconA(DWORD action, PNOTIFYICONDATAA data)
{
    FAULT_POINT(Shell_NotifyIconA);
    const HWND window = data ? data->hWnd : nullptr;
    const UINT id = data ? data->uID : 0;
    const int alive = window && IsWindow(window) ? 1 : 0;
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realShell_NotifyIconA(action, data);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine("Shell_NotifyIconA %lx %lx %x = %x alive=%d", action, Number(window), id, result, alive);
    SetLastError(error);
    return result;
}

// The system's own objects: the ones a DC holds before the program selects
// its own, found once.
std::vector<HGDIOBJ>* stockObjects = nullptr;

void FindStockObjects()
{
    stockObjects = new std::vector<HGDIOBJ>;
    for (int id = WHITE_BRUSH; id <= DC_PEN; ++id) {
        if (HGDIOBJ object = GetStockObject(id))
            stockObjects->push_back(object);
    }
    // A memory DC's own bitmap is no stock object GetStockObject names.
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(1, 1, 1, 1, nullptr);
    if (HGDIOBJ own = SelectObject(memory, bitmap)) {
        stockObjects->push_back(own);
        SelectObject(memory, own);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
}

bool IsStockObject(HGDIOBJ object)
{
    return std::find(stockObjects->begin(), stockObjects->end(), object) != stockObjects->end();
}

REAL(SelectObject);
HGDIOBJ WINAPI HookSelectObject(HDC dc, HGDIOBJ object)
{
    FAULT_POINT(SelectObject);
    const DWORD type = GetObjectType(object);
    // Putting a DC's own object back takes nothing Windows could run out
    // of: only the program's own objects are refused.
    const bool fails = !IsStockObject(object) && point.Fails(CALLER());
    const HGDIOBJ result = fails ? point.Failure<HGDIOBJ>() : realSelectObject(dc, object);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine("SelectObject %lx %lx = %lx type=%lu", Number(dc), Number(object), Number(result), type);
    SetLastError(error);
    return result;
}

REAL(DeleteObject);
BOOL WINAPI HookDeleteObject(HGDIOBJ object)
{
    const DWORD type = GetObjectType(object);
    const BOOL result = realDeleteObject(object);
    const DWORD error = GetLastError();
    WriteLogLine("DeleteObject %lx = %x type=%lu", Number(object), result, type);
    SetLastError(error);
    return result;
}

REAL(EndPaint);
BOOL WINAPI HookEndPaint(HWND window, const PAINTSTRUCT* paint)
{
    const HDC dc = paint ? paint->hdc : nullptr;
    const BOOL result = realEndPaint(window, paint);
    WriteLogLine("EndPaint %lx %lx = %x", Number(window), Number(dc), result);
    return result;
}

REAL(CreateWindowExA);
HWND WINAPI HookCreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR caption, DWORD style, int x, int y, int width,
    int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter)
{
    FAULT_POINT(CreateWindowExA);
    const bool fails = point.Fails(CALLER());
    const HWND result = fails ? point.Failure<HWND>()
                              : realCreateWindowExA(exStyle, className, caption, style, x, y, width, height, parent,
                                  menu, instance, parameter);
    const DWORD error = fails ? point.Error() : GetLastError();
    char name[80] = "#";
    if (HIWORD(className))
        lstrcpynA(name, className, sizeof name);
    else
        std::snprintf(name, sizeof name, "#%u", LOWORD(className));
    for (char& c : name) {
        if (c == ' ')
            c = '_';
    }
    WriteLogLine("CreateWindowExA %lx %lx %lx %lx = %lx class=%s", exStyle, style, Number(parent), Number(menu),
        Number(result), name);
    if (result) {
        const LogLock lock;
        createdWindows->push_back(result);
    }
    SetLastError(error);
    return result;
}

REAL(CreateProcessA);
BOOL WINAPI HookCreateProcessA(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES processAttributes,
    LPSECURITY_ATTRIBUTES threadAttributes, BOOL inherit, DWORD flags, LPVOID environment, LPCSTR folder,
    LPSTARTUPINFOA startup, LPPROCESS_INFORMATION started)
{
    FAULT_POINT(CreateProcessA);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>()
                              : realCreateProcessA(application, commandLine, processAttributes, threadAttributes,
                                  inherit, flags, environment, folder, startup, started);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine("CreateProcessA %lx = %x process=%lx thread=%lx", flags, result,
        result ? Number(started->hProcess) : 0ul, result ? Number(started->hThread) : 0ul);
    SetLastError(error);
    return result;
}

// A file refused as one another program holds: the recorder holds it so for
// a moment, without sharing, so that every other opener meets the same (the
// profile functions, which would read a held file as empty, among them).
REAL(CreateFileA);
DWORD WINAPI ReleaseHeldFile(LPVOID held)
{
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(held));
    return 0;
}

HANDLE WINAPI HookCreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes,
    DWORD disposition, DWORD flags, HANDLE templateFile)
{
    FAULT_POINT(CreateFileA);
    HANDLE result;
    DWORD error;
    if (point.Fails(CALLER())) {
        if (point.Error() == ERROR_SHARING_VIOLATION) {
            const HANDLE held
                = realCreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (held != INVALID_HANDLE_VALUE) {
                const HANDLE releaser = CreateThread(nullptr, 0, ReleaseHeldFile, held, 0, nullptr);
                if (releaser)
                    CloseHandle(releaser);
                else
                    CloseHandle(held);
            }
        }
        result = point.Failure<HANDLE>();
        error = point.Error();
    } else {
        result = realCreateFileA(name, access, share, attributes, disposition, flags, templateFile);
        error = GetLastError();
    }
    Record("CreateFileA",
        {Number(name), Number(access), Number(share), Number(attributes), Number(disposition), Number(flags),
            Number(templateFile)},
        Number(result));
    SetLastError(error);
    return result;
}

// Windows' high-contrast setting, which Wine 8 never turns on: answered on
// while the file that TAMARKO_RECORDER_HIGHCONTRAST names exists, so that a
// test can switch it while the program runs.
bool HighContrastAnsweredOn()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("TAMARKO_RECORDER_HIGHCONTRAST", path, sizeof path);
    return length > 0 && length < sizeof path && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

REAL(SystemParametersInfoA);
BOOL WINAPI HookSystemParametersInfoA(UINT action, UINT size, PVOID data, UINT flags)
{
    FAULT_POINT(SystemParametersInfoA);
    if (point.Fails(CALLER())) {
        SetLastError(point.Error());
        return FALSE;
    }
    const BOOL result = realSystemParametersInfoA(action, size, data, flags);
    const DWORD error = GetLastError();
    if (result && action == SPI_GETHIGHCONTRAST && data && HighContrastAnsweredOn())
        static_cast<HIGHCONTRASTA*>(data)->dwFlags |= HCF_HIGHCONTRASTON;
    SetLastError(error);
    return result;
}

REAL(CreatePipe);
BOOL WINAPI HookCreatePipe(PHANDLE read, PHANDLE write, LPSECURITY_ATTRIBUTES attributes, DWORD size)
{
    FAULT_POINT(CreatePipe);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realCreatePipe(read, write, attributes, size);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine(
        "CreatePipe = %x read=%lx write=%lx", result, result ? Number(*read) : 0ul, result ? Number(*write) : 0ul);
    SetLastError(error);
    return result;
}

REAL(DuplicateHandle);
BOOL WINAPI HookDuplicateHandle(
    HANDLE fromProcess, HANDLE handle, HANDLE toProcess, LPHANDLE copy, DWORD access, BOOL inherit, DWORD options)
{
    const BOOL result = realDuplicateHandle(fromProcess, handle, toProcess, copy, access, inherit, options);
    const DWORD error = GetLastError();
    const bool ours = toProcess == GetCurrentProcess() && result && copy;
    WriteLogLine(
        "DuplicateHandle %lx %lx = %x handle=%lx", Number(handle), options, result, ours ? Number(*copy) : 0ul);
    SetLastError(error);
    return result;
}

REAL(RegOpenKeyExA);
LONG WINAPI HookRegOpenKeyExA(HKEY root, LPCSTR subKey, DWORD options, REGSAM access, PHKEY key)
{
    FAULT_POINT(RegOpenKeyExA);
    const LONG result
        = point.Fails(CALLER()) ? point.Failure<LONG>() : realRegOpenKeyExA(root, subKey, options, access, key);
    WriteLogLine("RegOpenKeyExA %lx = %lx key=%lx", Number(root), result, result == ERROR_SUCCESS ? Number(*key) : 0ul);
    SetLastError(static_cast<DWORD>(result));
    return result;
}

REAL(RegCreateKeyExA);
LONG WINAPI HookRegCreateKeyExA(HKEY root, LPCSTR subKey, DWORD reserved, LPSTR className, DWORD options, REGSAM access,
    LPSECURITY_ATTRIBUTES attributes, PHKEY key, LPDWORD disposition)
{
    FAULT_POINT(RegCreateKeyExA);
    const LONG result = point.Fails(CALLER())
        ? point.Failure<LONG>()
        : realRegCreateKeyExA(root, subKey, reserved, className, options, access, attributes, key, disposition);
    WriteLogLine(
        "RegCreateKeyExA %lx = %lx key=%lx", Number(root), result, result == ERROR_SUCCESS ? Number(*key) : 0ul);
    SetLastError(static_cast<DWORD>(result));
    return result;
}

REAL(OpenProcessToken);
BOOL WINAPI HookOpenProcessToken(HANDLE process, DWORD access, PHANDLE token)
{
    FAULT_POINT(OpenProcessToken);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realOpenProcessToken(process, access, token);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine("OpenProcessToken = %x token=%lx", result, result ? Number(*token) : 0ul);
    SetLastError(error);
    return result;
}

REAL(OpenThreadToken);
BOOL WINAPI HookOpenThreadToken(HANDLE thread, DWORD access, BOOL self, PHANDLE token)
{
    FAULT_POINT(OpenThreadToken);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realOpenThreadToken(thread, access, self, token);
    const DWORD error = fails ? point.Error() : GetLastError();
    WriteLogLine("OpenThreadToken = %x token=%lx", result, result ? Number(*token) : 0ul);
    SetLastError(error);
    return result;
}

// A menu item that carries a submenu hands the submenu to its menu.
void RecordMenuItem(const char* name, HMENU menu, const MENUITEMINFOA* item, BOOL result)
{
    const bool submenu = result && item && (item->fMask & MIIM_SUBMENU) && item->hSubMenu;
    WriteLogLine("%s %lx = %x submenu=%lx", name, Number(menu), result, submenu ? Number(item->hSubMenu) : 0ul);
}

REAL(InsertMenuItemA);
BOOL WINAPI HookInsertMenuItemA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info)
{
    FAULT_POINT(InsertMenuItemA);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realInsertMenuItemA(menu, item, byPosition, info);
    const DWORD error = fails ? point.Error() : GetLastError();
    RecordMenuItem("InsertMenuItemA", menu, info, result);
    SetLastError(error);
    return result;
}

REAL(SetMenuItemInfoA);
BOOL WINAPI HookSetMenuItemInfoA(HMENU menu, UINT item, BOOL byPosition, LPCMENUITEMINFOA info)
{
    FAULT_POINT(SetMenuItemInfoA);
    const bool fails = point.Fails(CALLER());
    const BOOL result = fails ? point.Failure<BOOL>() : realSetMenuItemInfoA(menu, item, byPosition, info);
    const DWORD error = fails ? point.Error() : GetLastError();
    RecordMenuItem("SetMenuItemInfoA", menu, info, result);
    SetLastError(error);
    return result;
}

// The message loops. A WM_QUIT taken from the queue must be posted again
// before anything waits for messages once more, or the loop around the one
// that took it never ends; that includes a wait the taking one runs inside
// (a message sent to the program is handled inside GetMessage or
// PeekMessage). Only what the rule needs is recorded: the taking, and a
// wait or a return that comes before the quit is posted again.
int waitDepth = 0;
bool quitTaken = false;
int quitTakenAtDepth = 0;

void EnterWait(const char* name)
{
    if (quitTaken) {
        quitTaken = false;
        WriteLogLine("%s waits after a WM_QUIT was taken", name);
    }
    ++waitDepth;
}

void LeaveWait(const char* name, bool tookQuit)
{
    --waitDepth;
    if (quitTaken && waitDepth < quitTakenAtDepth) {
        quitTaken = false;
        WriteLogLine("%s returns after a WM_QUIT was taken inside it", name);
    }
    if (tookQuit) {
        quitTaken = true;
        quitTakenAtDepth = waitDepth;
        WriteLogLine("%s took WM_QUIT%s", name, waitDepth > 0 ? " inside a wait" : "");
    }
}

REAL(GetMessageA);
BOOL WINAPI HookGetMessageA(LPMSG message, HWND window, UINT first, UINT last)
{
    EnterWait("GetMessageA");
    const BOOL result = realGetMessageA(message, window, first, last);
    const DWORD error = GetLastError();
    LeaveWait("GetMessageA", result == 0);
    SetLastError(error);
    return result;
}

REAL(PeekMessageA);
BOOL WINAPI HookPeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove)
{
    EnterWait("PeekMessageA");
    const BOOL result = realPeekMessageA(message, window, first, last, remove);
    const DWORD error = GetLastError();
    LeaveWait("PeekMessageA", result && (remove & PM_REMOVE) && message->message == WM_QUIT);
    SetLastError(error);
    return result;
}

REAL(MsgWaitForMultipleObjectsEx);
DWORD WINAPI HookMsgWaitForMultipleObjectsEx(DWORD count, const HANDLE* handles, DWORD timeout, DWORD wake, DWORD flags)
{
    EnterWait("MsgWaitForMultipleObjectsEx");
    const DWORD result = realMsgWaitForMultipleObjectsEx(count, handles, timeout, wake, flags);
    const DWORD error = GetLastError();
    LeaveWait("MsgWaitForMultipleObjectsEx", false);
    SetLastError(error);
    return result;
}

REAL(WaitMessage);
BOOL WINAPI HookWaitMessage()
{
    EnterWait("WaitMessage");
    const BOOL result = realWaitMessage();
    const DWORD error = GetLastError();
    LeaveWait("WaitMessage", false);
    SetLastError(error);
    return result;
}

REAL(PostQuitMessage);
void WINAPI HookPostQuitMessage(int code)
{
    quitTaken = false;
    WriteLogLine("PostQuitMessage %x = 0", code);
    realPostQuitMessage(code);
}

// The file dialogs fail as a broken system's do (Wine's never fail): with an
// error for CommDlgExtendedError to tell.
DWORD dialogError = 0;

REAL(GetOpenFileNameW);
REAL(GetSaveFileNameW);

BOOL ShowDialog(FaultPoint& point, void* caller, decltype(&::GetOpenFileNameW) real, LPOPENFILENAMEW dialog)
{
    if (point.Fails(caller)) {
        dialogError = point.Error();
        WriteLogLine("%s = 0 failed as the test asked, error %lx", point.Name(), dialogError);
        return FALSE;
    }
    dialogError = 0;
    return real(dialog);
}

BOOL WINAPI HookGetOpenFileNameW(LPOPENFILENAMEW dialog)
{
    FAULT_POINT(GetOpenFileNameW);
    return ShowDialog(point, CALLER(), realGetOpenFileNameW, dialog);
}

BOOL WINAPI HookGetSaveFileNameW(LPOPENFILENAMEW dialog)
{
    FAULT_POINT(GetSaveFileNameW);
    return ShowDialog(point, CALLER(), realGetSaveFileNameW, dialog);
}

REAL(CommDlgExtendedError);
DWORD WINAPI HookCommDlgExtendedError()
{
    return dialogError ? dialogError : realCommDlgExtendedError();
}

// Allocation as the C runtime serves it: malloc, calloc and realloc are
// where operator new and every container of the program get their memory.
using MallocFunction = void*(__cdecl*)(std::size_t);
MallocFunction realMalloc = nullptr;
void* __cdecl HookMalloc(std::size_t size)
{
    FAULT_POINT(malloc);
    return point.Fails(CALLER()) ? nullptr : realMalloc(size);
}

using CallocFunction = void*(__cdecl*)(std::size_t, std::size_t);
CallocFunction realCalloc = nullptr;
void* __cdecl HookCalloc(std::size_t count, std::size_t size)
{
    FAULT_POINT(calloc);
    return point.Fails(CALLER()) ? nullptr : realCalloc(count, size);
}

// A profile write that claims success while the disk took only half the
// file: Wine's profile functions on a full disk.
REAL(WritePrivateProfileStringA);
BOOL WINAPI HookWritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file)
{
    FAULT_POINT(WritePrivateProfileStringA);
    if (point.Fails(CALLER())) {
        SetLastError(point.Error());
        return FALSE;
    }
    const BOOL result = realWritePrivateProfileStringA(section, key, value, file);
    const DWORD error = GetLastError();
    if (point.TakeShortWrite() && file) {
        const HANDLE written = CreateFileA(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
            nullptr, OPEN_EXISTING, 0, nullptr);
        if (written != INVALID_HANDLE_VALUE) {
            SetFilePointer(written, static_cast<LONG>(GetFileSize(written, nullptr) / 2), nullptr, FILE_BEGIN);
            SetEndOfFile(written);
            CloseHandle(written);
        }
        WriteLogLine("WritePrivateProfileStringA = %x cut short", result);
    }
    SetLastError(error);
    return result;
}

// Wine checks a heap block's tail (the GlobalFlag the tests set) only when
// it validates the block: each block the C runtime frees or moves is
// validated first (a block freed before fails too), and every heap once at
// the end. Wine reports damage on its heap debug channel; the log notes it
// with the test's step.
HANDLE runtimeHeap = nullptr;

bool BlockIsWhole(void* block)
{
    return !block || !runtimeHeap || HeapValidate(runtimeHeap, 0, block);
}

using FreeFunction = void(__cdecl*)(void*);
FreeFunction realFree = nullptr;
void __cdecl HookFree(void* block)
{
    if (!BlockIsWhole(block))
        WriteLogLine("free %lx = 0 heap block damaged", Number(block));
    realFree(block);
}

using ReallocFunction = void*(__cdecl*)(void*, std::size_t);
ReallocFunction realRealloc = nullptr;
void* __cdecl HookRealloc(void* block, std::size_t size)
{
    FAULT_POINT(realloc);
    if (!BlockIsWhole(block))
        WriteLogLine("realloc %lx %lx = 0 heap block damaged", Number(block), static_cast<unsigned long>(size));
    return point.Fails(CALLER()) ? nullptr : realRealloc(block, size);
}

void FindRuntimeHeap()
{
    using GetHeap = std::intptr_t(__cdecl*)();
    const auto getHeap = reinterpret_cast<GetHeap>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_get_heap_handle")));
    runtimeHeap = getHeap ? reinterpret_cast<HANDLE>(getHeap()) : nullptr;
}

void ValidateEveryHeap()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapValidate(heaps[i], 0, nullptr))
            WriteLogLine("heap %lx = 0 heap damaged", Number(heaps[i]));
    }
}

// The plain ones: everything they mean is in their numbers.
#define PLAIN(function)                                                                                                \
    constexpr char k##function[] = #function;                                                                          \
    using Plain##function = Hooked<k##function, decltype(&::function)>

PLAIN(CreatePen);
PLAIN(CreatePenIndirect);
PLAIN(ExtCreatePen);
PLAIN(CreateSolidBrush);
PLAIN(CreateHatchBrush);
PLAIN(CreatePatternBrush);
PLAIN(CreateBrushIndirect);
PLAIN(CreateFontA);
PLAIN(CreateFontIndirectA);
PLAIN(CreateBitmap);
PLAIN(CreateBitmapIndirect);
PLAIN(CreateCompatibleBitmap);
PLAIN(CreateDIBSection);
PLAIN(CreateDIBitmap);
PLAIN(CreateRectRgn);
PLAIN(CreateRectRgnIndirect);
PLAIN(CreateEllipticRgn);
PLAIN(CreateRoundRectRgn);
PLAIN(CreateCompatibleDC);
PLAIN(CreateDCA);
PLAIN(CreateICA);
PLAIN(DeleteDC);
PLAIN(GetDC);
PLAIN(GetWindowDC);
PLAIN(GetDCEx);
PLAIN(ReleaseDC);
PLAIN(BeginPaint);
PLAIN(LoadImageA);
PLAIN(LoadBitmapA);
PLAIN(CopyIcon);
PLAIN(CopyImage);
PLAIN(CreateIconIndirect);
PLAIN(DestroyIcon);
PLAIN(DestroyCursor);
PLAIN(CreateMenu);
PLAIN(CreatePopupMenu);
PLAIN(LoadMenuA);
PLAIN(DestroyMenu);
PLAIN(AppendMenuA);
PLAIN(InsertMenuA);
PLAIN(SetMenu);
PLAIN(CreateAcceleratorTableA);
PLAIN(DestroyAcceleratorTable);
PLAIN(DestroyWindow);
PLAIN(CreateEventA);
PLAIN(CreateNamedPipeA);
PLAIN(CreateFileMappingA);
PLAIN(CreateMutexA);
PLAIN(CreateSemaphoreA);
PLAIN(OpenProcess);
PLAIN(CloseHandle);
PLAIN(RegCloseKey);
PLAIN(CoInitialize);
PLAIN(CoInitializeEx);
PLAIN(CoUninitialize);

// The silent ones: not logged, only counted and failed on request.
#define SILENT(function)                                                                                               \
    constexpr char k##function[] = #function;                                                                          \
    using Silent##function = Hooked<k##function, decltype(&::function), false>

SILENT(RegisterClassA);
SILENT(SetPropA);
SILENT(SetTimer);
SILENT(InitCommonControlsEx);
SILENT(LoadIconA);
SILENT(LoadCursorA);
SILENT(SHGetSpecialFolderPathW);
SILENT(ShellExecuteA);
SILENT(CoCreateInstance);
SILENT(CreateDirectoryW);
SILENT(GetTempFileNameA);
SILENT(CopyFileA);
SILENT(MoveFileExA);
SILENT(FlushFileBuffers);
SILENT(RegSetValueExA);
SILENT(RegDeleteValueA);
SILENT(GetTokenInformation);
SILENT(AllocateAndInitializeSid);
SILENT(GetLocaleInfoA);
SILENT(LoadLibraryA);

struct HookEntry {
    const char* name;
    void* hook;
    void** original;
};

#define ENTRY_PLAIN(function)                                                                                          \
    {                                                                                                                  \
#function, reinterpret_cast < void*>(&Plain##function::Call),                                                  \
            reinterpret_cast < void**>(&Plain##function::original)                                                     \
    }
#define ENTRY_SILENT(function)                                                                                         \
    {                                                                                                                  \
#function, reinterpret_cast < void*>(&Silent##function::Call),                                                 \
            reinterpret_cast < void**>(&Silent##function::original)                                                    \
    }
#define ENTRY_HOOK(function)                                                                                           \
    {                                                                                                                  \
#function, reinterpret_cast < void*>(&Hook##function), reinterpret_cast < void**>(&real##function)             \
    }

const HookEntry kHooks[] = {
    ENTRY_HOOK(Shell_NotifyIconA),
    ENTRY_HOOK(SelectObject),
    ENTRY_HOOK(DeleteObject),
    ENTRY_HOOK(EndPaint),
    ENTRY_HOOK(CreateWindowExA),
    ENTRY_HOOK(CreateProcessA),
    ENTRY_HOOK(CreateFileA),
    ENTRY_HOOK(SystemParametersInfoA),
    ENTRY_HOOK(CreatePipe),
    ENTRY_HOOK(DuplicateHandle),
    ENTRY_HOOK(RegOpenKeyExA),
    ENTRY_HOOK(RegCreateKeyExA),
    ENTRY_HOOK(OpenProcessToken),
    ENTRY_HOOK(OpenThreadToken),
    ENTRY_HOOK(InsertMenuItemA),
    ENTRY_HOOK(SetMenuItemInfoA),
    ENTRY_HOOK(GetMessageA),
    ENTRY_HOOK(PeekMessageA),
    ENTRY_HOOK(MsgWaitForMultipleObjectsEx),
    ENTRY_HOOK(WaitMessage),
    ENTRY_HOOK(PostQuitMessage),
    {"free", reinterpret_cast<void*>(&HookFree), reinterpret_cast<void**>(&realFree)},
    {"realloc", reinterpret_cast<void*>(&HookRealloc), reinterpret_cast<void**>(&realRealloc)},
    {"malloc", reinterpret_cast<void*>(&HookMalloc), reinterpret_cast<void**>(&realMalloc)},
    {"calloc", reinterpret_cast<void*>(&HookCalloc), reinterpret_cast<void**>(&realCalloc)},
    ENTRY_HOOK(WritePrivateProfileStringA),
    ENTRY_HOOK(GetOpenFileNameW),
    ENTRY_HOOK(GetSaveFileNameW),
    ENTRY_HOOK(CommDlgExtendedError),
    ENTRY_PLAIN(CreatePen),
    ENTRY_PLAIN(CreatePenIndirect),
    ENTRY_PLAIN(ExtCreatePen),
    ENTRY_PLAIN(CreateSolidBrush),
    ENTRY_PLAIN(CreateHatchBrush),
    ENTRY_PLAIN(CreatePatternBrush),
    ENTRY_PLAIN(CreateBrushIndirect),
    ENTRY_PLAIN(CreateFontA),
    ENTRY_PLAIN(CreateFontIndirectA),
    ENTRY_PLAIN(CreateBitmap),
    ENTRY_PLAIN(CreateBitmapIndirect),
    ENTRY_PLAIN(CreateCompatibleBitmap),
    ENTRY_PLAIN(CreateDIBSection),
    ENTRY_PLAIN(CreateDIBitmap),
    ENTRY_PLAIN(CreateRectRgn),
    ENTRY_PLAIN(CreateRectRgnIndirect),
    ENTRY_PLAIN(CreateEllipticRgn),
    ENTRY_PLAIN(CreateRoundRectRgn),
    ENTRY_PLAIN(CreateCompatibleDC),
    ENTRY_PLAIN(CreateDCA),
    ENTRY_PLAIN(CreateICA),
    ENTRY_PLAIN(DeleteDC),
    ENTRY_PLAIN(GetDC),
    ENTRY_PLAIN(GetWindowDC),
    ENTRY_PLAIN(GetDCEx),
    ENTRY_PLAIN(ReleaseDC),
    ENTRY_PLAIN(BeginPaint),
    ENTRY_PLAIN(LoadImageA),
    ENTRY_PLAIN(LoadBitmapA),
    ENTRY_PLAIN(CopyIcon),
    ENTRY_PLAIN(CopyImage),
    ENTRY_PLAIN(CreateIconIndirect),
    ENTRY_PLAIN(DestroyIcon),
    ENTRY_PLAIN(DestroyCursor),
    ENTRY_PLAIN(CreateMenu),
    ENTRY_PLAIN(CreatePopupMenu),
    ENTRY_PLAIN(LoadMenuA),
    ENTRY_PLAIN(DestroyMenu),
    ENTRY_PLAIN(AppendMenuA),
    ENTRY_PLAIN(InsertMenuA),
    ENTRY_PLAIN(SetMenu),
    ENTRY_PLAIN(CreateAcceleratorTableA),
    ENTRY_PLAIN(DestroyAcceleratorTable),
    ENTRY_PLAIN(DestroyWindow),
    ENTRY_PLAIN(CreateEventA),
    ENTRY_PLAIN(CreateNamedPipeA),
    ENTRY_PLAIN(CreateFileMappingA),
    ENTRY_PLAIN(CreateMutexA),
    ENTRY_PLAIN(CreateSemaphoreA),
    ENTRY_PLAIN(OpenProcess),
    ENTRY_PLAIN(CloseHandle),
    ENTRY_PLAIN(RegCloseKey),
    ENTRY_PLAIN(CoInitialize),
    ENTRY_PLAIN(CoInitializeEx),
    ENTRY_PLAIN(CoUninitialize),
    ENTRY_SILENT(RegisterClassA),
    ENTRY_SILENT(SetPropA),
    ENTRY_SILENT(SetTimer),
    ENTRY_SILENT(InitCommonControlsEx),
    ENTRY_SILENT(LoadIconA),
    ENTRY_SILENT(LoadCursorA),
    ENTRY_SILENT(SHGetSpecialFolderPathW),
    ENTRY_SILENT(ShellExecuteA),
    ENTRY_SILENT(CoCreateInstance),
    ENTRY_SILENT(CreateDirectoryW),
    ENTRY_SILENT(GetTempFileNameA),
    ENTRY_SILENT(CopyFileA),
    ENTRY_SILENT(MoveFileExA),
    ENTRY_SILENT(FlushFileBuffers),
    ENTRY_SILENT(RegSetValueExA),
    ENTRY_SILENT(RegDeleteValueA),
    ENTRY_SILENT(GetTokenInformation),
    ENTRY_SILENT(AllocateAndInitializeSid),
    ENTRY_SILENT(GetLocaleInfoA),
    ENTRY_SILENT(LoadLibraryA),
};

const HookEntry* FindHook(const char* name)
{
    for (const HookEntry& entry : kHooks) {
        if (std::strcmp(entry.name, name) == 0)
            return &entry;
    }
    return nullptr;
}

// Functions found late go through GetProcAddress: the hook is handed out in
// place of the real function.
REAL(GetProcAddress);
FARPROC WINAPI HookGetProcAddress(HMODULE module, LPCSTR name)
{
    const FARPROC result = realGetProcAddress(module, name);
    const DWORD error = GetLastError();
    const HookEntry* entry = result && HIWORD(name) ? FindHook(name) : nullptr;
    if (entry && (!*entry->original || *entry->original == reinterpret_cast<void*>(result))) {
        *entry->original = reinterpret_cast<void*>(result);
        SetLastError(error);
        return reinterpret_cast<FARPROC>(entry->hook);
    }
    SetLastError(error);
    return result;
}

void PatchSlot(ULONG_PTR* slot, void* hook, void** original)
{
    if (!*original)
        *original = reinterpret_cast<void*>(*slot);
    DWORD protection = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &protection);
    *slot = reinterpret_cast<ULONG_PTR>(hook);
    VirtualProtect(slot, sizeof *slot, protection, &protection);
}

// Points every slot of the program's import table that names a hooked
// function at its hook.
void PatchImports(HMODULE program)
{
    auto* base = reinterpret_cast<unsigned char*>(program);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!imports.VirtualAddress)
        return;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); library->Name;
         ++library) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (library->OriginalFirstThunk ? library->OriginalFirstThunk : library->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const char* name = reinterpret_cast<const char*>(byName->Name);
            if (std::strcmp(name, "GetProcAddress") == 0)
                PatchSlot(&slots->u1.Function, reinterpret_cast<void*>(&HookGetProcAddress),
                    reinterpret_cast<void**>(&realGetProcAddress));
            else if (const HookEntry* entry = FindHook(name))
                PatchSlot(&slots->u1.Function, entry->hook, entry->original);
        }
    }
}

// The calls so far of the functions that are called most stand beside each
// step of the test: the fault sweep picks calls of theirs to fail in every
// part of a session.
void NoteCounts()
{
    WriteLogLine("# counts malloc=%ld WritePrivateProfileStringA=%ld CreateFileA=%ld", FaultPointOf("malloc").Calls(),
        FaultPointOf("WritePrivateProfileStringA").Calls(), FaultPointOf("CreateFileA").Calls());
}

void Start()
{
    createdWindows = new std::vector<HWND>;
    // The test's folder, which the driver names: the program may run from
    // one too deep for a path.
    char folder[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("TAMARKO_RECORDER_FOLDER", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder || !verifier::OpenRecorderLog(folder))
        return;
    WriteLogLine("start %lu", GetCurrentProcessId());
    FindRuntimeHeap();
    FindStockObjects();
    const HMODULE program = GetModuleHandleA(nullptr);
    verifier::ReadFaultRequest(program);
    verifier::SetStepListener(NoteCounts);
    PatchImports(program);
}

// What is still there when the program has finished: the process is ending
// and everything it left is about to be taken by the system.
void Finish()
{
    if (!verifier::RecorderLogOpen())
        return;
    ValidateEveryHeap();
    for (HWND window : *createdWindows) {
        DWORD owner = 0;
        if (IsWindow(window) && GetWindowThreadProcessId(window, &owner) && owner == GetCurrentProcessId())
            WriteLogLine("alive-window %lx", Number(window));
    }
    verifier::WriteFaultCounts();
    WriteLogLine("exit");
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Start();
    else if (reason == DLL_PROCESS_DETACH)
        Finish();
    return TRUE;
}
