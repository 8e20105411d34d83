// The program's command line split as the C runtime splits it, for the one
// argument the program takes: kept in wide characters, so that a name with
// a letter outside the code page is not turned into another name.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// The first argument after the program's own name; nothing when there is
// none. Quotes group blanks; 2n backslashes before a quote stand for n
// backslashes and the quote groups, 2n+1 for n and a quote; two quotes inside
// a quoted part stand for one.
std::optional<std::wstring> FirstArgument(std::wstring_view commandLine);
