#include "tests/support/driver.h"

#include "tests/support/recording.h"

#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <utility>

namespace e2e {

namespace {

std::string WindowsPath(std::string unixPath)
{
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

void CopyOrThrow(const std::string& from, const std::string& to)
{
    if (!CopyFileA(from.c_str(), to.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + from + " to " + to);
}

// Wide, for the names a test made outside the code page and the paths
// longer than the ANSI calls take.
void RemoveTree(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring child = path + L"\\" + name;
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileW(child.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

std::string Convert(const std::string& text, UINT from, UINT to)
{
    if (text.empty())
        return {};
    const int wideLength = MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
    const int length = WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, result.data(), length, nullptr, nullptr);
    return result;
}

POINT ScreenPoint(HWND window, int x, int y)
{
    POINT point{x, y};
    ClientToScreen(window, &point);
    return point;
}

void SendMouse(DWORD flags, POINT at = {})
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = static_cast<LONG>((at.x * 65535 + width / 2) / (width - 1));
        input.mi.dy = static_cast<LONG>((at.y * 65535 + height / 2) / (height - 1));
    }
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD key, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, 0));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void Settle()
{
    std::this_thread::sleep_for(60ms);
}

// A window as a step of the test names it.
std::string Named(HWND window)
{
    std::string text = Text(window);
    if (text.size() > 40)
        text = text.substr(0, 40) + "...";
    return ClassName(window) + " \"" + text + "\"";
}

}  // namespace

void RemoveTree(const std::string& path)
{
    RemoveTree(AnsiToWide(path));
}

std::string ShipDir()
{
    return WindowsPath(TAMARKO_SHIP_DIR);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

bool FileExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> FileNames(const std::string& pattern)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string Utf8ToAnsi(const std::string& utf8)
{
    return Convert(utf8, CP_UTF8, 1250);
}

std::string AnsiToUtf8(const std::string& ansi)
{
    return Convert(ansi, 1250, CP_UTF8);
}

std::wstring AnsiToWide(const std::string& ansi)
{
    std::wstring wide(ansi.size(), L'\0');
    const int length = MultiByteToWideChar(
        1250, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<std::size_t>(std::max(length, 0)));
    return wide;
}

std::string WideToAnsi(const std::wstring& wide)
{
    std::string ansi(wide.size() * 2, '\0');
    const int length = WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
        ansi.data(), static_cast<int>(ansi.size()), "?", nullptr);
    ansi.resize(static_cast<std::size_t>(std::max(length, 0)));
    return ansi;
}

namespace {

// The full path of a process's program, or nothing when it cannot be read.
std::string ProgramPathOf(DWORD processId)
{
    HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId);
    if (modules == INVALID_HANDLE_VALUE)
        return {};
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    std::string path = Module32First(modules, &module) ? module.szExePath : "";
    CloseHandle(modules);
    return path;
}

}  // namespace

void KillProcessesNamed(const std::string& exeName)
{
    // Only programs started from the end-to-end tests' folders: other tests
    // may run their own copies of the stand-ins meanwhile.
    const std::string work = WindowsPath(TAMARKO_E2E_WORK_DIR);
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName.c_str()) != 0)
            continue;
        const std::string path = ProgramPathOf(entry.th32ProcessID);
        if (path.size() < work.size() || lstrcmpiA(path.substr(0, work.size()).c_str(), work.c_str()) != 0)
            continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 99);
            WaitForSingleObject(process, 5000);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

ProgramFolder::ProgramFolder(const std::string& testName)
{
    // Whatever an earlier test left running would hold its folder (and
    // would answer the single-instance check).
    for (const char* program : {"tamarko.exe", "netsh.exe", "ipconfig.exe"})
        KillProcessesNamed(program);
    const std::string work = WindowsPath(TAMARKO_E2E_WORK_DIR);
    CreateDirectoryA(work.c_str(), nullptr);
    path_ = work + "\\" + testName;
    // The folder of a test run just before may linger while the processes
    // that had it open are still going away.
    const bool created = WaitUntil(
        [&] {
            RemoveTree(path_);
            return CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
        },
        20s);
    if (!created)
        throw std::runtime_error("cannot create " + path_);
    BeginRecordings(path_);
    for (const char* program : {"tamarko.exe", "netsh.exe", "ipconfig.exe"})
        CopyOrThrow(ShipDir() + "\\" + program, File(program));
}

