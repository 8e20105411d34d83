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

PaintColors ControlColors(TColor background, TColor text, bool enabled)
{
    const bool scheme = HighContrast();
    const bool state = background == clLime;
    PaintColors colors{ColorToRGB(scheme && state ? SystemColor(COLOR_HIGHLIGHT) : background), 0};
    TColor wanted = text;
    if (!enabled)
        wanted = SystemColor(COLOR_GRAYTEXT);
    else if (scheme && state)
        wanted = SystemColor(COLOR_HIGHLIGHTTEXT);
    else if (scheme && !IsSystemColor(text))
        wanted = clWindowText;  // the design's own colours give way to the scheme
    colors.text = ColorToRGB(wanted);
    if (scheme || IsSystemColor(wanted))
        colors.text = ReadableTextColor(colors.text, colors.background);
    return colors;
}
