// A program that does what the real one does at start: it makes the
// single-instance check and either runs or gives way. It reports on one line
// what became of it, then, when it runs, stays until told to end.
//   guard_child <app id> [file] [hold=<event name>]
// Output: "number=<n> refused=<0|1> terminated=<0|1> ms=<check time>"
#include "components/instance_guard.h"
#include "wingui/application.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Stays alive, answering other instances, until the event is set.
void Hold(const std::string& eventName)
{
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, eventName.c_str());
    if (!event)
        return;
    const DWORD deadline = GetTickCount() + 30000;
    while (GetTickCount() < deadline) {
        if (MsgWaitForMultipleObjects(1, &event, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
            break;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
    CloseHandle(event);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::string holdEvent;
    TMultiInstance guard;
    guard.SetAppId(std::atoi(argv[1]));
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "file") == 0)
            guard.SetCheckMethod(mimFileMapping);
        else if (std::strncmp(argv[i], "hold=", 5) == 0)
            holdEvent = argv[i] + 5;
    }
    const DWORD start = GetTickCount();
    guard.Loaded();
    const DWORD elapsed = GetTickCount() - start;
    std::printf("number=%d refused=%d terminated=%d ms=%lu\n", guard.InstanceNumber(), guard.Refused() ? 1 : 0,
        Application.Terminated() ? 1 : 0, static_cast<unsigned long>(elapsed));
    std::fflush(stdout);
    // The program's entry ends here when it has to give way.
    if (guard.Refused())
        return 0;
    if (!holdEvent.empty())
        Hold(holdEvent);
    return 0;
}
