// The program's own file, its first argument and absolute paths, each asked
// of Windows in one place and grown to any length.
#pragma once

#include <optional>
#include <string>

// The full path of the running executable as the ANSI calls name it (see
// file_name.h); empty only when Windows cannot name it. Raises EFileName
// when its folder's name has no form those calls can use.
std::string ProgramPath();

// The program's first command-line argument as given, in wide characters;
// nothing when there is none.
std::optional<std::wstring> ProgramArgument();

// The path as Windows resolves it against the current folder; the path as
// given when Windows cannot resolve it.
std::string FullPath(const std::string& path);
