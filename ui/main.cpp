// The program's entry: start-up in its fixed order, the message loop, and
// the orderly end.
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
    Application.Initialize();
    Application.SetTitle("Tamarko");

    TForm1 Form1;
    if (Form1.MultiInstance1.Refused())
        return 0;  // another instance runs: end without a word
    Application.SetMainWindow(Form1.Handle());
    if (!Form1.FormCreate())
        return 0;
    TForm2 Form2(Form1.Handle(), Form1);
    Form1.SetConnectionChooser(&Form2);
    Form1.Show();
    Application.Run();
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ComApartment com;
    return Guarded([] { return RunProgram(); }, 1);
}
