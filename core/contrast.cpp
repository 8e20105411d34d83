#include "core/contrast.h"

#include <array>
#include <cmath>
#include <cstddef>

namespace {

// A channel's linear light; worked out once for each of its 256 values, as
// a picture's every pixel may be asked for.
double Channel(std::uint32_t value)
{
    static const std::array<double, 256> linear = [] {
        std::array<double, 256> table{};
        for (std::size_t i = 0; i < table.size(); ++i) {
            const double c = static_cast<double>(i) / 255.0;
            table[i] = c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
        }
        return table;
    }();
    return linear[value & 0xFF];
}

// `from` moved `step` 255ths of the way to `to`, channel by channel.
std::uint32_t Blend(std::uint32_t from, std::uint32_t to, int step)
{
    std::uint32_t blended = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((from >> shift) & 0xFF);
        const int b = static_cast<int>((to >> shift) & 0xFF);
        const int c = a + ((b - a) * step + (b > a ? 127 : -127)) / 255;
        blended |= static_cast<std::uint32_t>(c) << shift;
    }
    return blended;
}

// The contrast of text against the colour between a background's darkest
// and lightest on which it reads worst: one of the two, or, for text of a
// luminance between theirs, a colour of its own luminance (1:1).
double WorstContrast(std::uint32_t text, std::uint32_t darkest, std::uint32_t lightest)
{
    const double luminance = RelativeLuminance(text);
    if (luminance > RelativeLuminance(darkest) && luminance < RelativeLuminance(lightest))
        return 1.0;
    const double a = ContrastRatio(text, darkest);
    const double b = ContrastRatio(text, lightest);
    return a < b ? a : b;
}

// How far toward `to` the text has to move to read; 256 when it never does.
int StepsTo(std::uint32_t preferred, std::uint32_t to, std::uint32_t darkest, std::uint32_t lightest, double minimum)
{
    for (int step = 0; step <= 255; ++step) {
        if (WorstContrast(Blend(preferred, to, step), darkest, lightest) >= minimum)
            return step;
    }
    return 256;
}

}  // namespace

double RelativeLuminance(std::uint32_t color)
{
    return 0.2126 * Channel(color) + 0.7152 * Channel(color >> 8) + 0.0722 * Channel(color >> 16);
}

double ContrastRatio(std::uint32_t first, std::uint32_t second)
{
    const double a = RelativeLuminance(first);
    const double b = RelativeLuminance(second);
    return a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05);
}

std::uint32_t ReadableTextColor(std::uint32_t preferred, std::uint32_t background, double minimum)
{
    return ReadableTextColorOver(preferred, background, background, minimum);
}

std::uint32_t ReadableTextColorOver(
    std::uint32_t preferred, std::uint32_t darkest, std::uint32_t lightest, double minimum)
{
    preferred &= 0xFFFFFF;
    darkest &= 0xFFFFFF;
    lightest &= 0xFFFFFF;
    constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;
    const int toBlack = StepsTo(preferred, kBlack, darkest, lightest, minimum);
    const int toWhite = StepsTo(preferred, kWhite, darkest, lightest, minimum);
    if (toBlack == 256 && toWhite == 256)
        return WorstContrast(kBlack, darkest, lightest) >= WorstContrast(kWhite, darkest, lightest) ? kBlack : kWhite;
    return toBlack <= toWhite ? Blend(preferred, kBlack, toBlack) : Blend(preferred, kWhite, toWhite);
}
