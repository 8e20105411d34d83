// The launcher's rules that need no Windows call: its message tables, the
// command line it builds and how it normalises its working directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum TLangType { ltFrench, ltCzech, ltItalian };
enum TPriorClass { pcHigh, pcIdle, pcNormal, pcRealtime };
// wsMinimizedNoActivate: minimised and left inactive, so that the console of a
// command never takes the keyboard from the window that started it.
enum TWindowState { wsNormal, wsMinimized, wsMaximized, wsMinimizedNoActivate };

// The 17 launch-error texts of one language, shared by every launcher.
// Assigning a language on any launcher refills it for all of them.
void SetAppExecLanguage(TLangType language);
// The shared table's text for an error number (compared as signed 32-bit):
// 0, 2, 3, 5, 6, 8, 10-16, 19-21 have texts, 32..2147483647 share the last,
// everything else is empty.
std::string AppExecMessage(std::uint32_t errNo);

// ExeName followed by " " + line for every parameter line, nothing quoted.
std::string BuildAppExecCommandLine(const std::string& exeName, const std::vector<std::string>& params);

// The stored working directory after assigning `value`: one trailing
// backslash is removed unless the value is "\" or a drive root like "C:\".
std::string NormaliseExePath(const std::string& value);

// CreateProcess priority flag for a priority class (0x20 for unknown values).
std::uint32_t PriorityClassFlag(int priorityClass);
// ShowWindow command for a window state (SW_SHOWNORMAL, ...).
std::uint16_t ShowWindowCommandFor(TWindowState state);

// The longest command line the launcher starts; a longer one is refused.
constexpr std::size_t kMaxAppExecCommandLine = 511;
// Czech text of the refusal of a command line that is too long.
std::string CommandLineTooLongMessage(std::size_t length);
