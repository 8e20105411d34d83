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
    // The published figures: black on white 21:1, #777 on white 4.48:1 (the
    // grey that just fails the readable level).
    EXPECT_NEAR(21.0, ContrastRatio(kBlack, kWhite), 1e-9);
    EXPECT_NEAR(4.48, ContrastRatio(Rgb(0x77, 0x77, 0x77), kWhite), 0.005);
    EXPECT_LT(ContrastRatio(Rgb(0x77, 0x77, 0x77), kWhite), kReadableContrast);
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

// On a background the design fixes (lime, the about box's picture) text is
// held to the enhanced level: the colour it would use otherwise, moved only
// as far as that needs.
TEST(Contrast, OnAFixedBackgroundTextReachesTheEnhancedLevel)
{
    const struct {
        const char* what;
        std::uint32_t text, background;
        bool unchanged;
    } cases[] = {
        {"black on lime", kBlack, kLime, true},
        {"a disabled field's grey on lime", Rgb(128, 128, 128), kLime, false},
        {"the grey that just reads at 4.5:1 on lime", Rgb(0x61, 0x61, 0x61), kLime, false},
        {"a dark scheme's white on lime", kWhite, kLime, false},
        {"maroon on the picture's sky", Rgb(128, 0, 0), Rgb(150, 197, 232), false},
        {"a dark scheme's white on the picture's meadow", kWhite, Rgb(230, 238, 205), false},
        {"yellow on the picture's dark foreground", Rgb(255, 255, 0), Rgb(47, 90, 60), true},
    };
    for (const auto& c : cases) {
        const std::uint32_t chosen = ReadableTextColor(c.text, c.background, kEnhancedContrast);
        EXPECT_GE(ContrastRatio(chosen, c.background), kEnhancedContrast) << c.what;
        EXPECT_EQ(c.unchanged, chosen == c.text) << c.what;
        EXPECT_TRUE(c.unchanged || (chosen != kBlack && chosen != kWhite)) << c.what;
    }
}

// Over a picture the text reads on its darkest and on its lightest colour,
// not merely on their average; where nothing reads on both, black or white.
TEST(Contrast, TextOverAPictureReadsOnEveryColourOfIt)
{
    const struct {
        const char* what;
        std::uint32_t text, darkest, lightest;
        double minimum;
    } cases[] = {
        {"maroon over the sky's gradient", Rgb(128, 0, 0), Rgb(146, 195, 231), Rgb(154, 200, 233), kEnhancedContrast},
        {"white over the meadow", kWhite, Rgb(220, 230, 195), Rgb(240, 246, 215), kEnhancedContrast},
        {"light grey over a dark foreground", Rgb(170, 170, 170), Rgb(30, 70, 45), Rgb(50, 95, 65), kEnhancedContrast},
        {"a grey between a picture's own greys", Rgb(80, 80, 80), Rgb(60, 60, 60), Rgb(100, 100, 100),
            kReadableContrast},
    };
    for (const auto& c : cases) {
        const std::uint32_t chosen = ReadableTextColorOver(c.text, c.darkest, c.lightest, c.minimum);
        EXPECT_GE(ContrastRatio(chosen, c.darkest), c.minimum) << c.what;
        EXPECT_GE(ContrastRatio(chosen, c.lightest), c.minimum) << c.what;
        EXPECT_NE(chosen, c.text) << c.what;
    }
    // The mid grey of a picture running from black to white: no text reads on
    // all of it, and black reads on no less of it than white does.
    EXPECT_EQ(ReadableTextColorOver(Rgb(128, 128, 128), kBlack, kWhite, kReadableContrast), kBlack);
    // One colour is a picture of one colour.
    for (std::uint32_t text : {kWhite, Rgb(128, 128, 128), Rgb(255, 255, 0)})
        EXPECT_EQ(ReadableTextColorOver(text, kLime, kLime, kEnhancedContrast),
            ReadableTextColor(text, kLime, kEnhancedContrast));
}

}  // namespace
