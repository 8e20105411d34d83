#include "core/address_check.h"

#include <gtest/gtest.h>

namespace {

struct AddressCase {
    const char* text;
    bool valid;
};

const AddressCase kAddressCases[] = {
    {"", false},
    {".", false},
    {"...", false},
    {"192.168.1.1", true},
    {"192.168.001.010", true},
    {" 10 . 0 . 0 . 1 ", true},
    {"0.0.0.0", true},
    {"255.255.255.255", true},
    {"0255.000.007.1", true},
    {"000000000000000000000001.2.3.4", true},  // leading zeros never overflow
    {"192.168.1", false},
    {"192.168.1.1.", false},
    {"192.168.1.1.5", false},
    {"1..2.3", false},
    {".1.2.3", false},
    {"192.168.1.256", false},
    {"192.168.1.1000", false},
    {"192.168.1.-1", false},
    {"+1.2.3.4", false},
    {"0x1.2.3.4", false},
    {"1 0.0.0.1", false},   // a space between digits of one part
    {"10.0.0.1\t", false},  // only spaces count as blanks
    {"10.0\t.0.1", false},
    {"10.0.0.1\xA0", false},  // a non-breaking space is not a blank either
    {"none", false},
    {"99999999999999999999.1.1.1", false},  // too long for 32 bits: out of range
    {"4294967297.1.1.1", false},            // wraps to 1 in 32 bits, still rejected
    {"1.2.3.4 ", true},
    {"1.2.3. 4", true},
    {"1.2.3.", false},
};

TEST(AddressCheck, AcceptsExactlyDottedQuadsOfDecimalOctets)
{
    for (const auto& c : kAddressCases)
        EXPECT_EQ(IsValidAddress(c.text), c.valid) << '"' << c.text << '"';
}

TEST(AddressCheck, PartsAreTakenAtTheFirstDelimiterAndTrimmedOfSpacesOnly)
{
    std::string rest = "  12 . 34.5\t";
    EXPECT_EQ(TakeNextPart(rest, '.'), "12");
    EXPECT_EQ(rest, "34.5\t");
    EXPECT_EQ(TakeNextPart(rest, '.'), "34");
    EXPECT_EQ(TakeNextPart(rest, '.'), "5\t");
    EXPECT_EQ(rest, "");
    EXPECT_EQ(TrimSpaces("   "), "");
    EXPECT_EQ(TrimSpaces(" \ta b "), "\ta b");
}

}  // namespace

// What netsh gets: the decimal numbers the user meant, whatever the spaces and
// leading zeros (Windows reads "010" as octal 8); anything else as it is.
TEST(AddressCheck, PlainFormIsTheDecimalNumberMeant)
{
    const std::pair<const char*, const char*> cases[] = {
        {"192.168.010.021", "192.168.10.21"},
        {" 255.255.255. 000 ", "255.255.255.0"},
        {"0000000000000255.0.0.08", "255.0.0.8"},
        {"none", "none"},
        {"192.168.1", "192.168.1"},
        {"", ""},
    };
    for (const auto& [typed, plain] : cases)
        EXPECT_EQ(PlainAddress(typed), plain) << typed;
    EXPECT_EQ(AddressValue("10.0.0.1"), 0x0A000001u);
    EXPECT_EQ(AddressValue("10.0.0.256"), std::nullopt);
}
