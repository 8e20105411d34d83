// An icon with a tip in the notification area. It hooks its owner window's
// procedure to turn the shell's callbacks into events, and opens a popup
// menu on a right button press.
#pragma once

#include "win32/handle.h"
#include "wingui/component.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

// The shell record in its first, 88-byte layout, which every Windows takes.
// The tip is cut to the 63 characters that fit.
NOTIFYICONDATAA MakeNotifyIconData(HWND owner, UINT iconId, HICON icon, const std::string& tip);
constexpr DWORD kNotifyIconDataSize = NOTIFYICONDATAA_V1_SIZE;

class TTrayIcon : public TComponent {
public:
    // Hooks `owner` (when it is a window); shows nothing yet.
    explicit TTrayIcon(HWND owner);
    // Removes the icon and puts the owner's previous procedure back.
    ~TTrayIcon() override;

    // Null until an image is set; the component keeps its own copy.
    HICON Icon() const { return icon_.Get(); }
    void SetIcon(HICON icon);
    const std::string& Tip() const { return tip_; }
    void SetTip(const std::string& tip);
    // Not owned; null for none.
    HMENU PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(HMENU menu) { popupMenu_ = menu; }
    bool AutoPopup() const { return autoPopup_; }
    void SetAutoPopup(bool autoPopup) { autoPopup_ = autoPopup; }

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnMouseDown;
    TNotifyEvent OnMouseMove;
    TNotifyEvent OnMouseUp;

    // Adds the icon to the notification area. A shell that refuses it (one
    // not ready yet at logon) is asked again every few seconds until the icon
    // is there; it comes back by itself whenever the shell's taskbar is
    // created anew.
    void ShowIcon();
    // Whether the icon is in the notification area now: a window hidden
    // there without it could not be reached.
    bool InNotificationArea() const { return added_; }
    // What the shell tells every top-level window when its taskbar is
    // created anew.
    static UINT TaskbarCreatedMessage();

    HWND OwnerWindow() const { return ownerWindow_; }
    // 1 for the owner's first tray icon; 0 when the owner is no window.
    UINT IconId() const { return iconId_; }
    // The shell's callback for this icon on the owner window.
    UINT CallbackMessage() const { return WM_USER + iconId_; }

private:
    friend struct TrayHook;
    bool NotifyShell(DWORD action);
    // Asks the shell for the icon; refused, asks again on the next tick.
    void AddIcon();
    // Takes the icon out of the notification area, when it is there.
    void RemoveIcon();
    UINT_PTR RetryTimer() const { return kRetryTimerBase + iconId_; }
    static constexpr UINT_PTR kRetryTimerBase = 0x7A70;
    // Opens the popup menu where the user looks for it: at the pointer after
    // a click, beside the notification area when opened from the keyboard.
    void PopUpMenu(bool fromKeyboard);
    LRESULT HandleCallback(LPARAM mouseMessage);

    HWND ownerWindow_ = nullptr;
    UINT iconId_ = 0;
    UniqueHandle<HICON, DestroyIcon> icon_;
    std::string tip_;
    HMENU popupMenu_ = nullptr;
    bool autoPopup_ = true;
    bool shown_ = false;  // asked for by ShowIcon
    bool added_ = false;  // taken by the shell
};
