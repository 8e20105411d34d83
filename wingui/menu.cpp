#include "wingui/menu.h"

#include "win32/os_error.h"

#include <string>

namespace {

const char kMenu[] = "nabídku";

OwnedMenu Made(HMENU menu)
{
    if (!menu)
        RaiseRefusal(kMenu);
    return OwnedMenu(menu);
}

// Puts the item into `menu`; a submenu belongs to the menu once it is in.
void AppendItem(HMENU menu, const MenuItemDesign& item, HMENU submenu = nullptr)
{
    if (!item.caption) {
        if (!AppendMenuA(menu, MF_SEPARATOR, 0, nullptr))
            RaiseRefusal(kMenu);
        return;
    }
    std::string text = item.caption;
    if (item.shortcut)
        text += std::string("\t") + item.shortcut;
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_ID | MIIM_DATA | (submenu ? MIIM_SUBMENU : 0) | (item.image ? MIIM_BITMAP : 0);
    info.dwTypeData = text.data();
    info.wID = static_cast<UINT>(item.command);
    info.hSubMenu = submenu;
    info.hbmpItem = item.image ? HBMMENU_CALLBACK : nullptr;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(item.image);
    if (!InsertMenuItemA(menu, GetMenuItemCount(menu), TRUE, &info))
        RaiseRefusal(kMenu);
}

OwnedMenu Build(OwnedMenu top, std::initializer_list<MenuItemDesign> design)
{
    OwnedMenu submenu;
    const MenuItemDesign* title = nullptr;
    auto closeSubmenu = [&] {
        if (title) {
            AppendItem(top.Get(), *title, submenu.Get());
            submenu.Release();
        }
        title = nullptr;
    };
    for (const MenuItemDesign& item : design) {
        if (item.level == 0 && item.command == 0 && item.caption) {
            closeSubmenu();
            title = &item;
            submenu = Made(CreatePopupMenu());
        } else if (item.level == 1 && submenu) {
            AppendItem(submenu.Get(), item);
        } else {
            closeSubmenu();
            AppendItem(top.Get(), item);
        }
    }
    closeSubmenu();
    return top;
}

}  // namespace

OwnedMenu BuildMenuBar(std::initializer_list<MenuItemDesign> design)
{
    return Build(Made(CreateMenu()), design);
}

OwnedMenu BuildPopupMenu(std::initializer_list<MenuItemDesign> design)
{
    return Build(Made(CreatePopupMenu()), design);
}

void EnableMenuCommand(HMENU menu, int command, bool enabled)
{
    EnableMenuItem(menu, static_cast<UINT>(command), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool MenuCommandEnabled(HMENU menu, int command)
{
    const UINT state = GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND);
    return state != static_cast<UINT>(-1) && !(state & (MF_GRAYED | MF_DISABLED));
}

bool MeasureMenuImage(MEASUREITEMSTRUCT& item)
{
    if (item.CtlType != ODT_MENU)
        return false;
    item.itemWidth = 16;
    item.itemHeight = 16;
    return true;
}

bool DrawMenuImage(const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_MENU || !item.itemData)
        return false;
    const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 16) / 2;
    DrawIconEx(item.hDC, item.rcItem.left, top, reinterpret_cast<HICON>(item.itemData), 16, 16, 0, nullptr, DI_NORMAL);
    return true;
}

namespace {

// The items the arrow keys move between are all but the separators.
bool Selectable(HMENU menu, int index)
{
    return !(GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION) & MF_SEPARATOR);
}

int SelectableItems(HMENU menu)
{
    int count = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        count += Selectable(menu, i) ? 1 : 0;
    return count;
}

// Where the item of that command stands: its index in the menu, and its
// place among the selectable items; -1 for none.
struct ItemPlace {
    int index = -1;
    int selectable = -1;
};
ItemPlace PlaceOf(HMENU menu, UINT command)
{
    int selectable = 0;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (!Selectable(menu, i))
            continue;
        if (GetMenuItemID(menu, i) == command)
            return {i, selectable};
        ++selectable;
    }
    return {};
}

bool HasUsableItem(HMENU menu)
{
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state != static_cast<UINT>(-1) && !(state & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED)))
            return true;
    }
    return false;
}

}  // namespace

void KeyboardMenu::Track(HWND owner, HMENU menu, POINT at, UINT flags, bool fromKeyboard)
{
    owner_ = owner;
    menu_ = fromKeyboard && HasUsableItem(menu) ? menu : nullptr;
    position_ = -1;
    // The menu's own loop takes the key from the queue as the first thing
    // it does: the first item is highlighted, or the first usable one.
    if (menu_)
        PostMessageA(owner_, WM_KEYDOWN, VK_DOWN, 0);
    TrackPopupMenu(menu, flags, at.x, at.y, 0, owner, nullptr);
    menu_ = nullptr;
}

void KeyboardMenu::Selected(UINT item, UINT flags, HMENU menu)
{
    if (!menu_ || menu != menu_ || flags == 0xFFFF || (flags & MF_POPUP))
        return;
    const ItemPlace place = PlaceOf(menu, item);
    if (place.index < 0)
        return;
    const int previous = position_;
    position_ = place.selectable;
    if (!(flags & (MF_GRAYED | MF_DISABLED)))
        return;
    // A greyed item under the pointer is the pointer's choice.
    RECT itemRect;
    POINT pointer;
    if (GetCursorPos(&pointer) && GetMenuItemRect(nullptr, menu, static_cast<UINT>(place.index), &itemRect)
        && PtInRect(&itemRect, pointer))
        return;
    // On in the direction the keys went: the way round the menu that is
    // the shorter from the item before; down from where nothing was.
    const int count = SelectableItems(menu);
    const bool up = previous >= 0 && (place.selectable - previous + count) % count > count / 2;
    PostMessageA(owner_, WM_KEYDOWN, up ? VK_UP : VK_DOWN, 0);
}
