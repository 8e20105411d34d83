#include "wingui/application.h"

#include "core/exception.h"
#include "core/phase_hook.h"
#include "win32/message_pump.h"
#include "wingui/form.h"

#include <cstring>
#include <new>

TApplication Application;

void TApplication::Initialize()
{
    SetMessagePump([] {
        Application.ProcessMessages();
        return !Application.Terminated();
    });
}

void TApplication::Dispatch(MSG& message)
{
    // Only keys can be shortcuts or move between controls, and finding the
    // window's parents asks Wine's server: other messages go straight on.
    if (message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST) {
        if (accelerators_ && mainWindow_ && IsWindowEnabled(mainWindow_)
            && (message.hwnd == mainWindow_ || IsChild(mainWindow_, message.hwnd))
            && TranslateAcceleratorA(mainWindow_, accelerators_, &message))
            return;
        // Tab, arrows, Enter and the mnemonic keys move between controls the
        // way they do in dialog boxes.
        HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageA(root, &message))
            return;
    } else if (message.message >= WM_MOUSEFIRST && message.message <= WM_MOUSELAST) {
        if (TControl* control = TControl::FromHandle(message.hwnd))
            control->Form().RelayToTooltip(message);
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
}

bool TApplication::HandleMessage()
{
    MSG message;
    if (PhaseWaitsForIdle() && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
        MarkPhaseIdle();
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        // This loop may run inside another one (a modal window, or a wait
        // that runs inside a message sent to us): the quit goes back into
        // the queue, so that every loop around this one ends too.
        terminated_ = true;
        PostQuitMessage(static_cast<int>(message.wParam));
        return false;
    }
    Dispatch(message);
    return true;
}

void TApplication::ProcessMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The quit stays in the queue for the loops around this wait: a
            // loop inside a sent message would otherwise wait for it for
            // ever, the flag unseen. The waits that follow see the flag and
            // end instead of waking for the queued quit again and again.
            terminated_ = true;
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        Dispatch(message);
    }
}

void TApplication::Run()
{
    while (!terminated_ && HandleMessage()) { }
}

void TApplication::Terminate()
{
    terminated_ = true;
    PostQuitMessage(0);
}

namespace {

const char kOutOfMemoryMessage[] = "Systém nemá dost volné paměti, akci proto nelze dokončit.";

// Appends `text` to the message being built in `buffer`, as far as it fits.
void Append(char* buffer, std::size_t size, const char* text)
{
    const std::size_t used = std::strlen(buffer);
    if (used + 1 < size)
        lstrcpynA(buffer + used, text, static_cast<int>(size - used));
}

}  // namespace

int TApplication::ShowException(const std::exception& error, const char* note, UINT flags) noexcept
{
    char message[4096] = "";
    if (dynamic_cast<const std::bad_alloc*>(&error)) {
        Append(message, sizeof message, kOutOfMemoryMessage);
    } else if (dynamic_cast<const Exception*>(&error) || dynamic_cast<const EUnexpected*>(&error)) {
        Append(message, sizeof message, error.what());
    } else {
        // The runtime's own name of a failure tells a user nothing.
        Append(message, sizeof message, EUnexpected().what());
        Append(message, sizeof message, " (");
        Append(message, sizeof message, error.what());
        Append(message, sizeof message, ")");
    }
    const std::size_t length = std::strlen(message);
    if ((length == 0 || message[length - 1] != '.') && length + 1 < sizeof message)
        message[length] = '.';
    if (note) {
        Append(message, sizeof message, "\r\n\r\n");
        Append(message, sizeof message, note);
    }
    return ::MessageBoxA(GetActiveWindow(), message, title_.c_str(), flags);
}

int TApplication::ShowMessage(const std::string& text, UINT flags)
{
    return ::MessageBoxA(GetActiveWindow(), text.c_str(), title_.c_str(), flags);
}
