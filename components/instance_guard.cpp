// The single-instance guard: the hidden window that answers other instances,
// the search for a running one, and the end announcement.
#include "components/instance_guard.h"

#include "win32/os_error.h"
#include "wingui/application.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

namespace {

const char kMessageName[] = "TMultiInstance message-Tendrovix";
const char kWindowClass[] = "TMultiInstanceWindow";

// wParam codes of the message; any other value announces an instance's end.
constexpr int kQuery = -1;
constexpr int kRequest = 0;

// Registered as the program loads, before any window can be asked.
const UINT registeredAtStart = RegisterInstanceMessage();

// Not blocking: while it waits, this thread still answers the queries of an
// instance that searches at the same moment, so two simultaneous starts do
// not wait on each other. A thread that stopped pumping is given up on at
// once where Windows knows it is hung, after the timeout otherwise.
constexpr UINT kSendFlags = SMTO_NORMAL | SMTO_ABORTIFHUNG;

bool SendBounded(HWND window, UINT message, int code, int appId, int& answer)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, static_cast<WPARAM>(code), static_cast<LPARAM>(appId), kSendFlags,
            TMultiInstance::kAnswerTimeoutMs, &result))
        return false;
    answer = static_cast<int>(result);
    return true;
}

struct Search {
    UINT message;
    int appId;
    int best = 0xFFFF;
    HWND found = nullptr;
    // Threads that let a query time out: asking their other windows would
    // only make the start wait again.
    std::vector<DWORD> silentThreads;
    // A failure inside the walk, raised again once EnumWindows has returned.
    std::exception_ptr failure;
};

bool AskWindow(HWND window, Search& search)
{
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (std::find(search.silentThreads.begin(), search.silentThreads.end(), thread) != search.silentThreads.end())
        return TRUE;
    int answer = 0;
    if (!SendBounded(window, search.message, kQuery, search.appId, answer)) {
        if (IsWindow(window))
            search.silentThreads.push_back(thread);
        return TRUE;
    }
    if (answer <= 0 || answer >= search.best)
        return TRUE;
    search.best = answer;
    search.found = window;
    return answer != 1;
}

// No exception may cross EnumWindows: the walk stops and the failure waits.
BOOL CALLBACK AskWindowCallback(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<Search*>(context);
    try {
        return AskWindow(window, search) ? TRUE : FALSE;
    } catch (...) {
        search.failure = std::current_exception();
        return FALSE;
    }
}

// Two starts at the same moment would each search before the other has its
// number, find nothing, and both run. The search and the taking of a number
// are done one start at a time: each start waits for its turn at a mutex
// that every start of the application claims first. The registered message
// stays the way instances that already run are found.
class StartTurn {
public:
    explicit StartTurn(int appId)
    {
        const std::string name = std::string(kMessageName) + " start " + std::to_string(appId);
        mutex_.Reset(CreateMutexA(nullptr, FALSE, name.c_str()));
        // Refused, the start goes on as it would without the mutex.
        if (mutex_)
            owned_ = WaitForTurn();
    }
    ~StartTurn()
    {
        if (owned_)
            ReleaseMutex(mutex_.Get());
    }
    StartTurn(const StartTurn&) = delete;
    StartTurn& operator=(const StartTurn&) = delete;

private:
    // The start whose turn it is asks every window, this start's hidden one
    // too: messages sent meanwhile are answered. A start that holds its turn
    // for long (hung, or stopped in a debugger) is waited for no longer.
    bool WaitForTurn()
    {
        const DWORD end = GetTickCount() + kLongestTurnMs;
        for (;;) {
            const DWORD left = end - GetTickCount();
            if (static_cast<LONG>(left) <= 0)
                return false;
            HANDLE mutex = mutex_.Get();
            const DWORD result = MsgWaitForMultipleObjectsEx(1, &mutex, left, QS_SENDMESSAGE, 0);
            if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0)
                return true;
            if (result != WAIT_OBJECT_0 + 1)
                return false;
            MSG message;
            PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // delivers the sent ones
        }
    }
    static constexpr DWORD kLongestTurnMs = 10000;
    Handle mutex_;
    bool owned_ = false;
};

void RegisterWindowClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSA windowClass{};
    if (GetClassInfoA(instance, kWindowClass, &windowClass))
        return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassA(&windowClass))
        RaiseRefusal("třídu okna");
}

}  // namespace