ProgramFolder::~ProgramFolder()
{
    for (const char* program : {"tamarko.exe", "netsh.exe", "ipconfig.exe"})
        KillProcessesNamed(program);
}

void ProgramFolder::WriteNetsimState(const std::string& utf8State) const
{
    WriteFileBytes(File("netsim-state.txt"), utf8State);
}

std::vector<std::string> ProgramFolder::Journal() const
{
    return NetsimJournal(path_);
}

std::vector<std::string> NetsimJournal(const std::string& folder)
{
    std::vector<std::string> lines;
    std::istringstream journal(Utf8ToAnsi(ReadFileBytes(folder + "\\netsim-journal.txt")));
    std::string line;
    while (std::getline(journal, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void ProgramFolder::OpenGate() const
{
    WriteFileBytes(File("netsim-gate"), "");
}

void ProgramFolder::ClearJournal() const
{
    DeleteFileA(File("netsim-journal.txt").c_str());
}

namespace {

// The test's environment with `environment` added or replaced, and the
// recorder's folder when it records, as a block for CreateProcess.
std::string EnvironmentBlock(const std::map<std::string, std::string>& environment, Recording recording)
{
    std::map<std::string, std::string> variables;
    char* block = GetEnvironmentStringsA();
    for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) {
        const char* equals = std::strchr(entry + 1, '=');
        if (equals)
            variables[std::string(entry, equals)] = equals + 1;
    }
    FreeEnvironmentStringsA(block);
    for (const auto& [name, value] : environment)
        variables[name] = value;
    if (recording == Recording::On)
        variables[kRecorderFolderVariable] = RecordingFolder();
    std::string environmentBlock;
    for (const auto& [name, value] : variables)
        environmentBlock += name + "=" + value + '\0';
    environmentBlock += '\0';
    return environmentBlock;
}

}  // namespace

Process::Process(const std::string& exe, const std::string& arguments, const std::string& folder,
    const std::map<std::string, std::string>& environment, Recording recording, Rights rights)
{
    std::string environmentBlock = EnvironmentBlock(environment, recording);
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const DWORD flags = recording == Recording::On ? CREATE_SUSPENDED : 0;
    const HANDLE token = rights == Rights::Own ? nullptr : AdministratorsDenyOnlyToken();
    const BOOL started = token ? CreateProcessAsUserA(token, exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                             flags, environmentBlock.data(), folder.c_str(), &startup, &process)
                               : CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                                   environmentBlock.data(), folder.c_str(), &startup, &process);
    if (token)
        CloseHandle(token);
    if (!started)
        throw std::runtime_error("cannot start " + exe);
    Started(process, recording);
}

Process::Process(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder)
{
    std::string environmentBlock = EnvironmentBlock({}, Recording::On);
    std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
            environmentBlock.data(), folder.c_str(), &startup, &process))
        throw std::runtime_error("cannot start a program of a folder with a wide name");
    Started(process, Recording::On);
}

void Process::Started(const PROCESS_INFORMATION& process, Recording recording)
{
    handle_ = process.hProcess;
    id_ = process.dwProcessId;
    if (recording == Recording::On) {
        try {
            StartRecording(process);
        } catch (...) {
            CloseHandle(process.hThread);
            Kill();  // still suspended; no destructor runs for what never was made
            throw;
        }
        ResumeThread(process.hThread);
    }
    CloseHandle(process.hThread);
}

HANDLE Process::AdministratorsDenyOnlyToken()
{
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own))
        throw std::runtime_error("cannot open the test's token");
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    AllocateAndInitializeSid(
        &nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators);
    SID_AND_ATTRIBUTES denyOnly{administrators, 0};
    HANDLE restricted = nullptr;
    const BOOL made = CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted);
    FreeSid(administrators);
    CloseHandle(own);
    if (!made)
        throw std::runtime_error("cannot make a token whose Administrators group only denies");
    return restricted;
}

