// The one pump that keeps the windows alive while the program waits for a
// child process, and the wait that sleeps until either has something to say.
#pragma once

#include <functional>

// Handles the waiting messages; false once the program has been told to end.
using MessagePump = std::function<bool()>;

// The application installs its own pump; without one, messages are simply
// dispatched.
void SetMessagePump(MessagePump pump);
void PumpMessages();
// Whether the program has been told to end (it saw WM_QUIT).
bool ProgramEnding();

#ifdef _WIN32
#include <windows.h>
// Waits, costing no CPU, until the object is signalled, a message arrives or
// the time is up; messages are handled before it returns. True when the
// object is signalled.
bool WaitForObjectOrMessages(HANDLE object, DWORD timeoutMs);
#endif
