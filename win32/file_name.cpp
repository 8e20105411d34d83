#include "win32/file_name.h"

#include "win32/code_page.h"

#include <windows.h>

#include <vector>

namespace {

// The short form of a path that exists; nothing when it has none.
std::wstring ShortForm(const std::wstring& path)
{
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return std::wstring();
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetShortPathNameW(path.c_str(), buffer.data(), needed);
    if (length == 0 || length >= needed)
        return std::wstring();
    return std::wstring(buffer.data(), length);
}

}  // namespace

EFileName::EFileName(const std::wstring& path)
    : Exception("Soubor " + ToAnsi(path)
        + " nelze použít: jeho název obsahuje znaky, které program nedokáže zapsat (zde nahrazené znakem „?“). "
          "Přejmenujte jej, nebo zvolte jiný.")
{
}

std::string AnsiFileName(const std::wstring& path)
{
    if (const auto ansi = ToAnsiExactly(path))
        return *ansi;
    // From the whole path back to its root: the first part that exists is
    // named by its short form, the rest must have a form of its own.
    for (std::size_t end = path.size(); end != std::wstring::npos && end > 0;
         end = path.find_last_of(L"\\/", end - 1)) {
        const std::wstring existing = path.substr(0, end);
        if (GetFileAttributesW(existing.c_str()) == INVALID_FILE_ATTRIBUTES)
            continue;
        const std::wstring shortForm = ShortForm(existing);
        const auto head = ToAnsiExactly(shortForm);
        const auto rest = ToAnsiExactly(path.substr(end));
        if (!shortForm.empty() && head && rest)
            return *head + *rest;
        break;
    }
    throw EFileName(path);
}
