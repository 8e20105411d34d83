// Address syntax and command-line splitting: what decides whether netsh sees
// a command as Tamarko meant it.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tools/netsim/address.h"
#include "tools/netsim/cmdline.h"

namespace {

TEST(Address, AcceptsDottedQuadsAndNormalisesThem)
{
    const struct {
        const char* text;
        std::optional<std::string> expected;
    } cases[] = {
        {"192.168.1.10", "192.168.1.10"},
        {"192.168.001.010", "192.168.1.10"},
        {"0.0.0.0", "0.0.0.0"},
        {"255.255.255.255", "255.255.255.255"},
        {"000000000010.0.0.1", "10.0.0.1"},
        {"192.168.100.200", "192.168.100.200"},
        {"", std::nullopt},
        {"none", std::nullopt},
        {"192.168.1", std::nullopt},
        {"192.168.1.1.", std::nullopt},
        {"192.168.1.1.5", std::nullopt},
        {"1..2.3", std::nullopt},
        {".1.2.3", std::nullopt},
        {"192.168.1.256", std::nullopt},
        {"192.168.1.-1", std::nullopt},
        {"+1.2.3.4", std::nullopt},
        {"0x1.2.3.4", std::nullopt},
        {" 1.2.3.4", std::nullopt},
        {"1 .2.3.4", std::nullopt},
        {"99999999999999999999.1.1.1", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(netsim::NormaliseAddress(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Address, FormatsAsTheNumberParses)
{
    EXPECT_EQ(netsim::ParseAddress("10.0.1.255"), 0x0A0001FFu);
    EXPECT_EQ(netsim::FormatAddress(0x0A0001FFu), "10.0.1.255");
}

TEST(CommandLine, SplitsLikeTheCRuntime)
{
    using Args = std::vector<std::string>;
    const struct {
        const char* line;
        Args expected;
    } cases[] = {
        {"netsh interface ip show config", {"netsh", "interface", "ip", "show", "config"}},
        {"netsh interface ip set dns \"Připojení k místní síti\" static none",
            {"netsh", "interface", "ip", "set", "dns", "Připojení k místní síti", "static", "none"}},
        {"\"C:\\Program Files\\netsh.exe\" a", {"C:\\Program Files\\netsh.exe", "a"}},
        {"\"Z:\\a\\\" b", {"Z:\\a\\", "b"}},  // no escapes in the program name
        {"p  a\t\tb  ", {"p", "a", "b"}},
        {"p \"\"", {"p", ""}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p a\\\\b", {"p", "a\\\\b"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p \"a\\\\\" b", {"p", "a\\", "b"}},
        {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},
        {"p \"unterminated name", {"p", "unterminated name"}},
        {"", {""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(netsim::SplitCommandLine(c.line), c.expected) << c.line;
}

}  // namespace
