#include "wingui/application.h"

#include "core/exception.h"
#include "win32/message_pump.h"
#include "win32/startup_profile.h"
#include "wingui/form.h"

#include <stdexcept>

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
    if (ProfileAwaitingIdle() && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
        ProfileIdle();
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

void TApplication::ShowException(const std::exception& error)
{
    HWND owner = GetActiveWindow();
    ::MessageBoxA(owner, WithFullStop(error.what()).c_str(), title_.c_str(), MB_OK | MB_ICONSTOP);
}

int TApplication::ShowMessage(const std::string& text, UINT flags)
{
    return ::MessageBoxA(GetActiveWindow(), text.c_str(), title_.c_str(), flags);
}
