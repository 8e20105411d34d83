// The program's object behind a window handle: a form or a control. Its
// address lives in the window's GWLP_USERDATA, which GetWindowLongPtrA reads
// from the window's own memory; a window property would cost a round trip to
// Wine's server on every message. A tag tells a form from a control, since
// some messages (WM_CONTEXTMENU) name either.
#pragma once

#include <windows.h>

enum class WindowKind { Form, Control };

class WindowObject {
protected:
    explicit WindowObject(WindowKind kind)
        : kind_(kind)
    {
    }
    ~WindowObject() = default;
    WindowObject(const WindowObject&) = delete;
    WindowObject& operator=(const WindowObject&) = delete;

    // From now on `window` leads to this object.
    void AttachTo(HWND window)
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
        return object && object->kind_ == kind ? object : nullptr;
    }

private:
    WindowKind kind_;
};