Process::~Process()
{
    Kill();
}

Process::Process(Process&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
    , id_(std::exchange(other.id_, 0))
{
}

Process& Process::operator=(Process&& other) noexcept
{
    Kill();
    handle_ = std::exchange(other.handle_, nullptr);
    id_ = std::exchange(other.id_, 0);
    return *this;
}

bool Process::Running() const
{
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Process::WaitForExit(Duration timeout) const
{
    if (!handle_ || WaitForSingleObject(handle_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(handle_, &code);
    return code;
}

void Process::Kill()
{
    if (!handle_)
        return;
    if (Running()) {
        TerminateProcess(handle_, 99);
        WaitForSingleObject(handle_, 5000);
    }
    CloseHandle(handle_);
    handle_ = nullptr;
}

Process StartTamarko(const ProgramFolder& folder, const std::string& arguments,
    const std::map<std::string, std::string>& environment, Rights rights)
{
    return Process(folder.File("tamarko.exe"), arguments, folder.Path(), environment, Recording::On, rights);
}

namespace {

struct TopWindowSearch {
    DWORD processId;
    const std::string& className;
    const std::string& caption;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<TopWindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || ClassName(window) != search.className)
        return TRUE;
    if (search.visibleOnly && !IsWindowVisible(window))
        return TRUE;
    if (!search.caption.empty() && Text(window) != search.caption)
        return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const std::string& className, const std::string& caption, bool visibleOnly)
{
    TopWindowSearch search{processId, className, caption, visibleOnly, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

namespace {

struct ClassSearch {
    DWORD processId;
    std::set<std::string> classes;
};

BOOL CALLBACK NoteVisibleClass(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<ClassSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search.processId && IsWindowVisible(window))
        search.classes.insert(ClassName(window));
    return TRUE;
}

}  // namespace

std::set<std::string> VisibleTopWindowClasses(DWORD processId)
{
    ClassSearch search{processId, {}};
    EnumWindows(NoteVisibleClass, reinterpret_cast<LPARAM>(&search));
    return search.classes;
}

std::optional<std::set<std::string>> WindowsShownUntilExit(const Process& process, Duration timeout)
{
    // Looked at closely: a window that flashes up is seen too. The windows
    // are looked at before the end is tested, so nothing shown at the last
    // moment is missed.
    std::set<std::string> shown;
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::set<std::string> now = VisibleTopWindowClasses(process.Id());
        shown.insert(now.begin(), now.end());
        if (!process.Running())
            return shown;
        if (std::chrono::steady_clock::now() > end)
            return std::nullopt;
        std::this_thread::sleep_for(1ms);
    }
}

HWND WaitForTopWindow(DWORD processId, const std::string& className, const std::string& caption, Duration timeout)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(processId, className, caption)) != nullptr; }, timeout);
    return found;
}

std::string ClassName(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string Text(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length))
        return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(
        window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

bool Enabled(HWND window)
{
    return IsWindowEnabled(window) != FALSE;
}

bool Visible(HWND window)
{
    return IsWindowVisible(window) != FALSE;
}

bool Checked(HWND button)
{
    return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread) ? thread.hwndFocus : nullptr;
}

LONG Style(HWND window)
{
    return GetWindowLongA(window, GWL_STYLE);
}

RECT ClientRect(HWND window)
{
    RECT rect{};
    GetClientRect(window, &rect);
    return rect;
}

