// UTF-8 to code page 852: the bytes a Czech console (and the report reader's
// OEM conversion) expects.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "tools/netsim/cp852.h"

namespace {

TEST(Cp852, CzechLettersBecomeTheirConsoleBytes)
{
    const struct {
        const char* letter;
        unsigned char byte;
    } cases[] = {
        {"ě", 0xD8},
        {"š", 0xE7},
        {"č", 0x9F},
        {"ř", 0xFD},
        {"ž", 0xA7},
        {"ý", 0xEC},
        {"á", 0xA0},
        {"í", 0xA1},
        {"é", 0x82},
        {"ů", 0x85},
        {"ú", 0xA3},
        {"ť", 0x9C},
        {"ď", 0xD4},
        {"ň", 0xE5},
        {"Ě", 0xB7},
        {"Š", 0xE6},
        {"Č", 0xAC},
        {"Ř", 0xFC},
        {"Ž", 0xA6},
        {"Ý", 0xED},
        {"Á", 0xB5},
        {"Í", 0xD6},
        {"É", 0x90},
        {"Ů", 0xDE},
        {"Ú", 0xE9},
        {"Ť", 0x9B},
        {"Ď", 0xD2},
        {"Ň", 0xD5},
        {"ó", 0xA2},
        {"Ó", 0xE0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(netsim::Utf8ToCp852(c.letter), std::string(1, static_cast<char>(c.byte))) << c.letter;
    }
}

TEST(Cp852, WholeTextKeepsOneBytePerCharacter)
{
    EXPECT_EQ(netsim::Utf8ToCp852("Připojení k síti 1.\r\n"), "P\xFDipojen\xA1 k s\xA1ti 1.\r\n");
    EXPECT_EQ(netsim::Utf8ToCp852(""), "");
}

TEST(Cp852, CharactersWithoutACodeBecomeQuestionMarks)
{
    const struct {
        const char* input;
        const char* expected;
    } cases[] = {
        {"€", "?"},                      // Windows-1250 has it, 852 does not
        {"a中b", "a?b"}, {"\xC5", "?"},  // a lead byte with nothing after it
        {"x\x80y", "x?y"},               // a stray continuation byte
        {"\xC0\xAF", "??"},              // an overlong '/'
    };
    for (const auto& c : cases)
        EXPECT_EQ(netsim::Utf8ToCp852(c.input), c.expected) << c.input;
}

// Every byte of the upper half, checked against the C library's own table.
TEST(Cp852, UpperHalfAgreesWithTheSystemConverter)
{
    iconv_t toUtf8 = iconv_open("UTF-8", "CP852");
    ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1)) << "the C library lacks CP852";
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in[1] = {static_cast<char>(byte)};
        char out[8] = {};
        char* inPtr = in;
        char* outPtr = out;
        std::size_t inLeft = 1, outLeft = sizeof out;
        ASSERT_NE(iconv(toUtf8, &inPtr, &inLeft, &outPtr, &outLeft), static_cast<std::size_t>(-1)) << byte;
        EXPECT_EQ(netsim::Utf8ToCp852(std::string(out, outPtr)), std::string(in, 1)) << "byte " << byte;
    }
    iconv_close(toUtf8);
}

}  // namespace
