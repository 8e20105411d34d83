#include "wingui/file_dialog.h"

#include "win32/late_binding.h"
#include "win32/os_error.h"

#include <commdlg.h>

#include <vector>

TFileDialog::TFileDialog(Kind kind, std::string title, std::string filter, DWORD options)
    : kind_(kind)
    , title_(std::move(title))
    , options_(options)
{
    // "description|pattern|..." as the system wants it: zero-separated.
    for (char& c : filter) {
        if (c == '|')
            c = '\0';
    }
    filter_ = filter + '\0';
}

bool TFileDialog::Execute(HWND owner)
{
    std::vector<char> file(32768, '\0');
    FileName.copy(file.data(), file.size() - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;  // what Windows 2000 and later all accept
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter_.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = InitialDir.empty() ? nullptr : InitialDir.c_str();
    dialog.lpstrTitle = title_.c_str();
    dialog.Flags = options_;
    // comdlg32.dll serves only these dialogs: it is loaded when one is first shown.
    using ShowDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    static const auto open = LateFunction<ShowDialog>("comdlg32.dll", "GetOpenFileNameA");
    static const auto save = LateFunction<ShowDialog>("comdlg32.dll", "GetSaveFileNameA");
    const ShowDialog show = kind_ == Open ? open : save;
    if (!show)
        RaiseLastOSError();
    const BOOL chosen = show(&dialog);
    if (!chosen)
        return false;
    FileName = file.data();
    return true;
}
