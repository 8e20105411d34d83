// The program as a whole: its title, its one message pump, the stop box that
// reports every failure reaching a window, and the end of the run.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

class TApplication {
public:
    void Initialize();  // installs the pump used by every wait

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }
    // Keyboard shortcuts of the main window's commands.
    void SetAccelerators(HACCEL accelerators) { accelerators_ = accelerators; }

    // Handles every waiting message, then returns.
    void ProcessMessages();
    // Handles messages until the program is told to end.
    void Run();
    // Ends the run: every message loop, modal ones included, stops.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles one message the way the main loop does; false on WM_QUIT.
    bool HandleMessage();

    // The stop box for a failure that reached a window; the action is over.
    // `note` (or a question, with `flags` that ask it) follows the message
    // after a blank line; the box's answer is returned. Nothing is allocated
    // on the way: the failure may be that memory has run out.
    int ShowException(
        const std::exception& error, const char* note = nullptr, UINT flags = MB_OK | MB_ICONSTOP) noexcept;
    // A plain message box captioned with the title.
    int ShowMessage(const std::string& text, UINT flags = MB_OK);

private:
    void Dispatch(MSG& message);

    std::string title_;
    HWND mainWindow_ = nullptr;
    HACCEL accelerators_ = nullptr;
    bool terminated_ = false;
};

extern TApplication Application;

// A failure that is no std::exception; made without allocating.
class EUnexpected : public std::exception {
public:
    const char* what() const noexcept override { return "Neočekávaná chyba programu"; }
};

// Runs `action`, reporting any failure in the stop box. Every window
// procedure and callback from Windows goes through it, so that no exception
// crosses into Windows: there it would end the program without a word.
template <typename Action> auto Guarded(Action&& action, decltype(action()) onFailure = {}) -> decltype(action())
{
    try {
        return action();
    } catch (const std::exception& error) {
        Application.ShowException(error);
    } catch (...) {
        Application.ShowException(EUnexpected());
    }
    return onFailure;
}
