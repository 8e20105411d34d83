// What a screen reader learns of a control beyond Windows' own answer: the
// control's accessible object is Windows' standard one for its class, with
// the name, the description or the role the program gives in its place.
#pragma once

#include <windows.h>

#include <string>

// What the program says of a control instead of the standard object; an
// empty text, or role 0, leaves the standard answer. Texts are in the
// program's code page.
struct AccessibleOverrides {
    std::string name;
    std::string description;
    long role = 0;  // ROLE_SYSTEM_...

    bool Empty() const { return name.empty() && description.empty() && role == 0; }
};

// The overrides of a window as they stand now; nullptr once it has none,
// for a screen reader may keep the object longer than the window lives.
using AccessibleOverridesOf = const AccessibleOverrides* (*)(HWND window);

// The answer to WM_GETOBJECT for the window's client area: an object that
// takes its name, description and role from `overridesOf` and leaves
// everything else to the standard object, which it asks for the rest. 0
// for any other object asked for, or when the accessibility DLL cannot be
// had: the window's default handling answers then. The DLL is loaded by the
// first question, so that a start without a screen reader does not pay.
LRESULT AnswerAccessibleObject(HWND window, WPARAM wParam, LPARAM lParam, AccessibleOverridesOf overridesOf) noexcept;

// Tells a listening screen reader that the window's description changed.
void NotifyAccessibleDescriptionChange(HWND window) noexcept;

// Tells a listening screen reader that the window's name changed: a
// status bar's text, which nothing else announces.
void NotifyAccessibleNameChange(HWND window) noexcept;
