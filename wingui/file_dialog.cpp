#include "wingui/file_dialog.h"

#include "core/exception.h"
#include "win32/code_page.h"
#include "win32/file_name.h"
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
    filter_ = ToWide(filter + '\0');
}

bool TFileDialog::Execute(HWND owner)
{
    // The wide dialog: the ANSI one turns a letter outside the code page
    // into a look-alike, and so hands back the name of another file.
    std::vector<wchar_t> file(32768, L'\0');
    chosen_.copy(file.data(), file.size() - 1);
    const std::wstring title = ToWide(title_);
    const std::wstring initialDir = ToWide(InitialDir);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // what Windows 2000 and later all accept
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter_.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.Flags = options_;
    // comdlg32.dll serves only these dialogs: it is loaded when one is first
    // shown, and looked for again next time when it could not be loaded.
    using ShowDialog = BOOL(WINAPI*)(LPOPENFILENAMEW);
    const ShowDialog show
        = LateFunction<ShowDialog>("comdlg32.dll", kind_ == Open ? "GetOpenFileNameW" : "GetSaveFileNameW");
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
    chosen_ = file.data();
    FileName = AnsiFileName(chosen_);
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
