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