UINT RegisterInstanceMessage()
{
    static const UINT message = RegisterWindowMessageA(kMessageName);
    return message;
}

TMultiInstance::TMultiInstance()
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterWindowClass(instance, InstanceWndProc);
    // Top-level so that EnumWindows and broadcasts reach it; a tool window so
    // that it never gets a taskbar button.
    hiddenWindow_
        = CreateWindowExA(WS_EX_TOOLWINDOW, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, this);
    if (!hiddenWindow_)
        RaiseRefusal("okno");
}

TMultiInstance::~TMultiInstance()
{
    if (instanceNumber_ != 0) {
        int appId = appId_;
        try {
            appId = DoGetAppId();
        } catch (...) {
            // A failing handler must not stop the program's end; the plain
            // identifier is the best guess left.
        }
        PostMessageA(HWND_BROADCAST, RegisterInstanceMessage(), static_cast<WPARAM>(instanceNumber_),
            static_cast<LPARAM>(appId));
    }
    mappingHandle_.Reset();
    if (hiddenWindow_)
        DestroyWindow(hiddenWindow_);
}

void TMultiInstance::Loaded()
{
    if (checkMethod_ == mimMessage)
        CheckByMessage();
    else
        CheckByFileMapping();
}

HWND TMultiInstance::FindInstance(int appId)
{
    Search search;
    search.message = RegisterInstanceMessage();
    search.appId = appId;
    EnumWindows(AskWindowCallback, reinterpret_cast<LPARAM>(&search));
    if (search.failure)
        std::rethrow_exception(search.failure);
    return search.found;
}

void TMultiInstance::CheckByMessage()
{
    // Taken once: no handler may run (and throw) inside the window walk.
    const int appId = DoGetAppId();
    const StartTurn turn(appId);
    // An instance that ends between its answer and the request is looked
    // for again; a few rounds are plenty for any real desktop.
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) {
        HWND found = FindInstance(appId);
        if (!found)
            break;
        int reply = -1;
        if (!SendBounded(found, RegisterInstanceMessage(), kRequest, appId, reply) && !IsWindow(found))
            continue;
        // Silence from an instance that answered a moment ago counts as
        // refusal: it is running, only busy.
        instanceNumber_ = reply;
        if (instanceNumber_ == -1)
            DoForceClose();
        return;
    }
    instanceNumber_ = 1;
}

void TMultiInstance::CheckByFileMapping()
{
    const std::string name = std::string(kMessageName) + "_" + std::to_string(DoGetAppId());
    mappingHandle_.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 32, name.c_str()));
    if (mappingHandle_ && GetLastError() == ERROR_ALREADY_EXISTS)
        DoForceClose();
}

void TMultiInstance::DoForceClose()
{
    try {
        Fire(OnForceClose, this);
    } catch (const EAbort&) {
        return;
    }
    refused_ = true;
    Application.Terminate();
}

void TMultiInstance::DoStartInstance(int& reply)
{
    reply = -1;
    if (OnStartInstance)
        OnStartInstance(this, reply);
}

void TMultiInstance::DoCloseInstance(int number)
{
    if (OnCloseInstance)
        OnCloseInstance(this, number);
}

int TMultiInstance::DoGetAppId()
{
    int appId = appId_;
    if (OnGetAppId)
        OnGetAppId(this, appId);
    return appId;
}

LRESULT TMultiInstance::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int code = static_cast<int>(wParam);
    if (message != RegisterInstanceMessage() || code == instanceNumber_ || static_cast<int>(lParam) != DoGetAppId())
        return DefWindowProcA(hiddenWindow_, message, wParam, lParam);
    switch (code) {
    case kQuery:
        return withdrawn_ ? 0 : instanceNumber_;
    case kRequest:
        // A handler that fails must not hand out a number by accident.
        return Guarded(
            [&] {
                int reply = -1;
                DoStartInstance(reply);
                return reply;
            },
            -1);
    default:
        DoCloseInstance(code);
        return 0;
    }
}

LRESULT CALLBACK TMultiInstance::InstanceWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* guard = static_cast<TMultiInstance*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        guard->hiddenWindow_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(guard));
    }
    auto* guard = reinterpret_cast<TMultiInstance*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!guard || message == WM_NCDESTROY)
        return DefWindowProcA(window, message, wParam, lParam);
    return Guarded([&] { return guard->HandleMessage(message, wParam, lParam); }, LRESULT{0});
}
