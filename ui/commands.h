// The command numbers of the main window's menus, tool bar and tray menu.
#pragma once

enum TamarkoCommand : int {
    cmOpen = 1001,  // Otevt1, Otevt2, SpeedButton1
    cmSave,         // Uloit1, Uloit2, SpeedButton2
    cmClose,        // Zavt1, Ukonit1, SpeedButton3
    cmAbout,        // Oprogramu1, Oprogramu2
    cmRestore,      // Obnovit1
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
