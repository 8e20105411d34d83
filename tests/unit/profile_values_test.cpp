// Flag values, saved file names and quick-button hints of the settings files.
#include "core/profile_values.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

constexpr int kDefault = 77;

TEST(ProfileInteger, ReadsNumbersAndRefusesTheRest)
{
    struct Case {
        std::string text;
        int expected;
    } const cases[] = {
        // what the save writes, and what people type by hand
        {"1", 1},
        {"0", 0},
        {"2", 2},
        {"-1", -1},
        {"+5", 5},
        {"-0", 0},
        {"007", 7},
        {"$F", 15},
        {"$ff", 255},
        {"0x10", 16},
        {"0X1a", 26},
        {"-0x10", -16},
        {"+$10", 16},
        // limits of the signed 32-bit range
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", kDefault},
        {"-2147483649", kDefault},
        {"4294967296", kDefault},
        // hexadecimal is a 32-bit pattern
        {"0xFFFFFFFF", -1},
        {"$80000000", INT_MIN},
        {"0x7FFFFFFF", INT_MAX},
        {"0x100000000", kDefault},
        {"-$1", -1},
        // not numbers
        {"", kDefault},
        {"yes", kDefault},
        {"true", kDefault},
        {"-", kDefault},
        {"+", kDefault},
        {"$", kDefault},
        {"0x", kDefault},
        {"-0x", kDefault},
        {"1e3", kDefault},
        {"1.0", kDefault},
        {"12abc", kDefault},
        {"0x1G", kDefault},
        {"$-1", kDefault},
        {"--1", kDefault},
        {"+-1", kDefault},
        {"- 1", kDefault},
        {"0b101", kDefault},
        {"x10", kDefault},
        // blanks: leading spaces are skipped, anything after the digits is not
        {" 1", 1},
        {"   -12", -12},
        {"1 ", kDefault},
        {" ", kDefault},
        {"\t1", kDefault},
        {std::string("1\0", 2), kDefault},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("\"" + c.text + "\"");
        EXPECT_EQ(ProfileInteger(c.text, kDefault), c.expected);
    }
}

TEST(ProfileInteger, HugeInputsGiveTheDefault)
{
    struct Case {
        std::string prefix;
        char digit;
        std::string suffix;
        int expected;
    } const cases[] = {
        {"", '9', "", kDefault},
        {"-", '9', "", kDefault},
        {"0x", 'F', "", kDefault},
        // leading zeros do not count towards the size
        {"", '0', "42", 42},
        {"-", '0', "2147483648", INT_MIN},
        {"$", '0', "FFFFFFFF", -1},
    };
    for (const Case& c : cases) {
        std::string text = c.prefix;
        text.append(3000, c.digit);
        text.append(c.suffix);
        SCOPED_TRACE(c.prefix + c.digit + "... " + c.suffix);
        EXPECT_EQ(ProfileInteger(text, kDefault), c.expected);
    }
}

TEST(ForceDatExtension, ReplacesOrAppends)
{
    struct Case {
        const char* path;
        const char* expected;
    } const cases[] = {
        {"home", "home.dat"},
        {"home.txt", "home.dat"},
        {"home.dat", "home.dat"},
        {"home.DAT", "home.dat"},
        {"x.tar.gz", "x.tar.dat"},
        {"C:\\Sítě\\home", "C:\\Sítě\\home.dat"},
        {"C:\\a.b\\home", "C:\\a.b\\home.dat"},
        {"C:\\a.b\\home.ini", "C:\\a.b\\home.dat"},
        {"C:/a.b/home", "C:/a.b/home.dat"},
        {"C:home", "C:home.dat"},
        {"C:x.y", "C:x.dat"},
        {"\\\\server\\share.1\\profil", "\\\\server\\share.1\\profil.dat"},
        // a trailing dot is an empty extension and is replaced as well
        {"home.", "home.dat"},
        {"C:\\a\\home..", "C:\\a\\home..dat"},
        // the text after the last dot counts, even when it is the whole name
        {"C:\\a\\.profil", "C:\\a\\.dat"},
        {"", ".dat"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(ForceDatExtension(c.path), c.expected);
    }
}

// The program's INI file is named the same way after the program.
TEST(WithExtension, NamesTheProgramsIniFile)
{
    EXPECT_EQ(
        WithExtension("C:\\Program Files\\Tamarko\\tamarko.exe", ".ini"), "C:\\Program Files\\Tamarko\\tamarko.ini");
    EXPECT_EQ(WithExtension("C:\\v1.4\\tamarko", ".ini"), "C:\\v1.4\\tamarko.ini");
    EXPECT_EQ(WithExtension("C:\\NÁSTROJE\\Tamarko.EXE", ".ini"), "C:\\NÁSTROJE\\Tamarko.ini");
}

TEST(QuickButtonHint, NameWithoutItsLastFourCharacters)
{
    struct Case {
        const char* path;
        const char* expected;
    } const cases[] = {
        {"", "Není přiřazeno"},
        {"C:\\Sítě\\Doma.dat", "Doma"},
        {"D:\\Profily\\Kancelar.dat", "Kancelar"},
        {"C:\\x\\Doma.txt", "Doma"},
        {"C:\\x\\abcdefgh", "abcd"},
        {"C:Doma.dat", "Doma"},
        {"Doma.dat", "Doma"},
        // the separators are looked for only in what is left
        {"C:\\dir\\ab\\c.d", "ab"},
        {"C:\\x\\ab\\dat", "ab"},
        {"C:\\", ""},
        {".dat", ""},
        {"abc", ""},
        {"a", ""},
        // a slash is not a separator here
        {"C:\\x/Doma.dat", "x/Doma"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(QuickButtonHint(c.path), c.expected);
    }
}

TEST(QuickButtonName, AnUnboundSlotNamesNothing)
{
    // The shortcut of a slot without a file is named ".lnk": no hint text.
    EXPECT_EQ(QuickButtonName(""), "");
    EXPECT_EQ(QuickButtonName("C:\\Sítě\\Doma.dat"), "Doma");
}

}  // namespace
