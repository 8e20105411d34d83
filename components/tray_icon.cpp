// The notification-area icon: the shell record, the hook on the owner
// window's procedure and the callbacks turned into events.
#include "components/tray_icon.h"

#include "core/phase_hook.h"
#include "win32/os_error.h"
#include "wingui/application.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

namespace {

constexpr int kTipCapacity = 64;
// How often a shell that refused the icon is asked again.
constexpr UINT kRetryIntervalMs = 2000;

static_assert(kNotifyIconDataSize == 88, "the first shell record layout is 88 bytes on 32-bit Windows");
static_assert(offsetof(NOTIFYICONDATAA, szTip) + kTipCapacity == kNotifyIconDataSize);

// The notification area on the screen: the part of the shell's taskbar that
// holds the icons, or the taskbar where it has no such part. Nothing without
// a shell, or with one that shows no taskbar.
bool NotificationArea(RECT& area)
{
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar || !IsWindowVisible(taskbar))
        return false;
    HWND icons = FindWindowExA(taskbar, nullptr, "TrayNotifyWnd", nullptr);
    return GetWindowRect(icons ? icons : taskbar, &area) && !IsRectEmpty(&area);
}

// Where a menu opened for the icon stands: at the pointer when the pointer
// is on the notification area (a click); beside the notification area when
// it is not (the keyboard), on its side towards the middle of the screen.
struct MenuPlace {
    POINT at;
    UINT alignment;
};
MenuPlace PlaceForIconMenu(bool fromKeyboard)
{
    MenuPlace place{{}, TPM_LEFTALIGN};
    GetCursorPos(&place.at);
    RECT area;
    if (!NotificationArea(area) || (!fromKeyboard && PtInRect(&area, place.at)))
        return place;
    const bool right = area.left + area.right > GetSystemMetrics(SM_CXSCREEN);
    const bool bottom = area.top + area.bottom > GetSystemMetrics(SM_CYSCREEN);
    const bool wide = area.right - area.left >= area.bottom - area.top;  // a taskbar along the top or bottom
    if (wide)
        place.at = {right ? area.right : area.left, bottom ? area.top : area.bottom};
    else
        place.at = {right ? area.left : area.right, bottom ? area.bottom : area.top};
    place.alignment = (right ? TPM_RIGHTALIGN : TPM_LEFTALIGN) | (bottom ? TPM_BOTTOMALIGN : TPM_TOPALIGN);
    return place;
}

}  // namespace

UINT TTrayIcon::TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

NOTIFYICONDATAA MakeNotifyIconData(HWND owner, UINT iconId, HICON icon, const std::string& tip)
{
    NOTIFYICONDATAA data{};
    data.cbSize = kNotifyIconDataSize;
    data.hWnd = owner;
    data.uID = iconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = WM_USER + iconId;
    data.hIcon = icon ? icon : LoadIconA(nullptr, IDI_WINLOGO);
    if (!tip.empty()) {
        data.uFlags |= NIF_TIP;
        lstrcpynA(data.szTip, tip.c_str(), kTipCapacity);
    }
    return data;
}

// The hook on an owner window, shared by the window's tray icons: one static
// procedure, installed once, finds the hook in a property of the window and
// hands each icon its own callbacks. Everything else goes on to the
// procedure it replaced.
struct TrayHook {
    static constexpr char kProperty[] = "Tamarko.TrayHook";
    static constexpr char kWhat[] = "ikonu v oznamovací oblasti";

    WNDPROC replaced = nullptr;
    std::vector<TTrayIcon*> icons;

    // Every message of the owner window asks for its hook, and a property
    // costs a round trip to Wine's server: the last answer is kept, and
    // forgotten when the hook goes.
    static HWND& CachedWindow()
    {
        static HWND window = nullptr;
        return window;
    }
    static TrayHook*& CachedHook()
    {
        static TrayHook* hook = nullptr;
        return hook;
    }
    static TrayHook* Of(HWND window)
    {
        if (window && window == CachedWindow())
            return CachedHook();
        auto* hook = static_cast<TrayHook*>(GetPropA(window, kProperty));
        if (hook) {
            CachedWindow() = window;
            CachedHook() = hook;
        }
        return hook;
    }
    static void Forget(HWND window)
    {
        RemovePropA(window, kProperty);
        if (CachedWindow() == window)
            CachedWindow() = nullptr;
    }

