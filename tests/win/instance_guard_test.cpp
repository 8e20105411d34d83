// The single-instance guard: its answers to other instances, and the check
// between real processes, including a desktop with a window that never
// answers.
#include "components/instance_guard.h"
#include "wingui/application.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Identifiers of this run only, so that no other program's instances count.
int FreshAppId()
{
    static int next = 100000 + static_cast<int>(GetCurrentProcessId() % 50000) * 20;
    return next++;
}

// Handles whatever arrives for this thread's windows for `ms` milliseconds,
// or until `done` says so.
template <typename Done> bool PumpUntil(Done done, DWORD ms)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > ms)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    return true;
}

// A guard whose refusal is only counted, so that it can live in the test.
class CountingGuard : public TMultiInstance {
public:
    int forceCloses = 0;

protected:
    void DoForceClose() override { ++forceCloses; }
};

struct ChildReport {
    bool read = false;
    int number = 0;
    int refused = 0;
    int terminated = 0;
    unsigned long ms = 0;
};

// One guard_child.exe; this thread keeps answering its messages meanwhile.
// A held child runs until released (at the latest when this object goes).
class GuardChild {
public:
    enum Mode { Once, Held };
    GuardChild(int appId, Mode mode, const std::string& options = "")
    {
        static int counter = 0;
        const std::string holdName
            = "TamarkoGuardTest_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter);
        std::string arguments = std::to_string(appId) + " " + options;
        if (mode == Held) {
            hold_ = CreateEventA(nullptr, TRUE, FALSE, holdName.c_str());
            arguments += " hold=" + holdName;
        }
        char path[MAX_PATH];
        const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string exe(path, length);
        exe = exe.substr(0, exe.find_last_of('\\') + 1) + "guard_child.exe";
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE writeEnd = nullptr;
        CreatePipe(&output_, &writeEnd, &inherit, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = writeEnd;
        startup.hStdError = writeEnd;
        std::string commandLine = "\"" + exe + "\" " + arguments;
        PROCESS_INFORMATION info{};
        started_ = CreateProcessA(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &info)
            != FALSE;
        CloseHandle(writeEnd);
        if (started_) {
            process_ = info.hProcess;
            CloseHandle(info.hThread);
        }
    }
    ~GuardChild()
    {
        Release();
        if (hold_)
            CloseHandle(hold_);
        if (process_) {
            if (!Ended(5000))
                TerminateProcess(process_, 1);
            CloseHandle(process_);
        }
        CloseHandle(output_);
    }
    GuardChild(const GuardChild&) = delete;
    GuardChild& operator=(const GuardChild&) = delete;

    bool Started() const { return started_; }
    void Release()
    {
        if (hold_)
            SetEvent(hold_);
    }

    // The child's report line, with the time from its start to the report.
    ChildReport Report(DWORD timeoutMs = 10000)
    {
        ChildReport report;
        PumpUntil([&] { return ReadAvailable() || text_.find('\n') != std::string::npos; }, timeoutMs);
        report.read = std::sscanf(text_.c_str(), "number=%d refused=%d terminated=%d ms=%lu", &report.number,
                          &report.refused, &report.terminated, &report.ms)
            == 4;
        return report;
    }
    bool Ended(DWORD timeoutMs)
    {
        return PumpUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeoutMs);
    }

private:
    bool ReadAvailable()
    {
        DWORD available = 0;
        if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &available, nullptr) || available == 0)
            return false;
        std::string chunk(available, '\0');
        DWORD read = 0;
        ReadFile(output_, chunk.data(), available, &read, nullptr);
        text_.append(chunk, 0, read);
        return text_.find('\n') != std::string::npos;
    }

    bool started_ = false;
    HANDLE hold_ = nullptr;
    HANDLE process_ = nullptr;
    HANDLE output_ = nullptr;
    std::string text_;
};

