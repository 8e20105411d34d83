// Whether a file the profile functions wrote holds what they were given, and
// ends whole: what decides between putting a written file in place of the
// old one and keeping the old one.
#include "core/profile_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kWritten = "[Jiné]\r\nIP=stranou\r\n[NASTAVENÍ]\r\nip = 10.0.0.1\r\nIP=druhá\r\ndns2=\r\n"
                             "proxyIP=\" 10.0.0.9\"\r\n[Nastavení]\r\nmaska=255.0.0.0\r\n";

TEST(ProfileText, AKeyIsFoundWhereAProfileReaderFindsIt)
{
    const struct {
        const char* section;
        const char* key;
        const char* value;
        bool holds;
    } cases[] = {
        {"Nastavení", "IP", "10.0.0.1", true},  // names in any case, Czech capitals too; blanks around the value
        {"nastavení", "Ip", " 10.0.0.1 ", true}, {"Nastavení", "IP", "druhá", false},  // the first of a key given twice
        {"Nastavení", "dns2", "", true},                                               // an empty value
        {"Nastavení", "proxyIP", "\" 10.0.0.9\"", true},                               // quotes as written
        {"Nastavení", "maska", "255.0.0.0", false},  // only in a later section of the same name
        {"Nastavení", "brana", "", false},           // missing
        {"Jiné", "IP", "stranou", true}, {"Nastaveni", "IP", "10.0.0.1", false},  // í is not i
    };
    const ProfileText written(kWritten);
    for (const auto& c : cases)
        EXPECT_EQ(c.holds, written.Holds(c.section, c.key, c.value)) << c.section << "/" << c.key << "=" << c.value;
}

TEST(ProfileText, AFileCutShortDoesNotEndWhole)
{
    const struct {
        std::string text, before;
        bool whole;
    } cases[] = {
        {kWritten, "", true},
        {kWritten.substr(0, kWritten.size() - 1), "", false},  // cut inside the last line break
        {kWritten.substr(0, kWritten.size() - 5), "", false},  // inside the last value
        {"[A]\r\nk=1\r\nkonec", "[A]\r\nkonec", true},         // a last line without a break, kept as it was
        {"[A]\r\nk=1\r\nkon", "[A]\r\nkonec", false},
        {"", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.whole, ProfileTextEndsWhole(c.text, c.before)) << c.text;
}

TEST(ProfileText, OnlyTextReadsAsText)
{
    const struct {
        std::string text;
        bool text_;
    } cases[] = {
        {kWritten, true}, {"", true}, {"[A]\tk=1\rstará Mac\n", true},
        {std::string("[A]\r\nk=1\0\r\n", 11), false},                      // a zero byte
        {"\x01\x02\xff garbage", false}, {"[A]\r\nk=\x1b[0m\r\n", false},  // an escape sequence
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.text_, ReadsAsText(c.text)) << c.text;
}

}  // namespace
