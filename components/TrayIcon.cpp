// The notification-area icon: the shell record, the hook on the owner
// window's procedure and the callbacks turned into events.
#include "components/TrayIcon.h"

#include "core/oserror.h"
#include "ui/base/application.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

namespace {

// How many tray icons the window holds: the next one's identifier.
const char kCountProperty[] = "Tamarko.TrayIcons";
constexpr int kTipCapacity = 64;

static_assert(kNotifyIconDataSize == 88, "the first shell record layout is 88 bytes on 32-bit Windows");
static_assert(offsetof(NOTIFYICONDATAA, szTip) + kTipCapacity == kNotifyIconDataSize);

UINT TaskbarCreatedMessage()
{
    static const UINT message = RegisterWindowMessageA("TaskbarCreated");
    return message;
}

UINT IconCount(HWND window)
{
    return static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetPropA(window, kCountProperty)));
}

void SetIconCount(HWND window, UINT count)
{
    if (count)
        SetPropA(window, kCountProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(count)));
    else
        RemovePropA(window, kCountProperty);
}

void Fire(const TNotifyEvent& event)
{
    if (event)
        event();
}

}  // namespace

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

// Each component needs a window procedure of its own, so that several can
// hook one window, each passing on to the one before. The entry is a few
// bytes of code that put the hook in place of the window handle and jump
// to HookProc, the way class libraries have always made methods callable.
struct TTrayIcon::Hook {
    TTrayIcon* icon;  // null once the component is gone but could not unhook
    HWND window;
    WNDPROC oldProc;
    bool windowGone;
    unsigned char entry[16];

    static Hook* Create(TTrayIcon* icon, HWND window)
    {
        static_assert(sizeof(void*) == 4, "the hook's entry is 32-bit x86 code");
        void* memory = VirtualAlloc(nullptr, sizeof(Hook), MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
        if (!memory)
            RaiseLastOSError();
        auto* hook = new (memory) Hook{icon, window, nullptr, false, {}};
        const auto self = reinterpret_cast<std::uint32_t>(hook);
        const auto target = reinterpret_cast<std::uint32_t>(&TTrayIcon::HookProc);
        const std::uint32_t jump = target - (reinterpret_cast<std::uint32_t>(hook->entry) + 13);
        unsigned char* code = hook->entry;
        const unsigned char movToFirstArgument[] = {0xC7, 0x44, 0x24, 0x04};  // mov dword [esp+4], imm32
        std::memcpy(code, movToFirstArgument, 4);
        std::memcpy(code + 4, &self, 4);
        code[8] = 0xE9;  // jmp rel32
        std::memcpy(code + 9, &jump, 4);
        FlushInstructionCache(GetCurrentProcess(), code, sizeof hook->entry);
        return hook;
    }
    static void Free(Hook* hook) { VirtualFree(hook, 0, MEM_RELEASE); }
    WNDPROC Entry() { return reinterpret_cast<WNDPROC>(static_cast<void*>(entry)); }
};

TTrayIcon::TTrayIcon(HWND owner)
{
    if (!owner || !IsWindow(owner))
        return;
    hook_ = Hook::Create(this, owner);
    ownerWindow_ = owner;
    iconId_ = IconCount(owner) + 1;
    SetIconCount(owner, iconId_);
    hook_->oldProc = reinterpret_cast<WNDPROC>(GetWindowLongA(owner, GWL_WNDPROC));
    SetWindowLongA(owner, GWL_WNDPROC, reinterpret_cast<LONG>(hook_->Entry()));
}

TTrayIcon::~TTrayIcon()
{
    NotifyShell(NIM_DELETE);
    icon_.Reset();
    if (!hook_)
        return;
    if (hook_->windowGone) {
        Hook::Free(hook_);
        return;
    }
    SetIconCount(ownerWindow_, IconCount(ownerWindow_) - 1);
    if (reinterpret_cast<WNDPROC>(GetWindowLongA(ownerWindow_, GWL_WNDPROC)) == hook_->Entry()) {
        SetWindowLongA(ownerWindow_, GWL_WNDPROC, reinterpret_cast<LONG>(hook_->oldProc));
        Hook::Free(hook_);
    } else {
        // Someone hooked the window after us and still relies on our
        // procedure: it stays, passing everything on, until the window dies.
        hook_->icon = nullptr;
    }
}

void TTrayIcon::SetIcon(HICON icon)
{
    icon_.Reset(icon ? CopyIcon(icon) : nullptr);
    NotifyShell(NIM_MODIFY);
}

void TTrayIcon::SetTip(const std::string& tip)
{
    tip_ = tip;
    NotifyShell(NIM_MODIFY);
}

void TTrayIcon::ShowIcon()
{
    shown_ = true;
    NotifyShell(NIM_ADD);
}

bool TTrayIcon::NotifyShell(DWORD action)
{
    NOTIFYICONDATAA data = MakeNotifyIconData(ownerWindow_, iconId_, icon_.Get(), tip_);
    return Shell_NotifyIconA(action, &data) != FALSE;
}

void TTrayIcon::PopUpMenu()
{
    // The menu only closes on a click elsewhere when its window is in front.
    SetForegroundWindow(ownerWindow_);
    Application.ProcessMessages();
    POINT at{};
    GetCursorPos(&at);
    TrackPopupMenu(popupMenu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, ownerWindow_, nullptr);
    // Without a message after it, the next opening of the menu misbehaves.
    PostMessageA(ownerWindow_, WM_NULL, 0, 0);
    // The chosen command is posted; it runs now.
    Application.ProcessMessages();
}

LRESULT TTrayIcon::HandleCallback(LPARAM mouseMessage)
{
    switch (mouseMessage) {
    case WM_MOUSEMOVE:
        Fire(OnMouseMove);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (mouseMessage == WM_RBUTTONDOWN && popupMenu_ && autoPopup_)
            PopUpMenu();
        else if (OnMouseDown)
            OnMouseDown();
        else
            Fire(OnClick);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Fire(OnMouseUp);
        return 0;
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
        Fire(OnDblClick);
        return 0;
    default:
        return 1;
    }
}

LRESULT TTrayIcon::TrayWndProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == CallbackMessage())
        return HandleCallback(lParam);
    // A restarted shell has forgotten every icon.
    if (message == TaskbarCreatedMessage() && shown_)
        NotifyShell(NIM_ADD);
    return CallWindowProcA(hook_->oldProc, ownerWindow_, message, wParam, lParam);
}

LRESULT CALLBACK TTrayIcon::HookProc(HWND hookArgument, UINT message, WPARAM wParam, LPARAM lParam)
{
    Hook* hook = reinterpret_cast<Hook*>(hookArgument);
    if (message == WM_NCDESTROY) {
        hook->windowGone = true;
        const LRESULT result = CallWindowProcA(hook->oldProc, hook->window, message, wParam, lParam);
        RemovePropA(hook->window, kCountProperty);
        if (!hook->icon)
            Hook::Free(hook);
        return result;
    }
    if (!hook->icon)
        return CallWindowProcA(hook->oldProc, hook->window, message, wParam, lParam);
    return Guarded([&] { return hook->icon->TrayWndProc(message, wParam, lParam); }, LRESULT{0});
}