RECT RectIn(HWND window, HWND reference)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::vector<HWND> Children(HWND parent)
{
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

HWND FindControl(HWND parent, int left, int top, int width, int height)
{
    for (HWND child : Children(parent)) {
        const RECT rect = RectIn(child, parent);
        if (rect.left == left && rect.top == top && (width < 0 || rect.right - rect.left == width)
            && (height < 0 || rect.bottom - rect.top == height))
            return child;
    }
    return nullptr;
}

HWND ControlAt(HWND parent, int x, int y)
{
    HWND found = nullptr;
    LONG foundArea = 0;
    for (HWND child : Children(parent)) {
        const RECT rect = RectIn(child, parent);
        const LONG area = (rect.right - rect.left) * (rect.bottom - rect.top);
        if (x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom && (!found || area < foundArea)) {
            found = child;
            foundArea = area;
        }
    }
    return found;
}

COLORREF PixelAt(HWND window, int x, int y)
{
    const POINT at = ScreenPoint(window, x, y);
    HDC screen = GetDC(nullptr);
    const COLORREF color = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return color;
}

std::vector<std::string> ListItems(HWND listBox)
{
    // Read as UTF-16: Wine hands list-box strings of another process over in
    // that form whatever the call's character set.
    std::vector<std::string> items;
    const LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        const LRESULT copied
            = SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
        const int size
            = WideCharToMultiByte(1250, 0, item.data(), static_cast<int>(item.size()), nullptr, 0, nullptr, nullptr);
        std::string ansi(static_cast<std::size_t>(size), '\0');
        WideCharToMultiByte(1250, 0, item.data(), static_cast<int>(item.size()), ansi.data(), size, nullptr, nullptr);
        items.push_back(ansi);
    }
    return items;
}

int ListSelection(HWND listBox)
{
    return static_cast<int>(SendMessageA(listBox, LB_GETCURSEL, 0, 0));
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, Duration timeout)
{
    HWND box = WaitForTopWindow(processId, "#32770", {}, timeout);
    if (!box)
        return std::nullopt;
    return MessageBoxInfo{box, Text(box), MessageBoxText(box)};
}

std::string MessageBoxText(HWND box)
{
    std::string text;
    for (HWND child : Children(box)) {
        if (ClassName(child) == "Static" && Text(child).size() > text.size())
            text = Text(child);
    }
    return text;
}

bool NoMessageBoxFor(DWORD processId, Duration period)
{
    return !WaitForTopWindow(processId, "#32770", {}, period);
}

void PressButton(HWND dialog, int id)
{
    Step("button " + std::to_string(id) + " of " + Named(dialog));
    // What a click on the button tells the dialog; unlike BM_CLICK it needs
    // no mouse capture, which a busy machine can take away.
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 10s);
}

bool Responds(HWND window, Duration timeout)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout.count()), &result) != 0;
}

void SetField(HWND edit, const std::string& text)
{
    Step("field " + Named(edit) + " set to \"" + text + "\"");
    // The program may answer the change with a message box (a refused
    // allocation, in the fault sweep): the send then returns only once the
    // box is answered, which the caller can do only after it has returned.
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 10000, &result))
        Step("the field's change is still being handled");
}

void BringToFront(HWND window)
{
    HWND top = GetAncestor(window, GA_ROOT);
    SetForegroundWindow(top);
    WaitUntil([&] { return GetForegroundWindow() == top; }, 2s);
}

namespace {

// Each press and release says where it happens: Wine may still put the
// pointer back to where its display last saw it, and a press without a place
// would land there.
void PressAndRelease(HWND window, int x, int y, DWORD down, DWORD up)
{
    const POINT target = ScreenPoint(window, x, y);
    SendMouse(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | down, target);
    SendMouse(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | up, target);
}

}  // namespace

