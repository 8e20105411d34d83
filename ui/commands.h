// The command numbers of the main window's menus, tool bar and tray menu.
#pragma once

enum TamarkoCommand : int {
    cmOpen = 1001,  // Otevt1, Otevt2, SpeedButton1
    cmSave,         // Uloit1, Uloit2, SpeedButton2
    cmClose,        // Zavt1, Ukonit1, SpeedButton3
    cmAbout,        // Oprogramu1, Oprogramu2
    cmRestore,      // Obnovit1
};

// The items of the quick-button menus: slot 0..4, item as below.
enum QuickSlotItem : int { qiBind = 0, qiClear = 1, qiShortcut = 3 };
constexpr int kQuickSlotCommandBase = 1100;
constexpr int QuickSlotCommand(int slot, QuickSlotItem item)
{
    return kQuickSlotCommandBase + slot * 10 + item;
}
