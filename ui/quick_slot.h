// One quick button of the tool bar: a settings file bound to it, its popup
// menu to bind, clear or make a desktop shortcut, and what it keeps in the
// program INI file. The five buttons are five slots.
#pragma once

#include "ui/commands.h"
#include "win32/ini_file.h"
#include "win32/ini_file_update.h"
#include "wingui/gdi.h"
#include "wingui/speed_button.h"

#include <functional>
#include <string>

class TFileDialog;

class TQuickSlot {
public:
    // slot: 0..4; the button and the number of its first menu item (1, 5, 9, 13, 17).
    TQuickSlot(int slot, TSpeedButton& button, int firstMenuItem);
    ~TQuickSlot();
    TQuickSlot(const TQuickSlot&) = delete;
    TQuickSlot& operator=(const TQuickSlot&) = delete;

    const std::string& Path() const { return path_; }
    HMENU PopupMenu() const { return popupMenu_.Get(); }
    // Handles a command of this slot's menu; false when it is not one.
    bool Command(int id, HWND owner);

    // The program INI file: the path key, then the three menu flags.
    void ReadPath(const IniFile& ini);
    void ReadMenuFlags(const IniFile& ini);
    void WritePath(IniFileUpdate& ini) const;
    void WriteMenuFlags(IniFileUpdate& ini) const;
    void UpdateHint();
    // Bound or cleared since the start.
    bool Changed() const { return changed_; }

    // What the slot needs from the window.
    std::function<void(const std::string& path)> LoadSettingsFile;
    TFileDialog* OpenDialog = nullptr;

    // Button click: load the bound file.
    void Click();
    // The slot's menu, opened under its button (from the keyboard).
    void OpenMenu();
    // "Přiřadit DAT soubor", "Smazat přiřazení", "Vytvořit zástupce na ploše".
    void Bind(HWND owner);
    void Clear();
    void MakeShortcut();

private:
    std::string MenuKey(QuickSlotItem item) const;
    void SetMenuState(bool bindEnabled);

    int slot_;
    TSpeedButton& button_;
    int firstMenuItem_;
    OwnedMenu popupMenu_;
    std::string path_;
    bool changed_ = false;
};
