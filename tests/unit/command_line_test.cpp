// The program's one argument, taken from its command line as the C runtime
// would take it, but wide.
#include "core/command_line.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, FirstArgumentAsTheRuntimeSplitsIt)
{
    const struct {
        const wchar_t* line;
        const wchar_t* expected;  // nullptr: no argument
    } cases[] = {
        {L"tamarko.exe", nullptr},
        {L"\"C:\\Program Files\\tamarko.exe\"   ", nullptr},
        {L"tamarko.exe C:\\a.dat", L"C:\\a.dat"},
        {L"\"C:\\Mich\u00E8le\\tamarko.exe\" \"C:\\Mich\u00E8le\\doma s mezerou.dat\"",
            L"C:\\Mich\u00E8le\\doma s mezerou.dat"},
        {L"\"C:\\a b\\tamarko.exe\"\t\"x.dat\" second", L"x.dat"},
        {L"tamarko.exe \"\"", L""},
        {L"tamarko.exe a\\\\b\\c", L"a\\\\b\\c"},              // backslashes alone stay
        {L"tamarko.exe \"C:\\folder\\\\\"", L"C:\\folder\\"},  // 2n before a quote: n
        {L"tamarko.exe a\\\"b", L"a\"b"},                      // 2n+1: a quote
        {L"tamarko.exe \"a\"\"b\"", L"a\"b"},                  // two quotes in quotes: one
        {L"tamarko.exe pre\"fix and\"post x", L"prefix andpost"},
        {L"\"unclosed name x.dat", nullptr},
    };
    for (const auto& c : cases) {
        const std::optional<std::wstring> first = FirstArgument(c.line);
        if (!c.expected)
            EXPECT_FALSE(first.has_value()) << testing::PrintToString(std::wstring(c.line));
        else
            EXPECT_EQ(first.value_or(L"(none)"), c.expected) << testing::PrintToString(std::wstring(c.line));
    }
}

}  // namespace
