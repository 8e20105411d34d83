// Functions of system DLLs that only a command or two need (the file dialogs,
// the about box's version text), found when they are first called: a DLL the
// program is linked against is loaded with it, before its window can appear.
#pragma once

#include <windows.h>

// The function `name` of the system DLL `dll`, which is loaded from the
// system folder the first time and stays for the rest of the run; nullptr
// when either is missing.
FARPROC LateFunction(const char* dll, const char* name);

template <typename Function> Function LateFunction(const char* dll, const char* name)
{
    // Through the type that stands for any function, the only cast between
    // function types the compiler accepts without a word.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(LateFunction(dll, name)));
}
