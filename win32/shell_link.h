// Desktop shortcuts: where the desktop is, and writing a shell link (.lnk).
#pragma once

#include <optional>
#include <string>

// The file-system path of the current user's desktop, without a trailing
// backslash; empty when the system cannot name it.
std::wstring GetDesktopFolder();

// Writes a shortcut to `target` at `linkPath`, creating the last folder of
// that path when it is missing. COM must be initialised on the calling
// thread. Raises Exception when the shell-link object cannot be created, and
// when the shortcut cannot be saved ("Zástupce <path> nebyl vytvořen: ...").
void CreateShellLink(const std::string& workingFolder, const std::string& target, const std::string& arguments,
    const std::wstring& linkPath, const std::string& description, const std::string& iconFile, int iconIndex);

// What a shortcut starts: its target and arguments as stored. Nothing when
// the file is no shortcut the shell can read.
struct ShellLinkTarget {
    std::string target, arguments;
};
std::optional<ShellLinkTarget> ReadShellLink(const std::wstring& linkPath);
