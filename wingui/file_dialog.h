// The open and save dialogs of settings files. Each is made once with its
// window and remembers its last file name and folder between uses.
#pragma once

#include <windows.h>

#include <string>

// The Czech message for a dialog that failed with CommDlgExtendedError's `error`.
std::string FileDialogErrorMessage(const std::string& title, unsigned long error);

class TFileDialog {
public:
    enum Kind { Open, Save };
    TFileDialog(Kind kind, std::string title, std::string filter, DWORD options);

    std::string InitialDir;
    // The chosen file, as the program's ANSI calls name it (see file_name.h).
    std::string FileName;
    // Shows the dialog; true when the user chose a file (then in FileName),
    // false when the user cancelled. A dialog that fails raises an Exception
    // with the system's error number and changes nothing; a name that no
    // ANSI call can reach raises EFileName.
    bool Execute(HWND owner);

private:
    Kind kind_;
    std::string title_;
    std::wstring filter_;  // pairs of description and pattern, each ending in a zero
    DWORD options_;
    // The name as the user chose it, offered again next time.
    std::wstring chosen_;
};
