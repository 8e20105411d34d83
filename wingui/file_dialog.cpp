#include "wingui/file_dialog.h"

#include "core/exception.h"
#include "win32/late_binding.h"
#include "win32/os_error.h"

#include <cderr.h>
#include <commdlg.h>

#include <cstdio>
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
    // comdlg32.dll serves only these dialogs: it is loaded when one is first
    // shown, and looked for again next time when it could not be loaded.
    using ShowDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);
    const ShowDialog show
        = LateFunction<ShowDialog>("comdlg32.dll", kind_ == Open ? "GetOpenFileNameA" : "GetSaveFileNameA");
    if (!show)
        throw Exception("Dialog „" + title_ + "“ nelze zobrazit: systém nemohl načíst knihovnu comdlg32.dll (kód chyby "
            + std::to_string(GetLastError()) + ").");
    const BOOL chosen = show(&dialog);
    if (!chosen) {
        // Nothing chosen is either the user's Cancel or a dialog the system
        // could not show or finish: only the second has an error number.
        using ExtendedError = DWORD(WINAPI*)();
        const auto extendedError = LateFunction<ExtendedError>("comdlg32.dll", "CommDlgExtendedError");
        const DWORD error = extendedError ? extendedError() : 0;
        if (error != 0)
            throw Exception(FileDialogErrorMessage(title_, error));
        return false;
    }
    FileName = file.data();
    return true;
}

std::string FileDialogErrorMessage(const std::string& title, unsigned long error)
{
    const char* reason = "systém jej nemohl zobrazit";
    switch (error) {
    case FNERR_INVALIDFILENAME:
        reason = "název souboru je neplatný";
        break;
    case FNERR_BUFFERTOOSMALL:
        reason = "název souboru je příliš dlouhý";
        break;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        reason = "nedostatek paměti";
        break;
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%04lX", error);
    return "Dialog „" + title + "“ selhal: " + reason + " (kód chyby " + code + ").";
}
