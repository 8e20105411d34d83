#include "win32/late_binding.h"

#include <string>

FARPROC LateFunction(const char* dll, const char* name)
{
    HMODULE module = GetModuleHandleA(dll);
    if (!module) {
        // From the system folder only: never a DLL of that name that lies
        // beside the program.
        char folder[MAX_PATH];
        const UINT length = GetSystemDirectoryA(folder, MAX_PATH);
        if (length == 0 || length >= MAX_PATH)
            return nullptr;
        module = LoadLibraryA((std::string(folder, length) + "\\" + dll).c_str());
    }
    return module ? GetProcAddress(module, name) : nullptr;
}
