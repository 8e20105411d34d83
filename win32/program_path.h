// The program's own file and absolute paths, each asked of Windows in one
// place and grown to any length.
#pragma once

#include <string>

// The full path of the running executable; empty only when Windows cannot
// name it.
std::string ProgramPath();

// The path as Windows resolves it against the current folder; the path as
// given when Windows cannot resolve it.
std::string FullPath(const std::string& path);