void Click(HWND window, int x, int y, bool right)
{
    Step(std::string(right ? "right click" : "click") + " on " + Named(window));
    MoveMouseSurely(window, x, y);
    if (right)
        PressAndRelease(window, x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
    else
        PressAndRelease(window, x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Settle();
}

void DoubleClick(HWND window, int x, int y)
{
    Step("double click on " + Named(window));
    MoveMouseSurely(window, x, y);
    for (int i = 0; i < 2; ++i)
        PressAndRelease(window, x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Settle();
}

void MoveMouse(HWND window, int x, int y)
{
    MoveMouseSurely(window, x, y);
}

void PressKey(WORD key, std::initializer_list<WORD> modifiers)
{
    std::string keys;
    for (WORD k : modifiers)
        keys += std::to_string(k) + "+";
    Step("key " + keys + std::to_string(key));
    for (WORD modifier : modifiers)
        SendKey(modifier, false);
    SendKey(key, false);
    SendKey(key, true);
    for (auto it = std::rbegin(modifiers); it != std::rend(modifiers); ++it)
        SendKey(*it, true);
    Settle();
}

void TypeText(const std::string& ansiText)
{
    Step("typing \"" + ansiText + "\"");
    const int length = MultiByteToWideChar(1250, 0, ansiText.data(), static_cast<int>(ansiText.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(1250, 0, ansiText.data(), static_cast<int>(ansiText.size()), wide.data(), length);
    for (wchar_t c : wide) {
        INPUT input[2]{};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = static_cast<WORD>(c);
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof input[0]);
    }
    Settle();
}

void PostCommand(HWND window, int id)
{
    Step("command " + std::to_string(id) + " to " + Named(window));
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// ---- Common file dialogs and popup menus

namespace {

bool HasClass(HWND window, const char* className)
{
    return lstrcmpiA(ClassName(window).c_str(), className) == 0;
}

HWND FindNameEdit(HWND parent, bool insideNameBox)
{
    for (HWND child : Children(parent)) {
        const int id = GetDlgCtrlID(child);
        const bool nameBox = insideNameBox || id == 1148;
        if (HasClass(child, "Edit") && (nameBox || id == 1152))
            return child;
        if (HWND found = FindNameEdit(child, nameBox))
            return found;
    }
    return nullptr;
}

}  // namespace

HWND FileNameEdit(HWND dialog)
{
    return FindNameEdit(dialog, false);
}

bool ChooseFile(HWND dialog, const std::string& path, Duration timeout)
{
    return ChooseFile(dialog, AnsiToWide(path), timeout);
}

bool ChooseFile(HWND dialog, const std::wstring& path, Duration timeout)
{
    Step("choosing the file \"" + WideToAnsi(path) + "\" in " + Named(dialog));
    HWND edit = FileNameEdit(dialog);
    if (!edit)
        return false;
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    // The dialog's tool bar and list view carry the id 1 too.
    for (HWND child : Children(dialog)) {
        if (GetDlgCtrlID(child) == IDOK && HasClass(child, "Button")) {
            PostMessageA(child, BM_CLICK, 0, 0);
            return WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, timeout);
        }
    }
    return false;
}

HWND WaitForPopupMenu(DWORD processId, Duration timeout)
{
    HWND menu = WaitForTopWindow(processId, "#32768", {}, timeout);
    if (!menu)
        return nullptr;
    // Keys reach the menu only once its thread tracks it; before, they would
    // go to the window with the focus.
    const DWORD thread = GetWindowThreadProcessId(menu, nullptr);
    const bool tracking = WaitUntil(
        [&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMENUMODE) != 0;
        },
        timeout);
    return tracking ? menu : nullptr;
}

namespace {

struct MenuItemLook {
    bool enabled;
    bool highlighted;
};

std::vector<MenuItemLook> ReadMenuItems(HWND menu)
{
    RECT client = ClientRect(menu);
    const int width = client.right;
    const int height = client.bottom;
    if (width <= 0 || height <= 0)
        return {};
    const POINT origin = ScreenPoint(menu, 0, 0);

    // One copy of the screen, read pixel by pixel from memory.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<std::size_t>(width) * height);
    const auto* quads = static_cast<const RGBQUAD*>(bits);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = RGB(quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    // Ink is whatever differs from the menu's background, its most common
    // colour. Each run of rows with ink is one item, written in the menu text
    // colour when enabled and in some grey when not (Wine's grey is fixed,
    // not the system's); the frame is left out by a margin, and a run too
    // thin for text is a separator line. A highlighted item stands on the
    // highlight colour, written in the highlight's text colour when enabled.
    const int margin = 4;
    std::map<COLORREF, int> counts;
    for (int y = margin; y < height - margin; ++y) {
        for (int x = margin; x < width - margin; ++x)
            ++counts[pixels[static_cast<std::size_t>(y) * width + x]];
    }
    if (counts.empty())
        return {};
    const COLORREF background = std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
        return a.second < b.second;
    })->first;
    const COLORREF text = GetSysColor(COLOR_MENUTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
    const COLORREF flatHighlight = GetSysColor(COLOR_MENUHILIGHT);
    const COLORREF highlightText = GetSysColor(COLOR_HIGHLIGHTTEXT);
    std::vector<MenuItemLook> items;
    int runStart = -1;
    bool runHasText = false, runHighlighted = false, runHasHighlightText = false;
    for (int y = margin; y <= height - margin; ++y) {
        bool ink = false, textInk = false, highlightInk = false, highlightTextInk = false;
        if (y < height - margin) {
            for (int x = margin; x < width - margin; ++x) {
                const COLORREF pixel = pixels[static_cast<std::size_t>(y) * width + x];
                ink = ink || pixel != background;
                textInk = textInk || pixel == text;
                highlightInk = highlightInk || pixel == highlight || pixel == flatHighlight;
                highlightTextInk = highlightTextInk || pixel == highlightText;
            }
        }
        if (ink) {
            if (runStart < 0) {
                runStart = y;
                runHasText = runHighlighted = runHasHighlightText = false;
            }
            runHasText = runHasText || textInk;
            runHighlighted = runHighlighted || highlightInk;
            runHasHighlightText = runHasHighlightText || highlightTextInk;
        } else if (runStart >= 0) {
            if (y - runStart >= 4)
                items.push_back({runHighlighted ? runHasHighlightText : runHasText, runHighlighted});
            runStart = -1;
        }
    }
    return items;
}

}  // namespace

namespace {

// A menu just shown may not be painted yet: two equal reads count.
std::vector<MenuItemLook> SettledMenuItems(HWND menu)
{
    const auto same = [](const std::vector<MenuItemLook>& a, const std::vector<MenuItemLook>& b) {
        return a.size() == b.size()
            && std::equal(a.begin(), a.end(), b.begin(), [](const MenuItemLook& x, const MenuItemLook& y) {
                   return x.enabled == y.enabled && x.highlighted == y.highlighted;
               });
    };
    std::vector<MenuItemLook> items = ReadMenuItems(menu);
    for (int attempt = 0; attempt < 20; ++attempt) {
        std::this_thread::sleep_for(50ms);
        std::vector<MenuItemLook> again = ReadMenuItems(menu);
        if (!again.empty() && same(again, items))
            break;
        items = std::move(again);
    }
    return items;
}

}  // namespace

std::vector<bool> MenuItemsEnabled(HWND menu)
{
    std::vector<bool> enabled;
    for (const MenuItemLook& item : SettledMenuItems(menu))
        enabled.push_back(item.enabled);
    return enabled;
}

int HighlightedMenuItem(HWND menu)
{
    const std::vector<MenuItemLook> items = SettledMenuItems(menu);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].highlighted)
            return static_cast<int>(i);
    }
    return -1;
}

