// Text between the program's code page (or UTF-8) and the wide characters
// that Windows' Unicode calls take, converted in one place.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// `text` in `codePage` (the program's own by default) as wide characters.
std::wstring ToWide(std::string_view text, UINT codePage = CP_ACP);
// Wide characters in the program's code page; what it lacks becomes "?".
std::string ToAnsi(std::wstring_view text);
