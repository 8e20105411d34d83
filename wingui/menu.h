// Menus built from a table: the menu bar, the tray menu and the quick-button
// menus. Items with an image draw it themselves, from the item's icon.
#pragma once

#include "win32/handle.h"
#include "wingui/gdi.h"

#include <windows.h>

#include <initializer_list>

struct MenuItemDesign {
    int level;                       // 0: on the bar (or in the popup); 1: in the last level-0 submenu
    const char* caption;             // nullptr: a separator
    int command = 0;                 // 0 for a submenu's title
    const char* shortcut = nullptr;  // shown right-aligned after the caption
    HICON image = nullptr;
};

// A menu bar with its submenus; a window that gets it destroys it with
// itself. A menu or item that Windows refuses is raised (RaiseRefusal), and
// nothing made before it is left behind.
OwnedMenu BuildMenuBar(std::initializer_list<MenuItemDesign> design);
// A popup menu (its items at level 0), the same way.
OwnedMenu BuildPopupMenu(std::initializer_list<MenuItemDesign> design);

void EnableMenuCommand(HMENU menu, int command, bool enabled);
bool MenuCommandEnabled(HMENU menu, int command);

// A popup menu opened from the keyboard opens with its first usable item
// highlighted, and the arrow keys pass over greyed items: a greyed item is
// never where the keys land, drawn grey on the highlight. The owner window
// hands it the WM_MENUSELECT messages of the menu while it is tracked.
class KeyboardMenu {
public:
    // Tracks `menu` for `owner` at a screen point with TrackPopupMenu's
    // flags; keyboard-style when `fromKeyboard`.
    void Track(HWND owner, HMENU menu, POINT at, UINT flags, bool fromKeyboard);
    // The owner's WM_MENUSELECT.
    void Selected(UINT item, UINT flags, HMENU menu);

private:
    HWND owner_ = nullptr;
    HMENU menu_ = nullptr;  // while a menu opened from the keyboard is tracked
    int position_ = -1;     // the item last highlighted, among the selectable ones
};

// The window's handling of the item images: sizes and drawing.
bool MeasureMenuImage(MEASUREITEMSTRUCT& item);
bool DrawMenuImage(const DRAWITEMSTRUCT& item);
