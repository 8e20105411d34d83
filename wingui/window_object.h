// The program's object behind a window handle: a form or a control. Its
// address lives in the window's GWLP_USERDATA, which GetWindowLongPtrA reads
// from the window's own memory; a window property would cost a round trip to
// Wine's server on every message. A tag tells a form from a control, since
// some messages (WM_CONTEXTMENU) name either. Windows of this thread that are
// not ours (those of the file dialogs, message boxes) may keep anything in
// GWLP_USERDATA, so a value counts only when it is one of our live objects.
#pragma once

#include <windows.h>

#include <unordered_set>

enum class WindowKind { Form, Control };

class WindowObject {
protected:
    // Counted among the live objects here, where a refusal of memory can
    // still be raised: attaching happens inside Windows' own frames, while
    // the window is being made, where no exception may pass.
    explicit WindowObject(WindowKind kind)
        : kind_(kind)
    {
        Live().insert(this);
    }
    ~WindowObject() { Live().erase(this); }
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // From now on `window` leads to this object.
    void AttachTo(HWND window) noexcept
    {
        if (GetWindowLongPtrA(window, GWLP_USERDATA) != reinterpret_cast<LONG_PTR>(this))
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    static void DetachFrom(HWND window) { SetWindowLongPtrA(window, GWLP_USERDATA, 0); }
    // The object of that kind behind `window`; nullptr for any other window.
    static WindowObject* Find(HWND window, WindowKind kind)
    {
        if (!window)
            return nullptr;
        auto* object = reinterpret_cast<WindowObject*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        return object && Live().count(object) != 0 && object->kind_ == kind ? object : nullptr;
    }

private:
    // Never destroyed: forms that outlive main() still leave it.
    static std::unordered_set<const WindowObject*>& Live()
    {
        static auto* live = new std::unordered_set<const WindowObject*>;
        return *live;
    }

    WindowKind kind_;
};
