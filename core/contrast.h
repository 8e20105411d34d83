// Whether text reads on its background, as the Web Content Accessibility
// Guidelines measure it, and the nearest text colour that does. Colours are
// Windows' COLORREF values: red in the low byte, then green, then blue.
#pragma once

#include <cstdint>

// The contrast that normal text needs to be read with ease (WCAG AA).
constexpr double kReadableContrast = 4.5;
// The enhanced level (WCAG AAA): text on a background that never changes with
// the user's colours has no reason to stop short of it.
constexpr double kEnhancedContrast = 7.0;

// The relative luminance of an sRGB colour: 0 for black, 1 for white.
double RelativeLuminance(std::uint32_t color);
// (L1 + 0.05) / (L2 + 0.05) of the lighter L1 and the darker L2: 1 to 21.
double ContrastRatio(std::uint32_t first, std::uint32_t second);

// The colour to draw text in on `background`: `preferred` itself when it
// reads there; otherwise the colour nearest to it, on its way to black or
// to white, that does. Some colour always does at the readable level: black
// or white reads on any background at 4.58:1 or more.
std::uint32_t ReadableTextColor(std::uint32_t preferred, std::uint32_t background, double minimum = kReadableContrast);
// The same over a background of many colours (a picture), given by its
// darkest and its lightest: the text reads on every colour between them.
// Where no colour does, black or white, whichever comes nearer.
std::uint32_t ReadableTextColorOver(
    std::uint32_t preferred, std::uint32_t darkest, std::uint32_t lightest, double minimum = kReadableContrast);
