// Whether text reads on its background, and the text colour the program
// draws with where the one it would use does not.
#include "core/contrast.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b)
{
    return static_cast<std::uint32_t>(r | (g << 8) | (b << 16));
}

constexpr std::uint32_t kBlack = Rgb(0, 0, 0), kWhite = Rgb(255, 255, 255), kLime = Rgb(0, 255, 0);

TEST(Contrast, RatiosAsTheGuidelinesGiveThem)
{
    EXPECT_NEAR(21.0, ContrastRatio(kBlack, kWhite), 1e-9);
    EXPECT_NEAR(21.0, ContrastRatio(kWhite, kBlack), 1e-9);
    EXPECT_NEAR(1.0, ContrastRatio(kLime, kLime), 1e-9);
    EXPECT_NEAR(15.3, ContrastRatio(kBlack, kLime), 0.05);
    EXPECT_NEAR(1.37, ContrastRatio(kWhite, kLime), 0.01);  // a dark scheme's text on lime
    EXPECT_NEAR(4.54, ContrastRatio(Rgb(0x76, 0x76, 0x76), kWhite), 0.01);
}

TEST(Contrast, TextThatReadsIsLeftAloneAndOtherTextMovesAsLittleAsItMust)
{
    // Moved: to the first colour on its way to black or white that reads, not
    // to black or white themselves.
    const struct {
        const char* what;
        std::uint32_t text, background;
        bool unchanged;
    } cases[] = {
        {"black on lime", kBlack, kLime, true},
        {"the window's text on white", kBlack, kWhite, true},
        {"a maroon on white", Rgb(128, 0, 0), kWhite, true},
        {"Wine's grey text on lime (a disabled field)", Rgb(160, 160, 160), kLime, false},
        {"Windows' grey text on lime", Rgb(128, 128, 128), kLime, false},
        {"white text on lime (a dark scheme)", kWhite, kLime, false},
        {"dark grey text on black", Rgb(64, 64, 64), kBlack, false},
        {"mid grey text on black", Rgb(128, 128, 128), kBlack, true},
        {"a darker grey on black", Rgb(100, 100, 100), kBlack, false},
        {"light grey text on black", Rgb(192, 192, 192), kBlack, true},
        {"grey on the grey of the text itself", Rgb(128, 128, 128), Rgb(128, 128, 128), false},
        {"yellow on white", Rgb(255, 255, 0), kWhite, false},
        {"white on a pale picture", kWhite, Rgb(230, 220, 200), false},
        {"highlight text on highlight", kWhite, Rgb(10, 36, 106), true},
    };
    for (const auto& c : cases) {
        const std::uint32_t chosen = ReadableTextColor(c.text, c.background);
        EXPECT_GE(ContrastRatio(chosen, c.background), kReadableContrast) << c.what;
        EXPECT_EQ(c.unchanged, chosen == c.text) << c.what;
        EXPECT_TRUE(c.unchanged || (chosen != kBlack && chosen != kWhite)) << c.what;
    }
}

}  // namespace