    // The window's hook, installed on the first icon.
    static TrayHook& Install(HWND window)
    {
        if (TrayHook* hook = Of(window))
            return *hook;
        auto hook = std::make_unique<TrayHook>();
        if (!SetPropA(window, kProperty, hook.get()))
            RaiseRefusal(kWhat);
        hook->replaced = reinterpret_cast<WNDPROC>(
            SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(&TrayHook::WindowProc)));
        if (!hook->replaced) {
            Forget(window);
            RaiseRefusal(kWhat);
        }
        return *hook.release();
    }

    // Takes an icon off; the last one puts the replaced procedure back, unless
    // someone has hooked the window since and still passes on to ours: then
    // the hook stays, passing everything on, until the window is destroyed.
    static void Remove(HWND window, TTrayIcon* icon)
    {
        TrayHook* hook = Of(window);
        if (!hook)
            return;
        hook->icons.erase(std::remove(hook->icons.begin(), hook->icons.end(), icon), hook->icons.end());
        if (!hook->icons.empty()
            || reinterpret_cast<WNDPROC>(GetWindowLongA(window, GWL_WNDPROC)) != &TrayHook::WindowProc)
            return;
        SetWindowLongA(window, GWL_WNDPROC, reinterpret_cast<LONG>(hook->replaced));
        Forget(window);
        delete hook;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        return Guarded([&] { return HandleMessage(window, message, wParam, lParam); }, LRESULT{0});
    }

    static LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        TrayHook* hook = Of(window);
        if (!hook)
            return DefWindowProcA(window, message, wParam, lParam);
        const WNDPROC replaced = hook->replaced;
        // Windows keeps an icon until it is deleted by its window and id,
        // and a dead window can no longer be named: the icons go while the
        // window is still there, whoever destroys it.
        if (message == WM_DESTROY) {
            for (TTrayIcon* icon : hook->icons)
                icon->RemoveIcon();
        }
        if (message == WM_NCDESTROY) {
            for (TTrayIcon* icon : hook->icons)
                icon->ownerWindow_ = nullptr;
            Forget(window);
            delete hook;
            return CallWindowProcA(replaced, window, message, wParam, lParam);
        }
        for (TTrayIcon* icon : hook->icons) {
            if (message == icon->CallbackMessage())
                return icon->HandleCallback(lParam);
            if (message == WM_TIMER && wParam == icon->RetryTimer()) {
                icon->AddIcon();
                return 0;
            }
        }
        // A restarted shell has forgotten every icon.
        if (message == TTrayIcon::TaskbarCreatedMessage()) {
            for (TTrayIcon* icon : hook->icons) {
                if (icon->shown_) {
                    icon->added_ = false;
                    icon->AddIcon();
                }
            }
        }
        return CallWindowProcA(replaced, window, message, wParam, lParam);
    }
};

TTrayIcon::TTrayIcon(HWND owner)
{
    if (!owner || !IsWindow(owner))
        return;
    TrayHook& hook = TrayHook::Install(owner);
    hook.icons.push_back(this);
    ownerWindow_ = owner;
    iconId_ = static_cast<UINT>(hook.icons.size());
}

TTrayIcon::~TTrayIcon()
{
    RemoveIcon();
    icon_.Reset();
    if (ownerWindow_)
        TrayHook::Remove(ownerWindow_, this);
}

void TTrayIcon::SetIcon(HICON icon)
{
    icon_.Reset(icon ? CopyIcon(icon) : nullptr);
    // Each word to the shell is a message to another process: an icon not
    // in the notification area yet takes its image and tip with it when it
    // is added.
    if (added_)
        NotifyShell(NIM_MODIFY);
}

void TTrayIcon::SetTip(const std::string& tip)
{
    tip_ = tip;
    if (added_)
        NotifyShell(NIM_MODIFY);
}

void TTrayIcon::ShowIcon()
{
    shown_ = true;
    AddIcon();
}

void TTrayIcon::AddIcon()
{
    // A busy shell may take the icon and still answer no in time: then the
    // icon can be modified, and it is there.
    added_ = NotifyShell(NIM_ADD) || NotifyShell(NIM_MODIFY);
    if (added_) {
        KillTimer(ownerWindow_, RetryTimer());
        return;
    }
    // A timer refused too leaves it to the taskbar's rebirth.
    if (ownerWindow_)
        SetTimer(ownerWindow_, RetryTimer(), kRetryIntervalMs, nullptr);
}

void TTrayIcon::RemoveIcon()
{
    if (!shown_)
        return;
    shown_ = false;
    if (ownerWindow_)
        KillTimer(ownerWindow_, RetryTimer());
    if (added_) {
        NotifyShell(NIM_DELETE);
        MarkPhase(Phase::Close, "tray icon removed");
    }
    added_ = false;
}

bool TTrayIcon::NotifyShell(DWORD action)
{
    NOTIFYICONDATAA data = MakeNotifyIconData(ownerWindow_, iconId_, icon_.Get(), tip_);
    return Shell_NotifyIconA(action, &data) != FALSE;
}

void TTrayIcon::PopUpMenu(bool fromKeyboard)
{
    // The menu only closes on a click elsewhere when its window is in front.
    SetForegroundWindow(ownerWindow_);
    Application.ProcessMessages();
    const MenuPlace place = PlaceForIconMenu(fromKeyboard);
    TrackPopupMenu(popupMenu_, place.alignment | TPM_RIGHTBUTTON, place.at.x, place.at.y, 0, ownerWindow_, nullptr);
    // Without a message after it, the next opening of the menu misbehaves.
    PostMessageA(ownerWindow_, WM_NULL, 0, 0);
    // The chosen command is posted; it runs now.
    Application.ProcessMessages();
}

LRESULT TTrayIcon::HandleCallback(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        Fire(OnMouseMove, this);
        return 0;
    case WM_CONTEXTMENU:
        // The menu key on the icon, from a shell that says so: a shell that
        // does not sends a right button press instead.
        if (popupMenu_ && autoPopup_) {
            PopUpMenu(true);
            return 0;
        }
        return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (mouseMessage == WM_RBUTTONDOWN && popupMenu_ && autoPopup_)
            PopUpMenu(false);
        else if (OnMouseDown)
            OnMouseDown(this);
        else
            Fire(OnClick, this);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Fire(OnMouseUp, this);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        Fire(OnDblClick, this);
        return 0;
    default:
        return 1;
    }
}
