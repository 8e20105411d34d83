// One quick button: its bound file, its menu and its keys in the program
// INI file.
#include "ui/quick_slot.h"

#include "core/file_messages.h"
#include "core/profile_values.h"
#include "win32/code_page.h"
#include "win32/program_path.h"
#include "win32/shell_link.h"
#include "wingui/application.h"
#include "wingui/file_dialog.h"
#include "wingui/menu.h"

namespace {

const char kSection[] = "RychleIkony";
const char kNotBoundMessage[]
    = "Nejprve je třeba, abyste pomocí pravého tlačítka myši přiřadili tomuto tlačítku konkrétní soubor DAT s "
      "Vaším nastavením.";
const char kNoDesktopMessage[] = "Nepodařilo se zjistit složku plochy, zástupce proto nebyl vytvořen.";

}  // namespace

TQuickSlot::TQuickSlot(int slot, TSpeedButton& button, int firstMenuItem)
    : slot_(slot)
    , button_(button)
    , firstMenuItem_(firstMenuItem)
    , popupMenu_(BuildPopupMenu({
          {0, "&Přiřadit DAT soubor", QuickSlotCommand(slot, qiBind)},
          {0, "&Smazat přiřazení", QuickSlotCommand(slot, qiClear)},
          {0, nullptr},
          {0, "&Vytvořit zástupce na ploše", QuickSlotCommand(slot, qiShortcut)},
      }))
{
    SetMenuState(true);
    button_.SetName("Rychlé tlačítko " + std::to_string(slot + 1));
    button_.SetPopupMenu(popupMenu_.Get());
    button_.OnClick = [this](TComponent*) { Click(); };
}

TQuickSlot::~TQuickSlot() = default;

std::string TQuickSlot::MenuKey(QuickSlotItem item) const
{
    return "MenuItem" + std::to_string(firstMenuItem_ + item);
}

void TQuickSlot::SetMenuState(bool bindEnabled)
{
    EnableMenuCommand(popupMenu_.Get(), QuickSlotCommand(slot_, qiBind), bindEnabled);
    EnableMenuCommand(popupMenu_.Get(), QuickSlotCommand(slot_, qiClear), !bindEnabled);
    EnableMenuCommand(popupMenu_.Get(), QuickSlotCommand(slot_, qiShortcut), !bindEnabled);
}

bool TQuickSlot::Command(int id, HWND owner)
{
    if (id == QuickSlotCommand(slot_, qiBind))
        Bind(owner);
    else if (id == QuickSlotCommand(slot_, qiClear))
        Clear();
    else if (id == QuickSlotCommand(slot_, qiShortcut))
        MakeShortcut();
    else if (id == QuickSlotCommand(slot_, qiClick))
        Click();
    else if (id == QuickSlotCommand(slot_, qiMenu))
        OpenMenu();
    else
        return false;
    return true;
}

void TQuickSlot::ReadPath(const IniFile& ini)
{
    path_ = ini.ReadString(kSection, "But" + std::to_string(slot_ + 1), "");
}

void TQuickSlot::ReadMenuFlags(const IniFile& ini)
{
    // Restored as stored: they need not agree with the path.
    const std::pair<QuickSlotItem, bool> defaults[] = {{qiBind, true}, {qiClear, false}, {qiShortcut, false}};
    for (const auto& [item, enabledByDefault] : defaults)
        EnableMenuCommand(
            popupMenu_.Get(), QuickSlotCommand(slot_, item), ini.ReadBool(kSection, MenuKey(item), enabledByDefault));
}

void TQuickSlot::WritePath(IniFileUpdate& ini) const
{
    ini.WriteString(kSection, "But" + std::to_string(slot_ + 1), path_);
}

void TQuickSlot::WriteMenuFlags(IniFileUpdate& ini) const
{
    for (QuickSlotItem item : {qiBind, qiClear, qiShortcut})
        ini.WriteBool(kSection, MenuKey(item), MenuCommandEnabled(popupMenu_.Get(), QuickSlotCommand(slot_, item)));
}

void TQuickSlot::UpdateHint()
{
    button_.SetHint(QuickButtonHint(path_), path_.empty() ? "není přiřazeno" : QuickButtonHint(path_));
}

void TQuickSlot::Click()
{
    if (path_.empty()) {
        Application.ShowMessage(kNotBoundMessage);
        return;
    }
    if (LoadSettingsFile)
        LoadSettingsFile(path_);
}

void TQuickSlot::OpenMenu()
{
    button_.ContextPopup({-1, -1});
}

void TQuickSlot::Bind(HWND owner)
{
    if (!OpenDialog || !OpenDialog->Execute(owner))
        return;
    path_ = OpenDialog->FileName;
    changed_ = true;
    SetMenuState(false);
    UpdateHint();
}

void TQuickSlot::Clear()
{
    path_.clear();
    changed_ = true;
    SetMenuState(true);
    UpdateHint();
}

void TQuickSlot::MakeShortcut()
{
    const std::wstring desktop = GetDesktopFolder();
    if (desktop.empty()) {
        // Never a shortcut in a made-up place.
        Application.ShowMessage(kNoDesktopMessage, MB_OK | MB_ICONSTOP);
        return;
    }
    const std::wstring link = desktop + L"\\" + ToWide(QuickButtonName(path_)) + L".lnk";
    const std::string arguments = "\"" + path_ + "\"";
    // Another shortcut of that name (another file's, another program's) is
    // the user's: replaced only when the user says so. One that starts this
    // program with this file is made anew without a question.
    // A folder of that name is no shortcut to replace: the save says why
    // it fails.
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        const std::optional<ShellLinkTarget> existing = ReadShellLink(link);
        const bool same = existing && lstrcmpiA(existing->target.c_str(), ProgramPath().c_str()) == 0
            && existing->arguments == arguments;
        if (!same
            && Application.ShowMessage(ReplaceQuestion(ToAnsi(link)), MB_YESNOCANCEL | MB_ICONWARNING | MB_DEFBUTTON2)
                != IDYES)
            return;
    }
    CreateShellLink("", ProgramPath(), arguments, link, "", "", 0);
}
