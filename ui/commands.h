// The command numbers of the main window's menus, tool bar and tray menu.
#pragma once

// Each is given by the menu bar's item, the tray menu's item and the tool
// bar's button that do the same.
enum TamarkoCommand : int {
    cmOpen = 1001,  // "Otevřít", the open button, Ctrl+O
    cmSave,         // "Uložit", the save button, Ctrl+S
    cmClose,        // "Zavřít", "Ukončit", the end button, Alt+F4
    cmAbout,        // "O programu", F2
    cmRestore,      // the tray menu's "Obnovit"
};

// The commands of a quick-button slot 0..4: the items of its menu, and what
// its keys do (Ctrl+1 ... Ctrl+5 a click, Ctrl+Shift+1 ... 5 its menu).
enum QuickSlotItem : int { qiBind = 0, qiClear = 1, qiShortcut = 3, qiClick = 5, qiMenu = 6 };
constexpr int kQuickSlotCount = 5;
constexpr int kQuickSlotCommandBase = 1100;
constexpr int QuickSlotCommand(int slot, QuickSlotItem item)
{
    return kQuickSlotCommandBase + slot * 10 + item;
}
