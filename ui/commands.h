// The command numbers of the main window's menus, tool bar and tray menu.
#pragma once

enum TamarkoCommand : int {
    cmOpen = 1001,  // Otevt1, Otevt2, SpeedButton1
    cmSave,         // Uloit1, Uloit2, SpeedButton2
    cmClose,        // Zavt1, Ukonit1, SpeedButton3
    cmAbout,        // Oprogramu1, Oprogramu2
    cmRestore,      // Obnovit1
};
