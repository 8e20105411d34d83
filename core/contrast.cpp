#include "core/contrast.h"

#include <cmath>

namespace {

double Channel(std::uint32_t value)
{
    const double c = static_cast<double>(value & 0xFF) / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
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

// How far toward `to` the text has to move to read; 256 when it never does.
int StepsTo(std::uint32_t preferred, std::uint32_t to, std::uint32_t background, double minimum)
{
    for (int step = 0; step <= 255; ++step) {
        if (ContrastRatio(Blend(preferred, to, step), background) >= minimum)
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
    preferred &= 0xFFFFFF;
    background &= 0xFFFFFF;
    constexpr std::uint32_t kBlack = 0x000000, kWhite = 0xFFFFFF;
    const int toBlack = StepsTo(preferred, kBlack, background, minimum);
    const int toWhite = StepsTo(preferred, kWhite, background, minimum);
    if (toBlack == 256 && toWhite == 256)
        return ContrastRatio(kBlack, background) >= ContrastRatio(kWhite, background) ? kBlack : kWhite;
    return toBlack <= toWhite ? Blend(preferred, kBlack, toBlack) : Blend(preferred, kWhite, toWhite);
}
