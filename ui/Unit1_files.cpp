// Settings files: saving the fields to a .dat file and loading one back,
// from the menus, the tool bar, the quick buttons and the command line.
#include "ui/Unit1.h"

#include "core/profilevalues.h"
#include "core/settingsfile.h"
#include "core/sysinfo.h"
#include "ui/base/application.h"

#include <cstdlib>

void TForm1::LoadSettingsFile(const std::string& fileName)
{
    if (!SettingsFileExists(fileName)) {
        Application.ShowMessage("Soubor " + fileName + " nebyl nalezen.");
        return;
    }
    // Each value goes through its control, so that the fields are switched
    // and highlighted as if typed in.
    const ConnectionSettings settings = ReadSettingsFile(fileName);
    Edit2.SetText(settings.ip);
    Edit3.SetText(settings.mask);
    Edit4.SetText(settings.gateway);
    Edit5.SetText(settings.dns);
    Edit8.SetText(settings.dns2);
    RadioButton1.SetChecked(settings.manual);
    RadioButton2.SetChecked(settings.automatic);
    CheckBox1.SetChecked(settings.proxy);
    Edit6.SetText(settings.proxyAddress);
    Edit7.SetText(settings.proxyPort);
}

void TForm1::LoadCommandLineSettings()
{
    if (__argc > 1 && __argv[1][0] != '\0')
        LoadSettingsFile(__argv[1]);
}

void TForm1::Otevt1Click()
{
    OpenDialog1.InitialDir = GetExeDirectory();
    if (OpenDialog1.Execute(handle_))
        LoadSettingsFile(OpenDialog1.FileName);
}

void TForm1::Uloit1Click()
{
    SaveDialog1.InitialDir = GetExeDirectory();
    if (!SaveDialog1.Execute(handle_))
        return;
    char full[MAX_PATH * 4] = {};
    const DWORD length = GetFullPathNameA(SaveDialog1.FileName.c_str(), sizeof full, full, nullptr);
    const std::string path = ForceDatExtension(length && length < sizeof full ? full : SaveDialog1.FileName);
    ConnectionSettings settings;
    settings.ip = Edit2.Text();
    settings.mask = Edit3.Text();
    settings.gateway = Edit4.Text();
    settings.dns = Edit5.Text();
    settings.dns2 = Edit8.Text();
    settings.manual = RadioButton1.Checked();
    settings.automatic = RadioButton2.Checked();
    settings.proxy = CheckBox1.Checked();
    settings.proxyAddress = Edit6.Text();
    settings.proxyPort = Edit7.Text();
    WriteSettingsFile(path, settings);
}