// Top-level windows whose thread stops handling messages, as a hung
// program's: two of them, as most programs have.
class HungWindow {
public:
    HungWindow()
    {
        ready_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        release_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread_ = CreateThread(nullptr, 0, Run, this, 0, nullptr);
        WaitForSingleObject(ready_, 5000);
    }
    ~HungWindow()
    {
        SetEvent(release_);
        WaitForSingleObject(thread_, 10000);
        CloseHandle(thread_);
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    HungWindow(const HungWindow&) = delete;
    HungWindow& operator=(const HungWindow&) = delete;
    HWND Window() const { return window_; }

private:
    static DWORD WINAPI Run(void* context)
    {
        auto* self = static_cast<HungWindow*>(context);
        HWND windows[2];
        for (HWND& window : windows)
            window = CreateWindowExA(
                0, "STATIC", "hung", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        self->window_ = windows[1];
        SetEvent(self->ready_);
        WaitForSingleObject(self->release_, INFINITE);
        // Whatever was sent meanwhile is answered before the window goes.
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        for (HWND window : windows)
            DestroyWindow(window);
        return 0;
    }

    HANDLE ready_;
    HANDLE release_;
    HANDLE thread_;
    HWND window_ = nullptr;
};

// The hidden window's answers to each form of the message.
TEST(MultiInstance, HiddenWindowAnswersTheMessageByItsCodes)
{
    const UINT message = RegisterInstanceMessage();
    ASSERT_NE(message, 0u);
    EXPECT_EQ(message, RegisterWindowMessageA("TMultiInstance message-Tendrovix"))
        << "the name every instance of every program using the guard shares";
    const int appId = FreshAppId();
    TMultiInstance guard;
    guard.SetAppId(appId);
    std::vector<int> closed;
    guard.OnCloseInstance = [&](TComponent* sender, int& number) {
        EXPECT_EQ(sender, &guard);
        closed.push_back(number);
        number = 99;  // a copy: changing it does nothing
    };
    int grant = -1;
    guard.OnStartInstance = [&](TComponent* sender, int& number) {
        EXPECT_EQ(sender, &guard);
        number = grant;
    };

    // Before the check the number is still 0, so a request goes unanswered.
    EXPECT_EQ(SendMessageA(guard.HiddenWindow(), message, 0, appId), 0);
    guard.Loaded();
    ASSERT_EQ(guard.InstanceNumber(), 1);

    struct Case {
        const char* what;
        WPARAM code;
        int appId;
        int grant;
        LRESULT answer;
        std::vector<int> closed;
    };
    const Case cases[] = {
        {"query", static_cast<WPARAM>(-1), appId, -1, 1, {}},
        {"query for another program", static_cast<WPARAM>(-1), appId + 1, -1, 0, {}},
        {"request refused by default", 0, appId, -1, -1, {}},
        {"request granted by the handler", 0, appId, 7, 7, {}},
        {"request of another program", 0, appId + 1, 7, 0, {}},
        {"end of instance 5", 5, appId, -1, 0, {5}},
        {"end of another program's instance", 5, appId + 1, -1, 0, {}},
        {"own number is not an end", 1, appId, -1, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        closed.clear();
        grant = c.grant;
        EXPECT_EQ(SendMessageA(guard.HiddenWindow(), message, c.code, c.appId), c.answer);
        EXPECT_EQ(closed, c.closed);
    }
}

TEST(MultiInstance, HiddenWindowIsAnInvisibleTopLevelToolWindow)
{
    TMultiInstance guard;
    HWND window = guard.HiddenWindow();
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(GetAncestor(window, GA_PARENT), GetDesktopWindow());
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindowTextLengthA(window), 0);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 0);
    EXPECT_EQ(rect.bottom - rect.top, 0);
}

// Guards in one process meet through the same messages as in two.
TEST(MultiInstance, CheckSeesOnlyInstancesOfTheSameIdentifier)
{
    const int running = FreshAppId();
    const int other = FreshAppId();
    TMultiInstance first;
    first.SetAppId(running);
    first.Loaded();
    ASSERT_EQ(first.InstanceNumber(), 1);

    struct Case {
        const char* what;
        int appId;
        int replacedId;  // what OnGetAppId makes of it; 0 leaves it
        TMultiCheckMethod method;
        int number;
        int forceCloses;
    };
    const Case cases[] = {
        {"same identifier", running, 0, mimMessage, -1, 1},
        {"other identifier", other, 0, mimMessage, 1, 0},
        {"identifier replaced by the handler", 1, running, mimMessage, -1, 1},
        {"same identifier replaced by another", running, other, mimMessage, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CountingGuard second;
        second.SetAppId(c.appId);
        if (c.replacedId)
            second.OnGetAppId = [&](TComponent* sender, int& appId) {
                EXPECT_EQ(sender, &second);
                appId = c.replacedId;
            };
        second.Loaded();
        EXPECT_EQ(second.InstanceNumber(), c.number);
        EXPECT_EQ(second.forceCloses, c.forceCloses);
    }
    EXPECT_EQ(first.InstanceNumber(), 1);

    // Once its close has begun, the first sends no start away: a start
    // then runs.
    first.Withdraw();
    CountingGuard after;
    after.SetAppId(running);
    after.Loaded();
    EXPECT_EQ(after.InstanceNumber(), 1);
    EXPECT_EQ(after.forceCloses, 0);
}

TEST(MultiInstance, FileMappingRefusesTheSecondUntilTheFirstIsGone)
{
    const int appId = FreshAppId();
    auto first = std::make_unique<CountingGuard>();
    first->SetAppId(appId);
    first->SetCheckMethod(mimFileMapping);
    first->Loaded();
    EXPECT_EQ(first->forceCloses, 0);
    EXPECT_EQ(first->InstanceNumber(), 0);
    // The mapping carries the shared name and the identifier after an underscore.
    const std::string name = "TMultiInstance message-Tendrovix_" + std::to_string(appId);
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    EXPECT_NE(mapping, nullptr) << name;
    if (mapping)
        CloseHandle(mapping);
    {
        CountingGuard second;
        second.SetAppId(appId);
        second.SetCheckMethod(mimFileMapping);
        second.Loaded();
        EXPECT_EQ(second.forceCloses, 1);
        EXPECT_EQ(second.InstanceNumber(), 0);

        CountingGuard otherProgram;
        otherProgram.SetAppId(appId + 1);
        otherProgram.SetCheckMethod(mimFileMapping);
        otherProgram.Loaded();
        EXPECT_EQ(otherProgram.forceCloses, 0);
    }
    first.reset();
    CountingGuard third;
    third.SetAppId(appId);
    third.SetCheckMethod(mimFileMapping);
    third.Loaded();
    EXPECT_EQ(third.forceCloses, 0);
}

// The handler may keep the program alive with the silent abort; any other
// failure passes on, and the program is not told to end either way.
TEST(MultiInstance, ForceCloseHandlerCanCancelTheEnd)
{
    const int appId = FreshAppId();
    TMultiInstance running;
    running.SetAppId(appId);
    running.Loaded();

    TMultiInstance aborted;
    aborted.SetAppId(appId);
    int calls = 0;
    aborted.OnForceClose = [&](TComponent* sender) {
        EXPECT_EQ(sender, &aborted);
        ++calls;
        throw EAbort();
    };
    aborted.Loaded();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(aborted.InstanceNumber(), -1);
    EXPECT_FALSE(aborted.Refused());

    TMultiInstance failing;
    failing.SetAppId(appId);
    failing.OnForceClose = [](TComponent*) { throw std::runtime_error("handler failed"); };
    EXPECT_THROW(failing.Loaded(), std::runtime_error);
    EXPECT_FALSE(failing.Refused());
    EXPECT_FALSE(Application.Terminated());
}

TEST(MultiInstance, SecondProcessGivesWayUntilTheFirstHasEnded)
{
    const int appId = FreshAppId();
    GuardChild first(appId, GuardChild::Held);
    ASSERT_TRUE(first.Started());
    const ChildReport firstReport = first.Report();
    ASSERT_TRUE(firstReport.read);
    EXPECT_EQ(firstReport.number, 1);
    EXPECT_EQ(firstReport.refused, 0);

    {
        GuardChild second(appId, GuardChild::Held);
        const ChildReport report = second.Report();
        ASSERT_TRUE(report.read);
        EXPECT_EQ(report.number, -1);
        EXPECT_EQ(report.refused, 1);
        EXPECT_EQ(report.terminated, 1);
        // Refused, it ends at once, although it was told to stay.
        EXPECT_TRUE(second.Ended(3000));
    }
    {
        GuardChild otherProgram(appId + 1, GuardChild::Held);
        const ChildReport report = otherProgram.Report();
        ASSERT_TRUE(report.read);
        EXPECT_EQ(report.number, 1);
        EXPECT_EQ(report.refused, 0);
    }
    // The first one goes on untouched.
    EXPECT_FALSE(first.Ended(200));

    first.Release();
    ASSERT_TRUE(first.Ended(5000));
    GuardChild third(appId, GuardChild::Once);
    const ChildReport report = third.Report();
    ASSERT_TRUE(report.read);
    EXPECT_EQ(report.number, 1);
    EXPECT_EQ(report.refused, 0);
}

TEST(MultiInstance, FileMappingBetweenProcesses)
{
    const int appId = FreshAppId();
    GuardChild first(appId, GuardChild::Held, "file");
    const ChildReport firstReport = first.Report();
    ASSERT_TRUE(firstReport.read);
    EXPECT_EQ(firstReport.refused, 0);
    EXPECT_EQ(firstReport.number, 0);

    GuardChild second(appId, GuardChild::Once, "file");
    const ChildReport report = second.Report();
    ASSERT_TRUE(report.read);
    EXPECT_EQ(report.refused, 1);
    EXPECT_EQ(report.number, 0);
}

// The running instance hands out a number, and hears of the starter's end.
TEST(MultiInstance, GrantedInstanceRunsAndAnnouncesItsEnd)
{
    const int appId = FreshAppId();
    TMultiInstance running;
    running.SetAppId(appId);
    int requests = 0;
    running.OnStartInstance = [&](TComponent*, int& number) {
        ++requests;
        number = 2;
    };
    std::vector<int> closed;
    running.OnCloseInstance = [&](TComponent*, int& number) { closed.push_back(number); };
    running.Loaded();
    ASSERT_EQ(running.InstanceNumber(), 1);

    GuardChild child(appId, GuardChild::Once);
    const ChildReport report = child.Report();
    ASSERT_TRUE(report.read);
    EXPECT_EQ(report.number, 2);
    EXPECT_EQ(report.refused, 0);
    EXPECT_EQ(requests, 1);
    ASSERT_TRUE(child.Ended(5000));
    PumpUntil([&] { return !closed.empty(); }, 3000);
    EXPECT_EQ(closed, std::vector<int>{2});
}

// A window that never answers costs one bounded wait, not the whole start.
TEST(MultiInstance, HungWindowDoesNotHoldUpTheCheck)
{
    struct Case {
        const char* what;
        bool instanceRunning;
        int number;
    };
    const Case cases[] = {
        {"no instance running", false, 1},
        {"an instance running", true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int appId = FreshAppId();
        std::unique_ptr<GuardChild> running;
        if (c.instanceRunning) {
            running = std::make_unique<GuardChild>(appId, GuardChild::Held);
            ASSERT_EQ(running->Report().number, 1);
        }
        // Created last, so that the walk meets it before the instance.
        HungWindow hung;
        ASSERT_TRUE(IsWindow(hung.Window()));
        // The check ends, with the right answer, despite the window that
        // never answers; it waits for it about one answer's time.
        GuardChild starter(appId, GuardChild::Once);
        const ChildReport report = starter.Report(30000);
        ASSERT_TRUE(report.read) << "the check never ended";
        EXPECT_EQ(report.number, c.number);
    }
}

// An instance that answered the query but then does not answer the request
// in time is running, only busy: the starter gives way.
TEST(MultiInstance, BusyInstanceStillRefusesTheStarter)
{
    const int appId = FreshAppId();
    TMultiInstance running;
    running.SetAppId(appId);
    running.OnStartInstance = [](TComponent*, int& number) {
        Sleep(TMultiInstance::kAnswerTimeoutMs + 1000);
        number = 2;
    };
    running.Loaded();
    GuardChild starter(appId, GuardChild::Held);
    const ChildReport report = starter.Report(30000);
    ASSERT_TRUE(report.read);
    // Had the starter waited for the answer, it would have been granted 2.
    EXPECT_EQ(report.number, -1);
    EXPECT_EQ(report.refused, 1);
}

}  // namespace
