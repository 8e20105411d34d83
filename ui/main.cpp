// The program's entry: start-up in its fixed order, the message loop, and
// the orderly end.
#include "core/phase_hook.h"
#include "ui/connection_chooser.h"
#include "ui/main_window.h"
#include "wingui/application.h"

#include <commctrl.h>
#include <objbase.h>

namespace {

// COM serves the desktop shortcuts; it lives exactly as long as the run.
class ComApartment {
public:
    ComApartment()
        : initialized_(SUCCEEDED(CoInitialize(nullptr)))
    {
    }
    ~ComApartment()
    {
        if (initialized_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

int RunProgram()
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    MarkPhase(Phase::Start, "common controls");
    Application.Initialize();
    Application.SetTitle("Tamarko");

    TForm1 mainWindow;
    if (mainWindow.GivesWay())
        return 0;  // another instance runs: end without a word
    Application.SetMainWindow(mainWindow.Handle());
    if (!mainWindow.FormCreate())
        return 0;
    TForm2 chooser(mainWindow.Handle(), mainWindow);
    mainWindow.SetConnectionChooser(&chooser);
    MarkPhase(Phase::Start, "chooser built");
    mainWindow.Show();
    MarkPhase(Phase::Start, "main window shown and painted");
    Application.Run();
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    MarkPhase(Phase::Start, "static initialisation");
    int result = 1;
    {
        ComApartment com;
        MarkPhase(Phase::Start, "COM initialisation");
        // A window, menu or memory refused while the windows are built: the
        // program cannot go on without them, says why, and ends with what it
        // made already given back.
        try {
            result = RunProgram();
        } catch (const std::exception& error) {
            Application.ShowException(error, "Program bude ukončen.");
        } catch (...) {
            Application.ShowException(EUnexpected(), "Program bude ukončen.");
        }
        MarkPhase(Phase::Close, "windows and components given back");
    }
    MarkPhase(Phase::Close, "COM uninitialised");
    MarkPhase(Phase::End, "");
    return result;
}
