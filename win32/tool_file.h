// Which file a command line's program is. The program runs as an
// administrator, so a bare name is never left to Windows' search, which
// looks in the current folder (a download folder, a share) and on PATH.
#pragma once

#include <string>

// The file that the command line's first word names: for a bare name, the
// program's own folder's file of that name when there is one (where a user
// who puts a tool there means it), else the system folder's; ".exe" is
// added when the name has no extension. Empty when the first word is a path
// of its own: it is taken as written.
std::string ToolFile(const std::string& commandLine);
