#include "win32/message_pump.h"

#include <windows.h>

namespace {

MessagePump& InstalledPump()
{
    static MessagePump pump;
    return pump;
}

bool ending = false;

}  // namespace

void SetMessagePump(MessagePump pump)
{
    InstalledPump() = std::move(pump);
}

void PumpMessages()
{
    if (InstalledPump()) {
        ending = !InstalledPump()() || ending;
        return;
    }
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the loops around this wait, which end on it too.
            ending = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool ProgramEnding()
{
    return ending;
}

bool WaitForObjectOrMessages(HANDLE object, DWORD timeoutMs)
{
    // MWMO_INPUTAVAILABLE also wakes for messages that were already seen but
    // are still queued, so none waits for the timeout.
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &object, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    PumpMessages();
    return result == WAIT_OBJECT_0;
}
