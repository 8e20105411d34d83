// Text between the program's code page (or UTF-8) and the wide characters
// that Windows' Unicode calls take, converted in one place.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

// `text` in `codePage` (the program's own by default) as wide characters.
std::wstring ToWide(std::string_view text, UINT codePage = CP_ACP);
// Wide characters in the program's code page; what it lacks becomes "?"
// (never a look-alike: "è" is not "e").
std::string ToAnsi(std::wstring_view text);
// The same, only when every character has its own form in the code page and
// comes back from it unchanged; nothing otherwise.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);
