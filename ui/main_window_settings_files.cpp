// Settings files: saving the fields to a .dat file and loading one back,
// from the menus, the tool bar, the quick buttons and the command line.
#include "ui/main_window.h"

#include "core/file_messages.h"
#include "core/profile_values.h"
#include "win32/file_name.h"
#include "win32/ini_file.h"
#include "win32/program_path.h"
#include "win32/settings_file.h"
#include "win32/system_info.h"
#include "wingui/application.h"

namespace {

// The dialog asks only about the name typed into it; a save that writes
// another file asks about that one too.
bool MayReplace(const std::string& asked, const std::string& written)
{
    if (lstrcmpiA(asked.c_str(), written.c_str()) == 0 || !SettingsFileExists(written))
        return true;
    // Storno too: Esc cannot leave a box of Ano and Ne alone.
    return Application.ShowMessage(ReplaceQuestion(written), MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
}

}  // namespace

void TForm1::LoadSettingsFile(const std::string& fileName)
{
    if (!SettingsFileExists(fileName)) {
        Application.ShowMessage("Soubor " + fileName + " nebyl nalezen.");
        return;
    }
    std::optional<FieldValues> read;
    try {
        read = ReadSettingsIfAny(fileName);
    } catch (const EFileRead& error) {
        // Said, and nothing the user has is changed: the file is not empty,
        // only out of reach for now.
        Application.ShowException(error);
        return;
    }
    if (!read) {
        // Not a settings file at all: its defaults would empty every field
        // and lose what the user typed.
        Application.ShowMessage("Soubor " + fileName + " neobsahuje nastavení sítě.");
        return;
    }
    const FieldValues& values = *read;
    // Each value goes through its control, so that the fields are switched
    // and highlighted as if typed in.
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            SetFieldText(spec.field, values.Text(spec.field));
        else
            SetFieldChecked(spec.field, values.Checked(spec.field));
    }
}

void TForm1::LoadCommandLineSettings()
{
    std::string fileName;
    try {
        // Taken wide: the ANSI command line names "Michèle" "Michele".
        const std::optional<std::wstring> argument = ProgramArgument();
        if (!argument || argument->empty())
            return;
        fileName = AnsiFileName(*argument);
    } catch (const Exception& error) {
        Application.ShowException(error);
        return;
    }
    LoadSettingsFile(fileName);
}

void TForm1::OnOpenSettingsFile()
{
    openDialog_.InitialDir = GetExeDirectory();
    if (openDialog_.Execute(handle_))
        LoadSettingsFile(openDialog_.FileName);
}

void TForm1::OnSaveSettingsFile()
{
    saveDialog_.InitialDir = GetExeDirectory();
    if (!saveDialog_.Execute(handle_))
        return;
    FieldValues values;
    for (const FieldSpec& spec : kFields) {
        if (spec.kind == FieldKind::Text)
            values.SetText(spec.field, FieldText(spec.field));
        else
            values.SetChecked(spec.field, FieldChecked(spec.field));
    }
    // The dialog gives a full path; the settings file makes any other name
    // absolute itself.
    const std::string fileName = ForceDatExtension(saveDialog_.FileName);
    if (MayReplace(saveDialog_.FileName, fileName))
        WriteSettingsFile(fileName, values);
}
