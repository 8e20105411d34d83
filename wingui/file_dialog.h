// The open and save dialogs of settings files. Each is made once with its
// window and remembers its last file name and folder between uses.
#pragma once

#include <windows.h>

#include <string>

class TFileDialog {
public:
    enum Kind { Open, Save };
    TFileDialog(Kind kind, std::string title, std::string filter, DWORD options);

    std::string InitialDir;
    std::string FileName;
    // Shows the dialog; true when the user chose a file (then in FileName).
    bool Execute(HWND owner);

private:
    Kind kind_;
    std::string title_;
    std::string filter_;  // pairs of description and pattern, each ending in a zero
    DWORD options_;
};
