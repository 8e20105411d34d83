#include "wingui/scheme.h"

#include "core/contrast.h"

namespace {

bool highContrast = false;
bool asked = false;

bool IsSystemColor(TColor color)
{
    return (color & 0xFF000000u) == 0xFF000000u;
}

}  // namespace

bool HighContrast()
{
    if (!asked)
        RefreshColorScheme();
    return highContrast;
}

void RefreshColorScheme()
{
    asked = true;
    HIGHCONTRASTA setting{};
    setting.cbSize = sizeof setting;
    // Refused, the scheme's colours still hold; only the design's stay too.
    highContrast = SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0)
        && (setting.dwFlags & HCF_HIGHCONTRASTON);
}

namespace {

// `stateShown`: lime shown in the highlight under high contrast, whose text
// then takes the highlight's text colour.
COLORREF TextColor(const Backdrop& behind, TColor text, bool enabled, bool stateShown)
{
    const bool scheme = HighContrast();
    TColor wanted = text;
    if (!enabled)
        wanted = clGrayText;
    else if (stateShown)
        wanted = SystemColor(COLOR_HIGHLIGHTTEXT);
    else if (scheme && !IsSystemColor(text))
        wanted = clWindowText;  // the design's own colours give way to the scheme
    const COLORREF color = ColorToRGB(wanted);
    const COLORREF darkest = ColorToRGB(behind.darkest);
    const COLORREF lightest = ColorToRGB(behind.lightest);
    if (behind.FixedByDesign())
        return ReadableTextColorOver(color, darkest, lightest, kEnhancedContrast);
    if (scheme || IsSystemColor(wanted))
        return ReadableTextColorOver(color, darkest, lightest, kReadableContrast);
    return color;
}

}  // namespace

PaintColors ControlColors(TColor background, TColor text, bool enabled)
{
    const bool stateShown = HighContrast() && background == clLime;
    const TColor shown = stateShown ? SystemColor(COLOR_HIGHLIGHT) : background;
    return {ColorToRGB(shown), TextColor(Backdrop::Plain(shown), text, enabled, stateShown)};
}

COLORREF TextColorOver(const Backdrop& behind, TColor text, bool enabled)
{
    return TextColor(behind, text, enabled, false);
}