void ChooseMenuItem(HWND menu, int index)
{
    Step("menu item " + std::to_string(index));
    for (int i = 0; i <= index; ++i)
        PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    WaitUntil([&] { return !IsWindowVisible(menu); }, 3s);
}

// ---- Pointer placement that waits for the system

bool MoveMouseSurely(HWND window, int x, int y, Duration timeout)
{
    // The pointer may reach the point and be put back once more by the
    // display's own report of the old place: it has to stay there a while.
    const POINT target = ScreenPoint(window, x, y);
    const auto there = [&] {
        POINT at{};
        return GetCursorPos(&at) && at.x == target.x && at.y == target.y;
    };
    const auto end = std::chrono::steady_clock::now() + timeout;
    auto since = std::chrono::steady_clock::now();
    bool arrived = false;
    SendMouse(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, target);
    while (std::chrono::steady_clock::now() < end) {
        const auto now = std::chrono::steady_clock::now();
        if (!there()) {
            if (arrived || now - since > 300ms) {
                SendMouse(MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE, target);
                since = now;
            }
            arrived = false;
        } else if (!arrived) {
            arrived = true;
            since = now;
        } else if (now - since >= 150ms) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

bool ClickSurely(HWND window, int x, int y)
{
    Step("click on " + Named(window));
    if (!MoveMouseSurely(window, x, y))
        return false;
    Settle();
    PressAndRelease(window, x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    Settle();
    return true;
}

}  // namespace e2e
