#include "win32/code_page.h"

std::wstring ToWide(std::string_view text, UINT codePage)
{
    const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

namespace {

// Without the look-alikes Windows would otherwise choose: a name must not
// turn into another name.
std::string Converted(std::wstring_view text, BOOL* usedDefault)
{
    const int length = WideCharToMultiByte(
        CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), ansi.data(), length,
        "?", usedDefault);
    return ansi;
}

}  // namespace

std::string ToAnsi(std::wstring_view text)
{
    return Converted(text, nullptr);
}

std::optional<std::string> ToAnsiExactly(std::wstring_view text)
{
    BOOL usedDefault = FALSE;
    std::string ansi = Converted(text, &usedDefault);
    if (usedDefault || ToWide(ansi) != text)
        return std::nullopt;
    return ansi;
}
