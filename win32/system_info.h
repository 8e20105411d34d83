// Short texts about the running program and the machine: the program's
// folder, the display's colour depth, a file's product version and the
// Windows version. A failure gives its fallback text; only refused memory
// is raised.
#pragma once

#include <windows.h>

#include <string>

// The folder of the running executable, with a trailing backslash; empty
// when its name has no form the ANSI calls can use.
std::string GetExeDirectory();

// The name of the colour depth that the drawing surface reports.
std::string GetColorDepthName(HDC dc);

// "major.minor" of the file's product version, or empty when the file has
// no version information.
std::string GetProductVersionText(const std::string& path);

// "Win2000", "WinXP", ... or "nerozpoznáno".
std::string GetWindowsVersionName();
